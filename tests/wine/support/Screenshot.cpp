#include "Screenshot.h"

#include <algorithm>
#include <fstream>

#include "WineSupport.h"

namespace winesupport {
namespace {

using Bytes = std::vector<std::uint8_t>;

void putBigEndian(Bytes& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(std::uint8_t(value >> shift));
}

void putChunk(Bytes& png, const char* type, const Bytes& data) {
    putBigEndian(png, static_cast<std::uint32_t>(data.size()));
    const std::size_t start = png.size();
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), data.begin(), data.end());
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = start; i < png.size(); ++i) {
        crc ^= png[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? 0xEDB88320u ^ (crc >> 1) : crc >> 1;
    }
    putBigEndian(png, crc ^ 0xFFFFFFFFu);
}

// A zlib stream of stored (uncompressed) deflate blocks.
Bytes storedZlib(const Bytes& raw) {
    Bytes out{0x78, 0x01};
    for (std::size_t done = 0; done < raw.size();) {
        const std::size_t length = std::min<std::size_t>(raw.size() - done, 65535);
        const bool last = done + length == raw.size();
        out.insert(out.end(), {std::uint8_t(last), std::uint8_t(length), std::uint8_t(length >> 8),
                               std::uint8_t(~length), std::uint8_t(~length >> 8)});
        out.insert(out.end(), raw.begin() + done, raw.begin() + done + length);
        done += length;
    }
    std::uint32_t a = 1, b = 0;
    for (std::uint8_t byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    putBigEndian(out, (b << 16) | a);
    return out;
}

}  // namespace

ScreenPixels captureScreen(const RECT& area) {
    const int width = area.right - area.left, height = area.bottom - area.top;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof info.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    const HDC screen = ::GetDC(nullptr);
    const HDC memory = ::CreateCompatibleDC(screen);
    const HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ previous = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
    const auto* first = static_cast<const std::uint32_t*>(bits);
    ScreenPixels pixels{area, {first, first + std::size_t(width) * height}};
    for (auto& pixel : pixels.rgb)
        pixel &= 0xFFFFFF;
    ::SelectObject(memory, previous);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    return pixels;
}

ScreenPixels captureWindow(HWND window) {
    RECT frame{};
    ::GetWindowRect(window, &frame);
    return captureScreen(frame);
}

bool showsColour(const ScreenPixels& pixels, HWND child, std::uint32_t rgb) {
    RECT inside{};
    ::GetWindowRect(child, &inside);
    ::IntersectRect(&inside, &inside, &pixels.area);
    const int width = pixels.area.right - pixels.area.left;
    for (LONG y = inside.top; y < inside.bottom; ++y)
        for (LONG x = inside.left; x < inside.right; ++x)
            if (pixels.rgb[(y - pixels.area.top) * width + (x - pixels.area.left)] == rgb)
                return true;
    return false;
}

void saveScreenshot(HWND window, const std::string& name) {
    const ScreenPixels pixels = captureWindow(window);
    const std::uint32_t width = pixels.area.right - pixels.area.left;
    const std::uint32_t height = pixels.area.bottom - pixels.area.top;
    Bytes header, raw;
    putBigEndian(header, width);
    putBigEndian(header, height);
    header.insert(header.end(), {8, 2, 0, 0, 0});  // 8-bit RGB, no interlace
    for (std::uint32_t y = 0; y < height; ++y) {
        raw.push_back(0);  // no filter
        for (std::uint32_t x = 0; x < width; ++x) {
            const std::uint32_t pixel = pixels.rgb[y * width + x];
            raw.insert(raw.end(),
                       {std::uint8_t(pixel >> 16), std::uint8_t(pixel >> 8), std::uint8_t(pixel)});
        }
    }
    Bytes png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    putChunk(png, "IHDR", header);
    putChunk(png, "IDAT", storedZlib(raw));
    putChunk(png, "IEND", {});
    const std::string folder = fixturesFolder() + "\\..\\screenshots";
    makeFolder(folder);
    std::ofstream(folder + "\\" + name + ".png", std::ios::binary)
        .write(reinterpret_cast<const char*>(png.data()), std::streamsize(png.size()));
}

}  // namespace winesupport
