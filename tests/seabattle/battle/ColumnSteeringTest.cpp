// Column steering: the leader's 30 s plans of arcs and straights, their
// playback, the obstacle check with its detour, and the followers' station
// keeping behind the ship ahead.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "engine3/core/scene/Geometry.h"
#include "engine3/world/physics/ShipWorld.h"
#include "seabattle/battle/CVR3GAMEMovementShip.h"
#include "seabattle/battle/CVR3GAMEMovementShipsColumn.h"
#include "seabattle/battle/CVR3GAMEMovementSteering.h"

using namespace SeaBattle;

namespace {

constexpr float kPi = 3.14159265f;

class SteeringTest : public ::testing::Test {
protected:
    // A ship of 10 x 6 x 40 units... scaled down to the game's sizes: 2 x 1 x 8.
    CVR3GAMEMovementShip* AddShip(float x, float z, float heading = 0.0f) {
        Vorna3D::CDX9KelPhysicalObjectShip* body = world.AddShip({x, 0.0f, z}, 100.0f, 2.0f, 1.0f, 8.0f);
        Vorna3D::CDX9KelSceneObject* so = world.m_objects.back().get();
        D3DXMATRIX m;
        D3DXMatrixRotationY(&m, heading);
        m._41 = x;
        m._43 = z;
        so->SetWorldMatrix(&m);
        auto ship = std::make_unique<CVR3GAMEMovementShip>();
        ship->m_fMass = 100.0f;
        ship->m_fMaxSpeed = 12.0f;
        ship->m_fMinSpeed = -4.0f;
        ship->m_fMaxForce = 50.0f;
        ship->m_fMaxRotAngle = 0.05f;
        ship->m_fMaxDraughtForceInstTime = 5.0f;
        EXPECT_TRUE(ship->Init(body, &world.m_manager));
        ships.push_back(std::move(ship));
        return ships.back().get();
    }
    CVR3GAMEMovementSteering& Steer(CVR3GAMEMovementShip* s) { return *s->m_pSteering; }

    VornaTest::ShipWorld world;
    std::vector<std::unique_ptr<CVR3GAMEMovementShip>> ships;
};

float Duration(const std::vector<CVR3GAMESteeringSegment*>& plan) {
    float t = 0.0f;
    for (auto* s : plan) t += s->m_fDuration;
    return t;
}

} // namespace

TEST_F(SteeringTest, CourseDeadAheadIsOneStraightOfThirtySeconds) {
    CVR3GAMEMovementShip* s = AddShip(0.0f, 0.0f);
    s->m_fTurnLimit = 0.05f;
    s->m_fSpeed = 6.0f;
    s->m_fRouteSpeed = 10.0f;
    ASSERT_TRUE(Steer(s).SetCourse(0.005f, 1.0f));
    EXPECT_FALSE(Steer(s).SetCourse(0.005f, 1.0f)); // the same order again
    Steer(s).Proc(1, 0.0f);
    ASSERT_EQ(Steer(s).GetPlan().size(), 1u);
    const CVR3GAMESteeringSegment* seg = Steer(s).GetPlan()[0];
    EXPECT_FLOAT_EQ(seg->m_fDuration, 30.0f);
    EXPECT_FLOAT_EQ(seg->m_fTurn, 0.0f);
    // Mean speed 8 m/s for 30 s: 8 x 30 x 0.054 units ahead.
    EXPECT_NEAR(seg->m_mEnd._43, 8.0f * 30.0f * 0.054f, 1e-3f);
}

