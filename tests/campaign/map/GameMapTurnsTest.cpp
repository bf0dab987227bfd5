// The game map's turn operations on the demo map, headless on an offscreen
// device: the column operations, the removal of lost units as they sink,
// and the reset of a map before a save of the same map is loaded.
#include "campaign/battle/CDX9KelBattleSystem.h"
#include "campaign/routes/CDX9KelColumnMovement.h"
#include "campaign/map/CDX9KelGameMap.h"
#include "campaign/routes/CDX9KelSeaPath.h"
#include "campaign/ai/CDX9KelAISystem.h"
#include "campaign/shell/GameMapSaveLink.h"
#include "campaign/save/GameRunState.h"
#include "campaign/save/GameSaveFile.h"
#include "engine2/core/CDX9KelApp.h"
#include "engine2/core/CDX9KelLog.h"
#include "engine2/core/render/CDX9KelRender.h"
#include "engine2/core/scene/CDX9KelSceneObject.h"
#include "engine2/ui/UISceneSlots.h"
#include "engine2/ui/sound/COALSoundData.h"
#include "engine2/ui/sound/COALSoundManager.h"
#include "engine2/ui/sound/COALSoundResource.h"
#include "engine2/ui/gui/CDX9KelGUIButton.h"
#include "engine2/ui/gui/CDX9KelGUIDialog.h"
#include "engine2/ui/gui/CDX9KelGUIEditBox.h"
#include "engine2/ui/gui/CDX9KelGUIListBox.h"
#include "engine2/ui/gui/CDX9KelGUIManager.h"
#include "engine2/ui/gui/CDX9KelGUIRadioList.h"
#include "engine2/ui/gui/CDX9KelGUIScrollBar.h"
#include "engine2/ui/gui/CDX9KelGUIText.h"
#include "engine2/world/particles/ParticleSceneSlot.h"
#include "engine2/world/physics/CDX9KelPhysicalManager.h"
#include "engine2/world/physics/PhysicsSceneSlot.h"
#include "platform/os/Paths.h"

#include "TestFolder.h"
#include "common/CampaignMapScene.h"
#include "common/DemoData.h"
#include "common/OffscreenDevice.h"

#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace VornaCampaign;

namespace {

class GameMapTurnsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { VornaTest::LinkDemoData(Platform::ProgramFolder()); }

    void SetUp() override {
        folder = VornaTest::FreshFolder();
        logPath = (folder / "VornaLog.log").string();
        Vorna2::g_Log.Reset();
        Vorna2::g_Log.SetCopyStream(nullptr);
        Vorna2::g_Log.Open(logPath);
        ASSERT_TRUE(dev.Create(320, 240));
        dev.m_pDevice->AddRef();
        render.m_pD3DDevice = dev.m_pDevice;
        render.m_iWidth = app.m_iWidth = 320;
        render.m_iHeight = app.m_iHeight = 240;
        app.m_hWnd = dev.m_hWnd;
        Vorna2::RegisterGUISceneSlot();
        Vorna2::RegisterScreenSceneSlot("");
        Vorna2::RegisterPhysicsSceneSlot();
        Vorna2::RegisterParticleSceneSlot();
        scene.m_pApp = &app;
        scene.m_pRender = &render;
        scene.m_mapName = "demo_strait.map";
        ASSERT_TRUE(scene.Init()) << Log();
        ASSERT_TRUE(scene.m_loaded) << Log();
    }
    void TearDown() override {
        g_BattleSystem.m_stdvSinking.clear();
        scene.Release();
        for (auto slot : {Vorna2::KEL_SCENE_GUI_MANAGER, Vorna2::KEL_SCENE_SCREEN_MANAGER,
                          Vorna2::KEL_SCENE_PHYSICAL_MANAGER, Vorna2::KEL_SCENE_PARTICLES_MANAGER})
            Vorna2::CDX9KelScene::RegisterManager(slot, nullptr);
        app.m_hWnd = nullptr;
        render.m_pD3DDevice = nullptr;
        dev.m_pDevice->Release();
        g_BattleSystem.SetMapLists({});
        Vorna2::g_Log.Reset();
    }
    CDX9KelGameMap& map() { return scene.m_map; }
    std::string Log() { return VornaTest::ReadText(logPath); }
    GameMapSide& player() { return map().Side(map().m_iPlayerSide); }

