// The private server's whole life, as the installer's flows walk it: port
// scan, package, option file, data catalog, service, start, connections and
// the root password probe, stop by mysqladmin and by the service, removal.
#include <unistd.h>

#include <filesystem>

#include "PrivateInstallation.h"
#include "RaisedBy.h"
#include "frame/ServicesCmdModule.h"
#include "support/SecretScan.h"

namespace mysqlserver {
namespace {

namespace fs = std::filesystem;
using testsupport::readFile;
using testsupport::writeFile;

// The root password file's line: 7 letters, the password, 11 letters.
std::string padded(const std::string& password) {
    return "abcdefg" + password + "hijklmnopqr\r\n";
}

class PrivateServer : public PrivateInstallation {
protected:
    Quimbo::MySQLConnection root(const std::string& password) const {
        return Quimbo::MySQLConnection{mysql(""), "127.0.0.1", std::to_string(port),
                                       "root",    password,    ""};
    }
    bool acceptsRoot(const std::string& password) {
        return manager->CheckRootPwd(password, install + "/MySQL", "127.0.0.1",
                                     std::to_string(port));
    }
    void liveAndDie();

    int port = 0;
};

TEST_F(PrivateServer, LivesFromThePackageToItsRemoval) {
    try {
        liveAndDie();
    } catch (const Quimbo::FailureRecord& failure) {
        FAIL() << "a step raised " << failure.number << " \"" << failure.source
               << "\": " << failure.description;
    }
}

void PrivateServer::liveAndDie() {
    const std::string pid = std::to_string(::getpid());
    const std::string rootPassword = "R00t $`#pw" + pid;
    const std::string wrongPassword = "Wr0ng $`#pw" + pid;
    testsupport::SecretScan scan({rootPassword, wrongPassword});

    // Port scan: the tool runs port by port past the two the test holds.
    const int first = freePorts(3);
    {
        Listener everyAddress("0.0.0.0", first), loopback("127.0.0.1", first + 1);
        port = steps->findFreePort(testsupport::binDir() + "/porttool",
                                   static_cast<std::int16_t>(first));
    }
    ASSERT_EQ(port, first + 2);
    steps->usePort(static_cast<std::int16_t>(port));

    steps->unzip();
    EXPECT_TRUE(fs::exists(mysql("bin/mysqld")));
    EXPECT_FALSE(fs::exists(install + "/" MYSQL_PACKAGE_FOLDER_NAME));

    // The option file, written new, then edited in place.
    const std::string options = mysql("my-medium.ini");
    steps->configure();
    EXPECT_EQ(readFile(options),
              "[mysqld]\r\nsql_mode=NO_ENGINE_SUBSTITUTION,STRICT_TRANS_TABLES\r\n"
              "port=" +
                  std::to_string(port) + "\r\n");
    writeFile(options,
              "[mysqld]\r\nport=1\r\nlog-bin=mysql-bin\r\nbinlog_format=mixed\r\n"
              "max_connections=20\r\n");
    steps->configure();
    EXPECT_EQ(readFile(options), "[mysqld]\r\nport=" + std::to_string(port) +
                                     "\r\n#log-bin=mysql-bin\r\n#binlog_format=mixed\r\n"
                                     "max_connections=20\r\n");

    // The data catalog, made once and kept.
    steps->initDataCatalog();
    ASSERT_TRUE(fs::exists(mysql("data/mysql"))) << "no system tables";
    writeFile(mysql("data/kept"), "");
    steps->initDataCatalog();
    EXPECT_TRUE(fs::exists(mysql("data/kept")));

    // The service, registered, then registered afresh over itself.
    steps->installService();
    ASSERT_EQ(serviceState(), Quimbo::serviceIsStopped);
    sc("description HvMySQL earlier");
    steps->installService();
    const std::string config = sc("qc HvMySQL").out;
    EXPECT_NE(config.find("DEMAND_START"), std::string::npos) << config;
    EXPECT_EQ(config.find("earlier"), std::string::npos) << "not registered afresh:\n" << config;

    steps->start(true, false);
    ASSERT_EQ(serviceState(), Quimbo::serviceIsRunning);
    EXPECT_EQ(manager->sqlExecUpdate(root(""), "select 1;"), "") << "no connection on the port";
    EXPECT_TRUE(acceptsRoot(""));
    EXPECT_FALSE(acceptsRoot(wrongPassword));
    std::string secure;
    for (const char* host : {"localhost", "127.0.0.1", "::1"})
        secure += std::string("alter user if exists 'root'@'") + host + "' identified by '" +
                  rootPassword + "';";
    ASSERT_EQ(manager->sqlExecUpdate(root(""), secure), "");
    EXPECT_TRUE(acceptsRoot(rootPassword));

    // Shut down by mysqladmin: with a wrong stored password it is refused.
    writeFile(mysql("data/data.ptc"), padded(wrongPassword));
    const Raised refused = raisedBy([&] { steps->stop(true, true); });
    EXPECT_EQ(std::get<0>(refused), 2006);
    EXPECT_EQ(std::get<1>(refused), "stop MySQL Service");
    EXPECT_NE(std::get<2>(refused).find("Access denied"), std::string::npos)
        << std::get<2>(refused);
    writeFile(mysql("data/data.ptc"), padded(rootPassword));
    steps->stop(true, true);
    EXPECT_EQ(serviceState(), Quimbo::serviceIsStopped);

    // A running server is not removed; without mysqladmin it stops as a service.
    steps->start(false, false);
    ASSERT_EQ(serviceState(), Quimbo::serviceIsRunning);
    const Raised running = raisedBy([&] { steps->removeService(); });
    EXPECT_EQ(std::get<0>(running), 2014);
    EXPECT_EQ(std::get<1>(running), "remove MySQL service");
    fs::remove(mysql("bin/mysqladmin"));
    steps->stop(false, true);
    EXPECT_EQ(serviceState(), Quimbo::serviceIsStopped);

    steps->removeService();
    EXPECT_EQ(serviceState(), Quimbo::serviceNotFound);
    EXPECT_EQ(Quimbo::RemoveServiceByName(system->services().serviceManager, "HvMySQL"), 1060u);
    steps->removeFolder();
    EXPECT_FALSE(fs::exists(mysql("")));

    // The installation, the stand-in machine and the temporary folder are all in root.
    EXPECT_EQ(scan.finish({PrivateInstallation::root.path()}), std::vector<std::string>{});
    EXPECT_TRUE(scan.saw("mariadbd")) << "the scan never saw the server run";
}

}  // namespace
}  // namespace mysqlserver
