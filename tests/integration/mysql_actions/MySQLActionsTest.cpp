// Actions 1, 2 and 6 of Quimbo as the installer runs them, on one machine
// installed once: the action words in the order an installation lives them,
// each failure the installer must be told about, and the checks of an
// installed server, on the test MySQL package and the product database
// fixture. Written once for both builds: ActionRunner.h says what each build
// runs it with (build/bin/Quimbo on Linux, Quimbo.exe under Wine). The tests
// run in this order in one process; each leaves the product installed and
// stopped.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <thread>

#include "ActionRunner.h"
#include "frame/ServicesCmdModule.h"
#include "mysql/MySQLManager.h"
#include "support/SecretScan.h"
#include "support/SecretScanSystem.h"

namespace {

namespace fs = std::filesystem;
namespace svc = platform::svc;
using runner::PageRun;
using runner::readFile;
using runner::writeFile;
using Quimbo::serviceIsRunning;
using Quimbo::serviceIsStopped;
using Quimbo::serviceNotFound;

const char* const recovery =
    "Harvella database files were manually removed. Trying to recover error.";
const char* const service = "HvMySQL";

std::string today() {
    char date[16];
    const std::time_t now = std::time(nullptr);
    std::strftime(date, sizeof date, "%Y-%m-%d", std::localtime(&now));
    return date;
}

// The base a fixture script brings the schema to: 11 for patch_10-11.2.
int targetBase(const std::string& name) {
    if (name.rfind("patch_", 0) != 0) return 0;
    return std::stoi(name.substr(name.find_first_of("0123456789", name.find('-') + 1)));
}

std::string padded(const std::string& password) {
    return "abcdefg" + password + "hijklmnopqr\r\n";
}

struct Machine {
    runner::Machine places = runner::makeMachine();
    char name[8] = "quimbo";
    char* argv[2] = {name, nullptr};
    std::unique_ptr<platform::SystemServices> system = platform::makeSystemServices(1, argv);
    platform::Services& services = system->services();
    Quimbo::FileSystemObject fso{services.files, services.random, services.conventions};
    Quimbo::MySQLManager client{services};
    ~Machine() { runner::dismantleMachine(places); }
};

class MySQLActions : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        machine = std::make_unique<Machine>();
        fs::create_directories(at("database/scripts"));
        shipScripts(10);
        writeFile(at("harvella.config"), "IPaddress=127.0.0.1\r\n");
        machine->client.Initialize(machine->fso);
        // Both passwords are made inside the run: everything the scan saw is
        // searched for them afterwards.
        testsupport::SecretScan scan({});
        const auto started = std::chrono::steady_clock::now();
        installed = quimbo("InstallMySQL");
        std::cout << "InstallMySQL took "
                  << std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count()
                  << " s\n";
        installLeaks = scan.finish(machine->places.watched, passwords());
        installSawServer = scan.saw(runner::serverProgram());
    }
    static void TearDownTestSuite() { machine.reset(); }
    void SetUp() override {
        const std::string why =
            runner::leftOut(::testing::UnitTest::GetInstance()->current_test_info()->name());
        if (!why.empty()) GTEST_SKIP() << why;
    }
    void TearDown() override {
        EXPECT_TRUE(fs::is_empty(machine->places.temp)) << "temporary files left behind";
    }

    // A path in the installation, given with "/".
    static std::string at(std::string relative) {
        const std::string& separator = machine->services.conventions.separator;
        for (auto slash = relative.find('/'); slash != std::string::npos;
             slash = relative.find('/', slash + separator.size()))
            relative.replace(slash, 1, separator);
        return machine->places.install + separator + relative;
    }
    static std::string dump(const std::string& name) {
        return at("database/dumps/" + name.substr(0, name.find('%')) + today() +
                  name.substr(name.find('%') + 1) + ".dmp");
    }
    static void shipScripts(int upToBase) {
        for (const auto& script : fs::directory_iterator(runner::scriptsSource()))
            if (targetBase(script.path().filename().string()) <= upToBase)
                fs::copy_file(script, at("database/scripts/" + script.path().filename().string()),
                              fs::copy_options::overwrite_existing);
    }
    static void shipPatch16(const std::string& script) {
        shipScripts(15);
        writeFile(at("database/scripts/patch_16.mysql4.sql"), script);
    }
    static void removePatch16() { fs::remove(at("database/scripts/patch_16.mysql4.sql")); }

    static std::string serviceState(const std::string& name) {
        return Quimbo::GetServiceStatusText(machine->services.serviceManager, name);
    }
    static std::string state() { return serviceState(service); }
    // Starts or stops the MySQL service and waits, at most a minute, for it.
    static void control(bool start) {
        auto connection = machine->services.serviceManager.connect(svc::managerAllAccess);
        ASSERT_TRUE(connection.ok());
        auto handle = connection.value->open(service, svc::serviceAllAccess);
        ASSERT_TRUE(handle.ok()) << "no service " << service;
        if (start)
            handle.value->start();
        else
            handle.value->control(svc::controlStop);
        const std::string wanted = start ? serviceIsRunning : serviceIsStopped;
        for (int poll = 0; poll < 600 && state() != wanted; ++poll)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        EXPECT_EQ(state(), wanted);
    }
    static void stopServer() {
        if (state() == serviceIsRunning) control(false);
    }
    // Starts the server (unless a dependent started it) and waits until it
    // takes connections, instead of the flow's fixed 15 s. A server that a
    // failed flow has just stopped may still be going away, and a loaded
    // machine starts slowly: the start is repeated until it holds.
    static void startServer() {
        for (int attempt = 0; attempt < 600; ++attempt) {
            if (state() != serviceIsRunning) control(true);
            if (sql("select 1", "root", rootPassword())) return;
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        }
        ADD_FAILURE() << "the server did not take connections within two minutes";
    }

    static std::string config(const std::string& key) {
        const std::string text = "\n" + readFile(at("harvella.config"));
        const auto found = text.find("\n" + key + "=");
        if (found == std::string::npos) return "";
        const auto start = found + key.size() + 2;
        return text.substr(start, text.find('\r', start) - start);
    }
    static std::string ptc() { return at("MySQL/data/data.ptc"); }
    static std::string rootPassword() { return readFile(ptc()).substr(7, 8); }

    static std::string argumentLine(const std::string& word, const std::string& previousVersion,
                                    const std::string& serviceName = service) {
        return "1|" + machine->places.install + "|MySQL|harvella.config|" + runner::pageHandles() +
               "|" + word + "|" + runner::toolFields() + "|" + serviceName + "|" + previousVersion;
    }
    static std::string checkLine(const std::string& mode) {
        return "2|" + machine->places.install + "|MySQL|harvella.config|" + runner::nextHandle() +
               "|" + service + "|" + mode + "|21.0";
    }
    static PageRun quimbo(const std::string& word, const std::string& previousVersion = "",
                          const std::string& serviceName = service) {
        return runner::quimboOnPage(argumentLine(word, previousVersion, serviceName));
    }
    // The same with the installation's passwords, old and new, looked for on
    // every command line and environment and in every file others may read.
    static PageRun watched(const std::string& word, const std::string& previousVersion = "") {
        testsupport::SecretScan scan(passwords());
        const PageRun run = quimbo(word, previousVersion);
        EXPECT_EQ(scan.finish(machine->places.watched, passwords()), std::vector<std::string>{});
        return run;
    }
    // The passwords the installation holds; none once it is gone.
    static std::vector<std::string> passwords() {
        if (!fs::exists(ptc())) return {};
        return {rootPassword(), config("DBpassword")};
    }
    // The rows joined by "|"; nothing when the statement fails.
    static std::optional<std::string> sql(const std::string& statement, const std::string& user,
                                          const std::string& password) {
        const std::string url = config("DBurl");
        Quimbo::MySQLResultSet result =
            machine->client.sqlExec({at("MySQL"), "127.0.0.1", url.substr(url.rfind(':') + 1, 5),
                                     user, password, "harvella"},
                                    statement);
        if (result.hasErrors()) return std::nullopt;
        std::string rows;
        while (auto row = result.next())
            rows += (rows.empty() ? "" : "|") + *row;
        return rows;
    }
    static std::string asRoot(const std::string& statement) {
        return sql(statement, "root", rootPassword()).value_or("(failed)");
    }
    static std::string patches() {
        return asRoot("select group_concat(patch, '.', pack_version) from patch_history");
    }
    void expectSuccess(const PageRun& run) {
        EXPECT_EQ(run.exitCode, 0) << run.page;
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.logged("Setup completed successfully"), 1);
        EXPECT_NE(run.page.find("[page] progress 100%"), std::string::npos);
        EXPECT_EQ(state(), serviceIsStopped) << "the service is left stopped";
    }
    void expectFailure(const PageRun& run, int code, const std::string& out,
                       const std::string& line) {
        EXPECT_EQ(run.exitCode, runner::arrives(code)) << run.page;
        EXPECT_EQ(run.out, out);
        EXPECT_NE(run.page.find("[page] log: Failed to " + line), std::string::npos) << run.page;
        EXPECT_NE(run.page.find("[page] window 1 clicked"), std::string::npos);
    }
    // Which step the dead server fails depends on the moment: any of the
    // installer's failure numbers, with its red line and the wizard moved on.
    void expectKilledRunFailure(const PageRun& run, const std::string& verb) {
        bool known = false;
        for (int number = 2000; number <= 2019; ++number)
            known = known || run.exitCode == runner::arrives(number);
        EXPECT_TRUE(known) << "exit code " << run.exitCode << "\n" << run.page;
        expectFailure(run, run.exitCode, run.out,
                      verb + " database due to the following reason: ");
    }
    PageRun quimboKillingTheServerAt(const std::string& word, const std::string& previousVersion,
                                     const std::string& line) {
        // A last patch that waits keeps the run on the server until the kill has landed.
        shipPatch16("select sleep(100);\n");
        const PageRun run = runner::quimboKillingTheServerAt(
            machine->places, argumentLine(word, previousVersion), line);
        removePatch16();
        return run;
    }

    static std::unique_ptr<Machine> machine;
    static PageRun installed;
    static std::vector<std::string> installLeaks;
    static bool installSawServer;
};

