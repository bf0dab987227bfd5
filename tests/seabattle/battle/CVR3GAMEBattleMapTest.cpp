// The battle map on a bare engine scene with the physics slot: its clock and
// game speeds, time-limit warnings and time-up, autosave rotation, the
// per-frame gate of its battle screen, players and directors and the clears.
#include "TestFolder.h"
#include "engine3/core/CDX9KelLog.h"
#include "engine3/core/CDX9KelScene.h"
#include "engine3/core/render/CDX9KelCameraManager.h"
#include "engine3/ui/screens/CVR3CIIScreen.h"
#include "engine3/world/physics/PhysicsSceneSlot.h"
#include "platform/os/Clock.h"
#include "seabattle/battle/BattleProcessingState.h"
#include "seabattle/battle/CVR3GAMEBattleLog.h"
#include "seabattle/battle/CVR3GAMEBattleMap.h"
#include "seabattle/battle/CVR3GAMEBattleMapArtillerySystem.h"
#include "seabattle/battle/CVR3GAMEBattleMapMovementSystem.h"
#include "seabattle/battle/CVR3GAMEBattleMapPlayer.h"
#include "seabattle/battle/CVR3GAMEBattleMapPlayerDirector.h"
#include "seabattle/battle/CVR3GAMEBattleMapShip.h"
#include "seabattle/battle/CVR3GAMEBattleSystemShip.h"
#include "seabattle/battle/CVR3GAMEMovementShip.h"
#include "seabattle/game/CVR3GAMEInformationShip.h"
#include "engine3/core/scene/CDX9KelSceneObject.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace SeaBattle;

namespace {

class BattleMapTest : public ::testing::Test {
protected:
    void SetUp() override {
        Platform::SetClock(&clock);
        folder = VornaTest::FreshFolder();
        log = folder / "Vorna3Log.log";
        Vorna3D::g_Log.Open(log.c_str());
        VornaTest::WriteText(folder / "engine.ini", "[Game]\nBattleDebug=1\nArtilleryDebug=0\nMovementDebug=7\n");
        scene.m_strDataFolder = folder.string() + "/";
        scene.m_pManagers[Vorna3D::KEL_SCENE_PHYSICAL_MANAGER] = physics = new Vorna3D::PhysicsSceneSlot;
        physics->Init(&scene);
        CVR3GAMEBattleLog::Get().Clear();
        BattleProcessingState::Get().ClearBattleProcessing(true);
        ASSERT_TRUE(map.Init(&scene));
        // The map's scene tree, as its base map would make it.
        const D3DXVECTOR3 lo(-400.0f, -60.0f, -400.0f), hi(400.0f, 60.0f, 400.0f);
        ASSERT_TRUE(scene.CreateSceneTree("Map", &lo, &hi, false, 50.0f, &map.m_BaseMap.m_iSceneTreeIndex));
        for (int i = 0; i < 4; ++i) map.m_strTimeLimitTexts[i] = "limit " + std::to_string(i + 1);
        map.m_strAutoSaveText = "saved";
        screen.m_bActive = 1;
        map.m_pBattleScreen = &screen;
    }
    void TearDown() override {
        map.Clear();
        CVR3GAMEBattleLog::Get().Clear();
        BattleProcessingState::Get().ClearBattleProcessing(true);
        Vorna3D::g_Log.Reset();
        Platform::SetClock(nullptr);
    }
    std::string LogText() const { return VornaTest::ReadText(log); }
    // The battle log's messages, oldest first.
    static std::vector<std::string> Messages() {
        std::vector<std::string> out;
        for (const CVR3GAMEBattleLogEntry& e : CVR3GAMEBattleLog::Get().GetEntries()) out.push_back(e.m_strMessage);
        return out;
    }
    // Frames of the given real milliseconds each.
    void Frames(int n, DWORD ms) {
        for (int i = 0; i < n; ++i) {
            clock.Advance(ms);
            map.UpdateBattle();
        }
    }

