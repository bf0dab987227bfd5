// Writes the demo's models, textures and model effect:
//   Data/Models/hull.x       a textured ship hull (one material)
//   Data/Models/flag.x       a skinned flag on two bones, waving ("Wave")
//   Data/Textures/hull_diffuse.bmp, hull_normal.bmp, keyed.bmp
//   Data/Effects/model.fx    the techniques the render system asks for
// usage: generate_models <output folder>
#include <stb/stb_image_write.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct V3 {
    float x, y, z;
};

std::string F(float v) {
    char b[32];
    std::snprintf(b, sizeof b, "%.6f", v);
    return b;
}

const char* kIdentity =
    "1.000000,0.000000,0.000000,0.000000,0.000000,1.000000,0.000000,0.000000,"
    "0.000000,0.000000,1.000000,0.000000,0.000000,0.000000,0.000000,1.000000";

std::string Translation(float x, float y, float z) {
    return "1.000000,0.000000,0.000000,0.000000,0.000000,1.000000,0.000000,0.000000,"
           "0.000000,0.000000,1.000000,0.000000," +
           F(x) + "," + F(y) + "," + F(z) + ",1.000000";
}

// The hull: a box-like body, pointed at the bow (+z), straddling the
// waterline (y = 0). Every face has its own vertices so normals stay flat.
std::string Hull() {
    const float L = 2.0f, W = 0.6f, D = 0.5f, H = 0.4f, bow = 3.0f;
    // Cross-section corners at the stern (z = -L) and the bow shoulder (z = L).
    V3 sl{-W, -D, -L}, sr{W, -D, -L}, tl{-W, H, -L}, tr{W, H, -L};
    V3 bl{-W, -D, L}, br{W, -D, L}, btl{-W, H, L}, btr{W, H, L};
    V3 tipLow{0, -D, bow}, tipHigh{0, H, bow};
    std::vector<std::vector<V3>> faces = {
        {sl, tl, tr, sr},           // stern
        {sl, bl, btl, tl},          // port side
        {sr, tr, btr, br},          // starboard side
        {tl, btl, btr, tr},         // deck
        {sl, sr, br, bl},           // bottom
        {bl, tipLow, tipHigh, btl}, // bow, port
        {br, btr, tipHigh, tipLow}, // bow, starboard
        {btl, tipHigh, btr},        // bow deck
        {bl, br, tipLow},           // bow bottom
    };
    std::vector<V3> pos, nrm;
    std::vector<std::pair<float, float>> uv;
    std::vector<std::vector<int>> idx;
    for (const auto& f : faces) {
        V3 a = f[0], b = f[1], c = f[2];
        V3 e1{b.x - a.x, b.y - a.y, b.z - a.z}, e2{c.x - a.x, c.y - a.y, c.z - a.z};
        // Left-handed, clockwise front faces: normal = e1 x e2.
        V3 n{e1.y * e2.z - e1.z * e2.y, e1.z * e2.x - e1.x * e2.z, e1.x * e2.y - e1.y * e2.x};
        float len = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
        n = {n.x / len, n.y / len, n.z / len};
        std::vector<int> face;
        for (const auto& p : f) {
            face.push_back(static_cast<int>(pos.size()));
            pos.push_back(p);
            nrm.push_back(n);
            uv.push_back({(p.z + L) / (bow + L), 1.0f - (p.y + D) / (H + D)});
        }
        idx.push_back(face);
    }
    std::ostringstream o;
    o << "xof 0303txt 0032\n\n";
    o << "Frame Root {\n FrameTransformMatrix { " << kIdentity << ";; }\n";
    o << " Frame Hull {\n  FrameTransformMatrix { " << kIdentity << ";; }\n";
    o << "  Mesh HullMesh {\n  " << pos.size() << ";\n";
    for (size_t i = 0; i < pos.size(); ++i)
        o << "  " << F(pos[i].x) << ";" << F(pos[i].y) << ";" << F(pos[i].z) << ";" << (i + 1 < pos.size() ? "," : ";")
          << "\n";
    o << "  " << idx.size() << ";\n";
    for (size_t i = 0; i < idx.size(); ++i) {
        o << "  " << idx[i].size() << ";";
        for (size_t k = 0; k < idx[i].size(); ++k)
            o << idx[i][k] << (k + 1 < idx[i].size() ? "," : "");
        o << ";" << (i + 1 < idx.size() ? "," : ";") << "\n";
    }
    o << "   MeshNormals {\n   " << nrm.size() << ";\n";
    for (size_t i = 0; i < nrm.size(); ++i)
        o << "   " << F(nrm[i].x) << ";" << F(nrm[i].y) << ";" << F(nrm[i].z) << ";" << (i + 1 < nrm.size() ? "," : ";")
          << "\n";
    o << "   " << idx.size() << ";\n";
    for (size_t i = 0; i < idx.size(); ++i) {
        o << "   " << idx[i].size() << ";";
        for (size_t k = 0; k < idx[i].size(); ++k)
            o << idx[i][k] << (k + 1 < idx[i].size() ? "," : "");
        o << ";" << (i + 1 < idx.size() ? "," : ";") << "\n";
    }
    o << "   }\n   MeshTextureCoords {\n   " << uv.size() << ";\n";
    for (size_t i = 0; i < uv.size(); ++i)
        o << "   " << F(uv[i].first) << ";" << F(uv[i].second) << ";" << (i + 1 < uv.size() ? "," : ";") << "\n";
    o << "   }\n   MeshMaterialList {\n   1;\n   " << idx.size() << ";\n";
    for (size_t i = 0; i < idx.size(); ++i)
        o << "   0" << (i + 1 < idx.size() ? "," : ";") << "\n";
    o << "    Material HullPaint {\n     1.000000;1.000000;1.000000;1.000000;;\n     12.000000;\n"
         "     0.200000;0.200000;0.200000;;\n     0.000000;0.000000;0.000000;;\n"
         "     TextureFilename { \"hull_diffuse.bmp\"; }\n    }\n   }\n  }\n }\n}\n";
    return o.str();
}

