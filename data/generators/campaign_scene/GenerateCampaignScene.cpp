// Writes the campaign engine's demo scene content:
//   Models/Units/c2ship_lod0.x .. lod2.x  a ship in three levels of detail,
//                                         each with a frame "hull" whose first
//                                         child holds the hull mesh
//   Models/Units/c2ship_paint.png         the ships' paint
//   Models/Units/c2signal.x               a signal flag skinned on two bones,
//                                         with the animation set "Wave"
//   Models/Units/c2signal_cloth.png
//   Models/Statics/c2buoy.x               a small buoy without normals and
//                                         materials (both are made on load)
//   Models/Statics/c2island.x             a large island
//   Models/Statics/c2island_rock.png
//   Textures/c2sea_plane.png              the sea plane's texture
//   Effects/c2model.fx, Effects/c2plane.fx
// usage: generate_campaign_scene <output folder>
#include <stb/stb_image_write.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
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

std::string Translation(float x, float y, float z) {
    return "1.000000,0.000000,0.000000,0.000000,0.000000,1.000000,0.000000,0.000000,"
           "0.000000,0.000000,1.000000,0.000000," +
           F(x) + "," + F(y) + "," + F(z) + ",1.000000";
}
const std::string kIdentity = Translation(0, 0, 0);

// Flat-shaded polygons: every face has its own vertices. Texture coordinates
// are projected from the side (u along the length, v down the height).
struct Mesh {
    std::vector<V3> pos, nrm;
    std::vector<std::pair<float, float>> uv;
    std::vector<std::vector<int>> faces;
    // Polygons given counter-clockwise (seen from outside) are turned round.
    bool reverse = false;

    void Add(std::vector<V3> poly, float uScale, float vScale, float vTop) {
        if (reverse) std::reverse(poly.begin(), poly.end());
        const V3 a = poly[0], b = poly[1], c = poly[2];
        const V3 e1{b.x - a.x, b.y - a.y, b.z - a.z}, e2{c.x - a.x, c.y - a.y, c.z - a.z};
        // Clockwise faces seen from outside (left-handed): normal = e1 x e2.
        V3 n{e1.y * e2.z - e1.z * e2.y, e1.z * e2.x - e1.x * e2.z, e1.x * e2.y - e1.y * e2.x};
        const float l = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
        if (l > 0) n = {n.x / l, n.y / l, n.z / l};
        std::vector<int> face;
        for (const V3& p : poly) {
            face.push_back(static_cast<int>(pos.size()));
            pos.push_back(p);
            nrm.push_back(n);
            uv.push_back({(p.z + p.x * 0.5f) * uScale, (vTop - p.y) * vScale});
        }
        faces.push_back(face);
    }
    // A box from lo to hi.
    void Box(V3 lo, V3 hi, float uScale, float vScale, float vTop) {
        V3 c[8];
        for (int i = 0; i < 8; ++i) c[i] = {(i & 1) ? hi.x : lo.x, (i & 2) ? hi.y : lo.y, (i & 4) ? hi.z : lo.z};
        Add({c[0], c[2], c[3], c[1]}, uScale, vScale, vTop); // front (-z)
        Add({c[5], c[7], c[6], c[4]}, uScale, vScale, vTop); // back (+z)
        Add({c[4], c[6], c[2], c[0]}, uScale, vScale, vTop); // left (-x)
        Add({c[1], c[3], c[7], c[5]}, uScale, vScale, vTop); // right (+x)
        Add({c[2], c[6], c[7], c[3]}, uScale, vScale, vTop); // top
        Add({c[4], c[0], c[1], c[5]}, uScale, vScale, vTop); // bottom
    }
};

void WriteIndices(std::ostringstream& o, const Mesh& m, const char* indent) {
    o << indent << m.faces.size() << ";\n";
    for (size_t i = 0; i < m.faces.size(); ++i) {
        o << indent << m.faces[i].size() << ";";
        for (size_t k = 0; k < m.faces[i].size(); ++k) o << m.faces[i][k] << (k + 1 < m.faces[i].size() ? "," : "");
        o << ";" << (i + 1 < m.faces.size() ? "," : ";") << "\n";
    }
}

