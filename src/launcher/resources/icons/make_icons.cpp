// Draws the launcher's two icons and writes them as .ico files: the program
// icon (48, 32 and 16 pixels in 256 colours and in 32-bit colour) and the
// result picture (64 pixels in 16, 256, 24-bit and 32-bit colour). Runs on the
// build machine: make_icons OUTPUT_FOLDER.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

namespace {

struct Rgba {
    double r = 0, g = 0, b = 0, a = 0;  // 0..1, not premultiplied
};
using Image = std::vector<Rgba>;                        // top row first
using Shape = std::function<bool(double x, double y)>;  // unit square coordinates

Rgba hex(std::uint32_t rgb) {
    return {((rgb >> 16) & 255) / 255.0, ((rgb >> 8) & 255) / 255.0, (rgb & 255) / 255.0, 1};
}

Shape circle(double cx, double cy, double radius) {
    return [=](double x, double y) { return std::hypot(x - cx, y - cy) <= radius; };
}

Shape roundedBox(double x0, double y0, double x1, double y1, double radius) {
    return [=](double x, double y) {
        const double dx = std::max({x0 + radius - x, 0.0, x - (x1 - radius)});
        const double dy = std::max({y0 + radius - y, 0.0, y - (y1 - radius)});
        return x >= x0 && x <= x1 && y >= y0 && y <= y1 && std::hypot(dx, dy) <= radius;
    };
}

// A stroke with round ends from (ax, ay) to (bx, by).
Shape stroke(double ax, double ay, double bx, double by, double width) {
    return [=](double x, double y) {
        const double vx = bx - ax, vy = by - ay;
        const double t =
            std::clamp(((x - ax) * vx + (y - ay) * vy) / (vx * vx + vy * vy), 0.0, 1.0);
        return std::hypot(x - ax - t * vx, y - ay - t * vy) <= width / 2;
    };
}

// Paints the shape over the image with 4 x 4 samples a pixel.
void paint(Image& image, int size, const Shape& shape, Rgba colour) {
    for (int py = 0; py < size; ++py)
        for (int px = 0; px < size; ++px) {
            int inside = 0;
            for (int sy = 0; sy < 4; ++sy)
                for (int sx = 0; sx < 4; ++sx)
                    inside += shape((px + (sx + 0.5) / 4) / size, (py + (sy + 0.5) / 4) / size);
            const double a = colour.a * inside / 16;
            Rgba& under = image[py * size + px];
            const double out = a + under.a * (1 - a);
            if (out <= 0) continue;
            under.r = (colour.r * a + under.r * under.a * (1 - a)) / out;
            under.g = (colour.g * a + under.g * under.a * (1 - a)) / out;
            under.b = (colour.b * a + under.b * under.a * (1 - a)) / out;
            under.a = out;
        }
}

// A clock face: white dial, coloured ring, hands at ten o'clock.
void paintClock(Image& image, int size, double cx, double cy, double radius, Rgba ring) {
    paint(image, size, circle(cx, cy, radius), ring);
    paint(image, size, circle(cx, cy, radius * 0.82), hex(0xFFFFFF));
    if (size >= 32)
        for (int quarter = 0; quarter < 4; ++quarter) {
            const double angle = quarter * M_PI / 2;
            const double sx = std::sin(angle), sy = -std::cos(angle);
            paint(image, size,
                  stroke(cx + sx * radius * 0.62, cy + sy * radius * 0.62, cx + sx * radius * 0.74,
                         cy + sy * radius * 0.74, radius * 0.09),
                  hex(0x7A8A9A));
        }
    const Rgba hand = hex(0x17324F);
    paint(image, size, stroke(cx, cy, cx, cy - radius * 0.62, radius * 0.14), hand);
    paint(image, size, stroke(cx, cy, cx - radius * 0.40, cy - radius * 0.22, radius * 0.17), hand);
    paint(image, size, circle(cx, cy, radius * 0.12), hex(0xE8792B));
}

// The program icon: a clock on a blue tile.
Image programIcon(int size) {
    Image image(size * size);
    paint(image, size, roundedBox(0.03, 0.03, 0.97, 0.97, 0.2), hex(0x2A64A3));
    paint(image, size, roundedBox(0.03, 0.03, 0.97, 0.5, 0.2), {1, 1, 1, 0.12});
    paintClock(image, size, 0.5, 0.52, 0.38, hex(0x17324F));
    return image;
}

// The result picture: a timesheet page with a clock in front of it.
Image resultPicture(int size) {
    Image image(size * size);
    paint(image, size, roundedBox(0.10, 0.04, 0.74, 0.92, 0.05), hex(0x7D8B99));
    paint(image, size, roundedBox(0.12, 0.06, 0.72, 0.90, 0.04), hex(0xFFFFFF));
    paint(image, size, roundedBox(0.12, 0.06, 0.72, 0.20, 0.04), hex(0x2A64A3));
    for (double y = 0.30; y < 0.85; y += 0.09)
        paint(image, size, stroke(0.20, y, 0.64, y, 0.025), hex(0xA9B7C6));
    paintClock(image, size, 0.68, 0.68, 0.28, hex(0x2A64A3));
    return image;
}

std::vector<Rgba> vgaPalette() {
    const std::uint32_t colours[16] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080,
                                       0x008080, 0xC0C0C0, 0x808080, 0xFF0000, 0x00FF00, 0xFFFF00,
                                       0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
    std::vector<Rgba> palette;
    for (std::uint32_t colour : colours)
        palette.push_back(hex(colour));
    return palette;
}

// A 6 x 6 x 6 colour cube and 40 greys.
std::vector<Rgba> cubePalette() {
    std::vector<Rgba> palette;
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                palette.push_back({r / 5.0, g / 5.0, b / 5.0, 1});
    for (int grey = 0; grey < 40; ++grey)
        palette.push_back({grey / 39.0, grey / 39.0, grey / 39.0, 1});
    return palette;
}

std::size_t nearest(const std::vector<Rgba>& palette, Rgba c) {
    std::size_t best = 0;
    double bestDistance = 1e9;
    for (std::size_t i = 0; i < palette.size(); ++i) {
        const double d = std::pow(palette[i].r - c.r, 2) + std::pow(palette[i].g - c.g, 2) +
                         std::pow(palette[i].b - c.b, 2);
        if (d < bestDistance) bestDistance = d, best = i;
    }
    return best;
}

using Bytes = std::vector<std::uint8_t>;

void put16(Bytes& out, unsigned v) {
    out.push_back(v & 255);
    out.push_back((v >> 8) & 255);
}
void put32(Bytes& out, std::uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}
std::uint8_t byteOf(double v) {
    return static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255));
}

