#pragma once
// POSIX side only: the folder that holds the stand-in machine's state.
#include <string>

#include "platform/error.h"

namespace platform::posix {

// $HARVELLA_SYSTEM_ROOT, or /var/lib/harvella-system when it is not set.
std::string standInRoot();
// Creates the folder and its missing parents, as mkdir -p.
ErrorCode makeFolders(const std::string& path);

}  // namespace platform::posix
