#pragma once
// The files through which the service and the Java server talk: the server
// keeps "running" while it serves and ends once "stop" exists. Both lie in
// the installation folder's "run" folder and are always named by full path:
// the process's current directory moves while the Java runtime loads.
#include <string>

#include "platform/launcher_services.h"
#include "runtime/LauncherSettings.h"

namespace Harvella {

struct MarkerFiles {
    std::string running;
    std::string stop;
};

inline MarkerFiles markerFilesIn(const std::string& installPath,
                                 const platform::LauncherConventions& conventions) {
    const std::string run = "run" + conventions.separator;
    return {inInstallFolder(installPath, run + "running", conventions),
            inInstallFolder(installPath, run + "stop", conventions)};
}

}  // namespace Harvella
