// The server steps of MySQLDBInstaller: from the port scan and the unpacked
// package to the running service, and back to nothing.
#include <algorithm>

#include "MySQLDBInstaller.h"
#include "MySQLFailureNumbers.h"
#include "frame/CommandLineQuoting.h"
#include "frame/ExecCmdModule.h"
#include "frame/FailureRecord.h"
#include "frame/FileFuncsModule.h"

namespace Quimbo {
namespace {

using namespace mysqlfailure;

constexpr int portCandidates = 1000;
// Inside the installation folder: moving the server from there into place
// never crosses a volume.
const char* const unpackingFolderName = "Quimbo.unpacking";
// Ports are kept in 16 signed bits.
constexpr int highestPort = 32767;

// Runs a step's work; a failure comes out as the step's number and source
// with its own description.
template <class Work>
void asStep(std::int32_t number, const std::string& source, Work work) {
    try {
        work();
    } catch (const FailureRecord& failure) {
        throw FailureRecord{number, source, failure.description};
    }
}

// A name that stays inside the installation folder once joined to it: an
// empty name, "." or ".." would make a folder removal take the installation
// folder or more with it.
bool staysInside(const std::string& name) {
    std::size_t start = 0;
    while (true) {
        const std::size_t end = name.find_first_of("/\\", start);
        const std::string part = name.substr(start, end - start);
        if (part.empty() || part == "." || part == "..") return false;
        if (end == std::string::npos) return true;
        start = end + 1;
    }
}

void requireInside(const std::string& name, std::int32_t number, const std::string& source) {
    if (!staysInside(name))
        throw FailureRecord{number, source,
                            "\"" + name + "\" is not a folder inside the installation folder."};
}

}  // namespace

std::int16_t MySQLDBInstaller::FindFreeMySQLPort(const std::string& portTool,
                                                 std::int16_t startPort) {
    window_.UpdateCurrentAction("Scanning ports");
    const int last = std::min(startPort + portCandidates, highestPort);
    for (int port = startPort; port <= last; ++port) {
        std::string errText, outText;
        const std::string command =
            QuoteArgument(portTool) + " " + std::to_string(port) + " 0.0.0.0";
        if (ExecCmd(services_, command, errText, outText) == 0) {
            ForwardProgress(5);
            return static_cast<std::int16_t>(port);
        }
    }
    throw FailureRecord{noFreePort, "find avaible port to install MySQL.", ""};
}

std::string MySQLDBInstaller::unpackingFolder() const {
    return fileSystem_.BuildPath(settings_.GetInstallationDir(), unpackingFolderName);
}

void MySQLDBInstaller::UnzipMySQL() {
    window_.UpdateCurrentAction("Unzipping MySQL");
    const std::string source = "unzip MySQL";
    requireInside(packageFolderName_, unzipFailed, source);
    requireInside(settings_.GetMySQLFolderName(), moveFailed, source);
    // The package is unpacked into a folder of its own, which goes whatever
    // happens: what else the package held (other folders, entries with
    // absolute paths) and what a killed run left go with it.
    const std::string work = unpackingFolder();
    const std::string unpacked = fileSystem_.BuildPath(work, packageFolderName_);
    const std::string mySQLFolder = settings_.GetMySQLFolder();
    try {
        asStep(unzipFailed, source, [&] {
            if (fileSystem_.FolderExists(work)) fileSystem_.DeleteFolder(work);
            fileSystem_.CreateFolder(work);
            client_.UnzipMySQLPackage(unzipUtil_, mySQLPackage_, work);
            // A link would let the option file's edits, and every write of
            // ours into the MySQL folder, land outside the installation.
            const std::string link = fileSystem_.FirstLinkUnder(work);
            if (!link.empty())
                throw FailureRecord{unzipFailed, "",
                                    "The MySQL package holds a link (" + link +
                                        "); a package must hold only files and folders."};
        });
        asStep(moveFailed, source, [&] {
            if (fileSystem_.FolderExists(mySQLFolder)) fileSystem_.DeleteFolder(mySQLFolder);
            fileSystem_.MoveFolder(unpacked, mySQLFolder);
        });
    } catch (const FailureRecord&) {
        DeleteFolderQuietly(work, fileSystem_);
        throw;
    }
    DeleteFolderQuietly(work, fileSystem_);
    ForwardProgress(40);
}

void MySQLDBInstaller::ConfigureMySQL() {
    window_.UpdateCurrentAction("Configuring MySQL");
    const std::string file = settings_.GetMySQLConfigFile();
    const std::string port = std::to_string(settings_.getMySQLPort());
    if (!fileSystem_.FileExists(file)) {
        const std::string options =
            "[mysqld]\r\nsql_mode=NO_ENGINE_SUBSTITUTION,STRICT_TRANS_TABLES\r\nport=" + port +
            "\r\n";
        fileSystem_.ReplaceFile(file, options, false);
    } else if (configuration_.SetConfigParams(file, {}, {"log-bin", "binlog_format"},
                                              {"port", port}) != 0) {
        throw FailureRecord{configFailed, "config MySQL", ""};
    }
    ForwardProgress(10);
}

void MySQLDBInstaller::InitMySQLDataCatalog() {
    window_.UpdateCurrentAction("Configuring MySQL data catalog");
    if (fileSystem_.FolderExists(settings_.GetMySQLDataFolder())) return;
    const std::string command =
        QuoteArgument(client_.program(settings_.GetMySQLFolder(), "mysqld")) +
        " --initialize-insecure --user=mysql";
    std::string errText, outText;
    const int exitCode = ExecCmd(services_, command, errText, outText);
    if (exitCode != 0)
        throw FailureRecord{exitCode, "", OutputOrLaunchFailure(exitCode, errText, outText)};
}

void MySQLDBInstaller::InstallMySQLServiceStep() {
    window_.UpdateCurrentAction("Installing MySQL service");
    asStep(installFailed, "install MySQL Service", [&] {
        client_.InstallMySQLService(settings_.GetMySQLFolder(), settings_.GetMySQLServiceName(),
                                    settings_.GetMySQLConfigFile(), true);
    });
    ForwardProgress(10);
}

void MySQLDBInstaller::StartMySQLServiceStep(bool withLabel, bool dumpMode) {
    if (withLabel) window_.UpdateCurrentAction("Starting MySQL service");
    asStep(dumpMode ? startBeforeDumpFailed : startFailed, "start MySQL Service",
           [&] { client_.StartMySQLService(settings_.GetMySQLServiceName()); });
    ForwardProgress(10);
}

void MySQLDBInstaller::StopMySQLServiceStep(bool withLabel, bool byShutdown) {
    if (withLabel) window_.UpdateCurrentAction("Stopping MySQL service");
    const std::string service = settings_.GetMySQLServiceName();
    asStep(stopFailed, "stop MySQL Service", [&] {
        if (!byShutdown) return client_.StopMySQLService(service);
        const std::string rootPassword =
            configuration_.GetRootPwdFromConfig(settings_.GetMySQLRootPwdFile());
        client_.ShutdownMySQLServer(service, settings_.GetMySQLFolder(),
                                    std::to_string(settings_.getMySQLPort()), rootPassword);
    });
    if (withLabel) ForwardProgress(10);
}

void MySQLDBInstaller::RemoveMySQLServiceStep() {
    window_.UpdateCurrentAction("Removing MySQL service");
    asStep(removeServiceFailed, "remove MySQL service", [&] {
        client_.RemoveMySQLService(settings_.GetMySQLFolder(), settings_.GetMySQLServiceName());
    });
    ForwardProgress(10);
}

void MySQLDBInstaller::RemoveMySQLFolderStep() {
    window_.UpdateCurrentAction("Removing MySQL folder");
    const std::string source = "remove MySQL folder";
    requireInside(settings_.GetMySQLFolderName(), removeFolderFailed, source);
    const std::string folder = settings_.GetMySQLFolder();
    asStep(removeFolderFailed, source, [&] {
        if (fileSystem_.FolderExists(folder)) fileSystem_.DeleteFolder(folder);
        // What a run killed while unpacking left.
        if (fileSystem_.FolderExists(unpackingFolder()))
            fileSystem_.DeleteFolder(unpackingFolder());
    });
    ForwardProgress(20);
}

}  // namespace Quimbo
