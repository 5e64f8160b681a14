#pragma once
// POSIX side only: errno values onto the Windows error numbers the core speaks.
#include <string>

#include "platform/error.h"

namespace platform::posix {

ErrorCode fromErrno(int errnoValue);
// Records `code` as the thread's last error (SystemErrors::lastError) and returns it.
ErrorCode setLastError(ErrorCode code);
ErrorCode setLastErrorFromErrno();
// As setLastErrorFromErrno for a call on `path`: a missing folder on the way
// is "path not found" (3), as Windows says, rather than "file not found".
ErrorCode setLastErrorForPath(const std::string& path);
ErrorCode lastErrorValue();

}  // namespace platform::posix
