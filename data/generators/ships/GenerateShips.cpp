// Writes the demo ship types' art: two hulls as text ".x" models with a named
// frame for every platform, gun, barrel, propeller, rudder and flag mast,
// their collision meshes, two hull paints each (clean and battle-worn), the
// shop icons, and the ships' sounds.
//   Data/Models/ram_hull.x, ram_collision.x, cruiser_hull.x, cruiser_collision.x
//   Data/Textures/ram_clean.bmp, ram_damaged.bmp, cruiser_clean.bmp,
//                 cruiser_damaged.bmp, ram_icon.bmp, cruiser_icon.bmp
//   Sound/Effects/ship_fire.ogg, flooding.ogg, turret.ogg, hit.ogg, splash.ogg, sea.ogg
// usage: generate_ships <output folder>
#include <stb/stb_image_write.h>

#include "data/generators/sounds/OggWriter.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <functional>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr double kPi = 3.14159265358979323846;

struct V3 {
    float x, y, z;
};

std::string F(float v) {
    char b[32];
    std::snprintf(b, sizeof b, "%.5f", v);
    return b;
}

// A polygon mesh with flat normals; faces are clockwise seen from outside.
struct Mesh {
    std::vector<V3> pos, nrm;
    std::vector<std::pair<float, float>> uv;
    std::vector<std::vector<int>> faces;

    void Face(const std::vector<V3>& f, float u0 = 0.0f, float u1 = 1.0f, float v0 = 0.0f, float v1 = 1.0f) {
        V3 a = f[0], b = f[1], c = f[2];
        V3 e1{b.x - a.x, b.y - a.y, b.z - a.z}, e2{c.x - a.x, c.y - a.y, c.z - a.z};
        V3 n{e1.y * e2.z - e1.z * e2.y, e1.z * e2.x - e1.x * e2.z, e1.x * e2.y - e1.y * e2.x};
        const float len = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
        if (len > 0) n = {n.x / len, n.y / len, n.z / len};
        std::vector<int> idx;
        for (size_t i = 0; i < f.size(); ++i) {
            idx.push_back(static_cast<int>(pos.size()));
            pos.push_back(f[i]);
            nrm.push_back(n);
            const float s = (i == 1 || i == 2) ? 1.0f : 0.0f, t = (i >= 2) ? 1.0f : 0.0f;
            uv.push_back({u0 + (u1 - u0) * s, v0 + (v1 - v0) * t});
        }
        faces.push_back(idx);
    }
    // An axis-aligned box; `v0`..`v1` picks the band of the paint it shows.
    void Box(V3 mn, V3 mx, float v0 = 0.0f, float v1 = 0.25f) {
        V3 p[8] = {{mn.x, mn.y, mn.z}, {mx.x, mn.y, mn.z}, {mx.x, mx.y, mn.z}, {mn.x, mx.y, mn.z},
                   {mn.x, mn.y, mx.z}, {mx.x, mn.y, mx.z}, {mx.x, mx.y, mx.z}, {mn.x, mx.y, mx.z}};
        const int q[6][4] = {{0, 3, 2, 1}, {4, 5, 6, 7}, {0, 4, 7, 3}, {1, 2, 6, 5}, {3, 7, 6, 2}, {0, 1, 5, 4}};
        for (const auto& f : q) Face({p[f[0]], p[f[1]], p[f[2]], p[f[3]]}, 0.0f, 1.0f, v0, v1);
    }
    bool Empty() const { return faces.empty(); }
};

// The hull: a long box pointed at the bow (+z), straddling the waterline.
// With `ram` the stem leans forward below the water into a ram.
Mesh Hull(float L, float W, float D, float H, float bow, bool ram) {
    V3 sl{-W, -D, -L}, sr{W, -D, -L}, tl{-W, H, -L}, tr{W, H, -L};
    V3 bl{-W, -D, L}, br{W, -D, L}, btl{-W, H, L}, btr{W, H, L};
    V3 tipLow{0, -D, ram ? bow + 0.6f : bow}, tipHigh{0, H, bow};
    Mesh m;
    // Paint bands: sides 0.25-0.75 (the waterline stripe lies in it), deck 0-0.25.
    m.Face({sl, tl, tr, sr}, 0, 1, 0.25f, 0.75f);
    m.Face({sl, bl, btl, tl}, 0, 1, 0.75f, 0.25f);
    m.Face({sr, tr, btr, br}, 0, 1, 0.25f, 0.75f);
    m.Face({tl, btl, btr, tr}, 0, 1, 0.0f, 0.25f);
    m.Face({sl, sr, br, bl}, 0, 1, 0.75f, 1.0f);
    m.Face({bl, tipLow, tipHigh, btl}, 0, 1, 0.75f, 0.25f);
    m.Face({br, btr, tipHigh, tipLow}, 0, 1, 0.25f, 0.75f);
    m.Face({btl, tipHigh, btr}, 0, 1, 0.0f, 0.25f);
    m.Face({bl, br, tipLow}, 0, 1, 0.75f, 1.0f);
    return m;
}

