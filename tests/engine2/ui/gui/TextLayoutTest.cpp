// Text layout: the quads of each alignment, wrapping, centring, justifying
// and the refusals, on the test font with known glyph widths.
#include <tinyxml.h>

#include "GuiTestSupport.h"
#include "engine2/ui/gui/CDX9KelGUIText.h"

namespace GuiTest {
namespace {

class TextLayout : public GuiFixture {
protected:
    CDX9KelGUIText* Add(const std::string& text, int align, int left, int top, int right, int bottom) {
        CDX9KelGUIText* t = nullptr;
        EXPECT_EQ(m_pDialog->AddText(left, top, right, bottom, 0, align, nullptr, nullptr, 0xFFFFFFFFu, text, false, &t),
                  S_OK);
        return t;
    }
    // The left edge of the quad of the n-th drawn character.
    static float QuadLeft(const CDX9KelGUIText* t, int n) { return t->GetVertices()[static_cast<std::size_t>(4 * n)].x; }
    static float QuadTop(const CDX9KelGUIText* t, int n) {
        return t->GetVertices()[static_cast<std::size_t>(4 * n + 1)].y;
    }
};

TEST_F(TextLayout, TwoLettersAndABlankGiveTwoQuadsTheSecondShiftedByTheBlank) {
    CDX9KelGUIText* t = Add("a b", AlignNo, 10, 20, 200, 60);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->m_iVertexCount, 8);
    EXPECT_EQ(t->m_iIndexCount, 12);
    const auto& v = t->GetVertices();
    // 'a' from 11 to 17; the blank is as wide as glyph 97; 'b' is 7 wide.
    EXPECT_EQ(v[1].x, 11.0f);
    EXPECT_EQ(v[1].y, 22.0f);
    EXPECT_EQ(v[0].y, 32.0f);
    EXPECT_EQ(v[4].x, 17.0f + SpaceWidth() + 1.0f);
    EXPECT_EQ(v[6].x, 17.0f + SpaceWidth() + 1.0f + GlyphWidth('b'));
    const std::vector<DWORD> firstQuad(t->GetIndices().begin(), t->GetIndices().begin() + 6);
    EXPECT_EQ(firstQuad, (std::vector<DWORD>{0, 1, 2, 2, 1, 3}));
    EXPECT_EQ(t->GetIndices()[6], 4u);
    // Texture coordinates come from the glyph's texel rectangle.
    EXPECT_FLOAT_EQ(v[1].u, static_cast<float>(('a' % 12) * 10) / 128.0f);
}

TEST_F(TextLayout, EmptyTextHasNoBuffersAndSucceeds) {
    CDX9KelGUIText* t = Add("", AlignLeft, 0, 0, 100, 20);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->m_pVB, nullptr);
    EXPECT_TRUE(t->SetText(""));
    EXPECT_EQ(t->m_iVertexCount, 0);
}

// Three words ("ab", "cd", "ef", each 15 pixels) in 50 pixels: the first two
// fit (15 + 6 + 15 = 36, the blank after them reaches 42), the third wraps.
TEST_F(TextLayout, WrappingLayoutsTable) {
    struct Case {
        int align;
        float cLeft; // left edge of 'c'
        float aLeft; // left edge of 'a'
        float eLeft; // left edge of 'e' on the second line
    } cases[] = {
        {AlignLeft, 22.0f, 1.0f, 1.0f},
        // centre: first line (50 - 42) / 2 = 4; last line (50 - 21) / 2 = 14
        {AlignCenter, 26.0f, 5.0f, 15.0f},
        // justified: the one gap of the first line takes the free 8 pixels
        {AlignWidth, 30.0f, 1.0f, 1.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.align);
        CDX9KelGUIText* t = Add("ab cd ef", c.align, 0, 0, 50, 100);
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(t->m_iLineCount, 2);
        EXPECT_EQ(t->GetLaidOutText(), "ab cd\nef");
        EXPECT_EQ(QuadLeft(t, 0), c.aLeft);
        EXPECT_EQ(QuadLeft(t, 2), c.cLeft);
        EXPECT_EQ(QuadLeft(t, 4), c.eLeft);
        EXPECT_EQ(QuadTop(t, 4), static_cast<float>(kLineHeight + 2));
        EXPECT_EQ(t->GetTextHeight(), 2 * kLineHeight);
    }
}

TEST_F(TextLayout, ExplicitBreaksAndWideFirstWords) {
    // A break starts a new line at the left edge in the wrapping modes; with
    // no alignment it is drawn as a glyph and the text stays on one line.
    CDX9KelGUIText* left = Add("ab\ncd", AlignLeft, 0, 0, 100, 100);
    EXPECT_EQ(left->m_iLineCount, 2);
    EXPECT_EQ(QuadLeft(left, 2), 1.0f);
    EXPECT_EQ(QuadTop(left, 2), static_cast<float>(kLineHeight + 2));
    CDX9KelGUIText* none = Add("ab\ncd", AlignNo, 0, 0, 100, 100);
    EXPECT_EQ(none->m_iLineCount, 1);
    EXPECT_EQ(none->m_iVertexCount, 20);
    EXPECT_EQ(QuadTop(none, 3), 2.0f);
    // A first word wider than the rectangle stays where it is; the next word
    // is measured from its end and wraps.
    CDX9KelGUIText* wide = Add("abcdefghij kl", AlignLeft, 0, 0, 20, 100);
    EXPECT_EQ(wide->m_iLineCount, 2);
    EXPECT_EQ(wide->GetLaidOutText(), "abcdefghij\nkl");
    // A word too wide for the rest of its line before a break moves down,
    // and the break ends its line: three lines.
    CDX9KelGUIText* moved = Add("ab cdefgh\nij", AlignCenter, 0, 0, 40, 100);
    EXPECT_EQ(moved->m_iLineCount, 3);
    EXPECT_EQ(moved->GetLaidOutText(), "ab\ncdefgh\nij");
}

