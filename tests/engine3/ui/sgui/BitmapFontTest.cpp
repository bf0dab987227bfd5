// Bitmap fonts: the description reader (gap filling, lookups, refusals of
// missing parts and implausible numbers), the localised face, and loading a
// font with its texture through the manager.
#include "GuiTestSupport.h"

#include <tinyxml.h>

#include "engine3/core/LocalizedText.h"
#include "engine3/ui/sgui/CDX9KelSGUIBitmapFont.h"

using namespace SguiTest;

namespace {

std::string FontWith(const std::string& chars, const std::string& count = "3",
                     const std::string& common = "lineHeight=\"12\" scaleW=\"64\" scaleH=\"64\"") {
    return "<font><info face=\"F\" charset=\"ANSI\" size=\"9\" bold=\"1\"/><common " + common +
           "/><pages><page id=\"0\" file=\"f.png\"/></pages><chars count=\"" + count + "\">" + chars +
           "</chars></font>";
}

std::string Char(int id, int width = 4, int xoffset = 0, int xadvance = 5) {
    return "<char id=\"" + std::to_string(id) + "\" x=\"1\" y=\"2\" width=\"" + std::to_string(width) +
           "\" height=\"7\" xoffset=\"" + std::to_string(xoffset) + "\" yoffset=\"1\" xadvance=\"" +
           std::to_string(xadvance) + "\"/>";
}

bool Read(const std::string& xml, CDX9KelSGUIBitmapFont& font) {
    TiXmlDocument doc;
    doc.Parse(xml.c_str());
    return font.ReadDescription(doc.FirstChildElement("font"));
}

} // namespace

TEST(BitmapFontTest, GapsAreFilledAndLookupsFindCodesFromTheFirstId) {
    CDX9KelSGUIBitmapFont font;
    ASSERT_TRUE(Read(FontWith(Char(32) + Char(33) + Char(35, 6, 2, 9)), font));
    EXPECT_EQ(font.m_strFace, "F");
    EXPECT_EQ(font.m_iSize, 9);
    EXPECT_TRUE(font.m_bBold);
    EXPECT_FALSE(font.m_bItalic);
    ASSERT_EQ(font.m_vGlyphs.size(), 4u);
    const SGUIGlyph filler = font.GetGlyph(34);
    EXPECT_EQ(filler.id, 34);
    EXPECT_EQ(filler.width, 1);
    EXPECT_EQ(filler.height, 1);
    // Advances like the last glyph read.
    EXPECT_EQ(filler.xoffset, 2);
    EXPECT_EQ(filler.xadvance, 9);
    EXPECT_EQ(font.GetGlyph(35).width, 6);
    EXPECT_EQ(font.GetGlyph(36).id, -1);
    EXPECT_EQ(font.GetGlyph(31).id, -1);
    EXPECT_EQ(font.GetGlyph(-5).id, -1);
    EXPECT_EQ(font.GetGlyph(1000).id, -1);

    CDX9KelSGUIBitmapFont fromZero;
    ASSERT_TRUE(Read(FontWith(Char(0) + Char(1) + Char(2, 8)), fromZero));
    EXPECT_EQ(fromZero.GetGlyph(2).width, 8);
}

TEST(BitmapFontTest, CountLimitsTheGlyphsReadAndNegativeIdsAreSkipped) {
    CDX9KelSGUIBitmapFont font;
    ASSERT_TRUE(Read(FontWith(Char(65) + Char(66) + Char(67), "2"), font));
    EXPECT_EQ(font.GetGlyph(67).id, -1);
    ASSERT_TRUE(Read(FontWith(Char(65) + Char(-1) + Char(66), "10"), font));
    EXPECT_EQ(font.m_vGlyphs.size(), 2u);
    EXPECT_EQ(font.GetGlyph(66).id, 66);
}

TEST(BitmapFontTest, UnorderedIdsAndCodesBeyondAByteStillLookUpExactly) {
    CDX9KelSGUIBitmapFont font;
    ASSERT_TRUE(Read(FontWith(Char(70, 3) + Char(65, 4) + Char(2000000000, 5) + Char(65, 9), "4"), font));
    EXPECT_EQ(font.GetGlyph(65).width, 4);
    EXPECT_EQ(font.GetGlyph(70).width, 3);
    EXPECT_EQ(font.GetGlyph(68).width, 1);  // filler
    EXPECT_EQ(font.m_vGlyphs.size(), 6u);   // 65-70, nothing for the huge id
}

