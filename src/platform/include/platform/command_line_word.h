#pragma once
#include <string>

namespace platform {

// One word of a command line, read back whole by the Windows rules that both
// systems' runners and service managers follow: in double quotes, a quote
// escaped with a backslash, backslashes before a quote or the end doubled.
// Nothing else is special, since no shell ever reads such a line.
inline std::string quoteCommandLineWord(const std::string& word) {
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (const char c : word) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(2 * backslashes, '\\');
    return quoted + '"';
}

}  // namespace platform
