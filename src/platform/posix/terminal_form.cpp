#include "terminal_form.h"

#include <fcntl.h>

#include <algorithm>

#include "file_bytes.h"
#include "raw_terminal.h"

namespace platform::posix {
namespace {

constexpr std::size_t none = static_cast<std::size_t>(-1);
constexpr char enter = 13;
constexpr char escape = 27;
constexpr char ctrlC = 3;
constexpr char ctrlD = 4;
constexpr char backspace = 8;
constexpr char erase = 127;

std::size_t firstOf(const FormDesign& design, bool (*wanted)(const FormControl&)) {
    const auto& controls = design.controls;
    const auto found = std::find_if(controls.begin(), controls.end(), wanted);
    return found == controls.end() ? none : static_cast<std::size_t>(found - controls.begin());
}

class TerminalForm final : public OpenForm {
public:
    TerminalForm(const FormDesign& design, FormEvents& events)
        : design_(design),
          events_(events),
          box_(firstOf(design,
                       [](const FormControl& c) { return c.kind == ControlKind::passwordBox; })),
          cancel_(firstOf(design, [](const FormControl& c) { return c.cancel; })),
          accept_(firstOf(design, [](const FormControl& c) {
              return c.kind == ControlKind::button && !c.cancel;
          })) {}

    void setEnabled(std::size_t, bool) override {}
    std::string text(std::size_t control) override {
        if (control == box_) return typed_;
        return control < design_.controls.size() ? design_.controls[control].text : "";
    }
    WindowHandle replaceOwner(WindowHandle) override { return 0; }
    void unload() override {
        if (unloaded_) return;
        unloaded_ = true;
        events_.unloading(*this);
    }

    bool unloaded() const { return unloaded_; }
    void cancel() {
        if (cancel_ != none) events_.clicked(*this, cancel_);
        unload();
    }
    // One key as the text box would take it.
    void key(char c) {
        if (c == '\n') c = enter;
        if (c == erase || c == backspace) {
            // The last character, with every byte of its UTF-8 sequence.
            while (!typed_.empty() && (static_cast<unsigned char>(typed_.back()) & 0xC0) == 0x80)
                typed_.pop_back();
            if (!typed_.empty()) typed_.pop_back();
            events_.changed(*this, box_);
            return;
        }
        if (events_.keyPress(*this, box_, c) || static_cast<unsigned char>(c) < 32) return;
        typed_ += c;
        events_.changed(*this, box_);
    }
    // The visible labels top to bottom, the prompt beside the box last.
    std::string screenText() const {
        std::vector<const FormControl*> labels;
        const FormControl* prompt = nullptr;
        for (const FormControl& c : design_.controls) {
            if (c.kind != ControlKind::label || !c.visible) continue;
            const bool besideBox = box_ != none && c.top == design_.controls[box_].top &&
                                   c.left < design_.controls[box_].left;
            if (besideBox)
                prompt = &c;
            else
                labels.push_back(&c);
        }
        std::stable_sort(labels.begin(), labels.end(),
                         [](const FormControl* a, const FormControl* b) {
                             return a->top != b->top ? a->top < b->top : a->left < b->left;
                         });
        std::string screen = "\n" + design_.caption + "\n\n";
        // The terminal starts a new line at LF alone.
        for (const FormControl* label : labels)
            for (const char c : label->text + "\n\n")
                if (c != '\r') screen += c;
        if (accept_ != none && cancel_ != none)
            screen += "(Enter: " + design_.controls[accept_].text +
                      ", Esc: " + design_.controls[cancel_].text + ")\n";
        if (prompt) screen += prompt->text + " ";
        return screen;
    }

private:
    const FormDesign& design_;
    FormEvents& events_;
    const std::size_t box_;
    const std::size_t cancel_;
    const std::size_t accept_;
    std::string typed_;
    bool unloaded_ = false;
};

std::string trimmed(const std::string& text) {
    const auto begin = text.find_first_not_of(' ');
    if (begin == std::string::npos) return "";
    return text.substr(begin, text.find_last_not_of(' ') - begin + 1);
}

}  // namespace

void TerminalForms::showModal(const FormDesign& design, FormEvents& events) {
    TerminalForm form(design, events);
    events.load(form);
    const Fd terminal(::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC));
    if (!terminal.open()) {
        console_.writeStdErr(trimmed(design.caption) +
                             ": there is no terminal to ask on; answered Cancel.\n");
        form.cancel();
        return;
    }
    {
        RawTerminal raw(terminal.get());
        writeFully(terminal.get(), form.screenText());
        while (!form.unloaded()) {
            const char c = raw.readKey();
            if (c == 0 || c == escape || c == ctrlC || c == ctrlD)
                form.cancel();
            else
                form.key(c);
        }
    }
    writeFully(terminal.get(), "\n");
}

}  // namespace platform::posix
