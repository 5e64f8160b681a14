#pragma once
// In-memory versions of the launcher's own seams.
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "fakes/FailureSchedule.h"
#include "frontend/LauncherErrors.h"
#include "platform/launcher_services.h"

namespace launcherfakes {

// The full message of the Error that the call throws; "(nothing thrown)" otherwise.
template <class Error = Harvella::HarvellaError, class Call>
std::string fullMessageOf(Call&& call) {
    try {
        call();
    } catch (const Error& error) {
        return error.getFullMessage();
    }
    return "(nothing thrown)";
}

// Keys by path, each a map of values; records which handles are still open.
class FakeRegistry final : public platform::Registry {
public:
    std::map<std::string, std::map<std::string, platform::RegistryValue>> keys;
    std::set<platform::RegistryHandle> openHandles;
    fakes::FailureSchedule creates, writes;
    std::size_t lastBufferSize = 0;

    void setString(const std::string& key, const std::string& name, const std::string& text,
                   std::uint32_t type = platform::regtype::sz) {
        keys[key][name] = {type, text + std::string(1, '\0')};
    }

    platform::Result<platform::RegistryHandle> openKey(const std::string& path) override {
        if (!keys.count(path)) return platform::Result<platform::RegistryHandle>::failure(2);
        return {handleFor(path), 0};
    }
    platform::Result<platform::RegistryHandle> createKey(const std::string& path) override {
        if (const auto e = creates.next())
            return platform::Result<platform::RegistryHandle>::failure(e);
        keys[path];
        return {handleFor(path), 0};
    }
    void closeKey(platform::RegistryHandle key) override { openHandles.erase(key); }
    platform::Result<platform::RegistryValue> queryValue(platform::RegistryHandle key,
                                                         const std::string& name,
                                                         std::size_t bufferSize) override {
        lastBufferSize = bufferSize;
        auto& values = keys[pathOf(key)];
        const auto found = values.find(name);
        if (found == values.end()) return platform::Result<platform::RegistryValue>::failure(2);
        if (found->second.data.size() > bufferSize)
            return platform::Result<platform::RegistryValue>::failure(platform::registryMoreData);
        return {found->second, 0};
    }
    platform::ErrorCode setValue(platform::RegistryHandle key, const std::string& name,
                                 const platform::RegistryValue& value) override {
        if (const auto e = writes.next()) return e;
        keys[pathOf(key)][name] = value;
        return 0;
    }

private:
    platform::RegistryHandle handleFor(const std::string& path) {
        handles_.push_back(path);
        openHandles.insert(handles_.size());
        return handles_.size();
    }
    std::string pathOf(platform::RegistryHandle key) { return handles_.at(key - 1); }
    std::vector<std::string> handles_;
};

// Files and folders by full path; `denied` paths answer access denied. A
// path starting with ".\\" resolves against the current folder, when wired.
class FakeLauncherFiles final : public platform::LauncherFiles {
public:
    std::map<std::string, std::string> files;
    std::set<std::string> readOnly, denied;
    fakes::FailureSchedule creates;
    const std::string* current = nullptr;

