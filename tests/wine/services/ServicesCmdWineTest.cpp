// The state phrases and the removal of ServicesCmdModule through Wine's
// service manager, with a small service-aware test service.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>

#include "frame/ServicesCmdModule.h"
#include "platform/service_manager.h"

namespace {

namespace svc = platform::svc;

const char* const testService = "HvServicesCmdTest";

std::string programFolder() {
    char buffer[MAX_PATH + 1];
    const DWORD length = ::GetModuleFileNameA(nullptr, buffer, sizeof buffer);
    const std::string path(buffer, length);
    return path.substr(0, path.find_last_of('\\'));
}

// Whether the condition holds within 20 s.
bool within20s(const std::function<bool()>& condition) {
    for (int i = 0; i < 200; ++i) {
        if (condition()) return true;
        ::Sleep(100);
    }
    return condition();
}

TEST(ServicesCmdUnderWine, PhrasesFollowTheServiceFromInstalledToRemovedWhileRunning) {
    auto manager = platform::makeSystemServiceManager();
    const auto phrase = [&] { return Quimbo::GetServiceStatusText(*manager, testService); };
    EXPECT_EQ(phrase(), "Service Not Found");
    EXPECT_EQ(Quimbo::RemoveServiceByName(*manager, testService), 1060u);

    auto connection = manager->connect(svc::managerAllAccess);
    ASSERT_TRUE(connection.ok()) << connection.error;
    platform::ServiceConfig config;
    config.name = config.displayName = testService;
    config.commandLine = programFolder() + "\\svc_test_service.exe " + testService + " normal";
    config.startType = svc::demandStart;
    auto created = connection.value->create(config);
    ASSERT_TRUE(created.ok()) << created.error;
    EXPECT_EQ(phrase(), "Service Is Stopped");

    ASSERT_EQ(created.value->start(), 0u);
    EXPECT_TRUE(within20s([&] { return phrase() == "Service Is Running"; })) << phrase();
    created.value.reset();
    connection.value.reset();

    // Removed while it runs: it is told to stop and goes once it has.
    EXPECT_EQ(Quimbo::RemoveServiceByName(*manager, testService), 0u);
    EXPECT_TRUE(within20s([&] { return phrase() == "Service Not Found"; })) << phrase();
}

}  // namespace
