// Action 1 of build/bin/Quimbo as the installer runs it, on one stand-in
// machine installed once: every action word in the order an installation
// lives them, and each failure the installer must be told about, on the
// test MySQL package and the product database fixture. The tests run in
// order in one process and each leaves the product installed and stopped.
#include <gtest/gtest.h>
#include <sys/mount.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <memory>
#include <thread>

#include "frame/FileSystemObject.h"
#include "mysql/MySQLManager.h"
#include "support/CommandLineWatch.h"
#include "support/TestSupport.h"

namespace {

namespace fs = std::filesystem;
using testsupport::readFile;
using testsupport::writeFile;

const std::string service = "HvMySQL";

// Linux keeps the low byte of an exit code.
int low(int code) {
    return code & 0xFF;
}

std::string today() {
    char date[16];
    const std::time_t now = std::time(nullptr);
    std::strftime(date, sizeof date, "%Y-%m-%d", std::localtime(&now));
    return date;
}

// The patch a fixture script brings the schema to: 11 for patch_10-11.2.
int targetBase(const std::string& name) {
    const auto number = name.find_first_of("0123456789", name.find('-') + 1);
    return name.rfind("patch_", 0) == 0 ? std::stoi(name.substr(number)) : 0;
}

struct PageRun {
    int exitCode;
    std::string out, page;
    // The page lines of one kind ("action", "log"), in order.
    std::vector<std::string> lines(const std::string& kind) const {
        std::vector<std::string> found;
        const std::string prefix = "[page] " + kind + ": ";
        for (auto at = page.find(prefix); at != std::string::npos; at = page.find(prefix, at + 1))
            found.push_back(
                page.substr(at + prefix.size(), page.find("\n[page]", at) - at - prefix.size()));
        if (!found.empty() && !found.back().empty() && found.back().back() == '\n')
            found.back().pop_back();
        return found;
    }
    bool shows(const std::string& line) const {
        for (const auto& kind : {"action", "log"})
            for (const auto& shown : lines(kind))
                if (shown == line) return true;
        return false;
    }
};

class MySQLActions : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        machine = std::make_unique<testsupport::TempFolder>();
        fs::permissions(machine->path(), fs::perms(0755));
        for (const char* folder : {"system", "temp", "Harvella Server/database/scripts"})
            testsupport::makeFolders(*machine / folder);
        shipScripts(10);
        writeFile(install() + "/harvella.config", "IPaddress=127.0.0.1\r\nHTTPPort=8080\r\n");
        ::setenv("PATH", (testsupport::binDir() + ":" + std::getenv("PATH")).c_str(), 1);
        ::setenv("HARVELLA_SYSTEM_ROOT", (*machine / "system").c_str(), 1);
        ::setenv("TMPDIR", (*machine / "temp").c_str(), 1);
        char name[] = "mysql_actions_integration_tests";
        char* argv[] = {name, nullptr};
        system = platform::makeSystemServices(1, argv);
        platform::Services& services = system->services();
        fso = std::make_unique<Quimbo::FileSystemObject>(services.files, services.random,
                                                         services.conventions);
        client = std::make_unique<Quimbo::MySQLManager>(services);
        client->Initialize(*fso);
        // The root password is made inside the run: every command line that
        // names the machine is kept and searched for it afterwards.
        testsupport::CommandLineWatch recorder({machine->path()}, "mariadbd");
        installed = std::make_unique<PageRun>(quimbo("InstallMySQL"));
        installCommandLines = recorder.stop();
    }
    static void TearDownTestSuite() {
        sc("stop Harvella");
        sc("delete Harvella");
        sc("stop " + service);
        sc("delete " + service);
        client.reset();
        fso.reset();
        system.reset();
        machine.reset();
    }
    void TearDown() override {
        EXPECT_TRUE(fs::is_empty(*machine / "temp")) << "temporary files left behind";
    }

    static std::string install() { return *machine / "Harvella Server"; }
    static std::string scripts() { return install() + "/database/scripts"; }
    static std::string dumps() { return install() + "/database/dumps"; }
    static void shipScripts(int upToBase) {
        for (const auto& script : fs::directory_iterator(MYSQL_SCRIPTS_DIR))
            if (targetBase(script.path().filename()) <= upToBase)
                fs::copy_file(script, scripts() + "/" + script.path().filename().string(),
                              fs::copy_options::overwrite_existing);
    }
    // The fixture's patches and a 16th of the test's own.
    static void shipPatch16(const std::string& script) {
        shipScripts(15);
        writeFile(scripts() + "/patch_16.mysql4.sql", script);
    }
    static testsupport::ProgramRun sc(const std::string& arguments) {
        return testsupport::runProgram(testsupport::binDir() + "/harvella-sc " + arguments);
    }
    static std::string state(const std::string& name = service) {
        const std::string out = sc("query " + name).out;
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
    // Action 1 with the six page controls shown on the terminal page.
    static PageRun quimbo(const std::string& word, const std::string& previousVersion = "",
                          const std::string& serviceName = service) {
        const std::string bin = testsupport::binDir();
        const auto run = testsupport::runProgram(
            "\"" + bin + "/Quimbo\" \"1|" + install() + "|MySQL|harvella.config|1|2|3|4|5|6|" +
            word + "|" + bin + "/porttool|/usr/bin/unzip|" MYSQL_PACKAGE_ZIP "|" +
            MYSQL_PACKAGE_FOLDER_NAME "|" + serviceName + "|" + previousVersion + "\"");
        std::string page = run.err;
        page.erase(std::remove(page.begin(), page.end(), '\r'), page.end());
        return PageRun{run.exitCode, run.out, page};
    }
    // The flow under test with the secrets of the installation watched; the
    // page is left at 100 on success.
    static PageRun watched(const std::string& word, const std::string& previousVersion = "") {
        testsupport::CommandLineWatch watch({rootPassword(), config("DBpassword"), "--password"},
                                            "mariadbd");
        PageRun run = quimbo(word, previousVersion);
        const auto leaks = watch.stop();
        EXPECT_TRUE(leaks.empty()) << "a secret on a command line: " << leaks.front();
        return run;
    }
    // Starts the server (unless a dependent started it) and waits until it
    // takes connections, instead of the flow's fixed 15 s.
    static void startServer() {
        sc("start " + service);
        for (int attempt = 0; attempt < 150 && !sql("select 1", "root", rootPassword()).ok;
             ++attempt)
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    struct Rows {
        bool ok;
        std::string text;  // rows joined by "|"
    };
    static Rows sql(const std::string& statement, const std::string& user,
                    const std::string& password) {
        Quimbo::MySQLResultSet result = client->sqlExec(
            Quimbo::MySQLConnection{install() + "/MySQL", "127.0.0.1", std::to_string(port()), user,
                                    password, "harvella"},
            statement);
        Rows rows{!result.hasErrors(), result.error()};
        while (auto row = result.next())
            rows.text += (rows.text.empty() ? "" : "|") + *row;
        return rows;
    }
    static std::string asRoot(const std::string& statement) {
        const Rows rows = sql(statement, "root", rootPassword());
        EXPECT_TRUE(rows.ok) << statement << ": " << rows.text;
        return rows.text;
    }
    static int port() {
        const std::string url = config("DBurl");
        return std::stoi(url.substr(url.rfind(':') + 1));
    }
    static std::string patches() {
        return asRoot(
            "select group_concat(patch, '.', pack_version order by patch) from patch_history");
    }
    void expectSuccess(const PageRun& run) {
        EXPECT_EQ(run.exitCode, 0) << run.page;
        EXPECT_EQ(run.out, "");
        EXPECT_TRUE(run.shows("Setup completed successfully"));
        EXPECT_NE(run.page.find("[page] progress 100%"), std::string::npos);
        EXPECT_EQ(state(), "STOPPED") << "the service is left stopped";
    }
    void expectFailure(const PageRun& run, int code, const std::string& out,
                       const std::string& line) {
        EXPECT_EQ(run.exitCode, low(code)) << run.page;
        EXPECT_EQ(run.out, out);
        EXPECT_NE(run.page.find("[page] log: " + line), std::string::npos) << run.page;
        EXPECT_NE(run.page.find("[page] window 1 clicked"), std::string::npos);
    }

    static std::unique_ptr<testsupport::TempFolder> machine;
    static std::unique_ptr<platform::SystemServices> system;
    static std::unique_ptr<Quimbo::FileSystemObject> fso;
    static std::unique_ptr<Quimbo::MySQLManager> client;
    static std::unique_ptr<PageRun> installed;
    static std::vector<std::string> installCommandLines;
};

std::unique_ptr<testsupport::TempFolder> MySQLActions::machine;
std::unique_ptr<platform::SystemServices> MySQLActions::system;
std::unique_ptr<Quimbo::FileSystemObject> MySQLActions::fso;
std::unique_ptr<Quimbo::MySQLManager> MySQLActions::client;
std::unique_ptr<PageRun> MySQLActions::installed;
std::vector<std::string> MySQLActions::installCommandLines;

TEST_F(MySQLActions, InstallMySQLSetsUpTheServerBothAccountsAndEveryPatchOnDisk) {
    expectSuccess(*installed);
    EXPECT_FALSE(installCommandLines.empty()) << "the watch saw none of the run's programs";
    for (const std::string& commandLine : installCommandLines)
        ASSERT_EQ(commandLine.find(rootPassword()), std::string::npos) << commandLine;
    const std::string stored = readFile(install() + "/MySQL/data/data.ptc");
    EXPECT_EQ(stored.size(), 28u);
    EXPECT_EQ(stored.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"),
              26u);
    EXPECT_EQ(testsupport::fileMode(install() + "/MySQL/data/data.ptc"), 0600u);
    EXPECT_EQ(readFile(install() + "/MySQL/my-medium.ini"),
              "[mysqld]\r\nsql_mode=NO_ENGINE_SUBSTITUTION,STRICT_TRANS_TABLES\r\nport=" +
                  std::to_string(port()) + "\r\n");
    EXPECT_EQ(config("DBurl"), "jdbc:mysql://127.0.0.1:" + std::to_string(port()) +
                                   "/harvella?useUnicode=yes&characterEncoding=UTF-8");
    EXPECT_EQ(config("DBdriver"), "org.gjt.mm.mysql.Driver");
    EXPECT_EQ(config("DBuser"), "harvella");
    for (const char* label : {"Created database harvella", "Created database schema",
                              "Applied patch #3", "Applied patch #4-5.0", "Applied patch #10"})
        EXPECT_TRUE(installed->shows(label)) << label;
    startServer();
    EXPECT_FALSE(sql("select 1", "root", "").ok) << "root without its password";
    EXPECT_EQ(sql("select current_user()", "harvella", config("DBpassword")).text,
              "harvella@localhost");
    EXPECT_EQ(patches(), "1.0,2.0,3.0,4.0,5.0,6.0,7.0,8.0,9.0,10.0");
    EXPECT_EQ(asRoot("select note from hv_user where login = 'guest'"),
              "first line;\\nsecond line");
    sc("stop " + service);
}

TEST_F(MySQLActions, ReinstallHarvellaDBDropsTheDatabaseAndGrantsANewPasswordWhenTheOldFails) {
    startServer();
    asRoot("insert into hv_user (login) values ('marker')");
    const std::string oldPort = std::to_string(port());
    writeFile(install() + "/harvella.config",
              "DBurl=jdbc:mysql://127.0.0.1:" + oldPort + "/harvella\r\nDBpassword=wrong'pw\r\n");
    const PageRun run = watched("ReinstallHarvellaDB");
    expectSuccess(run);
    EXPECT_TRUE(run.shows("Removing Harvella database"));
    EXPECT_TRUE(run.shows("Applied patch #1"));
    EXPECT_NE(config("DBpassword"), "wrong'pw");
    startServer();
    EXPECT_EQ(asRoot("select count(*) from hv_user where login = 'marker'"), "0");
    EXPECT_TRUE(sql("select 1", "harvella", config("DBpassword")).ok);
    sc("stop " + service);
}

TEST_F(MySQLActions, AnUpgradeWithDumpKeepsTheDataAndTakesTheOlderPatchesOfItsEdition) {
    shipScripts(15);
    startServer();
    asRoot(
        "insert into hv_user (login) values ('marker');"
        "insert into feature_patch_history values ('RA'), ('TTC'), ('LTT'), ('RA')");
    const PageRun run = watched("ReinstallHarvellaDBWithDump", "5.2");
    expectSuccess(run);
    const std::string dump = dumps() + "/harvella-5.2-" + today() + "-01.dmp";
    EXPECT_NE(readFile(dump).find("'marker'"), std::string::npos) << dump;
    for (const char* label : {"Applied patch #10-11.2", "Applied patch #12",
                              "Applied patch #13-14.2", "Applied patch #15"})
        EXPECT_TRUE(run.shows(label)) << label;
    EXPECT_FALSE(run.shows("Removing Harvella database"));
    startServer();
    EXPECT_EQ(patches(), "1.0,2.0,3.0,4.0,5.0,6.0,7.0,8.0,9.0,10.0,11.2,12.0,13.0,14.2,15.0");
    EXPECT_EQ(asRoot("select count(*) from hv_user where login = 'marker'"), "1");
    // A base-14 database that lost its invoice terms, for the repair.
    asRoot("drop table invoice_terms");
    sc("stop " + service);
}

TEST_F(MySQLActions, RepairKeepRestoresTheInvoiceTermsOfBase14AndTouchesNothingElse) {
    startServer();
    const PageRun run = watched("WithDumpReinstallHarvellaDBRepairKeep");
    expectSuccess(run);
    EXPECT_TRUE(fs::exists(dumps() + "/harvella-" + today() + "-01.dmp"));
    EXPECT_TRUE(run.shows("Applied fix14 patch"));
    EXPECT_EQ(run.page.find("Applied patch"), std::string::npos);
    startServer();
    EXPECT_EQ(asRoot("select count(*) from invoice_terms"), "0");
    EXPECT_EQ(asRoot("select count(*) from hv_user where login = 'marker'"), "1");
    sc("stop " + service);
}

TEST_F(MySQLActions, AFailingPatchEndsWith2010AndHandsOverTheDumpTakenBeforeIt) {
    shipPatch16("create tabel broken (id int);\n");
    startServer();
    const PageRun run = watched("ReinstallHarvellaDBWithDump", "5.2");
    fs::remove(scripts() + "/patch_16.mysql4.sql");
    expectFailure(run, 2010, dumps() + "/harvella-5.2-" + today() + "-02.dmp",
                  "Failed to update database due to the following reason: Failed to Failed to "
                  "apply patch #16:\nError: ");
    EXPECT_NE(run.page.find("ERROR 1064 (42000) at line 1:"), std::string::npos);
    EXPECT_FALSE(
        run.shows("Harvella database files were manually removed. Trying to recover error."));
    EXPECT_NE(run.page.find(".Error: The operation failed.\n"), std::string::npos) << run.page;
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
    expectFailure(run, 2010, "The operation failed.",
                  "Failed to update database due to the following reason: Failed to Failed to "
                  "apply patch #16:\nError: ");
    EXPECT_NE(run.page.find("ERROR 1005 (HY000) at line 3:"), std::string::npos);
    const auto actions = run.lines("action");
    EXPECT_EQ(std::count(actions.begin(), actions.end(),
                         "Harvella database files were manually removed. Trying to recover error."),
              1);
    EXPECT_EQ(std::count(actions.begin(), actions.end(), "Removing Harvella database"), 2);
    EXPECT_EQ(state(), "STOPPED");
}

TEST_F(MySQLActions, ADumpThatDoesNotFitEndsWith2019WithTheBytesItNeeds) {
    testsupport::makeFolders(dumps());
    if (::mount("tmpfs", dumps().c_str(), "tmpfs", 0, "size=8k") != 0)
        GTEST_SKIP() << "a small volume for the dumps needs the right to mount one";
    startServer();
    const PageRun versioned = watched("ReinstallHarvellaDBWithDump", "5.2");
    startServer();
    const PageRun repaired = watched("ReinstallHarvellaDBWithDumpRepairKeep", "5.2");
    ::umount(dumps().c_str());
    EXPECT_GT(std::atol(versioned.out.c_str()), 8192) << versioned.out;
    expectFailure(versioned, 2019, versioned.out,
                  "Failed to update database due to the following reason: Failed to Dump "
                  "database harvella.Error: Not enough space for dumping harvella");
    expectFailure(repaired, 2019, "Not enough space for dumping harvella", "Failed to update");
}

TEST_F(MySQLActions, AStopRefusedForARunningDependentEndsWith2006WithoutASecondAttempt) {
    sc("create Harvella binPath= \"/bin/sleep 600\" depend= " + service + " type= daemon");
    ASSERT_EQ(sc("start Harvella").exitCode, 0);
    startServer();
    const PageRun run = watched("ReinstallHarvellaDB");
    EXPECT_EQ(run.exitCode, low(2006)) << run.page;
    EXPECT_NE(run.out.find("1051"), std::string::npos) << run.out;
    EXPECT_NE(run.page.find("Failed to update database due to the following reason: Failed to "
                            "stop MySQL Service.Error: "),
              std::string::npos);
    EXPECT_EQ(state(), "RUNNING") << "stopped by a second attempt";
    sc("stop Harvella");
    sc("delete Harvella");
    sc("stop " + service);
}

TEST_F(MySQLActions, AStartThatFailsEndsWith2005Or2017BeforeADump) {
    const PageRun plain = quimbo("ReinstallHarvellaDB", "", "HvMissing");
    const PageRun withDump = quimbo("ReinstallHarvellaDBWithDump", "5.2", "HvMissing");
    const std::string error = "The HvMissing service could not be started.";
    expectFailure(plain, 2005, plain.out,
                  "Failed to update database due to the following reason: Failed to start MySQL "
                  "Service.Error: " +
                      error);
    EXPECT_EQ(plain.out.rfind(error, 0), 0u) << plain.out;
    expectFailure(withDump, 2017, plain.out, "Failed to update");
}

TEST_F(MySQLActions, ReinstallMySQLWithDumpSavesEveryDatabaseAndInstallsAfresh) {
    const std::string oldRoot = rootPassword();
    startServer();
    const PageRun run = watched("ReinstallMySQLWithDump");
    expectSuccess(run);
    // The repair of the product database dumped it first today.
    for (const char* dump : {"harvella-%-02", "performance_schema-%-01", "sys-%-01"}) {
        std::string name = dump;
        name.replace(name.find('%'), 1, today());
        EXPECT_TRUE(fs::exists(dumps() + "/" + name + ".dmp")) << name;
    }
    EXPECT_EQ(testsupport::countFilesStartingWith(dumps(), "mysql-"), 0u);
    EXPECT_NE(rootPassword(), oldRoot);
    EXPECT_TRUE(run.shows("Removing MySQL folder"));
    EXPECT_TRUE(run.shows("Applied patch #15"));
}

TEST_F(MySQLActions, UninstallRemovesServiceAndFolderAndReportsNothing) {
    const PageRun run = watched("Uninstall");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.page.find("completed successfully"), std::string::npos);
    EXPECT_EQ(run.page.find("[page] progress"), std::string::npos);
    EXPECT_EQ(state(), "NOT FOUND");
    EXPECT_FALSE(fs::exists(install() + "/MySQL"));
    EXPECT_TRUE(fs::exists(dumps()));
}

TEST_F(MySQLActions, AnUnknownWordIsASuccessThatDoesNothing) {
    const PageRun run = quimbo("reinstallmysql");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.lines("action"), std::vector<std::string>{"Setup completed successfully"});
    EXPECT_FALSE(fs::exists(install() + "/MySQL"));
    EXPECT_EQ(state(), "NOT FOUND");
}

}  // namespace
