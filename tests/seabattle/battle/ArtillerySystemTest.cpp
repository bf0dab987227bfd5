// The artillery system: twice a second every ship's parts take targets from
// the ship's list, turn and elevate within 5 degrees and fire when the hit
// chance reaches the target's minimum; fired guns feed the shot queue.
#include "engine3/core/CDX9KelGameTimer.h"
#include "engine3/core/scene/CDX9KelSceneObject.h"
#include "seabattle/battle/BattleProcessingState.h"
#include "seabattle/battle/CVR3GAMEAnimatedShip.h"
#include "seabattle/battle/CVR3GAMEArtilleryShip.h"
#include "seabattle/battle/CVR3GAMEBattleMapArtillerySystem.h"
#include "seabattle/battle/CVR3GAMEBattleMapShip.h"
#include "seabattle/battle/CVR3GAMEBattleSystemShip.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

using namespace SeaBattle;

namespace {

constexpr float kT = CVR3GAMEBattleMapArtillerySystem::kTolerance;

ShipSector Sector(float least, float greatest) {
    ShipSector s;
    s.Direction = D3DXVECTOR2(0.0f, 1.0f);
    s.Right = D3DXVECTOR2(1.0f, 0.0f);
    s.LeftAngles = s.RightAngles = D3DXVECTOR2(least, greatest);
    s.TopPosition.y = 1000.0f;
    s.ButtomPosition.y = -1000.0f;
    return s;
}

// A ship at a place with one hull part (side area 1000) seen from all round
// and, when armed, one turret on it: a gun whose barrels elevate.
struct ArmedShip {
    ArmedShip(const char* name, float x, float z, int barrels) {
        ship.m_strName = name;
        D3DXMatrixTranslation(&scene.m_mWorld, x, 0.0f, z);
        ship.m_pSceneObject = &scene;
        auto* d = new CVR3GAMEBattleSystemShip;
        auto* hull = new CBattleSystemShipPart;
        hull->Durability = 100.0f;
        hull->Length = 100.0f;
        hull->Height = 10.0f;
        hull->Area = 1000.0f;
        d->Parts.push_back(hull);
        d->AboveWaterArea = 800.0f;
        d->CrewTraining = 1.0f;
        d->Gunpowder = 0;
        ship.m_pBattleShip = d;
        auto* artillery = new CVR3GAMEArtilleryShip;
        ship.m_pArtilleryShip = artillery;
        auto* part = new CArtilleryPart;
        part->m_pDamageElement = hull;
        part->DamageSectors.push_back(Sector(-4.0f, 4.0f));
        artillery->m_vParts.push_back(part);
        if (barrels == 0) return;
        part->BombardSectors.push_back(Sector(-4.0f, 4.0f));
        turret.Rotation = true;
        part->m_pAnimatedPart = &turret;
        hull->Guns.emplace_back();
        gun = &hull->Guns.back();
        gun->FallAccuracy = 0.1f;
        gun->BeginShellSpeed = 100.0f;
        gun->Shells = 10;
        auto* g = new CArtilleryPart;
        g->m_pDamageElement = gun;
        g->m_pAnimatedPart = &gunPart; // does not turn itself: its barrels do
        g->BombardAngles = D3DXVECTOR4(-1.0f, 1.0f, -0.5f, 0.5f);
        part->m_vChildren.push_back(g);
        barrelParts.resize(static_cast<std::size_t>(barrels));
        for (CVR3GAMEAnimatedPart& b : barrelParts) {
            b.Rotation = true;
            auto* c = new CArtilleryPart;
            c->m_pDamageElement = gun;
            c->m_pAnimatedPart = &b;
            c->BombardAngles = g->BombardAngles;
            g->m_vChildren.push_back(c);
        }
    }
    ~ArmedShip() { ship.m_pSceneObject = nullptr; }