// A model frame: a transform relative to its parent, an optional mesh and children.
struct Frame {
    std::string name;
    float m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    Mesh mesh;
    std::vector<Frame> children;

    Frame(std::string n, V3 at = {0, 0, 0}, float yaw = 0.0f) : name(std::move(n)) {
        const float c = std::cos(yaw), s = std::sin(yaw);
        // Row-vector rotation about y, then the translation row.
        m[0] = c;
        m[2] = -s;
        m[8] = s;
        m[10] = c;
        m[12] = at.x;
        m[13] = at.y;
        m[14] = at.z;
    }
    Frame& Add(Frame f) {
        children.push_back(std::move(f));
        return children.back();
    }
};

void WriteMesh(std::ostringstream& o, const Mesh& mesh, const std::string& name, const std::string& texture,
               const std::string& pad) {
    o << pad << "Mesh " << name << "Mesh {\n" << pad << " " << mesh.pos.size() << ";\n";
    for (size_t i = 0; i < mesh.pos.size(); ++i)
        o << pad << " " << F(mesh.pos[i].x) << ";" << F(mesh.pos[i].y) << ";" << F(mesh.pos[i].z) << ";"
          << (i + 1 < mesh.pos.size() ? "," : ";") << "\n";
    auto faces = [&](const std::string& p) {
        o << p << mesh.faces.size() << ";\n";
        for (size_t i = 0; i < mesh.faces.size(); ++i) {
            o << p << mesh.faces[i].size() << ";";
            for (size_t k = 0; k < mesh.faces[i].size(); ++k)
                o << mesh.faces[i][k] << (k + 1 < mesh.faces[i].size() ? "," : "");
            o << ";" << (i + 1 < mesh.faces.size() ? "," : ";") << "\n";
        }
    };
    faces(pad + " ");
    o << pad << " MeshNormals {\n" << pad << "  " << mesh.nrm.size() << ";\n";
    for (size_t i = 0; i < mesh.nrm.size(); ++i)
        o << pad << "  " << F(mesh.nrm[i].x) << ";" << F(mesh.nrm[i].y) << ";" << F(mesh.nrm[i].z) << ";"
          << (i + 1 < mesh.nrm.size() ? "," : ";") << "\n";
    faces(pad + "  ");
    o << pad << " }\n" << pad << " MeshTextureCoords {\n" << pad << "  " << mesh.uv.size() << ";\n";
    for (size_t i = 0; i < mesh.uv.size(); ++i)
        o << pad << "  " << F(mesh.uv[i].first) << ";" << F(mesh.uv[i].second) << ";"
          << (i + 1 < mesh.uv.size() ? "," : ";") << "\n";
    o << pad << " }\n" << pad << " MeshMaterialList {\n" << pad << "  1;\n" << pad << "  " << mesh.faces.size()
      << ";\n";
    for (size_t i = 0; i < mesh.faces.size(); ++i) o << pad << "  0" << (i + 1 < mesh.faces.size() ? "," : ";") << "\n";
    o << pad << "  Material Paint {\n" << pad << "   1.0;1.0;1.0;1.0;;\n" << pad << "   10.0;\n" << pad
      << "   0.2;0.2;0.2;;\n" << pad << "   0.0;0.0;0.0;;\n";
    if (!texture.empty()) o << pad << "   TextureFilename { \"" << texture << "\"; }\n";
    o << pad << "  }\n" << pad << " }\n" << pad << "}\n";
}

void WriteFrame(std::ostringstream& o, const Frame& f, const std::string& texture, const std::string& pad) {
    o << pad << "Frame " << f.name << " {\n" << pad << " FrameTransformMatrix { ";
    for (int i = 0; i < 16; ++i) o << F(f.m[i]) << (i < 15 ? "," : ";;");
    o << " }\n";
    if (!f.mesh.Empty()) WriteMesh(o, f.mesh, f.name, texture, pad + " ");
    for (const Frame& c : f.children) WriteFrame(o, c, texture, pad + " ");
    o << pad << "}\n";
}

