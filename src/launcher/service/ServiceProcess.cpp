#include "service/ServiceProcess.h"

#include "runtime/Fio.h"
#include "runtime/HarvellaConfig.h"
#include "runtime/LauncherSettings.h"
#include "runtime/PortCheck.h"
#include "service/MarkerFiles.h"
#include "service/ServiceExitCodes.h"
#include "service/ServiceMan.h"

namespace Harvella {
namespace {

namespace svc = platform::svc;
using ServiceMan::serviceName;

constexpr std::uint32_t startPendingHint = 3000;
constexpr std::uint32_t stopPendingHint = 15000;
constexpr int runningMarkerSleeps = 15;
constexpr std::chrono::milliseconds runningMarkerPause{1000};

}  // namespace

ServiceProcess::ServiceProcess(ServiceProcessContext& context) : context_(context) {
    // What an interrogate that comes before the first report re-sends.
    status_.currentState = svc::startPending;
}

void ServiceProcess::runAsService() {
    const platform::ErrorCode failed =
        context_.dispatcher.run(serviceName, [this] { serviceMain(); });
    if (failed == platform::winerr::success) return;
    EventSource source(context_.launcher.eventLog, serviceName);
    reportErrorEvent(source, "Cannot start service.");
}

platform::ErrorCode ServiceProcess::reportServiceState(std::uint32_t state,
                                                       std::uint32_t waitHint) {
    std::lock_guard<std::mutex> guard(statusMutex_);
    return reportStateLocked(state, waitHint);
}

platform::ErrorCode ServiceProcess::reportStateLocked(std::uint32_t state, std::uint32_t waitHint) {
    if (stoppedReported_) return platform::winerr::success;
    status_.currentState = state;
    status_.waitHint = waitHint;
    status_.win32ExitCode = 0;
    // Only stop is ever accepted, so no shutdown, pause or parameter change arrives.
    status_.controlsAccepted = state == svc::startPending ? 0 : svc::acceptStop;
    const bool settled = state == svc::running || state == svc::stopped;
    status_.checkPoint = settled ? 0 : checkPoint_++;
    return sendStatus();
}

platform::ErrorCode ServiceProcess::reportServiceSpecificStop(std::uint32_t code) {
    std::lock_guard<std::mutex> guard(statusMutex_);
    if (stoppedReported_) return platform::winerr::success;
    status_.currentState = svc::stopped;
    status_.waitHint = 0;
    status_.win32ExitCode = platform::winerr::serviceSpecificError;
    status_.serviceSpecificExitCode = code;
    return sendStatus();
}

platform::ErrorCode ServiceProcess::sendStatus() {
    stoppedReported_ = status_.currentState == svc::stopped;
    return context_.dispatcher.setStatus(status_);
}

void ServiceProcess::startServer(EventSource& source) {
    const platform::ErrorCode registered = context_.dispatcher.registerControlHandler(
        serviceName, [this](std::uint32_t control) { serviceControlHandler(control); });
    if (registered)
        throw HarvellaError(codeOf(registered), "Failed to call RegisterServiceCtrlHandler.");
    statusHandleObtained_ = true;
    if (const auto failed = reportServiceState(svc::startPending, startPendingHint))
        throw HarvellaError(codeOf(failed),
                            "Could not change status of the service to start pending state.");

    platform::LauncherServices& launcher = context_.launcher;
    // The server's own relative paths resolve against this.
    const std::string installFolder = enterInstallFolder(launcher);
    const MarkerFiles markers = markerFilesIn(installFolder, launcher.conventions);
    Fio::deleteFile(launcher.files, markers.running);
    Fio::deleteFile(launcher.files, markers.stop);
    {
        // A stop may come as soon as RUNNING is out.
        std::lock_guard<std::mutex> guard(statusMutex_);
        markers_ = markers;
    }

    if (const auto failed = reportServiceState(svc::running, 0))
        throw HarvellaError(codeOf(failed),
                            "Could not change status of the service to running state.");
    reportInfoEvent(source, "Harvella service started.");
    context_.runJavaServer();
}

bool ServiceProcess::reportPortTaken(EventSource& source, const JavaError& failure) {
    try {
        platform::LauncherServices& launcher = context_.launcher;
        HarvellaConfig config(launcher, getInstallPath(launcher.registry));
        const std::string address = config.getIPAddress();
        const std::string port = config.getHTTPPort();
        if (isPortFree(launcher.network, address, port)) return false;
        reportErrorEvent(
            source, formatPortOccupiedMessage(address, port) + "\n" + failure.getFullMessage());
        return true;
    } catch (const HarvellaError& unreadable) {
        // Without the configuration the port cannot be checked: log why and
        // end as any other failure does.
        reportErrorEvent(source, unreadable.getFullMessage());
        return false;
    }
}

void ServiceProcess::serviceMain() {
    EventSource source(context_.launcher.eventLog, serviceName);
    bool stoppedUnexpectedly = true;
    try {
        startServer(source);
        stoppedUnexpectedly = false;
    } catch (const CannotReadRegistryKeyValueError& error) {
        reportErrorEvent(source, error.getFullMessage());
    } catch (const JavaError& error) {
        if (reportPortTaken(source, error)) {
            reportInfoEvent(source, "Harvella service stopped unexpectedly");
            reportServiceSpecificStop(EXIT_PORT_OCCUPIED);
            return;
        }
        reportErrorEvent(source, error.getFullMessage());
    } catch (const HarvellaError& error) {
        reportErrorEvent(source, error.getFullMessage());
    } catch (...) {
        reportErrorEvent(source, "Unexpected error occured in the service.");
    }
    if (!statusHandleObtained_) return;
    if (stoppedUnexpectedly) {
        reportServiceSpecificStop(EXIT_STOPPED_UNEXPECTEDLY);
        reportInfoEvent(source, "Harvella service stopped unexpectedly.");
    } else {
        reportServiceState(svc::stopped, 0);
        reportInfoEvent(source, "Harvella service stopped.");
    }
}

void ServiceProcess::serviceControlHandler(std::uint32_t control) {
    if (control == svc::controlStop) {
        stopRequest();
        return;
    }
    // Read and re-sent under one lock, so that a state the worker reports
    // meanwhile is not overwritten by the older one.
    std::lock_guard<std::mutex> guard(statusMutex_);
    reportStateLocked(status_.currentState, 0);
}

// Runs on the dispatcher thread and never touches the VM: it asks the server
// to stop and waits a while for it to go; STOPPED comes from serviceMain.
void ServiceProcess::stopRequest() {
    EventSource source(context_.launcher.eventLog, serviceName);
    MarkerFiles markers;
    {
        std::lock_guard<std::mutex> guard(statusMutex_);
        // Before the markers are known, or once STOPPED is out, no server
        // runs that could be asked.
        if (markers_.stop.empty() || stoppedReported_) return;
        reportStateLocked(svc::stopPending, stopPendingHint);
        markers = markers_;
    }
    platform::LauncherFiles& files = context_.launcher.files;
    try {
        Fio::createFile(files, markers.stop);
        for (int sleeps = 0;
             Fio::fileExists(files, markers.running) && sleeps < runningMarkerSleeps; ++sleeps)
            context_.clock.sleep(runningMarkerPause);
    } catch (const HarvellaError& error) {
        reportErrorEvent(source, error.getFullMessage());
    }
}

}  // namespace Harvella
