// What the launcher adds to the server's start: from "Harvella_Access start"
// until the login page answers, against the sample Java server started
// directly with java until the same page answers. Both on the Linux
// stand-ins with the real JVM, interleaved, 5 runs each; prints the medians.
// Each start begins on a settled machine: the previous server's process has
// had 3 s to end (a stopped service's process outlives its STOPPED report by
// up to a second, and a start waits for it).
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "LauncherMachine.h"

extern char** environ;

namespace {

constexpr int runs = 5;
constexpr std::chrono::seconds settle{3};
const std::string classes = std::string(LAUNCHER_FIXTURES_DIR) + "/classes";
const std::string launcher = std::string(HARVELLA_BIN_DIR) + "/Harvella_Access";

pid_t spawn(std::vector<std::string> arguments, const std::string& folder) {
    std::vector<char*> argv;
    for (auto& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    pid_t pid = -1;
    if (const int failed = ::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ)) {
        std::fprintf(stderr, "cannot start %s: %s\n", argv[0], std::strerror(failed));
        std::exit(1);
    }
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

void finish(pid_t pid) {
    if (pid > 0) ::waitpid(pid, nullptr, 0);
}

// Milliseconds from the start until the login page answers; the run ends
// when it does not answer within a minute.
double untilLoginPage(const std::string& port, const std::chrono::steady_clock::time_point start) {
    while (launchertest::httpGet(port, "/login.do").find("Harvella Login") == std::string::npos) {
        if (std::chrono::steady_clock::now() - start > std::chrono::minutes(1)) {
            std::fprintf(stderr, "the login page did not answer within a minute\n");
            std::exit(1);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main() {
    launchertest::LauncherMachine machine;
    const std::string install = machine.installFolder();
    const std::string port = std::to_string(launchertest::freeLoopbackPort());
    machine.setProductValues("InstallPath=REG_SZ:" + install + "\nJavaPath=REG_SZ:" +
                             HARVELLA_JAVA_HOME + "\nStartupClassPath=REG_SZ:" + classes +
                             "\nStartupClassName=REG_SZ:sample.server.SampleServer\n");
    launchertest::writeFile(install + "/harvella.config",
                            "IPaddress=127.0.0.1\nHTTPPort=" + port + "\n");
    finish(spawn({launcher, "install"}, install));

    std::vector<double> throughLauncher, direct;
    for (int run = 0; run < runs; ++run) {
        std::this_thread::sleep_for(settle);
        auto start = std::chrono::steady_clock::now();
        const pid_t starting = spawn({launcher, "start"}, install);
        throughLauncher.push_back(untilLoginPage(port, start));
        finish(starting);
        finish(spawn({launcher, "stop"}, install));

        std::filesystem::remove(install + "/run/stop");
        std::this_thread::sleep_for(settle);
        start = std::chrono::steady_clock::now();
        const pid_t java = spawn({std::string(HARVELLA_JAVA_HOME) + "/bin/java", "-cp", classes,
                                  "sample.server.SampleServer"},
                                 install);
        direct.push_back(untilLoginPage(port, start));
        launchertest::writeFile(install + "/run/stop", "");
        finish(java);
        std::filesystem::remove(install + "/run/stop");
    }
    finish(spawn({launcher, "remove"}, install));

    const double launched = median(throughLauncher), plain = median(direct);
    std::printf(
        "login page answers, median of %d: Harvella_Access start %.0f ms, java directly "
        "%.0f ms, the launcher adds %.0f ms\n",
        runs, launched, plain, launched - plain);
    return 0;
}
