// The launcher's file calls: CreateFileA, DeleteFileA, FindFirstFileA.
#include <windows.h>

#include "file_bytes.h"
#include "launcher_seams.h"
#include "scoped_handle.h"

namespace platform::win32 {
namespace {

Result<std::wstring> wide(const std::string& ansi) {
    const int length = ::MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, nullptr, 0);
    if (length <= 0) return Result<std::wstring>::failure(::GetLastError());
    std::wstring text(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, &text[0], length);
    text.resize(static_cast<std::size_t>(length - 1));
    return {text, winerr::success};
}

}  // namespace

ErrorCode Win32LauncherFiles::createNew(const std::string& path) {
    FileHandle file(::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    return file.valid() ? winerr::success : ::GetLastError();
}

ErrorCode Win32LauncherFiles::deleteFile(const std::string& path) {
    return ::DeleteFileA(path.c_str()) ? winerr::success : ::GetLastError();
}

ErrorCode Win32LauncherFiles::find(const std::string& path) {
    WIN32_FIND_DATAA found{};
    const HANDLE search = ::FindFirstFileA(path.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return ::GetLastError();
    ::FindClose(search);
    return winerr::success;
}

// The path goes through UTF-16 so that the file opens whatever the C
// runtime's idea of the code page.
Result<std::string> Win32LauncherFiles::readWritable(const std::string& path) {
    const auto widePath = wide(path);
    if (!widePath.ok()) return Result<std::string>::failure(widePath.error);
    FileHandle file(::CreateFileW(widePath.value.c_str(), GENERIC_READ | GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return Result<std::string>::failure(::GetLastError());
    return readToEnd(file.get());
}

}  // namespace platform::win32