// A mesh block; with `material` a one-material list with that texture, with
// `normals` the face normals.
std::string MeshBlock(const std::string& name, const Mesh& m, bool normals, const std::string& material,
                      const std::string& texture) {
    std::ostringstream o;
    o << "  Mesh " << name << " {\n  " << m.pos.size() << ";\n";
    for (size_t i = 0; i < m.pos.size(); ++i)
        o << "  " << F(m.pos[i].x) << ";" << F(m.pos[i].y) << ";" << F(m.pos[i].z) << ";"
          << (i + 1 < m.pos.size() ? "," : ";") << "\n";
    WriteIndices(o, m, "  ");
    if (normals) {
        o << "   MeshNormals {\n   " << m.nrm.size() << ";\n";
        for (size_t i = 0; i < m.nrm.size(); ++i)
            o << "   " << F(m.nrm[i].x) << ";" << F(m.nrm[i].y) << ";" << F(m.nrm[i].z) << ";"
              << (i + 1 < m.nrm.size() ? "," : ";") << "\n";
        WriteIndices(o, m, "   ");
        o << "   }\n";
    }
    if (!material.empty()) {
        o << "   MeshTextureCoords {\n   " << m.uv.size() << ";\n";
        for (size_t i = 0; i < m.uv.size(); ++i)
            o << "   " << F(m.uv[i].first) << ";" << F(m.uv[i].second) << ";" << (i + 1 < m.uv.size() ? "," : ";")
              << "\n";
        o << "   }\n   MeshMaterialList {\n   1;\n   " << m.faces.size() << ";\n";
        for (size_t i = 0; i < m.faces.size(); ++i) o << "   0" << (i + 1 < m.faces.size() ? "," : ";") << "\n";
        o << "    Material " << material << " {\n     1.000000;1.000000;1.000000;1.000000;;\n     8.000000;\n"
          << "     0.200000;0.200000;0.200000;;\n     0.000000;0.000000;0.000000;;\n";
        if (!texture.empty()) o << "     TextureFilename { \"" << texture << "\"; }\n";
        o << "    }\n   }\n";
    }
    o << "  }\n";
    return o.str();
}

// The hull: a long body with a pointed bow at +z, from y = -1 (keel) to the
// deck at y = 1.2. `segments` cuts the sides into that many panels.
Mesh Hull(float length, float beam, int segments) {
    Mesh m;
    m.reverse = true;
    const float halfL = length / 2, halfB = beam / 2, keel = -1.0f, deck = 1.2f, shoulder = halfL - length * 0.2f;
    const float uS = 1.0f / length, vS = 1.0f / 2.2f, vTop = deck;
    for (int s = 0; s < segments; ++s) {
        const float z0 = -halfL + (shoulder + halfL) * s / segments;
        const float z1 = -halfL + (shoulder + halfL) * (s + 1) / segments;
        m.Add({{-halfB, keel, z0}, {-halfB, deck, z0}, {-halfB, deck, z1}, {-halfB, keel, z1}}, uS, vS, vTop);
        m.Add({{halfB, keel, z1}, {halfB, deck, z1}, {halfB, deck, z0}, {halfB, keel, z0}}, uS, vS, vTop);
        m.Add({{-halfB, deck, z0}, {halfB, deck, z0}, {halfB, deck, z1}, {-halfB, deck, z1}}, uS, vS, vTop);
        m.Add({{-halfB, keel, z1}, {halfB, keel, z1}, {halfB, keel, z0}, {-halfB, keel, z0}}, uS, vS, vTop);
    }
    // Stern and bow.
    m.Add({{halfB, keel, -halfL}, {halfB, deck, -halfL}, {-halfB, deck, -halfL}, {-halfB, keel, -halfL}}, uS, vS,
          vTop);
    const V3 tipLow{0, keel, halfL}, tipHigh{0, deck, halfL};
    m.Add({{-halfB, keel, shoulder}, {-halfB, deck, shoulder}, tipHigh, tipLow}, uS, vS, vTop);
    m.Add({{halfB, keel, shoulder}, tipLow, tipHigh, {halfB, deck, shoulder}}, uS, vS, vTop);
    m.Add({{-halfB, deck, shoulder}, {halfB, deck, shoulder}, tipHigh}, uS, vS, vTop);
    m.Add({{halfB, keel, shoulder}, {-halfB, keel, shoulder}, tipLow}, uS, vS, vTop);
    return m;
}

