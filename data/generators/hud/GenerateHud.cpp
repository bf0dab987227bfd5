// Draws the battle HUD's own art into the programs folder:
//   Interface/Textures/compass.png  a compass card with its needle (north red)
//   Interface/Textures/lamps.png    four 32 x 32 lamps side by side: flooding
//                                   (blue), fire (orange), leaving (yellow) and
//                                   crew (a white star)
//   Interface/Cursors/main.cur, player.cur, enemy.cur  32 x 32 arrows with
//                                   brass, green and red fills, hot spot at the tip
// Shapes are sampled four times per pixel for soft edges.
// usage: generate_hud <programs folder>
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// The colour of a point (x, y in [0, 1]); alpha 0 outside.
struct Rgba {
    double r = 0, g = 0, b = 0, a = 0;
};
using Paint = std::function<Rgba(double, double)>;

void Draw(std::vector<std::uint8_t>& px, int stride, int x0, int size, const Paint& paint) {
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            Rgba sum;
            for (int s = 0; s < 4; ++s) {
                const Rgba c = paint((x + 0.25 + 0.5 * (s & 1)) / size, (y + 0.25 + 0.5 * (s >> 1)) / size);
                sum.r += c.r * c.a * 0.25, sum.g += c.g * c.a * 0.25, sum.b += c.b * c.a * 0.25, sum.a += c.a * 0.25;
            }
            std::uint8_t* p = &px[(y * stride + x0 + x) * 4];
            if (sum.a > 0) {
                p[0] = static_cast<std::uint8_t>(sum.r / sum.a * 255 + 0.5);
                p[1] = static_cast<std::uint8_t>(sum.g / sum.a * 255 + 0.5);
                p[2] = static_cast<std::uint8_t>(sum.b / sum.a * 255 + 0.5);
            }
            p[3] = static_cast<std::uint8_t>(sum.a * 255 + 0.5);
        }
}

// Inside the triangle a, b, c (any winding).
bool InTriangle(double px, double py, double ax, double ay, double bx, double by, double cx, double cy) {
    const double d1 = (px - bx) * (ay - by) - (ax - bx) * (py - by);
    const double d2 = (px - cx) * (by - cy) - (bx - cx) * (py - cy);
    const double d3 = (px - ax) * (cy - ay) - (cx - ax) * (py - ay);
    const bool neg = d1 < 0 || d2 < 0 || d3 < 0, pos = d1 > 0 || d2 > 0 || d3 > 0;
    return !(neg && pos);
}

Rgba Compass(double x, double y) {
    const double dx = x - 0.5, dy = y - 0.5, r = std::sqrt(dx * dx + dy * dy);
    if (InTriangle(x, y, 0.5, 0.08, 0.42, 0.5, 0.58, 0.5)) return {0.85, 0.12, 0.1, 1};
    if (InTriangle(x, y, 0.5, 0.92, 0.42, 0.5, 0.58, 0.5)) return {0.92, 0.92, 0.95, 1};
    if (r < 0.05) return {0.2, 0.2, 0.2, 1};
    if (r > 0.44 && r < 0.48) return {0.75, 0.65, 0.35, 1};
    if (r <= 0.44) return {0.05, 0.1, 0.2, 0.55};
    return {};
}

Paint Lamp(double r, double g, double b) {
    return [=](double x, double y) -> Rgba {
        const double d = std::hypot(x - 0.5, y - 0.5);
        if (d > 0.42) return {};
        if (d > 0.34) return {0.1, 0.1, 0.1, 1};
        const double glow = 1.0 - d;
        return {r * glow + 0.15, g * glow + 0.15, b * glow + 0.15, 1};
    };
}

Rgba Star(double x, double y) {
    const double dx = x - 0.5, dy = y - 0.5, d = std::hypot(dx, dy), a = std::atan2(dy, dx);
    const double edge = 0.22 + 0.2 * std::pow(std::fabs(std::cos(2.5 * a)), 3.0);
    return d <= edge ? Rgba{1, 0.95, 0.75, 1} : Rgba{};
}

bool WritePng(const fs::path& path, int w, int h, const std::vector<std::uint8_t>& px) {
    return stbi_write_png(path.string().c_str(), w, h, 4, px.data(), w * 4) != 0;
}