std::unique_ptr<Machine> MySQLActions::machine;
PageRun MySQLActions::installed;
std::vector<std::string> MySQLActions::installLeaks;
bool MySQLActions::installSawServer = false;

TEST_F(MySQLActions, InstallMySQLSetsUpTheServerBothAccountsAndEveryPatchOnDisk) {
    expectSuccess(installed);
    EXPECT_TRUE(installSawServer) << "the scan saw none of the run's programs";
    EXPECT_EQ(installLeaks, std::vector<std::string>{});
    const std::string stored = readFile(ptc());
    EXPECT_EQ(stored.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"),
              26u);
    EXPECT_EQ(stored.substr(26), "\r\n");
    EXPECT_FALSE(testsupport::readableByOthers(ptc()));
    const std::string port = config("DBurl").substr(23, 5);
    EXPECT_EQ(config("DBurl"), "jdbc:mysql://127.0.0.1:" + port +
                                   "/harvella?useUnicode=yes&characterEncoding=UTF-8");
    EXPECT_EQ(
        readFile(at("MySQL/my-medium.ini")),
        "[mysqld]\r\nsql_mode=NO_ENGINE_SUBSTITUTION,STRICT_TRANS_TABLES\r\nport=" + port + "\r\n");
    EXPECT_EQ(config("DBdriver") + " " + config("DBuser"), "org.gjt.mm.mysql.Driver harvella");
    for (const char* line : {"Created database harvella", "Applied patch #4-5.0"})
        EXPECT_EQ(installed.logged(line), 1) << line;
    startServer();
    EXPECT_FALSE(sql("select 1", "root", "")) << "root without its password";
    EXPECT_EQ(sql("select current_user()", "harvella", config("DBpassword")), "harvella@localhost");
    EXPECT_EQ(patches(), "1.0,2.0,3.0,4.0,5.0,6.0,7.0,8.0,9.0,10.0");
    EXPECT_EQ(asRoot("select note from hv_user where login = 'guest'"),
              "first line;\\nsecond line");
    stopServer();
}

