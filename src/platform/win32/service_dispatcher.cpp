// The service side over advapi32. The manager calls back through plain
// functions without a context pointer, so the one dispatcher of the process
// is reached through a file-level pointer. No core logic belongs here.
#include <windows.h>

#include <atomic>
#include <mutex>

#include "platform/service_manager.h"
#include "scoped_handle.h"

namespace platform {
namespace win32 {
namespace {

class Win32ServiceDispatcher;
Win32ServiceDispatcher* activeDispatcher = nullptr;
constexpr DWORD mainEndWaitMs = 30000;

class Win32ServiceDispatcher final : public ServiceDispatcher {
public:
    ErrorCode run(const std::string& name, ServiceMain serviceMain) override {
        name_ = name;
        serviceMain_ = std::move(serviceMain);
        mainEnded_.reset(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
        activeDispatcher = this;
        SERVICE_TABLE_ENTRYA table[] = {{name_.data(), &Win32ServiceDispatcher::mainThunk},
                                        {nullptr, nullptr}};
        const ErrorCode result = ::StartServiceCtrlDispatcherA(table) ? 0 : ::GetLastError();
        // The dispatcher returns as soon as STOPPED is reported; the service
        // main still writes its last event-log entry after that, and would be
        // cut off by the end of the process.
        if (mainStarted_ && mainEnded_.valid())
            ::WaitForSingleObject(mainEnded_.get(), mainEndWaitMs);
        activeDispatcher = nullptr;
        return result;
    }

    ErrorCode registerControlHandler(const std::string& name, ControlHandler handler) override {
        {
            std::lock_guard<std::mutex> guard(mutex_);
            handler_ = std::move(handler);
        }
        SERVICE_STATUS_HANDLE status =
            ::RegisterServiceCtrlHandlerA(name.c_str(), &Win32ServiceDispatcher::handlerThunk);
        if (!status) return ::GetLastError();
        statusHandle_.store(status);
        return 0;
    }

    ErrorCode setStatus(const ServiceStatus& s) override {
        SERVICE_STATUS status{s.serviceType,
                              s.currentState,
                              s.controlsAccepted,
                              s.win32ExitCode,
                              s.serviceSpecificExitCode,
                              s.checkPoint,
                              s.waitHint};
        return ::SetServiceStatus(statusHandle_.load(), &status) ? 0 : ::GetLastError();
    }

private:
    static void WINAPI mainThunk(DWORD, LPSTR*) {
        Win32ServiceDispatcher* dispatcher = activeDispatcher;
        if (!dispatcher) return;
        dispatcher->mainStarted_ = true;
        dispatcher->serviceMain_();
        ::SetEvent(dispatcher->mainEnded_.get());
    }

    static void WINAPI handlerThunk(DWORD control) {
        if (!activeDispatcher) return;
        ControlHandler handler;
        {
            std::lock_guard<std::mutex> guard(activeDispatcher->mutex_);
            handler = activeDispatcher->handler_;
        }
        if (handler) handler(control);
    }

    std::string name_;
    ServiceMain serviceMain_;
    std::mutex mutex_;
    ControlHandler handler_;
    // Written by the worker once the manager has registered the handler;
    // read by a control the manager may send on the dispatcher thread as
    // soon as it has.
    std::atomic<SERVICE_STATUS_HANDLE> statusHandle_{nullptr};
    std::atomic<bool> mainStarted_{false};
    KernelHandle mainEnded_;
};

}  // namespace
}  // namespace win32

std::unique_ptr<ServiceDispatcher> makeSystemServiceDispatcher() {
    return std::make_unique<win32::Win32ServiceDispatcher>();
}

}  // namespace platform
