#pragma once
// POSIX side only: the stand-in service manager's operations, with the
// Windows semantics and error numbers the programs rely on. Used by the
// ServiceManager seam and by the harvella-sc tool.
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "platform/error.h"
#include "platform/service_manager.h"
#include "service_store.h"
#include "unique_fd.h"

namespace platform::posix {

// An open service. As a Windows service handle, it keeps the service's
// record: a service deleted while it is open goes once it has stopped and
// its last handle has closed.
class StandInService final : public ServiceHandle {
public:
    // How long a service-aware process has to reach the dispatcher, and a
    // dependency to reach RUNNING (Windows: 30 s).
    static constexpr std::chrono::milliseconds connectLimit{30000};
    // How long a plain daemon has between SIGTERM and SIGKILL.
    static constexpr std::chrono::milliseconds daemonGrace{20000};

    using Opened = Result<std::unique_ptr<StandInService>>;
    // 123 for a name Windows refuses, 1060 when there is no such service.
    static Opened open(const std::string& name);
    // 1073 when a service of that name (in any case) exists, 1072 while it is
    // marked for deletion, 1059 for a dependency that depends on it.
    static Opened create(const StoredService& service);
    ~StandInService() override;

    // Starts the dependencies first (1075 when one does not exist, 1068 when
    // one fails), then the process; for a service-aware one, returns once it
    // has connected to the dispatcher (1067 when it died, 1053 after the limit).
    ErrorCode start() override;
    // 1061 while the service starts or stops, 1051 for a stop while services
    // that depend on this one run.
    Result<ServiceStatus> control(std::uint32_t code) override;
    Result<ServiceStatus> queryStatus() override;
    Result<ServiceConfig> queryConfig() override;
    ErrorCode remove() override;
    ErrorCode setDescription(const std::string& description) override;
    // The configuration with what only the stand-in keeps.
    Result<StoredService> queryRecord();

private:
    StandInService(std::string folder, Fd hold);
    static Opened holdOpen(const std::string& folder);
    // `starting`: the services whose start led here, to refuse a cycle.
    ErrorCode startWithDependencies(std::vector<std::string> starting);
    ErrorCode startDependency(const std::string& name, const std::vector<std::string>& starting);
    ErrorCode startProcess();

    std::string folder_;
    Fd hold_;
};

}  // namespace platform::posix
