// POSIX stand-in service manager: starting, controlling and deleting
// services. No Windows spellings and no core logic belong here.
#include "service_control.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <thread>
#include <vector>

#include "command_line.h"
#include "errno_map.h"
#include "stand_in_files.h"

extern char** environ;

namespace platform::posix {
namespace {

constexpr int aliveFdInService = 3;
constexpr std::chrono::milliseconds startPoll{20};

bool endsWith(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// Everything the child needs, built before fork: after it only system calls run.
// The NULL-ended array the exec calls take; it points into `texts`.
std::vector<char*> pointersTo(std::vector<std::string>& texts) {
    std::vector<char*> result;
    for (auto& text : texts)
        result.push_back(text.data());
    result.push_back(nullptr);
    return result;
}

struct LaunchPlan {
    std::vector<std::string> words;
    std::vector<std::string> environment;
    std::string outputFile;

    std::vector<char*> argv() { return pointersTo(words); }
    std::vector<char*> envp() { return pointersTo(environment); }
};

LaunchPlan planLaunch(const std::string& name, const StoredService& service) {
    LaunchPlan plan;
    plan.words = splitWindowsCommandLine(service.config.commandLine);
    if (!plan.words.empty() && endsWith(plan.words.front(), ".sh"))
        plan.words.insert(plan.words.begin(), "/bin/sh");
    for (char** entry = environ; *entry; ++entry) {
        const std::string text = *entry;
        if (text.rfind("HARVELLA_SERVICE_", 0) != 0 && text.rfind("HARVELLA_SYSTEM_ROOT=", 0) != 0)
            plan.environment.push_back(text);
    }
    plan.environment.push_back("HARVELLA_SYSTEM_ROOT=" + standInRoot());
    if (!service.plainDaemon) {
        plan.environment.push_back("HARVELLA_SERVICE_NAME=" + name);
        plan.environment.push_back("HARVELLA_SERVICE_ALIVE_FD=" + std::to_string(aliveFdInService));
    }
    plan.outputFile = ServiceStore::outputFileOf(name);
    return plan;
}

[[noreturn]] void runService(LaunchPlan& plan, int aliveFd, int reportFd) {
    std::vector<char*> argv = plan.argv();
    std::vector<char*> envp = plan.envp();
    // Moved out of the way first: the targets below may be their numbers.
    const int alive = ::fcntl(aliveFd, F_DUPFD, 10);
    const int reporter = ::fcntl(reportFd, F_DUPFD, 10);
    const int nullFd = ::open("/dev/null", O_RDONLY);
    const int outFd = ::open(plan.outputFile.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    ::dup2(nullFd, 0);
    ::dup2(outFd, 1);
    ::dup2(outFd, 2);
    // The service process inherits the alive lock: the lock goes when it does.
    ::dup2(alive, aliveFdInService);
    ::dup2(reporter, aliveFdInService + 1);
    ::fcntl(aliveFdInService + 1, F_SETFD, FD_CLOEXEC);
    ::closefrom(aliveFdInService + 2);
    // A group of its own, so that a kill reaches the children that inherited
    // the alive lock as well.
    ::setpgid(0, 0);
    // Windows starts services in its system folder, never in the caller's.
    if (::chdir("/") != 0) _exit(127);
    ::execvpe(argv[0], argv.data(), envp.data());
    const int error = errno;
    (void)!::write(aliveFdInService + 1, &error, sizeof error);
    _exit(127);
}

// Starts the service process detached from the caller (its own session, not
// our child), reporting its pid or the reason the start failed.
Result<pid_t> spawnDetached(LaunchPlan& plan, int aliveFd) {
    if (plan.words.empty()) return Result<pid_t>::failure(setLastError(winerr::fileNotFound));
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0) return Result<pid_t>::failure(setLastErrorFromErrno());
    Fd reportRead(report[0]), reportWrite(report[1]);

    const pid_t middle = ::fork();
    if (middle < 0) return Result<pid_t>::failure(setLastErrorFromErrno());
    if (middle == 0) {
        ::setsid();
        const pid_t service = ::fork();
        if (service == 0) runService(plan, aliveFd, reportWrite.get());
        (void)!::write(reportWrite.get(), &service, sizeof service);
        _exit(0);
    }
    reportWrite.reset();
    int status = 0;
    while (::waitpid(middle, &status, 0) < 0 && errno == EINTR) {
    }
    pid_t service = -1;
    if (::read(reportRead.get(), &service, sizeof service) != sizeof service || service <= 0)
        return Result<pid_t>::failure(setLastError(winerr::notEnoughMemory));
    int execError = 0;
    if (::read(reportRead.get(), &execError, sizeof execError) == sizeof execError)
        return Result<pid_t>::failure(setLastError(fromErrno(execError)));
    return {service, winerr::success};
}

// Kills a plain daemon that outlives its grace period, from a detached
// process so that the caller of the stop does not wait for it.
void killAfterGrace(const std::string& name, pid_t pid) {
    const std::string alive = ServiceStore::aliveFileOf(name);
    const pid_t middle = ::fork();
    if (middle != 0) {
        if (middle > 0) ::waitpid(middle, nullptr, 0);
        return;
    }
    ::setsid();
    if (::fork() != 0) _exit(0);
    ::closefrom(0);
    const auto slices = StandInServiceManager::daemonGrace / std::chrono::milliseconds(100);
    for (long i = 0; i < slices; ++i) {
        const int fd = ::open(alive.c_str(), O_RDONLY | O_CLOEXEC);
        const bool gone = fd < 0 || ::flock(fd, LOCK_SH | LOCK_NB) == 0;
        if (fd >= 0) ::close(fd);
        if (gone) _exit(0);
        ::usleep(100000);
    }
    ::kill(-pid, SIGKILL);
    _exit(0);
}

ErrorCode recordSpawn(const std::string& name, bool plainDaemon, pid_t pid) {
    StoreLock lock;
    if (!lock.held()) return lock.error();
    auto stored = ServiceStore::readStatus(name);
    if (!stored.ok()) return stored.error;
    stored.value.pid = pid;
    if (plainDaemon) {
        stored.value.status.currentState = svc::running;
        stored.value.status.controlsAccepted = svc::acceptStop;
        stored.value.status.waitHint = 0;
    }
    return ServiceStore::writeStatus(name, stored.value);
}

ErrorCode recordFailedStart(const std::string& name, ErrorCode code) {
    StoreLock lock;
    auto stored = ServiceStore::readStatus(name);
    if (!stored.ok()) return code;
    stored.value.status = ServiceStatus{stored.value.status.serviceType, svc::stopped, 0, code};
    stored.value.pid = 0;
    ServiceStore::writeStatus(name, stored.value);
    ServiceStore::removeIfDeletedAndStopped(name);
    return code;
}

// Waits until the service-aware process has reached the dispatcher.
ErrorCode awaitConnection(const std::string& name, pid_t pid) {
    const auto deadline = std::chrono::steady_clock::now() + StandInServiceManager::connectLimit;
    while (std::chrono::steady_clock::now() < deadline) {
        {
            StoreLock lock;
            if (!lock.held()) return lock.error();
            const auto stored = ServiceStore::readStatus(name);
            if (!stored.ok()) return stored.error;
            if (stored.value.connected) return winerr::success;
            if (stored.value.status.currentState == svc::stopped) return winerr::processAborted;
        }
        std::this_thread::sleep_for(startPoll);
    }
    if (pid > 1) ::kill(-pid, SIGKILL);
    return recordFailedStart(name, winerr::serviceRequestTimeout);
}

Result<ServiceStatus> stopDaemon(const std::string& name, StoredStatus stored) {
    stored.status.currentState = svc::stopPending;
    stored.status.controlsAccepted = 0;
    stored.stopRequested = true;
    const ErrorCode written = ServiceStore::writeStatus(name, stored);
    if (written) return Result<ServiceStatus>::failure(written);
    // Never 0 or -1 here: those would signal our own group or everything.
    if (stored.pid > 1) {
        ::kill(stored.pid, SIGTERM);
        killAfterGrace(name, stored.pid);
    }
    return {stored.status, winerr::success};
}

// Writes the control to the service's pipe and returns its ticket: the
// number of controls sent so far, this one included.
Result<std::uint32_t> sendControl(const std::string& name, StoredStatus stored,
                                  std::uint32_t code) {
    using R = Result<std::uint32_t>;
    Fd pipe(::open(ServiceStore::controlPipeOf(name).c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC));
    if (!pipe.open()) return R::failure(setLastError(winerr::serviceCannotAcceptCtrl));
    ++stored.controlsSent;
    if (const ErrorCode failed = ServiceStore::writeStatus(name, stored)) return R::failure(failed);
    if (::write(pipe.get(), &code, sizeof code) != sizeof code)
        return R::failure(setLastError(winerr::serviceCannotAcceptCtrl));
    return {stored.controlsSent, winerr::success};
}

// Windows returns from ControlService once the service's handler has
// returned, and gives up after 30 s.
Result<ServiceStatus> awaitHandler(const std::string& name, std::uint32_t ticket) {
    using R = Result<ServiceStatus>;
    const auto deadline = std::chrono::steady_clock::now() + StandInServiceManager::connectLimit;
    while (std::chrono::steady_clock::now() < deadline) {
        {
            StoreLock lock;
            if (!lock.held()) return R::failure(lock.error());
            const auto stored = ServiceStore::readStatus(name);
            // A service deleted while it ran is gone once it has stopped.
            if (stored.error == winerr::serviceDoesNotExist)
                return {ServiceStatus{svc::ownProcess, svc::stopped}, winerr::success};
            if (!stored.ok()) return R::failure(stored.error);
            if (stored.value.controlsHandled >= ticket ||
                stored.value.status.currentState == svc::stopped)
                return {stored.value.status, winerr::success};
        }
        std::this_thread::sleep_for(startPoll);
    }
    return R::failure(setLastError(winerr::serviceRequestTimeout));
}

}  // namespace

ErrorCode StandInServiceManager::checkName(const std::string& name) {
    if (name.empty() || name.size() > 256 || name.find_first_of("/\\") != std::string::npos ||
        name == "." || name == "..")
        return setLastError(winerr::invalidName);
    return winerr::success;
}

ErrorCode StandInServiceManager::openExisting(const std::string& name) {
    if (const ErrorCode invalid = checkName(name)) return invalid;
    StoreLock lock;
    if (!lock.held()) return lock.error();
    return ServiceStore::exists(name) ? winerr::success : setLastError(winerr::serviceDoesNotExist);
}

ErrorCode StandInServiceManager::create(const StoredService& service) {
    if (const ErrorCode invalid = checkName(service.config.name)) return invalid;
    StoreLock lock;
    if (!lock.held()) return lock.error();
    const auto existing = ServiceStore::readService(service.config.name);
    if (existing.ok())
        return setLastError(existing.value.markedForDelete ? winerr::serviceMarkedForDelete
                                                           : winerr::serviceExists);
    // A folder left without its configuration (a crash in the middle) is reused.
    ServiceStore::removeFolder(service.config.name);
    StoredService fresh = service;
    fresh.markedForDelete = false;
    if (const ErrorCode failed = ServiceStore::writeService(fresh)) return failed;
    return ServiceStore::writeStatus(service.config.name, StoredStatus{});
}

ErrorCode StandInServiceManager::remove(const std::string& name) {
    StoreLock lock;
    if (!lock.held()) return lock.error();
    auto service = ServiceStore::readService(name);
    if (!service.ok()) return service.error;
    if (service.value.markedForDelete) return setLastError(winerr::serviceMarkedForDelete);
    service.value.markedForDelete = true;
    if (const ErrorCode failed = ServiceStore::writeService(service.value)) return failed;
    ServiceStore::readStatus(name);
    ServiceStore::removeIfDeletedAndStopped(name);
    return winerr::success;
}

ErrorCode StandInServiceManager::start(const std::string& name) {
    Fd alive;
    StoredService service;
    {
        StoreLock lock;
        if (!lock.held()) return lock.error();
        const auto found = ServiceStore::readService(name);
        if (!found.ok()) return found.error;
        service = found.value;
        if (service.markedForDelete) return setLastError(winerr::serviceMarkedForDelete);
        auto stored = ServiceStore::readStatus(name);
        if (!stored.ok()) return stored.error;
        if (stored.value.status.currentState != svc::stopped)
            return setLastError(winerr::serviceAlreadyRunning);
        alive.reset(
            ::open(ServiceStore::aliveFileOf(name).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644));
        if (!alive.open()) return setLastErrorFromErrno();
        // An earlier process that reported STOPPED may not have ended yet.
        if (::flock(alive.get(), LOCK_EX | LOCK_NB) != 0)
            return setLastError(winerr::serviceAlreadyRunning);
        StoredStatus pending;
        pending.status =
            ServiceStatus{service.config.serviceType, svc::startPending, 0, 0, 0, 0, 2000};
        if (const ErrorCode failed = ServiceStore::writeStatus(name, pending)) return failed;
    }
    LaunchPlan plan = planLaunch(name, service);
    const auto spawned = spawnDetached(plan, alive.get());
    alive.reset();
    if (!spawned.ok()) return recordFailedStart(name, spawned.error);
    if (const ErrorCode failed = recordSpawn(name, service.plainDaemon, spawned.value))
        return failed;
    if (service.plainDaemon) return winerr::success;
    return setLastError(awaitConnection(name, spawned.value));
}

Result<ServiceStatus> StandInServiceManager::control(const std::string& name, std::uint32_t code) {
    using R = Result<ServiceStatus>;
    std::uint32_t ticket = 0;
    {
        StoreLock lock;
        if (!lock.held()) return R::failure(lock.error());
        const auto service = ServiceStore::readService(name);
        if (!service.ok()) return R::failure(service.error);
        const auto stored = ServiceStore::readStatus(name);
        if (!stored.ok()) return R::failure(stored.error);
        const ServiceStatus& status = stored.value.status;
        if (status.currentState == svc::stopped)
            return R::failure(setLastError(winerr::serviceNotActive));
        const bool stop = code == svc::controlStop;
        if (!stop && code != svc::controlInterrogate)
            return R::failure(setLastError(winerr::serviceCannotAcceptCtrl));
        if (stop && !(status.controlsAccepted & svc::acceptStop))
            return R::failure(setLastError(winerr::serviceCannotAcceptCtrl));
        if (service.value.plainDaemon)
            return stop ? stopDaemon(name, stored.value) : R{status, winerr::success};
        const auto sent = sendControl(name, stored.value, code);
        if (!sent.ok()) return R::failure(sent.error);
        ticket = sent.value;
    }
    return awaitHandler(name, ticket);
}

Result<ServiceStatus> StandInServiceManager::query(const std::string& name) {
    StoreLock lock;
    if (!lock.held()) return Result<ServiceStatus>::failure(lock.error());
    const auto stored = ServiceStore::readStatus(name);
    if (!stored.ok()) return Result<ServiceStatus>::failure(stored.error);
    return {stored.value.status, winerr::success};
}

Result<StoredService> StandInServiceManager::queryConfig(const std::string& name) {
    StoreLock lock;
    if (!lock.held()) return Result<StoredService>::failure(lock.error());
    return ServiceStore::readService(name);
}

ErrorCode StandInServiceManager::setDescription(const std::string& name,
                                                const std::string& description) {
    StoreLock lock;
    if (!lock.held()) return lock.error();
    auto service = ServiceStore::readService(name);
    if (!service.ok()) return service.error;
    service.value.description = description;
    return ServiceStore::writeService(service.value);
}

}  // namespace platform::posix
