// The save, load and duel screen modules on the demo screens of a running
// game scene: each binds by name; the load screen lists the saves with the
// summary of the selected one, and a save that cannot be loaded is refused
// on the screen with the game left as it was; the save screen writes no
// save while no scenario or duel runs; the duel's results and end show the
// duel's losses and score; the main menu's duel button begins the duel.
#include "common/DemoData.h"
#include "common/GameSession.h"
#include "TestFolder.h"
#include "engine3/ui/screens/CVR3CIIScreenManager.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlButton.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlButtonCheck.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlScrollCheckList.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlEditBox.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlListBox.h"
#include "engine3/ui/sgui/CDX9KelSGUIDialog.h"
#include "engine3/ui/sgui/CDX9KelSGUIText.h"
#include "platform/os/Paths.h"
#include "seabattle/battle/CVR3GAMEBattleMap.h"
#include "seabattle/battle/CVR3GAMEBattleMapPlayer.h"
#include "seabattle/battle/CVR3GAMEBattleMapShip.h"
#include "engine3/core/scene/CDX9KelSceneObject.h"
#include "engine3/core/render/CDX9KelBaseCameraManager.h"
#include "seabattle/game/CVR3GAMEHarbourMap.h"
#include "seabattle/game/CVR3GAMEHarbourMapPlayer.h"
#include "seabattle/game/CVR3GAMEHarbourMapPlayerDirectorHuman.h"
#include "seabattle/game/CVR3GAMEScenario.h"
#include "seabattle/game/CVR3GAMEDuel.h"
#include "seabattle/game/CVR3GAMEIO.h"
#include "seabattle/game/CVR3GAMEManager.h"
#include "seabattle/game/CVR3GAMESaveImage.h"
#include "seabattle/shell/CCIIModuleBattleMapMenu.h"
#include "seabattle/shell/CCIIModuleManager.h"
#include "seabattle/shell/CCIIModuleSaves.h"
#include "seabattle/shell/CScene.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;
using namespace SeaBattle;
using namespace Vorna3D;

namespace {

class SaveScreenModules : public ::testing::Test {
protected:
    static void SetUpTestSuite() { VornaTest::LinkDemoData(Platform::ProgramFolder()); }
    void SetUp() override {
        m_dir = VornaTest::FreshFolder();
        fs::copy_file(fs::path(VORNA_BIN_DIR) / "engine.ini", m_dir / "engine.ini");
        VornaTest::GameSession::Options options;
        options.dataFolder = m_dir.string() + "/";
        options.stepMs = 20;
        ASSERT_TRUE(m_session.Start(options));
        m_pScreens = m_session.Screens();
        ASSERT_NE(m_pScreens, nullptr);
    }
    void TearDown() override {
        if (CVR3GAMEBattleMap* map = CVR3GAMEManager::Get().GetBattleMap()) map->Clear();
        m_session.Stop();
    }
    std::string Log() { return VornaTest::ReadText(m_dir / "Vorna3Log.log"); }
    template <class T>
    T* Module() {
        CCIIModuleManager* modules = m_session.Scene()->GetModuleManager();
        for (size_t i = 0; modules && i < modules->GetModuleCount(); ++i)
            if (auto* m = dynamic_cast<T*>(modules->GetModule(i))) return m;
        return nullptr;
    }
    CVR3CIIScreen* Screen(const char* name) { return m_pScreens->FindScreen(name); }
    void PutSave(const std::string& file, const std::string& bytes) {
        const std::string saves = CVR3GAMEManager::Get().GetGameIO()->GetFolder(CVR3GAMEIO::FOLDER_USER_SAVES);
        Platform::CreateFolderTree(Platform::NativePath(saves));
        VornaTest::WriteText(Platform::NativePath(saves + file), bytes);
    }
    // Presses a button for one look of the module, past every gate.
    template <class M>
    void Press(M* module, CDX9KelSGUIControlButton* button) {
        m_session.Clock().Advance(1100);
        button->m_dwState = SGUI_BUTTON_PRESSED;
        module->Proc();
        button->m_dwState = SGUI_BUTTON_NORMAL;
    }

    VornaTest::GameSession m_session;
    fs::path m_dir;
    CVR3CIIScreenManager* m_pScreens = nullptr;
};

} // namespace

