// The movement and animation systems of a player: their clocks, the columns
// formed from the ships' start positions, the animation ticks and the sunk
// ship taken out once; and the battle-map ship and column.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "engine3/core/scene/CDX9KelSceneObject.h"
#include "platform/os/Clock.h"
#include "engine3/core/CDX9KelScene.h"
#include "engine3/core/scene/CDXSceneTree.h"
#include "seabattle/battle/CVR3GAMEAnimatedShip.h"
#include "seabattle/battle/CVR3GAMEArtilleryShip.h"
#include "seabattle/battle/CVR3GAMEBattleSystemShip.h"
#include "seabattle/game/CVR3GAMEInformationShip.h"
#include "seabattle/battle/CVR3GAMEBattleMapAnimationSystem.h"
#include "seabattle/battle/CVR3GAMEBattleMapMovementSystem.h"
#include "seabattle/battle/CVR3GAMEBattleMapShip.h"
#include "seabattle/battle/CVR3GAMEBattleMapShipsColumn.h"
#include "seabattle/battle/CVR3GAMEMovementShip.h"

using namespace SeaBattle;

namespace {

constexpr float kPi = 3.14159265f;

class SystemsTest : public ::testing::Test {
protected:
    void SetUp() override { Platform::SetClock(&clock); }
    void TearDown() override {
        for (auto* c : columns) delete c;
        Platform::SetClock(nullptr);
    }
    // A battle-map ship with a movement part, standing at (x, z) heading `heading`.
    CVR3GAMEBattleMapShip* AddShip(float x, float z, float heading = 0.0f) {
        auto so = std::make_unique<Vorna3D::CDX9KelSceneObject>();
        D3DXMATRIX m;
        D3DXMatrixRotationY(&m, heading);
        m._41 = x;
        m._43 = z;
        so->SetWorldMatrix(&m);
        auto ship = std::make_unique<CVR3GAMEBattleMapShip>();
        ship->m_pSceneObject = so.get();
        ship->m_pMovementShip = new CVR3GAMEMovementShip();
        ship->m_pMovementShip->m_fMaxSpeed = 10.0f;
        ship->m_pMovementShip->m_fMaxRotAngle = 0.05f;
        list.push_back(ship.get());
        objects.push_back(std::move(so));
        ships.push_back(std::move(ship));
        return list.back();
    }
    std::vector<CVR3GAMEBattleMapShip*> Order(const CVR3GAMEBattleMapShipsColumn* c) { return c->m_stdvBattleShips; }

    Platform::ManualClock clock{5000000u};
    std::vector<std::unique_ptr<Vorna3D::CDX9KelSceneObject>> objects;
    std::vector<std::unique_ptr<CVR3GAMEBattleMapShip>> ships;
    std::vector<CVR3GAMEBattleMapShip*> list;
    std::vector<CVR3GAMEBattleMapShipsColumn*> columns;
};

} // namespace

TEST_F(SystemsTest, MovementClockFirstFramePlanningAndGaps) {
    CVR3GAMEBattleMapMovementSystem system;
    ASSERT_TRUE(system.Init(&columns, nullptr));
    system.Proc();
    EXPECT_EQ(system.GetLastMode(), -1);
    EXPECT_FLOAT_EQ(system.GetLastStep(), 0.0f);
    clock.Advance(59);
    system.Proc();
    EXPECT_EQ(system.GetLastMode(), -1);
    clock.Advance(1);
    system.Proc();
    EXPECT_EQ(system.GetLastMode(), 0);
    EXPECT_NEAR(system.GetLastStep(), 0.001f, 1e-6f);
    // Physics steps every 60 ms until the planning step, 10 s after the first frame.
    int physics = 0, planning = 0;
    for (int i = 0; i < 9940 / 20; ++i) {
        clock.Advance(20);
        system.Proc();
        physics += system.GetLastMode() == 0;
        planning += system.GetLastMode() == 1;
    }
    EXPECT_EQ(planning, 1);
    EXPECT_EQ(system.GetLastMode(), 1);
    EXPECT_GT(physics, 150);
    // A frame 12 s later: not integrated and no step.
    clock.Advance(12000);
    system.Proc();
    EXPECT_EQ(system.GetLastMode(), -1);
    EXPECT_FLOAT_EQ(system.GetLastStep(), 0.0f);
}

