// POSIX files and folders, errors mapped onto Windows numbers.
#include "file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "errno_map.h"
#include "file_bytes.h"
#include "file_replace.h"
#include "unique_fd.h"

namespace platform::posix {
namespace {

bool statIs(const std::string& path, mode_t type) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && (info.st_mode & S_IFMT) == type;
}

ErrorCode writeAll(const std::string& path, const std::string& bytes) {
    Fd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
    if (!fd.open()) return setLastErrorForPath(path);
    if (const ErrorCode error = writeFully(fd.get(), bytes)) return error;
    if (::close(fd.release()) != 0) return setLastErrorFromErrno();
    return winerr::success;
}

ErrorCode deleteTree(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) return setLastErrorFromErrno();
    if (!S_ISDIR(info.st_mode)) return ::unlink(path.c_str()) == 0 ? 0 : setLastErrorFromErrno();
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(path.c_str()), ::closedir);
    if (!dir) return setLastErrorFromErrno();
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        if (const ErrorCode e = deleteTree(path + "/" + name)) return e;
    }
    return ::rmdir(path.c_str()) == 0 ? 0 : setLastErrorFromErrno();
}

// The first link under the folder, depth first; "" when there is none.
Result<std::string> linkUnder(const std::string& folder) {
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), ::closedir);
    if (!dir) return Result<std::string>::failure(setLastErrorForPath(folder));
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        const std::string path = folder + "/" + name;
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0)
            return Result<std::string>::failure(setLastErrorFromErrno());
        if (S_ISLNK(info.st_mode)) return {path, winerr::success};
        if (!S_ISDIR(info.st_mode)) continue;
        auto inside = linkUnder(path);
        if (!inside.ok() || !inside.value.empty()) return inside;
    }
    return {"", winerr::success};
}

class PosixFileLock final : public FileLock {
public:
    explicit PosixFileLock(Fd fd) : fd_(std::move(fd)) {}

private:
    Fd fd_;
};

// Copies the open source into the file at `to` (a new one when `fresh`); a
// failure removes what was written.
ErrorCode copyInto(int from, const std::string& to, mode_t mode, bool fresh) {
    Fd out(::open(to.c_str(),
                  O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC | (fresh ? O_EXCL : O_TRUNC), mode));
    if (!out.open())
        return errno == ENOENT ? setLastError(winerr::pathNotFound) : setLastErrorFromErrno();
    ErrorCode error = winerr::success;
    char buffer[1 << 16];
    while (!error) {
        const ssize_t got = ::read(from, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) error = setLastErrorFromErrno();
        if (got <= 0) break;
        error = writeFully(out.get(), std::string(buffer, static_cast<std::size_t>(got)));
    }
    if (!error && ::close(out.release()) != 0) error = setLastErrorFromErrno();
    if (error) ::unlink(to.c_str());
    return error;
}

// The copy is written beside the destination and then takes its name: a copy
// cut short (a full disk) never stands under it. Where the folder refuses a
// new file, the destination itself is written, and removed when that fails.
ErrorCode copyOpen(int from, const struct stat& source, const std::string& to) {
    struct stat target {};
    if (::stat(to.c_str(), &target) == 0) {
        if (target.st_dev == source.st_dev && target.st_ino == source.st_ino)
            return setLastError(winerr::sharingViolation);
        if (readOnly(target) || S_ISDIR(target.st_mode)) return setLastError(winerr::accessDenied);
    }
    const mode_t mode = source.st_mode & 0777;
    const std::string beside = besideName(to);
    ErrorCode error = copyInto(from, beside, mode, true);
    if (error == winerr::accessDenied) return copyInto(from, to, mode, false);
    if (!error && ::rename(beside.c_str(), to.c_str()) != 0) {
        error = setLastErrorFromErrno();
        ::unlink(beside.c_str());
    }
    return error;
}

}  // namespace

bool PosixFileSystem::fileExists(const std::string& path) { return statIs(path, S_IFREG); }

bool PosixFileSystem::folderExists(const std::string& path) { return statIs(path, S_IFDIR); }

Result<std::string> PosixFileSystem::readFile(const std::string& path) {
    return readWholeFile(path);
}

ErrorCode PosixFileSystem::writeFile(const std::string& path, const std::string& bytes) {
    return writeAll(path, bytes);
}

ErrorCode PosixFileSystem::createNewFile(const std::string& path, const std::string& bytes) {
    return posix::createNewFile(path, bytes, 0600);
}

ErrorCode PosixFileSystem::replaceFileContent(const std::string& path, const std::string& bytes,
                                              bool ownerOnly, AtLink atLink) {
    return posix::replaceFileContent(path, bytes, ownerOnly, atLink == AtLink::replaceLink);
}

ErrorCode PosixFileSystem::deleteFile(const std::string& path) {
    if (statIs(path, S_IFDIR)) return setLastError(winerr::fileNotFound);
    return ::unlink(path.c_str()) == 0 ? 0 : setLastErrorForPath(path);
}

ErrorCode PosixFileSystem::deleteFolder(const std::string& path) {
    if (!statIs(path, S_IFDIR)) return setLastError(winerr::pathNotFound);
    return deleteTree(path);
}

