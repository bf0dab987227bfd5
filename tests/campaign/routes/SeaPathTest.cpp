// Sea routes: the path generator's fitting, kinematics and way points, and
// the route finder's result codes and detours on small obstacle fields.
#include "campaign/routes/CDX9KelSeaPath.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

using namespace VornaCampaign;

namespace {

SeaMoveParams Params(float maxSpeed = 10.0f, float turn = 0.05f, float accel = 0.05f, float start = 10.0f) {
    SeaMoveParams p;
    p.m_fMaxSpeed = maxSpeed;
    p.m_fMaxTurnRate = turn;
    p.m_fAcceleration = accel;
    p.m_fStartSpeed = start;
    return p;
}

// A ship at (x, z) heading towards -z (the identity placement).
SeaMover Mover(float x, float z, const void* self, float radius = 5.0f) {
    SeaMover m;
    D3DXMatrixIdentity(&m.m_mWorld);
    m.m_mWorld._41 = x;
    m.m_mWorld._43 = z;
    m.m_fRadius = radius;
    m.m_pSelf = self;
    return m;
}

float Dist(const D3DXMATRIX& m, float x, float z) { return std::hypot(m._41 - x, m._43 - z); }

struct Planner {
    CDX9KelSeaPathGenerator gen;
    CDX9KelSeaPathFinder finder{&gen};
    CKelSeaObstacleField field;
    Planner() { finder.SetObstacleQuery(&field); }
};

} // namespace

TEST(SeaPathGenerator, AddSegmentClampsAndRefuses) {
    CDX9KelSeaPathGenerator gen;
    const SeaMoveParams p = Params(10.0f, 0.05f);
    D3DXMATRIX start;
    D3DXMatrixIdentity(&start);
    EXPECT_EQ(gen.CreatePath(nullptr, &start, 10.0f, false), -1);
    EXPECT_EQ(gen.CreatePath(&p, nullptr, 10.0f, false), -1);
    const int capped = gen.CreatePath(&p, &start, 1000.0f, false);
    EXPECT_FLOAT_EQ(gen.Get(capped)->m_fTime, 300.0f);
    const int kept = gen.CreatePath(&p, &start, 1000.0f, true);
    EXPECT_FLOAT_EQ(gen.Get(kept)->m_fTime, 1000.0f);

    EXPECT_FALSE(gen.AddSegment(7, 1.0f, 5.0f, 0.0f));
    EXPECT_FALSE(gen.AddSegment(kept, 0.0f, 5.0f, 0.0f));
    EXPECT_TRUE(gen.AddSegment(kept, 2.0f, -1.0f, 0.3f));
    EXPECT_TRUE(gen.AddSegment(kept, 2.0f, 50.0f, -0.3f));
    EXPECT_TRUE(gen.AddSegment(kept, 2.0f, 0.0f, 0.0f)); // a stop order stays a valid order
    const SeaPath& path = *gen.Get(kept);
    ASSERT_EQ(path.m_Segments.size(), 4u);
    EXPECT_FLOAT_EQ(path.m_Segments[0].m_fSpeed, 10.0f);
    EXPECT_FLOAT_EQ(path.m_Segments[0].m_fTurnRate, 0.05f);
    EXPECT_FLOAT_EQ(path.m_Segments[0].m_fStartSpeed, 10.0f);
    EXPECT_FLOAT_EQ(path.m_Segments[1].m_fSpeed, 10.0f);
    EXPECT_FLOAT_EQ(path.m_Segments[1].m_fTurnRate, -0.05f);
    EXPECT_FLOAT_EQ(path.m_Segments[2].m_fSpeed, 0.0f);
    gen.FinishPath(kept);
    EXPECT_FLOAT_EQ(path.m_fTime, 6.0f);
    EXPECT_FALSE(gen.AddSegment(kept, 2.0f, 5.0f, 0.0f)); // closed
}