TEST_F(SystemsTest, ColumnsFormFromStartPositions) {
    // Two ships 16 units apart, the second dead astern of the first: one column, van first.
    CVR3GAMEBattleMapShip* van = AddShip(0.0f, 0.0f);
    CVR3GAMEBattleMapShip* astern = AddShip(0.0f, -16.0f);
    // 18 units astern of that: a column of its own.
    CVR3GAMEBattleMapShip* far = AddShip(0.0f, -34.0f);
    // Abeam of the van (within 17 units): its own column too.
    CVR3GAMEBattleMapShip* abeam = AddShip(10.0f, 0.0f);
    CVR3GAMEBattleMapMovementSystem system;
    system.Init(&columns, nullptr);
    ASSERT_TRUE(system.CreateShipsColumnsUsingPositions(&list));
    ASSERT_EQ(columns.size(), 3u);
    EXPECT_EQ(van->m_pColumn, astern->m_pColumn);
    EXPECT_EQ(Order(van->m_pColumn), (std::vector<CVR3GAMEBattleMapShip*>{van, astern}));
    EXPECT_NE(far->m_pColumn, van->m_pColumn);
    EXPECT_NE(abeam->m_pColumn, van->m_pColumn);
    for (std::size_t i = 0; i < columns.size(); ++i) EXPECT_EQ(columns[i]->m_iPlayerIndex, static_cast<int>(i));
    // Followers follow the ship ahead.
    EXPECT_EQ(astern->m_pMovementShip->m_pFollowedShip, van->m_pMovementShip);
    // A second call finds the columns made.
    EXPECT_FALSE(system.CreateShipsColumnsUsingPositions(&list));
}

TEST_F(SystemsTest, ColumnsFormInLineAheadOrderWhateverTheListOrder) {
    // Heading +x, 10 units apart; listed rear, van, middle.
    CVR3GAMEBattleMapShip* r = AddShip(0.0f, 0.0f, kPi / 2);
    CVR3GAMEBattleMapShip* v = AddShip(20.0f, 0.0f, kPi / 2);
    CVR3GAMEBattleMapShip* m = AddShip(10.0f, 0.0f, kPi / 2);
    CVR3GAMEBattleMapMovementSystem system;
    system.Init(&columns, nullptr);
    ASSERT_TRUE(system.CreateShipsColumnsUsingPositions(&list));
    ASSERT_EQ(columns.size(), 1u);
    EXPECT_EQ(Order(columns[0]), (std::vector<CVR3GAMEBattleMapShip*>{v, m, r}));
    EXPECT_EQ(columns[0]->GetLeader(), v->m_pMovementShip);
}

TEST_F(SystemsTest, ColumnStandsOnItsStartPosition) {
    CVR3GAMEBattleMapShipsColumn* c = new CVR3GAMEBattleMapShipsColumn();
    columns.push_back(c);
    CVR3GAMEBattleMapShip* a = AddShip(0.0f, 0.0f);
    CVR3GAMEBattleMapShip* b = AddShip(0.0f, 0.0f);
    CVR3GAMEBattleMapShip* d = AddShip(0.0f, 0.0f);
    for (auto* s : {a, b, d}) ASSERT_TRUE(c->AddShip(s, -1, true));
    D3DXMATRIX start;
    D3DXMatrixTranslation(&start, 100.0f, 0.0f, 50.0f);
    ASSERT_TRUE(PlaceColumnOnStartPosition(&start, c));
    EXPECT_FLOAT_EQ(a->m_pSceneObject->m_mWorld._43, 50.0f);
    EXPECT_FLOAT_EQ(b->m_pSceneObject->m_mWorld._43, 38.0f);
    EXPECT_FLOAT_EQ(d->m_pSceneObject->m_mWorld._43, 26.0f);
    EXPECT_FLOAT_EQ(d->m_pSceneObject->m_mWorld._41, 100.0f);
    // Facing +x: the column trails towards -x.
    D3DXMatrixRotationY(&start, kPi / 2);
    ASSERT_TRUE(PlaceColumnOnStartPosition(&start, c));
    EXPECT_NEAR(d->m_pSceneObject->m_mWorld._41, -24.0f, 1e-4f);
    EXPECT_NEAR(d->m_pSceneObject->m_mWorld._43, 0.0f, 1e-4f);
    EXPECT_FALSE(PlaceColumnOnStartPosition(&start, nullptr));

    // Removing the middle ship keeps both lists parallel.
    ASSERT_TRUE(c->RemoveShip(b));
    EXPECT_EQ(Order(c), (std::vector<CVR3GAMEBattleMapShip*>{a, d}));
    EXPECT_EQ(c->m_stdvShips[1], d->m_pMovementShip);
    EXPECT_EQ(b->m_pColumn, nullptr);
    EXPECT_EQ(d->m_pMovementShip->m_iColumnIndex, 1);
}