    Platform::ManualClock clock{5000000u};
    std::filesystem::path folder, log;
    Vorna3D::CDX9KelScene scene;
    Vorna3D::PhysicsSceneSlot* physics = nullptr;
    Vorna3D::CVR3CIIScreen screen;
    CVR3GAMEBattleMap map;
};

TEST_F(BattleMapTest, InitSwitchesTheDebugChannelsFromTheGameSection) {
    EXPECT_TRUE(Vorna3D::g_Log.IsChannelOn(0));
    EXPECT_FALSE(Vorna3D::g_Log.IsChannelOn(1));
    EXPECT_TRUE(Vorna3D::g_Log.IsChannelOn(2));
    EXPECT_EQ(BattleProcessingState::Get().GetGameTimer(), map.GetGameTimer());
    CVR3GAMEBattleMap other;
    EXPECT_FALSE(other.Init(nullptr));
}

TEST_F(BattleMapTest, TimeSpeedRangeAndTheClock) {
    map.StartGameTimer();
    EXPECT_TRUE(map.SetTimeSpeed(2.0f));
    EXPECT_FLOAT_EQ(physics->m_Manager.GetTimeScale(), 2.0f);
    EXPECT_FLOAT_EQ(map.m_GameTimer.m_fSpeed, 2.0f);
    for (float bad : {2.01f, -0.1f}) {
        EXPECT_FALSE(map.SetTimeSpeed(bad)) << bad;
        EXPECT_FLOAT_EQ(map.m_GameTimer.m_fSpeed, 2.0f);
    }
    clock.Advance(1000);
    EXPECT_EQ(map.m_GameTimer.GetTime(), 2000u);

    // Speed 0 stops the clock and the physics.
    EXPECT_TRUE(map.SetTimeSpeed(0.0f));
    EXPECT_FALSE(physics->m_Manager.IsEnabled());
    clock.Advance(5000);
    EXPECT_EQ(map.m_GameTimer.GetTime(), 2000u);
    // The speed the physics already has changes nothing: not even the
    // stopped clock starts.
    EXPECT_TRUE(map.SetTimeSpeed(0.0f));
    clock.Advance(5000);
    EXPECT_EQ(map.m_GameTimer.GetTime(), 2000u);
    // A later speed runs the clock on from now.
    EXPECT_TRUE(map.SetTimeSpeed(1.0f));
    clock.Advance(500);
    EXPECT_EQ(map.m_GameTimer.GetTime(), 2500u);

    CVR3GAMEBattleMap noScene;
    EXPECT_FALSE(noScene.SetTimeSpeed(1.0f));
}

TEST_F(BattleMapTest, TimeLimitWarningsAndTimeUp) {
    struct Case {
        int32_t limit;
        // Minute of each message: warnings 1-3, then time-up.
        std::vector<std::pair<int, std::string>> expect;
    } const cases[] = {
        {5, {{1, "limit 1"}, {2, "limit 2"}, {3, "limit 3"}, {6, "limit 4"}}},
        {25, {{1, "limit 1"}, {5, "limit 2"}, {15, "limit 3"}, {26, "limit 4"}}},
        {0, {{1, "limit 1"}, {1, "limit 4"}}}, // warning and time-up in one check
    };
    for (const Case& c : cases) {
        CVR3GAMEBattleLog::Get().Clear();
        map.ClearMap();
        map.m_iTimeLimit = c.limit;
        map.StartGameTimer();
        std::vector<std::pair<int, std::string>> seen;
        for (int minute = 1; minute <= 40; ++minute) {
            const std::size_t before = CVR3GAMEBattleLog::Get().GetCount();
            Frames(60, 1000);
            for (std::size_t i = before; i < CVR3GAMEBattleLog::Get().GetCount(); ++i) {
                const CVR3GAMEBattleLogEntry& e = CVR3GAMEBattleLog::Get().GetEntries()[i];
                if (e.m_strCategory != "Battle") continue;
                EXPECT_EQ(e.m_iKind, BATTLE_LOG_TEXT);
                EXPECT_TRUE(e.m_strSubject.empty());
                seen.push_back({minute, e.m_strMessage});
            }
        }
        EXPECT_EQ(seen, c.expect) << c.limit;
        EXPECT_TRUE(map.IsTimeUp());
        // Without a human director the battle is over and ticks no more.
        EXPECT_TRUE(map.IsBattleOver());
    }
}

TEST_F(BattleMapTest, NegativeLimitsAreNoLimitAndAPausedClockHoldsTheLimit) {
    for (int32_t limit : {-1, -5}) {
        map.ClearMap();
        map.m_iTimeLimit = limit;
        map.StartGameTimer();
        Frames(100, 60000);
        EXPECT_EQ(map.m_iTimeLimitStage, 0) << limit;
    }
    map.ClearMap();
    map.m_iTimeLimit = 2;
    map.StartGameTimer();
    ASSERT_TRUE(map.SetTimeSpeed(0.0f));
    Frames(50, 60000);
    EXPECT_EQ(map.m_iTimeLimitStage, 0);
    EXPECT_EQ(map.m_GameTimer.GetTime(), 0u);
    ASSERT_TRUE(map.SetTimeSpeed(2.0f)); // twice as fast: a check every 30 s
    Frames(30, 1000);
    EXPECT_EQ(map.m_iTimeLimitStage, 1);
}

TEST_F(BattleMapTest, AutosavesRotateThroughFiveSlotsOnRealTime) {
    // No game manager owns this map, so nothing runs to be saved: each
    // autosave still tells the battle log and moves to the next slot (the
    // files of a running game are the game flow tests').
    std::vector<uint32_t> slots;
    map.StartGameTimer();
    ASSERT_TRUE(map.SetTimeSpeed(0.0f)); // real time: a paused battle saves too
    map.UpdateBattle();                  // stamps the first frame
    for (int i = 0; i < 6; ++i) {
        clock.Advance(480000);
        map.UpdateBattle();
        EXPECT_EQ(CVR3GAMEBattleLog::Get().GetCount(), static_cast<std::size_t>(i)) << "not before the interval";
        clock.Advance(1);
        map.UpdateBattle();
        slots.push_back(map.m_uAutoSaveNumber);
    }
    EXPECT_EQ(slots, (std::vector<uint32_t>{1, 2, 3, 4, 0, 1}));
    ASSERT_EQ(CVR3GAMEBattleLog::Get().GetCount(), 6u);
    EXPECT_EQ(CVR3GAMEBattleLog::Get().GetLastEntry()->m_strCategory, "Game");
    EXPECT_EQ(CVR3GAMEBattleLog::Get().GetLastEntry()->m_strMessage, "saved");
    EXPECT_EQ(LogText().find("save failed"), std::string::npos);
}

TEST_F(BattleMapTest, NothingHappensWithoutAnActiveBattleScreen) {
    const std::string red = "Red";
    CVR3GAMEBattleMapPlayer* p = map.CreatePlayer(&red);
    ASSERT_NE(p, nullptr);
    CVR3GAMEBattleMapPlayerDirector* d = map.CreateComputer(&red);
    ASSERT_NE(d, nullptr);
    map.m_iTimeLimit = 0;
    map.StartGameTimer();
    for (int gate = 0; gate < 2; ++gate) {
        map.m_pBattleScreen = gate == 0 ? nullptr : &screen;
        screen.m_bActive = 0;
        Frames(10, 600000);
        EXPECT_EQ(CVR3GAMEBattleLog::Get().GetCount(), 0u);
        EXPECT_EQ(map.m_iTimeLimitStage, 0);
        EXPECT_EQ(map.m_dwLastAutoSave, 0u);
        EXPECT_EQ(d->m_pMovementSystem->m_dwLastTime, 0u); // the director was not ticked
    }
    screen.m_bActive = 1;
    Frames(1, 60000);
    EXPECT_NE(d->m_pMovementSystem->m_dwLastTime, 0u);
    EXPECT_NE(map.m_dwLastAutoSave, 0u);
}

TEST_F(BattleMapTest, PlayersAndDirectors) {
    const std::string red = "Red", blue = "Blue", green = "Green", empty, redder = "Red ";
    CVR3GAMEBattleMapPlayer* r = map.CreatePlayer(&red);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(map.CreatePlayer(&red), nullptr);
    EXPECT_EQ(map.CreatePlayer(&empty), nullptr);
    EXPECT_EQ(map.CreatePlayer(nullptr), nullptr);
    auto* b = new CVR3GAMEBattleMapPlayer;
    b->m_strPlayerName = blue;
    EXPECT_FALSE(map.AddPlayer(nullptr));
    ASSERT_TRUE(map.AddPlayer(b));
    EXPECT_EQ(map.CreatePlayer(&green), nullptr);
    CVR3GAMEBattleMapPlayer g;
    g.m_strPlayerName = green;
    EXPECT_FALSE(map.AddPlayer(&g));
    EXPECT_EQ(map.GetPlayer(&red), r);
    EXPECT_EQ(map.GetPlayer(&redder), nullptr);
    EXPECT_EQ(BattleProcessingState::Get().GetPlayerNames(), (std::vector<std::string>{"Red", "Blue"}));
    const std::string text = LogText();
    EXPECT_NE(text.find("CVR3GAMEBattleMap::CreatePlayer() : max players number is reached :2 \n"), std::string::npos);
    EXPECT_NE(text.find("CVR3GAMEBattleMap::CreatePlayer() : player name empty\n"), std::string::npos);
    EXPECT_NE(text.find("CVR3GAMEBattleMap::CreatePlayer() : player with name 'Red' already exist\n"),
              std::string::npos);
    EXPECT_NE(text.find("CVR3GAMEBattleMap::AddPlayer() : pPlayer == NULL\n"), std::string::npos);

    // Directors: a map without its scene tree has none (its guns could not
    // look for ships in the line of fire), and a director's guns search the
    // map's own tree, not whichever tree the scene has active.
    const int mapTree = map.m_BaseMap.m_iSceneTreeIndex;
    map.m_BaseMap.m_iSceneTreeIndex = 7;
    EXPECT_EQ(map.CreateComputer(&red), nullptr);
    EXPECT_NE(LogText().find("CVR3GAMEBattleMapPlayerDirector::Init() : m_pArtillerySystem->Init() failed\n"),
              std::string::npos);
    EXPECT_EQ(r->m_pDirector, nullptr);
    map.m_BaseMap.m_iSceneTreeIndex = mapTree;
    const D3DXVECTOR3 lo(0.0f, 0.0f, 0.0f), hi(10.0f, 10.0f, 10.0f);
    int other = -1;
    ASSERT_TRUE(scene.CreateSceneTree("Other", &lo, &hi, false, 50.0f, &other));
    ASSERT_TRUE(scene.SetActiveSceneTree(other));
    // The human director needs the scene's camera manager.
    EXPECT_EQ(map.CreateHuman(&red), nullptr);
    EXPECT_NE(LogText().find("CVR3GAMEBattleMap::CreateHuman() : pPlayerHuman->Init() failed\n"), std::string::npos);
    EXPECT_EQ(r->m_pDirector, nullptr);
    scene.m_pCameraManager = new Vorna3D::CDX9KelCameraManager;
    CVR3GAMEBattleMapPlayerDirector* hr = map.CreateHuman(&red);
    ASSERT_NE(hr, nullptr);
    EXPECT_EQ(hr->m_pArtillerySystem->m_pTree, scene.GetSceneTree(mapTree));
    EXPECT_TRUE(hr->IsHuman());
    EXPECT_EQ(r->m_pDirector, hr);
    EXPECT_EQ(map.CreateComputer(&red), nullptr); // a player has one director
    CVR3GAMEBattleMapPlayerDirector* hb = map.CreateHuman(&blue); // a second human is accepted
    ASSERT_NE(hb, nullptr);
    EXPECT_EQ(map.CreateComputer(&green), nullptr);
    EXPECT_NE(LogText().find("CVR3GAMEBattleMap::CreateComputer() : not found player with name: Green\n"),
              std::string::npos);
    EXPECT_EQ(map.GetPlayerDirector(&blue), hb);
    EXPECT_EQ(map.GetPlayerDirector(nullptr), nullptr);

    EXPECT_TRUE(map.SetPlayerDirectorEnemy(hr, &blue));
    EXPECT_FALSE(map.SetPlayerDirectorEnemy(hr, &blue));
    EXPECT_NE(LogText().find("CVR3GAMEBattleMapPlayerDirector::SetEmeny() : Player already enemy : Blue\n"),
              std::string::npos);
    EXPECT_FALSE(map.SetPlayerDirectorEnemy(hr, &red));
    EXPECT_NE(LogText().find("SetEmeny() : for itself not enemy\n"), std::string::npos);
    EXPECT_FALSE(map.SetPlayerDirectorEnemy(hr, &green));
    EXPECT_FALSE(map.SetPlayerDirectorEnemy(nullptr, &blue));
    EXPECT_EQ(hr->m_stdvEnemies, (std::vector<CVR3GAMEBattleMapPlayer*>{b}));

    // Time-up with a human director: the HUD ends the battle, not the map.
    map.m_iTimeLimit = 0;
    map.StartGameTimer();
    Frames(2, 60000);
    EXPECT_TRUE(map.IsTimeUp());
    EXPECT_TRUE(hr->m_bFinished);
    EXPECT_FALSE(map.IsBattleOver());

    // ClearMap keeps the players and drops the directors; Clear deletes both.
    map.ClearMap();
    EXPECT_EQ(map.GetPlayers().size(), 2u);
    EXPECT_TRUE(map.GetDirectors().empty());
    EXPECT_EQ(r->m_pDirector, nullptr);
    EXPECT_EQ(map.m_iTimeLimit, -1);
    EXPECT_EQ(map.m_iTimeLimitStage, 0);
    map.Clear();
    EXPECT_TRUE(map.GetPlayers().empty());
}

TEST_F(BattleMapTest, DirectorsCountLossesOnlyForAValidLevelCount) {
    const std::string red = "Red";
    CVR3GAMEBattleMapPlayer* r = map.CreatePlayer(&red);
    // Ships of levels 5, 4, -1 (sunk), and 2 (afloat), each 100 apart.
    std::vector<std::unique_ptr<Vorna3D::CDX9KelSceneObject>> objects;
    struct Spec {
        int32_t level;
        bool sunk;
    } const specs[] = {{5, true}, {4, true}, {-1, true}, {2, false}};
    for (const Spec& spec : specs) {
        objects.push_back(std::make_unique<Vorna3D::CDX9KelSceneObject>());
        D3DXMATRIX m;
        D3DXMatrixTranslation(&m, 100.0f * static_cast<float>(objects.size()), 0, 0);
        objects.back()->SetWorldMatrix(&m);
        auto* ship = new CVR3GAMEBattleMapShip;
        ship->m_pSceneObject = objects.back().get();
        ship->m_pMovementShip = new CVR3GAMEMovementShip;
        ship->m_pInfoShip = new CVR3GAMEInformationShip;
        ship->m_pInfoShip->ShipTypeLevel = spec.level;
        ship->m_pInfoShip->DisplUnitCost = 3;
        ship->m_pBattleShip = new CVR3GAMEBattleSystemShip;
        ship->m_pBattleShip->Displacement = 1000;
        ship->m_pBattleShip->TotalDurability = 250.0f;
        ship->m_bSunk = spec.sunk;
        ASSERT_TRUE(r->AddBattleMapShip(ship));
    }
    CVR3GAMEBattleMapPlayerDirector* d = map.CreateComputer(&red);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(r->m_stdvColumns.size(), 4u);
    for (uint32_t n : {0u, 101u}) {
        EXPECT_FALSE(map.PrepareDataForHarbour(n)) << n;
        EXPECT_TRUE(r->m_stdvLossesByLevel.empty());
    }
    // Two ships lost before the battle was saved and loaded again count too
    // (the top level again unlisted).
    r->m_stdvEarlierLosses = {{1, 500, 50.0f}, {5, 100, 10.0f}};
    map.StartGameTimer();
    clock.Advance(3000);
    EXPECT_TRUE(map.PrepareDataForHarbour(6));
    // Level 5 of 6 is counted as a loss but not listed; level -1 neither.
    EXPECT_EQ(r->m_stdvLossesByLevel, (std::vector<uint32_t>{0, 1, 0, 0, 1, 0}));
    EXPECT_EQ(r->m_uLostShips, 5u);
    EXPECT_EQ(r->m_uSurvivingShips, 1u);
    EXPECT_EQ(r->m_uLostValue, 9600u);
    EXPECT_FLOAT_EQ(r->m_fLostDurability, 810.0f);
    EXPECT_EQ(map.m_GameTimer.m_dwGameTime, 0u);
    EXPECT_EQ(map.m_GameTimer.m_dwRunning, 0u);
    EXPECT_FLOAT_EQ(map.m_GameTimer.m_fSpeed, 1.0f);
    EXPECT_FLOAT_EQ(physics->m_Manager.GetTimeScale(), 0.0f);
}

TEST(BattleLog, NewestFirstAndEmptyRemoval) {
    CVR3GAMEBattleLog& log = CVR3GAMEBattleLog::Get();
    log.Clear();
    EXPECT_FALSE(log.RemoveLastEntry());
    EXPECT_EQ(log.GetLastEntry(), nullptr);
    EXPECT_TRUE(log.AddEntry("Battle", 10, nullptr, "one"));
    EXPECT_TRUE(log.AddEntry(nullptr, 3, "Ship", nullptr));
    EXPECT_EQ(log.GetEntryFromEnd(0)->m_strSubject, "Ship");
    EXPECT_EQ(log.GetEntryFromEnd(0)->m_strCategory, "");
    EXPECT_EQ(log.GetEntryFromEnd(1)->m_strMessage, "one");
    EXPECT_EQ(log.GetEntryFromEnd(2), nullptr);
    EXPECT_TRUE(log.RemoveLastEntry());
    EXPECT_EQ(log.GetLastEntry()->m_strMessage, "one");
    log.Clear();
}

} // namespace

