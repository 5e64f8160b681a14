#pragma once
#include <map>
#include <string>

#include "platform/console.h"
#include "platform/foreign_windows.h"

namespace platform::posix {

// Linux stand-in for the installer's wizard page: there is no foreign window,
// so every change that a handle above 0 receives is written to standard error
// as a line of text (standard output stays reserved for the result text).
class TerminalPage final : public ForeignWindows {
public:
    // `colour`: standard error is a terminal, so error lines may be red.
    TerminalPage(Console& console, bool colour) : console_(console), colour_(colour) {}

    std::intptr_t send(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                       std::intptr_t lParam) override;
    std::intptr_t sendText(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                           const std::string& text) override;
    void post(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
              std::intptr_t lParam) override;
    void enable(WindowHandle window, bool enabled) override;
    // Without dialogs, a control is its own identifier and has no parent.
    std::int32_t controlIdentifier(WindowHandle window) override { return window; }
    WindowHandle parent(WindowHandle) override { return 0; }
    // No program here owns a window that another could find.
    WindowHandle findTopLevel(const std::string&) override { return 0; }

private:
    void writeLine(const std::string& line);

    Console& console_;
    bool colour_;
    // Progress bars keep their position, so that PBM_GETPOS answers as on Windows.
    std::map<WindowHandle, int> positions_;
};

// The visible text of an RTF document, and whether its first colour is red:
// how a rich-edit control would show a line made for it.
struct PlainLine {
    std::string text;
    bool red = false;
};
PlainLine reduceRtf(const std::string& rtf);

}  // namespace platform::posix
