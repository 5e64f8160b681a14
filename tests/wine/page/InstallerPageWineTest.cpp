// guiManager's messages crossing into another process's wizard page: the
// frame's page driver works the fake installer page, which records the result.
#include <gtest/gtest.h>

#include "installer_page/PageRecord.h"
#include "support/WineSupport.h"

namespace {

using installerpage::PageRecord;

PageRecord driveThePage(const winesupport::TempFolder& folder, const std::string& mode) {
    const std::string fixtures = winesupport::fixturesFolder();
    const std::string record = folder / (mode + ".record");
    const auto run = winesupport::runProgram(
        "\"" + fixtures + "\\installer_page.exe\" \"" + record + "\" \"" + fixtures +
        "\\page_driver.exe\" " + mode + "|{next}|{back}|{cancel}|{label}|{progress}|{log}");
    EXPECT_EQ(run.exitCode, 0) << "the page itself failed";
    return installerpage::parsePageRecord(winesupport::readFile(record));
}

std::string joined(const std::vector<std::string>& events) {
    std::string text;
    for (const auto& event : events) text += event + "\n";
    return text;
}

TEST(InstallerPageUnderWine, SuccessStepsTheBarToFullEnablesNextAndCancelAndClicksNextOnce) {
    winesupport::TempFolder folder;
    const PageRecord page = driveThePage(folder, "success");
    ASSERT_EQ(page.status, "ended") << joined(page.events);
    EXPECT_EQ(page.exitCode, 0);
    EXPECT_EQ(page.out, "done");
    EXPECT_EQ(page.label, "Installing database completed successfully");
    std::vector<std::string> progress;
    for (const auto& event : page.events)
        if (event.rfind("progress ", 0) == 0) progress.push_back(event);
    EXPECT_EQ(progress, (std::vector<std::string>{"progress 30", "progress 55", "progress 100"}))
        << "the steps arrive in order before the full bar";
    EXPECT_TRUE(page.enabled.at("next"));
    EXPECT_TRUE(page.enabled.at("cancel"));
    EXPECT_FALSE(page.enabled.at("back"));
    EXPECT_EQ(page.nextClicks, 1) << joined(page.events);
    ASSERT_EQ(page.log.size(), 2u) << joined(page.events);
    EXPECT_EQ(page.log[0].text.find("Installing database"), 0u) << page.log[0].text;
    EXPECT_EQ(page.log[0].colour, "black");
    EXPECT_EQ(page.log[1].text.find("Installing database completed successfully"), 0u)
        << page.log[1].text;
    EXPECT_EQ(page.log[1].colour, "black");
}

TEST(InstallerPageUnderWine,
     FailureLogsARedReasonWithItsBackslashesAndBracesAndStillMovesTheWizardOn) {
    winesupport::TempFolder folder;
    const PageRecord page = driveThePage(folder, "failure");
    ASSERT_EQ(page.status, "ended") << joined(page.events);
    EXPECT_EQ(page.exitCode, 3005);
    EXPECT_EQ(page.out, "Access DB install failed");
    EXPECT_EQ(page.label, "Installing database");
    EXPECT_EQ(page.progress, 30);
    EXPECT_TRUE(page.enabled.at("next")) << "Next is enabled again to be pressed";
    EXPECT_TRUE(page.enabled.at("back"));
    EXPECT_TRUE(page.enabled.at("cancel"));
    EXPECT_EQ(page.nextClicks, 1) << joined(page.events);
    ASSERT_EQ(page.log.size(), 2u) << joined(page.events);
    EXPECT_EQ(page.log[1].colour, "red");
    const std::string reason =
        "Failed to install database due to the following reason: cannot open "
        "C:\\Program Files\\Harvella\\{db}\\harvella.mdb} (locked)";
    EXPECT_EQ(page.log[1].text.find(reason), 0u) << "log line: " << page.log[1].text;
}

}  // namespace