TEST_F(SaveScreenModules, EachKindBindsToItsDemoScreen) {
    auto* load = Module<CCIIModuleGameLoad>();
    auto* save = Module<CCIIModuleGameSave>();
    auto* duel = Module<CCIIModuleDuelLoad>();
    auto* results = Module<CCIIModuleDuelBattleResults>();
    auto* end = Module<CCIIModuleDuelEnd>();
    // The save module is a load module too: look for the load screen's own.
    CCIIModuleManager* modules = m_session.Scene()->GetModuleManager();
    for (size_t i = 0; i < modules->GetModuleCount(); ++i)
        if (auto* m = dynamic_cast<CCIIModuleGameLoad*>(modules->GetModule(i)); m && !dynamic_cast<CCIIModuleGameSave*>(m))
            load = m;
    ASSERT_NE(load, nullptr);
    ASSERT_NE(save, nullptr);
    ASSERT_NE(duel, nullptr);
    ASSERT_NE(results, nullptr);
    ASSERT_NE(end, nullptr);
    EXPECT_EQ(load->GetScreen(), Screen("load_game"));
    EXPECT_EQ(save->GetScreen(), Screen("save_game"));
    EXPECT_NE(save->m_pEditBox, nullptr);
    EXPECT_EQ(duel->GetScreen(), Screen("main_menu"));
    EXPECT_EQ(duel->m_strDuel, "demo_duel.duelxml");
    EXPECT_EQ(results->GetScreen(), Screen("duel_results"));
    EXPECT_EQ(end->GetScreen(), Screen("duel_end"));
    EXPECT_EQ(Log().find("not create"), std::string::npos) << Log();
}

TEST_F(SaveScreenModules, TheLoadScreenListsTheSavesAndRefusesABrokenOneOnTheScreen) {
    CCIIModuleGameLoad* load = nullptr;
    CCIIModuleManager* modules = m_session.Scene()->GetModuleManager();
    for (size_t i = 0; i < modules->GetModuleCount(); ++i)
        if (auto* m = dynamic_cast<CCIIModuleGameLoad*>(modules->GetModule(i)); m && !dynamic_cast<CCIIModuleGameSave*>(m))
            load = m;
    ASSERT_NE(load, nullptr);
    SVR3ScenarioSave save;
    save.Time = "Tue Nov 14 22:13:20 2023";
    save.ScenarioFile = "demo_scenario.scnrxml";
    save.ScenarioName = "The demo war";
    save.HumanName = "Blue Squadron";
    save.ComputerName = "Red Squadron";
    save.Step = 7; // no such step: the load is refused
    PutSave("broken.v3savebin", WriteScenarioSave(save));
    PutSave("other.v3cbsavebin", std::string(600, '\0'));

    ASSERT_TRUE(m_pScreens->SetScreen("load_game"));
    load->Proc();
    ASSERT_EQ(load->m_pList->GetCount(), 2u);
    EXPECT_EQ(load->m_pList->GetSelectedText(), "broken"); // scenario saves first
    EXPECT_EQ(load->m_pTextTime->GetText(), "Tue Nov 14 22:13:20 2023");
    EXPECT_EQ(load->m_pTextScenario->GetText(), "The demo war");
    EXPECT_EQ(load->m_pTextPlayer->GetText(), "Blue Squadron");

    Press(load, load->m_pButton);
    EXPECT_TRUE(load->m_pDialogCheck->IsVisible());
    Press(load, load->m_pButtonOK);
    EXPECT_FALSE(load->m_pDialogCheck->IsVisible());
    EXPECT_EQ(load->m_pTextScenario->GetText(), "This save cannot be loaded");
    EXPECT_EQ(m_session.CurrentScreen(), "load_game");
    EXPECT_EQ(CVR3GAMEManager::Get().GetPendingState(), CVR3GAMEManager::STATE_NONE);
    EXPECT_FALSE(CVR3GAMEManager::Get().IsScenarioRunning());
    EXPECT_NE(Log().find("step index 7 outside the scenario's"), std::string::npos);
}

TEST_F(SaveScreenModules, TheSaveScreenWritesNothingWhileNoGameRuns) {
    auto* save = Module<CCIIModuleGameSave>();
    ASSERT_NE(save, nullptr);
    ASSERT_TRUE(m_pScreens->SetScreen("save_game"));
    save->Proc();
    save->m_pEditBox->SetText("mine");
    Press(save, save->m_pButton);
    EXPECT_TRUE(save->m_pDialogCheck->IsVisible());
    Press(save, save->m_pButtonOK);
    EXPECT_EQ(m_session.CurrentScreen(), "battle_game"); // the screen's next screen
    const std::string saves = CVR3GAMEManager::Get().GetGameIO()->GetFolder(CVR3GAMEIO::FOLDER_USER_SAVES);
    EXPECT_FALSE(fs::exists(Platform::NativePath(saves + "mine.v3savebin")));
    EXPECT_FALSE(fs::exists(Platform::NativePath(saves + "mine.v3cbsavebin")));
}

