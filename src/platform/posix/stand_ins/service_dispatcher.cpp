// The service side of the POSIX stand-in: a process started by the manager
// finds its name in its environment, reports through the status file and
// receives controls through the service's named pipe. No core logic here.
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <thread>

#include "errno_map.h"
#include "platform/service_manager.h"
#include "service_store.h"

namespace platform {
namespace posix {
namespace {

constexpr int controlPollMs = 100;

class PosixServiceDispatcher final : public ServiceDispatcher {
public:
    ErrorCode run(const std::string& name, ServiceMain serviceMain) override {
        const char* startedAs = std::getenv("HARVELLA_SERVICE_NAME");
        if (!startedAs || !sameServiceName(name, startedAs))
            return setLastError(winerr::failedServiceControllerConnect);
        keepAliveLockFromChildren();
        if (const ErrorCode failed = findRecord(name)) return failed;
        // Open before the manager hears of us, so that no control finds it missing.
        Fd controls = openControlPipe(ServiceFiles{folder_}.control());
        if (!controls.open()) return setLastErrorFromErrno();
        name_ = name;
        if (const ErrorCode failed = markConnected()) return failed;

        std::atomic<bool> mainEnded{false};
        std::thread worker([&] {
            serviceMain();
            mainEnded = true;
        });
        while (!mainEnded)
            dispatchControl(controls);
        worker.join();
        return winerr::success;
    }

    ErrorCode registerControlHandler(const std::string& name, ControlHandler handler) override {
        if (!sameServiceName(name, name_)) return setLastError(winerr::serviceDoesNotExist);
        std::lock_guard<std::mutex> guard(mutex_);
        handler_ = std::move(handler);
        return winerr::success;
    }

    ErrorCode setStatus(const ServiceStatus& status) override {
        if (status.currentState == svc::stopped) {
            std::lock_guard<std::mutex> guard(mutex_);
            stopReported_ = true;
        }
        ServiceTransaction record;
        if (const ErrorCode failed = record.select(folder_)) return failed;
        record.status.status = status;
        return record.commitStatus();
    }

private:
    // The JVM and anything else we start must not keep the service "alive".
    static void keepAliveLockFromChildren() {
        const char* fd = std::getenv("HARVELLA_SERVICE_ALIVE_FD");
        if (fd) ::fcntl(std::atoi(fd), F_SETFD, FD_CLOEXEC);
    }

    // Opened for reading and writing so that it never reports end of file.
    static Fd openControlPipe(const std::string& path) {
        if (::mkfifo(path.c_str(), 0600) != 0 && errno != EEXIST) return Fd();
        return Fd(::open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC));
    }

    // Found once: the record cannot go while its service runs.
    ErrorCode findRecord(const std::string& name) {
        ServiceTransaction record;
        if (const ErrorCode failed = record.selectByName(name)) return failed;
        folder_ = record.folder;
        return winerr::success;
    }

    ErrorCode markConnected() {
        ServiceTransaction record;
        if (const ErrorCode failed = record.select(folder_)) return failed;
        record.status.connected = true;
        record.status.pid = ::getpid();
        return record.commitStatus();
    }

    void dispatchControl(const Fd& controls) {
        pollfd ready{controls.get(), POLLIN, 0};
        if (::poll(&ready, 1, controlPollMs) <= 0) return;
        std::uint32_t code = 0;
        if (::read(controls.get(), &code, sizeof code) != sizeof code) return;
        ControlHandler handler;
        {
            std::lock_guard<std::mutex> guard(mutex_);
            if (!stopReported_) handler = handler_;
        }
        if (handler) handler(code);
        markHandled();
    }

    // Lets the control's sender return, as ControlService does once the
    // handler has returned.
    void markHandled() {
        ServiceTransaction record;
        if (record.select(folder_) != winerr::success) return;
        ++record.status.controlsHandled;
        record.commitStatus();
    }

    std::string name_;
    std::string folder_;
    std::mutex mutex_;
    ControlHandler handler_;
    // As on Windows, a service that has reported STOPPED gets no more controls:
    // a second stop sent while it was stopping must not reach a handler whose
    // state may have ended with the service's main.
    bool stopReported_ = false;
};

}  // namespace
}  // namespace posix

std::unique_ptr<ServiceDispatcher> makeSystemServiceDispatcher() {
    return std::make_unique<posix::PosixServiceDispatcher>();
}

}  // namespace platform
