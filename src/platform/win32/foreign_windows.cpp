// user32 messages to another process's controls; nothing here owns a window.
#include "foreign_windows.h"

#include <windows.h>

namespace platform::win32 {
namespace {

// A handle travels as a 32-bit number; on 32-bit Windows that is all of an HWND.
HWND toHwnd(WindowHandle window) {
    return reinterpret_cast<HWND>(static_cast<std::intptr_t>(window));
}

}  // namespace

std::intptr_t Win32ForeignWindows::send(WindowHandle window, std::uint32_t message,
                                        std::uintptr_t wParam, std::intptr_t lParam) {
    return SendMessageA(toHwnd(window), message, wParam, lParam);
}

// The text is copied into the other process by the system for these two messages.
std::intptr_t Win32ForeignWindows::sendText(WindowHandle window, std::uint32_t message,
                                            std::uintptr_t wParam, const std::string& text) {
    return SendMessageA(toHwnd(window), message, wParam, reinterpret_cast<LPARAM>(text.c_str()));
}

void Win32ForeignWindows::post(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                               std::intptr_t lParam) {
    PostMessageA(toHwnd(window), message, wParam, lParam);
}

void Win32ForeignWindows::enable(WindowHandle window, bool enabled) {
    EnableWindow(toHwnd(window), enabled ? TRUE : FALSE);
}

std::int32_t Win32ForeignWindows::controlIdentifier(WindowHandle window) {
    return GetDlgCtrlID(toHwnd(window));
}

WindowHandle Win32ForeignWindows::parent(WindowHandle window) {
    return static_cast<WindowHandle>(reinterpret_cast<std::intptr_t>(GetParent(toHwnd(window))));
}

WindowHandle Win32ForeignWindows::findTopLevel(const std::string& className) {
    return static_cast<WindowHandle>(
        reinterpret_cast<std::intptr_t>(FindWindowA(className.c_str(), nullptr)));
}

}  // namespace platform::win32
