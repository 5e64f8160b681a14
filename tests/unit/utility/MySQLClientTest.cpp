// The MySQL settings and the client layer against the fakes: file texts byte
// for byte, result-set reading, failures and the temporary files of a run.
#include <gtest/gtest.h>

#include "MySQLClientFixture.h"
#include "frame/FailureRecord.h"
#include "mysql/MySQLClientFiles.h"
#include "mysql/MySQLConfig.h"
#include "mysql/MySQLToolCredentials.h"

namespace {

using fakes::FakeMySQLClient;
using Quimbo::MySQLConnection;
using Quimbo::MySQLManager;

TEST(MySQLConfig, JoinsPathsWithTheSystemsSeparatorWithoutNormalising) {
    Quimbo::MySQLConfig config(fakes::windowsConventions());
    config.Initialize("C:\\P\\", "MySQL", "harvella.config", "s", "", "", "", -1);
    EXPECT_EQ(config.GetMySQLDataFolder(), "C:\\P\\\\MySQL\\data");
    EXPECT_EQ(config.GetMySQLHarvellaSchema(), "C:\\P\\\\database\\scripts\\harvella.mysql4.sql");

    Quimbo::MySQLConfig onLinux(fakes::linuxConventions());
    onLinux.Initialize("/opt/p", "MySQL", "c", "s", "", "", "", -1);
    EXPECT_EQ(onLinux.GetMySQLRootPwdFile(), "/opt/p/MySQL/data/data.ptc");
}

TEST(MySQLClientFiles, OptionsFileLeavesOutEveryEmptyValue) {
    MySQLConnection all{"/m", "127.0.0.1", "27351", "root", "pw", "harvella"};
    EXPECT_EQ(Quimbo::ClientOptionsText(all),
              "[client]\nport=27351\nhost=127.0.0.1\nuser=root\npassword=pw\ndatabase=harvella\n"
              "connect-timeout=20\n");
    EXPECT_EQ(Quimbo::ClientOptionsText(MySQLConnection{"/m", "", "", "", "", ""}),
              "[client]\nconnect-timeout=20\n");
    EXPECT_EQ(Quimbo::ClientOptionsText(MySQLConnection{"/m", "h", "", "u", "", "d"}),
              "[client]\nhost=h\nuser=u\ndatabase=d\nconnect-timeout=20\n");
}

TEST(MySQLClientFiles, AValueTheFileFormatWouldCutIsQuotedAndEscaped) {
    EXPECT_EQ(Quimbo::OptionFileValue("plain-Pw1"), "plain-Pw1");
    EXPECT_EQ(Quimbo::OptionFileValue("a#b"), "\"a#b\"") << "# starts a comment";
    EXPECT_EQ(Quimbo::OptionFileValue("q\"b\\s"), "\"q\\\"b\\\\s\"");
    EXPECT_EQ(Quimbo::OptionFileValue(" pad"), "\" pad\"") << "blanks at the ends are stripped";
    EXPECT_EQ(Quimbo::OptionFileValue("pad\t"), "\"pad\t\"") << "so are tabs";
    EXPECT_EQ(Quimbo::OptionFileValue("pw\nhost=elsewhere"), "\"pw\\nhost=elsewhere\"");
    EXPECT_EQ(Quimbo::ToolCredentialsText(""), "[client]\n[mysqladmin]\nconnect-timeout=20\n");
    EXPECT_EQ(Quimbo::ToolCredentialsText("a;b"),
              "[client]\npassword=\"a;b\"\n[mysqladmin]\nconnect-timeout=20\n");
}

TEST(MySQLClientFiles, CommandFileTextOnWindowsAndLinux) {
    Quimbo::ClientRunFiles files{"C:\\T\\e.tmp", "C:\\T\\c.tmp.bat", "C:\\T\\p.tmp",
                                 "C:\\s q\\script.sql"};
    const std::string line =
        Quimbo::ClientCommandLine(fakes::windowsConventions(), "C:\\M\\bin\\mysql.exe", files);
    EXPECT_EQ(line,
              "\"C:\\M\\bin\\mysql.exe\" --defaults-file=\"C:\\T\\p.tmp\" "
              "--default-character-set=utf8 -B -f  2> \"C:\\T\\e.tmp\" < "
              "\"C:\\s q\\script.sql\"");
    EXPECT_EQ(Quimbo::ClientCommandFileText(fakes::windowsConventions(), 1251, line),
              "@CHCP  1251 >NUL\r\n@" + line)
        << "cmd's own output would mix with the client's rows";
    EXPECT_EQ(Quimbo::ClientCommandFileText(fakes::linuxConventions(), 65001, line),
              "#!/bin/sh\n" + line);
}

class MySQLClientRun : public MySQLClientFixture {
protected:
    MySQLConnection server{"/m", "127.0.0.1", "3306", "root", "secret", ""};
};

TEST_F(MySQLClientRun, RowsComeAfterTheColumnNamesAsPrintedAndTheRunLeavesNoFile) {
    client.respond = [](const std::string&) {
        return FakeMySQLClient::Reply{"a\tb\tc\r\n1\t\tNULL\r\nx\n", "", 0};
    };
    auto result = manager.sqlExec(server, "select 1;");
    ASSERT_FALSE(MySQLManager::sqlHasErrors(result)) << MySQLManager::sqlGetError(result);
    EXPECT_EQ(temporaries(), 0u);
    ASSERT_EQ(client.runs.size(), 1u);
    EXPECT_EQ(client.runs[0].sql, "select 1;");
    EXPECT_EQ(
        client.runs[0].options,
        "[client]\nport=3306\nhost=127.0.0.1\nuser=root\npassword=secret\nconnect-timeout=20\n");
    EXPECT_TRUE(client.runs[0].optionsPrivate) << "the options file holds the password";
    EXPECT_TRUE(client.runs[0].scriptPrivate) << "statements may set passwords";
    EXPECT_TRUE(client.runs[0].streamFilesPrivate) << "the error file repeats statements";

    const auto row = MySQLManager::sqlNext(result);
    EXPECT_EQ(row, std::optional<std::string>("1\t\tNULL"));
    EXPECT_EQ(MySQLManager::sqlGet(row, 0), std::optional<std::string>("1"));
    EXPECT_EQ(MySQLManager::sqlGet(row, 1), std::optional<std::string>(""));
    EXPECT_EQ(MySQLManager::sqlGet(row, 2), std::optional<std::string>("NULL"));
    EXPECT_EQ(MySQLManager::sqlGet(row, 3), std::nullopt);
    EXPECT_TRUE(MySQLManager::sqlHasNext(result));
    EXPECT_EQ(MySQLManager::sqlNext(result), std::optional<std::string>("x"));
    EXPECT_FALSE(MySQLManager::sqlHasNext(result));
    EXPECT_EQ(MySQLManager::sqlNext(result), std::nullopt);
    MySQLManager::sqlClose(result);
    MySQLManager::sqlClose(result);
    EXPECT_EQ(temporaries(), 0u);
}

TEST_F(MySQLClientRun, AnythingOnStandardErrorFailsTheRunAndDiscardsItsRows) {
    client.respond = [](const std::string&) {
        return FakeMySQLClient::Reply{"a\n1\n", "Warning: something\n", 0};
    };
    auto result = manager.sqlExec(server, "select 1;");
    EXPECT_TRUE(MySQLManager::sqlHasErrors(result));
    EXPECT_EQ(MySQLManager::sqlGetError(result), "Warning: something\n");
    EXPECT_FALSE(MySQLManager::sqlHasNext(result));
    EXPECT_EQ(temporaries(), 0u);
    EXPECT_EQ(manager.sqlExecUpdate(server, "update t set a=1;"), "Warning: something\n");
}

TEST_F(MySQLClientRun, AClientThatFailsSilentlyOrCannotStartIsAFailure) {
    client.respond = [](const std::string&) { return FakeMySQLClient::Reply{"a\n1\n", "", 3}; };
    EXPECT_EQ(manager.sqlExecUpdate(server, "select 1;"),
              "The MySQL client ended with exit code 3.");
    EXPECT_EQ(temporaries(), 0u);

    fake.processes.launchError = platform::winerr::fileNotFound;
    const std::string error = manager.sqlExecUpdate(server, "select 1;");
    EXPECT_EQ(error.rfind("System error 2. File: /tmp/", 0), 0u) << error;
    EXPECT_EQ(temporaries(), 0u);
}

TEST_F(MySQLClientRun, AMissingClientOrScriptIsReportedAndNothingIsWritten) {
    auto result = manager.sqlExecFile(server, "/nowhere.sql");
    EXPECT_EQ(MySQLManager::sqlGetError(result),
              "Failed to execute mysql command. File /nowhere.sql is not found.");
    fake.files.files.erase("/m/bin/mysql");
    EXPECT_EQ(manager.sqlExecUpdate(server, "select 1;"),
              "Failed to run mysql. File /m/bin/mysql is not found.");
    EXPECT_EQ(fake.files.writes.calls(), 0u);
    EXPECT_TRUE(fake.processes.commandLines.empty());
}

TEST_F(MySQLClientRun, AFailingTemporaryWriteRaisesAndLeavesNothingBehind) {
    fake.files.writes.failOnCall(3, platform::winerr::diskFull);  // statement, command, options
    EXPECT_THROW(manager.sqlExec(server, "select 1;"), Quimbo::FailureRecord);
    EXPECT_EQ(temporaries(), 0u);
    EXPECT_TRUE(fake.processes.commandLines.empty());
}

TEST_F(MySQLClientRun, ReadyMadeQueriesFoldFailuresIntoTheirAnswers) {
    int tables = 8;
    client.respond = [&](const std::string& sql) {
        if (sql == "show engines;")
            return FakeMySQLClient::Reply{"Engine\tSupport\nInnoDB\tDEFAULT\nCSV\tYES\n", "", 0};
        std::string out = "Tables_in_x\n";
        for (int i = 0; i < tables; ++i)
            out += "t" + std::to_string(i) + "\n";
        return FakeMySQLClient::Reply{out, "", 0};
    };
    EXPECT_TRUE(manager.isDBempty("x", server));
    tables = 9;
    EXPECT_FALSE(manager.isDBempty("x", server));
    EXPECT_TRUE(manager.checkDBexists("x", server));
    EXPECT_EQ(client.runs.back().options,
              "[client]\nport=3306\nhost=127.0.0.1\nuser=root\npassword=secret\ndatabase=x\n"
              "connect-timeout=20\n");
    const auto engines = manager.getMySQLEngines(server);
    EXPECT_EQ(engines.at("InnoDB"), "DEFAULT");
    EXPECT_EQ(engines.size(), 2u);

    client.respond = [](const std::string&) {
        return FakeMySQLClient::Reply{"", "ERROR 1049 (42000): Unknown database 'x'\n", 1};
    };
    EXPECT_TRUE(manager.isDBempty("x", server));
    EXPECT_FALSE(manager.checkDBexists("x", server));
    EXPECT_TRUE(manager.getMySQLEngines(server).empty());
    EXPECT_EQ(temporaries(), 0u);
}

TEST_F(MySQLClientRun, BackupNameCarriesTheLocalTimeWithTwoDigitFields) {
    fake.clock.local = platform::LocalTime{2024, 3, 5, 7, 4, 9};
    EXPECT_EQ(manager.genBackupPath(), "harvella.mysql4.sql.backup_20240305070409");
}

}  // namespace
