// The MySQL check (action code 2) as the installer runs it, on one private
// server made from the test package: every answer, the service registered
// again when it cannot start, and the root password asked for on a terminal.
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "PrivateInstallation.h"
#include "frame/ServicesCmdModule.h"
#include "support/SecretScan.h"
#include "support/Terminal.h"

namespace mysqlserver {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testsupport::readFile;
using testsupport::writeFile;

enum Answer { serverUnusable = 1, databaseFaulty = 2, allGood = 3 };
const char* const prompt = "Password of the 'root' MySQL user: ";
const char* const invalidLine = "Provided password is invalid. Please try again.";

std::string padded(const std::string& password) {
    return "abcdefg" + password + "hijklmnopqr\r\n";
}

// Quimbo on a pseudo-terminal of its own.
class Terminal : public testsupport::Terminal {
public:
    explicit Terminal(const std::string& argumentLine)
        : testsupport::Terminal(testsupport::binDir() + "/Quimbo", argumentLine) {}
};

class MySQLCheck : public PrivateInstallation {
protected:
    std::string line(const std::string& mode, const std::string& version = "21.0") const {
        return "2|" + install + "|MySQL|harvella.config|5|HvMySQL|" + mode + "|" + version;
    }
    // As the installer starts it: without a controlling terminal.
    testsupport::ProgramRun check(const std::string& mode) {
        return testsupport::runProgram("setsid --wait \"" + testsupport::binDir() + "/Quimbo\" \"" +
                                       line(mode) + "\"");
    }
    Quimbo::MySQLConnection root(const std::string& database = "", bool password = true) const {
        return {mysql(""), "127.0.0.1", std::to_string(port), "root", password ? rootPassword : "",
                database};
    }
    // A registration whose program is not there: the service cannot start.
    void registerUnstartable() {
        sc("delete HvMySQL");
        sc("create HvMySQL binPath= /nonexistent/mysqld start= demand type= daemon");
    }
    void setUpServer();
    void askForThePassword();

