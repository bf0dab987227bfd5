// Writes the campaign map's unit and scenery models and its sky and water
// textures:
//   Models/Units/c2monitor.x    turret ship: hull, two towers of two guns,
//                               six hull parts with broadside guns, a funnel
//   Models/Units/c2corvette.x   corvette: the same frames, one gun a tower
//                               and two funnels
//   Models/Units/c2fort.x       fort: walls and a battery of three guns
//   Models/Units/c2mine.x       moored mine
//   Models/Statics/c2coast.x    a long coast ridge
//   Models/Statics/c2isle.x     an island
//   Models/Statics/c2rock.x     a rock
//   Textures/c2sky.png, Textures/c2water.png
//   Models/Path/c2marker.x      the way-point marker of a shown sea route
//   Textures/Campaign/icon_*.png, info_*.png
//                               unit icons and unit-information pictures
//   Textures/Campaign/sel_green.png, sel_grey.png, sel_red.png
//                               selection rings (with alpha)
//   Textures/strait_map.png, Textures/cape_map.png
//                               the global-map pictures of the two maps,
//                               north (+z) up, over each map's scene box
// Every unit model heads as the campaign's placements do: bow to -z, the
// ship's right (starboard) side to -x, its left (port) side to +x. A gun's
// barrel lies along its frame's -z, which the battle turns to the target.
// Towers and hull parts are turned as their ".amd" Right and Direction rows
// say: the fore tower (and the fort's battery) rest with their guns to the
// bow, the aft tower with its guns to the stern, the hull parts with their
// broadside guns out of their side.
// The frame names are the ones the units' ".amd" files and descriptions use:
// towers "ForeTower" / "AftTower" (the fort's "Battery"), hull parts
// "LeftBow" .. "RightStern" (the fort's "Walls"), gun frames "<part>_Gun<n>",
// funnels "pipe<n>", and the ship's collision frame "hull", whose first child
// holds the hull mesh.
// usage: generate_campaign_units <output folder>
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

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
V3 operator-(V3 a, V3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
V3 Cross(V3 a, V3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
float Dot(V3 a, V3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
V3 Normalized(V3 a) {
    const float l = std::sqrt(Dot(a, a));
    return l > 0 ? V3{a.x / l, a.y / l, a.z / l} : V3{0, 1, 0};
}

std::string F(float v) {
    char b[32];
    std::snprintf(b, sizeof b, "%.5f", v);
    return b;
}

// A convex solid of flat faces. Every face is turned to face away from the
// solid's centre, so it is clockwise seen from outside (Direct3D's front).
struct Solid {
    std::vector<std::vector<V3>> faces;
    V3 centre{0, 0, 0};

    void Face(std::vector<V3> poly) {
        V3 mid{0, 0, 0};
        for (const V3& p : poly) mid = {mid.x + p.x / poly.size(), mid.y + p.y / poly.size(), mid.z + p.z / poly.size()};
        if (Dot(Cross(poly[1] - poly[0], poly[2] - poly[0]), mid - centre) < 0)
            poly = std::vector<V3>(poly.rbegin(), poly.rend());
        faces.push_back(poly);
    }
};

// A box.
Solid Box(V3 lo, V3 hi) {
    Solid s;
    s.centre = {(lo.x + hi.x) / 2, (lo.y + hi.y) / 2, (lo.z + hi.z) / 2};
    const V3 c[8] = {{lo.x, lo.y, lo.z}, {hi.x, lo.y, lo.z}, {hi.x, hi.y, lo.z}, {lo.x, hi.y, lo.z},
                     {lo.x, lo.y, hi.z}, {hi.x, lo.y, hi.z}, {hi.x, hi.y, hi.z}, {lo.x, hi.y, hi.z}};
    const int q[6][4] = {{0, 1, 2, 3}, {5, 4, 7, 6}, {4, 0, 3, 7}, {1, 5, 6, 2}, {3, 2, 6, 7}, {4, 5, 1, 0}};
    for (const auto& f : q) s.Face({c[f[0]], c[f[1]], c[f[2]], c[f[3]]});
    return s;
}

// A frustum of `sides` sides about the y axis: radius r0 at y0, r1 at y1,
// stretched by sx and sz.
Solid Frustum(int sides, float r0, float y0, float r1, float y1, float sx = 1, float sz = 1) {
    Solid s;
    s.centre = {0, (y0 + y1) / 2, 0};
    std::vector<V3> bottom, top;
    for (int i = 0; i < sides; ++i) {
        const float a = 6.2831853f * i / sides;
        bottom.push_back({r0 * sx * std::sin(a), y0, r0 * sz * std::cos(a)});
        top.push_back({r1 * sx * std::sin(a), y1, r1 * sz * std::cos(a)});
    }
    for (int i = 0; i < sides; ++i) {
        const int j = (i + 1) % sides;
        if (r1 > 0) s.Face({bottom[i], bottom[j], top[j], top[i]});
        else s.Face({bottom[i], bottom[j], top[i]});
    }
    s.Face(bottom);
    if (r1 > 0) s.Face(top);
    return s;
}

// The hull: a long body with a pointed bow at -z and a flat stern at +z,
// keel at y = -1, deck at y = 1.2.
Solid Hull(float length, float beam) {
    Solid s;
    const float hl = length / 2, hb = beam / 2, keel = -1.0f, deck = 1.2f, shoulder = -(hl - length * 0.2f);
    s.centre = {0, 0, 0};
    s.Face({{-hb, keel, hl}, {-hb, deck, hl}, {-hb, deck, shoulder}, {-hb, keel, shoulder}});
    s.Face({{hb, keel, hl}, {hb, deck, hl}, {hb, deck, shoulder}, {hb, keel, shoulder}});
    s.Face({{-hb, deck, hl}, {hb, deck, hl}, {hb, deck, shoulder}, {-hb, deck, shoulder}});
    s.Face({{-hb, keel, hl}, {hb, keel, hl}, {hb, keel, shoulder}, {-hb, keel, shoulder}});
    s.Face({{-hb, keel, hl}, {hb, keel, hl}, {hb, deck, hl}, {-hb, deck, hl}});
    const V3 tipLow{0, keel, -hl}, tipHigh{0, deck, -hl};
    s.Face({{-hb, keel, shoulder}, {-hb, deck, shoulder}, tipHigh, tipLow});
    s.Face({{hb, keel, shoulder}, {hb, deck, shoulder}, tipHigh, tipLow});
    s.Face({{-hb, deck, shoulder}, {hb, deck, shoulder}, tipHigh});
    s.Face({{-hb, keel, shoulder}, {hb, keel, shoulder}, tipLow});
    return s;
}

// A mesh block of one or more solids in one colour, triangulated as fans,
// with a vertex per face corner so that the faces shade flat.
std::string MeshBlock(const std::string& name, const std::vector<Solid>& solids, V3 colour) {
    std::vector<V3> pos, nrm;
    std::vector<int> tri;
    for (const Solid& s : solids)
        for (const auto& f : s.faces) {
            const V3 n = Normalized(Cross(f[1] - f[0], f[2] - f[0]));
            const int base = static_cast<int>(pos.size());
            for (const V3& p : f) {
                pos.push_back(p);
                nrm.push_back(n);
            }
            for (size_t k = 1; k + 1 < f.size(); ++k) {
                tri.push_back(base);
                tri.push_back(base + static_cast<int>(k));
                tri.push_back(base + static_cast<int>(k) + 1);
            }
        }
    const size_t faces = tri.size() / 3;
    std::ostringstream o;
    auto list = [&](const std::vector<V3>& v) {
        o << "  " << v.size() << ";\n";
        for (size_t i = 0; i < v.size(); ++i)
            o << "  " << F(v[i].x) << ";" << F(v[i].y) << ";" << F(v[i].z) << ";" << (i + 1 < v.size() ? "," : ";")
              << "\n";
    };
    auto faceList = [&] {
        o << "  " << faces << ";\n";
        for (size_t i = 0; i < faces; ++i)
            o << "  3;" << tri[3 * i] << "," << tri[3 * i + 1] << "," << tri[3 * i + 2] << ";"
              << (i + 1 < faces ? "," : ";") << "\n";
    };
    o << "  Mesh " << name << " {\n";
    list(pos);
    faceList();
    o << "  MeshNormals {\n";
    list(nrm);
    faceList();
    o << "  }\n  MeshMaterialList {\n  1;\n  " << faces << ";\n";
    for (size_t i = 0; i < faces; ++i) o << "  0" << (i + 1 < faces ? "," : ";") << "\n";
    o << "   Material {\n    " << F(colour.x) << ";" << F(colour.y) << ";" << F(colour.z) << ";1.00000;;\n"
      << "    8.00000;\n    0.20000;0.20000;0.20000;;\n    0.00000;0.00000;0.00000;;\n   }\n  }\n  }\n";
    return o.str();
}

// Where a frame's -z (the way its guns point) lies in its parent: ahead
// (-z), astern (+z), to port (+x) or to starboard (-x).
enum class Facing { Ahead, Astern, Port, Starboard };

// A frame's matrix: turned about y to its facing, then moved to `t`. The
// rows are those of the units' ".amd" files: Right, up, Direction.
std::string Placement(V3 t, Facing facing) {
    const char* rows = "1,0,0,0,0,1,0,0,0,0,1,0,";
    if (facing == Facing::Astern) rows = "-1,0,0,0,0,1,0,0,0,0,-1,0,";
    if (facing == Facing::Port) rows = "0,0,1,0,0,1,0,0,-1,0,0,0,";
    if (facing == Facing::Starboard) rows = "0,0,-1,0,0,1,0,0,1,0,0,0,";
    return rows + F(t.x) + "," + F(t.y) + "," + F(t.z) + ",1";
}

// A frame with an optional mesh and child frames.
struct Frame {
    std::string name;
    V3 at{0, 0, 0};
    std::string mesh;
    std::vector<Frame> children;
    Facing facing = Facing::Ahead;

    void Write(std::ostringstream& o) const {
        o << "Frame " << name << " {\n FrameTransformMatrix { " << Placement(at, facing) << ";; }\n" << mesh;
        for (const Frame& c : children) c.Write(o);
        o << "}\n";
    }
};

std::string XFile(const Frame& root) {
    std::ostringstream o;
    o << "xof 0303txt 0032\n\n";
    root.Write(o);
    return o.str();
}

const V3 kGrey{0.45f, 0.47f, 0.5f}, kDark{0.2f, 0.2f, 0.22f}, kRock{0.42f, 0.38f, 0.33f}, kGrass{0.3f, 0.42f, 0.25f};

// A gun barrel of `length` and `thickness` along the frame's -z, the way
// the battle aims it and recoils it.
Frame Gun(const std::string& name, V3 at, float length, float thickness) {
    const float h = thickness / 2;
    return {name, at, MeshBlock(name + "Mesh", {Box({-h, -h, -length}, {h, h, 0})}, kDark), {}};
}

// A tower with its guns, resting with them to its facing.
Frame Tower(const std::string& name, V3 at, int guns, Facing facing = Facing::Ahead) {
    Frame t{name, at, MeshBlock(name + "Mesh", {Frustum(8, 1.1f, 0, 0.9f, 0.9f)}, kGrey), {}, facing};
    for (int g = 0; g < guns; ++g)
        t.children.push_back(Gun(name + "_Gun" + std::to_string(g + 1), {guns == 1 ? 0.0f : 0.35f - 0.7f * g, 0.45f, -0.6f}, 1.8f, 0.24f));
    return t;
}

// A ship of `length` with its towers, hull parts and funnels.
std::string Ship(float length, float beam, int towerGuns, int pipes) {
    Frame ship{"Ship", {0, 0, 0}, "", {}};
    ship.children.push_back({"hull", {0, 0, 0}, "", {{"HullBody", {0, 0, 0}, MeshBlock("HullMesh", {Hull(length, beam)}, kGrey), {}}}});
    ship.children.push_back(Tower("ForeTower", {0, 1.2f, -length * 0.25f}, towerGuns));
    ship.children.push_back(Tower("AftTower", {0, 1.2f, length * 0.3f}, towerGuns, Facing::Astern));
    // Each hull part faces out of its side, its broadside guns along it
    // (the part's x runs astern on the left, ahead on the right).
    const char* zones[3] = {"Bow", "Middle", "Stern"};
    const float zs[3] = {-length * 0.18f, 0.0f, length * 0.18f};
    for (int side : {-1, 1})
        for (int z = 0; z < 3; ++z) {
            const std::string name = std::string(side < 0 ? "Left" : "Right") + zones[z];
            Frame part{name, {-side * beam / 2, 0.6f, zs[z]}, "", {}, side < 0 ? Facing::Port : Facing::Starboard};
            const int guns = z == 1 ? 2 : 1;
            for (int g = 0; g < guns; ++g) {
                const float astern = guns == 1 ? 0.0f : 0.8f - 1.6f * g;
                part.children.push_back(Gun(name + "_Gun" + std::to_string(g + 1), {side < 0 ? astern : -astern, 0, 0}, 1.2f, 0.2f));
            }
            ship.children.push_back(part);
        }
    for (int p = 0; p < pipes; ++p) {
        const std::string name = "pipe" + std::to_string(p + 1);
        ship.children.push_back({name, {0, 1.2f, -1.0f + 1.6f * p}, MeshBlock(name + "Mesh", {Frustum(8, 0.45f, 0, 0.4f, 2.6f)}, kDark), {}});
    }
    return XFile(ship);
}

std::string Fort() {
    Frame fort{"Fort", {0, 0, 0}, "", {}};
    fort.children.push_back({"Walls", {0, 0, 0}, MeshBlock("WallsMesh", {Frustum(6, 15, -1, 12, 7)}, kRock), {}});
    Frame battery = Tower("Battery", {0, 7, 0}, 0);
    for (int g = 0; g < 3; ++g) battery.children.push_back(Gun("Battery_Gun" + std::to_string(g + 1), {1.0f - g, 0.45f, -0.6f}, 1.8f, 0.24f));
    fort.children.push_back(battery);
    return XFile(fort);
}

std::string Mine() {
    Frame mine{"Mine", {0, 0, 0}, MeshBlock("MineMesh", {Frustum(8, 0.9f, -0.5f, 0.9f, 0.7f), Frustum(8, 0.9f, 0.7f, 0.0f, 1.3f)}, kDark), {}};
    return XFile(mine);
}

// Scenery: cones and ridges with real triangles for the grounding rules.
std::string Scenery(const std::string& name, const std::vector<Solid>& solids, V3 colour) {
    return XFile({name, {0, 0, 0}, MeshBlock(name + "Mesh", solids, colour), {}});
}

Solid Ridge(float length, float width, float height) {
    Solid s;
    const float hl = length / 2, hw = width / 2, top = width * 0.15f;
    s.centre = {0, height / 3, 0};
    const V3 b[4] = {{-hl, -2, -hw}, {hl, -2, -hw}, {hl, -2, hw}, {-hl, -2, hw}};
    const V3 t[4] = {{-hl * 0.9f, height, -top}, {hl * 0.9f, height, -top}, {hl * 0.9f, height, top}, {-hl * 0.9f, height, top}};
    for (int i = 0; i < 4; ++i) s.Face({b[i], b[(i + 1) % 4], t[(i + 1) % 4], t[i]});
    s.Face({b[0], b[1], b[2], b[3]});
    s.Face({t[0], t[1], t[2], t[3]});
    return s;
}

bool Write(const fs::path& p, const std::string& text) {
    fs::create_directories(p.parent_path());
    std::ofstream f(p, std::ios::binary);
    f << text;
    return static_cast<bool>(f);
}

bool Texture(const fs::path& p, int w, int h, void (*pixel)(int x, int y, unsigned char* rgb)) {
    fs::create_directories(p.parent_path());
    std::vector<unsigned char> data(static_cast<size_t>(w) * h * 3);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) pixel(x, y, &data[(static_cast<size_t>(y) * w + x) * 3]);
    return stbi_write_png(p.c_str(), w, h, 3, data.data(), w * 3) != 0;
}

bool TextureRgba(const fs::path& p, int w, int h, const std::function<void(int, int, unsigned char*)>& pixel) {
    fs::create_directories(p.parent_path());
    std::vector<unsigned char> data(static_cast<size_t>(w) * h * 4);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) pixel(x, y, &data[(static_cast<size_t>(y) * w + x) * 4]);
    return stbi_write_png(p.c_str(), w, h, 4, data.data(), w * 4) != 0;
}

// A ring of the colour: opaque between 70 and 95 percent of the radius.
bool Ring(const fs::path& p, unsigned char r, unsigned char g, unsigned char b) {
    return TextureRgba(p, 64, 64, [=](int x, int y, unsigned char* c) {
        const float d = std::hypot(x - 31.5f, y - 31.5f) / 32.0f;
        c[0] = r, c[1] = g, c[2] = b;
        c[3] = d > 0.7f && d < 0.95f ? 255 : 0;
    });
}

// A ship's or fort's side view on a panel: `length` and `towers` shape it.
void Silhouette(int x, int y, int w, int h, float length, int towers, bool fort, unsigned char* c) {
    const float u = (x + 0.5f) / w - 0.5f, v = 1.0f - (y + 0.5f) / h;
    c[0] = 40, c[1] = 60, c[2] = 90;
    if (v < 0.3f) c[0] = 30, c[1] = 70, c[2] = 110; // the sea
    bool solid;
    if (fort) {
        solid = v > 0.25f && v < 0.6f && std::fabs(u) < 0.38f - (v - 0.25f) * 0.3f;
        solid = solid || (v >= 0.6f && v < 0.72f && std::fabs(u) < 0.12f);
    } else {
        const float half = length / 2;
        solid = v > 0.25f && v < 0.42f && std::fabs(u) < half - (v - 0.25f) * 0.4f && u < half - (0.42f - v) * 0.6f;
        for (int t = 0; t < towers; ++t) {
            const float tx = towers == 1 ? 0.1f : (t == 0 ? 0.18f : -0.2f);
            solid = solid || (v >= 0.42f && v < 0.52f && std::fabs(u - tx) < 0.07f);
        }
        solid = solid || (v >= 0.42f && v < 0.62f && std::fabs(u + 0.02f) < 0.035f);
    }
    if (solid) c[0] = 170, c[1] = 175, c[2] = 180;
    if (x < 2 || y < 2 || x >= w - 2 || y >= h - 2) c[0] = 200, c[1] = 160, c[2] = 60;
}

// Land of a map as seen from above: discs (islands, rocks) and long
// ridges (coasts), in world units.
struct Land {
    float x, z, halfLength, halfWidth, yaw; // yaw in degrees; a disc has halfLength == halfWidth
};

bool MapPicture(const fs::path& p, float minX, float minZ, float maxX, float maxZ, const std::vector<Land>& land) {
    const int size = 256;
    return TextureRgba(p, size, size, [&](int px, int py, unsigned char* c) {
        const float x = minX + (px + 0.5f) / size * (maxX - minX);
        const float z = maxZ - (py + 0.5f) / size * (maxZ - minZ);
        c[0] = 24, c[1] = 64, c[2] = 104, c[3] = 255;
        if ((px % 32) == 0 || (py % 32) == 0) c[0] = 40, c[1] = 84, c[2] = 124; // the chart's grid
        for (const Land& l : land) {
            const float a = l.yaw * 0.0174533f;
            const float dx = x - l.x, dz = z - l.z;
            const float along = dx * std::cos(a) - dz * std::sin(a), across = dx * std::sin(a) + dz * std::cos(a);
            const float e = (along * along) / (l.halfLength * l.halfLength) + (across * across) / (l.halfWidth * l.halfWidth);
            if (e <= 1.0f) c[0] = 150, c[1] = 140, c[2] = 90;
            else if (e <= 1.3f) c[0] = 90, c[1] = 120, c[2] = 140; // shallows
        }
        if (px < 2 || py < 2 || px >= size - 2 || py >= size - 2) c[0] = 200, c[1] = 160, c[2] = 60;
    });
}

// The way-point marker: a flat arrow, 2.4 wide and 4 long, pointing along
// the way point's heading (-z, as the campaign's placements head).
std::string Marker() {
    Solid arrow;
    arrow.centre = {0, 0.15f, 0};
    const V3 a{-1.2f, 0.0f, 2.0f}, b{1.2f, 0.0f, 2.0f}, tip{0.0f, 0.0f, -2.0f};
    const V3 a2{-1.2f, 0.3f, 2.0f}, b2{1.2f, 0.3f, 2.0f}, tip2{0.0f, 0.3f, -2.0f};
    arrow.Face({a2, b2, tip2});
    arrow.Face({a, b, tip});
    arrow.Face({a, b, b2, a2});
    arrow.Face({b, tip, tip2, b2});
    arrow.Face({tip, a, a2, tip2});
    return XFile({"Marker", {0, 0, 0}, MeshBlock("MarkerMesh", {arrow}, {0.95f, 0.85f, 0.2f}), {}});
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: generate_campaign_units <output folder>\n");
        return 2;
    }
    const fs::path out = argv[1];
    bool ok = Write(out / "Models/Units/c2monitor.x", Ship(14, 3, 2, 1));
    ok = Write(out / "Models/Units/c2corvette.x", Ship(12, 2.4f, 1, 2)) && ok;
    ok = Write(out / "Models/Units/c2fort.x", Fort()) && ok;
    ok = Write(out / "Models/Units/c2mine.x", Mine()) && ok;
    ok = Write(out / "Models/Statics/c2coast.x", Scenery("Coast", {Ridge(520, 70, 16)}, kGrass)) && ok;
    ok = Write(out / "Models/Statics/c2isle.x", Scenery("Isle", {Frustum(12, 32, -2, 6, 14, 1.0f, 0.7f)}, kGrass)) && ok;
    ok = Write(out / "Models/Statics/c2rock.x", Scenery("Rock", {Frustum(7, 7, -2, 1.5f, 6)}, kRock)) && ok;
    ok = Texture(out / "Textures/c2sky.png", 64, 64, [](int, int y, unsigned char* c) {
        c[0] = static_cast<unsigned char>(150 + y);
        c[1] = static_cast<unsigned char>(180 + y);
        c[2] = 235;
    }) && ok;
    ok = Texture(out / "Textures/c2water.png", 64, 64, [](int x, int y, unsigned char* c) {
        const float v = 0.5f + 0.25f * std::sin(x * 0.39f) * std::cos(y * 0.29f);
        c[0] = static_cast<unsigned char>(30 + 30 * v);
        c[1] = static_cast<unsigned char>(70 + 50 * v);
        c[2] = static_cast<unsigned char>(100 + 60 * v);
    }) && ok;
    ok = Write(out / "Models/Path/c2marker.x", Marker()) && ok;
    const fs::path art = out / "Textures/Campaign";
    ok = TextureRgba(art / "icon_ship_a.png", 64, 48, [](int x, int y, unsigned char* c) {
        Silhouette(x, y, 64, 48, 0.9f, 2, false, c);
        c[3] = 255;
    }) && ok;
    ok = TextureRgba(art / "icon_ship_b.png", 64, 48, [](int x, int y, unsigned char* c) {
        Silhouette(x, y, 64, 48, 0.75f, 1, false, c);
        c[3] = 255;
    }) && ok;
    ok = TextureRgba(art / "icon_fort.png", 64, 48, [](int x, int y, unsigned char* c) {
        Silhouette(x, y, 64, 48, 0, 0, true, c);
        c[3] = 255;
    }) && ok;
    ok = TextureRgba(art / "info_ship_a.png", 170, 230, [](int x, int y, unsigned char* c) {
        Silhouette(x, y, 170, 230, 0.9f, 2, false, c);
        c[3] = 255;
    }) && ok;
    ok = TextureRgba(art / "info_ship_b.png", 170, 230, [](int x, int y, unsigned char* c) {
        Silhouette(x, y, 170, 230, 0.75f, 1, false, c);
        c[3] = 255;
    }) && ok;
    ok = TextureRgba(art / "info_fort.png", 170, 230, [](int x, int y, unsigned char* c) {
        Silhouette(x, y, 170, 230, 0, 0, true, c);
        c[3] = 255;
    }) && ok;
    ok = Ring(art / "sel_green.png", 80, 220, 120) && ok;
    ok = Ring(art / "sel_grey.png", 150, 150, 150) && ok;
    ok = Ring(art / "sel_red.png", 250, 40, 40) && ok;
    // The land of the two demo maps (positions, sizes and turns as the map
    // files place the coast, island and rock models).
    ok = MapPicture(out / "Textures/strait_map.png", -400, -400, 400, 400,
                    {{0, 250, 260, 35, 0}, {-150, -40, 38.4f, 26.9f, 20}, {170, 30, 32, 22.4f, -35}, {10, 20, 7, 7, 0}}) && ok;
    ok = MapPicture(out / "Textures/cape_map.png", -400, -400, 400, 400,
                    {{-260, 0, 312, 42, 90}, {80, -180, 44.8f, 31.4f, 60}, {-120, 90, 9.1f, 9.1f, 30}}) && ok;
    if (!ok) std::fprintf(stderr, "generate_campaign_units: a file could not be written\n");
    return ok ? 0 : 1;
}