    Vorna3D::CDX9KelSceneObject scene;
    CVR3GAMEBattleMapShip ship;
    CVR3GAMEAnimatedPart turret, gunPart;
    std::vector<CVR3GAMEAnimatedPart> barrelParts;
    CBattleSystemShipGun* gun = nullptr;
};

class Artillery : public ::testing::Test {
protected:
    void SetUp() override {
        BattleProcessingState::Get().ClearBattleProcessing(true);
        timer.m_dwGameTime = 1000;
        ships.push_back(&own.ship);
        system.Init(&ships, &timer);
    }
    void TearDown() override { BattleProcessingState::Get().ClearBattleProcessing(true); }
    // Runs one pass now (the first call only starts the period).
    void Pass() {
        system.Proc();
        timer.m_dwGameTime += 500;
        ASSERT_TRUE(system.Proc());
    }
    std::size_t Shots() const { return BattleProcessingState::Get().GetPendingShotCount(); }
    void Target(ArmedShip& t, float minimum = 25.0f, float range = 10000.0f) {
        own.ship.m_pArtilleryShip->AddTarget(&t.ship, minimum, range);
    }

    Vorna3D::CDX9KelGameTimer timer;
    ArmedShip own{"Own", 0.0f, 0.0f, 1};
    std::vector<CVR3GAMEBattleMapShip*> ships;
    CVR3GAMEBattleMapArtillerySystem system;
};

} // namespace

TEST_F(Artillery, PassesRunEveryHalfSecondOfBattleTime) {
    EXPECT_FALSE(system.Proc()); // starts the period
    timer.m_dwGameTime += 499;
    EXPECT_FALSE(system.Proc());
    timer.m_dwGameTime += 1;
    EXPECT_TRUE(system.Proc());
    timer.m_dwGameTime += 499;
    EXPECT_FALSE(system.Proc());
}

TEST_F(Artillery, GunOnTargetFiresAndQueuesTheShot) {
    ArmedShip enemy("Enemy", 0.0f, 20.0f, 0);
    Target(enemy);
    Pass();
    ASSERT_EQ(Shots(), 1u);
    const ShotRecord* shot = nullptr;
    for (const ShotRecord* r : BattleProcessingState::Get().GetActiveShots())
        if (r) shot = r;
    ASSERT_NE(shot, nullptr);
    EXPECT_EQ(shot->m_pFiringMatrix, &own.scene.m_mWorld);
    EXPECT_EQ(shot->m_pTargetMatrix, &enemy.scene.m_mWorld);
    EXPECT_EQ(shot->m_pGunPart, &own.barrelParts[0]);
    EXPECT_EQ(shot->m_pGun, own.gun);
    ASSERT_EQ(shot->m_vTargetParts.size(), 1u);
    EXPECT_EQ(shot->m_vTargetParts[0], enemy.ship.m_pArtilleryShip->m_vParts[0]);
    EXPECT_FLOAT_EQ(shot->m_fPartArea, 1000.0f);
    EXPECT_FLOAT_EQ(shot->m_fDistance, 20.0f);
    EXPECT_FLOAT_EQ(shot->m_fHitChance, 99.0f - 20.0f * 18.5f * 0.1f); // area 800 adds nothing
    EXPECT_EQ(shot->m_dwFlightTime, 200u);                             // 20 units at 100 per second
    EXPECT_TRUE(own.gun->Reloading);
    EXPECT_TRUE(own.barrelParts[0].m_bFiring);
    EXPECT_EQ(own.gun->Shells, 9);
    // Reloading: silent on the next pass.
    own.barrelParts[0].m_bFiring = false;
    Pass();
    EXPECT_EQ(Shots(), 1u);
}