TEST(BitmapFontTest, DescriptionsWithoutARequiredPartOrWithBadNumbersAreRefused) {
    const std::string good = FontWith(Char(65));
    struct Case {
        const char* what;
        std::string xml;
    } cases[] = {
        {"no info", "<font><common scaleW=\"8\" scaleH=\"8\"/><pages><page file=\"f\"/></pages><chars count=\"1\">" +
                        Char(65) + "</chars></font>"},
        {"no face", "<font><info charset=\"A\"/><common scaleW=\"8\" scaleH=\"8\"/><pages><page file=\"f\"/>"
                    "</pages><chars count=\"1\">" + Char(65) + "</chars></font>"},
        {"no charset", "<font><info face=\"F\"/><common scaleW=\"8\" scaleH=\"8\"/><pages><page file=\"f\"/>"
                       "</pages><chars count=\"1\">" + Char(65) + "</chars></font>"},
        {"no common", "<font><info face=\"F\" charset=\"A\"/><pages><page file=\"f\"/></pages><chars count=\"1\">" +
                          Char(65) + "</chars></font>"},
        {"no page file", "<font><info face=\"F\" charset=\"A\"/><common scaleW=\"8\" scaleH=\"8\"/><pages><page/>"
                         "</pages><chars count=\"1\">" + Char(65) + "</chars></font>"},
        {"no pages", "<font><info face=\"F\" charset=\"A\"/><common scaleW=\"8\" scaleH=\"8\"/><chars count=\"1\">" +
                         Char(65) + "</chars></font>"},
        {"count 0", FontWith(Char(65), "0")},
        {"no chars children", FontWith("", "3")},
        {"zero texture width", FontWith(Char(65), "1", "lineHeight=\"12\" scaleW=\"0\" scaleH=\"64\"")},
        {"negative line height", FontWith(Char(65), "1", "lineHeight=\"-3\" scaleW=\"8\" scaleH=\"64\"")},
        {"only implausible glyphs", FontWith(Char(65, 1 << 30), "1")},
    };
    for (const Case& c : cases) {
        CDX9KelSGUIBitmapFont font;
        EXPECT_FALSE(Read(c.xml, font)) << c.what;
        EXPECT_EQ(font.GetGlyph(65).id, -1) << c.what;
    }
    CDX9KelSGUIBitmapFont font;
    EXPECT_TRUE(Read(good, font));
}

namespace {
// A font as bitmap-font tools write it when the glyphs overflow one
// texture: two pages, glyphs on both.
std::string TwoPageFont(const std::string& pagesAttribute = " pages=\"2\"", bool secondPageElement = true) {
    return "<?xml version=\"1.0\"?>\n<font>\n  <info face=\"F\" size=\"16\" charset=\"ANSI\"/>\n"
           "  <common lineHeight=\"19\" base=\"15\" scaleW=\"64\" scaleH=\"64\"" + pagesAttribute + "/>\n"
           "  <pages>\n    <page id=\"0\" file=\"two_0.png\"/>\n" +
           (secondPageElement ? "    <page id=\"1\" file=\"two_1.png\"/>\n" : "") +
           "  </pages>\n  <chars count=\"3\">\n"
           "    <char id=\"65\" x=\"1\" y=\"1\" width=\"9\" height=\"12\" xoffset=\"0\" yoffset=\"3\""
           " xadvance=\"10\" page=\"0\"/>\n"
           "    <char id=\"66\" x=\"11\" y=\"1\" width=\"9\" height=\"12\" xoffset=\"0\" yoffset=\"3\""
           " xadvance=\"10\" page=\"0\"/>\n"
           "    <char id=\"67\" x=\"1\" y=\"1\" width=\"9\" height=\"12\" xoffset=\"0\" yoffset=\"3\""
           " xadvance=\"10\" page=\"1\"/>\n"
           "  </chars>\n</font>\n";
}
} // namespace

