// The campaign scenario: its file, the scenario screen's loading and end
// dialogs, the loading steps of a map and of a save, the move to the next
// map and the scores.
#include "CampaignScreensFixture.h"

#include "campaign/data/DataFiles.h"

#include <tinyxml.h>

namespace CampaignScreensTest {
namespace {

using VornaCampaign::ReadScenarioDocument;
using VornaCampaign::ScenarioFileValues;

TEST(ScenarioFileTest, MapNamesKeepUnderscoresAndUnitNamesTakeBlanks) {
    TiXmlDocument doc;
    ASSERT_TRUE(VornaCampaign::ParseXmlText(
        "<Scenario><ScenarioName>" + std::string(50, 'N') + "</ScenarioName><PlayerSide>2</PlayerSide>"
        "<Maps><!-- first --><the_strait.map/>cape.map</Maps><Images><a>one.png</a><!-- x --><b>two.png</b></Images>"
        "<PlayerMobileUnits><Iron_Duke/><!-- none --><Swift/></PlayerMobileUnits>"
        "<AIMobileUnits><Sea_Wolf_" + std::string(40, 'x') + "/></AIMobileUnits></Scenario>",
        doc));
    ScenarioFileValues v;
    ASSERT_TRUE(ReadScenarioDocument(doc, v));
    EXPECT_EQ(v.m_strScenarioName, std::string(39, 'N'));
    EXPECT_EQ(v.m_iPlayerSide, 2);
    EXPECT_EQ(v.m_stdvMaps, (std::vector<std::string>{"the_strait.map", "cape.map"}));
    EXPECT_EQ(v.m_stdvImages, (std::vector<std::string>{"one.png", "two.png"}));
    EXPECT_EQ(v.m_stdvPlayerMobileUnits, (std::vector<std::string>{"Iron Duke", "Swift"}));
    ASSERT_EQ(v.m_stdvAIMobileUnits.size(), 1u);
    EXPECT_EQ(v.m_stdvAIMobileUnits[0], "Sea Wolf " + std::string(30, 'x'));
}

TEST(ScenarioFileTest, ImagesNeedMapsAndUnitListsNeedImages) {
    TiXmlDocument doc;
    ASSERT_TRUE(VornaCampaign::ParseXmlText(
        "<Scenario><AIMaxScore>7</AIMaxScore><Images><a>one.png</a></Images><PlayerMobileUnits><A/></PlayerMobileUnits>"
        "</Scenario>",
        doc));
    ScenarioFileValues v;
    v.m_iPlayerMaxScore = 99;
    ASSERT_TRUE(ReadScenarioDocument(doc, v));
    EXPECT_EQ(v.m_iAIMaxScore, 7);
    EXPECT_EQ(v.m_iPlayerMaxScore, 99);
    EXPECT_TRUE(v.m_stdvImages.empty());
    EXPECT_TRUE(v.m_stdvPlayerMobileUnits.empty());
    TiXmlDocument other;
    ASSERT_TRUE(VornaCampaign::ParseXmlText("<Campaign/>", other));
    EXPECT_FALSE(ReadScenarioDocument(other, v));
}

class ScenarioScreen : public CampaignScreens {
protected:
    void SetUp() override {
        CampaignScreens::SetUp();
        if (IsSkipped()) return;
        BindScenario(m_Scenario);
        ASSERT_TRUE(LoadScreens(m_Scenario)) << Log();
    }
    void Idle(int frames) { CampaignScreens::Idle(frames, &m_Scenario); }
    void Click(const Vorna2::CDX9KelGUIControl* c) { CampaignScreens::Click(c, &m_Scenario); }

