// The process runner and the POSIX seams against real processes and files.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <sys/wait.h>

#include <chrono>
#include <functional>

#include "file_system.h"
#include "frame/ConfigFileManager.h"
#include "frame/ExecCmdModule.h"
#include "frame/UnzipUtilTimeoutHandler.h"
#include "platform/platform.h"
#include "support/TestSupport.h"

namespace {

using namespace Quimbo;

struct ProcessRunner : ::testing::Test {
    std::unique_ptr<platform::SystemServices> system = platform::makeSystemServices(0, nullptr);
    platform::Services& services = system->services();
    testsupport::TempFolder folder;

    std::string script(const std::string& name, const std::string& body) {
        const std::string path = folder / name;
        testsupport::writeFile(path, "#!/bin/sh\n" + body, true);
        return path;
    }
};

TEST_F(ProcessRunner, AMissingProgramGivesMinus1000AndTheSystemTextWithTheProgram) {
    std::string err, out = "kept";
    EXPECT_EQ(ExecCmd(services, "\"/no/such dir/tool\" --x", err, out), execCmdLaunchFailed);
    EXPECT_EQ(err, "The system cannot find the file specified. File: /no/such dir/tool");
    EXPECT_EQ(out, "kept");
    // A command file is the program, not an argument of the shell that runs it.
    EXPECT_EQ(ExecCmd(services, "\"" + folder / "gone.sh" + "\"", err, out), execCmdLaunchFailed);
    EXPECT_EQ(err, "The system cannot find the file specified. File: " + folder / "gone.sh");
}

TEST_F(ProcessRunner, BothStreamsArriveCompleteWithTheExitCodeEvenFromAnInstantChild) {
    const auto tool = script("both.sh", "printf out1; printf err1 >&2; printf out2; exit 3\n");
    std::string err, out;
    EXPECT_EQ(ExecCmd(services, "\"" + tool + "\"", err, out), 3);
    EXPECT_EQ(out, "out1out2");
    EXPECT_EQ(err, "err1");
}

TEST_F(ProcessRunner, ArgumentsFollowTheWindowsQuotingRules) {
    std::string err, out;
    ExecCmd(services, "printf \"%s|\" \"a b\" c\\\"d \"\"", err, out);
    EXPECT_EQ(out, "a b|c\"d||");
}

TEST_F(ProcessRunner, AChildWritingFarMoreThanAPipeHoldsIsNeverStalled) {
    std::string err, out;
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(ExecCmd(services, "head -c 8388608 /dev/zero", err, out), 0);
    EXPECT_EQ(out.size(), 8388608u);
    // 8 MiB in 20 ms slices of 4 KiB would take over 40 s; continuous draining takes milliseconds.
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
}

TEST_F(ProcessRunner, TheHandlerAnswersThroughStandardInput) {
    const auto tool = script("prompt.sh",
                             "echo 'error: disk full; continue? (y/n)' >&2\n"
                             "read answer\n"
                             "[ \"$answer\" = \"n$(printf '\\r')\" ] && exit 50\n"
                             "exit 1\n");
    UnzipUtilTimeoutHandler handler;
    std::string err, out;
    EXPECT_EQ(ExecCmd(services, "\"" + tool + "\"", err, out, &handler), 50);
}

TEST_F(ProcessRunner, ReturnsWhenTheChildEndsEvenIfAGrandchildKeepsThePipesOpen) {
    const auto tool = script("daemon.sh", "echo started\nsleep 5 &\nexit 0\n");
    std::string err, out;
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(ExecCmd(services, "\"" + tool + "\"", err, out), 0);
    EXPECT_EQ(out, "started\n");
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(4));
}