TEST(BitmapFontTest, FontsOnMoreThanOnePageAreRefusedNamingTheFile) {
    const auto dir = VornaTest::FreshFolder();
    LogCapture log(dir);
    struct Case {
        const char* what;
        std::string xml;
        const char* logged;
    } cases[] = {
        {"two pages", TwoPageFont(), "two.xml has 2 pages, only fonts on one page are read"},
        {"two page elements, no count", TwoPageFont(""), "two.xml has 2 pages"},
        {"a count of two, one element", TwoPageFont(" pages=\"2\"", false), "two.xml has 2 pages"},
        {"a glyph on page 1", TwoPageFont(" pages=\"1\"", false), "two.xml: char 67 is on page 1, only page 0 is read"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TiXmlDocument doc;
        doc.Parse(c.xml.c_str());
        CDX9KelSGUIBitmapFont font;
        EXPECT_FALSE(font.ReadDescription(doc.FirstChildElement("font"), "fonts/two.xml"));
        EXPECT_EQ(font.GetGlyph(65).id, -1);
        EXPECT_NE(log.Text().find(c.logged), std::string::npos) << log.Text();
    }
    // The same font on one page is read.
    std::string onePage = TwoPageFont(" pages=\"1\"", false);
    onePage.replace(onePage.rfind("page=\"1\""), 8, "page=\"0\"");
    CDX9KelSGUIBitmapFont font;
    EXPECT_TRUE(Read(onePage, font));
    EXPECT_EQ(font.GetGlyph(67).id, 67);
}

namespace {
class Names : public ILocalizedNames {
public:
    const char* GetLocalizedName(const char* key) const override {
        return key && std::string(key) == "_LN_Font_Face" ? "Demo Face" : nullptr;
    }
};
} // namespace

TEST(BitmapFontTest, AFaceThatIsAKeyTakesItsLocalisedText) {
    Names names;
    SetLocalizedNames(&names);
    CDX9KelSGUIBitmapFont font;
    const bool ok = Read("<font><info face=\"_LN_Font_Face\" charset=\"A\"/><common scaleW=\"8\" scaleH=\"8\"/>"
                         "<pages><page file=\"f\"/></pages><chars count=\"1\">" + Char(65) + "</chars></font>",
                         font);
    SetLocalizedNames(nullptr);
    ASSERT_TRUE(ok);
    EXPECT_EQ(font.m_strFace, "Demo Face");
}

TEST(BitmapFontTest, TheManagerLoadsFontsWithTheirTexturesAndRefusesBrokenOnes) {
    const auto dir = VornaTest::FreshFolder();
    LogCapture log(dir);
    GuiWorld world;
    ASSERT_TRUE(world.Create());
    CDX9KelSGUIManager& gui = world.m_Gui;

    EXPECT_EQ(world.LoadTestFont(dir), 0);
    ASSERT_NE(gui.GetFont(0), nullptr);
    EXPECT_NE(gui.GetFont(0)->m_pTexture, nullptr);
    EXPECT_EQ(gui.GetFont(1), nullptr);
    EXPECT_EQ(gui.GetFont(-1), nullptr);

    const std::string folder = dir.string() + "/";
    EXPECT_EQ(gui.LoadBitmapFontFromFile("", folder.c_str()), -1);
    EXPECT_EQ(gui.LoadBitmapFontFromFile((dir / "test.xml").c_str(), ""), -1);
    EXPECT_EQ(gui.LoadBitmapFontFromFile((dir / "missing.xml").c_str(), folder.c_str()), -1);
    VornaTest::WriteText(dir / "other.xml", "<notafont/>");
    EXPECT_EQ(gui.LoadBitmapFontFromFile((dir / "other.xml").c_str(), folder.c_str()), -1);
    VornaTest::WriteText(dir / "two.xml", TwoPageFont());
    EXPECT_EQ(gui.LoadBitmapFontFromFile((dir / "two.xml").c_str(), folder.c_str()), -1);
    VornaTest::WriteText(dir / "notex.xml", TestFontXml("absent.bmp"));
    EXPECT_EQ(gui.LoadBitmapFontFromFile((dir / "notex.xml").c_str(), folder.c_str()), -1);
    EXPECT_EQ(gui.m_vFonts.size(), 1u);

    // The demo's generated fonts cover the code page's letters.
    const std::string demo = std::string(VORNA_BIN_DIR) + "/Interface/Fonts/";
    const int normal = gui.LoadBitmapFontFromFile((demo + "normal.xml").c_str(), demo.c_str());
    ASSERT_EQ(normal, 1);
    EXPECT_EQ(gui.GetFont(normal)->GetGlyph('a').id, 'a');
    EXPECT_EQ(gui.GetFont(normal)->GetGlyph(0xC0).id, 0xC0);  // Cyrillic capital A

    const std::string text = log.Text();
    EXPECT_NE(text.find("CDX9KelSGUIManager::LoadBitmapFontFromFile: XML file not read : "), std::string::npos);
    EXPECT_NE(text.find("CDX9KelGUIManager::LoadBitmapFontFromFile: XML file is damaged:"), std::string::npos);
    EXPECT_NE(text.find("CDX9KelGUIManager::LoadBitmapFontFromFile: pFont->LoadFontFromFile: " + folder),
              std::string::npos);
    EXPECT_NE(text.find((dir / "two.xml").string() + " has 2 pages"), std::string::npos);
}
