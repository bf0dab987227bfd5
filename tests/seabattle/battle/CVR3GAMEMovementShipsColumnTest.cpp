// The movement column: its limits, its quarter-step acceleration, its
// orders and the line-up of its ships; then course, point and follow orders
// carried out by ships on the physics test world.
#include "MotionWorld.h"
#include "seabattle/battle/CVR3GAMEMovementSteering.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

using namespace SeaBattle;
using VornaTest::MotionWorld;
using VornaTest::ShipSpec;

namespace {

// Ships without bodies: the column's bookkeeping needs only their values.
struct PlainShips {
    explicit PlainShips(std::vector<float> maxSpeeds, std::vector<float> rot = {}) {
        for (std::size_t i = 0; i < maxSpeeds.size(); ++i) {
            auto s = std::make_unique<CVR3GAMEMovementShip>();
            ShipSpec spec;
            spec.maxSpeed = maxSpeeds[i];
            spec.minSpeed = -3.0f;
            spec.maxRotAngle = i < rot.size() ? rot[i] : 0.05f;
            VornaTest::ApplySpec(*s, spec);
            ships.push_back(std::move(s));
        }
    }
    void Fill(CVR3GAMEMovementShipsColumn& c) {
        for (auto& s : ships) ASSERT_TRUE(c.AddMovementShip(-1, s.get(), true));
    }
    std::vector<std::unique_ptr<CVR3GAMEMovementShip>> ships;
};

TEST(MovementColumnLimits, SlowestAndLeastHandyShipWithAMargin) {
    PlainShips p({16.0f, 12.0f}, {0.06f, 0.04f});
    CVR3GAMEMovementShipsColumn c;
    p.Fill(c);
    EXPECT_EQ(c.m_uShipCount, 2u);
    EXPECT_NEAR(c.m_fMaxSpeed, 10.2f, 1e-4f);
    EXPECT_NEAR(c.m_fSpeedStep, 2.55f, 1e-4f);
    EXPECT_NEAR(c.m_fTurningValue, 0.034f, 1e-6f);
    EXPECT_NEAR(p.ships[0]->m_fTurnLimit, 0.034f, 1e-6f); // the leader: min(own, column)
    EXPECT_FLOAT_EQ(p.ships[1]->m_fTurnLimit, 0.04f);
    EXPECT_FLOAT_EQ(p.ships[1]->m_fRouteSpeed, 12.0f); // followers may always close up

    PlainShips one({16.0f});
    CVR3GAMEMovementShipsColumn single;
    one.Fill(single);
    EXPECT_FLOAT_EQ(single.m_fMaxSpeed, 16.0f);
    EXPECT_FLOAT_EQ(single.m_fSpeedStep, 4.0f);
    // A one-ship column gives its speed at once, without steps.
    single.SetSpeed(14.0f, false);
    EXPECT_FLOAT_EQ(one.ships[0]->m_fOrderedSpeed, 14.0f);
    EXPECT_FLOAT_EQ(single.m_fStepTarget, -1.0f);
}

TEST(MovementColumnOrders, InsertRemoveAndLineUp) {
    PlainShips p({10.0f, 10.0f, 10.0f, 10.0f});
    CVR3GAMEMovementShipsColumn c;
    CVR3GAMEMovementShip *a = p.ships[0].get(), *b = p.ships[1].get(), *d = p.ships[2].get(), *e = p.ships[3].get();
    ASSERT_TRUE(c.AddMovementShip(-1, a, false));
    ASSERT_TRUE(c.AddMovementShip(0, b, false));  // front
    ASSERT_TRUE(c.AddMovementShip(1, d, false));  // before the ship at 1
    ASSERT_TRUE(c.AddMovementShip(99, e, true));  // end
    EXPECT_EQ(c.m_stdvShips, (std::vector<CVR3GAMEMovementShip*>{b, d, a, e}));
    for (int i = 0; i < 4; ++i) EXPECT_EQ(c.m_stdvShips[i]->m_iColumnIndex, i);
    EXPECT_FALSE(c.AddMovementShip(-1, a, true)); // already in a column
    EXPECT_FALSE(c.AddMovementShip(-1, nullptr, true));
    // Followers follow the ship ahead.
    EXPECT_EQ(d->m_iPendingOrder, ORDER_FOLLOW);
    EXPECT_EQ(d->m_pFollowedShip, b);
    EXPECT_EQ(e->m_pFollowedShip, a);
    EXPECT_EQ(b->m_iPendingOrder, ORDER_NONE);

    // Removing the leader makes the second ship the leader.
    d->m_iCurrentOrder = ORDER_FOLLOW;
    ASSERT_TRUE(c.RemoveMovementShip(b));
    EXPECT_EQ(b->m_pColumn, nullptr);
    EXPECT_EQ(b->m_iColumnIndex, -1);
    EXPECT_EQ(c.GetLeader(), d);
    EXPECT_EQ(d->m_iColumnIndex, 0);
    EXPECT_EQ(d->m_iCurrentOrder, ORDER_NONE);
    EXPECT_EQ(c.m_uShipCount, 3u);
    EXPECT_FALSE(c.RemoveMovementShip(b));
}

TEST(MovementColumnOrders, RepeatedAndLowerSpeedOrders) {
    PlainShips p({12.0f, 12.0f, 12.0f});
    CVR3GAMEMovementShipsColumn c;
    p.Fill(c);
    CVR3GAMEMovementShip* l = p.ships[0].get();
    l->m_fSpeed = 8.0f;
    c.SetSpeed(5.0f, false); // slowing down goes at once
    EXPECT_FLOAT_EQ(l->m_fOrderedSpeed, 5.0f);
    l->m_fOrderedSpeed = 7.0f;
    c.SetSpeed(5.005f, false); // the same order within 0.01: ignored
    EXPECT_FLOAT_EQ(l->m_fOrderedSpeed, 7.0f);
    c.SetSpeed(5.005f, true); // unless forced
    EXPECT_FLOAT_EQ(l->m_fOrderedSpeed, 5.005f);
    c.SetSpeed(-2.0f, false); // astern goes at once
    EXPECT_FLOAT_EQ(l->m_fOrderedSpeed, -2.0f);
    c.SetSpeed(50.0f, false); // above the column's speed: lowered to it
    EXPECT_FLOAT_EQ(c.m_fOrderedSpeed, c.m_fMaxSpeed);
    // Rudder orders to a column are limited to its turn limit.
    c.m_fTurnLimit = 0.2f;
    c.SetRudder(-0.6f);
    EXPECT_FLOAT_EQ(l->m_fOrderedRudderAngle, -0.2f);
    // Route speed: negative ignored.
    c.SetRouteSpeed(-1.0f);
    EXPECT_FLOAT_EQ(l->m_fRouteSpeed, 0.0f);
    // Course and point orders are posted on the leader.
    c.SetCourse(1.0f, 0.0f);
    EXPECT_EQ(l->m_iPendingOrder, ORDER_COURSE);
    c.SetTargetPoint(30.0f, 40.0f);
    EXPECT_EQ(l->m_iPendingOrder, ORDER_POINT);
    EXPECT_FLOAT_EQ(l->m_fOrderX, 30.0f);
    EXPECT_FLOAT_EQ(l->m_fOrderZ, 40.0f);

    CVR3GAMEMovementShipsColumn empty; // orders to an empty column do nothing
    empty.SetSpeed(5.0f, true);
    empty.SetCourse(1.0f, 0.0f);
    empty.LinkShipsInLine();
    empty.UpdateSpeedLimits();
    EXPECT_FLOAT_EQ(empty.m_fMaxSpeed, 0.0f);
}

TEST(MovementColumnSteps, AStoppedColumnAcceleratesInQuarterSteps) {
    // Three ships of 12 m/s x 0.85: steps of 2.55 m/s up to 10.
    PlainShips p({12.0f, 12.0f, 12.0f});
    CVR3GAMEMovementShipsColumn c;
    p.Fill(c);
    CVR3GAMEMovementShip* l = p.ships[0].get();
    c.SetSpeed(10.0f, false);
    EXPECT_FLOAT_EQ(c.m_fOrderedSpeed, 10.0f);
    EXPECT_NEAR(l->m_fOrderedSpeed, 2.55f, 1e-4f);
    // Steps follow once the leader has reached the step (less the turning
    // allowance of 0.1 on a straight rudder) and held it for 30 s.
    struct Stage {
        float reached;
        float next;
    } const stages[] = {{2.55f, 5.1f}, {5.1f, 7.65f}, {7.65f, 10.0f}};
    for (const Stage& st : stages) {
        l->m_fSpeed = st.reached - 0.05f;
        c.Proc(-1, 0.5f); // the timer starts
        EXPECT_FLOAT_EQ(c.m_fStepTimer, 0.0f);
        int frames = 0;
        while (std::fabs(l->m_fOrderedSpeed - st.reached) < 1e-4f && frames < 100) {
            c.Proc(-1, 0.5f);
            ++frames;
        }
        EXPECT_EQ(frames, 61) << "held for 30 s, then the next step";
        EXPECT_NEAR(l->m_fOrderedSpeed, st.next, 1e-4f);
    }
    // The ordered speed reached: the steps end.
    l->m_fSpeed = 9.95f;
    c.Proc(-1, 0.06f);
    EXPECT_FLOAT_EQ(c.m_fStepTarget, -1.0f);
    EXPECT_FLOAT_EQ(c.m_fStepTimer, -1.0f);
}

TEST(MovementColumnSteps, RouteSpeedOrdersStepTheLeadersRouteSpeed) {
    PlainShips p({12.0f, 12.0f, 12.0f});
    CVR3GAMEMovementShipsColumn c;
    p.Fill(c);
    CVR3GAMEMovementShip* l = p.ships[0].get();
    struct Case {
        float order;
        float column, leader; // ordered speed of the column, route speed of the leader after it
    } const cases[] = {
        {10.0f, 10.0f, 2.55f},  // from rest: the first quarter step
        {10.005f, 10.0f, 2.55f}, // the same order again: ignored
        {-4.0f, 10.0f, 2.55f},  // astern is no route speed: ignored
        {40.0f, 10.2f, 2.55f},  // above the column's speed: lowered to it, still stepping
    };
    for (const Case& k : cases) {
        c.SetRouteSpeed(k.order);
        EXPECT_NEAR(c.m_fOrderedSpeed, k.column, 1e-4f) << k.order;
        EXPECT_NEAR(l->m_fRouteSpeed, k.leader, 1e-4f) << k.order;
    }
    // A leader already at speed gets a lower order at once; and one whose
    // route speed is 0 takes a repeated order again.
    l->m_fSpeed = 8.0f;
    c.SetRouteSpeed(5.0f);
    EXPECT_FLOAT_EQ(l->m_fRouteSpeed, 5.0f);
    l->m_fRouteSpeed = 0.0f;
    c.SetRouteSpeed(5.0f);
    EXPECT_FLOAT_EQ(l->m_fRouteSpeed, 5.0f);
    // A route order leaves the leader's route on: the steps continue with
    // route speeds, not direct speed orders that would end it.
    l->m_iCurrentOrder = ORDER_POINT;
    l->m_fSpeed = 0.0f;
    c.SetRouteSpeed(10.0f);
    l->m_fSpeed = 2.5f;
    for (int i = 0; i < 70; ++i) c.Proc(-1, 0.5f);
    EXPECT_NEAR(l->m_fRouteSpeed, 5.1f, 1e-4f);
    EXPECT_EQ(l->m_iCurrentOrder, ORDER_POINT);
}

TEST(MovementColumnSteps, ATurningLeaderReachesAStepEarlier) {
    PlainShips p({12.0f, 12.0f});
    CVR3GAMEMovementShipsColumn c;
    p.Fill(c);
    CVR3GAMEMovementShip* l = p.ships[0].get();
    c.SetSpeed(10.0f, false);
    // At full rudder the allowance is 3.6 m/s: 2.55 counts as reached at 0.
    l->m_fRudderAngle = l->m_fMaxRudderAngle;
    l->m_fSpeed = 0.0f;
    c.Proc(-1, 0.06f);
    EXPECT_FLOAT_EQ(c.m_fStepTimer, 0.0f);
}

TEST(MovementColumnRoutes, ASingleShipSteersACourse) {
    MotionWorld w;
    CVR3GAMEMovementShip* s = w.AddShip(0, 0);
    CVR3GAMEMovementShipsColumn c;
    ASSERT_TRUE(c.AddMovementShip(-1, s, true));
    c.SetRouteSpeed(6.0f);
    c.SetCourse(1.0f, 0.0f); // east: a starboard turn of 90 degrees
    w.Run(80.0f, &c);
    EXPECT_EQ(s->m_iCurrentOrder, ORDER_COURSE);
    EXPECT_NEAR(MotionWorld::Heading(s), 1.5707964f, 0.15f);
    EXPECT_NEAR(s->m_fSpeed, 6.0f, 0.5f);
    EXPECT_GT(MotionWorld::Position(s).x, 10.0f);
    c.SetCourse(-1.0f, -1.0f); // then south-west: 135 degrees further round
    w.Run(120.0f, &c);
    EXPECT_NEAR(MotionWorld::Heading(s), -2.3561945f, 0.15f);
}

TEST(MovementColumnRoutes, ASingleShipReachesATargetPoint) {
    struct Case {
        float x, z;
    } const cases[] = {{0.0f, 40.0f}, {-30.0f, 20.0f}, {25.0f, -25.0f}};
    for (const Case& t : cases) {
        MotionWorld w;
        CVR3GAMEMovementShip* s = w.AddShip(0, 0);
        CVR3GAMEMovementShipsColumn c;
        ASSERT_TRUE(c.AddMovementShip(-1, s, true));
        c.SetRouteSpeed(7.0f);
        c.SetTargetPoint(t.x, t.z);
        float best = 1e9f;
        for (int i = 0; i < static_cast<int>(240.0f / 0.06f); ++i) {
            w.Step(&c);
            const D3DXVECTOR3 p = MotionWorld::Position(s);
            ASSERT_TRUE(std::isfinite(p.x) && std::isfinite(p.z));
            best = std::min(best, std::hypot(p.x - t.x, p.z - t.z));
        }
        EXPECT_LT(best, 5.0f) << t.x << "," << t.z;
    }
}

TEST(MovementColumnRoutes, FollowersKeepStationAstern) {
    MotionWorld w;
    CVR3GAMEMovementShip* a = w.AddShip(0, 0);
    CVR3GAMEMovementShip* b = w.AddShip(0, -12);
    CVR3GAMEMovementShip* d = w.AddShip(0, -24);
    CVR3GAMEMovementShipsColumn c;
    for (CVR3GAMEMovementShip* s : {a, b, d}) ASSERT_TRUE(c.AddMovementShip(-1, s, true));
    c.SetRouteSpeed(6.0f);
    c.SetCourse(0.0f, 1.0f);
    w.Run(150.0f, &c);
    EXPECT_EQ(b->m_iCurrentOrder, ORDER_FOLLOW);
    const float ab = std::hypot(MotionWorld::Position(a).x - MotionWorld::Position(b).x,
                                MotionWorld::Position(a).z - MotionWorld::Position(b).z);
    const float bd = std::hypot(MotionWorld::Position(b).x - MotionWorld::Position(d).x,
                                MotionWorld::Position(b).z - MotionWorld::Position(d).z);
    EXPECT_GT(MotionWorld::Position(a).z, 25.0f);
    EXPECT_GT(ab, 3.0f);
    EXPECT_LT(ab, 24.0f);
    EXPECT_GT(bd, 3.0f);
    EXPECT_LT(bd, 24.0f);
}

} // namespace
