#include "code_pages.h"

#include <windows.h>

#include <vector>

namespace platform::win32 {

unsigned Win32CodePages::ansiCodePage() { return ::GetACP(); }

Result<std::string> Win32CodePages::convert(const std::string& bytes, unsigned from, unsigned to,
                                            char fallback) {
    if (bytes.empty()) return {std::string(), ERROR_SUCCESS};
    const int size = static_cast<int>(bytes.size());
    std::vector<wchar_t> wide(bytes.size());
    const int wideLength = ::MultiByteToWideChar(from, 0, bytes.data(), size, wide.data(), size);
    if (wideLength == 0) return Result<std::string>::failure(::GetLastError());
    // UTF-8 and UTF-7 take no default character.
    const bool takesDefault = to != CP_UTF8 && to != CP_UTF7;
    const char defaultChar[2] = {fallback, '\0'};
    std::vector<char> narrow(static_cast<std::size_t>(wideLength) * 4);
    const int length = ::WideCharToMultiByte(to, 0, wide.data(), wideLength, narrow.data(),
                                             static_cast<int>(narrow.size()),
                                             takesDefault ? defaultChar : nullptr, nullptr);
    if (length == 0) return Result<std::string>::failure(::GetLastError());
    return {std::string(narrow.data(), static_cast<std::size_t>(length)), ERROR_SUCCESS};
}

}  // namespace platform::win32
