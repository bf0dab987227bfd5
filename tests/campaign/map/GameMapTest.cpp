// The game map loading a map: the demo map as the game loads it, and small
// maps written byte by byte for the cases the map builder refuses to make
// (unknown sides, columns naming missing ships or mixing sides, units whose
// files are missing). The scene runs headless on an offscreen device with the
// GUI, screens, physics and particles the campaign has.
#include "campaign/map/CDX9KelAllMapsData.h"
#include "campaign/battle/CDX9KelBattleSystem.h"
#include "campaign/map/CDX9KelGameMap.h"
#include "campaign/routes/CDX9KelSeaPath.h"
#include "campaign/ai/CDX9KelAISystem.h"
#include "campaign/data/CDX9KelDataIO.h"
#include "engine2/core/CDX9KelApp.h"
#include "engine2/core/CDX9KelLog.h"
#include "engine2/core/render/CDX9KelBaseCamera.h"
#include "engine2/core/render/CDX9KelRender.h"
#include "engine2/core/resources/CDX9KelBaseGrapRes.h"
#include "engine2/core/resources/CDX9KelGraphicsResManager.h"
#include "engine2/core/scene/CDX9KelSceneObject.h"
#include "engine2/core/scene/CDXSceneTree.h"
#include "engine2/ui/UISceneSlots.h"
#include "engine2/ui/gui/CDX9KelGUIButton.h"
#include "engine2/ui/gui/CDX9KelGUIDialog.h"
#include "engine2/ui/gui/CDX9KelGUIImage.h"
#include "engine2/ui/gui/CDX9KelGUIRadioList.h"
#include "engine2/ui/gui/CDX9KelGUIText.h"
#include "engine2/ui/screens/CDX9KelCIIScreenManager.h"
#include "engine2/world/particles/ParticleSceneSlot.h"
#include "engine2/world/physics/PhysicsSceneSlot.h"
#include "platform/os/Paths.h"

#include "TestFolder.h"
#include "common/CampaignMapScene.h"
#include "common/DemoData.h"
#include "common/OffscreenDevice.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <tinyxml.h>
#include <string>
#include <vector>

using namespace VornaCampaign;
namespace fs = std::filesystem;

namespace {

// Bytes of a map file, field by field.
struct MapBytes {
    std::string b;
    MapBytes& U32(std::uint32_t v) {
        for (int i = 0; i < 4; ++i) b.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
        return *this;
    }
    MapBytes& F32(float f) {
        std::uint32_t u;
        std::memcpy(&u, &f, 4);
        return U32(u);
    }
    MapBytes& Text(const std::string& s) {
        std::string field = s;
        field.resize(40, '\0');
        b += field;
        return *this;
    }
    MapBytes& Matrix(float x, float z) {
        const float m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, 0, z, 1};
        for (float f : m) F32(f);
        return *this;
    }
    MapBytes& Header() {
        Text("Test Narrows");
        for (float f : {-200.f, -50.f, -200.f, 200.f, 100.f, 200.f, -150.f, 0.f, -150.f, 150.f, 0.f, 150.f}) F32(f);
        Text("c2sky.png").F32(900).F32(150).F32(0.5f).F32(0.4f).F32(0.3f).F32(0.2f);
        return Text("c2water.png").F32(1.5f).F32(0.1f).F32(0.2f).F32(0.3f);
    }
    MapBytes& Static(const std::string& name, const std::string& model) {
        return Text(name).Text(model).Text("").Text("").Text("c2model.fx").Text("").Text("");
    }
    MapBytes& Unit(const std::string& name, const std::string& side, const std::string& model = "c2monitor.x",
                   const std::string& description = "ship_a.xml") {
        return Text(name).Text(model).Text("").Text("").Text("c2model.fx").Text("").Text("").Text(description).Text(side);
    }
    MapBytes& Column(float speed, const std::vector<std::string>& ships) {
        F32(speed).U32(static_cast<std::uint32_t>(ships.size()));
        for (const std::string& s : ships) Text(s);
        return *this;
    }
};

struct PlacedUnit {
    std::string name, side, model, description;
};

std::string MapFile(const std::vector<PlacedUnit>& units, const std::vector<std::pair<float, std::vector<std::string>>>& columns) {
    MapBytes f;
    f.Header().U32(1).Static("Rock", "c2rock.x").Matrix(40, 40);
    f.U32(static_cast<std::uint32_t>(units.size()));
    for (const PlacedUnit& u : units) f.Unit(u.name, u.side, u.model.empty() ? "c2monitor.x" : u.model,
                                             u.description.empty() ? "ship_a.xml" : u.description);
    for (std::size_t i = 0; i < units.size(); ++i) f.Matrix(-100.0f + 12.0f * static_cast<float>(i), -60.0f);
    f.U32(static_cast<std::uint32_t>(columns.size()));
    for (const auto& c : columns) f.Column(c.first, c.second);
    return f.b;
}

const char* const kParameters = R"(<?xml version="1.0" ?>
<Main><RoundsCount>7</RoundsCount><MapTexture>Textures/strait_map.png</MapTexture>
<Destructions><Side1><Big_Ship/><!-- a comment adds nothing --></Side1></Destructions></Main>)";

class GameMapTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { VornaTest::LinkDemoData(Platform::ProgramFolder()); }

    void SetUp() override {
        folder = VornaTest::FreshFolder();
        logPath = (folder / "VornaLog.log").string();
        Vorna2::g_Log.Reset();
        Vorna2::g_Log.SetTimeTextSource(&FixedTime);
        Vorna2::g_Log.SetCopyStream(nullptr);
        Vorna2::g_Log.Open(logPath);
        ASSERT_TRUE(dev.Create(kWidth, kHeight));
        dev.m_pDevice->AddRef();
        render.m_pD3DDevice = dev.m_pDevice;
        render.m_iWidth = kWidth;
        render.m_iHeight = kHeight;
        app.m_hWnd = dev.m_hWnd;
        app.m_iWidth = kWidth;
        app.m_iHeight = kHeight;
        Vorna2::RegisterGUISceneSlot();
        Vorna2::RegisterScreenSceneSlot("");
        Vorna2::RegisterPhysicsSceneSlot();
        Vorna2::RegisterParticleSceneSlot();
        scene.m_pApp = &app;
        scene.m_pRender = &render;
        relative = fs::relative(folder, fs::path(Platform::ProgramFolder())).generic_string() + "/";
    }
    void TearDown() override {
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

    // The scene with its screen and graphic data, no map yet.
    void Start(int playerSide = 1) {
        scene.m_playerSide = playerSide;
        ASSERT_TRUE(scene.Init()) << Log();
        ASSERT_TRUE(scene.m_screenBound) << Log();
        ASSERT_TRUE(scene.m_graphicData) << Log();
    }
    // Writes a map file and its parameters into the test's folder and points
    // the map's two folders there.
    void PutMap(const std::string& bytes, const char* parameters = kParameters) {
        std::ofstream(folder / "test.map", std::ios::binary) << bytes;
        if (parameters) std::ofstream(folder / "test.WXMPARAM", std::ios::binary) << parameters;
        map().m_szMapsFolder = relative;
        map().m_szMapParamsFolder = relative;
    }
    CDX9KelGameMap& map() { return scene.m_map; }
    std::string Log() { return VornaTest::ReadText(logPath); }
    std::vector<std::string> Names(const std::vector<GameObjectRecord*>& list) {
        std::vector<std::string> out;
        for (const GameObjectRecord* o : list) out.push_back(o->m_Unit.m_szName);
        return out;
    }
    std::vector<std::string> ColumnShips(const GameColumnRecord* c) {
        std::vector<std::string> out;
        for (const ColumnShip& s : c->m_Ships) out.push_back(s.m_pObject->m_Unit.m_szName);
        return out;
    }
    std::size_t TreeObjects() { return scene.m_pSceneTree ? scene.m_pSceneTree->m_Objects.size() : 0; }

    static constexpr int kWidth = 320, kHeight = 240;
    static std::string FixedTime() { return "T"; }

    fs::path folder;
    std::string logPath;
    std::string relative;
    VornaTest::OffscreenDevice dev;
    Vorna2::CDX9KelRender render;
    Vorna2::CDX9KelApp app;
    VornaTest::CampaignMapScene scene;
};

} // namespace