TEST_F(Artillery, AmmunitionShellsThenPowderThenNothing) {
    struct Case {
        int32_t shells, powder;
        std::size_t shots;
        int32_t shellsAfter, powderAfter;
    } cases[] = {{1, 0, 1, 0, 0}, {0, 2, 1, 0, 1}, {-1, 1, 1, -1, 0}, {0, 0, 0, 0, 0}};
    for (const Case& c : cases) {
        BattleProcessingState::Get().ClearBattleProcessing(false);
        ArmedShip shooter("Own", 0.0f, 0.0f, 1);
        ArmedShip enemy("Enemy", 0.0f, 20.0f, 0);
        std::vector<CVR3GAMEBattleMapShip*> list{&shooter.ship};
        CVR3GAMEBattleMapArtillerySystem s;
        s.Init(&list, &timer);
        shooter.ship.m_pArtilleryShip->AddTarget(&enemy.ship, 25.0f, 10000.0f);
        shooter.gun->Shells = c.shells;
        shooter.ship.m_pBattleShip->Gunpowder = c.powder;
        s.Proc();
        timer.m_dwGameTime += 500;
        s.Proc();
        EXPECT_EQ(Shots(), c.shots) << c.shells << " " << c.powder;
        EXPECT_EQ(shooter.gun->Shells, c.shellsAfter);
        EXPECT_EQ(shooter.ship.m_pBattleShip->Gunpowder, c.powderAfter);
    }
}

TEST_F(Artillery, TwinBarrelsFireTogetherEachOnItsOwnRound) {
    struct Case {
        int32_t shells, powder;
        std::size_t shots;
    } cases[] = {{2, 0, 2}, {1, 0, 1}, {1, 1, 2}, {0, 1, 1}};
    for (const Case& c : cases) {
        BattleProcessingState::Get().ClearBattleProcessing(false);
        ArmedShip shooter("Own", 0.0f, 0.0f, 2);
        ArmedShip enemy("Enemy", 0.0f, 20.0f, 0);
        std::vector<CVR3GAMEBattleMapShip*> list{&shooter.ship};
        CVR3GAMEBattleMapArtillerySystem s;
        s.Init(&list, &timer);
        shooter.ship.m_pArtilleryShip->AddTarget(&enemy.ship, 25.0f, 10000.0f);
        shooter.gun->Shells = c.shells;
        shooter.ship.m_pBattleShip->Gunpowder = c.powder;
        s.Proc();
        timer.m_dwGameTime += 500;
        s.Proc();
        EXPECT_EQ(Shots(), c.shots) << c.shells << " " << c.powder;
        EXPECT_GE(shooter.ship.m_pBattleShip->Gunpowder, 0);
        EXPECT_GE(shooter.gun->Shells, 0);
    }
}

TEST_F(Artillery, TurretOffTheTargetTurnsToTheMiddleOfTheWindowWithoutFiring) {
    ArmedShip enemy("Enemy", 20.0f, 0.0f, 0); // abeam
    Target(enemy);
    Pass();
    EXPECT_EQ(Shots(), 0u);
    EXPECT_NEAR(std::fabs(own.turret.m_fTargetBearing), 1.5707963f, 1e-4f);
    // Once turned, it fires.
    own.turret.m_fBearing = own.turret.m_fTargetBearing;
    Pass();
    EXPECT_EQ(Shots(), 1u);
}

TEST_F(Artillery, ExactlyFiveDegreesOffIsOutsideTheTolerance) {
    ArmedShip enemy("Enemy", 0.0f, 20.0f, 0);
    Target(enemy);
    own.turret.m_fBearing = kT;
    Pass();
    EXPECT_EQ(Shots(), 0u);
    own.turret.m_fBearing = kT * 0.99f;
    Pass();
    EXPECT_EQ(Shots(), 1u);
}

TEST_F(Artillery, GunsElevateBeforeTheyFire) {
    ArmedShip enemy("Enemy", 0.0f, 20.0f, 0);
    enemy.ship.m_pArtilleryShip->m_vParts[0]->Center = D3DXVECTOR3(0.0f, 4.0f, 0.0f); // above the gun
    Target(enemy);
    Pass();
    EXPECT_EQ(Shots(), 0u);
    const float e = std::asin(4.0f / std::sqrt(400.0f + 16.0f));
    EXPECT_NEAR(own.barrelParts[0].m_fTargetElevation, e, 1e-4f);
    own.barrelParts[0].m_fElevation = e;
    Pass();
    EXPECT_EQ(Shots(), 1u);
    EXPECT_FLOAT_EQ(own.barrelParts[0].m_fTargetElevation, 0.0f); // back down after the shot
}

