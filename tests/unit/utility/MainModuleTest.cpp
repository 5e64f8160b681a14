#include <gtest/gtest.h>

#include "fakes/FakeMySQLClient.h"
#include "fakes/FakeServices.h"
#include "frame/MainModule.h"

namespace {

using fakes::FakeServices;
using fakes::ProcessExited;

// Runs Main on the line; the exit code the program ended with.
int runMain(FakeServices& fake, const std::string& line) {
    fake.console.line = line;
    try {
        return Quimbo::Main(fake.services);
    } catch (const ProcessExited& exited) {
        return exited.code;
    }
}

TEST(MainModule, EmptyArgumentLineShowsTheUsageMessageAndEndsWithZero) {
    FakeServices fake;
    EXPECT_EQ(runMain(fake, ""), 0);
    ASSERT_EQ(fake.messageBoxes.shown.size(), 1u);
    EXPECT_EQ(fake.messageBoxes.shown[0], "Util can't be run without arguments!");
}

TEST(MainModule, CodesOutsideTheTableEndAtOnceWithZeroAndNoMessage) {
    const std::string huge(1 << 20, 'x');
    for (const std::string& line : {std::string("7"), std::string("70000"), std::string("abc"),
                                    std::string("|6"), "7|" + huge, std::string(1 << 20, '9')}) {
        FakeServices fake;
        EXPECT_EQ(runMain(fake, line), 0) << "line: " << line.substr(0, 20);
        EXPECT_TRUE(fake.messageBoxes.shown.empty()) << "line: " << line.substr(0, 20);
        EXPECT_TRUE(fake.processes.commandLines.empty()) << "line: " << line.substr(0, 20);
    }
}

TEST(MainModule, VersionCheckWithWrongFieldCountShowsItsMessageAndTouchesNothing) {
    for (const std::string& line :
         std::vector<std::string>{"6", "6|a|b", std::string(10000, '|').insert(0, "6")}) {
        FakeServices fake;
        const auto filesBefore = fake.files.files;
        EXPECT_EQ(runMain(fake, line), 0);
        ASSERT_EQ(fake.messageBoxes.shown.size(), 1u) << "fields: " << line.size();
        EXPECT_EQ(fake.messageBoxes.shown[0], "MySQL version check requires 2 parameters!");
        EXPECT_TRUE(fake.processes.commandLines.empty());
        EXPECT_EQ(fake.files.files, filesBefore);
    }
}

TEST(MainModule, AnEmptyFieldAfterOneSeparatorPassesTheVersionCheckCount) {
    FakeServices fake;
    runMain(fake, "6|");
    EXPECT_TRUE(fake.messageBoxes.shown.empty());
    EXPECT_EQ(fake.processes.commandLines.size(), 1u);
}

TEST(MainModule, MySQLCheckWithoutItsEightFieldsShowsItsMessageAndEndsWithZero) {
    FakeServices fake;
    EXPECT_EQ(runMain(fake, "2|a|b|c|4|e|f|g|h"), 0);
    ASSERT_EQ(fake.messageBoxes.shown.size(), 1u);
    EXPECT_EQ(fake.messageBoxes.shown[0], "MySQL DB check requires 8 parameters!");
}

// A check that cannot ask the server (no temporary folder for the client's
// files), or whose run fails in a way nothing inside catches, answers "not
// usable" and presses Next; it never ends by an uncaught failure (an abort
// ends with 3 on Windows: "all good").
TEST(MainModule, AMySQLCheckThatCannotAskTheServerAnswersNotUsableAndPressesNext) {
    const struct {
        const char* mode;
        bool temporaryFolder;
        int answer;
    } cases[] = {
        {"CheckDatabase", false, 1}, {"CheckRootUserPwd", false, 2}, {"CheckRootUserPwd", true, 1}};
    for (const auto& c : cases) {
        FakeServices fake;
        fakes::FakeMySQLClient client(fake);
        // The stored password is refused, and the dialog then shown fails.
        client.respond = [](const std::string&) {
            return fakes::FakeMySQLClient::Reply{"", "ERROR 1045 (28000): Access denied\n", 1};
        };
        fake.serviceManager.add("HvMySQL", {servicefakes::statusOf(4)});
        fake.files.folders.insert({"/inst", "/inst/MySQL", "/inst/MySQL/bin"});
        fake.files.files["/inst/MySQL/bin/mysql"] = "";
        if (!c.temporaryFolder) fake.files.folders.erase("/tmp");
        EXPECT_EQ(runMain(fake, std::string("2|/inst|MySQL|harvella.config|7|HvMySQL|") + c.mode +
                                    "|9.1"),
                  c.answer)
            << c.mode;
        ASSERT_FALSE(fake.windows.calls.empty());
        EXPECT_EQ(fake.windows.calls.back().rfind("post ", 0), 0u) << "Next not pressed";
    }
}

TEST(MainModule, AnAccessCheckWithAHandleThatIsNotANumberAnswersNoUsers) {
    FakeServices fake;
    EXPECT_EQ(runMain(fake, "3|/db.mdb|next"), 1);
    EXPECT_EQ(fake.messageBoxes.shown,
              std::vector<std::string>{"Parameter 2 must be a window handle (a decimal number)!"});
}

}  // namespace
