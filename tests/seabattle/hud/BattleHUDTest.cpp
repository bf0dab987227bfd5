// The human player's battle HUD on the demo battle against the computer,
// in the game itself: the battle screen bound by name and kind, the ship
// chosen by hot key, icon and upkeep after losses, speed items and rudder
// bar turned into column orders, fire permission, time speed, the battle
// log's message box and the way out of the battle; and the HUD's plain
// rules (report formats, remaining time, speed items, popup placement).
#include "common/DemoData.h"
#include "common/GameSession.h"
#include "TestFolder.h"
#include "engine3/core/CDX9KelInput.h"
#include "engine3/ui/screens/CVR3CIIScreen.h"
#include "engine3/ui/screens/CVR3CIIScreenManager.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlButton.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlButtonCheck.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlImage.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlRadioList.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlScrollBarHard.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlScrollCheckList.h"
#include "engine3/ui/sgui/CDX9KelSGUIDialog.h"
#include "engine3/ui/sgui/CDX9KelSGUIText.h"
#include "engine3/ui/gui3d/CVR3GUI3DDialog.h"
#include "engine3/ui/gui3d/CVR3GUI3DManager.h"
#include "platform/os/Paths.h"
#include "platform/window/DirectInputCodes.h"
#include "platform/window/Window.h"
#include "seabattle/battle/BattleProcessingState.h"
#include "seabattle/battle/CVR3GAMEArtilleryShip.h"
#include "seabattle/battle/CVR3GAMEBattleLog.h"
#include "seabattle/battle/CVR3GAMEBattleMap.h"
#include "seabattle/battle/CVR3GAMEBattleMapPlayer.h"
#include "seabattle/battle/CVR3GAMEBattleMapPlayerDirector.h"
#include "seabattle/battle/CVR3GAMEBattleMapShip.h"
#include "seabattle/battle/CVR3GAMEBattleMapShipsColumn.h"
#include "seabattle/battle/CVR3GAMEBattleSystemShip.h"
#include "seabattle/battle/CVR3GAMEComputerPlayerBaseBehaviour.h"
#include "seabattle/game/CVR3GAMEIO.h"
#include "seabattle/battle/CVR3GAMEMovementShip.h"
#include "seabattle/game/CVR3GAMEManager.h"
#include "seabattle/shell/CScene.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;
using namespace SeaBattle;
using Human = CVR3GAMEBattleMapPlayerDirectorHuman;

