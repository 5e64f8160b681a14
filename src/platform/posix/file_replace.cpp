#include "file_replace.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

#include "errno_map.h"
#include "file_bytes.h"
#include "unique_fd.h"

namespace platform::posix {
namespace {

std::string folderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return "";
    return path.substr(0, slash + 1);
}

// The path every symbolic link on the way finally leads to; it need not exist.
std::string followLinks(std::string path) {
    for (int depth = 0; depth < 40; ++depth) {
        char target[PATH_MAX];
        const ssize_t length = ::readlink(path.c_str(), target, sizeof target);
        if (length <= 0) return path;
        const std::string next(target, static_cast<std::size_t>(length));
        path = next.front() == '/' ? next : folderOf(path) + next;
    }
    return path;  // a loop: opening it reports the error
}

// In place, so that the file keeps its other links. An existing file takes
// `mode` before the new content goes in; the room for that content is taken
// before anything is overwritten: on a full disk the old content stays as it was.
ErrorCode writeInPlace(const std::string& path, const std::string& bytes,
                       const struct stat* existing, mode_t mode) {
    Fd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, mode));
    if (!fd.open()) return setLastErrorForPath(path);
    if (existing && (existing->st_mode & 07777) != mode && ::fchmod(fd.get(), mode) != 0)
        return setLastErrorFromErrno();
    if (!bytes.empty()) {
        const int reserved = ::posix_fallocate(fd.get(), 0, static_cast<off_t>(bytes.size()));
        if (reserved != 0) return setLastError(fromErrno(reserved));
    }
    ErrorCode error = writeFully(fd.get(), bytes);
    if (!error && ::ftruncate(fd.get(), static_cast<off_t>(bytes.size())) != 0)
        error = setLastErrorFromErrno();
    if (!error && ::close(fd.release()) != 0) error = setLastErrorFromErrno();
    return error;
}

// Writes the bytes into a new file beside the target, made exclusively, with
// the existing file's owner and `mode`; a new target's file takes the umask
// like any new file. The temporary file does not outlive a failure.
ErrorCode writeBeside(const std::string& target, const std::string& bytes,
                      const struct stat* existing, mode_t mode, std::string& temporary) {
    Fd fd;
    ErrorCode error = winerr::fileExists;
    for (int attempt = 0; attempt < 100 && error == winerr::fileExists; ++attempt) {
        temporary = besideName(target);
        fd.reset(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                        existing ? 0600 : mode));
        error = fd.open() ? winerr::success : setLastErrorForPath(temporary);
    }
    if (error) return error;
    // The owner first: changing it may clear the mode's set-id bits.
    if (existing && (::fchown(fd.get(), existing->st_uid, existing->st_gid) != 0 ||
                     ::fchmod(fd.get(), mode) != 0))
        error = setLastErrorFromErrno();
    if (!error) error = writeFully(fd.get(), bytes);
    if (!error && ::fsync(fd.get()) != 0) error = setLastErrorFromErrno();
    if (!error && ::close(fd.release()) != 0) error = setLastErrorFromErrno();
    if (error) ::unlink(temporary.c_str());
    return error;
}

}  // namespace

std::string besideName(const std::string& path) {
    static unsigned counter = 0;
    const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
    char suffix[48];
    std::snprintf(suffix, sizeof suffix, ".~%x%x%llx", static_cast<unsigned>(::getpid()), ++counter,
                  static_cast<unsigned long long>(now) & 0xFFFFFF);
    return path + suffix;
}

ErrorCode replaceFileContent(const std::string& path, const std::string& bytes, bool ownerOnly,
                             bool replaceLinks) {
    const std::string target = replaceLinks ? path : followLinks(path);
    struct stat info {};
    // A link that is to be replaced counts as no file at all.
    const bool exists = ::lstat(target.c_str(), &info) == 0 && !S_ISLNK(info.st_mode);
    const bool sharedOrLink = replaceLinks && (!exists || info.st_nlink > 1);
    if (exists) {
        if (S_ISDIR(info.st_mode) || readOnly(info))
            return setLastError(winerr::accessDenied);
        if (::access(target.c_str(), W_OK) != 0) return setLastErrorFromErrno();
    }
    const mode_t mode = ownerOnly ? 0600 : exists ? (info.st_mode & 07777) : 0666;
    const struct stat* existing = exists ? &info : nullptr;
    if (exists && info.st_nlink > 1 && !replaceLinks)
        return writeInPlace(target, bytes, existing, mode);

    std::string temporary;
    ErrorCode error = writeBeside(target, bytes, existing, mode, temporary);
    if (error == winerr::accessDenied && !sharedOrLink)
        return writeInPlace(target, bytes, existing, mode);
    if (error) return error;
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        error = setLastErrorFromErrno();
        ::unlink(temporary.c_str());
    }
    return error;
}

}  // namespace platform::posix