    std::filesystem::path folder;
    std::string logPath;
    VornaTest::OffscreenDevice dev;
    Vorna2::CDX9KelRender render;
    Vorna2::CDX9KelApp app;
    VornaTest::CampaignMapScene scene;
};

TEST_F(GameMapTurnsTest, ShipsLeaveTheirColumnsAndColumnsSplitAndGo) {
    GameMapSide& side = player();
    GameColumnRecord* column = side.m_GameObjects[0]->m_pColumn;
    ASSERT_NE(column, nullptr);
    ASSERT_EQ(column->m_Ships.size(), 3u);
    column->m_fTimeUsed = 120.0f;
    column->m_fCurrentSpeed = 1.5f;
    column->m_fOrderedSpeed = 1.7f;
    column->m_fRudder = 0.02f;
    const std::size_t columns = side.m_Columns.size();

    // The second ship of the column gets one of its own with the orders.
    Vorna2::CDX9KelSceneObject* second = column->m_Ships[1].m_pSceneObject;
    GameObjectRecord* secondRecord = column->m_Ships[1].m_pObject;
    ASSERT_TRUE(map().DetachShipFromColumn(second, secondRecord, &side.m_Columns));
    ASSERT_EQ(side.m_Columns.size(), columns + 1);
    GameColumnRecord* own = side.m_Columns.back();
    EXPECT_EQ(secondRecord->m_pColumn, own);
    ASSERT_EQ(own->m_Ships.size(), 1u);
    EXPECT_EQ(own->m_Ships[0].m_pSceneObject, second);
    EXPECT_EQ(column->m_Ships.size(), 2u);
    EXPECT_FLOAT_EQ(own->m_fTimeUsed, 120.0f);
    EXPECT_FLOAT_EQ(own->m_fCurrentSpeed, 1.5f);
    EXPECT_FLOAT_EQ(own->m_fOrderedSpeed, 1.7f);
    EXPECT_FLOAT_EQ(own->m_fRudder, 0.02f);

    // Alone in its column: nothing to detach.
    EXPECT_FALSE(map().DetachShipFromColumn(second, secondRecord, &side.m_Columns));
    EXPECT_EQ(side.m_Columns.size(), columns + 1);
    // A record that names a column not holding its ship creates no column
    // and takes no entry from that column.
    secondRecord->m_pColumn = column;
    EXPECT_FALSE(map().DetachShipFromColumn(second, secondRecord, &side.m_Columns));
    EXPECT_EQ(side.m_Columns.size(), columns + 1);
    EXPECT_EQ(column->m_Ships.size(), 2u);
    secondRecord->m_pColumn = own;

    // The four corvettes fall apart into four columns.
    GameColumnRecord* corvettes = side.m_GameObjects[3]->m_pColumn;
    ASSERT_EQ(corvettes->m_Ships.size(), 4u);
    EXPECT_TRUE(map().SplitColumn(corvettes, &side.m_Columns));
    EXPECT_EQ(corvettes->m_Ships.size(), 1u);
    EXPECT_EQ(side.m_Columns.size(), columns + 4);

    // A column that is not in the list is not removed; one that is goes,
    // and its ship forgets it.
    GameColumnRecord stranger;
    EXPECT_FALSE(map().RemoveColumnEntry(&stranger, &side.m_Columns));
    EXPECT_TRUE(map().RemoveColumnEntry(own, &side.m_Columns));
    EXPECT_EQ(secondRecord->m_pColumn, nullptr);
    EXPECT_EQ(side.m_Columns.size(), columns + 3);
}