// Actions 6 and 2 as the installer asks them before it upgrades: the client's
// version, the server's health, and a root password that no longer opens it,
// asked for in the dialog (a wrong one first) and stored once accepted.
TEST_F(MySQLActions, TheChecksOfAnInstalledServerAnswerAllGoodAndAskForARejectedRootPassword) {
    const runner::Run version = runner::quimbo("6|" + machine->places.install);
    EXPECT_EQ(version.exitCode, 0) << version.out;
    EXPECT_EQ(version.out, "");

    startServer();
    const PageRun healthy = runner::quimboOnPage(checkLine("Default"));
    EXPECT_EQ(healthy.exitCode, 3) << healthy.page;
    EXPECT_NE(healthy.page.find("[page] window 1 clicked"), std::string::npos) << healthy.page;
    EXPECT_EQ(runner::quimboOnPage(checkLine("CheckRootUserPwd")).exitCode, 3)
        << "the stored password opens";

    const std::string root = rootPassword();
    writeFile(ptc(), padded("Wr0ngPwd"));
    const PageRun asked =
        runner::quimboAnsweringPasswords(checkLine("CheckRootUserPwd"), {"n0t it", root});
    EXPECT_EQ(asked.exitCode, 3) << asked.page;
    EXPECT_NE(asked.page.find("[page] window 1 clicked"), std::string::npos) << asked.page;
    std::string stored = readFile(ptc());
    EXPECT_EQ(stored.substr(7, root.size()), root) << stored;
    stored.erase(7, root.size());
    EXPECT_TRUE(std::all_of(stored.begin(), stored.end() - 2, ::isalpha) && stored.size() == 20 &&
                stored.substr(18) == "\r\n")
        << "7 letters, the password, 11 letters and CR LF: " << stored;
    stopServer();
}

