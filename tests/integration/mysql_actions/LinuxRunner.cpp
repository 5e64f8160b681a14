// The action scenario's runner on the Linux build: build/bin/Quimbo on a
// stand-in machine of its own, the page's lines on standard error, the root
// password dialog on a terminal, the Linux test package and Info-ZIP unzip.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <thread>

#include "ActionRunner.h"
#include "platform/command_line_word.h"
#include "support/TestSupport.h"
#include "support/Terminal.h"

namespace runner {
namespace {

namespace fs = std::filesystem;

std::unique_ptr<testsupport::TempFolder> root;
std::string dependency;

std::string quimboProgram() { return testsupport::binDir() + "/Quimbo"; }

testsupport::ProgramRun sc(const std::string& arguments) {
    return testsupport::runProgram(testsupport::binDir() + "/harvella-sc " + arguments);
}

PageRun pageRun(int exitCode, const std::string& out, std::string page) {
    page.erase(std::remove(page.begin(), page.end(), '\r'), page.end());
    return PageRun{arrives(exitCode), out, page};
}

// Kills the server of this machine's installation; false when none runs.
bool killServer(const Machine& machine) {
    std::error_code ignored;
    for (fs::directory_iterator entry("/proc", ignored), end; entry != end;
         entry.increment(ignored)) {
        const std::string commandLine = readFile(entry->path().string() + "/cmdline");
        if (commandLine.find("mariadbd") != std::string::npos &&
            commandLine.find(machine.install + "/MySQL/data") != std::string::npos)
            return ::kill(std::stoi(entry->path().filename().string()), SIGKILL) == 0;
    }
    return false;
}

}  // namespace

Machine makeMachine() {
    root = std::make_unique<testsupport::TempFolder>();
    // The server's unprivileged user reaches the installation.
    fs::permissions(root->path(), fs::perms(0755));
    const Machine machine{root->path(), *root / "Harvella Server", *root / "temp", {root->path()}};
    for (const char* folder : {"system", "temp"})
        testsupport::makeFolders(*root / folder);
    ::setenv("PATH", (testsupport::binDir() + ":" + std::getenv("PATH")).c_str(), 1);
    ::setenv("HARVELLA_SYSTEM_ROOT", (*root / "system").c_str(), 1);
    ::setenv("TMPDIR", machine.temp.c_str(), 1);
    return machine;
}

void dismantleMachine(const Machine&) {
    for (const char* command : {"stop Harvella", "delete Harvella", "stop HvMySQL"})
        sc(command);
    root.reset();
}

std::string readFile(const std::string& path) { return testsupport::readFile(path); }
void writeFile(const std::string& path, const std::string& bytes) {
    testsupport::writeFile(path, bytes);
}

int arrives(int code) { return code & 0xFF; }
std::string pageHandles() { return "1|2|3|4|5|6"; }
std::string nextHandle() { return "1"; }
std::string toolFields() {
    return testsupport::binDir() +
           "/porttool|/usr/bin/unzip|" MYSQL_PACKAGE_ZIP "|" MYSQL_PACKAGE_FOLDER_NAME;
}
std::string scriptsSource() { return MYSQL_SCRIPTS_DIR; }
std::string serverProgram() { return "mariadbd"; }
std::string serviceStartRefusal(const std::string& service) {
    return "The " + service + " service could not be started.";
}

PageRun quimboOnPage(const std::string& argumentLine) {
    const auto run = testsupport::runProgram(platform::quoteCommandLineWord(quimboProgram()) + " " +
                                             platform::quoteCommandLineWord(argumentLine));
    return pageRun(run.exitCode, run.out, run.err);
}

Run quimbo(const std::string& argumentLine) {
    const PageRun run = quimboOnPage(argumentLine);
    return {run.exitCode, run.out};
}

// The dialog is a prompt on the terminal, which shows no typed character.
PageRun quimboAnsweringPasswords(const std::string& argumentLine,
                                 const std::vector<std::string>& passwords) {
    testsupport::Terminal terminal(quimboProgram(), argumentLine);
    for (const std::string& password : passwords) {
        if (!terminal.waitFor("Password of the 'root' MySQL user: ")) break;
        terminal.type(password + "\r");
    }
    const int exitCode = terminal.exitCode();
    for (const std::string& password : passwords)
        EXPECT_EQ(terminal.screen.find(password), std::string::npos) << "echoed: " << password;
    return pageRun(exitCode, "", terminal.screen);
}

void startDependentService(const Machine&, const std::string& service) {
    dependency = service;
    sc("create Harvella binPath= \"/bin/sleep 600\" depend= " + service + " type= daemon");
    ASSERT_EQ(sc("start Harvella").exitCode, 0);
}

void removeDependentService(const Machine&) {
    for (const std::string& command :
         {std::string("stop Harvella"), std::string("delete Harvella"), "stop " + dependency})
        sc(command);
}

std::string leftOut(const std::string& caseName) {
    return caseName == "TheLauncherInstalledOnTheMySQLServiceStartsAndStopsBesideIt"
               ? "on Linux: LauncherVerbs.EveryVerbFromInstallToRemoveWithAMySQLServiceToStartFirst"
               : "";
}

PageRun quimboKillingTheServerAt(const Machine& machine, const std::string& argumentLine,
                                 const std::string& line) {
    const std::string out = machine.root + "/killed.out", page = machine.root + "/killed.page";
    const std::string program = quimboProgram();
    const pid_t run = ::fork();
    if (run == 0) {
        ::freopen(out.c_str(), "w", stdout);
        ::freopen(page.c_str(), "w", stderr);
        ::execl(program.c_str(), program.c_str(), argumentLine.c_str(), nullptr);
        ::_exit(127);
    }
    int status = 0;
    bool killed = false;
    for (int poll = 0; poll < 1200 && ::waitpid(run, &status, WNOHANG) == 0; ++poll) {
        if (!killed && readFile(page).find("[page] log: " + line + "\n") != std::string::npos)
            killed = killServer(machine);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    if (::waitpid(run, &status, WNOHANG) == 0) {
        ::kill(run, SIGKILL);
        ::waitpid(run, &status, 0);
        ADD_FAILURE() << "the run did not end after its server was killed";
    }
    EXPECT_TRUE(killed) << "the page never showed \"" << line << "\"";
    return pageRun(WIFEXITED(status) ? WEXITSTATUS(status) : -1, readFile(out), readFile(page));
}

bool mountSmallVolume(const std::string& folder) {
    return ::mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=8k") == 0;
}

void unmountSmallVolume(const std::string& folder) { ::umount(folder.c_str()); }

}  // namespace runner
