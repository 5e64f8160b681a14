#pragma once
#include <memory>
#include <string>

#include "platform/dynamic_library.h"
#include "platform/event_log.h"
#include "platform/launcher_files.h"
#include "platform/network.h"
#include "platform/registry.h"

namespace platform {

// The spellings of the launcher's paths that differ between the systems.
struct LauncherConventions {
    // "\\" on Windows, "/" on Linux.
    std::string separator;
    // The Java runtime's folder that is current while the VM library loads,
    // relative to JavaPath: "bin" on Windows, "lib" on Linux (JDK 9 layout).
    std::string jvmFolder;
    // The VM library relative to that folder.
    std::string jvmLibrary;
};

// The services only the launcher needs, beside platform::Services. main
// wires the real ones (makeLauncherServices); tests wire fakes.
struct LauncherServices {
    Registry& registry;
    EventLog& eventLog;
    LauncherFiles& files;
    DynamicLibraries& libraries;
    WorkingDirectory& workingDirectory;
    Network& network;
    Shell& shell;
    const LauncherConventions& conventions;
};

// Owns the real implementations; `services` refers into it.
class LauncherSystem {
public:
    virtual ~LauncherSystem() = default;
    virtual LauncherServices& services() = 0;
};

std::unique_ptr<LauncherSystem> makeLauncherServices();

}  // namespace platform
