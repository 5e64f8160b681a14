#include "MySQLServerTest.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>

namespace mariadbtest {
namespace {

class PrivateServerEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        if (const char* shared = std::getenv("QUIMBO_TEST_MARIADB")) {
            const auto found = PrivateMariaDBServer::find(shared);
            if (!found) throw std::runtime_error(std::string("no server running from ") + shared);
            address_ = *found;
            return;
        }
        own_ = std::filesystem::temp_directory_path().string() + "/quimbo-mariadb-" +
               std::to_string(::getpid());
        address_ = PrivateMariaDBServer::start(own_);
    }
    void TearDown() override {
        if (!own_.empty()) PrivateMariaDBServer::stop(own_);
    }
    const ServerAddress& address() const { return address_; }

private:
    std::string own_;
    ServerAddress address_;
};

PrivateServerEnvironment* const environment = static_cast<PrivateServerEnvironment*>(
    ::testing::AddGlobalTestEnvironment(new PrivateServerEnvironment));

const char* const programs[][2] = {{"mysql", "mariadb"},
                                   {"mysqldump", "mariadb-dump"},
                                   {"mysqlcheck", "mariadb-check"},
                                   {"mysqladmin", "mariadb-admin"}};

}  // namespace

const ServerAddress& testServer() {
    return environment->address();
}

MySQLServerTest::MySQLServerTest() {
    char name[] = "test";
    char* argv[] = {name, nullptr};
    system = platform::makeSystemServices(1, argv);
}

void MySQLServerTest::SetUp() {
    testsupport::makeFolders(install / "MySQL/bin");
    for (const auto& program : programs)
        std::filesystem::create_symlink(std::string("/usr/bin/") + program[1],
                                        install / ("MySQL/bin/" + std::string(program[0])));
    ::setenv("TMPDIR", temp.path().c_str(), 1);
    platform::Services& services = system->services();
    fso = std::make_unique<Quimbo::FileSystemObject>(services.files, services.random,
                                                     services.conventions);
    manager = std::make_unique<Quimbo::MySQLManager>(services);
    manager->Initialize(*fso);
}

void MySQLServerTest::TearDown() {
    for (const std::string& database : databases_)
        adminSql("drop database if exists " + database);
    EXPECT_EQ(temporaryFiles(), std::vector<std::string>{}) << "temporary files left behind";
    ::unsetenv("TMPDIR");
}

Quimbo::MySQLConnection MySQLServerTest::root(const std::string& database) const {
    return Quimbo::MySQLConnection{mysqlHome(),
                                   "127.0.0.1",
                                   std::to_string(testServer().port),
                                   "root",
                                   testServer().rootPassword,
                                   database};
}

std::string MySQLServerTest::createDatabase(const std::string& statementsInside) {
    const std::string name =
        "qt" + std::to_string(::getpid()) + "_" + std::to_string(databases_.size());
    databases_.push_back(name);
    adminSql("create database " + name + "; use " + name + "; " + statementsInside);
    return name;
}

void MySQLServerTest::adminSql(const std::string& sql) {
    const std::string script = install / "admin.sql";
    const std::string options = install / "admin.cnf";
    testsupport::writeFile(script, sql);
    // Not on the command line: a test looks for passwords in the process list.
    testsupport::writeFile(options, "[client]\npassword=" + testServer().rootPassword + "\n");
    const auto run = testsupport::runProgram(
        "/bin/sh -c \"mariadb --defaults-file='" + options + "' -h127.0.0.1 -P" +
        std::to_string(testServer().port) + " -uroot < '" + script + "'\"");
    ASSERT_EQ(run.exitCode, 0) << "admin SQL failed: " << sql << "\n" << run.err;
}

void MySQLServerTest::installScript(const std::string& program, const std::string& body) {
    const std::string path = install / ("MySQL/bin/" + program);
    std::filesystem::remove(path);
    testsupport::writeFile(path, "#!/bin/sh\n" + body, true);
}

std::vector<std::string> MySQLServerTest::temporaryFiles() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(temp.path()))
        names.push_back(entry.path().filename().string());
    return names;
}

}  // namespace mariadbtest
