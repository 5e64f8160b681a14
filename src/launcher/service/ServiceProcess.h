#pragma once
// The launcher as the service process: connects to the service manager,
// reports the service's states, hosts the Java server on the worker thread
// and passes the manager's stop request on through the marker files.
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

#include "frontend/LauncherErrors.h"
#include "platform/clock.h"
#include "platform/launcher_services.h"
#include "platform/service_manager.h"
#include "service/EventLogSource.h"
#include "service/MarkerFiles.h"

namespace Harvella {

// What the service process reaches the system and the server runtime through.
struct ServiceProcessContext {
    platform::ServiceDispatcher& dispatcher;
    platform::LauncherServices& launcher;
    platform::Clock& clock;
    // Blocks in the Java server's main (JavaVmHost::runJavaServer in the
    // program); JavaError for its uncaught throwable.
    std::function<void()> runJavaServer;
};

class ServiceProcess {
public:
    explicit ServiceProcess(ServiceProcessContext& context);
    ServiceProcess(const ServiceProcess&) = delete;
    ServiceProcess& operator=(const ServiceProcess&) = delete;

    // Returns once the manager lets the dispatcher go; started from a
    // console it logs "Cannot start service." and returns.
    void runAsService();
    // The worker thread: the whole life of the Java server.
    void serviceMain();
    // The dispatcher thread.
    void serviceControlHandler(std::uint32_t control);
    // 0, or the error number of the failed status report.
    platform::ErrorCode reportServiceState(std::uint32_t state, std::uint32_t waitHint);
    platform::ErrorCode reportServiceSpecificStop(std::uint32_t code);

private:
    void startServer(EventSource& source);
    void stopRequest();
    // True when the Java failure came from a taken port; then it is logged.
    bool reportPortTaken(EventSource& source, const JavaError& failure);
    // Both expect statusMutex_ to be held.
    platform::ErrorCode reportStateLocked(std::uint32_t state, std::uint32_t waitHint);
    platform::ErrorCode sendStatus();

    ServiceProcessContext& context_;
    // Both threads report; filling the record and sending it happen under
    // this lock so that neither sees the other's half-filled record.
    std::mutex statusMutex_;
    platform::ServiceStatus status_;
    std::uint32_t checkPoint_ = 1;
    // Set by the worker before it reports RUNNING; read by the stop request.
    MarkerFiles markers_;
    // Nothing is reported after STOPPED: the manager may have taken the
    // process's end and exit code already, and a later STOP_PENDING would
    // turn them into "terminated unexpectedly".
    bool stoppedReported_ = false;
    bool statusHandleObtained_ = false;
};

}  // namespace Harvella
