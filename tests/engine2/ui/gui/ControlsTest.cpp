// Buttons, check buttons, scroll bars, list boxes, edit boxes, radio lists,
// scroll texts and state bars driven frame by frame.
#include "GuiTestSupport.h"
#include "engine2/ui/gui/CDX9KelGUIButton.h"
#include "engine2/ui/gui/CDX9KelGUIEditBox.h"
#include "engine2/ui/gui/CDX9KelGUIImage.h"
#include "engine2/ui/gui/CDX9KelGUIListBox.h"
#include "engine2/ui/gui/CDX9KelGUIRadioList.h"
#include "engine2/ui/gui/CDX9KelGUIScrollBar.h"
#include "engine2/ui/gui/CDX9KelGUIScrollText.h"
#include "engine2/ui/gui/CDX9KelGUIStateBar.h"
#include "engine2/ui/gui/CDX9KelGUIText.h"

namespace GuiTest {
namespace {

class Controls : public GuiFixture {
protected:
    CDX9KelGUIButton* AddButton(int l, int t, int r, int b, int* mirror = nullptr) {
        CDX9KelGUIButton* button = nullptr;
        EXPECT_EQ(m_pDialog->AddButton(l, t, r, b, 0, "ok", 0xFFFFFFFFu, m_World.Image(m_World.m_White), mirror, &button),
                  S_OK);
        return button;
    }
    CDX9KelGUICheckButton* AddCheck(int l, int t, int r, int b, int* mirror = nullptr) {
        CDX9KelGUICheckButton* button = nullptr;
        EXPECT_EQ(m_pDialog->AddCheckButton(l, t, r, b, 0, "on", 0xFFFFFFFFu, m_World.Image(m_World.m_White), mirror,
                                            &button),
                  S_OK);
        return button;
    }
};

TEST_F(Controls, ButtonEnteredWithTheMouseButtonHeldStaysNormalUntilReleased) {
    int mirror = -1;
    CDX9KelGUIButton* b = AddButton(10, 10, 60, 40, &mirror);
    m_World.Frame(20, 20, true);
    m_World.Frame(20, 20, true);
    EXPECT_EQ(b->m_iState, ButtonNormal);
    m_World.Frame(20, 20, false);
    EXPECT_EQ(b->m_iState, ButtonHover);
    EXPECT_EQ(mirror, ButtonHover);
    // The hover look stands one pixel up and left, lighter in contrast.
    EXPECT_EQ(b->m_pImagePart->m_Rect.left, 9);
    EXPECT_EQ(b->m_pImagePart->m_dwColor, GUIColourAdjustContrast(0xFFFFFFFFu, 0.7f));
    m_World.Frame(20, 20, true);
    EXPECT_EQ(b->m_iState, ButtonPressed);
    EXPECT_EQ(mirror, ButtonPressed);
    EXPECT_EQ(b->m_pImagePart->m_Rect.left, 10);
    EXPECT_EQ(b->m_pImagePart->m_dwColor, 0xCCCCCCCCu);
    m_World.Frame(200, 150, false);
    EXPECT_EQ(b->m_iState, ButtonNormal);
    EXPECT_EQ(b->m_pImagePart->m_dwColor, 0xFFFFFFFFu);
}

TEST_F(Controls, MirrorFiveDisablesUntilFourIsWritten) {
    int mirror = 0;
    CDX9KelGUIButton* b = AddButton(10, 10, 60, 40, &mirror);
    mirror = kButtonForceDisabled;
    m_World.Frame(20, 20, false);
    EXPECT_EQ(b->m_iState, ButtonDisabled);
    EXPECT_EQ(mirror, ButtonDisabled);
    m_World.Frame(20, 20, false);
    m_World.Frame(20, 20, true);
    EXPECT_EQ(b->m_iState, ButtonDisabled);
    EXPECT_EQ(b->UpdateMouse({20, 20}), 0);
    mirror = kButtonForceNormal;
    m_World.Frame(20, 20, false);
    EXPECT_EQ(b->m_iState, ButtonNormal);
    m_World.Frame(20, 20, false);
    EXPECT_EQ(b->m_iState, ButtonHover);
}

TEST_F(Controls, CheckButtonHeldTogglesOncePerClickWindow) {
    int mirror = 0;
    CDX9KelGUICheckButton* c = AddCheck(10, 10, 60, 40, &mirror);
    EXPECT_EQ(c->m_iType, GUI_CONTROL_TYPE_CHECKBUTTON);
    int toggles = 0, last = c->m_iState;
    for (int i = 0; i < 36; ++i) {
        m_World.Frame(20, 20, true);
        if (c->m_iState != last) ++toggles;
        last = c->m_iState;
    }
    EXPECT_EQ(toggles, 3);
    EXPECT_EQ(c->m_iState, ButtonPressed);
    EXPECT_EQ(mirror, ButtonPressed);
    // Checked, it keeps its look when the mouse leaves.
    m_World.Frame(200, 150, false);
    EXPECT_EQ(c->m_iState, ButtonPressed);
    EXPECT_EQ(c->m_pImagePart->m_Rect.left, 11);
}

TEST_F(Controls, CheckButtonHoverIsUndoneWhenTheMouseLeaves) {
    CDX9KelGUICheckButton* c = AddCheck(10, 10, 60, 40);
    m_World.Frame(20, 20, false);
    EXPECT_EQ(c->m_iState, ButtonHover);
    EXPECT_EQ(c->m_pImagePart->m_Rect.left, 9);
    c->MouseLeave();
    EXPECT_EQ(c->m_iState, ButtonNormal);
    EXPECT_EQ(c->m_pImagePart->m_Rect.left, 10);
    EXPECT_EQ(c->m_pImagePart->m_dwColor, 0xFFFFFFFFu);
}

TEST_F(Controls, HintAppearsAfterTheDelayAndFlipsAtTheRightEdge) {
    CDX9KelGUIButton* b = AddButton(250, 100, 299, 130);
    ASSERT_EQ(m_pDialog->SetButtonPopUp(b->m_iID, 0, 0, 60, 20, 0, "hint", 0xFFFFFFFFu, m_World.Image(m_World.m_Blue)),
              S_OK);
    ASSERT_NE(b->m_pPopUpImage, nullptr);
    EXPECT_FALSE(b->m_pPopUpImage->m_bVisible);
    for (int i = 0; i < 70; ++i) m_World.Frame(280, 110, false);
    EXPECT_FALSE(b->m_pPopUpImage->m_bVisible);
    for (int i = 0; i < 10; ++i) m_World.Frame(280, 110, false);
    ASSERT_TRUE(b->m_pPopUpImage->m_bVisible);
    EXPECT_TRUE(b->m_pPopUpText->m_bVisible);
    EXPECT_EQ(b->m_pPopUpImage->m_Rect.left, 280 - 60 - 32);
    EXPECT_EQ(b->m_pPopUpImage->m_Rect.top, 110);
    EXPECT_EQ(b->m_pPopUpText->m_Rect.left, 280 - 60 - 32);
    EXPECT_EQ(m_pDialog->m_Controls.back().get(), b->m_pPopUpText);
    // Moving the cursor hides it.
    m_World.Frame(281, 110, false);
    EXPECT_FALSE(b->m_pPopUpImage->m_bVisible);
    EXPECT_EQ(m_pDialog->SetButtonPopUp(999, 0, 0, 60, 20, 0, "x", 0, m_World.Image(m_World.m_Blue)), E_FAIL);
}

TEST_F(Controls, SetVisibleResetsStateAndMirror) {
    int mirror = 0;
    CDX9KelGUIButton* b = AddButton(10, 10, 60, 40, &mirror);
    m_World.Frame(20, 20, false);
    ASSERT_EQ(mirror, ButtonHover);
    b->SetVisible(false);
    EXPECT_EQ(mirror, ButtonNormal);
    EXPECT_FALSE(b->m_pTextPart->m_bVisible);
    EXPECT_EQ(b->m_pImagePart->m_Rect.left, 10);
}

// A horizontal bar 240 long and 20 thick: a 200-pixel track.
TEST_F(Controls, ScrollBarStepRuleTable) {
    struct Case {
        int maximum, step, thumb, kept;
    } cases[] = {{10, 10, 100, 10}, {50, 3, 50, 50}, {0, 0, 200, 0}, {1000, 1, 5, 195}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.maximum);
        CDX9KelGUIScrollBar* bar = nullptr;
        ASSERT_EQ(m_pDialog->AddScrollBar(10, 10, 250, 30, m_World.Bar(), nullptr, false, &bar), S_OK);
        EXPECT_EQ(bar->m_iLimit, 195);
        EXPECT_TRUE(bar->SetMaxPosition(c.maximum));
        EXPECT_EQ(bar->m_iMaximum, c.kept);
        EXPECT_EQ(bar->m_iStep, c.step);
        EXPECT_EQ(bar->m_pThumb->m_Rect.right - bar->m_pThumb->m_Rect.left, c.thumb);
        EXPECT_EQ(bar->m_pTrack->m_Rect.left, 30);
        EXPECT_EQ(bar->m_pArrow2->m_Rect.left, 230);
    }
    // Not more than twice as long as thick: no layout, no bar.
    EXPECT_EQ(m_pDialog->AddScrollBar(10, 40, 50, 60, m_World.Bar(), nullptr, false), E_FAIL);
    GUIScrollBarSettings missing = m_World.Bar();
    missing.arrow2.texture = nullptr;
    EXPECT_EQ(m_pDialog->AddScrollBar(10, 40, 250, 60, missing, nullptr, false), E_FAIL);
}

TEST_F(Controls, ScrollBarClicksWheelAndThumbDrag) {
    int mirror = -1;
    CDX9KelGUIScrollBar* bar = nullptr;
    ASSERT_EQ(m_pDialog->AddScrollBar(10, 10, 250, 30, m_World.Bar(), &mirror, false, &bar), S_OK);
    ASSERT_TRUE(bar->SetMaxPosition(10));
    EXPECT_EQ(bar->PositionFromPoint({150, 20}), 7);
    EXPECT_EQ(bar->PositionFromPoint({5, 20}), -1);
    // A click on the track beyond the thumb jumps.
    m_World.Frame(200, 20, true);
    EXPECT_EQ(bar->m_iPosition, 10);
    EXPECT_EQ(mirror, 10);
    m_World.Frame(200, 20, false, 300);
    m_World.Frame(150, 20, false, 20, 1.0f);
    EXPECT_EQ(bar->m_iPosition, 9);
    EXPECT_FALSE(bar->SetPosition(11, true));
    EXPECT_TRUE(bar->SetPosition(0, true));
    // Grab the thumb (30..130), drag it 30 pixels right, then far out.
    m_World.Frame(50, 20, false);
    m_World.Frame(50, 20, true);
    m_World.Frame(50, 20, true);
    ASSERT_TRUE(bar->m_bDragging);
    m_World.Frame(80, 20, true);
    EXPECT_EQ(bar->m_pThumb->m_Rect.left, 60);
    EXPECT_EQ(bar->m_iPosition, 3);
    m_World.Frame(400, 20, true);
    EXPECT_EQ(bar->m_pThumb->m_Rect.left, 60);
    m_World.Frame(400, 20, false);
    EXPECT_FALSE(bar->m_bDragging);
    EXPECT_FALSE(m_pDialog->m_bPopUpOpen);
    EXPECT_EQ(bar->m_pThumb->m_Rect.left, 30 + 3 * 10);
}

TEST(GuiScrollRange, Table) {
    struct Case {
        int content, window, limit, positions, step;
    } cases[] = {{160, 100, 55, 6, 10}, {100, 100, 55, 0, 10}, {1100, 100, 55, 52, 19}, {300, 100, 0, 0, 201}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.content);
        const GUIScrollRange r = ComputeScrollRange(c.content, c.window, c.limit);
        EXPECT_EQ(r.positions, c.positions);
        EXPECT_EQ(r.step, c.step);
    }
}

