#include <gtest/gtest.h>

#include "LauncherFakes.h"
#include "frontend/LauncherErrors.h"
#include "service/EventLogSource.h"

namespace {

const std::string applicationKey = "SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\";

std::string expandSz(const std::string& text) {
    return text + std::string(1, '\0');
}
std::string dword(std::uint32_t v) {
    return std::string(reinterpret_cast<const char*>(&v), 4);
}

TEST(EventSourceRegistration, WritesTheFourValuesAndKeepsOthersWhenRepeated) {
    launcherfakes::FakeRegistry registry;
    registry.setString(applicationKey + "Harvella", "Other", "kept");
    for (int round = 0; round < 2; ++round)
        Harvella::registerEventSource(registry, "Harvella", "C:\\H\\HarvellaWinLogMsgs.dll", 6);
    const auto& values = registry.keys[applicationKey + "Harvella"];
    ASSERT_EQ(values.size(), 5u);
    EXPECT_EQ(values.at("EventMessageFile").type, platform::regtype::expandSz);
    EXPECT_EQ(values.at("EventMessageFile").data, expandSz("C:\\H\\HarvellaWinLogMsgs.dll"));
    EXPECT_EQ(values.at("CategoryMessageFile").data, values.at("EventMessageFile").data);
    EXPECT_EQ(values.at("TypesSupported").data, dword(7));
    EXPECT_EQ(values.at("CategoryCount").data, dword(6));
    EXPECT_EQ(values.at("Other").data, expandSz("kept"));
    EXPECT_TRUE(registry.openHandles.empty());
}

TEST(EventSourceRegistration, AcceptsAKeyPathOf260AndRefuses261WithoutWriting) {
    launcherfakes::FakeRegistry registry;
    const std::string fits(260 - applicationKey.size(), 's');
    Harvella::registerEventSource(registry, fits, "m.dll", 6);
    EXPECT_EQ(registry.keys.count(applicationKey + fits), 1u);
    EXPECT_EQ(launcherfakes::fullMessageOf(
                  [&] { Harvella::registerEventSource(registry, fits + "s", "m.dll", 6); }),
              "Registry key path is too long");
    EXPECT_EQ(registry.keys.size(), 1u);
}

TEST(EventReports, CarryTypeIdCategoryZeroAndTheTextThenCloseTheSource) {
    launcherfakes::FakeEventLog log;
    {
        Harvella::EventSource source(log, "Harvella");
        Harvella::reportInfoEvent(source, "Harvella service started.");
        Harvella::reportErrorEvent(source, "Could not find Java Main class: a/b/Main");
    }
    ASSERT_EQ(log.entries.size(), 2u);
    EXPECT_EQ(log.opened, std::vector<std::string>{"Harvella"});
    EXPECT_EQ(log.entries[0].type, 4);
    EXPECT_EQ(log.entries[0].id, 2164467473u);
    EXPECT_EQ(log.entries[1].type, 1);
    EXPECT_EQ(log.entries[1].id, 3238209298u);
    EXPECT_EQ(log.entries[1].category, 0);
    EXPECT_EQ(log.entries[1].text, "Could not find Java Main class: a/b/Main");
    EXPECT_TRUE(log.openSources.empty());
}

}  // namespace
