// The edit box driven frame by frame: focus, typing code page 1251 bytes,
// Backspace, the length limit, each typed character taken once however the
// frames are paced, Backspace repeat on the shared timer, and a caret
// that is never part of the typed text.
#include "ControlsTestSupport.h"

#include "engine3/core/CDX9KelInput.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlEditBox.h"

using namespace ControlsTest;

namespace {

class EditBoxTest : public ControlsFixture {
protected:
    void SetUp() override {
        ControlsFixture::SetUp();
        if (IsSkipped())
            return;
        m_box = m_dialog->AddEditBox(device(), "Name", m_font, 10, 10, 210, 30, 1, 1, 1, 1);
        ASSERT_NE(m_box, nullptr) << Log();
    }
    // What the box shows: its text part's text, empty when the part draws nothing.
    std::string Shown() const { return m_box->m_pText->m_dwVertexCount ? m_box->m_pText->GetText() : ""; }
    // One frame with a typed character, copied in from the input state as the game scene does.
    void TypeFrame(unsigned char c, LONG x = 300, LONG y = 200) {
        Frame(c ? std::string(1, static_cast<char>(c)) : std::string(), 16, x, y);
    }
    // One frame taking the characters typed since the last one; the clock
    // then moves on by `ms`.
    void Frame(const std::string& typed, DWORD ms, LONG x = 300, LONG y = 200) {
        Vorna3D::g_Input.m_strTyped = typed;
        Vorna3D::g_Input.m_cChar = typed.empty() ? 0 : static_cast<BYTE>(typed.back());
        Vorna3D::g_Input.m_iCursorX = x;
        Vorna3D::g_Input.m_iCursorY = y;
        Vorna3D::g_Input.m_bLeftDown = false;
        gui().SetInput(Vorna3D::g_Input);
        gui().m_pKeyboardState = m_world.m_Keys;
        gui().Update(1.0f);
        m_world.m_Clock.Advance(ms);
    }
    // Types one character as a player would: the key is held until it shows.
    void Type(unsigned char c) {
        const size_t before = m_box->GetText().size();
        for (int i = 0; i < 20 && m_box->GetText().size() == before; ++i) TypeFrame(c);
        TypeFrame(0);
    }
    CDX9KelSGUIControlEditBox* m_box = nullptr;
};

TEST_F(EditBoxTest, ClickTypeAndClickAway) {
    EXPECT_EQ(m_box->GetType(), SGUI_CONTROL_EDIT_BOX);
    EXPECT_EQ(m_box->m_pText->GetName(), "Name_text");
    EXPECT_TRUE(m_box->m_pText->m_bClip);
    // Typing into a box without the focus does nothing.
    TypeFrame('x');
    EXPECT_EQ(m_box->GetText(), "");

    Click(20, 20);
    EXPECT_TRUE(m_box->IsFocused());
    EXPECT_EQ(Shown(), "|");
    EXPECT_EQ(m_box->GetText(), "");
    m_world.m_Clock.Advance(400);
    // Two ASCII letters and a Cyrillic letter as its code page 1251 byte.
    Type('a');
    Type('b');
    Type(0xC6);
    EXPECT_EQ(Shown(), "ab\xC6|");
    EXPECT_EQ(m_box->GetText(), "ab\xC6");

    Click(300, 200);
    EXPECT_FALSE(m_box->IsFocused());
    EXPECT_EQ(Shown(), "ab\xC6");
    EXPECT_EQ(m_box->GetText(), "ab\xC6");
}

TEST_F(EditBoxTest, BackspaceControlCharactersAndTheLengthLimit) {
    Click(20, 20);
    m_world.m_Clock.Advance(400);
    // Backspace on the caret alone changes nothing.
    m_world.Key(CDX9KelSGUIControlEditBox::kBackspaceKey, true);
    for (int i = 0; i < 20; ++i) TypeFrame(0);
    m_world.Key(CDX9KelSGUIControlEditBox::kBackspaceKey, false);
    EXPECT_EQ(Shown(), "|");
    for (unsigned char c : {1, 8, 13, 27, 31})
        for (int i = 0; i < 10; ++i) TypeFrame(c);
    EXPECT_EQ(m_box->GetText(), "");

    Type('q');
    Type('w');
    m_world.Key(CDX9KelSGUIControlEditBox::kBackspaceKey, true);
    for (int i = 0; i < 20 && m_box->GetText().size() == 2; ++i) TypeFrame(0);
    m_world.Key(CDX9KelSGUIControlEditBox::kBackspaceKey, false);
    EXPECT_EQ(m_box->GetText(), "q");
    EXPECT_EQ(Shown(), "q|");

    ASSERT_TRUE(m_box->SetText(std::string(120, 'z').c_str()));
    EXPECT_EQ(m_box->GetText().size(), 99u);
    for (int i = 0; i < 40; ++i) TypeFrame('y');
    EXPECT_EQ(m_box->GetText(), std::string(99, 'z'));
    EXPECT_EQ(Shown().size(), 100u);
    EXPECT_FALSE(m_box->SetText(nullptr));
}

TEST_F(EditBoxTest, EachTypedCharacterGoesInOnceHoweverTheFramesArePaced) {
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
        ASSERT_TRUE(m_box->SetText(""));
        Click(20, 20);
        ASSERT_TRUE(m_box->IsFocused());
        for (const auto& [typed, ms] : c.frames) Frame(typed, ms);
        EXPECT_EQ(m_box->GetText(), c.text);
        Click(300, 200);
        m_world.m_Clock.Advance(400);
    }
    // A character left standing in the input without a new message is not
    // typed again, whatever time passes.
    ASSERT_TRUE(m_box->SetText(""));
    Click(20, 20);
    Vorna3D::g_Input.m_strTyped = "k";
    for (int i = 0; i < 20; ++i) {
        Vorna3D::g_Input.m_cChar = 'k';
        gui().SetInput(Vorna3D::g_Input);
        gui().Update(1.0f);
        m_world.m_Clock.Advance(150);
    }
    EXPECT_EQ(m_box->GetText(), "k");
}

