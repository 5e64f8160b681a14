#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "MariaDBServer.h"
#include "frame/FileSystemObject.h"
#include "mysql/MySQLManager.h"
#include "platform/platform.h"
#include "support/TestSupport.h"

namespace mariadbtest {

// The shared private server: the one CTest's fixture started (its folder in
// QUIMBO_TEST_MARIADB), or else one this process starts and stops itself.
const ServerAddress& testServer();

// A test against the private server: an installation folder whose MySQL/bin
// runs Debian's MariaDB programs under the MySQL names, a temporary folder of
// its own that must be empty at the end, the real platform services and a
// client layer on them.
class MySQLServerTest : public ::testing::Test {
protected:
    MySQLServerTest();
    void SetUp() override;
    void TearDown() override;

    std::string mysqlHome() const { return install / "MySQL"; }
    Quimbo::MySQLConnection root(const std::string& database = "") const;
    // A database of this test, dropped at the end.
    std::string createDatabase(const std::string& statementsInside = "");
    // Runs SQL as root through Debian's client directly; fails the test on an error.
    void adminSql(const std::string& sql);
    // Replaces a MySQL program of the installation by a script.
    void installScript(const std::string& program, const std::string& body);
    std::vector<std::string> temporaryFiles() const;

    testsupport::TempFolder install;
    testsupport::TempFolder temp;
    std::unique_ptr<platform::SystemServices> system;
    std::unique_ptr<Quimbo::FileSystemObject> fso;
    std::unique_ptr<Quimbo::MySQLManager> manager;

private:
    std::vector<std::string> databases_;
};

}  // namespace mariadbtest
