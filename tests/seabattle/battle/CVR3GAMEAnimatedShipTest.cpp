// The animated aspect: propellers, rudders, flags, smoke, wakes and bow
// waves by force and speed, engine sounds, turrets and guns turning and
// recoiling, damage looks, sinking and the reset after a battle.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "engine3/core/resources/CDX9KelModel.h"
#include "engine3/core/scene/CDX9KelSceneObject.h"
#include "engine3/world/particles/CDX9KelBasePSEffector.h"
#include "engine3/world/particles/CDX9KelPSEmitterBox.h"
#include "engine3/world/particles/CDX9KelPSEmitterPoint.h"
#include "engine3/world/particles/CDX9KelParticlesSystem.h"
#include "engine3/world/particles/CDX9KelParticlesSystemsManager.h"
#include "seabattle/battle/CVR3GAMEAnimatedShip.h"
#include "seabattle/battle/CVR3GAMEMovementShip.h"

using namespace SeaBattle;
using namespace Vorna3D;

namespace {

constexpr float kPi = 3.14159265f;

// A model frame of its own with the changed flag it reports to.
struct Frame {
    Frame() { record.m_pChanged = &changed; }
    CDX9KelFrameRecord record;
    bool changed = false;
};

bool Near(const D3DXMATRIX& a, const D3DXMATRIX& b, float eps = 1e-5f) {
    for (int i = 0; i < 16; ++i)
        if (std::fabs(a.m[i / 4][i % 4] - b.m[i / 4][i % 4]) > eps)
            return false;
    return true;
}

// A particle unit with one emitter of the given kind and file values.
std::unique_ptr<CDX9KelParticlesSystem> MakeUnit(bool point, DWORD toCreate, DWORD max, float interval,
                                                 float velocity = 0.0f) {
    auto unit = std::make_unique<CDX9KelParticlesSystem>();
    CDX9KelBasePSEmitter* e = point ? static_cast<CDX9KelBasePSEmitter*>(new CDX9KelPSEmitterPoint())
                                    : new CDX9KelPSEmitterBox();
    e->m_dwParticlesToCreation = toCreate;
    e->m_dwMaxParticles = max;
    e->m_fCreationInterval = interval;
    e->m_fStartVelocity = velocity;
    unit->m_vEmitters.push_back(e);
    return unit;
}

class AnimatedShipTest : public ::testing::Test {
protected:
    void SetUp() override {
        move.m_fMaxForce = 1000.0f;
        move.m_fMaxSpeed = 10.0f;
        ship.m_pMovementShip = &move;
        ship.m_pSceneObject = &hull;
    }
    // One physics step's worth of change flags, then an animation tick.
    void Tick(float dt, bool force = false, bool rudder = false, bool speed = false) {
        move.m_bForceChanging = force;
        move.m_bRudderMoving = rudder;
        move.m_bSpeedChanged = speed;
        ship.Animate(dt);
    }
    CVR3GAMEAnimatedPart* AddPart(std::vector<CVR3GAMEAnimatedPart*>& list, Frame& frame) {
        auto* p = new CVR3GAMEAnimatedPart();
        p->m_pFrame = &frame.record;
        list.push_back(p);
        return p;
    }

    CVR3GAMEMovementShip move;
    CDX9KelSceneObject hull;
    CVR3GAMEAnimatedShip ship;
};

} // namespace

TEST_F(AnimatedShipTest, UnboundShipDoesNothingAndKeepsItsRefresh) {
    CVR3GAMEAnimatedShip lone;
    Frame f;
    auto* p = new CVR3GAMEAnimatedPart();
    p->m_pFrame = &f.record;
    lone.m_vPropellerParts.push_back(p);
    lone.m_bRefresh = true;
    lone.Animate(0.05f);
    EXPECT_TRUE(lone.m_bRefresh);
    EXPECT_FALSE(f.changed);
    EXPECT_FALSE(lone.Init(nullptr, &move));
}

