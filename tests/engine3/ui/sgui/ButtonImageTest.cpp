// Images and buttons driven by injected mouse and key input frame by frame:
// hover, press and lock states, check and state buttons cycling, hotkeys,
// the colour rule and state tables, the shift, image zoom and popups.
#include "GuiTestSupport.h"

#include <type_traits>

#include "engine3/ui/sgui/CDX9KelSGUIControlButtonCheck.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlButtonState.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlImage.h"
#include "engine3/ui/sgui/CDX9KelSGUIText.h"
#include "platform/window/DirectInputCodes.h"

using namespace SguiTest;

namespace {

const float kWhite[4] = {1, 1, 1, 1};
const float kFull[4] = {0, 0, 100, 100};

class ButtonTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = VornaTest::FreshFolder();
        m_log = std::make_unique<LogCapture>(m_dir);
        ASSERT_TRUE(m_world.Create());
        m_font = m_world.LoadTestFont(m_dir);
        m_dialog = m_world.m_Gui.InitDialog("D", true, 0, 0, 320, 240);
        m_texture.strFile = GuiWorld::DemoTexture("button.png");
        m_texture.rect[3] = 0.25f;
    }
    template <class Button>
    Button* Make(const char* name, LONG left, LONG top, LONG right, LONG bottom) {
        IDirect3DDevice9* dev = m_world.m_pDevice;
        if constexpr (std::is_same_v<Button, CDX9KelSGUIControlButtonCheck>)
            return m_dialog->AddCheckButton(dev, name, true, m_font, 12, name, m_texture, left, top, right, bottom,
                                            kWhite, kFull, kWhite);
        else if constexpr (std::is_same_v<Button, CDX9KelSGUIControlButtonState>)
            return m_dialog->AddStateButton(dev, name, m_font, 12, name, m_texture, left, top, right, bottom, kWhite,
                                            kFull, kWhite);
        else
            return m_dialog->AddButton(dev, name, true, m_font, 12, name, m_texture, left, top, right, bottom, kWhite,
                                       kFull, kWhite);
    }
    CDX9KelSGUIControlButton* Push() { return Make<CDX9KelSGUIControlButton>("Push", 10, 10, 110, 40); }
    CDX9KelSGUIControlButtonCheck* Check() { return Make<CDX9KelSGUIControlButtonCheck>("Check", 10, 60, 110, 90); }
    CDX9KelSGUIControlButtonState* State() { return Make<CDX9KelSGUIControlButtonState>("State", 10, 110, 110, 140); }

    std::filesystem::path m_dir;
    std::unique_ptr<LogCapture> m_log;
    GuiWorld m_world;
    int m_font = -1;
    CDX9KelSGUIDialog* m_dialog = nullptr;
    SGUITextureDesc m_texture;
};

} // namespace

TEST_F(ButtonTest, APushButtonHoversPressesAndRestsWithTheMouse) {
    CDX9KelSGUIControlButton* b = Push();
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->GetType(), SGUI_CONTROL_BUTTON);
    ASSERT_NE(b->m_pImage, nullptr);
    ASSERT_NE(b->m_pText, nullptr);
    EXPECT_EQ(m_dialog->FindControl("Push_image"), b->m_pImage);
    EXPECT_EQ(m_dialog->FindControl("Push_text"), b->m_pText);
    EXPECT_TRUE(b->m_pImage->m_bPart);

    struct Step {
        LONG x, y;
        bool down;
        DWORD state;
        LONG left;  // the shifted button sits one pixel up and left while hovered
    } steps[] = {
        {200, 200, false, 0, 10}, {50, 20, false, 1, 9},  {50, 20, true, 2, 10},
        {50, 20, true, 2, 10},    {50, 20, false, 1, 9},  {200, 200, false, 0, 10},
        // Pressed outside, then dragged on: a press passes through hover, so
        // the button waits for the release.
        {200, 200, true, 0, 10},  {50, 20, true, 0, 10},  {50, 20, true, 0, 10},
        {50, 20, false, 1, 9},    {50, 20, true, 2, 10},  {200, 200, true, 0, 10},
    };
    int frame = 0;
    for (const Step& s : steps) {
        m_world.Frame(s.x, s.y, s.down);
        EXPECT_EQ(b->GetState(), s.state) << "frame " << frame;
        EXPECT_EQ(b->GetRect().left, s.left) << "frame " << frame;
        EXPECT_EQ(b->m_pImage->GetRect().left, s.left) << "frame " << frame;
        ++frame;
    }
}

