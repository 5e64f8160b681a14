// Actions 0, 3, 4 and 5 of build/bin/Quimbo as the installer runs them, on
// SQLite files in a stand-in machine, with the product fixture's scripts and
// the real mdbconvert.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>
#include <filesystem>
#include <set>

#include "AccessDatabase.h"
#include "support/SmallFileSystem.h"
#include "support/TestSupport.h"

namespace {

using accesstest::sql;
using testsupport::readFile;
using testsupport::runProgram;
using testsupport::writeFile;

const std::string allPatches = "10/0,11/0,12/0,13/0,14/0,15/0";

// Linux keeps the low byte of an exit code.
int low(int code) {
    return code & 0xFF;
}

// A database as an older installation left it.
void makeDatabase(const std::string& path, int base, int edition, bool invoiceTerms) {
    sql(path,
        "create table patch_history (patch integer, pack_version integer);"
        "create table feature_patch_history (feature_code varchar(10));"
        "create table hv_user (id integer primary key, login varchar(50), note varchar(100));"
        "insert into hv_user (login) values ('admin');"
        "insert into patch_history values (" +
            std::to_string(base) + ", " + std::to_string(edition) + ");" +
            (invoiceTerms ? "create table invoice_terms (id integer, days integer);" : ""));
}

std::string patchesOf(const std::string& path) {
    return sql(path, "select patch, pack_version from patch_history order by rowid;");
}

// Backup names the local clock can have given between the two moments.
std::set<std::string> stampsBetween(std::time_t from, std::time_t to) {
    std::set<std::string> stamps;
    for (std::time_t t = from; t <= to; ++t) {
        std::tm local{};
        ::localtime_r(&t, &local);
        char text[32];
        std::strftime(text, sizeof text, "%m%d%Y.%H%M%S", &local);
        stamps.insert(text);
    }
    return stamps;
}

class AccessPath : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("HARVELLA_SYSTEM_ROOT", machine.path().c_str(), 1);
        ::unsetenv("LC_ALL");
        ::unsetenv("LC_COLLATE");
        ::setenv("LANG", "C", 1);
        testsupport::makeFolders(installDir + "/database/tools");
        std::filesystem::copy(ACCESS_SCRIPTS_DIR, installDir + "/database/scripts");
        std::filesystem::copy_file(testsupport::binDir() + "/mdbconvert", tool());
        writeFile(installDir + "/harvella.config", "IPaddress=127.0.0.1\r\nHTTPPort=8080\r\n");
    }
    void TearDown() override { ::unsetenv("HARVELLA_SYSTEM_ROOT"); }

    std::string tool() const { return installDir + "/database/tools/mdbconvert"; }
    void standInTool(int exitCode) {
        std::filesystem::remove(tool());
        writeFile(tool(), "#!/bin/sh\nexit " + std::to_string(exitCode) + "\n", true);
    }
    testsupport::ProgramRun quimbo(const std::string& arguments, const std::string& runAs = "") {
        return runProgram(runAs + "\"" + testsupport::binDir() + "/Quimbo\" \"" + arguments + "\"");
    }
    // Action 0 under a page whose six controls the terminal stand-in shows.
    testsupport::ProgramRun install(const std::string& mode, const std::string& label = "",
                                    const std::string& dbPath = "", const std::string& runAs = "") {
        return quimbo("0|" + installDir + "|harvella.config|1|2|3|4|5|6|" + mode + "|" + label +
                          (dbPath.empty() ? "" : "|" + dbPath),
                      runAs);
    }
    // The backup copies beside a database file, as full paths.
    static std::vector<std::string> backupsOf(const std::string& path,
                                              const std::string& label = "") {
        const std::filesystem::path file(path);
        const std::string prefix = file.stem().string() + (label.empty() ? "." : "-" + label + ".");
        std::vector<std::string> backups;
        for (const auto& entry : std::filesystem::directory_iterator(file.parent_path())) {
            const std::string name = entry.path().filename();
            if (name.rfind(prefix, 0) == 0 && entry.path() != file) backups.push_back(entry.path());
        }
        return backups;
    }
    void expectSettingsWritten() {
        EXPECT_EQ(readFile(installDir + "/harvella.config"),
                  "IPaddress=127.0.0.1\r\nHTTPPort=8080\r\nDBdriver=com.inzoom.jdbcado.Driver\r\n"
                  "DBurl=jdbc:izmado:harvelladb;IzmDllPath=" +
                      installDir +
                      "/database/tools/izmjniado.dll\r\nDBuser=none\r\nDBpassword=none\r\n");
    }

    testsupport::TempFolder machine;
    const std::string installDir = machine / "Harvella Server";
    const std::string database = installDir + "/database/harvella.mdb";
};

