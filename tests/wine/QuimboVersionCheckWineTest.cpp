// Action 6 of Quimbo.exe under Wine: the generated .bat with CHCP, the Win32
// runner and ExitWithCode, against a stand-in mysql.exe.
#include <gtest/gtest.h>
#include <windows.h>

#include "process_launcher.h"
#include "support/WineSupport.h"

namespace {

using winesupport::runProgram;

class QuimboVersionCheckUnderWine : public ::testing::Test {
protected:
    void SetUp() override {
        winesupport::makeFolder(install / "MySQL");
        winesupport::makeFolder(install / "MySQL\\bin");
        winesupport::makeFolder(install / "tmp");
        ::SetEnvironmentVariableA("TMP", (install / "tmp").c_str());
        ::SetEnvironmentVariableA("TEMP", (install / "tmp").c_str());
    }
    void TearDown() override {
        ::SetEnvironmentVariableA("FAKE_MYSQL_VERSION_LINE", nullptr);
        ::SetEnvironmentVariableA("FAKE_MYSQL_EXIT", nullptr);
    }
    void installClient(const char* versionLine, const char* exitCode = "0") {
        winesupport::copyFile(winesupport::fixturesFolder() + "\\mysql.exe",
                              install / "MySQL\\bin\\mysql.exe");
        ::SetEnvironmentVariableA("FAKE_MYSQL_VERSION_LINE", versionLine);
        ::SetEnvironmentVariableA("FAKE_MYSQL_EXIT", exitCode);
    }
    static std::string quimbo() { return "\"" + winesupport::programFolder() + "\\Quimbo.exe\""; }
    winesupport::ProgramRun check(const std::string& line) {
        return runProgram(quimbo() + " " + line);
    }
    winesupport::TempFolder install;
};

TEST_F(QuimboVersionCheckUnderWine, ACurrentClientAnswersZero) {
    installClient("mysql  Ver 14.14 Distrib 5.6.11, for Win32 (x86)");
    const auto run = check("6|" + install.path());
    EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(winesupport::countFilesStartingWith(install / "tmp", "rad"), 0u);
}

TEST_F(QuimboVersionCheckUnderWine, AnOldClientAnswersOneWithTheVersionText) {
    installClient("mysql  Ver 14.7 Distrib 4.1.22, for Win32 (ia32)");
    const auto run = check("6|" + install.path());
    EXPECT_EQ(run.exitCode, 1);
    // The pattern's "." takes the CR of the client's CR LF, leaving the LF.
    EXPECT_EQ(run.out, "4.1.22\n");
}

TEST_F(QuimboVersionCheckUnderWine, ALongAnswerLineIsReadWithoutRunningOutOfStack) {
    const std::string line = "mysql  Ver 14.7 Distrib 4.1.22, " + std::string(30000, 'x');
    installClient(line.c_str());
    const auto run = check("6|" + install.path());
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "4.1.22\n");
}

TEST_F(QuimboVersionCheckUnderWine, AMissingOrFailingClientAnswersTwo) {
    EXPECT_EQ(check("6|" + install.path()).exitCode, 2);
    installClient("mysql  Ver 14.14 Distrib 5.6.11", "4");
    EXPECT_EQ(check("6|" + install.path()).exitCode, 2);
}

TEST_F(QuimboVersionCheckUnderWine, PathsReachTheBatchFileLiterally) {
    // cmd would expand "%d..." and take "&" outside quotes as a second command.
    const std::string percent = install / "100%done & more";
    winesupport::makeFolder(percent);
    winesupport::makeFolder(percent + "\\MySQL");
    winesupport::makeFolder(percent + "\\MySQL\\bin");
    winesupport::copyFile(winesupport::fixturesFolder() + "\\mysql.exe",
                          percent + "\\MySQL\\bin\\mysql.exe");
    ::SetEnvironmentVariableA("FAKE_MYSQL_VERSION_LINE", "mysql  Ver 14.14 Distrib 5.6.11");
    EXPECT_EQ(check("6|" + percent).exitCode, 0);

    // No Windows path holds a double quote: refused, and nothing else runs.
    const std::string pwned = install / "pwned.txt";
    const auto run = check("6|" + install.path() + "\" & echo INJECTED > " + pwned + " & \"");
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(::GetFileAttributesA(pwned.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(winesupport::countFilesStartingWith(install / "tmp", "rad"), 0u);
}

TEST_F(QuimboVersionCheckUnderWine, AWrongFieldCountOrAnEmptyLineShowsABoxAndEndsWithZero) {
    installClient("mysql  Ver 14.14 Distrib 5.6.11");
    for (const std::string arguments : {" 6|a|b", ""}) {
        platform::win32::Win32ProcessLauncher launcher;
        auto launched = launcher.launch(quimbo() + arguments);
        ASSERT_TRUE(launched.ok()) << "'" << arguments << "'";
        EXPECT_TRUE(winesupport::dismissMessageBox("Quimbo", 20000))
            << "no box for '" << arguments << "'";
        ASSERT_TRUE(winesupport::waitForExit(*launched.value, 30000)) << "'" << arguments << "'";
        EXPECT_EQ(launched.value->exitCode(), 0) << "'" << arguments << "'";
    }
}

TEST_F(QuimboVersionCheckUnderWine, UnknownOrMalformedCodesEndAtOnceWithZero) {
    for (const char* line : {"7", "abc"}) {
        const auto run = runProgram(quimbo() + " " + line);
        EXPECT_EQ(run.exitCode, 0) << line;
        EXPECT_EQ(run.out, "") << line;
    }
}

}  // namespace
