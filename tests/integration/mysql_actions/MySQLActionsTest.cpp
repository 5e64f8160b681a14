// Action 1 of build/bin/Quimbo as the installer runs it, on one stand-in
// machine installed once: the action words in the order an installation
// lives them and each failure the installer must be told about, on the test
// MySQL package and the product database fixture. The tests run in this
// order in one process; each leaves the product installed and stopped.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <memory>
#include <optional>
#include <thread>

#include "mysql/MySQLManager.h"
#include "support/SecretScan.h"
#include "support/TestSupport.h"

namespace {

namespace fs = std::filesystem;
using testsupport::readFile;
using testsupport::writeFile;

const char* const recovery =
    "Harvella database files were manually removed. Trying to recover error.";

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

struct PageRun {
    int exitCode;  // its low byte, as Linux keeps it
    std::string out, page;
    // How often the line went to the page's log.
    long logged(const std::string& line) const {
        long count = 0;
        for (auto at = page.find("log: " + line + "\n"); at != std::string::npos;
             at = page.find("log: " + line + "\n", at + 1))
            ++count;
        return count;
    }
};

struct Machine {
    testsupport::TempFolder root;
    std::string install = root / "Harvella Server";
    char name[8] = "quimbo";
    char* argv[2] = {name, nullptr};
    std::unique_ptr<platform::SystemServices> system = platform::makeSystemServices(1, argv);
    platform::Services& services = system->services();
    Quimbo::FileSystemObject fso{services.files, services.random, services.conventions};
    Quimbo::MySQLManager client{services};
};

class MySQLActions : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        machine = std::make_unique<Machine>();
        fs::permissions(machine->root.path(), fs::perms(0755));
        for (const char* folder : {"system", "temp", "Harvella Server/database/scripts"})
            testsupport::makeFolders(machine->root / folder);
        shipScripts(10);
        writeFile(install() + "/harvella.config", "IPaddress=127.0.0.1\r\n");
        ::setenv("PATH", (testsupport::binDir() + ":" + std::getenv("PATH")).c_str(), 1);
        ::setenv("HARVELLA_SYSTEM_ROOT", (machine->root / "system").c_str(), 1);
        ::setenv("TMPDIR", (machine->root / "temp").c_str(), 1);
        machine->client.Initialize(machine->fso);
        // Both passwords are made inside the run: everything the scan saw is
        // searched for them afterwards.
        testsupport::SecretScan scan({});
        installed = quimbo("InstallMySQL");
        installLeaks = scan.finish({machine->root.path()}, passwords());
        installSawServer = scan.saw("mariadbd");
    }
    static void TearDownTestSuite() {
        for (const char* command : {"stop Harvella", "delete Harvella", "stop HvMySQL"})
            sc(command);
        machine.reset();
    }
    void TearDown() override {
        EXPECT_TRUE(fs::is_empty(machine->root / "temp")) << "temporary files left behind";
    }

    static std::string install() { return machine->install; }
    static std::string scripts() { return install() + "/database/scripts"; }
    static std::string dump(const std::string& name) {
        return install() + "/database/dumps/" + name.substr(0, name.find('%')) + today() +
               name.substr(name.find('%') + 1) + ".dmp";
    }
    static void shipScripts(int upToBase) {
        for (const auto& script : fs::directory_iterator(MYSQL_SCRIPTS_DIR))
            if (targetBase(script.path().filename()) <= upToBase)
                fs::copy_file(script, scripts() + "/" + script.path().filename().string(),
                              fs::copy_options::overwrite_existing);
    }
    static void shipPatch16(const std::string& script) {
        shipScripts(15);
        writeFile(scripts() + "/patch_16.mysql4.sql", script);
    }
    static testsupport::ProgramRun sc(const std::string& arguments) {
        return testsupport::runProgram(testsupport::binDir() + "/harvella-sc " + arguments);
    }
    static std::string state() {
        const std::string out = sc("query HvMySQL").out;
        for (const char* known : {"RUNNING", "STOPPED"})
            if (out.find(known) != std::string::npos) return known;
        return "NOT FOUND";
    }
    static std::string config(const std::string& key) {
        const std::string text = "\n" + readFile(install() + "/harvella.config");
        const auto at = text.find("\n" + key + "=") + key.size() + 2;
        return text.substr(at, text.find('\r', at) - at);
    }
    static std::string rootPassword() {
        return readFile(install() + "/MySQL/data/data.ptc").substr(7, 8);
    }
    // Action 1's argument line, with the six page controls shown on the terminal page.
    static std::string argumentLine(const std::string& word, const std::string& previousVersion,
                                    const std::string& service = "HvMySQL") {
        const std::string bin = testsupport::binDir();
        return "1|" + install() + "|MySQL|harvella.config|1|2|3|4|5|6|" + word + "|" + bin +
               "/porttool|/usr/bin/unzip|" MYSQL_PACKAGE_ZIP "|" MYSQL_PACKAGE_FOLDER_NAME "|" +
               service + "|" + previousVersion;
    }
    static PageRun pageRun(int exitCode, const std::string& out, std::string page) {
        page.erase(std::remove(page.begin(), page.end(), '\r'), page.end());
        return PageRun{exitCode & 0xFF, out, page};
    }
    static PageRun quimbo(const std::string& word, const std::string& previousVersion = "",
                          const std::string& service = "HvMySQL") {
        const auto run =
            testsupport::runProgram("\"" + testsupport::binDir() + "/Quimbo\" \"" +
                                    argumentLine(word, previousVersion, service) + "\"");
        return pageRun(run.exitCode, run.out, run.err);
    }
    // The same, with the MySQL server killed as soon as the page has shown
    // `line`; the run must then end by itself within two minutes. A last patch
    // that waits keeps the run on the server until the kill has landed.
    static PageRun quimboKillingTheServerAt(const std::string& word,
                                            const std::string& previousVersion,
                                            const std::string& line) {
        shipPatch16("select sleep(100);\n");
        const std::string out = machine->root / "killed.out", page = machine->root / "killed.page";
        const std::string program = testsupport::binDir() + "/Quimbo";
        const std::string arguments = argumentLine(word, previousVersion);
        const pid_t run = ::fork();
        if (run == 0) {
            ::freopen(out.c_str(), "w", stdout);
            ::freopen(page.c_str(), "w", stderr);
            ::execl(program.c_str(), program.c_str(), arguments.c_str(), nullptr);
            ::_exit(127);
        }
        int status = 0;
        bool killed = false;
        for (int poll = 0; poll < 1200 && ::waitpid(run, &status, WNOHANG) == 0; ++poll) {
            if (!killed && readFile(page).find("[page] log: " + line + "\n") != std::string::npos)
                killed = killServer();
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        if (::waitpid(run, &status, WNOHANG) == 0) {
            ::kill(run, SIGKILL);
            ::waitpid(run, &status, 0);
            ADD_FAILURE() << "the run did not end after its server was killed";
        }
        EXPECT_TRUE(killed) << "the page never showed \"" << line << "\"";
        fs::remove(scripts() + "/patch_16.mysql4.sql");
        return pageRun(WIFEXITED(status) ? WEXITSTATUS(status) : -1, readFile(out), readFile(page));
    }
    // Kills the server of this machine's installation; false when none runs.
    static bool killServer() {
        std::error_code ignored;
        for (fs::directory_iterator entry("/proc", ignored), end; entry != end;
             entry.increment(ignored)) {
            const std::string commandLine = readFile(entry->path().string() + "/cmdline");
            if (commandLine.find("mariadbd") != std::string::npos &&
                commandLine.find(install() + "/MySQL/data") != std::string::npos)
                return ::kill(std::stoi(entry->path().filename().string()), SIGKILL) == 0;
        }
        return false;
    }
    // The same with the installation's passwords, old and new, looked for on
    // every command line and environment and in every file others may read.
    static PageRun watched(const std::string& word, const std::string& previousVersion = "") {
        testsupport::SecretScan scan(passwords());
        const PageRun run = quimbo(word, previousVersion);
        EXPECT_EQ(scan.finish({machine->root.path()}, passwords()), std::vector<std::string>{});
        return run;
    }
    // The passwords the installation holds; none once it is gone.
    static std::vector<std::string> passwords() {
        if (!fs::exists(install() + "/MySQL/data/data.ptc")) return {};
        return {rootPassword(), config("DBpassword")};
    }
    // Starts the server (unless a dependent started it) and waits until it
    // takes connections, instead of the flow's fixed 15 s. A server that a
    // failed flow has just stopped may still be going away, and a loaded
    // machine starts slowly: the start is repeated until it holds.
    static void startServer() {
        for (int attempt = 0; attempt < 600; ++attempt) {
            if (state() != "RUNNING") sc("start HvMySQL");
            if (sql("select 1", "root", rootPassword())) return;
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        }
        ADD_FAILURE() << "the server did not take connections within two minutes";
    }
    // The rows joined by "|"; nothing when the statement fails.
    static std::optional<std::string> sql(const std::string& statement, const std::string& user,
                                          const std::string& password) {
        const std::string url = config("DBurl");
        Quimbo::MySQLResultSet result =
            machine->client.sqlExec({install() + "/MySQL", "127.0.0.1",
                                     url.substr(url.rfind(':') + 1, 5), user, password, "harvella"},
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
        EXPECT_EQ(state(), "STOPPED") << "the service is left stopped";
    }
    void expectFailure(const PageRun& run, int code, const std::string& out,
                       const std::string& line) {
        EXPECT_EQ(run.exitCode, code & 0xFF) << run.page;
        EXPECT_EQ(run.out, out);
        EXPECT_NE(run.page.find("[page] log: Failed to " + line), std::string::npos) << run.page;
        EXPECT_NE(run.page.find("[page] window 1 clicked"), std::string::npos);
    }

    // Which step the dead server fails depends on the moment: any of the
    // installer's failure numbers, with its red line and the wizard moved on.
    void expectKilledRunFailure(const PageRun& run, const std::string& verb) {
        bool known = false;
        for (int number = 2000; number <= 2019; ++number)
            known = known || run.exitCode == (number & 0xFF);
        EXPECT_TRUE(known) << "exit code " << run.exitCode << "\n" << run.page;
        expectFailure(run, run.exitCode, run.out,
                      verb + " database due to the following reason: ");
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
    const std::string stored = readFile(install() + "/MySQL/data/data.ptc");
    EXPECT_EQ(stored.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"),
              26u);
    EXPECT_EQ(stored.substr(26), "\r\n");
    EXPECT_EQ(testsupport::fileMode(install() + "/MySQL/data/data.ptc"), 0600u);
    const std::string port = config("DBurl").substr(23, 5);
    EXPECT_EQ(config("DBurl"), "jdbc:mysql://127.0.0.1:" + port +
                                   "/harvella?useUnicode=yes&characterEncoding=UTF-8");
    EXPECT_EQ(
        readFile(install() + "/MySQL/my-medium.ini"),
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
    sc("stop HvMySQL");
}

TEST_F(MySQLActions, ReinstallHarvellaDBDropsTheDatabaseAndGrantsANewPasswordWhenTheOldFails) {
    startServer();
    asRoot("insert into hv_user (login) values ('marker')");
    // Put into the check's SQL as it stands, this password would pass the check.
    const std::string hostile = "x') or ('1'='1";
    writeFile(install() + "/harvella.config",
              "DBurl=" + config("DBurl") + "\r\nDBpassword=" + hostile + "\r\n");
    const PageRun run = watched("ReinstallHarvellaDB");
    expectSuccess(run);
    EXPECT_EQ(run.logged("Removing Harvella database"), 1);
    EXPECT_NE(config("DBpassword"), hostile);
    startServer();
    EXPECT_TRUE(sql("select 1", "harvella", config("DBpassword")));
    EXPECT_EQ(asRoot("select count(*) from hv_user where login = 'marker'"), "0");
    sc("stop HvMySQL");
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
    sc("stop HvMySQL");
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
    sc("stop HvMySQL");
}

TEST_F(MySQLActions, AFailingPatchEndsWith2010AndHandsOverTheDumpTakenBeforeIt) {
    shipPatch16("create tabel broken (id int);\n");
    startServer();
    const PageRun run = watched("ReinstallHarvellaDBWithDump", "5.2");
    fs::remove(scripts() + "/patch_16.mysql4.sql");
    expectFailure(run, 2010, dump("harvella-5.2-%-02"),
                  "update database due to the following reason: Failed to Failed to apply patch "
                  "#16:\nError: ");
    EXPECT_NE(run.page.find("ERROR 1064 (42000) at line 1:"), std::string::npos);
    EXPECT_NE(run.page.find(".Error: The operation failed.\n"), std::string::npos);
    EXPECT_EQ(run.logged(recovery), 0);
    EXPECT_EQ(state(), "STOPPED");
}

TEST_F(MySQLActions, ScriptsFailingOnConstraintsLeftBehindAreRetriedOnceThenReported) {
    shipPatch16(
        "create table a16 (id int primary key) engine=InnoDB;\n"
        "create table b16 (id int, constraint fk16 foreign key (id) references a16 (id));\n"
        "create table c16 (id int, constraint fk16 foreign key (id) references a16 (id));\n");
    startServer();
    const PageRun run = watched("ReinstallHarvellaDB");
    fs::remove(scripts() + "/patch_16.mysql4.sql");
    expectFailure(run, 2010, "The operation failed.", "update database");
    EXPECT_NE(run.page.find("ERROR 1005 (HY000) at line 3:"), std::string::npos);
    EXPECT_EQ(run.logged(recovery), 1);
    EXPECT_EQ(run.logged("Removing Harvella database"), 2);
    EXPECT_EQ(state(), "STOPPED");
}

TEST_F(MySQLActions, ADumpThatDoesNotFitEndsWith2019WithTheBytesItNeeds) {
    const std::string dumps = install() + "/database/dumps";
    if (::mount("tmpfs", dumps.c_str(), "tmpfs", 0, "size=8k") != 0)
        GTEST_SKIP() << "a small volume for the dumps needs the right to mount one";
    startServer();
    const PageRun versioned = watched("ReinstallHarvellaDBWithDump", "5.2");
    startServer();
    const PageRun repaired = watched("ReinstallHarvellaDBWithDumpRepairKeep", "5.2");
    ::umount(dumps.c_str());
    EXPECT_GT(std::atol(versioned.out.c_str()), 8192) << versioned.out;
    expectFailure(versioned, 2019, versioned.out,
                  "update database due to the following reason: Failed to Dump database "
                  "harvella.Error: Not enough space for dumping harvella");
    expectFailure(repaired, 2019, "Not enough space for dumping harvella", "update database");
}

TEST_F(MySQLActions, AStopRefusedForARunningDependentEndsWith2006WithoutASecondAttempt) {
    sc("create Harvella binPath= \"/bin/sleep 600\" depend= HvMySQL type= daemon");
    ASSERT_EQ(sc("start Harvella").exitCode, 0);
    startServer();
    const PageRun run = watched("ReinstallHarvellaDB");
    expectFailure(run, 2006, run.out,
                  "update database due to the following reason: Failed to stop MySQL "
                  "Service.Error: ");
    EXPECT_NE(run.out.find("1051"), std::string::npos) << run.out;
    EXPECT_EQ(state(), "RUNNING") << "stopped by a second attempt";
    for (const char* command : {"stop Harvella", "delete Harvella", "stop HvMySQL"})
        sc(command);
}

TEST_F(MySQLActions, AStartThatFailsEndsWith2005Or2017BeforeADump) {
    const PageRun plain = quimbo("ReinstallHarvellaDB", "", "HvMissing");
    const PageRun withDump = quimbo("ReinstallHarvellaDBWithDump", "5.2", "HvMissing");
    const std::string error = "The HvMissing service could not be started.";
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
    sc("stop HvMySQL");
    const PageRun killed =
        quimboKillingTheServerAt("ReinstallHarvellaDBWithDump", "5.2", "Updating Database");
    expectKilledRunFailure(killed, "update");
    EXPECT_NE(readFile(killed.out).find("'marker'"), std::string::npos)
        << "the output names the dump, which holds the data: " << killed.out;

    expectSuccess(watched("ReinstallHarvellaDB"));
    startServer();
    EXPECT_EQ(patches(), before);
    sc("stop HvMySQL");
}

TEST_F(MySQLActions, UninstallRemovesServiceAndFolderAndReportsNothing) {
    const PageRun run = watched("Uninstall");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.logged("Setup completed successfully"), 0);
    EXPECT_EQ(run.page.find("[page] progress"), std::string::npos);
    EXPECT_EQ(state(), "NOT FOUND");
    EXPECT_FALSE(fs::exists(install() + "/MySQL"));
}

// The server dies while the install creates the database: the run ends by
// itself with the failure, and an uninstall then removes what it left.
TEST_F(MySQLActions, AServerKilledDuringTheInstallFailsTheRunAndAnUninstallClearsIt) {
    const PageRun killed = quimboKillingTheServerAt("InstallMySQL", "", "Creating Database");
    expectKilledRunFailure(killed, "create");

    const PageRun removed = watched("Uninstall");
    EXPECT_EQ(removed.exitCode, 0) << removed.page;
    EXPECT_EQ(state(), "NOT FOUND");
    EXPECT_FALSE(fs::exists(install() + "/MySQL"));
}

TEST_F(MySQLActions, AnUnknownWordIsASuccessThatDoesNothing) {
    const PageRun run = quimbo("reinstallmysql");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.page.find("action: "), run.page.find("action: Setup completed successfully"));
    EXPECT_FALSE(fs::exists(install() + "/MySQL"));
}

}  // namespace