TEST(SeaPathGenerator, ReleaseFitsSegmentsToThePathTime) {
    const SeaMoveParams p = Params(10.0f, 0.05f, 0.05f, 10.0f);
    D3DXMATRIX start;
    D3DXMatrixIdentity(&start);
    struct Case {
        float pathTime;
        std::vector<float> times;
        std::vector<float> expected;
    } cases[] = {
        {30.0f, {10.0f, 10.0f, 10.0f}, {10.0f, 10.0f, 10.0f}},
        {25.0f, {10.0f, 10.0f, 10.0f}, {10.0f, 10.0f, 5.0f}}, // cut, the rest dropped
        {30.3f, {10.0f, 10.0f, 10.0f}, {10.0f, 10.0f, 10.3f}}, // short: the last extended
        {15.0f, {10.0f, 10.0f}, {10.0f, 5.0f}},
        {20.0f, {5.0f}, {20.0f}},
    };
    for (const Case& c : cases) {
        CDX9KelSeaPathGenerator gen;
        const int i = gen.CreatePath(&p, &start, c.pathTime, true);
        for (float t : c.times) gen.AddSegment(i, t, 10.0f, 0.0f);
        ASSERT_TRUE(gen.ReleasePath(i));
        const SeaPath& path = *gen.Get(i);
        ASSERT_EQ(path.m_Segments.size(), c.expected.size()) << c.pathTime;
        for (size_t k = 0; k < c.expected.size(); ++k)
            EXPECT_NEAR(path.m_Segments[k].m_fTime, c.expected[k], 1e-4) << c.pathTime << " segment " << k;
    }
}

TEST(SeaPathGenerator, KinematicsAndWayPoints) {
    D3DXMATRIX start;
    D3DXMatrixIdentity(&start);
    {
        // Straight at constant speed 18.5 for 20 time units: 370 route units,
        // 20 world units towards -z; way points at 8 and at the end (20 - 8 < 16).
        CDX9KelSeaPathGenerator gen;
        const SeaMoveParams p = Params(18.5f, 0.05f, 0.05f, 18.5f);
        const int i = gen.CreatePath(&p, &start, 20.0f, true);
        gen.AddSegment(i, 20.0f, 18.5f, 0.0f);
        gen.FinishPath(i);
        ASSERT_TRUE(gen.ReleasePath(i));
        const SeaPath& path = *gen.Get(i);
        EXPECT_NEAR(path.m_fLength, 20.0f, 1e-3);
        ASSERT_EQ(path.m_WayPoints.size(), 2u);
        EXPECT_NEAR(path.m_WayPoints[0].m_mPlacement._43, -8.0f, 1e-3);
        EXPECT_NEAR(path.m_WayPoints[1].m_mPlacement._43, -20.0f, 1e-3);
        EXPECT_NEAR(path.m_mEnd._43, -20.0f, 1e-3);
    }
    {
        // Speeding up from 0 to 10 at 0.5: t = 20 < 50 - 0.9, so the segment
        // splits into 20 units (100 route units) and 30 at speed 10 (300).
        CDX9KelSeaPathGenerator gen;
        const SeaMoveParams p = Params(10.0f, 0.05f, 0.5f, 0.0f);
        const int i = gen.CreatePath(&p, &start, 50.0f, true);
        gen.AddSegment(i, 50.0f, 10.0f, 0.0f);
        gen.FinishPath(i);
        ASSERT_TRUE(gen.ReleasePath(i));
        const SeaPath& path = *gen.Get(i);
        ASSERT_EQ(path.m_Segments.size(), 2u);
        EXPECT_NEAR(path.m_Segments[0].m_fTime, 20.0f, 1e-4);
        EXPECT_NEAR(path.m_Segments[0].m_fLength, 100.0f, 1e-3);
        EXPECT_NEAR(path.m_Segments[1].m_fStartSpeed, 10.0f, 1e-4);
        EXPECT_NEAR(path.m_Segments[1].m_fLength, 300.0f, 1e-3);
        EXPECT_NEAR(path.m_fLength, 400.0f * kWorldUnitsPerRouteUnit, 1e-3);
    }
    {
        // A quarter turn at rate 0.01 and speed 3 (below 3.466: no slowing):
        // radius 300 route units; the ship ends a quarter circle further, heading along the side.
        CDX9KelSeaPathGenerator gen;
        const SeaMoveParams p = Params(3.0f, 0.01f, 0.05f, 3.0f);
        const float T = 3.14159265f / 2.0f / 0.01f;
        const int i = gen.CreatePath(&p, &start, T, true);
        gen.AddSegment(i, T, 3.0f, 0.01f);
        gen.FinishPath(i);
        ASSERT_TRUE(gen.ReleasePath(i));
        const SeaPath& path = *gen.Get(i);
        EXPECT_NEAR(path.m_Segments[0].m_fRadius, 300.0f, 1e-2);
        const float r = 300.0f * kWorldUnitsPerRouteUnit;
        EXPECT_NEAR(std::hypot(path.m_mEnd._41, path.m_mEnd._43), r * std::sqrt(2.0f), 1e-2);
        EXPECT_NEAR(std::fabs(SeaHeading(path.m_mEnd).x), 1.0f, 1e-3);
        // Every way point lies on the turning circle.
        for (const SeaWayPoint& wp : path.m_WayPoints)
            EXPECT_NEAR(std::hypot(wp.m_mPlacement._41 + r, wp.m_mPlacement._43), r, 1e-2);
        // The speed in a turn drops when it is fast and the turn sharp.
        const SeaMoveParams fast = Params(10.0f, 0.1f, 0.05f, 10.0f);
        const int j = gen.CreatePath(&fast, &start, 5.0f, true);
        gen.AddSegment(j, 5.0f, 10.0f, 0.1f);
        gen.AddSegment(j, 5.0f, 10.0f, 0.0f);
        gen.ReleasePath(j);
        EXPECT_NEAR(gen.Get(j)->m_Segments[1].m_fStartSpeed, 10.0f * std::cos(0.25f), 1e-4);
    }
}

