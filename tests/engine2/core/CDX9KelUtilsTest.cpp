#include "engine2/core/CDX9KelLog.h"
#include "engine2/core/CDX9KelUtils.h"
#include "engine2/core/XMLValues.h"

#include "TestFolder.h"
#include "platform/os/Clock.h"
#include "platform/os/Crt.h"
#include "platform/os/Paths.h"

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>

using namespace Vorna2;

TEST(Engine2Utils, FileNameHelpers) {
    struct Case {
        const char* name;
        const char* stem;
        const char* extension;
        bool hasExtension;
    } cases[] = {{"archive.tar.gz", "archive.tar", "gz", true},
                 {"noext", "", "", false},
                 {".hidden", "", "hidden", true},
                 {"trailing.", "trailing", "", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string out;
        EXPECT_TRUE(CDX9KelUtils::GetFileNameWithoutExtension(out, c.name));
        EXPECT_EQ(out, c.stem);
        EXPECT_EQ(CDX9KelUtils::GetFileExtension(out, c.name), c.hasExtension);
        EXPECT_EQ(out, c.extension);
    }
    const std::string longName(400, 'a');
    std::string out;
    CDX9KelUtils::GetFileExtension(out, ("x." + longName).c_str());
    EXPECT_EQ(out.size(), 259u);
}

TEST(Engine2Utils, IdenticalStringIsExactAndBounded) {
    EXPECT_TRUE(CDX9KelUtils::GetIdenticalString("Ship", "Ship"));
    EXPECT_FALSE(CDX9KelUtils::GetIdenticalString("Ship", "ship"));
    EXPECT_FALSE(CDX9KelUtils::GetIdenticalString("Ship", "Ships"));
    EXPECT_FALSE(CDX9KelUtils::GetIdenticalString(nullptr, "a"));
    EXPECT_TRUE(CDX9KelUtils::GetIdenticalString("", ""));
    // Only the first 260 characters count.
    const std::string a = std::string(260, 'x') + "a", b = std::string(260, 'x') + "b";
    EXPECT_TRUE(CDX9KelUtils::GetIdenticalString(a.c_str(), b.c_str()));

    char text[] = "Fleet_of_the_North";
    EXPECT_TRUE(CDX9KelUtils::ReplaceUnderscores(text));
    EXPECT_STREQ(text, "Fleet of the North");
}

TEST(Engine2Utils, PathsUnderTheProgramFolder) {
    std::string path;
    ASSERT_TRUE(CDX9KelUtils::GetExeFolderPath(path, "UI\\Default.cur"));
    EXPECT_EQ(path, Platform::ProgramFolder() + "UI\\Default.cur");
    ASSERT_TRUE(CDX9KelUtils::GetExeFolderPath(path, "\\engine.ini"));
    EXPECT_EQ(path, Platform::ProgramFolder() + "\\engine.ini");

    std::string full, folder, file;
    ASSERT_TRUE(CDX9KelUtils::SplitExeFolderPath("Models\\Units\\ship.x", &full, &folder, &file));
    EXPECT_EQ(full, Platform::ProgramFolder() + "Models\\Units\\ship.x");
    EXPECT_EQ(folder, Platform::ProgramFolder() + "Models\\Units\\");
    EXPECT_EQ(file, "ship.x");
    EXPECT_FALSE(CDX9KelUtils::SplitExeFolderPath(nullptr, &full, nullptr, nullptr));
    EXPECT_EQ(full, "");
}

TEST(Engine2Utils, RectanglesFromPercents) {
    const RECT parent{0, 0, 800, 600};
    RECT r = CDX9KelUtils::GetRectFromIntPercents(parent, 10, 20, 60, 70);
    EXPECT_EQ(r.left, 80);
    EXPECT_EQ(r.top, 120);
    EXPECT_EQ(r.right, 480);
    EXPECT_EQ(r.bottom, 420);
    // Spans outside 0..100 give the zero rectangle; only spans are checked.
    struct Case {
        float l, t, r, b;
        bool zero;
    } cases[] = {{60, 0, 10, 50, true}, {0, 0, 101, 50, true}, {0, 50, 10, 40, true},
                 {-50, 0, 50, 100, false}, {0, 0, 100, 100, false}};
    for (const Case& c : cases) {
        r = CDX9KelUtils::GetRectFromIntPercents(parent, c.l, c.t, c.r, c.b);
        const bool zero = r.left == 0 && r.top == 0 && r.right == 0 && r.bottom == 0;
        EXPECT_EQ(zero, c.zero) << c.l << " " << c.t << " " << c.r << " " << c.b;
    }
    // Truncation toward zero, offset by the parent's corner.
    const FRECT f = CDX9KelUtils::GetRectFromPercents(FRECT{10, 10, 113, 20}, 33.3f, 0, 66.6f, 100);
    EXPECT_EQ(f.left, 10 + 34.0f);
    EXPECT_EQ(f.right, 10 + 68.0f);
    EXPECT_EQ(f.bottom, 20.0f);
}

TEST(Engine2Utils, QuadraticEquation) {
    float x1 = 0, x2 = 0;
    CDX9KelUtils::SolveQuadraticEquation(1, -3, 2, &x1, &x2);
    EXPECT_FLOAT_EQ(x1, 2.0f);
    EXPECT_FLOAT_EQ(x2, 1.0f);
    CDX9KelUtils::SolveQuadraticEquation(1, 0, 1, &x1, &x2);
    EXPECT_EQ(x1, 0.999f);
    EXPECT_EQ(x2, 999.0f);
    // A line: the root of b x + c = 0 in both results.
    CDX9KelUtils::SolveQuadraticEquation(0, 2, -8, &x1, &x2);
    EXPECT_FLOAT_EQ(x1, 4.0f);
    EXPECT_FLOAT_EQ(x2, 4.0f);
    // No equation at all: no root, and no division by zero.
    CDX9KelUtils::SolveQuadraticEquation(0, 0, 0, &x1, &x2);
    EXPECT_EQ(x1, 0.999f);
    EXPECT_EQ(x2, 999.0f);
}

TEST(Engine2Utils, IntervalGateOnTheClock) {
    Platform::ManualClock clock(4294967000u); // wraps during the test
    Platform::SetClock(&clock);
    CDX9KelUtils utils;
    std::vector<bool> seen;
    for (int frame = 0; frame < 14; ++frame) {
        seen.push_back(utils.IsTimePassed(100));
        clock.Advance(10);
    }
    Platform::SetClock(nullptr);
    // True, false while stamp + 100 is not below now, one clearing false, true.
    const std::vector<bool> expected = {true, false, false, false, false, false, false,
                                        false, false, false, false, false, true, false};
    EXPECT_EQ(seen, expected);
}

TEST(Engine2Utils, SecondGateIsIndependent) {
    Platform::ManualClock clock;
    Platform::SetClock(&clock);
    CDX9KelUtils utils;
    EXPECT_TRUE(utils.IsTimePassed(50));
    EXPECT_TRUE(utils.IsTimePassed2(50));
    EXPECT_FALSE(utils.IsTimePassed(50));
    Platform::SetClock(nullptr);
}

TEST(Engine2Utils, RandomValuesFromTheSecureSource) {
    Platform::SequenceRandom source({0u, 0xFFFFFFFFu, 7u, 0x80000000u});
    Platform::SetRandomSource(&source);
    EXPECT_EQ(CDX9KelUtils::GetRandomInt(100), 0);
    EXPECT_EQ(CDX9KelUtils::GetRandomInt(100), static_cast<int>(0xFFFFFFFFu % 100u));
    EXPECT_EQ(CDX9KelUtils::GetRandomInt(5), 2);
    // n <= 0 draws nothing and gives 0 instead of dividing by zero.
    EXPECT_EQ(CDX9KelUtils::GetRandomInt(0), 0);
    EXPECT_EQ(CDX9KelUtils::GetRandomInt(-3), 0);
    EXPECT_EQ(CDX9KelUtils::GetRandomInt(1000), static_cast<int>(0x80000000u % 1000u));

    EXPECT_EQ(CDX9KelUtils::GetRandomFloat(2.0f, 4.0f), 2.0f);
    const float top = CDX9KelUtils::GetRandomFloat(2.0f, 4.0f);
    EXPECT_LT(top, 4.0f);
    EXPECT_GT(top, 3.99f);
    Platform::SetRandomSource(nullptr);

    for (int i = 0; i < 50; ++i) {
        const D3DXVECTOR3 v = CDX9KelUtils::GetRandomUnitVector();
        EXPECT_NEAR(std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z), 1.0f, 1e-5f);
    }
}

