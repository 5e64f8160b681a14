#pragma once
#include <string>

#include "platform/launcher_services.h"

namespace Harvella {

// The launcher's view of "harvella.config" in the installation folder: the
// texts of "IPaddress" and "HTTPPort", read anew on every call.
class HarvellaConfig {
public:
    // HarvellaConfigNotFoundError when the file does not exist.
    HarvellaConfig(platform::LauncherServices& services, const std::string& installPath);

    std::string getIPAddress();
    std::string getHTTPPort();
    const std::string& path() const { return path_; }

private:
    void read();

    platform::LauncherFiles* files_;
    std::string path_;
    std::string ipAddress_;
    std::string httpPort_;
};

}  // namespace Harvella