TEST(SeaPathGenerator, TurningWayPointsStepByTheStartSpeedAndTheLastStandsAtTheTurnsEnd) {
    // Speed 10 at turn rate 0.1: the turn slows the ship to 10 cos(0.25),
    // radius 96.9 route units. A way point every 148 route units turns by
    // 148 / 10 x 0.1 = 1.48 radians about the centre; the last one is the
    // turn's end, 4 radians on.
    D3DXMATRIX start;
    D3DXMatrixIdentity(&start);
    CDX9KelSeaPathGenerator gen;
    const SeaMoveParams p = Params(10.0f, 0.1f, 0.05f, 10.0f);
    const int i = gen.CreatePath(&p, &start, 40.0f, true);
    gen.AddSegment(i, 40.0f, 10.0f, 0.1f);
    gen.FinishPath(i);
    ASSERT_TRUE(gen.ReleasePath(i));
    const SeaPath& path = *gen.Get(i);
    ASSERT_EQ(path.m_WayPoints.size(), 2u);
    const float r = 10.0f * std::cos(0.25f) / 0.1f * kWorldUnitsPerRouteUnit;
    auto angleOf = [](const D3DXMATRIX& m) {
        const D3DXVECTOR3 h = SeaHeading(m);
        return std::atan2(h.x, -h.z);
    };
    const D3DXMATRIX& first = path.m_WayPoints[0].m_mPlacement;
    EXPECT_NEAR(std::fabs(angleOf(first)), 1.48f, 1e-3);
    EXPECT_NEAR(std::hypot(first._41 + r, first._43), r, 1e-2) << "on the turning circle";
    EXPECT_EQ(std::memcmp(&path.m_WayPoints[1].m_mPlacement, &path.m_mEnd, sizeof(D3DXMATRIX)), 0);
    EXPECT_NEAR(std::fabs(angleOf(path.m_mEnd)), 2.0f * 3.14159265f - 4.0f, 1e-3);
}

