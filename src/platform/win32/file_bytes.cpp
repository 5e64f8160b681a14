#include "file_bytes.h"

namespace platform::win32 {

Result<std::string> readToEnd(HANDLE file) {
    std::string bytes;
    char buffer[65536];
    while (true) {
        DWORD count = 0;
        if (!::ReadFile(file, buffer, sizeof buffer, &count, nullptr))
            return Result<std::string>::failure(::GetLastError());
        if (count == 0) return {bytes, ERROR_SUCCESS};
        bytes.append(buffer, count);
    }
}

}  // namespace platform::win32
