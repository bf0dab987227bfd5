// Map parameter files: the demo maps' files, the round-count rules, and that
// reading again replaces the lists instead of adding to them.
#include "campaign/map/CDX9KelMapParameters.h"
#include "campaign/ai/CDX9KelAISystem.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

using namespace VornaCampaign;

TEST(MapParameters, DemoStraitReadsWhole) {
    EXPECT_EQ(MapParameterFileName("demo_strait.map"), "demo_strait.WXMPARAM");
    EXPECT_EQ(MapParameterFileName("Maps/x.y/plain"), "Maps/x.y/plain.WXMPARAM");
    MapParameters p;
    ASSERT_TRUE(LoadMapParameters(std::string(VORNA_BIN_DIR) + "/Data/Maps/demo_strait.WXMPARAM", &p));
    EXPECT_EQ(p.m_iRoundsCount, 12);
    EXPECT_EQ(p.m_szMapTexture, "Textures/strait_map.png");
    ASSERT_TRUE(p.m_pTasks);
    int tasks = 0;
    for (const TiXmlElement* t = p.m_pTasks->FirstChildElement(); t; t = t->NextSiblingElement()) ++tasks;
    EXPECT_EQ(tasks, 2);
    // The computer opponent takes the tasks as they stand.
    CDX9KelAISystem ai;
    ASSERT_TRUE(ai.LoadTasks(p.m_pTasks.get()));
    ASSERT_EQ(ai.GetTasks().size(), 2u);
    EXPECT_EQ(ai.GetTasks()[0].m_iBehaviourType, 0);
    EXPECT_EQ(ai.GetTasks()[0].m_stdvPurposes.size(), 2u);
    EXPECT_TRUE(p.m_stdvSide1Targets.empty());
    // The comment between the targets is skipped; '_' stands for a blank.
    EXPECT_EQ(p.m_stdvSide2Targets, (std::vector<std::string>{"Dauntless", "Point Battery"}));

    // Reading again keeps one copy of everything.
    ASSERT_TRUE(LoadMapParameters(std::string(VORNA_BIN_DIR) + "/Data/Maps/demo_strait.WXMPARAM", &p));
    EXPECT_TRUE(p.m_stdvSide1Targets.empty());
    EXPECT_EQ(p.m_stdvSide2Targets.size(), 2u);

    MapParameters cape;
    ASSERT_TRUE(LoadMapParameters(std::string(VORNA_BIN_DIR) + "/Data/Maps/demo_cape.WXMPARAM", &cape));
    EXPECT_EQ(cape.m_iRoundsCount, 10);
    EXPECT_TRUE(cape.m_stdvSide1Targets.empty());
    EXPECT_EQ(cape.m_stdvSide2Targets, (std::vector<std::string>{"Harbour Battery"}));
}

TEST(MapParameters, RoundCountRulesAndOptionalElements) {
    const struct {
        const char* doc;
        int expected; // the value before reading is 7
    } cases[] = {
        {"<Main><RoundsCount>25</RoundsCount></Main>", 25},
        {"<Main/>", 7},                                   // missing: unchanged
        {"<Main><RoundsCount></RoundsCount></Main>", 100}, // empty
        {"<Main><RoundsCount>0</RoundsCount></Main>", 100},
        {"<Main><RoundsCount>-4</RoundsCount></Main>", 100},
        {"<Main><RoundsCount>ten</RoundsCount></Main>", 100},
    };
    for (const auto& c : cases) {
        MapParameters p;
        p.m_iRoundsCount = 7;
        ASSERT_TRUE(LoadMapParametersText(c.doc, "t.WXMPARAM", &p)) << c.doc;
        EXPECT_EQ(p.m_iRoundsCount, c.expected) << c.doc;
        EXPECT_FALSE(p.m_pTasks) << c.doc; // a map without tasks is valid
        EXPECT_TRUE(p.m_stdvSide1Targets.empty());
    }
    // No "Main", or no document: nothing changes.
    MapParameters p;
    p.m_iRoundsCount = 7;
    p.m_stdvSide1Targets = {"Keep"};
    EXPECT_FALSE(LoadMapParametersText("<Other><RoundsCount>3</RoundsCount></Other>", "t", &p));
    EXPECT_FALSE(LoadMapParametersText("<Main><RoundsCount>", "t", &p));
    EXPECT_FALSE(LoadMapParameters("/nonexistent/x.WXMPARAM", &p));
    EXPECT_EQ(p.m_iRoundsCount, 7);
    EXPECT_EQ(p.m_stdvSide1Targets.size(), 1u);
    // Long names are cut to 39 characters.
    ASSERT_TRUE(LoadMapParametersText("<Main><Destructions><Side2><A123456789012345678901234567890123456789_long/>"
                                      "</Side2></Destructions></Main>",
                                      "t", &p));
    ASSERT_EQ(p.m_stdvSide2Targets.size(), 1u);
    EXPECT_EQ(p.m_stdvSide2Targets[0].size(), 39u);
}
