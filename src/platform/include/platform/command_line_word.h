#pragma once
#include <string>

namespace platform {

// The one way a path or value goes on a command line: in double quotes, so
// that a program reading its arguments by the Windows rules (as the Linux
// runner and service manager split them too) gets exactly this text back as
// one argument. Backslashes standing before a quote (one inside the text, or
// the closing one) are doubled and each quote inside is escaped; blanks, "$",
// "`" and "%" stay as they are inside the quotes, since no shell reads a
// command line.
inline std::string quoteCommandLineWord(const std::string& value) {
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (const char c : value) {
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
