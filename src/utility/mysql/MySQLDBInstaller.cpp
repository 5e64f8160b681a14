#include "MySQLDBInstaller.h"

#include <cmath>

#include "frame/ExecCmdModule.h"
#include "frame/FailureRecord.h"

namespace Quimbo {
namespace {

constexpr int requiredFields = 17;
const char* const repairKeepMarker = "RepairKeep";

std::string joined(const Args& args) {
    std::string line;
    for (std::size_t i = 0; i < args.size(); ++i)
        line += (i ? "|" : "") + args[i];
    return line;
}

}  // namespace

std::string MySQLDBInstaller::withoutEvery(std::string text, const std::string& marker) {
    for (auto at = text.find(marker); at != std::string::npos; at = text.find(marker, at))
        text.erase(at, marker.size());
    return text;
}

MySQLDBInstaller::MySQLDBInstaller(platform::Services& services)
    : services_(services),
      fileSystem_(services.files, services.random, services.conventions),
      settings_(services.conventions),
      window_(services),
      client_(services) {}

void MySQLDBInstaller::Initialize(Args& args, int& argsQty) {
    if (argsQty != requiredFields)
        RejectFieldCount(services_, "MySQL DB installation requires 17 parameters!");
    const auto handles = WindowHandleFields(services_, args, 4);
    window_.Initialize(handles[0], handles[1], handles[2], handles[3], handles[4], handles[5]);
    configuration_.Initialize(fileSystem_);
    client_.Initialize(fileSystem_);
    progressTotal_ = 0;
    actionWord_ = args[10];
    portTool_ = args[11];
    unzipUtil_ = args[12];
    mySQLPackage_ = args[13];
    packageFolderName_ = args[14];
    settings_.Initialize(args[1], args[2], args[3], args[15], args[16], "", "", -1);
    patches_.Initialize(fileSystem_, settings_.GetScriptsFolder(), "mysql4");
    hasPrevVersion_ = !args[16].empty();
    repairKeep_ = actionWord_.find(repairKeepMarker) != std::string::npos;
    if (repairKeep_) actionWord_ = withoutEvery(actionWord_, repairKeepMarker);
    window_.DebugMsg(joined(args));
}

void MySQLDBInstaller::ForwardProgress(std::int16_t weight) {
    if (progressTotal_ <= 0) return;
    // nearbyint rounds in the default mode: to nearest, halves to even.
    const double share = std::nearbyint(weight * 100.0 / progressTotal_);
    window_.ForwardProgressBar(static_cast<std::int16_t>(share));
}

void MySQLDBInstaller::RunCommandOrRaise(const std::string& commandLine, const std::string& source,
                                         std::int32_t number) {
    std::string errText, outText;
    if (ExecCmd(services_, commandLine, errText, outText) != 0)
        throw FailureRecord{number, source, errText};
}

MySQLConnection MySQLDBInstaller::connection(const std::string& database, const std::string& user,
                                             const std::string& password) const {
    return MySQLConnection{settings_.GetMySQLFolder(),
                           settings_.GetMySQLHost(),
                           std::to_string(settings_.getMySQLPort()),
                           user,
                           password,
                           database};
}

void MySQLDBInstaller::ExecUpdateOrRaise(const std::string& database, const std::string& sql,
                                         const std::string& user, const std::string& password,
                                         std::int32_t number) {
    const std::string error = client_.sqlExecUpdate(connection(database, user, password), sql);
    if (!error.empty()) throw FailureRecord{number, "", error};
}

void MySQLDBInstaller::ExecScriptOrRaise(const std::string& database, const std::string& scriptPath,
                                         const std::string& stepText, const std::string& user,
                                         const std::string& password, std::int32_t number) {
    MySQLResultSet result = client_.sqlExecFile(connection(database, user, password), scriptPath);
    const std::string error =
        MySQLManager::sqlHasErrors(result) ? MySQLManager::sqlGetError(result) : "";
    MySQLManager::sqlClose(result);
    if (!error.empty()) throw FailureRecord{number, stepText + ":\r\nError: " + error + "\r\n", ""};
}

}  // namespace Quimbo
