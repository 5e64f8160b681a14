// POSIX stand-in service manager: creating, starting, controlling and
// deleting services. No Windows spellings and no core logic belong here.
#include "service_control.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <unistd.h>

#include <optional>
#include <thread>

#include "errno_map.h"
#include "service_launch.h"

namespace platform::posix {
namespace {

using Clock = std::chrono::steady_clock;
using StatusResult = Result<ServiceStatus>;
constexpr std::chrono::milliseconds statePoll{20};

ErrorCode recordFailedStart(const std::string& folder, ErrorCode code) {
    ServiceTransaction record;
    if (record.select(folder) == winerr::success) {
        record.status.status =
            ServiceStatus{record.service.config.serviceType, svc::stopped, 0, code};
        record.status.pid = 0;
        record.commitStatus();
    }
    return setLastError(code);
}

ErrorCode recordSpawn(const std::string& folder, pid_t pid) {
    ServiceTransaction record;
    if (const ErrorCode failed = record.select(folder)) return failed;
    record.status.pid = pid;
    if (record.service.plainDaemon) {
        record.status.status.currentState = svc::running;
        record.status.status.controlsAccepted = svc::acceptStop;
        record.status.status.waitHint = 0;
    }
    return record.commitStatus();
}

// Polls the record until `settled` says so, for at most the connect limit;
// nothing once the record cannot be read.
template <class Settled>
std::optional<StoredStatus> pollStatus(const std::string& folder, Settled settled) {
    const auto deadline = Clock::now() + StandInService::connectLimit;
    while (Clock::now() < deadline) {
        {
            ServiceTransaction record;
            if (record.select(folder) != winerr::success) return std::nullopt;
            if (settled(record.status)) return record.status;
        }
        std::this_thread::sleep_for(statePoll);
    }
    return std::nullopt;
}

// Waits until the service-aware process has reached the dispatcher.
ErrorCode awaitConnection(const std::string& folder, pid_t pid) {
    const auto seen = pollStatus(folder, [](const StoredStatus& s) {
        return s.connected || s.status.currentState == svc::stopped;
    });
    if (seen) return setLastError(seen->connected ? winerr::success : winerr::processAborted);
    if (pid > 1) ::kill(-pid, SIGKILL);
    return recordFailedStart(folder, winerr::serviceRequestTimeout);
}

// Windows returns from ControlService once the service's handler has
// returned, and gives up after 30 s.
StatusResult awaitHandler(const std::string& folder, std::uint32_t ticket) {
    const auto seen = pollStatus(folder, [ticket](const StoredStatus& s) {
        return s.controlsHandled >= ticket || s.status.currentState == svc::stopped;
    });
    if (!seen) return StatusResult::failure(setLastError(winerr::serviceRequestTimeout));
    return {seen->status, winerr::success};
}

StatusResult stopDaemon(ServiceTransaction& record) {
    StoredStatus& stored = record.status;
    stored.status.currentState = svc::stopPending;
    stored.status.controlsAccepted = 0;
    stored.stopRequested = true;
    if (const ErrorCode failed = record.commitStatus()) return StatusResult::failure(failed);
    // The daemon's group, not its first process: that may have ended while
    // its children run on, and its pid may since belong to someone else; a
    // group's id is not handed out again while the group lives. Never 0 or 1.
    if (stored.pid > 1) {
        ::kill(-stored.pid, SIGTERM);
        killGroupAfterGrace(ServiceFiles{record.folder}, stored.pid, StandInService::daemonGrace);
    }
    return {stored.status, winerr::success};
}

// Counts the control in the record, then writes it to the service's pipe,
// and returns its ticket: the number of controls sent so far, this one
// included. A control that could not be counted is not sent, so a failure
// means the service heard nothing; one that did not reach the pipe is taken
// off the count again, or later senders would wait for it in vain.
Result<std::uint32_t> sendControl(ServiceTransaction& record, std::uint32_t code) {
    using R = Result<std::uint32_t>;
    ++record.status.controlsSent;
    if (const ErrorCode failed = record.commitStatus()) return R::failure(failed);
    Fd pipe(
        ::open(ServiceFiles{record.folder}.control().c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC));
    if (!pipe.open() || ::write(pipe.get(), &code, sizeof code) != sizeof code) {
        --record.status.controlsSent;
        record.commitStatus();
        return R::failure(setLastError(winerr::serviceCannotAcceptCtrl));
    }
    return {record.status.controlsSent, winerr::success};
}

bool dependsOn(const StoredService& service, const std::string& name) {
    for (const std::string& dependency : dependencyNames(service.config.dependencies))
        if (sameServiceName(dependency, name)) return true;
    return false;
}

// Whether a service that is not stopped depends on this one.
bool dependentsRunning(const ServiceTransaction& record) {
    for (const std::string& folder : ServiceStore::folders()) {
        const auto other = ServiceStore::readService(folder);
        if (folder == record.folder || !other.ok() ||
            !dependsOn(other.value, record.service.config.name))
            continue;
        const auto status = ServiceStore::readStatus(folder, other.value);
        if (status.ok() && status.value.status.currentState != svc::stopped) return true;
    }
    return false;
}

// Whether following the dependencies leads back to the named service.
bool leadsBackTo(const std::string& name, std::vector<std::string> pending) {
    std::vector<std::string> seen;
    while (!pending.empty()) {
        const std::string next = pending.back();
        pending.pop_back();
        if (sameServiceName(next, name)) return true;
        bool visited = false;
        for (const std::string& earlier : seen)
            visited = visited || sameServiceName(earlier, next);
        const auto folder = ServiceStore::find(next);
        if (visited || !folder.ok()) continue;
        seen.push_back(next);
        const auto service = ServiceStore::readService(folder.value);
        if (!service.ok()) continue;
        for (const std::string& dependency : dependencyNames(service.value.config.dependencies))
            pending.push_back(dependency);
    }
    return false;
}

}  // namespace

StandInService::StandInService(std::string folder, Fd hold)
    : folder_(std::move(folder)), hold_(std::move(hold)) {}

StandInService::~StandInService() {
    ServiceTransaction lock;
    hold_.reset();
    if (lock.lockError() == winerr::success) ServiceStore::removeIfUnused(folder_);
}

// Expects the database lock to be held.
StandInService::Opened StandInService::holdOpen(const std::string& folder) {
    Fd hold(::open(ServiceFiles{folder}.handles().c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644));
    if (!hold.open() || ::flock(hold.get(), LOCK_SH) != 0)
        return Opened::failure(setLastErrorFromErrno());
    return {std::unique_ptr<StandInService>(new StandInService(folder, std::move(hold))),
            winerr::success};
}

StandInService::Opened StandInService::open(const std::string& name) {
    ServiceTransaction record;
    if (const ErrorCode failed = record.selectByName(name)) return Opened::failure(failed);
    return holdOpen(record.folder);
}

StandInService::Opened StandInService::create(const StoredService& service) {
    const std::string& name = service.config.name;
    if (const ErrorCode invalid = checkServiceName(name)) return Opened::failure(invalid);
    ServiceTransaction record;
    if (const ErrorCode failed = record.lockError()) return Opened::failure(failed);
    const auto existing = ServiceStore::find(name);
    if (existing.ok()) {
        const auto stored = ServiceStore::readService(existing.value);
        return Opened::failure(setLastError(stored.ok() && stored.value.markedForDelete
                                                ? winerr::serviceMarkedForDelete
                                                : winerr::serviceExists));
    }
    if (leadsBackTo(name, dependencyNames(service.config.dependencies)))
        return Opened::failure(setLastError(winerr::circularDependency));
    record.folder = ServiceStore::newFolder();
    record.service = service;
    record.service.markedForDelete = false;
    if (const ErrorCode failed = record.commitService()) return Opened::failure(failed);
    if (const ErrorCode failed = record.commitStatus()) return Opened::failure(failed);
    return holdOpen(record.folder);
}

ErrorCode StandInService::remove() {
    ServiceTransaction record;
    if (const ErrorCode failed = record.select(folder_)) return failed;
    if (record.service.markedForDelete) return setLastError(winerr::serviceMarkedForDelete);
    record.service.markedForDelete = true;
    return record.commitService();
}

ErrorCode StandInService::start() {
    return setLastError(startWithDependencies({}));
}

ErrorCode StandInService::startWithDependencies(std::vector<std::string> starting) {
    std::vector<std::string> dependencies;
    {
        ServiceTransaction record;
        if (const ErrorCode failed = record.select(folder_)) return failed;
        if (record.service.markedForDelete) return winerr::serviceMarkedForDelete;
        dependencies = dependencyNames(record.service.config.dependencies);
        starting.push_back(record.service.config.name);
    }
    for (const std::string& name : dependencies)
        if (const ErrorCode failed = startDependency(name, starting)) return failed;
    return startProcess();
}

ErrorCode StandInService::startDependency(const std::string& name,
                                          const std::vector<std::string>& starting) {
    for (const std::string& earlier : starting)
        if (sameServiceName(earlier, name)) return winerr::circularDependency;
    auto dependency = open(name);
    if (!dependency.ok())
        return dependency.error == winerr::serviceDoesNotExist ||
                       dependency.error == winerr::invalidName
                   ? winerr::serviceDependencyDeleted
                   : dependency.error;
    const ErrorCode started = dependency.value->startWithDependencies(starting);
    if (started == winerr::serviceMarkedForDelete) return winerr::serviceDependencyDeleted;
    if (started != winerr::success && started != winerr::serviceAlreadyRunning)
        return winerr::serviceDependencyFail;
    const auto settled = pollStatus(dependency.value->folder_, [](const StoredStatus& s) {
        return s.status.currentState == svc::running || s.status.currentState == svc::stopped;
    });
    const bool running = settled && settled->status.currentState == svc::running;
    return running ? winerr::success : winerr::serviceDependencyFail;
}

ErrorCode StandInService::startProcess() {
    Fd alive;
    StoredService service;
    {
        ServiceTransaction record;
        if (const ErrorCode failed = record.select(folder_)) return failed;
        service = record.service;
        if (record.status.status.currentState != svc::stopped) return winerr::serviceAlreadyRunning;
        const ServiceFiles files{folder_};
        alive.reset(::open(files.alive().c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644));
        if (!alive.open()) return setLastErrorFromErrno();
        // An earlier process that reported STOPPED may not have ended yet.
        if (::flock(alive.get(), LOCK_EX | LOCK_NB) != 0) return winerr::serviceAlreadyRunning;
        record.status = StoredStatus{};
        record.status.status =
            ServiceStatus{service.config.serviceType, svc::startPending, 0, 0, 0, 0, 2000};
        if (const ErrorCode failed = record.commitStatus()) return failed;
    }
    const auto launched = launchServiceProcess(ServiceFiles{folder_}, service, alive.get());
    alive.reset();
    if (!launched.ok()) return recordFailedStart(folder_, launched.error);
    if (const ErrorCode failed = recordSpawn(folder_, launched.value)) return failed;
    if (service.plainDaemon) return winerr::success;
    return awaitConnection(folder_, launched.value);
}

StatusResult StandInService::control(std::uint32_t code) {
    std::uint32_t ticket = 0;
    {
        ServiceTransaction record;
        if (const ErrorCode failed = record.select(folder_)) return StatusResult::failure(failed);
        const ServiceStatus& status = record.status.status;
        if (status.currentState == svc::stopped)
            return StatusResult::failure(setLastError(winerr::serviceNotActive));
        // A service on its way up or down takes no control at all.
        const bool pending =
            status.currentState == svc::startPending || status.currentState == svc::stopPending;
        const bool stop = code == svc::controlStop;
        if (pending || (!stop && code != svc::controlInterrogate) ||
            (stop && !(status.controlsAccepted & svc::acceptStop)))
            return StatusResult::failure(setLastError(winerr::serviceCannotAcceptCtrl));
        if (stop && dependentsRunning(record))
            return StatusResult::failure(setLastError(winerr::dependentServicesRunning));
        if (record.service.plainDaemon)
            return stop ? stopDaemon(record) : StatusResult{status, winerr::success};
        const auto sent = sendControl(record, code);
        if (!sent.ok()) return StatusResult::failure(sent.error);
        ticket = sent.value;
    }
    return awaitHandler(folder_, ticket);
}

StatusResult StandInService::queryStatus() {
    ServiceTransaction record;
    if (const ErrorCode failed = record.select(folder_)) return StatusResult::failure(failed);
    return {record.status.status, winerr::success};
}

Result<StoredService> StandInService::queryRecord() {
    ServiceTransaction record;
    if (const ErrorCode failed = record.select(folder_))
        return Result<StoredService>::failure(failed);
    return {record.service, winerr::success};
}

Result<ServiceConfig> StandInService::queryConfig() {
    const auto stored = queryRecord();
    if (!stored.ok()) return Result<ServiceConfig>::failure(stored.error);
    return {stored.value.config, winerr::success};
}

ErrorCode StandInService::setDescription(const std::string& description) {
    ServiceTransaction record;
    if (const ErrorCode failed = record.select(folder_)) return failed;
    record.service.description = description;
    return record.commitService();
}

}  // namespace platform::posix
