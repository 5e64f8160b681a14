// Action 6 of the utility run as the installer runs it, against Debian's real
// MariaDB client and against small stand-in clients.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "frame/CommandLineQuoting.h"
#include "support/TestSupport.h"

namespace {

using testsupport::runProgram;
using testsupport::TempFolder;

class MySQLVersionCheck : public ::testing::Test {
protected:
    void SetUp() override {
        testsupport::makeFolders(install / "MySQL/bin");
        testsupport::makeFolders(install / "tmp");
        ::setenv("TMPDIR", (install / "tmp").c_str(), 1);
    }
    void TearDown() override { ::unsetenv("TMPDIR"); }

    void installClient(const std::string& script) {
        testsupport::writeFile(install / "MySQL/bin/mysql", "#!/bin/sh\n" + script, true);
    }
    testsupport::ProgramRun check(const std::string& folder) {
        return runProgram("\"" + testsupport::binDir() + "/Quimbo\" " +
                          Quimbo::QuoteArgument("6|" + folder));
    }
    testsupport::ProgramRun check() { return check(install.path()); }
    void expectNoTemporaryFileLeft() {
        EXPECT_EQ(testsupport::countFilesStartingWith(install / "tmp", "rad"), 0u);
    }

    TempFolder install;
};

TEST_F(MySQLVersionCheck, TheRealMariaDBClientIsAccepted) {
    installClient("exec mariadb \"$@\"\n");
    const auto run = check();
    EXPECT_EQ(run.exitCode, 0) << "stdout: " << run.out << " stderr: " << run.err;
    EXPECT_EQ(run.out, "");
    expectNoTemporaryFileLeft();
}

TEST_F(MySQLVersionCheck, AnOldClientAnswersOneWithTheVersionAndItsLineBreak) {
    installClient("echo 'mysql  Ver 14.7 Distrib 4.1.22, for Win32 (ia32)'\n");
    const auto run = check();
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "4.1.22\n");
    expectNoTemporaryFileLeft();
}

TEST_F(MySQLVersionCheck, AMissingOrFailingClientAnswersTwo) {
    auto run = check();
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.out, "");
    expectNoTemporaryFileLeft();

    installClient("echo 'mysql  Ver 14.14 Distrib 5.6.11' ; exit 3\n");
    run = check();
    EXPECT_EQ(run.exitCode, 2);
    expectNoTemporaryFileLeft();
}

TEST_F(MySQLVersionCheck, AnIgnoredSIGCHLDIsResetSoTheClientsAnswerCounts) {
    installClient("exec mariadb \"$@\"\n");
    // timeout ends a run that would wait for ever.
    const auto run = runProgram("timeout 60 env --ignore-signal=CHLD " +
                                Quimbo::QuoteArgument(testsupport::binDir() + "/Quimbo") + " " +
                                Quimbo::QuoteArgument("6|" + install.path()));
    EXPECT_EQ(run.exitCode, 0) << run.err;
    expectNoTemporaryFileLeft();
}

TEST_F(MySQLVersionCheck, TheShellTakesTheFolderNameLiterally) {
    // Each of these would run a command or change the path if the shell read it.
    const std::string hostile =
        install / "my in$st `touch tick` $(touch dollar) \" ; touch quote ; echo \" it's 100%";
    testsupport::makeFolders(hostile + "/MySQL/bin");
    testsupport::writeFile(hostile + "/MySQL/bin/mysql", "#!/bin/sh\nexec mariadb \"$@\"\n", true);
    // Run from the test's folder, where the planted commands would leave their files.
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(install.path());
    const auto run = check(hostile);
    std::filesystem::current_path(previous);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    for (const char* marker : {"tick", "dollar", "quote"})
        EXPECT_FALSE(std::filesystem::exists(install / marker)) << marker;
    expectNoTemporaryFileLeft();
}

}  // namespace
