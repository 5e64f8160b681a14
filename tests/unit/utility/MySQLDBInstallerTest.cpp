// The MySQL installer object against the fakes: its fields, progress weights,
// the step operations' failure records and the dump steps.
#include <gtest/gtest.h>

#include "MySQLClientFixture.h"
#include "MySQLDBInstallerSteps.h"
#include "mysql/MySQLFailureReport.h"

namespace {

using fakes::FakeMySQLClient;
using fakes::FakeServices;

constexpr platform::WindowHandle progressBar = 15;
constexpr platform::WindowHandle actionLabel = 14;

Quimbo::Args fields(const std::string& actionWord, const std::string& previousVersion) {
    return Quimbo::SplitArgumentLine("1|/inst|MySQL|harvella.config|11|12|13|14|15|16|" +
                                     actionWord + "|/pt|/uz|/pkg.zip|mysql-pkg|HvMySQL|" +
                                     previousVersion);
}

class MySQLDBInstallerTest : public ::testing::Test {
protected:
    void initialize(const std::string& actionWord = "InstallMySQL",
                    const std::string& previousVersion = "") {
        args = fields(actionWord, previousVersion);
        int count = static_cast<int>(args.size());
        installer.Initialize(args, count);
    }
    int progress() { return fake.windows.positions[progressBar]; }
    // The texts shown on the action label, in order.
    std::vector<std::string> labels() const {
        std::vector<std::string> shown;
        const std::string prefix = "text " + std::to_string(actionLabel) + " 12 0 ";
        for (const auto& call : fake.windows.calls)
            if (call.rfind(prefix, 0) == 0) shown.push_back(call.substr(prefix.size()));
        return shown;
    }