TEST_F(TextLayout, JustifiedLineWithOneWordLeftHasNoGapToWiden) {
    // Two words where the second wraps: the first line keeps no gap, which
    // must not divide the free width by zero.
    CDX9KelGUIText* t = Add("abcdef ghijkl", AlignWidth, 0, 0, 50, 100);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->m_iLineCount, 2);
    EXPECT_EQ(QuadLeft(t, 6), 1.0f);
    // A wrap right after an explicit break too.
    CDX9KelGUIText* u = Add("ab\nabcdef ghijkl", AlignWidth, 0, 0, 50, 100);
    ASSERT_NE(u, nullptr);
    EXPECT_EQ(u->m_iLineCount, 3);
}

TEST_F(TextLayout, NarrowRectangleFailsTheWrappingModesWithTheirMessages) {
    LogCapture log(m_Folder);
    CDX9KelGUIText* t = nullptr;
    EXPECT_EQ(m_pDialog->AddText(0, 0, 9, 20, 0, AlignLeft, nullptr, nullptr, 0xFFFFFFFFu, "ab", false, &t), E_FAIL);
    EXPECT_EQ(t, nullptr);
    const std::string text = log.Text();
    EXPECT_NE(text.find("CDX9KelGUIText::FormatText: Error : AlignLeft() == false"), std::string::npos);
    EXPECT_NE(text.find("CDX9KelGUIText::SetText: Error : text is not formatted"), std::string::npos);
    // No alignment needs no width.
    EXPECT_EQ(m_pDialog->AddText(0, 0, 9, 20, 0, AlignNo, nullptr, nullptr, 0xFFFFFFFFu, "ab", false), S_OK);
}

TEST_F(TextLayout, ChangingTheRectangleLaysTheSameTextOutAgain) {
    CDX9KelGUIText* t = Add("ab cd ef", AlignLeft, 0, 0, 100, 100);
    EXPECT_EQ(t->m_iLineCount, 1);
    EXPECT_TRUE(t->SetRect(0, 0, 25, 100));
    EXPECT_EQ(t->m_iLineCount, 3);
    EXPECT_EQ(t->m_Clip.right, 25);
    EXPECT_TRUE(t->SetRect(0, 0, 100, 100));
    EXPECT_EQ(t->m_iLineCount, 1);
    std::string out;
    EXPECT_TRUE(t->GetText(&out));
    EXPECT_EQ(out, "ab cd ef");
    EXPECT_FALSE(t->GetText(nullptr));
}

TEST_F(TextLayout, InitRefusals) {
    CDX9KelGUIText t;
    EXPECT_EQ(t.Init(m_pDialog, 0, 0, 10, 10, -1, AlignNo, nullptr, nullptr, 0, "a"), E_FAIL);
    EXPECT_EQ(t.Init(nullptr, 0, 0, 10, 10, 0, AlignNo, nullptr, nullptr, 0, "a"), E_FAIL);
    EXPECT_EQ(t.Init(m_pDialog, 0, 0, 0, 10, 0, AlignNo, nullptr, nullptr, 0, "a"), E_FAIL);
    EXPECT_EQ(t.Init(m_pDialog, 0, 0, 10, 10, 0, AlignNo, nullptr, nullptr, 0, static_cast<const char*>(nullptr)),
              E_FAIL);
}

TEST(GuiFont, GlyphsAreFoundByPositionAndTheRecordsAreChecked) {
    struct Case {
        const char* xml;
        bool ok;
    } cases[] = {
        {"<font><info face='F' charset='C'/><common lineHeight='9'/><chars count='2'><char id='32'/>"
         "<char id='33' width='4'/></chars></font>",
         true},
        {"<font><info face='F'/><common/><chars count='1'><char/></chars></font>", false},
        {"<font><info face='F' charset='C'/><chars count='1'><char/></chars></font>", false},
        {"<font><info face='F' charset='C'/><common/><chars count='0'><char/></chars></font>", false},
        {"<font><info face='F' charset='C'/><common/><chars count='3'/></font>", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.xml);
        TiXmlDocument doc;
        doc.Parse(c.xml);
        CDX9KelGUIFont font;
        EXPECT_EQ(font.ReadDescription(doc.FirstChildElement("font")), c.ok);
    }
    TiXmlDocument doc;
    doc.Parse(cases[0].xml);
    CDX9KelGUIFont font;
    ASSERT_TRUE(font.ReadDescription(doc.FirstChildElement("font")));
    // A file that starts at code 32 shifts every glyph: code 1 finds id 33.
    EXPECT_EQ(font.GetChar(1).id, 33);
    EXPECT_EQ(font.GetChar(1).width, 4);
    EXPECT_EQ(font.GetChar(2).id, -1);
    EXPECT_EQ(font.GetSpaceWidth(), 0);
    // A huge count is kept to the byte range.
    TiXmlDocument big;
    big.Parse("<font><info face='F' charset='C'/><common/><chars count='2000000000'><char/></chars></font>");
    ASSERT_TRUE(font.ReadDescription(big.FirstChildElement("font")));
    EXPECT_EQ(font.m_Chars.size(), 256u);
}

} // namespace
} // namespace GuiTest