// The flag: a strip two units high on two bones. The lower row follows Bone0,
// the middle row both, the upper row Bone1, which swings about z.
std::string Flag() {
    std::ostringstream o;
    o << "xof 0303txt 0032\n\nAnimTicksPerSecond { 4800; }\n\n";
    o << "Frame Root {\n FrameTransformMatrix { " << kIdentity << ";; }\n";
    o << " Frame Bone0 {\n  FrameTransformMatrix { " << kIdentity << ";; }\n";
    o << "  Frame Bone1 {\n   FrameTransformMatrix { " << Translation(0, 1, 0) << ";; }\n  }\n";
    o << " }\n";
    o << " Frame FlagCloth {\n  FrameTransformMatrix { " << kIdentity << ";; }\n";
    o << "  Mesh FlagMesh {\n  6;\n"
         "  0.000000;0.000000;0.000000;,\n  1.000000;0.000000;0.000000;,\n"
         "  0.000000;1.000000;0.000000;,\n  1.000000;1.000000;0.000000;,\n"
         "  0.000000;2.000000;0.000000;,\n  1.000000;2.000000;0.000000;;\n";
    // Clockwise as seen from -z (the camera side).
    o << "  4;\n  3;0,2,1;,\n  3;1,2,3;,\n  3;2,4,3;,\n  3;3,4,5;;\n";
    o << "   MeshNormals {\n   1;\n   0.000000;0.000000;-1.000000;;\n"
         "   4;\n   3;0,0,0;,\n   3;0,0,0;,\n   3;0,0,0;,\n   3;0,0,0;;\n   }\n";
    o << "   MeshTextureCoords {\n   6;\n   0.0;1.0;,\n   1.0;1.0;,\n   0.0;0.5;,\n   1.0;0.5;,\n"
         "   0.0;0.0;,\n   1.0;0.0;;\n   }\n";
    o << "   MeshMaterialList {\n   1;\n   4;\n   0,\n   0,\n   0,\n   0;\n"
         "    Material FlagRed {\n     1.000000;0.100000;0.100000;1.000000;;\n     0.000000;\n"
         "     0.000000;0.000000;0.000000;;\n     1.000000;0.100000;0.100000;;\n    }\n   }\n";
    o << "   XSkinMeshHeader {\n   2;\n   4;\n   2;\n   }\n";
    o << "   SkinWeights {\n   \"Bone0\";\n   4;\n   0,\n   1,\n   2,\n   3;\n"
         "   1.000000,\n   1.000000,\n   0.500000,\n   0.500000;\n   "
      << kIdentity << ";;\n   }\n";
    o << "   SkinWeights {\n   \"Bone1\";\n   4;\n   2,\n   3,\n   4,\n   5;\n"
         "   0.500000,\n   0.500000,\n   1.000000,\n   1.000000;\n   "
      << Translation(0, -1, 0) << ";;\n   }\n";
    o << "  }\n }\n}\n\n";
    // Wave: Bone1 swings by up to 60 degrees about z over one second.
    auto quat = [](float degrees) {
        float h = degrees * 3.14159265f / 360.0f;
        return F(std::cos(h)) + ",0.000000,0.000000," + F(std::sin(h));
    };
    o << "AnimationSet Wave {\n Animation {\n  {Bone1}\n"
         "  AnimationKey {\n   0;\n   3;\n"
         "   0;4;" << quat(0) << ";;,\n   2400;4;" << quat(60) << ";;,\n   4800;4;" << quat(0) << ";;;\n  }\n"
         "  AnimationKey {\n   2;\n   2;\n   0;3;0.000000,1.000000,0.000000;;,\n"
         "   4800;3;0.000000,1.000000,0.000000;;;\n  }\n }\n}\n";
    return o.str();
}

