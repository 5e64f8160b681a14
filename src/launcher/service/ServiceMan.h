#pragma once
// The launcher's client of the service manager: installs, removes, starts and
// stops the Harvella service and the services it depends on.
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "frontend/ServiceErrors.h"
#include "platform/clock.h"
#include "platform/launcher_services.h"
#include "platform/service_manager.h"
#include "service/ProgressListener.h"
#include "service/ServiceExitCodes.h"

namespace Harvella::ServiceMan {

extern const char* const serviceName;
extern const char* const serviceDisplayName;
extern const char* const serviceDescription;
extern const char* const serviceArgument;

// What the client reaches the system through, and the dependency list that
// addDependency fills before install; main keeps one for the process.
struct Context {
    platform::ServiceManager& manager;
    platform::ProgramFile& program;
    platform::LauncherServices& launcher;
    platform::Clock& clock;
    std::vector<std::string> dependencies{};
};

using ServiceHandle = std::unique_ptr<platform::ServiceHandle>;
using DependencyAction =
    std::function<void(const std::string& name, ProgressListener& listener, int share)>;

void addDependency(Context& context, const std::string& name);
// The dependency list as the manager takes it: each name and a NUL, then one
// more NUL; no names give two NULs.
std::string dependencyMultiString(const std::vector<std::string>& names);

void install(Context& context);
void remove(Context& context);
bool exists(Context& context, const std::string& name);
ServiceHandle openService(Context& context, const std::string& name);

void start(Context& context, ProgressListener& listener);
void stop(Context& context, ProgressListener& listener);

void startAndWait(Context& context, platform::ServiceHandle& service, ProgressListener& listener,
                  const std::string& name, int steps, std::chrono::milliseconds interval,
                  int requiredRunning, bool failIfRunning);
void stopAndWait(Context& context, platform::ServiceHandle& service, ProgressListener& listener,
                 const std::string& name, int polls, std::chrono::milliseconds interval,
                 bool failIfStopped);

std::vector<std::string> dependenciesOf(platform::ServiceHandle& service);
// Calls the action for each dependency with share = 40 / their number.
void forEachDependency(platform::ServiceHandle& service, ProgressListener& listener,
                       const DependencyAction& action);

}  // namespace Harvella::ServiceMan
