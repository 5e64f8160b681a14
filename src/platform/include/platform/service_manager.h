#pragma once
// The service control manager, seen from a client (install, start, stop,
// query) and from a service process (dispatcher, control handler, status).
// Numbers are the Windows ones: states, controls and error numbers.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/error.h"

namespace platform {

namespace svc {
constexpr std::uint32_t ownProcess = 16;  // SERVICE_WIN32_OWN_PROCESS
constexpr std::uint32_t autoStart = 2;    // SERVICE_AUTO_START
constexpr std::uint32_t demandStart = 3;  // SERVICE_DEMAND_START
constexpr std::uint32_t errorNormal = 1;  // SERVICE_ERROR_NORMAL

constexpr std::uint32_t stopped = 1;
constexpr std::uint32_t startPending = 2;
constexpr std::uint32_t stopPending = 3;
constexpr std::uint32_t running = 4;

constexpr std::uint32_t controlStop = 1;
constexpr std::uint32_t controlInterrogate = 4;
constexpr std::uint32_t acceptStop = 1;

// Access rights the client asks for.
constexpr std::uint32_t managerAllAccess = 0xF003F;
constexpr std::uint32_t managerConnect = 0x0001;
constexpr std::uint32_t managerCreateService = 0x0002;
constexpr std::uint32_t serviceAllAccess = 0xF01FF;
constexpr std::uint32_t serviceQueryStatus = 0x0004;
}  // namespace svc

// SERVICE_STATUS, field for field.
struct ServiceStatus {
    std::uint32_t serviceType = svc::ownProcess;
    std::uint32_t currentState = svc::stopped;
    std::uint32_t controlsAccepted = 0;
    std::uint32_t win32ExitCode = 0;
    std::uint32_t serviceSpecificExitCode = 0;
    std::uint32_t checkPoint = 0;
    std::uint32_t waitHint = 0;
};

struct ServiceConfig {
    std::string name;
    std::string displayName;
    std::string commandLine;
    std::uint32_t serviceType = svc::ownProcess;
    std::uint32_t startType = svc::autoStart;
    std::uint32_t errorControl = svc::errorNormal;
    // The Windows multi-string: every name followed by a NUL, then one more NUL.
    std::string dependencies{'\0', '\0'};
};

// An open service; closing happens when the object goes.
class ServiceHandle {
public:
    virtual ~ServiceHandle() = default;
    virtual ErrorCode start() = 0;
    // The status after the control was delivered.
    virtual Result<ServiceStatus> control(std::uint32_t code) = 0;
    virtual Result<ServiceStatus> queryStatus() = 0;
    virtual Result<ServiceConfig> queryConfig() = 0;
    // Marks the service for deletion; it goes once it has stopped.
    virtual ErrorCode remove() = 0;
    virtual ErrorCode setDescription(const std::string& description) = 0;
};

// Held while the services database is locked; unlocks when it goes.
class ServiceDatabaseLock {
public:
    virtual ~ServiceDatabaseLock() = default;
};

// An open connection to the manager; closes when the object goes.
class ServiceManagerConnection {
public:
    virtual ~ServiceManagerConnection() = default;
    // With the access rights the caller needs: a user without administrator
    // rights may query a service but not control it.
    virtual Result<std::unique_ptr<ServiceHandle>> open(const std::string& name,
                                                        std::uint32_t access) = 0;
    virtual Result<std::unique_ptr<ServiceHandle>> create(const ServiceConfig& config) = 0;
    virtual Result<std::unique_ptr<ServiceDatabaseLock>> lock() = 0;
};

class ServiceManager {
public:
    virtual ~ServiceManager() = default;
    virtual Result<std::unique_ptr<ServiceManagerConnection>> connect(std::uint32_t access) = 0;
};

// The service process's side. One service per process.
class ServiceDispatcher {
public:
    using ServiceMain = std::function<void()>;
    using ControlHandler = std::function<void(std::uint32_t control)>;

    virtual ~ServiceDispatcher() = default;
    // Connects to the manager and runs serviceMain on a thread of its own;
    // control handlers run on the calling thread. Returns once the service has
    // stopped, or at once with the error when the manager did not start us.
    virtual ErrorCode run(const std::string& name, ServiceMain serviceMain) = 0;
    // Registers the handler; only valid on the thread that serviceMain runs on.
    virtual ErrorCode registerControlHandler(const std::string& name, ControlHandler handler) = 0;
    virtual ErrorCode setStatus(const ServiceStatus& status) = 0;
};

// The running program's own file, which a service's command line names.
class ProgramFile {
public:
    virtual ~ProgramFile() = default;
    // GetModuleFileNameA(NULL) into a buffer of that many bytes (the
    // executable's path on Linux); fails when the path does not fit, and with
    // 1113 when the path has characters the ANSI code page lacks.
    virtual Result<std::string> modulePath(std::size_t bufferSize) = 0;
};

// The system's implementations; main wires them, tests wire fakes.
std::unique_ptr<ProgramFile> makeSystemProgramFile();
std::unique_ptr<ServiceManager> makeSystemServiceManager();
// One per process: the manager talks to a single dispatcher.
std::unique_ptr<ServiceDispatcher> makeSystemServiceDispatcher();

}  // namespace platform
