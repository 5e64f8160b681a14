#include "file_bytes.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "errno_map.h"
#include "unique_fd.h"

namespace platform::posix {

Result<std::string> readToEnd(int fd) {
    std::string bytes;
    char buffer[65536];
    while (true) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return Result<std::string>::failure(setLastErrorFromErrno());
        if (n == 0) return {bytes, winerr::success};
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
}

ErrorCode writeFully(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return setLastErrorFromErrno();
        done += static_cast<std::size_t>(n);
    }
    return winerr::success;
}

Result<std::string> readWholeFile(const std::string& path) {
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.open()) return Result<std::string>::failure(setLastErrorFromErrno());
    return readToEnd(fd.get());
}

ErrorCode replaceFileAtomically(const std::string& path, const std::string& bytes) {
    const std::string temporary = path + ".tmp" + std::to_string(::getpid());
    Fd fd(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (!fd.open()) return setLastErrorFromErrno();
    ErrorCode error = writeFully(fd.get(), bytes);
    if (!error && ::close(fd.release()) != 0) error = setLastErrorFromErrno();
    if (!error && ::rename(temporary.c_str(), path.c_str()) != 0) error = setLastErrorFromErrno();
    if (error) ::unlink(temporary.c_str());
    return error;
}

}  // namespace platform::posix
