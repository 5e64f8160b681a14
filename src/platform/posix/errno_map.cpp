#include "errno_map.h"

#include <sys/stat.h>

#include <cerrno>

namespace platform::posix {
namespace {
thread_local ErrorCode tlsLastError = winerr::success;
}

ErrorCode fromErrno(int e) {
    switch (e) {
    case 0: return winerr::success;
    case ENOENT: return winerr::fileNotFound;
    case ENOTDIR: return winerr::pathNotFound;
    case EACCES:
    case EPERM:
    case EISDIR: return winerr::accessDenied;
    case EBADF: return winerr::invalidHandle;
    case ENOMEM: return winerr::notEnoughMemory;
    case EEXIST: return winerr::fileExists;
    case EINVAL: return winerr::invalidParameter;
    case EPIPE: return winerr::brokenPipe;
    case ENOSPC:
    case EDQUOT: return winerr::diskFull;
    case ENAMETOOLONG: return winerr::filenameTooLong;
    case ENOTEMPTY: return winerr::dirNotEmpty;
    case ENOEXEC: return winerr::badExeFormat;
    case EBUSY:
    case ETXTBSY: return winerr::sharingViolation;
    case EROFS: return 19;  // ERROR_WRITE_PROTECT
    case EMFILE:
    case ENFILE: return 4;  // ERROR_TOO_MANY_OPEN_FILES
    case ETIMEDOUT: return winerr::waitTimeout;
    case EIO: return winerr::writeFault;
    default: return 31;  // ERROR_GEN_FAILURE
    }
}

ErrorCode setLastError(ErrorCode code) {
    tlsLastError = code;
    return code;
}

ErrorCode setLastErrorFromErrno() { return setLastError(fromErrno(errno)); }

ErrorCode setLastErrorForPath(const std::string& path) {
    if (errno != ENOENT) return setLastErrorFromErrno();
    const auto slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "."
                               : slash == 0               ? "/"
                                                          : path.substr(0, slash);
    struct stat info {};
    const bool folderThere = ::stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
    return setLastError(folderThere ? winerr::fileNotFound : winerr::pathNotFound);
}

ErrorCode lastErrorValue() { return tlsLastError; }

}  // namespace platform::posix