TEST_F(AnimatedShipTest, PropellersTurnWithTheLastComputedForce) {
    Frame f;
    AddPart(ship.m_vPropellerParts, f);
    move.m_fForce = 500.0f; // half force
    Tick(0.05f, true);
    const float step = 0.5f * 9.42f * 0.05f;
    EXPECT_NEAR(ship.m_fPropellerStep, step, 1e-6f);
    // Turned by minus the step about the propeller axis (z).
    EXPECT_NEAR(std::atan2(f.record.m_mLocal._12, f.record.m_mLocal._11), -step, 1e-5f);
    EXPECT_TRUE(f.changed);
    // Force unchanged: the same step again, even with a longer tick.
    Tick(0.5f, false);
    EXPECT_NEAR(std::atan2(f.record.m_mLocal._12, f.record.m_mLocal._11), -2 * step, 1e-5f);
    // No force: the propellers stand.
    move.m_fForce = 0.0f;
    Tick(0.05f, true);
    const D3DXMATRIX standing = f.record.m_mLocal;
    Tick(0.05f, false);
    EXPECT_TRUE(Near(f.record.m_mLocal, standing));
    // Astern: backwards.
    move.m_fForce = -1000.0f;
    Tick(0.05f, true);
    EXPECT_LT(ship.m_fPropellerStep, 0.0f);
}

TEST_F(AnimatedShipTest, RuddersFollowTheRudderAndZeroIsTheBaseMatrix) {
    Frame f;
    CVR3GAMEAnimatedPart* rudder = AddPart(ship.m_vRudderParts, f);
    D3DXMatrixTranslation(&rudder->m_mBase, 0.0f, -0.5f, -2.0f);
    f.record.m_mLocal = rudder->m_mBase;
    move.m_fRudderAngle = 0.3f;
    Tick(0.05f, false, false);
    EXPECT_TRUE(Near(f.record.m_mLocal, rudder->m_mBase)); // rudder not moving: nothing
    Tick(0.05f, false, true);
    EXPECT_NEAR(std::atan2(-f.record.m_mLocal._13, f.record.m_mLocal._11), -0.3f, 1e-5f);
    move.m_fRudderAngle = 0.0f;
    Tick(0.05f, false, true);
    EXPECT_TRUE(Near(f.record.m_mLocal, rudder->m_mBase));
}

TEST_F(AnimatedShipTest, FlagsTurnToTheWind) {
    CDX9KelModel along, across;
    D3DXMATRIX id, turned;
    D3DXMatrixIdentity(&id);
    // Forward along -z: already in the wind (0, -1).
    D3DXMatrixRotationY(&turned, kPi);
    ASSERT_TRUE(hull.AddSceneUnit(&along, &turned, 0));
    // Row 2 along +x and row 0 along -z.
    D3DXMatrixRotationY(&turned, kPi / 2);
    ASSERT_TRUE(hull.AddSceneUnit(&across, &turned, 0));
    ship.m_vFlagModels = {&along, &across};
    const D3DXMATRIX alongBefore = along.m_mLocal;
    Tick(0.5f);
    EXPECT_TRUE(Near(along.m_mLocal, alongBefore, 1e-4f));
    // a = pi/2 > 0: turned by -min(0.2 x 0.5, a) about its own Y.
    EXPECT_NEAR(std::atan2(across.m_mLocal._31, across.m_mLocal._33), kPi / 2 - 0.1f, 1e-4f);
    hull.DetachUnits();
}

