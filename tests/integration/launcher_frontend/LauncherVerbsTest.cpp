// Harvella_Access's verbs end to end on the Linux stand-ins, through the
// program only, with the sample Java server in the real JVM: what the user
// sees on the terminal, the exit codes, the service manager and the event log.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "LauncherMachine.h"
#include "LauncherRuns.h"
#include "platform/service_manager.h"

namespace {

using launchertest::LauncherRun;
using launchertest::runLauncher;

const std::string classes = std::string(LAUNCHER_FIXTURES_DIR) + "/classes";
const std::string notFound =
    "Error: Unable to locate Harvella service.\r\n\r\nTo reinstall the service, please start "
    "Harvella setup again and choose Repair / Reconfigure option.\n";

std::string describe(const LauncherRun& run) {
    return "exit " + std::to_string(run.exitCode) + "\n--- out:\n" + run.out + "--- err:\n" +
           run.err;
}

// The exit code and everything the run wrote, standard output first.
void expectRun(const LauncherRun& run, int exitCode, const std::string& output) {
    EXPECT_EQ(run.exitCode, exitCode) << describe(run);
    EXPECT_EQ(run.out + run.err, output) << describe(run);
}

// A successful run's display: its first lines and its last ones; the progress
// lines between depend on how fast the service answers.
void expectDisplay(const LauncherRun& run, const std::string& verb, const std::string& result) {
    EXPECT_EQ(run.exitCode, 0) << describe(run);
    const std::string head = std::string(verb == "start" ? "Starting" : "Stopping") +
                             " Harvella\nPlease wait while Harvella is being " + verb +
                             (verb == "start" ? "ed" : "ped") + " ...\nprogress 0%\n";
    const std::string tail = "progress 100%\n" + result + "\n";
    EXPECT_EQ(run.out.substr(0, head.size()), head) << describe(run);
    EXPECT_EQ(run.out.substr(run.out.size() - std::min(tail.size(), run.out.size())), tail)
        << describe(run);
}

class LauncherVerbs : public ::testing::Test {
protected:
    LauncherVerbs() {
        registerServer("sample.server.SampleServer");
        // The desktop's URL opener records what it was asked to open.
        testsupport::makeFolders(machine.root() + "/bin");
        launchertest::writeFile(machine.root() + "/bin/xdg-open",
                                "#!/bin/sh\nprintf '%s' \"$1\" > '" + openedRecord + ".new'\nmv '" +
                                    openedRecord + ".new' '" + openedRecord + "'\n",
                                true);
        ::setenv("PATH", (machine.root() + "/bin:" + savedPath).c_str(), 1);
        // Whoever starts the service: its settings must not reach the service's JVM.
        ::setenv("JAVA_TOOL_OPTIONS", "-XX:+NoSuchOptionInAnyJvm", 1);
    }
    ~LauncherVerbs() override {
        runLauncher({"stopsilent"});
        testsupport::runProgram(std::string(HARVELLA_BIN_DIR) + "/harvella-sc stop MySQL56");
        ::setenv("PATH", savedPath.c_str(), 1);
        ::unsetenv("JAVA_TOOL_OPTIONS");
    }