class ListBox : public GuiFixture {
protected:
    void SetUp() override {
        GuiFixture::SetUp();
        if (IsSkipped()) return;
        ASSERT_EQ(m_pDialog->AddListBox(10, 10, 150, 110, 0xFFFFFFFFu, 0, m_World.Image(m_World.m_Blue), m_World.Bar(),
                                        &m_iSelected, &m_strText, &m_pList),
                  S_OK);
        for (int i = 0; i < 10; ++i) ASSERT_EQ(m_pList->AddElement(("item" + std::to_string(i)).c_str()), i);
    }
    CDX9KelGUIListBox* m_pList = nullptr;
    int m_iSelected = -1;
    std::string m_strText;
};

TEST_F(ListBox, RangeWheelAndClickSelection) {
    EXPECT_EQ(m_pList->m_iContentHeight, 120);
    EXPECT_EQ(m_pList->m_pScrollBar->m_iMaximum, 2);
    EXPECT_EQ(m_pList->m_iStep, 10);
    EXPECT_FALSE(m_pList->m_Elements[9]->m_bVisible);
    m_World.Frame(50, 50, false, 20, -1.0f);
    EXPECT_EQ(m_pList->m_iScrollShown, 1);
    EXPECT_EQ(m_pList->m_Elements[0]->m_Rect.top, 0);
    // The first element now shows only its lower part; a click there takes it.
    m_World.Frame(20, 11, true);
    EXPECT_EQ(m_pList->m_iSelected, 0);
    EXPECT_EQ(m_iSelected, 0);
    EXPECT_EQ(m_strText, "item0");
    EXPECT_TRUE(m_pList->m_pSelectionBar->m_bVisible);
    EXPECT_EQ(m_pList->m_pSelectionBar->m_Rect.top, 0);
    EXPECT_EQ(m_pList->m_pSelectionBar->m_Clip.top, 10);
    m_World.Frame(20, 11, false, 400);
    m_World.Frame(20, 40, true);
    m_World.Frame(20, 40, true);
    EXPECT_EQ(m_pList->m_iSelected, 3);
}

