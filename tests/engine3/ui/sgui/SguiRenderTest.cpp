// The screen-GUI pass on a real device: a dialog of the demo's art with
// bitmap-font texts and buttons, drawn over a small 3D scene. The picture is
// saved as "test-output/sgui_dialog.png" in the build tree.
#include "GuiTestSupport.h"

#include "engine3/ui/sgui/CDX9KelSGUIControlButtonCheck.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlButtonState.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlImage.h"
#include "engine3/ui/sgui/CDX9KelSGUIText.h"
#include "platform/d3dx/d3dx9.h"

#include <cstdlib>
#include <stb/stb_image.h>

using namespace SguiTest;

namespace {

struct SceneVertex {
    float x, y, z;
    D3DCOLOR color;
};

// A sea plane, a hull and a sail under a perspective camera.
void DrawScene(IDirect3DDevice9* dev, int width, int height) {
    D3DXMATRIX world, view, projection;
    D3DXMatrixIdentity(&world);
    const D3DXVECTOR3 eye(0.0f, 6.0f, -20.0f), at(0.0f, 0.0f, 0.0f), up(0.0f, 1.0f, 0.0f);
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    D3DXMatrixPerspectiveFovLH(&projection, D3DX_PI / 4, float(width) / float(height), 0.5f, 500.0f);
    dev->SetTransform(D3DTS_WORLD, &world);
    dev->SetTransform(D3DTS_VIEW, &view);
    dev->SetTransform(D3DTS_PROJECTION, &projection);
    dev->SetTexture(0, nullptr);
    dev->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE);
    dev->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    const D3DCOLOR sea = 0xFF1E5A8Cu, far = 0xFF2E7AAAu, hull = 0xFF40302Au, sail = 0xFFE8E0D0u;
    const SceneVertex tris[] = {
        {-200, 0, -30, sea}, {-200, 0, 300, far}, {200, 0, -30, sea},
        {200, 0, -30, sea},  {-200, 0, 300, far}, {200, 0, 300, far},
        {-7, 0.1f, 4, hull}, {-5, 1.5f, 4, hull}, {7, 0.1f, 4, hull},
        {7, 0.1f, 4, hull},  {-5, 1.5f, 4, hull}, {8, 1.5f, 4, hull},
        {0, 1.5f, 4, sail},  {0, 9, 4, sail},     {5, 1.8f, 4, sail},
    };
    dev->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 5, tris, sizeof(SceneVertex));
    dev->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
}

int CountBright(const std::vector<DWORD>& px, int width, const RECT& r) {
    int n = 0;
    for (LONG y = r.top; y < r.bottom; ++y)
        for (LONG x = r.left; x < r.right; ++x) {
            const DWORD c = px[size_t(y) * width + x];
            if (((c >> 16) & 0xFF) > 200 && ((c >> 8) & 0xFF) > 200 && (c & 0xFF) > 200) ++n;
        }
    return n;
}

} // namespace

