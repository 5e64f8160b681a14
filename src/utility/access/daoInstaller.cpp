#include "daoInstaller.h"

#include "frame/ExecCmdModule.h"
#include "frame/ExitFuncsModule.h"
#include "frame/FailureRecord.h"
#include "frame/FileSystemObject.h"
#include "frame/CommandLineQuoting.h"

namespace Quimbo {
namespace {

const char* const libraryName = "dao360.dll";
constexpr std::int32_t installFailed = 3003;

}  // namespace

void daoInstaller::InitializeFromParams(Args& args, int& argsQty) {
    if (argsQty != 3) RejectFieldCount(services_, "Access DB installation requires 3 parameters!");
    daoSourcePath_ = args[2];
    hasGui_ = false;
}

void daoInstaller::Initialize(guiManager& window, const std::string& instDir) {
    const std::string& separator = services_.conventions.separator;
    window_ = &window;
    daoSourcePath_ =
        instDir + separator + "database" + separator + "tools" + separator + libraryName;
    hasGui_ = true;
}

void daoInstaller::SetupDaoIfNeeded() {
    if (services_.databases.createDaoEngine().ok()) return;
    InstallDao();
}

std::string daoInstaller::targetFolder() const {
    const std::string& separator = services_.conventions.separator;
    std::string folder = services_.databases.systemDrive();
    for (const char* part : {"Program Files", "Common Files", "Microsoft Shared", "DAO"})
        folder += separator + part;
    return folder;
}

// Failures of the folder and the copy count only through the registration
// that then fails.
void daoInstaller::InstallDao() {
    FileSystemObject files(services_.files, services_.random, services_.conventions);
    const std::string folder = targetFolder();
    const std::string library = files.BuildPath(folder, libraryName);
    try {
        if (!files.FolderExists(folder)) files.CreateFolder(folder);
    } catch (const FailureRecord&) {
    }
    try {
        if (!files.FileExists(library)) files.CopyFile(daoSourcePath_, library);
    } catch (const FailureRecord&) {
    }
    std::string errText, outText;
    const std::string command =
        "regsvr32" + services_.conventions.executableSuffix + " /s " + QuoteArgument(library);
    if (ExecCmd(services_, command, errText, outText) == 0) return;
    if (hasGui_)
        window_->dieAndReturnError("install",
                                   "Setup failed to install Microsoft DAO 3.6 Object Library",
                                   installFailed, "", true);
    ExitWithCode(services_, installFailed, "");
}

}  // namespace Quimbo
