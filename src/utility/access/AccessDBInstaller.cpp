#include "AccessDBInstaller.h"

#include "frame/ExitFuncsModule.h"

namespace Quimbo {
namespace {

std::string withBackslashesDoubled(const std::string& text) {
    std::string doubled;
    for (const char c : text) {
        doubled += c;
        if (c == '\\') doubled += c;
    }
    return doubled;
}

}  // namespace

AccessDBInstaller::AccessDBInstaller(platform::Services& services)
    : services_(services),
      fileObject_(services.files, services.random, services.conventions),
      connection_(services.databases),
      window_(services),
      dao_(services) {}

void AccessDBInstaller::Initialize(Args& args, int& argsQty) {
    if (argsQty != 11 && argsQty != 12)
        RejectFieldCount(services_, "Access DB installation requires 12 or 13 parameters!");
    const auto handles = WindowHandleFields(services_, args, 3);
    window_.Initialize(handles[0], handles[1], handles[2], handles[3], handles[4], handles[5]);
    configuration_.Initialize(fileObject_);
    installDir_ = args[1];
    configFileName_ = args[2];
    installMode_ = args[9];
    backupLabel_ = args[10];
    dbPath_ = argsQty == 12 ? args[11] : databaseFolderPath("harvella.mdb");
    patches_.Initialize(fileObject_, databaseFolderPath("scripts"), "access97");
    outputText_ = "";
}

std::string AccessDBInstaller::databaseFolderPath(const std::string& name) const {
    return fileObject_.BuildPath(fileObject_.BuildPath(installDir_, "database"), name);
}

void AccessDBInstaller::InstallDB() {
    actionName_ = "update";
    if (!lock_.Take(services_, installDir_))
        fail(InstallationLock::BusyMessage(installDir_), setupFailed, "");
    try {
        std::string target = databaseFolderPath("harvella.mdb");
        if (installMode_ == "Create") {
            actionName_ = "create";
        } else if (contains(installMode_, "PerformCopy")) {
            actionName_ = "copy";
        } else if (installMode_ == "KeepSame") {
            actionName_ = "Recreate config file";
            SaveAccessDBConfiguration();
            ExitWithCode(services_, 0, "");
        } else if (contains(installMode_, "Upgrade")) {
            target = dbPath_;
        }
        window_.UpdateProgressBar(10);
        BackupDatabase(target, installMode_);
        if (actionName_ == "copy") {
            window_.UpdateCurrentAction("Copying database file: " + dbPath_);
            // The installation's own file is already in place: copying it
            // onto itself could only destroy it.
            if (dbPath_ != target) fileObject_.CopyFile(dbPath_, target);
            actionName_ = "update";
        }
        window_.UpdateProgressBar(20);
        PrepareSchema(target, installMode_);
        SaveAccessDBConfiguration();
        window_.UpdateGUIOnSuccess("Setup");
    } catch (const FailureRecord& failure) {
        connection_.Close();
        fail("Unknown error occured during database setup. Error details: " +
                 std::to_string(failure.number) + ". " + failure.description,
             setupFailed, outputText_);
    }
    connection_.Close();
    ExitWithCode(services_, 0, "");
}

void AccessDBInstaller::SaveAccessDBConfiguration() {
    const std::string library = fileObject_.BuildPath(databaseFolderPath("tools"), "izmjniado.dll");
    const std::string configFile = fileObject_.BuildPath(installDir_, configFileName_);
    const std::int32_t error = configuration_.SetHarvellaConfigParams(
        configFile, "com.inzoom.jdbcado.Driver",
        "jdbc:izmado:harvelladb;IzmDllPath=" + withBackslashesDoubled(library), "none", "none");
    if (error != 0)
        fail("Failed to save Access DB configuration in " + configFile, setupFailed, outputText_);
}

void AccessDBInstaller::fail(const std::string& message, std::int32_t exitCode,
                             const std::string& output) {
    window_.dieAndReturnError(actionName_, message, exitCode, output, true);
}

}  // namespace Quimbo