TEST(Engine2Utils, DateTimeTextHasCtimeFormWithZeroPaddedDay) {
    Platform::ManualClock clock(1000000u, 1765267247); // early December 2025
    Platform::SetClock(&clock);
    char buffer[26];
    CDX9KelUtils::GetDateTimeString(buffer);
    Platform::SetClock(nullptr);
    EXPECT_EQ(std::strlen(buffer), 24u);
    EXPECT_EQ(std::string(buffer).substr(4, 7), "Dec 09 ");
    EXPECT_EQ(std::string(buffer).substr(20), "2025");
}

TEST(Engine2Utils, TranslateMatrixMultipliesOnTheRight) {
    D3DXMATRIX m;
    D3DXMatrixScaling(&m, 2.0f, 2.0f, 2.0f);
    const D3DXVECTOR3 v(1.0f, 2.0f, 3.0f);
    TranslateMatrix(&v, &m);
    // Scale first, then move: the translation row is not scaled.
    EXPECT_FLOAT_EQ(m._41, 1.0f);
    EXPECT_FLOAT_EQ(m._42, 2.0f);
    EXPECT_FLOAT_EQ(m._43, 3.0f);
    EXPECT_FLOAT_EQ(m._11, 2.0f);
    TranslateMatrix(nullptr, &m);
    TranslateMatrix(&v, nullptr);
    EXPECT_FLOAT_EQ(m._41, 1.0f);
}

