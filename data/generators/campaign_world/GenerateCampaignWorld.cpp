// Writes the campaign engine's world textures:
//   Textures/fresnel_water.bmp  reflectance by the cosine of the view angle
//                               (u), a 256 x 4 grey ramp
//   Textures/c2water_sky.png    the sky the water mirrors: u around, v = 0
//                               overhead
//   Textures/c2sky_wall.png     the sky-wall panorama, wrapping in u: sky
//                               with clouds above a hazy horizon band and a
//                               line of distant coast
//   Textures/c2smoke.png, c2explosion.png, c2splash.png
//                               soft round particle sprites with alpha
// usage: generate_campaign_world <output folder>
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Image {
    int w, h;
    std::vector<std::uint8_t> rgba;
    Image(int width, int height) : w(width), h(height), rgba(size_t(width) * size_t(height) * 4, 0) {}
    void Set(int x, int y, float r, float g, float b, float a = 1.0f) {
        std::uint8_t* p = &rgba[(size_t(y) * size_t(w) + size_t(x)) * 4];
        const float c[4] = {r, g, b, a};
        for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(std::clamp(c[i], 0.0f, 1.0f) * 255.0f + 0.5f);
    }
};

float Hash(int x, int y, int seed) {
    std::uint32_t h = std::uint32_t(x) * 374761393u + std::uint32_t(y) * 668265263u + std::uint32_t(seed) * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return float((h ^ (h >> 16)) & 0xFFFFu) / 65535.0f;
}

// Value noise that wraps every `period` lattice cells in x.
float Noise(float x, float y, int seed, int period) {
    const int x0 = int(std::floor(x)), y0 = int(std::floor(y));
    const float fx = x - float(x0), fy = y - float(y0);
    auto at = [&](int xi, int yi) { return Hash(((xi % period) + period) % period, yi, seed); };
    const float sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
    const float a = at(x0, y0) + (at(x0 + 1, y0) - at(x0, y0)) * sx;
    const float b = at(x0, y0 + 1) + (at(x0 + 1, y0 + 1) - at(x0, y0 + 1)) * sx;
    return a + (b - a) * sy;
}

float Clouds(float u, float v, int seed) {
    float sum = 0, amp = 0.5f;
    for (int o = 0; o < 4; ++o) {
        const int period = 8 << o;
        sum += amp * Noise(u * float(period), v * float(period) * 0.5f, seed + o, period);
        amp *= 0.5f;
    }
    return sum;
}

bool WritePng(const fs::path& path, const Image& img) {
    fs::create_directories(path.parent_path());
    return stbi_write_png(path.string().c_str(), img.w, img.h, 4, img.rgba.data(), img.w * 4) != 0;
}

Image Sprite(int size, float r, float g, float b, float softness, int seed) {
    Image img(size, size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const float dx = (x + 0.5f) / size * 2 - 1, dy = (y + 0.5f) / size * 2 - 1;
            const float d = std::sqrt(dx * dx + dy * dy);
            float a = std::clamp(1.0f - d, 0.0f, 1.0f);
            a = std::pow(a, softness);
            const float n = 0.75f + 0.25f * Noise(x * 0.25f, y * 0.25f, seed, 1 << 20);
            // Every pixel keeps some colour, so no pixel equals the colour key.
            img.Set(x, y, r * n, g * n, b * n, std::max(a * n, 0.0f));
            if (a <= 0.0f) img.Set(x, y, r * 0.5f, g * 0.5f, b * 0.5f, 0.0f);
        }
    return img;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: generate_campaign_world <output folder>\n");
        return 2;
    }
    const fs::path out = argv[1];
    fs::create_directories(out / "Textures");
    bool ok = true;

    // Fresnel ramp: Schlick's rule for water, by the cosine in u.
    {
        const int w = 256, h = 4;
        std::vector<std::uint8_t> rgb(size_t(w) * h * 3);
        for (int x = 0; x < w; ++x) {
            const float c = x / float(w - 1);
            const float f = 0.02f + 0.98f * std::pow(1.0f - c, 5.0f);
            for (int y = 0; y < h; ++y)
                for (int k = 0; k < 3; ++k) rgb[(size_t(y) * w + x) * 3 + k] = std::uint8_t(f * 255.0f + 0.5f);
        }
        ok = ok && stbi_write_bmp((out / "Textures/fresnel_water.bmp").string().c_str(), w, h, 3, rgb.data()) != 0;
    }

    // The water's sky: deep blue overhead, pale at the horizon, light clouds.
    {
        Image img(256, 128);
        for (int y = 0; y < img.h; ++y)
            for (int x = 0; x < img.w; ++x) {
                const float u = float(x) / img.w, v = float(y) / (img.h - 1);
                const float c = std::clamp((Clouds(u, v, 11) - 0.45f) * 2.5f, 0.0f, 1.0f) * (1.0f - v * 0.6f);
                const float r = 0.30f + 0.45f * v, g = 0.48f + 0.35f * v, b = 0.78f + 0.15f * v;
                img.Set(x, y, r + (0.95f - r) * c, g + (0.95f - g) * c, b + (0.97f - b) * c);
            }
        ok = ok && WritePng(out / "Textures/c2water_sky.png", img);
    }

    // The sky-wall panorama: v = 0 at the top of the wall (300 units up), v =
    // 1 at its foot below the sea; the horizon lies about 0.88 down.
    {
        Image img(1024, 256);
        const float horizon = 0.88f;
        for (int y = 0; y < img.h; ++y)
            for (int x = 0; x < img.w; ++x) {
                const float u = float(x) / img.w, v = float(y) / (img.h - 1);
                const float t = std::clamp(v / horizon, 0.0f, 1.0f);
                float r = 0.28f + 0.52f * t * t, g = 0.45f + 0.40f * t * t, b = 0.80f + 0.14f * t;
                const float cloud = std::clamp((Clouds(u, v * 1.5f, 3) - 0.5f) * 3.0f, 0.0f, 1.0f) *
                                    std::clamp(1.0f - std::fabs(v - 0.55f) * 2.2f, 0.0f, 1.0f);
                r += (0.97f - r) * cloud;
                g += (0.97f - g) * cloud;
                b += (0.98f - b) * cloud;
                // A low line of distant coast on part of the round.
                const float coast = horizon - 0.035f * std::clamp(Clouds(u, 0.3f, 7) * 2.0f - 0.7f, 0.0f, 1.0f);
                if (v >= coast && v < horizon) {
                    r = 0.42f;
                    g = 0.50f;
                    b = 0.52f;
                }
                if (v >= horizon) {
                    r = 0.20f;
                    g = 0.34f;
                    b = 0.45f;
                }
                img.Set(x, y, r, g, b);
            }
        ok = ok && WritePng(out / "Textures/c2sky_wall.png", img);
    }

    ok = ok && WritePng(out / "Textures/c2smoke.png", Sprite(64, 0.55f, 0.55f, 0.55f, 1.5f, 21));
    ok = ok && WritePng(out / "Textures/c2explosion.png", Sprite(64, 1.0f, 0.75f, 0.35f, 1.2f, 22));
    ok = ok && WritePng(out / "Textures/c2splash.png", Sprite(32, 0.92f, 0.96f, 1.0f, 1.0f, 23));
    if (!ok) {
        std::fprintf(stderr, "generate_campaign_world: could not write the textures\n");
        return 1;
    }
    return 0;
}
