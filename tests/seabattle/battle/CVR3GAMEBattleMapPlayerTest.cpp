// The battle-map player: its ship and column lists, columns on start
// positions, lookups, the release after a battle; and columns formed by the
// movement system from the ships' start positions.
#include "MotionWorld.h"
#include "TestFolder.h"
#include "engine3/core/CDX9KelLog.h"
#include "engine3/core/scene/CDX9KelSceneObject.h"
#include "platform/os/Clock.h"
#include "seabattle/battle/CVR3GAMEBattleMapMovementSystem.h"
#include "seabattle/battle/CVR3GAMEBattleMapPlayer.h"
#include "seabattle/battle/CVR3GAMEBattleMapShip.h"
#include "seabattle/battle/CVR3GAMEBattleMapShipsColumn.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace SeaBattle;

namespace {

// Ships with scene objects and movement parts, owned by the test until a
// player takes them.
class Fleet {
public:
    CVR3GAMEBattleMapShip* Make(const char* name) {
        auto so = std::make_unique<Vorna3D::CDX9KelSceneObject>();
        auto* ship = new CVR3GAMEBattleMapShip;
        ship->m_strName = name;
        ship->m_pSceneObject = so.get();
        ship->m_pMovementShip = new CVR3GAMEMovementShip;
        VornaTest::ApplySpec(*ship->m_pMovementShip, VornaTest::ShipSpec());
        objects.push_back(std::move(so));
        return ship;
    }
    CVR3GAMEBattleMapShipsColumn* Column(std::initializer_list<CVR3GAMEBattleMapShip*> ships) {
        auto* c = new CVR3GAMEBattleMapShipsColumn;
        for (CVR3GAMEBattleMapShip* s : ships) c->AddShip(s, -1, true);
        return c;
    }
    static D3DXMATRIX Start(float x, float z, float yaw) {
        D3DXMATRIX m;
        D3DXMatrixRotationY(&m, yaw);
        m._41 = x;
        m._43 = z;
        return m;
    }
    std::vector<std::unique_ptr<Vorna3D::CDX9KelSceneObject>> objects;
};

class PlayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        log = VornaTest::FreshFolder() / "Vorna3Log.log";
        Vorna3D::g_Log.Open(log.c_str());
    }
    void TearDown() override {
        DeleteMapPlayerObjects(&player);
        Vorna3D::g_Log.Reset();
    }
    std::filesystem::path log;
    Fleet fleet;
    CVR3GAMEBattleMapPlayer player;
};

TEST_F(PlayerTest, ShipsAreListedOnceWithTheirIndex) {
    CVR3GAMEBattleMapShip* a = fleet.Make("A");
    CVR3GAMEBattleMapShip* b = fleet.Make("B");
    EXPECT_TRUE(player.AddBattleMapShip(a));
    EXPECT_TRUE(player.AddBattleMapShip(b));
    EXPECT_EQ(b->m_iPlayerIndex, 1);
    EXPECT_FALSE(player.AddBattleMapShip(a));
    EXPECT_NE(VornaTest::ReadText(log).find("CVR3GAMEBattleMapPlayer::AddBattleMapShip() : Ship already in Player list\n"),
              std::string::npos);
    CVR3GAMEBattleMapShip bare;
    EXPECT_FALSE(player.AddBattleMapShip(&bare));
    EXPECT_FALSE(player.AddBattleMapShip(nullptr));
    EXPECT_EQ(player.m_stdvShips.size(), 2u);
    EXPECT_EQ(player.m_stdvShipModels[1], b->m_pSceneObject);

    const std::string nameB = "B", none = "C";
    EXPECT_EQ(player.GetBattleMapShip(&nameB), b);
    EXPECT_EQ(player.GetBattleMapShip(&none), nullptr);
    EXPECT_EQ(player.GetBattleMapShipBySceneObject(a->m_pSceneObject), a);
    a->m_uKind = 1; // only ships whose word is 0 are found
    EXPECT_EQ(player.GetBattleMapShipBySceneObject(a->m_pSceneObject), nullptr);
    EXPECT_EQ(player.GetBattleMapShipBySceneObject(nullptr), nullptr);

    auto* c = fleet.Column({});
    EXPECT_TRUE(player.AddBattleMapShipsColumn(c));
    EXPECT_EQ(c->m_iPlayerIndex, 0);
    EXPECT_FALSE(player.AddBattleMapShipsColumn(c));
}

TEST_F(PlayerTest, ColumnsOnStartPositions) {
    struct Case {
        int columns, positions;
        bool result;
        int placed;
    } const cases[] = {{2, 3, true, 2}, {4, 4, true, 3}, {4, 3, false, 0}};
    for (const Case& c : cases) {
        CVR3GAMEBattleMapPlayer p;
        std::vector<CVR3GAMEBattleMapShip*> leaders;
        for (int i = 0; i < c.columns; ++i) {
            CVR3GAMEBattleMapShip* s = fleet.Make("S");
            leaders.push_back(s);
            p.AddBattleMapShip(s);
            p.AddBattleMapShipsColumn(fleet.Column({s}));
        }
        for (int i = 0; i < c.positions; ++i) p.m_stdvLeadersPositions.push_back(Fleet::Start(100.0f * (i + 1), 0, 0));
        EXPECT_EQ(p.SetColumnsOnStartPositions(), c.result);
        int placed = 0;
        for (int i = 0; i < c.columns; ++i)
            if (leaders[i]->m_pSceneObject->m_mWorld._41 == 100.0f * (i + 1)) ++placed;
        EXPECT_EQ(placed, c.placed) << c.columns << "/" << c.positions;
        EXPECT_GE(p.m_stdvColumns.size(), 3u);
        DeleteMapPlayerObjects(&p);
    }
}

