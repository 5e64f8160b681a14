// The action words of MySQLDBInstaller: install, reinstall, database update
// and uninstall, each a fixed order of steps, and the one place where any
// failure of them becomes the installer's red line, output and exit code.
#include "MySQLDBInstaller.h"
#include "MySQLFailureNumbers.h"
#include "MySQLFailureReport.h"
#include "frame/InstallationLock.h"
#include "frame/StringFuncsModule.h"

namespace Quimbo {
namespace {

using namespace mysqlfailure;

constexpr std::int16_t firstMySQLPort = 27351;
constexpr std::int16_t productPasswordLength = 8;

}  // namespace

void MySQLDBInstaller::MakeDBAction() {
    const std::string withDumpMarker = "WithDump";
    const bool withDump = actionWord_.find(withDumpMarker) != std::string::npos;
    if (withDump) actionWord_ = withoutEvery(actionWord_, withDumpMarker);
    dbActionWord_ = actionWord_ == "ReinstallHarvellaDB" ? "update" : "create";
    const std::string installation = settings_.GetInstallationDir();
    // Refused before anything is touched, and without the stop of a failed
    // run: the server belongs to the run that holds the installation.
    if (!lock_.Take(services_, installation)) {
        const std::string message = InstallationLock::BusyMessage(installation);
        ReportFailure(message, installationBusy, message);
    }
    try {
        if (actionWord_ == "InstallMySQL") {
            SetProgressTotal(100);
            SetEnableBack(false);
            InstallFlow();
        } else if (actionWord_ == "ReinstallMySQL") {
            SetProgressTotal(175);
            SetEnableBack(true);
            UninstallFlow(withDump);
            InstallFlow();
        } else if (actionWord_ == "ReinstallHarvellaDB") {
            SetProgressTotal(50);
            SetEnableBack(true);
            UpdateDatabaseFlow(withDump);
        } else if (actionWord_ == "Uninstall") {
            UninstallFlow(withDump);
            return;
        }
    } catch (const FailureRecord& failure) {
        failWith(failure);
    }
    window_.UpdateGUIOnSuccess("Setup");
}

void MySQLDBInstaller::failWith(const FailureRecord& failure) {
    const FailureReport report = DescribeFailure(
        failure, DumpState{hasPrevVersion_, repairKeep_, requiredDumpSpace_, dumpFilePath_});
    // When the stop itself failed, a second attempt would only fail again.
    if (failure.number == stopFailed) ReportFailure(report.message, failure.number, report.details);
    FailAction(report.message, failure.number, report.details);
}

void MySQLDBInstaller::FailAction(const std::string& message, std::int32_t number,
                                  const std::string& details) {
    try {
        StopMySQLServiceStep(false, true);
    } catch (const FailureRecord&) {
        // A stored root password the server refuses cannot shut it down;
        // the service stop still leaves it stopped.
        try {
            StopMySQLServiceStep(false, false);
        } catch (const FailureRecord&) {
        }
    }
    ReportFailure(message, number, details);
}

void MySQLDBInstaller::ReportFailure(const std::string& message, std::int32_t number,
                                     const std::string& details) {
    window_.dieAndReturnError(dbActionWord_, message, number, details, enableBack_);
}

void MySQLDBInstaller::InstallFlow() {
    setProductPassword(RandomLetters(services_.random, productPasswordLength));
    settings_.SetMySQLPort(FindFreeMySQLPort(portTool_, firstMySQLPort));
    UnzipMySQL();
    ConfigureMySQL();
    InitMySQLDataCatalog();
    InstallMySQLServiceStep();
    StartMySQLServiceStep(true, false);
    SetRootPassword();
    CreateOrUpdateSchema();
    SaveDBConfiguration();
    StopMySQLServiceStep(false, false);
}

void MySQLDBInstaller::UpdateDatabaseFlow(bool withDump) {
    LoadDBSettingsFromConfig();
    StartMySQLServiceStep(true, withDump);
    const std::string rootPassword = storedRootPassword();
    if (withDump) {
        CreateDumpsFolder();
        DumpHarvellaDatabase(rootPassword);
    }
    // A check the server could not answer changes no account: the stored
    // password is granted again, so that the configuration keeps working.
    const UserCheck user = CheckHarvellaUser(rootPassword, true);
    if (user == UserCheck::refused ||
        (user == UserCheck::unknown && settings_.GetMySQLHarvellaUserPwd().empty()))
        setProductPassword(RandomLetters(services_.random, productPasswordLength));
    RecreateHarvellaDatabase(rootPassword, true);
    SaveDBConfiguration();
    StopMySQLServiceStep(false, false);
}

void MySQLDBInstaller::UninstallFlow(bool withDump) {
    settings_.SetMySQLPort(configuration_.getMySQLPort(settings_.GetHarvellaConfigFile(),
                                                       settings_.GetMySQLConfigFile()));
    if (withDump) {
        StartMySQLServiceStep(true, true);
        CreateDumpsFolder();
        DumpAllDatabases(storedRootPassword());
    }
    const bool accepted =
        client_.CheckRootPwd(storedRootPassword(), settings_.GetMySQLFolder(),
                             settings_.GetMySQLHost(), std::to_string(settings_.getMySQLPort()));
    StopMySQLServiceStep(true, accepted);
    RemoveMySQLServiceStep();
    RemoveMySQLFolderStep();
}

std::string MySQLDBInstaller::storedRootPassword() {
    const std::string password =
        configuration_.GetRootPwdFromConfig(settings_.GetMySQLRootPwdFile());
    window_.HideSecret(password);
    return password;
}

void MySQLDBInstaller::setProductPassword(const std::string& password) {
    settings_.SetMySQLHarvellaUserPwd(password);
    window_.HideSecret(password);
}

}  // namespace Quimbo