std::string XFile(const Frame& root, const std::string& texture) {
    std::ostringstream o;
    o << "xof 0303txt 0032\n\n";
    WriteFrame(o, root, texture, "");
    return o.str();
}

// A gun: a mount on the platform with its barrel along the mount's +z.
Frame Gun(const std::string& name, const std::string& barrel, V3 at, float yaw, float length) {
    Frame g(name, at, yaw);
    g.mesh.Box({-0.12f, 0.0f, -0.15f}, {0.12f, 0.2f, 0.15f}, 0.0f, 0.25f);
    Frame b(barrel, {0.0f, 0.1f, 0.1f});
    b.mesh.Box({-0.05f, -0.05f, 0.0f}, {0.05f, 0.05f, length}, 0.0f, 0.25f);
    g.Add(std::move(b));
    return g;
}

Frame Turret(const std::string& name, V3 at, float yaw, float size) {
    Frame t(name, at, yaw);
    t.mesh.Box({-size, 0.0f, -size}, {size, 0.45f * size * 2.0f, size}, 0.0f, 0.25f);
    return t;
}

Frame Propeller(const std::string& name, V3 at) {
    Frame p(name, at);
    p.mesh.Box({-0.25f, -0.04f, -0.02f}, {0.25f, 0.04f, 0.02f}, 0.75f, 1.0f);
    p.mesh.Box({-0.04f, -0.25f, -0.02f}, {0.04f, 0.25f, 0.02f}, 0.75f, 1.0f);
    return p;
}

Frame Rudder(V3 at) {
    Frame r("Rudder", at);
    r.mesh.Box({-0.03f, -0.3f, -0.4f}, {0.03f, 0.3f, 0.0f}, 0.75f, 1.0f);
    return r;
}

Frame Mast(V3 at, float height) {
    Frame m("FlagMast", at);
    m.mesh.Box({-0.04f, 0.0f, -0.04f}, {0.04f, height, 0.04f}, 0.0f, 0.25f);
    return m;
}

Frame Funnel(const std::string& name, V3 at) {
    Frame f(name, at);
    f.mesh.Box({-0.22f, 0.0f, -0.3f}, {0.22f, 1.0f, 0.3f}, 0.0f, 0.25f);
    return f;
}

// Hull parts without guns still get a frame, at the middle of their side.
void SideFrames(Frame& hull, float W, float L) {
    const char* names[6] = {"PortBow", "PortMiddle", "PortStern", "StarboardBow", "StarboardMiddle", "StarboardStern"};
    for (int i = 0; i < 6; ++i) {
        const float x = i < 3 ? -W : W;
        const float z = (i % 3 == 0) ? L * 0.66f : (i % 3 == 1 ? 0.0f : -L * 0.66f);
        hull.Add(Frame(names[i], {x, 0.0f, z}));
    }
}

// Moves every frame below `hull` up to be a direct child of it, its matrix
// composed with those of the frames it sat in (row vectors: own x parent).
// The animation turns a turret's guns and barrels itself, about the
// turret's pivot in the hull's space, so none of them may sit inside a
// frame that turns too.
void Flatten(Frame& hull) {
    std::vector<std::pair<Frame, std::vector<float>>> stack;
    const std::vector<float> identity{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    for (Frame& c : hull.children) stack.emplace_back(std::move(c), identity);
    hull.children.clear();
    std::vector<Frame> out;
    // Depth first, in the original order.
    std::function<void(Frame&, const float*)> visit = [&](Frame& f, const float* parent) {
        float m[16];
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c) {
                float v = 0.0f;
                for (int k = 0; k < 4; ++k) v += f.m[r * 4 + k] * parent[k * 4 + c];
                m[r * 4 + c] = v;
            }
        std::vector<Frame> children = std::move(f.children);
        f.children.clear();
        std::copy(m, m + 16, f.m);
        out.push_back(std::move(f));
        const float* own = out.back().m;
        float copy[16];
        std::copy(own, own + 16, copy);
        for (Frame& c : children) visit(c, copy);
    };
    for (auto& entry : stack) visit(entry.first, identity.data());
    hull.children = std::move(out);
}