TEST_F(GameMapTest, TheDemoMapLoadsWithItsSidesColumnsIconsAndScreen) {
    Start();
    ASSERT_TRUE(map().LoadMap("demo_strait.map")) << Log();
    const std::string log = Log();
    EXPECT_NE(log.find("CDX9KelGameMap::LoadMap() : demo_strait.map\n"), std::string::npos);
    EXPECT_NE(log.find("CDX9KelGameMap::InitView() : m_pWater->Init\n"), std::string::npos);
    EXPECT_NE(log.find("CDX9KelGameMap::InitView() : pSky->Init\n"), std::string::npos);
    // No saver is connected: the load says that no system save was written.
    EXPECT_NE(log.find("Error : CDX9KelGameMap::LoadMap() : Not create system map save\n"), std::string::npos);
    EXPECT_NE(log.find("CDX9KelGameMap::LoadMap() : OK\n"), std::string::npos);

    EXPECT_STREQ(map().m_szMapName, "demo_strait.map");
    EXPECT_STREQ(map().m_szMapTitle, "The Strait");
    EXPECT_EQ(map().m_Turn.m_uRound, 1u);
    EXPECT_EQ(map().m_Turn.m_uRoundsCount, 12u);
    EXPECT_EQ(map().m_Turn.m_iActivePlayerObject, 0);
    // The fort stands behind the ships; the enemy's lists keep file order.
    EXPECT_EQ(Names(map().Side(1).m_GameObjects),
              (std::vector<std::string>{"Aurora", "Boreas", "Cygnet", "Dauntless", "Eider", "Falcon", "Gannet",
                                        "Point Battery"}));
    EXPECT_EQ(Names(map().Side(2).m_GameObjects),
              (std::vector<std::string>{"Harrier", "Ibis", "Jackdaw", "Kestrel", "Lapwing", "Merlin", "Cliff Battery"}));
    EXPECT_EQ(Names(map().m_NoSideGameObjects), (std::vector<std::string>{"Mine 1", "Mine 2"}));
    for (int s = 1; s <= 2; ++s) {
        const GameMapSide& side = map().Side(s);
        ASSERT_EQ(side.m_SceneObjects.size(), side.m_GameObjects.size());
        ASSERT_EQ(side.m_AnimatedModels.size(), side.m_GameObjects.size());
        for (std::size_t i = 0; i < side.m_GameObjects.size(); ++i) {
            EXPECT_EQ(map().GetGameObject(side.m_SceneObjects[i]), side.m_GameObjects[i]);
            EXPECT_NE(side.m_AnimatedModels[i], nullptr);
        }
    }
    // Four scenery objects, fifteen units of the sides, two mines.
    EXPECT_EQ(TreeObjects(), 4u + 15u + 2u);
    // Funnel smoke from every "pipe" frame: the monitor has one funnel, the
    // corvette two, the fort none.
    const std::size_t smoke[] = {1, 1, 1, 2, 2, 2, 2, 0};
    for (std::size_t i = 0; i < 8; ++i) {
        const Vorna2::CDX9KelSceneObject* o = map().Side(1).m_SceneObjects[i];
        EXPECT_EQ(o->m_pParticleSystems ? o->m_pParticleSystems->m_Systems.size() : 0u, smoke[i]) << i;
    }

    // Columns: the file's speed 0 becomes 1.733, then capped by the slowest
    // ship (1.6); the reduced speed is three quarters of the limit.
    ASSERT_EQ(map().Side(1).m_Columns.size(), 2u);
    ASSERT_EQ(map().Side(2).m_Columns.size(), 2u);
    const GameColumnRecord* monitors = map().Side(1).m_Columns[0];
    EXPECT_EQ(ColumnShips(monitors), (std::vector<std::string>{"Aurora", "Boreas", "Cygnet"}));
    EXPECT_FLOAT_EQ(monitors->m_fSpeedLimit, 1.6f);
    EXPECT_FLOAT_EQ(monitors->m_fStoredSpeed, 1.6f);
    EXPECT_FLOAT_EQ(monitors->m_fReducedSpeed, 1.2f);
    const GameColumnRecord* corvettes = map().Side(1).m_Columns[1];
    EXPECT_FLOAT_EQ(corvettes->m_fStoredSpeed, 2.0f);
    EXPECT_EQ(map().GetColumnOfSceneObject(map().Side(1).m_SceneObjects[4]), corvettes);
    EXPECT_EQ(map().GetColumnOfSceneObject(map().Side(1).m_SceneObjects[7]), nullptr); // the fort

    // The icon row: seven ships, icon i at 1.09 + 10.09 i percent of the
    // dialog; the flags of units with a column shown; the turn text.
    ASSERT_NE(map().m_MapScreen.m_pIconList, nullptr);
    ASSERT_EQ(map().m_MapScreen.m_pIconList->m_Buttons.size(), 7u);
    const RECT& d = map().m_MapScreen.m_Icons.m_pDialog->m_Rect;
    const float w = static_cast<float>(d.right - d.left), h = static_cast<float>(d.bottom - d.top);
    for (int i : {0, 6}) {
        const RECT& r = map().m_MapScreen.m_pIconList->m_Buttons[static_cast<std::size_t>(i)]->m_Rect;
        EXPECT_NEAR(r.left, d.left + w * (1.09f + 10.09f * static_cast<float>(i)) / 100.0f, 1.0f);
        EXPECT_NEAR(r.right, d.left + w * (9.2f + 10.09f * static_cast<float>(i)) / 100.0f, 1.0f);
        EXPECT_NEAR(r.top, d.top + h * 4.16f / 100.0f, 1.0f);
        EXPECT_NEAR(r.bottom, d.top + h * 97.5f / 100.0f, 1.0f);
    }
    EXPECT_EQ(map().m_MapScreen.m_pTurnText->m_strText, "1/12");
    for (int i = 0; i < CDX9KelGameMap::kMaxIcons; ++i) EXPECT_EQ(map().m_MapScreen.m_pIconFlags[i]->m_bVisible, i < 7) << i;
    EXPECT_GE(map().m_iGlobalMapImage, 0);

    // The ships (the units with a movement-state record) float in the
    // physical manager; the battle system has the side lists.
    EXPECT_EQ(Vorna2::GetPhysicalManager(&scene)->m_Objects.size(), 13u);
    EXPECT_EQ(g_BattleSystem.m_MapLists.m_pGameObjects[0], &map().Side(1).m_GameObjects);
    EXPECT_EQ(g_BattleSystem.m_MapLists.m_pAnimatedModels[1], &map().Side(2).m_AnimatedModels);
    EXPECT_NE(g_BattleSystem.m_MapLists.m_pParticles, nullptr);
    // The camera's target stays over the map area.
    auto* camera = dynamic_cast<Vorna2::CDX9KelGlobalCamera*>(scene.m_pCameraManager->GetActiveCamera());
    ASSERT_NE(camera, nullptr);
    EXPECT_FLOAT_EQ(camera->m_fMinX, -300.0f);
    EXPECT_FLOAT_EQ(camera->m_fMaxZ, 300.0f);
}

