// Windows error texts through FormatMessageA.
#include "system_errors.h"

#include <windows.h>

namespace platform::win32 {

std::string Win32SystemErrors::text(ErrorCode code) {
    if (code == 0) code = ::GetLastError();
    char buffer[256];
    const DWORD length =
        ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                         MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), buffer, sizeof buffer, nullptr);
    if (length == 0) return std::string();
    std::string message(buffer, length);
    // The message ends with CR LF; Wine's texts sometimes end with LF alone.
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r'))
        message.pop_back();
    return message;
}

ErrorCode Win32SystemErrors::lastError() { return ::GetLastError(); }

}  // namespace platform::win32
