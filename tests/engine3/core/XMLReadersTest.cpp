#include "engine3/core/LocalizedText.h"
#include "engine3/core/XMLReaders.h"

#include <clocale>
#include <cstring>
#include <gtest/gtest.h>
#include <array>
#include <map>

using namespace Vorna3D;

namespace {

const char* kFixture = R"(<Root>
  <Volume>80</Volume>
  <Speed>2.5</Speed>
  <Flag>0</Flag>
  <Empty></Empty>
  <Commented><!-- 12 -->34</Commented>
  <Nested><Child/>5</Nested>
  <NotNumber>abc</NotNumber>
  <Name>Harbour</Name>
  <Key>_LN_GUI_Start</Key>
  <Prefix>_LN_GUI</Prefix>
  <Color><a>0.5</a><r>1</r><b>0.25</b></Color>
  <FullColor><a>1</a><r>0.1</r><g>0.2</g><b>0.3</b></FullColor>
  <Rect><t>1</t><l>2</l><b>3</b><r>4</r></Rect>
  <RectNoR><t>1</t><l>2</l><b>3</b></RectNoR>
  <Vec><x>1</x><z>3</z></Vec>
  <Attrs s="text" key="_LN_GUI_Start" on="1" off="0" bad="x1" n="-42" dxColumnBattleDistance="12.5"
         r="0.25" g="0.5" b="0.75" x="1.5" y="-2" z="3" w="4" l="5" t="6"/>
  <Point x="7"/>
  <PointXY x="7" y="9"/>
  <IntRect l="5" r="7"/>
  <IntRectNoL t="3" b="x"/>
  <Matrix><Scale x="2" y="3" z="4"/></Matrix>
  <FullMatrix><Right x="0" y="0" z="-1"/><Up x="0" y="1"/><Direction x="1" y="0" z="0"/>
              <Position x="10" y="20" z="30"/></FullMatrix>
  <Sector><Direction x="0" y="1"/><LeftAngles x="-0.5" y="0.5"/><TopPosition x="1" y="2" z="3"/>
          <ButtomAngle>0.25</ButtomAngle></Sector>
</Root>)";

class NamesStub : public ILocalizedNames {
public:
    const char* GetLocalizedName(const char* key) const override {
        if (!key || std::strncmp(key, "_LN_", 4) != 0) return nullptr;
        auto it = names.find(key + 4);
        return it == names.end() ? nullptr : it->second.c_str();
    }
    std::map<std::string, std::string> names{{"GUI_Start", "Start the battle"}, {"GUI", ""}};
};

class XMLReadersTest : public ::testing::Test {
protected:
    void SetUp() override {
        doc.Parse(kFixture);
        ASSERT_FALSE(doc.Error()) << doc.ErrorDesc();
        root = doc.RootElement();
    }
    void TearDown() override { SetLocalizedNames(nullptr); }
    const TiXmlElement* El(const char* name) const { return root->FirstChildElement(name); }
    TiXmlDocument doc;
    const TiXmlElement* root = nullptr;
};

TEST_F(XMLReadersTest, ElementTextDefaultsAndOddities) {
    EXPECT_EQ(ReadXMLInt(El("Volume")), 80);
    EXPECT_FLOAT_EQ(ReadXMLFloat(El("Speed")), 2.5f);
    EXPECT_FALSE(ReadXMLBool(El("Flag")));
    EXPECT_TRUE(ReadXMLBool(El("Volume")));
    // Missing element or text.
    for (const char* name : {"Missing", "Empty"}) {
        EXPECT_TRUE(ReadXMLBool(El(name))) << name;
        EXPECT_EQ(ReadXMLInt(El(name)), -1) << name;
        EXPECT_FLOAT_EQ(ReadXMLFloat(El(name)), -1.0f) << name;
    }
    EXPECT_EQ(ReadXMLInt(nullptr), -1);
    // The first child counts whatever it is: the comment text, the element name.
    EXPECT_EQ(ReadXMLInt(El("Commented")), 12);
    EXPECT_EQ(ReadXMLInt(El("Nested")), 0);
    EXPECT_EQ(ReadXMLInt(El("NotNumber")), 0);
    EXPECT_FLOAT_EQ(ReadXMLFloat(El("NotNumber")), 0.0f);
}

