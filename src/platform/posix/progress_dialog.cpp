// The progress dialog on Linux: a progress display on standard output with
// the dialog's texts. On a terminal the bar redraws in place and failure
// texts are red; otherwise every tenth of the way is a plain line.
#include "platform/progress_dialog.h"

#include <unistd.h>

#include <algorithm>
#include <map>

#include "file_bytes.h"
#include "raw_terminal.h"

namespace platform {
namespace posix {
namespace {

namespace ctl = dialogctl;

constexpr int barWidth = 40;

// Nothing is left to tell the user when standard output cannot be written.
void writeOut(const std::string& bytes) {
    (void)writeFully(STDOUT_FILENO, bytes);
}

// Text controls print their text when it appears or changes while they show.
class TerminalDialog final : public ProgressDialogWindow {
public:
    TerminalDialog(bool terminalOut, bool terminalIn)
        : terminalOut_(terminalOut), terminalIn_(terminalIn) {}

    void setCaption(const std::string& text) override { caption_ = text; }
    void setControlText(int control, const std::string& text) override {
        texts_[control] = text;
        if (shows(control)) printText(text);
    }
    void showControl(int control, bool visible) override {
        const bool appears = visible && !visible_[control];
        visible_[control] = visible;
        if (control == ctl::progressBar && !visible) endBarLine();
        if (appears && shows(control)) printText(texts_[control]);
    }
    void moveLeftEdge(int, int) override {}
    void paintStaticsRed() override { red_ = true; }
    void setBarRange(int total) override {
        total_ = total;
        drawBar();
    }
    void setBarPosition(int position) override {
        position_ = position;
        drawBar();
    }
    void resizeClient(int, int) override {}
    void widenToButton(int) override {}
    void fitTextHeight(int) override {}
    void show() override {
        shown_ = true;
        printLine(caption_);
        if (shows(ctl::waitText)) printText(texts_[ctl::waitText]);
        drawBar();
    }
    DialogEnd runUntilUserEnds() override;
    void destroy() override { endBarLine(); }

private:
    bool shows(int control) {
        const bool text = control == ctl::waitText || control == ctl::resultText;
        return shown_ && text && visible_[control];
    }
    void printText(const std::string& text) {
        // A failure moves from the wait text into the result text: once is enough.
        if (text.empty() || text == lastText_) return;
        lastText_ = text;
        printLine(red_ && terminalOut_ ? "\033[31m" + text + "\033[0m" : text);
    }
    void printLine(const std::string& line) {
        endBarLine();
        writeOut(line + "\n");
    }
    void drawBar();
    void endBarLine() {
        if (!barDrawn_) return;
        barDrawn_ = false;
        writeOut("\n");
    }

    const bool terminalOut_;
    const bool terminalIn_;
    bool shown_ = false;
    bool red_ = false;
    std::string caption_;
    std::map<int, std::string> texts_;
    std::map<int, bool> visible_{{ctl::progressBar, true}, {ctl::waitText, true}};
    int total_ = 0;
    int position_ = 0;
    bool barDrawn_ = false;
    int lastTenth_ = -1;
    std::string lastText_;
};

void TerminalDialog::drawBar() {
    if (!shown_ || !visible_[ctl::progressBar]) return;
    const int done = total_ > 0 ? std::clamp(position_, 0, total_) : 0;
    const int percent = total_ > 0 ? done * 100 / total_ : 0;
    if (!terminalOut_) {
        if (percent / 10 == lastTenth_) return;
        lastTenth_ = percent / 10;
        writeOut("progress " + std::to_string(percent) + "%\n");
        return;
    }
    const int filled = percent * barWidth / 100;
    writeOut("\r[" + std::string(filled, '#') + std::string(barWidth - filled, '-') + "] " +
             std::to_string(percent) + "%  ");
    barDrawn_ = true;
}

DialogEnd TerminalDialog::runUntilUserEnds() {
    endBarLine();
    if (!terminalIn_) return DialogEnd::close;
    RawTerminal terminal(STDIN_FILENO);
    const bool button = visible_[ctl::button];
    writeOut(button ? "[Enter] " + texts_[ctl::button] + "   [Esc] Close " : "[Esc] Close ");
    const char key = terminal.readKey();
    writeOut("\n");
    return button && (key == '\r' || key == '\n') ? DialogEnd::button : DialogEnd::close;
}

class TerminalDialogs final : public ProgressDialogs {
public:
    std::unique_ptr<WindowPhase> enterWindowPhase() override {
        return std::make_unique<WindowPhase>();
    }
    std::unique_ptr<ProgressDialogWindow> create(
        const std::function<void(ProgressDialogWindow&)>& initialise) override {
        auto dialog = std::make_unique<TerminalDialog>(::isatty(STDOUT_FILENO) == 1,
                                                       ::isatty(STDIN_FILENO) == 1);
        initialise(*dialog);
        return dialog;
    }
};

}  // namespace
}  // namespace posix

std::unique_ptr<ProgressDialogs> makeProgressDialogs() {
    return std::make_unique<posix::TerminalDialogs>();
}

}  // namespace platform