TEST_F(AccessPath, CreateBuildsTheSchemaWithTheLocalesOrderAndAppliesEveryPatchOnDisk) {
    ::setenv("LANG", "ru_RU.UTF-8", 1);
    const auto run = install("Create");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("Applying patch #13-14.0"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("Setup completed successfully"), std::string::npos);
    EXPECT_EQ(patchesOf(database), allPatches);
    EXPECT_EQ(sql(database, "pragma application_id;"), std::to_string(0x419));
    EXPECT_TRUE(backupsOf(database).empty());
    expectSettingsWritten();
}

TEST_F(AccessPath, CreateOverAnOldFileMovesItToABackupNamedByTheLocalClockAndTheLabel) {
    makeDatabase(database, 12, 0, false);
    const std::string old = readFile(database);
    const std::time_t before = std::time(nullptr);
    const auto run = install("Create", "9.1");
    const std::time_t after = std::time(nullptr);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(patchesOf(database), allPatches);
    const auto backups = backupsOf(database, "9.1");
    ASSERT_EQ(backups.size(), 1u);
    const std::string prefix = installDir + "/database/harvella-9.1.";
    const std::string stamp = backups[0].substr(prefix.size(), 15);
    EXPECT_EQ(stampsBetween(before, after).count(stamp), 1u) << backups[0];
    EXPECT_EQ(backups[0], prefix + stamp + ".mdb");
    EXPECT_EQ(readFile(backups[0]), old);
}

TEST_F(AccessPath, PerformCopyOfTheInstallationsOwnFileCopiesItAsideAndPatchesIt) {
    makeDatabase(database, 13, 0, false);
    const std::string old = readFile(database);
    const auto run = install("PerformCopy", "", database);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(patchesOf(database), "13/0,14/0,15/0");
    const auto backups = backupsOf(database);
    ASSERT_EQ(backups.size(), 1u);
    EXPECT_EQ(readFile(backups[0]), old);
}

TEST_F(AccessPath, PerformCopyFromElsewhereMovesTheOldFileAsideAndCopiesTheOtherIn) {
    makeDatabase(database, 12, 0, false);
    const std::string old = readFile(database);
    const std::string other = machine / "other.mdb";
    makeDatabase(other, 14, 0, true);
    const std::string otherBytes = readFile(other);
    const auto run = install("PerformCopy", "", other);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(patchesOf(database), "14/0,15/0");
    EXPECT_EQ(readFile(other), otherBytes);
    const auto backups = backupsOf(database);
    ASSERT_EQ(backups.size(), 1u);
    EXPECT_EQ(readFile(backups[0]), old);
}

TEST_F(AccessPath, KeepSameOnlyWritesTheFourSettings) {
    const auto run = install("KeepSame");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err.find("completed successfully"), std::string::npos) << run.err;
    EXPECT_FALSE(std::filesystem::exists(database));
    expectSettingsWritten();
}