TEST_F(GameMapTest, ReleaseEmptiesTheMapAndKeepsTheSelectionPlanesForTheNextMap) {
    Start();
    ASSERT_TRUE(map().LoadMap("demo_strait.map")) << Log();
    Vorna2::CDX9KelGraphicsResManager* resources = scene.m_pGrahResManager;
    // Water, sky and the 41 selection planes.
    EXPECT_EQ(resources->m_GrapRes.size(), 2u + 41u);
    map().m_Turn.m_uRound = 5;
    map().Release();
    EXPECT_FALSE(map().IsMapLoaded());
    EXPECT_EQ(map().m_Turn.m_uRound, 1u);
    EXPECT_EQ(map().m_iPlayerSide, -1);
    EXPECT_EQ(map().m_Turn.m_iActivePlayerObject, -1);
    EXPECT_EQ(map().m_pWater, nullptr);
    EXPECT_EQ(map().m_pPlayerGameObjects, nullptr);
    EXPECT_NE(map().m_pEnemyGameObjects, nullptr);
    for (int s = 1; s <= 2; ++s) {
        EXPECT_TRUE(map().Side(s).m_GameObjects.empty());
        EXPECT_TRUE(map().Side(s).m_Columns.empty());
    }
    EXPECT_TRUE(map().m_NoSideGameObjects.empty());
    EXPECT_TRUE(map().m_Params.m_stdvSide1Targets.empty());
    EXPECT_EQ(TreeObjects(), 0u);
    EXPECT_TRUE(Vorna2::GetPhysicalManager(&scene)->m_Objects.empty());
    EXPECT_EQ(resources->m_GrapRes.size(), 41u);

    // The next map is built on the same scene, with the icon row emptied
    // and the player's side set again.
    ASSERT_TRUE(map().ResetIconsDialog());
    EXPECT_TRUE(map().m_MapScreen.m_pIconList->m_Buttons.empty());
    ASSERT_TRUE(map().SetPlayerSide(2));
    ASSERT_TRUE(map().LoadMap("demo_cape.map")) << Log();
    EXPECT_EQ(resources->m_GrapRes.size(), 2u + 41u);
    EXPECT_EQ(map().m_pPlayerGameObjects, &map().Side(2).m_GameObjects);
    std::size_t ships = 0;
    for (const GameObjectRecord* o : map().Side(2).m_GameObjects) ships += o->m_pMovement ? 1 : 0;
    EXPECT_EQ(map().m_MapScreen.m_pIconList->m_Buttons.size(), ships);
}

TEST_F(GameMapTest, PlayerSideIsSetOnlyBeforeAMapAndOnlyToAPlayingSide) {
    for (int bad : {0, 3, -1}) EXPECT_FALSE(scene.m_map.SetPlayerSide(bad));
    EXPECT_EQ(scene.m_map.m_pPlayerGameObjects, nullptr);
    ASSERT_TRUE(scene.m_map.SetPlayerSide(2));
    EXPECT_EQ(scene.m_map.m_pPlayerSceneObjects, &scene.m_map.Side(2).m_SceneObjects);
    EXPECT_EQ(scene.m_map.m_pPlayerColumns, &scene.m_map.Side(2).m_Columns);
    EXPECT_EQ(scene.m_map.m_pEnemyAnimatedModels, &scene.m_map.Side(1).m_AnimatedModels);
    EXPECT_EQ(scene.m_map.m_pEnemyGameObjects, &scene.m_map.Side(1).m_GameObjects);
    std::strcpy(scene.m_map.m_szMapName, "loaded.map");
    EXPECT_FALSE(scene.m_map.SetPlayerSide(1));
    EXPECT_EQ(scene.m_map.m_iPlayerSide, 2);
    scene.m_map.m_szMapName[0] = 0;
}