// Level 0: hull of 6 panels, superstructure and funnel; level 1: hull of 3
// panels and superstructure; level 2: hull of one panel. Every level has the
// frame "hull" with the hull mesh in its first child.
std::string Ship(int level) {
    const float length = 14.0f, beam = 3.0f;
    std::ostringstream o;
    o << "xof 0303txt 0032\n\n";
    o << "Frame Ship {\n FrameTransformMatrix { " << kIdentity << ";; }\n";
    o << " Frame hull {\n  FrameTransformMatrix { " << kIdentity << ";; }\n";
    o << " Frame HullBody {\n  FrameTransformMatrix { " << kIdentity << ";; }\n";
    o << MeshBlock("HullMesh", Hull(length, beam, level == 0 ? 6 : (level == 1 ? 3 : 1)), true, "Paint",
                   "c2ship_paint.png");
    o << " }\n }\n";
    if (level < 2) {
        Mesh top;
        top.Box({-1.0f, 0.0f, -3.0f}, {1.0f, 1.6f, 2.0f}, 1.0f / 14.0f, 1.0f / 4.0f, 3.0f);
        if (level == 0) top.Box({-0.4f, 1.6f, -1.5f}, {0.4f, 3.4f, -0.5f}, 1.0f / 14.0f, 1.0f / 4.0f, 3.0f);
        o << " Frame Superstructure {\n  FrameTransformMatrix { " << Translation(0, 1.2f, -1.0f) << ";; }\n";
        o << MeshBlock("SuperstructureMesh", top, true, "Paint", "c2ship_paint.png");
        o << " }\n";
    }
    o << "}\n";
    return o.str();
}

// A buoy: an eight-sided drum, written without normals and materials.
std::string Buoy() {
    Mesh m;
    m.reverse = true;
    const int n = 8;
    const float r = 1.2f, lo = -0.6f, hi = 1.8f;
    for (int i = 0; i < n; ++i) {
        const float a0 = 6.2831853f * i / n, a1 = 6.2831853f * (i + 1) / n;
        const V3 b0{r * std::sin(a0), lo, r * std::cos(a0)}, b1{r * std::sin(a1), lo, r * std::cos(a1)};
        const V3 t0{b0.x, hi, b0.z}, t1{b1.x, hi, b1.z};
        m.Add({b0, t0, t1, b1}, 1, 1, 0);
        m.Add({t0, {0, hi + 0.6f, 0}, t1}, 1, 1, 0);
    }
    std::ostringstream o;
    o << "xof 0303txt 0032\n\nFrame Buoy {\n FrameTransformMatrix { " << kIdentity << ";; }\n"
      << MeshBlock("BuoyMesh", m, false, "", "") << "}\n";
    return o.str();
}

// An island: a rocky cone of rings, about 60 units across and 12 high.
std::string Island() {
    Mesh m;
    const int sides = 16, rings = 4;
    auto height = [](float t) { return 12.0f * (1.0f - t * t) - 1.0f; };
    auto point = [&](int ring, int side) {
        const float t = static_cast<float>(ring) / rings;
        const float a = 6.2831853f * side / sides;
        const float r = 30.0f * t * (1.0f + 0.12f * std::sin(a * 3.0f + ring));
        return V3{r * std::sin(a), height(t), r * std::cos(a)};
    };
    for (int ring = 0; ring < rings; ++ring)
        for (int s = 0; s < sides; ++s) {
            if (ring == 0) m.Add({point(0, 0), point(1, s), point(1, s + 1)}, 1.0f / 20, 1.0f / 20, 12);
            else m.Add({point(ring, s), point(ring + 1, s), point(ring + 1, s + 1), point(ring, s + 1)}, 1.0f / 20,
                       1.0f / 20, 12);
        }
    // Texture coordinates from above.
    for (size_t i = 0; i < m.pos.size(); ++i) m.uv[i] = {m.pos[i].x / 20.0f, m.pos[i].z / 20.0f};
    std::ostringstream o;
    o << "xof 0303txt 0032\n\nFrame Island {\n FrameTransformMatrix { " << kIdentity << ";; }\n"
      << MeshBlock("IslandMesh", m, true, "Rock", "c2island_rock.png") << "}\n";
    return o.str();
}