    FakeServices fake;
    Quimbo::Args args;
    Quimbo::MySQLDBInstaller installer{fake.services};
    Quimbo::MySQLDBInstallerSteps steps{installer};
};

TEST_F(MySQLDBInstallerTest, InitializeTakesRepairKeepOutOfTheActionWord) {
    initialize("ReinstallMySQLRepairKeepWithDump", "5.2");
    EXPECT_TRUE(installer.repairKeep());
    EXPECT_EQ(installer.actionWord(), "ReinstallMySQLWithDump");
    EXPECT_TRUE(installer.hasPrevVersion());
    EXPECT_EQ(installer.settings().GetPrevHarvellaVersion(), "5.2");

    initialize("InstallMySQL", "");
    EXPECT_FALSE(installer.repairKeep());
    EXPECT_FALSE(installer.hasPrevVersion());
    EXPECT_EQ(installer.actionWord(), "InstallMySQL");
}

TEST_F(MySQLDBInstallerTest, AnyCountButSeventeenShowsTheMessageAndTouchesNothing) {
    for (int count : {16, 18}) {
        FakeServices local;
        Quimbo::MySQLDBInstaller other(local.services);
        Quimbo::Args some = fields("InstallMySQL", "");
        some.resize(static_cast<std::size_t>(count));
        EXPECT_EQ(fakes::exitCodeOf([&] { other.Initialize(some, count); }), 0)
            << count << " fields";
        EXPECT_EQ(local.messageBoxes.shown,
                  std::vector<std::string>{"MySQL DB installation requires 17 parameters!"});
        EXPECT_TRUE(local.windows.calls.empty());
    }
}

// The rules the real runs do not reach; those of the dumps and the generic
// description show in the action tests.
TEST(MySQLFailureReport, DescriptionsLoseBellsAndLineEndsAndShapeTheMessage) {
    const struct {
        Quimbo::FailureRecord failure;
        bool previousVersion;
        std::string message, details;
    } cases[] = {
        {{2008, "save root password", "\aDisk full\a \r\n"},
         false,
         "Failed to save root password.Error: Disk full",
         "Disk full"},
        {{1, "", "unknown option"}, false, "Error: unknown option", "unknown option"},
        {{2013, "Dump database x", "\r\n"}, true, "Failed to Dump database x.", ""},
    };
    for (const auto& c : cases) {
        const Quimbo::DumpState dumps{c.previousVersion, false, "4096", "/d/h-01.dmp"};
        const auto report = Quimbo::DescribeFailure(c.failure, dumps);
        EXPECT_EQ(report.message, c.message) << c.failure.number;
        EXPECT_EQ(report.details, c.details) << c.failure.number;
    }
}

TEST_F(MySQLDBInstallerTest, ProgressWeightsAreSharesOfTheTotalRoundedHalfToEven) {
    initialize();
    installer.ForwardProgress(50);
    EXPECT_TRUE(fake.windows.calls.empty()) << "no total, no progress";

    const struct {
        std::int16_t total, weight;
        int moved;
    } cases[] = {{100, 5, 5}, {175, 5, 3}, {175, 20, 11}, {40, 1, 2}, {40, 3, 8}};
    for (const auto& c : cases) {
        fake.windows.positions[progressBar] = 0;
        installer.SetProgressTotal(c.total);
        installer.ForwardProgress(c.weight);
        EXPECT_EQ(progress(), c.moved) << c.weight << " of " << c.total;
    }
}

TEST_F(MySQLDBInstallerTest, StepOperationsRaiseTheirNumbersWithTheRunsTexts) {
    initialize();
    fake.files.folders.insert("/inst");
    fake.files.folders.insert("/inst/MySQL");
    fake.files.folders.insert("/inst/MySQL/bin");
    fake.files.files["/inst/MySQL/bin/mysql"] = "";
    fake.files.files["/s.sql"] = "create table t (id int);";
    FakeMySQLClient client(fake);
    client.respond = [](const std::string&) {
        return FakeMySQLClient::Reply{"", "ERROR 1005 (HY000): (errno: 121)\n", 1};
    };
    EXPECT_EQ(
        raisedBy([&] {
            installer.ExecScriptOrRaise("harvella", "/s.sql", "Creating schema", "root", "pw",
                                        2010);
        }),
        Raised(2010, "Creating schema:\r\nError: ERROR 1005 (HY000): (errno: 121)\n\r\n", ""));
    EXPECT_EQ(client.runs.back().options,
              "[client]\nport=-1\nhost=127.0.0.1\nuser=root\npassword=pw\ndatabase=harvella\n"
              "connect-timeout=20\n");
    EXPECT_EQ(raisedBy([&] { installer.ExecUpdateOrRaise("", "grant all;", "root", "pw", 2007); }),
              Raised(2007, "", "ERROR 1005 (HY000): (errno: 121)\n"));
    client.respond = [](const std::string&) { return FakeMySQLClient::Reply{"", "", 0}; };
    EXPECT_NO_THROW(installer.ExecUpdateOrRaise("", "select 1;", "root", "pw", 2007));

    fake.processes.onLaunch = nullptr;
    fake.processes.children.push_back(fakes::ScriptedChild{{""}, {"no such service"}, 2, {}, 0});
    EXPECT_EQ(
        raisedBy([&] { installer.RunCommandOrRaise("net start x", "start MySQL Service", 2005); }),
        Raised(2005, "start MySQL Service", "no such service"));
}

// "ReinstallHarvellaDB" on an installation whose server runs, with the client
// answering as `respond` says.
class DatabaseUpdateFlow : public MySQLDBInstallerTest {
protected:
    void SetUp() override {
        initialize("ReinstallHarvellaDB");
        for (const char* folder : {"/inst", "/inst/MySQL", "/inst/MySQL/bin"})
            fake.files.folders.insert(folder);
        fake.files.files["/inst/MySQL/bin/mysql"] = "";
        fake.serviceManager.add("HvMySQL", {servicefakes::statusOf(platform::svc::running)});
        // The server stops when the service is told to.
        fake.processes.onLaunch = [this, play = fake.processes.onLaunch](const std::string& line) {
            play(line);
            if (line.rfind("harvella-sc stop", 0) == 0)
                fake.serviceManager.add("HvMySQL",
                                        {servicefakes::statusOf(platform::svc::stopped)});
        };
    }
    int run() {
        return fakes::exitCodeOf([&] { installer.MakeDBAction(); });
    }
    // The schema and the patches the update finds.
    void withScripts(const std::vector<std::string>& names) {
        fake.files.folders.insert("/inst/database");
        fake.files.folders.insert("/inst/database/scripts");
        fake.files.files["/inst/database/scripts/harvella.mysql4.sql"] = "schema;";
        for (const auto& name : names)
            fake.files.files["/inst/database/scripts/" + name] = name;
    }
    std::vector<std::string> statements() const {
        std::vector<std::string> made;
        for (const auto& one : client.runs)
            if (!one.sql.empty()) made.push_back(one.sql);
        return made;
    }

