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
// `replaceLinks`: a symbolic link at the path is replaced by the new file,
// never followed, and a file other hard links share is replaced too, never
// written in place.
ErrorCode replaceFileContent(const std::string& path, const std::string& bytes, bool ownerOnly,
                             bool replaceLinks = false);

// A name beside the path that no other writer draws at the same moment.
std::string besideName(const std::string& path);

}  // namespace platform::posix
