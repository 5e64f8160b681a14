#include "ConfigTextEdits.h"

namespace Quimbo {
namespace {

bool isLineBreak(char c) {
    return c == '\r' || c == '\n';
}
bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\f' || c == '\v';
}
bool isWhite(char c) {
    return isBlank(c) || isLineBreak(c);
}

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Whether the key stands at `at`, compared without regard to case.
bool keyAt(const std::string& text, std::size_t at, const std::string& key) {
    if (at + key.size() > text.size()) return false;
    for (std::size_t i = 0; i < key.size(); ++i)
        if (lower(text[at + i]) != lower(key[i])) return false;
    return true;
}

std::size_t skipWhile(const std::string& text, std::size_t at, bool (*test)(char)) {
    while (at < text.size() && test(text[at]))
        ++at;
    return at;
}

std::size_t lineEnd(const std::string& text, std::size_t at) {
    const std::size_t end = text.find_first_of("\r\n", at);
    return end == std::string::npos ? text.size() : end;
}

// The position of the "=" that follows `at` after white space, or npos.
std::size_t equalsAfter(const std::string& text, std::size_t at) {
    at = skipWhile(text, at, isWhite);
    return at < text.size() && text[at] == '=' ? at : std::string::npos;
}

// Where a setting of the key that starts on the line [start, end) ends, or
// npos when the line holds none. The last key on the line wins, so a key that
// ends the line and finds its "=" on a later line takes those lines along.
std::size_t settingEnd(const std::string& text, std::size_t start, std::size_t end,
                       const std::string& key) {
    std::size_t content = end;
    while (content > start && isBlank(text[content - 1]))
        --content;
    if (content - start >= key.size() && keyAt(text, content - key.size(), key)) {
        const std::size_t equals = equalsAfter(text, content);
        if (equals != std::string::npos) return lineEnd(text, equals);
    }
    for (std::size_t equals = text.find('=', start); equals < end;
         equals = text.find('=', equals + 1)) {
        std::size_t before = equals;
        while (before > start && isBlank(text[before - 1]))
            --before;
        if (before - start >= key.size() && keyAt(text, before - key.size(), key)) return end;
    }
    return std::string::npos;
}

}  // namespace

std::string ReenableKey(const std::string& text, const std::string& key) {
    const std::string commented = "#" + key;
    std::string result;
    std::size_t copied = 0;
    for (std::size_t at = text.find(commented); at != std::string::npos;
         at = text.find(commented, at + commented.size())) {
        result.append(text, copied, at - copied);
        copied = at + 1;
    }
    return result.append(text, copied, std::string::npos);
}

std::string CommentOutKey(const std::string& text, const std::string& key) {
    std::string result;
    std::size_t copied = 0;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t word = skipWhile(text, start, isBlank);
        std::size_t resume = start;
        if (keyAt(text, word, key)) {
            const std::size_t equals = equalsAfter(text, word + key.size());
            if (equals != std::string::npos) {
                result.append(text, copied, start - copied).append("#");
                copied = start;
                resume = equals + 1;
            }
        }
        const std::size_t nextBreak = text.find_first_of("\r\n", resume);
        if (nextBreak == std::string::npos) break;
        start = skipWhile(text, nextBreak, isLineBreak);
    }
    return result.append(text, copied, std::string::npos);
}

std::string SetKeyValue(const std::string& text, const std::string& key, const std::string& value) {
    const std::string line = key + "=" + value;
    std::string result;
    std::size_t copied = 0;
    bool replaced = false;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = lineEnd(text, start);
        const std::size_t setting = settingEnd(text, start, end, key);
        if (setting != std::string::npos) {
            result.append(text, copied, start - copied).append(line);
            copied = setting;
            replaced = true;
        }
        start = (setting == std::string::npos ? end : setting) + 1;
    }
    result.append(text, copied, std::string::npos);
    if (replaced) return result;
    // A last line without its break would otherwise swallow the new setting.
    if (!result.empty() && !isLineBreak(result.back())) result += "\r\n";
    return result + line + "\r\n";
}

}  // namespace Quimbo