    void registerServer(const std::string& mainClass) {
        machine.setProductValues("InstallPath=REG_SZ:" + install + "\nJavaPath=REG_SZ:" +
                                 HARVELLA_JAVA_HOME + "\nStartupClassPath=REG_SZ:" + classes +
                                 "\nStartupClassName=REG_SZ:" + mainClass + "\n");
    }
    void configurePort(const std::string& port) {
        launchertest::writeFile(install + "/harvella.config",
                                "IPaddress=127.0.0.1\nHTTPPort=" + port + "\n");
    }
    // Null when the service cannot be opened.
    std::unique_ptr<platform::ServiceHandle> service(const std::string& name) {
        auto connection = manager->connect(platform::svc::managerAllAccess);
        if (!connection.ok()) return nullptr;
        auto opened = connection.value->open(name, platform::svc::serviceAllAccess);
        return opened.ok() ? std::move(opened.value) : nullptr;
    }
    // State 0 when the service cannot be asked.
    platform::ServiceStatus status(const std::string& name) {
        platform::ServiceStatus unknown;
        unknown.currentState = 0;
        const auto handle = service(name);
        return handle ? handle->queryStatus().value : unknown;
    }
    std::string openedUrl() {
        launchertest::waitForFile(openedRecord, true);
        const std::string url = launchertest::readFile(openedRecord);
        std::filesystem::remove(openedRecord);
        return url;
    }
    // Polls the service until it is in `state`; false after 30 s.
    bool reaches(std::uint32_t state) {
        for (int poll = 0; poll < 300; ++poll) {
            if (status("Harvella").currentState == state) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return false;
    }
    // The service process of this test's machine: the one whose current
    // folder is the installation; 0 when none runs.
    pid_t serviceProcess() {
        std::error_code ignored;
        for (std::filesystem::directory_iterator entry("/proc", ignored), end; entry != end;
             entry.increment(ignored)) {
            std::error_code unreadable;
            const auto cwd = std::filesystem::read_symlink(entry->path() / "cwd", unreadable);
            if (!unreadable && cwd == install &&
                launchertest::readFile(entry->path().string() + "/cmdline")
                        .find("startAsService") != std::string::npos)
                return static_cast<pid_t>(std::stol(entry->path().filename().string()));
        }
        return 0;
    }
    std::string eventLog() {
        return launchertest::readFile(machine.root() + "/eventlog/Application.log");
    }

    launchertest::LauncherMachine machine;
    const std::string install = machine.installFolder();
    const std::string openedRecord = machine.root() + "/opened";
    const std::string savedPath = std::getenv("PATH");
    std::unique_ptr<platform::ServiceManager> manager = platform::makeSystemServiceManager();
};

TEST_F(LauncherVerbs, EveryVerbFromInstallToRemoveWithAMySQLServiceToStartFirst) {
    const std::string port = std::to_string(launchertest::freeLoopbackPort());
    configurePort(port);
    const std::string loginPage = "http://localhost:" + port + "/login.do";

    for (const std::string verb : {"start", "Start"})
        expectRun(runLauncher({verb}), 255, notFound);
    expectRun(runLauncher({"remove"}), 0, "");
    expectRun(runLauncher({"install"}), 0, "");
    expectRun(runLauncher({"startAsService"}), 0, "");

    // Reinstalled over the stopped registration, now depending on MySQL56.
    ASSERT_EQ(testsupport::runProgram(std::string(HARVELLA_BIN_DIR) +
                                      "/harvella-sc create MySQL56 binPath= \"/bin/sleep 600\" "
                                      "type= daemon start= demand")
                  .exitCode,
              0);
    expectRun(runLauncher({"installWithMySQLService", "MySQL56"}), 0, "");
    {
        // A handle held open would keep a removed service's record alive.
        const auto harvella = service("Harvella");
        ASSERT_NE(harvella, nullptr);
        const auto registered = harvella->queryConfig().value;
        EXPECT_EQ(registered.commandLine,
                  "\"" + launchertest::launcherPath() + "\" startAsService");
        EXPECT_EQ(registered.dependencies, std::string("MySQL56\0\0", 9));
    }

    // On a terminal the bar redraws in place, and Enter opens the login page.
    const LauncherRun started = launchertest::runOnTerminal({"start"}, "[Esc] Close", "\r");
    EXPECT_EQ(started.exitCode, 0) << describe(started);
    EXPECT_EQ(
        started.out.find("Starting Harvella\nPlease wait while Harvella is being started ...\n"
                         "\r[----------------------------------------] 0%"),
        0u)
        << describe(started);
    EXPECT_NE(started.out.find("\r[########################################] 100%  \n"
                               "Harvella has been started.\n[Enter] Open Login Page   [Esc] Close"),
              std::string::npos)
        << describe(started);
    EXPECT_EQ(openedUrl(), loginPage);
    EXPECT_EQ(status("MySQL56").currentState, platform::svc::running);
    const std::string page = launchertest::httpGet(port, "/login.do");
    EXPECT_NE(page.find("<title>Harvella Login</title>"), std::string::npos) << page;
    EXPECT_NE(page.find(">No database is configured.<"), std::string::npos) << page;

    expectDisplay(runLauncher({"start"}), "start", "Harvella is already started.");
    for (const std::vector<std::string>& words : {std::vector<std::string>{"Start"}, {"start", ""}})
        expectRun(runLauncher(words), 0, "");
    // The install verbs report on standard output, never in a box.
    expectRun(runLauncher({"install"}), 255,
              "Harvella service is running now and cannot be installed or re-installed.\r\n"
              "Please stop the service and try again.");
    expectRun(runLauncher({"open"}), 0, "");
    EXPECT_EQ(openedUrl(), loginPage);

    expectDisplay(runLauncher({"stop"}), "stop", "Harvella has been stopped successfully.");
    expectDisplay(runLauncher({"stop"}), "stop", "Harvella is not running.");

    // The silent verbs show no result and never wait.
    for (const std::string verb : {"startsilent", "stopsilent"}) {
        const LauncherRun silent = runLauncher({verb});
        EXPECT_EQ(silent.exitCode, 0) << describe(silent);
        EXPECT_EQ(silent.out.find("Harvella has been"), std::string::npos) << describe(silent);
    }
    EXPECT_EQ(status("Harvella").currentState, platform::svc::stopped);

    for (int time = 0; time < 2; ++time)
        expectRun(runLauncher({"remove"}), 0, "");
    expectRun(runLauncher({"stopsilent"}), 255, "");  // silent: nothing at all
}

TEST_F(LauncherVerbs, AServerOnATakenPortFailsTheStartWithTheReasonInRedEvenWhenSilent) {
    const launchertest::PortListener taken("127.0.0.1");
    configurePort(taken.port());
    ASSERT_EQ(runLauncher({"install"}).exitCode, 0);
    const std::string reason = "Failed to start Harvella for the following reason: Port " +
                               taken.port() +
                               " on IP address 127.0.0.1 is already occupied. Please run Harvella "
                               "installer and re-configure IP address or port to use.";

    const LauncherRun silent = runLauncher({"startsilent"});
    EXPECT_EQ(silent.exitCode, 255) << describe(silent);
    EXPECT_NE(silent.out.find("\n" + reason + "\n"), std::string::npos) << describe(silent);

    // On a terminal the reason is red and the display waits for a key; a
    // failed start offers no button.
    const LauncherRun shown = launchertest::runOnTerminal({"start"}, "[Esc] Close", "\x1b");
    EXPECT_EQ(shown.exitCode, 255) << describe(shown);
    EXPECT_NE(shown.out.find("\n\x1b[31m" + reason + "\x1b[0m\n[Esc] Close \n"), std::string::npos)
        << describe(shown);
}

// The VM cannot end while the thread runs; the service still stops within
// the stop's wait, logs why, and its process goes, so that it starts again.
TEST_F(LauncherVerbs, AServerThatLeavesAThreadRunningStillStopsAndStartsAgain) {
    registerServer("sample.server.LingeringServer");
    configurePort(std::to_string(launchertest::freeLoopbackPort()));
    ASSERT_EQ(runLauncher({"install"}).exitCode, 0);
    for (int round = 1; round <= 2; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        expectDisplay(runLauncher({"start"}), "start", "Harvella has been started.");
        expectDisplay(runLauncher({"stop"}), "stop", "Harvella has been stopped successfully.");
        EXPECT_EQ(status("Harvella").serviceSpecificExitCode, 1100u);
        for (int poll = 0; poll < 100 && serviceProcess() != 0; ++poll)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        EXPECT_EQ(serviceProcess(), 0) << "the service process lives on";
    }
    EXPECT_NE(eventLog().find("\tError\t3238209298\tThe Java server returned from main, but "
                              "threads it started are still running"),
              std::string::npos)
        << eventLog();
}

// Killed, the service process ends the service for the manager; killed
// half-way, the launcher's start leaves nothing that stops the next stop or start.
TEST_F(LauncherVerbs, AKilledServiceProcessOrStartLeavesTheServiceToTheNextStartAndStop) {
    configurePort(std::to_string(launchertest::freeLoopbackPort()));
    ASSERT_EQ(runLauncher({"install"}).exitCode, 0);
    expectDisplay(runLauncher({"start"}), "start", "Harvella has been started.");
    const pid_t server = serviceProcess();
    ASSERT_NE(server, 0);
    ::kill(server, SIGKILL);
    EXPECT_TRUE(reaches(platform::svc::stopped));
    EXPECT_EQ(status("Harvella").win32ExitCode, 1067u) << "terminated unexpectedly";

    const pid_t start = ::fork();
    if (start == 0) {
        ::freopen("/dev/null", "w", stdout);
        ::execl(launchertest::launcherPath().c_str(), "Harvella_Access", "start", nullptr);
        ::_exit(127);
    }
    ASSERT_TRUE(reaches(platform::svc::running));
    ::kill(start, SIGKILL);
    int killed = 0;
    ::waitpid(start, &killed, 0);
    EXPECT_TRUE(WIFSIGNALED(killed));
    expectDisplay(runLauncher({"stop"}), "stop", "Harvella has been stopped successfully.");
    expectDisplay(runLauncher({"start"}), "start", "Harvella has been started.");
    expectDisplay(runLauncher({"stop"}), "stop", "Harvella has been stopped successfully.");
}

}  // namespace
