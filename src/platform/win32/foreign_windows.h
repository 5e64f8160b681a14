#pragma once
#include "platform/foreign_windows.h"

namespace platform::win32 {

// The real user32 calls on the installer's controls.
class Win32ForeignWindows final : public ForeignWindows {
public:
    std::intptr_t send(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                       std::intptr_t lParam) override;
    std::intptr_t sendText(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                           const std::string& text) override;
    void post(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
              std::intptr_t lParam) override;
    void enable(WindowHandle window, bool enabled) override;
    std::int32_t controlIdentifier(WindowHandle window) override;
    WindowHandle parent(WindowHandle window) override;
    WindowHandle findTopLevel(const std::string& className) override;
};

}  // namespace platform::win32
