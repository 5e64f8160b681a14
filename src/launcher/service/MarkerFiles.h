#pragma once
// The files through which the service and the Java server talk: the server
// keeps "running" while it serves and ends once "stop" exists. Both paths are
// relative to the installation folder, which is the current directory then.
#include <string>

#include "platform/launcher_services.h"

namespace Harvella {

inline std::string runMarkerPath(const platform::LauncherConventions& conventions,
                                 const std::string& name) {
    return "." + conventions.separator + "run" + conventions.separator + name;
}

inline std::string runningMarker(const platform::LauncherConventions& conventions) {
    return runMarkerPath(conventions, "running");
}

inline std::string stopMarker(const platform::LauncherConventions& conventions) {
    return runMarkerPath(conventions, "stop");
}

}  // namespace Harvella