TEST_F(ButtonTest, TheColourRuleAndTheStateTablesGiveTheLookOfEachState) {
    CDX9KelSGUIControlButton* b = Push();
    ASSERT_NE(b, nullptr);
    b->m_ImageColor[0] = 1.0f, b->m_ImageColor[1] = 0.5f, b->m_ImageColor[2] = 0.0f, b->m_ImageColor[3] = 1.0f;
    b->RequestState(1);
    b->ApplyStateColor();
    EXPECT_FLOAT_EQ(b->m_pImage->m_Color[0], 0.85f);
    EXPECT_FLOAT_EQ(b->m_pImage->m_Color[1], 0.5f);
    EXPECT_FLOAT_EQ(b->m_pImage->m_Color[2], 0.15f);
    EXPECT_FLOAT_EQ(b->m_pImage->m_Color[3], 1.0f);
    b->RequestState(2);
    b->ApplyStateColor();
    EXPECT_FLOAT_EQ(b->m_pImage->m_Color[0], 0.8f);
    EXPECT_FLOAT_EQ(b->m_pImage->m_Color[3], 0.8f);

    std::vector<SGUIStateRect> rects(4), colours(4);
    for (int s = 0; s < 4; ++s) {
        rects[s] = {{0.0f, s * 0.25f, 1.0f, (s + 1) * 0.25f}};
        colours[s] = {{s * 0.25f, 1.0f, 1.0f, 1.0f}};
    }
    std::vector<SGUIStateRect> three(3);
    EXPECT_FALSE(b->SetStates(&three, nullptr));
    EXPECT_FALSE(b->SetStates(nullptr, nullptr));
    EXPECT_TRUE(b->SetStates(nullptr, &colours));
    EXPECT_TRUE(b->SetStates(&rects, &colours));
    b->RequestState(3);
    b->ApplyStateTextures();
    EXPECT_EQ(b->GetState(), 3u);
    EXPECT_FLOAT_EQ(b->m_pImage->m_TextureRect[1], 0.75f);
    EXPECT_FLOAT_EQ(b->m_pText->m_Color[0], 0.75f);
    b->ResetState();
    EXPECT_EQ(b->GetState(), 0u);
    EXPECT_FLOAT_EQ(b->m_pImage->m_TextureRect[1], 0.0f);
}

TEST_F(ButtonTest, ALockedButtonIgnoresMouseAndHotkeyUntilACallerUnlocksIt) {
    CDX9KelSGUIControlButton* b = Push();
    b->m_iHotKey = DIK_RETURN;
    b->RequestState(3);
    b->ApplyStateColor();
    m_world.Key(DIK_RETURN, true);
    for (bool down : {false, true, false}) {
        m_world.Frame(50, 20, down, 600);
        EXPECT_EQ(b->GetState(), 3u);
    }
    m_world.Key(DIK_RETURN, false);
    b->RequestState(0);
    b->ApplyStateColor();
    m_world.Frame(50, 20, false);
    EXPECT_EQ(b->GetState(), 1u);
}

TEST_F(ButtonTest, APushButtonHotkeyPressesOnlyAHoveredButtonAndIsPaced) {
    CDX9KelSGUIControlButton* b = Push();
    b->m_iHotKey = DIK_RETURN;
    m_world.Key(DIK_RETURN, true);
    m_world.Frame(200, 200, false, 600);
    EXPECT_EQ(b->GetState(), 0u);
    m_world.Frame(50, 20, false, 600);  // hover; the timer has its turn again only now
    EXPECT_EQ(b->GetState(), 1u);
    m_world.Frame(50, 20, false, 16);
    EXPECT_EQ(b->GetState(), 2u);
    m_world.Frame(50, 20, false, 16);  // released mouse over it: back to hover
    EXPECT_EQ(b->GetState(), 1u);
    m_world.Frame(50, 20, false, 16);  // the key is still down, but paced
    EXPECT_EQ(b->GetState(), 1u);
}

