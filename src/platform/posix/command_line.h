#pragma once
#include <string>
#include <vector>

namespace platform::posix {

// Splits a command line as Windows programs do: blanks separate words, double
// quotes group, 2n backslashes before a quote give n backslashes and the quote
// toggles grouping, 2n+1 give n backslashes and a literal quote.
std::vector<std::string> splitWindowsCommandLine(const std::string& commandLine);

// Whether the program word names a command file, which runs through /bin/sh
// as a .bat file runs through cmd on Windows.
bool isCommandFile(const std::string& program);

}  // namespace platform::posix
