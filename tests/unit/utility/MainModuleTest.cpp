#include <gtest/gtest.h>

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

}  // namespace
