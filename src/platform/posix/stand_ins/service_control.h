#pragma once
// POSIX side only: the stand-in service manager's operations, with the
// Windows semantics and error numbers the programs rely on. Used by the
// ServiceManager seam and by the harvella-sc tool.
#include <chrono>
#include <string>

#include "platform/error.h"
#include "platform/service_manager.h"
#include "service_store.h"

namespace platform::posix {

class StandInServiceManager {
public:
    // How long a service-aware process has to reach the dispatcher (Windows: 30 s).
    static constexpr std::chrono::milliseconds connectLimit{30000};
    // How long a plain daemon has between SIGTERM and SIGKILL.
    static constexpr std::chrono::milliseconds daemonGrace{20000};

    // 123 for a name Windows would refuse, 0 otherwise.
    static ErrorCode checkName(const std::string& name);
    static ErrorCode openExisting(const std::string& name);
    static ErrorCode create(const StoredService& service);
    static ErrorCode remove(const std::string& name);
    // Starts the process; for a service-aware one, returns once it has
    // connected to the dispatcher (or 1067 when it died, 1053 after the limit).
    static ErrorCode start(const std::string& name);
    static Result<ServiceStatus> control(const std::string& name, std::uint32_t code);
    static Result<ServiceStatus> query(const std::string& name);
    static Result<StoredService> queryConfig(const std::string& name);
    static ErrorCode setDescription(const std::string& name, const std::string& description);
};

}  // namespace platform::posix
