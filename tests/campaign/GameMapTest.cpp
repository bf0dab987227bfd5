// The game map loading a map: the demo map as the game loads it, and small
// maps written byte by byte for the cases the map builder refuses to make
// (unknown sides, columns naming missing ships or mixing sides, units whose
// files are missing). The scene runs headless on an offscreen device with the
// GUI, screens, physics and particles the campaign has.
#include "campaign/CDX9KelBattleSystem.h"
#include "campaign/CDX9KelGameMap.h"
#include "campaign/ai/CDX9KelAISystem.h"
#include "engine2/core/CDX9KelApp.h"
#include "engine2/core/CDX9KelLog.h"
#include "engine2/core/render/CDX9KelBaseCamera.h"
#include "engine2/core/render/CDX9KelRender.h"
#include "engine2/core/resources/CDX9KelGraphicsResManager.h"
#include "engine2/core/scene/CDX9KelSceneObject.h"
#include "engine2/core/scene/CDXSceneTree.h"
#include "engine2/ui/UISceneSlots.h"
#include "engine2/ui/gui/CDX9KelGUIButton.h"
#include "engine2/ui/gui/CDX9KelGUIDialog.h"
#include "engine2/ui/gui/CDX9KelGUIImage.h"
#include "engine2/ui/gui/CDX9KelGUIRadioList.h"
#include "engine2/ui/gui/CDX9KelGUIText.h"
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
        Text("Test Sound");
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
                                        "Point_Battery"}));
    EXPECT_EQ(Names(map().Side(2).m_GameObjects),
              (std::vector<std::string>{"Harrier", "Ibis", "Jackdaw", "Kestrel", "Lapwing", "Merlin", "Cliff_Battery"}));
    EXPECT_EQ(Names(map().m_NoSideGameObjects), (std::vector<std::string>{"Mine_1", "Mine_2"}));
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
    ASSERT_NE(map().m_pIconsRadioList, nullptr);
    ASSERT_EQ(map().m_pIconsRadioList->m_Buttons.size(), 7u);
    const RECT& d = map().m_pIconsDlg->m_Rect;
    const float w = static_cast<float>(d.right - d.left), h = static_cast<float>(d.bottom - d.top);
    for (int i : {0, 6}) {
        const RECT& r = map().m_pIconsRadioList->m_Buttons[static_cast<std::size_t>(i)]->m_Rect;
        EXPECT_NEAR(r.left, d.left + w * (1.09f + 10.09f * static_cast<float>(i)) / 100.0f, 1.0f);
        EXPECT_NEAR(r.right, d.left + w * (9.2f + 10.09f * static_cast<float>(i)) / 100.0f, 1.0f);
        EXPECT_NEAR(r.top, d.top + h * 4.16f / 100.0f, 1.0f);
        EXPECT_NEAR(r.bottom, d.top + h * 97.5f / 100.0f, 1.0f);
    }
    EXPECT_EQ(map().m_pTurnText->m_strText, "1/12");
    for (int i = 0; i < CDX9KelGameMap::kMaxIcons; ++i) EXPECT_EQ(map().m_pIconFlags[i]->m_bVisible, i < 7) << i;
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
    EXPECT_TRUE(map().m_pIconsRadioList->m_Buttons.empty());
    ASSERT_TRUE(map().SetPlayerSide(2));
    ASSERT_TRUE(map().LoadMap("demo_cape.map")) << Log();
    EXPECT_EQ(resources->m_GrapRes.size(), 2u + 41u);
    EXPECT_EQ(map().m_pPlayerGameObjects, &map().Side(2).m_GameObjects);
    std::size_t ships = 0;
    for (const GameObjectRecord* o : map().Side(2).m_GameObjects) ships += o->m_pMovement ? 1 : 0;
    EXPECT_EQ(map().m_pIconsRadioList->m_Buttons.size(), ships);
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
                    {"B2", "SIDE2", "", ""}},
                   {{0.0f, {"Ghost", "A1"}},
                    {3.0f, {"Ghost", "Phantom"}},
                    {2.0f, {"B1", "A2", "B2"}},
                    {0.0f, {"A3", "A1"}},
                    {5.0f, {}}}));
    ASSERT_TRUE(map().LoadMap("test.map")) << Log();
    const std::string log = Log();
    EXPECT_NE(log.find("Warning : CDX9KelGameMap::CreateColumn : not found column ship : Ghost\n"), std::string::npos);
    EXPECT_NE(log.find("Warning : CDX9KelGameMap::CreateColumn : not found column ship : Phantom\n"), std::string::npos);
    EXPECT_NE(log.find("Error : CDX9KelGameMap::CreateColumn : ships column consists of the different sides\n"),
              std::string::npos);
    ASSERT_EQ(map().Side(1).m_Columns.size(), 2u);
    ASSERT_EQ(map().Side(2).m_Columns.size(), 1u);
    EXPECT_EQ(ColumnShips(map().Side(1).m_Columns[0]), (std::vector<std::string>{"A1"}));
    EXPECT_EQ(ColumnShips(map().Side(2).m_Columns[0]), (std::vector<std::string>{"B1", "B2"}));
    // A ship already in a column stays there; the corvette's column takes
    // its own speed limit (2.2) and the default speed 1.733.
    const GameColumnRecord* corvette = map().Side(1).m_Columns[1];
    EXPECT_EQ(ColumnShips(corvette), (std::vector<std::string>{"A3"}));
    EXPECT_FLOAT_EQ(corvette->m_fStoredSpeed, 1.733f);
    EXPECT_FLOAT_EQ(corvette->m_fReducedSpeed, 0.75f * 2.2f);
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
    EXPECT_EQ(map().m_pIconsRadioList->m_Buttons.size(), 3u);
}

TEST_F(GameMapTest, LookupsAnswerBySideAndIndexAndLeaveUnitsOfNoSideToTheirOwn) {
    Start();
    ASSERT_TRUE(map().LoadMap("demo_strait.map")) << Log();
    const GameMapPlace ibis = map().FindGameObjectByName("Ibis");
    EXPECT_EQ(ibis.side, 2);
    EXPECT_EQ(ibis.index, 1);
    const GameMapPlace none = map().FindGameObjectByName("Mine_1");
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
    EXPECT_EQ(map().m_pTurnText->m_strText, "1/7");
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
    EXPECT_EQ(map().m_pTurnText->m_strText, "4/12");
    // The targets were read again with the parameters.
    EXPECT_EQ(map().m_Params.m_stdvSide1Targets.size(), 3u);
    EXPECT_EQ(Names(map().Side(1).m_GameObjects).back(), "Point_Battery");
    ASSERT_EQ(map().Side(1).m_Columns.size(), 2u);
    EXPECT_FLOAT_EQ(map().Side(1).m_Columns[0]->m_fTimeUsed, 40.0f);
    EXPECT_EQ(map().m_pIconsRadioList->m_Buttons.size(), 7u);
    EXPECT_EQ(Vorna2::GetPhysicalManager(&scene)->m_Objects.size(), 13u);
}