TEST(SguiRenderTest, ADialogWithBitmapFontTextAndButtonsIsDrawnOverTheScene) {
    const auto dir = VornaTest::FreshFolder();
    LogCapture log(dir);
    const int W = 640, H = 480;
    GuiWorld world(W, H);
    ASSERT_TRUE(world.Create());
    CDX9KelSGUIManager& gui = world.m_Gui;
    IDirect3DDevice9* dev = world.m_pDevice;

    const std::string fonts = std::string(VORNA_BIN_DIR) + "/Interface/Fonts/";
    const int normal = gui.LoadBitmapFontFromFile((fonts + "normal.xml").c_str(), fonts.c_str());
    const int title = gui.LoadBitmapFontFromFile((fonts + "title.xml").c_str(), fonts.c_str());
    ASSERT_EQ(normal, 0);
    ASSERT_EQ(title, 1);

    CDX9KelSGUIDialog* d = gui.InitDialog("DemoDialog", true, 170, 80, 470, 400);
    ASSERT_NE(d, nullptr);
    d->m_bBorders = true;
    d->UpdateWorkRect();
    const float white[4] = {1, 1, 1, 1}, caption[4] = {5, 10, 95, 90}, ink[4] = {1, 1, 0.85f, 1};
    ASSERT_NE(d->AddImage(dev, "Panel", true, GuiWorld::DemoTexture("panel.png").c_str(), nullptr, false, 170, 80,
                          470, 400, 1, 1, 1, 1),
              nullptr);
    CDX9KelSGUIText* heading = d->AddText(dev, "Title", true, title, SGUI_TEXT_FORMAT_W_CENTER, nullptr,
                                          "Fleet orders", 180, 104, 460, 134, 1, 1, 1, 1);
    ASSERT_NE(heading, nullptr);
    ASSERT_NE(d->AddText(dev, "Body", true, normal, SGUI_TEXT_FORMAT_W_WIDTH, nullptr,
                         "The columns steam north at dawn and keep formation until the enemy is sighted. "
                         "\xC2\xEF\xE5\xF0\xE5\xE4!",
                         185, 140, 455, 230, 0.9f, 0.95f, 1.0f, 1.0f),
              nullptr);

    SGUITextureDesc plate;
    plate.strFile = GuiWorld::DemoTexture("button.png");
    plate.rect[3] = 0.25f;
    auto* start = d->AddButton(dev, "StartButton", true, normal, SGUI_TEXT_FORMAT_W_CENTER + SGUI_TEXT_FORMAT_H_CENTER_ADD,
                               "Start", plate, 200, 250, 440, 282, white, caption, ink);
    SGUITextureDesc box;
    box.strFile = GuiWorld::DemoTexture("check.png");
    box.rect[3] = 0.25f;
    const float checkCaption[4] = {25, 10, 95, 90};
    auto* sound = d->AddCheckButton(dev, "SoundCheck", true, normal, SGUI_TEXT_FORMAT_W_LEFT + SGUI_TEXT_FORMAT_H_CENTER_ADD,
                                    "Sound", box, 200, 295, 440, 327, white, checkCaption, white);
    SGUITextureDesc states;
    states.strFile = GuiWorld::DemoTexture("state_button.png");
    states.rect[3] = 0.125f;
    auto* speed = d->AddStateButton(dev, "SpeedState", normal, SGUI_TEXT_FORMAT_W_CENTER + SGUI_TEXT_FORMAT_H_CENTER_ADD,
                                    "Full speed", states, 200, 340, 440, 372, white, caption, white);
    ASSERT_TRUE(start && sound && speed);
    std::vector<SGUIStateRect> rects4(4), rects5(5);
    for (int s = 0; s < 4; ++s) rects4[s] = {{0.0f, s * 0.25f, 1.0f, (s + 1) * 0.25f}};
    for (int s = 0; s < 5; ++s) rects5[s] = {{0.0f, s * 0.125f, 1.0f, (s + 1) * 0.125f}};
    ASSERT_TRUE(start->SetStates(&rects4, nullptr));
    ASSERT_TRUE(sound->SetStates(&rects4, nullptr));
    ASSERT_TRUE(speed->SetStates(&rects5, nullptr));

    // Check the box, set the state button, and leave the cursor on Start.
    world.Frame(300, 310, false);
    world.Frame(300, 310, true);
    world.Frame(300, 310, false, 500);
    world.Frame(300, 355, false);
    world.Frame(300, 355, true);  // the check's turn of the shared timer ends
    world.Frame(300, 355, true);
    world.Frame(300, 355, false, 500);
    world.Frame(300, 265, false);
    EXPECT_EQ(start->GetState(), 1u);
    EXPECT_TRUE(sound->IsChecked());
    EXPECT_EQ(speed->GetOwnState(), SGUI_STATE_CHECKED);

    // The engine's usual states for the screen: blending and alpha test on,
    // texture alpha times vertex alpha.
    dev->SetRenderState(D3DRS_LIGHTING, FALSE);
    dev->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    dev->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    dev->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    dev->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
    dev->SetRenderState(D3DRS_ALPHAREF, 2);
    dev->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
    dev->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    dev->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    ASSERT_EQ(dev->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF8CB4DCu, 1.0f, 0), D3D_OK);
    ASSERT_EQ(dev->BeginScene(), D3D_OK);
    DrawScene(dev, W, H);
    gui.Render(dev, 1.0f, 2, 4);
    dev->EndScene();

    std::vector<DWORD> px(size_t(W) * H);
    ASSERT_TRUE(Platform::ReadBackBuffer(dev, 0, 0, W, H, px.data()));
    const std::filesystem::path out = std::filesystem::path(VORNA_BIN_DIR).parent_path() / "test-output";
    std::filesystem::create_directories(out);
    IDirect3DSurface9* back = nullptr;
    ASSERT_EQ(dev->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
    EXPECT_EQ(D3DXSaveSurfaceToFileA((out / "sgui_dialog.png").c_str(), D3DXIFF_PNG, back, nullptr, nullptr), D3D_OK);
    SafeReleaseCom(back);

    auto at = [&](int x, int y) { return px[size_t(y) * W + x]; };
    auto blue = [](DWORD c) { return int(c & 0xFF) - int((c >> 16) & 0xFF); };
    // The scene around the dialog: the sea below the horizon, the sky above.
    EXPECT_GT(blue(at(40, 440)), 60);
    EXPECT_EQ(at(40, 20), 0xFF8CB4DCu);
    // The panel covers the scene; the title strip is darker than the panel.
    const DWORD panel = at(178, 236);
    EXPECT_LT((panel >> 16) & 0xFF, 90u);
    EXPECT_NE(panel, at(40, 440));
    EXPECT_LT(at(176, 85) & 0xFF, panel & 0xFF);
    // Glyphs: light pixels in the title and the body, none in empty panel.
    EXPECT_GT(CountBright(px, W, heading->GetRect()), 40);
    EXPECT_GT(CountBright(px, W, {185, 140, 455, 230}), 150);
    EXPECT_EQ(CountBright(px, W, {176, 234, 196, 246}), 0);
    // The hovered Start plate shows the hover row of its texture, lighter
    // than the state button's checked (green) plate.
    const DWORD hover = at(210, 256), checked = at(210, 346);
    EXPECT_GT((hover >> 16) & 0xFF, 100u);
    EXPECT_GT((checked >> 8) & 0xFF, (checked >> 16) & 0xFF);
    EXPECT_GT(CountBright(px, W, start->m_pText->GetRect()), 10);
}

