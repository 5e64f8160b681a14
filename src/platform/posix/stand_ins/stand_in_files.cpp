#include "stand_in_files.h"

#include <sys/file.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <thread>

#include "errno_map.h"

namespace platform::posix {

std::string standInRoot() {
    const char* root = std::getenv("HARVELLA_SYSTEM_ROOT");
    return root && *root ? root : "/var/lib/harvella-system";
}

ErrorCode makeFolders(const std::string& path) {
    for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string prefix = path.substr(0, slash);
        if (!prefix.empty() && ::mkdir(prefix.c_str(), 0755) != 0 && errno != EEXIST)
            return setLastErrorFromErrno();
        if (slash == std::string::npos) return winerr::success;
    }
}

ErrorCode lockWithin(int fd, std::chrono::milliseconds wait, ErrorCode timedOut) {
    constexpr std::chrono::milliseconds retry{2};
    const auto deadline = std::chrono::steady_clock::now() + wait;
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR) continue;
        if (errno != EWOULDBLOCK) return setLastErrorFromErrno();
        if (std::chrono::steady_clock::now() >= deadline) return setLastError(timedOut);
        std::this_thread::sleep_for(retry);
    }
    return winerr::success;
}

std::string escapeLineValue(const std::string& bytes) {
    std::string out;
    for (const char c : bytes) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else if (c == '\0')
            out += "\\0";
        else
            out += c;
    }
    return out;
}

std::string unescapeLineValue(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char next = text[++i];
        out += next == 'n' ? '\n' : next == 'r' ? '\r' : next == '0' ? '\0' : next;
    }
    return out;
}

}  // namespace platform::posix
