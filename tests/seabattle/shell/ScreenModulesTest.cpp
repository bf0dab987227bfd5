// The game's screen modules on the demo screens of a running game scene:
// each binds to its screen by name; what is missing is logged in the texts
// the game uses and leaves no module; the start button begins a scenario once
// per gate; the results show each side's counts and record its loss once per
// visit (or log a count list of the wrong size); the end screen shows the
// score and goes on; the pause menu without a scenario keeps the player in it.
#include "common/DemoData.h"
#include "common/GameSession.h"
#include "TestFolder.h"
#include "engine3/core/CDX9KelLog.h"
#include "engine3/core/render/CDX9KelBaseCamera.h"
#include "engine3/core/render/CDX9KelBaseCameraManager.h"
#include "engine3/ui/screens/CVR3CIIScreenManager.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlButton.h"
#include "engine3/ui/sgui/CDX9KelSGUIDialog.h"
#include "engine3/ui/sgui/CDX9KelSGUIText.h"
#include "platform/os/Paths.h"
#include "platform/window/DirectInput.h"
#include "platform/window/Window.h"
#include "seabattle/battle/CVR3GAMEBattleMap.h"
#include "seabattle/battle/CVR3GAMEBattleMapPlayer.h"
#include "seabattle/game/CVR3GAMEManager.h"
#include "seabattle/game/CVR3GAMEScenario.h"
#include "seabattle/shell/CCIIModuleBattleMapMenu.h"
#include "seabattle/shell/CCIIModuleManager.h"
#include "seabattle/shell/CCIIModuleScenarioBattleResults.h"
#include "seabattle/shell/CCIIModuleScenarioBegin.h"
#include "seabattle/shell/CCIIModuleScenarioEnd.h"
#include "seabattle/shell/CScene.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <filesystem>
#include <memory>
#include <string>

namespace fs = std::filesystem;
using namespace SeaBattle;
using namespace Vorna3D;

namespace {

class ScreenModules : public ::testing::Test {
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
    size_t Count(const std::string& text, const std::string& what) {
        size_t n = 0;
        for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
        return n;
    }
    // The first module of the game's manager of that kind.
    template <class T>
    T* Module() {
        CCIIModuleManager* modules = m_session.Scene()->GetModuleManager();
        for (size_t i = 0; modules && i < modules->GetModuleCount(); ++i)
            if (auto* m = dynamic_cast<T*>(modules->GetModule(i))) return m;
        return nullptr;
    }
    CVR3CIIScreen* Screen(const char* name) { return m_pScreens->FindScreen(name); }
    CDX9KelSGUIText* Text(const char* screen, const char* dialog, const char* name) {
        CDX9KelSGUIDialog* d = m_session.Dialog(screen, dialog);
        return d ? dynamic_cast<CDX9KelSGUIText*>(d->FindControl(name)) : nullptr;
    }
    // A scenario record that counts as running, with the demo's two sides.
    CVR3GAMEScenario* RunningScenario() {
        CVR3GAMEScenario* s = CVR3GAMEManager::Get().GetScenario();
        s->m_strFileName = "test.scnrxml";
        s->HumanPlayerName = "Blue Squadron";
        s->ComputerPlayerName = "Red Squadron";
        s->BattleScreen = "battle_game";
        s->m_uHumanLosses = s->m_uComputerLosses = 0;
        s->HumanSumMoney = 1000;
        s->ComputerSumMoney = 1000;
        return s;
    }
    CVR3GAMEBattleMapPlayer* Player(const char* name, std::vector<uint32_t> counts, uint32_t lost) {
        const std::string n = name;
        CVR3GAMEBattleMapPlayer* p = CVR3GAMEManager::Get().GetBattleMap()->CreatePlayer(&n);
        if (p) {
            p->m_stdvLossesByLevel = std::move(counts);
            p->m_uLostValue = lost;
        }
        return p;
    }