TEST_F(ButtonTest, ACheckButtonTogglesOnClicksAndItsHotkeyAndStaysCheckedOnReset) {
    CDX9KelSGUIControlButtonCheck* c = Check();
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->GetType(), SGUI_CONTROL_BUTTON_CHECK);
    m_world.Frame(50, 70, false);
    EXPECT_EQ(c->GetState(), 1u);
    m_world.Frame(50, 70, true);
    EXPECT_TRUE(c->IsChecked());
    // Held: the shared timer blocks a second toggle for its period.
    for (int i = 0; i < 5; ++i) {
        m_world.Frame(50, 70, true);
        EXPECT_TRUE(c->IsChecked());
    }
    m_world.Frame(50, 70, false, 500);
    m_world.Frame(200, 200, false);
    EXPECT_TRUE(c->IsChecked());
    c->Reset();
    EXPECT_TRUE(c->IsChecked());
    // The first press after the period only clears the shared timer.
    m_world.Frame(50, 70, false);
    m_world.Frame(50, 70, true);
    EXPECT_TRUE(c->IsChecked());
    m_world.Frame(50, 70, true);
    EXPECT_EQ(c->GetState(), 0u);
    m_world.Frame(50, 70, false);
    EXPECT_EQ(c->GetState(), 1u);

    c->m_iHotKey = DIK_SPACE;
    m_world.Key(DIK_SPACE, true);
    // Held, the key toggles whenever the shared timer gives a turn: the
    // click's stamp first runs out and clears, then every other frame.
    std::vector<bool> checked;
    for (int i = 0; i < 5; ++i) {
        m_world.Frame(50, 70, false, 400);
        checked.push_back(c->IsChecked());
    }
    EXPECT_EQ(checked, (std::vector<bool>{false, false, true, true, false}));
    m_world.Key(DIK_SPACE, false);

    c->m_bInteractive = false;
    m_world.Frame(50, 70, true, 400);
    m_world.Frame(50, 70, true, 400);
    EXPECT_FALSE(c->IsChecked());
}

TEST_F(ButtonTest, AStateButtonCyclesThroughHoverCheckedAndHoveredChecked) {
    CDX9KelSGUIControlButtonState* s = State();
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->GetType(), SGUI_CONTROL_BUTTON_STATE);
    std::vector<SGUIStateRect> rects(5);
    for (int i = 0; i < 5; ++i) rects[i] = {{0.0f, i * 0.125f, 1.0f, (i + 1) * 0.125f}};
    std::vector<SGUIStateRect> four(4);
    EXPECT_FALSE(s->SetStates(&four, nullptr));
    ASSERT_TRUE(s->SetStates(&rects, nullptr));

    struct Step {
        LONG x, y;
        bool down;
        DWORD ms;
        int state;
        LONG left;
    } steps[] = {
        {200, 200, false, 16, 0, 10}, {50, 120, false, 16, 1, 9},  {50, 120, true, 16, 2, 10},
        {50, 120, true, 16, 2, 10},   {50, 120, false, 300, 3, 9}, {200, 200, false, 16, 2, 10},
        {50, 120, false, 16, 3, 9},   {50, 120, true, 16, 3, 9},   {50, 120, true, 16, 0, 10},
        {50, 120, false, 16, 1, 9},
    };
    int frame = 0;
    for (const Step& st : steps) {
        m_world.Frame(st.x, st.y, st.down, st.ms);
        EXPECT_EQ(s->GetOwnState(), st.state) << "frame " << frame;
        EXPECT_EQ(s->GetRect().left, st.left) << "frame " << frame;
        EXPECT_FLOAT_EQ(s->m_pImage->m_TextureRect[1], st.state * 0.125f) << "frame " << frame;
        ++frame;
    }
    // Locked (4) it ignores the mouse and keeps its lock through a reset.
    s->RequestOwnState(4);
    s->ApplyOwnState();
    m_world.Frame(50, 120, true, 300);
    s->Reset();
    EXPECT_EQ(s->GetOwnState(), 4);
    s->RequestOwnState(2);
    s->ApplyOwnState();
    EXPECT_TRUE(s->IsChecked());
}

TEST_F(ButtonTest, WithoutTheShiftNoStateMovesTheButton) {
    CDX9KelSGUIControlButton* b = Push();
    b->SetShift(false);
    for (bool down : {false, true, false}) {
        m_world.Frame(50, 20, down);
        EXPECT_EQ(b->GetRect().left, 10);
    }
    EXPECT_EQ(b->GetState(), 1u);
}