TEST_F(SteeringTest, CourseAbeamIsAnArcThenAStraight) {
    CVR3GAMEMovementShip* s = AddShip(0.0f, 0.0f);
    s->m_fTurnLimit = 0.1f; // radians per second
    s->m_fSpeed = 10.0f;
    s->m_fRouteSpeed = 10.0f;
    ASSERT_TRUE(Steer(s).SetCourse(1.0f, 0.0f)); // to starboard
    Steer(s).Proc(1, 0.0f);
    const auto& plan = Steer(s).GetPlan();
    ASSERT_EQ(plan.size(), 2u);
    const CVR3GAMESteeringSegment* arc = plan[0];
    EXPECT_NEAR(arc->m_fTurnAngle, kPi / 2, 1e-3f);
    EXPECT_NEAR(arc->m_fDuration, (kPi / 2) / 0.1f, 1e-3f);
    EXPECT_GT(arc->m_fTurn, 0.0f);
    // Radius 10 x 0.054 / 0.1 = 5.4; the centre to starboard, the end heading +x.
    EXPECT_NEAR(arc->m_fRadius, 5.4f, 1e-4f);
    EXPECT_NEAR(arc->m_vCheckCentre.x, 5.4f, 1e-4f);
    EXPECT_NEAR(arc->m_mEnd._31, 1.0f, 1e-4f);
    EXPECT_NEAR(arc->m_mEnd._41, 5.4f, 1e-3f);
    EXPECT_NEAR(arc->m_mEnd._43, 5.4f, 1e-3f);
    EXPECT_FLOAT_EQ(plan[1]->m_fTurn, 0.0f);
    EXPECT_NEAR(Duration(plan), 30.0f, 1e-3f);
}

TEST_F(SteeringTest, PointPlansAndArrival) {
    CVR3GAMEMovementShip* s = AddShip(0.0f, 0.0f);
    s->m_fTurnLimit = 0.1f;
    s->m_fSpeed = 4.0f;
    s->m_fRouteSpeed = 8.0f;
    ASSERT_TRUE(Steer(s).SetTargetPoint(3.0f, 3.9f)); // within 5 units
    Steer(s).Proc(1, 0.0f);
    EXPECT_TRUE(Steer(s).GetPlan().empty());

    ASSERT_TRUE(Steer(s).SetTargetPoint(40.0f, 60.0f));
    Steer(s).Proc(1, 0.0f);
    const auto& plan = Steer(s).GetPlan();
    ASSERT_GE(plan.size(), 1u);
    EXPECT_GT(plan[0]->m_fTurn, 0.0f); // the point lies to starboard
    // The arc ends heading for the point.
    const D3DXVECTOR2 p(40.0f, 60.0f);
    EXPECT_NEAR(Vorna3D::GetHeadingAngleToPoint2D(&plan[0]->m_mEnd, &p), 0.0f, 0.01f);
    EXPECT_LE(Duration(plan), 30.0f + 1e-3f);
}

TEST_F(SteeringTest, ATurnTooTightAtSpeedIsPlannedSlower) {
    CVR3GAMEMovementShip* s = AddShip(0.0f, 0.0f);
    s->m_fTurnLimit = 0.02f; // wide turns: radius 10.8 at 4 m/s
    s->m_fSpeed = 6.0f;
    s->m_fRouteSpeed = 6.0f;
    // Hard abeam, 8 units away: inside the turning circle at 6 m/s (16.2).
    ASSERT_TRUE(Steer(s).SetTargetPoint(8.0f, 0.5f));
    Steer(s).Proc(1, 0.0f);
    const auto& plan = Steer(s).GetPlan();
    ASSERT_FALSE(plan.empty());
    EXPECT_FLOAT_EQ(plan[0]->m_fEndSpeed, 2.5f);
    EXPECT_LT(plan[0]->m_fTurn, 0.0f); // the other way round
}

