#include "frontend/HarvellaDialog.h"

namespace Harvella {
namespace {

namespace ctl = platform::dialogctl;

constexpr int finalClientWidth = 503;
constexpr int finalClientHeight = 80;
// The OK button is this much narrower than Open Login Page.
constexpr int okButtonNarrowing = 50;

}  // namespace

HarvellaDialog::HarvellaDialog(platform::ProgressDialogs& dialogs, bool starting)
    : dialogs_(dialogs), starting_(starting) {}

bool HarvellaDialog::create() {
    window_ =
        dialogs_.create([this](platform::ProgressDialogWindow& window) { initialise(window); });
    return window_ != nullptr;
}

void HarvellaDialog::initialise(platform::ProgressDialogWindow& window) {
    if (starting_) {
        window.setCaption("Starting Harvella");
        window.setControlText(ctl::waitText, "Please wait while Harvella is being started ...");
        window.setControlText(ctl::button, "Open Login Page");
    } else {
        window.setCaption("Stopping Harvella");
        window.setControlText(ctl::waitText, "Please wait while Harvella is being stopped ...");
        window.setControlText(ctl::button, "OK");
        window.moveLeftEdge(ctl::button, okButtonNarrowing);
    }
    listener_ = std::make_unique<ProgressBarListener>(window);
}

void HarvellaDialog::show() {
    window_->show();
}

ServiceMan::ProgressListener& HarvellaDialog::listener() {
    return *listener_;
}

void HarvellaDialog::setResultText(const std::string& text) {
    window_->setControlText(ctl::resultText, text);
}

void HarvellaDialog::showFailure(const std::string& text) {
    failed_ = true;
    failureText_ = text;
    window_->paintStaticsRed();
    window_->setControlText(ctl::waitText, text);
    // A reason may need more lines than the wait text was made for.
    window_->fitTextHeight(ctl::waitText);
}

void HarvellaDialog::showFinalLayout() {
    window_->showControl(ctl::progressBar, false);
    window_->showControl(ctl::waitText, false);
    window_->resizeClient(finalClientWidth, finalClientHeight);
    // The final layout hides the wait text, so a failure moves into the
    // result text, made as large as the whole text needs.
    if (failed_) {
        setResultText(failureText_);
        window_->widenToButton(ctl::resultText);
        window_->fitTextHeight(ctl::resultText);
    }
    window_->showControl(ctl::icon, true);
    window_->showControl(ctl::resultText, true);
    window_->showControl(ctl::button, true);
}

void HarvellaDialog::runUntilClosed(const std::function<void()>& openLoginPage) {
    const platform::DialogEnd end = window_->runUntilUserEnds();
    if (end == platform::DialogEnd::button && starting_) openLoginPage();
    closeDialog();
}

void HarvellaDialog::closeDialog() {
    window_->destroy();
    listener_.reset();
}

void HarvellaDialog::destroyWindow() {
    window_->destroy();
}

}  // namespace Harvella
