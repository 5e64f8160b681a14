#pragma once
// What the X display under Wine shows, read back through the screen's device
// context: pixels to look at in a test, and PNG files for a person to look at.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace winesupport {

struct ScreenPixels {
    RECT area{};                     // screen coordinates
    std::vector<std::uint32_t> rgb;  // 0xRRGGBB, top row first
};

ScreenPixels captureScreen(const RECT& area);
// The window with its frame.
ScreenPixels captureWindow(HWND window);
// Whether a pixel of that colour lies inside the child window's rectangle.
bool showsColour(const ScreenPixels& pixels, HWND child, std::uint32_t rgb);
// The window as the screen shows it, in <build>/screenshots/<name>.png.
void saveScreenshot(HWND window, const std::string& name);

}  // namespace winesupport
