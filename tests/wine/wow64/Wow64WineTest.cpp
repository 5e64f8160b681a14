// Our 32-bit programs on 64-bit Windows (WoW64): the product key lies in the
// 32-bit registry view, where the installer writes it, and the system folder
// the utility looks in is SysWOW64. The 64-bit side is reached through
// "sysnative", the native System32 as a 32-bit program names it.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>

#include "frontend/LauncherErrors.h"
#include "platform/launcher_services.h"
#include "runtime/LauncherSettings.h"
#include "support/WineSupport.h"

namespace {

const std::string nativeSystem = "C:\\windows\\sysnative";

class Wow64 : public ::testing::Test {
protected:
    void SetUp() override {
        BOOL wow64 = FALSE;
        ::IsWow64Process(::GetCurrentProcess(), &wow64);
        ASSERT_TRUE(wow64) << "expected a 64-bit prefix, the test runs as a plain 32-bit program";
    }
    void TearDown() override { ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, Harvella::productKeyPath); }
};

TEST_F(Wow64, TheProductKeyOfA32BitProgramIsReadByTheLauncherAndHiddenFromThe64BitView) {
    const std::string installPath = "C:\\Program Files (x86)\\Harvella";
    ASSERT_TRUE(
        winesupport::setMachineStrings(Harvella::productKeyPath, {{"InstallPath", installPath}}));
    const auto system = platform::makeLauncherServices();
    try {
        EXPECT_EQ(Harvella::getInstallPath(system->services().registry), installPath);
    } catch (const Harvella::HarvellaError& error) {
        ADD_FAILURE() << "the launcher did not read the key: " << error.getFullMessage();
    }

    const std::string reg = "\"" + nativeSystem + "\\reg.exe\" query ";
    const auto in32BitView =
        winesupport::runProgram(reg + "HKLM\\SOFTWARE\\WOW6432Node\\Brenwick\\Harvella /reg:64");
    EXPECT_EQ(in32BitView.exitCode, 0);
    EXPECT_NE(in32BitView.out.find(installPath), std::string::npos) << in32BitView.out;
    const auto in64BitView =
        winesupport::runProgram(reg + "HKLM\\SOFTWARE\\Brenwick\\Harvella /reg:64");
    EXPECT_EQ(in64BitView.exitCode, 1) << "the key is in the 64-bit view:\n" << in64BitView.out;
}

TEST_F(Wow64, TheUtilitysSystemFolderIsSysWow64) {
    char buffer[MAX_PATH];
    const std::string sysWow64(buffer, ::GetSystemWow64DirectoryA(buffer, MAX_PATH));
    const std::string jet40 = winesupport::fixturesFolder() + "\\access\\MSJET40.DLL";
    const std::string quimbo = "\"" + winesupport::programFolder() + "\\Quimbo.exe\" 4";
    // Jet 4.0 in SysWOW64 is found; in the native System32 alone it is not.
    winesupport::copyFile(jet40, sysWow64 + "\\MSJET40.DLL");
    EXPECT_EQ(winesupport::runProgram(quimbo).exitCode, 0);
    ::DeleteFileA((sysWow64 + "\\MSJET40.DLL").c_str());
    winesupport::copyFile(jet40, nativeSystem + "\\MSJET40.DLL");
    EXPECT_EQ(winesupport::runProgram(quimbo).exitCode, 1);
    ::DeleteFileA((nativeSystem + "\\MSJET40.DLL").c_str());
}

}  // namespace