Result<std::string> PosixFileSystem::firstLinkUnder(const std::string& folder) {
    return linkUnder(folder);
}

Result<std::string> PosixFileSystem::finalPath(const std::string& path) {
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) == nullptr)
        return Result<std::string>::failure(setLastErrorForPath(path));
    return {resolved, winerr::success};
}

// flock, not fcntl: the lock belongs to the open file, so no other descriptor
// of this process can drop it by closing the same file.
Result<std::unique_ptr<FileLock>> PosixFileSystem::lockFile(const std::string& path) {
    using R = Result<std::unique_ptr<FileLock>>;
    Fd fd(::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!fd.open()) return R::failure(setLastErrorForPath(path));
    if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0)
        return R::failure(errno == EWOULDBLOCK ? setLastError(winerr::sharingViolation)
                                               : setLastErrorFromErrno());
    return {std::make_unique<PosixFileLock>(std::move(fd)), winerr::success};
}

ErrorCode PosixFileSystem::moveFolder(const std::string& from, const std::string& to) {
    if (!statIs(from, S_IFDIR)) return setLastError(winerr::pathNotFound);
    // Never over something that is there, as on Windows.
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return winerr::success;
    return errno == EEXIST ? setLastError(winerr::alreadyExists) : setLastErrorFromErrno();
}

ErrorCode PosixFileSystem::createFolder(const std::string& path) {
    if (::mkdir(path.c_str(), 0755) == 0) return winerr::success;
    return errno == ENOENT ? setLastError(winerr::pathNotFound) : setLastErrorFromErrno();
}

Result<std::vector<std::string>> PosixFileSystem::listFiles(const std::string& folder) {
    using R = Result<std::vector<std::string>>;
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), ::closedir);
    if (!dir) return R::failure(errno == ENOENT ? setLastError(winerr::pathNotFound)
                                                : setLastErrorFromErrno());
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(dir.get())) {
        if (statIs(folder + "/" + entry->d_name, S_IFREG)) names.emplace_back(entry->d_name);
    }
    return {names, winerr::success};
}

Result<std::string> PosixFileSystem::absolutePath(const std::string& path) {
    if (!path.empty() && path.front() == '/') return {path, winerr::success};
    char buffer[4096];
    if (::getcwd(buffer, sizeof buffer) == nullptr)
        return Result<std::string>::failure(setLastErrorFromErrno());
    return {std::string(buffer) + (path.empty() ? "" : "/" + path), winerr::success};
}

Result<std::uint64_t> PosixFileSystem::freeSpace(const std::string& path) {
    // The volume of the nearest folder that exists: the path itself need not.
    std::string existing = path;
    while (!statIs(existing, S_IFDIR) && existing.find('/') != std::string::npos) {
        existing.erase(existing.find_last_of('/'));
        if (existing.empty()) existing = "/";
    }
    struct statvfs info {};
    if (::statvfs(existing.c_str(), &info) != 0)
        return Result<std::uint64_t>::failure(setLastErrorFromErrno());
    return {static_cast<std::uint64_t>(info.f_bavail) * info.f_frsize, winerr::success};
}

std::string PosixFileSystem::tempFolder() {
    const char* fromEnvironment = std::getenv("TMPDIR");
    std::string folder = fromEnvironment && *fromEnvironment ? fromEnvironment : "/tmp";
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder;
}

ErrorCode PosixFileSystem::copyFile(const std::string& from, const std::string& to) {
    Fd in(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat source {};
    if (!in.open() || ::fstat(in.get(), &source) != 0) return setLastErrorFromErrno();
    if (!S_ISREG(source.st_mode)) return setLastError(winerr::fileNotFound);
    return copyOpen(in.get(), source, to);
}

ErrorCode PosixFileSystem::moveFile(const std::string& from, const std::string& to,
                                   bool replaceExisting) {
    struct stat target {};
    if (replaceExisting && ::lstat(to.c_str(), &target) == 0 && S_ISREG(target.st_mode) &&
        readOnly(target))
        return setLastError(winerr::accessDenied);
    if (replaceExisting)
        return ::rename(from.c_str(), to.c_str()) == 0 ? winerr::success : setLastErrorFromErrno();
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return winerr::success;
    if (errno == EEXIST) return setLastError(winerr::alreadyExists);
    if (errno != EINVAL && errno != ENOSYS) return setLastErrorFromErrno();
    // A file system without no-replace renames: a new link fails just as well
    // when the name is taken.
    if (::link(from.c_str(), to.c_str()) != 0)
        return errno == EEXIST ? setLastError(winerr::alreadyExists) : setLastErrorFromErrno();
    return ::unlink(from.c_str()) == 0 ? winerr::success : setLastErrorFromErrno();
}

Result<std::uint64_t> PosixFileSystem::fileSize(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return Result<std::uint64_t>::failure(setLastErrorFromErrno());
    if (!S_ISREG(info.st_mode)) return Result<std::uint64_t>::failure(setLastError(winerr::fileNotFound));
    return {static_cast<std::uint64_t>(info.st_size), winerr::success};
}

}  // namespace platform::posix
