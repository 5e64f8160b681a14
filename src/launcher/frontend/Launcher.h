#pragma once
// Harvella_Access's entry: one verb per process, taken from the whole
// command line, and the exit code that says how it went.
#include <functional>
#include <string>

#include "platform/launcher_services.h"
#include "platform/platform.h"
#include "platform/progress_dialog.h"
#include "service/ServiceMan.h"

namespace Harvella {

// What the verbs reach the system through; main wires the real services.
struct LauncherContext {
    platform::Services& system;
    ServiceMan::Context& serviceMan;
    platform::LauncherServices& launcher;
    platform::ProgressDialogs& dialogs;
    // The verb startAsService: returns when the service manager lets go.
    std::function<void()> runAsService;
};

// The command line is taken byte for byte: no splitting, trimming or case
// folding. Returns 0, or -1 on every failure.
int launcherMain(LauncherContext& context, const std::string& commandLine);

}  // namespace Harvella