TEST_F(GameMapTest, UnitsThatCannotBeBuiltAreLeftOutAndTheListsStayParallel) {
    Start();
    const std::vector<std::string> lostPlayer{"Lost_Mine", "Lost_Own"}, lostAI{"Lost_Enemy", "Kept_Own"};
    map().SetLostUnitLists(&lostPlayer, &lostAI);
    PutMap(MapFile({{"Aurora", "SIDE1", "", ""},
                    {"Nobody", "SIDE9", "", ""},
                    {"Blank", "", "", ""},
                    {"No_Model", "SIDE1", "nothere.x", ""},
                    {"No_Description", "SIDE2", "", "nothere.xml"},
                    {"No_Animation", "SIDE1", "c2ship_lod0.x", ""},
                    {"Lost_Own", "SIDE1", "", ""},
                    {"Kept_Own", "SIDE1", "", ""},
                    {"Lost_Enemy", "SIDE2", "", ""},
                    {"Lost_Mine", "UNSIDE", "c2mine.x", "mine.xml"},
                    {"Harrier", "SIDE2", "", ""}},
                   {}));
    ASSERT_TRUE(map().LoadMap("test.map")) << Log();
    const std::string log = Log();
    for (const char* line :
         {"Error : CDX9KelGameMap::CreateDynamicObject() : not detect game side for unit : Nobody\n",
          "Error : CDX9KelGameMap::CreateDynamicObject() : not detect game side for unit : Blank\n",
          "Error : CDX9KelGameMap::CreateDynamicObject() :\nModel : Models\\Units\\nothere.x\n",
          "Error : CEditorView::CreateObject : LoadGameObjectXML == false\n",
          "Error : CDX9KelGameMap::CreateDynamicObject() : pAnimatedModel->CreateAnimatedModel : ",
          "CDX9KelGameMap::CreateDynamicObject() : unit destroyed during scenario : Lost_Own\n",
          "CDX9KelGameMap::CreateDynamicObject() : unit destroyed during scenario : Lost_Enemy\n"})
        EXPECT_NE(log.find(line), std::string::npos) << line;
    // A lost name only counts for its own side; a unit of no side is never
    // taken as lost.
    EXPECT_EQ(Names(map().Side(1).m_GameObjects), (std::vector<std::string>{"Aurora", "No_Animation", "Kept_Own"}));
    EXPECT_EQ(Names(map().Side(2).m_GameObjects), (std::vector<std::string>{"Harrier"}));
    EXPECT_EQ(Names(map().m_NoSideGameObjects), (std::vector<std::string>{"Lost_Mine"}));
    // The unit without animation data keeps its place with a null entry.
    const GameMapSide& side1 = map().Side(1);
    ASSERT_EQ(side1.m_AnimatedModels.size(), 3u);
    EXPECT_NE(side1.m_AnimatedModels[0], nullptr);
    EXPECT_EQ(side1.m_AnimatedModels[1], nullptr);
    EXPECT_EQ(side1.m_SceneObjects.size(), 3u);
    // The unit without its description left no object on the map: the
    // rock, three own units, Harrier and the mine.
    EXPECT_EQ(TreeObjects(), 1u + 3u + 1u + 1u);
}

TEST_F(GameMapTest, ColumnsKeepTheShipsTheyFindOfTheirFirstSide) {
    Start();
    PutMap(MapFile({{"A1", "SIDE1", "", ""},
                    {"A2", "SIDE1", "", ""},
                    {"A3", "SIDE1", "c2corvette.x", "ship_b.xml"},
                    {"B1", "SIDE2", "", ""},
                    {"B2", "SIDE2", "", ""},
                    {"Fort", "SIDE2", "c2fort.x", "fort.xml"}},
                   {{0.0f, {"Ghost", "A1"}},
                    {3.0f, {"Ghost", "Phantom"}},
                    {2.0f, {"B1", "A2", "Fort", "B2"}},
                    {0.0f, {"A3", "A1"}},
                    {5.0f, {}}}));
    ASSERT_TRUE(map().LoadMap("test.map")) << Log();
    const std::string log = Log();
    EXPECT_NE(log.find("Warning : CDX9KelGameMap::CreateColumn : not found column ship : Ghost\n"), std::string::npos);
    EXPECT_NE(log.find("Warning : CDX9KelGameMap::CreateColumn : not found column ship : Phantom\n"), std::string::npos);
    EXPECT_NE(log.find("Error : CDX9KelGameMap::CreateColumn : ships column consists of the different sides\n"),
              std::string::npos);
    // A fort named in a column stays where it is.
    EXPECT_NE(log.find("Warning : CDX9KelGameMap::CreateColumn : unit cannot move : Fort\n"), std::string::npos);
    ASSERT_EQ(map().Side(1).m_Columns.size(), 2u);
    ASSERT_EQ(map().Side(2).m_Columns.size(), 1u);
    EXPECT_EQ(ColumnShips(map().Side(1).m_Columns[0]), (std::vector<std::string>{"A1"}));
    EXPECT_EQ(ColumnShips(map().Side(2).m_Columns[0]), (std::vector<std::string>{"B1", "B2"}));
    // A ship already in a column stays there; the corvette's column takes
    // its own speed limit (2.2) and the default speed 1.733.
    const GameColumnRecord* corvette = map().Side(1).m_Columns[1];
    EXPECT_EQ(ColumnShips(corvette), (std::vector<std::string>{"A3"}));
    EXPECT_FLOAT_EQ(corvette->m_fStoredSpeed, 1.733f);
    EXPECT_FLOAT_EQ(corvette->m_fReducedSpeed, 0.75f * 2.9f);
    EXPECT_EQ(map().Side(1).m_GameObjects[0]->m_pColumn, map().Side(1).m_Columns[0]);
    EXPECT_EQ(map().Side(1).m_GameObjects[1]->m_pColumn, nullptr); // A2 went to no column
    // An empty column record builds nothing.
    MapColumnRecord empty;
    EXPECT_FALSE(map().CreateColumn(&empty));
    EXPECT_FALSE(map().CreateColumn(nullptr));
}

TEST_F(GameMapTest, FortsGoBehindTheShipsAndEveryShipKeepsItsColumnAndModel) {
    Start();
    PutMap(MapFile({{"Fort_A", "SIDE1", "c2fort.x", "fort.xml"},
                    {"Ship_A", "SIDE1", "", ""},
                    {"Fort_B", "SIDE1", "c2fort.x", "fort.xml"},
                    {"Ship_B", "SIDE1", "c2corvette.x", "ship_b.xml"},
                    {"Ship_C", "SIDE1", "", ""}},
                   {{0.0f, {"Ship_B"}}, {0.0f, {"Ship_C", "Ship_A"}}}));
    ASSERT_TRUE(map().LoadMap("test.map")) << Log();
    const GameMapSide& side = map().Side(1);
    EXPECT_EQ(Names(side.m_GameObjects), (std::vector<std::string>{"Ship_A", "Ship_B", "Ship_C", "Fort_A", "Fort_B"}));
    // The lists moved together: each scene object still stands where its
    // unit was placed (unit i of the file at x = -100 + 12 i).
    const float x[] = {-88.0f, -64.0f, -52.0f, -100.0f, -76.0f};
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_FLOAT_EQ(side.m_SceneObjects[i]->m_mWorld._41, x[i]) << i;
        EXPECT_EQ(map().GetGameObject(side.m_SceneObjects[i]), side.m_GameObjects[i]);
    }
    // The animated models moved with their units: the corvette's towers
    // turn one gun each, the monitors' two.
    ASSERT_FALSE(side.m_AnimatedModels[1]->m_stdvTowers.empty());
    EXPECT_EQ(side.m_AnimatedModels[1]->m_stdvTowers[0].m_stdvGuns.size(), 1u);
    EXPECT_EQ(side.m_AnimatedModels[0]->m_stdvTowers[0].m_stdvGuns.size(), 2u);
    EXPECT_EQ(map().GetColumnOfSceneObject(side.m_SceneObjects[0]), side.m_Columns[1]);
    EXPECT_EQ(map().GetColumnOfSceneObject(side.m_SceneObjects[1]), side.m_Columns[0]);
    EXPECT_EQ(map().GetColumnOfSceneObject(side.m_SceneObjects[2]), side.m_Columns[1]);
    EXPECT_EQ(map().GetColumnOfSceneObject(side.m_SceneObjects[3]), nullptr);
    // Three icons, for the ships only.
    EXPECT_EQ(map().m_MapScreen.m_pIconList->m_Buttons.size(), 3u);
}

