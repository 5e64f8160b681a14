#include <gtest/gtest.h>

#include "LauncherFakes.h"
#include "frontend/LauncherErrors.h"
#include "runtime/LoginPage.h"
#include "runtime/PortCheck.h"

namespace {

using Calls = std::vector<std::string>;

TEST(PortText, LeadingDigitsAreBoundAndAnythingAfterThemCountsAsFreeUntested) {
    launcherfakes::FakeNetwork network;
    network.taken = {"10.0.0.2"};
    EXPECT_FALSE(Harvella::canBindPort(network, "10.0.0.2", "8080"));
    EXPECT_EQ(network.calls, (Calls{"startup 2.0", "bind 10.0.0.2:8080", "cleanup"}));
    network.calls.clear();
    EXPECT_TRUE(Harvella::canBindPort(network, "10.0.0.2", "8080 "));
    EXPECT_TRUE(Harvella::canBindPort(network, "10.0.0.2", " 8080"));
    EXPECT_TRUE(Harvella::canBindPort(network, "10.0.0.2", "-1"));
    EXPECT_TRUE(network.calls.empty()) << "a bind was tried for a port with a non-digit";
    Harvella::canBindPort(network, "10.0.0.3", "");
    Harvella::canBindPort(network, "10.0.0.3", "65536");
    Harvella::canBindPort(network, "10.0.0.3", "73616");
    EXPECT_EQ(network.calls[1], "bind 10.0.0.3:0");
    EXPECT_EQ(network.calls[4], "bind 10.0.0.3:0") << "only the low 16 bits reach the bind";
    EXPECT_EQ(network.calls[7], "bind 10.0.0.3:8080");
}

TEST(PortCheck, AFailedStartupCountsAsTaken) {
    launcherfakes::FakeNetwork network;
    network.startupError = 10091;
    EXPECT_FALSE(Harvella::canBindPort(network, "10.0.0.2", "80"));
    EXPECT_FALSE(Harvella::isPortFree(network, "0.0.0.0", "80"));
    EXPECT_EQ(network.started, 0);
}

TEST(PortCheck, EveryAddressTriesEachHostAddressThenLoopbackLast) {
    launcherfakes::FakeNetwork network;
    EXPECT_TRUE(Harvella::isPortFree(network, "0.0.0.0", "8080"));
    EXPECT_EQ(network.calls,
              (Calls{"startup 1.1", "hostname 100", "addresses buildhost", "startup 2.0",
                     "bind 192.168.1.5:8080", "cleanup", "startup 2.0", "bind 10.0.0.2:8080",
                     "cleanup", "cleanup", "startup 2.0", "bind 127.0.0.1:8080", "cleanup"}));
    network.taken = {"192.168.1.5"};
    network.calls.clear();
    EXPECT_FALSE(Harvella::isPortFree(network, "0.0.0.0", "8080"));
    EXPECT_EQ(network.calls.back(), "cleanup");
    EXPECT_EQ(network.started, 0) << "WinSock left initialised";
    network.taken = {"127.0.0.1"};
    EXPECT_FALSE(Harvella::isPortFree(network, "0.0.0.0", "8080"));
    network.calls.clear();
    EXPECT_FALSE(Harvella::isPortFree(network, "127.0.0.1", "8080"));
    EXPECT_EQ(network.calls.front(), "startup 2.0") << "a single address is tested alone";
}

TEST(PortCheck, WithoutTheHostsAddressesOnlyLoopbackIsTested) {
    launcherfakes::FakeNetwork network;
    network.addresses = platform::Result<std::vector<std::string>>::failure(11001);
    network.taken = {"127.0.0.1"};
    EXPECT_FALSE(Harvella::isPortFree(network, "0.0.0.0", "8080"));
    EXPECT_EQ(network.started, 0);
}

TEST(PortOccupiedMessage, NamesTheAddressOrAllAddresses) {
    EXPECT_EQ(Harvella::formatPortOccupiedMessage("10.0.0.2", "8080"),
              "Port 8080 on IP address 10.0.0.2 is already occupied.");
    EXPECT_EQ(Harvella::formatPortOccupiedMessage("0.0.0.0", "8080"),
              "Port 8080 on at least one of IP addresses is already occupied.");
    launcherfakes::FakeLauncherServices fakes;
    fakes.registry.setString("SOFTWARE\\Brenwick\\Harvella", "InstallPath", "C:\\H");
    fakes.files.files["C:\\H\\harvella.config"] = "IPaddress=10.1.1.1\nHTTPPort=81 \n";
    EXPECT_EQ(Harvella::portOccupiedMessage(fakes.services),
              "Port 81  on IP address 10.1.1.1 is already occupied.");
}

class LoginPage : public ::testing::Test {
protected:
    void SetUp() override {
        fakes.registry.setString("SOFTWARE\\Brenwick\\Harvella", "InstallPath", "C:\\H\\");
    }
    std::string openedWith(const std::string& config) {
        fakes.files.files["C:\\H\\harvella.config"] = config;
        fakes.shell.opened.clear();
        Harvella::openLoginPage(fakes.services, 0x1234);
        return fakes.shell.opened.at(0).second;
    }
    launcherfakes::FakeLauncherServices fakes;
};

TEST_F(LoginPage, LoopbackAndEveryAddressOpenLocalhost) {
    EXPECT_EQ(openedWith("IPaddress=0.0.0.0\nHTTPPort=8080\n"), "http://localhost:8080/login.do");
    EXPECT_EQ(fakes.shell.opened[0].first, 0x1234u);
    EXPECT_EQ(openedWith("IPaddress=127.0.0.1\nHTTPPort=8080\n"), "http://localhost:8080/login.do");
    EXPECT_TRUE(fakes.network.calls.empty());
}

TEST_F(LoginPage, AnOtherAddressOpensTheHostNameOrTheAddressWithoutOne) {
    EXPECT_EQ(openedWith("IPaddress=192.168.1.5\nHTTPPort=8080\n"),
              "http://buildhost:8080/login.do");
    EXPECT_EQ(fakes.network.calls, (Calls{"startup 2.2", "hostname 255", "cleanup"}));
    fakes.network.name = platform::Result<std::string>::failure(10093);
    EXPECT_EQ(openedWith("IPaddress=192.168.1.5\nHTTPPort=8080\n"),
              "http://192.168.1.5:8080/login.do");
    EXPECT_EQ(openedWith("IPaddress=192.168.1.5\n"), "http://192.168.1.5:/login.do");
}

TEST_F(LoginPage, FailuresCarryTheirCodes) {
    fakes.network.startupError = 10091;
    EXPECT_EQ(
        launcherfakes::fullMessageOf([&] { openedWith("IPaddress=10.0.0.2\nHTTPPort=80\n"); }),
        "Failed to initialize WinSock DLL. [ErrorCode: 10091]");
    fakes.shell.result = 32;
    EXPECT_EQ(launcherfakes::fullMessageOf([&] { openedWith("IPaddress=0.0.0.0\nHTTPPort=80\n"); }),
              "Failed to open URL in the default browser: http://localhost:80/login.do "
              "[ErrorCode: 32]");
    fakes.files.files.clear();
    EXPECT_THROW(Harvella::openLoginPage(fakes.services, 0), Harvella::HarvellaConfigNotFoundError);
}

}  // namespace