TEST(SeaPathFinder, ResultCodes) {
    Planner pl;
    int self = 0;
    const SeaMover mover = Mover(0.0f, 0.0f, &self);
    const SeaMoveParams p = Params();
    EXPECT_EQ(pl.finder.FindPath(&mover, &p, 0.0f, 0.0f, 0, 0, -50), SEA_PATH_RESULT_ERROR);
    EXPECT_EQ(pl.finder.FindPath(nullptr, &p, 0.0f, 10.0f, 0, 0, -50), SEA_PATH_RESULT_ERROR);
    EXPECT_EQ(pl.finder.FindPath(&mover, &p, 8.0f, 10.0f, 0, 0, -50), SEA_PATH_RESULT_NOT_TIME);

    // The mover itself in the field: a target that overlaps only the mover is free.
    const void* me = pl.field.AddCircle(0.0f, 0.0f, 5.0f, 1);
    SeaMover selfMover = Mover(0.0f, 0.0f, me);
    EXPECT_EQ(pl.finder.FindPath(&selfMover, &p, 0.0f, 100.0f, 0, 0, -3), SEA_PATH_RESULT_FOUND);
    // Another column's sphere at the target.
    pl.field.AddCircle(0.0f, -60.0f, 5.0f, 2);
    EXPECT_EQ(pl.finder.FindPath(&selfMover, &p, 0.0f, 100.0f, 0, 0, -58), SEA_PATH_RESULT_TAGRET_OCCUPED);

    // A mover that cannot move finds nothing (no division by a zero rate).
    const SeaMoveParams still = Params(0.0f);
    EXPECT_EQ(pl.finder.FindPath(&selfMover, &still, 0.0f, 100.0f, 0, 0, -30), SEA_PATH_RESULT_NOT_FOUND);
}

TEST(SeaPathFinder, StraightRouteHasNoTurn) {
    Planner pl;
    int self = 0;
    const SeaMover mover = Mover(0.0f, 0.0f, &self);
    const SeaMoveParams p = Params(10.0f, 0.05f, 0.05f, 10.0f);
    ASSERT_EQ(pl.finder.FindPath(&mover, &p, 0.0f, 300.0f, 0, 0, -40), SEA_PATH_RESULT_FOUND);
    const SeaPath& fitted = *pl.gen.Get(pl.finder.m_iFittedPath);
    ASSERT_EQ(fitted.m_Segments.size(), 1u);
    EXPECT_FLOAT_EQ(fitted.m_Segments[0].m_fTurnRate, 0.0f);
    // 40 world units = 740 route units at speed 10 = 74 time units.
    EXPECT_NEAR(fitted.m_fTime, 74.0f, 1e-2);
    EXPECT_NEAR(Dist(fitted.m_WayPoints.back().m_mPlacement, 0.0f, -40.0f), 0.0f, 1e-2);
    EXPECT_TRUE(pl.finder.m_Detours.empty());

    // With less time left the fitted path stops short on the same line.
    ASSERT_EQ(pl.finder.FindPath(&mover, &p, 0.0f, 37.0f, 0, 0, -40), SEA_PATH_RESULT_FOUND);
    const SeaPath& half = *pl.gen.Get(pl.finder.m_iFittedPath);
    EXPECT_NEAR(half.m_mEnd._43, -20.0f, 1e-2);
}