TEST_F(ButtonTest, HiddenOrDisabledButtonsNeverHover) {
    CDX9KelSGUIControlButton* b = Push();
    b->SetVisible(false);
    EXPECT_FALSE(b->m_pImage->IsVisible());
    m_world.Frame(50, 20, false);
    EXPECT_FALSE(b->IsHovered());
    b->SetVisible(true);
    b->m_bEnabled = false;
    m_world.Frame(50, 20, false);
    EXPECT_FALSE(b->IsHovered());
    EXPECT_EQ(b->GetState(), 0u);
}

TEST_F(ButtonTest, ButtonsNeedAnImageOrATextAndAFailedPartLeavesNothingBehind) {
    SGUITextureDesc none;
    EXPECT_EQ(m_dialog->AddButton(m_world.m_pDevice, "Empty", false, -1, 0, "x", none, 0, 0, 10, 10, kWhite, kFull,
                                  kWhite),
              nullptr);
    SGUITextureDesc missing;
    missing.strFile = "no/such.png";
    const size_t before = m_dialog->m_vControls.size();
    EXPECT_EQ(m_dialog->AddButton(m_world.m_pDevice, "Broken", false, m_font, 0, "x", missing, 0, 0, 10, 10, kWhite,
                                  kFull, kWhite),
              nullptr);
    EXPECT_EQ(m_dialog->m_vControls.size(), before);
    EXPECT_NE(m_log->Text().find("CDX9KelSGUIDialog::AddButton: not init. Dialog : D. Control : Empty\n"),
              std::string::npos);
    // A text-only button works.
    EXPECT_NE(m_dialog->AddButton(m_world.m_pDevice, "Words", false, m_font, 0, "x", none, 0, 0, 30, 20, kWhite,
                                  kFull, kWhite),
              nullptr);
}

TEST_F(ButtonTest, BaseGeometryAndColourRules) {
    CDX9KelSGUIControlImage* img = m_dialog->AddImage(m_world.m_pDevice, "Img", true, m_texture.strFile.c_str(),
                                                      nullptr, false, 10, 10, 50, 30, 1, 1, 1, 1);
    ASSERT_NE(img, nullptr);
    EXPECT_FALSE(img->SetRect(20, 10, 20, 40));
    EXPECT_FALSE(img->SetRect(10, 20, 40, 20));
    EXPECT_EQ(img->GetRect().right, 50);
    EXPECT_FALSE(img->Resize(0, 5));
    EXPECT_TRUE(img->Resize(-5, 5));
    EXPECT_TRUE(img->SetRect(10, 10, 50, 30));
    auto v = Vertices(img);
    EXPECT_FLOAT_EQ(v[0].x, 10.0f);
    EXPECT_FLOAT_EQ(v[0].y, 30.0f);
    EXPECT_FLOAT_EQ(v[3].x, 50.0f);
    EXPECT_FLOAT_EQ(v[3].y, 10.0f);
    // The screen translation: integer halves, no half-pixel shift (pixel
    // centres lie half a pixel inside the pixel edges already).
    EXPECT_FLOAT_EQ(img->m_mWorld._41, -160.0f);
    EXPECT_FLOAT_EQ(img->m_mWorld._42, -120.0f);

    EXPECT_TRUE(img->SetTextureRect(0, 0, 1, 1));
    EXPECT_FALSE(img->SetTextureRect(-0.01f, 0, 1, 1));
    EXPECT_FALSE(img->SetTextureRect(0, 0, 1.01f, 1));
    EXPECT_FLOAT_EQ(img->m_TextureRect[0], 0.0f);
    EXPECT_FLOAT_EQ(img->m_TextureRect[2], 1.0f);

    EXPECT_TRUE(img->SetColor(1.5f, -1.0f, 0.5f, 1.0f));
    EXPECT_EQ(Vertices(img)[2].color, 0xFFFF0080u);

    // MoveBy keeps a rotation, MoveTo drops it.
    EXPECT_TRUE(img->MoveBy(0, 0));
    EXPECT_TRUE(img->SetRotation(0.5f));
    EXPECT_TRUE(img->m_bFiltered);
    const D3DXMATRIX rotated = img->m_mWorld;
    EXPECT_TRUE(img->MoveBy(4, 0));
    EXPECT_FLOAT_EQ(img->m_mWorld._11, rotated._11);
    EXPECT_FLOAT_EQ(img->m_mWorld._41, rotated._41 + 4.0f);
    EXPECT_TRUE(img->MoveTo(0, 0));
    EXPECT_FLOAT_EQ(img->m_mWorld._11, 1.0f);
    EXPECT_FLOAT_EQ(img->m_mWorld._12, 0.0f);
}

