// Makes the demo's screen-GUI art:
//   Interface/Fonts/normal.xml, normal_0.png, title.xml, title_0.png,
//     small.xml, small_0.png: bitmap
//     fonts covering the bytes 32-255 of code page 1251, rasterised from a
//     TrueType font, white glyphs whose alpha is the coverage;
//   Interface/Textures/panel.png, button.png (4 stacked states), check.png
//     (4 states), state_button.png (5 states), popup.png, slider.png (a
//     slider's thumb, one look).
// usage: generate_gui <programs folder> <font.ttf>
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
    int id, x, y, width, height, xoffset, yoffset, xadvance;
    std::vector<uint8_t> coverage;  // bitmap rows
    int bw, bh;
};

std::string Escape(const std::string& s) {
    std::string out;
    for (char c : s) out += c == '"' ? std::string("&quot;") : std::string(1, c);
    return out;
}

bool MakeFont(FT_Library lib, const char* ttf, int pixels, const fs::path& folder, const std::string& name) {
    FT_Face face = nullptr;
    if (FT_New_Face(lib, ttf, 0, &face) || FT_Set_Pixel_Sizes(face, 0, pixels)) {
        std::fprintf(stderr, "generate_gui: cannot open %s\n", ttf);
        return false;
    }
    const int ascender = static_cast<int>(face->size->metrics.ascender >> 6);
    const int lineHeight = static_cast<int>(face->size->metrics.height >> 6);
    std::vector<Glyph> glyphs;
    for (int byte = 32; byte <= 255; ++byte) {
        const char32_t cp = CodePoint(static_cast<unsigned char>(byte));
        if (cp == 0 || cp == 0x7F) continue;
        if (FT_Load_Char(face, cp, FT_LOAD_RENDER)) continue;
        const FT_GlyphSlot slot = face->glyph;
        Glyph g{};
        g.id = byte;
        g.bw = static_cast<int>(slot->bitmap.width);
        g.bh = static_cast<int>(slot->bitmap.rows);
        g.xoffset = slot->bitmap_left;
        g.yoffset = ascender - slot->bitmap_top;
        g.xadvance = static_cast<int>(slot->advance.x >> 6);
        // The cell reaches the next pen position, so that glyphs laid side
        // by side keep the font's spacing.
        g.width = std::max(g.bw, g.xadvance - g.xoffset);
        g.height = std::max(g.bh, 1);
        g.coverage.resize(static_cast<size_t>(g.bw) * g.bh);
        // Coverage is lifted a little (a gamma of 0.7): a thin stem that falls
        // between two pixel columns (the stroke of "$") would otherwise show
        // as two faint columns and vanish on a light background.
        for (int row = 0; row < g.bh; ++row)
            for (int col = 0; col < g.bw; ++col) {
                const double c = slot->bitmap.buffer[row * slot->bitmap.pitch + col] / 255.0;
                g.coverage[static_cast<size_t>(row) * g.bw + col] =
                    static_cast<uint8_t>(std::lround(255.0 * std::pow(c, 0.7)));
            }
        // A stroke one pixel thin (the hyphen of the small size) is hard to
        // see on a screen: it gets a second row.
        if (g.bh == 1 && g.bw > 0) {
            g.coverage.insert(g.coverage.end(), g.coverage.begin(), g.coverage.end());
            g.bh = 2;
            g.height = 2;
        }
        glyphs.push_back(std::move(g));
    }
    FT_Done_Face(face);

    // Shelves, one pixel apart, in a 256-wide page as tall as needed.
    const int pageW = 256;
    int x = 1, y = 1, shelf = 0;
    for (Glyph& g : glyphs) {
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
    xml << "  <info face=\"" << Escape("DejaVu Sans") << "\" size=\"" << pixels
        << "\" bold=\"0\" italic=\"0\" charset=\"RUSSIAN\" unicode=\"0\" stretchH=\"100\" smooth=\"1\" aa=\"1\""
           " padding=\"0,0,0,0\" spacing=\"1,1\"/>\n";
    xml << "  <common lineHeight=\"" << lineHeight << "\" base=\"" << ascender << "\" scaleW=\"" << pageW
        << "\" scaleH=\"" << pageH << "\" pages=\"1\" packed=\"0\"/>\n";
    xml << "  <pages>\n    <page id=\"0\" file=\"" << pageFile << "\"/>\n  </pages>\n";
    xml << "  <chars count=\"" << glyphs.size() << "\">\n";
    for (const Glyph& g : glyphs)
        xml << "    <char id=\"" << g.id << "\" x=\"" << g.x << "\" y=\"" << g.y << "\" width=\"" << g.width
            << "\" height=\"" << g.height << "\" xoffset=\"" << g.xoffset << "\" yoffset=\"" << g.yoffset
            << "\" xadvance=\"" << g.xadvance << "\" page=\"0\" chnl=\"15\"/>\n";
    xml << "  </chars>\n</font>\n";
    return static_cast<bool>(xml);
}

struct Rgba {
    int r, g, b, a;
};

uint8_t Clamp(double v) { return static_cast<uint8_t>(std::clamp(v, 0.0, 255.0)); }

// A bevelled plate filling (x0, y0)-(x1, y1): a vertical gradient between two
// colours, a light upper-left edge and a dark lower-right edge.
void Plate(Image& img, int x0, int y0, int x1, int y1, Rgba top, Rgba bottom, int bevel) {
    for (int y = y0; y < y1; ++y) {
        const double t = (y1 - y0 > 1) ? double(y - y0) / (y1 - y0 - 1) : 0.0;
        for (int x = x0; x < x1; ++x) {
            double r = top.r + (bottom.r - top.r) * t, g = top.g + (bottom.g - top.g) * t;
            double b = top.b + (bottom.b - top.b) * t, a = top.a + (bottom.a - top.a) * t;
            const int dl = x - x0, dt = y - y0, dr = x1 - 1 - x, db = y1 - 1 - y;
            if (std::min(dl, dt) < bevel && std::min(dl, dt) <= std::min(dr, db)) r += 60, g += 60, b += 60;
            else if (std::min(dr, db) < bevel) r -= 60, g -= 60, b -= 60;
            img.Set(x, y, Clamp(r), Clamp(g), Clamp(b), Clamp(a));
        }
    }
}

// A tick: a short arm down to the right, then a long arm up to the right.
void Tick(Image& img, int cx, int cy, int size, Rgba c) {
    for (int i = 0; i <= size; ++i)
        for (int t = -1; t <= 1; ++t) img.Set(cx - size + i, cy + i + t, c.r, c.g, c.b, c.a);
    for (int i = 0; i <= 2 * size; ++i)
        for (int t = -1; t <= 1; ++t) img.Set(cx + i, cy + size - i + t, c.r, c.g, c.b, c.a);
}

bool MakeTextures(const fs::path& folder) {
    // The dialog: a dark slate panel with a darker title strip.
    Image panel(256, 256);
    Plate(panel, 0, 0, 256, 256, {70, 88, 110, 235}, {40, 52, 68, 235}, 3);
    Plate(panel, 3, 3, 253, 24, {30, 40, 56, 245}, {22, 30, 44, 245}, 1);
    // Four button looks stacked: normal, hover, pressed, locked.
    const Rgba looks[5][2] = {{{90, 120, 160, 255}, {50, 70, 100, 255}},
                              {{130, 165, 210, 255}, {70, 100, 140, 255}},
                              {{40, 60, 90, 255}, {70, 95, 130, 255}},
                              {{100, 100, 100, 255}, {70, 70, 70, 255}},
                              {{60, 90, 60, 255}, {30, 60, 30, 255}}};
    Image button(128, 128);
    for (int s = 0; s < 4; ++s) Plate(button, 0, s * 32, 128, s * 32 + 32, looks[s][0], looks[s][1], 2);
    // The check box: a square on the left, ticked when checked (state 2).
    Image check(128, 128);
    for (int s = 0; s < 4; ++s) {
        Plate(check, 0, s * 32, 128, s * 32 + 32, looks[s][0], looks[s][1], 1);
        Plate(check, 6, s * 32 + 6, 26, s * 32 + 26, {235, 235, 235, 255}, {200, 200, 200, 255}, 1);
        if (s == 2) Tick(check, 12, s * 32 + 14, 4, {20, 120, 30, 255});
    }
    // Five state-button looks: normal, hover, checked, hovered checked, locked.
    Image state(128, 256);
    const Rgba stateLooks[5][2] = {looks[0][0], looks[0][1], looks[1][0], looks[1][1], looks[4][0], looks[4][1],
                                   {{90, 140, 90, 255}, {50, 100, 50, 255}}, looks[3][0], looks[3][1]};
    for (int s = 0; s < 5; ++s) Plate(state, 0, s * 32, 128, s * 32 + 32, stateLooks[s][0], stateLooks[s][1], 2);
    // A slider's thumb: one look, a light plate with a groove down its middle.
    Image slider(32, 32);
    Plate(slider, 0, 0, 32, 32, {200, 210, 225, 255}, {120, 135, 160, 255}, 2);
    for (int y = 6; y < 26; ++y) slider.Set(15, y, 60, 70, 90, 255), slider.Set(16, y, 235, 240, 245, 255);
    Image popup(128, 64);
    Plate(popup, 0, 0, 128, 64, {250, 240, 190, 240}, {230, 215, 160, 240}, 1);
    return panel.Save(folder / "panel.png") && button.Save(folder / "button.png") &&
           check.Save(folder / "check.png") && state.Save(folder / "state_button.png") &&
           popup.Save(folder / "popup.png") && slider.Save(folder / "slider.png");
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: generate_gui <programs folder> <font.ttf>\n");
        return 2;
    }
    const fs::path root = argv[1];
    const fs::path fonts = root / "Interface" / "Fonts";
    const fs::path textures = root / "Interface" / "Textures";
    std::error_code ec;
    fs::create_directories(fonts, ec);
    fs::create_directories(textures, ec);
    FT_Library lib = nullptr;
    if (FT_Init_FreeType(&lib)) {
        std::fprintf(stderr, "generate_gui: FreeType did not start\n");
        return 1;
    }
    const bool ok = MakeFont(lib, argv[2], 16, fonts, "normal") && MakeFont(lib, argv[2], 24, fonts, "title") &&
                    MakeFont(lib, argv[2], 12, fonts, "small");
    FT_Done_FreeType(lib);
    if (!ok || !MakeTextures(textures)) {
        std::fprintf(stderr, "generate_gui: writing the GUI art failed\n");
        return 1;
    }
    return 0;
}