TEST_F(GameMapTurnsTest, AFloodedShipSinksFrameByFrameAndThenLeavesTheMap) {
    GameMapSide& side = player();
    GameObjectRecord* record = side.m_GameObjects[1];
    Vorna2::CDX9KelSceneObject* object = side.m_SceneObjects[1];
    const std::string name = record->m_Unit.m_szName;
    const std::size_t units = side.m_GameObjects.size();
    const std::size_t icons = map().m_MapScreen.m_pIconList ? map().m_MapScreen.m_pIconList->m_Buttons.size() : 0;
    record->m_pBattleData->m_bAlive = 0;
    record->m_pBattleData->m_iDeathKind = DEATH_ROLL;
    g_BattleSystem.m_stdvSinking.push_back(object);
    object->m_mWorld._42 = 0.0f;
    // Nothing moves the ship on the waves here (the wave pass may skip it):
    // it settles and rolls over by itself, frame by frame.
    int frames = 0;
    while (map().FindGameObjectByName(name.c_str()).side > 0 && frames < 2000) {
        ASSERT_TRUE(map().ProcDeathQueue());
        ++frames;
        if (frames == 100) {
            EXPECT_LT(object->m_mWorld._42, 0.0f);
            const Vorna2::CDX9KelFloatRecord* f = map().PhysicsRecordOf(object);
            ASSERT_NE(f, nullptr);
            EXPECT_GT(std::fabs(f->m_fRollBias), 1.0f);
        }
    }
    EXPECT_GT(frames, 100) << "the ship sank before it reached -2.0";
    EXPECT_LT(frames, 2000);
    EXPECT_FALSE(map().ProcDeathQueue()) << "the sinking list is empty";
    EXPECT_EQ(side.m_GameObjects.size(), units - 1);
    EXPECT_EQ(side.m_SceneObjects.size(), units - 1);
    EXPECT_EQ(side.m_AnimatedModels.size(), units - 1);
    EXPECT_NE(Log().find("Player Unit destroy : " + name + "\n"), std::string::npos);
    // A lost unit counts its whole durability as the loss.
    EXPECT_GT(map().m_iPlayerLoss, 0);
    if (icons > 0) {
        EXPECT_EQ(map().m_MapScreen.m_pIconList->m_Buttons.size(), icons - 1);
    }
    EXPECT_EQ(CDX9KelGameMap::GetUnitDamageValue(nullptr), 0);
}

TEST_F(GameMapTurnsTest, ASaveOfTheSameMapKeepsTheTargetsAFullClearDoesNot) {
    ASSERT_FALSE(map().m_Params.m_stdvSide2Targets.empty());
    map().ClearMap(false);
    EXPECT_FALSE(map().IsMapLoaded());
    EXPECT_TRUE(map().Side(1).m_GameObjects.empty());
    EXPECT_TRUE(map().m_NoSideGameObjects.empty());
    EXPECT_EQ(map().m_Turn.m_uRound, 1u);
    EXPECT_EQ(g_AISystem.GetStep(), GAME_AI_STEP_DONE);
    EXPECT_FALSE(map().m_Params.m_stdvSide2Targets.empty()) << "a save of the same map does not read them again";
}

TEST_F(GameMapTurnsTest, AFullClearForgetsTheTargetsAndTheScenery) {
    map().ClearMap(true);
    EXPECT_FALSE(map().IsMapLoaded());
    EXPECT_TRUE(map().m_Params.m_stdvSide2Targets.empty());
    EXPECT_EQ(map().m_pWater, nullptr);
    // A second clear of no map does nothing.
    map().ClearMap(true);
    EXPECT_FALSE(map().IsMapLoaded());
}

TEST_F(GameMapTurnsTest, AnotherColumnCannotBeTakenWhileOneMoves) {
    ASSERT_TRUE(map().SetActivePlayerObject(0));
    GameObjectRecord* other = player().m_GameObjects[3];
    ASSERT_NE(other->m_pColumn, player().m_GameObjects[0]->m_pColumn);
    g_ColumnMovement.m_bMoving = true;
    EXPECT_FALSE(map().SetActivePlayerObject(3));
    EXPECT_EQ(map().m_Turn.m_iActivePlayerObject, 0);
    // A ship of the same column may be taken.
    EXPECT_TRUE(map().SetActivePlayerObject(1));
    g_ColumnMovement.m_bMoving = false;
    EXPECT_TRUE(map().SetActivePlayerObject(3));
    EXPECT_FALSE(map().SetActivePlayerObject(99));
}

