// The Linux stand-ins for the registry, the event log and the Win32 file
// calls, as the launcher's core uses them.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <memory>

#include "LauncherMachine.h"
#include "frontend/LauncherErrors.h"
#include "platform/launcher_services.h"
#include "platform/platform.h"
#include "runtime/Fio.h"
#include "runtime/LauncherSettings.h"
#include "runtime/RegistryKey.h"
#include "service/EventLogSource.h"
#include "stand_ins/registry.h"

namespace {

class StandIns : public ::testing::Test {
protected:
    launchertest::LauncherMachine machine;
    std::unique_ptr<platform::LauncherSystem> system = platform::makeLauncherServices();
    platform::LauncherServices& services = system->services();
};

TEST_F(StandIns, AValuesFileWrittenByAScriptIsReadWithItsEscapesAndTypes) {
    // Written on Windows, with CR LF line ends and a type the stand-in lacks.
    machine.setProductValues(
        "InstallPath=REG_SZ:/opt/harvella\r\n"
        "JavaPath=REG_EXPAND_SZ:$JAVA_HOME\\\\jre\r\n"
        "StartupClassPath=REG_MULTI_SZ:a.jar\\0b.jar\r\n"
        "StartupClassName=REG_QWORD:7\r\n");
    EXPECT_EQ(Harvella::getInstallPath(services.registry), "/opt/harvella");
    EXPECT_EQ(Harvella::getJavaPath(services.registry), "$JAVA_HOME\\jre");
    EXPECT_EQ(Harvella::getStartupClassPath(services.registry), "a.jar");
    try {
        Harvella::getStartupClassName(services.registry);
        FAIL() << "a value of an unknown type was read";
    } catch (const Harvella::HarvellaError& error) {
        EXPECT_EQ(error.getFullMessage(), "Invalid type of the value: StartupClassName");
    }
    machine.setProductValues("");
    try {
        Harvella::getInstallPath(services.registry);
        FAIL();
    } catch (const Harvella::CannotReadRegistryKeyValueError& error) {
        EXPECT_EQ(error.getErrorCode(), 2);
    }
}

TEST_F(StandIns, TheEventSourceRegistrationIsWrittenAsLinesOfItsKey) {
    Harvella::registerEventSource(services.registry, "Harvella", "/opt/h/Msgs\nx", 6);
    Harvella::registerEventSource(services.registry, "Harvella", "/opt/h/HarvellaWinLogMsgs.dll",
                                  6);
    EXPECT_EQ(services.registry.createKey("SOFTWARE\\..\\..\\..\\escaped").error,
              platform::winerr::invalidName);
    EXPECT_FALSE(launchertest::exists(machine.root() + "/escaped"));
    const std::string values = launchertest::readFile(
        machine.root() +
        "/registry/HKEY_LOCAL_MACHINE/SYSTEM/CurrentControlSet/Services/EventLog/Application/"
        "Harvella/values");
    EXPECT_EQ(values,
              "EventMessageFile=REG_EXPAND_SZ:/opt/h/HarvellaWinLogMsgs.dll\n"
              "TypesSupported=REG_DWORD:7\n"
              "CategoryMessageFile=REG_EXPAND_SZ:/opt/h/HarvellaWinLogMsgs.dll\n"
              "CategoryCount=REG_DWORD:6\n");
}

TEST_F(StandIns, AKeysWriterGivesUpOnAHolderThatDoesNotLetGo) {
    platform::posix::PosixRegistry registry(std::chrono::milliseconds(300));
    const auto key = registry.createKey("SOFTWARE\\Held");
    ASSERT_TRUE(key.ok());
    const int holder =
        ::open((machine.root() + "/registry/HKEY_LOCAL_MACHINE/SOFTWARE/Held").c_str(), O_RDONLY);
    ASSERT_EQ(::flock(holder, LOCK_EX), 0);
    EXPECT_EQ(registry.setValue(key.value, "Name", {platform::regtype::sz, "x"}),
              platform::winerr::waitTimeout);
    ::close(holder);
    EXPECT_EQ(registry.setValue(key.value, "Name", {platform::regtype::sz, "x"}),
              platform::winerr::success);
}

TEST_F(StandIns, EventsBecomeTabSeparatedLinesOfTheApplicationLog) {
    {
        Harvella::EventSource source(services.eventLog, "Harvella");
        Harvella::reportInfoEvent(source, "Harvella service started.");
        Harvella::reportErrorEvent(source, "Line one\nLine two");
    }
    const std::string log = launchertest::readFile(machine.root() + "/eventlog/Application.log");
    const std::size_t firstEnd = log.find('\n');
    ASSERT_NE(firstEnd, std::string::npos) << log;
    const std::string first = log.substr(0, firstEnd);
    const std::string second = log.substr(firstEnd + 1);
    EXPECT_EQ(first.substr(19), "\tHarvella\tInformation\t2164467473\tHarvella service started.");
    EXPECT_EQ(first[10], 'T') << "an ISO 8601 local time comes first: " << first;
    EXPECT_EQ(second.substr(19), "\tHarvella\tError\t3238209298\tLine one\\nLine two\n");
}

TEST_F(StandIns, FileCallsKeepTheirWindowsMeanings) {
    const std::string run = machine.installFolder() + "/run";
    auto& files = services.files;
    EXPECT_TRUE(Fio::fileExists(files, run)) << "a folder counts as existing";
    Fio::createFile(files, run + "/running");
    Fio::createFile(files, run + "/running");
    EXPECT_TRUE(Fio::fileExists(files, run + "/run*"));
    EXPECT_TRUE(Fio::fileExists(files, run + "/runnin?"));
    EXPECT_FALSE(Fio::fileExists(files, run + "/stop*"));
    Fio::deleteFile(files, run + "/running");
    Fio::deleteFile(files, run + "/running");
    EXPECT_FALSE(Fio::fileExists(files, run + "/running"));
    // A read-only file is read-only for root too.
    launchertest::writeFile(run + "/read-only", "x");
    ::chmod((run + "/read-only").c_str(), 0444);
    EXPECT_EQ(files.readWritable(run + "/read-only").error, platform::winerr::accessDenied);
    try {
        Fio::createFile(files, machine.root() + "/gone/running");
        FAIL();
    } catch (const Fio::IOError& error) {
        EXPECT_EQ(error.getErrorCode(), 3) << "a missing folder is not a missing file";
    }
}

// The error of a read run in a child process; -1 when the child did not end
// by itself within five seconds (a read waiting for a FIFO's writer).
int readErrorInChild(const std::function<platform::ErrorCode()>& read) {
    const pid_t child = ::fork();
    if (child == 0) {
        ::alarm(5);
        ::_exit(static_cast<int>(read()));
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(StandIns, AFileThatIsNotARegularOneIsMissingForBothPrograms) {
    const std::string fifo = machine.installFolder() + "/harvella.config";
    const std::string device = machine.root() + "/device.config";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    ASSERT_EQ(::symlink("/dev/null", device.c_str()), 0);
    const auto utility = platform::makeSystemServices(0, nullptr);
    for (const std::string& path : {fifo, device}) {
        EXPECT_EQ(readErrorInChild([&] { return services.files.readWritable(path).error; }), 2)
            << "the launcher's read of " << path;
        EXPECT_EQ(readErrorInChild([&] { return utility->services().files.readFile(path).error; }),
                  2)
            << "the utility's read of " << path;
    }
}

}  // namespace
