#include "ServicesCmdModule.h"

namespace Quimbo {

const char* const serviceNotFound = "Service Not Found";
const char* const serviceIsStopped = "Service Is Stopped";
const char* const serviceIsRunning = "Service Is Running";

namespace {

namespace svc = platform::svc;

std::string phraseOf(std::uint32_t state) {
    switch (state) {
    case 1: return serviceIsStopped;
    case 2: return "Service Start Pending";
    case 3: return "Service Stop Pending";
    case 4: return serviceIsRunning;
    case 5: return "Service Continue Pending";
    case 6: return "Service Pause Pending";
    case 7: return "Service Paused";
    default: return "";
    }
}

}  // namespace

std::string GetServiceStatusText(platform::ServiceManager& manager,
                                 const std::string& serviceName) {
    auto connection = manager.connect(svc::managerConnect);
    if (!connection.ok()) return serviceNotFound;
    auto service = connection.value->open(serviceName, svc::serviceQueryStatus);
    if (!service.ok()) return serviceNotFound;
    // A failed query leaves the record zero-filled: a state without a phrase.
    const auto status = service.value->queryStatus();
    return phraseOf(status.ok() ? status.value.currentState : 0);
}

platform::ErrorCode RemoveServiceByName(platform::ServiceManager& manager,
                                        const std::string& serviceName) {
    auto connection = manager.connect(svc::managerConnect);
    if (!connection.ok()) return connection.error;
    auto service = connection.value->open(serviceName, svc::serviceAllAccess);
    if (!service.ok()) return service.error;
    service.value->control(svc::controlStop);
    return service.value->remove();
}

}  // namespace Quimbo
