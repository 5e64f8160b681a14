// The launcher's file calls with the Win32 semantics it relies on.
#include "launcher_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

#include "errno_map.h"
#include "file_bytes.h"
#include "unique_fd.h"

namespace platform::posix {
namespace {

// FindFirstFileA matches patterns in the last component only.
ErrorCode findPattern(const std::string& folder, const std::string& pattern) {
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.empty() ? "." : folder.c_str()),
                                            ::closedir);
    if (!dir) return errno == ENOENT ? setLastError(winerr::pathNotFound) : setLastErrorFromErrno();
    while (const dirent* entry = ::readdir(dir.get())) {
        if (::fnmatch(pattern.c_str(), entry->d_name, FNM_PERIOD) == 0) return winerr::success;
    }
    return setLastError(winerr::fileNotFound);
}

}  // namespace

ErrorCode PosixLauncherFiles::createNew(const std::string& path) {
    Fd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
    return fd.open() ? winerr::success : setLastErrorForPath(path);
}

ErrorCode PosixLauncherFiles::deleteFile(const std::string& path) {
    return ::unlink(path.c_str()) == 0 ? winerr::success : setLastErrorForPath(path);
}

ErrorCode PosixLauncherFiles::find(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.find_first_of("*?") != std::string::npos)
        return findPattern(slash == std::string::npos ? "" : path.substr(0, slash + 1), name);
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) return winerr::success;
    return setLastErrorForPath(path);
}

Result<std::string> PosixLauncherFiles::readWritable(const std::string& path) {
    Fd fd;
    if (const ErrorCode failed = openRegularFile(path, O_RDWR, fd))
        return Result<std::string>::failure(failed);
    // The read-only attribute binds every account; root would open the file
    // for writing despite its mode.
    struct stat info {};
    if (::fstat(fd.get(), &info) == 0 && readOnly(info))
        return Result<std::string>::failure(setLastError(winerr::accessDenied));
    return readToEnd(fd.get());
}

}  // namespace platform::posix
