#include "mySQLChecker.h"

#include "MySQLToolCredentials.h"
#include "frame/CommandLineQuoting.h"
#include "frame/ExitFuncsModule.h"
#include "frame/FailureRecord.h"
#include "frame/RootPasswordDlg.h"
#include "frame/StringFuncsModule.h"

namespace Quimbo {
namespace {

constexpr int requiredFields = 8;
const char* const rootPasswordMode = "CheckRootUserPwd";

enum CheckAnswer : std::int32_t { serverUnusable = 1, databaseFaulty = 2, allGood = 3 };

}  // namespace

mySQLChecker::mySQLChecker(platform::Services& services)
    : services_(services),
      fileSystem_(services.files, services.random, services.conventions),
      window_(services),
      settings_(services.conventions),
      client_(services) {}

void mySQLChecker::Initialize(Args& args, int& argsQty) {
    if (argsQty != requiredFields)
        RejectFieldCount(services_, "MySQL DB check requires 8 parameters!");
    checkMode_ = args[6];
    configuration_.Initialize(fileSystem_);
    client_.Initialize(fileSystem_);
    window_.Initialize(WindowHandleField(services_, args, 4), 0, 0, 0, 0, 0);
    settings_.Initialize(args[1], args[2], args[3], args[5], "", args[7], "", -1);
    const std::string configFile = settings_.GetHarvellaConfigFile();
    settings_.SetMySQLHarvellaUserPwd(configuration_.getPropertyValue(configFile, "DBpassword"));
    settings_.SetMySQLPort(configuration_.getMySQLPort(configFile, settings_.GetMySQLConfigFile()));
}

void mySQLChecker::MakeDBAction() {
    std::int32_t code = serverUnusable;
    const bool rootMode = checkMode_ == rootPasswordMode;
    // While another run holds the installation, its server is not ours to use.
    if (lock_.Take(services_, settings_.GetInstallationDir()) && EnsureServiceRunning()) {
        const std::string rootPassword =
            configuration_.GetRootPwdFromConfig(settings_.GetMySQLRootPwdFile());
        try {
            code = rootMode ? CheckRootUserPassword(rootPassword) : CheckDatabase(rootPassword);
        } catch (const FailureRecord&) {
            // The server could not be asked (no temporary file for the
            // client, say): nothing is known to be usable.
            code = rootMode ? databaseFaulty : serverUnusable;
        }
    }
    window_.GenerateNextBtnClickEvent();
    ExitWithCode(services_, code, "");
}

bool mySQLChecker::TryStartService() {
    try {
        client_.StartMySQLService(settings_.GetMySQLServiceName());
        return true;
    } catch (const FailureRecord&) {
        return false;
    }
}

bool mySQLChecker::ReregisterService() {
    const std::string folder = settings_.GetMySQLFolder();
    const std::string service = settings_.GetMySQLServiceName();
    try {
        client_.RemoveMySQLService(folder, service);
        client_.InstallMySQLService(folder, service, settings_.GetMySQLConfigFile(), true);
        return true;
    } catch (const FailureRecord&) {
        return false;
    }
}

bool mySQLChecker::EnsureServiceRunning() {
    if (TryStartService()) return true;
    if (!ReregisterService()) return false;
    return TryStartService();
}

std::int32_t mySQLChecker::CheckDatabase(const std::string& rootPassword) {
    if (IsInnoDBMissing(rootPassword)) return serverUnusable;
    return CheckDatabaseTables(rootPassword) == 0 ? allGood : databaseFaulty;
}

bool mySQLChecker::IsInnoDBMissing(const std::string& rootPassword) {
    const auto engines = client_.getMySQLEngines(rootConnection(rootPassword));
    const auto innoDB = engines.find("InnoDB");
    const std::string support = innoDB == engines.end() ? "" : innoDB->second;
    return support != "YES" && support != "DEFAULT";
}

std::int64_t mySQLChecker::CheckDatabaseTables(const std::string& rootPassword) {
    const std::string database = settings_.GetMySQLHarvellaDBName();
    if (!client_.checkDBexists(database, rootConnection(rootPassword))) return databaseMissing;
    // Every table in one statement (-1), the extended check (-c -e), and
    // only problems printed (-s): a clean database prints nothing.
    const std::string arguments = " --host=" + QuoteArgument(settings_.GetMySQLHost()) +
                                  " --port=" + QuoteArgument(portText()) +
                                  " --user=root -1  -c  -e -s " + QuoteArgument(database);
    std::string errText, outText;
    int exitCode = 0;
    try {
        // The password travels in an options file only the owner can read.
        exitCode = ExecMySQLTool(services_, fileSystem_,
                                 client_.program(settings_.GetMySQLFolder(), "mysqlcheck"),
                                 rootPassword, arguments, errText, outText);
    } catch (const FailureRecord&) {
        return checkFailed;
    }
    // A check that could not log in, or not run at all, prints nothing on
    // standard output: silence alone does not make a database healthy.
    if (exitCode != 0 && outText.empty()) return checkFailed;
    return static_cast<std::int64_t>(outText.size());
}

bool mySQLChecker::IsRootPasswordValid(const std::string& password) {
    return client_.CheckRootPwd(password, settings_.GetMySQLFolder(), settings_.GetMySQLHost(),
                                portText());
}

std::int32_t mySQLChecker::CheckRootUserPassword(const std::string& rootPassword) {
    if (IsRootPasswordValid(rootPassword)) return allGood;
    RootPasswordDlg dialog(services_.windows, services_.forms);
    while (true) {
        dialog.Initialize(settings_.GetCurrHarvellaVersion());
        dialog.Show();
        const std::string password = dialog.GetCurrentRootPwd();
        if (!password.empty() && IsRootPasswordValid(password))
            return StoreRootPassword(password) ? allGood : databaseFaulty;
        if (!dialog.IsOKPressed()) return databaseFaulty;
    }
}

bool mySQLChecker::StoreRootPassword(const std::string& password) {
    const std::string file = settings_.GetMySQLRootPwdFile();
    try {
        configuration_.WriteRootPwdInConfig(file, PadPassword(services_.random, password));
        return true;
    } catch (const FailureRecord& failure) {
        // Answering "accepted" would send the installer on with a stored
        // password that does not open the server.
        services_.messageBoxes.showMessage(
            "The password of the 'root' MySQL user was accepted, but it could not be saved in " +
                file + ": " + failure.description,
            "Quimbo", platform::MessageIcon::error);
        return false;
    }
}

MySQLConnection mySQLChecker::rootConnection(const std::string& password) const {
    return MySQLConnection{
        settings_.GetMySQLFolder(), settings_.GetMySQLHost(), portText(), "root", password, ""};
}

std::string mySQLChecker::portText() const {
    return std::to_string(settings_.getMySQLPort());
}

}  // namespace Quimbo