    FakeMySQLClient client{fake};
};

TEST_F(DatabaseUpdateFlow, AFailureWhileTheStoredRootPasswordIsRefusedStillStopsTheServer) {
    fake.files.files["/inst/MySQL/bin/mysqladmin"] = "";
    client.respond = [&](const std::string& sql) {
        const bool admin =
            fake.processes.commandLines.back().find("mysqladmin") != std::string::npos;
        if (admin || sql.rfind("DROP", 0) == 0)
            return FakeMySQLClient::Reply{"", "ERROR 1045 (28000): Access denied\n", 1};
        return FakeMySQLClient::Reply{"Col\n", "", 0};
    };
    EXPECT_EQ(run(), 2016);
    const auto& lines = fake.processes.commandLines;
    EXPECT_NE(std::find(lines.begin(), lines.end(), "harvella-sc stop \"HvMySQL\""), lines.end())
        << "the server was left running";
}

TEST_F(DatabaseUpdateFlow, AClientErrorThatRepeatsAGeneratedPasswordShowsItMasked) {
    client.respond = [](const std::string& sql) {
        if (sql.rfind("SELECT COUNT(1)", 0) == 0) return FakeMySQLClient::Reply{"n\n0\n", "", 0};
        if (sql.rfind("GRANT", 0) == 0)
            return FakeMySQLClient::Reply{"", "ERROR 1064 (42000): near '" + sql + "'\n", 1};
        return FakeMySQLClient::Reply{"Col\n", "", 0};
    };
    EXPECT_EQ(run(), 2007);
    // Every draw of the fake random source gives "o".
    const std::string generated = "oooooooo";
    EXPECT_NE(fake.console.out.find("IDENTIFIED BY '********'"), std::string::npos)
        << fake.console.out;
    for (const auto& call : fake.windows.calls)
        EXPECT_EQ(call.find(generated), std::string::npos) << call;
}

TEST_F(DatabaseUpdateFlow, AUserCheckTheServerCouldNotAnswerGrantsTheStoredPasswordAgain) {
    fake.files.files["/inst/harvella.config"] = "DBpassword=KeptPw1\r\n";
    client.respond = [](const std::string& sql) {
        if (sql.rfind("SELECT COUNT(1)", 0) == 0)
            return FakeMySQLClient::Reply{"", "ERROR 2013 (HY000): Lost connection\n", 1};
        return FakeMySQLClient::Reply{"Col\n", "", 0};
    };
    run();
    std::vector<std::string> grants;
    for (const auto& made : client.runs)
        if (made.sql.rfind("GRANT", 0) == 0) grants.push_back(made.sql);
    ASSERT_EQ(grants.size(), 1u);
    EXPECT_NE(grants[0].find("IDENTIFIED BY 'KeptPw1'"), std::string::npos) << grants[0];
}

TEST_F(DatabaseUpdateFlow, ABase14SchemaGetsItsFixAndThePatchesRunBetweenTheFunctionSwitches) {
    withScripts({"patch_14_fix.mysql4.sql", "patch_15.mysql4.sql"});
    client.respond = [](const std::string& sql) {
        if (sql == "show tables;") return FakeMySQLClient::Reply{"T\npatch_history\n", "", 0};
        if (sql.rfind("select max(patch)", 0) == 0) return FakeMySQLClient::Reply{"m\n14\n", "", 0};
        if (sql == "select * from invoice_terms;")
            return FakeMySQLClient::Reply{"", "ERROR 1146 (42S02): no invoice_terms\n", 1};
        return FakeMySQLClient::Reply{"Col\n", "", 0};
    };
    EXPECT_NO_THROW(installer.MakeDBAction());
    const auto made = statements();
    ASSERT_GE(made.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(made.end() - 4, made.end()),
              (std::vector<std::string>{
                  "patch_14_fix.mysql4.sql", "SET GLOBAL log_bin_trust_function_creators = 1",
                  "patch_15.mysql4.sql", "SET GLOBAL log_bin_trust_function_creators = 0"}));
}

TEST_F(DatabaseUpdateFlow, ASchemaFailingOnATakenConstraintNameIsBuiltOnceMore) {
    // The wording of servers that end the errno there; the integration
    // server goes on with its meaning.
    withScripts({});
    int failures = 1;
    client.respond = [&](const std::string& sql) {
        if (sql == "schema;" && failures-- > 0)
            return FakeMySQLClient::Reply{
                "", "ERROR 1005 (HY000) at line 9: Can't create table 'harvella.t' (errno: 121)\n",
                1};
        return FakeMySQLClient::Reply{"Col\n", "", 0};
    };
    EXPECT_NO_THROW(installer.MakeDBAction());
    const auto shown = labels();
    EXPECT_EQ(std::count(shown.begin(), shown.end(),
                         "Harvella database files were manually removed. Trying to recover error."),
              1);
}

TEST_F(DatabaseUpdateFlow, SettingsThatCannotBeSavedEndTheUpdateWith2011) {
    withScripts({});
    args = fields("ReinstallHarvellaDB", "");
    args[3] = "missing/harvella.config";
    int count = static_cast<int>(args.size());
    installer.Initialize(args, count);
    EXPECT_EQ(run(), 2011);
}

TEST_F(DatabaseUpdateFlow, AReinstallCountsOutOf175AndAFailureLeavesBackEnabled) {
    initialize("ReinstallMySQL");
    // Stopped, service and folder removed (6 + 6 + 11), a port found (3), then
    // the package unpacks nothing.
    EXPECT_EQ(run(), 2002);
    EXPECT_EQ(progress(), 26);
    std::string back;
    for (const auto& call : fake.windows.calls)
        if (call.rfind("enable 12 ", 0) == 0) back = call;
    EXPECT_EQ(back, "enable 12 true");
}

class MySQLDumpSteps : public MySQLDBInstallerTest {
protected:
    void SetUp() override {
        for (const char* folder : {"/inst", "/inst/MySQL", "/inst/MySQL/bin"})
            fake.files.folders.insert(folder);
        fake.files.files["/inst/MySQL/bin/mysql"] = "";
        fake.clock.local = platform::LocalTime{2024, 3, 5, 10, 0, 0};
        client.dump = [](const std::string&) { return FakeMySQLClient::Reply{"-- 100\n", "", 0}; };
        client.respond = [this](const std::string& sql) {
            if (sql == "show databases;")
                return FakeMySQLClient::Reply{
                    "Database\ninformation_schema\nharvella\nmysql\nMYSQL\nother\n", "", 0};
            if (sql == "show tables;") return FakeMySQLClient::Reply{tables, "", 0};
            return FakeMySQLClient::Reply{"", "", 0};
        };
    }
    std::vector<std::string> dumpedDatabases() const {
        std::vector<std::string> names;
        for (const auto& run : client.runs)
            if (run.commandLine.find("--no-data") == std::string::npos &&
                run.commandLine.find("mysqldump") != std::string::npos)
                names.push_back(FakeMySQLClient::option(run.arguments, "--databases"));
        return names;
    }