// A route planned from the movement orders shows its markers on the sea; a
// column at rest with its rudder over gathers no way and gets no route to
// show; cleared routes show nothing.
TEST_F(GameMapTurnsTest, APlannedRouteShowsItsMarkers) {
    GameColumnRecord* column = player().m_GameObjects[0]->m_pColumn;
    ASSERT_NE(column, nullptr);
    column->m_fCurrentSpeed = 0.0f;
    column->m_fRudder = 0.0f;
    column->m_fOrderedSpeed = column->m_fSpeedLimit * 0.75f;
    ASSERT_TRUE(map().PlanColumnRoute(column));
    std::vector<const D3DXMATRIX*> markers;
    g_SeaPathGenerator.CollectMarkers(&markers);
    EXPECT_FALSE(markers.empty());

    column->m_fRudder = column->m_fTurnLimit;
    ASSERT_TRUE(map().PlanColumnRoute(column));
    g_SeaPathGenerator.CollectMarkers(&markers);
    EXPECT_TRUE(markers.empty());

    column->m_fRudder = 0.0f;
    ASSERT_TRUE(map().PlanColumnRoute(column));
    map().StopAllMovement();
    g_SeaPathGenerator.CollectMarkers(&markers);
    EXPECT_TRUE(markers.empty());
}

} // namespace

namespace {

TEST_F(GameMapTurnsTest, TheGlobalMapPlacesAMarkerPerLivingUnitAndShowsAUnitsPicture) {
    CDX9KelMapScreen& s = map().m_MapScreen;
    ASSERT_NE(s.m_GlobalMapControls.m_pDialog, nullptr);
    ASSERT_TRUE(map().ShowGlobalMap());
    EXPECT_TRUE(s.IsVisible(s.m_GlobalMap));
    EXPECT_TRUE(s.IsVisible(s.m_GlobalMapControls));
    const std::size_t players = player().m_GameObjects.size();
    const std::size_t enemies = map().Side(2).m_GameObjects.size();
    for (std::size_t i = 0; i < CDX9KelMapScreen::kPlayerMarkers; ++i)
        EXPECT_EQ(s.m_pPlayerMarkers[i]->m_bVisible, i < players) << i;
    for (std::size_t i = 0; i < CDX9KelMapScreen::kAIMarkers; ++i)
        EXPECT_EQ(s.m_pAIMarkers[i]->m_bVisible, i < enemies) << i;
    // A unit further east stands further right on the overview.
    const auto& objects = player().m_SceneObjects;
    std::size_t west = 0, east = 0;
    for (std::size_t i = 0; i < objects.size(); ++i) {
        if (objects[i]->m_mWorld._41 < objects[west]->m_mWorld._41) west = i;
        if (objects[i]->m_mWorld._41 > objects[east]->m_mWorld._41) east = i;
    }
    ASSERT_NE(west, east);
    EXPECT_LT(s.m_pPlayerMarkers[west]->m_Rect.left, s.m_pPlayerMarkers[east]->m_Rect.left);
    // Each marker is centred on its unit's place on the chart, the chart's
    // corner included (the map spans the scene box).
    const RECT& chart = s.m_GlobalMapControls.m_pDialog->m_Rect;
    ASSERT_GT(chart.left, 0);
    ASSERT_GT(chart.top, 0);
    for (std::size_t i = 0; i < objects.size(); ++i) {
        const RECT& m = s.m_pPlayerMarkers[i]->m_Rect;
        Vorna2::CDX9KelSceneObject* o = objects[i];
        const float fx = (o->m_mWorld._41 + o->m_vCenter.x - map().m_vSceneMin.x) / (map().m_vSceneMax.x - map().m_vSceneMin.x);
        const float fz = (o->m_mWorld._43 + o->m_vCenter.z - map().m_vSceneMin.z) / (map().m_vSceneMax.z - map().m_vSceneMin.z);
        EXPECT_NEAR((m.left + m.right) / 2.0f, chart.left + fx * (chart.right - chart.left), 2.0f) << i;
        EXPECT_NEAR((m.top + m.bottom) / 2.0f, chart.bottom - fz * (chart.bottom - chart.top), 2.0f) << i;
    }
    // A lost unit has no marker.
    map().Side(2).m_GameObjects[0]->m_pBattleData->m_bAlive = 0;
    ASSERT_TRUE(map().ShowGlobalMap());
    EXPECT_FALSE(s.m_pAIMarkers[0]->m_bVisible);

    // The unit's picture: 340 x 460 in the middle of the window, one at a time.
    ASSERT_TRUE(map().ShowUnitInfoDialog(player().m_GameObjects[0])) << Log();
    Vorna2::CDX9KelGUIManager* gui = s.GetGUI();
    const Vorna2::CDX9KelGUIDialog* info = gui->GetDialog(map().m_iUnitInfoDialog);
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->m_Rect.right - info->m_Rect.left, 340);
    EXPECT_EQ(info->m_Rect.bottom - info->m_Rect.top, 460);
    EXPECT_EQ(info->m_Rect.left, (gui->m_iClientWidth - 340) / 2);
    EXPECT_TRUE(info->m_bAutoInvisible);
    const int first = map().m_iUnitInfoDialog;
    ASSERT_TRUE(map().ShowUnitInfoDialog(player().m_GameObjects[1]));
    EXPECT_EQ(gui->GetDialog(first), nullptr) << "the previous picture went";
    GameObjectRecord mine;
    EXPECT_FALSE(map().ShowUnitInfoDialog(&mine)) << "a unit without texts has no picture";
}

