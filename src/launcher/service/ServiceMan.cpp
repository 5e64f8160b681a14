// Opening, installing and removing the Harvella service.
#include "service/ServiceMan.h"

#include "platform/command_line_word.h"
#include "runtime/LauncherSettings.h"
#include "service/EventLogSource.h"

namespace Harvella::ServiceMan {

const char* const serviceName = "Harvella";
const char* const serviceDisplayName = "Harvella Server";
const char* const serviceDescription =
    "Harvella - Web Based Timesheet: https://www.brenwick.example/harvella";
const char* const serviceArgument = "startAsService";

namespace {

namespace winerr = platform::winerr;

constexpr std::uint32_t eventCategoryCount = 6;
constexpr std::size_t modulePathBuffer = 512;
constexpr int deletionChecks = 3;
constexpr std::chrono::milliseconds deletionPause{800};

// A stopped registration is deleted; a running one is refused.
void deleteStoppedRegistration(Context& context) {
    auto manager = context.manager.connect(platform::svc::managerCreateService);
    if (!manager.ok()) return;
    auto service = manager.value->open(serviceName, platform::svc::serviceAllAccess);
    if (!service.ok()) return;
    const auto status = service.value->queryStatus();
    if (status.ok() && status.value.currentState != platform::svc::stopped)
        throw ServiceInstallationError(
            "Harvella service is running now and cannot be installed or re-installed."
            "\r\nPlease stop the service and try again.");
    service.value->remove();
}

void removeEarlierRegistration(Context& context) {
    deleteStoppedRegistration(context);
    // The manager deletes a service once its last handle is closed, which
    // deleteStoppedRegistration has done on its way out.
    for (int check = 0; check < deletionChecks && exists(context, serviceName); ++check)
        context.clock.sleep(deletionPause);
}

// The manager expands environment references ("%windir%") in a service's
// command line when it starts the service.
bool mayBeExpanded(const std::string& path) {
    const std::size_t first = path.find('%');
    return first != std::string::npos && path.find('%', first + 1) != std::string::npos;
}

// Asked for before the old registration goes, so that a launcher that cannot
// be registered leaves the old one in place.
std::string serviceCommandLine(Context& context) {
    const auto path = context.program.modulePath(modulePathBuffer);
    if (path.error == winerr::noUnicodeTranslation)
        throw ServiceInstallationError(
            "The launcher's folder cannot be named in the system's code page, so the service "
            "manager could not start it. Please install Harvella into a folder whose name uses "
            "only characters of that code page.");
    if (!path.ok()) throw HarvellaError("Could not obtain the module's name.");
    if (mayBeExpanded(path.value))
        throw ServiceInstallationError(
            "The launcher's path " + path.value +
            " holds \"%\" characters, which the service manager would read as an environment "
            "variable. Please install Harvella into a folder whose path holds no \"%\".");
    // Unquoted, a path with blanks ("C:\Program Files\...") would be split
    // into the program and stray arguments, and would let a program placed at
    // a shorter prefix of the path run as LocalSystem.
    return platform::quoteCommandLineWord(path.value) + " " + serviceArgument;
}

}  // namespace

void addDependency(Context& context, const std::string& name) {
    context.dependencies.push_back(name);
}

std::string dependencyMultiString(const std::vector<std::string>& names) {
    std::string multiString;
    for (const auto& name : names)
        multiString += name + '\0';
    if (names.empty()) multiString += '\0';
    return multiString + '\0';
}

ServiceHandle openService(Context& context, const std::string& name) {
    auto manager = context.manager.connect(platform::svc::managerAllAccess);
    if (!manager.ok()) throw HarvellaError(codeOf(manager.error), "Failed to call OpenSCManager.");
    auto service = manager.value->open(name, platform::svc::serviceAllAccess);
    if (service.ok()) return std::move(service.value);
    if (service.error == winerr::invalidName || service.error == winerr::serviceDoesNotExist)
        throw ServiceNotFoundError("Unable to locate service by name: " + name);
    throw HarvellaError(codeOf(service.error), "Failed to call OpenService.");
}

bool exists(Context& context, const std::string& name) {
    try {
        openService(context, name);
        return true;
    } catch (const ServiceNotFoundError&) {
        return false;
    }
}

void install(Context& context) {
    platform::ServiceConfig config;
    config.name = serviceName;
    config.displayName = serviceDisplayName;
    config.commandLine = serviceCommandLine(context);

    platform::LauncherServices& launcher = context.launcher;
    const std::string library = inInstallFolder(getInstallPath(launcher.registry),
                                                "HarvellaWinLogMsgs.dll", launcher.conventions);
    registerEventSource(launcher.registry, serviceName, library, eventCategoryCount);
    removeEarlierRegistration(context);

    config.serviceType = platform::svc::ownProcess;
    config.startType = platform::svc::autoStart;
    config.errorControl = platform::svc::errorNormal;
    config.dependencies = dependencyMultiString(context.dependencies);

    auto manager = context.manager.connect(platform::svc::managerAllAccess);
    if (!manager.ok())
        throw ServiceInstallationError(codeOf(manager.error), "Failed to call OpenSCManager.");
    const auto lock = manager.value->lock();
    if (!lock.ok())
        throw ServiceInstallationError(codeOf(lock.error),
                                       "Failed to obtain lock for services database.");
    const auto service = manager.value->create(config);
    if (!service.ok())
        throw ServiceInstallationError(
            codeOf(service.error),
            "Could not install service. If you have Service Control Manager or Event Log "
            "windows open, please close them and try again.");
    service.value->setDescription(serviceDescription);
}

void remove(Context& context) {
    ServiceHandle service;
    try {
        service = openService(context, serviceName);
    } catch (const ServiceNotFoundError&) {
        return;
    }
    if (const platform::ErrorCode failed = service->remove())
        throw ServiceRemovingError(codeOf(failed), "Could not remove the service.");
}

std::vector<std::string> dependenciesOf(platform::ServiceHandle& service) {
    const auto config = service.queryConfig();
    if (!config.ok())
        throw HarvellaError(codeOf(config.error), "Failed to query service configuration.");
    std::vector<std::string> names;
    const std::string& multiString = config.value.dependencies;
    for (std::size_t start = 0; start < multiString.size();) {
        const std::size_t end = std::min(multiString.find('\0', start), multiString.size());
        if (end == start) break;
        names.push_back(multiString.substr(start, end - start));
        start = end + 1;
    }
    return names;
}

void forEachDependency(platform::ServiceHandle& service, ProgressListener& listener,
                       const DependencyAction& action) {
    const auto names = dependenciesOf(service);
    if (names.empty()) return;
    const int share = 40 / static_cast<int>(names.size());
    for (const auto& name : names)
        action(name, listener, share);
}

}  // namespace Harvella::ServiceMan