TEST(CodePages, Cp866CyrillicBecomesCp1251AndUnmappableBecomesZero) {
    auto system = platform::makeSystemServices(0, nullptr);
    auto& codePages = system->services().codePages;
    // "Привет" in CP866 and in CP1251.
    const std::string cp866 = "\x8f\xe0\xa8\xa2\xa5\xe2";
    const auto converted = codePages.convert(cp866, 866, 1251, '0');
    ASSERT_TRUE(converted.ok());
    EXPECT_EQ(converted.value, "\xcf\xf0\xe8\xe2\xe5\xf2");
    // The box-drawing character 0xB0 of CP866 has no place in CP1251.
    EXPECT_EQ(codePages
                  .convert("a\xb0"
                           "b",
                           866, 1251, '0')
                  .value,
              "a0b");
}

TEST_F(ProcessRunner, AFailingWaitEndsTheWait) {
    // With SIGCHLD ignored the system reaps the child itself: waitpid fails.
    struct IgnoredChildSignal {
        IgnoredChildSignal() { ::signal(SIGCHLD, SIG_IGN); }
        ~IgnoredChildSignal() { ::signal(SIGCHLD, SIG_DFL); }
    } ignored;
    auto launched = services.processes.launch("/bin/true");
    ASSERT_TRUE(launched.ok());
    std::string out, err;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    bool ended = false;
    while (!ended && std::chrono::steady_clock::now() < deadline)
        ended = launched.value->waitSlice(std::chrono::milliseconds(20), out, err);
    EXPECT_TRUE(ended);
    EXPECT_EQ(launched.value->exitCode(), platform::waitFailedExitCode);
}

TEST(PosixSeams, FilesAndFoldersReportWindowsErrorNumbers) {
    auto system = platform::makeSystemServices(0, nullptr);
    auto& files = system->services().files;
    testsupport::TempFolder folder;
    EXPECT_EQ(files.readFile(folder / "missing").error, platform::winerr::fileNotFound);
    EXPECT_EQ(files.readFile(folder / "no/missing").error, platform::winerr::pathNotFound);
    EXPECT_EQ(files.replaceFileContent(folder / "no/data.ptc", "pw", true,
                                       platform::AtLink::writeThrough),
              platform::winerr::pathNotFound);
    EXPECT_EQ(files.createFolder(folder / "a/b"), platform::winerr::pathNotFound);
    EXPECT_EQ(files.createFolder(folder / "a"), platform::winerr::success);
    EXPECT_EQ(files.createFolder(folder / "a"), platform::winerr::fileExists);
    EXPECT_EQ(files.deleteFolder(folder / "a"), platform::winerr::success);
    EXPECT_FALSE(files.folderExists(folder / "a"));
    EXPECT_GT(files.freeSpace(folder / "not/yet/there").value, 0u);
    EXPECT_EQ(system->services().errors.text(5), "Access is denied.");
}

TEST(PosixSeams, ANewFileIsOurOwnPrivateOneAndNeverALinkSomeonePlanted) {
    platform::posix::PosixFileSystem files;
    testsupport::TempFolder folder;
    const mode_t umaskBefore = ::umask(0);
    EXPECT_EQ(files.createNewFile(folder / "secret", "pw"), platform::winerr::success);
    ::umask(umaskBefore);
    EXPECT_EQ(testsupport::fileMode(folder / "secret"), 0600u);
    EXPECT_EQ(files.createNewFile(folder / "secret", "x"), platform::winerr::fileExists);

    testsupport::writeFile(folder / "target", "precious");
    ASSERT_EQ(::symlink((folder / "target").c_str(), (folder / "planted").c_str()), 0);
    EXPECT_EQ(files.createNewFile(folder / "planted", "command text"),
              platform::winerr::fileExists);
    EXPECT_EQ(testsupport::readFile(folder / "target"), "precious");
}

// Runs the call as an unprivileged user when we are root (who may write
// anywhere), in a child process; its result code.
int asOrdinaryUser(const std::function<int()>& call) {
    if (::geteuid() != 0) return call();
    const pid_t child = ::fork();
    if (child == 0) ::_exit(::setgid(65534) == 0 && ::setuid(65534) == 0 ? call() : 99);
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 98;
}

