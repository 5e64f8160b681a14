// The Win32 loading and calling path of the JVM host under Wine, with the
// test jvm.dll in place of a Java runtime, and the port check on WinSock. The
// host's failure texts are the same code as on Linux, tested there with the
// real JVM.
#include <winsock2.h>

#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <memory>

#include "platform/launcher_services.h"
#include "runtime/LauncherSettings.h"
#include "runtime/PortCheck.h"
#include "support/PortListener.h"
#include "support/WineSupport.h"

namespace {

bool exists(const std::string& path) {
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool waitForFile(const std::string& path, bool present) {
    for (int waited = 0; waited < 20000; waited += 20) {
        if (exists(path) == present) return true;
        ::Sleep(20);
    }
    return false;
}

class JavaVmHostUnderWine : public ::testing::Test {
protected:
    void SetUp() override {
        winesupport::installTestJvm(temp);
        ::SetEnvironmentVariableA("TEST_JVM_LOG", (temp / "jvm.log").c_str());
    }
    void TearDown() override {
        ::SetEnvironmentVariableA("TEST_JVM_LOG", nullptr);
        ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, Harvella::productKeyPath);
    }
    std::string runnerCommand() {
        return "\"" + winesupport::fixturesFolder() + "\\launcher\\jvm_host_runner.exe\" \"" +
               (temp / "install") + "\"";
    }
    winesupport::TempFolder temp;
};

TEST_F(JavaVmHostUnderWine, LoadsJvmDllFromBinServerAndRunsUntilTheStopMarker) {
    ASSERT_TRUE(winesupport::setMachineStrings(
        Harvella::productKeyPath, {{"JavaPath", temp / "java"},
                                   {"StartupClassPath", "C:\\Harvella\\lib\\server.jar"},
                                   {"StartupClassName", "sample.server.SampleServer"}}));
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::string command = runnerCommand();
    ASSERT_TRUE(::CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                 &startup, &process));
    const bool started = waitForFile(temp / "install\\run\\running", true);
    const bool stillRunning = ::WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT;
    winesupport::makeFolder(temp / "install\\run");
    std::ofstream(temp / "install\\run\\stop").put('\n');
    const bool ended = ::WaitForSingleObject(process.hProcess, 30000) == WAIT_OBJECT_0;
    if (!ended) ::TerminateProcess(process.hProcess, 9);
    DWORD exitCode = 9;
    ::GetExitCodeProcess(process.hProcess, &exitCode);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);

    EXPECT_TRUE(started) << "the server never created its running marker";
    EXPECT_TRUE(stillRunning) << "the host returned before the stop marker";
    ASSERT_TRUE(ended) << "the host did not return after the stop marker";
    EXPECT_EQ(exitCode, 0u);
    EXPECT_FALSE(exists(temp / "install\\run\\running"));
    const std::string log = winesupport::readFile(temp / "jvm.log");
    EXPECT_NE(log.find("loaded in " + (temp / "java\\bin") + "\n"), std::string::npos) << log;
    EXPECT_NE(log.find("CreateJavaVM 65540 -Djava.class.path=C:\\Harvella\\lib\\server.jar "
                       "-Dorg.mortbay.http.HttpRequest.maxFormContentSize=-1 -Xrs\n"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("FindClass sample/server/SampleServer\n"), std::string::npos) << log;
    EXPECT_NE(log.find("DestroyJavaVM\n"), std::string::npos) << log;
}

TEST(PortCheckUnderWine, ATakenPortCannotBeBoundAndAFreedOneCan) {
    const auto system = platform::makeLauncherServices();
    platform::Network& network = system->services().network;
    std::string port;
    {
        const winesupport::PortListener loopback("127.0.0.1");
        port = std::to_string(loopback.port());
        EXPECT_FALSE(Harvella::canBindPort(network, "127.0.0.1", port));
        EXPECT_FALSE(Harvella::isPortFree(network, "0.0.0.0", port));
    }
    EXPECT_TRUE(Harvella::canBindPort(network, "127.0.0.1", port));
    const winesupport::PortListener everywhere("0.0.0.0");
    EXPECT_FALSE(Harvella::isPortFree(network, "0.0.0.0", std::to_string(everywhere.port())));
}

}  // namespace
