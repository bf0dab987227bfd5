// The control base (through the image), the dialog list of the manager and
// the factory's refusals.
#include "GuiTestSupport.h"
#include "engine2/ui/gui/CDX9KelGUIButton.h"
#include "engine2/ui/gui/CDX9KelGUIImage.h"
#include "engine2/ui/gui/CDX9KelGUIText.h"
#include "engine2/core/resources/CDX9KelGraphicsResManager.h"

namespace GuiTest {
namespace {

std::vector<GUIVertex> Quad(CDX9KelGUIControl* c) {
    std::vector<GUIVertex> out;
    void* data = nullptr;
    if (!c->m_pVB || FAILED(c->m_pVB->Lock(0, 0, &data, 0)) || !data) return out;
    const auto* v = static_cast<const GUIVertex*>(data);
    out.assign(v, v + 4);
    c->m_pVB->Unlock();
    return out;
}

class ControlBase : public GuiFixture {
protected:
    CDX9KelGUIImage* AddImage(int l, int t, int r, int b, bool highlight = false) {
        CDX9KelGUIImage* image = nullptr;
        EXPECT_EQ(m_pDialog->AddImage(l, t, r, b, m_World.Image(m_World.m_White), 0xFF808080u, highlight, true, &image),
                  S_OK);
        return image;
    }
};

TEST_F(ControlBase, HitTestTakesLeftAndTopEdgesAndLeavesRightAndBottom) {
    CDX9KelGUIImage* image = AddImage(10, 10, 50, 40);
    struct Case {
        LONG x, y;
        int hit;
    } cases[] = {{10, 10, 1}, {49, 39, 1}, {50, 20, 0}, {20, 40, 0}, {9, 20, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        EXPECT_EQ(image->CDX9KelGUIControl::UpdateMouse({c.x, c.y}), c.hit);
        EXPECT_EQ(image->m_bMouseOver, c.hit == 1);
    }
    image->m_bVisible = false;
    EXPECT_EQ(image->CDX9KelGUIControl::UpdateMouse({20, 20}), -1);
    image->m_bVisible = true;
    m_pDialog->m_bProc = false;
    EXPECT_EQ(image->CDX9KelGUIControl::UpdateMouse({20, 20}), -1);
}

TEST_F(ControlBase, GeometryRefusalsAndTheWorldOffsetOfMoveBy) {
    CDX9KelGUIImage* image = AddImage(10, 10, 50, 40);
    const auto before = Quad(image);
    ASSERT_EQ(before.size(), 4u);
    EXPECT_EQ(before[0].x, 10.0f);
    EXPECT_EQ(before[0].y, 40.0f);
    EXPECT_EQ(before[3].x, 50.0f);
    EXPECT_EQ(before[3].y, 10.0f);
    EXPECT_EQ(before[0].z, kGUIVertexZ);
    EXPECT_EQ(before[0].v, 1.0f);
    EXPECT_FALSE(image->SetRect(10, 10, 10, 40));
    EXPECT_FALSE(image->SetRect(10, 10, 50, 10));
    EXPECT_FALSE(image->Resize(0, 5));
    EXPECT_FALSE(image->MoveBy(0, 0));
    EXPECT_TRUE(image->MoveTo(10, 10));
    const float plainX = image->m_matWorld._41;
    // The screen mapping of a 320 x 240 client area.
    EXPECT_EQ(plainX, -160.5f);
    EXPECT_EQ(image->m_matWorld._42, -120.5f);
    EXPECT_TRUE(image->MoveBy(5, 7));
    EXPECT_EQ(image->m_Rect.left, 15);
    EXPECT_EQ(Quad(image)[0].x, 10.0f);
    EXPECT_EQ(image->m_matWorld._41, plainX + 5.0f);
    EXPECT_TRUE(image->SetRect(20, 20, 60, 50));
    EXPECT_EQ(Quad(image)[0].x, 20.0f);
    EXPECT_EQ(image->m_matWorld._41, plainX);
    // An odd client width keeps the half pixel.
    Gui().m_iClientWidth = 801;
    image->SetScreenWorld();
    EXPECT_EQ(image->m_matWorld._41, -400.5f);
}

TEST_F(ControlBase, ColourGoesIntoAllFourVertices) {
    CDX9KelGUIImage* image = AddImage(0, 0, 10, 10);
    EXPECT_TRUE(image->SetColor(0x80112233u));
    for (const GUIVertex& v : Quad(image)) EXPECT_EQ(v.colour, 0x80112233u);
}

TEST_F(ControlBase, ColourArithmetic) {
    EXPECT_EQ(GUIColourScale(0xFFFFFFFFu, 0.8f), 0xCCCCCCCCu);
    EXPECT_EQ(GUIColourScale(0x80808080u, 0.7f), 0x5A5A5A5Au);
    EXPECT_EQ(GUIColourAdjustContrast(0xFFFFFFFFu, 0.7f), 0xFFD9D9D9u);
    EXPECT_EQ(GUIColourAdjustContrast(0x80000000u, 0.5f), 0x80404040u);
}

TEST_F(ControlBase, HighlightImageDarkensAndPopsUpUntilTheNextClick) {
    CDX9KelGUIImage* plain = AddImage(10, 10, 50, 50);
    CDX9KelGUIImage* zoom = AddImage(60, 10, 100, 50, true);
    m_World.Frame(20, 20, true);
    m_World.Frame(20, 20, false, 400);
    EXPECT_EQ(plain->m_dwColor, 0xFF808080u);
    EXPECT_FALSE(plain->m_bPoppedUp);
    m_World.Frame(70, 20, false);
    EXPECT_EQ(zoom->m_dwColor, GUIColourScale(0xFF808080u, 0.8f));
    m_World.Frame(70, 20, true);
    ASSERT_TRUE(zoom->m_bPoppedUp);
    // The test texture is smaller than the window: it is centred.
    EXPECT_EQ(zoom->m_Rect.left, (320 - 8) / 2);
    EXPECT_EQ(m_pDialog->m_Controls.back().get(), zoom);
    EXPECT_TRUE(m_pDialog->m_bPopUpOpen);
    EXPECT_EQ(Gui().m_iInputLockDialog, m_iDialog);
    // Held on: the opening click does not close it; no other control is
    // hovered meanwhile.
    m_World.Frame(20, 20, true, 100);
    EXPECT_TRUE(zoom->m_bPoppedUp);
    EXPECT_FALSE(plain->m_bMouseOver);
    m_World.Frame(20, 20, false, 400);
    // The next click anywhere, outside the dialog too, closes it (the
    // dialog's click window opens again on the click's second frame).
    m_World.Frame(310, 230, true);
    m_World.Frame(310, 230, true);
    EXPECT_FALSE(zoom->m_bPoppedUp);
    EXPECT_EQ(zoom->m_Rect.left, 60);
    EXPECT_EQ(Gui().m_iInputLockDialog, -1);
}

class DialogList : public GuiFixture {};

TEST_F(DialogList, TopmostDialogTakesTheMouseAndAClickRaisesTheLowerOne) {
    const int upper = Gui().AddDialog(100, 50, 250, 150, nullptr, false);
    ASSERT_EQ(upper, 1);
    CDX9KelGUIButton* lowerButton = nullptr;
    ASSERT_EQ(m_pDialog->AddButton(110, 60, 140, 80, -1, "", 0, m_World.Image(m_World.m_White), nullptr, &lowerButton),
              S_OK);
    m_World.Frame(120, 70, false);
    EXPECT_TRUE(Gui().GetDialog(upper)->m_bMouseIn);
    EXPECT_FALSE(m_pDialog->m_bMouseIn);
    EXPECT_EQ(Gui().m_iHoverDialog, upper);
    EXPECT_EQ(lowerButton->m_iState, ButtonNormal);
    // The draw list holds the lower dialog's controls first.
    ASSERT_FALSE(Gui().m_DrawList.empty());
    EXPECT_EQ(Gui().m_DrawList.front()->m_pDialog, m_pDialog);
    // A click on the lower dialog outside the upper one raises it.
    m_World.Frame(20, 20, true);
    EXPECT_EQ(Gui().m_Dialogs.back().get(), m_pDialog);
    m_World.Frame(20, 20, false);
    m_World.Frame(120, 70, false);
    EXPECT_TRUE(m_pDialog->m_bMouseIn);
    EXPECT_EQ(lowerButton->m_iState, ButtonHover);
}

TEST_F(DialogList, AutoInvisibleDialogHidesWhenItLosesTheTopAndIgnoresEarlyRequests) {
    const int popUp = Gui().AddDialog(100, 50, 200, 100, nullptr, false);
    Gui().SetDialogAutoInvisible(popUp, true);
    const int other = Gui().AddDialog(0, 150, 50, 200, nullptr, false);
    EXPECT_TRUE(Gui().SetActiveDialog(popUp));
    EXPECT_TRUE(Gui().m_bPopUpActive);
    // Within 300 ms every request is ignored.
    EXPECT_TRUE(Gui().SetActiveDialog(other));
    m_World.m_Clock.Advance(100);
    EXPECT_TRUE(Gui().SetActiveDialog(other));
    EXPECT_EQ(Gui().m_Dialogs.back()->m_iID, popUp);
    m_World.m_Clock.Advance(250);
    EXPECT_TRUE(Gui().SetActiveDialog(other));
    EXPECT_EQ(Gui().m_Dialogs.back()->m_iID, other);
    m_World.Frame(-5, -5, false);
    EXPECT_FALSE(Gui().GetDialog(popUp)->m_bVisible);
}

TEST_F(DialogList, DraggingLocksTheInputAndFollowsTheCursorOutsideTheDialog) {
    const int drag = Gui().AddDialog(100, 100, 200, 180, nullptr, true);
    CDX9KelGUIDialog* d = Gui().GetDialog(drag);
    EXPECT_EQ(d->m_Inner.top, 120);
    EXPECT_EQ(d->m_Inner.left, 105);
    CDX9KelGUIImage* image = nullptr;
    ASSERT_EQ(d->AddImage(110, 130, 150, 170, m_World.Image(m_World.m_White), 0xFFFFFFFFu, false, true, &image), S_OK);
    m_World.Frame(150, 110, true);
    EXPECT_TRUE(d->m_bDragging);
    EXPECT_EQ(Gui().m_iInputLockDialog, drag);
    m_World.Frame(140, 90, true);
    m_World.Frame(40, 50, true);
    EXPECT_EQ(d->m_Rect.left, 100 - 10 - 100);
    EXPECT_EQ(d->m_Rect.top, 100 - 20 - 40);
    EXPECT_EQ(image->m_Rect.left, 0);
    // Another dialog under the cursor gets nothing while the lock holds.
    EXPECT_FALSE(m_pDialog->m_bMouseIn);
    m_World.Frame(40, 50, false);
    EXPECT_FALSE(d->m_bDragging);
    EXPECT_EQ(Gui().m_iInputLockDialog, -1);
    // A press inside the work area does not drag.
    m_World.Frame(20, 60, true);
    m_World.Frame(30, 70, true);
    EXPECT_EQ(d->m_Rect.left, -10);
}

TEST_F(DialogList, IdsAreNeverReused) {
    CDX9KelGUIImage* a = nullptr;
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(m_pDialog->AddImage(0, 0, 10, 10, m_World.Image(m_World.m_White), 0, false, true, &a), S_OK);
    EXPECT_TRUE(m_pDialog->DeleteControl(0));
    EXPECT_TRUE(m_pDialog->DeleteControl(1));
    EXPECT_FALSE(m_pDialog->DeleteControl(1));
    ASSERT_EQ(m_pDialog->AddImage(0, 0, 10, 10, m_World.Image(m_World.m_White), 0, false, true, &a), S_OK);
    EXPECT_EQ(a->m_iID, 1 + 2);
    ASSERT_EQ(m_pDialog->AddImage(0, 0, 10, 10, m_World.Image(m_World.m_White), 0, false, true, &a), S_OK);
    EXPECT_EQ(a->m_iID, 2 + 2);
    // Dialogs likewise, and the lookup still finds them after deletions.
    const int d1 = Gui().AddDialog(0, 0, 10, 10, nullptr, false);
    const int d2 = Gui().AddDialog(0, 0, 10, 10, nullptr, false);
    EXPECT_TRUE(Gui().DeleteDialog(d1));
    const int d3 = Gui().AddDialog(0, 0, 10, 10, nullptr, false);
    EXPECT_EQ(d3, 3);
    EXPECT_EQ(Gui().GetDialogIndex(d2), 1);
    EXPECT_EQ(Gui().GetDialogIndex(d3), 2);
    EXPECT_EQ(Gui().GetDialogIndex(d1), -1);
    EXPECT_EQ(Gui().AddDialog(0, 0, 0, 10, nullptr, false), -1);
}

TEST_F(DialogList, ClickWindowAndNextControlWalk) {
    EXPECT_TRUE(m_pDialog->IsClickReady(300));
    m_World.m_Clock.Advance(300);
    EXPECT_FALSE(m_pDialog->IsClickReady(300));
    m_World.m_Clock.Advance(1);
    EXPECT_FALSE(m_pDialog->IsClickReady(300));
    EXPECT_TRUE(m_pDialog->IsClickReady(300));
    // A button's parts are skipped by the walk.
    ASSERT_EQ(m_pDialog->AddText(0, 0, 100, 20, 0, AlignNo, nullptr, nullptr, 0, "x", true), S_OK);
    ASSERT_EQ(m_pDialog->AddButton(0, 30, 100, 50, 0, "ok", 0, m_World.Image(m_World.m_White), nullptr), S_OK);
    ASSERT_EQ(m_pDialog->m_Controls.size(), 4u);
    EXPECT_EQ(m_pDialog->GetNextControl(-1), 0);
    EXPECT_EQ(m_pDialog->GetNextControl(0), 3);
    EXPECT_EQ(m_pDialog->GetNextControl(3), -1);
    EXPECT_EQ(m_pDialog->GetNextControl(-2), -1);
    EXPECT_EQ(m_pDialog->GetLastControl(), 3);
    EXPECT_TRUE(m_pDialog->ContainsRect(0, 0, 300, 200));
    EXPECT_FALSE(m_pDialog->ContainsRect(0, 0, 301, 200));
}

TEST_F(DialogList, HidingADialogResetsItsButtonsOnce) {
    CDX9KelGUIButton* b = nullptr;
    ASSERT_EQ(m_pDialog->AddButton(10, 10, 60, 40, -1, "", 0, m_World.Image(m_World.m_White), nullptr, &b), S_OK);
    m_World.Frame(20, 20, false);
    ASSERT_EQ(b->m_iState, ButtonHover);
    EXPECT_TRUE(Gui().SetDialogVisible(m_iDialog, false));
    EXPECT_EQ(m_pDialog->m_iResetPending, 0);
    m_World.Frame(20, 20, false);
    EXPECT_EQ(b->m_iState, ButtonNormal);
    EXPECT_EQ(m_pDialog->m_iResetPending, -1);
    EXPECT_FALSE(Gui().SetDialogVisible(99, false));
}

TEST_F(DialogList, FactoryRefusalsAndMessages) {
    LogCapture log(m_Folder);
    // An unknown dialog: E_FAIL and no message.
    EXPECT_EQ(Gui().AddImage(42, m_World.m_White.c_str(), "", "", 0xFFFFFFFFu, false, 0, 0, 10, 10), E_FAIL);
    EXPECT_EQ(log.Text().find("AddImage"), std::string::npos);
    // A rectangle reaching exactly to the right and bottom edges is taken;
    // one pixel beyond is not.
    EXPECT_EQ(Gui().AddImage(m_iDialog, m_World.m_White.c_str(), "", "", 0xFFFFFFFFu, false, 250, 150, 300, 200),
              S_OK);
    EXPECT_EQ(Gui().AddImage(m_iDialog, m_World.m_White.c_str(), "", "", 0xFFFFFFFFu, false, 250, 150, 301, 200),
              E_FAIL);
    EXPECT_EQ(Gui().AddText(m_iDialog, 0, AlignNo, "", 0xFFFFFFFFu, "x", 250, 150, 300, 200), S_OK);
    EXPECT_EQ(Gui().AddText(m_iDialog, 0, AlignNo, "", 0xFFFFFFFFu, "x", 250, 150, 300, 201), E_FAIL);
    EXPECT_EQ(Gui().AddButton(m_iDialog, "", nullptr, 0, "x", 0, "missing.bmp", "", 0, 0, 10, 10), E_FAIL);
    // A missing additional texture is no failure.
    EXPECT_EQ(Gui().AddButton(m_iDialog, "", nullptr, 0, "x", 0, m_World.m_White.c_str(), "missing.bmp", 0, 0, 10, 10),
              S_OK);
    CDX9KelGUIManager::ScrollFiles files;
    files.track = m_World.m_White;
    EXPECT_EQ(Gui().AddScrollBar(m_iDialog, files, true, 0, 0, 20, 100), E_FAIL);
    const std::string text = log.Text();
    EXPECT_NE(text.find("Error : CDX9KelGUIManager::AddImage() : m_stdvDialogs[iNum]->AddImage"), std::string::npos);
    EXPECT_NE(text.find("Error : CDX9KelGUIManager::AddButton() : pTexture == NULL"), std::string::npos);
    EXPECT_NE(text.find("Error : CDX9KelGUIManager::AddScrollBar() : pBarTexture == NULL"), std::string::npos);
}

TEST_F(DialogList, DialogWhoseBackgroundFailsIsRemovedAgain) {
    const std::size_t before = Gui().m_Dialogs.size();
    EXPECT_EQ(Gui().AddDialog(0, 0, 100, 100, "missing.bmp", false), -1);
    EXPECT_EQ(Gui().m_Dialogs.size(), before);
    const int ok = Gui().AddDialog(0, 0, 100, 100, m_World.m_White.c_str(), false);
    EXPECT_EQ(ok, 2);
    ASSERT_EQ(Gui().GetDialog(ok)->m_Controls.size(), 1u);
    EXPECT_EQ(Gui().GetDialog(ok)->m_Controls[0]->m_iType, GUI_CONTROL_TYPE_IMAGE);
}

TEST_F(DialogList, FontLoaderMessages) {
    LogCapture log(m_Folder);
    VornaTest::WriteText(m_Folder / "nopage.xml", TestFontXml("gone.bmp"));
    EXPECT_EQ(Gui().LoadBitmapFontFromFile(FromExe(m_Folder / "nopage.xml").c_str()), -1);
    EXPECT_NE(log.Text().find("LoadBitmapFontFromFile: Error : not read texture: gone.bmp form folder: "),
              std::string::npos);
    VornaTest::WriteText(m_Folder / "other.xml", "<notfont/>");
    EXPECT_EQ(Gui().LoadBitmapFontFromFile(FromExe(m_Folder / "other.xml").c_str()), -1);
    EXPECT_NE(log.Text().find("XML file is damaged:"), std::string::npos);
    EXPECT_EQ(Gui().LoadBitmapFontFromFile(FromExe(m_Folder / "absent.xml").c_str()), -1);
    EXPECT_NE(log.Text().find("xml file not read : "), std::string::npos);
    VornaTest::WriteText(m_Folder / "nofile.xml", "<font><pages><page/></pages></font>");
    EXPECT_EQ(Gui().LoadBitmapFontFromFile(FromExe(m_Folder / "nofile.xml").c_str()), -1);
    EXPECT_EQ(Gui().m_Fonts.size(), 1u);
}

TEST_F(DialogList, DrawnControlsReachThePixels) {
    ASSERT_EQ(Gui().AddImage(m_iDialog, m_World.m_Red.c_str(), "", "", 0xFFFFFFFFu, false, 10, 10, 60, 40), S_OK);
    ASSERT_EQ(Gui().AddText(m_iDialog, 0, AlignNo, "", 0xFF00FF00u, "MMMM", 100, 10, 200, 40), S_OK);
    IDirect3DDevice9* device = m_World.m_Device.m_pDevice;
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
    device->BeginScene();
    m_World.Frame(-5, -5, false);
    device->EndScene();
    const auto px = m_World.m_Device.Pixels();
    EXPECT_EQ(m_World.m_Device.At(px, 30, 25) & 0xFFFFFFu, 0xFF0000u);
    EXPECT_EQ(m_World.m_Device.At(px, 5, 5) & 0xFFFFFFu, 0u);
    // The text's first glyph quad: x 101-106, y 12-21 in green.
    EXPECT_EQ(m_World.m_Device.At(px, 103, 16) & 0xFFFFFFu, 0x00FF00u);
}

TEST_F(DialogList, AControlsEffectDrawsItAndTheControlsAfterItTheirOwnTextures) {
    // The demo's fading effect on a white image: full at the top, 60 % at
    // the bottom. Two red images share the effect after it, then a blue
    // image without one, whose own texture must show.
    const std::string fade = FromExe(std::filesystem::path(VORNA_BIN_DIR) / "Effects" / "Interface" / "gui_fade.fx");
    CDX9KelEffect* effect = Gui().LoadEffect(fade);
    ASSERT_NE(effect, nullptr);
    EXPECT_EQ(Gui().LoadEffect(fade), effect) << "one record per file";
    EXPECT_GE(m_World.m_Resources.FindEffect("gui_fade.fx"), 0) << "loaded through the resource manager";
    ASSERT_EQ(Gui().AddImage(m_iDialog, m_World.m_White.c_str(), "", fade.c_str(), 0xFFFFFFFFu, false, 10, 10, 60, 110),
              S_OK);
    ASSERT_EQ(Gui().AddImage(m_iDialog, m_World.m_Red.c_str(), "", fade.c_str(), 0xFFFFFFFFu, false, 70, 10, 120, 110),
              S_OK);
    ASSERT_EQ(Gui().AddImage(m_iDialog, m_World.m_Red.c_str(), "", fade.c_str(), 0xFFFFFFFFu, false, 130, 10, 180, 110),
              S_OK);
    ASSERT_EQ(Gui().AddImage(m_iDialog, m_World.m_Blue.c_str(), "", "", 0xFFFFFFFFu, false, 190, 10, 240, 110), S_OK);
    EXPECT_EQ(m_pDialog->m_Controls[0]->m_pEffect, effect);
    IDirect3DDevice9* device = m_World.m_Device.m_pDevice;
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0);
    device->BeginScene();
    m_World.Frame(-5, -5, false);
    device->EndScene();
    const auto px = m_World.m_Device.Pixels();
    auto at = [&](int x, int y) { return m_World.m_Device.At(px, UINT(x), UINT(y)) & 0xFFFFFFu; };
    auto red = [](DWORD c) { return int((c >> 16) & 0xFF); };
    auto blue = [](DWORD c) { return int(c & 0xFF); };
    // The white image fades from the top to the bottom.
    EXPECT_GT(red(at(35, 11)), 240);
    EXPECT_NEAR(red(at(35, 60)), 204, 8);
    EXPECT_NEAR(red(at(35, 108)), 155, 8);
    EXPECT_EQ(at(35, 108) >> 16, at(35, 108) & 0xFF) << "a grey: every channel alike";
    // Each red image shows red, faded the same way.
    for (int x : {95, 155}) {
        EXPECT_GT(red(at(x, 11)), 240) << x;
        EXPECT_NEAR(red(at(x, 108)), 155, 8) << x;
        EXPECT_LT(blue(at(x, 60)), 10) << x;
    }
    // The plain image after the run draws its own blue texture, unfaded.
    EXPECT_EQ(at(215, 60), 0x0000FFu);
    EXPECT_EQ(at(215, 108), 0x0000FFu);
}

TEST_F(DialogList, ThreeDDrawnAfterTheGuiStaysBehindItsControls) {
    // The scene draws the GUI first and its 3D objects afterwards: a quad
    // in the middle of the depth range, drawn over the whole window after
    // the GUI, covers everything but the GUI's image and the text's glyphs.
    ASSERT_EQ(Gui().AddImage(m_iDialog, m_World.m_Red.c_str(), "", "", 0xFFFFFFFFu, false, 10, 10, 60, 40), S_OK);
    ASSERT_EQ(Gui().AddText(m_iDialog, 0, AlignNo, "", 0xFF00FF00u, "MMMM", 100, 10, 200, 40), S_OK);
    IDirect3DDevice9* device = m_World.m_Device.m_pDevice;
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0);
    device->BeginScene();
    m_World.Frame(-5, -5, false);
    struct Vertex {
        float x, y, z;
        D3DCOLOR colour;
    } quad[4] = {{0, 240, 0, 0xFF0000FFu}, {0, 0, 0, 0xFF0000FFu}, {320, 240, 0, 0xFF0000FFu}, {320, 0, 0, 0xFF0000FFu}};
    D3DXMATRIX world;
    D3DXMatrixTranslation(&world, -160.0f, -120.0f, 0.0f);
    device->SetTransform(D3DTS_WORLD, &world);
    device->SetTexture(0, nullptr);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE);
    device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(Vertex));
    device->EndScene();
    const auto px = m_World.m_Device.Pixels();
    EXPECT_EQ(m_World.m_Device.At(px, 30, 25) & 0xFFFFFFu, 0xFF0000u);
    EXPECT_EQ(m_World.m_Device.At(px, 103, 16) & 0xFFFFFFu, 0x00FF00u);
    // Outside the controls and between the glyphs the 3D quad shows.
    EXPECT_EQ(m_World.m_Device.At(px, 5, 5) & 0xFFFFFFu, 0x0000FFu);
    EXPECT_EQ(m_World.m_Device.At(px, 250, 100) & 0xFFFFFFu, 0x0000FFu);
    EXPECT_EQ(m_World.m_Device.At(px, 103, 30) & 0xFFFFFFu, 0x0000FFu);
}

} // namespace
} // namespace GuiTest

