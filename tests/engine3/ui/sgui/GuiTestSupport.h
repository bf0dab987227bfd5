#pragma once
// A window, a device on the offscreen GL driver, the graphic resources and a
// screen GUI manager on a manual clock, with helpers that drive frames of
// input and a small font whose glyph metrics the tests know.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "TestFolder.h"
#include "common/OffscreenDevice.h"
#include "engine3/core/CDX9KelLog.h"
#include "engine3/core/CDX9KelUtils.h"
#include "engine3/core/resources/CDX9KelGraphicsResManager.h"
#include "engine3/ui/sgui/CDX9KelSGUIManager.h"
#include "platform/os/Clock.h"

namespace SguiTest {

using namespace Vorna3D;

// The test font: glyphs for the codes 32-126 (and none for 127-255), each
// with xoffset 1, yoffset 2, height 10 and a width of 5 + code % 4; lines
// are 12 pixels apart.
constexpr int kLineHeight = 12;
inline int GlyphWidth(unsigned char c) { return 5 + c % 4; }
inline int GlyphSpan(unsigned char c) { return 1 + GlyphWidth(c); }
// A blank is as wide as the glyph of 'a'.
inline int BlankWidth() { return GlyphWidth('a'); }

// A 24-bit BMP of one colour.
inline void WriteBmp(const std::filesystem::path& path, int w, int h, unsigned char r, unsigned char g,
                     unsigned char b) {
    const int row = (w * 3 + 3) & ~3;
    const int size = 54 + row * h;
    std::vector<unsigned char> f(size, 0);
    auto u32 = [&](int at, unsigned v) {
        for (int i = 0; i < 4; ++i) f[at + i] = static_cast<unsigned char>(v >> (8 * i));
    };
    f[0] = 'B', f[1] = 'M';
    u32(2, size), u32(10, 54), u32(14, 40), u32(18, w), u32(22, h);
    f[26] = 1, f[28] = 24;
    u32(34, row * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            unsigned char* p = &f[54 + y * row + x * 3];
            p[0] = b, p[1] = g, p[2] = r;
        }
    VornaTest::WriteText(path, std::string(f.begin(), f.end()));
}

inline std::string TestFontXml(const std::string& pageFile) {
    std::string xml = "<font><info face=\"Test\" charset=\"RUSSIAN\" size=\"12\"/>"
                      "<common lineHeight=\"12\" base=\"10\" scaleW=\"128\" scaleH=\"128\"/>"
                      "<pages><page id=\"0\" file=\"" + pageFile + "\"/></pages><chars count=\"95\">";
    for (int c = 32; c <= 126; ++c) {
        char line[200];
        std::snprintf(line, sizeof line,
                      "<char id=\"%d\" x=\"%d\" y=\"%d\" width=\"%d\" height=\"10\" xoffset=\"1\" yoffset=\"2\" "
                      "xadvance=\"%d\"/>",
                      c, (c % 12) * 10, (c / 12) * 12, GlyphWidth(static_cast<unsigned char>(c)),
                      GlyphWidth(static_cast<unsigned char>(c)) + 2);
        xml += line;
    }
    return xml + "</chars></font>";
}

class GuiWorld {
public:
    explicit GuiWorld(int width = 320, int height = 240) : m_iWidth(width), m_iHeight(height) {}

    // Window, device, resources and manager; false when no GL context can be had.
    bool Create() {
        Platform::SetClock(&m_Clock);
        if (!m_Device.Create(m_iWidth, m_iHeight)) return false;
        m_pD3D = m_Device.m_pD3D;
        m_pDevice = m_Device.m_pDevice;
        m_hWnd = m_Device.m_hWnd;
        m_pp = m_Device.m_pp;
        if (!m_Res.Init(m_pDevice)) return false;
        if (!m_Gui.Init(m_hWnd)) return false;
        m_Gui.SetGraphicsResManager(&m_Res);
        m_Gui.m_pKeyboardState = m_Keys;
        return true;
    }

    ~GuiWorld() {
        m_Gui.Release();
        m_Res.Release();
        Platform::SetClock(nullptr);
    }

    // One frame of input: the cursor, the left button, then the update; the
    // clock then moves on by `ms`.
    void Frame(LONG x, LONG y, bool down, DWORD ms = 16) {
        m_Gui.m_Cursor = {x, y};
        m_Gui.m_bMouseButtons[0] = down;
        m_Gui.Update(1.0f);
        m_Clock.Advance(ms);
    }
    void Key(int dik, bool down) { m_Keys[dik] = down ? 0x80 : 0; }

    // A path as the dialogs take it: relative to the program's folder.
    static std::string FromExe(const std::filesystem::path& p) {
        const std::filesystem::path exe = g_Utils.GetExeFolderPathString("");
        return std::filesystem::relative(p, exe).string();
    }
    static std::string DemoTexture(const char* name) {
        return FromExe(std::filesystem::path(VORNA_BIN_DIR) / "Interface" / "Textures" / name);
    }
    // Writes the test font into `folder` and loads it; its index.
    int LoadTestFont(const std::filesystem::path& folder) {
        WriteBmp(folder / "test_0.bmp", 128, 128, 255, 255, 255);
        VornaTest::WriteText(folder / "test.xml", TestFontXml("test_0.bmp"));
        return m_Gui.LoadBitmapFontFromFile((folder / "test.xml").c_str(), (folder.string() + "/").c_str());
    }

    int m_iWidth, m_iHeight;
    Platform::ManualClock m_Clock;
    // Made first and released last: everything below lives on its device.
    VornaTest::OffscreenDevice m_Device;
    IDirect3D9* m_pD3D = nullptr;
    IDirect3DDevice9* m_pDevice = nullptr;
    HWND m_hWnd = nullptr;
    D3DPRESENT_PARAMETERS m_pp{};
    CDX9KelGraphicsResManager m_Res;
    CDX9KelSGUIManager m_Gui;
    BYTE m_Keys[256] = {};
};

// Captures the log into a fresh file for one test.
class LogCapture {
public:
    explicit LogCapture(const std::filesystem::path& folder) : m_path(folder / "log.log") {
        g_Log.Reset();
        g_Log.Open(m_path.c_str());
    }
    ~LogCapture() { g_Log.Reset(); }
    std::string Text() const { return VornaTest::ReadText(m_path); }

private:
    std::filesystem::path m_path;
};

// The vertices of a control's buffer.
inline std::vector<SGUIVertex> Vertices(CDX9KelSGUIBaseControl* c) {
    std::vector<SGUIVertex> out;
    void* data = nullptr;
    if (!c || !c->m_pVB || FAILED(c->m_pVB->Lock(0, 0, &data, 0)) || !data) return out;
    const SGUIVertex* v = static_cast<const SGUIVertex*>(data);
    out.assign(v, v + c->m_dwVertexCount);
    c->m_pVB->Unlock();
    return out;
}

} // namespace SguiTest