TEST_F(ButtonTest, AZoomImageHighlightsAndZoomsToItsTextureSizeHoldingTheInput) {
    const std::string file = GuiWorld::DemoTexture("panel.png");
    CDX9KelSGUIControlImage* img =
        m_dialog->AddImage(m_world.m_pDevice, "Zoom", true, file.c_str(), nullptr, true, 100, 100, 150, 150, 1, 1, 1, 1);
    CDX9KelSGUIControlButton* b = Push();
    ASSERT_TRUE(img && b);
    m_world.Frame(120, 120, false);
    EXPECT_FLOAT_EQ(img->m_Color[0], 0.8f);
    m_world.Frame(120, 120, true);
    EXPECT_TRUE(img->IsZoomed());
    EXPECT_EQ(img->GetRect().right, 256);
    EXPECT_EQ(img->GetRect().bottom, 240);  // limited to the client height
    EXPECT_EQ(m_dialog->m_vControls.back(), img);
    EXPECT_TRUE(m_dialog->m_bCaptured);
    EXPECT_EQ(m_world.m_Gui.m_iExclusiveDialog, m_dialog->GetIndex());
    // Captured: the button under the cursor does not hover.
    m_world.Frame(50, 20, false);
    EXPECT_FALSE(b->IsHovered());
    // A further click once the shared timer has run out and been renewed.
    for (int i = 0; i < 3; ++i) m_world.Frame(50, 20, true, 400);
    EXPECT_FALSE(img->IsZoomed());
    EXPECT_EQ(img->GetRect().left, 100);
    EXPECT_FALSE(m_dialog->m_bCaptured);
    EXPECT_EQ(m_world.m_Gui.m_iExclusiveDialog, -1);
}

TEST_F(ButtonTest, APopupShowsAfterTheCursorRestsAndFlipsAtTheWindowEdges) {
    CDX9KelSGUIControlButton* b = Make<CDX9KelSGUIControlButton>("Wide", 0, 0, 320, 240);
    ASSERT_NE(b, nullptr);
    SGUITextureDesc popup;
    popup.strFile = GuiWorld::DemoTexture("popup.png");
    const float textRect[4] = {10, 10, 90, 90};
    ASSERT_TRUE(b->InitPopup(m_world.m_pDevice, m_dialog, popup, m_font, 0, "tip", 0, 0, 60, 30, textRect, kWhite));
    auto* image = static_cast<CDX9KelSGUIControlImage*>(m_dialog->FindControl("Wide_popup_image"));
    auto* text = static_cast<CDX9KelSGUIText*>(m_dialog->FindControl("Wide_popup_text"));
    ASSERT_TRUE(image && text);
    EXPECT_FALSE(image->IsVisible());

    m_world.Frame(100, 50, false, 1000);
    m_world.Frame(100, 50, false, 1000);
    EXPECT_FALSE(image->IsVisible());
    m_world.Frame(101, 50, false, 1000);  // a one-pixel move restarts the wait
    m_world.Frame(101, 50, false, 1000);
    EXPECT_FALSE(image->IsVisible());
    m_world.Frame(101, 50, false, 1000);
    m_world.Frame(101, 50, false, 16);
    ASSERT_TRUE(image->IsVisible());
    EXPECT_TRUE(text->IsVisible());
    EXPECT_EQ(image->GetRect().left, 133);
    EXPECT_EQ(image->GetRect().top, 50);
    EXPECT_EQ(text->GetRect().left, 133 + 6);
    EXPECT_EQ(m_dialog->m_vControls.back(), text);

    // Near the right and bottom edges it goes to the left of and above the cursor.
    for (int i = 0; i < 4; ++i) m_world.Frame(300, 230, false, 1000);
    ASSERT_TRUE(image->IsVisible());
    EXPECT_EQ(image->GetRect().left, 300 - 32 - 60);
    EXPECT_EQ(image->GetRect().top, 230 - 30);
    m_world.Frame(400, 400, false);
    EXPECT_FALSE(image->IsVisible());
}
