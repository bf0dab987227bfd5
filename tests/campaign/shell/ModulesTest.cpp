// The campaign's screen modules: the logo that goes on by time, click or
// key, the scenario start button, and the load-game dialog with its list of
// saves, header texts and load button.
#include "CampaignScreensFixture.h"

#include "campaign/save/GameSaveFile.h"
#include "engine2/ui/gui/CDX9KelGUIListBox.h"

namespace CampaignScreensTest {
namespace {

using VornaCampaign::CCIIModuleLoadGame;
using VornaCampaign::CCIIModuleLogo;
using VornaCampaign::g_GameSaver;
using VornaCampaign::g_GameScenario;

class Modules : public CampaignScreens {
protected:
    void SetUp() override {
        CampaignScreens::SetUp();
        if (IsSkipped()) return;
        ASSERT_TRUE(LoadScreens(g_GameScenario)) << Log();
    }
    template <class T>
    T* Find() {
        for (std::size_t i = 0; i < m_Modules.GetModuleCount(); ++i)
            if (auto* m = dynamic_cast<T*>(m_Modules.GetModule(i))) return m;
        return nullptr;
    }
    // Saves of the sample map under the given names, one turn apart.
    void WriteSaves(std::initializer_list<const char*> names) {
        g_GameScenario.LoadScenario("demo.xml");
        int turn = 3;
        for (const char* name : names) {
            CampaignSaveTest::SampleSave s;
            CampaignSaveTest::FillSample(s, turn++);
            m_Map.Fill(s.data, "map_2.map", "Second map");
            m_Map.m_iTurn = s.data.m_iTurn;
            ASSERT_TRUE(g_GameSaver.WriteSave(name, false)) << Log();
        }
        m_Map.m_Calls.clear();
        m_Screens.SetActiveScreenByName("logo.xml");
    }
};

TEST_F(Modules, EachModuleOfTheScreensIsMadeAndUnknownOnesAreIgnored) {
    EXPECT_EQ(m_Modules.GetModuleCount(), 3u);
    ASSERT_NE(Find<CCIIModuleLogo>(), nullptr);
    EXPECT_EQ(Find<CCIIModuleLogo>()->m_iTime, 3000);
    EXPECT_EQ(Find<CCIIModuleLogo>()->m_strNext, "menu.xml");
    EXPECT_NE(Find<VornaCampaign::CCIIModuleScenario>(), nullptr);
    EXPECT_NE(Find<CCIIModuleLoadGame>(), nullptr);
    EXPECT_EQ(Log().find("Error"), std::string::npos) << Log();
}

TEST_F(Modules, TheLogoGoesOnAfterItsTimeAndAtOnceWhenShownAgain) {
    ASSERT_EQ(ActiveScreen(), "logo.xml");
    for (int i = 0; i < 145; ++i) Frame(-100, -100, false, 20);
    EXPECT_EQ(ActiveScreen(), "logo.xml");
    for (int i = 0; i < 10; ++i) Frame(-100, -100, false, 20);
    EXPECT_EQ(ActiveScreen(), "menu.xml");
    m_Screens.SetActiveScreenByName("logo.xml");
    Idle(2);
    EXPECT_EQ(ActiveScreen(), "menu.xml");
}

TEST_F(Modules, SpaceEnterOrAClickTakeTheLogoOnEarly) {
    ASSERT_EQ(ActiveScreen(), "logo.xml");
    Idle(3);
    Vorna2::g_Input.m_KeyboardState[57] = 0x80;
    Idle(1);
    Vorna2::g_Input.m_KeyboardState[57] = 0;
    EXPECT_EQ(ActiveScreen(), "menu.xml");

    // Shown again well within its time, the logo waits for a click.
    m_Screens.SetActiveScreenByName("logo.xml");
    Idle(3);
    EXPECT_EQ(ActiveScreen(), "logo.xml");
    Frame(5, 5, true, 300);
    EXPECT_EQ(ActiveScreen(), "menu.xml");
}

TEST_F(Modules, TheStartButtonStartsTheScenario) {
    m_Screens.SetActiveScreenByName("menu.xml");
    Idle(1);
    const auto* menu = m_Screens.GetScreen("menu.xml")->GetDialog(0);
    Click(VornaCampaign::GetDialogControl(menu, 2));
    EXPECT_STREQ(g_GameScenario.m_szScenarioFile, "demo.xml");
    EXPECT_EQ(ActiveScreen(), "scenario.xml");
    EXPECT_EQ(g_GameScenario.m_strMapToLoad, "first_map.map");
}

TEST_F(Modules, TheLoadDialogListsTheSavesAndLoadsTheChosenOne) {
    WriteSaves({"autosave1", "Evening"});
    CCIIModuleLoadGame* load = Find<CCIIModuleLoadGame>();
    ASSERT_NE(load, nullptr);
    // With a background image first, the list is the dialog's control 10.
    EXPECT_EQ(load->m_pSaveList, VornaCampaign::GetDialogControl(load->m_pGUILoadDialog, 10));
    m_Screens.SetActiveScreenByName("load.xml");
    Idle(1);
    ASSERT_TRUE(load->m_bFilled);
    ASSERT_EQ(load->m_pSaveList->m_Elements.size(), 2u);
    EXPECT_EQ(load->m_iSelected, 0);
    EXPECT_EQ(Text(load->m_pTimeText), "Time : " + Platform::LocalTimeText(m_World.m_Clock.Now()));
    EXPECT_EQ(Text(load->m_pStateText), "State : North");
    EXPECT_EQ(Text(load->m_pMapText), "Map : Second map");
    EXPECT_EQ(Text(load->m_pTurnText), "Turn : 3");

    load->m_pSaveList->SelectElement(1);
    Idle(1);
    EXPECT_EQ(Text(load->m_pTurnText), "Turn : 4");
    Click(load->m_pLoadButton);
    EXPECT_FALSE(load->m_pGUILoadDialog->m_bVisible);
    EXPECT_EQ(ActiveScreen(), "scenario.xml");
    EXPECT_EQ(g_GameScenario.m_strPendingSave, "Evening");
    Idle(3);
    EXPECT_EQ(m_Map.m_iTurn, 4);
    Idle(1);
    EXPECT_EQ(ActiveScreen(), "map.xml");
}

TEST_F(Modules, ASaveMadeSinceTheDialogLastShowedIsListed) {
    WriteSaves({"autosave1"});
    CCIIModuleLoadGame* load = Find<CCIIModuleLoadGame>();
    m_Screens.SetActiveScreenByName("load.xml");
    Idle(1);
    EXPECT_EQ(load->m_pSaveList->m_Elements.size(), 1u);
    m_Screens.SetActiveScreenByName("menu.xml");
    Idle(1);
    EXPECT_FALSE(load->m_bFilled);
    WriteSaves({"autosave2"});
    m_Screens.SetActiveScreenByName("load.xml");
    Idle(1);
    EXPECT_EQ(load->m_pSaveList->m_Elements.size(), 2u);
}

TEST_F(Modules, AnEmptyListShowsNoHeader) {
    CCIIModuleLoadGame* load = Find<CCIIModuleLoadGame>();
    m_Screens.SetActiveScreenByName("load.xml");
    Idle(1);
    EXPECT_TRUE(load->m_pSaveList->m_Elements.empty());
    EXPECT_EQ(Text(load->m_pTimeText), "");
    EXPECT_EQ(Text(load->m_pTurnText), "");
    Click(load->m_pLoadButton);
    EXPECT_EQ(ActiveScreen(), "load.xml");
}

TEST_F(Modules, WithoutABackgroundTheListIsTheNinthControl) {
    // Title and seven labels, the list at 9, a label, the load button at 11
    // (12 is no button) and the four header texts.
    std::string controls = TextAt(0, 0, 5, 100, "Load");
    for (int i = 0; i < 8; ++i) controls += TextAt(5 + i * 3, 0, 8 + i * 3, 10, "-");
    controls += "<ListBox>" + Borders(30, 15, 60, 95) +
                "<TextureSelBar>Default</TextureSelBar><TextureBar>Default</TextureBar>"
                "<TextureTrack>Default</TextureTrack><Font>Line</Font></ListBox>";
    controls += TextAt(62, 0, 66, 10, "-") + ButtonAt(66, 30, 72, 70, "Load");
    for (int i = 0; i < 4; ++i) controls += TextAt(74 + 5 * i, 0, 79 + 5 * i, 100, "");
    Write("bare.xml", "<Screen><Dialogs><Load>" + Borders(0, 0, 100, 100) + "<Controls>" + controls +
                          "</Controls></Load></Dialogs><Modules><LoadGame>Load</LoadGame></Modules></Screen>");
    Write("screens.slt", "bare.xml\n");
    CDX9KelCIIScreenManager screens;
    VornaCampaign::CCIIModuleManager modules;
    screens.Init(&Gui(), nullptr, &modules);
    screens.m_strScreenFolder = m_Screens.m_strScreenFolder;
    ASSERT_TRUE(screens.LoadScreens());
    ASSERT_EQ(modules.GetModuleCount(), 1u) << Log();
    auto* load = dynamic_cast<CCIIModuleLoadGame*>(modules.GetModule(0));
    ASSERT_NE(load, nullptr);
    EXPECT_EQ(load->m_pSaveList, VornaCampaign::GetDialogControl(load->m_pGUILoadDialog, 9));
    EXPECT_EQ(load->m_pLoadButton, VornaCampaign::GetDialogControl(load->m_pGUILoadDialog, 11));
    EXPECT_EQ(load->m_pTimeText, VornaCampaign::GetDialogControl(load->m_pGUILoadDialog, 12));
    modules.Release();
}

TEST_F(Modules, ModulesThatCannotBindAreLoggedAndLeftOut) {
    // Without a background the list is control 9; here control 9 is a text.
    std::string controls;
    for (int i = 0; i < 16; ++i) controls += TextAt(i * 5, 0, i * 5 + 5, 100, "-");
    Write("broken.xml", "<Screen><Dialogs><Load>" + Borders(0, 0, 100, 100) + "<Controls>" + controls +
                            "</Controls></Load></Dialogs><Modules><LoadGame>Load</LoadGame><LoadGame>None</LoadGame>"
                            "<LoadGame/><Scenario><File>demo.xml</File><Dialog>Load</Dialog></Scenario>"
                            "<Scenario><Dialog>Load</Dialog></Scenario><Logo><Next>menu.xml</Next></Logo></Modules>"
                            "</Screen>");
    Write("screens.slt", "broken.xml\n");
    CDX9KelCIIScreenManager screens;
    VornaCampaign::CCIIModuleManager modules;
    screens.Init(&Gui(), nullptr, &modules);
    screens.m_strScreenFolder = m_Screens.m_strScreenFolder;
    ASSERT_TRUE(screens.LoadScreens());
    EXPECT_EQ(modules.GetModuleCount(), 0u);
    const std::string log = Log();
    for (const char* line :
         {"Error : CCIIModuleLoadGame::Init : Dialog Control 9 is not GUI_CONTROL_TYPE_LISTBOX\n",
          "Error : CCIIModuleLoadGame::Init : not found m_pGUILoadDialog\n",
          "Error : CCIIModuleLoadGame::Init : not read Dialog\n",
          "CScreenModuleManager::AddModule: Error : module LoadGame not create \n",
          "Error : CCIIModuleScenario::Init : Dialog Control is not GUI_CONTROL_TYPE_BUTTON\n",
          "Error : CCIIModuleScenario::Init : not read scenario file\n",
          "CScreenModuleManager::AddModule: Error : module Scenario not create \n",
          "CScreenModuleManager::AddModule: Error : module Logo not create \n"})
        EXPECT_NE(log.find(line), std::string::npos) << line;
    modules.Release();
}

} // namespace
} // namespace CampaignScreensTest