TEST_F(AnimatedShipTest, SmokeWakesAndBowWavesFollowForceAndSpeed) {
    auto smoke = MakeUnit(false, 6, 4, 0.2f);
    auto wake = MakeUnit(false, 3, 10, 0.1f);
    auto bow = MakeUnit(true, 5, 10, 0.1f, 2.0f);
    auto* ls = new AnimatedModelLink();
    auto* lw = new AnimatedModelLink();
    auto* lb = new AnimatedModelLink();
    ASSERT_TRUE(AnimatedModelLink::Bind(ls, smoke.get()));
    ASSERT_TRUE(AnimatedModelLink::Bind(lw, wake.get()));
    ASSERT_TRUE(AnimatedModelLink::Bind(lb, bow.get()));
    EXPECT_FALSE(smoke->m_bPasses[0]); // bound units start hidden
    EXPECT_EQ(ls->m_pPointEmitter, nullptr);
    EXPECT_EQ(lb->m_pPointEmitter, bow->m_vEmitters[0]);
    ship.m_vPipeSmokes.push_back(ls);
    ship.m_vPropellerWakes.push_back(lw);
    ship.m_vBowWaves.push_back(lb);
    auto* empty = new AnimatedModelLink(); // a link whose unit could not be bound is skipped
    EXPECT_FALSE(AnimatedModelLink::Bind(empty, nullptr));
    ship.m_vPipeSmokes.push_back(empty);

    move.m_fForce = 0.05f; // within 0.1 of none
    Tick(0.05f, true);
    EXPECT_EQ(smoke->m_vEmitters[0]->m_dwParticlesToCreation, 0u);
    EXPECT_EQ(wake->m_vEmitters[0]->m_dwParticlesToCreation, 0u);

    move.m_fForce = 250.0f; // a quarter of full force
    Tick(0.05f, true);
    EXPECT_TRUE(smoke->m_bPasses[0] && smoke->m_bPasses[1]);
    EXPECT_EQ(smoke->m_vEmitters[0]->m_dwParticlesToCreation, 4u); // capped at MaxParticles
    EXPECT_NEAR(smoke->m_vEmitters[0]->m_fCreationInterval, 0.2f * 1.75f, 1e-6f);
    EXPECT_EQ(wake->m_vEmitters[0]->m_dwParticlesToCreation, 3u);
    EXPECT_TRUE(wake->m_bRunning);

    const struct {
        float speed;
        DWORD created;
    } speeds[] = {{0.53f, 0u}, {-3.0f, 0u}, {0.54f, 5u}, {5.0f, 5u}};
    for (auto c : speeds) {
        move.m_fSpeed = c.speed;
        Tick(0.05f, false, false, true);
        EXPECT_EQ(bow->m_vEmitters[0]->m_dwParticlesToCreation, c.created) << c.speed;
    }
    EXPECT_NEAR(bow->m_vEmitters[0]->m_fStartVelocity, 2.0f * 0.5f, 1e-6f);
    // The refresh flag redoes everything once, whatever the change flags say.
    move.m_fForce = 1000.0f;
    smoke->m_vEmitters[0]->m_fCreationInterval = 9.0f;
    ship.m_bRefresh = true;
    Tick(0.05f);
    EXPECT_NEAR(smoke->m_vEmitters[0]->m_fCreationInterval, 0.2f, 1e-6f);
    EXPECT_FALSE(ship.m_bRefresh);
}

TEST_F(AnimatedShipTest, FunnelSmokeGetsTheWind) {
    auto smoke = MakeUnit(false, 6, 10, 0.2f);
    auto* l = new AnimatedModelLink();
    ASSERT_TRUE(AnimatedModelLink::Bind(l, smoke.get()));
    ship.m_vPipeSmokes.push_back(l);
    CDX9KelParticlesSystemsManager manager;
    EXPECT_TRUE(ship.Init(&manager, &move));
    ASSERT_EQ(smoke->m_vEmitters[0]->m_vEffectors.size(), 1u);
    auto* wind = static_cast<CDX9KelPSEffectorCommonMovement*>(smoke->m_vEmitters[0]->m_vEffectors[0]);
    EXPECT_EQ(wind->m_strName, "Wind");
    EXPECT_NEAR(wind->m_vMovement.z, -1.0f, 1e-6f);
    EXPECT_NEAR(wind->m_fVelocity, 0.1f, 1e-6f);

    // A smoke file with a wind of its own gets the ship's wind in it, not a second one.
    auto own = MakeUnit(false, 6, 10, 0.2f);
    auto* fileWind = new CDX9KelPSEffectorCommonMovement();
    fileWind->m_strName = "Wind";
    fileWind->m_fVelocity = 3.0f;
    own->m_vEmitters[0]->m_vEffectors.push_back(fileWind);
    auto* l2 = new AnimatedModelLink();
    ASSERT_TRUE(AnimatedModelLink::Bind(l2, own.get()));
    CVR3GAMEAnimatedShip second;
    second.m_vPipeSmokes.push_back(l2);
    EXPECT_TRUE(second.Init(&manager, &move));
    ASSERT_EQ(own->m_vEmitters[0]->m_vEffectors.size(), 1u);
    EXPECT_NEAR(fileWind->m_fVelocity, 0.1f, 1e-6f);
    EXPECT_NEAR(fileWind->m_vMovement.z, -1.0f, 1e-6f);
}

