#pragma once
#include <regex>
#include <string>
#include <vector>

namespace Quimbo {

// A regular expression that matches as the script engine's RegExp object the
// utility's patterns were written for: "." matches anything but LF (a CR too),
// "^" and "$" hold only at the ends of the whole text, and "$1"-style groups
// are filled in by Replace.
class VbRegExp {
public:
    struct Match {
        std::size_t firstIndex = 0;
        std::string value;
        std::vector<std::string> subMatches;
    };

    explicit VbRegExp(const std::string& pattern, bool ignoreCase = true, bool global = true);

    bool Test(const std::string& text) const;
    std::vector<Match> Execute(const std::string& text) const;
    // Replaces the first match, or every match when global; "$1" … "$9" in the
    // replacement stand for the groups and "$$" for one "$".
    std::string Replace(const std::string& text, const std::string& replacement) const;
    // The text made safe to stand as a Replace replacement: inserted literally.
    static std::string LiteralReplacement(const std::string& text);

private:
    std::regex regex_;
    bool global_;
};

}  // namespace Quimbo
