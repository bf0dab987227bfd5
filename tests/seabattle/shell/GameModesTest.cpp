// One game, one process, from mode to mode as a player goes: a scenario's
// battle left through the pause menu for the main menu, a duel begun there,
// saved through the save screen of the battle's pause menu and loaded again,
// the duel's results and end, then a new scenario. Each mode begins from a
// world the other left empty: the duel runs as a duel (its save kind, its
// results screen, its score), the scenario as a scenario, and nothing of one
// is read after the other freed it (the AddressSanitizer run of this test
// sees every such read).
#include "common/DemoData.h"
#include "common/GameSession.h"
#include "TestFolder.h"
#include "engine3/core/CDX9KelUtils.h"
#include "engine3/ui/screens/CVR3CIIScreenManager.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlButton.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlEditBox.h"
#include "engine3/ui/sgui/CDX9KelSGUIText.h"
#include "engine3/world/physics/CDX9KelPhysicalManager.h"
#include "engine3/world/physics/PhysicsSceneSlot.h"
#include "platform/os/Paths.h"
#include "seabattle/battle/CVR3GAMEBattleLog.h"
#include "seabattle/battle/CVR3GAMEBattleMap.h"
#include "seabattle/battle/CVR3GAMEBattleMapPlayer.h"
#include "seabattle/battle/CVR3GAMEBattleMapPlayerDirector.h"
#include "seabattle/battle/CVR3GAMEBattleMapShip.h"
#include "seabattle/game/CVR3GAMEDuel.h"
#include "seabattle/game/CVR3GAMEHarbourMap.h"
#include "seabattle/game/CVR3GAMEHarbourMapPlayer.h"
#include "seabattle/game/CVR3GAMEHarbourMapPlayerDirectorHuman.h"
#include "seabattle/game/CVR3GAMEIO.h"
#include "seabattle/game/CVR3GAMEManager.h"
#include "seabattle/game/CVR3GAMESaveImage.h"
#include "seabattle/game/CVR3GAMEScenario.h"
#include "seabattle/shell/CCIIModuleManager.h"
#include "seabattle/shell/CCIIModuleSaves.h"
#include "seabattle/shell/CScene.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace SeaBattle;
using namespace Vorna3D;

namespace {

class GameModes : public ::testing::Test {
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
        // The screens' shared button gate is left as found, open: the next
        // test's first press goes through.
        m_session.Clock().Advance(1);
        if (g_Utils.IsTimePassed(0)) {
            m_session.Clock().Advance(1);
            g_Utils.IsTimePassed(0);
        }
        m_session.Stop();
    }

