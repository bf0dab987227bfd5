#pragma once
// A window, an offscreen device and a campaign GUI manager on a manual clock,
// with a test font whose glyph metrics the tests know and plain textures.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "TestFolder.h"
#include "common/OffscreenDevice.h"
#include "engine2/core/CDX9KelLog.h"
#include "engine2/core/render/CDX9KelRenderSystem.h"
#include "engine2/core/resources/CDX9KelGraphicsResManager.h"
#include "engine2/ui/gui/CDX9KelGUIManager.h"
#include "platform/os/Clock.h"
#include "platform/os/Paths.h"
#include "platform/window/DirectInputCodes.h"

namespace GuiTest {

using namespace Vorna2;

// The test font lists all 256 codes; 32-126 have glyphs with xoffset 1,
// yoffset 2, height 10 and a width of 5 + code % 4, the others are empty
// records. Lines are 12 pixels apart; a blank is as wide as 'a' (6).
constexpr int kLineHeight = 12;
inline int GlyphWidth(unsigned char c) { return c >= 32 && c <= 126 ? 5 + c % 4 : 0; }
inline int GlyphSpan(unsigned char c) { return c >= 32 && c <= 126 ? 1 + GlyphWidth(c) : 0; }
inline int SpaceWidth() { return GlyphWidth('a'); }
inline int WordWidth(const std::string& w) {
    int s = 0;
    for (char c : w) s += GlyphSpan(static_cast<unsigned char>(c));
    return s;
}

// A 24-bit BMP of one colour.
inline void WriteBmp(const std::filesystem::path& path, int w, int h, unsigned char r, unsigned char g,
                     unsigned char b) {
    const int row = (w * 3 + 3) & ~3;
    const int size = 54 + row * h;
    std::vector<unsigned char> f(static_cast<std::size_t>(size), 0);
    auto u32 = [&](int at, unsigned v) {
        for (int i = 0; i < 4; ++i) f[static_cast<std::size_t>(at + i)] = static_cast<unsigned char>(v >> (8 * i));
    };
    f[0] = 'B', f[1] = 'M';
    u32(2, static_cast<unsigned>(size)), u32(10, 54), u32(14, 40), u32(18, static_cast<unsigned>(w)),
        u32(22, static_cast<unsigned>(h));
    f[26] = 1, f[28] = 24;
    u32(34, static_cast<unsigned>(row * h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            unsigned char* p = &f[static_cast<std::size_t>(54 + y * row + x * 3)];
            p[0] = b, p[1] = g, p[2] = r;
        }
    VornaTest::WriteText(path, std::string(f.begin(), f.end()));
}

inline std::string TestFontXml(const std::string& pageFile) {
    std::string xml = "<font><info face=\"Test\" charset=\"ANSI\" size=\"12\"/>"
                      "<common lineHeight=\"12\" base=\"10\" scaleW=\"128\" scaleH=\"128\"/>"
                      "<pages><page id=\"0\" file=\"" + pageFile + "\"/></pages><chars count=\"256\">";
    for (int c = 0; c < 256; ++c) {
        char line[200];
        const int w = GlyphWidth(static_cast<unsigned char>(c));
        if (w == 0)
            std::snprintf(line, sizeof line, "<char id=\"%d\"/>", c);
        else
            std::snprintf(line, sizeof line,
                          "<char id=\"%d\" x=\"%d\" y=\"%d\" width=\"%d\" height=\"10\" xoffset=\"1\" yoffset=\"2\" "
                          "xadvance=\"%d\"/>",
                          c, (c % 12) * 10, (c / 12) * 12 % 120, w, w + 2);
        xml += line;
    }
    return xml + "</chars></font>";
}

// A path as the manager takes it: relative to the program's folder.
inline std::string FromExe(const std::filesystem::path& p) {
    return std::filesystem::relative(p, Platform::ProgramFolder()).string();
}

class GuiWorld {
public:
    explicit GuiWorld(int width = 320, int height = 240) : m_iWidth(width), m_iHeight(height) {}
    ~GuiWorld() {
        m_Gui.Release();
        Platform::SetClock(nullptr);
    }

    // Window, device, manager, test font (id 0) and a white, a red and a
    // blue texture in `folder`; false when no GL context can be had.
    bool Create(const std::filesystem::path& folder) {
        Platform::SetClock(&m_Clock);
        if (!m_Device.Create(m_iWidth, m_iHeight)) return false;
        // Textures through the device; effects through the render system
        // and its resource manager.
        m_RenderSystem.m_pResManager = &m_Resources;
        if (!m_Gui.Init(m_Device.m_hWnd, m_Device.m_pDevice, nullptr, &m_RenderSystem)) return false;
        m_Gui.m_pKeyboard = m_Keys;
        m_Gui.SetCursorOverride({-100, -100});
        WriteBmp(folder / "font_0.bmp", 128, 128, 255, 255, 255);
        VornaTest::WriteText(folder / "font.xml", TestFontXml("font_0.bmp"));
        WriteBmp(folder / "white.bmp", 8, 8, 255, 255, 255);
        WriteBmp(folder / "red.bmp", 8, 8, 255, 0, 0);
        WriteBmp(folder / "blue.bmp", 8, 8, 0, 0, 255);
        m_White = FromExe(folder / "white.bmp");
        m_Red = FromExe(folder / "red.bmp");
        m_Blue = FromExe(folder / "blue.bmp");
        return m_Gui.LoadBitmapFontFromFile(FromExe(folder / "font.xml").c_str()) == 0;
    }

    // One frame: cursor, left button, wheel and the characters typed since
    // the last frame, then the update and the looks (every control's Render
    // on the draw list); the clock then moves on by `ms`.
    void Frame(LONG x, LONG y, bool down, DWORD ms = 20, float wheel = 0.0f, const std::string& typed = {}) {
        m_Gui.SetCursorOverride({x, y});
        m_Gui.m_bLeftButton = down;
        m_Gui.m_fWheel = wheel;
        m_Gui.m_cTypedChar = typed.empty() ? 0 : typed.back();
        m_Gui.m_strTyped = typed;
        m_Gui.Update();
        m_Gui.RenderDrawList();
        m_Clock.Advance(ms);
    }
    void Key(int dik, bool down) { m_Keys[dik] = down ? 0x80 : 0; }

    GUIImageSettings Image(const std::string& file) {
        GUIImageSettings s;
        D3DXIMAGE_INFO info{};
        s.texture = m_Gui.LoadTexture(file, 0, &info);
        s.popUpWidth = static_cast<int>(info.Width);
        s.popUpHeight = static_cast<int>(info.Height);
        return s;
    }
    GUIScrollBarSettings Bar() {
        GUIScrollBarSettings b;
        b.thumb = Image(m_Red);
        b.track = Image(m_White);
        b.arrow1 = b.arrow2 = Image(m_Blue);
        return b;
    }

    int m_iWidth, m_iHeight;
    Platform::ManualClock m_Clock;
    VornaTest::OffscreenDevice m_Device;
    CDX9KelGraphicsResManager m_Resources;
    CDX9KelRenderSystem m_RenderSystem;
    CDX9KelGUIManager m_Gui;
    BYTE m_Keys[256] = {};
    std::string m_White, m_Red, m_Blue;
};

// Captures the campaign log into a fresh file for one test.
class LogCapture {
public:
    explicit LogCapture(const std::filesystem::path& folder) : m_path(folder / "log.log") {
        g_Log.Reset();
        g_Log.Open(m_path.string());
    }
    ~LogCapture() { g_Log.Reset(); }
    std::string Text() const { return VornaTest::ReadText(m_path); }

private:
    std::filesystem::path m_path;
};

// A fixture with a world and one dialog covering (0, 0, 300, 200).
class GuiFixture : public ::testing::Test {
protected:
    void SetUp() override {
        m_Folder = VornaTest::FreshFolder();
        if (!m_World.Create(m_Folder)) GTEST_SKIP() << "no GL context";
        m_iDialog = m_World.m_Gui.AddDialog(0, 0, 300, 200, nullptr, false);
        ASSERT_EQ(m_iDialog, 0);
        m_pDialog = m_World.m_Gui.GetDialog(m_iDialog);
    }
    CDX9KelGUIManager& Gui() { return m_World.m_Gui; }

    std::filesystem::path m_Folder;
    GuiWorld m_World;
    int m_iDialog = -1;
    CDX9KelGUIDialog* m_pDialog = nullptr;
};

} // namespace GuiTest