TEST_F(ListBox, ItsScrollArrowsScrollByClickAndByHold) {
    // Thirty lines of 12 pixels in 100: 26 positions of 10 pixels. The bar
    // stands at x 130-150, its arrows are the 20-pixel squares at its ends.
    for (int i = 10; i < 30; ++i) ASSERT_EQ(m_pList->AddElement(("item" + std::to_string(i)).c_str()), i);
    ASSERT_EQ(m_pList->m_pScrollBar->m_iMaximum, 26);
    const int top = m_pList->m_Elements[0]->m_Rect.top;
    auto press = [&](int y, int frames) {
        m_World.Frame(140, y, false, 20); // the arrow shows its hover look first
        for (int i = 0; i < frames; ++i) m_World.Frame(140, y, true, 20);
        m_World.Frame(140, y, false, 400);
        m_World.Frame(140, y, false); // the list follows its bar a frame later
    };
    press(100, 3); // a click on the lower arrow
    EXPECT_EQ(m_pList->m_iScrollShown, 1);
    EXPECT_EQ(m_pList->m_Elements[0]->m_Rect.top, top - 10);
    press(100, 100); // held for two seconds: a step every quarter second
    EXPECT_GE(m_pList->m_iScrollShown, 7);
    EXPECT_LE(m_pList->m_iScrollShown, 10);
    const int held = m_pList->m_iScrollShown;
    press(20, 3); // the upper arrow
    EXPECT_EQ(m_pList->m_iScrollShown, held - 1);
    EXPECT_EQ(m_pList->m_Elements[0]->m_Rect.top, top - 10 * (held - 1));
    EXPECT_EQ(m_pList->m_iSelected, -1); // presses on the bar select nothing
}