    CDX9KelGameScenario m_Scenario;
};

TEST_F(ScenarioScreen, ARefusedScenarioLeavesTheRunningOne) {
    ASSERT_TRUE(m_Scenario.LoadScenario("demo.xml")) << Log();
    WriteScenario("short.xml", 3, 2);
    VornaTest::WriteText(m_Folder / "escape.xml", "<Scenario><Maps><a/></Maps><Images><i>../../x.bmp</i></Images></Scenario>");
    EXPECT_FALSE(m_Scenario.LoadScenario("short.xml"));
    EXPECT_FALSE(m_Scenario.LoadScenario("missing.xml"));
    EXPECT_FALSE(m_Scenario.LoadScenario("../demo.xml"));
    EXPECT_FALSE(m_Scenario.LoadScenario(""));
    EXPECT_STREQ(m_Scenario.m_szScenarioFile, "demo.xml");
    EXPECT_EQ(m_Scenario.m_stdvMaps.size(), 3u);
    EXPECT_NE(Log().find("Error : CDX9KelGameScenario::LoadScenario : xml file not read : "), std::string::npos);
    // A picture outside the folders is not loaded.
    EXPECT_FALSE(m_Scenario.LoadScenario("escape.xml"));
    EXPECT_NE(Log().find("Error : CDX9KelGameScenario::LoadScenario : Not loading image : ../../x.bmp"),
              std::string::npos);
}

TEST_F(ScenarioScreen, ANewScenarioStartsWithCleanScoresAndNoLosses) {
    m_Scenario.m_uAILossCounter = 10;
    m_Scenario.m_uPlayerScoreTotal = 20;
    m_Scenario.m_uPlayerLossCounter = 30;
    m_Scenario.m_uAIScoreTotal = 40;
    m_Scenario.m_stdvLostPlayerUnits = {"Dauntless"};
    ASSERT_TRUE(m_Scenario.LoadScenario("demo.xml"));
    EXPECT_EQ(m_Scenario.m_uAILossCounter + m_Scenario.m_uPlayerScoreTotal + m_Scenario.m_uPlayerLossCounter +
                  m_Scenario.m_uAIScoreTotal,
              0u);
    EXPECT_TRUE(m_Scenario.m_stdvLostPlayerUnits.empty());
    EXPECT_STREQ(m_Scenario.m_szScenarioName, "Demo campaign");
    EXPECT_EQ(m_Scenario.m_iPlayerSide, 1);
}

TEST_F(ScenarioScreen, NothingLoadsUntilTheLoadingButtonIsPressed) {
    ASSERT_TRUE(m_Scenario.LoadScenario("demo.xml"));
    EXPECT_EQ(ActiveScreen(), "scenario.xml");
    EXPECT_TRUE(m_Scenario.m_pLoadingButton->m_bVisible);
    EXPECT_FALSE(m_Scenario.m_pLoadingText->m_bVisible);
    EXPECT_FALSE(m_Scenario.m_pGUIDialogEnd->m_bVisible);
    // The loading picture lies under the button, over the whole dialog.
    const auto* picture = m_Scenario.m_pGUIDialogLoading->GetControl(m_Scenario.m_iPictureId);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(m_Scenario.m_pGUIDialogLoading->m_Controls.front().get(), picture);
    Idle(20);
    EXPECT_TRUE(m_Map.m_Calls.empty());
    EXPECT_EQ(m_Scenario.m_iLoadingStep, 2);

    const POINT p = Centre(m_Scenario.m_pLoadingButton);
    Frame(p.x, p.y, false, 20, &m_Scenario);
    Frame(p.x, p.y, true, 20, &m_Scenario);
    Frame(p.x, p.y, true, 20, &m_Scenario);
    // The press is seen: the loading text is up for a frame before the load.
    EXPECT_EQ(m_Scenario.m_iLoadingStep, 3);
    EXPECT_TRUE(m_Scenario.m_pLoadingText->m_bVisible);
    EXPECT_FALSE(m_Scenario.m_pLoadingButton->m_bVisible);
    EXPECT_TRUE(m_Map.m_Calls.empty());
    Frame(p.x, p.y, false, 20, &m_Scenario);
    EXPECT_EQ(m_Map.m_Calls, (std::vector<std::string>{"ClearMap(full)", "SetPlayerSide(1)", "LoadMap(first_map.map)"}));
    EXPECT_EQ(m_Scenario.m_iLoadingStep, -1);
    Idle(1);
    EXPECT_EQ(ActiveScreen(), "map.xml");
}

TEST_F(ScenarioScreen, AMapThatDoesNotLoadGoesBackToTheFirstScreen) {
    m_Map.m_bLoadMapWorks = false;
    ASSERT_TRUE(m_Scenario.LoadScenario("demo.xml"));
    Idle(3);
    Click(m_Scenario.m_pLoadingButton);
    Idle(1);
    EXPECT_EQ(ActiveScreen(), "logo.xml");
}

TEST_F(ScenarioScreen, ASaveLoadsTwoFramesAfterItIsAskedForWithoutAPress) {
    ASSERT_TRUE(m_Scenario.LoadScenario("demo.xml"));
    CampaignSaveTest::SampleSave s;
    CampaignSaveTest::FillSample(s);
    m_Map.Fill(s.data, "map_2.map", "Second map");
    VornaCampaign::g_GameSaver.SetScenario(&m_Scenario);
    ASSERT_TRUE(VornaCampaign::g_GameSaver.WriteSave("slot", false)) << Log();
    m_Map.m_Calls.clear();

    ASSERT_TRUE(m_Scenario.LoadSavedGame("demo.xml", "map_2.map", "slot", false)) << Log();
    EXPECT_FALSE(m_Scenario.m_pLoadingButton->m_bVisible);
    EXPECT_TRUE(m_Scenario.m_pLoadingText->m_bVisible);
    Idle(2);
    EXPECT_TRUE(m_Map.m_Calls.empty());
    Idle(1);
    EXPECT_EQ(m_Map.m_Calls, (std::vector<std::string>{"ClearMap", "SetPlayerSide(1)", "LoadFromSave"}));
    Idle(1);
    EXPECT_EQ(ActiveScreen(), "map.xml");
    VornaCampaign::g_GameSaver.SetScenario(&VornaCampaign::g_GameScenario);
}

TEST_F(ScenarioScreen, ABadSaveIsRefusedBeforeTheScenarioIsReplaced) {
    ASSERT_TRUE(m_Scenario.LoadScenario("demo.xml"));
    m_Scenario.m_uAILossCounter = 77;
    VornaTest::WriteText(m_Folder / "docs" / "Wexmoor Tarnfield" / "Saves" / "bad.wxsave", "not a save");
    EXPECT_FALSE(m_Scenario.LoadSavedGame("demo.xml", "first_map.map", "bad", false));
    EXPECT_FALSE(m_Scenario.LoadSavedGame("demo.xml", "first_map.map", "missing", false));
    EXPECT_EQ(m_Scenario.m_uAILossCounter, 77u);
    EXPECT_TRUE(m_Scenario.m_strPendingSave.empty());
}

TEST_F(ScenarioScreen, MapsFollowEachOtherAndTheLastShowsBothScores) {
    ASSERT_TRUE(m_Scenario.LoadScenario("demo.xml"));
    m_Scenario.m_uAILossCounter = 50;
    m_Scenario.m_uPlayerLossCounter = 20;
    EXPECT_FALSE(m_Scenario.ProcNextMap("unknown.map"));
    ASSERT_TRUE(m_Scenario.ProcNextMap("first_map.map"));
    EXPECT_EQ(m_Scenario.m_strMapToLoad, "map_2.map");
    EXPECT_EQ(m_Scenario.m_iLoadingStep, 0);
    EXPECT_TRUE(m_Scenario.m_pLoadingButton->m_bVisible);
    EXPECT_EQ(m_Scenario.m_uPlayerScoreTotal, 50u);
    EXPECT_EQ(m_Scenario.m_uAIScoreTotal, 20u);
    // The counters are not emptied at a map's end: the next map adds them
    // again on top of its own losses.
    m_Scenario.m_uAILossCounter = 101;
    ASSERT_TRUE(m_Scenario.ProcNextMap("map_3.map"));
    EXPECT_EQ(ActiveScreen(), "scenario.xml");
    EXPECT_FALSE(m_Scenario.m_pGUIDialogLoading->m_bVisible);
    EXPECT_TRUE(m_Scenario.m_pGUIDialogEnd->m_bVisible);
    // 151 of 200 and 40 of 400.
    EXPECT_EQ(Text(m_Scenario.m_pSide1ScoreText), "75%");
    EXPECT_EQ(Text(m_Scenario.m_pSide2ScoreText), "10%");
}

TEST_F(ScenarioScreen, APlayerOfSideTwoSeesTheComputersScoreFirst) {
    WriteScenario("south.xml", 1, 1, 2);
    ASSERT_TRUE(m_Scenario.LoadScenario("south.xml"));
    m_Scenario.m_uAILossCounter = 100;
    m_Scenario.m_uPlayerLossCounter = 100;
    ASSERT_TRUE(m_Scenario.ProcNextMap("first_map.map"));
    EXPECT_EQ(Text(m_Scenario.m_pSide1ScoreText), "25%");
    EXPECT_EQ(Text(m_Scenario.m_pSide2ScoreText), "50%");
    EXPECT_EQ(CDX9KelGameScenario::ScoreText(500, 0), "0%");
    EXPECT_EQ(CDX9KelGameScenario::ScoreText(500, -3), "0%");
}

TEST_F(ScenarioScreen, OnlyMobileUnitsAreCountedLost) {
    ASSERT_TRUE(m_Scenario.LoadScenario("demo.xml"));
    m_Scenario.AddLostPlayerUnit("Iron Duke");
    m_Scenario.AddLostPlayerUnit("North Fort");
    m_Scenario.AddLostPlayerUnit("Raider");
    m_Scenario.AddLostAIUnit("Raider");
    m_Scenario.AddLostAIUnit(nullptr);
    EXPECT_EQ(m_Scenario.m_stdvLostPlayerUnits, (std::vector<std::string>{"Iron Duke"}));
    EXPECT_EQ(m_Scenario.m_stdvLostAIUnits, (std::vector<std::string>{"Raider"}));
    EXPECT_EQ(m_Scenario.FindMap("map_3.map"), 2);
    EXPECT_EQ(m_Scenario.FindMap("MAP_3.map"), -1);
}

TEST_F(ScenarioScreen, TheLoadingButtonIsFoundByItsPlaceAmongAllControls) {
    // A button's image and caption stand before it in the dialog's list; the
    // loading text follows the button.
    const std::string captioned = ButtonAt(80, 35, 90, 65, "Start"),
                      bare = "<Button>" + Borders(80, 35, 90, 65) + "<Texture>Default</Texture></Button>",
                      loading = TextAt(80, 35, 90, 65, "Loading"), title = TextAt(0, 0, 10, 100, "Orders");
    struct Case {
        const char* name;
        bool background;
        std::string controls;
        int button; // its place in the list, -1 when the dialog is refused
    };
    const Case cases[] = {
        {"caption, no background", false, captioned + loading + title, 2},
        {"no caption, background", true, bare + loading + title, 2},
        {"no caption, no background", false, bare + loading + title, 1},
        {"caption after a background", true, captioned + loading + title, -1},
        {"title before the button", false, title + captioned + loading, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Write("loading.xml", "<Screen><Dialogs><Loading>" + Borders(0, 0, 100, 100) +
                                 (c.background ? "<Background>Default</Background>" : "") + "<Controls>" +
                                 c.controls + "</Controls></Loading><End>" + Borders(0, 0, 100, 100) + "<Controls>" +
                                 TextAt(40, 0, 50, 50, "") + TextAt(40, 50, 50, 100, "") +
                                 "</Controls></End></Dialogs></Screen>");
        Write("screens.slt", "loading.xml\n");
        CDX9KelCIIScreenManager screens;
        screens.Init(&Gui(), nullptr, nullptr);
        screens.m_strScreenFolder = m_Screens.m_strScreenFolder;
        ASSERT_TRUE(screens.LoadScreens());
        CDX9KelGameScenario scenario;
        const bool bound = scenario.SetScenarioScreen(screens.GetScreen("loading.xml"), &screens);
        if (c.button < 0) {
            EXPECT_FALSE(bound);
            EXPECT_EQ(scenario.m_pGUIDialogLoading, nullptr);
            continue;
        }
        ASSERT_TRUE(bound) << Log();
        const auto& controls = scenario.m_pGUIDialogLoading->m_Controls;
        const auto at = static_cast<std::size_t>(c.button);
        EXPECT_EQ(scenario.m_pLoadingButton, controls[at].get());
        EXPECT_EQ(scenario.m_pLoadingText, controls[at + 1].get());
    }
}

TEST_F(ScenarioScreen, ALoadingDialogWithoutItsButtonIsNotBound) {
    Write("broken.xml", "<Screen><Dialogs><Loading>" + Borders(0, 0, 100, 100) + "<Controls>" +
                            TextAt(0, 0, 10, 100, "a") + TextAt(10, 0, 20, 100, "b") + TextAt(20, 0, 30, 100, "c") +
                            "</Controls></Loading></Dialogs></Screen>");
    Write("screens.slt", "logo.xml\nbroken.xml\n");
    CDX9KelCIIScreenManager screens;
    screens.Init(&Gui(), nullptr, nullptr);
    screens.m_strScreenFolder = m_Screens.m_strScreenFolder;
    ASSERT_TRUE(screens.LoadScreens());
    CDX9KelGameScenario scenario;
    EXPECT_FALSE(scenario.SetScenarioScreen(screens.GetScreen("broken.xml"), &screens));
    EXPECT_EQ(scenario.m_pGUIDialogLoading, nullptr);
    EXPECT_NE(Log().find("Error : CDX9KelGameScenario::SetScenarioScreen : Loading Dialog Control 1 is not "
                         "GUI_CONTROL_TYPE_BUTTON\n"),
              std::string::npos);
    EXPECT_FALSE(scenario.SetScenarioScreen(nullptr, &screens));
}

} // namespace
} // namespace CampaignScreensTest
