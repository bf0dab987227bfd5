// Makes the campaign's screen art:
//   UI/Fonts/main.xml, main_0.png, title.xml, title_0.png: bitmap fonts whose
//     chars list every code 0-255 in order (codes of code page 1251 without
//     a glyph as empty records), white glyphs whose alpha is the coverage on
//     a transparent page; each glyph's cell reaches the next pen position,
//     because the campaign's layout advances by offset plus width;
//   UI/Textures/*.png: dialog panel, button face, hint background, scroll
//     thumb, track and four arrows, list selection bar, state-bar fill, a
//     near-white mark that the screens tint (flags, hull-part lamps), and
//     the logo and the menu picture (as large as the demo's window), and the
//     loading pictures of the demo campaign's two maps.
// usage: generate_campaign_gui <programs folder> <font.ttf>
#include <ft2build.h>
#include FT_FREETYPE_H

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include "data/generators/common/RgbaArt.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/os/CodePage.h"

namespace {

namespace fs = std::filesystem;
using VornaArt::CodePoint;
using VornaArt::Image;

struct Glyph {
    bool present = false;
    int x = 0, y = 0, width = 0, height = 0, xoffset = 0, yoffset = 0, xadvance = 0;
    std::vector<uint8_t> coverage;
    int bw = 0, bh = 0;
};

bool MakeFont(FT_Library lib, const char* ttf, int pixels, const fs::path& folder, const std::string& name) {
    FT_Face face = nullptr;
    if (FT_New_Face(lib, ttf, 0, &face) || FT_Set_Pixel_Sizes(face, 0, pixels)) {
        std::fprintf(stderr, "generate_campaign_gui: cannot open %s\n", ttf);
        return false;
    }
    const int ascender = static_cast<int>(face->size->metrics.ascender >> 6);
    const int lineHeight = static_cast<int>(face->size->metrics.height >> 6);
    std::vector<Glyph> glyphs(256);
    for (int byte = 32; byte <= 255; ++byte) {
        const char32_t cp = CodePoint(static_cast<unsigned char>(byte));
        if (cp == 0 || cp == 0x7F) continue;
        if (FT_Load_Char(face, cp, FT_LOAD_RENDER)) continue;
        const FT_GlyphSlot slot = face->glyph;
        Glyph& g = glyphs[static_cast<size_t>(byte)];
        g.present = true;
        g.bw = static_cast<int>(slot->bitmap.width);
        g.bh = static_cast<int>(slot->bitmap.rows);
        g.xoffset = slot->bitmap_left;
        g.yoffset = ascender - slot->bitmap_top;
        g.xadvance = static_cast<int>(slot->advance.x >> 6);
        g.width = std::max(g.bw, g.xadvance - g.xoffset);
        g.height = std::max(g.bh, 1);
        g.coverage.resize(static_cast<size_t>(g.bw) * g.bh);
        for (int row = 0; row < g.bh; ++row)
            for (int col = 0; col < g.bw; ++col)
                g.coverage[static_cast<size_t>(row) * g.bw + col] = slot->bitmap.buffer[row * slot->bitmap.pitch + col];
    }
    FT_Done_Face(face);
    const int pageW = 256;
    int x = 1, y = 1, shelf = 0;
    for (Glyph& g : glyphs) {
        if (!g.present) continue;
        if (x + g.width + 1 > pageW) {
            x = 1;
            y += shelf + 1;
            shelf = 0;
        }
        g.x = x, g.y = y;
        x += g.width + 1;
        shelf = std::max(shelf, g.height);
    }
    int pageH = 64;
    while (pageH < y + shelf + 1) pageH *= 2;
    Image page(pageW, pageH);
    for (const Glyph& g : glyphs)
        for (int row = 0; row < g.bh; ++row)
            for (int col = 0; col < g.bw; ++col)
                page.Set(g.x + col, g.y + row, 255, 255, 255, g.coverage[static_cast<size_t>(row) * g.bw + col]);
    const std::string pageFile = name + "_0.png";
    if (!page.Save(folder / pageFile)) return false;
    std::ofstream xml(folder / (name + ".xml"), std::ios::binary);
    xml << "<?xml version=\"1.0\"?>\n<font>\n";
    xml << "  <info face=\"DejaVu Sans\" size=\"" << pixels << "\" bold=\"0\" italic=\"0\" charset=\"RUSSIAN\"/>\n";
    xml << "  <common lineHeight=\"" << lineHeight << "\" base=\"" << ascender << "\" scaleW=\"" << pageW
        << "\" scaleH=\"" << pageH << "\" pages=\"1\"/>\n";
    xml << "  <pages>\n    <page id=\"0\" file=\"" << pageFile << "\"/>\n  </pages>\n";
    xml << "  <chars count=\"256\">\n";
    for (int c = 0; c < 256; ++c) {
        const Glyph& g = glyphs[static_cast<size_t>(c)];
        xml << "    <char id=\"" << c << "\" x=\"" << g.x << "\" y=\"" << g.y << "\" width=\"" << g.width
            << "\" height=\"" << (g.present ? g.height : 0) << "\" xoffset=\"" << g.xoffset << "\" yoffset=\""
            << g.yoffset << "\" xadvance=\"" << g.xadvance << "\"/>\n";
    }
    xml << "  </chars>\n</font>\n";
    return static_cast<bool>(xml);
}

struct Rgb {
    uint8_t r, g, b;
};

// A framed panel: fill, a lighter top-left and darker bottom-right edge.
Image Panel(int w, int h, Rgb fill, int frame, uint8_t alpha = 255) {
    Image img(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const bool edge = x < frame || y < frame || x >= w - frame || y >= h - frame;
            const bool light = edge && (x < frame || y < frame);
            const int d = edge ? (light ? 50 : -50) : 0;
            auto c = [d](uint8_t v) { return static_cast<uint8_t>(std::clamp(v + d, 0, 255)); };
            img.Set(x, y, c(fill.r), c(fill.g), c(fill.b), alpha);
        }
    return img;
}

// A square with a triangle pointing up, down, left or right.
Image Arrow(int size, int dir) {
    Image img = Panel(size, size, {70, 90, 120}, 1);
    const float c = (size - 1) / 2.0f;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            float along = 0, across = 0;
            switch (dir) {
            case 0: along = c - y, across = x - c; break;
            case 1: along = y - c, across = x - c; break;
            case 2: along = c - x, across = y - c; break;
            default: along = x - c, across = y - c; break;
            }
            // The tip at along = size / 4, the base at along = -size / 4.
            const float t = (size / 4.0f - along) / (size / 2.0f);
            if (t >= 0.0f && t <= 1.0f && std::fabs(across) <= t * size / 4.0f) img.Set(x, y, 235, 235, 200, 255);
        }
    return img;
}