    std::string Log() { return VornaTest::ReadText(m_dir / "Vorna3Log.log"); }
    CVR3GAMEManager& Manager() { return CVR3GAMEManager::Get(); }
    bool Wait() {
        for (int i = 0; i < 200 && Manager().GetPendingState() != CVR3GAMEManager::STATE_NONE; ++i)
            m_session.Frame(false);
        return Manager().GetPendingState() == CVR3GAMEManager::STATE_NONE;
    }
    // The module of that kind on the named screen.
    template <class T>
    T* ModuleOn(const char* screen) {
        CCIIModuleManager* modules = m_session.Scene()->GetModuleManager();
        for (size_t i = 0; modules && i < modules->GetModuleCount(); ++i)
            if (auto* m = dynamic_cast<T*>(modules->GetModule(i)); m && m->GetScreen() == m_pScreens->FindScreen(screen))
                return m;
        return nullptr;
    }
    // Presses a button for one frame of the game, past every gate.
    void Press(CDX9KelSGUIControlButton* button) {
        m_session.Clock().Advance(1100);
        button->m_dwState = SGUI_BUTTON_PRESSED;
        m_session.Frame(false);
        button->m_dwState = SGUI_BUTTON_NORMAL;
    }
    std::string SavePath(const std::string& file) {
        return Platform::NativePath(Manager().GetGameIO()->GetFolder(CVR3GAMEIO::FOLDER_USER_SAVES) + file);
    }
    // Begins the scenario, puts the whole fleet into the first column and
    // takes it into the battle.
    void IntoScenarioBattle(const char* file) {
        CVR3GAMEManager& manager = Manager();
        ASSERT_TRUE(manager.BeginScenarioFromFile(file));
        ASSERT_TRUE(Wait());
        CVR3GAMEScenario* s = manager.GetScenario();
        ASSERT_EQ(m_session.CurrentScreen(), s->HarbourScreen) << Log();
        auto* human = dynamic_cast<CVR3GAMEHarbourMapPlayerDirectorHuman*>(
            manager.GetHarbourMap()->GetDirector(s->HumanPlayerName.c_str()));
        ASSERT_NE(human, nullptr);
        for (CVR3GAMEBattleMapShip* ship : human->m_pPlayer->m_stdvHarbourShips)
            human->m_stdvColumns[0].push_back(ship);
        ASSERT_TRUE(manager.ScenarioFromHarbourToBattle());
        ASSERT_TRUE(Wait());
        ASSERT_EQ(m_session.CurrentScreen(), s->BattleScreen) << Log();
    }
    size_t Bodies() {
        size_t n = 0;
        for (CDX9KelBasePhysicalObject* o : GetPhysicalManager(m_session.Scene())->GetObjects())
            if (o) ++n;
        return n;
    }
    // Begins the demo duel, buys a ram and a cruiser into the first column
    // of each side and starts its battle.
    void IntoDuelBattle() {
        ASSERT_TRUE(Manager().BeginDuelFromFile("demo_duel.duelxml", "loading"));
        ASSERT_TRUE(Wait());
        CVR3GAMEDuel* duel = Manager().GetDuel();
        ASSERT_EQ(duel->m_stdvDirectors.size(), 2u) << Log();
        for (CVR3GAMEDuelPlayerDirector* d : duel->m_stdvDirectors)
            for (int type : {0, 1}) {
                d->ClearSelection();
                d->m_iSelectedShop = type;
                ASSERT_TRUE(d->AddShip(0));
            }
        bool warn = false;
        ASSERT_TRUE(duel->ChooseDifficulty(1, &warn));
        ASSERT_TRUE(duel->BeginBattle());
        ASSERT_TRUE(Wait());
        ASSERT_EQ(m_session.CurrentScreen(), duel->m_strScreenBattle) << Log();
    }
    bool SaveListed(const std::string& name) {
        CVR3GAMEIO* io = Manager().GetGameIO();
        io->FindSaveFiles();
        for (const SVR3GAMESaveListEntry* e : io->m_vSaveList)
            if (e->m_strName == name) return true;
        return false;
    }
    CVR3GAMEBattleMapPlayerDirectorHuman* BattleHuman() {
        for (CVR3GAMEBattleMapPlayerDirector* d : Manager().GetBattleMap()->GetDirectors())
            if (auto* h = dynamic_cast<CVR3GAMEBattleMapPlayerDirectorHuman*>(d)) return h;
        return nullptr;
    }

    VornaTest::GameSession m_session;
    fs::path m_dir;
    CVR3CIIScreenManager* m_pScreens = nullptr;
};