namespace {

// ---- rules without state ----

TEST(BattleHUDRules, AReportFormatReplacesOnlyItsFirstSubjectMark) {
    struct Case {
        const char* format;
        const char* report;
    } cases[] = {
        {"%s has gone down.", "Hood has gone down."},
        {"%s and %s", "Hood and %s"},
        {"%d %n %x %s%%", "%d %n %x Hood%%"},
        {"no mark", "no mark"},
        {"", ""},
        {"%", "%"},
    };
    for (const Case& c : cases) EXPECT_EQ(Human::ApplyReportFormat(c.format, "Hood"), c.report) << c.format;
}

TEST(BattleHUDRules, TheRemainingTimeIsHoursAndMinutesAndNeverNegative) {
    EXPECT_EQ(Human::FormatRemainingTime(75), "01 : 15");
    EXPECT_EQ(Human::FormatRemainingTime(30), "00 : 30");
    EXPECT_EQ(Human::FormatRemainingTime(0), "00 : 00");
    EXPECT_EQ(Human::FormatRemainingTime(-1), "00 : 00");
    EXPECT_EQ(Human::FormatRemainingTime(-500), "00 : 00");
}

TEST(BattleHUDRules, SpeedItemsGoFromFullAsternToTheColumnsFullSpeed) {
    // Nine items: 0-3 astern at the ship's speed, 4 stop, 5-8 ahead at the column's.
    EXPECT_FLOAT_EQ(Human::SpeedForItem(4, 9, 10.0f, 8.0f), 0.0f);
    EXPECT_FLOAT_EQ(Human::SpeedForItem(8, 9, 10.0f, 8.0f), 10.0f);
    EXPECT_FLOAT_EQ(Human::SpeedForItem(6, 9, 10.0f, 8.0f), 5.0f);
    EXPECT_FLOAT_EQ(Human::SpeedForItem(0, 9, 10.0f, 8.0f), -8.0f);
    // A one-item list and a column whose top speed fell to nothing order no speed.
    EXPECT_FLOAT_EQ(Human::SpeedForItem(0, 1, 10.0f, 8.0f), 0.0f);
    EXPECT_FLOAT_EQ(Human::SpeedForItem(8, 9, 0.0f, 8.0f), 0.0f);
    EXPECT_FLOAT_EQ(Human::SpeedForItem(0, 9, 10.0f, 0.0f), 0.0f);
}

TEST(BattleHUDRules, APopupOpensBesideTheCursorAndInsideTheScreen) {
    POINT p = Human::PlacePopup(100, 100, 190, 72, 1024, 768);
    EXPECT_EQ(p.x, 134);
    EXPECT_EQ(p.y, 100);
    p = Human::PlacePopup(900, 100, 190, 72, 1024, 768);
    EXPECT_EQ(p.x, 900 - 190 - 2);
    p = Human::PlacePopup(100, 700, 190, 72, 1024, 768);
    EXPECT_EQ(p.y, 700 - 72);
}

// ---- the HUD in the game ----

class BattleHUD : public ::testing::Test {
protected:
    static void SetUpTestSuite() { VornaTest::LinkDemoData(Platform::ProgramFolder()); }
    void SetUp() override {
        m_dir = VornaTest::FreshFolder();
        fs::copy_file(fs::path(VORNA_BIN_DIR) / "engine.ini", m_dir / "engine.ini");
        VornaTest::GameSession::Options options;
        options.dataFolder = m_dir.string() + "/";
        options.stepMs = 20;
        ASSERT_TRUE(m_session.Start(options));
        m_pMap = CVR3GAMEManager::Get().GetBattleMap();
        ASSERT_NE(m_pMap, nullptr);
        CVR3GAMEBattleLog::Get().Clear();
        BattleProcessingState::Get().m_dwLostShips = 0;
        m_io.m_pScene = m_session.Scene();
        m_io.m_pBattleMap = m_pMap;
        const std::string bin = std::string(VORNA_BIN_DIR) + "/";
        m_io.InitFrom(bin + "folders.ini", Platform::ProgramFolder(), m_session.DataFolder());
        m_pMap->m_pBattleScreen = m_session.Screens()->FindScreen("battle_game");
        ASSERT_NE(m_pMap->m_pBattleScreen, nullptr);
        ASSERT_TRUE(m_io.LoadBattleArtilleryList("demo_guns.artlstxml"));
        ASSERT_TRUE(m_io.LoadBattleMapFromFile("demo_human.btlmapxml", false, nullptr));
        for (CVR3GAMEBattleMapPlayerDirector* d : m_pMap->GetDirectors())
            if (auto* h = dynamic_cast<Human*>(d)) m_pHud = h;
        ASSERT_NE(m_pHud, nullptr);
        ASSERT_TRUE(CVR3GAMEManager::Get().StartBattle("battle_game"));
        ASSERT_TRUE(m_pMap->InitDirectorsBehaviours());
        m_pPlayer = m_pHud->m_pPlayer;
        ASSERT_NE(m_pPlayer, nullptr);
        // The computer's ships hold their fire and the behaviours their
        // withdrawals, so nothing but the test changes the battle.
        if (m_pHud->m_pCurrentBehaviour) m_pHud->m_pCurrentBehaviour->m_bWithdrawalEnabled = false;
    }
    void TearDown() override {
        for (int k = 0; k < 256; ++k) Vorna3D::g_Input.m_KeyboardState[k] = 0;
        if (m_pMap) m_pMap->Clear();
        CVR3GAMEBattleLog::Get().Clear();
        m_session.Stop();
    }
    void Key(BYTE code, int frames) {
        Platform::InjectKey(m_session.Window(), code, true);
        m_session.Frames(frames, false);
        Platform::InjectKey(m_session.Window(), code, false);
        m_session.Frames(1, false);
    }
    CVR3GAMEBattleMapShipsColumn* Column(int i) const { return m_pPlayer->m_stdvColumns[static_cast<size_t>(i)]; }
    int IndexOf(const CVR3GAMEBattleMapShip* s) const {
        for (size_t i = 0; i < m_pPlayer->m_stdvBattleShips.size(); ++i)
            if (m_pPlayer->m_stdvBattleShips[i] == s) return static_cast<int>(i);
        return -1;
    }
    static size_t Shown(const std::vector<Vorna3D::CVR3GUI3DDialog*>& v) {
        size_t n = 0;
        for (const auto* d : v) n += d && d->m_bVisible;
        return n;
    }