TEST_F(PlayerTest, AColumnStandsTwelveUnitsApartAlongItsBackwardAxis) {
    CVR3GAMEBattleMapShip* a = fleet.Make("A");
    CVR3GAMEBattleMapShip* b = fleet.Make("B");
    CVR3GAMEBattleMapShip* d = fleet.Make("D");
    CVR3GAMEBattleMapShipsColumn* c = fleet.Column({a, b, d});
    for (float yaw : {0.0f, 1.5707964f}) {
        const D3DXMATRIX start = Fleet::Start(10, 50, yaw);
        ASSERT_TRUE(PlaceColumnOnStartPosition(&start, c));
        const D3DXVECTOR3 back(-start._31, 0, -start._33);
        int i = 0;
        for (CVR3GAMEBattleMapShip* s : {a, b, d}) {
            const D3DXMATRIX& w = s->m_pSceneObject->m_mWorld;
            EXPECT_NEAR(w._41, 10 + 12.0f * i * back.x, 1e-4f);
            EXPECT_NEAR(w._43, 50 + 12.0f * i * back.z, 1e-4f);
            EXPECT_NEAR(w._31, start._31, 1e-6f);
            EXPECT_TRUE(s->m_pSceneObject->m_bMoved);
            ++i;
        }
    }
    const D3DXMATRIX start = Fleet::Start(0, 0, 0);
    EXPECT_FALSE(PlaceColumnOnStartPosition(&start, nullptr));
    // Removing the middle ship keeps both lists parallel.
    ASSERT_TRUE(c->RemoveShip(b));
    EXPECT_EQ(c->m_stdvBattleShips, (std::vector<CVR3GAMEBattleMapShip*>{a, d}));
    EXPECT_EQ(c->m_stdvShips, (std::vector<CVR3GAMEMovementShip*>{a->m_pMovementShip, d->m_pMovementShip}));
    EXPECT_EQ(b->m_pColumn, nullptr);
    EXPECT_EQ(d->m_pMovementShip->m_iColumnIndex, 1);
    delete c;
    EXPECT_EQ(a->m_pColumn, nullptr);
    for (CVR3GAMEBattleMapShip* s : {a, b, d}) delete s;
}

TEST_F(PlayerTest, ReleaseAfterBattleKeepsSurvivors) {
    CVR3GAMEBattleMapShip* a = fleet.Make("A");
    CVR3GAMEBattleMapShip* b = fleet.Make("B");
    player.AddBattleMapShip(a);
    player.AddBattleMapShip(b);
    player.AddBattleMapShipsColumn(fleet.Column({a, b}));
    player.m_stdvLeadersPositions.push_back(Fleet::Start(0, 0, 0));
    player.m_uLostShips = 3;
    player.m_stdvLossesByLevel.assign(4, 1);
    b->m_bSunk = true;
    player.ReleaseBattleObjects();
    EXPECT_TRUE(player.m_stdvShips.empty());
    EXPECT_TRUE(player.m_stdvBattleShips.empty());
    EXPECT_TRUE(player.m_stdvColumns.empty());
    EXPECT_TRUE(player.m_stdvLeadersPositions.empty());
    EXPECT_TRUE(player.m_stdvLossesByLevel.empty());
    EXPECT_EQ(player.m_uLostShips, 0u);
    // The survivor lives on, out of every list and column.
    EXPECT_EQ(a->m_pColumn, nullptr);
    EXPECT_EQ(a->m_pMovementShip->m_pColumn, nullptr);
    EXPECT_EQ(a->m_iPlayerIndex, -1);
    a->Release();
    delete a;
}