TEST_F(AnimatedShipTest, APlatformThatBurnsShowsItsFireOnce) {
    Frame f;
    CVR3GAMEAnimatedPart* platform = AddPart(ship.m_vPlatformParts, f);
    auto fire = MakeUnit(false, 4, 10, 0.1f);
    ASSERT_TRUE(fire->m_bRunning); // systems are made running
    platform->m_vFireSystems.push_back(fire.get());
    CDX9KelParticlesSystemsManager manager;
    ASSERT_TRUE(ship.Init(&manager, &move));
    EXPECT_FALSE(fire->m_bRunning); // waiting for a fire
    Tick(0.05f);
    EXPECT_FALSE(fire->m_bRunning);
    platform->m_bBurning = true;
    Tick(0.05f);
    EXPECT_TRUE(fire->m_bRunning);
    EXPECT_TRUE(fire->m_vEmitters[0]->m_bBirth);
    platform->m_bBurning = false;
    Tick(0.05f);
    EXPECT_FALSE(fire->m_vEmitters[0]->m_bBirth); // the flames die out
    EXPECT_TRUE(fire->m_bRunning);
}

TEST_F(AnimatedShipTest, EngineSoundIndexFollowsTheForceRatio) {
    ship.m_vEngineSounds.resize(3);
    const struct {
        float force;
        bool speedChanged;
        int index;
    } cases[] = {
        {750.0f, false, 2},  // first choice: the index is -1; 1.5 rounds to 2
        {250.0f, false, 2},  // no speed change: nothing
        {250.0f, true, 0},   // 0.5 rounds to 0
        {-500.0f, true, 0},  // astern leaves the playing sound
        {1000.0f, true, 2},
    };
    for (auto c : cases) {
        move.m_fForce = c.force;
        Tick(0.05f, false, false, c.speedChanged);
        EXPECT_EQ(ship.m_iEngineSoundIndex, c.index) << c.force;
    }
}

TEST_F(AnimatedShipTest, TurretTurnsAtItsSpeedAndCarriesItsGun) {
    Frame turretFrame, gunFrame;
    CVR3GAMEAnimatedPart* turret = AddPart(ship.m_vPlatformParts, turretFrame);
    turret->Rotation = true;
    turret->RotationSpeed = 0.5f;
    auto* gun = new CVR3GAMEAnimatedPart();
    gun->m_pFrame = &gunFrame.record;
    gun->Rotation = true;
    gun->RotationSpeed = 0.2f;
    turret->m_vSubParts.push_back(gun);
    turret->m_fTargetBearing = 0.3f;
    gun->m_fTargetElevation = 0.05f;

    Tick(0.2f);
    EXPECT_NEAR(turret->m_fBearing, 0.1f, 1e-6f);
    EXPECT_NEAR(gun->m_fElevation, 0.04f, 1e-6f);
    EXPECT_TRUE(turret->m_bTurned);
    // The gun's frame turned with the turret about the bearing axis.
    EXPECT_NEAR(std::atan2(gunFrame.record.m_mLocal._31, gunFrame.record.m_mLocal._33), 0.1f, 1e-3f);
    for (int i = 0; i < 10; ++i)
        Tick(0.2f);
    EXPECT_FLOAT_EQ(turret->m_fBearing, 0.3f); // never past the target
    EXPECT_FLOAT_EQ(gun->m_fElevation, 0.05f);
    EXPECT_NEAR(std::atan2(turretFrame.record.m_mLocal._31, turretFrame.record.m_mLocal._33), 0.3f, 1e-4f);
    // Back to bearing 0.
    turret->m_fTargetBearing = 0.0f;
    for (int i = 0; i < 10; ++i)
        Tick(0.2f);
    EXPECT_FLOAT_EQ(turret->m_fBearing, 0.0f);
}