TEST(PosixSeams, ReplacedContentKeepsTheFilesModeOwnerAndLinks) {
    platform::posix::PosixFileSystem files;
    testsupport::TempFolder folder;
    const auto ownerOf = [](const std::string& path) {
        struct stat info {};
        ::stat(path.c_str(), &info);
        return info.st_uid;
    };
    testsupport::writeFile(folder / "secret.config", "DBpassword=old\n");
    ::chmod((folder / "secret.config").c_str(), 0640);
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown((folder / "secret.config").c_str(), 65534, 65534), 0);
    }
    EXPECT_EQ(files.replaceFileContent(folder / "secret.config", "DBpassword=new\n", false,
                                       platform::AtLink::writeThrough),
              0u);
    EXPECT_EQ(testsupport::fileMode(folder / "secret.config"), 0640u);
    if (root) {
        EXPECT_EQ(ownerOf(folder / "secret.config"), 65534u);
    }

    testsupport::writeFile(folder / "read-only", "kept");
    ::chmod((folder / "read-only").c_str(), 0444);
    EXPECT_EQ(
        files.replaceFileContent(folder / "read-only", "x", false, platform::AtLink::writeThrough),
        platform::winerr::accessDenied);
    EXPECT_EQ(testsupport::readFile(folder / "read-only"), "kept");

    ASSERT_EQ(::symlink("secret.config", (folder / "link").c_str()), 0);
    EXPECT_EQ(
        files.replaceFileContent(folder / "link", "through", false, platform::AtLink::writeThrough),
        0u);
    EXPECT_EQ(testsupport::readFile(folder / "secret.config"), "through");
    struct stat link {};
    EXPECT_TRUE(::lstat((folder / "link").c_str(), &link) == 0 && S_ISLNK(link.st_mode));

    // A writable file in a folder that refuses new files is written in place.
    testsupport::makeFolders(folder / "shut");
    testsupport::writeFile(folder / "shut/open.config", "a=1\n");
    ::chmod((folder / "shut/open.config").c_str(), 0666);
    ::chmod((folder / "shut").c_str(), 0555);
    ::chmod(folder.path().c_str(), 0755);
    EXPECT_EQ(asOrdinaryUser([&] {
                  return static_cast<int>(files.replaceFileContent(
                      folder / "shut/open.config", "a=2\n", false, platform::AtLink::writeThrough));
              }),
              0);
    ::chmod((folder / "shut").c_str(), 0755);
    EXPECT_EQ(testsupport::readFile(folder / "shut/open.config"), "a=2\n");
}

// The server's account owns the data folder and may plant data.ptc as a link,
// symbolic or hard, to a file of root's: storing the root password replaces
// the name and leaves that file as it was.
TEST_F(ProcessRunner, TheRootPasswordFileReplacesALinkPlantedInItsPlace) {
    FileSystemObject fso(services.files, services.random, services.conventions);
    ConfigFileManager config;
    config.Initialize(fso);
    const std::string precious = folder / "precious", stored = folder / "data.ptc";
    for (const bool symbolic : {true, false}) {
        testsupport::writeFile(precious, "root's own\n");
        ::chmod(precious.c_str(), 0644);
        ::unlink(stored.c_str());
        ASSERT_EQ(symbolic ? ::symlink(precious.c_str(), stored.c_str())
                           : ::link(precious.c_str(), stored.c_str()),
                  0);
        config.WriteRootPwdInConfig(stored, "abcdefgPassWordhijklmnopqr");
        EXPECT_EQ(testsupport::readFile(precious), "root's own\n") << symbolic;
        EXPECT_EQ(testsupport::fileMode(precious), 0644u) << symbolic;
        EXPECT_EQ(config.GetRootPwdFromConfig(stored), "PassWord") << symbolic;
        EXPECT_EQ(testsupport::fileMode(stored), 0600u) << symbolic;
    }
}

}  // namespace