namespace {

// A scenario's later battle: the resolution state was cleared after the
// first, and the players live on. Making their directors registers them
// again, once each, so damage, reloads and rams reach their ships; the
// ships' damage clocks start afresh with the new battle clock.
TEST_F(BattleMapTest, DirectorsRegisterTheirPlayersForALaterBattle) {
    const std::string red = "Red";
    CVR3GAMEBattleMapPlayer* r = map.CreatePlayer(&red);
    ASSERT_NE(r, nullptr);
    auto* ship = new CVR3GAMEBattleMapShip;
    ship->m_pBattleShip = new CVR3GAMEBattleSystemShip;
    ship->m_pBattleShip->LastDamageTime = 123456;
    r->m_stdvBattleShips.push_back(ship);
    r->m_stdvColumns.push_back(nullptr); // its columns were formed in the first battle
    BattleProcessingState::Get().ClearBattleProcessing(false);
    ASSERT_TRUE(BattleProcessingState::Get().GetShipLists().empty());
    ASSERT_NE(map.CreateComputer(&red), nullptr);
    ASSERT_EQ(BattleProcessingState::Get().GetShipLists().size(), 1u);
    EXPECT_EQ(BattleProcessingState::Get().GetShipLists()[0], &r->m_stdvBattleShips);
    EXPECT_EQ(BattleProcessingState::Get().GetPlayerNames()[0], "Red");
    EXPECT_EQ(ship->m_pBattleShip->LastDamageTime, 0u);
    EXPECT_TRUE(BattleProcessingState::Get().RegisterPlayer("Red", &r->m_stdvBattleShips));
    EXPECT_EQ(BattleProcessingState::Get().GetShipLists().size(), 1u);
}

} // namespace
