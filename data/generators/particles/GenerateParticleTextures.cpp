// Writes the demo's particle textures: a soft smoke puff, a 4 x 4 atlas of
// flame frames and a spray droplet, as PNG files with alpha.
// usage: generate_particle_textures <output folder>
#include <stb_image_write.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

struct Image {
    int width;
    int height;
    std::vector<std::uint8_t> rgba;
    Image(int w, int h) : width(w), height(h), rgba(static_cast<std::size_t>(w) * h * 4, 0) {}
    void Set(int x, int y, float r, float g, float b, float a)
    {
        std::uint8_t* p = &rgba[(static_cast<std::size_t>(y) * width + x) * 4];
        const float c[4] = {r, g, b, a};
        for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(std::clamp(c[i], 0.0f, 1.0f) * 255.0f + 0.5f);
    }
};

// Smooth value noise on a lattice, repeatable from the seed.
float Hash(int x, int y, int seed)
{
    std::uint32_t h = static_cast<std::uint32_t>(x) * 374761393u + static_cast<std::uint32_t>(y) * 668265263u +
                      static_cast<std::uint32_t>(seed) * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return static_cast<float>((h ^ (h >> 16)) & 0xFFFFu) / 65535.0f;
}

float Noise(float x, float y, int seed)
{
    const int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y));
    const float fx = x - x0, fy = y - y0;
    const float sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
    const float a = Hash(x0, y0, seed), b = Hash(x0 + 1, y0, seed);
    const float c = Hash(x0, y0 + 1, seed), d = Hash(x0 + 1, y0 + 1, seed);
    return (a + (b - a) * sx) + ((c + (d - c) * sx) - (a + (b - a) * sx)) * sy;
}

float Turbulence(float x, float y, int seed)
{
    return 0.5f * Noise(x, y, seed) + 0.3f * Noise(2 * x, 2 * y, seed + 1) + 0.2f * Noise(4 * x, 4 * y, seed + 2);
}

Image Smoke()
{
    Image img(64, 64);
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            const float dx = (x + 0.5f) / 32.0f - 1.0f, dy = (y + 0.5f) / 32.0f - 1.0f;
            const float r = std::sqrt(dx * dx + dy * dy);
            const float falloff = std::clamp(1.0f - r, 0.0f, 1.0f);
            const float n = Turbulence(x / 8.0f, y / 8.0f, 7);
            const float a = falloff * falloff * (0.55f + 0.45f * n);
            const float grey = 0.75f + 0.2f * n;
            img.Set(x, y, grey, grey, grey, a);
        }
    }
    return img;
}

// Sixteen 64 x 64 flames, row by row: a tongue that rises, flickers and
// thins out as the frames go on.
Image FireAtlas()
{
    Image img(256, 256);
    for (int frame = 0; frame < 16; ++frame) {
        const int ox = (frame % 4) * 64, oy = (frame / 4) * 64;
        const float age = frame / 15.0f;
        for (int y = 0; y < 64; ++y) {
            for (int x = 0; x < 64; ++x) {
                const float u = (x + 0.5f) / 64.0f * 2.0f - 1.0f; // -1 .. 1 across
                const float v = 1.0f - (y + 0.5f) / 64.0f;         // 0 at the bottom, 1 at the top
                const float n = Turbulence(x / 10.0f, (y + frame * 9) / 10.0f, 3);
                const float width = (0.75f - 0.35f * age) * (1.0f - v * 0.8f) + 0.15f * (n - 0.5f);
                const float body = std::clamp(1.0f - std::fabs(u) / std::max(width, 0.05f), 0.0f, 1.0f);
                const float height = std::clamp(1.0f - v / (0.95f - 0.3f * age), 0.0f, 1.0f);
                const float heat = body * std::sqrt(height) * (1.0f - 0.6f * age);
                const float r = std::min(1.0f, 0.5f + 1.5f * heat);
                const float g = std::clamp(1.6f * heat - 0.2f, 0.0f, 1.0f);
                const float b = std::clamp(2.0f * heat - 1.3f, 0.0f, 1.0f);
                img.Set(ox + x, oy + y, r, g, b, std::clamp(1.8f * heat, 0.0f, 1.0f));
            }
        }
    }
    return img;
}

Image Spray()
{
    Image img(32, 32);
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const float dx = (x + 0.5f) / 16.0f - 1.0f, dy = (y + 0.5f) / 16.0f - 1.0f;
            const float r = std::sqrt(dx * dx + dy * dy);
            const float a = std::clamp(1.0f - r, 0.0f, 1.0f);
            img.Set(x, y, 0.85f + 0.15f * a, 0.92f + 0.08f * a, 1.0f, a * std::sqrt(a));
        }
    }
    return img;
}

bool Write(const std::filesystem::path& path, const Image& img)
{
    std::filesystem::create_directories(path.parent_path());
    if (!stbi_write_png(path.string().c_str(), img.width, img.height, 4, img.rgba.data(), img.width * 4)) {
        std::fprintf(stderr, "cannot write %s\n", path.string().c_str());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    const std::filesystem::path textures = std::filesystem::path(argv[1]) / "Textures" / "Particles";
    bool ok = Write(textures / "smoke.png", Smoke());
    ok = Write(textures / "fire_atlas.png", FireAtlas()) && ok;
    ok = Write(textures / "spray.png", Spray()) && ok;
    return ok ? 0 : 1;
}
