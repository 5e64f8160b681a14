#pragma once
// POSIX side only: whole-file reads and writes on descriptors, errors mapped
// onto Windows numbers.
#include <string>

#include "platform/error.h"

namespace platform::posix {

// Reads from the descriptor's position to its end.
Result<std::string> readToEnd(int fd);
// Writes every byte, resuming after interrupted and partial writes.
ErrorCode writeFully(int fd, const std::string& bytes);
Result<std::string> readWholeFile(const std::string& path);
// Written beside the target and renamed over it, so that a reader never sees
// half a file; the temporary file does not outlive a failure.
ErrorCode replaceFileAtomically(const std::string& path, const std::string& bytes);

}  // namespace platform::posix
