// POSIX stand-in service database: files and locks only. No process
// control and no core logic belong here.
#include "service_store.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>

#include "errno_map.h"
#include "file_bytes.h"
#include "stand_in_files.h"

namespace platform::posix {
namespace {

using Fields = std::map<std::string, std::string>;

Result<Fields> readFields(const std::string& path) {
    const auto text = readWholeFile(path);
    if (!text.ok()) return Result<Fields>::failure(text.error);
    Fields fields;
    std::istringstream lines(text.value);
    std::string line;
    while (std::getline(lines, line)) {
        const auto equals = line.find('=');
        if (equals == std::string::npos) continue;
        fields[line.substr(0, equals)] = unescapeLineValue(line.substr(equals + 1));
    }
    return {fields, winerr::success};
}

ErrorCode writeFields(const std::string& path, const Fields& fields) {
    std::string text;
    for (const auto& [key, value] : fields)
        text += key + '=' + escapeLineValue(value) + '\n';
    return replaceFileContent(path, text, false);
}

std::uint32_t number(const Fields& fields, const std::string& key, std::uint32_t fallback = 0) {
    const auto found = fields.find(key);
    if (found == fields.end() || found->second.empty()) return fallback;
    return static_cast<std::uint32_t>(std::strtoul(found->second.c_str(), nullptr, 10));
}

std::string text(const Fields& fields, const std::string& key) {
    const auto found = fields.find(key);
    return found == fields.end() ? std::string() : found->second;
}

std::string configFileOf(const std::string& name) {
    return ServiceStore::folderOf(name) + "/config";
}
std::string statusFileOf(const std::string& name) {
    return ServiceStore::folderOf(name) + "/status";
}

}  // namespace

StoreLock::StoreLock() {
    makeFolders(ServiceStore::servicesFolder());
    const std::string path = ServiceStore::servicesFolder() + "/.lock";
    fd_.reset(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644));
    if (!fd_.open()) {
        error_ = setLastErrorFromErrno();
        return;
    }
    while (::flock(fd_.get(), LOCK_EX) != 0) {
        if (errno == EINTR) continue;
        error_ = setLastErrorFromErrno();
        fd_.reset();
        return;
    }
}

std::string ServiceStore::servicesFolder() {
    return standInRoot() + "/services";
}
std::string ServiceStore::folderOf(const std::string& name) {
    return servicesFolder() + "/" + name;
}
std::string ServiceStore::aliveFileOf(const std::string& name) {
    return folderOf(name) + "/alive";
}
std::string ServiceStore::controlPipeOf(const std::string& name) {
    return folderOf(name) + "/control";
}
std::string ServiceStore::outputFileOf(const std::string& name) {
    return folderOf(name) + "/output.log";
}

bool ServiceStore::exists(const std::string& name) {
    struct stat info {};
    return ::stat(configFileOf(name).c_str(), &info) == 0;
}

Result<StoredService> ServiceStore::readService(const std::string& name) {
    const auto fields = readFields(configFileOf(name));
    if (!fields.ok())
        return Result<StoredService>::failure(setLastError(winerr::serviceDoesNotExist));
    const Fields& f = fields.value;
    StoredService service;
    service.config.name = name;
    service.config.displayName = text(f, "displayName");
    service.config.commandLine = text(f, "commandLine");
    service.config.serviceType = number(f, "serviceType", svc::ownProcess);
    service.config.startType = number(f, "startType", svc::autoStart);
    service.config.errorControl = number(f, "errorControl", svc::errorNormal);
    service.config.dependencies = splitDependencies(text(f, "dependencies"));
    service.description = text(f, "description");
    service.plainDaemon = number(f, "plainDaemon") != 0;
    service.markedForDelete = number(f, "markedForDelete") != 0;
    return {service, winerr::success};
}

ErrorCode ServiceStore::writeService(const StoredService& service) {
    const std::string& name = service.config.name;
    if (const ErrorCode failed = makeFolders(folderOf(name))) return failed;
    return writeFields(configFileOf(name),
                       {{"displayName", service.config.displayName},
                        {"commandLine", service.config.commandLine},
                        {"serviceType", std::to_string(service.config.serviceType)},
                        {"startType", std::to_string(service.config.startType)},
                        {"errorControl", std::to_string(service.config.errorControl)},
                        {"dependencies", joinDependencies(service.config.dependencies)},
                        {"description", service.description},
                        {"plainDaemon", service.plainDaemon ? "1" : "0"},
                        {"markedForDelete", service.markedForDelete ? "1" : "0"}});
}