TEST_F(GameModes, AScenarioThenADuelSavedAndLoadedThenAScenarioAgainEachRunAsItself) {
    CVR3GAMEManager& manager = Manager();
    ASSERT_NO_FATAL_FAILURE(IntoScenarioBattle("demo_scenario.scnrxml"));
    m_session.Frames(100, false);
    const size_t scenarioBodies = Bodies();
    // The pause menu, and its way to the main menu.
    ASSERT_TRUE(m_pScreens->SetScreen("battle_menu"));
    m_session.Frames(3, false);
    ASSERT_TRUE(m_pScreens->SetScreen("main_menu"));
    m_session.Frames(3, false);

    // The duel: the scenario gives way to it, harbour and all.
    ASSERT_NO_FATAL_FAILURE(IntoDuelBattle());
    CVR3GAMEDuel* duel = manager.GetDuel();
    EXPECT_TRUE(manager.IsDuelRunning());
    EXPECT_FALSE(manager.IsScenarioRunning());
    EXPECT_TRUE(manager.GetHarbourMap()->m_stdvPlayers.empty());
    EXPECT_TRUE(manager.GetHarbourMap()->m_stdvDirectors.empty());
    m_session.Frames(100, false);

    // Saved from the battle's pause menu: a duel save, and the battle again.
    ASSERT_TRUE(m_pScreens->SetScreen("battle_menu"));
    m_session.Frames(2, false);
    ASSERT_TRUE(m_pScreens->SetScreen("save_game"));
    auto* save = ModuleOn<CCIIModuleGameSave>("save_game");
    ASSERT_NE(save, nullptr);
    m_session.Frame(false);
    save->m_pEditBox->SetText("duel after scenario");
    Press(save->m_pButton);
    Press(save->m_pButtonOK);
    EXPECT_TRUE(fs::exists(SavePath("duel after scenario.v3cbsavebin"))) << Log();
    EXPECT_FALSE(fs::exists(SavePath("duel after scenario.v3savebin")));
    EXPECT_EQ(m_session.CurrentScreen(), duel->m_strScreenBattle);

    // Loaded again: still the duel.
    ASSERT_TRUE(manager.DuelLoad("duel after scenario")) << Log();
    ASSERT_TRUE(Wait());
    ASSERT_EQ(m_session.CurrentScreen(), duel->m_strScreenBattle) << Log();
    EXPECT_TRUE(manager.IsDuelRunning());
    EXPECT_FALSE(manager.IsScenarioRunning());
    m_session.Frames(50, false);

    // The player leaves the battle: the duel's results, then its end.
    CVR3GAMEBattleMapPlayerDirectorHuman* human = BattleHuman();
    ASSERT_NE(human, nullptr);
    human->m_bLeaveBattle = true;
    m_session.Frames(3, false);
    EXPECT_EQ(m_session.CurrentScreen(), duel->m_strScreenBattleEnd) << Log();
    auto* results = ModuleOn<CCIIModuleDuelBattleResults>(duel->m_strScreenBattleEnd.c_str());
    ASSERT_NE(results, nullptr);
    Press(results->m_pButtonNext);
    EXPECT_EQ(m_session.CurrentScreen(), duel->m_strScreenDuelEnd) << Log();
    EXPECT_EQ(Log().find("ScenarioSave() : autosave_harbor"), std::string::npos) << "the duel went to a harbour";

    // A new scenario: the duel gives way to it.
    ASSERT_TRUE(m_pScreens->SetScreen("main_menu"));
    ASSERT_NO_FATAL_FAILURE(IntoScenarioBattle("demo_scenario.scnrxml"));
    EXPECT_FALSE(manager.IsDuelRunning());
    EXPECT_TRUE(duel->m_stdvDirectors.empty());
    m_session.Frames(100, false);
    // The same battle as the first: the bodies of the ships of the games
    // before are gone with their ships.
    EXPECT_EQ(Bodies(), scenarioBodies);
}

TEST_F(GameModes, BattleAutosavesAreSavesOfTheRunningScenarioOrDuel) {
    CVR3GAMEManager& manager = Manager();
    ASSERT_NO_FATAL_FAILURE(IntoScenarioBattle("demo_scenario.scnrxml"));
    // A short interval: the eight minutes of the game are the battle map
    // test's; here what each autosave writes.
    manager.GetBattleMap()->m_dwAutoSaveInterval = 1000;
    // The second slot cannot be written (a folder stands in its place).
    fs::create_directories(SavePath("autosave_battle_2.v3savebin"));
    for (int i = 0; i < 3; ++i) {
        m_session.Clock().Advance(1001);
        m_session.Frame(false);
    }
    EXPECT_TRUE(fs::is_regular_file(SavePath("autosave_battle_1.v3savebin"))) << Log();
    EXPECT_TRUE(fs::is_regular_file(SavePath("autosave_battle_3.v3savebin"))) << Log();
    EXPECT_NE(Log().find("CVR3GAMEBattleMap::AutoSave() : save failed : autosave_battle_2"), std::string::npos);
    EXPECT_TRUE(SaveListed("autosave_battle_1"));
    // The autosave loads as the game it saved.
    ASSERT_TRUE(manager.ScenarioLoad("autosave_battle_3")) << Log();
    ASSERT_TRUE(Wait());
    EXPECT_EQ(m_session.CurrentScreen(), manager.GetScenario()->BattleScreen) << Log();

    // In a duel's battle the slots begin again, as duel saves.
    ASSERT_NO_FATAL_FAILURE(IntoDuelBattle());
    manager.GetBattleMap()->m_dwAutoSaveInterval = 1000;
    m_session.Clock().Advance(1001);
    m_session.Frame(false);
    EXPECT_TRUE(fs::is_regular_file(SavePath("autosave_battle_1.v3cbsavebin"))) << Log();
    EXPECT_TRUE(SaveListed("autosave_battle_1"));
}

