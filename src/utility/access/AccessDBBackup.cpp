// The Access installer's backups under time-stamped names and the
// conversion of old files with the product's conversion tool.
#include "AccessDBInstaller.h"
#include "frame/CommandLineQuoting.h"
#include "frame/ExecCmdModule.h"
#include "frame/FileFuncsModule.h"
#include "frame/VbErrors.h"

namespace Quimbo {
namespace {

constexpr std::int32_t notEnoughSpace = 3000;
constexpr std::int32_t backupFailed = 3001;

struct ConversionFailure {
    int toolExitCode;
    std::int32_t exitCode;
    const char* message;
    // Whether the installer receives the backup's path.
    bool withBackupPath;
};

const ConversionFailure conversionFailures[] = {
    {2, 3004,
     "Error occurred when converting Harvella database to the Access 2000 format: the Harvella "
     "database file is blocked.",
     false},
    {3, 3005,
     "Setup has converted Harvella data to the Access 2000 format, but has failed to convert "
     "additional Access objects (forms, queries, reports, etc.).",
     true},
    {5, 3006,
     "Error occurred when converting Harvella database to the Access 2000 format: Not enough "
     "permissions to complete the conversion.",
     false},
    {6, 3007,
     "Error occurred when converting Harvella database to the Access 2000 format: the Harvella "
     "database file is corrupted. The installation procedure has been terminated.",
     false},
    {7, 3008,
     "Setup has failed to convert Harvella database to the Access 2000 format. The installation "
     "procedure has been terminated.",
     true},
};

}  // namespace

std::string AccessDBInstaller::TwoDigits(int number) {
    return (number < 10 ? "0" : "") + std::to_string(number);
}

std::string AccessDBInstaller::MakeBackupPath(const std::string& path) {
    const auto dot = path.rfind('.');
    if (dot == std::string::npos) throw vbError(VbError::invalidProcedureCall, path);
    std::string stem = path.substr(0, dot);
    if (!backupLabel_.empty()) stem += "-" + backupLabel_;
    const platform::LocalTime now = services_.clock.localNow();
    const std::string stamp = TwoDigits(now.month) + TwoDigits(now.day) + std::to_string(now.year) +
                              "." + TwoDigits(now.hour) + TwoDigits(now.minute) +
                              TwoDigits(now.second);
    return stem + "." + stamp + path.substr(dot);
}

void AccessDBInstaller::BackupDatabase(const std::string& target, const std::string& mode) {
    try {
        const std::string backup = MakeBackupPath(target);
        const bool wanted =
            (!contains(mode, "Upgrade") && fileObject_.FileExists(target)) ||
            (contains(mode, "UpgradeWithBackUp") && fileObject_.FileExists(dbPath_));
        if (!wanted) return;
        window_.UpdateCurrentAction("Backing up harvella.mdb to " + backup);
        if (contains(mode, "Copy") && dbPath_ == target) {
            fileObject_.CopyFile(target, backup);
        } else if (contains(mode, "UpgradeWithBackUp")) {
            CheckBackupSpace(target, dbPath_);
            fileObject_.CopyFile(dbPath_, backup);
        } else {
            fileObject_.MoveFile(target, backup);
        }
        outputText_ = backup;
    } catch (const FailureRecord& failure) {
        fail(failure.description, backupFailed, failure.description);
    }
}

void AccessDBInstaller::CheckBackupSpace(const std::string& target, const std::string& source) {
    const std::uint64_t free = GetFreeSpace(target, fileObject_);
    const std::uint64_t size = fileObject_.GetFileSize(source);
    if (free < size)
        fail("There is not enough space to create a backup copy of database", notEnoughSpace,
             std::to_string(size));
}

void AccessDBInstaller::UpgradeDb(const std::string& dbPath) {
    window_.UpdateCurrentAction(
        "Verifying format of Harvella database (this may take several minutes)");
    const std::string tool = fileObject_.BuildPath(
        databaseFolderPath("tools"), "mdbconvert" + services_.conventions.executableSuffix);
    std::string errText, outText;
    const int code =
        ExecCmd(services_, QuoteArgument(tool) + " " + QuoteArgument(dbPath), errText, outText);
    if (code == execCmdLaunchFailed) throw FailureRecord{code, tool, errText};
    for (const ConversionFailure& failure : conversionFailures) {
        if (failure.toolExitCode != code) continue;
        actionName_ = "convert";
        fail(failure.message, failure.exitCode, failure.withBackupPath ? outputText_ : "");
    }
}

}  // namespace Quimbo
