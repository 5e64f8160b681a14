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
#include "file_replace.h"
#include "stand_in_files.h"

namespace platform::posix {
namespace {

using Fields = std::map<std::string, std::string>;

constexpr std::size_t maxNameCharacters = 256;

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

// Records written before names moved into the config are named by their folder.
std::string nameIn(const Fields& config, const std::string& folder) {
    const std::string name = text(config, "name");
    return name.empty() ? std::filesystem::path(folder).filename().string() : name;
}

bool isNumber(const std::string& text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

char foldCase(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

ErrorCode checkServiceName(const std::string& name) {
    // Characters, not bytes: UTF-8 continuation bytes do not count.
    std::size_t characters = 0;
    for (const char c : name)
        characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    if (characters == 0 || characters > maxNameCharacters ||
        name.find_first_of("/\\") != std::string::npos)
        return setLastError(winerr::invalidName);
    return winerr::success;
}

bool sameServiceName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (foldCase(a[i]) != foldCase(b[i])) return false;
    return true;
}

StoreLock::StoreLock(std::chrono::milliseconds wait) {
    const std::string folder = ServiceStore::servicesFolder();
    makeFolders(folder);
    fd_.reset(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd_.open()) {
        error_ = setLastErrorFromErrno();
        return;
    }
    error_ = lockWithin(fd_.get(), wait, winerr::serviceRequestTimeout);
    if (error_ != winerr::success) fd_.reset();
}

std::string ServiceStore::servicesFolder() {
    return standInRoot() + "/services";
}

std::vector<std::string> ServiceStore::folders() {
    std::vector<std::string> found;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(servicesFolder(), error))
        if (entry.is_directory(error)) found.push_back(entry.path().string());
    return found;
}

Result<std::string> ServiceStore::find(const std::string& name) {
    if (const ErrorCode invalid = checkServiceName(name))
        return Result<std::string>::failure(invalid);
    for (const std::string& folder : folders()) {
        const auto config = readFields(ServiceFiles{folder}.config());
        if (config.ok() && sameServiceName(nameIn(config.value, folder), name))
            return {folder, winerr::success};
    }
    return Result<std::string>::failure(setLastError(winerr::serviceDoesNotExist));
}

// Numbers are never given twice: a process of a deleted service that has not
// ended yet holds its folder's path and must not write into a new service's
// record, as a Windows service handle never reaches another service.
std::string ServiceStore::newFolder() {
    const std::string lastGiven = servicesFolder() + "/.last";
    const auto stored = readWholeFile(lastGiven);
    unsigned long highest = stored.ok() ? std::strtoul(stored.value.c_str(), nullptr, 10) : 0;
    for (const std::string& folder : folders()) {
        const std::string base = std::filesystem::path(folder).filename().string();
        if (isNumber(base)) highest = std::max(highest, std::strtoul(base.c_str(), nullptr, 10));
    }
    const std::string next = std::to_string(highest + 1);
    replaceFileContent(lastGiven, next + "\n", false);
    return servicesFolder() + "/" + next;
}

Result<StoredService> ServiceStore::readService(const std::string& folder) {
    const auto fields = readFields(ServiceFiles{folder}.config());
    if (!fields.ok())
        return Result<StoredService>::failure(setLastError(winerr::serviceDoesNotExist));
    const Fields& f = fields.value;
    StoredService service;
    service.config.name = nameIn(f, folder);
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

ErrorCode ServiceStore::writeService(const std::string& folder, const StoredService& service) {
    if (const ErrorCode failed = makeFolders(folder)) return failed;
    return writeFields(ServiceFiles{folder}.config(),
                       {{"name", service.config.name},
                        {"displayName", service.config.displayName},
                        {"commandLine", service.config.commandLine},
                        {"serviceType", std::to_string(service.config.serviceType)},
                        {"startType", std::to_string(service.config.startType)},
                        {"errorControl", std::to_string(service.config.errorControl)},
                        {"dependencies", joinDependencies(service.config.dependencies)},
                        {"description", service.description},
                        {"plainDaemon", service.plainDaemon ? "1" : "0"},
                        {"markedForDelete", service.markedForDelete ? "1" : "0"}});
}

Result<StoredStatus> ServiceStore::readStatus(const std::string& folder,
                                              const StoredService& service) {
    StoredStatus stored;
    const auto fields = readFields(ServiceFiles{folder}.status());
    if (fields.ok()) {
        const Fields& f = fields.value;
        stored.status.serviceType = service.config.serviceType;
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
    if (stored.status.currentState != svc::stopped && !processAlive(folder)) {
        // As on Windows: a process that ends without reporting STOPPED
        // "terminated unexpectedly"; a daemon asked to stop ended cleanly.
        const bool cleanStop = service.plainDaemon && stored.stopRequested;
        stored.status = ServiceStatus{service.config.serviceType, svc::stopped, 0,
                                      cleanStop ? winerr::success : winerr::processAborted};
        stored.pid = 0;
        stored.connected = false;
        stored.stopRequested = false;
        if (const ErrorCode failed = writeStatus(folder, stored))
            return Result<StoredStatus>::failure(failed);
    }
    return {stored, winerr::success};
}

ErrorCode ServiceStore::writeStatus(const std::string& folder, const StoredStatus& stored) {
    const ServiceStatus& s = stored.status;
    return writeFields(ServiceFiles{folder}.status(),
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

void ServiceStore::removeIfUnused(const std::string& folder) {
    const auto service = readService(folder);
    if (!service.ok() || !service.value.markedForDelete) return;
    const auto status = readFields(ServiceFiles{folder}.status());
    if (status.ok() && number(status.value, "state", svc::stopped) != svc::stopped) return;
    Fd handles(::open(ServiceFiles{folder}.handles().c_str(), O_RDONLY | O_CLOEXEC));
    if (handles.open() && ::flock(handles.get(), LOCK_EX | LOCK_NB) != 0) return;
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

bool ServiceStore::processAlive(const std::string& folder) {
    Fd fd(::open(ServiceFiles{folder}.alive().c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.open()) return false;
    if (::flock(fd.get(), LOCK_SH | LOCK_NB) == 0) return false;
    return errno == EWOULDBLOCK;
}

ServiceTransaction::~ServiceTransaction() {
    if (lock_.held() && !folder.empty() && service.markedForDelete)
        ServiceStore::removeIfUnused(folder);
}

ErrorCode ServiceTransaction::selectByName(const std::string& name) {
    if (!lock_.held()) return lock_.error();
    const auto found = ServiceStore::find(name);
    return found.ok() ? select(found.value) : found.error;
}

ErrorCode ServiceTransaction::select(const std::string& chosen) {
    if (!lock_.held()) return lock_.error();
    const auto read = ServiceStore::readService(chosen);
    if (!read.ok()) return read.error;
    const auto current = ServiceStore::readStatus(chosen, read.value);
    if (!current.ok()) return current.error;
    folder = chosen;
    service = read.value;
    status = current.value;
    return winerr::success;
}

ErrorCode ServiceTransaction::commitService() {
    return ServiceStore::writeService(folder, service);
}

ErrorCode ServiceTransaction::commitStatus() {
    return ServiceStore::writeStatus(folder, status);
}

std::string joinDependencies(const std::string& multiString) {
    std::string joined;
    for (const std::string& name : dependencyNames(multiString))
        joined += (joined.empty() ? "" : "/") + name;
    return joined;
}

// A NUL left in the stored text (no service name holds one) separates names
// like "/", so that the list reads back the same once written.
std::string splitDependencies(const std::string& joined) {
    std::string multiString, name;
    for (const char c : joined + '/') {
        if (c != '/' && c != '\0') {
            name += c;
            continue;
        }
        if (!name.empty()) multiString += name + '\0';
        name.clear();
    }
    if (multiString.empty()) multiString += '\0';
    return multiString + '\0';
}

std::vector<std::string> dependencyNames(const std::string& multiString) {
    std::vector<std::string> names;
    std::size_t start = 0;
    while (start < multiString.size() && multiString[start] != '\0') {
        const std::size_t end = std::min(multiString.find('\0', start), multiString.size());
        names.push_back(multiString.substr(start, end - start));
        start = end + 1;
    }
    return names;
}

}  // namespace platform::posix
