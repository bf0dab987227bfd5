// Text layout against the test font's known glyph metrics: one line, the
// wrapped modes with their horizontal placements, vertical placement, the
// refusals, and the geometry operations.
#include "GuiTestSupport.h"

#include "engine3/ui/sgui/CDX9KelSGUIText.h"

using namespace SguiTest;

namespace {

class TextTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = VornaTest::FreshFolder();
        m_log = std::make_unique<LogCapture>(m_dir);
        ASSERT_TRUE(m_world.Create());
        m_font = m_world.LoadTestFont(m_dir);
        ASSERT_EQ(m_font, 0);
        m_dialog = m_world.m_Gui.InitDialog("D", true, 0, 0, 320, 240);
        ASSERT_NE(m_dialog, nullptr);
    }
    CDX9KelSGUIText* Add(const char* text, int format, LONG left, LONG top, LONG right, LONG bottom) {
        return m_dialog->AddText(m_world.m_pDevice, "t", false, m_font, format, nullptr, text, left, top, right,
                                 bottom, 1, 1, 1, 1);
    }
    // Left and top of quad q (its second vertex is the top-left corner).
    static std::pair<float, float> Corner(CDX9KelSGUIText* t, size_t q) {
        const auto v = Vertices(t);
        return {v.at(4 * q + 1).x, v.at(4 * q + 1).y};
    }

    std::filesystem::path m_dir;
    std::unique_ptr<LogCapture> m_log;
    GuiWorld m_world;
    int m_font = -1;
    CDX9KelSGUIDialog* m_dialog = nullptr;
};

} // namespace

TEST_F(TextTest, OneLineAdvancesByGlyphAndBlankWidths) {
    CDX9KelSGUIText* t = Add("a b", SGUI_TEXT_FORMAT_NO, 10, 20, 200, 60);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->m_dwVertexCount, 8u);
    EXPECT_EQ(t->m_dwIndexCount, 12u);
    const auto v = Vertices(t);
    // 'a': quad from pen + xoffset, top + yoffset, width x height, with its
    // texture rectangle.
    EXPECT_FLOAT_EQ(v[1].x, 11.0f);
    EXPECT_FLOAT_EQ(v[1].y, 22.0f);
    EXPECT_FLOAT_EQ(v[2].x, 11.0f + GlyphWidth('a'));
    EXPECT_FLOAT_EQ(v[0].y, 32.0f);
    EXPECT_FLOAT_EQ(v[1].u, (97 % 12) * 10 / 128.0f);
    EXPECT_FLOAT_EQ(v[1].v, (97 / 12) * 12 / 128.0f);
    EXPECT_FLOAT_EQ(v[0].v, ((97 / 12) * 12 + 10) / 128.0f);
    EXPECT_FLOAT_EQ(v[1].z, -90.0f);
    EXPECT_EQ(v[1].color, 0xFFFFFFFFu);
    // 'b' at left + (xoffset + width of 'a') + blank + xoffset of 'b'.
    EXPECT_FLOAT_EQ(Corner(t, 1).first, 10.0f + GlyphSpan('a') + BlankWidth() + 1);
    EXPECT_EQ(t->GetLineCount(), 1u);

    // No wrapping: the line runs past the right edge.
    CDX9KelSGUIText* longer = Add("abcdefghij", SGUI_TEXT_FORMAT_NO, 0, 0, 20, 20);
    ASSERT_NE(longer, nullptr);
    EXPECT_GT(Vertices(longer)[4 * 9 + 2].x, 20.0f);
    // A line break is not interpreted and its quad stays empty; a character
    // without a glyph too.
    CDX9KelSGUIText* breaks = Add("a\n\xC0" "b", SGUI_TEXT_FORMAT_NO, 0, 0, 100, 20);
    ASSERT_NE(breaks, nullptr);
    const auto bv = Vertices(breaks);
    for (int i = 4; i < 12; ++i) EXPECT_EQ(bv[i].x, 0.0f);
    EXPECT_FLOAT_EQ(bv[13].x, GlyphSpan('a') + 1.0f);
}

