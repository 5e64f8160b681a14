#pragma once
// The launcher's progress dialog (template 101) seen as its controls: the core
// decides texts, layouts and what the user's answer means; Windows shows a
// dialog, Linux a progress display on the terminal.
#include <functional>
#include <memory>
#include <string>

namespace platform {

// The controls of template 101.
namespace dialogctl {
constexpr int progressBar = 1001;
constexpr int waitText = 1004;
constexpr int button = 1007;
constexpr int icon = 1010;
constexpr int resultText = 1011;
}  // namespace dialogctl

// How the user ended the dialog's message loop.
enum class DialogEnd { button, close };

class ProgressDialogWindow {
public:
    virtual ~ProgressDialogWindow() = default;
    virtual void setCaption(const std::string& text) = 0;
    virtual void setControlText(int control, const std::string& text) = 0;
    virtual void showControl(int control, bool visible) = 0;
    // Moves the control's left edge that many pixels to the right; its right
    // edge stays.
    virtual void moveLeftEdge(int control, int pixels) = 0;
    // From now on every static control is painted with pure red text.
    virtual void paintStaticsRed() = 0;
    // PBM_SETRANGE 0..total; the position is not sent.
    virtual void setBarRange(int total) = 0;
    // PBM_SETPOS.
    virtual void setBarPosition(int position) = 0;
    // The client area becomes width x height pixels; the top-left corner stays.
    virtual void resizeClient(int width, int height) = 0;
    // The control's right edge moves up to the button, leaving a gap.
    virtual void widenToButton(int control) = 0;
    // The text control grows downwards until its whole text shows; the
    // controls below it and the dialog's bottom move down by as much.
    virtual void fitTextHeight(int control) = 0;
    // ShowWindow with the show command the program was started with.
    virtual void show() = 0;
    // Runs the thread's message loop (dialog keys included) until the user
    // presses the button, Esc or the close box.
    virtual DialogEnd runUntilUserEnds() = 0;
    // DestroyWindow; nothing is shown any more.
    virtual void destroy() = 0;
};

// What the window phase of the program needs from the system: undone when
// the object goes (COM, common controls, the thread's message loop).
class WindowPhase {
public:
    virtual ~WindowPhase() = default;
};

class ProgressDialogs {
public:
    virtual ~ProgressDialogs() = default;
    virtual std::unique_ptr<WindowPhase> enterWindowPhase() = 0;
    // Template 101 as a modeless dialog without owner; `initialise` runs
    // while it initialises (WM_INITDIALOG). Null when it cannot be created.
    virtual std::unique_ptr<ProgressDialogWindow> create(
        const std::function<void(ProgressDialogWindow&)>& initialise) = 0;
};

std::unique_ptr<ProgressDialogs> makeProgressDialogs();

}  // namespace platform
