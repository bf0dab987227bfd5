// The battle behaviours on small fixtures: two players with a few ships each
// on box hulls in a scene tree with the physical manager of a bare scene, a
// computer director wired to them, and the battle clock set by hand. Checks
// target choice, withdrawal, the map check, the roles and their tactics.
#include "engine3/core/CDX9KelGameTimer.h"
#include "engine3/core/CDX9KelLog.h"
#include "engine3/core/CDX9KelScene.h"
#include "engine3/core/scene/CDX9KelSceneObject.h"
#include "engine3/world/physics/PhysicsSceneSlot.h"
#include "seabattle/battle/CVR3GAMEArtilleryShip.h"
#include "seabattle/battle/CVR3GAMEBattleLog.h"
#include "seabattle/battle/CVR3GAMEBattleMapPlayer.h"
#include "seabattle/battle/CVR3GAMEBattleMapPlayerDirector.h"
#include "seabattle/battle/CVR3GAMEBattleMapShip.h"
#include "seabattle/battle/CVR3GAMEBattleMapShipsColumn.h"
#include "seabattle/battle/CVR3GAMEBattleSystemShip.h"
#include "seabattle/battle/CVR3GAMEComputerPlayerBehaviourOne.h"
#include "seabattle/battle/CVR3GAMEMovementShip.h"
#include "MotionWorld.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using namespace SeaBattle;

namespace {

constexpr float kPi = 3.14159265f;

class BehaviourTest : public ::testing::Test {
public:
    void SetUp() override {
        scene.m_pManagers[Vorna3D::KEL_SCENE_PHYSICAL_MANAGER] = slot = new Vorna3D::PhysicsSceneSlot;
        slot->Init(&scene);
        slot->m_Manager.SetSceneTree(&world.m_tree);
        CVR3GAMEBattleLog::Get().Clear();
        own.m_strPlayerName = "Own";
        enemy.m_strPlayerName = "Enemy";
        for (CVR3GAMEBattleMapPlayer* p : {&own, &enemy}) {
            p->m_vMinBattleBorders = D3DXVECTOR3(-100.0f, -50.0f, -100.0f);
            p->m_vMaxBattleBorders = D3DXVECTOR3(100.0f, 50.0f, 100.0f);
        }
        own.m_vRunawayPosition = D3DXVECTOR3(0.0f, 0.0f, -150.0f);
        director.m_pScene = &scene;
        director.m_pGameTimer = &timer;
        director.m_pPlayer = &own;
        own.m_pDirector = &director;
        director.m_stdvEnemies.push_back(&enemy);
    }
    void TearDown() override {
        director.m_pPlayer = nullptr;
        own.m_pDirector = nullptr;
        DeleteMapPlayerObjects(&own);
        DeleteMapPlayerObjects(&enemy);
        CVR3GAMEBattleLog::Get().Clear();
    }

    // A ship of the player at (x, z), heading along +z or, with `south`,
    // along -z; its ratings give its strength.
    CVR3GAMEBattleMapShip* Ship(CVR3GAMEBattleMapPlayer& p, const std::string& name, float x, float z,
                                bool south = false, float armour = 1.0f, float artillery = 100.0f) {
        Vorna3D::CDX9KelSceneObject* hull = world.AddHull(D3DXVECTOR3(x, 0.0f, z), 1.2f, 0.9f, 5.0f, 0.5f);
        D3DXMATRIX m;
        D3DXMatrixRotationY(&m, south ? kPi : 0.0f);
        m._41 = x;
        m._43 = z;
        hull->SetWorldMatrix(&m);
        hull->m_bMoved = true;
        world.m_tree.UpdateMovedObjects();
        auto* ship = new CVR3GAMEBattleMapShip;
        ship->m_strName = name;
        ship->m_pSceneObject = hull;
        ship->m_pPhysicalObject = slot->m_Manager.AddPhysicalObjectShip(hull, 100.0f);
        ship->m_pMovementShip = new CVR3GAMEMovementShip;
        VornaTest::ApplySpec(*ship->m_pMovementShip, VornaTest::ShipSpec());
        ship->m_pMovementShip->Init(ship->m_pPhysicalObject, &slot->m_Manager);
        ship->m_pBattleShip = new CVR3GAMEBattleSystemShip;
        ship->m_pBattleShip->ArmourRating = armour;
        ship->m_pBattleShip->ArtilleryRating = artillery;
        ship->m_pBattleShip->Gunpowder = 100;
        ship->m_pArtilleryShip = new CVR3GAMEArtilleryShip;
        p.AddBattleMapShip(ship);
        return ship;
    }
    CVR3GAMEBattleMapShipsColumn* Column(CVR3GAMEBattleMapPlayer& p, std::vector<CVR3GAMEBattleMapShip*> ships) {
        auto* c = new CVR3GAMEBattleMapShipsColumn;
        for (CVR3GAMEBattleMapShip* s : ships) c->AddShip(s, -1, true);
        p.AddBattleMapShipsColumn(c);
        return c;
    }
    void MoveTo(CVR3GAMEBattleMapShip* s, float x, float z) {
        D3DXMATRIX m = s->m_pSceneObject->m_mWorld;
        m._41 = x;
        m._43 = z;
        s->m_pSceneObject->SetWorldMatrix(&m);
        s->m_pSceneObject->m_bMoved = true;
        world.m_tree.UpdateMovedObjects();
    }
    void At(DWORD ms) { timer.m_dwGameTime = ms; }
    static std::vector<std::string> Targets(const CVR3GAMEBattleMapShip* s) {
        std::vector<std::string> names;
        for (const ArtilleryTarget& t : s->m_pArtilleryShip->m_vTargets) names.push_back(t.m_pShip->m_strName);
        return names;
    }
    static std::vector<int> LogKinds() {
        std::vector<int> kinds;
        for (const CVR3GAMEBattleLogEntry& e : CVR3GAMEBattleLog::Get().GetEntries()) kinds.push_back(e.m_iKind);
        return kinds;
    }