// A save that reads well but does not fit its scenario is refused before the
// running game gives way: the battle goes on as it was.
TEST_F(GameModes, ASaveThatDoesNotFitItsScenarioLeavesTheRunningGameAsItWas) {
    CVR3GAMEManager& manager = Manager();
    ASSERT_NO_FATAL_FAILURE(IntoScenarioBattle("demo_scenario.scnrxml"));
    m_session.Frames(20, false);
    ASSERT_TRUE(manager.ScenarioSave("fits"));
    std::string bytes = VornaTest::ReadText(SavePath("fits.v3savebin"));
    SVR3ScenarioSave good;
    std::string error;
    ASSERT_TRUE(ReadScenarioSave(bytes, good, error)) << error;
    ASSERT_FALSE(good.Battle.Human.Columns.empty());
    ASSERT_FALSE(good.Battle.Human.Columns[0].Ships.empty());

    const struct {
        const char* name;
        std::function<void(SVR3ScenarioSave&)> change;
        const char* why;
    } cases[] = {
        {"scheme", [](SVR3ScenarioSave& s) { s.FleetScheme = 9; }, "fleet scheme index 9"},
        {"column", [](SVR3ScenarioSave& s) { s.Battle.Human.Columns[0].Ships[0] = "Nobody"; }, "Nobody"},
        {"twice",
         [](SVR3ScenarioSave& s) { s.Battle.Computer.Columns[0].Ships.push_back(s.Battle.Computer.Columns[0].Ships[0]); },
         "a column names a ship"},
        {"types", [](SVR3ScenarioSave& s) { s.Bought.push_back(0); }, "count of ship types"},
        {"players", [](SVR3ScenarioSave& s) { s.ComputerName = "Green Squadron"; }, "players are not the save's"},
    };
    const CVR3GAMEBattleMap* map = manager.GetBattleMap();
    const std::string human = manager.GetScenario()->HumanPlayerName;
    const size_t ships = map->GetPlayer(&human)->m_stdvBattleShips.size();
    const CVR3GAMEBattleMapShip* first = map->GetPlayer(&human)->m_stdvBattleShips[0];
    const size_t bodies = Bodies();
    for (const auto& c : cases) {
        SVR3ScenarioSave bad = good;
        c.change(bad);
        VornaTest::WriteText(SavePath(std::string(c.name) + ".v3savebin"), WriteScenarioSave(bad));
        EXPECT_FALSE(manager.ScenarioLoad(c.name)) << c.name;
        EXPECT_NE(Log().find(c.why), std::string::npos) << c.name;
        EXPECT_EQ(manager.GetPendingState(), CVR3GAMEManager::STATE_NONE);
        EXPECT_TRUE(manager.IsScenarioRunning());
        EXPECT_EQ(m_session.CurrentScreen(), manager.GetScenario()->BattleScreen) << c.name;
        ASSERT_NE(map->GetPlayer(&human), nullptr) << c.name;
        EXPECT_EQ(map->GetPlayer(&human)->m_stdvBattleShips.size(), ships) << c.name;
        EXPECT_EQ(map->GetPlayer(&human)->m_stdvBattleShips[0], first) << c.name;
        EXPECT_EQ(Bodies(), bodies) << c.name;
    }
    // The battle plays on, and the save that fits loads.
    m_session.Frames(20, false);
    ASSERT_TRUE(manager.ScenarioLoad("fits")) << Log();
    ASSERT_TRUE(Wait());
    EXPECT_EQ(m_session.CurrentScreen(), manager.GetScenario()->BattleScreen);
}

// A transition whose loading screen cannot be shown is refused; the end of a
// scenario is stamped on the battle map.
TEST_F(GameModes, TransitionsWithoutTheirLoadingScreenAreRefused) {
    CVR3GAMEManager& manager = Manager();
    EXPECT_FALSE(manager.BeginDuelFromFile("demo_duel.duelxml", "no_such_screen"));
    EXPECT_EQ(manager.GetPendingState(), CVR3GAMEManager::STATE_NONE);
    EXPECT_EQ(m_session.CurrentScreen(), "main_menu");

    ASSERT_NO_FATAL_FAILURE(IntoScenarioBattle("demo_scenario.scnrxml"));
    CVR3GAMEScenario* s = manager.GetScenario();
    ASSERT_GE(s->m_vHarbourLoadScreens.size(), 2u);
    s->m_vHarbourLoadScreens[1] = "no_such_screen";
    EXPECT_FALSE(manager.ScenarioFromBattleToHarbour());
    EXPECT_EQ(manager.GetPendingState(), CVR3GAMEManager::STATE_NONE);

    EXPECT_EQ(manager.GetBattleMap()->GetEndTime(), 0u);
    m_session.Clock().Advance(5000);
    const DWORD now = ::timeGetTime();
    EXPECT_TRUE(manager.ScenarioEnd());
    EXPECT_EQ(manager.GetBattleMap()->GetEndTime(), now);
    EXPECT_EQ(m_session.CurrentScreen(), s->ScenarioEndScreen);
}

} // namespace