TEST_F(ListBox, OutOfRangeSelectionsAreIgnored) {
    EXPECT_FALSE(m_pList->SelectElement(10));
    EXPECT_FALSE(m_pList->SelectElement(-1));
    EXPECT_EQ(m_iSelected, -1);
    EXPECT_TRUE(m_pList->SelectElement(9));
    EXPECT_EQ(m_strText, "item9");
}

TEST_F(ListBox, ClearingAScrolledListStartsAgainAtTheTop) {
    m_World.Frame(50, 50, false, 20, -1.0f);
    m_World.Frame(50, 50, false, 20, -1.0f);
    ASSERT_EQ(m_pList->m_iScrollShown, 2);
    const std::size_t controls = m_pDialog->m_Controls.size();
    m_pList->ClearElements();
    EXPECT_EQ(m_pDialog->m_Controls.size(), controls - 10);
    EXPECT_EQ(m_pList->m_pScrollBar->m_iPosition, 0);
    EXPECT_EQ(m_pList->m_pScrollBar->m_iMaximum, 0);
    EXPECT_EQ(m_pList->m_iScrollShown, 0);
    ASSERT_EQ(m_pList->AddElement("again"), 0);
    EXPECT_EQ(m_pList->m_Elements[0]->m_Rect.top, 10);
    m_World.Frame(50, 50, false, 20, -1.0f);
    EXPECT_EQ(m_pList->m_Elements[0]->m_Rect.top, 10);
}

