// The accounts of MySQLDBInstaller: the server's root with its stored
// password, the product's own user, and the connection settings the product
// server reads from its configuration file.
#include "MySQLDBInstaller.h"
#include "MySQLFailureNumbers.h"
#include "frame/FileFuncsModule.h"
#include "frame/StringFuncsModule.h"

namespace Quimbo {
namespace {

using namespace mysqlfailure;

constexpr std::int16_t storedRootPasswordLength = 26;
const char* const rootUser = "root";

// A value inside a quoted SQL string: a quote or backslash in a password read
// from the configuration file must not end the string early.
std::string sqlText(const std::string& value) {
    std::string escaped;
    for (const char c : value) {
        if (c == '\'' || c == '"' || c == '\\') escaped += '\\';
        escaped += c;
    }
    return escaped;
}

// Runs a write of the root password file; its failure is 2008.
template <class Write>
auto asRootPasswordFailure(Write write) {
    try {
        return write();
    } catch (const FailureRecord& failure) {
        throw FailureRecord{rootPasswordFailed, "save root password", failure.description};
    }
}

// The first column of the first row is there and is not 0.
bool countAboveZero(MySQLResultSet& result) {
    if (MySQLManager::sqlHasErrors(result) || !MySQLManager::sqlHasNext(result)) return false;
    const auto count = MySQLManager::sqlGet(MySQLManager::sqlNext(result), 0);
    return count && *count != "0";
}

}  // namespace

void MySQLDBInstaller::InstallHarvellaUser(const std::string& rootPassword, bool showLabel) {
    if (showLabel) window_.UpdateCurrentAction("Installing Harvella user");
    ExecUpdateOrRaise("",
                      "GRANT ALL PRIVILEGES ON " + settings_.GetMySQLHarvellaDBName() + ".* TO '" +
                          sqlText(settings_.GetMySQLHarvellaUserName()) +
                          "'@'localhost' IDENTIFIED BY '" +
                          sqlText(settings_.GetMySQLHarvellaUserPwd()) + "'",
                      rootUser, rootPassword, grantFailed);
    ForwardProgress(5);
}

void MySQLDBInstaller::SetRootPassword() {
    window_.UpdateCurrentAction("Setting root password");
    const std::string stored = RandomLetters(services_.random, storedRootPasswordLength);
    const std::string password = UnpadPassword(stored);
    window_.HideSecret(password);
    const std::string file = settings_.GetMySQLRootPwdFile();
    const std::string staged =
        asRootPasswordFailure([&] { return configuration_.StageRootPwdInConfig(file, stored); });
    bool serverHasIt = false;
    try {
        removeAnonymousAccounts();
        setServerRootPassword(password, [&] {
            serverHasIt = true;
            asRootPasswordFailure([&] { configuration_.PutRootPwdInPlace(staged, file); });
        });
    } catch (const FailureRecord&) {
        // A password the server took stays in a file: in place, or staged beside it.
        if (!serverHasIt) DeleteFileQuietly(staged, fileSystem_);
        throw;
    }
    ForwardProgress(5);
    InstallHarvellaUser(password, true);
}

void MySQLDBInstaller::removeAnonymousAccounts() {
    MySQLResultSet anonymous = client_.sqlExec(connection("mysql", rootUser, ""),
                                               "SELECT COUNT(1) FROM user WHERE user=''");
    const bool found = countAboveZero(anonymous);
    MySQLManager::sqlClose(anonymous);
    if (found)
        ExecUpdateOrRaise("mysql", "DELETE FROM user WHERE User=''", rootUser, "",
                          rootPasswordFailed);
}

void MySQLDBInstaller::setServerRootPassword(const std::string& password,
                                             const std::function<void()>& accepted) {
    // Only a base table has a password column to update; where the user table
    // is a view over the accounts, only ALTER USER changes a password.
    MySQLResultSet column = client_.sqlExec(
        connection("mysql", rootUser, ""),
        "SELECT * FROM information_schema.columns  WHERE TABLE_SCHEMA = 'mysql' AND "
        "TABLE_NAME = 'user' AND COLUMN_NAME = 'password' AND TABLE_NAME IN (SELECT "
        "TABLE_NAME FROM information_schema.tables WHERE TABLE_SCHEMA = 'mysql' AND "
        "TABLE_TYPE = 'BASE TABLE') ");
    const bool passwordColumn =
        !MySQLManager::sqlHasErrors(column) && MySQLManager::sqlNext(column).has_value();
    MySQLManager::sqlClose(column);
    if (passwordColumn) {
        ExecUpdateOrRaise("mysql",
                          "UPDATE user Set Password=PASSWORD('" + password + "') WHERE User='root'",
                          rootUser, "", rootPasswordFailed);
        // The table holds it: the next start of the server takes it.
        accepted();
        ExecUpdateOrRaise("", "FLUSH PRIVILEGES", rootUser, "", rootPasswordFailed);
    } else {
        ExecUpdateOrRaise("mysql",
                          "ALTER USER 'root'@'localhost' IDENTIFIED BY \"" + password + "\"",
                          rootUser, "", rootPasswordFailed);
        accepted();
    }
}

MySQLDBInstaller::UserCheck MySQLDBInstaller::CheckHarvellaUser(const std::string& rootPassword,
                                                                bool showLabel) {
    if (showLabel) window_.UpdateCurrentAction("Checking Harvella user");
    MySQLResultSet result = client_.sqlExec(
        connection("mysql", rootUser, rootPassword),
        "SELECT COUNT(1) FROM user WHERE user='" + sqlText(settings_.GetMySQLHarvellaUserName()) +
            "' " + " AND password=password('" + sqlText(settings_.GetMySQLHarvellaUserPwd()) +
            "');");
    const auto count = MySQLManager::sqlHasErrors(result)
                           ? std::nullopt
                           : MySQLManager::sqlGet(MySQLManager::sqlNext(result), 0);
    MySQLManager::sqlClose(result);
    ForwardProgress(5);
    if (!count) return UserCheck::unknown;
    return *count != "0" ? UserCheck::logsIn : UserCheck::refused;
}

void MySQLDBInstaller::LoadDBSettingsFromConfig() {
    const std::string configFile = settings_.GetHarvellaConfigFile();
    setProductPassword(configuration_.getPropertyValue(configFile, "DBpassword"));
    settings_.SetMySQLPort(configuration_.getMySQLPort(configFile, settings_.GetMySQLConfigFile()));
}

void MySQLDBInstaller::SaveDBConfiguration() {
    const std::string configFile = settings_.GetHarvellaConfigFile();
    const std::string url = "jdbc:mysql://" + settings_.GetMySQLHost() + ":" +
                            std::to_string(settings_.getMySQLPort()) + "/" +
                            settings_.GetMySQLHarvellaDBName() +
                            "?useUnicode=yes&characterEncoding=UTF-8";
    if (configuration_.SetHarvellaConfigParams(configFile, "org.gjt.mm.mysql.Driver", url,
                                               settings_.GetMySQLHarvellaUserName(),
                                               settings_.GetMySQLHarvellaUserPwd()) != 0)
        throw FailureRecord{settingsNotSaved, "save MySQL DB configuration in " + configFile, ""};
}

}  // namespace Quimbo
