#pragma once
// Windows side only: a file's bytes from the handle's position to its end.
#include <windows.h>

#include <string>

#include "platform/error.h"

namespace platform::win32 {

// Everything ReadFile delivers up to the end of the file; a failed read gives
// its error, never a part of the file passed off as all of it.
Result<std::string> readToEnd(HANDLE file);

}  // namespace platform::win32
