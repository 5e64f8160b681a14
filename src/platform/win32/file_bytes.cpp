#include "file_bytes.h"

namespace platform::win32 {

std::string readToEnd(HANDLE file) {
    std::string bytes;
    char buffer[65536];
    DWORD count = 0;
    while (::ReadFile(file, buffer, sizeof buffer, &count, nullptr) && count > 0)
        bytes.append(buffer, count);
    return bytes;
}

}  // namespace platform::win32
