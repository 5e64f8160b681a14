#include "MySQLConfig.h"

namespace Quimbo {

MySQLConfig::MySQLConfig(const platform::Conventions& conventions) : conventions_(conventions) {}

void MySQLConfig::Initialize(const std::string& instDir, const std::string& mySQLFolder,
                             const std::string& harvellaConfigFileName,
                             const std::string& mySQLServiceName,
                             const std::string& prevProductVersion,
                             const std::string& currProductVersion, const std::string& userPwd,
                             std::int32_t port) {
    instDir_ = instDir;
    mySQLFolder_ = mySQLFolder;
    harvellaConfigFileName_ = harvellaConfigFileName;
    mySQLServiceName_ = mySQLServiceName;
    prevProductVersion_ = prevProductVersion;
    currProductVersion_ = currProductVersion;
    userPwd_ = userPwd;
    port_ = port;
}

std::string MySQLConfig::inInstallation(const std::string& relative) const {
    return instDir_ + conventions_.separator + relative;
}

std::string MySQLConfig::GetMySQLFolder() const {
    return inInstallation(mySQLFolder_);
}

std::string MySQLConfig::GetMySQLConfigFile() const {
    return GetMySQLFolder() + conventions_.separator + "my-medium.ini";
}

std::string MySQLConfig::GetMySQLDataFolder() const {
    return GetMySQLFolder() + conventions_.separator + "data";
}

std::string MySQLConfig::GetMySQLRootPwdFile() const {
    return GetMySQLDataFolder() + conventions_.separator + "data.ptc";
}

std::string MySQLConfig::GetScriptsFolder() const {
    const std::string& s = conventions_.separator;
    return inInstallation("database" + s + "scripts");
}

std::string MySQLConfig::GetMySQLHarvellaSchema() const {
    return GetScriptsFolder() + conventions_.separator + "harvella.mysql4.sql";
}

std::string MySQLConfig::GetHarvellaConfigFile() const {
    return inInstallation(harvellaConfigFileName_);
}

std::string MySQLConfig::GetMySQLDumpsFolder() const {
    const std::string& s = conventions_.separator;
    return inInstallation("database" + s + "dumps");
}

}  // namespace Quimbo
