#pragma once
// Windows side only: the launcher's own seams over advapi32, kernel32,
// WinSock and the shell.
#include "platform/launcher_services.h"

namespace platform::win32 {

class Win32Registry final : public Registry {
public:
    Result<RegistryHandle> openKey(const std::string& path) override;
    Result<RegistryHandle> createKey(const std::string& path) override;
    void closeKey(RegistryHandle key) override;
    Result<RegistryValue> queryValue(RegistryHandle key, const std::string& name,
                                     std::size_t bufferSize) override;
    ErrorCode setValue(RegistryHandle key, const std::string& name,
                       const RegistryValue& value) override;
};

class Win32EventLog final : public EventLog {
public:
    EventSourceHandle registerSource(const std::string& sourceName) override;
    void deregisterSource(EventSourceHandle source) override;
    bool report(EventSourceHandle source, std::uint16_t type, std::uint16_t category,
                std::uint32_t eventId, const std::string& text) override;
};

class Win32LauncherFiles final : public LauncherFiles {
public:
    ErrorCode createNew(const std::string& path) override;
    ErrorCode deleteFile(const std::string& path) override;
    ErrorCode find(const std::string& path) override;
    Result<std::string> readWritable(const std::string& path) override;
};

class Win32DynamicLibraries final : public DynamicLibraries {
public:
    Result<LibraryHandle> load(const std::string& path) override;
    void* symbol(LibraryHandle library, const std::string& name) override;
    void release(LibraryHandle library) override;
};

class Win32WorkingDirectory final : public WorkingDirectory {
public:
    Result<std::string> get() override;
    ErrorCode set(const std::string& path) override;
};

class Win32Network final : public Network {
public:
    ErrorCode startup(int major, int minor) override;
    void cleanup() override;
    ErrorCode tryBind(const std::string& address, std::uint16_t port) override;
    Result<std::string> hostName(std::size_t bufferSize) override;
    Result<std::vector<std::string>> hostAddresses(const std::string& hostName) override;
};

class Win32Shell final : public Shell {
public:
    std::intptr_t openInExplorer(std::uintptr_t ownerWindow, const std::string& url) override;
};

}  // namespace platform::win32
