#pragma once
#include "platform/clock.h"
#include "platform/launcher_services.h"

namespace Harvella {

// The verb startAsService: wires the dispatcher and the Java VM host and
// hands the thread to the service manager's dispatcher; returns when the
// service has ended, or at once when the manager did not start the process.
void runStartAsService(platform::LauncherServices& launcher, platform::Clock& clock);

}  // namespace Harvella