TEST_F(XMLReadersTest, StringsAndLocalisation) {
    std::string out = "stale";
    EXPECT_TRUE(ReadXMLString(El("Name"), false, out));
    EXPECT_EQ(out, "Harbour");
    EXPECT_FALSE(ReadXMLString(El("Missing"), false, out));
    EXPECT_EQ(out, "");
    EXPECT_FALSE(ReadXMLString(El("Empty"), true, out));

    // Nothing installed: no text is a key.
    EXPECT_TRUE(ReadXMLString(El("Key"), true, out));
    EXPECT_EQ(out, "_LN_GUI_Start");
    EXPECT_STREQ(ReadXMLAttributeString(El("Attrs"), "key", true), "_LN_GUI_Start");

    NamesStub names;
    SetLocalizedNames(&names);
    EXPECT_TRUE(ReadXMLString(El("Key"), true, out));
    EXPECT_EQ(out, "Start the battle");
    EXPECT_TRUE(ReadXMLString(El("Key"), false, out)); // not asked to localise
    EXPECT_EQ(out, "_LN_GUI_Start");
    EXPECT_TRUE(ReadXMLString(El("Prefix"), true, out)); // a key that only begins longer keys
    EXPECT_EQ(out, "");
    EXPECT_TRUE(ReadXMLString(El("Name"), true, out)); // not a key
    EXPECT_EQ(out, "Harbour");
    EXPECT_STREQ(ReadXMLAttributeString(El("Attrs"), "key", true), "Start the battle");
    EXPECT_STREQ(ReadXMLAttributeString(El("Attrs"), "s", true), "text");
    EXPECT_EQ(ReadXMLAttributeString(El("Attrs"), "missing", true), nullptr);
    EXPECT_EQ(ReadXMLAttributeString(nullptr, "s", false), nullptr);
}

TEST_F(XMLReadersTest, ChildElementComposites) {
    const D3DXCOLOR c = ReadXMLColor(El("Color")); // stops at the missing "g"
    EXPECT_FLOAT_EQ(c.a, 0.5f);
    EXPECT_FLOAT_EQ(c.r, 1.0f);
    EXPECT_FLOAT_EQ(c.g, 0.0f);
    EXPECT_FLOAT_EQ(c.b, 0.0f);
    const D3DXCOLOR full = ReadXMLColor(El("FullColor"));
    EXPECT_EQ(full, D3DXCOLOR(0.1f, 0.2f, 0.3f, 1.0f));
    EXPECT_EQ(ReadXMLColor(nullptr), D3DXCOLOR(0.0f, 0.0f, 0.0f, 1.0f));

    const FloatRect r = ReadXMLRect(El("Rect"));
    EXPECT_EQ((std::array<float, 4>{r.left, r.top, r.right, r.bottom}), (std::array<float, 4>{2, 1, 4, 3}));
    const FloatRect z = ReadXMLRect(El("RectNoR"));
    EXPECT_EQ((std::array<float, 4>{z.left, z.top, z.right, z.bottom}), (std::array<float, 4>{0, 0, 0, 0}));

    EXPECT_EQ(ReadXMLVector3(El("Vec")), D3DXVECTOR3(1, 0, 0)); // stops at the missing "y"
    EXPECT_EQ(ReadXMLVector3(nullptr), D3DXVECTOR3(0, 0, 0));
}

TEST_F(XMLReadersTest, AttributeReaders) {
    const TiXmlElement* a = El("Attrs");
    EXPECT_TRUE(ReadXMLAttributeBool(a, "on"));
    EXPECT_FALSE(ReadXMLAttributeBool(a, "off"));
    EXPECT_FALSE(ReadXMLAttributeBool(a, "missing"));
    EXPECT_FALSE(ReadXMLAttributeBool(a, "bad"));
    EXPECT_EQ(ReadXMLAttributeInt(a, "n"), -42);
    EXPECT_EQ(ReadXMLAttributeInt(a, "missing"), 0);
    EXPECT_EQ(ReadXMLAttributeInt(a, nullptr), 0);
    EXPECT_FLOAT_EQ(ReadXMLColumnBattleDistance(a), 12.5f);
    EXPECT_FLOAT_EQ(ReadXMLColumnBattleDistance(El("Point")), 0.0f);
    EXPECT_EQ(ReadXMLAttributeColor(a), D3DXCOLOR(0.25f, 0.5f, 0.75f, 0.0f)); // "a" missing: 0
    EXPECT_EQ(ReadXMLAttributeVector2(a), D3DXVECTOR2(1.5f, -2.0f));
    EXPECT_EQ(ReadXMLAttributeVector3(a), D3DXVECTOR3(1.5f, -2.0f, 3.0f));
    EXPECT_EQ(ReadXMLAttributeVector4(a), D3DXVECTOR4(1.5f, -2.0f, 3.0f, 4.0f));
    EXPECT_EQ(ReadXMLAttributeVector3(El("Matrix")), D3DXVECTOR3(0.0f, 0.0f, 0.0f));
    const FloatRect fr = ReadXMLAttributeRect(a); // "r" is 0.25 here, "b" 0.75
    EXPECT_EQ((std::array<float, 4>{fr.left, fr.top, fr.right, fr.bottom}), (std::array<float, 4>{5, 6, 0.25f, 0.75f}));

    // A node that is not an element reads as missing.
    const TiXmlNode* comment = El("Commented")->FirstChild();
    ASSERT_NE(comment->ToComment(), nullptr);
    EXPECT_EQ(ReadXMLAttributeInt(comment, "x"), 0);
    EXPECT_EQ(ReadXMLAttributeString(comment, "x", false), nullptr);
}

