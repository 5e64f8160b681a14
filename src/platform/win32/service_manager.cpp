// The service manager seam over advapi32. No core logic belongs here.
#include "platform/service_manager.h"

#include <windows.h>

#include <string>
#include <vector>

namespace platform {
namespace win32 {
namespace {

// Service and manager handles are closed by CloseServiceHandle, not CloseHandle.
class ScHandle {
public:
    explicit ScHandle(SC_HANDLE handle) : handle_(handle) {}
    ScHandle(const ScHandle&) = delete;
    ScHandle& operator=(const ScHandle&) = delete;
    ~ScHandle() {
        if (handle_) ::CloseServiceHandle(handle_);
    }
    SC_HANDLE get() const { return handle_; }

private:
    SC_HANDLE handle_;
};

ServiceStatus fromWindows(const SERVICE_STATUS& s) {
    return ServiceStatus{s.dwServiceType,
                         s.dwCurrentState,
                         s.dwControlsAccepted,
                         s.dwWin32ExitCode,
                         s.dwServiceSpecificExitCode,
                         s.dwCheckPoint,
                         s.dwWaitHint};
}

// The multi-string up to and including its terminating empty name.
std::string copyMultiString(const char* names) {
    if (!names) return std::string(2, '\0');
    const char* end = names;
    while (*end)
        end += std::char_traits<char>::length(end) + 1;
    std::string copy(names, static_cast<std::size_t>(end - names));
    if (copy.empty()) copy += '\0';
    return copy + '\0';
}

class Win32ServiceHandle final : public ServiceHandle {
public:
    explicit Win32ServiceHandle(SC_HANDLE handle) : handle_(handle) {}

    ErrorCode start() override {
        return ::StartServiceA(handle_.get(), 0, nullptr) ? 0 : ::GetLastError();
    }

    Result<ServiceStatus> control(std::uint32_t code) override {
        SERVICE_STATUS status{};
        if (!::ControlService(handle_.get(), code, &status))
            return Result<ServiceStatus>::failure(::GetLastError());
        return {fromWindows(status), 0};
    }

    Result<ServiceStatus> queryStatus() override {
        SERVICE_STATUS status{};
        if (!::QueryServiceStatus(handle_.get(), &status))
            return Result<ServiceStatus>::failure(::GetLastError());
        return {fromWindows(status), 0};
    }

    Result<ServiceConfig> queryConfig() override {
        DWORD needed = 0;
        std::vector<char> buffer(4096);
        auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(buffer.data());
        if (!::QueryServiceConfigA(handle_.get(), config, static_cast<DWORD>(buffer.size()),
                                   &needed)) {
            if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER)
                return Result<ServiceConfig>::failure(::GetLastError());
            buffer.resize(needed);
            config = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(buffer.data());
            if (!::QueryServiceConfigA(handle_.get(), config, needed, &needed))
                return Result<ServiceConfig>::failure(::GetLastError());
        }
        ServiceConfig result;
        result.displayName = config->lpDisplayName ? config->lpDisplayName : "";
        result.commandLine = config->lpBinaryPathName ? config->lpBinaryPathName : "";
        result.serviceType = config->dwServiceType;
        result.startType = config->dwStartType;
        result.errorControl = config->dwErrorControl;
        result.dependencies = copyMultiString(config->lpDependencies);
        return {result, 0};
    }

    ErrorCode remove() override { return ::DeleteService(handle_.get()) ? 0 : ::GetLastError(); }

    // Looked up at run time: systems before Windows 2000 lack the call, and
    // the service then simply has no description.
    ErrorCode setDescription(const std::string& description) override {
        using ChangeConfig2 = BOOL(WINAPI*)(SC_HANDLE, DWORD, LPVOID);
        HMODULE library = ::LoadLibraryA("Advapi32");
        if (!library) return ::GetLastError();
        auto change = reinterpret_cast<ChangeConfig2>(
            reinterpret_cast<void*>(::GetProcAddress(library, "ChangeServiceConfig2A")));
        ErrorCode result = ERROR_PROC_NOT_FOUND;
        if (change) {
            std::string text = description;
            SERVICE_DESCRIPTIONA record{text.data()};
            result =
                change(handle_.get(), SERVICE_CONFIG_DESCRIPTION, &record) ? 0 : ::GetLastError();
        }
        ::FreeLibrary(library);
        return result;
    }

private:
    ScHandle handle_;
};

class Win32DatabaseLock final : public ServiceDatabaseLock {
public:
    explicit Win32DatabaseLock(SC_LOCK lock) : lock_(lock) {}
    ~Win32DatabaseLock() override { ::UnlockServiceDatabase(lock_); }

private:
    SC_LOCK lock_;
};

class Win32ServiceManagerConnection final : public ServiceManagerConnection {
public:
    explicit Win32ServiceManagerConnection(SC_HANDLE manager) : manager_(manager) {}

