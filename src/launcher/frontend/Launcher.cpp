#include "frontend/Launcher.h"

#include <algorithm>

#include "frontend/ErrorReporting.h"
#include "frontend/ProgressPhase.h"
#include "runtime/LoginPage.h"

namespace Harvella {
namespace {

const char* const serviceNotFoundText =
    "Unable to locate Harvella service.\r\n\r\nTo reinstall the service, please start Harvella "
    "setup again and choose Repair / Reconfigure option.";
const std::string installWithMySQLVerb = "installWithMySQLService";
// The verb and one separator before the MySQL service's name.
constexpr std::size_t mySQLServiceNameStart = 24;

ReportingMode reportingModeOf(const std::string& commandLine) {
    ReportingMode mode;
    mode.silentMode = commandLine == "startsilent" || commandLine == "stopsilent";
    mode.consoleMode = commandLine.rfind("install", 0) == 0;
    return mode;
}

int runVerb(LauncherContext& context, const ReportingMode& mode, const std::string& commandLine) {
    if (commandLine == "open") {
        openLoginPage(context.launcher, 0);
        return 0;
    }
    if (commandLine.find(installWithMySQLVerb) != std::string::npos) {
        const std::size_t start = std::min(mySQLServiceNameStart, commandLine.size());
        ServiceMan::addDependency(context.serviceMan, commandLine.substr(start));
        ServiceMan::install(context.serviceMan);
        return 0;
    }
    if (commandLine == "install") {
        ServiceMan::install(context.serviceMan);
        return 0;
    }
    // Every other verb, an unknown one too, needs the service installed.
    if (commandLine != "remove" &&
        !ServiceMan::exists(context.serviceMan, ServiceMan::serviceName)) {
        reportError(mode, context.system, serviceNotFoundText);
        return -1;
    }
    if (commandLine == "startAsService") {
        context.runAsService();
        return 0;
    }
    if (commandLine == "remove") {
        ServiceMan::remove(context.serviceMan);
        return 0;
    }
    if (commandLine == "start" || commandLine == "startsilent")
        return runProgressPhase(context, mode, true);
    if (commandLine == "stop" || commandLine == "stopsilent")
        return runProgressPhase(context, mode, false);
    return 0;
}

}  // namespace

int launcherMain(LauncherContext& context, const std::string& commandLine) {
    const ReportingMode mode = reportingModeOf(commandLine);
    try {
        return runVerb(context, mode, commandLine);
    } catch (const ServiceMan::ServiceNotFoundError&) {
        if (commandLine == "remove") return 0;
        reportError(mode, context.system, serviceNotFoundText);
        return -1;
    } catch (const HarvellaError& error) {
        reportError(mode, context.system, error.getMessage());
        return -1;
    }
}

}  // namespace Harvella
