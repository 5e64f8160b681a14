// The JVM host with Debian's OpenJDK and the sample Java servers, each run in
// a process of its own since a process creates one VM only.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>

#include "LauncherMachine.h"

namespace {

using launchertest::BackgroundProgram;
using launchertest::Outcome;

const std::string runner = std::string(LAUNCHER_FIXTURES_DIR) + "/jvm_host_runner";
const std::string classes = std::string(LAUNCHER_FIXTURES_DIR) + "/classes";

class JavaVmHostWithRealJvm : public ::testing::Test {
protected:
    void install(const std::string& className, const std::string& javaPath = HARVELLA_JAVA_HOME) {
        machine.setProductValues("JavaPath=REG_SZ:" + javaPath + "\nStartupClassPath=REG_SZ:" +
                                 classes + "\nStartupClassName=REG_SZ:" + className + "\n");
    }
    Outcome run() { return BackgroundProgram(runner, machine.installFolder()).wait(); }
    std::string marker(const std::string& name) { return machine.installFolder() + "/run/" + name; }

    launchertest::LauncherMachine machine;
};

// One HTTP request on a fresh connection; the whole answer.
std::string httpGet(unsigned short port, const std::string& target) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_port = htons(port);
    where.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::string answer;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&where), sizeof where) == 0) {
        const std::string request = "GET " + target + " HTTP/1.0\r\n\r\n";
        ::write(fd, request.data(), request.size());
        char buffer[4096];
        ssize_t n = 0;
        while ((n = ::read(fd, buffer, sizeof buffer)) > 0)
            answer.append(buffer, n);
    }
    ::close(fd);
    return answer;
}

TEST_F(JavaVmHostWithRealJvm, ServesTheLoginPageUntilTheStopMarkerThenReturnsNormally) {
    install("sample.server.SampleServer");
    const unsigned short port = launchertest::freeLoopbackPort();
    launchertest::writeFile(machine.installFolder() + "/harvella.config",
                            "IPaddress=127.0.0.1\nHTTPPort=" + std::to_string(port) + "\n");
    BackgroundProgram host(runner, machine.installFolder());
    ASSERT_TRUE(launchertest::waitForFile(marker("running"), true)) << "the server never started";
    const std::string page = httpGet(port, "/login.do");
    EXPECT_EQ(page.rfind("HTTP/1.0 200 OK", 0), 0u) << page;
    EXPECT_NE(page.find("<form"), std::string::npos) << page;
    launchertest::writeFile(marker("stop"), "");
    const Outcome outcome = host.wait();
    EXPECT_EQ(outcome.exitCode, 0) << outcome.out;
    EXPECT_EQ(outcome.out, "returned");
    EXPECT_FALSE(launchertest::exists(marker("running"))) << "the server left its running marker";
}

TEST_F(JavaVmHostWithRealJvm, AnUncaughtExceptionBecomesAJavaErrorWithExactlyItsMessage) {
    install("sample.server.FailingServer");
    const Outcome outcome = run();
    EXPECT_EQ(outcome.exitCode, 2);
    EXPECT_EQ(outcome.out,
              "JavaError: Database connection refused: jdbc:mysql://localhost:3306/harvella");
}

TEST_F(JavaVmHostWithRealJvm, AThrowableWithoutMessageIsReportedByItsClassNotAsANormalEnd) {
    install("sample.server.SilentFailureServer");
    Outcome outcome = run();
    EXPECT_EQ(outcome.exitCode, 2) << outcome.out;
    EXPECT_EQ(outcome.out, "JavaError: java.lang.IllegalStateException");
    // getMessage() gives null and toString() throws: the class still names it.
    install("sample.server.NamelessFailureServer");
    outcome = run();
    EXPECT_EQ(outcome.exitCode, 2) << outcome.out;
    EXPECT_EQ(outcome.out, "JavaError: sample.server.NamelessFailureServer$Nameless");
}

TEST_F(JavaVmHostWithRealJvm, AMissingClassAndAMissingMainAreNamedInSlashedForm) {
    install("sample.server.Absent");
    Outcome outcome = run();
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_EQ(outcome.out, "HarvellaError: Could not find Java Main class: sample/server/Absent");
    install("sample.server.NoMainServer");
    outcome = run();
    EXPECT_EQ(
        outcome.out,
        "HarvellaError: Could not locate start method in the class: sample/server/NoMainServer");
}

TEST_F(JavaVmHostWithRealJvm, AMissingRuntimeLibraryIsReportedWithItsPathAndCode) {
    const std::string javaHome = machine.root() + "/java";
    std::filesystem::create_directories(javaHome + "/lib");
    install("sample.server.SampleServer", javaHome);
    Outcome outcome = run();
    EXPECT_EQ(outcome.out, "HarvellaError: Could not load jvm.dll file using path: " + javaHome +
                               "/lib/server/libjvm.so [ErrorCode: 126]");
    install("sample.server.SampleServer", machine.root() + "/nojava");
    outcome = run();
    // As on Windows: 3 for a folder missing on the way, 2 for the last one.
    EXPECT_EQ(outcome.out, "HarvellaError: Could not change current directory to " +
                               machine.root() + "/nojava/lib [ErrorCode: 3]");
    std::filesystem::remove(javaHome + "/lib");
    install("sample.server.SampleServer", javaHome);
    outcome = run();
    EXPECT_EQ(outcome.out, "HarvellaError: Could not change current directory to " + javaHome +
                               "/lib [ErrorCode: 2]");
}

}  // namespace