TEST_F(TextTest, WrappedModesBreakAtTheRightEdgeAndPlaceEachLine) {
    // "ab cd": ab spans 13 + 14... the box takes one word per line.
    const int ab = GlyphSpan('a') + GlyphSpan('b');
    const int cd = GlyphSpan('c') + GlyphSpan('d');
    const LONG width = ab + BlankWidth() + cd - 1;
    struct Case {
        int format;
        float firstLeft;
        float secondLeft;
    } cases[] = {
        {SGUI_TEXT_FORMAT_W_LEFT, 1, 1},
        // Closed at a wrapping blank: (right - pen) / 2 with the pen after the
        // word and its blank; the last line: (right - pen - word) / 2.
        {SGUI_TEXT_FORMAT_W_CENTER, 1.0f + (width - ab - BlankWidth()) / 2, 1.0f + (width - cd) / 2},
        // A line of one word is not spread.
        {SGUI_TEXT_FORMAT_W_WIDTH, 1, 1},
    };
    for (const Case& c : cases) {
        CDX9KelSGUIText* t = Add("ab cd", c.format, 0, 0, width, 100);
        ASSERT_NE(t, nullptr) << c.format;
        EXPECT_EQ(t->GetLineCount(), 2u) << c.format;
        EXPECT_FLOAT_EQ(Corner(t, 0).first, c.firstLeft) << c.format;
        EXPECT_FLOAT_EQ(Corner(t, 0).second, 2.0f) << c.format;
        EXPECT_FLOAT_EQ(Corner(t, 2).first, c.secondLeft) << c.format;
        EXPECT_FLOAT_EQ(Corner(t, 2).second, 2.0f + kLineHeight) << c.format;
        EXPECT_EQ(t->GetText(), "ab cd");
    }
    // One pixel wider, both words fit on one line.
    CDX9KelSGUIText* one = Add("ab cd", SGUI_TEXT_FORMAT_W_LEFT, 0, 0, width + 1, 100);
    EXPECT_EQ(one->GetLineCount(), 1u);
    EXPECT_FLOAT_EQ(Corner(one, 2).first, ab + BlankWidth() + 1.0f);
}

TEST_F(TextTest, JustifiedLinesSpreadTheirBlanksExceptTheLastAndBrokenOnes) {
    // Three words of which two fit: the first line's blank is widened by the
    // room left after the pen.
    const int a = GlyphSpan('a'), b = GlyphSpan('b'), c = GlyphSpan('c');
    const LONG width = a + BlankWidth() + b + BlankWidth() + 3;
    CDX9KelSGUIText* t = Add("a b c", SGUI_TEXT_FORMAT_W_WIDTH, 0, 0, width, 100);
    ASSERT_NE(t, nullptr);
    ASSERT_EQ(t->GetLineCount(), 2u);
    const long pen = a + BlankWidth() + b + BlankWidth();
    EXPECT_FLOAT_EQ(Corner(t, 1).first, a + BlankWidth() + (width - pen) + 1.0f);
    EXPECT_FLOAT_EQ(Corner(t, 2).first, 1.0f);
    (void)c;
    // An explicit break closes a line that is then not spread.
    CDX9KelSGUIText* broken = Add("a b\nc", SGUI_TEXT_FORMAT_W_WIDTH, 0, 0, 200, 100);
    ASSERT_EQ(broken->GetLineCount(), 2u);
    EXPECT_FLOAT_EQ(Corner(broken, 1).first, a + BlankWidth() + 1.0f);
    EXPECT_FLOAT_EQ(Corner(broken, 2).second, 2.0f + kLineHeight);
}

TEST_F(TextTest, VerticalPlacementCentresOrBottomAlignsTheBlock) {
    const LONG width = GlyphSpan('a') + GlyphSpan('b') + 2;
    struct Case {
        int format;
        float top;
    } cases[] = {
        {SGUI_TEXT_FORMAT_W_LEFT, 2.0f},
        {SGUI_TEXT_FORMAT_W_LEFT + SGUI_TEXT_FORMAT_H_CENTER_ADD, 2.0f + 101 / 2 - 24 / 2},
        {SGUI_TEXT_FORMAT_W_LEFT + SGUI_TEXT_FORMAT_H_BOTTOM_ADD, 2.0f + 101 - 24},
    };
    for (const Case& c : cases) {
        CDX9KelSGUIText* t = Add("ab ab", c.format, 0, 0, width, 101);
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(t->GetLineCount(), 2u);
        EXPECT_FLOAT_EQ(Corner(t, 0).second, c.top) << c.format;
        EXPECT_FLOAT_EQ(Corner(t, 2).second, c.top + kLineHeight) << c.format;
    }
}