    VornaTest::ShipWorld world;
    Vorna3D::CDX9KelScene scene;
    Vorna3D::PhysicsSceneSlot* slot = nullptr;
    Vorna3D::CDX9KelGameTimer timer;
    CVR3GAMEBattleMapPlayer own, enemy;
    CVR3GAMEBattleMapPlayerDirectorComputer director;
};

TEST(BehaviourEnemyOrder, NearerFirstUnlessWithinFourThenWeakerFirst) {
    CVR3GAMEBattleMapShip weak, strong, third;
    CVR3GAMEBattleSystemShip w, s, t;
    w.ArtilleryRating = 10.0f;
    s.ArtilleryRating = 50.0f;
    t.ArtilleryRating = 30.0f;
    weak.m_pBattleShip = &w;
    strong.m_pBattleShip = &s;
    third.m_pBattleShip = &t;
    using List = std::vector<std::pair<CVR3GAMEBattleMapShip*, float>>;
    List within{{&strong, 100.0f}, {&weak, 103.0f}};
    CVR3GAMEComputerPlayerBaseBehaviour::SortEnemies(within);
    EXPECT_EQ(within[0].first, &weak);
    List apart{{&strong, 100.0f}, {&weak, 104.0f}};
    CVR3GAMEComputerPlayerBaseBehaviour::SortEnemies(apart);
    EXPECT_EQ(apart[0].first, &strong);
    // The rule is not transitive (100, 103, 106): the order is still a
    // permutation, the same every time.
    List chain{{&strong, 100.0f}, {&third, 103.0f}, {&weak, 106.0f}};
    List again = chain;
    CVR3GAMEComputerPlayerBaseBehaviour::SortEnemies(chain);
    CVR3GAMEComputerPlayerBaseBehaviour::SortEnemies(again);
    EXPECT_EQ(chain, again);
    EXPECT_EQ(chain.size(), 3u);
    for (auto* p : {&weak, &strong, &third})
        EXPECT_EQ(std::count_if(chain.begin(), chain.end(), [p](const auto& e) { return e.first == p; }), 1);
    weak.m_pBattleShip = strong.m_pBattleShip = third.m_pBattleShip = nullptr;
}

TEST_F(BehaviourTest, TargetsAreEnemiesWithinThreeBattleDistancesNearestFirst) {
    CVR3GAMEBattleMapShip* gunner = Ship(own, "Gunner", 0.0f, 0.0f);
    CVR3GAMEBattleMapShip* mate = Ship(own, "Mate", 5.0f, 0.0f);
    Column(own, {gunner});
    Column(own, {mate});
    CVR3GAMEBattleMapShip* far = Ship(enemy, "Far", 0.0f, 20.0f, true);
    CVR3GAMEBattleMapShip* near = Ship(enemy, "Near", 8.0f, 6.0f, true);
    CVR3GAMEBattleMapShip* fled = Ship(enemy, "Fled", -6.0f, 6.0f, true);
    fled->m_bWithdrawn = true;
    CVR3GAMEBattleMapShip* sunk = Ship(enemy, "Sunk", 4.0f, 4.0f, true);
    sunk->m_bSunk = true;
    Ship(enemy, "Gone", -4.0f, 4.0f, true); // in no column: it left the battle
    CVR3GAMEBattleMapShip* beyond = Ship(enemy, "Beyond", 0.0f, 40.0f, true);
    Column(enemy, {far, near});
    Column(enemy, {fled});
    Column(enemy, {sunk});
    Column(enemy, {beyond});
    CVR3GAMEComputerPlayerBaseBehaviour b;
    b.m_pOwner = &director;
    b.CreateIntellColumnsPool();
    ASSERT_TRUE(b.Init(&own));
    b.TargetsTask();
    EXPECT_EQ(Targets(gunner), (std::vector<std::string>{"Near", "Far"}));
    const ArtilleryTarget& first = gunner->m_pArtilleryShip->m_vTargets.front();
    EXPECT_FLOAT_EQ(first.MinHitProbability, 25.0f);
    EXPECT_FLOAT_EQ(first.RangeSquared, 576.0f);
    EXPECT_EQ(Targets(mate), (std::vector<std::string>{"Near", "Far"}));

    // Nothing within reach: an empty list.
    MoveTo(gunner, -60.0f, -60.0f);
    b.TargetsTask();
    EXPECT_TRUE(Targets(gunner).empty());
}

TEST_F(BehaviourTest, OneTaskPerFrameInItsOrderAndPeriods) {
    CVR3GAMEBattleMapShip* a = Ship(own, "A", 0.0f, 0.0f);
    Column(own, {a});
    CVR3GAMEComputerPlayerBaseBehaviour b;
    b.m_pOwner = &director;
    b.CreateIntellColumnsPool();
    ASSERT_TRUE(b.Init(&own));
    At(1000);
    b.Proc(); // all three due: only the targets
    EXPECT_EQ(b.m_dwLastTargeting, 1000u);
    EXPECT_EQ(b.m_dwLastWithdrawal, 0u);
    EXPECT_EQ(b.m_dwLastMapCheck, 0u);
    b.Proc();
    EXPECT_EQ(b.m_dwLastWithdrawal, 1000u);
    EXPECT_EQ(b.m_dwLastMapCheck, 0u);
    b.Proc();
    EXPECT_EQ(b.m_dwLastMapCheck, 1000u);
    At(2999);
    b.Proc();
    EXPECT_EQ(b.m_dwLastMapCheck, 1000u);
    At(3000);
    b.Proc();
    EXPECT_EQ(b.m_dwLastMapCheck, 3000u);
    At(21000);
    b.Proc();
    EXPECT_EQ(b.m_dwLastTargeting, 21000u);
    EXPECT_EQ(b.m_dwLastWithdrawal, 1000u);
}

TEST_F(BehaviourTest, BeatenShipsAreWithdrawnByTheFirstRuleThatHolds) {
    struct Case {
        const char* what;
        float damage, water, heel, fire;
        int gunpowder;
        int kind; // 0: fit
    };
    const Case cases[] = {
        {"damage at 60", 60.0f, 0.0f, 0.0f, 0.0f, 10, LOG_WITHDRAWN_DAMAGE},
        {"damage at 59.9", 59.9f, 0.0f, 0.0f, 0.0f, 10, 0},
        {"water", 0.0f, 35.0f, 0.0f, 0.0f, 10, LOG_WITHDRAWN_WATER},
        {"heel to port", 0.0f, 0.0f, -0.349f, 0.0f, 10, LOG_WITHDRAWN_HEEL},
        {"fire", 0.0f, 0.0f, 0.0f, 60.0f, 10, LOG_WITHDRAWN_FIRE},
        {"no powder", 0.0f, 0.0f, 0.0f, 0.0f, 0, LOG_WITHDRAWN_GUNPOWDER},
        {"damage before water", 70.0f, 50.0f, 0.0f, 0.0f, 10, LOG_WITHDRAWN_DAMAGE},
    };
    CVR3GAMEBattleMapShip ship;
    CVR3GAMEBattleSystemShip d;
    ship.m_pBattleShip = &d;
    for (const Case& c : cases) {
        d.DamagePercent = c.damage;
        d.WaterPercent = c.water;
        d.Heel = c.heel;
        d.FirePercent = c.fire;
        d.Gunpowder = c.gunpowder;
        EXPECT_EQ(CVR3GAMEComputerPlayerBaseBehaviour::UnfitKind(&ship), c.kind) << c.what;
    }
    ship.m_pBattleShip = nullptr;
}

TEST_F(BehaviourTest, WithdrawalSendsABeatenShipAloneToTheRunawayPointAndOffTheMap) {
    CVR3GAMEBattleMapShip* lead = Ship(own, "Lead", 0.0f, 0.0f);
    CVR3GAMEBattleMapShip* hurt = Ship(own, "Hurt", 0.0f, -12.0f);
    CVR3GAMEBattleMapShip* lone = Ship(own, "Lone", 30.0f, 0.0f);
    CVR3GAMEBattleMapShipsColumn* line = Column(own, {lead, hurt});
    CVR3GAMEBattleMapShipsColumn* single = Column(own, {lone});
    CVR3GAMEComputerPlayerBaseBehaviour b;
    b.m_pOwner = &director;
    b.CreateIntellColumnsPool();
    ASSERT_TRUE(b.Init(&own));
    BehaviourColumnRecord* singleRecord = b.m_stdvColumns[1];
    hurt->m_pBattleShip->DamagePercent = 75.0f;
    lone->m_pBattleShip->WaterPercent = 40.0f;
    b.WithdrawalTask();

    // The column of two keeps its lead; the hurt ship sails alone.
    EXPECT_EQ(line->m_stdvBattleShips, (std::vector<CVR3GAMEBattleMapShip*>{lead}));
    EXPECT_TRUE(hurt->m_bWithdrawn);
    ASSERT_NE(hurt->m_pColumn, nullptr);
    EXPECT_NE(hurt->m_pColumn, line);
    ASSERT_EQ(own.m_stdvColumns.size(), 4u);
    EXPECT_EQ(own.m_stdvColumns[2], hurt->m_pColumn);
    EXPECT_EQ(own.m_stdvColumns[3], lone->m_pColumn);
    EXPECT_EQ(hurt->m_pMovementShip->m_iPendingOrder, ORDER_POINT);
    EXPECT_FLOAT_EQ(hurt->m_pMovementShip->m_fOrderZ, -150.0f);
    EXPECT_GT(hurt->m_pColumn->m_fOrderedSpeed, 0.0f);
    // The lone ship's column is left empty; its record is out of the
    // fighting list but kept; the scan stopped with it.
    EXPECT_TRUE(lone->m_bWithdrawn);
    EXPECT_TRUE(single->m_stdvBattleShips.empty());
    ASSERT_EQ(b.m_stdvColumns.size(), 1u);
    EXPECT_EQ(b.m_stdvRetiredColumns, (std::vector<BehaviourColumnRecord*>{singleRecord}));
    EXPECT_EQ(b.m_stdvWithdrawnColumns.size(), 2u);
    EXPECT_EQ(b.m_iWithdrawnCount, 2);
    EXPECT_EQ(LogKinds(), (std::vector<int>{LOG_WITHDRAWN_DAMAGE, LOG_WITHDRAWN_WATER}));

    // Past the battle borders the ship leaves the battle.
    CVR3GAMEBattleLog::Get().Clear();
    MoveTo(hurt, 0.0f, -101.0f);
    const std::size_t pooled = b.m_stdvFreeColumns.size();
    b.WithdrawalTask();
    EXPECT_EQ(LogKinds(), (std::vector<int>{LOG_LEFT_BATTLE}));
    EXPECT_FALSE(hurt->m_bWithdrawn);
    EXPECT_EQ(hurt->m_pColumn, nullptr);
    EXPECT_FALSE(hurt->m_pSceneObject->m_bVisible);
    EXPECT_FALSE(hurt->m_pPhysicalObject->IsActive());
    EXPECT_TRUE(hurt->m_pArtilleryShip->m_vTargets.empty());
    EXPECT_EQ(b.m_stdvWithdrawnColumns.size(), 1u);
    EXPECT_EQ(b.m_stdvFreeColumns.size(), pooled + 1);
}

TEST_F(BehaviourTest, PoolGrowsWhenEmpty) {
    CVR3GAMEComputerPlayerBaseBehaviour b;
    b.CreateIntellColumnsPool();
    std::vector<BehaviourColumnRecord*> taken;
    for (int i = 0; i < 17; ++i) taken.push_back(b.GetFreeIntellColumn());
    for (BehaviourColumnRecord* r : taken) EXPECT_NE(r, nullptr);
    EXPECT_TRUE(b.m_stdvFreeColumns.empty());
    b.m_stdvColumns = taken; // freed by Release
}

TEST_F(BehaviourTest, StrayingColumnIsSentBackAndTheLossOfAllShipsIsLoggedAgain) {
    CVR3GAMEBattleMapShip* a = Ship(own, "A", 0.0f, 0.0f);
    CVR3GAMEBattleMapShipsColumn* c = Column(own, {a});
    CVR3GAMEComputerPlayerBaseBehaviour b;
    b.m_pOwner = &director;
    b.CreateIntellColumnsPool();
    ASSERT_TRUE(b.Init(&own));
    MoveTo(a, 120.0f, 30.0f);
    b.MapCheckTask();
    b.MapCheckTask(); // once only while returning
    EXPECT_EQ(LogKinds(), (std::vector<int>{LOG_COLUMN_STRAYED}));
    EXPECT_EQ(b.m_stdvColumns[0]->m_iKind, COLUMN_RETURNING);
    EXPECT_EQ(c->m_bReturning, 1);
    EXPECT_EQ(a->m_pMovementShip->m_iPendingOrder, ORDER_POINT);
    EXPECT_FLOAT_EQ(a->m_pMovementShip->m_fOrderX, 0.0f);
    EXPECT_FLOAT_EQ(a->m_pMovementShip->m_fOrderZ, 0.0f);
    MoveTo(a, 90.0f, 30.0f);
    b.MapCheckTask();
    EXPECT_EQ(b.m_stdvColumns[0]->m_iKind, COLUMN_FIGHTING);
    EXPECT_EQ(c->m_bReturning, 0);

    CVR3GAMEBattleLog::Get().Clear();
    c->RemoveShip(a);
    b.MapCheckTask();
    b.MapCheckTask();
    ASSERT_EQ(LogKinds(), (std::vector<int>{BATTLE_LOG_SIDE_LOST, BATTLE_LOG_SIDE_LOST}));
    EXPECT_EQ(CVR3GAMEBattleLog::Get().GetEntries()[0].m_strCategory, "Own");
}

// ---- the computer's roles ----

class RolesTest : public BehaviourTest {
public:
    // Own columns of 3, 2 and 1 ships (strongest first) heading north from
    // z = -60; the enemy's columns of 2 and 1 heading south from z = 60.
    // With `thirdEnemy` above 0 the enemy has a third column: one ship at
    // (-40, 60) whose armour and artillery ratings are scaled by it.
    void Fleet(bool secondEnemyColumn = true, float thirdEnemy = 0.0f) {
        for (int i = 0; i < 3; ++i) strong.push_back(Ship(own, "S" + std::to_string(i), 0.0f, -60.0f - 12.0f * i));
        for (int i = 0; i < 2; ++i) middle.push_back(Ship(own, "M" + std::to_string(i), 40.0f, -60.0f - 12.0f * i));
        weak.push_back(Ship(own, "W0", -40.0f, -60.0f));
        // Weakest first in the list: the roles come from strength, not order.
        Column(own, weak);
        Column(own, strong);
        Column(own, middle);
        for (int i = 0; i < 2; ++i) foe1.push_back(Ship(enemy, "F" + std::to_string(i), 0.0f, 60.0f + 12.0f * i, true));
        if (secondEnemyColumn) {
            foe2.push_back(Ship(enemy, "G0", 40.0f, 60.0f, true));
            Column(enemy, foe2);
        }
        if (thirdEnemy > 0.0f) {
            foe3.push_back(Ship(enemy, "H0", -40.0f, 60.0f, true, thirdEnemy, 100.0f * thirdEnemy));
            Column(enemy, foe3);
        }
        Column(enemy, foe1);
    }
    std::vector<CVR3GAMEBattleMapShip*> strong, middle, weak, foe1, foe2, foe3;
    CVR3GAMEComputerPlayerBehaviourOne one;
};

TEST_F(RolesTest, RolesAndEnemyColumnsByStrength) {
    Fleet();
    ASSERT_TRUE(one.Init(&director));
    ASSERT_NE(one.m_pRole1, nullptr);
    EXPECT_EQ(one.m_pRole1->m_pColumn->m_stdvBattleShips, strong);
    EXPECT_EQ(one.m_pRole2->m_pColumn->m_stdvBattleShips, middle);
    EXPECT_EQ(one.m_pRole3->m_pColumn->m_stdvBattleShips, weak);
    EXPECT_FLOAT_EQ(one.m_pRole1->m_fStrength, 3 * (200.0f + 100.0f));
    EXPECT_EQ(one.m_pEnemy1->m_pColumn->m_stdvBattleShips, foe1);
    EXPECT_EQ(one.m_pEnemy2->m_pColumn->m_stdvBattleShips, foe2);
    EXPECT_EQ(one.m_pEnemy3, nullptr);
}

TEST_F(RolesTest, InitNeedsExactlyOneEnemy) {
    Fleet();
    CVR3GAMEBattleMapPlayer other;
    other.m_strPlayerName = "Other";
    director.m_stdvEnemies.push_back(&other);
    EXPECT_FALSE(one.Init(&director));
    EXPECT_FALSE(one.Init(nullptr));
}

TEST_F(RolesTest, FirstFrameRePlansAndClosesOnTheStrongestEnemy) {
    Fleet();
    ASSERT_TRUE(one.Init(&director));
    At(500);
    one.Proc();
    // A re-plan frame: the base's targeting waits for the next frame.
    EXPECT_EQ(one.m_dwLastReplan, 500u);
    EXPECT_EQ(one.m_dwLastTargeting, 0u);
    // Role 1 is 120 units off: it closes on enemy 1's lead at full speed.
    EXPECT_EQ(one.m_pRole1->m_iKind, COLUMN_CLOSING_ENEMY1);
    CVR3GAMEMovementShip* lead = strong.front()->m_pMovementShip;
    EXPECT_EQ(lead->m_iPendingOrder, ORDER_POINT);
    EXPECT_FLOAT_EQ(lead->m_fOrderX, 0.0f);
    EXPECT_FLOAT_EQ(lead->m_fOrderZ, 60.0f);
    EXPECT_FLOAT_EQ(one.m_pRole1->m_pColumn->m_fOrderedSpeed, one.m_pRole1->m_pColumn->m_fMaxSpeed);
    // Role 2 takes on enemy 2; role 3 keeps station 30 units astern of
    // role 1's last ship while role 2 closes.
    EXPECT_EQ(one.m_pRole2->m_iKind, COLUMN_CLOSING_ENEMY2);
    EXPECT_FLOAT_EQ(middle.front()->m_pMovementShip->m_fOrderX, 40.0f);
    CVR3GAMEMovementShip* reserve = weak.front()->m_pMovementShip;
    EXPECT_EQ(reserve->m_iPendingOrder, ORDER_POINT);
    EXPECT_NEAR(reserve->m_fOrderX, 0.0f, 1e-4f);
    EXPECT_NEAR(reserve->m_fOrderZ, -84.0f - 30.0f, 1e-4f);
    one.Proc();
    EXPECT_EQ(one.m_dwLastTargeting, 500u);
}

TEST_F(RolesTest, FlankAndEngageDistancesOfRoleOne) {
    Fleet();
    ASSERT_TRUE(one.Init(&director));
    // Within 45 units: the flank point B = 8 off enemy 1's lead, slowly.
    MoveTo(strong.front(), 0.0f, 25.0f);
    At(500);
    one.Proc();
    EXPECT_EQ(one.m_pRole1->m_iKind, COLUMN_ENGAGING_ENEMY1);
    CVR3GAMEMovementShip* lead = strong.front()->m_pMovementShip;
    EXPECT_EQ(lead->m_iPendingOrder, ORDER_POINT);
    // The own lead lies dead ahead of the enemy (g = 0): its side axis, not negated.
    EXPECT_NEAR(lead->m_fOrderX, -8.0f, 1e-3f);
    EXPECT_NEAR(lead->m_fOrderZ, 60.0f, 1e-3f);
    EXPECT_FLOAT_EQ(one.m_pRole1->m_pColumn->m_fOrderedSpeed, 3.0f);
    // Within 24 units: a course, and a quarter of the column's speed against
    // a stopped enemy.
    MoveTo(strong.front(), 5.0f, 45.0f);
    At(10500);
    one.Proc();
    EXPECT_EQ(lead->m_iPendingOrder, ORDER_COURSE);
    EXPECT_NEAR(std::hypot(lead->m_fOrderX, lead->m_fOrderZ), 1.0f, 1e-4f);
    EXPECT_FLOAT_EQ(one.m_pRole1->m_pColumn->m_fOrderedSpeed, one.m_pRole1->m_pColumn->m_fMaxSpeed * 0.25f);
}

TEST_F(RolesTest, RolesMoveUpWhenAColumnIsWithdrawnAndNoEnemyMeansNoOrders) {
    Fleet();
    ASSERT_TRUE(one.Init(&director));
    BehaviourColumnRecord* second = one.m_pRole2;
    BehaviourColumnRecord* third = one.m_pRole3;
    one.m_pRole1->m_iKind = COLUMN_WITHDRAWN;
    At(500);
    one.Proc();
    EXPECT_EQ(one.m_pRole1, second);
    EXPECT_EQ(one.m_pRole2, third);
    EXPECT_EQ(one.m_pRole3, nullptr);

    // Every enemy ship gone from its columns: no role gets orders, re-plan
    // after re-plan, while the enemy records move up and are dropped.
    for (CVR3GAMEBattleMapShip* s : foe1) s->m_pColumn->RemoveShip(s);
    for (CVR3GAMEBattleMapShip* s : foe2) s->m_pColumn->RemoveShip(s);
    for (DWORD t : {10500u, 20500u}) {
        middle.front()->m_pMovementShip->m_iPendingOrder = ORDER_NONE;
        At(t);
        one.Proc();
        EXPECT_TRUE(!one.m_pEnemy1 || !one.m_pEnemy1->m_pLeadShip);
        EXPECT_EQ(middle.front()->m_pMovementShip->m_iPendingOrder, ORDER_NONE);
    }
    EXPECT_EQ(one.m_pEnemy1, nullptr);
}

TEST_F(RolesTest, SecondRoleSupportsAClosingFirstRoleAtNineTenthsOfItsSpeed) {
    // One enemy column only: role 2 supports role 1.
    Fleet(false);
    ASSERT_TRUE(one.Init(&director));
    EXPECT_EQ(one.m_pEnemy2, nullptr);
    At(500);
    one.Proc();
    ASSERT_EQ(one.m_pRole1->m_iKind, COLUMN_CLOSING_ENEMY1);
    EXPECT_EQ(one.m_pRole2->m_iKind, COLUMN_CLOSING_ENEMY1);
    EXPECT_NEAR(one.m_pRole2->m_pColumn->m_fOrderedSpeed, one.m_pRole1->m_pColumn->m_fMaxSpeed * 0.9f, 1e-4f);
}

// The reserve against a third enemy column whose ratings are `third` times
// its own, with role 2 within 45 units of enemy 2 (flanking) or not (closing).
void ReserveCase(RolesTest& t, float third, bool roleTwoNear, bool attacks) {
    t.Fleet(true, third);
    if (roleTwoNear) t.MoveTo(t.middle.front(), 40.0f, 30.0f);
    ASSERT_TRUE(t.one.Init(&t.director));
    ASSERT_NE(t.one.m_pEnemy3, nullptr);
    t.At(500);
    t.one.Proc();
    EXPECT_EQ(t.one.m_pRole2->m_iKind, roleTwoNear ? COLUMN_ENGAGING_ENEMY2 : COLUMN_CLOSING_ENEMY2);
    const CVR3GAMEMovementShip* reserve = t.weak.front()->m_pMovementShip;
    ASSERT_EQ(reserve->m_iPendingOrder, ORDER_POINT);
    if (attacks) {
        // The flank of enemy 3 on its side axis (it heads south: -x), B = 8 off.
        EXPECT_NEAR(reserve->m_fOrderX, -48.0f, 1e-3f);
        EXPECT_NEAR(reserve->m_fOrderZ, 60.0f, 1e-3f);
    } else {
        // 30 units astern of role 1's last ship.
        EXPECT_NEAR(reserve->m_fOrderX, 0.0f, 1e-3f);
        EXPECT_NEAR(reserve->m_fOrderZ, -114.0f, 1e-3f);
    }
    EXPECT_FLOAT_EQ(t.one.m_pRole3->m_pColumn->m_fOrderedSpeed, t.one.m_pRole3->m_pColumn->m_fMaxSpeed);
    EXPECT_EQ(t.one.m_pRole3->m_iKind, COLUMN_FIGHTING);
}

TEST_F(RolesTest, ReserveFlanksAWeakerThirdColumnOnceRoleTwoIsEngaged) { ReserveCase(*this, 0.5f, true, true); }
TEST_F(RolesTest, ReserveKeepsStationWhileRoleTwoCloses) { ReserveCase(*this, 0.5f, false, false); }
TEST_F(RolesTest, ReserveLeavesAnAsStrongThirdColumnAlone) { ReserveCase(*this, 1.0f, true, false); }

TEST_F(BehaviourTest, DirectorsOwnTheirBehaviours) {
    CVR3GAMEBattleMapPlayerDirectorComputer computer;
    EXPECT_FALSE(computer.InitBehaviour());
    ASSERT_TRUE(computer.CreateBehaviour());
    EXPECT_EQ(computer.m_pBehaviour->m_iKind, 1);
    computer.Release();
    EXPECT_EQ(computer.m_pBehaviour, nullptr);

    CVR3GAMEBattleMapPlayerDirectorHuman human;
    EXPECT_FALSE(human.InitBehaviour());
    ASSERT_TRUE(human.CreateBehaviour());
    // No battle map yet: the battle cannot start for the human.
    EXPECT_FALSE(human.InitBehaviour());
    EXPECT_EQ(human.m_pCurrentBehaviour->m_pOwner, &human);
    EXPECT_FALSE(human.SetMapScreen(nullptr));
    // Set up twice for a player of two columns: two records, not four.
    CVR3GAMEBattleMapShip* a = Ship(own, "A", 0.0f, 0.0f);
    CVR3GAMEBattleMapShip* b = Ship(own, "B", 30.0f, 0.0f);
    Column(own, {a});
    Column(own, {b});
    director.m_pPlayer = nullptr;
    own.m_pDirector = nullptr;
    human.m_pPlayer = &own;
    human.InitBehaviour();
    human.InitBehaviour();
    EXPECT_EQ(human.m_pCurrentBehaviour->m_stdvColumns.size(), 2u);
    EXPECT_EQ(human.m_pCurrentBehaviour->m_stdvFreeColumns.size(), 13u);
    human.m_pPlayer = nullptr;
}

} // namespace