TEST_F(SteeringTest, PlaybackSetsSpeedAndRudderOncePerSegment) {
    CVR3GAMEMovementShip* s = AddShip(0.0f, 0.0f);
    s->m_fTurnLimit = 0.1f;
    s->m_fSpeed = 10.0f;
    s->m_fRouteSpeed = 10.0f;
    Steer(s).SetCourse(1.0f, 0.0f);
    Steer(s).Proc(1, 0.0f);
    ASSERT_EQ(Steer(s).GetPlan().size(), 2u);
    const float arcTime = Steer(s).GetPlan()[0]->m_fDuration;
    Steer(s).Proc(0, 0.06f); // starts the arc
    EXPECT_FLOAT_EQ(s->m_fOrderedSpeed, 10.0f);
    const float rudder = s->m_fOrderedRudderAngle;
    EXPECT_GT(rudder, 0.0f);
    s->m_fOrderedRudderAngle = 0.0f; // anything set meanwhile stays until the next segment
    Steer(s).Proc(0, 0.06f);
    EXPECT_FLOAT_EQ(s->m_fOrderedRudderAngle, 0.0f);
    Steer(s).Proc(0, arcTime);
    ASSERT_EQ(Steer(s).GetPlan().size(), 1u);
    EXPECT_FLOAT_EQ(s->m_fOrderedRudderAngle, 0.0f); // the straight started at once
    EXPECT_EQ(Steer(s).GetPlan()[0]->m_fElapsed, 0.0f);
}

TEST_F(SteeringTest, SegmentPoolGrowsOnlyWhenAllAreInUse) {
    CVR3GAMEMovementShip* s = AddShip(0.0f, 0.0f);
    s->m_fTurnLimit = 0.1f;
    s->m_fSpeed = s->m_fRouteSpeed = 5.0f;
    EXPECT_EQ(Steer(s).GetPoolSize(), 10u);
    for (int i = 0; i < 30; ++i) {
        Steer(s).SetCourse(std::sin(0.3f * i), std::cos(0.3f * i));
        Steer(s).Proc(1, 0.0f);
    }
    EXPECT_EQ(Steer(s).GetPoolSize(), 10u); // freed segments come back
    Steer(s).ClearPlan();
    std::vector<CVR3GAMESteeringSegment*> held;
    for (int i = 0; i < 12; ++i) held.push_back(Steer(s).MakeStraight(*s->GetWorldMatrix(), 5.0f, 5.0f, 1.0f));
    EXPECT_EQ(Steer(s).GetPoolSize(), 12u);
    for (auto* seg : held) Steer(s).FreeSegment(seg);
}

TEST_F(SteeringTest, SectorsAndEscapeAngles) {
    EXPECT_EQ(CVR3GAMEMovementSteering::SectorOf(0.0f), 12);
    EXPECT_EQ(CVR3GAMEMovementSteering::SectorOf(0.27f), 13);
    EXPECT_EQ(CVR3GAMEMovementSteering::SectorOf(-0.27f), 11);
    EXPECT_EQ(CVR3GAMEMovementSteering::SectorOf(kPi), 24);
    EXPECT_EQ(CVR3GAMEMovementSteering::SectorOf(-kPi), 0);
    // An angle that is no number, or beyond the table, never leaves it.
    EXPECT_EQ(CVR3GAMEMovementSteering::SectorOf(std::nanf("")), 12);
    EXPECT_EQ(CVR3GAMEMovementSteering::SectorOf(100.0f), 24);
    EXPECT_EQ(CVR3GAMEMovementSteering::SectorOf(-100.0f), 0);

    CVR3GAMEMovementShip* s = AddShip(0.0f, 0.0f);
    EXPECT_FLOAT_EQ(Steer(s).FindEscapeAngle(4.0f), CVR3GAMEMovementSteering::kNoEscape);
}

