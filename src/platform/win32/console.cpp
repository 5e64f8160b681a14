#include "console.h"

#include <windows.h>

namespace platform::win32 {

// The command line minus the program name (quoted or not) and the blanks after it.
std::string Win32Console::argumentLine() {
    const std::string line = ::GetCommandLineA();
    std::size_t i = 0;
    if (!line.empty() && line[0] == '"') {
        const std::size_t closing = line.find('"', 1);
        i = closing == std::string::npos ? line.size() : closing + 1;
    }
    while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    return line.substr(i);
}

Result<std::size_t> Win32Console::writeStdOut(const std::string& bytes) {
    DWORD written = 0;
    if (!::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(),
                     static_cast<DWORD>(bytes.size()), &written, nullptr))
        return Result<std::size_t>::failure(::GetLastError());
    return {written, ERROR_SUCCESS};
}

void Win32Console::writeStdErr(const std::string& bytes) {
    DWORD written = 0;
    ::WriteFile(::GetStdHandle(STD_ERROR_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()),
                &written, nullptr);
}

void Win32Console::endProcess(int code) { ::ExitProcess(static_cast<UINT>(code)); }

}  // namespace platform::win32
