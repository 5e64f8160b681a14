#include <gtest/gtest.h>

#include "LauncherFakes.h"
#include "frontend/LauncherErrors.h"
#include "runtime/HarvellaConfig.h"
#include "runtime/LauncherSettings.h"
#include "runtime/RegistryKey.h"

namespace {

using Harvella::HarvellaConfig;

constexpr const char* productKey = "SOFTWARE\\Brenwick\\Harvella";

class LauncherSettings : public ::testing::Test {
protected:
    launcherfakes::FakeLauncherServices fakes;
    launcherfakes::FakeRegistry& registry = fakes.registry;
};

TEST_F(LauncherSettings, GettersReadTheProductKeyAndCloseIt) {
    registry.setString(productKey, "InstallPath", "C:\\Harvella");
    registry.setString(productKey, "JavaPath", "%JAVA%\\jre", platform::regtype::expandSz);
    registry.keys[productKey]["StartupClassPath"] = {platform::regtype::multiSz,
                                                     std::string("a.jar\0b.jar\0\0", 13)};
    registry.setString(productKey, "StartupClassName", "com.example.server.Main");
    EXPECT_EQ(Harvella::getInstallPath(registry), "C:\\Harvella");
    EXPECT_EQ(Harvella::getJavaPath(registry), "%JAVA%\\jre") << "no expansion";
    EXPECT_EQ(Harvella::getStartupClassPath(registry), "a.jar") << "first string only";
    EXPECT_EQ(Harvella::getStartupClassName(registry), "com/example/server/Main");
    EXPECT_EQ(registry.lastBufferSize, 2048u);
    EXPECT_TRUE(registry.openHandles.empty());
}

TEST_F(LauncherSettings, WrongTypeMissingValueAndMissingKeyRaiseTheirErrors) {
    registry.keys[productKey]["JavaPath"] = {platform::regtype::dword, std::string(4, '\0')};
    EXPECT_EQ(launcherfakes::fullMessageOf([&] { Harvella::getJavaPath(registry); }),
              "Invalid type of the value: JavaPath");
    EXPECT_EQ(launcherfakes::fullMessageOf<Harvella::CannotReadRegistryKeyValueError>(
                  [&] { Harvella::getInstallPath(registry); }),
              "Cannot read registry key value: InstallPath [ErrorCode: 2]");
    EXPECT_TRUE(registry.openHandles.empty()) << "the key stays open after a failed read";
    registry.keys.clear();
    EXPECT_EQ(launcherfakes::fullMessageOf<Harvella::RegistryKeyNotFoundError>(
                  [&] { Harvella::getInstallPath(registry); }),
              "Cannot open registry key: SOFTWARE\\Brenwick\\Harvella");
}

TEST_F(LauncherSettings, ValuesUpToTheBufferAreReadAndLargerOnesFail) {
    registry.setString(productKey, "InstallPath", std::string(2047, 'x'));
    EXPECT_EQ(Harvella::getInstallPath(registry).size(), 2047u);
    registry.setString(productKey, "InstallPath", std::string(2048, 'x'));
    try {
        Harvella::getInstallPath(registry);
        FAIL() << "a 2049-byte value was read";
    } catch (const Harvella::CannotReadRegistryKeyValueError& error) {
        EXPECT_EQ(error.getErrorCode(), 234);
    }
}

TEST_F(LauncherSettings, FailedCreateAndWriteCarryTheStatus) {
    registry.creates.failOnCall(1, 5);
    EXPECT_EQ(launcherfakes::fullMessageOf<Harvella::RegistryCreationError>(
                  [&] { Harvella::RegistryKey::openOrCreate(registry, "SYSTEM\\X"); }),
              "Failed to create registry key: SYSTEM\\X [ErrorCode: 5]");
    auto key = Harvella::RegistryKey::openOrCreate(registry, "SYSTEM\\X");
    registry.writes.failOnCall(1, 1021);
    EXPECT_EQ(launcherfakes::fullMessageOf<Harvella::CannotWriteRegistryKeyValueError>(
                  [&] { key.setDwordValue("CategoryCount", 6); }),
              "Cannot write registry key value: CategoryCount [ErrorCode: 1021]");
}

class ConfigReader : public LauncherSettings {
protected:
    std::string ip, port;
    void readWith(const std::string& content) {
        fakes.files.files["C:\\Harvella\\harvella.config"] = content;
        HarvellaConfig config(fakes.services, "C:\\Harvella");
        ip = config.getIPAddress();
        port = config.getHTTPPort();
    }
};

TEST_F(ConfigReader, ReadsBothKeysAndTheLastMatchWins) {
    readWith("IPaddress=0.0.0.0\r\nHTTPPort=8080\r\n");
    EXPECT_EQ(ip, "0.0.0.0");
    EXPECT_EQ(port, "8080");
    readWith("HTTPPort=8080\nHTTPPortSSL=8443");
    EXPECT_EQ(port, "8443") << "a later line containing HTTPPort overwrites";
}

TEST_F(ConfigReader, OnlyAHashInTheFirstColumnComments) {
    readWith("#HTTPPort=80\n");
    EXPECT_EQ(port, "");
    readWith(" #HTTPPort=80\n");
    EXPECT_EQ(port, "80");
}

TEST_F(ConfigReader, ValuesAreNotTrimmedAndMatchCaseSensitively) {
    readWith("HTTPPort = 8080 \nipaddress=1.2.3.4\n");
    EXPECT_EQ(port, " 8080 ");
    EXPECT_EQ(ip, "");
    readWith("IPaddressHTTPPort=5\nHTTPPort\n");
    EXPECT_EQ(ip, "5") << "a line with both keys sets only the address";
    EXPECT_EQ(port, "HTTPPort") << "no '=' gives the whole line";
}

TEST_F(ConfigReader, MissingAndReadOnlyFilesAreReportedAsNotExisting) {
    EXPECT_EQ(launcherfakes::fullMessageOf<Harvella::HarvellaConfigNotFoundError>(
                  [&] { HarvellaConfig config(fakes.services, "C:\\Harvella"); }),
              "Harvella configuration file does not exist: C:\\Harvella\\harvella.config");
    fakes.files.files["C:\\Harvella\\harvella.config"] = "HTTPPort=1";
    fakes.files.readOnly.insert("C:\\Harvella\\harvella.config");
    HarvellaConfig config(fakes.services, "C:\\Harvella");
    EXPECT_THROW(config.getHTTPPort(), Harvella::HarvellaConfigNotFoundError);
}

}  // namespace
