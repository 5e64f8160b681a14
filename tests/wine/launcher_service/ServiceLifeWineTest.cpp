// Install, start, stop and remove of the Harvella service through ServiceMan
// and Wine's service manager; the service process runs the test jvm.dll's
// stand-in server, which keeps the marker-file contract. The exit codes of a
// failing server are checked on the Linux stand-in with the real JVM.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>

#include "platform/launcher_services.h"
#include "platform/service_manager.h"
#include "runtime/LauncherSettings.h"
#include "FinishListener.h"
#include "service/ServiceMan.h"
#include "support/WineSupport.h"

namespace {

namespace ServiceMan = Harvella::ServiceMan;
namespace svc = platform::svc;

class SleepingClock final : public platform::Clock {
public:
    std::chrono::milliseconds monotonicNow() override {
        return std::chrono::milliseconds(::GetTickCount());
    }
    platform::LocalTime localNow() override { return {}; }
    void sleep(std::chrono::milliseconds duration) override {
        ::Sleep(static_cast<DWORD>(duration.count()));
    }
};

// The service runs the launcher copied into the installation folder, not
// this test program.
class LauncherFile final : public platform::ProgramFile {
public:
    explicit LauncherFile(std::string path) : path_(std::move(path)) {}
    platform::Result<std::string> modulePath(std::size_t) override { return {path_, 0}; }

private:
    std::string path_;
};

using QuietListener = testcommon::FinishListener;

class HarvellaServiceUnderWine : public ::testing::Test {
protected:
    void SetUp() override {
        winesupport::installTestJvm(temp);
        // The usual kind of installation folder: one with a blank.
        for (const char* folder :
             {"Program Files", "Program Files\\Harvella", "Program Files\\Harvella\\run"})
            winesupport::makeFolder(temp / folder);
        winesupport::copyFile(winesupport::programFolder() + "\\Harvella_Access.exe", launcherPath);
        ASSERT_TRUE(winesupport::setMachineStrings(
            Harvella::productKeyPath, {{"InstallPath", installFolder},
                                       {"JavaPath", temp / "java"},
                                       {"StartupClassPath", "C:\\Harvella\\lib\\server.jar"},
                                       {"StartupClassName", "sample.server.SampleServer"}}));
        std::ofstream(installFolder + "\\harvella.config", std::ios::binary)
            << "IPaddress=127.0.0.1\r\nHTTPPort=18080\r\n";
    }
    void TearDown() override {
        try {
            QuietListener ignored;
            ServiceMan::stop(context, ignored);
        } catch (const Harvella::HarvellaError&) {
        }
        try {
            ServiceMan::remove(context);
        } catch (const Harvella::HarvellaError&) {
        }
        ::SetCurrentDirectoryA(winesupport::programFolder().c_str());
        ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, Harvella::productKeyPath);
    }

    platform::ServiceStatus status() {
        return ServiceMan::openService(context, "Harvella")->queryStatus().value;
    }
    winesupport::TempFolder temp;
    const std::string installFolder = temp / "Program Files\\Harvella";
    const std::string launcherPath = installFolder + "\\Harvella_Access.exe";
    std::unique_ptr<platform::ServiceManager> manager = platform::makeSystemServiceManager();
    std::unique_ptr<platform::LauncherSystem> launcher = platform::makeLauncherServices();
    LauncherFile program{launcherPath};
    SleepingClock clock;
    ServiceMan::Context context{*manager, program, launcher->services(), clock};
    QuietListener listener;
};

TEST_F(HarvellaServiceUnderWine, InstallStartStopAndRemoveFromAFolderWithABlank) {
    ServiceMan::install(context);
    ASSERT_TRUE(ServiceMan::exists(context, "Harvella"));
    const auto config = ServiceMan::openService(context, "Harvella")->queryConfig().value;
    EXPECT_EQ(config.commandLine, "\"" + launcherPath + "\" startAsService");
    EXPECT_EQ(config.displayName, "Harvella Server");

    ServiceMan::start(context, listener);
    EXPECT_TRUE(listener.finished);
    EXPECT_EQ(status().currentState, svc::running);

    ServiceMan::stop(context, listener);
    EXPECT_TRUE(listener.finished);
    const platform::ServiceStatus stopped = status();
    EXPECT_EQ(stopped.currentState, svc::stopped);
    EXPECT_EQ(stopped.win32ExitCode, 0u);

    ServiceMan::remove(context);
    for (int i = 0; i < 50 && ServiceMan::exists(context, "Harvella"); ++i)
        ::Sleep(100);
    EXPECT_FALSE(ServiceMan::exists(context, "Harvella"));
}

}  // namespace
