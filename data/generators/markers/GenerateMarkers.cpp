// Draws the 3D GUI marker images into the given folder, 32 x 32 with alpha:
//   friend.png    a green downward arrow with a dark rim
//   enemy.png     a red diamond with a dark rim
//   selected.png  a yellow ring
// Shapes are sampled four times per pixel for soft edges.
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

constexpr int kSize = 32;

// inside(x, y) for x, y in [0, 1]: 0 outside, 1 rim, 2 fill.
using Shape = std::function<int(double, double)>;

bool Write(const std::filesystem::path& path, const Shape& inside, const std::uint8_t fill[3]) {
    std::vector<std::uint8_t> px(kSize * kSize * 4, 0);
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            double a = 0, r = 0, g = 0, b = 0;
            for (int s = 0; s < 4; ++s) {
                const int k = inside((x + 0.25 + 0.5 * (s & 1)) / kSize, (y + 0.25 + 0.5 * (s >> 1)) / kSize);
                if (k == 0) continue;
                a += 0.25;
                const double shade = k == 2 ? 1.0 : 0.2;
                r += 0.25 * fill[0] * shade, g += 0.25 * fill[1] * shade, b += 0.25 * fill[2] * shade;
            }
            std::uint8_t* p = &px[(y * kSize + x) * 4];
            if (a > 0) {
                p[0] = static_cast<std::uint8_t>(r / a + 0.5);
                p[1] = static_cast<std::uint8_t>(g / a + 0.5);
                p[2] = static_cast<std::uint8_t>(b / a + 0.5);
            }
            p[3] = static_cast<std::uint8_t>(a * 255 + 0.5);
        }
    return stbi_write_png(path.string().c_str(), kSize, kSize, 4, px.data(), kSize * 4) != 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: generate_markers <folder>\n");
        return 2;
    }
    const std::filesystem::path dir = argv[1];
    std::filesystem::create_directories(dir);
    // A triangle pointing down, its tip at the bottom centre.
    const Shape arrow = [](double x, double y) {
        const double half = 0.45 * (0.95 - y);
        const double d = std::fabs(x - 0.5);
        if (y < 0.1 || y > 0.95 || d > half) return 0;
        return (y < 0.18 || d > half - 0.08) ? 1 : 2;
    };
    const Shape diamond = [](double x, double y) {
        const double d = std::fabs(x - 0.5) + std::fabs(y - 0.5);
        return d > 0.45 ? 0 : (d > 0.36 ? 1 : 2);
    };
    const Shape ring = [](double x, double y) {
        const double d = std::hypot(x - 0.5, y - 0.5);
        return (d > 0.46 || d < 0.34) ? 0 : 2;
    };
    const std::uint8_t green[3] = {60, 220, 90}, red[3] = {235, 50, 40}, yellow[3] = {250, 220, 60};
    const bool ok = Write(dir / "friend.png", arrow, green) && Write(dir / "enemy.png", diamond, red) &&
                    Write(dir / "selected.png", ring, yellow);
    if (!ok) {
        std::fprintf(stderr, "generate_markers: cannot write into %s\n", dir.string().c_str());
        return 1;
    }
    return 0;
}