// A signal flag 6 wide and 8 high on two bones: the lower rows follow Bone0,
// the middle row both, the upper row Bone1, which the set "Wave" swings.
std::string Signal() {
    std::ostringstream o;
    o << "xof 0303txt 0032\n\nAnimTicksPerSecond { 4800; }\n\n";
    o << "Frame Signal {\n FrameTransformMatrix { " << kIdentity << ";; }\n";
    o << " Frame Bone0 {\n  FrameTransformMatrix { " << kIdentity << ";; }\n";
    o << "  Frame Bone1 {\n   FrameTransformMatrix { " << Translation(0, 4, 0) << ";; }\n  }\n";
    o << " }\n";
    o << " Frame SignalCloth {\n  FrameTransformMatrix { " << kIdentity << ";; }\n";
    o << "  Mesh SignalMesh {\n  6;\n"
         "  0.000000;0.000000;0.000000;,\n  6.000000;0.000000;0.000000;,\n"
         "  0.000000;4.000000;0.000000;,\n  6.000000;4.000000;0.000000;,\n"
         "  0.000000;8.000000;0.000000;,\n  6.000000;8.000000;0.000000;;\n";
    // Both windings, so the cloth shows from either side.
    o << "  8;\n  3;0,2,1;,\n  3;1,2,3;,\n  3;2,4,3;,\n  3;3,4,5;,\n"
         "  3;0,1,2;,\n  3;1,3,2;,\n  3;2,3,4;,\n  3;3,5,4;;\n";
    o << "   MeshNormals {\n   1;\n   0.000000;0.000000;-1.000000;;\n"
         "   8;\n   3;0,0,0;,\n   3;0,0,0;,\n   3;0,0,0;,\n   3;0,0,0;,\n"
         "   3;0,0,0;,\n   3;0,0,0;,\n   3;0,0,0;,\n   3;0,0,0;;\n   }\n";
    o << "   MeshTextureCoords {\n   6;\n   0.0;1.0;,\n   1.0;1.0;,\n   0.0;0.5;,\n   1.0;0.5;,\n"
         "   0.0;0.0;,\n   1.0;0.0;;\n   }\n";
    o << "   MeshMaterialList {\n   1;\n   8;\n   0,\n   0,\n   0,\n   0,\n   0,\n   0,\n   0,\n   0;\n"
         "    Material Cloth {\n     1.000000;1.000000;1.000000;1.000000;;\n     0.000000;\n"
         "     0.000000;0.000000;0.000000;;\n     0.000000;0.000000;0.000000;;\n"
         "     TextureFilename { \"c2signal_cloth.png\"; }\n    }\n   }\n";
    o << "   XSkinMeshHeader {\n   2;\n   4;\n   2;\n   }\n";
    o << "   SkinWeights {\n   \"Bone0\";\n   4;\n   0,\n   1,\n   2,\n   3;\n"
         "   1.000000,\n   1.000000,\n   0.500000,\n   0.500000;\n   "
      << kIdentity << ";;\n   }\n";
    o << "   SkinWeights {\n   \"Bone1\";\n   4;\n   2,\n   3,\n   4,\n   5;\n"
         "   0.500000,\n   0.500000,\n   1.000000,\n   1.000000;\n   "
      << Translation(0, -4, 0) << ";;\n   }\n";
    o << "  }\n }\n}\n\n";
    auto quat = [](float degrees) {
        const float h = degrees * 3.14159265f / 360.0f;
        return F(std::cos(h)) + ",0.000000,0.000000," + F(std::sin(h));
    };
    o << "AnimationSet Wave {\n Animation {\n  {Bone1}\n"
         "  AnimationKey {\n   0;\n   3;\n"
         "   0;4;"
      << quat(0) << ";;,\n   2400;4;" << quat(40) << ";;,\n   4800;4;" << quat(0)
      << ";;;\n  }\n"
         "  AnimationKey {\n   2;\n   2;\n   0;3;0.000000,4.000000,0.000000;;,\n"
         "   4800;3;0.000000,4.000000,0.000000;;;\n  }\n }\n}\n";
    return o.str();
}

std::string EffectFile(const char* comment, const char* vs, const char* fs) {
    std::ostringstream o;
    o << "<?xml version=\"1.0\"?>\n<!-- " << comment << " -->\n<Effect>\n <Technique name=\"Main\">\n  <Pass name=\"P0\">\n"
      << "   <Sampler name=\"g_TextureMain\" MinFilter=\"2\" MagFilter=\"2\" MipFilter=\"2\" AddressU=\"1\" "
         "AddressV=\"1\"/>\n"
      << "   <VertexShader><![CDATA[" << vs << "]]></VertexShader>\n"
      << "   <FragmentShader><![CDATA[" << fs << "]]></FragmentShader>\n  </Pass>\n </Technique>\n</Effect>\n";
    return o.str();
}

std::string ModelEffect() {
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
uniform sampler2D g_TextureMain;
uniform vec4 g_MaterialDiffuse;
uniform vec3 g_LightDir;
uniform vec4 g_LightDiffuse;
uniform vec4 g_LightAmbient;
in vec3 fNormal;
in vec2 fTex;
out vec4 outColor;
void main() {
    vec3 l = length(g_LightDir) > 0.0 ? normalize(-g_LightDir) : vec3(0.0, 1.0, 0.0);
    float nl = max(dot(normalize(fNormal), l), 0.0);
    vec3 light = g_LightAmbient.rgb * 0.45 + g_LightDiffuse.rgb * nl * 0.55;
    vec4 t = texture(g_TextureMain, fTex);
    outColor = vec4(t.rgb * g_MaterialDiffuse.rgb * light, 1.0);
}
)";
    return EffectFile("Campaign model effect: textured, lit by the scene's light.", vs, fs);
}

