#pragma once
#include <string>

#include "platform/platform.h"

namespace Harvella {

// The two process-wide switches that the command line sets before any work.
struct ReportingMode {
    bool silentMode = false;
    bool consoleMode = false;
};

// Shows one text: nothing when silent, standard output (no line break added)
// in console mode, otherwise a modal message box titled "Error".
void reportError(const ReportingMode& mode, platform::Services& services, const std::string& text);

}  // namespace Harvella