TEST_F(GameMapTurnsTest, TheSaveMenuListsTheSavesAndShowsThePickedSavesHeader) {
    CDX9KelMapScreen& s = map().m_MapScreen;
    ASSERT_NE(s.m_SaveMenu.m_pDialog, nullptr);
    ASSERT_NE(s.m_pSaveList, nullptr);
    std::vector<std::string> saves = {"harbour", "strait turn 3"};
    int listed = 0;
    map().m_SaveLister = [&] {
        ++listed;
        return saves;
    };
    map().m_SaveHeaderReader = [](const std::string& name, GameSaveHeader* header) {
        if (name != "strait turn 3") return; // unreadable: the header stays cleared
        std::snprintf(header->m_szTime, sizeof header->m_szTime, "%s", "Fri Dec 11 04:00:00 2026");
        std::snprintf(header->m_szPlayerSideName, sizeof header->m_szPlayerSideName, "%s", "Northern Squadron");
        std::snprintf(header->m_szMapTitle, sizeof header->m_szMapTitle, "%s", "The Strait");
        std::snprintf(header->m_szMapName, sizeof header->m_szMapName, "%s", "demo_strait.map");
        header->m_iTurn = 3;
    };
    auto texts = [&] {
        std::vector<std::string> out;
        for (const Vorna2::CDX9KelGUIText* text : s.m_pSaveInfo) out.push_back(text->m_strText);
        return out;
    };
    const std::vector<std::string> empty(4);

    s.ShowOnTop(s.m_SaveMenu);
    s.m_pSaveName->SetText("left over");
    map().ProcSaveMenu();
    // The saves in order and an empty line for a new save, selected.
    ASSERT_EQ(s.m_pSaveList->m_Elements.size(), 3u);
    std::string element;
    s.m_pSaveList->m_Elements[1]->GetText(&element);
    EXPECT_EQ(element, "strait turn 3");
    EXPECT_EQ(s.m_pSaveList->m_iSelected, 2);
    EXPECT_EQ(map().ReadEditBoxText(s.m_pSaveName), "");
    EXPECT_EQ(texts(), empty);

    // A save picked from the list: its name to overwrite and its header.
    ASSERT_TRUE(s.m_pSaveList->SelectElement(1));
    map().ProcSaveMenu();
    EXPECT_EQ(map().ReadEditBoxText(s.m_pSaveName), "strait turn 3");
    EXPECT_EQ(texts(), (std::vector<std::string>{"Time : Fri Dec 11 04:00:00 2026", "State : Northern Squadron",
                                                 "Map : demo_strait.map", "Turn : 3"}));
    // A save whose header cannot be read shows no header.
    ASSERT_TRUE(s.m_pSaveList->SelectElement(0));
    map().ProcSaveMenu();
    EXPECT_EQ(map().ReadEditBoxText(s.m_pSaveName), "harbour");
    EXPECT_EQ(texts(), empty);
    map().ProcSaveMenu();
    EXPECT_EQ(listed, 1) << "the list is read once while the menu shows";

    // Shown again: a save made since is offered.
    s.Hide(s.m_SaveMenu);
    map().ProcSaveMenu();
    saves.push_back("cape");
    s.ShowOnTop(s.m_SaveMenu);
    map().ProcSaveMenu();
    EXPECT_EQ(listed, 2);
    EXPECT_EQ(s.m_pSaveList->m_Elements.size(), 4u);
    EXPECT_EQ(s.m_pSaveList->m_iSelected, 3);
}

} // namespace