void Put16(std::vector<std::uint8_t>& out, unsigned v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Put32(std::vector<std::uint8_t>& out, unsigned v) {
    Put16(out, v & 0xFFFFu);
    Put16(out, v >> 16);
}

bool InArrow(int x, int y) {
    if (x < 0 || y < 0) return false;
    if (y < 20) return x <= y / 1.4;
    return x >= 6 && x <= 9 && y <= 28 && x <= y / 1.4;
}

// A 32 x 32 arrow cursor, 32 bits per pixel, filled with (r, g, b).
bool WriteCursor(const fs::path& path, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    constexpr int kSize = 32;
    std::vector<std::uint8_t> image;
    Put32(image, 40);
    Put32(image, kSize);
    Put32(image, kSize * 2);
    Put16(image, 1);
    Put16(image, 32);
    for (int i = 0; i < 6; ++i) Put32(image, 0);
    for (int row = kSize - 1; row >= 0; --row)
        for (int x = 0; x < kSize; ++x) {
            const bool in = InArrow(x, row);
            const bool edge = in && (!InArrow(x - 1, row) || !InArrow(x + 1, row) || !InArrow(x, row - 1) ||
                                     !InArrow(x, row + 1));
            const std::uint8_t cb = edge ? 0x20 : b, cg = edge ? 0x20 : g, cr = edge ? 0x20 : r;
            image.insert(image.end(), {in ? cb : std::uint8_t(0), in ? cg : std::uint8_t(0), in ? cr : std::uint8_t(0),
                                       in ? std::uint8_t(0xFF) : std::uint8_t(0)});
        }
    for (int row = kSize - 1; row >= 0; --row) {
        std::uint32_t bits = 0;
        for (int x = 0; x < kSize; ++x)
            if (!InArrow(x, row)) bits |= 0x80000000u >> x;
        image.insert(image.end(), {std::uint8_t(bits >> 24), std::uint8_t(bits >> 16), std::uint8_t(bits >> 8),
                                   std::uint8_t(bits)});
    }
    std::vector<std::uint8_t> file;
    Put16(file, 0);
    Put16(file, 2);
    Put16(file, 1);
    file.insert(file.end(), {std::uint8_t(kSize), std::uint8_t(kSize), 0, 0});
    Put16(file, 0);
    Put16(file, 0);
    Put32(file, static_cast<unsigned>(image.size()));
    Put32(file, 22);
    file.insert(file.end(), image.begin(), image.end());
    FILE* f = std::fopen(path.string().c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(file.data(), 1, file.size(), f) == file.size();
    return std::fclose(f) == 0 && ok;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: generate_hud <programs folder>\n");
        return 2;
    }
    const fs::path root = argv[1];
    const fs::path textures = root / "Interface" / "Textures", cursors = root / "Interface" / "Cursors";
    std::error_code ec;
    fs::create_directories(textures, ec);
    fs::create_directories(cursors, ec);
    std::vector<std::uint8_t> compass(96 * 96 * 4, 0);
    Draw(compass, 96, 0, 96, Compass);
    std::vector<std::uint8_t> lamps(128 * 32 * 4, 0);
    Draw(lamps, 128, 0, 32, Lamp(0.2, 0.45, 1.0));
    Draw(lamps, 128, 32, 32, Lamp(1.0, 0.45, 0.05));
    Draw(lamps, 128, 64, 32, Lamp(1.0, 0.9, 0.1));
    Draw(lamps, 128, 96, 32, Star);
    const bool ok = WritePng(textures / "compass.png", 96, 96, compass) && WritePng(textures / "lamps.png", 128, 32, lamps) &&
                    WriteCursor(cursors / "main.cur", 0xE0, 0xB8, 0x40) &&
                    WriteCursor(cursors / "player.cur", 0x50, 0xD0, 0x60) &&
                    WriteCursor(cursors / "enemy.cur", 0xE0, 0x40, 0x30);
    if (!ok) std::fprintf(stderr, "generate_hud: cannot write into %s\n", argv[1]);
    return ok ? 0 : 1;
}