namespace {

// Turns a ship to a heading (from +z towards +x, starboard positive).
void Turn(CVR3GAMEBattleMapShip* s, float heading) {
    D3DXMATRIX m;
    D3DXMatrixRotationY(&m, heading);
    m._41 = s->m_pSceneObject->m_mWorld._41;
    m._43 = s->m_pSceneObject->m_mWorld._43;
    s->m_pSceneObject->SetWorldMatrix(&m);
    s->m_pSceneObject->m_bMoved = true;
}

} // namespace

TEST_F(RolesTest, EngagedColumnTurnsTowardsTheEnemysCourseAndSide) {
    // Role 1's lead heads north close to enemy 1's lead. It turns half-way
    // to the enemy's course, and a little more towards the side the enemy
    // lies on while farther than B = 8: starboard for an enemy steaming to
    // starboard, port for one steaming to port.
    const struct {
        float ownX, ownZ, enemyHeading;
        float courseAngle; // from north, starboard positive
        const char* what;
    } cases[] = {
        {-2.0f, 48.0f, kPi / 2.0f, kPi / 4.0f + 0.0872f, "enemy crossing to starboard, lying to starboard"},
        {0.0f, 48.0f, kPi / 2.0f, kPi / 4.0f - 0.0872f, "enemy crossing to starboard, dead ahead"},
        {2.0f, 48.0f, -kPi / 2.0f, -kPi / 4.0f - 0.0872f, "enemy crossing to port, lying to port"},
        {0.0f, 55.0f, kPi / 2.0f, kPi / 4.0f, "within B: half-way to its course only"},
        {3.0f, 52.0f, -kPi / 4.0f, -kPi / 8.0f - 0.0872f, "enemy on a port bow course"},
    };
    Fleet();
    ASSERT_TRUE(one.Init(&director));
    DWORD t = 500;
    for (const auto& c : cases) {
        MoveTo(strong.front(), c.ownX, c.ownZ);
        Turn(foe1.front(), c.enemyHeading);
        world.m_tree.UpdateMovedObjects();
        CVR3GAMEMovementShip* lead = strong.front()->m_pMovementShip;
        lead->m_iPendingOrder = ORDER_NONE;
        At(t);
        t += 10000;
        one.Proc();
        ASSERT_EQ(lead->m_iPendingOrder, ORDER_COURSE) << c.what;
        EXPECT_NEAR(std::atan2(lead->m_fOrderX, lead->m_fOrderZ), c.courseAngle, 1e-3f) << c.what;
    }
}

