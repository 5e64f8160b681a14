// Install, start, stop and remove of the Harvella service through ServiceMan
// on the Linux stand-in, with the service process hosting the sample Java
// server in the real JVM.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/launcher_services.h"
#include "platform/service_manager.h"
#include "service/ServiceMan.h"

namespace {

namespace ServiceMan = Harvella::ServiceMan;
namespace svc = platform::svc;

const std::string serviceHost = std::string(HARVELLA_BIN_DIR) + "/harvella_service_host";
const std::string classes = std::string(LAUNCHER_FIXTURES_DIR) + "/classes";

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

class SteadyClock final : public platform::Clock {
public:
    std::chrono::milliseconds monotonicNow() override {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now().time_since_epoch());
    }
    platform::LocalTime localNow() override { return {}; }
    void sleep(std::chrono::milliseconds duration) override {
        std::this_thread::sleep_for(duration);
    }
};

class ServiceHostFile final : public platform::ProgramFile {
public:
    platform::Result<std::string> modulePath(std::size_t) override { return {serviceHost, 0}; }
};

class CountingListener final : public ServiceMan::ProgressListener {
public:
    int total = 0, position = 0;
    bool finished = false;
    void setTotal(int t) override {
        total = t;
        position = 0;
        finished = false;
    }
    void advance(int n) override { position = std::min(total, position + n); }
    void step() override { advance(1); }
    void finish() override {
        position = total;
        finished = true;
    }
};

// A listening socket on 127.0.0.1 that holds a port for the test's length.
class PortHolder {
public:
    PortHolder() {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in where{};
        where.sin_family = AF_INET;
        where.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof where;
        ::bind(fd_, reinterpret_cast<sockaddr*>(&where), sizeof where);
        ::listen(fd_, 1);
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&where), &size);
        port_ = ntohs(where.sin_port);
    }
    ~PortHolder() { ::close(fd_); }
    unsigned short port() const { return port_; }

private:
    int fd_ = -1;
    unsigned short port_ = 0;
};

class HarvellaServiceLife : public ::testing::Test {
protected:
    HarvellaServiceLife() {
        std::string pattern = std::filesystem::temp_directory_path().string() + "/hv-life-XXXXXX";
        root = ::mkdtemp(pattern.data());
        install = root + "/install";
        std::filesystem::create_directories(install + "/run");
        ::setenv("HARVELLA_SYSTEM_ROOT", root.c_str(), 1);
        const std::string key = root + "/registry/HKEY_LOCAL_MACHINE/SOFTWARE/Brenwick/Harvella";
        std::filesystem::create_directories(key);
        writeFile(key + "/values", "InstallPath=REG_SZ:" + install + "\nJavaPath=REG_SZ:" +
                                       HARVELLA_JAVA_HOME + "\nStartupClassPath=REG_SZ:" + classes +
                                       "\nStartupClassName=REG_SZ:sample.server.SampleServer\n");
    }
    ~HarvellaServiceLife() override {
        // A test that failed half-way leaves nothing running behind.
        try {
            CountingListener ignored;
            ServiceMan::stop(context, ignored);
        } catch (const Harvella::HarvellaError&) {
        }
        ::unsetenv("HARVELLA_SYSTEM_ROOT");
        std::error_code ignored;
        // start made the installation folder current.
        std::filesystem::current_path(std::filesystem::temp_directory_path(), ignored);
        std::filesystem::remove_all(root, ignored);
    }

    void configurePort(unsigned short port) {
        writeFile(install + "/harvella.config",
                  "IPaddress=127.0.0.1\nHTTPPort=" + std::to_string(port) + "\n");
    }
    platform::ServiceStatus status() {
        return ServiceMan::openService(context, "Harvella")->queryStatus().value;
    }
    std::string eventLog() { return readFile(root + "/eventlog/Application.log"); }

    std::string root, install;
    std::unique_ptr<platform::ServiceManager> manager = platform::makeSystemServiceManager();
    std::unique_ptr<platform::LauncherSystem> launcher = platform::makeLauncherServices();
    ServiceHostFile program;
    SteadyClock clock;
    ServiceMan::Context context{*manager, program, launcher->services(), clock};
    CountingListener listener;
};

TEST_F(HarvellaServiceLife, InstallStartStopAndRemoveWithTheRealJvm) {
    configurePort(0);
    ServiceMan::install(context);
    ASSERT_TRUE(ServiceMan::exists(context, "Harvella"));
    EXPECT_EQ(ServiceMan::openService(context, "Harvella")->queryConfig().value.commandLine,
              serviceHost + " startAsService");

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
    PortHolder taken;
    configurePort(taken.port());
    ServiceMan::install(context);
    const std::string port = std::to_string(taken.port());
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