TEST_F(SaveScreenModules, TheDuelButtonBeginsTheDuelAndItsEndShowsTheScore) {
    auto* duelLoad = Module<CCIIModuleDuelLoad>();
    ASSERT_NE(duelLoad, nullptr);
    ASSERT_TRUE(m_pScreens->SetScreen("main_menu"));
    Press(duelLoad, duelLoad->m_pButton);
    EXPECT_EQ(CVR3GAMEManager::Get().GetPendingState(), CVR3GAMEManager::BEGIN_DUEL);
    for (int i = 0; i < 20 && CVR3GAMEManager::Get().GetPendingState() != CVR3GAMEManager::STATE_NONE; ++i)
        m_session.Frame(false);
    ASSERT_TRUE(CVR3GAMEManager::Get().IsDuelRunning()) << Log();
    EXPECT_EQ(m_session.CurrentScreen(), "duel_menu");

    CVR3GAMEDuel* duel = CVR3GAMEManager::Get().GetDuel();
    ASSERT_EQ(duel->m_stdvDirectors.size(), 2u);
    duel->m_stdvDirectors[0]->m_dwStartMoney = 1000;
    duel->m_stdvDirectors[0]->m_dwMoney = 0;
    duel->m_stdvDirectors[0]->m_dwLostMoney = 500; // half lost: 50
    duel->m_stdvDirectors[1]->m_dwStartMoney = 1000;
    duel->m_stdvDirectors[1]->m_dwMoney = 0;
    duel->m_stdvDirectors[1]->m_dwLostMoney = 1000; // all lost: 100
    auto* end = Module<CCIIModuleDuelEnd>();
    ASSERT_NE(end, nullptr);
    ASSERT_TRUE(m_pScreens->SetScreen("duel_end"));
    end->Proc();
    EXPECT_EQ(end->m_pTextResult->GetText(), "75%");
}