TEST_F(SteeringTest, TimeWindowGrowsWithTheShipsAstern) {
    CVR3GAMEMovementShip* a = AddShip(0.0f, 0.0f);
    CVR3GAMEMovementShip* b = AddShip(0.0f, -12.0f);
    CVR3GAMEMovementShip* c = AddShip(0.0f, -24.0f);
    CVR3GAMEMovementShipsColumn column;
    for (auto* s : {a, b, c}) column.AddMovementShip(-1, s, true);
    EXPECT_NEAR(Steer(c).TimeWindow(8.0f), 2.5f * 222.0f / 8.0f, 1e-3f); // the last of its column
    EXPECT_NEAR(Steer(a).TimeWindow(8.0f), 4.5f * 222.0f / 8.0f, 1e-3f);
    CVR3GAMEMovementShip* alone = AddShip(50.0f, 0.0f);
    EXPECT_NEAR(Steer(alone).TimeWindow(8.0f), 2.5f * 222.0f / 8.0f, 1e-3f);
    EXPECT_FLOAT_EQ(Steer(a).TimeWindow(0.0f), 0.0f);
}

TEST_F(SteeringTest, LeaderDetoursRoundAStationaryHull) {
    CVR3GAMEMovementShip* s = AddShip(0.0f, 0.0f);
    CVR3GAMEMovementShipsColumn column;
    column.AddMovementShip(-1, s, true);
    AddShip(0.0f, 8.0f); // a hull at rest dead ahead
    s->m_fTurnLimit = 0.1f;
    s->m_fSpeed = s->m_fRouteSpeed = 8.0f;
    Steer(s).SetCourse(0.0f, 1.0f);
    Steer(s).Proc(1, 0.0f);
    const auto& plan = Steer(s).GetPlan();
    ASSERT_FALSE(plan.empty());
    EXPECT_GT(std::fabs(plan[0]->m_fTurn), 0.0f) << "the straight ahead is replaced by a turn away";
    EXPECT_GT(std::fabs(plan[0]->m_fTurnAngle), 0.2f);
    // The sectors round the hull cost more than the ones aside.
    const auto* sectors = Steer(s).GetSectors();
    EXPECT_GT(sectors[12].m_fCost, 4.0f);

    // A ship in no column never finds its way blocked.
    CVR3GAMEMovementShip* lone = AddShip(30.0f, 0.0f);
    AddShip(30.0f, 8.0f);
    lone->m_fTurnLimit = 0.1f;
    lone->m_fSpeed = lone->m_fRouteSpeed = 8.0f;
    Steer(lone).SetCourse(0.0f, 1.0f);
    Steer(lone).Proc(1, 0.0f);
    ASSERT_EQ(Steer(lone).GetPlan().size(), 1u);
    EXPECT_FLOAT_EQ(Steer(lone).GetPlan()[0]->m_fTurn, 0.0f);
}

TEST_F(SteeringTest, OwnColumnAsternOrFarNeverBlocks) {
    CVR3GAMEMovementShip* lead = AddShip(0.0f, 0.0f, kPi); // heading -z
    CVR3GAMEMovementShip* second = AddShip(0.0f, 12.0f, kPi);
    CVR3GAMEMovementShipsColumn column;
    column.AddMovementShip(-1, lead, true);
    column.AddMovementShip(-1, second, true);
    // The leader turns back towards +z: its own follower lies astern of it and is ignored.
    lead->m_fTurnLimit = 0.1f;
    lead->m_fSpeed = lead->m_fRouteSpeed = 8.0f;
    Steer(lead).SetCourse(0.0f, -1.0f);
    Steer(lead).Proc(1, 0.0f);
    ASSERT_EQ(Steer(lead).GetPlan().size(), 1u);
    EXPECT_FLOAT_EQ(Steer(lead).GetPlan()[0]->m_fTurn, 0.0f);
}

