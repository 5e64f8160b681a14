#include "ScCommands.h"

#include <chrono>
#include <map>
#include <thread>

#include "stand_ins/service_control.h"
#include "system_errors.h"

namespace harvellasc {
namespace {

using platform::ErrorCode;
using platform::ServiceStatus;
using platform::posix::StandInService;
using platform::posix::StoredService;
namespace svc = platform::svc;
namespace winerr = platform::winerr;

// sc.exe exits with the error number, which a POSIX exit status cannot hold:
// the number goes to standard error and the status is 1.
constexpr int scFailed = 1;
constexpr int netFailure = 2;
constexpr auto netPoll = std::chrono::milliseconds(200);
// net waits as long as the service keeps saying it is pending; this bounds it.
constexpr auto netPatience = std::chrono::seconds(120);

std::string errorText(ErrorCode code) {
    platform::posix::PosixSystemErrors errors;
    return errors.text(code);
}

int scFailure(const std::string& call, ErrorCode code, std::ostream& err) {
    err << "[SC] " << call << " FAILED " << code << ":\n\n" << errorText(code) << "\n";
    return scFailed;
}

std::string stateName(std::uint32_t state) {
    static const std::map<std::uint32_t, std::string> names = {
        {1, "STOPPED"},          {2, "START_PENDING"}, {3, "STOP_PENDING"}, {4, "RUNNING"},
        {5, "CONTINUE_PENDING"}, {6, "PAUSE_PENDING"}, {7, "PAUSED"}};
    const auto found = names.find(state);
    return found == names.end() ? "UNKNOWN" : found->second;
}

bool parseCreateOptions(const Arguments& args, StoredService& service, std::ostream& err) {
    for (std::size_t i = 2; i + 1 < args.size(); i += 2) {
        const std::string& key = args[i];
        const std::string& value = args[i + 1];
        if (key == "binPath=")
            service.config.commandLine = value;
        else if (key == "DisplayName=")
            service.config.displayName = value;
        else if (key == "depend=")
            service.config.dependencies = platform::posix::splitDependencies(value);
        else if (key == "start=" && (value == "auto" || value == "demand"))
            service.config.startType = value == "auto" ? svc::autoStart : svc::demandStart;
        else if (key == "type=" && (value == "own" || value == "daemon"))
            service.plainDaemon = value == "daemon";
        else {
            err << "[SC] CreateService: unknown option " << key << " " << value << "\n";
            return false;
        }
    }
    if ((args.size() % 2) != 0 || service.config.commandLine.empty()) {
        err << "[SC] CreateService: binPath= is required and every option needs a value\n";
        return false;
    }
    return true;
}

template <class Done>
bool waitFor(StandInService& service, ServiceStatus& status, Done done) {
    const auto deadline = std::chrono::steady_clock::now() + netPatience;
    while (std::chrono::steady_clock::now() < deadline) {
        const auto queried = service.queryStatus();
        if (!queried.ok()) return false;
        status = queried.value;
        if (done(status)) return true;
        std::this_thread::sleep_for(netPoll);
    }
    return false;
}

// The manager refuses to start a stopped service whose old process has not
// ended yet (1056, as Windows does); net waits for that process to go, and
// never calls such a service started.
ErrorCode startOnceOldProcessHasGone(StandInService& service) {
    const auto deadline = std::chrono::steady_clock::now() + netPatience;
    ErrorCode failed = service.start();
    while (failed == winerr::serviceAlreadyRunning) {
        const auto status = service.queryStatus();
        if (!status.ok() || status.value.currentState != svc::stopped) break;
        if (std::chrono::steady_clock::now() >= deadline) return winerr::serviceRequestTimeout;
        std::this_thread::sleep_for(netPoll);
        failed = service.start();
    }
    return failed;
}

// What net.exe says about a failed start or stop.
int netFailureReport(const std::string& what, ErrorCode code, std::uint32_t specific,
                     std::ostream& err) {
    err << what << "\n\n";
    if (code == winerr::serviceSpecificError)
        err << "The service has returned a service-specific error code: " << specific << ".\n";
    else if (code != winerr::success)
        err << "System error " << code << " has occurred.\n\n" << errorText(code) << "\n";
    return netFailure;
}

}  // namespace

int create(const Arguments& args, std::ostream& out, std::ostream& err) {
    StoredService service;
    service.config.name = args[1];
    service.config.displayName = args[1];
    if (!parseCreateOptions(args, service, err)) return scFailed;
    const auto created = StandInService::create(service);
    if (!created.ok()) return scFailure("CreateService", created.error, err);
    out << "[SC] CreateService SUCCESS\n";
    return 0;
}

int remove(const std::string& name, std::ostream& out, std::ostream& err) {
    const auto service = StandInService::open(name);
    if (!service.ok()) return scFailure("OpenService", service.error, err);
    if (const ErrorCode failed = service.value->remove())
        return scFailure("DeleteService", failed, err);
    out << "[SC] DeleteService SUCCESS\n";
    return 0;
}

int query(const std::string& name, std::ostream& out, std::ostream& err) {
    const auto service = StandInService::open(name);
    if (!service.ok()) return scFailure("EnumQueryServicesStatus:OpenService", service.error, err);
    const auto status = service.value->queryStatus();
    if (!status.ok()) return scFailure("QueryServiceStatus", status.error, err);
    const ServiceStatus& s = status.value;
    out << "\nSERVICE_NAME: " << name << "\n"
        << "        TYPE               : " << std::hex << s.serviceType << std::dec
        << "  WIN32_OWN_PROCESS\n"
        << "        STATE              : " << s.currentState << "  " << stateName(s.currentState)
        << "\n"
        << "        WIN32_EXIT_CODE    : " << s.win32ExitCode << "  (0x" << std::hex
        << s.win32ExitCode << ")\n"
        << std::dec << "        SERVICE_EXIT_CODE  : " << s.serviceSpecificExitCode << "  (0x"
        << std::hex << s.serviceSpecificExitCode << ")\n"
        << "        CHECKPOINT         : 0x" << s.checkPoint << "\n"
        << "        WAIT_HINT          : 0x" << s.waitHint << std::dec << "\n";
    return 0;
}

int queryConfig(const std::string& name, std::ostream& out, std::ostream& err) {
    const auto service = StandInService::open(name);
    if (!service.ok()) return scFailure("OpenService", service.error, err);
    const auto stored = service.value->queryRecord();
    if (!stored.ok()) return scFailure("QueryServiceConfig", stored.error, err);
    const auto& c = stored.value.config;
    out << "[SC] QueryServiceConfig SUCCESS\n\nSERVICE_NAME: " << c.name << "\n"
        << "        TYPE               : " << (stored.value.plainDaemon ? "DAEMON" : "OWN_PROCESS")
        << "\n"
        << "        START_TYPE         : "
        << (c.startType == svc::autoStart ? "2   AUTO_START" : "3   DEMAND_START") << "\n"
        << "        BINARY_PATH_NAME   : " << c.commandLine << "\n"
        << "        DISPLAY_NAME       : " << c.displayName << "\n"
        << "        DEPENDENCIES       : " << platform::posix::joinDependencies(c.dependencies)
        << "\n"
        << "        DESCRIPTION        : " << stored.value.description << "\n";
    return 0;
}

int describe(const std::string& name, const std::string& text, std::ostream& out,
             std::ostream& err) {
    const auto service = StandInService::open(name);
    if (!service.ok()) return scFailure("OpenService", service.error, err);
    if (const ErrorCode failed = service.value->setDescription(text))
        return scFailure("ChangeServiceConfig2", failed, err);
    out << "[SC] ChangeServiceConfig2 SUCCESS\n";
    return 0;
}

int startAndWait(const std::string& name, std::ostream& out, std::ostream& err) {
    const std::string failure = "The " + name + " service could not be started.";
    const auto service = StandInService::open(name);
    if (!service.ok()) return netFailureReport(failure, service.error, 0, err);
    if (const ErrorCode failed = startOnceOldProcessHasGone(*service.value)) {
        if (failed == winerr::serviceAlreadyRunning) {
            err << "The requested service has already been started.\n";
            return netFailure;
        }
        return netFailureReport(failure, failed, 0, err);
    }
    ServiceStatus status;
    const bool settled = waitFor(*service.value, status, [](const ServiceStatus& s) {
        return s.currentState != svc::startPending;
    });
    if (settled && status.currentState == svc::running) {
        out << "The " << name << " service was started successfully.\n";
        return 0;
    }
    return netFailureReport(failure, settled ? status.win32ExitCode : winerr::serviceRequestTimeout,
                            status.serviceSpecificExitCode, err);
}

int stopAndWait(const std::string& name, std::ostream& out, std::ostream& err) {
    const std::string failure = "The " + name + " service could not be stopped.";
    const auto service = StandInService::open(name);
    if (!service.ok()) return netFailureReport(failure, service.error, 0, err);
    const auto sent = service.value->control(svc::controlStop);
    if (!sent.ok()) {
        if (sent.error == winerr::serviceNotActive) {
            err << "The " << name << " service is not started.\n";
            return netFailure;
        }
        return netFailureReport(failure, sent.error, 0, err);
    }
    ServiceStatus status;
    if (waitFor(*service.value, status,
                [](const ServiceStatus& s) { return s.currentState == svc::stopped; })) {
        out << "The " << name << " service was stopped successfully.\n";
        return 0;
    }
    return netFailureReport(failure, winerr::serviceRequestTimeout, 0, err);
}

}  // namespace harvellasc
