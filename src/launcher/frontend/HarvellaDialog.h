#pragma once
#include <functional>
#include <memory>
#include <string>

#include "frontend/ProgressBarListener.h"
#include "platform/progress_dialog.h"

namespace Harvella {

// The small window shown while the service starts or stops: a progress bar
// and a wait text, later an icon, a result text and one button (Open Login
// Page for a start, OK for a stop). Static texts turn red after a failure.
class HarvellaDialog {
public:
    HarvellaDialog(platform::ProgressDialogs& dialogs, bool starting);
    HarvellaDialog(const HarvellaDialog&) = delete;
    HarvellaDialog& operator=(const HarvellaDialog&) = delete;

    // Template 101, modeless and without owner; false when it cannot be created.
    bool create();
    void show();
    // Valid from create() until the dialog closes.
    ServiceMan::ProgressListener& listener();
    void setResultText(const std::string& text);
    // Red from now on; the text goes where the wait text was.
    void showFailure(const std::string& text);
    void showFinalLayout();
    // Runs the message loop until the user ends the dialog; the button of a
    // start opens the login page before the dialog closes.
    void runUntilClosed(const std::function<void()>& openLoginPage);
    void closeDialog();
    // The silent end: the window goes, nothing else is undone.
    void destroyWindow();

private:
    void initialise(platform::ProgressDialogWindow& window);

    platform::ProgressDialogs& dialogs_;
    const bool starting_;
    std::unique_ptr<ProgressBarListener> listener_;
    bool failed_ = false;
    std::string failureText_;
    std::unique_ptr<platform::ProgressDialogWindow> window_;
};

}  // namespace Harvella
