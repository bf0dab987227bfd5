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
    // With a background image first, the list is the dialog's control 10
    // (its nine parts stand before it), the load button 13 after its image
    // and caption, and the header texts follow it.
    const auto& controls = load->m_pGUILoadDialog->m_Controls;
    ASSERT_GE(controls.size(), 18u);
    EXPECT_EQ(load->m_pSaveList, controls[10].get());
    EXPECT_EQ(load->m_pLoadButton, controls[13].get());
    EXPECT_EQ(load->m_pTimeText, controls[14].get());
    EXPECT_EQ(load->m_pTurnText, controls[17].get());
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

TEST_F(Modules, TheLoadButtonWithoutACaptionIsControlTwelve) {
    // After the background and the list (10), a load button without a
    // caption: its image at 11, the button at 12 (13 is no button); the four
    // header texts follow it. Without the background the list's own track
    // image stands first, so the list is looked for at 10 all the same and
    // the dialog is not bound.
    std::string controls = "<ListBox>" + Borders(30, 15, 60, 95) +
                           "<TextureSelBar>Default</TextureSelBar><TextureBar>Default</TextureBar>"
                           "<TextureTrack>Default</TextureTrack><Font>Line</Font></ListBox>";
    controls += "<Button>" + Borders(66, 30, 72, 70) + "<Texture>Default</Texture></Button>";
    for (int i = 0; i < 4; ++i) controls += TextAt(74 + 5 * i, 0, 79 + 5 * i, 100, "");
    controls += TextAt(0, 0, 5, 100, "Load");
    for (bool background : {true, false}) {
        SCOPED_TRACE(background ? "background" : "none");
        Write("bare.xml", "<Screen><Dialogs><Load>" + Borders(0, 0, 100, 100) +
                              (background ? "<Background>Default</Background>" : "") + "<Controls>" + controls +
                              "</Controls></Load></Dialogs><Modules><LoadGame>Load</LoadGame></Modules></Screen>");
        Write("screens.slt", "bare.xml\n");
        CDX9KelCIIScreenManager screens;
        VornaCampaign::CCIIModuleManager modules;
        screens.Init(&Gui(), nullptr, &modules);
        screens.m_strScreenFolder = m_Screens.m_strScreenFolder;
        ASSERT_TRUE(screens.LoadScreens());
        if (!background) {
            EXPECT_EQ(modules.GetModuleCount(), 0u);
            EXPECT_NE(Log().find("Error : CCIIModuleLoadGame::Init : Dialog Control 10 is not GUI_CONTROL_TYPE_LISTBOX\n"),
                      std::string::npos);
            continue;
        }
        ASSERT_EQ(modules.GetModuleCount(), 1u) << Log();
        auto* load = dynamic_cast<CCIIModuleLoadGame*>(modules.GetModule(0));
        ASSERT_NE(load, nullptr);
        const auto& list = load->m_pGUILoadDialog->m_Controls;
        EXPECT_EQ(load->m_pSaveList, list[10].get());
        EXPECT_EQ(load->m_pLoadButton, list[12].get());
        EXPECT_EQ(load->m_pTimeText, list[13].get());
        EXPECT_EQ(load->m_pTurnText, list[16].get());
        modules.Release();
    }
}

TEST_F(Modules, TheStartButtonIsFoundByItsPlaceAmongAllControls) {
    // A button's image and caption stand before it in the dialog's list.
    const std::string captioned = ButtonAt(20, 30, 30, 70, "Start"),
                      bare = "<Button>" + Borders(20, 30, 30, 70) + "<Texture>Default</Texture></Button>",
                      title = TextAt(0, 0, 10, 100, "Campaign");
    struct Case {
        const char* name;
        bool background;
        std::string controls;
        int button; // its place in the list, -1 when the module is not made
    };
    const Case cases[] = {
        {"caption, no background", false, captioned + title, 2},
        {"no caption, background", true, bare + title, 2},
        {"no caption, no background", false, bare + title, 1},
        {"caption after a background", true, captioned + title, -1},
        {"title before the button", false, title + captioned, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Write("start.xml", "<Screen><Dialogs><Main>" + Borders(0, 0, 100, 100) +
                               (c.background ? "<Background>Default</Background>" : "") + "<Controls>" + c.controls +
                               "</Controls></Main></Dialogs><Modules><Scenario><File>demo.xml</File>"
                               "<Dialog>Main</Dialog></Scenario></Modules></Screen>");
        Write("screens.slt", "start.xml\n");
        CDX9KelCIIScreenManager screens;
        VornaCampaign::CCIIModuleManager modules;
        screens.Init(&Gui(), nullptr, &modules);
        screens.m_strScreenFolder = m_Screens.m_strScreenFolder;
        ASSERT_TRUE(screens.LoadScreens());
        if (c.button < 0) {
            EXPECT_EQ(modules.GetModuleCount(), 0u);
            EXPECT_NE(Log().find("Error : CCIIModuleScenario::Init : Dialog Control is not GUI_CONTROL_TYPE_BUTTON\n"),
                      std::string::npos);
        } else {
            ASSERT_EQ(modules.GetModuleCount(), 1u) << Log();
            auto* start = dynamic_cast<VornaCampaign::CCIIModuleScenario*>(modules.GetModule(0));
            ASSERT_NE(start, nullptr);
            const auto* dialog = screens.GetScreen("start.xml")->GetDialog(0);
            EXPECT_EQ(start->m_pStartButton, dialog->m_Controls[static_cast<std::size_t>(c.button)].get());
        }
        modules.Release();
    }
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
