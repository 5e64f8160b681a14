// The Win32 loading and calling path of the JVM host under Wine, with the
// test jvm.dll in place of a Java runtime, and the port check on WinSock.
#include <winsock2.h>

#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>

#include "platform/launcher_services.h"
#include "runtime/LauncherSettings.h"
#include "runtime/PortCheck.h"
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

std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class JavaVmHostUnderWine : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* folder :
             {"java", "java\\bin", "java\\bin\\server", "install", "install\\run"})
            winesupport::makeFolder(temp / folder);
        winesupport::copyFile(winesupport::fixturesFolder() + "\\launcher\\jvm.dll",
                              temp / "java\\bin\\server\\jvm.dll");
        ::SetEnvironmentVariableA("TEST_JVM_LOG", (temp / "jvm.log").c_str());
    }
    void TearDown() override {
        ::SetEnvironmentVariableA("TEST_JVM_LOG", nullptr);
        ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, Harvella::productKeyPath);
    }
    void install(const std::string& className) {
        HKEY key = nullptr;
        ASSERT_EQ(::RegCreateKeyA(HKEY_LOCAL_MACHINE, Harvella::productKeyPath, &key),
                  ERROR_SUCCESS);
        const std::string values[][2] = {{"JavaPath", temp / "java"},
                                         {"StartupClassPath", "C:\\Harvella\\lib\\server.jar"},
                                         {"StartupClassName", className}};
        for (const auto& value : values)
            ::RegSetValueExA(key, value[0].c_str(), 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(value[1].c_str()),
                             static_cast<DWORD>(value[1].size() + 1));
        ::RegCloseKey(key);
    }
    std::string runnerCommand() {
        return "\"" + winesupport::fixturesFolder() + "\\launcher\\jvm_host_runner.exe\" \"" +
               (temp / "install") + "\"";
    }
    winesupport::TempFolder temp;
};

TEST_F(JavaVmHostUnderWine, LoadsJvmDllFromBinServerAndRunsUntilTheStopMarker) {
    install("sample.server.SampleServer");
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
    const std::string log = readText(temp / "jvm.log");
    EXPECT_NE(log.find("loaded in " + (temp / "java\\bin") + "\n"), std::string::npos) << log;
    EXPECT_NE(log.find("CreateJavaVM 65540 -Djava.class.path=C:\\Harvella\\lib\\server.jar "
                       "-Dorg.mortbay.http.HttpRequest.maxFormContentSize=-1 -Xrs\n"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("FindClass sample/server/SampleServer\n"), std::string::npos) << log;
    EXPECT_NE(log.find("DestroyJavaVM\n"), std::string::npos) << log;
}

TEST_F(JavaVmHostUnderWine, AnUncaughtExceptionReachesTheHostAsAJavaError) {
    install("sample.server.FailingServer");
    const auto run = winesupport::runProgram(runnerCommand());
    EXPECT_EQ(run.exitCode, 2) << run.out << run.err;
    EXPECT_EQ(run.out, "JavaError: Database connection refused");
}

TEST_F(JavaVmHostUnderWine, AMissingJvmDllIsReportedWithItsPathAndCode126) {
    install("sample.server.SampleServer");
    ::DeleteFileA((temp / "java\\bin\\server\\jvm.dll").c_str());
    const auto run = winesupport::runProgram(runnerCommand());
    EXPECT_EQ(run.out, "HarvellaError: Could not load jvm.dll file using path: " +
                           (temp / "java\\bin\\server\\jvm.dll") + " [ErrorCode: 126]");
}

// A listening socket on the address and a port of the system's choice.
class Listener {
public:
    explicit Listener(const char* address) {
        WSADATA data;
        ::WSAStartup(MAKEWORD(2, 2), &data);
        socket_ = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in where{};
        where.sin_family = AF_INET;
        where.sin_addr.s_addr = ::inet_addr(address);
        int size = sizeof where;
        ::bind(socket_, reinterpret_cast<sockaddr*>(&where), sizeof where);
        ::listen(socket_, 1);
        ::getsockname(socket_, reinterpret_cast<sockaddr*>(&where), &size);
        port_ = std::to_string(ntohs(where.sin_port));
    }
    ~Listener() {
        ::closesocket(socket_);
        ::WSACleanup();
    }
    const std::string& port() const { return port_; }

private:
    SOCKET socket_;
    std::string port_;
};

TEST(PortCheckUnderWine, ATakenPortCannotBeBoundAndAFreedOneCan) {
    const auto system = platform::makeLauncherServices();
    platform::Network& network = system->services().network;
    std::string port;
    {
        const Listener loopback("127.0.0.1");
        port = loopback.port();
        EXPECT_FALSE(Harvella::canBindPort(network, "127.0.0.1", port));
        EXPECT_FALSE(Harvella::isPortFree(network, "0.0.0.0", port));
    }
    EXPECT_TRUE(Harvella::canBindPort(network, "127.0.0.1", port));
    const Listener everywhere("0.0.0.0");
    EXPECT_FALSE(Harvella::isPortFree(network, "0.0.0.0", everywhere.port()));
}

}  // namespace
