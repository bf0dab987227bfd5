// The list box with its scroll bar, the radio list and the scrolling check
// list driven frame by frame: selection, scrolling, first visible items,
// reuse of removed lines and removing items around the selection.
#include "ControlsTestSupport.h"

#include "engine3/ui/sgui/CDX9KelSGUIControlListBox.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlRadioList.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlScrollBar.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlScrollCheckList.h"

using namespace ControlsTest;

namespace {

const float kSelected[4] = {1, 0, 0, 1};

class ListBoxTest : public ControlsFixture {
protected:
    void SetUp() override {
        ControlsFixture::SetUp();
        if (IsSkipped())
            return;
        // Lines are 12 pixels: eight fit into 100.
        m_list = m_dialog->AddListBox("Saves", m_font, nullptr, 10, 10, 110, 110, kWhite, kSelected);
        ASSERT_NE(m_list, nullptr) << Log();
        m_bar = m_dialog->AddScrollBar(device(), "SavesBar", m_texture, kWhite, m_texture, kWhite, m_none, kWhite,
                                       m_none, kWhite, true, 110, 10, 126, 110);
        ASSERT_NE(m_bar, nullptr) << Log();
        m_list->SetScrollBar(m_bar);
    }
    CDX9KelSGUIControlListBox* m_list = nullptr;
    CDX9KelSGUIControlScrollBar* m_bar = nullptr;
};

TEST_F(ListBoxTest, LinesScrollAndSelect) {
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(m_list->AddItem(device(), ("save " + std::to_string(i)).c_str()), i);
    EXPECT_EQ(m_list->AddItem(device(), ""), -1);
    EXPECT_EQ(m_list->AddItem(nullptr, "x"), -1);
    for (int i = 0; i < 12; ++i) EXPECT_EQ(m_list->m_vItems[i]->IsVisible(), i < 8) << i;
    // 44 pixels too many: steps of 10, four positions.
    EXPECT_EQ(m_list->m_iScrollStep, 10);
    EXPECT_EQ(m_bar->m_iCount, 4);

    // A click on a hidden line or below the lines selects nothing.
    Click(50, 108);
    EXPECT_EQ(m_list->GetSelected(), -1);
    Click(50, 30); // line 1 (22..34)
    EXPECT_EQ(m_list->GetSelected(), 1);
    EXPECT_EQ(m_list->GetSelectedText(), "save 1");
    EXPECT_EQ(Vertices(m_list->m_vItems[1])[0].color, 0xFFFF0000u);

    // The wheel over the lines moves the bar, and the lines follow.
    gui().m_fWheel = -120.0f;
    m_world.Frame(50, 50, false);
    m_world.Frame(50, 50, false);
    gui().m_fWheel = 0.0f;
    m_world.Frame(50, 50, false);
    EXPECT_EQ(m_bar->GetPosition(), 2);
    EXPECT_EQ(m_list->m_vItems[0]->GetRect().top, 10 - 20);
    EXPECT_FALSE(m_list->m_vItems[0]->IsVisible());
    EXPECT_FALSE(m_list->m_vItems[1]->IsVisible());
    EXPECT_TRUE(m_list->m_vItems[9]->IsVisible());
    Click(50, 30); // now line 3
    EXPECT_EQ(m_list->GetSelected(), 3);
    EXPECT_EQ(Vertices(m_list->m_vItems[1])[0].color, 0xFFFFFFFFu);
}

TEST_F(ListBoxTest, ClearedLinesAreReusedLastFirst) {
    for (int i = 0; i < 10; ++i) m_list->AddItem(device(), "line");
    ASSERT_TRUE(m_list->Select(2));
    CDX9KelSGUIText* last = m_list->m_vItems[9];
    m_bar->SetPosition(1);
    m_world.Frame(300, 200, false);
    const size_t controls = m_dialog->m_vControls.size();
    m_list->Clear();
    EXPECT_EQ(m_list->GetCount(), 0u);
    EXPECT_EQ(m_list->GetSelected(), -1);
    EXPECT_EQ(m_bar->GetPosition(), 0);
    EXPECT_FALSE(last->IsVisible());
    EXPECT_FALSE(m_list->Select(0));
    EXPECT_EQ(m_list->AddItem(device(), "again"), 0);
    EXPECT_EQ(m_list->m_vItems[0], last);
    EXPECT_EQ(last->GetText(), "again");
    EXPECT_EQ(last->GetRect().top, 10);
    EXPECT_TRUE(last->IsVisible());
    EXPECT_EQ(m_dialog->m_vControls.size(), controls);
}

TEST_F(ListBoxTest, AScrollBarWithoutRoomForPositionsScrollsNothing) {
    // Arrows of 16 pixels leave a 4-pixel track: no position fits.
    auto* tiny = m_dialog->AddScrollBar(device(), "TinyBar", m_texture, kWhite, m_texture, kWhite, m_texture, kWhite,
                                        m_texture, kWhite, true, 200, 10, 216, 46);
    ASSERT_NE(tiny, nullptr) << Log();
    auto* list = m_dialog->AddListBox("Small", m_font, nullptr, 150, 10, 200, 46, kWhite, kSelected);
    ASSERT_NE(list, nullptr);
    list->SetScrollBar(tiny);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(list->AddItem(device(), "x"), i);
    EXPECT_FALSE(list->UpdateScrollBar());
    EXPECT_EQ(tiny->m_iCount, 0);
    EXPECT_EQ(list->m_iScrollStep, 72 - 36 + 1);
    gui().m_fWheel = -120.0f;
    m_world.Frame(170, 20, false);
    EXPECT_EQ(tiny->GetPosition(), 0);
    // A list without a font is refused.
    EXPECT_EQ(m_dialog->AddListBox("NoFont", 7, nullptr, 10, 10, 50, 50, kWhite, kSelected), nullptr);
}

class RadioListTest : public ControlsFixture {
protected:
    void Make(bool mustSelect) {
        m_radio = m_dialog->AddRadioList("Radio", mustSelect);
        ASSERT_NE(m_radio, nullptr);
        for (int i = 0; i < 3; ++i) {
            m_buttons[i] = AddCheck(("Choice" + std::to_string(i)).c_str(), 10 + 40 * i, 10, 40 + 40 * i, 40);
            ASSERT_NE(m_buttons[i], nullptr) << Log();
            EXPECT_EQ(m_radio->AddItem(m_buttons[i]), i);
        }
    }
    DWORD State(int i) const { return m_buttons[i]->GetState(); }
    CDX9KelSGUIControlRadioList* m_radio = nullptr;
    CDX9KelSGUIControlButtonCheck* m_buttons[3] = {};
};

TEST_F(RadioListTest, MustSelectKeepsExactlyOneChoice) {
    Make(true);
    EXPECT_EQ(m_radio->GetSelected(), 0);
    EXPECT_EQ(State(0), SGUI_BUTTON_PRESSED);
    Click(25, 25); // the checked one again: stays checked
    EXPECT_EQ(m_radio->GetSelected(), 0);
    EXPECT_EQ(State(0), SGUI_BUTTON_PRESSED);
    Click(105, 25); // the third: the first lets go in its next update
    EXPECT_EQ(m_radio->GetSelected(), 2);
    EXPECT_EQ(State(2), SGUI_BUTTON_PRESSED);
    m_world.Frame(300, 200, false);
    EXPECT_EQ(State(0), SGUI_BUTTON_NORMAL);
    EXPECT_FALSE(m_radio->SetItemLocked(2, true));
    EXPECT_TRUE(m_radio->SetItemLocked(1, true));
    EXPECT_EQ(State(1), SGUI_BUTTON_LOCKED);
    Click(65, 25); // locked: ignored
    EXPECT_EQ(m_radio->GetSelected(), 2);
    EXPECT_TRUE(m_radio->SetSelected(0));
    EXPECT_EQ(State(2), SGUI_BUTTON_NORMAL);
    EXPECT_EQ(State(0), SGUI_BUTTON_PRESSED);
    EXPECT_FALSE(m_radio->SetSelected(3));
}

TEST_F(RadioListTest, WithoutMustSelectTheChoiceCanBeTakenBack) {
    Make(false);
    EXPECT_EQ(m_radio->GetSelected(), -1);
    EXPECT_EQ(State(0), SGUI_BUTTON_NORMAL);
    Click(65, 25);
    EXPECT_EQ(m_radio->GetSelected(), 1);
    Click(25, 25); // the first comes earlier: the second lets go in this frame's walk
    EXPECT_EQ(m_radio->GetSelected(), 0);
    EXPECT_EQ(State(1), SGUI_BUTTON_NORMAL);
    Click(25, 25);
    EXPECT_EQ(m_radio->GetSelected(), -1);
    EXPECT_EQ(State(0), SGUI_BUTTON_HOVER); // unchecked, the cursor still on it
    EXPECT_TRUE(m_radio->SetSelected(2));
    EXPECT_TRUE(m_radio->SetItemLocked(2, true));
    EXPECT_EQ(m_radio->GetSelected(), -1);
    auto* empty = m_dialog->AddRadioList("Empty", false);
    ASSERT_NE(empty, nullptr);
    EXPECT_FALSE(empty->SetSelected(-1));
}

class CheckListTest : public ControlsFixture {
protected:
    void SetUp() override {
        ControlsFixture::SetUp();
        if (IsSkipped())
            return;
        m_list = m_dialog->AddScrollCheckList(device(), "Ships", 10, 100, 310, 140, true, false);
        ASSERT_NE(m_list, nullptr) << Log();
        m_back = m_dialog->AddButton(device(), "Back", false, -1, 0, "", m_texture, 10, 150, 40, 170, kWhite, kFull,
                                     kWhite);
        m_forward = m_dialog->AddButton(device(), "Forward", false, -1, 0, "", m_texture, 50, 150, 80, 170, kWhite,
                                        kFull, kWhite);
        ASSERT_TRUE(m_back && m_forward);
        m_list->SetScrollButtons(m_back, m_forward);
    }
    CDX9KelSGUIControlButtonCheck* AddShip(int i) {
        auto* b = AddCheck(("Ship" + std::to_string(i)).c_str(), 0, 0, 60, 40);
        EXPECT_TRUE(m_list->AddItem(b));
        return b;
    }
    int FirstShown() const {
        for (size_t i = 0; i < m_list->m_vItems.size(); ++i)
            if (m_list->m_vItems[i]->IsVisible()) return static_cast<int>(i);
        return -1;
    }
    CDX9KelSGUIControlScrollCheckList* m_list = nullptr;
    CDX9KelSGUIControlButton* m_back = nullptr;
    CDX9KelSGUIControlButton* m_forward = nullptr;
};

TEST_F(CheckListTest, FourOfSixShowAndTheButtonsScroll) {
    for (int i = 0; i < 4; ++i) AddShip(i);
    EXPECT_FALSE(m_back->IsVisible());
    EXPECT_EQ(m_list->m_vItems[3]->GetRect().left, 10 + 3 * 65);
    AddShip(4);
    AddShip(5);
    EXPECT_TRUE(m_back->IsVisible());
    EXPECT_TRUE(m_forward->IsVisible());
    EXPECT_FALSE(m_list->m_vItems[4]->IsVisible());
    auto* odd = AddCheck("Odd", 0, 0, 61, 40);
    EXPECT_FALSE(m_list->AddItem(odd));
    EXPECT_FALSE(m_list->AddItem(nullptr));
    // Emptied, the list takes items of another size: the first sets it again.
    {
        const std::vector<CDX9KelSGUIControlButtonCheck*> kept = m_list->m_vItems;
        ASSERT_TRUE(m_list->Clear());
        EXPECT_TRUE(m_list->AddItem(odd));
        EXPECT_FALSE(m_list->AddItem(kept[0]));
        ASSERT_TRUE(m_list->Clear());
        for (CDX9KelSGUIControlButtonCheck* b : kept) ASSERT_TRUE(m_list->AddItem(b));
    }

    // Forward held for a second: it stops at the last full window (6 - 4).
    m_world.Frame(65, 160, false);
    FreeTimer();
    for (int i = 0; i < 60; ++i) m_world.Frame(65, 160, true);
    m_world.Frame(65, 160, false);
    EXPECT_EQ(m_list->m_iFirstVisible, 2);
    EXPECT_EQ(FirstShown(), 2);
    EXPECT_EQ(m_list->m_vItems[2]->GetRect().left, 10);
    EXPECT_FALSE(m_list->m_vItems[1]->IsVisible());
    m_world.Frame(25, 160, false);
    FreeTimer();
    m_world.Frame(25, 160, true);
    m_world.Frame(25, 160, true);
    m_world.Frame(25, 160, false);
    EXPECT_EQ(m_list->m_iFirstVisible, 1);
}

TEST_F(CheckListTest, AListThatShrinksBelowItsWindowShowsEveryItem) {
    for (int i = 0; i < 6; ++i) AddShip(i);
    m_list->m_iFirstVisible = 2;
    ASSERT_TRUE(m_list->Layout());
    ASSERT_EQ(FirstShown(), 2);
    // Three go: the three left fit and show from the first, without scrolling.
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(m_list->RemoveItem(m_list->m_vItems[0]));
    EXPECT_EQ(m_list->m_iFirstVisible, 0);
    for (size_t i = 0; i < m_list->m_vItems.size(); ++i) {
        EXPECT_TRUE(m_list->m_vItems[i]->IsVisible()) << i;
        EXPECT_EQ(m_list->m_vItems[i]->GetRect().left, 10 + static_cast<LONG>(i) * 65) << i;
    }
    EXPECT_FALSE(m_back->IsVisible());
    EXPECT_FALSE(m_forward->IsVisible());
}

TEST_F(CheckListTest, OneCheckedItemAndRemovalsAroundIt) {
    for (int i = 0; i < 4; ++i) AddShip(i);
    Click(10 + 65 + 30, 120); // item 1
    EXPECT_EQ(m_list->GetSelected(), 1);
    Click(10 + 2 * 65 + 30, 120); // item 2: item 1 lets go in the same frame
    EXPECT_EQ(m_list->GetSelected(), 2);
    EXPECT_EQ(m_list->m_vItems[1]->GetState(), SGUI_BUTTON_NORMAL);
    EXPECT_EQ(m_list->m_vItems[2]->GetState(), SGUI_BUTTON_PRESSED);

    // Removing an item before the selection leaves the index as it was.
    CDX9KelSGUIControlButtonCheck* checked = m_list->m_vItems[2];
    ASSERT_TRUE(m_list->RemoveItem(m_list->m_vItems[0]));
    EXPECT_EQ(m_list->GetSelected(), 2);
    EXPECT_FALSE(m_list->RemoveItem(nullptr));
    EXPECT_FALSE(m_list->RemoveItem(AddCheck("Stranger", 0, 0, 60, 40)));
    // Two more go: the index points past the end and counts as none...
    ASSERT_TRUE(m_list->RemoveItem(m_list->m_vItems[2]));
    ASSERT_TRUE(m_list->RemoveItem(m_list->m_vItems[0]));
    EXPECT_EQ(m_list->GetSelected(), -1);
    // ...until the next frame finds the checked item again.
    m_world.Frame(300, 200, false);
    EXPECT_EQ(m_list->GetSelected(), 0);
    EXPECT_EQ(m_list->m_vItems[0], checked);
    ASSERT_TRUE(m_list->RemoveItem(checked));
    EXPECT_EQ(m_list->GetSelected(), -1);
    EXPECT_EQ(checked->GetState(), SGUI_BUTTON_NORMAL);
    EXPECT_FALSE(checked->IsVisible());
    EXPECT_TRUE(m_list->Clear());
    EXPECT_FALSE(m_list->SetSelected(0));
}

} // namespace
