// The port check through real sockets, and the login page through xdg-open.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "LauncherMachine.h"
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

TEST_F(PortCheckOnRealSockets, AFreePortIsFree) {
    const std::string port = std::to_string(launchertest::freeLoopbackPort());
    EXPECT_TRUE(Harvella::isPortFree(network, "127.0.0.1", port));
    EXPECT_TRUE(Harvella::isPortFree(network, "0.0.0.0", port));
}

TEST(LoginPageOnLinux, TheAddressReachesXdgOpen) {
    launchertest::LauncherMachine machine;
    machine.setProductValues("InstallPath=REG_SZ:" + machine.installFolder() + "\n");
    launchertest::writeFile(machine.installFolder() + "/harvella.config",
                            "IPaddress=0.0.0.0\nHTTPPort=8080\n");
    const std::string tools = machine.root() + "/tools";
    const std::string opened = machine.root() + "/opened";
    std::filesystem::create_directories(tools);
    launchertest::writeFile(tools + "/xdg-open", "#!/bin/sh\nprintf '%s' \"$1\" > " + opened +
                                                     ".new && mv " + opened + ".new " + opened +
                                                     "\n");
    ::chmod((tools + "/xdg-open").c_str(), 0755);
    const std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
    ::setenv("PATH", (tools + ":" + path).c_str(), 1);
    const auto system = platform::makeLauncherServices();
    Harvella::openLoginPage(system->services(), 0);
    ::setenv("PATH", path.c_str(), 1);
    EXPECT_TRUE(launchertest::waitForFile(opened, true)) << "xdg-open was not run";
    EXPECT_EQ(launchertest::readFile(opened), "http://localhost:8080/login.do");
}

}  // namespace
