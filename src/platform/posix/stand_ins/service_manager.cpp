// The service manager seam over the POSIX stand-in. No core logic here.
#include "platform/service_manager.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "errno_map.h"
#include "service_control.h"

namespace platform {
namespace posix {
namespace {

using HandleResult = Result<std::unique_ptr<ServiceHandle>>;

HandleResult asHandle(StandInService::Opened opened) {
    if (!opened.ok()) return HandleResult::failure(opened.error);
    return {std::move(opened.value), winerr::success};
}

// Holds services/.dblock: a second holder is refused as Windows refuses it.
class PosixDatabaseLock final : public ServiceDatabaseLock {
public:
    explicit PosixDatabaseLock(Fd fd) : fd_(std::move(fd)) {}

private:
    Fd fd_;
};

class PosixServiceManagerConnection final : public ServiceManagerConnection {
public:
    // The stand-in keeps no access lists: every caller may do everything.
    HandleResult open(const std::string& name, std::uint32_t) override {
        return asHandle(StandInService::open(name));
    }

    HandleResult create(const ServiceConfig& config) override {
        StoredService service;
        service.config = config;
        return asHandle(StandInService::create(service));
    }

    Result<std::unique_ptr<ServiceDatabaseLock>> lock() override {
        using R = Result<std::unique_ptr<ServiceDatabaseLock>>;
        constexpr ErrorCode databaseLocked = 1055;  // ERROR_SERVICE_DATABASE_LOCKED
        {
            StoreLock storeLock;
            if (!storeLock.held()) return R::failure(storeLock.error());
        }
        const std::string path = ServiceStore::servicesFolder() + "/.dblock";
        Fd fd(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644));
        if (!fd.open()) return R::failure(setLastErrorFromErrno());
        if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0)
            return R::failure(setLastError(databaseLocked));
        return {std::make_unique<PosixDatabaseLock>(std::move(fd)), winerr::success};
    }
};

class PosixServiceManager final : public ServiceManager {
public:
    Result<std::unique_ptr<ServiceManagerConnection>> connect(std::uint32_t) override {
        return {std::make_unique<PosixServiceManagerConnection>(), winerr::success};
    }
};

class PosixProgramFile final : public ProgramFile {
public:
    Result<std::string> modulePath(std::size_t bufferSize) override {
        std::string path(bufferSize, '\0');
        const ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size());
        if (length < 0) return Result<std::string>::failure(setLastErrorFromErrno());
        // GetModuleFileNameA needs room for the terminating NUL as well.
        if (static_cast<std::size_t>(length) + 1 > bufferSize)
            return Result<std::string>::failure(setLastError(122));  // ERROR_INSUFFICIENT_BUFFER
        path.resize(static_cast<std::size_t>(length));
        return {path, winerr::success};
    }
};

}  // namespace
}  // namespace posix

std::unique_ptr<ProgramFile> makeSystemProgramFile() {
    return std::make_unique<posix::PosixProgramFile>();
}

std::unique_ptr<ServiceManager> makeSystemServiceManager() {
    return std::make_unique<posix::PosixServiceManager>();
}

}  // namespace platform
