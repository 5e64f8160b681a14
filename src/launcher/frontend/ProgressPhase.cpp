#include "frontend/ProgressPhase.h"

#include <chrono>

#include "frontend/HarvellaDialog.h"
#include "runtime/LoginPage.h"

namespace Harvella {
namespace {

constexpr std::chrono::milliseconds silentPause{400};
constexpr int alreadyTotal = 10;

void fillBar(ServiceMan::ProgressListener& listener) {
    listener.setTotal(alreadyTotal);
    listener.finish();
}

// Runs the start or stop and puts its outcome into the dialog; false when
// it failed.
bool operate(LauncherContext& context, HarvellaDialog& dialog, bool starting) {
    try {
        if (starting) {
            ServiceMan::start(context.serviceMan, dialog.listener());
            dialog.setResultText("Harvella has been started.");
        } else {
            ServiceMan::stop(context.serviceMan, dialog.listener());
            dialog.setResultText("Harvella has been stopped successfully.");
        }
    } catch (const ServiceMan::ServiceAlreadyStartedError&) {
        dialog.setResultText("Harvella is already started.");
        fillBar(dialog.listener());
    } catch (const ServiceMan::ServiceAlreadyStoppedError&) {
        dialog.setResultText("Harvella is not running.");
        fillBar(dialog.listener());
    } catch (const HarvellaError& error) {
        dialog.showFailure(std::string("Failed to ") + (starting ? "start" : "stop") +
                           " Harvella for the following reason: " + error.getFullMessage());
        return false;
    }
    return true;
}

}  // namespace

int runProgressPhase(LauncherContext& context, const ReportingMode& mode, bool starting) {
    const auto phase = context.dialogs.enterWindowPhase();
    HarvellaDialog dialog(context.dialogs, starting);
    if (!dialog.create()) return 0;
    dialog.show();
    const auto openPage = [&context] { openLoginPage(context.launcher, 0); };

    if (!operate(context, dialog, starting)) {
        // A failed start keeps its progress layout; the user always sees why.
        if (!starting) dialog.showFinalLayout();
        dialog.runUntilClosed(openPage);
        return -1;
    }
    if (mode.silentMode) {
        context.system.clock.sleep(silentPause);
        dialog.destroyWindow();
        return 0;
    }
    dialog.showFinalLayout();
    dialog.runUntilClosed(openPage);
    return 0;
}

}  // namespace Harvella
