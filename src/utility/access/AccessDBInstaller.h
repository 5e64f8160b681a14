#pragma once
#include <cstdint>
#include <string>

#include "JetConnection.h"
#include "daoInstaller.h"
#include "frame/ActionArguments.h"
#include "frame/ConfigFileManager.h"
#include "frame/FileSystemObject.h"
#include "frame/InstallationLock.h"
#include "frame/PatchesManager.h"
#include "frame/guiManager.h"
#include "platform/platform.h"

namespace Quimbo {

// Action 0: creates, copies in, upgrades or only re-registers the product's
// Access database, working under the installer's page. Every end goes
// through the page: success, or a failure with its exit code 3000 to 3008.
class AccessDBInstaller {
public:
    explicit AccessDBInstaller(platform::Services& services);

    // 11 or 12 fields; any other count shows the message and ends the program.
    void Initialize(Args& args, int& argsQty);
    [[noreturn]] void InstallDB();
    // Brings the file to the Access 2000 format with the conversion tool;
    // returns when the tool reports success.
    void UpgradeDb(const std::string& dbPath);

private:
    struct SchemaVersion {
        std::int16_t base = 0;
        std::int16_t edition = 0;
    };

    // The schema.
    void PrepareSchema(const std::string& dbPath, const std::string& mode);
    void CreateAccessDatabase(const std::string& filePath);
    SchemaVersion GetSchemaVersion();
    void ExecuteScriptFile(const std::string& scriptPath);
    void applyFix14IfNeeded(std::int16_t baseVersion);
    void SaveAccessDBConfiguration();

    // Backups before the work.
    std::string MakeBackupPath(const std::string& path);
    static std::string TwoDigits(int number);
    void BackupDatabase(const std::string& target, const std::string& mode);
    void CheckBackupSpace(const std::string& target, const std::string& source);

    // The exit code of every failure that has no code of its own.
    static constexpr std::int32_t setupFailed = 3002;
    // Whether the mode text holds the word anywhere.
    static bool contains(const std::string& mode, const char* word) {
        return mode.find(word) != std::string::npos;
    }
    // The installation's path of a name under its "database" folder.
    std::string databaseFolderPath(const std::string& name) const;
    [[noreturn]] void fail(const std::string& message, std::int32_t exitCode,
                           const std::string& output);

    platform::Services& services_;
    FileSystemObject fileObject_;
    JetConnection connection_;
    guiManager window_;
    ConfigFileManager configuration_;
    daoInstaller dao_;
    PatchesManager patches_;
    std::string installDir_;
    InstallationLock lock_;
    std::string configFileName_;
    std::string installMode_;
    std::string dbPath_;
    std::string backupLabel_;
    std::string outputText_;
    std::string actionName_ = "update";
};

}  // namespace Quimbo
