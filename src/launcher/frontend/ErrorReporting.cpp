#include "frontend/ErrorReporting.h"

namespace Harvella {

void reportError(const ReportingMode& mode, platform::Services& services, const std::string& text) {
    if (mode.silentMode) return;
    if (mode.consoleMode) {
        // Nothing is left to tell the user about a failed write to the console.
        services.console.writeStdOut(text);
        return;
    }
    services.messageBoxes.showMessage(text, "Error", platform::MessageIcon::error);
}

}  // namespace Harvella
