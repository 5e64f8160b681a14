#pragma once
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <memory>
#include <string>

#include "MySQLDBInstallerSteps.h"
#include "frame/FileSystemObject.h"
#include "mysql/MySQLManager.h"
#include "platform/platform.h"
#include "support/TestSupport.h"

namespace mysqlserver {

// One installation of the product on a stand-in machine of its own: a folder
// the server's unprivileged user can reach, holding the installation (with a
// blank in its name, as under Program Files), the machine's service database
// and a temporary folder that must be empty at the end; harvella-sc and
// porttool on PATH; and a MySQL installer on the test package whose steps the
// test runs. A service left running by a failed test is stopped.
class PrivateInstallation : public ::testing::Test {
protected:
    static constexpr const char* serviceName = "HvMySQL";

    PrivateInstallation();
    void SetUp() override;
    void TearDown() override;

    // Gives the installer its 17 fields; the steps run on it.
    void initialize(const std::string& service = serviceName,
                    const std::string& package = MYSQL_PACKAGE_ZIP);
    // A path inside the MySQL folder.
    std::string mysql(const std::string& relative) const;
    std::string serviceState();
    testsupport::ProgramRun sc(const std::string& arguments) const;
    // Unpacks the package into the MySQL folder with port `port` set.
    void unpackWithPort(int port);

    testsupport::TempFolder root;
    const std::string install;
    std::unique_ptr<platform::SystemServices> system;
    std::unique_ptr<Quimbo::FileSystemObject> fso;
    std::unique_ptr<Quimbo::MySQLManager> manager;
    std::unique_ptr<Quimbo::MySQLDBInstaller> installer;
    std::unique_ptr<Quimbo::MySQLDBInstallerSteps> steps;

private:
    std::string service_ = serviceName;
    std::string oldPath_;
};

// Files of this process and of the programs it starts can grow to `bytes`
// only while the object lives: a write beyond fails as on a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit old_{};
    void (*oldHandler_)(int) = nullptr;
};

// A socket bound to the address and port, listening until it goes.
class Listener {
public:
    Listener(const std::string& address, int port);
    ~Listener();
    Listener(const Listener&) = delete;
    Listener& operator=(const Listener&) = delete;

private:
    int fd_;
};

// The first of `count` consecutive ports that are free on every address,
// below 32000 (the utility keeps ports in 16 signed bits).
int freePorts(int count);

}  // namespace mysqlserver
