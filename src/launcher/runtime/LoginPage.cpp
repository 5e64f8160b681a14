#include "runtime/LoginPage.h"

#include "frontend/HarvellaError.h"
#include "runtime/HarvellaConfig.h"
#include "runtime/LauncherSettings.h"

namespace Harvella {
namespace {

// This computer's name, or the configured address when it has none.
std::string namedHost(platform::Network& network, const std::string& configuredAddress) {
    const platform::ErrorCode error = network.startup(2, 2);
    if (error != platform::winerr::success)
        throw HarvellaError(static_cast<std::int32_t>(error), "Failed to initialize WinSock DLL.");
    const auto name = network.hostName(255);
    network.cleanup();
    return name.ok() ? name.value : configuredAddress;
}

}  // namespace

void openLoginPage(platform::LauncherServices& services, std::uintptr_t ownerWindow) {
    HarvellaConfig config(services, getInstallPath(services.registry));
    const std::string address = config.getIPAddress();
    const std::string host = address == "0.0.0.0" || address == "127.0.0.1"
                                 ? "localhost"
                                 : namedHost(services.network, address);
    const std::string url = "http://" + host + ":" + config.getHTTPPort() + "/login.do";
    const std::intptr_t result = services.shell.openInExplorer(ownerWindow, url);
    if (result <= 32)
        throw HarvellaError(static_cast<std::int32_t>(result),
                            "Failed to open URL in the default browser: " + url);
}

}  // namespace Harvella