namespace {

// Whether two ships of the column touch hull to hull, and which.
std::string TouchingPair(const GameColumnRecord& column) {
    for (std::size_t i = 0; i < column.m_Ships.size(); ++i)
        for (std::size_t j = i + 1; j < column.m_Ships.size(); ++j)
            if (Vorna2::CDX9KelPhysicalManager::HullsTouch(column.m_Ships[i].m_pSceneObject,
                                                         column.m_Ships[j].m_pSceneObject))
                return std::to_string(i) + "-" + std::to_string(j);
    return "";
}

// Columns ordered full ahead with a little rudder, turn after turn: the
// followers keep station behind the ship ahead, longer hulls than the
// spacing included, and no two ships of a column ever touch.
TEST_F(GameMapTurnsTest, AColumnFullAheadWithALittleRudderNeverTouchesItself) {
    struct Case {
        int unit;       // a ship of the column (monitors 0, corvettes 3)
        float rudder;   // share of the turning limit
    };
    for (const Case c : {Case{0, 0.16f}, Case{0, -0.16f}, Case{3, 0.16f}, Case{3, -0.16f}, Case{3, 0.0f}, Case{0, 1.0f}}) {
        SCOPED_TRACE(std::to_string(c.unit) + " rudder " + std::to_string(c.rudder));
        GameColumnRecord* column = player().m_GameObjects[static_cast<std::size_t>(c.unit)]->m_pColumn;
        ASSERT_NE(column, nullptr);
        ASSERT_GE(column->m_Ships.size(), 3u);
        ASSERT_EQ(TouchingPair(*column), "") << "the map places them apart";
        const D3DXMATRIX start = *column->m_Ships[0].m_pWorld;
        for (int turn = 0; turn < 5; ++turn) {
            CDX9KelColumnMovement::ResetColumnsForTurn({column});
            // From rest a column first gathers way on a straight course.
            column->m_fRudder = turn == 0 ? 0.0f : c.rudder * column->m_fTurnLimit;
            column->m_fOrderedSpeed = column->m_fSpeedLimit;
            ASSERT_TRUE(map().PlanColumnRoute(column));
            ASSERT_TRUE(g_ColumnMovement.AddColumn(column, g_SeaPathGenerator, map().m_Turn.m_iPlannedRoute));
            int frames = 0;
            for (; !g_ColumnMovement.m_Entries.empty() && frames < 20000; ++frames) {
                g_ColumnMovement.Update(1.0f);
                const std::string pair = TouchingPair(*column);
                ASSERT_EQ(pair, "") << "turn " << turn << " frame " << frames;
            }
            ASSERT_LT(frames, 20000);
            g_ColumnMovement.Update(1.0f);
        }
        // The column sailed: its leader is well away from where it began
        // (at full rudder it goes round in circles).
        const D3DXMATRIX& now = *column->m_Ships[0].m_pWorld;
        if (std::fabs(c.rudder) < 0.5f) EXPECT_GT(std::hypot(now._41 - start._41, now._43 - start._43), 40.0f);
    }
}

} // namespace

namespace {

// A game loaded with its running state: the movement panel shows the
// active column's orders at once, not the sliders of the map before.
TEST_F(GameMapTurnsTest, TheMovementPanelShowsTheActiveColumnsOrdersAfterALoad) {
    ASSERT_TRUE(map().SetActivePlayerObject(0));
    CDX9KelMapScreen& s = map().m_MapScreen;
    ASSERT_TRUE(s.m_pRudder && s.m_pSpeed);
    GameMapSaveLink link(&map());
    GameRunState state;
    ASSERT_TRUE(link.GetRunState(state));
    const GameColumnRecord* column = player().m_GameObjects[0]->m_pColumn;
    std::size_t at = 0;
    while (at < player().m_Columns.size() && player().m_Columns[at] != column) ++at;
    ASSERT_LT(at, state.m_Columns[map().m_iPlayerSide - 1].size());
    RunStateColumn& saved = state.m_Columns[map().m_iPlayerSide - 1][at];
    saved.m_fRudder = saved.m_fTurnLimit * 0.5f;
    saved.m_fOrderedSpeed = saved.m_fSpeedLimit;
    ASSERT_TRUE(link.SetRunState(state));
    EXPECT_NEAR(s.m_pRudder->m_iPosition, s.m_pRudder->m_iMaximum * 0.75, 1.0);
    EXPECT_EQ(s.m_pSpeed->m_iPosition, s.m_pSpeed->m_iMaximum);
}

} // namespace

