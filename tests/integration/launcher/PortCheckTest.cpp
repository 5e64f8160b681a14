// The port check through real sockets, and the login page through xdg-open.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "LauncherMachine.h"
#include "frontend/LauncherErrors.h"
#include "platform/launcher_services.h"
#include "runtime/LoginPage.h"
#include "runtime/PortCheck.h"

namespace {

using launchertest::PortListener;

class PortCheckOnRealSockets : public ::testing::Test {
protected:
    std::unique_ptr<platform::LauncherSystem> system = platform::makeLauncherServices();
    platform::Network& network = system->services().network;
};

TEST_F(PortCheckOnRealSockets, APortHeldOnLoopbackOrOnEveryAddressIsTakenForBoth) {
    for (const char* held : {"127.0.0.1", "0.0.0.0"}) {
        const PortListener listener(held);
        EXPECT_FALSE(Harvella::canBindPort(network, "127.0.0.1", listener.port())) << held;
        EXPECT_FALSE(Harvella::isPortFree(network, "127.0.0.1", listener.port())) << held;
        EXPECT_FALSE(Harvella::isPortFree(network, "0.0.0.0", listener.port())) << held;
    }
}

// A loopback port that served one client and is closed: the server's side of
// the connection, closed first, is left in TIME_WAIT. The listener is made as
// the JVM makes a server socket on Linux, with SO_REUSEADDR.
std::string portThatServedAClient() {
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    const int reuse = 1;
    ::setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse);
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof where;
    ::bind(listener, reinterpret_cast<sockaddr*>(&where), sizeof where);
    ::listen(listener, 1);
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&where), &size);
    const int client = ::socket(AF_INET, SOCK_STREAM, 0);
    ::connect(client, reinterpret_cast<sockaddr*>(&where), sizeof where);
    const int served = ::accept(listener, nullptr, nullptr);
    ::close(served);
    ::close(client);
    ::close(listener);
    return std::to_string(ntohs(where.sin_port));
}

TEST_F(PortCheckOnRealSockets, AFreePortIsFreeAlsoWhenItServedClientsBefore) {
    for (const std::string& port :
         {std::to_string(launchertest::freeLoopbackPort()), portThatServedAClient()}) {
        EXPECT_TRUE(Harvella::isPortFree(network, "127.0.0.1", port)) << port;
        EXPECT_TRUE(Harvella::isPortFree(network, "0.0.0.0", port)) << port;
    }
}

TEST_F(PortCheckOnRealSockets, AnAddressThatIsNotIPv4CannotBeBoundSoItsPortReadsAsTaken) {
    const unsigned short port = launchertest::freeLoopbackPort();
    for (const char* address : {"::1", "junk", "255.255.255.255"}) {
        EXPECT_EQ(network.tryBind(address, port), 10049u) << address;
        EXPECT_FALSE(Harvella::isPortFree(network, address, std::to_string(port))) << address;
    }
}

TEST(LoginPageOnLinux, TheAddressReachesXdgOpenAndItsFailureIsReported) {
    launchertest::LauncherMachine machine;
    machine.setProductValues("InstallPath=REG_SZ:" + machine.installFolder() + "\n");
    launchertest::writeFile(machine.installFolder() + "/harvella.config",
                            "IPaddress=0.0.0.0\nHTTPPort=8080\n");
    const std::string tools = machine.root() + "/tools";
    const std::string opened = machine.root() + "/opened";
    std::filesystem::create_directories(tools);
    const std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
    ::setenv("PATH", (tools + ":" + path).c_str(), 1);
    const auto system = platform::makeLauncherServices();
    const auto openWith = [&](const std::string& script) {
        launchertest::writeFile(tools + "/xdg-open", "#!/bin/sh\n" + script);
        ::chmod((tools + "/xdg-open").c_str(), 0755);
        try {
            Harvella::openLoginPage(system->services(), 0);
            return std::string("opened");
        } catch (const Harvella::HarvellaError& error) {
            return error.getFullMessage();
        }
    };
    EXPECT_EQ(openWith("printf '%s' \"$1\" > " + opened + ".new && mv " + opened + ".new " +
                       opened + "\n"),
              "opened");
    EXPECT_EQ(openWith("exit 3\n"),
              "Failed to open URL in the default browser: http://localhost:8080/login.do "
              "[ErrorCode: 31]");
    ::setenv("PATH", path.c_str(), 1);
    EXPECT_TRUE(launchertest::waitForFile(opened, true)) << "xdg-open was not run";
    EXPECT_EQ(launchertest::readFile(opened), "http://localhost:8080/login.do");
}

}  // namespace