std::string Effect() {
    const char* vs = R"(
uniform mat4 g_MatrixWorld;
uniform mat4 g_MatrixWorldViewProj;
in vec3 vPosition;
in vec3 vNormal;
in vec2 vTexCoord0;
out vec3 fNormal;
out vec2 fTex;
void main() {
    gl_Position = vorna_Clip(g_MatrixWorldViewProj * vec4(vPosition, 1.0));
    fNormal = mat3(g_MatrixWorld) * vNormal;
    fTex = vTexCoord0;
}
)";
    const char* fs = R"(
uniform sampler2D g_TextureLayer1;
uniform vec4 g_MaterialDiffuse;
uniform vec4 g_MaterialAmbient;
uniform vec4 g_LightDir;
in vec3 fNormal;
in vec2 fTex;
out vec4 outColor;
void main() {
    vec3 l = length(g_LightDir.xyz) > 0.0 ? normalize(-g_LightDir.xyz) : vec3(0.0, 1.0, 0.0);
    float nl = max(dot(normalize(fNormal), l), 0.0);
    vec4 t = texture(g_TextureLayer1, fTex);
    outColor = vec4(t.rgb * (g_MaterialDiffuse.rgb * (0.35 + 0.65 * nl) + g_MaterialAmbient.rgb), 1.0);
}
)";
    std::ostringstream o;
    o << "<?xml version=\"1.0\"?>\n<!-- Model effect: one lit, textured pass per technique. -->\n<Effect>\n";
    for (const char* t : {"Hight", "Middle", "Low", "HightShadow", "MiddleShadow", "LowShadow", "Reflection",
                          "Refraction", "Shadow"}) {
        // The pass leaves the cull mode to the render system, which flips it
        // for the mirrored reflection camera.
        o << " <Technique name=\"" << t << "\">\n  <Pass name=\"P0\">\n"
          << "   <Sampler name=\"g_TextureLayer1\" MinFilter=\"2\" MagFilter=\"2\" MipFilter=\"2\" AddressU=\"1\" "
             "AddressV=\"1\"/>\n"
          << "   <VertexShader><![CDATA[" << vs << "]]></VertexShader>\n"
          << "   <FragmentShader><![CDATA[" << fs << "]]></FragmentShader>\n  </Pass>\n </Technique>\n";
    }
    o << "</Effect>\n";
    return o.str();
}

bool WriteText(const fs::path& p, const std::string& text) {
    std::ofstream f(p, std::ios::binary);
    f << text;
    return static_cast<bool>(f);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: generate_models <output folder>\n");
        return 2;
    }
    fs::path out = argv[1];
    fs::create_directories(out / "Data/Models");
    fs::create_directories(out / "Data/Textures");
    fs::create_directories(out / "Data/Effects");
    bool ok = WriteText(out / "Data/Models/hull.x", Hull()) && WriteText(out / "Data/Models/flag.x", Flag()) &&
              WriteText(out / "Data/Effects/model.fx", Effect());

    // Hull paint: grey-blue planks with a red band at the waterline.
    const int S = 64;
    std::vector<unsigned char> px(S * S * 3), nm(S * S * 3), key(16 * 16 * 3);
    for (int y = 0; y < S; ++y)
        for (int x = 0; x < S; ++x) {
            unsigned char* p = &px[(y * S + x) * 3];
            bool band = y > S * 5 / 8 && y < S * 6 / 8;
            bool seam = (y % 8) == 0;
            p[0] = band ? 200 : (seam ? 60 : 90);
            p[1] = band ? 40 : (seam ? 70 : 110);
            p[2] = band ? 30 : (seam ? 90 : 140);
            unsigned char* n = &nm[(y * S + x) * 3];
            n[0] = 128;
            n[1] = seam ? 100 : 128;
            n[2] = 255;
        }
    // A colour-key test image: magenta border, green centre.
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            unsigned char* p = &key[(y * 16 + x) * 3];
            bool border = x < 4 || x >= 12 || y < 4 || y >= 12;
            p[0] = border ? 255 : 0;
            p[1] = border ? 0 : 255;
            p[2] = border ? 255 : 0;
        }
    ok = ok && stbi_write_bmp((out / "Data/Textures/hull_diffuse.bmp").c_str(), S, S, 3, px.data());
    ok = ok && stbi_write_bmp((out / "Data/Textures/hull_normal.bmp").c_str(), S, S, 3, nm.data());
    ok = ok && stbi_write_bmp((out / "Data/Textures/keyed.bmp").c_str(), 16, 16, 3, key.data());
    if (!ok) {
        std::fprintf(stderr, "generate_models: cannot write into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