TEST_F(SystemsTest, ShipInitChecksItsPartsInOrder) {
    CVR3GAMEBattleMapShip* s = AddShip(0.0f, 0.0f);
    // A scene with an active tree and no physics.
    Vorna3D::CDX9KelScene scene;
    const D3DXVECTOR3 lo(-100.0f, -20.0f, -100.0f), hi(100.0f, 20.0f, 100.0f);
    ASSERT_TRUE(scene.CreateSceneTree("Battle", &lo, &hi, false, 50.0f));
    ASSERT_TRUE(scene.SetActiveSceneTree(0));
    EXPECT_FALSE(s->Init(nullptr, true));
    EXPECT_FALSE(s->Init(&scene, true)); // no animated part
    s->m_pAnimatedShip = new CVR3GAMEAnimatedShip();
    s->m_pBattleShip = new CVR3GAMEBattleSystemShip();
    s->m_pArtilleryShip = new CVR3GAMEArtilleryShip();
    // Every part but the information card: refused before the tree is touched.
    EXPECT_FALSE(s->Init(&scene, true));
    EXPECT_TRUE(s->m_pSceneObject->m_strTreeName.empty());
    // With all five, a harbour ship (not added) stays out of the tree; the
    // scene has no physics, so the body cannot be made.
    s->m_pInfoShip = new CVR3GAMEInformationShip();
    EXPECT_FALSE(s->Init(&scene, false));
    EXPECT_TRUE(s->m_pSceneObject->m_strTreeName.empty());
    EXPECT_FALSE(s->Init(&scene, true));
    EXPECT_FALSE(s->m_pSceneObject->m_strTreeName.empty()); // a battle ship is filed first
    scene.GetSceneTree(0)->RemoveSceneObject(s->m_pSceneObject);
    s->Release();
    EXPECT_EQ(s->m_pMovementShip, nullptr);
    EXPECT_EQ(s->m_pAnimatedShip, nullptr);
    EXPECT_EQ(s->m_pInfoShip, nullptr);
}

TEST_F(SystemsTest, AnimationTicksEvery50MsAndTakesASunkShipOutOnce) {
    CVR3GAMEBattleMapShip* s = AddShip(0.0f, 0.0f);
    auto* anim = new CVR3GAMEAnimatedShip();
    anim->m_pMovementShip = s->m_pMovementShip;
    anim->m_pSceneObject = s->m_pSceneObject;
    anim->m_bRefresh = true;
    s->m_pAnimatedShip = anim;
    CVR3GAMEBattleMapAnimationSystem system;
    ASSERT_TRUE(system.Init(&list, nullptr));
    system.Proc(); // the first frame only takes the time
    EXPECT_TRUE(anim->m_bRefresh);
    clock.Advance(49);
    system.Proc();
    EXPECT_TRUE(anim->m_bRefresh);
    clock.Advance(1);
    system.Proc();
    EXPECT_FALSE(anim->m_bRefresh); // animated
    // A pause of more than 500 ms is skipped: the next frame only takes the time.
    anim->m_bRefresh = true;
    clock.Advance(501);
    system.Proc();
    EXPECT_TRUE(anim->m_bRefresh);

    anim->m_iState = CVR3GAMEAnimatedShip::STATE_SUNK;
    clock.Advance(50);
    system.Proc();
    EXPECT_TRUE(s->m_bSunkHandled);
    EXPECT_FALSE(s->m_pSceneObject->m_bVisible);
    EXPECT_FALSE(s->m_pSceneObject->m_bFlag2);
    s->m_pSceneObject->m_bVisible = true; // handled once: not hidden again
    clock.Advance(50);
    system.Proc();
    EXPECT_TRUE(s->m_pSceneObject->m_bVisible);
}