    VornaTest::GameSession m_session;
    fs::path m_dir;
    CVR3CIIScreenManager* m_pScreens = nullptr;
};

TEST_F(ScreenModules, EachKindBindsToItsDemoScreenByName) {
    auto* begin = Module<CCIIModuleScenarioBegin>();
    auto* menu = Module<CCIIModuleBattleMapMenu>();
    auto* results = Module<CCIIModuleScenarioBattleResults>();
    auto* end = Module<CCIIModuleScenarioEnd>();
    ASSERT_NE(begin, nullptr);
    ASSERT_NE(menu, nullptr);
    ASSERT_NE(results, nullptr);
    ASSERT_NE(end, nullptr);
    EXPECT_EQ(begin->GetScreen(), Screen("main_menu"));
    EXPECT_EQ(begin->m_pButton, m_session.Dialog("main_menu", "MainMenuDialog")->FindControl("StartButton"));
    EXPECT_EQ(begin->m_strScenario, "demo_scenario.scnrxml");
    EXPECT_EQ(menu->GetScreen(), Screen("battle_menu"));
    EXPECT_EQ(menu->m_pButtonContinue,
              m_session.Dialog("battle_menu", "BattleMenuDialog")->FindControl("BattleMenuContinue"));
    EXPECT_EQ(results->GetScreen(), Screen("battle_results"));
    EXPECT_EQ(results->m_pButtonNext,
              m_session.Dialog("battle_results", "BattleResultsNextDialog")->FindControl("BattleResultsNext"));
    // The count texts of each side, in dialog order; the labels are not.
    ASSERT_EQ(results->m_stdvPlayer1Types.size(), 2u);
    ASSERT_EQ(results->m_stdvPlayer2Types.size(), 2u);
    EXPECT_LT(results->m_stdvPlayer1Types[0]->GetRect().top, results->m_stdvPlayer1Types[1]->GetRect().top);
    EXPECT_EQ(end->GetScreen(), Screen("scenario_end"));
    EXPECT_EQ(end->m_pTextResult, Text("scenario_end", "ScenarioEndDialog", "ScenarioEndResult"));
    EXPECT_EQ(end->m_strNextScreen, "main_menu");
    EXPECT_TRUE(g_Log.GetErrorLines().empty()) << Log();
}

TEST_F(ScreenModules, WhatCannotBeBoundIsLoggedAndLeavesNoModule) {
    struct Case {
        const char* xml;
        const char* screen;
        const char* message;
    } const cases[] = {
        {R"(<BeginScenario dialog="MainMenuDialog" control="StartButton"/>)", "main_menu",
         "CCIIModuleScenarioBegin::Init() : not found 'scenario' attribute in module node\n"},
        {R"(<BeginScenario dialog="NoDialog" control="StartButton" scenario="x"/>)", "main_menu",
         "CCIIModuleScenarioBegin::Init() : not found screen dialog : NoDialog\n"},
        {R"(<BeginScenario dialog="MainMenuDialog" control="NoButton" scenario="x"/>)", "main_menu",
         "CCIIModuleScenarioBegin::Init() : not found control : 'NoButton' in dialog : 'MainMenuDialog'\n"},
        // A text is no push button, nor is a check button.
        {R"(<BeginScenario dialog="MainMenuDialog" control="MainMenuTitle" scenario="x"/>)", "main_menu",
         "CCIIModuleScenarioBegin::Init() : not found control : 'MainMenuTitle' in dialog : 'MainMenuDialog'\n"},
        {R"(<BeginScenario dialog="MainMenuDialog" control="InfoCheck" scenario="x"/>)", "main_menu",
         "CCIIModuleScenarioBegin::Init() : not found control : 'InfoCheck' in dialog : 'MainMenuDialog'\n"},
        // A dialog of another screen is not the module's.
        {R"(<BeginScenario dialog="BattleMenuDialog" control="BattleMenuContinue" scenario="x"/>)", "main_menu",
         "CCIIModuleScenarioBegin::Init() : not found screen dialog : BattleMenuDialog\n"},
        {R"(<BattleMapMenu Dialog="BattleMenuDialog"/>)", "battle_menu",
         "CCIIModuleScenarioBattleResults::Init() : not found 'ButtonContinue' attribute in module node\n"},
        {R"(<ScenarioBattleResults DialogNext="BattleResultsNextDialog" ControlNext="BattleResultsNext"
             Player1="A" Player2="B" DialogPlayer1="BattleResultsPlayer1" DialogPlayer2="NoSuch"
             ControlPlayer="BattleResultsCount"/>)",
         "battle_results", "CCIIModuleScenarioBattleResults::Init() : not found screen dialog : NoSuch\n"},
        {R"(<ScenarioEnd Dialog="ScenarioEndDialog" ButtonEnd="ScenarioEndButton" TextResult="ScenarioEndButton"
             NextScreen="main_menu"/>)",
         "scenario_end",
         "CCIIModuleScenarioBattleResults::Init() : not found control : 'ScenarioEndButton' in dialog : "
         "'ScenarioEndDialog'\n"},
    };
    CCIIModuleManager modules;
    for (const Case& c : cases) {
        TiXmlDocument doc;
        doc.Parse(c.xml);
        ASSERT_NE(doc.RootElement(), nullptr) << c.xml;
        EXPECT_TRUE(modules.AddModule(doc.RootElement(), Screen(c.screen))) << c.xml;
        EXPECT_EQ(modules.GetModuleCount(), 0u) << c.xml;
        const std::string log = Log();
        EXPECT_NE(log.find(c.message), std::string::npos) << c.xml << "\n" << log;
        const std::string kind = doc.RootElement()->Value();
        const std::string named = kind == "BattleMapMenu" ? "CCIIModuleBattleMapMenu" : kind;
        EXPECT_NE(log.find("CCIIModuleManager::AddModule: module " + named + " not create \n"), std::string::npos)
            << log;
    }
    // A module is made only for its own element name.
    CCIIModuleScenarioEnd end;
    TiXmlElement other("ScenarioEnds");
    EXPECT_FALSE(end.Init(&other, Screen("scenario_end")));
}