TEST_F(GameMapTest, LookupsAnswerBySideAndIndexAndLeaveUnitsOfNoSideToTheirOwn) {
    Start();
    ASSERT_TRUE(map().LoadMap("demo_strait.map")) << Log();
    const GameMapPlace ibis = map().FindGameObjectByName("Ibis");
    EXPECT_EQ(ibis.side, 2);
    EXPECT_EQ(ibis.index, 1);
    const GameMapPlace none = map().FindGameObjectByName("Mine 1");
    EXPECT_EQ(none.side, -1);
    EXPECT_EQ(none.index, -1);
    EXPECT_EQ(map().FindGameObjectByName("ibis").side, -1);
    EXPECT_EQ(map().FindGameObjectByName(nullptr).side, -1);

    Vorna2::CDX9KelSceneObject* ibisObject = map().Side(2).m_SceneObjects[1];
    const GameMapPlace found = map().FindSideObject(ibisObject);
    EXPECT_EQ(found.side, 2);
    EXPECT_EQ(found.index, 1);
    EXPECT_EQ(map().FindNoSideObject(ibisObject), -1);
    Vorna2::CDX9KelSceneObject* mine = map().m_NoSideSceneObjects[1];
    EXPECT_EQ(map().FindSideObject(mine).side, -1);
    EXPECT_EQ(map().FindNoSideObject(mine), 1);
    EXPECT_EQ(map().GetGameObject(mine), map().m_NoSideGameObjects[1]);
    EXPECT_EQ(map().GetColumnOfSceneObject(mine), nullptr);
    EXPECT_EQ(map().GetGameObject(nullptr), nullptr);
}

TEST_F(GameMapTest, LoadFailuresNameTheirStep) {
    Start();
    map().m_szMapsFolder = relative;
    map().m_szMapParamsFolder = relative;
    EXPECT_FALSE(map().LoadMap("missing.map"));
    EXPECT_NE(Log().find("Error : CDX9KelGameMap::LoadMap() : ReadGameMap == false\n"), std::string::npos);
    map().Release();
    ASSERT_TRUE(map().SetPlayerSide(1));

    // A map without its parameter file.
    PutMap(MapFile({{"Aurora", "SIDE1", "", ""}}, {}), nullptr);
    EXPECT_FALSE(map().LoadMap("test.map"));
    EXPECT_NE(Log().find("Error : CDX9KelGameMap::LoadMapParameters : xml file not read : "), std::string::npos);
    EXPECT_NE(Log().find("Error : CDX9KelGameMap::LoadMap() : LoadMapParameters == false\n"), std::string::npos);
    map().Release();
    ASSERT_TRUE(map().SetPlayerSide(1));

    // A damaged scene box, 400 km across: refused at once, not subdivided.
    {
        std::string bytes = MapFile({{"Aurora", "SIDE1", "", ""}}, {});
        const float box[6] = {-200000.f, -50.f, -200000.f, 200000.f, 100.f, 200000.f};
        std::memcpy(&bytes[40], box, sizeof box);
        PutMap(bytes);
        EXPECT_FALSE(map().LoadMap("test.map"));
        EXPECT_NE(Log().find("Error : CDXSceneTree : CreateEmptySceneTree : box too large for the node size"),
                  std::string::npos);
        EXPECT_NE(Log().find("Error : CDX9KelGameMap::InitView() : m_pScene->CreateSceneTree == false\n"),
                  std::string::npos);
        map().Release();
        ASSERT_TRUE(map().SetPlayerSide(1));
    }

    // More units on the player's side than the icon row and the global map
    // can take.
    std::vector<PlacedUnit> many;
    for (int i = 0; i < CDX9KelGameMap::kMaxPlayerObjects + 1; ++i)
        many.push_back({"Unit_" + std::to_string(i), "SIDE1", "c2fort.x", "fort.xml"});
    PutMap(MapFile(many, {}));
    EXPECT_FALSE(map().LoadMap("test.map"));
    EXPECT_NE(Log().find("Error : CDX9KelGameMap::CreateIcons() : number of player objects exceeds 10\n"),
              std::string::npos);
    EXPECT_NE(Log().find("Error : CDX9KelGameMap::LoadMap() : CreateIcons == false\n"), std::string::npos);
}

TEST_F(GameMapTest, MapParametersGiveRoundsTargetsAndTasks) {
    Start();
    PutMap(MapFile({{"Aurora", "SIDE1", "", ""}}, {}));
    ASSERT_TRUE(map().LoadMap("test.map")) << Log();
    EXPECT_EQ(map().m_Turn.m_uRoundsCount, 7u);
    EXPECT_EQ(map().m_Params.m_stdvSide1Targets, std::vector<std::string>{"Big Ship"});
    EXPECT_TRUE(map().m_Params.m_stdvSide2Targets.empty());
    EXPECT_EQ(map().m_Params.m_pTasks, nullptr);
    EXPECT_EQ(map().m_MapScreen.m_pTurnText->m_strText, "1/7");
    // A map without a loaded name reads nothing.
    CDX9KelGameMap bare;
    EXPECT_FALSE(bare.LoadMapParameters());
}