// Both ways of writing the file: beside it and renamed, and in place for a
// file with a second link, which must keep the link.
TEST_F(AccessPath, OnAFullDiskTheConfigurationKeepsItsContentAndTheRunEndsWith3002) {
    testsupport::SmallFileSystem disk(installDir, 64);
    if (!disk.mounted()) GTEST_SKIP() << disk.reason();
    const std::string config = installDir + "/harvella.config";
    // Just under one page of the file system: the settings need a second one.
    const std::string old =
        "#" + std::string(4000, '-') + "\r\nIPaddress=127.0.0.1\r\nHTTPPort=8080\r\n";
    writeFile(config, old);
    disk.fill();
    for (const bool linked : {false, true}) {
        if (linked) {
            ASSERT_EQ(::link(config.c_str(), (config + ".link").c_str()), 0);
        }
        const auto run = install("KeepSame");
        EXPECT_EQ(run.exitCode, low(3002)) << run.err;
        EXPECT_NE(run.err.find("Failed to save Access DB configuration in " + config),
                  std::string::npos)
            << run.err;
        EXPECT_EQ(readFile(config), old) << (linked ? "in place" : "beside");
        EXPECT_EQ(testsupport::countFilesStartingWith(installDir, "harvella.config"),
                  linked ? 2u : 1u)
            << "a temporary file was left";
    }
}

TEST_F(AccessPath, UpgradePatchesInPlaceWithoutBackupAndAppliesTheFixForBase14) {
    const std::string old = machine / "old.mdb";
    makeDatabase(old, 14, 0, false);
    const auto run = install("Upgrade", "", old);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.err.find("Applying special fix"), std::string::npos);
    EXPECT_EQ(patchesOf(old), "14/0,15/0");
    EXPECT_EQ(sql(old, "select count(*) from invoice_terms;"), "0");
    EXPECT_TRUE(backupsOf(old).empty());
    EXPECT_FALSE(std::filesystem::exists(database));
}

TEST_F(AccessPath, ABase10DatabaseWithExactlyThreeFeaturesTakesTheOlderNamedPatchOfEdition2) {
    const std::string old = machine / "old.mdb";
    makeDatabase(old, 10, 0, false);
    sql(old, "insert into feature_patch_history values ('RA'), ('LTT'), ('TTC');");
    const auto run = install("Upgrade", "", old);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(patchesOf(old), "10/0,11/2,12/0,13/0,14/1,15/0");
}

TEST_F(AccessPath, UpgradeWithBackUpCopiesTheFileFirstOrStopsWith3000WhenSpaceIsShort) {
    const std::string old = machine / "old.mdb";
    makeDatabase(old, 14, 0, true);
    const std::string oldBytes = readFile(old);
    auto run = install("UpgradeWithBackUp", "", old);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(patchesOf(old), "14/0,15/0");
    const auto backups = backupsOf(old);
    ASSERT_EQ(backups.size(), 1u);
    EXPECT_EQ(readFile(backups[0]), oldBytes);

    // Larger than the disk, taking no room.
    const std::string huge = machine / "huge.mdb";
    writeFile(huge, "");
    ASSERT_EQ(::truncate(huge.c_str(), 1ll << 40), 0);
    run = install("UpgradeWithBackUp", "", huge);
    EXPECT_EQ(run.exitCode, low(3000));
    EXPECT_EQ(run.out, std::to_string(1ll << 40));
    EXPECT_NE(run.err.find("There is not enough space to create a backup copy of database"),
              std::string::npos);
    EXPECT_TRUE(backupsOf(huge).empty());
}

TEST_F(AccessPath, AFailingPatchEndsWith3002AndHandsOverTheBackupPath) {
    const std::string old = machine / "old.mdb";
    makeDatabase(old, 14, 0, true);
    writeFile(installDir + "/database/scripts/patch_16.access97.sql", "create tabel broken;\r\n");
    const auto run = install("UpgradeWithBackUp", "", old);
    EXPECT_EQ(run.exitCode, low(3002));
    const auto backups = backupsOf(old);
    ASSERT_EQ(backups.size(), 1u);
    EXPECT_EQ(run.out, backups[0]);
    EXPECT_NE(run.err.find("Failed to update database due to the following reason: Unknown error "
                           "occured during database setup. Error details: "),
              std::string::npos)
        << run.err;
}