Result<StoredStatus> ServiceStore::readStatus(const std::string& name) {
    const auto service = readService(name);
    if (!service.ok()) return Result<StoredStatus>::failure(service.error);
    StoredStatus stored;
    const auto fields = readFields(statusFileOf(name));
    if (fields.ok()) {
        const Fields& f = fields.value;
        stored.status.serviceType = service.value.config.serviceType;
        stored.status.currentState = number(f, "state", svc::stopped);
        stored.status.controlsAccepted = number(f, "controlsAccepted");
        stored.status.win32ExitCode = number(f, "win32ExitCode");
        stored.status.serviceSpecificExitCode = number(f, "serviceSpecificExitCode");
        stored.status.checkPoint = number(f, "checkPoint");
        stored.status.waitHint = number(f, "waitHint");
        stored.pid = static_cast<pid_t>(number(f, "pid"));
        stored.connected = number(f, "connected") != 0;
        stored.stopRequested = number(f, "stopRequested") != 0;
        stored.controlsSent = number(f, "controlsSent");
        stored.controlsHandled = number(f, "controlsHandled");
    }
    if (stored.status.currentState != svc::stopped && !processAlive(name)) {
        // As on Windows: a process that ends without reporting STOPPED
        // "terminated unexpectedly"; a daemon asked to stop ended cleanly.
        const bool cleanStop = service.value.plainDaemon && stored.stopRequested;
        stored.status = ServiceStatus{service.value.config.serviceType, svc::stopped, 0,
                                      cleanStop ? winerr::success : winerr::processAborted};
        stored.pid = 0;
        stored.connected = false;
        stored.stopRequested = false;
        writeStatus(name, stored);
        removeIfDeletedAndStopped(name);
    }
    return {stored, winerr::success};
}

ErrorCode ServiceStore::writeStatus(const std::string& name, const StoredStatus& stored) {
    const ServiceStatus& s = stored.status;
    return writeFields(statusFileOf(name),
                       {{"state", std::to_string(s.currentState)},
                        {"controlsAccepted", std::to_string(s.controlsAccepted)},
                        {"win32ExitCode", std::to_string(s.win32ExitCode)},
                        {"serviceSpecificExitCode", std::to_string(s.serviceSpecificExitCode)},
                        {"checkPoint", std::to_string(s.checkPoint)},
                        {"waitHint", std::to_string(s.waitHint)},
                        {"pid", std::to_string(stored.pid)},
                        {"connected", stored.connected ? "1" : "0"},
                        {"stopRequested", stored.stopRequested ? "1" : "0"},
                        {"controlsSent", std::to_string(stored.controlsSent)},
                        {"controlsHandled", std::to_string(stored.controlsHandled)}});
}

void ServiceStore::removeIfDeletedAndStopped(const std::string& name) {
    const auto service = readService(name);
    if (!service.ok() || !service.value.markedForDelete) return;
    const auto fields = readFields(statusFileOf(name));
    if (fields.ok() && number(fields.value, "state", svc::stopped) != svc::stopped) return;
    removeFolder(name);
}

void ServiceStore::removeFolder(const std::string& name) {
    std::error_code ignored;
    std::filesystem::remove_all(folderOf(name), ignored);
}

std::string joinDependencies(const std::string& multiString) {
    std::string joined;
    std::size_t start = 0;
    while (start < multiString.size() && multiString[start] != '\0') {
        const std::size_t end = multiString.find('\0', start);
        if (!joined.empty()) joined += '/';
        joined += multiString.substr(start, end - start);
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return joined;
}

std::string splitDependencies(const std::string& joined) {
    std::string multiString;
    std::istringstream in(joined);
    std::string name;
    while (std::getline(in, name, '/'))
        if (!name.empty()) multiString += name + '\0';
    if (multiString.empty()) multiString += '\0';
    return multiString + '\0';
}

bool ServiceStore::processAlive(const std::string& name) {
    Fd fd(::open(aliveFileOf(name).c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.open()) return false;
    if (::flock(fd.get(), LOCK_SH | LOCK_NB) == 0) return false;
    return errno == EWOULDBLOCK;
}

}  // namespace platform::posix
