#pragma once
#include <cstdint>
#include <string>

namespace platform {

// A window of another process as its handle arrived on our command line: a
// 32-bit number, the width of a handle on 32-bit Windows.
using WindowHandle = std::int32_t;

// The messages the utility sends to the installer's controls, with their
// Windows numbers (the Linux stand-in understands the same numbers).
namespace wm {
constexpr std::uint32_t setText = 0x000C;           // WM_SETTEXT
constexpr std::uint32_t command = 0x0111;           // WM_COMMAND
constexpr std::uint32_t setSelection = 0x00B1;      // EM_SETSEL
constexpr std::uint32_t replaceSelection = 0x00C2;  // EM_REPLACESEL
constexpr std::uint32_t progressSetPos = 0x0402;    // PBM_SETPOS (1026)
constexpr std::uint32_t progressGetPos = 0x0408;    // PBM_GETPOS (1032)
constexpr std::uint16_t buttonClicked = 0;          // BN_CLICKED, high word of WM_COMMAND's wParam
}  // namespace wm

// Window messages to the controls of a foreign window (the installer's wizard
// page). Nothing here checks a result: a closed window simply answers 0.
class ForeignWindows {
public:
    virtual ~ForeignWindows() = default;

    // SendMessageA with plain numbers: waits until the window has handled it.
    virtual std::intptr_t send(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                               std::intptr_t lParam) = 0;
    // SendMessageA whose lParam points to the text (WM_SETTEXT, EM_REPLACESEL);
    // the text crosses as ANSI bytes.
    virtual std::intptr_t sendText(WindowHandle window, std::uint32_t message,
                                   std::uintptr_t wParam, const std::string& text) = 0;
    // PostMessageA: queued, so the window handles it after our current call.
    virtual void post(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                      std::intptr_t lParam) = 0;
    virtual void enable(WindowHandle window, bool enabled) = 0;
    // GetDlgCtrlID
    virtual std::int32_t controlIdentifier(WindowHandle window) = 0;
    // GetParent
    virtual WindowHandle parent(WindowHandle window) = 0;
    // FindWindowA(className, NULL): the first top-level window of the class, or 0.
    virtual WindowHandle findTopLevel(const std::string& className) = 0;
};

}  // namespace platform