TEST_F(TextTest, NarrowBoxesBadFormatsAndFontlessTextsAreRefused) {
    for (int format : {1, 2, 3, 11, 23})
        EXPECT_EQ(Add("ab", format, 0, 0, 9, 20), nullptr) << format;
    EXPECT_NE(Add("ab", SGUI_TEXT_FORMAT_NO, 0, 0, 9, 20), nullptr);
    for (int format : {4, 14, 24, -1}) EXPECT_EQ(Add("ab", format, 0, 0, 100, 20), nullptr) << format;
    EXPECT_EQ(m_dialog->AddText(m_world.m_pDevice, "t", false, 5, 0, nullptr, "ab", 0, 0, 100, 20, 1, 1, 1, 1),
              nullptr);
    // Blanks alone have no quads to make.
    EXPECT_EQ(Add("   ", SGUI_TEXT_FORMAT_NO, 0, 0, 100, 20), nullptr);
    const std::string log = m_log->Text();
    EXPECT_NE(log.find("CDX9KelSGUIText::FormatText: SGUI_TEXT_FORMAT_W_LEFT failed\n"), std::string::npos);
    EXPECT_NE(log.find("CDX9KelSGUIText::FormatText: Not found text align type : 14\n"), std::string::npos);
    EXPECT_NE(log.find("CDX9KelSGUIText::FormatText: manager not found bitmap font : 5\n"), std::string::npos);
}

TEST_F(TextTest, TextsColoursAndRectanglesRelayOnlyWhenSomethingChanges) {
    CDX9KelSGUIText* t = Add("ab", SGUI_TEXT_FORMAT_NO, 0, 0, 100, 20);
    ASSERT_NE(t, nullptr);
    EXPECT_TRUE(t->SetText(""));
    EXPECT_EQ(t->GetText(), "ab");
    EXPECT_TRUE(t->SetText("abc"));
    EXPECT_EQ(t->m_dwVertexCount, 12u);

    EXPECT_TRUE(t->SetColor(0.5f, 1.5f, -1.0f, 1.0f));
    for (const SGUIVertex& v : Vertices(t)) EXPECT_EQ(v.color, 0xFF80FF00u);

    // The same rectangle is not laid out again: a hand-made mark survives.
    void* data = nullptr;
    ASSERT_EQ(t->m_pVB->Lock(0, 0, &data, 0), D3D_OK);
    static_cast<SGUIVertex*>(data)[1].x = 999.0f;
    t->m_pVB->Unlock();
    EXPECT_TRUE(t->SetRect(0, 0, 100, 20));
    EXPECT_FLOAT_EQ(Corner(t, 0).first, 999.0f);
    EXPECT_TRUE(t->SetRect(10, 0, 110, 20));
    EXPECT_FLOAT_EQ(Corner(t, 0).first, 11.0f);
    EXPECT_EQ(t->m_ClipRect.left, 10);

    // MoveTo moves the glyphs without a new layout; MoveBy through the matrix.
    EXPECT_TRUE(t->MoveTo(20, 5));
    EXPECT_FLOAT_EQ(Corner(t, 0).first, 21.0f);
    EXPECT_FLOAT_EQ(Corner(t, 0).second, 7.0f);
    EXPECT_EQ(t->m_ClipRect.top, 5);
    const float before = t->m_mWorld._41;
    EXPECT_TRUE(t->MoveBy(3, 0));
    EXPECT_FLOAT_EQ(t->m_mWorld._41, before + 3.0f);
    EXPECT_EQ(t->GetRect().left, 23);
    EXPECT_FALSE(t->Resize(0, 5));
    EXPECT_TRUE(t->Resize(50, 20));
    EXPECT_EQ(t->GetRect().right, 73);
}
