#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "MySQLConfig.h"
#include "MySQLManager.h"
#include "frame/ActionArguments.h"
#include "frame/ConfigFileManager.h"
#include "frame/FailureRecord.h"
#include "frame/FileSystemObject.h"
#include "frame/InstallationLock.h"
#include "frame/PatchesManager.h"
#include "frame/guiManager.h"
#include "platform/platform.h"

namespace Quimbo {

// Action 1: the MySQL database installer. Holds the fields of its argument
// line and the objects every step works with, and offers the step operations
// (progress, commands, statements, scripts) whose failures raise a
// FailureRecord with the step's number.
class MySQLDBInstaller {
public:
    explicit MySQLDBInstaller(platform::Services& services);

    // Exactly 17 fields; any other count shows the message and ends the program.
    void Initialize(Args& args, int& argsQty);
    // Runs the flow the action word names and reports success on the page;
    // "Uninstall" returns without a report. A failure ends the process with
    // its number as exit code.
    void MakeDBAction();
    // Stops the server by shutdown, or by the service when the shutdown
    // fails (a failure of both ignored), then reports.
    [[noreturn]] void FailAction(const std::string& message, std::int32_t number,
                                 const std::string& details);
    [[noreturn]] void ReportFailure(const std::string& message, std::int32_t number,
                                    const std::string& details);

    void SetProgressTotal(std::int16_t total) { progressTotal_ = total; }
    void SetEnableBack(bool value) { enableBack_ = value; }
    // Moves the page's bar by weight × 100 / total, rounded half to even; not
    // at all while the total is 0.
    void ForwardProgress(std::int16_t weight);
    // A non-zero exit code raises (number, source, the command's standard error).
    void RunCommandOrRaise(const std::string& commandLine, const std::string& source,
                           std::int32_t number);
    // An error text raises (number, "", error text).
    void ExecUpdateOrRaise(const std::string& database, const std::string& sql,
                           const std::string& user, const std::string& password,
                           std::int32_t number);
    // An error raises (number, step text + ":" CR LF "Error: " + error + CR LF, ""):
    // the schema recovery searches the source for the client's error number.
    void ExecScriptOrRaise(const std::string& database, const std::string& scriptPath,
                           const std::string& stepText, const std::string& user,
                           const std::string& password, std::int32_t number);

    bool enableBack() const { return enableBack_; }
    const std::string& actionWord() const { return actionWord_; }
    bool hasPrevVersion() const { return hasPrevVersion_; }
    bool repairKeep() const { return repairKeep_; }
    const std::string& requiredDumpSpace() const { return requiredDumpSpace_; }
    const std::string& dumpFilePath() const { return dumpFilePath_; }
    const MySQLConfig& settings() const { return settings_; }

private:
    friend struct MySQLDBInstallerSteps;

    struct SchemaVersion {
        std::int16_t patch = 0;
        std::int16_t edition = 0;
    };

    // The text with every occurrence of the marker taken out.
    static std::string withoutEvery(std::string text, const std::string& marker);

    // The flows of the action words.
    void InstallFlow();
    void UpdateDatabaseFlow(bool withDump);
    void UninstallFlow(bool withDump);
    // The one handler of every failure of a flow.
    [[noreturn]] void failWith(const FailureRecord& failure);

    // The accounts and the product's connection settings.
    void InstallHarvellaUser(const std::string& rootPassword, bool showLabel);
    // Gives the freshly initialised server's root a new password and stores
    // it; the password file is written before the server takes the password,
    // so no path leaves the server with a password that no file holds.
    void SetRootPassword();
    // Whether the product user logs in with its stored password; unknown
    // when the server could not answer.
    enum class UserCheck { logsIn, refused, unknown };
    UserCheck CheckHarvellaUser(const std::string& rootPassword, bool showLabel);
    void LoadDBSettingsFromConfig();
    void SaveDBConfiguration();
    void removeAnonymousAccounts();
    // Sets the password as the server's user table allows; `accepted` runs
    // once the server holds it, before it takes effect.
    void setServerRootPassword(const std::string& password, const std::function<void()>& accepted);

    // The product database and its schema.
    SchemaVersion GetSchemaVersion();
    void ApplyFix14IfNeeded(std::int16_t patch);
    void CreateOrUpdateSchema();
    void ApplyPatches(const SchemaVersion& from, std::int16_t newest);
    void RemoveHarvellaDatabase(const std::string& rootPassword);
    // Drops (unless kept), grants and builds the database; with recovery, a
    // script failure of a database whose files went behind the server's back
    // is tried once more.
    void RecreateHarvellaDatabase(const std::string& rootPassword, bool allowRecovery);
    // The password of the root password file; hidden from every text shown.
    std::string storedRootPassword();
    // Sets the product user's password, hidden from every text shown.
    void setProductPassword(const std::string& password);
    void logLine(const std::string& text);
    MySQLConnection asProductUser(const std::string& database) const;

    // The first dump path of the day not taken yet; "" when none can be found.
    std::string GetNextDumpFileName(const std::string& database);
    void CreateDumpsFolder();
    void DumpDatabaseStep(const std::string& database, const std::string& rootPassword);
    void DumpAllDatabases(const std::string& rootPassword);
    void DumpHarvellaDatabase(const std::string& rootPassword);

    // The server steps. Each shows its action, raises any failure again with
    // its own number and source text (the description kept) and moves the bar.
    // The first port from `startPort` on that the port tool finds free on
    // every address.
    std::int16_t FindFreeMySQLPort(const std::string& portTool, std::int16_t startPort);
    // Unpacks the package into a folder of its own in the installation folder
    // and makes its top folder the MySQL folder; a package holding a link is
    // refused, and nothing else of it stays.
    void UnzipMySQL();
    std::string unpackingFolder() const;
    // Writes the option file, or sets the port in the one there and comments
    // out the binary log.
    void ConfigureMySQL();
    // Lets the server create its data folder; an existing one is kept.
    void InitMySQLDataCatalog();
    void InstallMySQLServiceStep();
    void StartMySQLServiceStep(bool withLabel, bool dumpMode);
    // By mysqladmin with the stored root password, or by the service.
    void StopMySQLServiceStep(bool withLabel, bool byShutdown);
    void RemoveMySQLServiceStep();
    void RemoveMySQLFolderStep();

    // The private server of the settings, as the given account.
    MySQLConnection connection(const std::string& database, const std::string& user,
                               const std::string& password) const;

    platform::Services& services_;
    FileSystemObject fileSystem_;
    bool enableBack_ = false;
    std::int16_t progressTotal_ = 0;
    std::string actionWord_;
    std::string dbActionWord_;
    std::string portTool_;
    std::string unzipUtil_;
    std::string mySQLPackage_;
    std::string packageFolderName_;
    MySQLConfig settings_;
    guiManager window_;
    ConfigFileManager configuration_;
    MySQLManager client_;
    PatchesManager patches_;
    std::string requiredDumpSpace_;
    std::string dumpFilePath_;
    bool hasPrevVersion_ = false;
    bool repairKeep_ = false;
    InstallationLock lock_;
};

}  // namespace Quimbo
