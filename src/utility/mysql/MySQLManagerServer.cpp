// The server half of MySQLManager: unpacking the package, the root password
// probe, and the server as a Windows service, from registration to removal.
#include <chrono>

#include "MySQLManager.h"
#include "MySQLToolCredentials.h"
#include "frame/CommandLineQuoting.h"
#include "frame/ExecCmdModule.h"
#include "frame/FailureRecord.h"
#include "frame/ServicesCmdModule.h"
#include "frame/StringFuncsModule.h"
#include "frame/UnzipUtilTimeoutHandler.h"

namespace Quimbo {
namespace {

constexpr int unzipDiskFull = 50;
constexpr int statusPolls = 10;
constexpr std::chrono::milliseconds statusPollPause{3000};
// Time the server gets after its start before anyone connects.
constexpr std::chrono::milliseconds serverWarmUp{15000};
// Console output of net and mysqladmin comes in the OEM code page.
constexpr std::int32_t consoleCodePage = 866;
constexpr std::int32_t windowsCodePage = 1251;
const char* const alreadyExists = "the service already exists";
const char* const failedToRemove = "failed to remove";

FailureRecord raised(std::int32_t number, const std::string& description) {
    return FailureRecord{number, "", description};
}

}  // namespace

std::string MySQLManager::fromConsole(const std::string& text) {
    return ConvertCodePage(services_.codePages, text, consoleCodePage, windowsCodePage);
}

std::string MySQLManager::serviceStatus(const std::string& serviceName) {
    return GetServiceStatusText(services_.serviceManager, serviceName);
}

void MySQLManager::UnzipMySQLPackage(const std::string& unzipUtil, const std::string& mySQLPackage,
                                     const std::string& mySQLInstallationDir) {
    const std::string command = QuoteArgument(unzipUtil) + " -o " + QuoteArgument(mySQLPackage) +
                                " -d " + QuoteArgument(mySQLInstallationDir);
    UnzipUtilTimeoutHandler answerDiskFull;
    std::string errText, outText;
    const int exitCode = ExecCmd(services_, command, errText, outText, &answerDiskFull);
    if (exitCode == 0) return;
    throw raised(exitCode, exitCode == unzipDiskFull ? "Disk is full" : errText);
}

bool MySQLManager::CheckRootPwd(const std::string& rootPwd, const std::string& mySQLFolder,
                                const std::string& mySQLHost, const std::string& mySQLPort) {
    const MySQLConnection root{mySQLFolder, mySQLHost, mySQLPort, "root", rootPwd, ""};
    return sqlExecUpdate(root, "show databases;").empty();
}

void MySQLManager::InstallMySQLService(const std::string& mySQLFolder,
                                       const std::string& mySQLServiceName,
                                       const std::string& mySQLConfigFilePath,
                                       bool removeIfExists) {
    const std::string command = QuoteArgument(program(mySQLFolder, "mysqld")) +
                                " --install-manual " + QuoteArgument(mySQLServiceName) +
                                " --defaults-file=" + QuoteArgument(mySQLConfigFilePath);
    std::string errText, outText;
    const int exitCode = ExecCmd(services_, command, errText, outText);
    if (exitCode != 0) throw raised(exitCode, OutputOrLaunchFailure(exitCode, errText, outText));
    if (lowerCase(outText).find(alreadyExists) == std::string::npos) return;
    if (!removeIfExists) throw raised(-1, outText);
    StopMySQLService(mySQLServiceName);
    RemoveMySQLService(mySQLFolder, mySQLServiceName);
    InstallMySQLService(mySQLFolder, mySQLServiceName, mySQLConfigFilePath, false);
}

void MySQLManager::RemoveMySQLService(const std::string& mySQLFolder,
                                      const std::string& mySQLServiceName) {
    if (serviceStatus(mySQLServiceName) == serviceNotFound) return;
    const std::string server = program(mySQLFolder, "mysqld");
    if (!fileObject_->FileExists(server)) {
        const platform::ErrorCode removed =
            RemoveServiceByName(services_.serviceManager, mySQLServiceName);
        if (removed != 0) throw raised(static_cast<std::int32_t>(removed), "");
        return;
    }
    std::string errText, outText;
    const int exitCode =
        ExecCmd(services_, QuoteArgument(server) + " --remove " + QuoteArgument(mySQLServiceName),
                errText, outText);
    if (exitCode != 0) throw raised(exitCode, OutputOrLaunchFailure(exitCode, errText, outText));
    if (lowerCase(outText).find(failedToRemove) != std::string::npos) throw raised(-1, outText);
}

void MySQLManager::controlService(const std::string& verb, const std::string& serviceName,
                                  const std::string& wantedStatus) {
    const std::string command =
        services_.conventions.serviceCommand + " " + verb + " " + QuoteArgument(serviceName);
    std::string errText, outText;
    const int exitCode = ExecCmd(services_, command, errText, outText);
    if (exitCode != 0) throw raised(exitCode, fromConsole(errText));
    WaitForServiceStatus(serviceName, wantedStatus);
}

void MySQLManager::StartMySQLService(const std::string& mySQLServiceName) {
    if (serviceStatus(mySQLServiceName) == serviceIsRunning) return;
    controlService("start", mySQLServiceName, serviceIsRunning);
    services_.clock.sleep(serverWarmUp);
}

bool MySQLManager::IsServiceStopped(const std::string& mySQLServiceName) {
    const std::string status = serviceStatus(mySQLServiceName);
    return status == serviceNotFound || status == serviceIsStopped;
}

void MySQLManager::StopMySQLService(const std::string& mySQLServiceName) {
    if (IsServiceStopped(mySQLServiceName)) return;
    controlService("stop", mySQLServiceName, serviceIsStopped);
}

void MySQLManager::ShutdownMySQLServer(const std::string& serviceName, const std::string& mysqlHome,
                                       const std::string& port, const std::string& rootPwd) {
    if (IsServiceStopped(serviceName)) return;
    const std::string admin = program(mysqlHome, "mysqladmin");
    if (!fileObject_->FileExists(admin)) {
        StopMySQLService(serviceName);
        return;
    }
    std::string arguments = " shutdown ";
    if (!port.empty()) arguments += " --port=" + QuoteArgument(port);
    arguments += " --user=root";
    std::string errText, outText;
    // The password travels in an options file only the owner can read, never
    // on the command line, where every local user could see it.
    const int exitCode =
        ExecMySQLTool(services_, *fileObject_, admin, rootPwd, arguments, errText, outText);
    if (exitCode != 0) throw raised(exitCode, fromConsole(errText));
    WaitForServiceStatus(serviceName, serviceIsStopped);
}

void MySQLManager::WaitForServiceStatus(const std::string& serviceName,
                                        const std::string& wantedStatus) {
    for (int poll = 0; poll < statusPolls; ++poll) {
        if (serviceStatus(serviceName) == wantedStatus) return;
        services_.clock.sleep(statusPollPause);
    }
    // The reading after the last pause counts too: a service that got there
    // just in time has not failed.
    const std::string last = serviceStatus(serviceName);
    if (last != wantedStatus) throw raised(-1, last);
}

}  // namespace Quimbo