    FakeMySQLClient client{fake};
    std::string tables = "Tables_in_x\n";
};

TEST_F(MySQLDumpSteps, DumpNamesCarryVersionDateAndTheFirstFreeCounter) {
    initialize("InstallMySQL", "V");
    fake.files.folders.insert("/inst/database");
    fake.files.folders.insert("/inst/database/dumps");
    EXPECT_EQ(steps.nextDumpFileName("D"), "/inst/database/dumps/D-V-2024-03-05-01.dmp");
    for (int i = 1; i <= 9; ++i)
        fake.files.files["/inst/database/dumps/D-V-2024-03-05-0" + std::to_string(i) + ".dmp"] = "";
    EXPECT_EQ(steps.nextDumpFileName("D"), "/inst/database/dumps/D-V-2024-03-05-10.dmp");

    initialize("InstallMySQL", "");
    EXPECT_EQ(steps.nextDumpFileName("D"), "/inst/database/dumps/D-2024-03-05-01.dmp");
}

TEST_F(MySQLDumpSteps, DumpAllSkipsOnlyTheServersOwnDatabasesAndEachGetsItsFile) {
    initialize();
    steps.createDumpsFolder();
    EXPECT_EQ(labels(), std::vector<std::string>{"Creating dumps folder"});
    installer.SetProgressTotal(100);
    steps.dumpAll("rootpw");
    EXPECT_EQ(dumpedDatabases(), (std::vector<std::string>{"harvella", "MYSQL", "other"}));
    EXPECT_EQ(installer.dumpFilePath(), "/inst/database/dumps/other-2024-03-05-01.dmp");
    EXPECT_TRUE(fake.files.fileExists("/inst/database/dumps/harvella-2024-03-05-01.dmp"));
    EXPECT_EQ(labels().back(), "Dumping databases");
    EXPECT_EQ(progress(), 20);
}

TEST_F(MySQLDumpSteps, ShortFreeSpaceRaises2019WithTheRequiredBytesAndExactlyEnoughDumps) {
    initialize();
    steps.createDumpsFolder();
    client.dump = [](const std::string&) { return FakeMySQLClient::Reply{"0123456789", "", 0}; };
    fake.files.freeBytes = 11;
    EXPECT_EQ(raisedBy([&] { steps.dumpDatabase("harvella", "rootpw"); }),
              Raised(2019, "Dump database harvella", "Not enough space for dumping harvella"));
    // A 10-byte schema dump and no tables: 12.5, rounded half to even.
    EXPECT_EQ(installer.requiredDumpSpace(), "12");
    EXPECT_TRUE(dumpedDatabases().empty());

    fake.files.freeBytes = 12;
    steps.dumpDatabase("harvella", "rootpw");
    EXPECT_EQ(dumpedDatabases(), std::vector<std::string>{"harvella"});
}

TEST_F(MySQLDumpSteps, AFailingDumpOrListIsReportedAs2013) {
    initialize();
    steps.createDumpsFolder();
    client.dump = [](const std::string& line) {
        if (line.find("--no-data") != std::string::npos) return FakeMySQLClient::Reply{"x", "", 0};
        return FakeMySQLClient::Reply{"", "mysqldump: Error 2013: Lost connection\n", 2};
    };
    EXPECT_EQ(raisedBy([&] { steps.dumpDatabase("harvella", "rootpw"); }),
              Raised(2013, "Dump database harvella", "mysqldump: Error 2013: Lost connection\n"));
    EXPECT_EQ(installer.dumpFilePath(), "");

    client.respond = [](const std::string&) {
        return FakeMySQLClient::Reply{"", "ERROR 1045: Access denied\n", 1};
    };
    EXPECT_EQ(raisedBy([&] { steps.dumpAll("rootpw"); }),
              Raised(2013, "", "ERROR 1045: Access denied\n"));
}

TEST_F(MySQLDumpSteps, TheProductDatabaseIsDumpedOnlyWhenItExistsAndProgressMovesEitherWay) {
    initialize();
    steps.createDumpsFolder();
    installer.SetProgressTotal(100);
    steps.dumpHarvella("rootpw");
    EXPECT_EQ(dumpedDatabases(), std::vector<std::string>{"harvella"});
    EXPECT_EQ(labels().back(), "Dumping harvella database");
    EXPECT_EQ(progress(), 10);

    client.respond = [](const std::string&) {
        return FakeMySQLClient::Reply{"", "ERROR 1049: Unknown database\n", 1};
    };
    steps.dumpHarvella("rootpw");
    EXPECT_EQ(dumpedDatabases().size(), 1u);
    EXPECT_EQ(progress(), 20);
}

class MySQLServerSteps : public MySQLDBInstallerTest {
protected:
    void SetUp() override {
        initialize();
        installer.SetProgressTotal(100);
        fake.files.folders.insert("/inst");
    }
    void initializeWithFolders(const std::string& mySQLFolder, const std::string& packageFolder) {
        args = Quimbo::SplitArgumentLine("1|/inst|" + mySQLFolder +
                                         "|harvella.config|11|12|13|14|15|16|InstallMySQL|/pt|/uz|"
                                         "/pkg.zip|" +
                                         packageFolder + "|HvMySQL|");
        int count = static_cast<int>(args.size());
        installer.Initialize(args, count);
    }
    // The unzip program unpacks a package whose top folder has that name.
    void unzipUnpacks(const std::string& packageFolder) {
        fake.processes.onLaunch = [this, packageFolder](const std::string& line) {
            if (line.rfind("\"/uz\"", 0) == 0)
                fake.files.folders.insert("/inst/Quimbo.unpacking/" + packageFolder);
        };
    }
};

TEST_F(MySQLServerSteps, EachStepShowsItsActionAndMovesTheBarByItsWeight) {
    namespace svc = platform::svc;
    // Every program run succeeds.
    unzipUnpacks("mysql-pkg");
    std::vector<platform::ServiceStatus> states;
    for (const auto state : {svc::stopped, svc::running, svc::running, svc::stopped})
        states.push_back(servicefakes::statusOf(state));
    fake.serviceManager.add("HvMySQL", states);
    std::vector<int> bar;
    const auto then = [&](auto step) {
        step();
        bar.push_back(progress());
    };
    then([&] { steps.usePort(steps.findFreePort("/pt", 27351)); });
    then([&] { steps.unzip(); });
    then([&] { steps.configure(); });
    then([&] { steps.initDataCatalog(); });
    then([&] { steps.installService(); });
    then([&] { steps.start(true, false); });
    then([&] { steps.stop(false, false); });
    EXPECT_EQ(bar, (std::vector<int>{5, 45, 55, 55, 65, 75, 75}));
    fake.windows.positions[progressBar] = 0;
    then([&] { steps.stop(true, false); });
    then([&] { steps.removeService(); });
    then([&] { steps.removeFolder(); });
    EXPECT_EQ(bar, (std::vector<int>{5, 45, 55, 55, 65, 75, 75, 10, 20, 40}));
    EXPECT_EQ(labels(), (std::vector<std::string>{
                            "Scanning ports", "Unzipping MySQL", "Configuring MySQL",
                            "Configuring MySQL data catalog", "Installing MySQL service",
                            "Starting MySQL service", "Stopping MySQL service",
                            "Removing MySQL service", "Removing MySQL folder"}));
}

TEST_F(MySQLServerSteps, TheRootPasswordStepDropsAnonymousAccountsAndKeepsNoRefusedPassword) {
    for (const char* folder : {"/inst/MySQL", "/inst/MySQL/bin", "/inst/MySQL/data"})
        fake.files.folders.insert(folder);
    fake.files.files["/inst/MySQL/bin/mysql"] = "";
    FakeMySQLClient client(fake);
    client.respond = [](const std::string& sql) {
        if (sql == "SELECT COUNT(1) FROM user WHERE user=''")
            return FakeMySQLClient::Reply{"n\n2\n", "", 0};
        if (sql.rfind("ALTER USER", 0) == 0)
            return FakeMySQLClient::Reply{"", "ERROR 1396 (HY000): refused\n", 1};
        return FakeMySQLClient::Reply{"Col\n", "", 0};
    };
    EXPECT_EQ(std::get<0>(raisedBy([&] { steps.setRootPassword(); })), 2008);
    bool deleted = false;
    for (const auto& made : client.runs)
        deleted = deleted || made.sql == "DELETE FROM user WHERE User=''";
    EXPECT_TRUE(deleted) << "the anonymous accounts stay";
    for (const auto& file : fake.files.files)
        EXPECT_NE(file.first.rfind("/inst/MySQL/data/", 0), 0u) << file.first << " stays";
}

TEST_F(MySQLServerSteps, AScanWithoutAFreePortRaises2000AndEndsAtTheHighestPortTheSettingsHold) {
    fake.processes.launchError = platform::winerr::fileNotFound;
    EXPECT_EQ(raisedBy([&] { steps.findFreePort("/pt", 32000); }),
              Raised(2000, "find avaible port to install MySQL.", ""));
    EXPECT_EQ(fake.processes.commandLines.size(), 768u);
    EXPECT_EQ(fake.processes.commandLines.back(), "\"/pt\" 32767 0.0.0.0");
}

TEST_F(MySQLServerSteps, AServerProgramThatCannotStartFailsWithTheRunnersReason) {
    fake.processes.launchError = platform::winerr::fileNotFound;
    const std::string reason = "System error 2. File: /inst/MySQL/bin/mysqld";
    EXPECT_EQ(raisedBy([&] { steps.initDataCatalog(); }), Raised(-1000, "", reason));
    EXPECT_EQ(raisedBy([&] { steps.installService(); }),
              Raised(2004, "install MySQL Service", reason));
}

TEST_F(MySQLServerSteps, APackageFolderNamedLikeTheMySQLFolderTakesThePlaceOfTheOldOne) {
    initializeWithFolders("MySQL", "MySQL");
    fake.files.folders.insert("/inst/MySQL");
    fake.files.files["/inst/MySQL/old"] = "";
    unzipUnpacks("MySQL");
    steps.unzip();
    EXPECT_TRUE(fake.files.folderExists("/inst/MySQL")) << "the unpacked server was deleted";
    EXPECT_FALSE(fake.files.fileExists("/inst/MySQL/old"));
    EXPECT_FALSE(fake.files.folderExists("/inst/Quimbo.unpacking"));
}

TEST_F(MySQLServerSteps, FolderNamesThatLeadOutOfTheInstallationFolderAreRefusedBeforeAnyDeletion) {
    initializeWithFolders("MySQL", "");
    EXPECT_EQ(raisedBy([&] { steps.unzip(); }),
              Raised(2001, "unzip MySQL", "\"\" is not a folder inside the installation folder."));
    for (const std::string name : {".", "a/../..", "a\\..\\.."}) {
        initializeWithFolders(name, "mysql-pkg");
        EXPECT_EQ(std::get<0>(raisedBy([&] { steps.unzip(); })), 2002) << name;
        EXPECT_EQ(std::get<0>(raisedBy([&] { steps.removeFolder(); })), 2015) << name;
    }
    EXPECT_TRUE(fake.processes.commandLines.empty());
    EXPECT_TRUE(fake.files.folderExists("/inst"));
}

TEST_F(MySQLServerSteps, AFolderThatStaysFailsWith2015) {
    fake.files.folders.insert("/inst/MySQL");
    fake.files.deletes.failOnCall(1, platform::winerr::accessDenied);
    EXPECT_EQ(raisedBy([&] { steps.removeFolder(); }),
              Raised(2015, "remove MySQL folder", "Permission denied"));
    EXPECT_EQ(progress(), 0) << "a failed step moves no progress";
}

}  // namespace
