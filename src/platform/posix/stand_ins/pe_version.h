#pragma once
// POSIX side only: the file version of a Windows PE file, read from its
// VS_VERSIONINFO resource without any Windows call.
#include <string>

namespace platform::posix {

// "a.b.c.d" from the fixed file information of the first version resource;
// "" when the bytes are no PE file or hold no version resource.
std::string peFileVersion(const std::string& bytes);

}  // namespace platform::posix
