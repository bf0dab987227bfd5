// The movement ship on the physics test world: its set-up, its orders, the
// engine force and rudder ramps, the speeds it reaches on the real body, the
// speed caps after damage, and its answers to contacts.
#include "MotionWorld.h"
#include "TestFolder.h"
#include "engine3/core/CDX9KelLog.h"
#include "engine3/world/physics/CDX9KelPhysicalObjectShip.h"
#include "seabattle/battle/BattleProcessingState.h"
#include "seabattle/battle/CVR3GAMEMovementSteering.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace SeaBattle;
using VornaTest::MotionWorld;
using VornaTest::ShipSpec;

namespace {

TEST(MovementShipInit, NormalisesSignsAndRefusesZeroSpeeds) {
    MotionWorld w;
    CVR3GAMEMovementShip* s = w.AddShip(0, 0);
    ASSERT_NE(s, nullptr);
    EXPECT_FLOAT_EQ(s->m_fMaxSpeed, 8.0f);
    EXPECT_FLOAT_EQ(s->m_fMinSpeed, -3.0f); // given positive, made astern
    ASSERT_NE(s->m_pSteering, nullptr);
    EXPECT_EQ(s->m_pSteering->GetPoolSize(), 10u);
    // The coefficients hold the top speeds against the quadratic resistance.
    EXPECT_NEAR(s->ForceForSpeed(8.0f), 50.0f, 1e-3f);
    EXPECT_NEAR(s->ForceForSpeed(-3.0f), -50.0f, 1e-3f);
    EXPECT_FLOAT_EQ(s->ForceForSpeed(0.0005f), 0.0f);
    EXPECT_FLOAT_EQ(s->m_fForceRate, 5.0f);
    const Vorna3D::CDX9KelPhysicalBody* main = s->m_pPhysicalObject->GetMainBody();
    EXPECT_FLOAT_EQ(main->m_vDragPos.z, -std::fabs(s->m_fAheadResistance));
    EXPECT_FLOAT_EQ(main->m_vDragNeg.z, std::fabs(s->m_fAsternResistance));
    EXPECT_FLOAT_EQ(main->m_vDragNeg.x, std::fabs(3.0f * s->m_fAsternResistance));
    EXPECT_FLOAT_EQ(s->m_pPhysicalObject->GetAuxBody(0)->m_vDragPos.x, -s->m_fRudderFactor);
    EXPECT_FLOAT_EQ(s->m_pPhysicalObject->GetAuxBody(3)->m_vDragNeg.z, s->m_fRudderFactor);

    for (float maxSpeed : {0.0f, 8.0f}) {
        ShipSpec spec;
        spec.maxSpeed = maxSpeed;
        spec.minSpeed = maxSpeed == 0.0f ? 3.0f : 0.0f;
        EXPECT_EQ(w.AddShip(50, 0, spec), nullptr) << maxSpeed;
    }
    CVR3GAMEMovementShip bare;
    ApplySpec(bare, ShipSpec());
    EXPECT_FALSE(bare.Init(nullptr, &w.world.m_manager));
}

TEST(MovementShipInit, DataWithoutDivisorsGivesFiniteValues) {
    // No ramp time, no turning value: the ship still sets up, with finite
    // coefficients and a warning each, and a turn order asks for no rudder
    // it cannot use.
    const std::filesystem::path log = VornaTest::FreshFolder() / "Vorna3Log.log";
    Vorna3D::g_Log.Open(log.c_str());
    MotionWorld w;
    ShipSpec spec;
    spec.instTime = 0.0f;
    spec.maxRotAngle = 0.0f;
    CVR3GAMEMovementShip* s = w.AddShip(0, 0, spec);
    ASSERT_NE(s, nullptr);
    const std::string text = VornaTest::ReadText(log);
    Vorna3D::g_Log.Reset();
    EXPECT_NE(text.find("WARNING | CVR3GAMEMovementShip::Init() : MaxRotAngle is not above 0 : \n"), std::string::npos)
        << text;
    EXPECT_NE(text.find("CVR3GAMEMovementShip::Init() : MaxDraughtForceInstTime is not above 0"), std::string::npos);
    EXPECT_EQ(text.find("MaxDraughtForce is not"), std::string::npos);
    EXPECT_TRUE(std::isfinite(s->m_fForceRate));
    EXPECT_TRUE(std::isfinite(s->m_fRudderFactor));
    EXPECT_FLOAT_EQ(s->GetRudderForTurn(0.3f), 0.0f);
    s->SetOrderedSpeed(8.0f);
    w.Run(5.0f);
    EXPECT_TRUE(std::isfinite(s->m_fForce));
    EXPECT_TRUE(std::isfinite(s->m_fSpeed));
}

TEST(MovementShipOrders, SpeedAndRudderOrdersAreClamped) {
    MotionWorld w;
    CVR3GAMEMovementShip* s = w.AddShip(0, 0);
    struct Case {
        float order, speed;
    } const speeds[] = {{20.0f, 8.0f}, {5.0f, 5.0f}, {-10.0f, -3.0f}, {0.0f, 0.0f}};
    for (const Case& c : speeds) {
        s->SetOrderedSpeed(c.order);
        EXPECT_FLOAT_EQ(s->m_fOrderedSpeed, c.speed) << c.order;
        EXPECT_FLOAT_EQ(s->m_fTargetForce, s->ForceForSpeed(c.speed));
        EXPECT_EQ(s->m_iCurrentOrder, ORDER_NONE);
    }
    s->SetOrderedRudder(2.0f);
    EXPECT_FLOAT_EQ(s->m_fOrderedRudderAngle, 0.698f);
    s->SetOrderedRudder(-2.0f);
    EXPECT_FLOAT_EQ(s->m_fOrderedRudderAngle, -0.698f);
    s->SetOrderedRudder(-0.695f); // within 0.01: kept
    EXPECT_FLOAT_EQ(s->m_fOrderedRudderAngle, -0.698f);
    s->SetRouteSpeed(-20.0f);
    EXPECT_FLOAT_EQ(s->m_fRouteSpeed, -8.0f);

    // A direct order ends a route.
    s->m_pSteering->SetTargetPoint(100.0f, 100.0f);
    s->m_iCurrentOrder = ORDER_POINT;
    s->SetOrderedSpeed(4.0f);
    EXPECT_EQ(s->m_pSteering->m_iMode, STEER_NONE);
    EXPECT_EQ(s->m_iCurrentOrder, ORDER_NONE);

    // While in contact, rudder and route orders are ignored.
    s->m_bInContact = true;
    s->SetOrderedRudder(0.3f);
    s->SetRouteSpeed(2.0f);
    EXPECT_FLOAT_EQ(s->m_fOrderedRudderAngle, -0.698f);
    EXPECT_FLOAT_EQ(s->m_fRouteSpeed, -8.0f);
}

TEST(MovementShipRamps, ForceAndRudderNeverOvershoot) {
    for (float dt : {0.001f, 0.06f, 0.5f, 3.0f, 100.0f}) {
        MotionWorld w;
        CVR3GAMEMovementShip* s = w.AddShip(0, 0);
        s->SetOrderedSpeed(8.0f);
        s->SetOrderedRudder(0.3f);
        float lastForce = 0.0f, lastRudder = 0.0f;
        const int steps = std::max(400, static_cast<int>(20.0f / dt));
        for (int i = 0; i < steps; ++i) {
            s->Proc(0, dt);
            ASSERT_LE(s->m_fForce, s->m_fTargetForce + 1e-4f) << dt;
            ASSERT_GE(s->m_fForce, lastForce - 1e-4f);
            ASSERT_LE(s->m_fRudderAngle, 0.3f + 1e-6f) << dt;
            ASSERT_GE(s->m_fRudderAngle, lastRudder - 1e-6f);
            lastForce = s->m_fForce;
            lastRudder = s->m_fRudderAngle;
        }
        EXPECT_NEAR(s->m_fForce, s->m_fTargetForce, 1e-3f) << dt;
        EXPECT_NEAR(s->m_fRudderAngle, 0.3f, 1e-3f) << dt;
        // One step moves the force by at most rate x dt.
        s->SetOrderedSpeed(-3.0f);
        const float before = s->m_fForce;
        s->Proc(0, dt);
        EXPECT_NEAR(before - s->m_fForce, std::min(s->m_fForceRate * dt, before - s->m_fTargetForce), 1e-3f);
    }
}

TEST(MovementShipPhysics, ReachesItsOrderedSpeedAheadAndAstern) {
    struct Case {
        float order, expect;
    } const cases[] = {{8.0f, 8.0f}, {4.0f, 4.0f}, {20.0f, 8.0f}, {-3.0f, -3.0f}};
    for (const Case& c : cases) {
        MotionWorld w;
        CVR3GAMEMovementShip* s = w.AddShip(0, 0);
        s->SetOrderedSpeed(c.order);
        w.Run(90.0f);
        EXPECT_NEAR(s->m_fSpeed, c.expect, 0.05f * std::fabs(c.expect)) << c.order;
        const D3DXVECTOR3 p = MotionWorld::Position(s);
        EXPECT_NEAR(p.x, 0.0f, 0.5f);
        EXPECT_EQ(c.expect > 0.0f, p.z > 0.0f);
    }
}

TEST(MovementShipPhysics, RudderTurnsTheShipToItsSide) {
    for (float rudder : {0.4f, -0.4f}) {
        MotionWorld w;
        CVR3GAMEMovementShip* s = w.AddShip(0, 0);
        s->SetOrderedSpeed(6.0f);
        w.Run(20.0f);
        const float before = MotionWorld::Heading(s);
        s->SetOrderedRudder(rudder);
        w.Run(10.0f);
        const float turned = MotionWorld::Heading(s) - before;
        EXPECT_GT(turned * rudder, 0.05f) << rudder;
        // No faster than the ship's turning value.
        EXPECT_LT(std::fabs(turned), 10.0f * 0.05f * 1.2f);
    }
}

TEST(MovementShipCaps, DamageShrinksTheCapsWithTheSquareRootOfTheForce) {
    MotionWorld w;
    CVR3GAMEMovementShip* s = w.AddShip(0, 0);
    s->SetOrderedSpeed(8.0f);
    s->m_fForce = 50.0f;
    s->m_bLimitsChanged = false;
    s->m_fMaxForce = 12.5f; // a quarter of the force
    s->UpdateSpeedCaps();
    EXPECT_NEAR(s->m_fMaxSpeed, 8.0f * 0.5f, 0.01f);
    EXPECT_NEAR(s->m_fMinSpeed, -3.0f * 0.5f, 0.01f);
    EXPECT_FLOAT_EQ(s->m_fForce, 12.5f);
    EXPECT_FLOAT_EQ(s->m_fTargetForce, 12.5f);
    EXPECT_TRUE(s->m_bLimitsChanged);

    s->ResetMotion();
    EXPECT_FLOAT_EQ(s->m_fMaxForce, 50.0f);
    EXPECT_FLOAT_EQ(s->m_fMaxSpeed, 8.0f);
    EXPECT_FLOAT_EQ(s->m_fMinSpeed, -3.0f);
    EXPECT_FLOAT_EQ(s->m_fForce, 0.0f);
}

TEST(MovementShipRudder, TurnValuesMapOntoRudderAngles) {
    MotionWorld w;
    CVR3GAMEMovementShip* s = w.AddShip(0, 0);
    EXPECT_FLOAT_EQ(s->GetRudderForTurn(0.00005f), 0.0f);
    // The full turning value takes the full rudder, half of it less, and
    // more than the turning value is clamped to it.
    EXPECT_NEAR(s->GetRudderForTurn(0.05f), 0.698f, 1e-3f);
    EXPECT_NEAR(s->GetRudderForTurn(-0.05f), -0.698f, 1e-3f);
    EXPECT_NEAR(s->GetRudderForTurn(1.0f), 0.698f, 1e-3f);
    const float half = s->GetRudderForTurn(0.025f);
    EXPECT_GT(half, 0.1f);
    EXPECT_LT(half, 0.3f);
}

class MovementContacts : public ::testing::Test {
protected:
    void SetUp() override {
        BattleProcessingState::Get().ClearBattleProcessing(true);
        s = w.AddShip(0, 0);
        other = w.AddShip(200, 0);
        s->SetOrderedSpeed(6.0f);
    }
    void TearDown() override { BattleProcessingState::Get().ClearBattleProcessing(true); }
    // A contact of the ship's stem region; `impulse` is the blow it struck,
    // which the physics files in the other body's record.
    void Contact(float x, float z, float impulse) {
        Vorna3D::CDX9KelPhysicalContact c;
        c.pOther = other->m_pPhysicalObject;
        c.vPoint = D3DXVECTOR3(x, 0.0f, z);
        c.vOtherPoint = D3DXVECTOR3(0.6f, 0.0f, 0.0f);
        s->m_pPhysicalObject->Contacts().push_back(c);
        Vorna3D::CDX9KelPhysicalContact back;
        back.pOther = s->m_pPhysicalObject;
        back.vImpulse = D3DXVECTOR3(0.0f, 0.0f, impulse);
        other->m_pPhysicalObject->Contacts().clear();
        other->m_pPhysicalObject->Contacts().push_back(back);
    }
    MotionWorld w;
    CVR3GAMEMovementShip* s = nullptr;
    CVR3GAMEMovementShip* other = nullptr;
};

TEST_F(MovementContacts, OneContactAheadBacksOffForFiveSeconds) {
    s->m_pSteering->SetCourse(1.0f, 0.0f);
    Contact(0.0f, 1.0f, 10.0f);
    s->Proc(-1, 0.0f);
    EXPECT_TRUE(s->m_bInContact);
    EXPECT_TRUE(s->m_bBackingOff);
    EXPECT_FLOAT_EQ(s->m_fOrderedSpeed, -1.5f);
    EXPECT_FLOAT_EQ(s->m_fTargetForce, s->ForceForSpeed(-1.5f));
    s->m_pPhysicalObject->Contacts().clear();
    // Steering waits: a planning step inside the 5 s plans nothing.
    s->Proc(1, 4.0f);
    EXPECT_TRUE(s->m_pSteering->GetPlan().empty());
    EXPECT_TRUE(s->m_bBackingOff);
    s->Proc(1, 1.5f);
    EXPECT_FALSE(s->m_bBackingOff);
    EXPECT_FLOAT_EQ(s->m_fBackOffTimer, -1.0f);
    EXPECT_FALSE(s->m_pSteering->GetPlan().empty());
}

TEST_F(MovementContacts, ContactsAstern_OrSeveral_DoNotBackOff) {
    Contact(0.0f, -1.0f, 10.0f);
    s->Proc(-1, 0.0f);
    EXPECT_TRUE(s->m_bInContact);
    EXPECT_FALSE(s->m_bBackingOff);
    EXPECT_GT(s->m_fTargetForce, 0.0f);
    Contact(0.0f, 1.0f, 10.0f);
    s->Proc(-1, 0.0f);
    EXPECT_FALSE(s->m_bBackingOff);
    EXPECT_FLOAT_EQ(s->m_fTargetForce, 0.0f);
}

TEST_F(MovementContacts, OnlyAHardContactOnTheStemIsARam) {
    // The hull is 1.2 wide and 5 long: the stem lies at z = 2.5.
    struct Case {
        float x, z, impulse;
        bool ram;
    } const cases[] = {
        {0.0f, 2.5f, 600.0f, true},  {0.05f, 2.45f, 500.0f, true}, {0.08f, 2.5f, 600.0f, false},
        {0.0f, 2.35f, 600.0f, false}, {0.0f, 2.5f, 499.0f, false},  {0.0f, -2.5f, 600.0f, false},
        {0.055f, 2.5f, 600.0f, false}, // 0.05 off the centre line at most, whatever the hull's width
    };
    for (const Case& c : cases) {
        s->m_pPhysicalObject->Contacts().clear();
        s->Proc(-1, 0.0f); // the ships part between the cases
        BattleProcessingState::Get().ClearBattleProcessing(true);
        Contact(c.x, c.z, c.impulse);
        s->Proc(-1, 0.0f);
        EXPECT_EQ(BattleProcessingState::Get().GetPendingRamCount(), c.ram ? 1u : 0u) << c.x << " " << c.z;
    }
    // A ship running into one at rest receives little: the blow it struck
    // counts, not what it got back; the report carries the point in the
    // rammed body's frame.
    s->m_pPhysicalObject->Contacts().clear();
    s->Proc(-1, 0.0f);
    BattleProcessingState::Get().ClearBattleProcessing(true);
    Contact(0.0f, 2.5f, 700.0f);
    s->m_pPhysicalObject->Contacts()[0].vImpulse = D3DXVECTOR3(0.0f, 0.0f, 10.0f);
    s->Proc(-1, 0.0f);
    ASSERT_EQ(BattleProcessingState::Get().GetPendingRamCount(), 1u);
    for (const RamRecord* r : BattleProcessingState::Get().GetActiveRams())
        if (r) {
            EXPECT_FLOAT_EQ(r->m_fStrength, 700.0f);
            EXPECT_EQ(r->m_vPoint, D3DXVECTOR3(0.6f, 0.0f, 0.0f));
        }
    // The same contact read again, frame after frame, is one ram.
    for (int i = 0; i < 5; ++i) s->Proc(-1, 0.016f);
    EXPECT_EQ(BattleProcessingState::Get().GetPendingRamCount(), 1u);
    // Once the ships part, a new contact is a new ram.
    s->m_pPhysicalObject->Contacts().clear();
    s->Proc(-1, 0.016f);
    Contact(0.0f, 2.5f, 700.0f);
    s->Proc(-1, 0.016f);
    EXPECT_EQ(BattleProcessingState::Get().GetPendingRamCount(), 2u);
}

TEST(MovementShipPhysics, TwoShipsRunningTogetherAnswerTheContact) {
    // One ship heads at the side of another on the real physics: the contact
    // is seen and the stricken pair stops driving into each other.
    MotionWorld w;
    CVR3GAMEMovementShip* a = w.AddShip(0, -8);
    CVR3GAMEMovementShip* b = w.AddShip(0, 2);
    b->m_pPhysicalObject->GetSceneObject()->RotateY(1.5707964f);
    a->SetOrderedSpeed(8.0f);
    bool contact = false, backed = false;
    for (int i = 0; i < 1500 && !backed; ++i) {
        w.Step();
        contact = contact || a->m_bInContact;
        backed = backed || a->m_bBackingOff;
        ASSERT_TRUE(std::isfinite(MotionWorld::Position(a).z));
    }
    EXPECT_TRUE(contact);
    EXPECT_TRUE(backed);
    EXPECT_LT(a->m_fOrderedSpeed, 0.0f);
}

} // namespace