TEST_F(ScreenModules, AHeldStartButtonBeginsTheScenarioOncePerGate) {
    auto* begin = Module<CCIIModuleScenarioBegin>();
    ASSERT_NE(begin, nullptr);
    begin->m_strScenario = "no_such_scenario.scnrxml";
    const std::string call = "CVR3GAMEManager::BeginScenarioFromFile() : no_such_scenario.scnrxml";
    // The gate of the screen switches, free after the start.
    m_session.Clock().Advance(1500);
    begin->m_pButton->m_dwState = SGUI_BUTTON_PRESSED;
    for (int i = 0; i < 20; ++i) {  // held for a second
        begin->Proc();
        m_session.Clock().Advance(50);
    }
    EXPECT_EQ(Count(Log(), call), 1u);
    // Past the gate: the first look frees it, the next one begins again.
    m_session.Clock().Advance(1000);
    begin->Proc();
    begin->Proc();
    EXPECT_EQ(Count(Log(), call), 2u);
    // Not while its screen is not shown.
    m_session.Clock().Advance(3000);
    ASSERT_TRUE(m_pScreens->SetScreen("options"));
    begin->m_pButton->m_dwState = SGUI_BUTTON_PRESSED;
    for (int i = 0; i < 3; ++i) begin->Proc();
    EXPECT_EQ(Count(Log(), call), 2u);
}

TEST_F(ScreenModules, ResultsShowEachSidesCountsAndRecordItsLossOncePerVisit) {
    auto* results = Module<CCIIModuleScenarioBattleResults>();
    ASSERT_NE(results, nullptr);
    CVR3GAMEScenario* s = RunningScenario();
    ASSERT_NE(Player("Blue Squadron", {1, 0}, 300), nullptr);
    ASSERT_NE(Player("Red Squadron", {2, 3}, 700), nullptr);
    ASSERT_TRUE(m_pScreens->SetScreen("battle_results"));
    for (int i = 0; i < 3; ++i) results->Proc();
    EXPECT_EQ(results->m_stdvPlayer1Types[0]->GetText(), "1");
    EXPECT_EQ(results->m_stdvPlayer1Types[1]->GetText(), "0");
    EXPECT_EQ(results->m_stdvPlayer2Types[0]->GetText(), "2");
    EXPECT_EQ(results->m_stdvPlayer2Types[1]->GetText(), "3");
    EXPECT_EQ(s->m_uHumanLosses, 300u);
    EXPECT_EQ(s->m_uComputerLosses, 700u);
    // A second visit records the sides again (a new battle's results).
    m_session.Clock().Advance(1000);
    ASSERT_TRUE(m_pScreens->SetScreen("loading"));
    results->Proc();
    m_session.Clock().Advance(1000);
    ASSERT_TRUE(m_pScreens->SetScreen("battle_results"));
    results->Proc();
    results->Proc();
    EXPECT_EQ(s->m_uHumanLosses, 600u);
    EXPECT_EQ(s->m_uComputerLosses, 1400u);
}

TEST_F(ScreenModules, ACountListOfAnotherSizeOrAMissingSideIsLoggedOncePerVisitAndShowsNothing) {
    auto* results = Module<CCIIModuleScenarioBattleResults>();
    ASSERT_NE(results, nullptr);
    CVR3GAMEScenario* s = RunningScenario();
    ASSERT_NE(Player("Blue Squadron", {1, 0, 4}, 300), nullptr);
    ASSERT_TRUE(m_pScreens->SetScreen("battle_results"));
    for (int i = 0; i < 3; ++i) results->Proc();
    const std::string log = Log();
    EXPECT_EQ(Count(log, "CCIIModuleScenarioBattleResults::Proc() : size != m_stdvPlayer1Types.size() \n"), 1u)
        << log;
    // The first side failed: the second is not looked at, nothing is shown.
    EXPECT_EQ(Count(log, "not found battle map player"), 0u);
    EXPECT_EQ(results->m_stdvPlayer1Types[0]->GetText(), "0");
    EXPECT_EQ(s->m_uHumanLosses, 0u);

    CVR3GAMEManager::Get().GetBattleMap()->Clear();
    ASSERT_NE(Player("Blue Squadron", {5, 6}, 300), nullptr);
    m_session.Clock().Advance(1000);
    ASSERT_TRUE(m_pScreens->SetScreen("loading"));
    results->Proc();
    m_session.Clock().Advance(1000);
    ASSERT_TRUE(m_pScreens->SetScreen("battle_results"));
    for (int i = 0; i < 3; ++i) results->Proc();
    EXPECT_EQ(Count(Log(), "CCIIModuleScenarioBattleResults::Proc() : not found battle map player : Red Squadron\n"),
              1u);
    EXPECT_EQ(results->m_stdvPlayer1Types[0]->GetText(), "5");
    EXPECT_EQ(s->m_uHumanLosses, 300u);
}

