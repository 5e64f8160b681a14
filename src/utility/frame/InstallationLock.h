#pragma once
#include <memory>
#include <string>

#include "platform/platform.h"

namespace Quimbo {

// One run at a time on an installation: two that change it at once trample
// each other (a MySQL folder without bin, a product database gone). The lock
// is a file in the installation folder that the system lets go when the
// process ends, however it ends, so a killed run never locks out the next.
class InstallationLock {
public:
    // False when another run holds the installation. A lock that cannot be
    // made for another reason (a folder not there yet) does not stop the run.
    bool Take(platform::Services& services, const std::string& installationDir);

    // What the page says when Take answered false.
    static std::string BusyMessage(const std::string& installationDir);

private:
    std::unique_ptr<platform::FileLock> lock_;
};

}  // namespace Quimbo
