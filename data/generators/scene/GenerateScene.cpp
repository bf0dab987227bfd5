// Writes the demo scene's flat sea into <output folder>:
//   Data/Models/sea_plane.x   a square of sea at y = 0, facing up
//   Data/Textures/sea.bmp     its texture: blue with lighter wave streaks
// The plane stands in for the ocean until the ocean is drawn.
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr float kHalfSide = 40.0f;
constexpr int kCells = 8;      // the plane is split so that it files into the octree's leaves evenly
constexpr float kRepeat = 8.0f; // texture repeats over the plane

std::string F(float v) {
    char b[32];
    std::snprintf(b, sizeof b, "%.6f", v);
    return b;
}

std::string Plane() {
    const int n = kCells + 1;
    std::ostringstream o;
    o << "xof 0303txt 0032\n\n";
    o << "Frame Root {\n FrameTransformMatrix { 1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1;; }\n";
    o << " Mesh SeaMesh {\n  " << n * n << ";\n";
    for (int z = 0; z < n; ++z)
        for (int x = 0; x < n; ++x) {
            const float px = -kHalfSide + 2 * kHalfSide * x / kCells, pz = -kHalfSide + 2 * kHalfSide * z / kCells;
            o << "  " << F(px) << ";0.000000;" << F(pz) << ";" << ((z + 1 == n && x + 1 == n) ? ";" : ",") << "\n";
        }
    // Clockwise seen from above: (x, z), (x, z + 1), (x + 1, z + 1), (x + 1, z).
    std::ostringstream faces;
    const int count = kCells * kCells;
    int f = 0;
    for (int z = 0; z < kCells; ++z)
        for (int x = 0; x < kCells; ++x, ++f) {
            const int a = z * n + x, b = (z + 1) * n + x, c = (z + 1) * n + x + 1, d = z * n + x + 1;
            faces << "  4;" << a << "," << b << "," << c << "," << d << ";" << (f + 1 == count ? ";" : ",") << "\n";
        }
    o << "  " << count << ";\n" << faces.str();
    o << "  MeshNormals {\n   1;\n   0.000000;1.000000;0.000000;;\n   " << count << ";\n";
    for (int i = 0; i < count; ++i) o << "   4;0,0,0,0;" << (i + 1 == count ? ";" : ",") << "\n";
    o << "  }\n  MeshTextureCoords {\n   " << n * n << ";\n";
    for (int z = 0; z < n; ++z)
        for (int x = 0; x < n; ++x)
            o << "   " << F(kRepeat * x / kCells) << ";" << F(kRepeat * z / kCells) << ";"
              << ((z + 1 == n && x + 1 == n) ? ";" : ",") << "\n";
    o << "  }\n  MeshMaterialList {\n   1;\n   " << count << ";\n";
    for (int i = 0; i < count; ++i) o << "   0" << (i + 1 == count ? ";" : ",") << "\n";
    o << "   Material Sea {\n    1.000000;1.000000;1.000000;1.000000;;\n    8.000000;\n"
         "    0.100000;0.100000;0.100000;;\n    0.000000;0.000000;0.000000;;\n"
         "    TextureFilename { \"sea.bmp\"; }\n   }\n  }\n }\n}\n";
    return o.str();
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: generate_scene <output folder>\n");
        return 2;
    }
    const fs::path out = argv[1];
    fs::create_directories(out / "Data/Models");
    fs::create_directories(out / "Data/Textures");
    std::ofstream model(out / "Data/Models/sea_plane.x", std::ios::binary);
    model << Plane();
    bool ok = static_cast<bool>(model);
    model.close();

    const int S = 64;
    std::vector<unsigned char> px(S * S * 3);
    for (int y = 0; y < S; ++y)
        for (int x = 0; x < S; ++x) {
            const float wave = 0.5f + 0.5f * std::sin((x + 2.0f * std::sin(y * 0.3f)) * 0.4f);
            unsigned char* p = &px[(y * S + x) * 3];
            p[0] = static_cast<unsigned char>(20 + 30 * wave);
            p[1] = static_cast<unsigned char>(60 + 40 * wave);
            p[2] = static_cast<unsigned char>(110 + 50 * wave);
        }
    ok = ok && stbi_write_bmp((out / "Data/Textures/sea.bmp").c_str(), S, S, 3, px.data());
    if (!ok) {
        std::fprintf(stderr, "generate_scene: cannot write into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
