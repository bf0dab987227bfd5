// Paints the textures of the battle sea and sky into the given folder:
//   sky.dds             512 x 256 sky of the arch: deep blue at the top, pale
//                       at the horizon, with soft clouds (v = 1 is the rim)
//   sky_reflection.dds  256 x 128 panorama of the same sky seen in the water:
//                       u turns once around the vertical, v = 0 straight up,
//                       v = 1 at the horizon
//   fresnel_water.bmp   256 x 1 reflectance of water by the cosine of the
//                       view angle (u = 0 grazing, u = 1 straight down)
//   Noize1_1.dds, Noize2_1.dds  128 x 128 tiling grey noise
// Everything is computed from fixed seeds, so every build makes the same
// files.
#include <stb_image_write.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;

struct Rgb {
    double r, g, b;
};

Rgb Mix(const Rgb& a, const Rgb& b, double t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

std::uint8_t Byte(double v) { return static_cast<std::uint8_t>(std::clamp(v, 0.0, 1.0) * 255.0 + 0.5); }

// Tiling value noise on a lattice of `cells` x `cells`.
class ValueNoise {
public:
    ValueNoise(int cells, std::uint32_t seed) : m_cells(cells), m_values(size_t(cells) * cells) {
        for (double& v : m_values) {
            seed = seed * 1664525u + 1013904223u;
            v = (seed >> 8) / double(1u << 24);
        }
    }
    // x, y in lattice units; wraps every `period` cells (at most the
    // lattice's size).
    double At(double x, double y, int period) const {
        const double fx = x - std::floor(x), fy = y - std::floor(y);
        const int x0 = Wrap(static_cast<int>(std::floor(x)), period), y0 = Wrap(static_cast<int>(std::floor(y)), period);
        const int x1 = Wrap(x0 + 1, period), y1 = Wrap(y0 + 1, period);
        const double sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
        const double top = V(x0, y0) + (V(x1, y0) - V(x0, y0)) * sx;
        const double bottom = V(x0, y1) + (V(x1, y1) - V(x0, y1)) * sx;
        return top + (bottom - top) * sy;
    }

private:
    int Wrap(int i, int period) const {
        period = std::clamp(period, 1, m_cells);
        return ((i % period) + period) % period;
    }
    double V(int x, int y) const { return m_values[size_t(y) * m_cells + x]; }
    int m_cells;
    std::vector<double> m_values;
};

// Fractal sum of four octaves, in [0, 1); u and v in [0, 1) tile.
double Clouds(const ValueNoise& n, int baseCells, double u, double v) {
    double sum = 0, weight = 0, amp = 1;
    for (int o = 0, cells = baseCells; o < 4; ++o, cells *= 2, amp *= 0.5) {
        // Each octave wraps at its own period, so every octave tiles; the
        // lattice has baseCells << 3 cells, enough for the finest.
        sum += amp * n.At(u * cells, v * cells, cells);
        weight += amp;
    }
    return sum / weight;
}

// Colour of the sky at an elevation (0 horizon, 1 zenith) without clouds.
Rgb SkyGradient(double elevation) {
    const Rgb horizon{0.78, 0.86, 0.93}, middle{0.45, 0.65, 0.88}, zenith{0.16, 0.36, 0.72};
    elevation = std::clamp(elevation, 0.0, 1.0);
    if (elevation < 0.3)
        return Mix(horizon, middle, elevation / 0.3);
    return Mix(middle, zenith, (elevation - 0.3) / 0.7);
}

Rgb SkyWithClouds(const ValueNoise& n, double u, double elevation) {
    Rgb c = SkyGradient(elevation);
    // Clouds stretch towards the horizon and thin out overhead.
    const double cloud = Clouds(n, 4, u, elevation * 0.5);
    const double cover = std::clamp((cloud - 0.52) * 4.0, 0.0, 1.0) * (1.0 - 0.6 * elevation);
    return Mix(c, Rgb{0.97, 0.97, 0.98}, cover * 0.8);
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

// An uncompressed DDS of one level: 32-bit A8R8G8B8 (bgra bytes per texel)
// or 8-bit luminance.
bool WriteDds(const std::string& path, int width, int height, bool luminance, const std::vector<std::uint8_t>& texels) {
    std::vector<std::uint8_t> out;
    Put32(out, 0x20534444u); // "DDS "
    Put32(out, 124);
    const std::uint32_t pitch = std::uint32_t(width) * (luminance ? 1 : 4);
    Put32(out, 0x1u | 0x2u | 0x4u | 0x8u | 0x1000u); // caps, height, width, pitch, pixel format
    Put32(out, std::uint32_t(height));
    Put32(out, std::uint32_t(width));
    Put32(out, pitch);
    Put32(out, 0); // depth
    Put32(out, 1); // mip levels
    for (int i = 0; i < 11; ++i)
        Put32(out, 0);
    Put32(out, 32); // pixel format size
    if (luminance) {
        Put32(out, 0x20000u); // luminance
        Put32(out, 0);
        Put32(out, 8);
        Put32(out, 0xFFu);
        Put32(out, 0);
        Put32(out, 0);
        Put32(out, 0);
    } else {
        Put32(out, 0x40u | 0x1u); // RGB with alpha
        Put32(out, 0);
        Put32(out, 32);
        Put32(out, 0x00FF0000u);
        Put32(out, 0x0000FF00u);
        Put32(out, 0x000000FFu);
        Put32(out, 0xFF000000u);
    }
    Put32(out, 0x1000u); // texture
    for (int i = 0; i < 4; ++i)
        Put32(out, 0);
    out.insert(out.end(), texels.begin(), texels.end());
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool ok = std::fwrite(out.data(), 1, out.size(), f) == out.size();
    return std::fclose(f) == 0 && ok;
}

void PutBgra(std::vector<std::uint8_t>& texels, const Rgb& c) {
    texels.push_back(Byte(c.b));
    texels.push_back(Byte(c.g));
    texels.push_back(Byte(c.r));
    texels.push_back(255);
}

bool WriteSky(const std::string& folder, const ValueNoise& n) {
    const int w = 512, h = 256;
    std::vector<std::uint8_t> t;
    t.reserve(size_t(w) * h * 4);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            // v = 0 is the top of the arch, v = 1 its rim at the horizon.
            const double elevation = 1.0 - (y + 0.5) / h;
            PutBgra(t, SkyWithClouds(n, (x + 0.5) / w, elevation));
        }
    return WriteDds(folder + "/sky.dds", w, h, false, t);
}

bool WriteSkyReflection(const std::string& folder, const ValueNoise& n) {
    const int w = 256, h = 128;
    std::vector<std::uint8_t> t;
    t.reserve(size_t(w) * h * 4);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double elevation = 1.0 - (y + 0.5) / h;
            PutBgra(t, SkyWithClouds(n, (x + 0.5) / w, elevation));
        }
    return WriteDds(folder + "/sky_reflection.dds", w, h, false, t);
}

