#include "ServiceTestSupport.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

namespace servicetests {
namespace {

void killServiceProcesses(const std::string& root) {
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(root + "/services", ignored)) {
        std::istringstream status(readFile(entry.path().string() + "/status"));
        std::string line;
        while (std::getline(status, line))
            if (line.rfind("pid=", 0) == 0 && std::atoi(line.c_str() + 4) > 1)
                ::kill(-std::atoi(line.c_str() + 4), SIGKILL);
    }
}

}  // namespace

MachineFixture::MachineFixture() {
    ::setenv("HARVELLA_SYSTEM_ROOT", root().c_str(), 1);
}

MachineFixture::~MachineFixture() {
    killServiceProcesses(root());
    ::unsetenv("HARVELLA_SYSTEM_ROOT");
}

ToolRun runShell(const std::string& commandLine) {
    char outPattern[] = "/tmp/hv-out-XXXXXX";
    char errPattern[] = "/tmp/hv-err-XXXXXX";
    const int outFd = ::mkstemp(outPattern);
    const int errFd = ::mkstemp(errPattern);
    ::close(outFd);
    ::close(errFd);
    const int status =
        std::system((commandLine + " >" + outPattern + " 2>" + errPattern + " </dev/null").c_str());
    ToolRun run;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = readFile(outPattern);
    run.err = readFile(errPattern);
    ::unlink(outPattern);
    ::unlink(errPattern);
    return run;
}

ToolRun sc(const std::string& arguments) {
    return runShell(binDir() + "/harvella-sc " + arguments);
}

std::string testService(const std::string& name, const std::string& mode) {
    return binDir() + "/svc_test_service " + name + " " + mode;
}

}  // namespace servicetests
