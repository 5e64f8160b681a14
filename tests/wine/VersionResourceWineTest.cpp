// The version resource of every program we ship, as Windows reads it for an
// installer's version comparison and for Explorer's file properties.
#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "support/WineSupport.h"

namespace {

std::string stringValue(const std::vector<char>& info, const std::string& name) {
    char* value = nullptr;
    UINT length = 0;
    const std::string path = "\\StringFileInfo\\040904B0\\" + name;
    if (!::VerQueryValueA(info.data(), path.c_str(), reinterpret_cast<void**>(&value), &length))
        return "(none)";
    return std::string(value, length ? length - 1 : 0);
}

TEST(VersionResources, EveryProgramCarriesTheBuildsVersionProductAndItsOwnName) {
    const struct {
        const char* file;
        DWORD type;
    } programs[] = {{"Harvella_Access.exe", VFT_APP}, {"Harvella_Access_NoManifest.exe", VFT_APP},
                    {"Quimbo.exe", VFT_APP},          {"HarvellaWinLogMsgs.dll", VFT_DLL},
                    {"porttool.exe", VFT_APP},        {"mdbconvert.exe", VFT_APP}};
    for (const auto& program : programs) {
        SCOPED_TRACE(program.file);
        const std::string path = winesupport::programFolder() + "\\" + program.file;
        std::vector<char> info(::GetFileVersionInfoSizeA(path.c_str(), nullptr));
        ASSERT_FALSE(info.empty()) << "no version resource";
        ASSERT_TRUE(::GetFileVersionInfoA(path.c_str(), 0, DWORD(info.size()), info.data()));
        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT length = 0;
        ASSERT_TRUE(::VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
        char numbers[64];
        std::snprintf(numbers, sizeof numbers, "%lu.%lu.%lu.%lu", fixed->dwFileVersionMS >> 16,
                      fixed->dwFileVersionMS & 0xFFFF, fixed->dwFileVersionLS >> 16,
                      fixed->dwFileVersionLS & 0xFFFF);
        EXPECT_EQ(std::string(numbers), HARVELLA_VERSION);
        EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
        EXPECT_EQ(fixed->dwProductVersionLS, fixed->dwFileVersionLS);
        EXPECT_EQ(fixed->dwFileType, program.type);
        EXPECT_EQ(stringValue(info, "FileVersion"), HARVELLA_VERSION);
        EXPECT_EQ(stringValue(info, "ProductVersion"), HARVELLA_VERSION);
        EXPECT_EQ(stringValue(info, "ProductName"), "Harvella");
        EXPECT_EQ(stringValue(info, "CompanyName"), "Brenwick");
        EXPECT_EQ(stringValue(info, "OriginalFilename"), program.file);
        EXPECT_NE(stringValue(info, "FileDescription").find("Harvella "), std::string::npos);
    }
}

}  // namespace