TEST_F(EditBoxTest, AHeldBackspaceRepeatsOnTheSharedTimer) {
    ASSERT_TRUE(m_box->SetText("abcdefghijkl"));
    Click(20, 20);
    m_world.m_Clock.Advance(400);
    // 16 ms frames: one character goes, then the timer stays armed until more
    // than 100 ms have passed (7 frames), is cleared on the 8th and gives the next.
    m_world.Key(CDX9KelSGUIControlEditBox::kBackspaceKey, true);
    for (int i = 0; i < 50; ++i) TypeFrame(0);
    m_world.Key(CDX9KelSGUIControlEditBox::kBackspaceKey, false);
    EXPECT_EQ(m_box->GetText(), "abcde");
}

TEST_F(EditBoxTest, AnEmptyBoxShowsNothingOnceTheFocusGoes) {
    Click(20, 20);
    EXPECT_EQ(Shown(), "|");
    Click(300, 200);
    EXPECT_EQ(Shown(), "");
    EXPECT_EQ(m_box->GetText(), "");

    // Typed and erased again: nothing shown, nothing typed.
    ASSERT_TRUE(m_box->SetText("ab"));
    Click(20, 20);
    EXPECT_EQ(Shown(), "ab|");
    m_box->Reset();
    EXPECT_FALSE(m_box->IsFocused());
    EXPECT_EQ(Shown(), "ab");
    ASSERT_TRUE(m_box->SetText(""));
    EXPECT_EQ(Shown(), "");

    // The box and its text part move together; the clip follows.
    ASSERT_TRUE(m_box->MoveBy(5, 7));
    EXPECT_EQ(m_box->m_pText->m_ClipRect.left, 15);
    EXPECT_EQ(m_box->m_pText->m_ClipRect.top, 17);
    EXPECT_FALSE(m_box->MoveBy(0, 0));
    EXPECT_FALSE(m_box->SetRect(0, 0, 0, 10));
}

TEST_F(EditBoxTest, ABoxOutsideTheDialogIsRefused) {
    EXPECT_EQ(m_dialog->AddEditBox(device(), "Wide", m_font, 10, 10, 321, 30, 1, 1, 1, 1), nullptr);
    EXPECT_NE(Log().find("CDX9KelSGUIDialog::AddEditBox: borders out of dialog. Dialog : Controls Control : Wide\n"),
              std::string::npos)
        << Log();
    EXPECT_EQ(m_dialog->FindControl("Wide_text"), nullptr);
}

} // namespace