TEST_F(ListBox, NarrowerThanItsScrollBarIsRefused) {
    EXPECT_EQ(m_pDialog->AddListBox(10, 120, 29, 190, 0, 0, m_World.Image(m_World.m_Blue), m_World.Bar(), nullptr,
                                    nullptr),
              E_FAIL);
}

class EditBox : public GuiFixture {
protected:
    void SetUp() override {
        GuiFixture::SetUp();
        if (IsSkipped()) return;
        ASSERT_EQ(m_pDialog->AddEditBox(10, 10, 290, 30, 0, 0xFFFFFFFFu, &m_pBox), S_OK);
    }
    // One key press: its character reaches one frame. The keyboard reaches
    // the box while the cursor is over its dialog.
    void Type(char c) {
        m_World.Frame(100, 150, false, 150, 0.0f, std::string(1, c));
        m_World.Frame(100, 150, false, 150);
    }
    void Backspace() {
        m_World.Key(DIK_BACK, true);
        m_World.Frame(100, 150, false, 150);
        m_World.Frame(100, 150, false, 150);
        m_World.Key(DIK_BACK, false);
        m_World.Frame(100, 150, false, 150);
    }
    std::string Shown() const { return m_pBox->m_pTextPart->m_strText; }
    CDX9KelGUIEditBox* m_pBox = nullptr;
};

TEST_F(EditBox, FocusTypingBackspaceAndLeaving) {
    Type('A');
    EXPECT_EQ(Shown(), "");
    m_World.Frame(20, 20, true);
    m_World.Frame(20, 20, false, 400);
    EXPECT_TRUE(m_pBox->m_bFocused);
    EXPECT_EQ(Shown(), "|");
    Backspace();
    EXPECT_EQ(Shown(), "|");
    Type('A');
    Type('B');
    Type('\r');
    Type(static_cast<char>(0xE9));
    Type('C');
    EXPECT_EQ(Shown(), "AB\xE9" "C|");
    Backspace();
    EXPECT_EQ(Shown(), "AB\xE9|");
    EXPECT_EQ(m_pBox->GetText(), "AB\xE9");
    // A click elsewhere takes the focus and the cursor away, not the text.
    m_World.Frame(100, 150, true);
    EXPECT_FALSE(m_pBox->m_bFocused);
    EXPECT_EQ(Shown(), "AB\xE9");
}

