// The MySQL client layer of the Windows build under Wine: the generated .bat
// with CHCP and its redirections through cmd, the options file and the
// result set, against a stand-in mysql.exe.
#include <gtest/gtest.h>
#include <stdlib.h>

#include "frame/FileSystemObject.h"
#include "mysql/MySQLManager.h"
#include "support/WineSupport.h"

namespace {

using Quimbo::MySQLManager;

class MySQLClientUnderWine : public ::testing::Test {
protected:
    void SetUp() override {
        winesupport::makeFolder(install / "my install");
        winesupport::makeFolder(install / "my install\\MySQL");
        winesupport::makeFolder(install / "my install\\MySQL\\bin");
        winesupport::copyFile(winesupport::fixturesFolder() + "\\mysql-standin\\mysql.exe",
                              install / "my install\\MySQL\\bin\\mysql.exe");
        winesupport::makeFolder(install / "tmp");
        // _putenv changes the process environment that GetTempPath reads too;
        // windows.h cannot come in here, its macros rename the file operations.
        _putenv(("TMP=" + (install / "tmp")).c_str());
        _putenv(("TEMP=" + (install / "tmp")).c_str());
        manager.Initialize(fso);
    }
    void TearDown() override {
        EXPECT_EQ(winesupport::countFilesStartingWith(install / "tmp", "rad"), 0u)
            << "temporary files left behind";
    }
    std::vector<std::string> rows(Quimbo::MySQLResultSet& result) {
        std::vector<std::string> all;
        while (MySQLManager::sqlHasNext(result))
            all.push_back(*MySQLManager::sqlNext(result));
        MySQLManager::sqlClose(result);
        return all;
    }

    winesupport::TempFolder install;
    char name_[6] = "tests";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<platform::SystemServices> system = platform::makeSystemServices(1, argv_);
    platform::Services& services = system->services();
    Quimbo::FileSystemObject fso{services.files, services.random, services.conventions};
    MySQLManager manager{services};
    Quimbo::MySQLConnection server{
        install / "my install\\MySQL", "127.0.0.1", "27351", "root", "p#w", "harvella"};
};

TEST_F(MySQLClientUnderWine, TheClientGetsItsOptionsFileFirstAndTheScriptOnStandardInput) {
    auto result = manager.sqlExec(server, "select 1;\nselect 2;");
    ASSERT_FALSE(MySQLManager::sqlHasErrors(result)) << MySQLManager::sqlGetError(result);
    EXPECT_EQ(rows(result),
              (std::vector<std::string>{"args: --default-character-set=utf8 -B -f", "[client]",
                                        "port=27351", "host=127.0.0.1", "user=root",
                                        "password=\"p#w\"", "database=harvella",
                                        "connect-timeout=20", "select 1;", "select 2;"}));
}

TEST_F(MySQLClientUnderWine, ErrorsWarningsAndASilentFailureAreFailures) {
    EXPECT_EQ(manager.sqlExecUpdate(server, "fail"), "ERROR 1064 (42000): stand-in failure\r\n");
    EXPECT_EQ(manager.sqlExecUpdate(server, "warn"), "Warning: stand-in warning\r\n");
    EXPECT_EQ(manager.sqlExecUpdate(server, "silent"), "The MySQL client ended with exit code 3.");
    server.mysqlHome = install / "nowhere";
    EXPECT_EQ(
        manager.sqlExecUpdate(server, "select 1;"),
        "Failed to run mysql. File " + (install / "nowhere\\bin\\mysql.exe") + " is not found.");
}

TEST_F(MySQLClientUnderWine, EveryDumpValueArrivesAsOneArgument) {
    winesupport::copyFile(winesupport::fixturesFolder() + "\\mysql-standin\\mysql.exe",
                          install / "my install\\MySQL\\bin\\mysqldump.exe");
    server.database = "my \"db\" --no-data \\";
    const std::string dumpFile = install / "my install\\100% d.dmp";
    manager.DumpMySQLDatabase(server, dumpFile, true);
    const std::string arguments = winesupport::readFile(dumpFile);
    EXPECT_NE(arguments.find("\n--databases\nmy \"db\" --no-data \\\n--force\n"), std::string::npos)
        << arguments;
    const std::string last = "--result-file=" + dumpFile + "\n";
    EXPECT_EQ(arguments.substr(arguments.size() - last.size()), last) << arguments;
}

}  // namespace