TEST_F(AnimatedShipTest, GunRecoilsAndRunsOut) {
    Frame f;
    CVR3GAMEAnimatedPart* gun = AddPart(ship.m_vPlatformParts, f);
    gun->Movement = true;
    gun->Rotation = true;
    gun->m_fTargetElevation = 0.1f;
    gun->m_fElevation = 0.1f;
    gun->m_bFiring = true;
    Tick(0.05f); // the shot
    EXPECT_EQ(gun->m_iFiringPhase, CVR3GAMEAnimatedPart::PHASE_RECOIL);
    EXPECT_FLOAT_EQ(gun->m_fTargetElevation, 0.0f);
    int ticks = 0;
    while (gun->m_iFiringPhase == CVR3GAMEAnimatedPart::PHASE_RECOIL && ticks < 100) {
        Tick(0.05f);
        ++ticks;
    }
    EXPECT_EQ(ticks, 17);
    EXPECT_NEAR(f.record.m_mLocal._43, -0.05f, 1e-5f); // 0.05 back along its own forward axis
    ticks = 0;
    while (gun->m_bFiring && ticks < 100) {
        Tick(0.05f);
        ++ticks;
    }
    EXPECT_EQ(ticks, 51); // 0.001 per tick; the last step only what is left
    EXPECT_NEAR(f.record.m_mLocal._43, 0.0f, 1e-5f);
    EXPECT_EQ(gun->m_iFiringPhase, CVR3GAMEAnimatedPart::PHASE_IDLE);
}

TEST_F(AnimatedShipTest, BarrelHandsItsRecoilToTheGun) {
    Frame gunFrame, barrelFrame;
    CVR3GAMEAnimatedPart* gun = AddPart(ship.m_vPlatformParts, gunFrame);
    gun->Movement = true;
    auto* barrel = new CVR3GAMEAnimatedPart();
    barrel->m_pFrame = &barrelFrame.record;
    gun->m_vSubParts.push_back(barrel);
    barrel->m_bFiring = true;
    Tick(0.05f); // the barrel's shot: its flag goes to the gun
    EXPECT_FALSE(barrel->m_bFiring);
    EXPECT_TRUE(gun->m_bFiring);
    EXPECT_EQ(gun->m_iFiringPhase, CVR3GAMEAnimatedPart::PHASE_RECOIL);
    EXPECT_NEAR(gunFrame.record.m_mLocal._43, 0.0f, 1e-6f);
    Tick(0.05f); // the gun recoils and the barrel follows through the offset
    EXPECT_NEAR(gunFrame.record.m_mLocal._43, -0.003f, 1e-6f);
    EXPECT_NEAR(barrelFrame.record.m_mLocal._43, -0.003f, 1e-6f);

    // A barrel without a recoiling parent waits with its flag set.
    Frame lonelyFrame;
    CVR3GAMEAnimatedPart* lonely = AddPart(ship.m_vPlatformParts, lonelyFrame);
    lonely->m_bFiring = true;
    Tick(0.05f);
    EXPECT_TRUE(lonely->m_bFiring);
}

TEST_F(AnimatedShipTest, DamageLevelsMoveOneStepAtATime) {
    CDX9KelModel hullModel, flagModel;
    hullModel.m_vTextureGroups.resize(3);
    flagModel.m_vTextureGroups.resize(3);
    ship.m_vHullModels = {&hullModel};
    ship.m_vFlagModels = {&flagModel};
    ship.DamageLevels = {0.0f, 30.0f, 60.0f};
    const struct {
        int from;
        float percent;
        int to;
    } cases[] = {{0, 30.0f, 0}, {0, 31.0f, 1}, {1, 61.0f, 2}, {1, 29.0f, 0},
                 {2, 60.0f, 2}, {2, 59.0f, 1}, {0, 100.0f, 1}};
    for (auto c : cases) {
        ship.m_iDamageLevel = c.from;
        EXPECT_TRUE(ship.UpdateDamageLevel(c.percent));
        EXPECT_EQ(ship.m_iDamageLevel, c.to) << c.from << " at " << c.percent;
    }
    EXPECT_EQ(hullModel.m_dwCurrentTextureGroup, 1u);
    EXPECT_EQ(flagModel.m_dwCurrentTextureGroup, 1u);
    EXPECT_FALSE(ship.UpdateDamageLevel(100.5f));
    EXPECT_FALSE(ship.UpdateDamageLevel(-1.0f));
    EXPECT_EQ(ship.m_iDamageLevel, 1);

    // Three hull models (three levels of detail) never switch.
    CDX9KelModel a, b, c;
    for (auto* m : {&a, &b, &c})
        m->m_vTextureGroups.resize(3);
    ship.m_vHullModels = {&a, &b, &c};
    ship.m_iDamageLevel = 0;
    EXPECT_TRUE(ship.UpdateDamageLevel(50.0f));
    EXPECT_EQ(ship.m_iDamageLevel, 1);
    EXPECT_EQ(a.m_dwCurrentTextureGroup, 0u);

    CVR3GAMEAnimatedShip single;
    single.DamageLevels = {0.0f};
    EXPECT_FALSE(single.UpdateDamageLevel(50.0f));
}

