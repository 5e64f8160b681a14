#include "clock.h"

#include <windows.h>

namespace platform::win32 {

std::chrono::milliseconds Win32Clock::monotonicNow() {
    return std::chrono::milliseconds(::GetTickCount64());
}

LocalTime Win32Clock::localNow() {
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

void Win32Clock::sleep(std::chrono::milliseconds duration) {
    ::Sleep(static_cast<DWORD>(duration.count()));
}

}  // namespace platform::win32
