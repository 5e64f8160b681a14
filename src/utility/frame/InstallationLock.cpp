#include "InstallationLock.h"

namespace Quimbo {

bool InstallationLock::Take(platform::Services& services, const std::string& installationDir) {
    auto taken =
        services.files.lockFile(installationDir + services.conventions.separator + "Quimbo.lock");
    if (taken.error == platform::winerr::sharingViolation) return false;
    lock_ = std::move(taken.value);
    return true;
}

std::string InstallationLock::BusyMessage(const std::string& installationDir) {
    return "Another setup run is working on the installation in " + installationDir +
           ". Wait until it has ended, then try again.";
}

}  // namespace Quimbo