    int port = 0;
    const std::string rootPassword = "R00t $`#pw" + std::to_string(::getpid());
    const std::string wrongPassword = "Wr0ng $`#pw" + std::to_string(::getpid());
    std::string ptc;
};

void MySQLCheck::setUpServer() {
    port = freePorts(1);
    unpackWithPort(port);
    steps->configure();
    steps->initDataCatalog();
    steps->installService();
    ASSERT_EQ(sc("start HvMySQL").exitCode, 0);
    const auto ready = std::chrono::steady_clock::now() + 60s;
    while (!manager->sqlExecUpdate(root("", false), "select 1;").empty() &&
           std::chrono::steady_clock::now() < ready)
        std::this_thread::sleep_for(200ms);
    std::string secure;
    for (const char* host : {"localhost", "127.0.0.1", "::1"})
        secure += std::string("alter user if exists 'root'@'") + host + "' identified by '" +
                  rootPassword + "';";
    ASSERT_EQ(manager->sqlExecUpdate(root("", false), secure + "create database harvella;"), "");
    ASSERT_EQ(manager->sqlExecUpdate(
                  root("harvella"),
                  "create table hv_user (id int primary key, name varchar(40)) engine=InnoDB;"
                  "create table damaged (id int primary key, name varchar(40)) engine=MyISAM;"
                  "insert into damaged select seq, concat('row ', seq) from seq_1_to_500;"),
              "");
    ptc = mysql("data/data.ptc");
    writeFile(ptc, padded(rootPassword));
    writeFile(install + "/harvella.config",
              "DBurl=jdbc:mysql://127.0.0.1:" + std::to_string(port) + "/harvella?x=1\r\n");
    sc("stop HvMySQL");
    registerUnstartable();
}

TEST_F(MySQLCheck, AnswersAsTheServerTheDatabaseAndTheRootPasswordStand) {
    testsupport::SecretScan scan({rootPassword, wrongPassword});
    ASSERT_NO_FATAL_FAILURE(setUpServer());

    // A service that cannot start is registered again; then all is well.
    const auto healthy = check("Default");
    EXPECT_EQ(healthy.exitCode, allGood) << healthy.err;
    EXPECT_NE(healthy.err.find("[page] window 5 clicked"), std::string::npos) << healthy.err;
    EXPECT_EQ(serviceState(), Quimbo::serviceIsRunning);
    EXPECT_EQ(check("CheckRootUserPwd").exitCode, allGood) << "the stored password opens";

    ASSERT_NO_FATAL_FAILURE(askForThePassword());

    // mysqlcheck that cannot run has found nothing good.
    fs::rename(mysql("bin/mysqlcheck"), mysql("bin/mysqlcheck.gone"));
    EXPECT_EQ(check("Default").exitCode, databaseFaulty) << "without mysqlcheck";
    fs::rename(mysql("bin/mysqlcheck.gone"), mysql("bin/mysqlcheck"));
    ASSERT_EQ(manager->sqlExecUpdate(root("harvella"), "flush tables;"), "");
    const std::string table = mysql("data/harvella/damaged.MYD");
    fs::resize_file(table, fs::file_size(table) / 2);
    EXPECT_EQ(check("Default").exitCode, databaseFaulty) << "a damaged table";
    ASSERT_EQ(manager->sqlExecUpdate(root(), "drop database harvella;"), "");
    EXPECT_EQ(check("Default").exitCode, databaseFaulty) << "no product database";

    // A server that cannot start, even when registered again.
    sc("stop HvMySQL");
    registerUnstartable();
    fs::rename(mysql("bin/mysqld"), mysql("bin/mysqld.real"));
    writeFile(mysql("bin/mysqld"),
              "#!/bin/sh\ncase \"$1\" in\n"
              "--install-manual) harvella-sc create \"$2\" binPath= /nonexistent/again start= "
              "demand type= daemon >/dev/null && echo Service successfully installed. ;;\n"
              "--remove) harvella-sc delete \"$2\" >/dev/null && echo Service successfully "
              "removed. ;;\nesac\n",
              true);
    EXPECT_EQ(check("Default").exitCode, serverUnusable);
    EXPECT_EQ(check("CheckRootUserPwd").exitCode, serverUnusable);
    EXPECT_NE(sc("qc HvMySQL").out.find("/nonexistent/again"), std::string::npos)
        << "registered again before giving up";

    EXPECT_EQ(scan.finish({PrivateInstallation::root.path()}), std::vector<std::string>{});
    EXPECT_TRUE(scan.saw("mariadbd")) << "the scan never saw the server run";
}

// A stored password the server rejects: the person at the terminal is asked,
// and cancels, or cannot have the password saved.
void MySQLCheck::askForThePassword() {
    const std::string rejected = padded(wrongPassword);
    writeFile(ptc, rejected);
    const auto unattended = check("CheckRootUserPwd");
    EXPECT_EQ(unattended.exitCode, databaseFaulty) << "no terminal answers Cancel";
    EXPECT_NE(unattended.err.find("no terminal"), std::string::npos) << unattended.err;

    Terminal cancelled(line("CheckRootUserPwd", ""));
    ASSERT_TRUE(cancelled.waitFor(prompt)) << cancelled.screen;
    EXPECT_EQ(cancelled.screen.find(invalidLine), std::string::npos) << "not before an OK";
    EXPECT_NE(cancelled.screen.find("click \"Cancel\" to proceed with repairing"),
              std::string::npos)
        << cancelled.screen;
    cancelled.type("\x1b");
    EXPECT_EQ(cancelled.exitCode(), databaseFaulty) << "Esc is Cancel";
    EXPECT_EQ(readFile(ptc), rejected);

    fs::permissions(ptc, fs::perms::owner_read);
    Terminal unsaved(line("CheckRootUserPwd"));
    ASSERT_TRUE(unsaved.waitFor(prompt)) << unsaved.screen;
    unsaved.type(rootPassword + "\r");
    EXPECT_EQ(unsaved.exitCode(), databaseFaulty) << unsaved.screen;
    EXPECT_NE(unsaved.screen.find("could not be saved in " + ptc), std::string::npos)
        << unsaved.screen;
    EXPECT_EQ(readFile(ptc), rejected);
    fs::permissions(ptc, fs::perms::owner_read | fs::perms::owner_write);
    // A wrong and then the right password typed in: the action scenario
    // (tests/integration/mysql_actions), on both builds.
    writeFile(ptc, padded(rootPassword));
}

}  // namespace
}  // namespace mysqlserver