TEST(SeaPathFinder, ASlowingShipsRouteEndsAtItsTarget) {
    // From speed 10 down towards 5, 40 world units (740 route units) ahead.
    // Slowing at 0.009 a time unit takes (10 - 5) / 0.009 = 555 time units
    // and 4164 route units, more than the run: the ship covers the 740 in
    // the slowing, as the kinematics lay it out, and the route ends at the
    // target.
    Planner pl;
    int self = 0;
    const SeaMover mover = Mover(0.0f, 0.0f, &self);
    const SeaMoveParams p = Params(5.0f, 0.05f, 0.05f, 10.0f);
    ASSERT_EQ(pl.finder.FindPath(&mover, &p, 0.0f, 300.0f, 0, 0, -40), SEA_PATH_RESULT_FOUND);
    const SeaPath& fitted = *pl.gen.Get(pl.finder.m_iFittedPath);
    ASSERT_FALSE(fitted.m_WayPoints.empty());
    EXPECT_LT(Dist(fitted.m_WayPoints.back().m_mPlacement, 0.0f, -40.0f), 0.5f);
    EXPECT_NEAR(fitted.m_fLength, 40.0f, 0.5f);
}

TEST(SeaPathFinder, DetoursAroundAnIslandAndReachesTheTarget) {
    Planner pl;
    int self = 0;
    const SeaMover mover = Mover(0.0f, 0.0f, &self);
    const SeaMoveParams p = Params(10.0f, 0.05f, 0.05f, 10.0f);
    const void* island = pl.field.AddBox(-20.0f, -70.0f, 15.0f, -40.0f, 7);
    ASSERT_EQ(pl.finder.FindPath(&mover, &p, 0.0f, 3000.0f, 0, 0, -120), SEA_PATH_RESULT_FOUND);
    EXPECT_FALSE(pl.finder.m_Detours.empty());
    const SeaPath& fitted = *pl.gen.Get(pl.finder.m_iFittedPath);
    ASSERT_FALSE(fitted.m_WayPoints.empty());
    EXPECT_LT(Dist(fitted.m_WayPoints.back().m_mPlacement, 0.0f, -120.0f), 1.0f);
    // No way point of the route touches the island.
    for (const SeaWayPoint& wp : fitted.m_WayPoints) {
        pl.field.TestSphere(wp.m_mPlacement._41, 0.0f, wp.m_mPlacement._43, 0.5f);
        for (const void* hit : pl.field.Hits()) EXPECT_NE(hit, island);
    }
}

TEST(SeaPathFinder, EnclosedTargetIsNotFoundWithinTheDetourLimit) {
    Planner pl;
    int self = 0;
    const SeaMover mover = Mover(0.0f, 0.0f, &self);
    const SeaMoveParams p = Params();
    // A ring of boxes around the target.
    pl.field.AddBox(-40.0f, -140.0f, 40.0f, -130.0f, 1);
    pl.field.AddBox(-40.0f, -70.0f, 40.0f, -60.0f, 2);
    pl.field.AddBox(-40.0f, -140.0f, -30.0f, -60.0f, 3);
    pl.field.AddBox(30.0f, -140.0f, 40.0f, -60.0f, 4);
    EXPECT_EQ(pl.finder.FindPath(&mover, &p, 0.0f, 3000.0f, 0, 0, -100), SEA_PATH_RESULT_NOT_FOUND);
    EXPECT_GT(pl.finder.m_uDetours, pl.finder.m_uDetourLimit);
}

TEST(SeaPathGenerator, ClearingKeepsASailedPathAlive) {
    Planner pl;
    int self = 0;
    const SeaMover mover = Mover(0.0f, 0.0f, &self);
    const SeaMoveParams p = Params();
    ASSERT_EQ(pl.finder.FindPath(&mover, &p, 0.0f, 300.0f, 0, 0, -40), SEA_PATH_RESULT_FOUND);
    SeaPathHandle sailed = pl.gen.Get(pl.finder.m_iFittedPath);
    const size_t points = sailed->m_WayPoints.size();
    ASSERT_EQ(pl.finder.FindPath(&mover, &p, 0.0f, 300.0f, 30, 0, -40), SEA_PATH_RESULT_FOUND);
    pl.gen.ClearPaths();
    EXPECT_EQ(sailed->m_WayPoints.size(), points);
    EXPECT_NEAR(sailed->m_WayPoints.back().m_mPlacement._43, -40.0f, 1e-2);
}