TEST_F(GameMapTest, ASaveOfTheSameMapRebuildsTheUnitsButNotTheScenery) {
    Start();
    ASSERT_TRUE(map().LoadMap("demo_strait.map")) << Log();
    // The save: every unit's record and placement as they stand, and the
    // columns by name.
    GameMapSaveData save;
    std::strcpy(save.m_szMapName, "demo_strait.map");
    save.m_uRound = 4;
    save.m_iActiveObject = 2;
    auto take = [&](std::vector<Vorna2::CDX9KelSceneObject*>& objects, std::vector<GameObjectRecord*>& records,
                    std::vector<GameMapSavedObject>& out) {
        for (std::size_t i = 0; i < records.size(); ++i) {
            GameMapSavedObject saved;
            saved.m_pObject.reset(records[i]);
            saved.m_pObject->m_pColumn = nullptr;
            saved.m_mWorld = objects[i]->m_mWorld;
            out.push_back(std::move(saved));
            scene.DeleteSceneObject(objects[i], true);
        }
        objects.clear();
        records.clear();
    };
    for (int s = 1; s <= 2; ++s) {
        GameMapSide& side = map().Side(s);
        for (GameColumnRecord* c : side.m_Columns) {
            MapColumnRecord record;
            record.m_fSpeed = c->m_fStoredSpeed;
            record.m_fMovementUsed = 40.0f;
            for (const ColumnShip& ship : c->m_Ships) record.m_stdvShipNames.push_back(ship.m_pObject->m_Unit.m_szName);
            (s == 1 ? save.m_Side1Columns : save.m_Side2Columns).push_back(record);
            delete c;
        }
        side.m_Columns.clear();
        for (CDX9KelAnimatedModel* a : side.m_AnimatedModels) delete a;
        side.m_AnimatedModels.clear();
        take(side.m_SceneObjects, side.m_GameObjects, s == 1 ? save.m_Side1 : save.m_Side2);
    }
    take(map().m_NoSideSceneObjects, map().m_NoSideGameObjects, save.m_NoSide);
    ASSERT_TRUE(map().ResetIconsDialog());

    Vorna2::CDX9KelActiveWater* water = map().m_pWater;
    const int globalImage = map().m_iGlobalMapImage;
    const std::size_t resources = scene.m_pGrahResManager->m_GrapRes.size();
    ASSERT_EQ(TreeObjects(), 4u);
    ASSERT_TRUE(map().LoadFromSave(&save, false)) << Log();
    EXPECT_NE(Log().find("CDX9KelGameMap::LoadFromSave() : OK\n"), std::string::npos);
    // Scenery, water, sky and the chart's picture stay as they were.
    EXPECT_EQ(map().m_pWater, water);
    EXPECT_EQ(map().m_iGlobalMapImage, globalImage);
    EXPECT_EQ(scene.m_pGrahResManager->m_GrapRes.size(), resources);
    EXPECT_EQ(TreeObjects(), 4u + 15u + 2u);
    EXPECT_EQ(map().m_Turn.m_uRound, 4u);
    EXPECT_EQ(map().m_Turn.m_iActivePlayerObject, 2);
    EXPECT_EQ(map().m_MapScreen.m_pTurnText->m_strText, "4/12");
    // The targets were read again with the parameters.
    EXPECT_EQ(map().m_Params.m_stdvSide2Targets.size(), 2u);
    EXPECT_EQ(Names(map().Side(1).m_GameObjects).back(), "Point Battery");
    ASSERT_EQ(map().Side(1).m_Columns.size(), 2u);
    EXPECT_FLOAT_EQ(map().Side(1).m_Columns[0]->m_fTimeUsed, 40.0f);
    EXPECT_EQ(map().m_MapScreen.m_pIconList->m_Buttons.size(), 7u);
    EXPECT_EQ(Vorna2::GetPhysicalManager(&scene)->m_Objects.size(), 13u);
}

TEST(AllMapsDataFile, CursorsRepeatTheEntryBeforeAndOptionalSectionsStopAtTheFirstMissing) {
    AllMapsDataFile f;
    ASSERT_TRUE(ReadAllMapsDataText(R"(<Main><Cursors><Select>s.cur</Select><Wait>w.cur</Wait></Cursors>
        <Textures><CanMove>g.png</CanMove><Target>r.png</Target></Textures>
        <Path><Model>m.x</Model></Path><Sounds><Sea>sea.ogg</Sea></Sounds></Main>)",
                                    &f));
    EXPECT_TRUE(f.m_bCursors);
    const std::string cursors[] = {"", "s.cur", "s.cur", "s.cur", "w.cur"};
    for (int i = 0; i < AllMapsDataFile::kCursors; ++i) EXPECT_EQ(f.m_Cursors[i], cursors[i]) << i;
    EXPECT_TRUE(f.m_bTextures);
    EXPECT_EQ(f.m_iMissingTexture, 1);
    // No Camera: nothing after it is taken, though Path and Sounds are there.
    EXPECT_EQ(f.m_FirstMissing, "Camera");
    EXPECT_FALSE(f.m_bCamera);
    EXPECT_FALSE(f.m_bPath);
    EXPECT_TRUE(f.m_PathModel.empty());
    EXPECT_FALSE(f.m_bSounds);

    ASSERT_TRUE(ReadAllMapsDataText(R"(<Main><Camera><MinHeight>20</MinHeight><MaxAngle>x</MaxAngle></Camera>
        <Path><Model>m.x</Model></Path><ParticleSystems><Fire>f.ini</Fire></ParticleSystems>
        <Sounds/><Inscription><Damage3>)" + std::string(60, 'D') + R"(</Damage3></Inscription></Main>)",
                                    &f));
    EXPECT_FALSE(f.m_bCursors);
    EXPECT_FLOAT_EQ(f.m_fMinHeight, 20.0f);
    EXPECT_FLOAT_EQ(f.m_fMaxHeight, -1.0f);
    EXPECT_FLOAT_EQ(f.m_fMaxAngle, -1.0f);
    EXPECT_TRUE(f.m_bParticle[5]);
    EXPECT_FALSE(f.m_bParticle[0]);
    EXPECT_TRUE(f.m_bInscription);
    EXPECT_EQ(f.m_Texts[2], std::string(39, 'D'));
    EXPECT_FALSE(f.m_bText[0]);
    EXPECT_FALSE(ReadAllMapsDataText("<Other/>", &f));
    EXPECT_FALSE(ReadAllMapsDataText("<Main>", &f));
}

TEST_F(GameMapTest, AllMapsDataWithoutCameraLoadsCursorsTexturesAndPlanesAndTheStartGoesOn) {
    std::ofstream(folder / "AllMapsData.xml") << R"(<Main><Cursors><Main>UI\Default.cur</Main></Cursors>
        <Textures><CanMove>Textures\Campaign\sel_green.png</CanMove><NotMove>Textures\Campaign\sel_grey.png</NotMove>
        <Target>Textures\Campaign\sel_red.png</Target></Textures>
        <Path><Model>Models\Path\c2marker.x</Model></Path></Main>)";
    scene.m_map.m_szMapParamsFolder = relative;
    g_SeaPathGenerator.m_pModel = nullptr;
    Start();
    EXPECT_NE(Log().find("Error : CDX9KelGameMap::LoadAllMapsGraphicData :  not found Camera in xml file: "),
              std::string::npos);
    for (int i = 0; i < CDX9KelGameMap::CURSOR_COUNT; ++i) EXPECT_EQ(map().m_iCursors[i], i);
    EXPECT_NE(map().m_pTextureSelGrey, nullptr);
    ASSERT_NE(map().m_pGreenRing, nullptr);
    ASSERT_EQ(map().m_pRedRings.size(), 30u);
    ASSERT_EQ(map().m_pGreyRings.size(), 10u);
    EXPECT_FLOAT_EQ(map().m_pRedRings[29]->m_mWorld._42, 0.14f + 0.002f * 29.0f);
    EXPECT_FLOAT_EQ(map().m_pGreyRings[0]->m_mWorld._42, 0.15f);
    EXPECT_FALSE(map().m_pGreenRing->m_bVisible);
    // The camera, the route marker and the texts keep their defaults.
    auto* camera = dynamic_cast<Vorna2::CDX9KelGlobalCamera*>(scene.m_pCameraManager->GetActiveCamera());
    EXPECT_FLOAT_EQ(camera->m_fMaxDistance, 200.0f);
    EXPECT_TRUE(camera->m_bRotateZoomEnabled);
    EXPECT_EQ(map().m_pPathModel, nullptr);
    EXPECT_EQ(g_SeaPathGenerator.m_pModel, nullptr);
    EXPECT_STREQ(map().m_szDamageText[4], "Almost destroyed");
    EXPECT_STREQ(map().m_szGlobalMapUnitDescText, "Press for description");
    // The map loads on it all the same.
    map().m_szMapParamsFolder = "Data\\Maps\\";
    EXPECT_TRUE(map().LoadMap("demo_cape.map")) << Log();
}

