// Install, start, stop and remove of the Harvella service through ServiceMan
// on the Linux stand-in, with the service process hosting the sample Java
// server in the real JVM.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <filesystem>

#include "LauncherMachine.h"
#include "clock.h"
#include "platform/launcher_services.h"
#include "platform/service_manager.h"
#include "FinishListener.h"
#include "service/ServiceMan.h"

namespace {

namespace ServiceMan = Harvella::ServiceMan;
namespace svc = platform::svc;

const std::string serviceHost = std::string(HARVELLA_BIN_DIR) + "/Harvella_Access";
const std::string classes = std::string(LAUNCHER_FIXTURES_DIR) + "/classes";

class ServiceHostFile final : public platform::ProgramFile {
public:
    platform::Result<std::string> modulePath(std::size_t) override { return {serviceHost, 0}; }
};

using testcommon::FinishListener;

class HarvellaServiceLife : public ::testing::Test {
protected:
    HarvellaServiceLife() {
        machine.setProductValues("InstallPath=REG_SZ:" + install + "\nJavaPath=REG_SZ:" +
                                 HARVELLA_JAVA_HOME + "\nStartupClassPath=REG_SZ:" + classes +
                                 "\nStartupClassName=REG_SZ:sample.server.SampleServer\n");
    }
    ~HarvellaServiceLife() override {
        ::unsetenv("JAVA_TOOL_OPTIONS");
        // A test that failed half-way leaves nothing running behind.
        try {
            FinishListener ignored;
            ServiceMan::stop(context, ignored);
        } catch (const Harvella::HarvellaError&) {
        }
        std::error_code ignored;
        // start made the installation folder current.
        std::filesystem::current_path(std::filesystem::temp_directory_path(), ignored);
    }

    void configurePort(const std::string& port) {
        launchertest::writeFile(install + "/harvella.config",
                                "IPaddress=127.0.0.1\nHTTPPort=" + port + "\n");
    }
    platform::ServiceStatus status() {
        return ServiceMan::openService(context, "Harvella")->queryStatus().value;
    }
    std::string eventLog() {
        return launchertest::readFile(machine.root() + "/eventlog/Application.log");
    }

    launchertest::LauncherMachine machine;
    const std::string install = machine.installFolder();
    std::unique_ptr<platform::ServiceManager> manager = platform::makeSystemServiceManager();
    std::unique_ptr<platform::LauncherSystem> launcher = platform::makeLauncherServices();
    ServiceHostFile program;
    platform::posix::PosixClock clock;
    ServiceMan::Context context{*manager, program, launcher->services(), clock};
    FinishListener listener;
};

TEST_F(HarvellaServiceLife, InstallStartStopAndRemoveWithTheRealJvm) {
    configurePort("0");
    // Whoever starts the service: its settings must not reach the service's JVM.
    ::setenv("JAVA_TOOL_OPTIONS", "-XX:+NoSuchOptionInAnyJvm", 1);
    ServiceMan::install(context);
    ASSERT_TRUE(ServiceMan::exists(context, "Harvella"));
    EXPECT_EQ(ServiceMan::openService(context, "Harvella")->queryConfig().value.commandLine,
              "\"" + serviceHost + "\" startAsService");

    ServiceMan::start(context, listener);
    EXPECT_TRUE(listener.finished);
    EXPECT_EQ(status().currentState, svc::running);
    EXPECT_TRUE(std::filesystem::exists(install + "/run/running"));

    ServiceMan::stop(context, listener);
    EXPECT_TRUE(listener.finished);
    const platform::ServiceStatus stopped = status();
    EXPECT_EQ(stopped.currentState, svc::stopped);
    EXPECT_EQ(stopped.win32ExitCode, 0u);
    const std::string log = eventLog();
    EXPECT_NE(log.find("\tHarvella\tInformation\t2164467473\tHarvella service started.\n"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("\tHarvella\tInformation\t2164467473\tHarvella service stopped.\n"),
              std::string::npos)
        << log;

    ServiceMan::remove(context);
    EXPECT_FALSE(ServiceMan::exists(context, "Harvella"));
}

TEST_F(HarvellaServiceLife, ServerThatFailsOnATakenPortEndsWith1101AndThePortMessage) {
    const launchertest::PortListener taken("127.0.0.1");
    const std::string port = taken.port();
    configurePort(port);
    ServiceMan::install(context);
    try {
        ServiceMan::start(context, listener);
        FAIL() << "the service started on a taken port";
    } catch (const ServiceMan::ServiceStartupError& error) {
        EXPECT_EQ(error.getFullMessage(),
                  "Port " + port +
                      " on IP address 127.0.0.1 is already "
                      "occupied. Please run Harvella installer and re-configure "
                      "IP address or port to use.");
    }
    const platform::ServiceStatus stopped = status();
    EXPECT_EQ(stopped.win32ExitCode, 1066u);
    EXPECT_EQ(stopped.serviceSpecificExitCode, 1101u);
    const std::string log = eventLog();
    EXPECT_NE(log.find("\tError\t3238209298\tPort " + port +
                       " on IP address 127.0.0.1 is already occupied.\\n"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("Harvella service stopped unexpectedly\n"), std::string::npos) << log;
}

TEST_F(HarvellaServiceLife, StartAsServiceFromAConsoleLogsCannotStartServiceAndExitsZero) {
    const int status =
        std::system((serviceHost + " startAsService </dev/null >/dev/null 2>&1").c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_NE(eventLog().find("\tHarvella\tError\t3238209298\tCannot start service.\n"),
              std::string::npos)
        << eventLog();
}

}  // namespace