TEST_F(ScreenModules, TheEndScreenShowsTheScoreOncePerVisitAndItsButtonGoesOn) {
    auto* end = Module<CCIIModuleScenarioEnd>();
    ASSERT_NE(end, nullptr);
    CVR3GAMEScenario* s = RunningScenario();
    s->m_uHumanLosses = 250;    // own 75
    s->m_uComputerLosses = 500; // enemy 50
    ASSERT_TRUE(m_pScreens->SetScreen("scenario_end"));
    end->Proc();
    EXPECT_EQ(end->m_pTextResult->GetText(), "62%");
    // Shown once: a later change of the score waits for the next visit.
    s->m_uComputerLosses = 1000;
    end->Proc();
    EXPECT_EQ(end->m_pTextResult->GetText(), "62%");
    m_session.Clock().Advance(1500);
    end->m_pButtonEnd->m_dwState = SGUI_BUTTON_PRESSED;
    end->Proc();
    end->Proc();
    EXPECT_EQ(m_session.CurrentScreen(), "main_menu");
}

TEST_F(ScreenModules, ThePauseMenuWithoutAScenarioPausesAndKeepsThePlayerInIt) {
    auto* menu = Module<CCIIModuleBattleMapMenu>();
    ASSERT_NE(menu, nullptr);
    CVR3GAMEBattleMap* map = CVR3GAMEManager::Get().GetBattleMap();
    CDX9KelBaseCameraManager* cameras = m_session.Scene()->m_pCameraManager;
    ASSERT_TRUE(CVR3GAMEManager::Get().StartBattle("battle_game"));
    ASSERT_TRUE(m_pScreens->SetScreen("battle_menu"));
    m_session.Frames(2, false);
    EXPECT_TRUE(menu->m_bPaused);
    EXPECT_EQ(map->m_GameTimer.m_fSpeed, 0.0f);
    EXPECT_FALSE(cameras->m_bControl);
    // A held pan key leaves the paused camera where it is.
    ASSERT_NE(cameras->m_pActiveCamera, nullptr);
    const D3DXVECTOR3 eye = cameras->m_pActiveCamera->m_vEye;
    Platform::InjectKey(m_session.Window(), DIK_NUMPAD6, true);
    m_session.Frames(5, false);
    EXPECT_EQ(cameras->m_pActiveCamera->m_vEye, eye);
    m_session.Clock().Advance(1000);
    menu->m_pButtonContinue->m_dwState = SGUI_BUTTON_PRESSED;
    menu->Proc();
    menu->Proc();
    EXPECT_EQ(m_session.CurrentScreen(), "battle_menu");
    EXPECT_FALSE(cameras->m_bControl);
    // Leaving the menu another way clears the pause; the next visit pauses
    // again.
    m_session.Clock().Advance(1000);
    ASSERT_TRUE(m_pScreens->SetScreen("battle_game"));
    menu->Proc();
    EXPECT_FALSE(menu->m_bPaused);
    // With control on again the same key pans the camera.
    CVR3GAMEManager::Get().SetCameraControl(true);
    m_session.Frames(5, false);
    EXPECT_NE(cameras->m_pActiveCamera->m_vEye, eye);
    Platform::InjectKey(m_session.Window(), DIK_NUMPAD6, false);
}

} // namespace

namespace {

TEST_F(ScreenModules, AScenarioBegunAfterLeavingAPausedBattleGivesTheCameraBack) {
    CDX9KelBaseCameraManager* cameras = m_session.Scene()->m_pCameraManager;
    ASSERT_TRUE(CVR3GAMEManager::Get().StartBattle("battle_game"));
    ASSERT_TRUE(m_pScreens->SetScreen("battle_menu"));
    m_session.Frames(2, false);
    ASSERT_FALSE(cameras->m_bControl);
    // The pause menu's "Main menu", then Start.
    ASSERT_TRUE(m_pScreens->SetScreen("main_menu"));
    ASSERT_TRUE(CVR3GAMEManager::Get().BeginScenarioFromFile("demo_scenario.scnrxml"));
    for (int i = 0; i < 20 && CVR3GAMEManager::Get().GetPendingState() != CVR3GAMEManager::STATE_NONE; ++i)
        m_session.Frame(false);
    ASSERT_EQ(m_session.CurrentScreen(), "harbour_game");
    EXPECT_TRUE(cameras->m_bControl);
}

} // namespace
