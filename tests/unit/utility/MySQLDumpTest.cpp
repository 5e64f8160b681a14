// The dump machinery against the fakes: the mysqldump command line and its
// credentials file, the size estimate and the dump file names.
#include <gtest/gtest.h>

#include "MySQLClientFixture.h"
#include "frame/FailureRecord.h"

namespace {

using fakes::FakeMySQLClient;
using Quimbo::MySQLManager;

class MySQLDump : public MySQLClientFixture {
protected:
    Quimbo::MySQLConnection server{"/m", "127.0.0.1", "27351", "root", "s3cret", "db"};
};

TEST_F(MySQLDump, EveryValueArrivesAsOneArgumentInOrderAfterTheCredentialsFile) {
    // A database name with a blank and a previous version that tries to slip
    // options in through the dump file's name.
    server.database = "my db";
    const std::string path = "/dumps/my db-2.5\" --no-data --tables \"t.dmp";
    manager.DumpMySQLDatabase(server, path, true);
    ASSERT_EQ(client.runs.size(), 1u);
    const auto& words = client.runs[0].arguments;
    const std::string options = FakeMySQLClient::option(words, "--defaults-file=");
    EXPECT_EQ(words, (std::vector<std::string>{
                         "/m/bin/mysqldump", "--defaults-file=" + options, "--databases",
                         "my db", "--force", "--routines", "--comments", "--extended-insert",
                         "--quote-names", "--user=root", "--host=127.0.0.1", "--port=27351",
                         "--single-transaction", "--skip-lock-tables", "--result-file=" + path}));
    EXPECT_EQ(client.runs[0].commandLine.find("s3cret"), std::string::npos)
        << "no password on the command line";
    EXPECT_EQ(client.runs[0].options,
              "[client]\npassword=s3cret\n[mysqladmin]\nconnect-timeout=20\n");
    EXPECT_TRUE(client.runs[0].optionsPrivate);
    EXPECT_EQ(temporaries(), 0u) << "the credentials file is deleted after the run";
    EXPECT_TRUE(fake.files.fileExists(path));

    manager.DumpMySQLDatabase(server, "/dumps/d2.dmp", false);
    EXPECT_EQ(client.runs[1].arguments.back(), "--no-data");
}

TEST_F(MySQLDump, AFailedDumpDeletesItsPartialFileAndRaisesTheExitCodeWithStandardError) {
    client.dump = [](const std::string&) {
        return FakeMySQLClient::Reply{"-- partial", "mysqldump: Got error: 1049\n", 2};
    };
    EXPECT_EQ(raisedBy([&] { manager.DumpMySQLDatabase(server, "/dumps/d.dmp", true); }),
              Raised(2, "", "mysqldump: Got error: 1049\n"));
    EXPECT_FALSE(fake.files.fileExists("/dumps/d.dmp"));
    EXPECT_EQ(temporaries(), 0u);
}

TEST_F(MySQLDump, EstimateAddsTheSchemaDumpAndTheWrittenRowsOfEveryTable) {
    client.dump = [](const std::string&) {
        return FakeMySQLClient::Reply{std::string(1500, 'x'), "", 0};
    };
    std::vector<std::string> queries;
    client.respond = [&](const std::string& sql) {
        queries.push_back(sql);
        if (sql == "show tables;") return FakeMySQLClient::Reply{"Tables_in_db\nt\ne\no\n", "", 0};
        if (sql == "desc `t`;")
            return FakeMySQLClient::Reply{
                "Field\tType\tNull\nid\tint(11)\tYES\nname\tVARCHAR(9)\tYES\n", "", 0};
        if (sql == "desc `e`;" || sql == "desc `o`;")
            return FakeMySQLClient::Reply{"Field\tType\nx\tint(11)\n", "", 0};
        if (sql.find("from `t`") != std::string::npos)
            return FakeMySQLClient::Reply{"count(*)\tsize\n3\t40\n", "", 0};
        if (sql.find("from `o`") != std::string::npos)
            return FakeMySQLClient::Reply{"count(*)\tsize\n1\t5\n", "", 0};
        return FakeMySQLClient::Reply{"count(*)\tsize\n0\t0\n", "", 0};
    };
    // t: 3 rows of 2 columns; e: empty; o: one row of one column.
    const double expected = 1.25 * (1500 + (24 + 22 + 12 + 40 + 2 + 16 + 1000) + (24 + 16 + 1000) +
                                    (24 + 22 + 3 + 5 + 2 + 16 + 1000));
    EXPECT_DOUBLE_EQ(manager.GetMySQLDatabaseDumpSize(server), expected);
    ASSERT_GE(queries.size(), 3u);
    EXPECT_EQ(queries[2],
              "select count(*), ifnull(sum(if (`id` is null, 3, length(`id`))) + sum(if (`name` is "
              "null, 3, length(`name`) + 2)) , 0) from `t`");
    EXPECT_EQ(temporaries(), 0u) << "the schema-only dump is deleted at once";
}

TEST_F(MySQLDump, ATableWhoseSizeQueryFailsAddsNothing) {
    client.dump = [](const std::string&) { return FakeMySQLClient::Reply{"12345", "", 0}; };
    client.respond = [&](const std::string& sql) {
        if (sql == "show tables;") return FakeMySQLClient::Reply{"Tables_in_db\nt\n", "", 0};
        return FakeMySQLClient::Reply{"", "ERROR 1142: denied\n", 1};
    };
    EXPECT_DOUBLE_EQ(manager.GetMySQLDatabaseDumpSize(server), 1.25 * 5);
}

}  // namespace