TEST_F(SaveScreenModules, TheDuelScreensBuyBothFleetsAndStartTheBattle) {
    CVR3GAMEManager& manager = CVR3GAMEManager::Get();
    ASSERT_TRUE(manager.BeginDuelFromFile("demo_duel.duelxml", "loading"));
    for (int i = 0; i < 20 && manager.GetPendingState() != CVR3GAMEManager::STATE_NONE; ++i) m_session.Frame(false);
    ASSERT_TRUE(manager.IsDuelRunning()) << Log();
    EXPECT_EQ(Log().find("LoadUIFromScreen() failed"), std::string::npos) << Log();
    CVR3GAMEDuel* duel = manager.GetDuel();
    CVR3GAMEDuelPlayerDirector* blue = duel->m_stdvDirectors[0];
    CVR3GAMEDuelPlayerDirector* red = duel->m_stdvDirectors[1];
    ASSERT_NE(blue->m_pShopIcons, nullptr);
    ASSERT_EQ(blue->m_pShopIcons->m_vItems.size(), 2u);
    EXPECT_EQ(blue->m_pShopIcons->m_vItems[0]->m_pText->GetText(), "$50400");

    // The blue shop: a cruiser into column 1, the card shown, the money down.
    ASSERT_TRUE(m_pScreens->SetScreen("duel_player_blue"));
    blue->m_pShopIcons->SetSelected(0);
    blue->Proc();
    EXPECT_EQ(blue->m_stdmInfoTexts["Name"]->GetText(), "Broadside cruiser");
    EXPECT_EQ(blue->m_pAdd[0]->GetState(), static_cast<DWORD>(SGUI_BUTTON_NORMAL));
    EXPECT_EQ(blue->m_pErase[0]->GetState(), static_cast<DWORD>(SGUI_BUTTON_LOCKED));
    m_session.Clock().Advance(600);
    blue->m_pAdd[0]->m_dwState = SGUI_BUTTON_PRESSED;
    blue->Proc();
    blue->m_pAdd[0]->m_dwState = SGUI_BUTTON_NORMAL;
    ASSERT_EQ(blue->m_stdvColumns[0].size(), 1u);
    EXPECT_EQ(blue->m_dwMoney, 150000u - 50400u);
    EXPECT_EQ(blue->m_stdmInfoTexts["Money"]->GetText(), "99600");
    EXPECT_EQ(blue->m_pColumnIcons[0]->m_vItems.size(), 1u);
    // A picture of the shop with its bought cruiser, to look at.
    const fs::path picture = m_dir / "duel_player_blue.png";
    ASSERT_TRUE(m_session.TakePicture(picture.string()));
    m_session.Frame(true);
    EXPECT_TRUE(fs::exists(picture));
    std::printf("Picture of the blue shop: %s\n", picture.c_str());

    // The menu: the red fleet is empty, so a difficulty shows the warning.
    ASSERT_TRUE(m_pScreens->SetScreen("duel_menu"));
    m_session.Clock().Advance(1100);
    duel->m_pLevelButtons[1]->m_dwState = SGUI_BUTTON_PRESSED;
    duel->ProcMenu();
    duel->m_pLevelButtons[1]->m_dwState = SGUI_BUTTON_NORMAL;
    EXPECT_TRUE(duel->m_pDialogWarning->IsVisible());
    EXPECT_EQ(manager.GetPendingState(), CVR3GAMEManager::STATE_NONE);
    m_session.Clock().Advance(1100);
    duel->m_pWarningOk->m_dwState = SGUI_BUTTON_PRESSED;
    duel->ProcMenu();
    duel->m_pWarningOk->m_dwState = SGUI_BUTTON_NORMAL;
    EXPECT_FALSE(duel->m_pDialogWarning->IsVisible());

    // A ram for red; then the realistic list, confirmed, begins the battle.
    red->m_iSelectedShop = 1;
    ASSERT_TRUE(red->AddShip(0));
    m_session.Clock().Advance(1100);
    duel->m_pLevelButtons[2]->m_dwState = SGUI_BUTTON_PRESSED;
    duel->ProcMenu();
    duel->m_pLevelButtons[2]->m_dwState = SGUI_BUTTON_NORMAL;
    EXPECT_TRUE(duel->m_pDialogCheck->IsVisible());
    EXPECT_EQ(duel->m_strArtilleryList, "demo_guns_realistic.artlstxml");
    m_session.Clock().Advance(1100);
    duel->m_pCheckOk->m_dwState = SGUI_BUTTON_PRESSED;
    duel->ProcMenu();
    duel->m_pCheckOk->m_dwState = SGUI_BUTTON_NORMAL;
    EXPECT_EQ(manager.GetPendingState(), CVR3GAMEManager::DUEL_TO_BATTLE);
    for (int i = 0; i < 20 && manager.GetPendingState() != CVR3GAMEManager::STATE_NONE; ++i) m_session.Frame(false);
    EXPECT_EQ(m_session.CurrentScreen(), "battle_game");
    const std::string blueName = "Blue Squadron";
    ASSERT_NE(manager.GetBattleMap()->GetPlayer(&blueName), nullptr);
    EXPECT_EQ(manager.GetBattleMap()->GetPlayer(&blueName)->m_stdvBattleShips.size(), 1u);

    // The pause menu stops the duel's battle; Continue goes back to the
    // duel's battle screen with time and camera running again.
    auto* menu = Module<CCIIModuleBattleMapMenu>();
    ASSERT_NE(menu, nullptr);
    ASSERT_TRUE(m_pScreens->SetScreen("battle_menu"));
    m_session.Frames(2, false);
    EXPECT_TRUE(menu->m_bPaused);
    EXPECT_EQ(manager.GetBattleMap()->m_GameTimer.m_fSpeed, 0.0f);
    EXPECT_FALSE(m_session.Scene()->m_pCameraManager->m_bControl);
    m_session.Clock().Advance(1100);
    menu->m_pButtonContinue->m_dwState = SGUI_BUTTON_PRESSED;
    menu->Proc();
    menu->m_pButtonContinue->m_dwState = SGUI_BUTTON_NORMAL;
    EXPECT_EQ(m_session.CurrentScreen(), duel->m_strScreenBattle);
    EXPECT_EQ(m_session.CurrentScreen(), "battle_game");
    EXPECT_EQ(manager.GetBattleMap()->m_GameTimer.m_fSpeed, 1.0f);
    EXPECT_TRUE(m_session.Scene()->m_pCameraManager->m_bControl);
}