// The ram ship: two twin turrets on the centre line and a ram bow.
Frame RamShip() {
    const float L = 3.5f, W = 0.8f, D = 0.5f, H = 0.6f;
    Frame root("Root");
    Frame& hull = root.Add(Frame("Hull"));
    hull.mesh = Hull(L, W, D, H, 5.0f, true);
    SideFrames(hull, W, L);
    Frame& t1 = hull.Add(Turret("Turret1", {0.0f, H, 1.9f}, 0.0f, 0.55f));
    t1.Add(Gun("Gun1L", "Barrel1L", {-0.22f, 0.2f, 0.4f}, 0.0f, 1.3f));
    t1.Add(Gun("Gun1R", "Barrel1R", {0.22f, 0.2f, 0.4f}, 0.0f, 1.3f));
    Frame& t2 = hull.Add(Turret("Turret2", {0.0f, H, -1.9f}, static_cast<float>(kPi), 0.55f));
    t2.Add(Gun("Gun2L", "Barrel2L", {-0.22f, 0.2f, 0.4f}, 0.0f, 1.3f));
    t2.Add(Gun("Gun2R", "Barrel2R", {0.22f, 0.2f, 0.4f}, 0.0f, 1.3f));
    hull.Add(Frame("Bridge", {0.0f, H, 0.6f})).mesh.Box({-0.4f, 0.0f, -0.3f}, {0.4f, 0.6f, 0.3f}, 0.0f, 0.25f);
    hull.Add(Funnel("Funnel", {0.0f, H, -0.3f}));
    hull.Add(Mast({0.0f, H, -0.9f}, 1.6f));
    hull.Add(Propeller("Propeller1", {-0.35f, -0.3f, -L - 0.1f}));
    hull.Add(Propeller("Propeller2", {0.35f, -0.3f, -L - 0.1f}));
    hull.Add(Rudder({0.0f, -0.2f, -L - 0.25f}));
    Flatten(hull);
    return root;
}

// The broadside cruiser: a battery of three guns on each side, a chaser fore
// and aft.
Frame Cruiser() {
    const float L = 4.5f, W = 1.0f, D = 0.6f, H = 0.7f;
    Frame root("Root");
    Frame& hull = root.Add(Frame("Hull"));
    hull.mesh = Hull(L, W, D, H, 6.0f, false);
    SideFrames(hull, W, L);
    const float half = static_cast<float>(kPi) / 2.0f;
    Frame& port = hull.Add(Frame("PortBattery", {-W, H, 0.0f}));
    Frame& starboard = hull.Add(Frame("StarboardBattery", {W, H, 0.0f}));
    for (int i = 0; i < 3; ++i) {
        const float z = -1.6f + 1.6f * static_cast<float>(i);
        const std::string n = std::to_string(i + 1);
        port.Add(Gun("PortGun" + n, "PortBarrel" + n, {0.1f, 0.0f, z}, -half, 0.9f));
        starboard.Add(Gun("StarboardGun" + n, "StarboardBarrel" + n, {-0.1f, 0.0f, z}, half, 0.9f));
    }
    hull.Add(Turret("BowTurret", {0.0f, H, 3.4f}, 0.0f, 0.45f))
        .Add(Gun("BowGun", "BowBarrel", {0.0f, 0.2f, 0.35f}, 0.0f, 1.2f));
    hull.Add(Turret("SternTurret", {0.0f, H, -3.4f}, static_cast<float>(kPi), 0.45f))
        .Add(Gun("SternGun", "SternBarrel", {0.0f, 0.2f, 0.35f}, 0.0f, 1.2f));
    hull.Add(Frame("Bridge", {0.0f, H, 2.0f})).mesh.Box({-0.5f, 0.0f, -0.35f}, {0.5f, 0.7f, 0.35f}, 0.0f, 0.25f);
    hull.Add(Funnel("Funnel1", {0.0f, H, 0.7f}));
    hull.Add(Funnel("Funnel2", {0.0f, H, -0.7f}));
    hull.Add(Mast({0.0f, H, -1.8f}, 1.9f));
    hull.Add(Propeller("Propeller1", {-0.4f, -0.35f, -L - 0.1f}));
    hull.Add(Propeller("Propeller2", {0.4f, -0.35f, -L - 0.1f}));
    hull.Add(Rudder({0.0f, -0.25f, -L - 0.25f}));
    Flatten(hull);
    return root;
}

// The collision mesh: the hull's closed outline alone.
std::string Collision(float L, float W, float D, float H, float bow) {
    Frame root("Root");
    root.Add(Frame("Collision")).mesh = Hull(L, W, D, H, bow, false);
    return XFile(root, "");
}

