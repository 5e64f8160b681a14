#pragma once
#include <cstdint>
#include <string>

#include "platform/conventions.h"

namespace Quimbo {

// Every name, path and number of the MySQL path. Paths are composed on each
// request from the stored parts, never normalised or checked, so that every
// step sees the same layout.
class MySQLConfig {
public:
    explicit MySQLConfig(const platform::Conventions& conventions);

    void Initialize(const std::string& instDir, const std::string& mySQLFolder,
                    const std::string& harvellaConfigFileName, const std::string& mySQLServiceName,
                    const std::string& prevProductVersion, const std::string& currProductVersion,
                    const std::string& userPwd, std::int32_t port);

    const std::string& GetInstallationDir() const { return instDir_; }
    const std::string& GetMySQLServiceName() const { return mySQLServiceName_; }
    std::string GetMySQLHarvellaUserName() const { return "harvella"; }
    std::string GetMySQLHarvellaDBName() const { return "harvella"; }
    std::string GetMySQLHost() const { return "127.0.0.1"; }
    std::string GetMySQLHarvellaSchema() const;
    std::string GetMySQLFolder() const;
    // The MySQL folder's name under the installation folder, as given.
    const std::string& GetMySQLFolderName() const { return mySQLFolder_; }
    std::string GetMySQLConfigFile() const;
    std::string GetMySQLDataFolder() const;
    std::string GetMySQLRootPwdFile() const;
    std::string GetScriptsFolder() const;
    const std::string& GetMySQLHarvellaUserPwd() const { return userPwd_; }
    void SetMySQLHarvellaUserPwd(const std::string& harvellaUserPwd) { userPwd_ = harvellaUserPwd; }
    // The server's TCP port, 1 to 65535, or -1 while it is not known.
    std::int32_t getMySQLPort() const { return port_; }
    void SetMySQLPort(std::int32_t port) { port_ = port; }
    std::string GetHarvellaConfigFile() const;
    std::string GetMySQLDumpsFolder() const;
    const std::string& GetPrevHarvellaVersion() const { return prevProductVersion_; }
    const std::string& GetCurrHarvellaVersion() const { return currProductVersion_; }

private:
    std::string inInstallation(const std::string& relative) const;

    const platform::Conventions& conventions_;
    std::string instDir_;
    std::string mySQLFolder_;
    std::string harvellaConfigFileName_;
    std::string mySQLServiceName_;
    std::string prevProductVersion_;
    std::string currProductVersion_;
    std::string userPwd_;
    std::int32_t port_ = -1;
};

}  // namespace Quimbo