namespace GuiTest {
namespace {

TEST(GuiSharedTextures, FactoryLoadsThroughTheResourceManagerAndGivesItsReferenceBack) {
    const auto folder = VornaTest::FreshFolder();
    Platform::ManualClock clock;
    Platform::SetClock(&clock);
    VornaTest::OffscreenDevice device;
    if (!device.Create(320, 240)) {
        Platform::SetClock(nullptr);
        GTEST_SKIP() << "no GL context";
    }
    WriteBmp(folder / "white.bmp", 8, 8, 255, 255, 255);
    WriteBmp(folder / "font_0.bmp", 128, 128, 0, 0, 0);
    VornaTest::WriteText(folder / "font.xml", TestFontXml("font_0.bmp"));
    {
        CDX9KelGraphicsResManager resources;
        CDX9KelRenderSystem render;
        render.m_pResManager = &resources;
        CDX9KelGUIManager gui;
        // The manager needs a render system to load effects through.
        EXPECT_FALSE(gui.Init(device.m_hWnd, device.m_pDevice, &resources, nullptr));
        ASSERT_TRUE(gui.Init(device.m_hWnd, device.m_pDevice, &resources, &render));
        const int dialog = gui.AddDialog(0, 0, 100, 100, FromExe(folder / "white.bmp").c_str(), false);
        ASSERT_EQ(dialog, 0);
        ASSERT_EQ(gui.AddImage(dialog, FromExe(folder / "white.bmp").c_str(), "", "", 0xFFFFFFFFu, false, 0, 0, 10, 10),
                  S_OK);
        const int index = resources.FindTexture("white.bmp");
        ASSERT_GE(index, 0);
        // One reference for the GUI, however many controls use it.
        EXPECT_EQ(resources.GetTextureCount(index), 1);
        // The font page goes the same way, with its colour key.
        ASSERT_EQ(gui.LoadBitmapFontFromFile(FromExe(folder / "font.xml").c_str()), 0);
        gui.Release();
        EXPECT_LT(resources.FindTexture("white.bmp"), 0);
        EXPECT_LT(resources.FindTexture("font_0.bmp"), 0);
        resources.ReleaseAllTextures();
    }
    Platform::SetClock(nullptr);
}

} // namespace
} // namespace GuiTest