namespace {

// A route planned for the whole turn uses the whole turn: the column is
// finished when it arrives, so the end of the turn is not refused for a
// sliver of movement time that no order can use.
TEST_F(GameMapTurnsTest, AColumnThatSailedItsRouteToItsEndHasUsedItsTurn) {
    for (const float rudder : {0.0f, 0.16f}) {
        SCOPED_TRACE(rudder);
        GameColumnRecord* column = player().m_GameObjects[3]->m_pColumn;
        CDX9KelColumnMovement::ResetColumnsForTurn({column});
        column->m_fCurrentSpeed = column->m_fSpeedLimit * 0.5f;
        column->m_fRudder = rudder * column->m_fTurnLimit;
        column->m_fOrderedSpeed = column->m_fSpeedLimit;
        ASSERT_TRUE(map().PlanColumnRoute(column));
        ASSERT_TRUE(g_ColumnMovement.AddColumn(column, g_SeaPathGenerator, map().m_Turn.m_iPlannedRoute));
        for (int frames = 0; !g_ColumnMovement.m_Entries.empty() && frames < 20000; ++frames) g_ColumnMovement.Update(1.0f);
        EXPECT_TRUE(map().m_Turn.IsColumnFinished(column->m_fTimeUsed)) << column->m_fTimeUsed;
        EXPECT_NEAR(column->m_fTimeUsed, map().m_Turn.m_fTurnMoveLimit, 0.5f);
    }
}

} // namespace

namespace {

// A ram and a mine are heard: each makes its one-shot sound where it
// happens, beside its particles.
TEST_F(GameMapTurnsTest, RamsAndMinesMakeTheirSounds) {
    Vorna2::COALSoundManager& sound = Vorna2::g_SoundManager;
    const std::filesystem::path ini = folder / "engine.ini";
    VornaTest::WriteText(ini, "[Sound Settings]\nMusicVolume=100\nEffectsVolume=100\n");
    if (!sound.Init(scene.m_pCameraManager, ini.string().c_str()) || !sound.IsOpen())
        GTEST_SKIP() << "no sound device (the null one of OpenAL Soft serves)";
    ASSERT_FALSE(g_BattleSystem.m_szRamSound.empty());
    ASSERT_FALSE(g_BattleSystem.m_szExplosionSound.empty());
    auto heard = [&](const std::string& file) {
        int n = 0;
        const std::string name = std::filesystem::path(Platform::ToSlashes(file)).filename().string();
        for (const Vorna2::COALSoundResource* r : sound.GetResources())
            if (r && r->m_pData && std::string(r->m_pData->m_szName).find(name) != std::string::npos) ++n;
        return n;
    };
    const int rams = heard(g_BattleSystem.m_szRamSound), explosions = heard(g_BattleSystem.m_szExplosionSound);

    Vorna2::CDX9KelContact ram;
    ram.m_pObjectB = player().m_SceneObjects[0];
    ram.m_pObjectA = map().Side(2).m_SceneObjects[0];
    ram.m_fAngleBToA = 0.0f;
    ram.m_fAngleAToB = 1.5f;
    ram.m_iKind = Vorna2::KEL_CONTACT_HULLS;
    EXPECT_FALSE(map().ProcContact(ram));
    EXPECT_EQ(heard(g_BattleSystem.m_szRamSound), rams + 1);

    ASSERT_FALSE(map().m_NoSideSceneObjects.empty());
    Vorna2::CDX9KelContact mine;
    mine.m_pObjectB = player().m_SceneObjects[3];
    mine.m_pObjectA = map().m_NoSideSceneObjects[0];
    mine.m_iKind = Vorna2::KEL_CONTACT_SMALL;
    EXPECT_TRUE(map().ProcContact(mine));
    EXPECT_EQ(heard(g_BattleSystem.m_szExplosionSound), explosions + 1);
    sound.ReleaseResources();
}

} // namespace
