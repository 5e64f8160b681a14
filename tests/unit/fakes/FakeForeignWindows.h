#pragma once
#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "platform/foreign_windows.h"

namespace fakes {

// Records every call on a foreign window as one readable line, in order:
//   "send 4 1026 70 0", "text 6 194 0 <text>", "post 9 273 65546 1",
//   "enable 1 true", "id 1", "parent 1".
// Progress bars keep their position (PBM_SETPOS / PBM_GETPOS) within 0 to 100.
class FakeForeignWindows final : public platform::ForeignWindows {
public:
    std::vector<std::string> calls;
    std::map<platform::WindowHandle, std::int32_t> identifiers;
    std::map<platform::WindowHandle, platform::WindowHandle> parents;
    std::map<platform::WindowHandle, int> positions;

    std::intptr_t send(platform::WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                       std::intptr_t lParam) override {
        calls.push_back("send " + std::to_string(window) + " " + std::to_string(message) + " " +
                        std::to_string(static_cast<std::intptr_t>(wParam)) + " " +
                        std::to_string(lParam));
        if (message == platform::wm::progressGetPos) return positions[window];
        if (message == platform::wm::progressSetPos) {
            const int previous = positions[window];
            positions[window] = std::clamp(static_cast<int>(wParam), 0, 100);
            return previous;
        }
        return 0;
    }
    std::intptr_t sendText(platform::WindowHandle window, std::uint32_t message,
                           std::uintptr_t wParam, const std::string& text) override {
        calls.push_back("text " + std::to_string(window) + " " + std::to_string(message) + " " +
                        std::to_string(wParam) + " " + text);
        return 0;
    }
    void post(platform::WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
              std::intptr_t lParam) override {
        calls.push_back("post " + std::to_string(window) + " " + std::to_string(message) + " " +
                        std::to_string(wParam) + " " + std::to_string(lParam));
    }
    void enable(platform::WindowHandle window, bool enabled) override {
        calls.push_back("enable " + std::to_string(window) + (enabled ? " true" : " false"));
    }
    std::int32_t controlIdentifier(platform::WindowHandle window) override {
        calls.push_back("id " + std::to_string(window));
        return identifiers[window];
    }
    platform::WindowHandle parent(platform::WindowHandle window) override {
        calls.push_back("parent " + std::to_string(window));
        return parents[window];
    }
    platform::WindowHandle findTopLevel(const std::string& className) override {
        calls.push_back("find " + className);
        return 0;
    }
};

}  // namespace fakes