    VornaTest::GameSession m_session;
    fs::path m_dir;
    CVR3GAMEIO m_io;
    CVR3GAMEBattleMap* m_pMap = nullptr;
    Human* m_pHud = nullptr;
    CVR3GAMEBattleMapPlayer* m_pPlayer = nullptr;
};

TEST_F(BattleHUD, TheBattleScreenIsBoundAndTheFirstShipCommanded) {
    Human& h = *m_pHud;
    // Every dialog and control of the battle screen found by name and kind.
    for (const void* p : {static_cast<const void*>(h.m_pDialogMovementLock), static_cast<const void*>(h.m_pCompase),
                          static_cast<const void*>(h.m_pTimer), static_cast<const void*>(h.m_pShipName),
                          static_cast<const void*>(h.m_pHeel), static_cast<const void*>(h.m_pShells),
                          static_cast<const void*>(h.m_pGunsName[6]), static_cast<const void*>(h.m_pCrew[2]),
                          static_cast<const void*>(h.m_pArmour[2]), static_cast<const void*>(h.m_pTimeSpeedCheck),
                          static_cast<const void*>(h.m_pArtilleryFireCheck), static_cast<const void*>(h.m_pIconsCheck),
                          static_cast<const void*>(h.m_pIcons[0]), static_cast<const void*>(h.m_pIcons[2]),
                          static_cast<const void*>(h.m_pMovSpeedCheck), static_cast<const void*>(h.m_pRuleBar),
                          static_cast<const void*>(h.m_pPlayerPopUpSpeed),
                          static_cast<const void*>(h.m_pEnemyPopUpAccuracy), static_cast<const void*>(h.m_pLogReport),
                          static_cast<const void*>(h.m_pLogClose)})
        EXPECT_NE(p, nullptr);
    EXPECT_EQ(h.m_stdvFloodLamps.size(), 5u);
    EXPECT_EQ(h.m_stdvFireLamps.size(), 5u);
    EXPECT_EQ(h.m_stdvLeavingLamps.size(), 5u);
    EXPECT_EQ(h.m_pMovSpeedCheck->m_vItems.size(), 9u);
    // Localised units and log formats.
    EXPECT_EQ(h.m_strKnot, "kn");
    EXPECT_EQ(h.m_strLogFormats[0], "%s has gone down.");
    // Markers, cursors and hot keys from the map GUI file.
    EXPECT_EQ(h.m_stdvPlayerActiveMarkers.size(), 5u);
    EXPECT_EQ(h.m_stdvEnemyMarkers[1].size(), 5u);
    EXPECT_EQ(h.m_stdvEnemyMarkers[1][2]->m_strName, "EnemyShip_11");
    EXPECT_GE(h.m_iCursorEnemy, 0);
    EXPECT_EQ(h.m_iHotKeyGroup[0], DIK_1);
    EXPECT_EQ(h.m_iHotKeyGroup[2], DIK_3);
    // The first ship is commanded: its column's page, the leader marked
    // active, its followers passive, every enemy ship marked.
    EXPECT_EQ(h.m_iSelectedShip, 0);
    EXPECT_EQ(h.m_iSelectedPage, 0);
    EXPECT_EQ(h.m_iSelectedPosition, 0);
    EXPECT_EQ(h.m_pShipName->GetText(), m_pPlayer->m_stdvBattleShips[0]->m_strName);
    EXPECT_EQ(Shown(h.m_stdvPlayerActiveMarkers), 1u);
    EXPECT_EQ(Shown(h.m_stdvPlayerPassiveMarkers), Column(0)->m_stdvBattleShips.size() - 1);
    size_t enemies = 0;
    for (const auto& v : h.m_stdvEnemyMarkers) enemies += Shown(v);
    size_t enemyShips = 0;
    for (const auto* c : h.m_stdvEnemies[0]->m_stdvColumns) enemyShips += c ? c->m_stdvBattleShips.size() : 0;
    EXPECT_EQ(enemies, enemyShips);
    for (int p = 0; p < Human::kPages; ++p)
        EXPECT_EQ(h.m_pIcons[p]->m_vItems.size(), Column(p)->m_stdvBattleShips.size()) << p;
    EXPECT_TRUE(h.m_pDialogIconsPage[0]->IsVisible());
    EXPECT_FALSE(h.m_pDialogIconsPage[1]->IsVisible());
    // The clock's text after the first second.
    m_session.Frames(60, false);
    EXPECT_EQ(h.m_pTimer->GetText(), Human::FormatRemainingTime(m_pMap->m_iTimeLimit - 0));
}

TEST_F(BattleHUD, HotKeysIconsAndLossesChooseTheCommandedShip) {
    Human& h = *m_pHud;
    Key(DIK_2, 2);
    EXPECT_EQ(h.m_iSelectedPage, 1);
    EXPECT_EQ(h.m_iSelectedShip, IndexOf(Column(1)->m_stdvBattleShips[0]));
    EXPECT_TRUE(h.m_pDialogIconsPage[1]->IsVisible());
    EXPECT_FALSE(h.m_pDialogIconsPage[0]->IsVisible());
    // Held keys repeat no faster than every 300 ms: 3 straight after 2 waits.
    m_session.Frames(20, false);
    Key(DIK_3, 2);
    EXPECT_EQ(h.m_iSelectedPage, 2);
    m_session.Frames(20, false);
    Key(DIK_1, 2);
    EXPECT_EQ(h.m_iSelectedPage, 0);

    // A click on the second icon commands that ship; a follower's orders
    // come from its leader, so the lock panel stands in for the movement panel.
    h.m_pIcons[0]->SetSelected(1);
    m_session.Frames(2, false);
    EXPECT_EQ(h.m_iSelectedPosition, 1);
    EXPECT_EQ(h.m_iSelectedShip, IndexOf(Column(0)->m_stdvBattleShips[1]));
    EXPECT_FALSE(h.m_pDialogMovement->IsVisible());
    EXPECT_TRUE(h.m_pDialogMovementLock->IsVisible());

    // An icon past the column's end (its ship left this frame) is ignored
    // and the page filled again.
    CVR3GAMEBattleMapShipsColumn* c0 = Column(0);
    CVR3GAMEBattleMapShip* last = c0->m_stdvBattleShips.back();
    const int lastItem = static_cast<int>(c0->m_stdvBattleShips.size()) - 1;
    ASSERT_TRUE(c0->RemoveShip(last));
    h.m_pIcons[0]->SetSelected(lastItem);
    m_session.Frames(1, false);
    EXPECT_EQ(h.m_iSelectedPosition, 1);
    EXPECT_EQ(h.m_pIcons[0]->m_vItems.size(), c0->m_stdvBattleShips.size());

    // The commanded ship sinks: the page's leader is commanded.
    CVR3GAMEBattleMapShip* gone = c0->m_stdvBattleShips[1];
    ASSERT_TRUE(c0->RemoveShip(gone));
    BattleProcessingState::Get().m_dwLostShips = 1;
    m_session.Frames(1, false);
    EXPECT_EQ(h.m_iSelectedShip, IndexOf(c0->m_stdvBattleShips[0]));
    EXPECT_EQ(h.m_iSelectedPosition, 0);
    EXPECT_EQ(Shown(h.m_stdvPlayerActiveMarkers) + Shown(h.m_stdvPlayerPassiveMarkers), c0->m_stdvBattleShips.size());

    // Every ship gone: no selection; the behaviour's withdrawal report then
    // tells the battle log that the player has lost his ships.
    for (CVR3GAMEBattleMapShipsColumn* c : m_pPlayer->m_stdvColumns)
        while (c && !c->m_stdvBattleShips.empty()) c->RemoveShip(c->m_stdvBattleShips.back());
    CVR3GAMEBattleLog::Get().Clear();
    h.m_pCurrentBehaviour->m_iWithdrawnCount = 1;
    m_session.Frames(2, false);
    EXPECT_EQ(h.m_iSelectedShip, -1);
    EXPECT_EQ(h.m_iSelectedPage, -1);
    EXPECT_EQ(h.m_pShipName->GetText(), "-");
    EXPECT_EQ(Shown(h.m_stdvPlayerActiveMarkers), 0u);
    // The entry is already on show in the log box.
    EXPECT_TRUE(h.m_bPlayerLost);
    EXPECT_EQ(h.m_pLogReport->GetText(), h.m_strLogFormats[BATTLE_LOG_SIDE_LOST]);
}

TEST_F(BattleHUD, ArrowKeysOrderSpeedAndRudderOneStepPerTenthOfASecond) {
    Human& h = *m_pHud;
    CVR3GAMEBattleMapShipsColumn* column = Column(0);
    EXPECT_EQ(h.m_pMovSpeedCheck->GetSelected(), 4);
    // Held for 60 ms: one step ahead.
    Key(DIK_UP, 3);
    m_session.Frames(6, false);
    EXPECT_EQ(h.m_pMovSpeedCheck->GetSelected(), 5);
    EXPECT_NEAR(column->m_fOrderedSpeed, column->m_fMaxSpeed / 4.0f, 0.02f);
    // Held for 1 s: at most ten more steps, and the list ends at 8.
    Key(DIK_UP, 50);
    m_session.Frames(6, false);
    EXPECT_EQ(h.m_pMovSpeedCheck->GetSelected(), 8);
    EXPECT_NEAR(column->m_fOrderedSpeed, column->m_fMaxSpeed, 0.02f);
    // Held for 300 ms: three steps back at most.
    Key(DIK_DOWN, 15);
    m_session.Frames(6, false);
    const int item = h.m_pMovSpeedCheck->GetSelected();
    EXPECT_GE(item, 5);
    EXPECT_LE(item, 7);
    // The rudder bar one step to starboard turns the leader's rudder.
    const int bar = h.m_pRuleBar->GetPosition();
    Key(DIK_RIGHT, 3);
    m_session.Frames(6, false);
    EXPECT_EQ(h.m_pRuleBar->GetPosition(), bar + 1);
    const CVR3GAMEMovementShip* leader = column->GetLeader();
    EXPECT_GT(leader->m_fOrderedRudderAngle, 0.0f);
}

TEST_F(BattleHUD, FirePermissionAndTimeSpeedFollowTheirLists) {
    Human& h = *m_pHud;
    CVR3GAMEBattleMapShip* ship = h.GetSelectedShip();
    ASSERT_NE(ship, nullptr);
    h.m_pArtilleryFireCheck->SetSelected(1);
    m_session.Frames(1, false);
    EXPECT_FALSE(ship->m_pArtilleryShip->m_bFireEnabled);
    h.m_pArtilleryFireCheck->SetSelected(0);
    m_session.Frames(1, false);
    EXPECT_TRUE(ship->m_pArtilleryShip->m_bFireEnabled);

    h.m_pTimeSpeedCheck->SetSelected(Human::kTimeDouble);
    m_session.Frames(1, false);
    EXPECT_FLOAT_EQ(m_pMap->m_GameTimer.m_fSpeed, 2.0f);
    h.m_pTimeSpeedCheck->SetSelected(Human::kTimePause);
    m_session.Frames(1, false);
    EXPECT_FLOAT_EQ(m_pMap->m_GameTimer.m_fSpeed, 0.0f);
    const DWORD clock = m_pMap->m_GameTimer.m_dwGameTime;
    m_session.Frames(20, false);
    EXPECT_EQ(m_pMap->m_GameTimer.m_dwGameTime, clock);
    // Another part of the game resumed the battle: the list puts the pause back.
    m_pMap->SetTimeSpeed(1.0f);
    m_session.Frames(1, false);
    EXPECT_FLOAT_EQ(m_pMap->m_GameTimer.m_fSpeed, 0.0f);
    h.m_pTimeSpeedCheck->SetSelected(Human::kTimeNormal);
    m_session.Frames(1, false);
    EXPECT_FLOAT_EQ(m_pMap->m_GameTimer.m_fSpeed, 1.0f);
}

TEST_F(BattleHUD, TheLogBoxShowsEntriesNewestFirstAndTheLostSideLeavesTheBattle) {
    Human& h = *m_pHud;
    m_session.Frames(1, false);
    CVR3GAMEBattleLog::Get().Clear();
    m_pMap->AddBattleLogEntry("North Fleet", 0, "North 1-1", nullptr);
    m_pMap->AddBattleLogEntry("Battle", BATTLE_LOG_TEXT, nullptr, "A plain message.");
    m_session.Frames(1, false);
    EXPECT_TRUE(h.m_pDialogMapLog->IsVisible());
    EXPECT_EQ(h.m_pLogPlayer->GetText(), "Battle");
    EXPECT_EQ(h.m_pLogReport->GetText(), "A plain message.");
    // The box stays for 10 s, then the older entry follows.
    m_session.Frames(400, false);
    EXPECT_EQ(h.m_pLogReport->GetText(), "A plain message.");
    m_session.Frames(120, false);
    EXPECT_TRUE(h.m_pDialogMapLog->IsVisible());
    EXPECT_EQ(h.m_pLogPlayer->GetText(), "North Fleet");
    EXPECT_EQ(h.m_pLogReport->GetText(), "North 1-1 has gone down.");
    // Close, held as a hand holds it, ends it early.
    const RECT r = h.m_pLogClose->GetRect();
    const int x = (r.left + r.right) / 2, y = (r.top + r.bottom) / 2;
    Platform::InjectMouseMove(m_session.Window(), x, y);
    m_session.Frames(1, false);
    Platform::InjectMouseButton(m_session.Window(), 0, true, x, y);
    for (int i = 0; i < 40 && h.m_pDialogMapLog->IsVisible(); ++i) m_session.Frames(1, false);
    Platform::InjectMouseButton(m_session.Window(), 0, false, x, y);
    m_session.Frames(1, false);
    EXPECT_FALSE(h.m_pDialogMapLog->IsVisible());

    // The player has lost his ships: only once the box has gone does the
    // HUD ask to leave the battle.
    m_pMap->AddBattleLogEntry("South Fleet", BATTLE_LOG_SIDE_LOST, nullptr, nullptr);
    m_pMap->AddBattleLogEntry("Battle", BATTLE_LOG_TEXT, nullptr, "later");
    m_session.Frames(2, false);
    EXPECT_EQ(h.m_pLogReport->GetText(), "later");
    m_session.Frames(520, false);
    EXPECT_TRUE(h.m_bPlayerLost);
    EXPECT_FALSE(h.m_bLeaveBattle);
    m_session.Frames(520, false);
    EXPECT_TRUE(h.m_bLeaveBattle);
    EXPECT_TRUE(CVR3GAMEBattleLog::Get().IsEmpty());
}

TEST_F(BattleHUD, AfterTimeUpTheLastEntryShownEndsTheBattle) {
    Human& h = *m_pHud;
    m_session.Frames(1, false);
    CVR3GAMEBattleLog::Get().Clear();
    m_pMap->AddBattleLogEntry("Battle", BATTLE_LOG_TEXT, nullptr, "The time limit of the battle has run out.");
    h.m_bFinished = true;
    m_session.Frames(2, false);
    EXPECT_TRUE(h.m_pDialogMapLog->IsVisible());
    EXPECT_FALSE(h.m_bLeaveBattle);
    m_session.Frames(520, false);
    EXPECT_FALSE(h.m_pDialogMapLog->IsVisible());
    EXPECT_TRUE(h.m_bLeaveBattle);
}

TEST_F(BattleHUD, LampsAreCheckedAgainstTheirOwnLists) {
    Human& h = *m_pHud;
    CVR3GAMEBattleMapShipsColumn* column = Column(0);
    for (CVR3GAMEBattleMapShip* s : column->m_stdvBattleShips) s->m_pBattleShip->FirePercent = 10.0f;
    column->m_stdvBattleShips[0]->m_pBattleShip->WaterPercent = 5.0f;
    // A screen with fewer fire lamps than flood lamps.
    h.m_stdvFireLamps.resize(1);
    h.UpdateShipsStates(column);
    size_t fire = 0, flood = 0;
    for (auto* l : h.m_stdvFireLamps) fire += l->IsVisible();
    for (auto* l : h.m_stdvFloodLamps) flood += l->IsVisible();
    EXPECT_EQ(fire, 1u);
    EXPECT_EQ(flood, 1u);
    h.ClearShipsStates();
    flood = 0;
    for (auto* l : h.m_stdvFloodLamps) flood += l->IsVisible();
    EXPECT_EQ(flood, 0u);
}

TEST_F(BattleHUD, ALossAheadOfTheCommandedShipMovesItsPlaceUp) {
    Human& h = *m_pHud;
    CVR3GAMEBattleMapShipsColumn* c0 = Column(0);
    ASSERT_GE(c0->m_stdvBattleShips.size(), 3u);
    CVR3GAMEBattleMapShip* second = c0->m_stdvBattleShips[1];
    CVR3GAMEBattleMapShip* third = c0->m_stdvBattleShips[2];
    h.m_pIcons[0]->SetSelected(2);
    m_session.Frames(2, false);
    ASSERT_EQ(h.m_iSelectedShip, IndexOf(third));
    ASSERT_EQ(h.m_iSelectedPosition, 2);
    // The leader goes down: the commanded ship is now second in line.
    ASSERT_TRUE(c0->RemoveShip(c0->m_stdvBattleShips[0]));
    BattleProcessingState::Get().m_dwLostShips = 1;
    m_session.Frames(1, false);
    EXPECT_EQ(h.m_iSelectedShip, IndexOf(third));
    EXPECT_EQ(h.m_iSelectedPage, 0);
    EXPECT_EQ(h.m_iSelectedPosition, 1);
    EXPECT_EQ(h.m_pIcons[0]->GetSelected(), 1);
    // The active marker stands over the commanded ship, not its neighbour.
    ASSERT_GE(h.m_stdvPlayerActiveMarkers.size(), 2u);
    EXPECT_TRUE(h.m_stdvPlayerActiveMarkers[1]->m_bVisible);
    EXPECT_EQ(h.m_stdvPlayerActiveMarkers[1]->m_pAttached, third->m_pSceneObject);
    EXPECT_EQ(Shown(h.m_stdvPlayerActiveMarkers), 1u);
    // Its icon is the second one now: a click on the first commands the new leader.
    h.m_pIcons[0]->SetSelected(0);
    m_session.Frames(2, false);
    EXPECT_EQ(h.m_iSelectedShip, IndexOf(second));
    EXPECT_EQ(h.m_iSelectedPosition, 0);
    EXPECT_TRUE(h.m_pDialogMovement->IsVisible());
    EXPECT_FALSE(h.m_pDialogMovementLock->IsVisible());
}

TEST_F(BattleHUD, AColumnSentBackIntoTheBattleAreaSaysSoAndReturnsUnderOrders) {
    Human& h = *m_pHud;
    // The third column's leader, commanded, stopped just outside the battle
    // area and heading away from it.
    CVR3GAMEBattleMapShipsColumn* c2 = Column(2);
    ASSERT_FALSE(c2->m_stdvBattleShips.empty());
    CVR3GAMEBattleMapShip* lone = c2->m_stdvBattleShips[0];
    Key(DIK_3, 2);
    ASSERT_EQ(h.m_iSelectedShip, IndexOf(lone));
    ASSERT_TRUE(h.m_pDialogMovement->IsVisible());
    D3DXMATRIX m;
    D3DXMatrixRotationY(&m, 3.1415927f);
    m._41 = 60.0f;
    m._43 = -106.0f;
    lone->m_pSceneObject->SetWorldMatrix(&m);
    lone->m_pSceneObject->m_bMoved = true;
    // The map check (every 2 s) sends it back: the lock panel says why.
    int frames = 0;
    while (!h.m_pDialogMovementLock->IsVisible() && frames < 200) {
        m_session.Frames(1, false);
        ++frames;
    }
    ASSERT_TRUE(h.m_pDialogMovementLock->IsVisible());
    EXPECT_FALSE(h.m_pDialogMovement->IsVisible());
    EXPECT_TRUE(c2->m_bReturning);
    ASSERT_NE(h.m_pLockText, nullptr);
    EXPECT_EQ(h.m_pLockText->GetText(), "Back to the battle area: the column steers itself.");
    // It turns about and steams back in; then the panel is the player's again.
    frames = 0;
    while (!h.m_pDialogMovement->IsVisible() && frames < 9000) {
        m_session.Frames(1, false);
        ++frames;
    }
    EXPECT_TRUE(h.m_pDialogMovement->IsVisible()) << "still outside after 180 s";
    EXPECT_FALSE(c2->m_bReturning);
    EXPECT_GE(lone->m_pSceneObject->m_mWorld._43, -100.0f);
    // A follower's lock keeps the screen's own text.
    h.m_pIcons[0]->SetSelected(1);
    m_session.Frames(2, false);
    EXPECT_TRUE(h.m_pDialogMovementLock->IsVisible());
    EXPECT_EQ(h.m_pLockText->GetText(), h.m_strLockFollower);
    EXPECT_EQ(h.m_strLockFollower, "The column follows its leader.");
}

TEST_F(BattleHUD, ASecondBattleOfTheMapGetsFreshMarkersAndIcons) {
    // Controls of the icon pages before the second battle: the second one
    // must not add a new set of icons beside the first.
    std::vector<size_t> controls;
    for (int p = 0; p < Human::kPages; ++p) controls.push_back(m_pHud->m_pDialogIconsPage[p]->m_vControls.size());
    m_session.Frames(30, false);
    // The map goes (ships, directors, scene tree) and is read again, as
    // between two battles of one session.
    m_pMap->Clear();
    m_session.Frames(2, true);
    CVR3GAMEBattleLog::Get().Clear();
    ASSERT_TRUE(m_io.LoadBattleMapFromFile("demo_human.btlmapxml", false, nullptr));
    Human* again = nullptr;
    for (CVR3GAMEBattleMapPlayerDirector* d : m_pMap->GetDirectors())
        if (auto* h = dynamic_cast<Human*>(d)) again = h;
    ASSERT_NE(again, nullptr);
    ASSERT_TRUE(CVR3GAMEManager::Get().StartBattle("battle_game"));
    ASSERT_TRUE(m_pMap->InitDirectorsBehaviours());
    m_session.Frames(30, true);
    EXPECT_EQ(again->m_iSelectedShip, 0);
    EXPECT_EQ(Shown(again->m_stdvPlayerActiveMarkers), 1u);
    EXPECT_EQ(again->m_pIcons[0]->m_vItems.size(), again->m_pPlayer->m_stdvColumns[0]->m_stdvBattleShips.size());
    for (int p = 0; p < Human::kPages; ++p) {
        EXPECT_EQ(again->m_pDialogIconsPage[p]->m_vControls.size(), controls[static_cast<size_t>(p)]) << p;
        // Icon i still commands ship i of its column.
        const CVR3GAMEBattleMapShipsColumn* c = again->m_pPlayer->m_stdvColumns[static_cast<size_t>(p)];
        ASSERT_EQ(again->m_pIcons[p]->m_vItems.size(), c->m_stdvBattleShips.size()) << p;
        for (size_t i = 0; i < c->m_stdvBattleShips.size(); ++i) {
            EXPECT_EQ(again->m_stdmIcons[c->m_stdvBattleShips[i]], again->m_pIcons[p]->m_vItems[i]) << p << " " << i;
            EXPECT_TRUE(again->m_pIcons[p]->m_vItems[i]->m_pText);
            if (again->m_pIcons[p]->m_vItems[i]->m_pText)
                EXPECT_EQ(again->m_pIcons[p]->m_vItems[i]->m_pText->GetText(), c->m_stdvBattleShips[i]->m_strName);
        }
    }
    m_pHud = again;
}

TEST_F(BattleHUD, AReleasedMapGUIKeepsNoMarkerTheManagerWillDelete) {
    Human& h = *m_pHud;
    m_session.Frames(5, false);
    ASSERT_FALSE(h.m_stdvPlayerActiveMarkers.empty());
    h.ReleaseMapGUI();
    // The 3D GUI manager deletes the markers at its next clear; a director
    // released before it must not keep pointers it would touch again.
    EXPECT_TRUE(h.m_stdvPlayerActiveMarkers.empty());
    EXPECT_TRUE(h.m_stdvPlayerPassiveMarkers.empty());
    for (const auto& v : h.m_stdvEnemyMarkers) EXPECT_TRUE(v.empty());
    if (auto* gui3d = dynamic_cast<Vorna3D::CVR3GUI3DManager*>(
            h.m_pScene->GetManager(Vorna3D::KEL_SCENE_GUI3D_MANAGER)))
        gui3d->Clear();
    h.ReleaseMapGUI();
}

TEST_F(BattleHUD, BindingIsByExactNameAndKindAndTheLaterControlWins) {
    const char* xml = R"(<Screen><Dialogs>
      <battle_game_timer><UniqueName>0</UniqueName><PositionType x="0" y="0"/><Borders l="0" t="0" r="100" b="40"/>
        <Controls>
          <Text><Name>Timer</Name><BordersLocal l="0" t="0" r="50" b="20"/><Font>Line</Font><Text>first</Text></Text>
          <Text><Name>Timer</Name><BordersLocal l="0" t="20" r="50" b="40"/><Font>Line</Font><Text>second</Text></Text>
        </Controls></battle_game_timer>
      <battle_game_compas><UniqueName>0</UniqueName><PositionType x="0" y="0"/><Borders l="0" t="0" r="40" b="40"/>
        <Controls><Image><Name>Compase</Name><BordersLocal l="0" t="0" r="40" b="40"/><Texture>Textures\panel.png</Texture></Image></Controls>
      </battle_game_compas>
      <battle_game_log><UniqueName>0</UniqueName><PositionType x="0" y="0"/><Borders l="0" t="0" r="100" b="40"/>
        <Controls><Text><Name>Close</Name><BordersLocal l="0" t="0" r="50" b="20"/><Font>Line</Font><Text>x</Text></Text></Controls>
      </battle_game_log>
    </Dialogs></Screen>)";
    TiXmlDocument doc;
    doc.Parse(xml);
    ASSERT_NE(doc.RootElement(), nullptr);
    Vorna3D::CVR3CIIScreen screen;
    ASSERT_TRUE(Vorna3D::CVR3CIIScreen::LoadFromElement(m_session.Screens(), doc.RootElement(), &screen, "hud_test"));
    Human other;
    ASSERT_TRUE(other.SetMapScreen(&screen));
    ASSERT_NE(other.m_pTimer, nullptr);
    EXPECT_EQ(other.m_pTimer->GetText(), "second");
    EXPECT_EQ(other.m_pDialogCompase, nullptr);
    EXPECT_EQ(other.m_pCompase, nullptr);
    EXPECT_NE(other.m_pDialogMapLog, nullptr);
    EXPECT_EQ(other.m_pLogClose, nullptr);
    // An empty screen is refused.
    Vorna3D::CVR3CIIScreen empty;
    EXPECT_FALSE(other.SetMapScreen(&empty));
    EXPECT_FALSE(other.SetMapScreen(nullptr));
    for (auto* e : screen.GetDialogEntries())
        if (e && e->pDialog) e->pDialog->m_bVisible = false;
}

} // namespace
