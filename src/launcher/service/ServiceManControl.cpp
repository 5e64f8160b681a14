// Starting and stopping the Harvella service and its dependencies, with the
// polling budgets the progress dialog's totals are made of.
#include "runtime/Fio.h"
#include "runtime/LauncherSettings.h"
#include "runtime/PortCheck.h"
#include "service/MarkerFiles.h"
#include "service/ServiceMan.h"

namespace Harvella::ServiceMan {
namespace {

namespace svc = platform::svc;
namespace winerr = platform::winerr;
using std::chrono::milliseconds;

constexpr int startTotal = 120;
constexpr int stopTotal = 80;
constexpr int serviceStartSteps = 60;
constexpr milliseconds serviceStartInterval{500};
constexpr int serviceRequiredRunning = 10;
constexpr milliseconds dependencyStartInterval{700};
constexpr int dependencyRequiredRunning = 6;
constexpr int serviceStopPolls = 40;
constexpr milliseconds stopInterval{200};
constexpr int markerChecks = 60;
constexpr milliseconds markerInterval{500};
constexpr int stopPollAdvance = 5;

[[noreturn]] void throwStoppedDuringStart(Context& context, const std::string& name,
                                          const platform::ServiceStatus& status) {
    const std::uint32_t exitCode = status.win32ExitCode == winerr::serviceSpecificError
                                       ? status.serviceSpecificExitCode
                                       : status.win32ExitCode;
    if (exitCode == EXIT_PORT_OCCUPIED)
        throw ServiceStartupError(portOccupiedMessage(context.launcher) +
                                  " Please run Harvella installer and re-configure IP address or "
                                  "port to use.");
    throw ServiceStartupError(
        "Service " + name + " has been started and then stopped unexpectedly with exit code: " +
        std::to_string(exitCode) + ". Refer to the event log for more details.");
}

// The Java server creates the running marker once it serves.
void awaitRunningMarker(Context& context, ProgressListener& listener,
                        const std::string& installFolder) {
    const std::string marker = markerFilesIn(installFolder, context.launcher.conventions).running;
    for (int check = 0; check < markerChecks; ++check) {
        context.clock.sleep(markerInterval);
        listener.step();
        if (Fio::fileExists(context.launcher.files, marker)) return;
    }
    throw ServiceStartupError("Timeout starting service.");
}

std::uint32_t stateOf(platform::ServiceHandle& service, const std::string& name) {
    const auto status = service.queryStatus();
    if (!status.ok())
        throw ServiceStartupError(codeOf(status.error), "Could not start the service: " + name);
    return status.value.currentState;
}

// The manager also answers 1056 for a stopped service whose process has not
// ended yet: the start is tried again, on the same budget, until it has.
platform::ErrorCode startOnceOldProcessHasGone(Context& context, platform::ServiceHandle& service,
                                               ProgressListener& listener, const std::string& name,
                                               int polls, milliseconds interval, int& pollsUsed) {
    platform::ErrorCode started = service.start();
    while (started == winerr::serviceAlreadyRunning && stateOf(service, name) == svc::stopped) {
        if (pollsUsed == polls)
            throw ServiceStartupError(codeOf(started), "Could not start the service: " + name);
        ++pollsUsed;
        listener.step();
        context.clock.sleep(interval);
        started = service.start();
    }
    return started;
}

}  // namespace

void startAndWait(Context& context, platform::ServiceHandle& service, ProgressListener& listener,
                  const std::string& name, int steps, milliseconds interval, int requiredRunning,
                  bool failIfRunning) {
    const int polls = steps + requiredRunning;
    int poll = 0;
    const platform::ErrorCode started =
        startOnceOldProcessHasGone(context, service, listener, name, polls, interval, poll);
    if (started != winerr::success && started != winerr::serviceAlreadyRunning)
        throw ServiceStartupError(codeOf(started), "Could not start the service: " + name);
    if (started == winerr::serviceAlreadyRunning && failIfRunning)
        throw ServiceAlreadyStartedError("Service is already running: " + name);

    int runningSeen = 0;
    for (; poll < polls; ++poll) {
        listener.step();
        context.clock.sleep(interval);
        const auto status = service.queryStatus();
        if (!status.ok())
            throw ServiceStartupError(codeOf(status.error), "Could not start the service: " + name);
        const std::uint32_t state = status.value.currentState;
        if (state == svc::stopped || state == svc::stopPending)
            throwStoppedDuringStart(context, name, status.value);
        if (state == svc::running && ++runningSeen == requiredRunning) return;
    }
    throw ServiceStartupError("Timeout starting service: " + name);
}

void stopAndWait(Context& context, platform::ServiceHandle& service, ProgressListener& listener,
                 const std::string& name, int polls, milliseconds interval, bool failIfStopped) {
    const auto controlled = service.control(svc::controlStop);
    if (!controlled.ok()) {
        const bool notRunning = controlled.error == winerr::serviceNotActive ||
                                controlled.error == winerr::serviceCannotAcceptCtrl;
        if (!notRunning)
            throw ServiceShutdownError(codeOf(controlled.error),
                                       "Could not stop the service: " + name);
        if (failIfStopped) throw ServiceAlreadyStoppedError("Service is not running: " + name);
    }
    for (int poll = 0; poll < polls + 1; ++poll) {
        listener.advance(stopPollAdvance);
        context.clock.sleep(interval);
        const auto status = service.queryStatus();
        if (!status.ok())
            throw ServiceShutdownError(codeOf(status.error), "Could not stop the service: " + name);
        if (status.value.currentState == svc::stopped) return;
    }
    throw ServiceShutdownError("Timeout stopping service: " + name);
}

void start(Context& context, ProgressListener& listener) {
    // As for the service, the installation folder is current meanwhile.
    const std::string installFolder = enterInstallFolder(context.launcher);
    listener.setTotal(startTotal);
    const ServiceHandle service = openService(context, serviceName);
    forEachDependency(*service, listener,
                      [&](const std::string& name, ProgressListener& progress, int share) {
                          const ServiceHandle dependency = openService(context, name);
                          startAndWait(context, *dependency, progress, name, share,
                                       dependencyStartInterval, dependencyRequiredRunning, false);
                      });
    startAndWait(context, *service, listener, serviceName, serviceStartSteps, serviceStartInterval,
                 serviceRequiredRunning, true);
    awaitRunningMarker(context, listener, installFolder);
    listener.finish();
}

void stop(Context& context, ProgressListener& listener) {
    listener.setTotal(stopTotal);
    const ServiceHandle service = openService(context, serviceName);
    stopAndWait(context, *service, listener, serviceName, serviceStopPolls, stopInterval, true);
    // Dependencies go after the service that needs them.
    forEachDependency(
        *service, listener, [&](const std::string& name, ProgressListener& progress, int share) {
            const ServiceHandle dependency = openService(context, name);
            stopAndWait(context, *dependency, progress, name, share, stopInterval, false);
        });
    listener.finish();
}

}  // namespace Harvella::ServiceMan