namespace {

struct Page {
    int w = 0, h = 0;
    std::vector<unsigned char> rgba;
    int Alpha(int x, int y) const { return rgba[(size_t(y) * w + x) * 4 + 3]; }
};

bool LoadPage(const std::string& file, Page& page) {
    int n = 0;
    unsigned char* data = stbi_load(file.c_str(), &page.w, &page.h, &n, 4);
    if (!data) return false;
    page.rgba.assign(data, data + size_t(page.w) * page.h * 4);
    stbi_image_free(data);
    return true;
}

} // namespace

// Glyphs that lost a column or a row on screen (the bar of a T at the start
// of a line, the hook of an f, the faint stroke of a $ under the 3D scene's
// alpha test) come out whole: every pixel of each glyph's cell shows the
// font page's coverage of that texel, white over black. The hyphen of the
// small font is two rows thick.
TEST(SguiRenderTest, DemoFontGlyphsAreDrawnTexelForTexel) {
    const auto dir = VornaTest::FreshFolder();
    LogCapture log(dir);
    const int W = 320, H = 140;
    GuiWorld world(W, H);
    ASSERT_TRUE(world.Create());
    CDX9KelSGUIManager& gui = world.m_Gui;
    IDirect3DDevice9* dev = world.m_pDevice;
    const std::string fonts = std::string(VORNA_BIN_DIR) + "/Interface/Fonts/";
    CDX9KelSGUIDialog* d = gui.InitDialog("Glyphs", true, 0, 0, W, H);
    ASSERT_NE(d, nullptr);

    struct Case {
        const char* font;
        const char* page;
        const char* text;
        LONG top;
    };
    const Case cases[] = {{"normal.xml", "normal_0.png", "Tf$-Info", 10},
                          {"title.xml", "title_0.png", "Tf$-Fleet", 46},
                          {"small.xml", "small_0.png", "Tf$-Ram1", 90}};
    std::vector<std::pair<const Case*, CDX9KelSGUIText*>> texts;
    for (const Case& c : cases) {
        const int font = gui.LoadBitmapFontFromFile((fonts + c.font).c_str(), fonts.c_str());
        ASSERT_GE(font, 0) << c.font;
        CDX9KelSGUIText* t = d->AddText(dev, c.font, true, font, SGUI_TEXT_FORMAT_NO, nullptr, c.text, 20, c.top,
                                        300, c.top + 40, 1, 1, 1, 1);
        ASSERT_NE(t, nullptr) << c.font;
        texts.push_back({&c, t});
    }
    world.Frame(W - 1, H - 1, false);

    dev->SetRenderState(D3DRS_LIGHTING, FALSE);
    dev->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    dev->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    dev->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    dev->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    dev->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    // The alpha test as the 3D scene's main pass leaves it: the screen's
    // soft glyph pixels are drawn all the same, and the reference is kept.
    dev->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
    dev->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
    dev->SetRenderState(D3DRS_ALPHAREF, 159);
    ASSERT_EQ(dev->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0), D3D_OK);
    ASSERT_EQ(dev->BeginScene(), D3D_OK);
    gui.Render(dev, 1.0f, 2, 4);
    dev->EndScene();
    std::vector<DWORD> px(size_t(W) * H);
    ASSERT_TRUE(Platform::ReadBackBuffer(dev, 0, 0, W, H, px.data()));
    DWORD alphaRef = 0;
    dev->GetRenderState(D3DRS_ALPHAREF, &alphaRef);
    EXPECT_EQ(alphaRef, 159u);

    for (const auto& [c, text] : texts) {
        Page page;
        ASSERT_TRUE(LoadPage(fonts + c->page, page)) << c->page;
        const CDX9KelSGUIBitmapFont* font = gui.GetFont(text->m_iFont);
        ASSERT_NE(font, nullptr);
        long pen = 20;
        for (const char* p = c->text; *p; ++p) {
            const SGUIGlyph g = font->GetGlyph(static_cast<unsigned char>(*p));
            ASSERT_GE(g.id, 0) << *p;
            pen += g.xoffset;
            int wrong = 0, inked = 0;
            for (int row = 0; row < g.height; ++row)
                for (int col = 0; col < g.width; ++col) {
                    const long x = pen + col, y = c->top + g.yoffset + row;
                    ASSERT_TRUE(x >= 0 && x < W && y >= 0 && y < H);
                    const int shown = int((px[size_t(y) * W + x] >> 8) & 0xFF);
                    const int coverage = page.Alpha(g.x + col, g.y + row);
                    if (std::abs(shown - coverage) > 3) ++wrong;
                    if (coverage > 128) ++inked;
                }
            if (wrong > 0) {  // what was drawn beside what the page holds
                for (int row = -1; row <= g.height; ++row) {
                    std::string a, b;
                    for (int col = -1; col <= g.width; ++col) {
                        const long x = pen + col, y = c->top + g.yoffset + row;
                        const int shown = int((px[size_t(y) * W + x] >> 8) & 0xFF);
                        a += shown > 128 ? '#' : shown > 30 ? '+' : '.';
                        const bool in = row >= 0 && row < g.height && col >= 0 && col < g.width;
                        const int cov = in ? page.Alpha(g.x + col, g.y + row) : 0;
                        b += cov > 128 ? '#' : cov > 30 ? '+' : '.';
                    }
                    std::printf("%s   %s\n", a.c_str(), b.c_str());
                }
            }
            EXPECT_EQ(wrong, 0) << c->font << " '" << *p << "'";
            EXPECT_GT(inked, 0) << c->font << " '" << *p << "'";
            if (*p == '-') {
                EXPECT_GE(g.height, 2) << c->font;
            }
            pen += g.width;
        }
    }
}
