#pragma once
#include <cstdint>
#include <string>

#include "MySQLConfig.h"
#include "MySQLManager.h"
#include "frame/ActionArguments.h"
#include "frame/ConfigFileManager.h"
#include "frame/FileSystemObject.h"
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
    // Unpacks the package into the installation folder and makes its top
    // folder the MySQL folder; a half-unpacked package is removed.
    void UnzipMySQL();
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
};

}  // namespace Quimbo