TEST_F(EditBox, EachTypedCharacterGoesInOnceHoweverTheFramesArePaced) {
    // Frames in order: the characters each takes and the time it lasts;
    // then the text typed.
    struct Case {
        const char* name;
        std::vector<std::pair<std::string, DWORD>> frames;
        const char* text;
    };
    const Case cases[] = {
        {"one press, then idle frames", {{"m", 16}, {"", 16}, {"", 500}, {"", 500}}, "m"},
        {"several letters in one frame", {{"mine", 16}, {"", 500}}, "mine"},
        {"letters across slow frames",
         {{"m", 500}, {"", 500}, {"i", 500}, {"n", 500}, {"", 500}, {"e", 500}, {"", 500}},
         "mine"},
        {"letters in fast frames", {{"m", 1}, {"i", 1}, {"n", 16}, {"e", 16}, {"", 16}}, "mine"},
        {"letters with no frames between", {{"mi", 0}, {"ne", 0}, {"", 0}}, "mine"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(m_pBox->SetText(""));
        // Held for two frames: the dialog's click window may need the second.
        m_World.Frame(20, 20, true);
        m_World.Frame(20, 20, true);
        m_World.Frame(20, 20, false, 400);
        ASSERT_TRUE(m_pBox->m_bFocused);
        for (const auto& [typed, ms] : c.frames) m_World.Frame(100, 150, false, ms, 0.0f, typed);
        EXPECT_EQ(m_pBox->GetText(), c.text);
        m_World.Frame(100, 150, true);
        m_World.Frame(100, 150, false, 400);
        ASSERT_FALSE(m_pBox->m_bFocused);
    }
}

TEST_F(EditBox, AHeldBackspaceRepeatsOnTheDialogsWindow) {
    ASSERT_TRUE(m_pBox->SetText("abcdefghijkl"));
    m_World.Frame(20, 20, true);
    m_World.Frame(20, 20, false, 400);
    // 16 ms frames: one character goes, then the window stays shut until more
    // than 100 ms have passed, and the next call opens it again.
    m_World.Key(DIK_BACK, true);
    for (int i = 0; i < 50; ++i) m_World.Frame(100, 150, false, 16);
    m_World.Key(DIK_BACK, false);
    EXPECT_EQ(m_pBox->GetText(), "abcde");
}

TEST_F(EditBox, AcceptsFortyNineCharacters) {
    m_World.Frame(20, 20, true);
    m_World.Frame(20, 20, false, 400);
    for (int i = 0; i < 55; ++i) Type('x');
    EXPECT_EQ(Shown().size(), 50u);
    EXPECT_EQ(m_pBox->GetText(), std::string(49, 'x'));
}

TEST_F(Controls, RadioListKeepsOneButtonDown) {
    CDX9KelGUIRadioList* list = nullptr;
    ASSERT_EQ(m_pDialog->AddRadioList(true, &list), S_OK);
    CDX9KelGUICheckButton* b[3];
    for (int i = 0; i < 3; ++i) {
        b[i] = AddCheck(10 + 60 * i, 10, 60 + 60 * i, 40);
        EXPECT_EQ(list->AddButton(b[i]), i);
    }
    m_World.Frame(-5, -5, false);
    EXPECT_EQ(list->m_iSelected, 0);
    EXPECT_EQ(b[0]->m_iState, ButtonPressed);
    // Clicking the checked one changes nothing.
    m_World.Frame(20, 20, true);
    m_World.Frame(20, 20, false, 400);
    EXPECT_EQ(b[0]->m_iState, ButtonPressed);
    // Another one takes the selection from it.
    m_World.Frame(80, 20, false);
    m_World.Frame(80, 20, true);
    m_World.Frame(80, 20, false);
    m_World.Frame(80, 20, false);
    EXPECT_EQ(list->m_iSelected, 1);
    EXPECT_EQ(b[1]->m_iState, ButtonPressed);
    EXPECT_EQ(b[0]->m_iState, ButtonNormal);
    EXPECT_FALSE(list->SetButtonDisabled(2, true));
    EXPECT_TRUE(list->SetSelection(2));
    EXPECT_FALSE(list->SetSelection(3));
    m_World.Frame(-5, -5, false);
    EXPECT_EQ(b[2]->m_iState, ButtonPressed);
    EXPECT_EQ(b[1]->m_iState, ButtonNormal);
}

TEST_F(Controls, ADraggedDialogTakesEverythingItHoldsAlong) {
    // A draggable dialog over the fixture's: a red button with a green
    // caption and a radio list of two white check buttons.
    const int id = Gui().AddDialog(20, 120, 160, 230, nullptr, true);
    CDX9KelGUIDialog* d = Gui().GetDialog(id);
    ASSERT_NE(d, nullptr);
    CDX9KelGUIButton* button = nullptr;
    ASSERT_EQ(d->AddButton(30, 145, 90, 175, 0, "MMM", 0xFF00FF00u, m_World.Image(m_World.m_Red), nullptr, &button),
              S_OK);
    CDX9KelGUIRadioList* radio = nullptr;
    ASSERT_EQ(d->AddRadioList(true, &radio), S_OK);
    CDX9KelGUICheckButton* checks[2] = {};
    for (int i = 0; i < 2; ++i) {
        ASSERT_EQ(d->AddCheckButton(95 + 32 * i, 145, 125 + 32 * i, 175, 0, "", 0xFFFFFFFFu,
                                    m_World.Image(m_World.m_White), nullptr, &checks[i]),
                  S_OK);
        radio->AddButton(checks[i]);
    }
    // Grabbed by its title strip and moved by (150, -110).
    m_World.Frame(100, 130, true);
    m_World.Frame(175, 75, true);
    m_World.Frame(250, 20, true);
    m_World.Frame(250, 20, false);
    ASSERT_EQ(d->m_Rect.left, 170);
    ASSERT_EQ(d->m_Rect.top, 10);
    EXPECT_EQ(button->m_Rect.left, 180);
    EXPECT_EQ(button->m_pTextPart->m_Clip.left, button->m_pTextPart->m_Rect.left);
    EXPECT_EQ(button->m_pTextPart->m_Clip.top, button->m_pTextPart->m_Rect.top);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(checks[i]->m_Rect.left, 245 + 32 * i);
        EXPECT_EQ(checks[i]->m_Rect.top, 35);
        EXPECT_NEAR(checks[i]->m_pImagePart->m_Rect.top, 35, 1); // the checked look stands a pixel lower
    }

    IDirect3DDevice9* device = m_World.m_Device.m_pDevice;
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
    device->BeginScene();
    m_World.Frame(-5, -5, false);
    device->EndScene();
    const auto px = m_World.m_Device.Pixels();
    auto count = [&](int l, int t, int r, int b, auto test) {
        int n = 0;
        for (int y = t; y < b; ++y)
            for (int x = l; x < r; ++x) n += test(m_World.m_Device.At(px, UINT(x), UINT(y)) & 0xFFFFFFu) ? 1 : 0;
        return n;
    };
    auto green = [](DWORD c) { return c == 0x00FF00u; };
    auto lit = [](DWORD c) { return c != 0u; };
    // The caption shows on the button at its new place.
    EXPECT_GT(count(180, 35, 240, 65, green), 20);
    // Nothing is left where the dialog stood.
    EXPECT_EQ(count(30, 145, 160, 175, lit), 0);
    // The check buttons stand in the dialog's new place; a click there
    // checks the second one.
    EXPECT_GT(count(245, 35, 308, 66, lit), 1500);
    m_World.Frame(290, 50, false, 400);
    m_World.Frame(290, 50, true);
    m_World.Frame(290, 50, false);
    m_World.Frame(290, 50, false);
    EXPECT_EQ(radio->m_iSelected, 1);
}