TEST_F(GameMapTest, AllMapsDataWhoseRouteMarkerDoesNotLoadFailsTheStep) {
    std::ofstream(folder / "AllMapsData.xml") << R"(<Main><Cursors/>
        <Textures><CanMove>Textures\Campaign\sel_green.png</CanMove><NotMove>Textures\Campaign\sel_grey.png</NotMove>
        <Target>Textures\Campaign\sel_red.png</Target></Textures>
        <Camera><MinHeight>25</MinHeight><MaxHeight>300</MaxHeight><MinAngle>0.5</MinAngle><MaxAngle>1.4</MaxAngle></Camera>
        <Path><Model>Models\Path\nothere.x</Model></Path></Main>)";
    scene.m_map.m_szMapParamsFolder = relative;
    scene.m_playerSide = 1;
    ASSERT_TRUE(scene.Init());
    EXPECT_FALSE(scene.m_graphicData);
    EXPECT_NE(Log().find("Error : CDX9KelGameMap::LoadAllMapsGraphicData : CDX9KelSeaPathGenerator::Get().Init == false\n"),
              std::string::npos);
    // The camera section before it was taken.
    auto* camera = dynamic_cast<Vorna2::CDX9KelGlobalCamera*>(scene.m_pCameraManager->GetActiveCamera());
    EXPECT_FLOAT_EQ(camera->m_fMinDistance, 25.0f);
    EXPECT_FLOAT_EQ(camera->m_fPitch, 0.5f);
    EXPECT_FALSE(camera->m_bRotateZoomEnabled);
    // A file that is missing, or has no textures, fails at once.
    fs::remove(folder / "AllMapsData.xml");
    EXPECT_FALSE(map().LoadAllMapsGraphicData());
    EXPECT_NE(Log().find("Error : CDX9KelGameMap::LoadAllMapsGraphicData : xml file not read : "), std::string::npos);
    std::ofstream(folder / "AllMapsData.xml") << "<Main><Cursors/></Main>";
    EXPECT_FALSE(map().LoadAllMapsGraphicData());
    EXPECT_NE(Log().find("Error : CDX9KelGameMap::LoadAllMapsGraphicData :  not found Textures in xml file"),
              std::string::npos);
}

TEST_F(GameMapTest, MapScreenBindingRefusesDialogsNotLaidOutAsExpected) {
    Start();
    Vorna2::CDX9KelCIIScreenManager* screens = Vorna2::GetScreenManager(&scene);
    auto bind = [&](const std::string& name, const std::string& dialogs) {
        TiXmlDocument doc;
        doc.Parse(("<Screen><Dialogs>" + dialogs + "</Dialogs></Screen>").c_str());
        const int id = screens->AddScreen(name);
        Vorna2::CDX9KelCIIScreen* screen = screens->GetScreenById(id);
        EXPECT_TRUE(screen->LoadFromElement(doc.FirstChildElement("Screen"))) << name;
        return map().SetMapScreen(screen);
    };
    const std::string borders = "<Borders><t>0</t><l>0</l><b>10</b><r>10</r></Borders>";
    const std::string image = "<Image>" + borders + "<Texture>UI\\Textures\\panel.png</Texture></Image>";
    const std::string text = "<Text>" + borders + "<Font>Line</Font><Text>t</Text></Text>";
    std::string nine;
    for (int i = 0; i < 9; ++i) nine += image;
    const std::size_t before = Log().size();
    EXPECT_FALSE(bind("nine.xml", "<IconsFlags>" + borders + "<Controls>" + nine + "</Controls></IconsFlags>"));
    EXPECT_EQ(Log().substr(before).find("Error"), std::string::npos) << Log().substr(before);
    EXPECT_EQ(map().m_MapScreen.m_IconsFlags.m_pDialog, nullptr);

    EXPECT_FALSE(bind("icons.xml", "<Icons>" + borders + "<Background>Default</Background><Controls>" + text +
                                       "</Controls></Icons>"));
    EXPECT_NE(Log().find("Error : CDX9KelGameMap::SetMapScreen : Icons Dialog Control 0 is not "
                         "GUI_CONTROL_TYPE_RADIOLIST\n"),
              std::string::npos);
    EXPECT_EQ(map().m_MapScreen.m_Icons.m_pDialog, nullptr);

    EXPECT_FALSE(bind("control.xml", "<MapControl>" + borders + "<Background>Default</Background><Controls>" + text +
                                         "</Controls></MapControl>"));
    EXPECT_NE(Log().find("Error : CDX9KelGameMap::SetMapScreen : Map Control Dialog ended on Control :1\n"),
              std::string::npos);
    EXPECT_FALSE(bind("empty.xml", ""));
    EXPECT_NE(Log().find("Error : CDX9KelGameMap::SetMapScreen : Map Screen is not loaded\n"), std::string::npos);
    EXPECT_FALSE(map().SetMapScreen(nullptr));
}