TEST_F(MySQLActions, ReinstallHarvellaDBDropsTheDatabaseAndGrantsANewPasswordWhenTheOldFails) {
    startServer();
    asRoot("insert into hv_user (login) values ('marker')");
    // Put into the check's SQL as it stands, this password would pass the check.
    const std::string hostile = "x') or ('1'='1";
    writeFile(at("harvella.config"),
              "DBurl=" + config("DBurl") + "\r\nDBpassword=" + hostile + "\r\n");
    const PageRun run = watched("ReinstallHarvellaDB");
    expectSuccess(run);
    EXPECT_EQ(run.logged("Removing Harvella database"), 1);
    EXPECT_NE(config("DBpassword"), hostile);
    startServer();
    EXPECT_TRUE(sql("select 1", "harvella", config("DBpassword")));
    EXPECT_EQ(asRoot("select count(*) from hv_user where login = 'marker'"), "0");
    stopServer();
}

TEST_F(MySQLActions, AnUpgradeWithDumpKeepsTheDataAndTakesTheOlderPatchesOfItsEdition) {
    shipScripts(15);
    startServer();
    asRoot(
        "insert into hv_user (login) values ('marker');"
        "insert into feature_patch_history values ('RA'), ('TTC'), ('LTT'), ('RA')");
    const PageRun run = watched("ReinstallHarvellaDBWithDump", "5.2");
    expectSuccess(run);
    EXPECT_NE(readFile(dump("harvella-5.2-%-01")).find("'marker'"), std::string::npos);
    EXPECT_EQ(run.logged("Applied patch #10-11.2") + run.logged("Applied patch #13-14.2"), 2);
    EXPECT_EQ(run.logged("Removing Harvella database"), 0);
    startServer();
    EXPECT_EQ(patches(), "1.0,2.0,3.0,4.0,5.0,6.0,7.0,8.0,9.0,10.0,11.2,12.0,13.0,14.2,15.0");
    EXPECT_EQ(asRoot("select count(*) from hv_user where login = 'marker'"), "1");
    // A database at base 14 that lost its invoice terms, for the repair.
    asRoot("drop table invoice_terms");
    stopServer();
}

