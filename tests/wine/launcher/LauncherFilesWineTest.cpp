// Fio and the configuration reader on the Win32 file calls under Wine.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <memory>

#include "frontend/LauncherErrors.h"
#include "platform/launcher_services.h"
#include "runtime/Fio.h"
#include "runtime/HarvellaConfig.h"
#include "support/WineSupport.h"

namespace {

class LauncherFilesUnderWine : public ::testing::Test {
protected:
    std::unique_ptr<platform::LauncherSystem> system = platform::makeLauncherServices();
    platform::LauncherFiles& files = system->services().files;
    winesupport::TempFolder temp;
};

TEST_F(LauncherFilesUnderWine, FileExistsSearchesFoldersAndPatternsToo) {
    winesupport::makeFolder(temp / "run");
    EXPECT_TRUE(Fio::fileExists(files, temp / "run"));
    EXPECT_FALSE(Fio::fileExists(files, temp / "run\\running"));
    Fio::createFile(files, temp / "run\\running");
    EXPECT_TRUE(Fio::fileExists(files, temp / "run\\running"));
    EXPECT_TRUE(Fio::fileExists(files, temp / "run\\run*"));
    EXPECT_TRUE(Fio::fileExists(files, temp / "run\\runnin?"));
    EXPECT_FALSE(Fio::fileExists(files, temp / "gone\\running"));
}

TEST_F(LauncherFilesUnderWine, CreateKeepsAnExistingFileAndDeleteIgnoresAMissingOne) {
    std::ofstream(temp / "stop") << "kept";
    Fio::createFile(files, temp / "stop");
    EXPECT_EQ(::GetFileAttributesA((temp / "stop").c_str()) != INVALID_FILE_ATTRIBUTES, true);
    std::ifstream in(temp / "stop");
    std::string content;
    in >> content;
    in.close();
    EXPECT_EQ(content, "kept");
    Fio::deleteFile(files, temp / "stop");
    Fio::deleteFile(files, temp / "stop");
    EXPECT_FALSE(Fio::fileExists(files, temp / "stop"));
    try {
        Fio::createFile(files, temp / "gone\\stop");
        FAIL() << "a file was created in a missing folder";
    } catch (const Fio::IOError& error) {
        EXPECT_EQ(error.getFullMessage(),
                  "Could not create file: " + (temp / "gone\\stop") + " [ErrorCode: 3]");
    }
}

TEST_F(LauncherFilesUnderWine, TheConfigurationIsReadAnewOnEachCallWithCrLfLines) {
    const std::string path = temp / "harvella.config";
    std::ofstream(path, std::ios::binary)
        << "IPaddress=0.0.0.0\r\nHTTPPort=8080\r\nHTTPPortSSL=8443";
    Harvella::HarvellaConfig config(system->services(), temp.path() + "\\");
    EXPECT_EQ(config.getIPAddress(), "0.0.0.0");
    EXPECT_EQ(config.getHTTPPort(), "8443");
    ::DeleteFileA(path.c_str());
    EXPECT_THROW(config.getHTTPPort(), Harvella::HarvellaConfigNotFoundError);
}

}  // namespace
