// The MySQL path's files on a full disk (a small tmpfs): the root password
// file and a dump fail with their errors and lose nothing, and a client's
// answer is never lost to a full temporary folder.
#include <gtest/gtest.h>

#include <filesystem>

#include "RaisedBy.h"
#include "frame/ConfigFileManager.h"
#include "frame/FailureRecord.h"
#include "support/MySQLServerTest.h"
#include "support/SmallFileSystem.h"

namespace {

using mariadbtest::MySQLServerTest;

class FullDisk : public MySQLServerTest {
protected:
    void SetUp() override {
        MySQLServerTest::SetUp();
        testsupport::makeFolders(folder);
        disk = std::make_unique<testsupport::SmallFileSystem>(folder, 64);
        if (!disk->mounted()) GTEST_SKIP() << disk->reason();
    }
    void TearDown() override {
        disk.reset();
        MySQLServerTest::TearDown();
    }
    std::vector<std::string> namesInFolder() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    const std::string folder = install / "data";
    std::unique_ptr<testsupport::SmallFileSystem> disk;
};

TEST_F(FullDisk, TheRootPasswordFileKeepsTheOldPasswordAndTheWriteRaisesDiskFull) {
    const std::string file = folder + "/data.ptc";
    const std::string old = "abcdefgOld$Pw" + std::string(4000, 'p') + "hijklmnopqr\r\n";
    testsupport::writeFile(file, old);
    disk->fill();
    Quimbo::ConfigFileManager config;
    config.Initialize(*fso);
    const Raised raised = raisedBy([&] {
        config.WriteRootPwdInConfig(file, "ABCDEFGNew$Pw" + std::string(5000, 'n') + "HIJKLMNOPQR");
    });
    EXPECT_EQ(std::get<0>(raised), 61);
    EXPECT_EQ(std::get<2>(raised), "Disk full");
    EXPECT_EQ(testsupport::readFile(file), old);
    EXPECT_EQ(namesInFolder(), (std::vector<std::string>{"data.ptc", "filler"}));
}

TEST_F(FullDisk, ADumpThatRunsOutOfRoomFailsWithTheToolsErrorAndLeavesNoPartialFile) {
    const std::string db = createDatabase(
        "create table t (id int, v varchar(200));"
        "insert into t select seq, repeat('v', 200) from seq_1_to_2000;");
    const std::string dump = folder + "/dump.sql";
    const Raised raised = raisedBy([&] { manager->DumpMySQLDatabase(root(db), dump, true); });
    EXPECT_NE(std::get<0>(raised), 0) << "a dump cut short passed for a whole one";
    EXPECT_NE(std::get<2>(raised).find("28"), std::string::npos) << std::get<2>(raised);
    EXPECT_FALSE(std::filesystem::exists(dump));
}

// Three pages: the statement, options and command files fit, nothing more.
TEST_F(FullDisk, AnAnswerIsNeverLostToAFullTemporaryFolder) {
    std::string tables;
    for (int table = 0; table < 15; ++table)
        tables += "create table t" + std::to_string(table) + " (id int);";
    const std::string db = createDatabase(tables);
    testsupport::SmallFileSystem temporaryFolder(temp.path(), 12);
    ASSERT_TRUE(temporaryFolder.mounted()) << temporaryFolder.reason();
    EXPECT_FALSE(manager->isDBempty(db, root())) << "15 tables read as an empty database";
}

}  // namespace