bool WriteFresnel(const std::string& folder) {
    // Schlick's approximation with the reflectance of water at normal
    // incidence (about 0.02).
    const int w = 256;
    std::vector<std::uint8_t> rgb;
    for (int x = 0; x < w; ++x) {
        const double c = (x + 0.5) / w;
        const double r = 0.02 + 0.98 * std::pow(1.0 - c, 5.0);
        const std::uint8_t b = Byte(r);
        rgb.insert(rgb.end(), {b, b, b});
    }
    return stbi_write_bmp((folder + "/fresnel_water.bmp").c_str(), w, 1, 3, rgb.data()) != 0;
}

bool WriteNoise(const std::string& path, std::uint32_t seed, int cells) {
    const int side = 128;
    const ValueNoise n(cells << 3, seed);
    std::vector<std::uint8_t> t;
    t.reserve(size_t(side) * side);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
            t.push_back(Byte(Clouds(n, cells, (x + 0.5) / side, (y + 0.5) / side)));
    return WriteDds(path, side, side, true, t);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: generate_ocean_textures <output folder>\n");
        return 2;
    }
    const std::string folder = argv[1];
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) {
        std::fprintf(stderr, "cannot create %s\n", folder.c_str());
        return 1;
    }
    const ValueNoise clouds(4 << 3, 20240611u);
    const bool ok = WriteSky(folder, clouds) && WriteSkyReflection(folder, clouds) && WriteFresnel(folder) &&
                    WriteNoise(folder + "/Noize1_1.dds", 7u, 4) && WriteNoise(folder + "/Noize2_1.dds", 11u, 8);
    if (!ok) {
        std::fprintf(stderr, "cannot write the ocean textures into %s\n", folder.c_str());
        return 1;
    }
    return 0;
}