TEST_F(AnimatedShipTest, SinkingEndsBelowFiveUnits) {
    CDX9KelSceneObject flooding;
    ship.m_pFloodingObject = &flooding;
    D3DXVECTOR3 pos(10.0f, 0.0f, 20.0f);
    hull.SetPosition(&pos);
    ship.StartSinking();
    EXPECT_EQ(ship.m_iState, CVR3GAMEAnimatedShip::STATE_SINKING);
    EXPECT_FLOAT_EQ(flooding.m_mWorld._41, 10.0f);
    EXPECT_FLOAT_EQ(flooding.m_mWorld._42, 0.0f);
    for (float y : {-2.0f, -5.0f}) {
        pos.y = y;
        hull.SetPosition(&pos);
        Tick(0.05f);
        EXPECT_EQ(ship.m_iState, CVR3GAMEAnimatedShip::STATE_SINKING) << y;
    }
    pos.y = -5.01f;
    pos.x = 12.0f;
    hull.SetPosition(&pos);
    Tick(0.05f);
    EXPECT_EQ(ship.m_iState, CVR3GAMEAnimatedShip::STATE_SUNK);
    EXPECT_FLOAT_EQ(flooding.m_mWorld._41, 12.0f);
    EXPECT_FLOAT_EQ(flooding.m_mWorld._42, 0.0f);
}

TEST_F(AnimatedShipTest, ResetPutsTurretsAndGunsBackAtRest) {
    Frame turretFrame, gunFrame;
    CVR3GAMEAnimatedPart* turret = AddPart(ship.m_vPlatformParts, turretFrame);
    turret->Rotation = true;
    turret->RotationSpeed = 1.0f;
    D3DXMatrixTranslation(&turret->m_mBase, 0.0f, 1.0f, 3.0f);
    turretFrame.record.m_mLocal = turret->m_mBase;
    turret->GameTransform = turret->m_mBase;
    turret->m_mCurrent = turret->m_mBase;
    auto* gun = new CVR3GAMEAnimatedPart();
    gun->m_pFrame = &gunFrame.record;
    gun->Movement = true;
    turret->m_vSubParts.push_back(gun);
    turret->m_fTargetBearing = 0.8f;
    for (int i = 0; i < 5; ++i)
        Tick(0.2f);
    gun->m_bFiring = true;
    turret->m_bBurning = true;
    ASSERT_FALSE(Near(turretFrame.record.m_mLocal, turret->m_mBase));

    ship.m_iEngineSoundIndex = 1;
    ship.ResetEffects();
    EXPECT_TRUE(Near(turretFrame.record.m_mLocal, turret->m_mBase)); // the model agrees with the rest bearing
    EXPECT_TRUE(Near(turret->m_mCurrent, turret->GameTransform));
    EXPECT_FLOAT_EQ(turret->m_fBearing, 0.0f);
    EXPECT_FLOAT_EQ(turret->m_fTargetBearing, 0.0f);
    EXPECT_FALSE(turret->m_bTurned);
    EXPECT_FALSE(turret->m_bBurning);
    EXPECT_FALSE(gun->m_bFiring);
    EXPECT_EQ(ship.m_iEngineSoundIndex, -1);
    EXPECT_EQ(ship.m_iState, CVR3GAMEAnimatedShip::STATE_AFLOAT);
}
