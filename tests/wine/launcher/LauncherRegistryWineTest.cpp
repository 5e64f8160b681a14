// The launcher's registry use under Wine: the product key's values through
// the getters and the event-source registration read back with the API.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>

#include "frontend/LauncherErrors.h"
#include "platform/launcher_services.h"
#include "runtime/LauncherSettings.h"
#include "service/EventLogSource.h"
#include "support/WineSupport.h"

namespace {

const char* const sourceKey =
    "SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\HarvellaTest";

class LauncherRegistryUnderWine : public ::testing::Test {
protected:
    void TearDown() override {
        ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, Harvella::productKeyPath);
        ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, sourceKey);
    }
    void setProductValue(const char* name, DWORD type, const std::string& bytes) {
        HKEY key = nullptr;
        ASSERT_EQ(::RegCreateKeyA(HKEY_LOCAL_MACHINE, Harvella::productKeyPath, &key),
                  ERROR_SUCCESS);
        ::RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                         static_cast<DWORD>(bytes.size()));
        ::RegCloseKey(key);
    }
    std::unique_ptr<platform::LauncherSystem> system = platform::makeLauncherServices();
    platform::Registry& registry = system->services().registry;
};

TEST_F(LauncherRegistryUnderWine, GettersReadTheStringTypesUpToTheirFirstNul) {
    setProductValue("InstallPath", REG_SZ, std::string("C:\\Harvella\0", 12));
    setProductValue("JavaPath", REG_EXPAND_SZ, std::string("%ProgramFiles%\\Java\0", 21));
    setProductValue("StartupClassPath", REG_MULTI_SZ, std::string("a.jar\0b.jar\0\0", 13));
    setProductValue("StartupClassName", REG_SZ, std::string("com.example.Main\0", 17));
    EXPECT_EQ(Harvella::getInstallPath(registry), "C:\\Harvella");
    EXPECT_EQ(Harvella::getJavaPath(registry), "%ProgramFiles%\\Java");
    EXPECT_EQ(Harvella::getStartupClassPath(registry), "a.jar");
    EXPECT_EQ(Harvella::getStartupClassName(registry), "com/example/Main");
}

TEST_F(LauncherRegistryUnderWine, AValueBeyondTheBufferFailsWithMoreData) {
    setProductValue("InstallPath", REG_SZ, std::string(2100, 'x') + std::string(1, '\0'));
    try {
        Harvella::getInstallPath(registry);
        FAIL() << "a value over 2048 bytes was read";
    } catch (const Harvella::CannotReadRegistryKeyValueError& error) {
        EXPECT_EQ(error.getErrorCode(), ERROR_MORE_DATA);
    }
}

TEST_F(LauncherRegistryUnderWine, TheEventSourceRegistrationReadsBackWithTheRegistryApi) {
    const std::string library = "C:\\Harvella\\HarvellaWinLogMsgs.dll";
    Harvella::registerEventSource(registry, "HarvellaTest", library, 6);
    Harvella::registerEventSource(registry, "HarvellaTest", library, 6);
    HKEY key = nullptr;
    ASSERT_EQ(::RegOpenKeyA(HKEY_LOCAL_MACHINE, sourceKey, &key), ERROR_SUCCESS);
    for (const char* name : {"EventMessageFile", "CategoryMessageFile"}) {
        char text[512] = {};
        DWORD type = 0, size = sizeof text;
        ASSERT_EQ(
            ::RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text), &size),
            ERROR_SUCCESS)
            << name;
        EXPECT_EQ(type, static_cast<DWORD>(REG_EXPAND_SZ)) << name;
        EXPECT_EQ(std::string(text), library) << name;
        EXPECT_EQ(size, library.size() + 1) << name;
    }
    for (const auto& expected :
         {std::make_pair("TypesSupported", 7u), std::make_pair("CategoryCount", 6u)}) {
        DWORD value = 0, type = 0, size = sizeof value;
        ASSERT_EQ(::RegQueryValueExA(key, expected.first, nullptr, &type,
                                     reinterpret_cast<BYTE*>(&value), &size),
                  ERROR_SUCCESS);
        EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD)) << expected.first;
        EXPECT_EQ(value, expected.second) << expected.first;
    }
    ::RegCloseKey(key);
}

TEST(EventMessageLibraryUnderWine, BothEventIdsShowTheirInsertionStringAndSixCategoriesExist) {
    const std::string path = winesupport::programFolder() + "\\HarvellaWinLogMsgs.dll";
    const HMODULE library = ::LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(library, nullptr) << path;
    for (const DWORD id : {0x81032711u, 0xC1032712u, 1u, 6u}) {
        DWORD_PTR inserts[] = {reinterpret_cast<DWORD_PTR>("Harvella service failed.")};
        char text[256] = {};
        const DWORD length =
            ::FormatMessageA(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ARGUMENT_ARRAY, library,
                             id, 0, text, sizeof text, reinterpret_cast<va_list*>(inserts));
        EXPECT_GT(length, 0u) << "no message " << std::hex << id;
        if (id > 6) {
            EXPECT_EQ(std::string(text).rfind("Harvella service failed.", 0), 0u) << text;
        }
    }
    ::FreeLibrary(library);
}

}  // namespace
