#include "file_bytes.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
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
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            pollfd writable{fd, POLLOUT, 0};
            if (::poll(&writable, 1, -1) >= 0 || errno == EINTR) continue;
        }
        if (n <= 0) return setLastErrorFromErrno();
        done += static_cast<std::size_t>(n);
    }
    return winerr::success;
}

ErrorCode openRegularFile(const std::string& path, int flags, Fd& fd) {
    fd.reset(::open(path.c_str(), flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd.open()) return setLastErrorForPath(path);
    struct stat info {};
    const ErrorCode refused = ::fstat(fd.get(), &info) != 0 ? setLastErrorFromErrno()
                              : S_ISDIR(info.st_mode)     ? setLastError(winerr::accessDenied)
                              : !S_ISREG(info.st_mode)    ? setLastError(winerr::fileNotFound)
                                                          : winerr::success;
    if (refused) {
        fd.reset();
        return refused;
    }
    ::fcntl(fd.get(), F_SETFL, ::fcntl(fd.get(), F_GETFL) & ~O_NONBLOCK);
    return winerr::success;
}

Result<std::string> readWholeFile(const std::string& path) {
    Fd fd;
    if (const ErrorCode failed = openRegularFile(path, O_RDONLY, fd))
        return Result<std::string>::failure(failed);
    return readToEnd(fd.get());
}

ErrorCode createExclusive(const std::string& path, mode_t mode, Fd& fd) {
    fd.reset(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode));
    if (!fd.open()) return setLastErrorForPath(path);
    if (::fchmod(fd.get(), mode) != 0) {
        const ErrorCode error = setLastErrorFromErrno();
        fd.reset();
        ::unlink(path.c_str());
        return error;
    }
    return winerr::success;
}

ErrorCode createNewFile(const std::string& path, const std::string& bytes, mode_t mode) {
    Fd fd;
    if (const ErrorCode error = createExclusive(path, mode, fd)) return error;
    ErrorCode error = writeFully(fd.get(), bytes);
    if (!error && ::close(fd.release()) != 0) error = setLastErrorFromErrno();
    if (error) ::unlink(path.c_str());
    return error;
}

}  // namespace platform::posix
