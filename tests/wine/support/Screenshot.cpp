#include "Screenshot.h"

#include <array>
#include <fstream>

#include "WineSupport.h"

namespace winesupport {
namespace {

using Bytes = std::vector<std::uint8_t>;

void putBigEndian(Bytes& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>(value >> shift));
}

std::uint32_t crc32(const Bytes& bytes, std::size_t from) {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> entries{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            entries[n] = c;
        }
        return entries;
    }();
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = from; i < bytes.size(); ++i)
        crc = table[(crc ^ bytes[i]) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

void putChunk(Bytes& png, const char* type, const Bytes& data) {
    putBigEndian(png, static_cast<std::uint32_t>(data.size()));
    const std::size_t start = png.size();
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), data.begin(), data.end());
    putBigEndian(png, crc32(png, start));
}

// A zlib stream of stored (uncompressed) blocks.
Bytes storedZlib(const Bytes& raw) {
    Bytes out{0x78, 0x01};
    std::size_t done = 0;
    do {
        const std::size_t length = std::min<std::size_t>(raw.size() - done, 65535);
        out.push_back(done + length == raw.size() ? 1 : 0);
        out.push_back(length & 0xFF);
        out.push_back(length >> 8);
        out.push_back(~length & 0xFF);
        out.push_back((~length >> 8) & 0xFF);
        out.insert(out.end(), raw.begin() + done, raw.begin() + done + length);
        done += length;
    } while (done < raw.size());
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
    ScreenPixels pixels;
    pixels.area = area;
    const int width = area.right - area.left, height = area.bottom - area.top;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    const HDC screen = ::GetDC(nullptr);
    const HDC memory = ::CreateCompatibleDC(screen);
    const HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ previous = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
    const auto* source = static_cast<const std::uint32_t*>(bits);
    pixels.rgb.assign(source, source + static_cast<std::size_t>(width) * height);
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
    const int width = pixels.area.right - pixels.area.left;
    for (LONG y = std::max(inside.top, pixels.area.top);
         y < std::min(inside.bottom, pixels.area.bottom); ++y)
        for (LONG x = std::max(inside.left, pixels.area.left);
             x < std::min(inside.right, pixels.area.right); ++x)
            if (pixels.rgb[(y - pixels.area.top) * width + (x - pixels.area.left)] == rgb)
                return true;
    return false;
}

void saveScreenshot(const ScreenPixels& pixels, const std::string& name) {
    const std::uint32_t width = pixels.area.right - pixels.area.left;
    const std::uint32_t height = pixels.area.bottom - pixels.area.top;
    Bytes header;
    putBigEndian(header, width);
    putBigEndian(header, height);
    header.insert(header.end(), {8, 2, 0, 0, 0});  // 8-bit RGB, no interlace
    Bytes raw;
    for (std::uint32_t y = 0; y < height; ++y) {
        raw.push_back(0);  // no filter
        for (std::uint32_t x = 0; x < width; ++x) {
            const std::uint32_t pixel = pixels.rgb[y * width + x];
            raw.insert(raw.end(),
                       {static_cast<std::uint8_t>(pixel >> 16),
                        static_cast<std::uint8_t>(pixel >> 8), static_cast<std::uint8_t>(pixel)});
        }
    }
    Bytes png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    putChunk(png, "IHDR", header);
    putChunk(png, "IDAT", storedZlib(raw));
    putChunk(png, "IEND", {});
    const std::string bin = programFolder();
    const std::string folder = bin.substr(0, bin.find_last_of('\\')) + "\\screenshots";
    makeFolder(folder);
    std::ofstream(folder + "\\" + name + ".png", std::ios::binary)
        .write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
}

}  // namespace winesupport
