#pragma once
#include <gtest/gtest.h>

#include <algorithm>

#include "JournalFakes.h"
#include "launcher/LauncherFakes.h"
#include "runtime/LauncherSettings.h"
#include "service/ServiceMan.h"

namespace servicefakes {

namespace svc = platform::svc;

inline const std::string runningMarker = "C:\\Harvella\\run\\running";
inline const std::string installPath = "C:\\Harvella";

class ServiceManFixture : public ::testing::Test {
protected:
    ServiceManFixture() {
        system.registry.setString(Harvella::productKeyPath, "InstallPath", installPath);
        system.workingDirectory.folders.insert(installPath);
        system.files.files[installPath + "\\harvella.config"] =
            "IPaddress=10.0.0.2\nHTTPPort=8080\n";
    }

    std::vector<platform::ServiceStatus> runningFromStart() { return {statusOf(svc::running)}; }
    // The Java server creates its marker once the clock has slept 500 ms that often.
    void markerAppearsAfterSleeps(std::size_t sleeps) {
        clock.afterSleep = [this, sleeps] {
            if (countOf(journal, "sleep 500") >= sleeps) system.files.files[runningMarker] = "";
        };
    }
    std::size_t countFrom(const std::string& first, const std::string& entry) {
        const auto from = std::find(journal.begin(), journal.end(), first);
        return static_cast<std::size_t>(std::count(from, journal.end(), entry));
    }

    Journal journal;
    FakeServiceManager manager{journal};
    JournalClock clock{journal};
    FakeProgramFile program;
    launcherfakes::FakeLauncherServices system;
    JournalListener listener{journal};
    Harvella::ServiceMan::Context context{manager, program, system.services, clock};
};

}  // namespace servicefakes
