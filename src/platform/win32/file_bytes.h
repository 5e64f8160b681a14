#pragma once
// Windows side only: a file's bytes from the handle's position to its end.
#include <windows.h>

#include <string>

namespace platform::win32 {

// What ReadFile delivers until it returns nothing or fails.
std::string readToEnd(HANDLE file);

}  // namespace platform::win32