// A locked, damaged or empty file fails when it is first opened, as with the
// Windows engine, with the engine's number for it (not later as a missing
// first patch, "53. File not found"), and stays as it was.
TEST_F(AccessPath, WithConvertRunsTheRealToolAndAFileThatCannotBeOpenedFailsWithTheEnginesNumber) {
    makeDatabase(database, 14, 0, true);
    auto run = install("UpgradeWithConvert", "", database);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.err.find("Verifying format of Harvella database"), std::string::npos);
    EXPECT_EQ(patchesOf(database), "14/0,15/0");

    const auto expectRefused = [&](int number, const std::string& bytes) {
        EXPECT_EQ(run.exitCode, low(3002)) << run.err;
        EXPECT_NE(run.err.find("Error details: " + std::to_string(number) + ". "),
                  std::string::npos)
            << run.err;
        EXPECT_EQ(readFile(database), bytes);
    };
    const std::string saved = readFile(database);
    {
        accesstest::ExclusiveLock lock(database);
        run = install("UpgradeWithConvert", "", database);
    }
    expectRefused(3356, saved);
    for (const std::string bytes : {"not a database at all", ""}) {
        writeFile(database, bytes);
        run = install("UpgradeWithConvert", "", database);
        expectRefused(3343, bytes);
    }
}

TEST_F(AccessPath, WithConvertInAFolderTheUserCannotWriteEndsWith3006AndChangesNothing) {
    makeDatabase(database, 15, 0, true);
    const std::string saved = readFile(database);
    std::string runAs;
    if (::geteuid() == 0) {
        // root writes everywhere: the installer runs as an unprivileged user here.
        ::chmod(machine.path().c_str(), 0755);
        for (const auto& entry : std::filesystem::recursive_directory_iterator(installDir))
            ASSERT_EQ(::chown(entry.path().c_str(), 65534, 65534), 0);
        ASSERT_EQ(::chown(installDir.c_str(), 65534, 65534), 0);
        runAs = "setpriv --reuid=65534 --regid=65534 --clear-groups ";
    }
    ::chmod((installDir + "/database").c_str(), 0555);
    const auto run = install("UpgradeWithConvert", "", database, runAs);
    ::chmod((installDir + "/database").c_str(), 0755);
    EXPECT_EQ(run.exitCode, low(3006)) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(readFile(database), saved);
}

TEST_F(AccessPath, TheToolsOtherCodesEndAsTheirTableSaysWithTheBackupPathWhereDataMayBeHalfDone) {
    makeDatabase(database, 15, 0, true);
    for (const auto& [toolCode, exitCode] : {std::pair{3, 3005}, {7, 3008}, {4, 0}, {2, 3004}}) {
        standInTool(toolCode);
        for (const auto& backup : backupsOf(database))
            std::filesystem::remove(backup);
        const auto run = install("UpgradeWithBackUpWithConvert", "", database);
        EXPECT_EQ(run.exitCode, low(exitCode)) << "tool code " << toolCode << ": " << run.err;
        const auto backups = backupsOf(database);
        ASSERT_EQ(backups.size(), 1u);
        EXPECT_EQ(run.out, exitCode == 0 || exitCode == 3004 ? "" : backups[0]);
    }
}