TEST_F(Controls, RadioListWithoutMustSelectCanBeEmptied) {
    CDX9KelGUIRadioList* list = nullptr;
    ASSERT_EQ(m_pDialog->AddRadioList(false, &list), S_OK);
    CDX9KelGUICheckButton* a = AddCheck(10, 10, 60, 40);
    CDX9KelGUICheckButton* c = AddCheck(70, 10, 120, 40);
    list->AddButton(a);
    list->AddButton(c);
    EXPECT_EQ(list->m_iSelected, -1);
    EXPECT_TRUE(list->SetSelection(0));
    EXPECT_TRUE(list->SetSelection(-1));
    EXPECT_TRUE(list->SetButtonDisabled(1, true));
    m_World.Frame(-5, -5, false);
    EXPECT_EQ(c->m_iState, ButtonDisabled);
    EXPECT_EQ(list->m_iSelected, -1);
}

TEST_F(Controls, StateBarCoversItsPercentage) {
    CDX9KelGUIStateBar* bar = nullptr;
    ASSERT_EQ(m_pDialog->AddStateBar(10, 10, 110, 30, m_World.Image(m_World.m_Red), 0xFFFFFFFFu, false, &bar), S_OK);
    EXPECT_EQ(bar->m_iValue, 100);
    EXPECT_EQ(bar->m_pBarImage->m_Rect.right, 110);
    EXPECT_TRUE(bar->SetValue(0));
    EXPECT_EQ(bar->m_pBarImage->m_Rect.right - bar->m_pBarImage->m_Rect.left, 1);
    EXPECT_FALSE(bar->SetValue(101));
    EXPECT_EQ(bar->m_iValue, 0);
    CDX9KelGUIStateBar* vertical = nullptr;
    ASSERT_EQ(m_pDialog->AddStateBar(150, 10, 170, 110, m_World.Image(m_World.m_Red), 0xFFFFFFFFu, true, &vertical),
              S_OK);
    EXPECT_TRUE(vertical->SetValue(25));
    EXPECT_EQ(vertical->m_pBarImage->m_Rect.top, 85);
    EXPECT_EQ(vertical->m_pBarImage->m_Rect.bottom, 110);
    EXPECT_TRUE(vertical->MoveBy(10, 0));
    EXPECT_EQ(vertical->m_pBarImage->m_Rect.left, 160);
}