Image Logo() {
    Image img(256, 128);
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 256; ++x) {
            // Sky over waves, with a sun.
            const float wave = 80.0f + 6.0f * std::sin(x * 0.09f) + 3.0f * std::sin(x * 0.23f + 1.0f);
            Rgb c = y < wave ? Rgb{static_cast<uint8_t>(40 + y / 2), static_cast<uint8_t>(80 + y / 2), 170}
                             : Rgb{10, static_cast<uint8_t>(50 + (y - 80)), 110};
            const float dx = x - 190.0f, dy = y - 40.0f;
            if (dx * dx + dy * dy < 400.0f) c = {250, 220, 120};
            img.Set(x, y, c.r, c.g, c.b, 255);
        }
    return img;
}

// As large as the window, so that it pops up over the whole client area.
Image Picture() {
    Image img(1024, 768);
    for (int y = 0; y < 768; ++y)
        for (int x = 0; x < 1024; ++x) {
            const bool check = ((x / 64) + (y / 64)) % 2 == 0;
            img.Set(x, y, check ? 200 : 60, check ? 170 : 90, check ? 90 : 140, 255);
        }
    return img;
}

// A loading picture of a campaign map: evening sky, a coast line and the
// sea, in the map's own colours.
Image Loading(Rgb sky, Rgb land, Rgb sea, float coastPhase) {
    Image img(512, 384);
    for (int y = 0; y < 384; ++y)
        for (int x = 0; x < 512; ++x) {
            const float horizon = 200.0f;
            const float coast = horizon - 30.0f - 25.0f * std::sin(x * 0.011f + coastPhase) -
                                10.0f * std::sin(x * 0.043f + 2.0f * coastPhase);
            const float t = y / horizon;
            Rgb c;
            if (y < coast && y < horizon) {
                c = {static_cast<uint8_t>(sky.r * (0.6f + 0.4f * t)), static_cast<uint8_t>(sky.g * (0.6f + 0.4f * t)),
                     static_cast<uint8_t>(sky.b * (0.7f + 0.3f * t))};
            } else if (y < horizon) {
                c = land;
            } else {
                const float d = (y - horizon) / (384.0f - horizon);
                const bool crest = y % 9 == 0 && std::sin(x * 0.06f + static_cast<float>(y / 9) * 2.3f) > 0.8f;
                c = crest ? Rgb{200, 210, 220}
                          : Rgb{static_cast<uint8_t>(sea.r * (1.0f - 0.4f * d)), static_cast<uint8_t>(sea.g * (1.0f - 0.4f * d)),
                                static_cast<uint8_t>(sea.b * (1.0f - 0.3f * d))};
            }
            img.Set(x, y, c.r, c.g, c.b, 255);
        }
    return img;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: generate_campaign_gui <programs folder> <font.ttf>\n");
        return 2;
    }
    const fs::path root = argv[1];
    const fs::path fonts = root / "UI" / "Fonts", textures = root / "UI" / "Textures";
    std::error_code ec;
    fs::create_directories(fonts, ec);
    fs::create_directories(textures, ec);
    FT_Library lib = nullptr;
    if (FT_Init_FreeType(&lib)) return 1;
    const bool fontsOk = MakeFont(lib, argv[2], 14, fonts, "main") && MakeFont(lib, argv[2], 22, fonts, "title");
    FT_Done_FreeType(lib);
    if (!fontsOk) return 1;
    const bool ok = Panel(64, 64, {30, 45, 70}, 3, 230).Save(textures / "panel.png") &&
                    Panel(64, 24, {60, 90, 140}, 2).Save(textures / "button.png") &&
                    Panel(64, 24, {250, 240, 190}, 1).Save(textures / "popup.png") &&
                    Panel(16, 32, {150, 160, 180}, 2).Save(textures / "thumb.png") &&
                    Panel(16, 64, {20, 25, 35}, 1).Save(textures / "track.png") &&
                    Arrow(16, 0).Save(textures / "arrow_up.png") && Arrow(16, 1).Save(textures / "arrow_down.png") &&
                    Arrow(16, 2).Save(textures / "arrow_left.png") && Arrow(16, 3).Save(textures / "arrow_right.png") &&
                    Panel(32, 8, {200, 140, 40}, 0, 200).Save(textures / "list_sel.png") &&
                    Panel(32, 8, {60, 190, 80}, 1).Save(textures / "state_bar.png") &&
                    Panel(32, 8, {240, 240, 240}, 1).Save(textures / "mark.png") &&
                    Logo().Save(textures / "logo.png") && Picture().Save(textures / "picture.png") &&
                    Loading({230, 150, 90}, {60, 70, 50}, {20, 60, 100}, 0.0f).Save(textures / "loading_strait.png") &&
                    Loading({150, 170, 220}, {90, 80, 60}, {30, 80, 90}, 2.0f).Save(textures / "loading_cape.png");
    return ok ? 0 : 1;
}