TEST_F(XMLReadersTest, PointAndIntRectRepeatMissingValues) {
    const POINT p = ReadXMLAttributePoint(El("Point"));
    EXPECT_EQ(p.x, 7);
    EXPECT_EQ(p.y, 7);
    const POINT q = ReadXMLAttributePoint(El("PointXY"));
    EXPECT_EQ(q.y, 9);
    const POINT none = ReadXMLAttributePoint(nullptr);
    EXPECT_EQ(none.x, 0);
    EXPECT_EQ(none.y, 0);

    struct Case {
        const char* element;
        RECT expected;
    } cases[] = {{"IntRect", {5, 5, 7, 7}}, {"IntRectNoL", {0, 3, 3, 3}}, {"Missing", {0, 0, 0, 0}}};
    for (const Case& c : cases) {
        const RECT r = ReadXMLAttributeIntRect(El(c.element));
        EXPECT_EQ((std::array<LONG, 4>{r.left, r.top, r.right, r.bottom}),
                  (std::array<LONG, 4>{c.expected.left, c.expected.top, c.expected.right, c.expected.bottom}))
            << c.element;
    }
}

TEST_F(XMLReadersTest, MatrixRowsAndScaleColumn) {
    const D3DXMATRIX s = ReadXMLMatrix(El("Matrix"));
    const float expected[4][4] = {{1, 0, 0, 2}, {0, 1, 0, 3}, {0, 0, 1, 4}, {0, 0, 0, 1}};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) EXPECT_EQ(s.m[r][c], expected[r][c]) << r << "," << c;

    const D3DXMATRIX m = ReadXMLMatrix(El("FullMatrix"));
    const float full[4][4] = {{0, 0, -1, 0}, {0, 1, 0, 0}, {1, 0, 0, 0}, {10, 20, 30, 1}};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) EXPECT_EQ(m.m[r][c], full[r][c]) << r << "," << c;

    const D3DXMATRIX id = ReadXMLMatrix(nullptr);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) EXPECT_EQ(id.m[r][c], r == c ? 1.0f : 0.0f);
}

TEST_F(XMLReadersTest, ShipSectorFillsOnlyWhatIsPresent) {
    ShipSector sector;
    sector.TopAngle = 9.0f;
    sector.Right = D3DXVECTOR2(4.0f, 4.0f);
    EXPECT_TRUE(ReadXMLShipSector(El("Sector"), &sector));
    EXPECT_EQ(sector.Direction, D3DXVECTOR2(0.0f, 1.0f));
    EXPECT_EQ(sector.LeftAngles, D3DXVECTOR2(-0.5f, 0.5f));
    EXPECT_EQ(sector.TopPosition, D3DXVECTOR3(1.0f, 2.0f, 3.0f));
    EXPECT_FLOAT_EQ(sector.ButtomAngle, 0.25f);
    EXPECT_FLOAT_EQ(sector.TopAngle, 9.0f);          // no "TopAngle": untouched, not -1
    EXPECT_EQ(sector.Right, D3DXVECTOR2(4.0f, 4.0f)); // no "Right": untouched
    EXPECT_EQ(sector.RightAngles, D3DXVECTOR2(0.0f, 0.0f));
    EXPECT_FALSE(ReadXMLShipSector(nullptr, &sector));
    EXPECT_FALSE(ReadXMLShipSector(El("Sector"), nullptr));
}

TEST_F(XMLReadersTest, NumbersIgnoreTheProcessLocale) {
    const std::string saved = std::setlocale(LC_ALL, nullptr);
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8") && !std::setlocale(LC_ALL, "ru_RU.UTF-8"))
        GTEST_SKIP() << "no comma-decimal locale installed";
    EXPECT_FLOAT_EQ(ReadXMLFloat(El("Speed")), 2.5f);
    EXPECT_FLOAT_EQ(ReadXMLColumnBattleDistance(El("Attrs")), 12.5f);
    std::setlocale(LC_ALL, saved.c_str());
}

} // namespace