TEST_F(RolesTest, FlankingColumnsTakeOppositeSidesOfTheEnemy) {
    // Enemy 1 alone, heading south at (0, 60): its starboard side is -x.
    // Role 1 takes the flank on the side it stands (dead ahead counts as the
    // enemy's starboard); role 2 supports from the other flank.
    const struct {
        float roleOneX;
        float roleOnePointX, roleTwoPointX;
        const char* what;
    } cases[] = {
        {0.0f, -8.0f, 8.0f, "role 1 dead ahead of the enemy"},
        {10.0f, 8.0f, -8.0f, "role 1 off the enemy's port bow"},
        {-10.0f, -8.0f, 8.0f, "role 1 off the enemy's starboard bow"},
    };
    Fleet(false);
    ASSERT_TRUE(one.Init(&director));
    DWORD t = 500;
    for (const auto& c : cases) {
        MoveTo(strong.front(), c.roleOneX, 30.0f);
        MoveTo(middle.front(), 0.0f, 24.0f);
        CVR3GAMEMovementShip* first = strong.front()->m_pMovementShip;
        CVR3GAMEMovementShip* second = middle.front()->m_pMovementShip;
        At(t);
        t += 10000;
        one.Proc();
        ASSERT_EQ(one.m_pRole1->m_iKind, COLUMN_ENGAGING_ENEMY1) << c.what;
        ASSERT_EQ(first->m_iPendingOrder, ORDER_POINT) << c.what;
        ASSERT_EQ(second->m_iPendingOrder, ORDER_POINT) << c.what;
        EXPECT_NEAR(first->m_fOrderX, c.roleOnePointX, 1e-3f) << c.what;
        EXPECT_NEAR(second->m_fOrderX, c.roleTwoPointX, 1e-3f) << c.what;
        EXPECT_NEAR(first->m_fOrderZ, 60.0f, 1e-3f) << c.what;
        EXPECT_NEAR(second->m_fOrderZ, 60.0f, 1e-3f) << c.what;
    }
}