// One icon image: BITMAPINFOHEADER of double height, palette, colour rows
// and the AND mask, both bottom row first.
Bytes iconImage(const Image& image, int size, int bits) {
    const std::vector<Rgba> palette = bits == 4   ? vgaPalette()
                                      : bits == 8 ? cubePalette()
                                                  : std::vector<Rgba>{};
    const int stride = (size * bits + 31) / 32 * 4, maskStride = (size + 31) / 32 * 4;
    Bytes out;
    put32(out, 40);
    put32(out, size);
    put32(out, size * 2);
    put16(out, 1);
    put16(out, bits);
    put32(out, 0);
    put32(out, (stride + maskStride) * size);
    for (int i = 0; i < 4; ++i)
        put32(out, 0);
    if (!palette.empty()) {
        for (std::size_t i = 0; i < (1u << bits); ++i) {
            const Rgba c = i < palette.size() ? palette[i] : Rgba{};
            out.insert(out.end(), {byteOf(c.b), byteOf(c.g), byteOf(c.r), 0});
        }
    }
    // Without an alpha channel a pixel is either shown or not; half-covered
    // edges are blended with the dialog's grey.
    const Rgba face = hex(0xF0F0F0);
    auto flat = [&](Rgba c) {
        return Rgba{c.r * c.a + face.r * (1 - c.a), c.g * c.a + face.g * (1 - c.a),
                    c.b * c.a + face.b * (1 - c.a), 1};
    };
    for (int y = size - 1; y >= 0; --y) {
        Bytes row(stride, 0);
        for (int x = 0; x < size; ++x) {
            const Rgba c = image[y * size + x];
            if (bits == 32) {
                std::copy_n(Bytes{byteOf(c.b), byteOf(c.g), byteOf(c.r), byteOf(c.a)}.begin(), 4,
                            row.begin() + x * 4);
            } else if (c.a < 0.5) {
                continue;  // transparent: black under a set mask bit
            } else if (bits == 24) {
                const Rgba f = flat(c);
                std::copy_n(Bytes{byteOf(f.b), byteOf(f.g), byteOf(f.r)}.begin(), 3,
                            row.begin() + x * 3);
            } else {
                const std::size_t index = nearest(palette, flat(c));
                if (bits == 8)
                    row[x] = static_cast<std::uint8_t>(index);
                else
                    row[x / 2] |= static_cast<std::uint8_t>(x % 2 ? index : index << 4);
            }
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    for (int y = size - 1; y >= 0; --y) {
        Bytes row(maskStride, 0);
        for (int x = 0; x < size; ++x)
            if (image[y * size + x].a < (bits == 32 ? 1.0 / 255 : 0.5))
                row[x / 8] |= 0x80 >> (x % 8);
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

struct Entry {
    int size;
    int bits;
};

bool writeIcon(const std::string& path, const std::function<Image(int)>& draw,
               const std::vector<Entry>& entries) {
    Bytes head, images;
    put16(head, 0);
    put16(head, 1);
    put16(head, static_cast<unsigned>(entries.size()));
    std::uint32_t offset = 6 + 16 * static_cast<std::uint32_t>(entries.size());
    for (const Entry& entry : entries) {
        const Bytes image = iconImage(draw(entry.size), entry.size, entry.bits);
        head.insert(head.end(),
                    {static_cast<std::uint8_t>(entry.size), static_cast<std::uint8_t>(entry.size),
                     static_cast<std::uint8_t>(entry.bits == 4 ? 16 : 0), 0});
        put16(head, 1);
        put16(head, entry.bits);
        put32(head, static_cast<std::uint32_t>(image.size()));
        put32(head, offset);
        offset += static_cast<std::uint32_t>(image.size());
        images.insert(images.end(), image.begin(), image.end());
    }
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(head.data()),
               static_cast<std::streamsize>(head.size()));
    file.write(reinterpret_cast<const char*>(images.data()),
               static_cast<std::streamsize>(images.size()));
    return static_cast<bool>(file);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: make_icons OUTPUT_FOLDER\n";
        return 2;
    }
    const std::string folder = argv[1];
    const bool written =
        writeIcon(folder + "/harvella.ico", programIcon,
                  {{48, 8}, {32, 8}, {16, 8}, {48, 32}, {32, 32}, {16, 32}}) &&
        writeIcon(folder + "/result.ico", resultPicture, {{64, 4}, {64, 8}, {64, 24}, {64, 32}});
    if (!written) std::cerr << "make_icons: cannot write into " << folder << "\n";
    return written ? 0 : 1;
}
