#pragma once
#include <string>

#include "platform/service_manager.h"

namespace Quimbo {

// The state phrases of GetServiceStatusText. Their users compare them by
// exact text.
extern const char* const serviceNotFound;
extern const char* const serviceIsStopped;
extern const char* const serviceIsRunning;

// The state of a service as a fixed English phrase: "Service Not Found" when
// it cannot be opened, "" for a state without a phrase. Asks only for the
// right to query, so that a user without administrator rights sees the state
// of a service that exists.
std::string GetServiceStatusText(platform::ServiceManager& manager, const std::string& serviceName);

// Sends the service a stop (without waiting, whatever it answers) and
// deletes it: 0, or the Windows error number of the call that failed.
platform::ErrorCode RemoveServiceByName(platform::ServiceManager& manager,
                                        const std::string& serviceName);

}  // namespace Quimbo
