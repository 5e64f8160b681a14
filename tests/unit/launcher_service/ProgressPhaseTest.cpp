// The dialog around a stop: its button only closes it, and a failed stop ends
// in the final layout with its reason (the start's login page is walked in
// the launcher's verbs).
#include <map>
#include <set>

#include "ServiceManFixture.h"
#include "fakes/FakeServices.h"
#include "frontend/ProgressPhase.h"
#include "platform/progress_dialog.h"

namespace {

using namespace servicefakes;
namespace ctl = platform::dialogctl;

// Keeps the texts and the visible controls of the last dialog; the user ends
// every dialog with its button.
class FakeDialogs final : public platform::ProgressDialogs {
public:
    std::map<int, std::string> texts;
    std::set<int> visible;

    std::unique_ptr<platform::WindowPhase> enterWindowPhase() override {
        return std::make_unique<platform::WindowPhase>();
    }
    std::unique_ptr<platform::ProgressDialogWindow> create(
        const std::function<void(platform::ProgressDialogWindow&)>& initialise) override {
        texts.clear();
        visible = {ctl::progressBar, ctl::waitText};
        auto window = std::make_unique<Window>(*this);
        initialise(*window);
        return window;
    }

private:
    struct Window final : platform::ProgressDialogWindow {
        explicit Window(FakeDialogs& dialogs) : dialogs(dialogs) {}
        FakeDialogs& dialogs;
        void setCaption(const std::string&) override {}
        void setControlText(int control, const std::string& text) override {
            dialogs.texts[control] = text;
        }
        void showControl(int control, bool shown) override {
            if (shown)
                dialogs.visible.insert(control);
            else
                dialogs.visible.erase(control);
        }
        void moveLeftEdge(int, int) override {}
        void paintStaticsRed() override {}
        void setBarRange(int) override {}
        void setBarPosition(int) override {}
        void resizeClient(int, int) override {}
        void widenToButton(int) override {}
        void fitTextHeight(int) override {}
        void show() override {}
        platform::DialogEnd runUntilUserEnds() override { return platform::DialogEnd::button; }
        void destroy() override {}
    };
};

class ProgressPhase : public ServiceManFixture {
protected:
    int stop() { return Harvella::runProgressPhase(launcher, {}, false); }

    fakes::FakeServices fake;
    FakeDialogs dialogs;
    Harvella::LauncherContext launcher{fake.services, context, system.services, dialogs, {}};
};

TEST_F(ProgressPhase, AStopsButtonOnlyClosesAndAFailedStopShowsItsReasonInTheFinalLayout) {
    manager.add("Harvella", {statusOf(svc::stopPending), statusOf(svc::stopped)});
    EXPECT_EQ(stop(), 0);
    EXPECT_EQ(dialogs.texts[ctl::resultText], "Harvella has been stopped successfully.");

    manager.add("Harvella", {statusOf(svc::running)}).controlError = 5;
    EXPECT_EQ(stop(), -1);
    EXPECT_EQ(dialogs.visible, (std::set<int>{ctl::icon, ctl::resultText, ctl::button}));
    EXPECT_EQ(dialogs.texts[ctl::resultText],
              "Failed to stop Harvella for the following reason: Could not stop the service: "
              "Harvella [ErrorCode: 5]");
    EXPECT_TRUE(system.shell.opened.empty()) << "the button after a stop opened the login page";
}

}  // namespace