// The whole way through the two screens: a battle saved from the save screen,
// the game started afresh, the save picked on the load screen and loaded: the
// battle is back with its ships where they were.
TEST_F(SaveScreenModules, ABattleSavedOnTheSaveScreenLoadsOnTheLoadScreenOfAFreshGame) {
    CVR3GAMEManager& manager = CVR3GAMEManager::Get();
    const auto wait = [&] {
        for (int i = 0; i < 200 && manager.GetPendingState() != CVR3GAMEManager::STATE_NONE; ++i)
            m_session.Frame(false);
        return manager.GetPendingState() == CVR3GAMEManager::STATE_NONE;
    };
    ASSERT_TRUE(manager.BeginScenarioFromFile("demo_scenario_auto.scnrxml"));
    ASSERT_TRUE(wait());
    CVR3GAMEScenario* s = manager.GetScenario();
    auto* human = dynamic_cast<CVR3GAMEHarbourMapPlayerDirectorHuman*>(
        manager.GetHarbourMap()->GetDirector(s->HumanPlayerName.c_str()));
    ASSERT_NE(human, nullptr);
    for (CVR3GAMEBattleMapShip* ship : human->m_pPlayer->m_stdvHarbourShips) human->m_stdvColumns[0].push_back(ship);
    ASSERT_TRUE(manager.ScenarioFromHarbourToBattle());
    ASSERT_TRUE(wait());
    m_session.Frames(500, false); // ten seconds of battle
    const std::string blueName = s->HumanPlayerName;
    const CVR3GAMEBattleMapPlayer* blue = manager.GetBattleMap()->GetPlayer(&blueName);
    ASSERT_NE(blue, nullptr);
    ASSERT_FALSE(blue->m_stdvBattleShips.empty());
    const float x = blue->m_stdvBattleShips[0]->m_pSceneObject->m_mWorld._41;
    const std::string scenarioName = s->ScenarioName; // the game goes with its session
    const DWORD clock = manager.GetBattleMap()->m_GameTimer.m_dwGameTime;

    auto* save = Module<CCIIModuleGameSave>();
    ASSERT_NE(save, nullptr);
    ASSERT_TRUE(m_pScreens->SetScreen("save_game"));
    save->Proc();
    save->m_pEditBox->SetText("my battle");
    Press(save, save->m_pButton);
    Press(save, save->m_pButtonOK);
    const std::string saves = manager.GetGameIO()->GetFolder(CVR3GAMEIO::FOLDER_USER_SAVES);
    ASSERT_TRUE(fs::exists(Platform::NativePath(saves + "my battle.v3savebin"))) << Log();

    // A fresh game on the same folder.
    m_session.Stop();
    VornaTest::GameSession::Options options;
    options.dataFolder = m_dir.string() + "/";
    options.stepMs = 20;
    ASSERT_TRUE(m_session.Start(options));
    m_pScreens = m_session.Screens();
    CCIIModuleGameLoad* load = nullptr;
    CCIIModuleManager* modules = m_session.Scene()->GetModuleManager();
    for (size_t i = 0; i < modules->GetModuleCount(); ++i)
        if (auto* m = dynamic_cast<CCIIModuleGameLoad*>(modules->GetModule(i)); m && !dynamic_cast<CCIIModuleGameSave*>(m))
            load = m;
    ASSERT_NE(load, nullptr);
    ASSERT_TRUE(m_pScreens->SetScreen("load_game"));
    load->Proc();
    int mine = -1;
    for (size_t i = 0; i < manager.GetGameIO()->m_vSaveList.size(); ++i)
        if (manager.GetGameIO()->m_vSaveList[i]->m_strName == "my battle") mine = static_cast<int>(i);
    ASSERT_GE(mine, 0);
    ASSERT_TRUE(load->m_pList->Select(mine));
    load->Proc();
    EXPECT_EQ(load->m_pTextScenario->GetText(), scenarioName);
    Press(load, load->m_pButton);
    Press(load, load->m_pButtonOK);
    EXPECT_EQ(manager.GetPendingState(), CVR3GAMEManager::LOAD_SCENARIO) << Log();
    EXPECT_EQ(m_session.CurrentScreen(), "loading");
    ASSERT_TRUE(wait());
    EXPECT_EQ(m_session.CurrentScreen(), manager.GetScenario()->BattleScreen);
    const CVR3GAMEBattleMapPlayer* again = manager.GetBattleMap()->GetPlayer(&blueName);
    ASSERT_NE(again, nullptr);
    ASSERT_FALSE(again->m_stdvBattleShips.empty());
    EXPECT_NEAR(again->m_stdvBattleShips[0]->m_pSceneObject->m_mWorld._41, x, 0.5f);
    EXPECT_GE(manager.GetBattleMap()->m_GameTimer.m_dwGameTime, clock);
}