TEST_F(SteeringTest, FollowerStationKeepingTable) {
    CVR3GAMEMovementShip* ahead = AddShip(0.0f, 0.0f);
    ahead->m_fSpeed = 8.0f;
    const struct {
        float astern, lateral;
        float expected;
        const char* what;
    } cases[] = {
        {30.0f, 0.0f, 12.0f, "far astern: twice the speed ahead, capped"},
        {18.0f, 0.0f, 12.0f, "18 units on line: 8 x 1.5"},
        {18.0f, 0.5f, 9.0f, "18 units off line: 8 + 2 x 0.5"},
        {9.0f, 0.0f, 4.4f, "9 units on line: 8 x (0.8 - 0.25)"},
        {5.0f, 0.0f, 4.0f, "5 units on line: half the speed ahead"},
    };
    for (const auto& c : cases) {
        CVR3GAMEMovementShip* f = AddShip(c.lateral, -c.astern);
        f->m_fMaxSpeed = 12.0f;
        Steer(f).SetFollow(ahead);
        Steer(f).ClearPlan();
        f->m_fOrderedSpeed = -1.0f;
        Steer(f).Proc(0, 0.06f); // the first step only notes the speed ahead
        EXPECT_FLOAT_EQ(f->m_fOrderedSpeed, -1.0f) << c.what;
        Steer(f).Proc(0, 0.06f);
        EXPECT_NEAR(f->m_fOrderedSpeed, c.expected, 0.01f) << c.what;
    }
    // Beyond 36 units nothing happens.
    CVR3GAMEMovementShip* far = AddShip(0.0f, -40.0f);
    Steer(far).SetFollow(ahead);
    Steer(far).ClearPlan();
    far->m_fOrderedSpeed = -1.0f;
    Steer(far).Proc(0, 0.06f);
    Steer(far).Proc(0, 0.06f);
    EXPECT_FLOAT_EQ(far->m_fOrderedSpeed, -1.0f);
}

TEST_F(SteeringTest, FollowerBacksOffBehindAShipThatRanIntoSomething) {
    CVR3GAMEMovementShip* ahead = AddShip(0.0f, 0.0f);
    ahead->m_fSpeed = -1.0f;
    ahead->m_bBackingOff = true;
    ahead->m_fOrderedRudderAngle = -0.2f;
    CVR3GAMEMovementShip* f = AddShip(0.0f, -5.0f);
    f->m_fSpeed = 3.0f;
    Steer(f).SetFollow(ahead);
    Steer(f).ClearPlan();
    Steer(f).Proc(0, 0.06f);
    Steer(f).Proc(0, 0.06f);
    EXPECT_FLOAT_EQ(f->m_fOrderedSpeed, f->m_fMinSpeed * 0.25f);
    EXPECT_LT(f->m_fOrderedRudderAngle, 0.0f); // sheers off the way the ship ahead turns
}

TEST_F(SteeringTest, ZeroTurnLimitOrSpeedPlansNoNumbersThatAreNot) {
    CVR3GAMEMovementShip* s = AddShip(0.0f, 0.0f);
    CVR3GAMEMovementShipsColumn column;
    column.AddMovementShip(-1, s, true);
    AddShip(3.0f, 6.0f);
    const struct {
        float turnLimit, speed, route;
    } cases[] = {{0.0f, 6.0f, 6.0f}, {0.1f, 0.0f, 0.0f}, {0.0f, 0.0f, 0.0f}};
    for (auto c : cases) {
        s->m_fTurnLimit = c.turnLimit;
        s->m_fSpeed = c.speed;
        s->m_fRouteSpeed = c.route;
        for (int order = 0; order < 2; ++order) {
            if (order == 0)
                Steer(s).SetCourse(1.0f, 0.0f);
            else
                Steer(s).SetTargetPoint(20.0f, 30.0f);
            Steer(s).Proc(1, 0.0f);
            for (const CVR3GAMESteeringSegment* seg : Steer(s).GetPlan()) {
                EXPECT_TRUE(std::isfinite(seg->m_fDuration) && std::isfinite(seg->m_fTurn) &&
                            std::isfinite(seg->m_mEnd._41) && std::isfinite(seg->m_mEnd._43))
                    << c.turnLimit << " " << c.speed;
            }
            Steer(s).Proc(0, 0.06f);
            EXPECT_TRUE(std::isfinite(s->m_fOrderedRudderAngle) && std::isfinite(s->m_fOrderedSpeed));
        }
    }
}