std::string PlaneEffect() {
    const char* vs = R"(
uniform mat4 g_MatrixWorldViewProj;
in vec3 vPosition;
in vec4 vColor;
in vec2 vTexCoord0;
out vec4 fColor;
out vec2 fTex;
void main() {
    gl_Position = vorna_Clip(g_MatrixWorldViewProj * vec4(vPosition, 1.0));
    fColor = vColor;
    fTex = vTexCoord0;
}
)";
    const char* fs = R"(
uniform sampler2D g_TextureMain;
in vec4 fColor;
in vec2 fTex;
out vec4 outColor;
void main() {
    outColor = vec4(texture(g_TextureMain, fTex).rgb * fColor.rgb, 1.0);
}
)";
    return EffectFile("Campaign plane effect: the texture times the vertex colour.", vs, fs);
}

bool WriteText(const fs::path& p, const std::string& text) {
    std::ofstream f(p, std::ios::binary);
    f << text;
    return static_cast<bool>(f);
}

bool WritePng(const fs::path& p, int w, int h, const std::function<void(int, int, unsigned char*)>& pixel) {
    std::vector<unsigned char> px(size_t(w) * h * 3);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) pixel(x, y, &px[(size_t(y) * w + x) * 3]);
    return stbi_write_png(p.c_str(), w, h, 3, px.data(), w * 3) != 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: generate_campaign_scene <output folder>\n");
        return 2;
    }
    const fs::path out = argv[1];
    for (const char* d : {"Models/Units", "Models/Statics", "Textures", "Effects"}) fs::create_directories(out / d);
    bool ok = true;
    for (int level = 0; level < 3; ++level)
        ok = ok && WriteText(out / ("Models/Units/c2ship_lod" + std::to_string(level) + ".x"), Ship(level));
    ok = ok && WriteText(out / "Models/Units/c2signal.x", Signal()) &&
         WriteText(out / "Models/Statics/c2buoy.x", Buoy()) && WriteText(out / "Models/Statics/c2island.x", Island()) &&
         WriteText(out / "Effects/c2model.fx", ModelEffect()) && WriteText(out / "Effects/c2plane.fx", PlaneEffect());

    // Ship paint: light grey planks over a red boot-top (the lower third).
    ok = ok && WritePng(out / "Models/Units/c2ship_paint.png", 64, 64, [](int x, int y, unsigned char* p) {
        const bool boot = y > 44;
        const bool seam = (x % 16) == 0 || (y % 11) == 0;
        p[0] = boot ? 190 : (seam ? 150 : 215);
        p[1] = boot ? 40 : (seam ? 150 : 210);
        p[2] = boot ? 35 : (seam ? 150 : 200);
    });
    // Signal cloth: yellow and black quarters.
    ok = ok && WritePng(out / "Models/Units/c2signal_cloth.png", 32, 32, [](int x, int y, unsigned char* p) {
        const bool yellow = (x < 16) == (y < 16);
        p[0] = yellow ? 240 : 20;
        p[1] = yellow ? 200 : 20;
        p[2] = yellow ? 20 : 20;
    });
    // Island rock: brown-green noise.
    ok = ok && WritePng(out / "Models/Statics/c2island_rock.png", 64, 64, [](int x, int y, unsigned char* p) {
        const unsigned v = (unsigned(x) * 73856093u) ^ (unsigned(y) * 19349663u);
        const int n = static_cast<int>(v % 40);
        p[0] = static_cast<unsigned char>(110 + n);
        p[1] = static_cast<unsigned char>(100 + n);
        p[2] = static_cast<unsigned char>(60 + n / 2);
    });
    // Sea plane: dark green-blue with lighter wave lines.
    ok = ok && WritePng(out / "Textures/c2sea_plane.png", 128, 128, [](int x, int y, unsigned char* p) {
        const bool wave = ((x + 2 * y) % 32) < 3;
        p[0] = wave ? 40 : 20;
        p[1] = wave ? 120 : 80;
        p[2] = wave ? 110 : 70;
    });
    if (!ok) {
        std::fprintf(stderr, "generate_campaign_scene: cannot write into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
