#include "command_line.h"

namespace platform::posix {
namespace {
bool isBlank(char c) { return c == ' ' || c == '\t'; }
}  // namespace

std::vector<std::string> splitWindowsCommandLine(const std::string& line) {
    std::vector<std::string> words;
    std::size_t i = 0;
    while (true) {
        while (i < line.size() && isBlank(line[i])) ++i;
        if (i >= line.size()) break;
        std::string word;
        bool quoted = false;
        while (i < line.size() && (quoted || !isBlank(line[i]))) {
            std::size_t backslashes = 0;
            while (i < line.size() && line[i] == '\\') {
                ++backslashes;
                ++i;
            }
            if (i < line.size() && line[i] == '"') {
                word.append(backslashes / 2, '\\');
                if (backslashes % 2 == 1) {
                    word += '"';
                } else if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
                    word += '"';  // "" inside quotes stands for one quote
                    ++i;
                } else {
                    quoted = !quoted;
                }
                ++i;
            } else {
                word.append(backslashes, '\\');
                if (i < line.size() && (quoted || !isBlank(line[i]))) word += line[i++];
            }
        }
        words.push_back(std::move(word));
    }
    return words;
}

bool isCommandFile(const std::string& program) {
    const std::string suffix = ".sh";
    return program.size() >= suffix.size() &&
           program.compare(program.size() - suffix.size(), suffix.size(), suffix) == 0;
}

}  // namespace platform::posix