TEST_F(Artillery, FireDisabledStillTurnsButQueuesNothing) {
    ArmedShip ahead("Ahead", 0.0f, 20.0f, 0);
    Target(ahead);
    own.ship.m_pArtilleryShip->m_bFireEnabled = false;
    Pass();
    EXPECT_EQ(Shots(), 0u);
    EXPECT_FALSE(own.gun->Reloading);
}

TEST_F(Artillery, NoTargetsTurnsTheTurretBackToRest) {
    own.turret.m_fTargetBearing = 1.0f;
    Pass();
    EXPECT_FLOAT_EQ(own.turret.m_fTargetBearing, 0.0f);
}

TEST_F(Artillery, RangeLimitIsInclusiveAndZeroDistanceNeverFires) {
    struct Case {
        float z, rangeSquared;
        std::size_t shots;
    } cases[] = {{20.0f, 400.0f, 1}, {20.0f, 399.9f, 0}, {0.0f, 400.0f, 0}};
    for (const Case& c : cases) {
        BattleProcessingState::Get().ClearBattleProcessing(false);
        own.gun->Reloading = false;
        own.barrelParts[0].m_bFiring = false;
        own.ship.m_pArtilleryShip->ClearTargets();
        ArmedShip enemy("Enemy", 0.0f, c.z, 0);
        Target(enemy, 1.0f, c.rangeSquared);
        Pass();
        EXPECT_EQ(Shots(), c.shots) << c.z << " " << c.rangeSquared;
    }
}

TEST_F(Artillery, MinimumHitChanceHoldsFire) {
    ArmedShip enemy("Enemy", 0.0f, 20.0f, 0); // chance 62
    Target(enemy, 63.0f);
    Pass();
    EXPECT_EQ(Shots(), 0u);
    own.ship.m_pArtilleryShip->ClearTargets();
    Target(enemy, 62.0f);
    Pass();
    EXPECT_EQ(Shots(), 1u);
}

TEST_F(Artillery, EachPartTakesTheFirstTargetItCanSee) {
    // The turret sees only ahead; A is abeam, B ahead.
    own.ship.m_pArtilleryShip->m_vParts[0]->BombardSectors = {Sector(-0.5f, 0.5f)};
    ArmedShip a("A", 20.0f, 0.0f, 0), b("B", 0.0f, 20.0f, 0);
    Target(a);
    Target(b);
    Pass();
    EXPECT_EQ(own.ship.m_pArtilleryShip->m_vParts[0]->m_pChosenTarget, &own.ship.m_pArtilleryShip->m_vTargets[1]);
    EXPECT_EQ(Shots(), 1u);
    // Next pass A has come ahead: the part chooses afresh and takes A.
    D3DXMatrixTranslation(&a.scene.m_mWorld, 0.0f, 0.0f, 30.0f);
    own.gun->Reloading = false;
    own.barrelParts[0].m_bFiring = false;
    Pass();
    EXPECT_EQ(own.ship.m_pArtilleryShip->m_vParts[0]->m_pChosenTarget, &own.ship.m_pArtilleryShip->m_vTargets[0]);
}

TEST_F(Artillery, GunWithoutShellSpeedNeverFires) {
    ArmedShip enemy("Enemy", 0.0f, 20.0f, 0);
    Target(enemy);
    own.gun->BeginShellSpeed = 0.0f;
    Pass();
    EXPECT_EQ(Shots(), 0u);
    EXPECT_EQ(own.gun->Shells, 10);
}

TEST_F(Artillery, InactiveArtilleryOrTargetOfAnotherKindIsLeftAlone) {
    ArmedShip enemy("Enemy", 0.0f, 20.0f, 0);
    Target(enemy);
    enemy.ship.m_uKind = 1;
    Pass();
    EXPECT_EQ(Shots(), 0u);
    enemy.ship.m_uKind = 0;
    own.ship.m_pArtilleryShip->m_bActive = false;
    Pass();
    EXPECT_EQ(Shots(), 0u);
}