TEST_F(MySQLActions, RepairKeepRestoresTheInvoiceTermsOfBase14AndTouchesNothingElse) {
    startServer();
    const PageRun run = watched("WithDumpReinstallHarvellaDBRepairKeep");
    expectSuccess(run);
    EXPECT_TRUE(fs::exists(dump("harvella-%-01")));
    EXPECT_EQ(run.logged("Applied fix14 patch"), 1);
    EXPECT_EQ(run.page.find("Applied patch"), std::string::npos);
    startServer();
    EXPECT_EQ(asRoot("select count(*) from invoice_terms"), "0");
    EXPECT_EQ(asRoot("select count(*) from hv_user where login = 'marker'"), "1");
    stopServer();
}

TEST_F(MySQLActions, AFailingPatchEndsWith2010AndHandsOverTheDumpTakenBeforeIt) {
    shipPatch16("create tabel broken (id int);\n");
    startServer();
    const PageRun run = watched("ReinstallHarvellaDBWithDump", "5.2");
    removePatch16();
    expectFailure(run, 2010, dump("harvella-5.2-%-02"),
                  "update database due to the following reason: Failed to Failed to apply patch "
                  "#16:\nError: ");
    EXPECT_NE(run.page.find("ERROR 1064 (42000) at line 1:"), std::string::npos);
    EXPECT_NE(run.page.find(".Error: The operation failed.\n"), std::string::npos);
    EXPECT_EQ(run.logged(recovery), 0);
    EXPECT_EQ(state(), serviceIsStopped);
}

TEST_F(MySQLActions, ScriptsFailingOnConstraintsLeftBehindAreRetriedOnceThenReported) {
    shipPatch16(
        "create table a16 (id int primary key) engine=InnoDB;\n"
        "create table b16 (id int, constraint fk16 foreign key (id) references a16 (id));\n"
        "create table c16 (id int, constraint fk16 foreign key (id) references a16 (id));\n");
    startServer();
    const PageRun run = watched("ReinstallHarvellaDB");
    removePatch16();
    expectFailure(run, 2010, "The operation failed.", "update database");
    EXPECT_NE(run.page.find("ERROR 1005 (HY000) at line 3:"), std::string::npos);
    EXPECT_EQ(run.logged(recovery), 1);
    EXPECT_EQ(run.logged("Removing Harvella database"), 2);
    EXPECT_EQ(state(), serviceIsStopped);
}

TEST_F(MySQLActions, ADumpThatDoesNotFitEndsWith2019WithTheBytesItNeeds) {
    const std::string dumps = at("database/dumps");
    if (!runner::mountSmallVolume(dumps))
        GTEST_SKIP() << "a small volume for the dumps needs the right to mount one";
    startServer();
    const PageRun versioned = watched("ReinstallHarvellaDBWithDump", "5.2");
    startServer();
    const PageRun repaired = watched("ReinstallHarvellaDBWithDumpRepairKeep", "5.2");
    runner::unmountSmallVolume(dumps);
    EXPECT_GT(std::atol(versioned.out.c_str()), 8192) << versioned.out;
    expectFailure(versioned, 2019, versioned.out,
                  "update database due to the following reason: Failed to Dump database "
                  "harvella.Error: Not enough space for dumping harvella");
    expectFailure(repaired, 2019, "Not enough space for dumping harvella", "update database");
}

TEST_F(MySQLActions, AStopRefusedForARunningDependentEndsWith2006WithoutASecondAttempt) {
    runner::startDependentService(machine->places, service);
    EXPECT_EQ(state(), serviceIsRunning) << "the dependent started it first";
    startServer();
    const PageRun run = watched("ReinstallHarvellaDB");
    expectFailure(run, 2006, run.out,
                  "update database due to the following reason: Failed to stop MySQL "
                  "Service.Error: ");
    EXPECT_NE(run.out.find("1051"), std::string::npos) << run.out;
    EXPECT_EQ(state(), serviceIsRunning) << "stopped by a second attempt";
    runner::removeDependentService(machine->places);
    EXPECT_EQ(state(), serviceIsStopped) << "stopped after its dependent";
}