    platform::ErrorCode createNew(const std::string& path) override {
        if (const auto e = creates.next()) return e;
        if (files.count(full(path))) return platform::winerr::fileExists;
        files[full(path)] = "";
        return 0;
    }
    platform::ErrorCode deleteFile(const std::string& path) override {
        return files.erase(full(path)) ? 0 : platform::winerr::fileNotFound;
    }
    platform::ErrorCode find(const std::string& path) override {
        if (denied.count(full(path))) return platform::winerr::accessDenied;
        return files.count(full(path)) ? 0 : platform::winerr::fileNotFound;
    }
    platform::Result<std::string> readWritable(const std::string& path) override {
        if (!files.count(path)) return platform::Result<std::string>::failure(2);
        if (readOnly.count(path)) return platform::Result<std::string>::failure(5);
        return {files[path], 0};
    }

private:
    std::string full(const std::string& path) const {
        return current && path.rfind(".\\", 0) == 0 ? *current + path.substr(1) : path;
    }
};

struct FakeEventLog final : public platform::EventLog {
    struct Entry {
        platform::EventSourceHandle source;
        std::uint16_t type, category;
        std::uint32_t id;
        std::string text;
    };
    std::vector<Entry> entries;
    std::vector<std::string> opened;
    std::set<platform::EventSourceHandle> openSources;
    platform::EventSourceHandle registerSource(const std::string& name) override {
        opened.push_back(name);
        openSources.insert(opened.size());
        return opened.size();
    }
    void deregisterSource(platform::EventSourceHandle source) override {
        openSources.erase(source);
    }
    bool report(platform::EventSourceHandle source, std::uint16_t type, std::uint16_t category,
                std::uint32_t id, const std::string& text) override {
        entries.push_back({source, type, category, id, text});
        return source != 0;
    }
};

struct FakeLibraries final : public platform::DynamicLibraries {
    std::map<std::string, std::map<std::string, void*>> libraries;
    std::vector<std::string> loads;
    std::vector<std::string> currentAtLoad;
    std::string* current = nullptr;
    int released = 0;
    // Runs while the library loads, so that a test can act in that moment.
    std::function<void()> onLoad;
    platform::Result<platform::LibraryHandle> load(const std::string& path) override {
        loads.push_back(path);
        if (current) currentAtLoad.push_back(*current);
        if (onLoad) onLoad();
        if (!libraries.count(path)) return platform::Result<platform::LibraryHandle>::failure(126);
        return {loads.size(), 0};
    }
    void* symbol(platform::LibraryHandle library, const std::string& name) override {
        auto& symbols = libraries[loads.at(library - 1)];
        return symbols.count(name) ? symbols[name] : nullptr;
    }
    void release(platform::LibraryHandle) override { ++released; }
};

struct FakeWorkingDirectory final : public platform::WorkingDirectory {
    std::string current = "/srv/harvella";
    std::set<std::string> folders{"/srv/harvella"};
    platform::ErrorCode getError = 0;
    platform::Result<std::string> get() override {
        if (getError) return platform::Result<std::string>::failure(getError);
        return {current, 0};
    }
    // A relative path leads on from the current folder.
    platform::ErrorCode set(const std::string& path) override {
        const bool relative = path.empty() || (path[0] != '\\' && path[0] != '/' &&
                                               path.find(':') == std::string::npos);
        const std::string full = relative ? current + "\\" + path : path;
        if (!folders.count(full)) return platform::winerr::fileNotFound;
        current = full;
        return 0;
    }
};

// Addresses whose bind fails, with a log of every call in order.
struct FakeNetwork final : public platform::Network {
    std::set<std::string> taken;
    std::vector<std::string> calls;
    platform::ErrorCode startupError = 0;
    platform::Result<std::string> name{"buildhost", 0};
    platform::Result<std::vector<std::string>> addresses{{"192.168.1.5", "10.0.0.2"}, 0};
    int started = 0;

    platform::ErrorCode startup(int major, int minor) override {
        calls.push_back("startup " + std::to_string(major) + "." + std::to_string(minor));
        if (!startupError) ++started;
        return startupError;
    }
    void cleanup() override {
        calls.push_back("cleanup");
        --started;
    }
    platform::ErrorCode tryBind(const std::string& address, std::uint16_t port) override {
        calls.push_back("bind " + address + ":" + std::to_string(port));
        return taken.count(address) ? 10048 : 0;
    }
    platform::Result<std::string> hostName(std::size_t size) override {
        calls.push_back("hostname " + std::to_string(size));
        return name;
    }
    platform::Result<std::vector<std::string>> hostAddresses(const std::string& host) override {
        calls.push_back("addresses " + host);
        return addresses;
    }
};

struct FakeShell final : public platform::Shell {
    std::intptr_t result = 42;
    std::vector<std::pair<std::uintptr_t, std::string>> opened;
    std::intptr_t openInExplorer(std::uintptr_t owner, const std::string& url) override {
        opened.emplace_back(owner, url);
        return result;
    }
};

inline const platform::LauncherConventions& windowsLauncherConventions() {
    static const platform::LauncherConventions conventions{"\\", "bin", "server\\jvm.dll"};
    return conventions;
}

// Every fake, wired with the Windows spellings.
struct FakeLauncherServices {
    FakeLauncherServices() { files.current = &workingDirectory.current; }
    FakeLauncherServices(const FakeLauncherServices&) = delete;
    FakeLauncherServices& operator=(const FakeLauncherServices&) = delete;

    FakeRegistry registry;
    FakeEventLog eventLog;
    FakeLauncherFiles files;
    FakeLibraries libraries;
    FakeWorkingDirectory workingDirectory;
    FakeNetwork network;
    FakeShell shell;
    platform::LauncherServices services{
        registry,         eventLog, files, libraries,
        workingDirectory, network,  shell, windowsLauncherConventions()};
};

}  // namespace launcherfakes
