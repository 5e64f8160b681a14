#pragma once
// POSIX side only: a file's content replaced without a reader ever seeing
// half of it, the file staying what it was.
#include <string>

#include "platform/error.h"

namespace platform::posix {

// The bytes go to a new file beside the target, which then takes its place.
// A symbolic link is followed and its target gets the content; an existing
// file keeps its mode and owner; a read-only one (no write bit for anybody)
// is refused with accessDenied, as Windows refuses it even to administrators,
// and so is one we could not open for writing. Where the folder refuses a new
// file, where the owner cannot be kept, or where other hard links share the
// file, it is written in place instead. `ownerOnly`: the result is 0600.
ErrorCode replaceFileContent(const std::string& path, const std::string& bytes, bool ownerOnly);

}  // namespace platform::posix