TEST_F(PlayerTest, ColumnsFormFromStartPositions) {
    // Three ships in line ahead 10 apart, listed rear, van, middle; a fourth
    // abeam of the van; a fifth 18 astern of the rear.
    CVR3GAMEBattleMapShip* rear = fleet.Make("rear");
    CVR3GAMEBattleMapShip* van = fleet.Make("van");
    CVR3GAMEBattleMapShip* mid = fleet.Make("mid");
    CVR3GAMEBattleMapShip* abeam = fleet.Make("abeam");
    CVR3GAMEBattleMapShip* far = fleet.Make("far");
    const D3DXMATRIX pos[5] = {Fleet::Start(0, 0, 0), Fleet::Start(0, 20, 0), Fleet::Start(0, 10, 0),
                               Fleet::Start(12, 20, 0), Fleet::Start(0, -18, 0)};
    int i = 0;
    for (CVR3GAMEBattleMapShip* s : {rear, van, mid, abeam, far}) {
        s->m_pSceneObject->SetWorldMatrix(&pos[i++]);
        player.AddBattleMapShip(s);
    }
    CVR3GAMEBattleMapMovementSystem system;
    ASSERT_TRUE(system.Init(&player.m_stdvColumns, nullptr));
    ASSERT_TRUE(system.CreateShipsColumnsUsingPositions(&player.m_stdvBattleShips));
    ASSERT_EQ(player.m_stdvColumns.size(), 3u);
    EXPECT_EQ(player.m_stdvColumns[0]->m_stdvBattleShips, (std::vector<CVR3GAMEBattleMapShip*>{van, mid, rear}));
    EXPECT_EQ(player.m_stdvColumns[1]->m_stdvBattleShips, (std::vector<CVR3GAMEBattleMapShip*>{abeam}));
    EXPECT_EQ(player.m_stdvColumns[2]->m_stdvBattleShips, (std::vector<CVR3GAMEBattleMapShip*>{far}));
    for (int k = 0; k < 3; ++k) EXPECT_EQ(player.m_stdvColumns[k]->m_iPlayerIndex, k);
    EXPECT_EQ(mid->m_pMovementShip->m_pFollowedShip, van->m_pMovementShip);
    EXPECT_EQ(rear->m_pColumn, player.m_stdvColumns[0]);
    // A second call refuses: the columns exist.
    EXPECT_FALSE(system.CreateShipsColumnsUsingPositions(&player.m_stdvBattleShips));
}

TEST(MovementSystem, StepsPlanningAndGaps) {
    Platform::ManualClock clock(4000000u);
    Platform::SetClock(&clock);
    CVR3GAMEMovementShipsColumn* none = nullptr;
    std::vector<CVR3GAMEBattleMapShipsColumn*> columns{static_cast<CVR3GAMEBattleMapShipsColumn*>(none)};
    CVR3GAMEBattleMapMovementSystem system;
    ASSERT_TRUE(system.Init(&columns, nullptr));
    system.Proc(); // the first frame: clocks start
    EXPECT_EQ(system.GetLastMode(), -1);
    EXPECT_FLOAT_EQ(system.GetLastStep(), 0.0f);
    int physics = 0, planning = 0;
    for (int i = 0; i < 1000; ++i) { // 10 s of 10 ms frames
        clock.Advance(10);
        system.Proc();
        physics += system.GetLastMode() == 0;
        planning += system.GetLastMode() == 1;
    }
    EXPECT_EQ(planning, 1);
    EXPECT_EQ(physics, 166); // every 60 ms, one of them the planning frame instead
    clock.Advance(12000); // a gap: not integrated, not a step
    system.Proc();
    EXPECT_EQ(system.GetLastMode(), -1);
    EXPECT_FLOAT_EQ(system.GetLastStep(), 0.0f);
    clock.Advance(60);
    system.Proc();
    EXPECT_EQ(system.GetLastMode(), 0);
    EXPECT_NEAR(system.GetLastStep(), 0.06f, 1e-6f);
    Platform::SetClock(nullptr);
}

} // namespace

// Ship names key the columns of a save (at most 29 characters a name): the
// player makes each name non-empty, short enough and unique, and a lookup by
// the cut name finds the one ship or tells that two match.
TEST_F(PlayerTest, ShipNamesBecomeUniqueKeysOfTwentyNineCharacters) {
    const std::string longName(40, 'L');
    CVR3GAMEBattleMapShip* a = fleet.Make("Cruiser");
    CVR3GAMEBattleMapShip* b = fleet.Make("Cruiser");
    CVR3GAMEBattleMapShip* c = fleet.Make("");
    CVR3GAMEBattleMapShip* d = fleet.Make(longName.c_str());
    CVR3GAMEBattleMapShip* e = fleet.Make(longName.c_str());
    for (CVR3GAMEBattleMapShip* s : {a, b, c, d, e}) ASSERT_TRUE(player.AddBattleMapShip(s));
    EXPECT_EQ(a->m_strName, "Cruiser");
    EXPECT_EQ(b->m_strName, "Cruiser 2");
    EXPECT_EQ(c->m_strName, "Ship");
    EXPECT_EQ(d->m_strName, std::string(29, 'L'));
    EXPECT_EQ(e->m_strName, std::string(27, 'L') + " 2");
    bool ambiguous = true;
    EXPECT_EQ(player.FindShipByKey("Cruiser 2", &ambiguous), b);
    EXPECT_FALSE(ambiguous);
    EXPECT_EQ(player.FindShipByKey("Cruiser 3", &ambiguous), nullptr);
    EXPECT_FALSE(ambiguous);
    // Two ships whose names agree in their first 29 characters (named
    // behind the player's back) cannot be told apart.
    e->m_strName = std::string(29, 'L') + "-other";
    EXPECT_EQ(player.FindShipByKey(std::string(29, 'L'), &ambiguous), nullptr);
    EXPECT_TRUE(ambiguous);
}
