// Libraries loaded at run time and the current directory, through kernel32.
#include <windows.h>

#include <vector>

#include "launcher_seams.h"

namespace platform::win32 {

Result<LibraryHandle> Win32DynamicLibraries::load(const std::string& path) {
    const HMODULE module = ::LoadLibraryA(path.c_str());
    if (!module) return Result<LibraryHandle>::failure(::GetLastError());
    return {reinterpret_cast<LibraryHandle>(module), winerr::success};
}

void* Win32DynamicLibraries::symbol(LibraryHandle library, const std::string& name) {
    return reinterpret_cast<void*>(
        ::GetProcAddress(reinterpret_cast<HMODULE>(library), name.c_str()));
}

void Win32DynamicLibraries::release(LibraryHandle library) {
    ::FreeLibrary(reinterpret_cast<HMODULE>(library));
}

// Asks for the length first, so a directory longer than MAX_PATH is kept
// whole; asks again when the directory's name has grown in between, since a
// buffer too short is answered with the length needed and no error.
Result<std::string> Win32WorkingDirectory::get() {
    constexpr int attempts = 3;
    DWORD needed = ::GetCurrentDirectoryA(0, nullptr);
    for (int attempt = 0; attempt < attempts && needed != 0; ++attempt) {
        std::vector<char> buffer(needed + 1);
        const DWORD length =
            ::GetCurrentDirectoryA(static_cast<DWORD>(buffer.size()), buffer.data());
        if (length != 0 && length < buffer.size())
            return {std::string(buffer.data(), length), winerr::success};
        needed = length;
    }
    return Result<std::string>::failure(needed == 0 ? ::GetLastError() : ERROR_INSUFFICIENT_BUFFER);
}

ErrorCode Win32WorkingDirectory::set(const std::string& path) {
    return ::SetCurrentDirectoryA(path.c_str()) ? winerr::success : ::GetLastError();
}

}  // namespace platform::win32
