#pragma once
#include <cstdint>
#include <string>

#include "MySQLConfig.h"
#include "MySQLManager.h"
#include "frame/ActionArguments.h"
#include "frame/ConfigFileManager.h"
#include "frame/FileSystemObject.h"
#include "frame/InstallationLock.h"
#include "frame/guiManager.h"
#include "platform/platform.h"

namespace Quimbo {

// Action 2: tells the installer whether the private MySQL server can be
// used. Default mode: the service runs (registered again if need be), InnoDB
// is there and the product database passes mysqlcheck. Mode
// "CheckRootUserPwd": the stored root password opens the server, or the
// person at the installer gives one that does, which is then stored.
// Answers 1, 2 or 3 as the exit code, after pressing the page's Next button.
class mySQLChecker {
public:
    explicit mySQLChecker(platform::Services& services);

    // Exactly 8 fields; any other count shows the message and ends the program.
    void Initialize(Args& args, int& argsQty);
    [[noreturn]] void MakeDBAction();

private:
    static constexpr std::int64_t databaseMissing = -1;
    static constexpr std::int64_t checkFailed = -2;

    bool TryStartService();
    // Removes and registers the service afresh; false when either fails.
    bool ReregisterService();
    bool EnsureServiceRunning();
    bool IsInnoDBMissing(const std::string& rootPassword);
    // What mysqlcheck found: 0 for a clean database; databaseMissing, or
    // checkFailed when mysqlcheck could not run or ended with an error;
    // otherwise the length of what it printed.
    std::int64_t CheckDatabaseTables(const std::string& rootPassword);
    bool IsRootPasswordValid(const std::string& password);

    // The default mode's answer for a running service.
    std::int32_t CheckDatabase(const std::string& rootPassword);
    // The answer of mode "CheckRootUserPwd" for a running service.
    std::int32_t CheckRootUserPassword(const std::string& rootPassword);
    // Stores the padded password; on failure the person is told why and the
    // old file stays.
    bool StoreRootPassword(const std::string& password);
    MySQLConnection rootConnection(const std::string& password) const;
    std::string portText() const;

    platform::Services& services_;
    std::string checkMode_;
    FileSystemObject fileSystem_;
    guiManager window_;
    MySQLConfig settings_;
    ConfigFileManager configuration_;
    MySQLManager client_;
    InstallationLock lock_;
};

}  // namespace Quimbo