// The launcher's "Harvella" registered on the MySQL service runs beside it
// with the product's database and goes again.
TEST_F(MySQLActions, TheLauncherInstalledOnTheMySQLServiceStartsAndStopsBesideIt) {
    startServer();
    runner::startDependentService(machine->places, service);
    EXPECT_EQ(serviceState("Harvella"), serviceIsRunning);
    EXPECT_TRUE(sql("select 1", "harvella", config("DBpassword"))) << "the server beside it";
    runner::removeDependentService(machine->places);
    EXPECT_EQ(serviceState("Harvella"), serviceNotFound);
    EXPECT_EQ(state(), serviceIsStopped);
}

TEST_F(MySQLActions, AStartThatFailsEndsWith2005Or2017BeforeADump) {
    const PageRun plain = quimbo("ReinstallHarvellaDB", "", "HvMissing");
    const PageRun withDump = quimbo("ReinstallHarvellaDBWithDump", "5.2", "HvMissing");
    const std::string error = runner::serviceStartRefusal("HvMissing");
    expectFailure(plain, 2005, plain.out,
                  "update database due to the following reason: Failed to start MySQL "
                  "Service.Error: " +
                      error);
    EXPECT_EQ(plain.out.rfind(error, 0), 0u) << plain.out;
    expectFailure(withDump, 2017, plain.out, "update database");
}

TEST_F(MySQLActions, ReinstallMySQLWithDumpSavesEveryDatabaseAndInstallsAfresh) {
    const std::string oldRoot = rootPassword();
    startServer();
    const PageRun run = watched("ReinstallMySQLWithDump");
    expectSuccess(run);
    // The repair dumped the product database first today.
    for (const char* name : {"harvella-%-02", "performance_schema-%-01", "sys-%-01"})
        EXPECT_TRUE(fs::exists(dump(name))) << name;
    EXPECT_FALSE(fs::exists(dump("mysql-%-01")));
    EXPECT_NE(rootPassword(), oldRoot);
    EXPECT_EQ(run.logged("Removing MySQL folder") + run.logged("Applied patch #15"), 2);
}

// The server dies half-way through the database's update: the run ends by
// itself with the failure and hands over the dump taken before, which holds
// the data; the next run brings the schema back to the current version.
TEST_F(MySQLActions, AServerKilledDuringThePatchesFailsTheRunAndTheNextRunCompletesIt) {
    startServer();
    asRoot("insert into hv_user (login) values ('marker')");
    const std::string before = patches();
    stopServer();
    const PageRun killed =
        quimboKillingTheServerAt("ReinstallHarvellaDBWithDump", "5.2", "Updating Database");
    expectKilledRunFailure(killed, "update");
    EXPECT_NE(readFile(killed.out).find("'marker'"), std::string::npos)
        << "the output names the dump, which holds the data: " << killed.out;

    expectSuccess(watched("ReinstallHarvellaDB"));
    startServer();
    EXPECT_EQ(patches(), before);
    stopServer();
}

TEST_F(MySQLActions, UninstallRemovesServiceAndFolderAndReportsNothing) {
    const PageRun run = watched("Uninstall");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.logged("Setup completed successfully"), 0);
    EXPECT_EQ(run.page.find("[page] progress"), std::string::npos);
    EXPECT_EQ(state(), serviceNotFound);
    EXPECT_FALSE(fs::exists(at("MySQL")));
}

// The server dies while the install creates the database: the run ends by
// itself with the failure, and an uninstall then removes what it left.
TEST_F(MySQLActions, AServerKilledDuringTheInstallFailsTheRunAndAnUninstallClearsIt) {
    const PageRun killed = quimboKillingTheServerAt("InstallMySQL", "", "Creating Database");
    expectKilledRunFailure(killed, "create");

    const PageRun removed = watched("Uninstall");
    EXPECT_EQ(removed.exitCode, 0) << removed.page;
    EXPECT_EQ(state(), serviceNotFound);
    EXPECT_FALSE(fs::exists(at("MySQL")));
}

TEST_F(MySQLActions, AnUnknownWordIsASuccessThatDoesNothing) {
    const PageRun run = quimbo("reinstallmysql");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.page.find("action: "), run.page.find("action: Setup completed successfully"));
    EXPECT_FALSE(fs::exists(at("MySQL")));
}

}  // namespace