TEST_F(GameMapTest, ThePhysicalManagerAnswersTheRouteFindersQueries) {
    Start();
    ASSERT_TRUE(map().LoadMap("demo_strait.map")) << Log();
    ISeaObstacleQuery* query = map().GetObstacleQuery();
    // The west island stands at (-150, -40): a sphere there touches it, and
    // its box on the map plane holds that point with a size value of a
    // large object.
    ASSERT_TRUE(query->TestSphere(-150.0f, 0.0f, -40.0f, 4.0f));
    ASSERT_FALSE(query->Hits().empty());
    const void* island = query->Hits().front();
    EXPECT_EQ(map().GetGameObject(static_cast<const Vorna2::CDX9KelSceneObject*>(island)), nullptr);
    float minX, minZ, maxX, maxZ, size;
    ASSERT_TRUE(query->GetObjectBox(island, &minX, &minZ, &maxX, &maxZ, &size));
    EXPECT_LT(minX, -150.0f);
    EXPECT_GT(maxX, -150.0f);
    EXPECT_LT(minZ, -40.0f);
    EXPECT_GT(maxZ, -40.0f);
    EXPECT_GT(size, 10.0f);
    EXPECT_FALSE(query->TestSphere(0.0f, 0.0f, -200.0f, 4.0f));
    EXPECT_TRUE(query->Hits().empty());
    // A ship excluded from a sphere test on itself is not reported.
    Vorna2::CDX9KelSceneObject* aurora = map().Side(1).m_SceneObjects[0];
    const std::vector<SeaSphere> onAurora{{aurora->m_mWorld._41, 0.0f, aurora->m_mWorld._43, 2.0f}};
    EXPECT_TRUE(query->TestSpheres(onAurora, nullptr));
    EXPECT_EQ(query->Hits().front(), aurora);
    EXPECT_FALSE(query->TestSpheres(onAurora, aurora));

    // The campaign's route finder, bound at start-up, plans around the
    // island: from south-east of it to north-west of it.
    EXPECT_NE(Log().find("CDX9KelSeaPathFinder::SetPhysicalManager\n"), std::string::npos);
    SeaMover mover;
    D3DXMatrixIdentity(&mover.m_mWorld);
    mover.m_mWorld._41 = -110.0f;
    mover.m_mWorld._43 = -90.0f;
    mover.m_fRadius = 5.0f;
    SeaMoveParams params;
    params.m_fMaxSpeed = params.m_fStartSpeed = 10.0f;
    params.m_fMaxTurnRate = params.m_fAcceleration = 0.05f;
    g_SeaPathGenerator.ClearPaths();
    EXPECT_EQ(g_SeaPathFinder.FindPath(&mover, &params, 0.0f, 3000.0f, -190.0f, 0.0f, 10.0f), SEA_PATH_RESULT_FOUND);
    const int fitted = g_SeaPathFinder.m_iFittedPath;
    EXPECT_FALSE(g_SeaPathGenerator.IsPathBlocked(query, fitted, nullptr));
    EXPECT_EQ(g_SeaPathFinder.FindPath(&mover, &params, 0.0f, 3000.0f, -150.0f, 0.0f, -40.0f),
              SEA_PATH_RESULT_TAGRET_OCCUPED);

    // Only paths marked as drawn show markers, at their visible way points.
    std::vector<const D3DXMATRIX*> markers;
    g_SeaPathGenerator.CollectMarkers(&markers);
    EXPECT_TRUE(markers.empty());
    SeaPathHandle path = g_SeaPathGenerator.Get(fitted);
    ASSERT_TRUE(path);
    ASSERT_GT(path->m_WayPoints.size(), 2u);
    path->m_bDrawn = true;
    path->m_WayPoints[0].m_bVisible = false;
    g_SeaPathGenerator.CollectMarkers(&markers);
    ASSERT_EQ(markers.size(), path->m_WayPoints.size() - 1);
    EXPECT_EQ(markers[0], &path->m_WayPoints[1].m_mPlacement);
    g_SeaPathGenerator.ClearPaths();
}

TEST_F(GameMapTest, ASaveOfAnotherMapBuildsTheSceneryAndLeavesOutUnitsThatCannotBeBuilt) {
    Start();
    GameMapSaveData save;
    std::strcpy(save.m_szMapName, "demo_cape.map");
    save.m_uRound = 3;
    auto unit = [](const char* name, const char* side, const char* model, const char* description) {
        GameMapSavedObject saved;
        saved.m_pObject = std::make_unique<GameObjectRecord>();
        MapUnitRecord& u = saved.m_pObject->m_Unit;
        SetRecordText(u.m_szName, name);
        SetRecordText(u.m_szSide, side);
        SetRecordText(u.m_szModel1, model);
        SetRecordText(u.m_szEffect1, "c2model.fx");
        SetRecordText(u.m_szDescriptionFile, description);
        EXPECT_TRUE(g_DataIO.LoadGameObjectXML((Platform::ProgramFolder() + "Data/Parameters/" + description).c_str(),
                                               saved.m_pObject.get(), g_BattleSystem.m_stdvArtillery));
        D3DXMatrixTranslation(&saved.m_mWorld, 0.0f, 0.0f, -250.0f);
        return saved;
    };
    save.m_Side1.push_back(unit("Keeper", "SIDE1", "c2monitor.x", "ship_a.xml"));
    save.m_Side1.push_back(unit("Wreck", "SIDE1", "nothere.x", "ship_a.xml"));
    save.m_Side1.push_back(unit("Second", "SIDE1", "c2corvette.x", "ship_b.xml"));
    save.m_Side2.push_back(unit("Enemy", "SIDE2", "c2monitor.x", "ship_a.xml"));
    save.m_NoSide.push_back(unit("Floating_Mine", "UNSIDE", "c2mine.x", "mine.xml"));
    MapColumnRecord column;
    column.m_stdvShipNames = {"Wreck", "Keeper", "Second"};
    save.m_Side1Columns.push_back(column);

    ASSERT_TRUE(map().LoadFromSave(&save, true)) << Log();
    EXPECT_NE(Log().find("Error : CDX9KelGameMap::LoadFromSave() : unit left out : Wreck\n"), std::string::npos);
    EXPECT_STREQ(map().m_szMapTitle, "The Cape");
    EXPECT_NE(map().m_pWater, nullptr);
    EXPECT_GE(map().m_iGlobalMapImage, 0);
    EXPECT_EQ(map().m_Turn.m_uRound, 3u);
    EXPECT_EQ(Names(map().Side(1).m_GameObjects), (std::vector<std::string>{"Keeper", "Second"}));
    EXPECT_EQ(map().Side(1).m_SceneObjects.size(), 2u);
    EXPECT_EQ(map().Side(1).m_AnimatedModels.size(), 2u);
    EXPECT_EQ(Names(map().m_NoSideGameObjects), (std::vector<std::string>{"Floating_Mine"}));
    // The record of the unit left out stays with the save.
    EXPECT_TRUE(save.m_Side1[1].m_pObject);
    ASSERT_EQ(map().Side(1).m_Columns.size(), 1u);
    EXPECT_EQ(ColumnShips(map().Side(1).m_Columns[0]), (std::vector<std::string>{"Keeper", "Second"}));
    EXPECT_EQ(map().m_MapScreen.m_pIconList->m_Buttons.size(), 2u);
    EXPECT_EQ(Vorna2::GetPhysicalManager(&scene)->m_Objects.size(), 3u);
}
