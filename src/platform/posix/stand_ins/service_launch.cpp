// POSIX stand-in service manager: the service processes themselves. No
// Windows spellings and no core logic belong here.
#include "service_launch.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "command_line.h"
#include "errno_map.h"
#include "stand_in_files.h"

namespace platform::posix {
namespace {

constexpr int aliveFdInService = 3;
// A Windows service gets the system's environment, not its starter's: the
// caller's JAVA_TOOL_OPTIONS, CLASSPATH or LD_LIBRARY_PATH must not reach it.
const char* const systemPath = "PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin";
const char* const systemLocale = "LANG=C.UTF-8";

// The NULL-ended array the exec calls take; it points into `texts`.
std::vector<char*> pointersTo(std::vector<std::string>& texts) {
    std::vector<char*> result;
    for (auto& text : texts)
        result.push_back(text.data());
    result.push_back(nullptr);
    return result;
}

// Everything the child needs, built before fork: after it only system calls run.
struct LaunchPlan {
    std::vector<std::string> words;
    std::vector<std::string> environment;
    std::string outputFile;

    std::vector<char*> argv() { return pointersTo(words); }
    std::vector<char*> envp() { return pointersTo(environment); }
};

LaunchPlan planLaunch(const ServiceFiles& files, const StoredService& service) {
    LaunchPlan plan;
    plan.words = splitWindowsCommandLine(service.config.commandLine);
    if (!plan.words.empty() && isCommandFile(plan.words.front()))
        plan.words.insert(plan.words.begin(), "/bin/sh");
    plan.environment = {systemPath, systemLocale, "HARVELLA_SYSTEM_ROOT=" + standInRoot()};
    if (!service.plainDaemon) {
        plan.environment.push_back("HARVELLA_SERVICE_NAME=" + service.config.name);
        plan.environment.push_back("HARVELLA_SERVICE_ALIVE_FD=" + std::to_string(aliveFdInService));
    }
    plan.outputFile = files.output();
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

}  // namespace

Result<pid_t> launchServiceProcess(const ServiceFiles& files, const StoredService& service,
                                   int aliveFd) {
    LaunchPlan plan = planLaunch(files, service);
    if (plan.words.empty()) return Result<pid_t>::failure(setLastError(winerr::fileNotFound));
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0) return Result<pid_t>::failure(setLastErrorFromErrno());
    Fd reportRead(report[0]), reportWrite(report[1]);

    const pid_t middle = ::fork();
    if (middle < 0) return Result<pid_t>::failure(setLastErrorFromErrno());
    if (middle == 0) {
        ::setsid();
        const pid_t process = ::fork();
        if (process == 0) runService(plan, aliveFd, reportWrite.get());
        (void)!::write(reportWrite.get(), &process, sizeof process);
        _exit(0);
    }
    reportWrite.reset();
    int status = 0;
    while (::waitpid(middle, &status, 0) < 0 && errno == EINTR) {
    }
    pid_t process = -1;
    if (::read(reportRead.get(), &process, sizeof process) != sizeof process || process <= 0)
        return Result<pid_t>::failure(setLastError(winerr::notEnoughMemory));
    int execError = 0;
    if (::read(reportRead.get(), &execError, sizeof execError) == sizeof execError)
        return Result<pid_t>::failure(setLastError(fromErrno(execError)));
    return {process, winerr::success};
}

void killGroupAfterGrace(const ServiceFiles& files, pid_t group, std::chrono::milliseconds grace) {
    const std::string alive = files.alive();
    const pid_t middle = ::fork();
    if (middle != 0) {
        if (middle > 0) ::waitpid(middle, nullptr, 0);
        return;
    }
    ::setsid();
    if (::fork() != 0) _exit(0);
    ::closefrom(0);
    const auto slices = grace / std::chrono::milliseconds(100);
    for (long i = 0; i < slices; ++i) {
        const int fd = ::open(alive.c_str(), O_RDONLY | O_CLOEXEC);
        const bool gone = fd < 0 || ::flock(fd, LOCK_SH | LOCK_NB) == 0;
        if (fd >= 0) ::close(fd);
        if (gone) _exit(0);
        ::usleep(100000);
    }
    ::kill(-group, SIGKILL);
    _exit(0);
}

}  // namespace platform::posix