// Hull paint: deck band, side planks with a waterline stripe, red bottom.
// The battle-worn paint adds scorch marks and soot.
std::vector<unsigned char> Paint(int S, const unsigned char side[3], bool damaged, unsigned seed) {
    std::vector<unsigned char> px(static_cast<size_t>(S) * S * 3);
    for (int y = 0; y < S; ++y)
        for (int x = 0; x < S; ++x) {
            unsigned char* p = &px[(static_cast<size_t>(y) * S + x) * 3];
            const float v = static_cast<float>(y) / S;
            unsigned char c[3];
            if (v < 0.25f) { // deck planks
                const bool seam = (x % 8) == 0;
                c[0] = seam ? 90 : 150; c[1] = seam ? 75 : 125; c[2] = seam ? 55 : 90;
            } else if (v < 0.75f) {
                const bool stripe = v > 0.55f && v < 0.6f;
                for (int k = 0; k < 3; ++k) c[k] = stripe ? 235 : side[k];
                if ((y % 8) == 0) for (int k = 0; k < 3; ++k) c[k] = static_cast<unsigned char>(c[k] * 0.7f);
            } else { // below the water
                c[0] = 150; c[1] = 40; c[2] = 35;
            }
            for (int k = 0; k < 3; ++k) p[k] = c[k];
        }
    if (damaged) {
        std::mt19937 random(seed);
        std::uniform_int_distribution<int> at(0, S - 1), size(3, S / 6);
        for (int n = 0; n < 14; ++n) {
            const int cx = at(random), cy = at(random), r = size(random);
            for (int y = cy - r; y <= cy + r; ++y)
                for (int x = cx - r; x <= cx + r; ++x) {
                    if (x < 0 || y < 0 || x >= S || y >= S) continue;
                    const float d = std::sqrt(static_cast<float>((x - cx) * (x - cx) + (y - cy) * (y - cy))) / r;
                    if (d > 1.0f) continue;
                    unsigned char* p = &px[(static_cast<size_t>(y) * S + x) * 3];
                    const float k = 0.25f + 0.6f * d;
                    for (int c = 0; c < 3; ++c) p[c] = static_cast<unsigned char>(p[c] * k);
                }
        }
    }
    return px;
}

// A shop icon: a dark frame around the ship's side colour and a silhouette
// on a light sky, above a dark strip that the icon's caption is written on.
std::vector<unsigned char> Icon(int W, int H, const unsigned char side[3], float length) {
    std::vector<unsigned char> px(static_cast<size_t>(W) * H * 3);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            unsigned char* p = &px[(static_cast<size_t>(y) * W + x) * 3];
            const bool border = x < 2 || y < 2 || x >= W - 2 || y >= H - 2;
            const bool strip = y >= H * 0.66f;
            const float fx = (static_cast<float>(x) - W * 0.5f) / (W * 0.5f * length);
            const bool hull = std::fabs(fx) < 1.0f && y > H * 0.36f && y < H * 0.50f + (1.0f - std::fabs(fx)) * 4;
            const bool works = std::fabs(fx) < 0.4f && y > H * 0.2f && y <= H * 0.36f;
            p[0] = border ? 20 : strip ? 28 : (hull || works) ? side[0] : 190;
            p[1] = border ? 25 : strip ? 36 : (hull || works) ? side[1] : 210;
            p[2] = border ? 35 : strip ? 52 : (hull || works) ? side[2] : 230;
        }
    return px;
}

// The icon's two looks one above the other: on top the ship as it is for
// sale, below the same picture grey, dim and hatched, for a ship that cannot
// be bought here.
std::vector<unsigned char> IconLooks(int W, int H, const unsigned char side[3], float length) {
    std::vector<unsigned char> px = Icon(W, H, side, length);
    px.resize(static_cast<size_t>(W) * H * 2 * 3);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const unsigned char* p = &px[(static_cast<size_t>(y) * W + x) * 3];
            unsigned char* q = &px[(static_cast<size_t>(y + H) * W + x) * 3];
            const int grey = (p[0] * 30 + p[1] * 59 + p[2] * 11) / 100;
            const bool hatch = y < H * 0.66f && (x + y) % 8 < 2;
            const int v = hatch ? grey / 3 : grey / 2 + 20;
            q[0] = q[1] = q[2] = static_cast<unsigned char>(v);
        }
    return px;
}