    Result<std::unique_ptr<ServiceHandle>> open(const std::string& name,
                                                std::uint32_t access) override {
        using R = Result<std::unique_ptr<ServiceHandle>>;
        SC_HANDLE service = ::OpenServiceA(manager_.get(), name.c_str(), access);
        if (!service) return R::failure(::GetLastError());
        return {std::make_unique<Win32ServiceHandle>(service), 0};
    }

    Result<std::unique_ptr<ServiceHandle>> create(const ServiceConfig& config) override {
        using R = Result<std::unique_ptr<ServiceHandle>>;
        SC_HANDLE service = ::CreateServiceA(
            manager_.get(), config.name.c_str(), config.displayName.c_str(), SERVICE_ALL_ACCESS,
            config.serviceType, config.startType, config.errorControl, config.commandLine.c_str(),
            nullptr, nullptr, config.dependencies.c_str(), nullptr, nullptr);
        if (!service) return R::failure(::GetLastError());
        return {std::make_unique<Win32ServiceHandle>(service), 0};
    }

    Result<std::unique_ptr<ServiceDatabaseLock>> lock() override {
        using R = Result<std::unique_ptr<ServiceDatabaseLock>>;
        SC_LOCK lock = ::LockServiceDatabase(manager_.get());
        if (!lock) return R::failure(::GetLastError());
        return {std::make_unique<Win32DatabaseLock>(lock), 0};
    }

private:
    ScHandle manager_;
};

class Win32ServiceManager final : public ServiceManager {
public:
    Result<std::unique_ptr<ServiceManagerConnection>> connect(std::uint32_t access) override {
        using R = Result<std::unique_ptr<ServiceManagerConnection>>;
        SC_HANDLE manager = ::OpenSCManagerA(nullptr, nullptr, access);
        if (!manager) return R::failure(::GetLastError());
        return {std::make_unique<Win32ServiceManagerConnection>(manager), 0};
    }
};

// The path in the ANSI code page, or nothing when a character of it has no
// place there (GetModuleFileNameA would put "?" in its stead).
bool toAnsiExactly(const std::wstring& wide, std::string& ansi) {
    BOOL lossy = FALSE;
    const int length = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.c_str(), -1,
                                             nullptr, 0, nullptr, &lossy);
    if (length <= 0 || lossy) return false;
    ansi.assign(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.c_str(), -1, &ansi[0], length,
                          nullptr, nullptr);
    ansi.resize(static_cast<std::size_t>(length - 1));
    return true;
}

class Win32ProgramFile final : public ProgramFile {
public:
    // The path as GetModuleFileNameA gives it, but 1113 where that call
    // would put "?" for a character outside the code page. The short name
    // is no way out: the launcher reaches its installation folder through
    // ANSI calls as well, and would not find it from the service either.
    Result<std::string> modulePath(std::size_t bufferSize) override {
        using R = Result<std::string>;
        std::wstring wide(maxWidePath, L'\0');
        const DWORD length = ::GetModuleFileNameW(nullptr, &wide[0], maxWidePath);
        if (length == 0 || length >= maxWidePath)
            return R::failure(length == 0 ? ::GetLastError() : ERROR_INSUFFICIENT_BUFFER);
        wide.resize(length);
        std::string path;
        if (!toAnsiExactly(wide, path)) return R::failure(ERROR_NO_UNICODE_TRANSLATION);
        // A path that would fill the buffer would have been cut (Windows XP
        // does not even say so).
        if (path.size() + 1 > bufferSize) return R::failure(ERROR_INSUFFICIENT_BUFFER);
        return {path, 0};
    }

private:
    static constexpr DWORD maxWidePath = 32768;
};

}  // namespace
}  // namespace win32

std::unique_ptr<ProgramFile> makeSystemProgramFile() {
    return std::make_unique<win32::Win32ProgramFile>();
}

std::unique_ptr<ServiceManager> makeSystemServiceManager() {
    return std::make_unique<win32::Win32ServiceManager>();
}

}  // namespace platform
