#include "VbRegExp.h"

namespace Quimbo {
namespace {

// ECMAScript's "." also refuses CR; the script engine's refuses only LF.
std::string translate(const std::string& pattern) {
    std::string translated;
    bool inClass = false;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c == '\\' && i + 1 < pattern.size()) {
            translated += c;
            translated += pattern[++i];
            continue;
        }
        if (inClass) {
            if (c == ']') inClass = false;
        } else if (c == '[') {
            inClass = true;
        } else if (c == '.') {
            translated += "[^\\n]";
            continue;
        }
        translated += c;
    }
    return translated;
}

std::regex::flag_type flagsFor(bool ignoreCase) {
    return ignoreCase ? std::regex::ECMAScript | std::regex::icase : std::regex::ECMAScript;
}

}  // namespace

VbRegExp::VbRegExp(const std::string& pattern, bool ignoreCase, bool global)
    : regex_(translate(pattern), flagsFor(ignoreCase)), global_(global) {}

bool VbRegExp::Test(const std::string& text) const { return std::regex_search(text, regex_); }

std::vector<VbRegExp::Match> VbRegExp::Execute(const std::string& text) const {
    std::vector<Match> matches;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), regex_);
         it != std::sregex_iterator(); ++it) {
        Match match{static_cast<std::size_t>(it->position()), it->str(), {}};
        for (std::size_t group = 1; group < it->size(); ++group)
            match.subMatches.push_back((*it)[group].str());
        matches.push_back(std::move(match));
        if (!global_) break;
    }
    return matches;
}

std::string VbRegExp::Replace(const std::string& text, const std::string& replacement) const {
    const auto flags = global_ ? std::regex_constants::format_default
                               : std::regex_constants::format_first_only;
    return std::regex_replace(text, regex_, replacement, flags);
}

std::string VbRegExp::LiteralReplacement(const std::string& text) {
    std::string escaped;
    for (const char c : text) {
        if (c == '$') escaped += '$';
        escaped += c;
    }
    return escaped;
}

}  // namespace Quimbo