// What Windows refuses, the tool refuses: a read-only file (also for root)
// and an empty one stay as they are; a link stays a link and its file is
// converted; a file in a write transaction is left to its writer.
TEST_F(AccessPath, TheToolRefusesWhatWindowsRefusesAndNeverLosesAWrite) {
    const std::string readOnly = machine / "read-only.mdb", empty = machine / "empty.mdb",
                      link = machine / "link.mdb";
    const auto convert = [&](const std::string& file) {
        return runProgram("\"" + tool() + "\" " + file).exitCode;
    };
    makeDatabase(readOnly, 15, 0, true);
    ::chmod(readOnly.c_str(), 0444);
    const std::string readOnlyBytes = readFile(readOnly);
    EXPECT_EQ(convert(readOnly), 5);
    EXPECT_EQ(readFile(readOnly), readOnlyBytes);
    writeFile(empty, "");
    EXPECT_EQ(convert(empty), 6);
    EXPECT_EQ(readFile(empty), "");

    makeDatabase(database, 15, 0, true);
    std::filesystem::create_symlink(database, link);
    EXPECT_EQ(convert(link), 0);
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    sqlite3* writer = nullptr;
    ASSERT_EQ(::sqlite3_open(database.c_str(), &writer), SQLITE_OK);
    ::sqlite3_exec(writer, "begin immediate; insert into hv_user (login) values ('new');", nullptr,
                   nullptr, nullptr);
    EXPECT_EQ(convert(link), 2);
    EXPECT_EQ(::sqlite3_exec(writer, "commit;", nullptr, nullptr, nullptr), SQLITE_OK);
    ::sqlite3_close(writer);
    EXPECT_EQ(sql(database, "select login from hv_user order by id;"), "admin,new");
}

// A copy that fills the disk leaves no truncated file under the real name.
TEST_F(AccessPath, ACopyCutShortByAFullDiskLeavesNoPartFileAndEndsWith3002) {
    const std::string source = machine / "big.mdb";
    writeFile(source, std::string(200 << 10, 'd'));
    testsupport::SmallFileSystem disk(installDir + "/database", 64);
    if (!disk.mounted()) GTEST_SKIP() << disk.reason();
    const auto run = install("PerformCopy", "", source);
    EXPECT_EQ(run.exitCode, low(3002)) << run.err;
    EXPECT_FALSE(std::filesystem::exists(database));
    EXPECT_TRUE(std::filesystem::is_empty(installDir + "/database"));
}

TEST_F(AccessPath, TheCheckerAnswersZeroOnlyForAnOpenableFileWithUsers) {
    makeDatabase(database, 15, 0, true);
    EXPECT_EQ(quimbo("3|" + database).exitCode, 0);
    {
        accesstest::ExclusiveLock lock(database);
        EXPECT_EQ(quimbo("3|" + database).exitCode, 1);
    }
    sql(database, "delete from hv_user;");
    const auto empty = quimbo("3|" + database + "|7");
    EXPECT_EQ(empty.exitCode, 1);
    EXPECT_NE(empty.err.find("window 7 clicked"), std::string::npos) << empty.err;
    const auto missing = quimbo("3|" + installDir + "/database/none.mdb");
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.out, "");
    EXPECT_FALSE(std::filesystem::exists(installDir + "/database/none.mdb"));
}

TEST_F(AccessPath, TheJetCheckTakesTheNewestElevenCharacterMsjetLibraryOfTheSystemFolder) {
    const std::string system32 = machine / "windows/system32";
    testsupport::makeFolders(system32);
    const std::string fixtures = ACCESS_FIXTURES_DIR;
    std::filesystem::copy_file(fixtures + "/MSJETOLEDB40.DLL", system32 + "/MSJETOLEDB40.DLL");
    EXPECT_EQ(quimbo("4").exitCode, 1);
    std::filesystem::copy_file(fixtures + "/MSJET35.DLL", system32 + "/MSJET35.DLL");
    EXPECT_EQ(quimbo("4|ignored").exitCode, 1);
    std::filesystem::copy_file(fixtures + "/MSJET40.DLL", system32 + "/msjet40.dll");
    EXPECT_EQ(quimbo("4").exitCode, 0);
}

TEST_F(AccessPath, DaoCountsAsPresent) {
    const auto run = quimbo("5|" + installDir + "|" + installDir + "/database/tools/dao360.dll");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "");
}

}  // namespace
