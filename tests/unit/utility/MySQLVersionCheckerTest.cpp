#include <gtest/gtest.h>

#include "fakes/FakeServices.h"
#include "mysql/MySQLVersionChecker.h"

namespace {

using namespace Quimbo;

TEST(MySQLVersionChecker, CompareVersionsCountsMissingNumbersAsZero) {
    EXPECT_EQ(MySQLVersionChecker::compareVersions({5, 0, 0}, {5, 0}), 0);
    EXPECT_EQ(MySQLVersionChecker::compareVersions({5, 0, 0}, {5, 1}), 1);
    EXPECT_EQ(MySQLVersionChecker::compareVersions({5, 0, 0}, {4, 9, 9}), -1);
    EXPECT_EQ(MySQLVersionChecker::compareVersions({5, 0, 0}, {5, 0, 0, 1}), 1);
    EXPECT_EQ(MySQLVersionChecker::compareVersions({}, {}), 0);
}

struct VersionNumber : ::testing::Test {
    fakes::FakeServices fake;
    MySQLVersionChecker checker{fake.services};
    void SetUp() override {
        Args args{"6", "/opt/h"};
        int count = 2;
        checker.Initialize(args, count);
    }
};

TEST_F(VersionNumber, ReadsTheDigitsOfTheFirstThreeParts) {
    EXPECT_TRUE(checker.checkMysqlVersionNumber("5.6.11\n"));
    EXPECT_TRUE(checker.checkMysqlVersionNumber("5.0.0"));
    EXPECT_TRUE(checker.checkMysqlVersionNumber("mysql  Ver 8.0.30 for Win64"));
    EXPECT_TRUE(checker.checkMysqlVersionNumber("10.11.6-MariaDB"));
    EXPECT_FALSE(checker.checkMysqlVersionNumber("4.1.22\n"));
    EXPECT_FALSE(checker.checkMysqlVersionNumber(""));
    EXPECT_FALSE(checker.checkMysqlVersionNumber("no version here"));
    // A part beyond 16 bits cannot be read and counts as 0.
    EXPECT_FALSE(checker.checkMysqlVersionNumber("99999.1.1"));
}

struct VersionCheckRun : ::testing::Test {
    fakes::FakeServices fake;

    // Runs the check with a client that writes `answer` into the output file
    // named on its command line and exits with `clientExit`.
    int run(const std::string& answer, int clientExit) {
        fake.processes.onLaunch = [&](const std::string& commandLine) {
            const auto& script = fake.files.files[commandLine.substr(1, commandLine.size() - 2)];
            const auto target = script.rfind("> '");
            fake.files.files[script.substr(target + 3, script.size() - target - 4)] = answer;
        };
        fake.processes.children.push_back({{""}, {}, clientExit, "", 0});
        MySQLVersionChecker checker(fake.services);
        Args args{"6", "/opt/h"};
        int count = 2;
        checker.Initialize(args, count);
        try {
            checker.checkMysqlVersion();
        } catch (const fakes::ProcessExited& exited) {
            return exited.code;
        }
        return -1;
    }
};

TEST_F(VersionCheckRun, WritesTheCommandFileAndLeavesNoTemporaryFile) {
    fake.random.nextBits = 0x10;
    EXPECT_EQ(run("mysql  Ver 14.14 Distrib 5.6.11, for Win32 (x86)\r\n", 0), 0);
    ASSERT_EQ(fake.processes.commandLines.size(), 1u);
    EXPECT_EQ(fake.processes.commandLines[0], "\"/tmp/rad00011.tmp.sh\"");
    EXPECT_TRUE(fake.files.files.empty()) << "left: " << fake.files.files.begin()->first;
    EXPECT_EQ(fake.console.out, "");
}

TEST_F(VersionCheckRun, AnOldVersionIsWrittenToStandardOutput) {
    EXPECT_EQ(run("mysql  Ver 14.7 Distrib 4.1.22, for Win32 (ia32)\r\n", 0), 1);
    EXPECT_EQ(fake.console.out, "4.1.22\n");
}

TEST_F(VersionCheckRun, EveryLineNamingAVersionGivesItsLastOneWhateverItsLength) {
    EXPECT_EQ(run("mysql  Ver 14.7 Distrib 4.1.22, " + std::string(1 << 20, 'x') + "\r\n", 0), 1);
    EXPECT_EQ(fake.console.out, "4.1.22\n");
    fake.console.out.clear();
    EXPECT_EQ(run("x Distrib 4.1.22 y Distrib 3.2.1 z\nmysql Distrib\n 4.0.1 tail\n", 0), 1);
    EXPECT_EQ(fake.console.out, "3.2.1\n4.0.1\n");
}

TEST_F(VersionCheckRun, AFailingClientAnswersTwoAndCleansUp) {
    EXPECT_EQ(run("", 9009), 2);
    EXPECT_TRUE(fake.files.files.empty());
    fake.processes.launchError = platform::winerr::fileNotFound;
    EXPECT_EQ(run("", 0), 2);
}

TEST(VersionCheckCommandFile, OnWindowsSwitchesToTheAnsiCodePageFirst) {
    fakes::FakeServices fake;
    platform::Services windows = fake.onWindows();
    std::string script;
    fake.processes.onLaunch = [&](const std::string& line) {
        script = fake.files.files[line.substr(1, line.size() - 2)];
    };
    MySQLVersionChecker checker(windows);
    Args args{"6", "C:\\Harvella"};
    int count = 2;
    checker.Initialize(args, count);
    try {
        checker.checkMysqlVersion();
    } catch (const fakes::ProcessExited&) {
    }
    EXPECT_EQ(script.substr(0, 11), "CHCP 1252\r\n");
    EXPECT_NE(script.find("\"C:\\Harvella\\MySQL\\bin\\mysql.exe\" --version > \"/tmp\\rad"),
              std::string::npos)
        << script;
}

}  // namespace
