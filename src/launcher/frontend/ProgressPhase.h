#pragma once
#include "frontend/ErrorReporting.h"
#include "frontend/Launcher.h"

namespace Harvella {

// Start or stop of the service inside the progress dialog: the dialog shows
// the outcome and, unless silent, waits for the user; a failure always
// waits. 0 when the service ends up as asked, -1 on failure; 0 too when the
// dialog cannot be created (nothing is done then).
int runProgressPhase(LauncherContext& context, const ReportingMode& mode, bool starting);

}  // namespace Harvella
