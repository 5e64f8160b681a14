#include "code_pages.h"

#include <windows.h>

#include <vector>

namespace platform::win32 {

unsigned Win32CodePages::ansiCodePage() { return ::GetACP(); }

// Characters as the system counts them, UTF-16 units, whatever the code page
// (single-byte, double-byte or UTF-8); a surrogate pair stays whole.
std::size_t Win32CodePages::lengthOfCharacters(const std::string& text, std::size_t characters) {
    const int size = static_cast<int>(text.size());
    const int wideLength = ::MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
    if (wideLength <= static_cast<int>(characters)) return text.size();
    std::vector<wchar_t> wide(static_cast<std::size_t>(wideLength));
    ::MultiByteToWideChar(CP_ACP, 0, text.data(), size, wide.data(), wideLength);
    std::size_t keep = characters;
    if (keep > 0 && IS_HIGH_SURROGATE(wide[keep - 1])) --keep;
    return static_cast<std::size_t>(::WideCharToMultiByte(
        CP_ACP, 0, wide.data(), static_cast<int>(keep), nullptr, 0, nullptr, nullptr));
}

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
