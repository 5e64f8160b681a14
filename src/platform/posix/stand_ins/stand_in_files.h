#pragma once
// POSIX side only: the folder that holds the stand-in machine's state, and the
// one-line values its text files keep (registry values, service records).
#include <chrono>
#include <string>

#include "platform/error.h"

namespace platform::posix {

// $HARVELLA_SYSTEM_ROOT, or /var/lib/harvella-system when it is not set.
std::string standInRoot();
// Creates the folder and its missing parents, as mkdir -p.
ErrorCode makeFolders(const std::string& path);

// Takes the exclusive lock of an open file or folder, waiting at most `wait`
// for another holder to let go; a holder that does not (a suspended process)
// ends the wait with `timedOut`. Other failures come as their system error.
ErrorCode lockWithin(int fd, std::chrono::milliseconds wait, ErrorCode timedOut);

// A value is kept on one line: backslash, line breaks and NUL are escaped.
std::string escapeLineValue(const std::string& bytes);
std::string unescapeLineValue(const std::string& text);

}  // namespace platform::posix