TEST_F(Controls, AScrollTextMadeNarrowerScrollsOverItsNewHeight) {
    // Forty words on a line of 120 pixels; at 50 pixels they wrap into
    // many more lines, and the bar's range covers them all.
    CDX9KelGUIScrollText* st = nullptr;
    ASSERT_EQ(m_pDialog->AddScrollText(10, 10, 150, 70, m_World.Bar(), &st), S_OK);
    std::string words;
    for (int i = 0; i < 40; ++i) words += "ab ";
    ASSERT_TRUE(st->AddText(0, AlignLeft, 0xFFFFFFFFu, words.c_str()));
    ASSERT_TRUE(st->AddText(0, AlignLeft, 0xFFFFFFFFu, "end"));
    const int wide = st->m_iContentHeight, wideMaximum = st->m_pScrollBar->m_iMaximum;
    ASSERT_TRUE(st->SetRect(10, 10, 70, 70));
    const int narrow = st->m_Texts[0]->GetTextHeight() + st->m_Texts[1]->GetTextHeight();
    EXPECT_GT(narrow, wide);
    EXPECT_EQ(st->m_iContentHeight, narrow);
    EXPECT_GT(st->m_pScrollBar->m_iMaximum, wideMaximum);
    // Scrolled to its end, the last block shows.
    for (int i = 0; i < 100; ++i) m_World.Frame(30, 30, false, 20, -1.0f);
    EXPECT_TRUE(st->m_Texts[1]->m_bVisible);
    EXPECT_LE(st->m_Texts[1]->m_Rect.top, 70);
}

TEST_F(Controls, ScrollTextStacksBlocksAndRefusesPast60000Pixels) {
    LogCapture log(m_Folder);
    CDX9KelGUIScrollText* st = nullptr;
    ASSERT_EQ(m_pDialog->AddScrollText(10, 10, 150, 110, m_World.Bar(), &st), S_OK);
    EXPECT_TRUE(st->AddText(0, AlignLeft, 0xFFFFFFFFu, "ab cd ef ab cd ef"));
    EXPECT_TRUE(st->AddText(0, AlignLeft, 0xFFFFFFFFu, "second"));
    EXPECT_EQ(st->m_Texts[1]->m_Rect.top, 10 + kLineHeight);
    std::string tall;
    for (int i = 0; i < 5000; ++i) tall += "a\n";
    EXPECT_TRUE(st->AddText(0, AlignLeft, 0xFFFFFFFFu, tall.c_str()));
    EXPECT_GT(st->m_pScrollBar->m_iMaximum, 0);
    EXPECT_FALSE(st->AddText(0, AlignLeft, 0xFFFFFFFFu, "more"));
    EXPECT_NE(log.Text().find("CDX9KelGUIScrollText::AddText: Error : sHeight > 60000"), std::string::npos);
    // The wheel over the text scrolls it by the step.
    const int top = st->m_Texts[0]->m_Rect.top;
    m_World.Frame(50, 50, false, 20, -1.0f);
    EXPECT_EQ(st->m_Texts[0]->m_Rect.top, top - st->m_iStep);
}

} // namespace
} // namespace GuiTest