// ---- sounds ----
constexpr int kRate = 22050;

std::vector<float> Noise(double seconds, unsigned seed, double darkness, double (*envelope)(double)) {
    std::vector<float> out(static_cast<size_t>(seconds * kRate));
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
    float low = 0.0f;
    for (size_t i = 0; i < out.size(); ++i) {
        low += static_cast<float>(darkness) * (noise(random) - low);
        out[i] = static_cast<float>(envelope(static_cast<double>(i) / kRate)) * low * 2.5f;
    }
    return out;
}

std::vector<float> Tone(double seconds, double hz, double wobble) {
    std::vector<float> out(static_cast<size_t>(seconds * kRate));
    for (size_t i = 0; i < out.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        out[i] = static_cast<float>(0.3 * std::sin(2.0 * kPi * hz * t + wobble * std::sin(2.0 * kPi * 3.0 * t)));
    }
    return out;
}

bool WriteText(const fs::path& p, const std::string& text) {
    std::ofstream f(p, std::ios::binary);
    f << text;
    return static_cast<bool>(f);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: generate_ships <output folder>\n");
        return 2;
    }
    const fs::path out = argv[1];
    for (const char* d : {"Data/Models", "Data/Textures", "Sound/Effects"}) fs::create_directories(out / d);
    bool ok = WriteText(out / "Data/Models/ram_hull.x", XFile(RamShip(), "ram_clean.bmp")) &&
              WriteText(out / "Data/Models/cruiser_hull.x", XFile(Cruiser(), "cruiser_clean.bmp")) &&
              WriteText(out / "Data/Models/ram_collision.x", Collision(3.5f, 0.8f, 0.5f, 0.6f, 5.0f)) &&
              WriteText(out / "Data/Models/cruiser_collision.x", Collision(4.5f, 1.0f, 0.6f, 0.7f, 6.0f));

    const unsigned char ramSide[3] = {70, 80, 88}, cruiserSide[3] = {215, 210, 195};
    const int S = 128;
    auto bmp = [&](const char* name, int w, int h, const std::vector<unsigned char>& px) {
        return stbi_write_bmp((out / "Data/Textures" / name).c_str(), w, h, 3, px.data()) != 0;
    };
    ok = ok && bmp("ram_clean.bmp", S, S, Paint(S, ramSide, false, 1));
    ok = ok && bmp("ram_damaged.bmp", S, S, Paint(S, ramSide, true, 2));
    ok = ok && bmp("cruiser_clean.bmp", S, S, Paint(S, cruiserSide, false, 3));
    ok = ok && bmp("cruiser_damaged.bmp", S, S, Paint(S, cruiserSide, true, 4));
    ok = ok && bmp("ram_icon.bmp", 128, 128, IconLooks(128, 64, ramSide, 0.8f));
    ok = ok && bmp("cruiser_icon.bmp", 128, 128, IconLooks(128, 64, cruiserSide, 0.95f));

    auto ogg = [&](const char* name, const std::vector<float>& samples) {
        return OggWriter::WriteOgg((out / "Sound/Effects" / name).string(), samples, 1, kRate);
    };
    // Fire crackles, flooding gurgles, a turret whines, a hit bangs, a
    // splash hisses, and the sea rolls.
    ok = ok && ogg("ship_fire.ogg", Noise(2.0, 11, 0.5, [](double t) {
                       return 0.4 + 0.3 * std::sin(2.0 * kPi * 7.0 * t) * std::sin(2.0 * kPi * 0.5 * t);
                   }));
    ok = ok && ogg("flooding.ogg", Noise(2.0, 12, 0.05, [](double t) {
                       return 0.6 + 0.4 * std::sin(2.0 * kPi * 2.0 * t);
                   }));
    ok = ok && ogg("turret.ogg", Tone(1.0, 180.0, 2.0));
    ok = ok && ogg("hit.ogg", Noise(0.8, 13, 0.3, [](double t) { return std::exp(-t * 6.0); }));
    ok = ok && ogg("splash.ogg", Noise(1.0, 14, 0.8, [](double t) { return std::exp(-t * 3.0) * std::min(1.0, t * 40.0); }));
    ok = ok && ogg("sea.ogg", Noise(4.0, 15, 0.02, [](double t) {
                       return 0.5 + 0.35 * std::sin(2.0 * kPi * 0.25 * t);
                   }));
    if (!ok) {
        std::fprintf(stderr, "generate_ships: cannot write into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
