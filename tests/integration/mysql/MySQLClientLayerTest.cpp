// The client layer against the private MariaDB server, through Debian's
// client installed under the MySQL names.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <thread>

#include "support/MySQLServerTest.h"
#include "support/SecretScan.h"

namespace {

using mariadbtest::MySQLServerTest;
using Quimbo::MySQLManager;

using ClientLayer = MySQLServerTest;

std::vector<std::string> allRows(Quimbo::MySQLResultSet& result) {
    std::vector<std::string> rows;
    while (MySQLManager::sqlHasNext(result))
        rows.push_back(*MySQLManager::sqlNext(result));
    return rows;
}

TEST_F(ClientLayer, AStatementWithRowsGivesThemAfterTheColumnNames) {
    auto result = manager->sqlExec(root(), "select 1 as a, 'x y' as b, NULL as c, '' as d;");
    ASSERT_FALSE(MySQLManager::sqlHasErrors(result)) << MySQLManager::sqlGetError(result);
    const auto rows = allRows(result);
    ASSERT_EQ(rows, std::vector<std::string>{"1\tx y\tNULL\t"});
    EXPECT_EQ(MySQLManager::sqlGet(rows[0], 3), std::optional<std::string>(""));
    EXPECT_EQ(MySQLManager::sqlGet(rows[0], 4), std::nullopt);
    MySQLManager::sqlClose(result);
}

TEST_F(ClientLayer, AScriptRunsEveryStatementInItsDatabase) {
    const std::string db = createDatabase();
    const std::string script = install / "script.sql";
    testsupport::writeFile(script,
                           "create table t (id int, name varchar(20));\n"
                           "insert into t values (1, 'one'), (2, 'two');\n"
                           "select name from t order by id;\n");
    auto result = manager->sqlExecFile(root(db), script);
    ASSERT_FALSE(MySQLManager::sqlHasErrors(result)) << MySQLManager::sqlGetError(result);
    EXPECT_EQ(allRows(result), (std::vector<std::string>{"one", "two"}));
    MySQLManager::sqlClose(result);
}

TEST_F(ClientLayer, AStatementWithoutRowsSucceedsWithNone) {
    const std::string db = createDatabase("create table t (id int);");
    auto result = manager->sqlExec(root(db), "update t set id = 2;");
    EXPECT_FALSE(MySQLManager::sqlHasErrors(result)) << MySQLManager::sqlGetError(result);
    EXPECT_FALSE(MySQLManager::sqlHasNext(result));
    EXPECT_EQ(MySQLManager::sqlNext(result), std::nullopt);
    MySQLManager::sqlClose(result);
    EXPECT_EQ(manager->sqlExecUpdate(root(db), "insert into t values (5);"), "");
}

TEST_F(ClientLayer, AnSQLErrorComesBackAsTheClientPrintedItAndLaterStatementsStillRun) {
    const std::string db = createDatabase("create table t (id int);");
    const std::string error = manager->sqlExecUpdate(
        root(db), "select * from no_such_table;\ninsert into t values (7);\n");
    EXPECT_NE(error.find("ERROR 1146"), std::string::npos) << error;
    auto count = manager->sqlExec(root(db), "select count(*) from t;");
    EXPECT_EQ(allRows(count), std::vector<std::string>{"1"});
}

TEST_F(ClientLayer, AWarningOnStandardErrorFailsARunThatEndedWithZero) {
    installScript("mysql",
                  "/usr/bin/mariadb \"$@\" || exit\n"
                  "echo 'Warning: Using a password on the command line interface can be "
                  "insecure.' >&2\n");
    auto result = manager->sqlExec(root(), "select 1;");
    EXPECT_TRUE(MySQLManager::sqlHasErrors(result));
    EXPECT_EQ(MySQLManager::sqlGetError(result),
              "Warning: Using a password on the command line interface can be insecure.\n");
    EXPECT_FALSE(MySQLManager::sqlHasNext(result));
}

TEST_F(ClientLayer, AWrongPasswordIsNeverAccepted) {
    auto connection = root();
    connection.password = "wrong";
    EXPECT_NE(manager->sqlExecUpdate(connection, "show databases;").find("ERROR 1045"),
              std::string::npos);
}

TEST_F(ClientLayer, AMissingClientOrScriptWritesNothingToTheTemporaryFolder) {
    EXPECT_EQ(MySQLManager::sqlGetError(manager->sqlExecFile(root(), install / "none.sql")),
              "Failed to execute mysql command. File " + (install / "none.sql") + " is not found.");
    std::filesystem::remove(install / "MySQL/bin/mysql");
    EXPECT_EQ(manager->sqlExecUpdate(root(), "select 1;"),
              "Failed to run mysql. File " + mysqlHome() + "/bin/mysql is not found.");
    EXPECT_TRUE(temporaryFiles().empty());
}

TEST_F(ClientLayer, APasswordWithCommentEscapeAndEdgeWhiteCharactersReachesOnlyTheServer) {
    // Tabs at both ends and a line break, which the options file would drop or split.
    const std::string pid = std::to_string(::getpid());
    const std::string password = "\ta#b\"c\\d e;'f\nx" + pid + "\t";
    adminSql("create user 'qt_odd'@'127.0.0.1' identified by '\ta#b\"c\\\\d e;''f\nx" + pid +
             "\t';");
    Quimbo::MySQLConnection odd = root();
    odd.user = "qt_odd";
    odd.password = password;
    testsupport::SecretScan scan({password});
    const std::string error = manager->sqlExecUpdate(odd, "select 1;");
    const std::vector<std::string> leaks = scan.finish({install.path(), temp.path()});
    adminSql("drop user 'qt_odd'@'127.0.0.1';");
    EXPECT_EQ(error, "");
    EXPECT_EQ(leaks, std::vector<std::string>{});
}

TEST_F(ClientLayer, ReadyMadeQueries) {
    const std::string missing = "qt_missing_" + std::to_string(::getpid());
    EXPECT_FALSE(manager->checkDBexists(missing, root()));
    EXPECT_TRUE(manager->isDBempty(missing, root())) << "a database that cannot be opened";

    std::string tables;
    for (int i = 1; i <= 8; ++i)
        tables += "create table t" + std::to_string(i) + " (id int);";
    const std::string db = createDatabase(tables);
    EXPECT_TRUE(manager->checkDBexists(db, root()));
    EXPECT_TRUE(manager->isDBempty(db, root())) << "8 tables";
    adminSql("create table " + db + ".t9 (id int);");
    EXPECT_FALSE(manager->isDBempty(db, root())) << "9 tables";

    const auto engines = manager->getMySQLEngines(root());
    ASSERT_EQ(engines.count("InnoDB"), 1u);
    EXPECT_TRUE(engines.at("InnoDB") == "DEFAULT" || engines.at("InnoDB") == "YES");

    std::map<std::string, std::string> vars;
    EXPECT_EQ(manager->getMySQLVariables(vars, root()), "");
    EXPECT_EQ(vars.at("port"), std::to_string(mariadbtest::testServer().port));
}

// A server that takes connections but never greets (stopped, frozen): the
// client gives up after its connect time-out instead of waiting for ever.
TEST_F(ClientLayer, AServerThatNeverAnswersIsGivenUpOnAfterTheConnectTimeOut) {
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), length), 0);
    ASSERT_EQ(::listen(listener, 8), 0);
    ASSERT_EQ(::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length), 0);
    std::atomic<bool> answered{false}, serverWentAway{false};
    // Without a time-out the client would wait for ever; closing the socket
    // ends its wait, and the test then fails.
    std::thread watchdog([&] {
        for (int second = 0; second < 120 && !answered; ++second)
            std::this_thread::sleep_for(std::chrono::seconds(1));
        if (!answered) serverWentAway = true;
        ::shutdown(listener, SHUT_RDWR);
    });
    Quimbo::MySQLConnection frozen = root();
    frozen.port = std::to_string(ntohs(address.sin_port));
    const std::string error = manager->sqlExecUpdate(frozen, "select 1;");
    answered = true;
    watchdog.join();
    ::close(listener);
    EXPECT_FALSE(serverWentAway) << "the client waited until the server went away";
    EXPECT_NE(error.find("reading initial communication packet"), std::string::npos) << error;
}

}  // namespace
