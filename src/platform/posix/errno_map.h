#pragma once
// POSIX side only: errno values onto the Windows error numbers the core speaks.
#include "platform/error.h"

namespace platform::posix {

ErrorCode fromErrno(int errnoValue);
// Records `code` as the thread's last error (SystemErrors::lastError) and returns it.
ErrorCode setLastError(ErrorCode code);
ErrorCode setLastErrorFromErrno();
ErrorCode lastErrorValue();

}  // namespace platform::posix