namespace {
TiXmlElement* Parse(TiXmlDocument& doc, const char* text) {
    doc.Parse(text);
    return doc.RootElement();
}
} // namespace

TEST(Engine2XmlValues, ScalarsAndMissingValues) {
    TiXmlDocument doc;
    TiXmlElement* root = Parse(doc, "<r><i>42</i><f>0.5</f><e/><n><child/></n><bad>x1</bad></r>");
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(ReadXMLInt(root->FirstChildElement("i")), 42);
    EXPECT_FLOAT_EQ(ReadXMLFloat(root->FirstChildElement("f")), 0.5f);
    EXPECT_EQ(ReadXMLInt(root->FirstChildElement("e")), -1);
    EXPECT_FLOAT_EQ(ReadXMLFloat(root->FirstChildElement("e")), -1.0f);
    EXPECT_EQ(ReadXMLInt(root->FirstChildElement("missing")), -1);
    // An element as the first child: its name is the value, which reads as 0.
    EXPECT_EQ(ReadXMLInt(root->FirstChildElement("n")), 0);
    EXPECT_EQ(ReadXMLInt(root->FirstChildElement("bad")), 0);
}

TEST(Engine2XmlValues, ColourRectangleVectorAttributes) {
    TiXmlDocument doc;
    TiXmlElement* root = Parse(doc,
                               "<r flag='3' off='0' num='-7'>"
                               "<c><a>255</a><r>16</r><g>32</g><b>48</b></c>"
                               "<c2><a>255</a><r>16</r><b>48</b></c2>"
                               "<c3><a>511</a><r>272</r><g>-1</g><b>48</b></c3>"
                               "<rc><t>1</t><l>2</l><b>3</b><r>4</r></rc><rc2><t>1</t><l>2</l><b>3</b></rc2>"
                               "<v><x>1</x><z>3</z></v><v2><x>1</x><y>2</y><z>3</z></v2></r>");
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(ReadXMLColor(root->FirstChildElement("c")), 0xFF102030u);
    EXPECT_EQ(ReadXMLColor(root->FirstChildElement("c2")), 0u);
    EXPECT_EQ(ReadXMLColor(root->FirstChildElement("c3")), 0xFF10FF30u);

    const FRECT rc = ReadXMLRect(root->FirstChildElement("rc"));
    EXPECT_EQ(rc.top, 1.0f);
    EXPECT_EQ(rc.left, 2.0f);
    EXPECT_EQ(rc.bottom, 3.0f);
    EXPECT_EQ(rc.right, 4.0f);
    const FRECT rc2 = ReadXMLRect(root->FirstChildElement("rc2"));
    EXPECT_EQ(rc2.top + rc2.left + rc2.bottom + rc2.right, 0.0f);

    // Reading stops at the first missing child: z stays 0 although present.
    const D3DXVECTOR3 v = ReadXMLVector3(root->FirstChildElement("v"));
    EXPECT_EQ(v.x, 1.0f);
    EXPECT_EQ(v.y, 0.0f);
    EXPECT_EQ(v.z, 0.0f);
    const D3DXVECTOR3 v2 = ReadXMLVector3(root->FirstChildElement("v2"));
    EXPECT_EQ(v2.z, 3.0f);
    EXPECT_EQ(ReadXMLVector3(nullptr).x, 0.0f);

    EXPECT_TRUE(ReadXMLAttributeBool(root, "flag"));
    EXPECT_FALSE(ReadXMLAttributeBool(root, "off"));
    EXPECT_FALSE(ReadXMLAttributeBool(root, "missing"));
    EXPECT_FALSE(ReadXMLAttributeBool(root, nullptr));
    EXPECT_EQ(ReadXMLAttributeInt(root, "num"), -7);
    EXPECT_EQ(ReadXMLAttributeInt(root, "missing"), 0);
    EXPECT_EQ(ReadXMLAttributeInt(root->FirstChild("c")->FirstChild("a")->FirstChild(), "x"), 0);
}

TEST(Engine2Utils, HeapCheckLogsItsVerdict) {
    const std::string path = (VornaTest::FreshFolder() / "VornaLog.log").string();
    g_Log.Reset();
    g_Log.SetTimeTextSource([] { return std::string("T"); });
    g_Log.SetCopyStream(nullptr);
    g_Log.Open(path);
    EXPECT_TRUE(CDX9KelUtils::CheckMemory());
    EXPECT_EQ(VornaTest::ReadText(path), "T Begin\nCDX9KelUtils::CheckMemory : heap is fine ____ \n");
    g_Log.Reset();
}
