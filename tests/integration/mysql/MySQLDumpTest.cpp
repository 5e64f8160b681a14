// Dumps against the private MariaDB server: real mysqldump runs, the size
// estimate, the dump steps of the installer and the process list while a dump runs.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "MySQLDBInstallerSteps.h"
#include "frame/FailureRecord.h"
#include "support/MySQLServerTest.h"
#include "support/SecretScan.h"

namespace {

using mariadbtest::MySQLServerTest;

// The real file system, but with as little free space as a test wants.
class ShortOfSpace final : public platform::FileSystem {
public:
    ShortOfSpace(platform::FileSystem& real, std::uint64_t freeBytes)
        : real_(real), freeBytes_(freeBytes) {}
    bool fileExists(const std::string& p) override { return real_.fileExists(p); }
    bool folderExists(const std::string& p) override { return real_.folderExists(p); }
    platform::Result<std::string> readFile(const std::string& p) override {
        return real_.readFile(p);
    }
    platform::ErrorCode writeFile(const std::string& p, const std::string& b) override {
        return real_.writeFile(p, b);
    }
    platform::ErrorCode createNewFile(const std::string& p, const std::string& b) override {
        return real_.createNewFile(p, b);
    }
    platform::ErrorCode replaceFileContent(const std::string& p, const std::string& b,
                                           bool ownerOnly, platform::AtLink atLink) override {
        return real_.replaceFileContent(p, b, ownerOnly, atLink);
    }
    platform::Result<std::string> firstLinkUnder(const std::string& p) override {
        return real_.firstLinkUnder(p);
    }
    platform::Result<std::string> finalPath(const std::string& p) override {
        return real_.finalPath(p);
    }
    platform::Result<std::unique_ptr<platform::FileLock>> lockFile(const std::string& p) override {
        return real_.lockFile(p);
    }
    platform::ErrorCode deleteFile(const std::string& p) override { return real_.deleteFile(p); }
    platform::ErrorCode deleteFolder(const std::string& p) override {
        return real_.deleteFolder(p);
    }
    platform::ErrorCode moveFolder(const std::string& f, const std::string& t) override {
        return real_.moveFolder(f, t);
    }
    platform::ErrorCode createFolder(const std::string& p) override {
        return real_.createFolder(p);
    }
    platform::Result<std::vector<std::string>> listFiles(const std::string& f) override {
        return real_.listFiles(f);
    }
    platform::Result<std::string> absolutePath(const std::string& p) override {
        return real_.absolutePath(p);
    }
    platform::Result<std::uint64_t> freeSpace(const std::string&) override {
        return {freeBytes_, 0};
    }
    std::string tempFolder() override { return real_.tempFolder(); }
    platform::ErrorCode copyFile(const std::string& f, const std::string& t) override {
        return real_.copyFile(f, t);
    }
    platform::ErrorCode moveFile(const std::string& f, const std::string& t, bool r) override {
        return real_.moveFile(f, t, r);
    }
    platform::Result<std::uint64_t> fileSize(const std::string& p) override {
        return real_.fileSize(p);
    }

private:
    platform::FileSystem& real_;
    std::uint64_t freeBytes_;
};

class MySQLDumps : public MySQLServerTest {
protected:
    // An installer for this test's installation, talking to the server on `port`.
    std::unique_ptr<Quimbo::MySQLDBInstaller> installerOn(platform::Services& services, int port) {
        auto installer = std::make_unique<Quimbo::MySQLDBInstaller>(services);
        Quimbo::Args args =
            Quimbo::SplitArgumentLine("1|" + install.path() +
                                      "|MySQL|harvella.config|0|0|0|0|0|0|InstallMySQL|pt|uz|pkg|"
                                      "pf|HvMySQL|");
        int count = static_cast<int>(args.size());
        installer->Initialize(args, count);
        Quimbo::MySQLDBInstallerSteps{*installer}.usePort(static_cast<std::int16_t>(port));
        return installer;
    }
    std::vector<std::string> dumps() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(install / "database/dumps"))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

TEST_F(MySQLDumps, ARealDumpFitsInsideItsEstimateWhateverTheUsersOwnOptionFileSays) {
    testsupport::TempFolder home;
    testsupport::writeFile(home / ".my.cnf", "[client]\npassword=wrong\nuser=nobody\n");
    struct OtherHome {
        std::string before = std::getenv("HOME") ? std::getenv("HOME") : "";
        explicit OtherHome(const std::string& home) { ::setenv("HOME", home.c_str(), 1); }
        ~OtherHome() { ::setenv("HOME", before.c_str(), 1); }
    } otherHome(home.path());
    const std::string db = createDatabase(
        "create table people (id int primary key, name varchar(40), note text, born date);"
        "insert into people values (1, 'Ann', NULL, '1970-01-02'), (2, 'Bob', 'x\\ty', NULL),"
        " (3, 'Zoë', repeat('long ', 50), '2001-12-31');"
        "create table empty_one (v decimal(10,2));"
        "create table `order` (`desc` varchar(5)); insert into `order` values ('a'), ('b');");
    const double estimate = manager->GetMySQLDatabaseDumpSize(root(db));
    const std::string dump = install / "dump.sql";
    manager->DumpMySQLDatabase(root(db), dump, true);
    const auto size = std::filesystem::file_size(dump);
    EXPECT_GE(estimate, static_cast<double>(size));
    EXPECT_LT(estimate, 4.0 * static_cast<double>(size)) << "an estimate, not a guess";
    EXPECT_NE(testsupport::readFile(dump).find("Zoë"), std::string::npos);
}

TEST_F(MySQLDumps, NoPasswordAppearsInAProcessOrAReadableFileWhileADumpRuns) {
    const std::string db = createDatabase(
        "create table t (id int, v varchar(200));"
        "insert into t select seq, repeat('v', 200) from seq_1_to_150000;");
    const std::string password = "Dump#Pw\\" + std::to_string(::getpid());
    const std::string sqlPassword = "Dump#Pw\\\\" + std::to_string(::getpid());
    adminSql("create user 'qt_dumper" + std::to_string(::getpid()) +
             "'@'127.0.0.1' identified by '" + sqlPassword + "'; grant all on " + db +
             ".* to 'qt_dumper" + std::to_string(::getpid()) + "'@'127.0.0.1';");
    Quimbo::MySQLConnection dumper = root(db);
    dumper.user = "qt_dumper" + std::to_string(::getpid());
    dumper.password = password;

    testsupport::SecretScan scan({password});
    const double estimate = manager->GetMySQLDatabaseDumpSize(dumper);
    manager->DumpMySQLDatabase(dumper, install / "big.sql", true);
    const std::vector<std::string> leaks = scan.finish({install.path(), temp.path()});
    adminSql("drop user '" + dumper.user + "'@'127.0.0.1';");

    EXPECT_TRUE(scan.saw("mysqldump")) << "the scan never saw mysqldump run";
    EXPECT_EQ(leaks, std::vector<std::string>{});
    EXPECT_GE(estimate, static_cast<double>(std::filesystem::file_size(install / "big.sql")));
}

TEST_F(MySQLDumps, ShortFreeSpaceStopsTheDumpWith2019AndTheRequiredSize) {
    const std::string db = createDatabase("create table t (id int); insert into t values (1);");
    platform::Services& real = system->services();
    ShortOfSpace shortFiles(real.files, 1000);
    platform::Services services{shortFiles,        real.processes, real.console,
                                real.messageBoxes, real.codePages, real.errors,
                                real.clock,        real.random,    real.conventions,
                                real.windows,      real.databases, real.serviceManager,
                                real.forms};
    auto installer = installerOn(services, mariadbtest::testServer().port);
    Quimbo::MySQLDBInstallerSteps steps{*installer};
    steps.createDumpsFolder();
    try {
        steps.dumpDatabase(db, mariadbtest::testServer().rootPassword);
        FAIL() << "expected a failure record";
    } catch (const Quimbo::FailureRecord& failure) {
        EXPECT_EQ(failure.number, 2019);
        EXPECT_EQ(failure.source, "Dump database " + db);
        EXPECT_EQ(failure.description, "Not enough space for dumping " + db);
    }
    EXPECT_GT(std::stoll(installer->requiredDumpSpace()), 1000);
    EXPECT_TRUE(dumps().empty());
}

// A server of its own: the shared one holds other tests' databases, which
// come and go while this one lists and dumps them all.
TEST_F(MySQLDumps, DumpAllDatabasesWritesOneFileEachButNotTheServersOwnReadableByItsOwnerOnly) {
    testsupport::TempFolder serverFolder;
    const auto own = mariadbtest::PrivateMariaDBServer::start(serverFolder / "server");
    struct Stop {
        std::string folder;
        ~Stop() { mariadbtest::PrivateMariaDBServer::stop(folder); }
    } stop{serverFolder / "server"};

    auto installer = installerOn(system->services(), own.port);
    Quimbo::MySQLConnection ownRoot = root();
    ownRoot.port = std::to_string(own.port);
    EXPECT_EQ(manager->sqlExecUpdate(ownRoot,
                                     "create database alpha; create database beta;"
                                     "create table beta.t (id int);"),
              "");
    Quimbo::MySQLDBInstallerSteps steps{*installer};
    steps.createDumpsFolder();
    steps.dumpAll(own.rootPassword);

    std::vector<std::string> databases;
    for (const std::string& name : dumps())
        databases.push_back(name.substr(0, name.find('-')));
    EXPECT_NE(std::find(databases.begin(), databases.end(), "alpha"), databases.end());
    EXPECT_NE(std::find(databases.begin(), databases.end(), "beta"), databases.end());
    EXPECT_EQ(std::find(databases.begin(), databases.end(), "mysql"), databases.end());
    EXPECT_EQ(std::find(databases.begin(), databases.end(), "information_schema"), databases.end());
    EXPECT_EQ(installer->dumpFilePath().empty(), false);
    namespace fs = std::filesystem;
    for (const std::string& name : dumps()) {
        const auto permissions = fs::status(install / ("database/dumps/" + name)).permissions();
        EXPECT_EQ(permissions & fs::perms::mask, fs::perms::owner_read | fs::perms::owner_write)
            << name << " holds a whole database";
    }
}

}  // namespace
