// Column movement: a column sails a planned route with its followers keeping
// station, and the rules of the movement object and the column records.
#include "campaign/routes/CDX9KelColumnMovement.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace VornaCampaign;

namespace {

D3DXMATRIX At(float x, float z) {
    D3DXMATRIX m;
    D3DXMatrixIdentity(&m);
    m._41 = x;
    m._43 = z;
    return m;
}

float Dist(const D3DXMATRIX& a, const D3DXMATRIX& b) { return std::hypot(a._41 - b._41, a._43 - b._43); }

struct Column {
    D3DXMATRIX ships[3] = {At(0, 0), At(0, 12), At(0, 24)};
    MovementBlock moves[3];
    GameColumnRecord record;
    Column() {
        const float speeds[3] = {12.0f, 9.0f, 11.0f};
        for (int i = 0; i < 3; ++i) {
            moves[i].m_fSpeedLimit = speeds[i];
            moves[i].m_fRotationAngle = 0.05f + 0.01f * i;
            moves[i].m_fAcceleration = 0.1f - 0.02f * i;
            record.m_Ids.push_back(i + 1);
            record.m_Ships.push_back({&ships[i], &moves[i]});
        }
        record.m_fCurrentSpeed = 20.0f;
        UpdateColumnLimits(&record);
    }
};

} // namespace

TEST(ColumnMovement, ColumnSailsAFoundRouteWithFollowersKeepingStation) {
    Column c;
    EXPECT_FLOAT_EQ(c.record.m_fSpeedLimit, 9.0f);
    EXPECT_FLOAT_EQ(c.record.m_fTurnLimit, 0.05f);
    EXPECT_FLOAT_EQ(c.record.m_fAccelerationLimit, 0.06f);
    EXPECT_FLOAT_EQ(c.record.m_fCurrentSpeed, 9.0f);

    CDX9KelSeaPathGenerator gen;
    CDX9KelSeaPathFinder finder(&gen);
    CKelSeaObstacleField field;
    finder.SetObstacleQuery(&field);
    field.AddBox(-15.0f, -60.0f, 10.0f, -40.0f, 1); // an island across the way
    SeaMover mover;
    mover.m_mWorld = c.ships[0];
    mover.m_fRadius = 5.0f;
    SeaMoveParams params;
    params.m_fMaxSpeed = c.record.m_fSpeedLimit;
    params.m_fMaxTurnRate = c.record.m_fTurnLimit;
    params.m_fAcceleration = c.record.m_fAccelerationLimit;
    params.m_fStartSpeed = c.record.m_fCurrentSpeed;
    ASSERT_EQ(finder.FindPath(&mover, &params, 0.0f, 300.0f, 0.0f, 0.0f, -110.0f), SEA_PATH_RESULT_FOUND);
    const SeaPathHandle route = gen.Get(finder.m_iFittedPath);
    const D3DXMATRIX last = route->m_WayPoints.back().m_mPlacement;

    CDX9KelColumnMovement movement;
    ASSERT_TRUE(movement.AddColumn(&c.record, gen, finder.m_iFittedPath));
    ASSERT_TRUE(movement.AddColumn(&c.record, gen, finder.m_iFittedPath));
    EXPECT_EQ(movement.m_Entries.size(), 1u);
    EXPECT_FALSE(route->m_bOpen);
    gen.ClearPaths(); // a new search elsewhere must not take the route away
    int frames = 0;
    float minGap = 1e9f;
    while (!movement.m_Entries.empty() && frames < 100000) {
        movement.Update(10.0f);
        ++frames;
        minGap = std::min({minGap, Dist(c.ships[0], c.ships[1]), Dist(c.ships[1], c.ships[2])});
        for (const auto& o : field.m_Obstacles)
            EXPECT_FALSE(c.ships[0]._41 > o->minX && c.ships[0]._41 < o->maxX && c.ships[0]._43 > o->minZ &&
                         c.ships[0]._43 < o->maxZ);
    }
    EXPECT_TRUE(movement.m_Entries.empty());
    EXPECT_EQ(movement.m_iOverruns, 0);
    EXPECT_NEAR(Dist(c.ships[0], last), 0.0f, 1e-3);
    EXPECT_NEAR(c.ships[0]._43, -110.0f, 0.5f);
    EXPECT_GT(c.record.m_fTimeUsed, 0.0f);
    // Followers closed up but never ran into the ship ahead, and trail it.
    EXPECT_GT(minGap, 9.0f);
    EXPECT_LT(Dist(c.ships[0], c.ships[1]), 16.0f);
    EXPECT_LT(Dist(c.ships[1], c.ships[2]), 16.0f);
    movement.Update(1.0f);
    EXPECT_FALSE(movement.m_bMoving);
}

TEST(ColumnMovement, FollowersWaitOrCatchUpAndLongFramesMoveNothing) {
    const struct {
        float gap;     // follower behind the leader
        float frame;   // frame-time factor
        float expected; // follower's movement
    } cases[] = {
        {9.0f, 1.0f, 0.0f},          // closer than the spacing: waits
        {12.0f, 1.0f, 0.045f},       // at the step
        {16.0f, 1.0f, 1.5f * 0.045f}, // far behind: one and a half steps
        {16.0f, 25.0f, 0.0f},        // a stalled frame moves nothing
    };
    for (const auto& k : cases) {
        D3DXMATRIX leader = At(0, 0), follower = At(0, k.gap);
        GameColumnRecord column;
        column.m_Ids = {1, 2};
        column.m_Ships = {{&leader, nullptr}, {&follower, nullptr}};
        CDX9KelSeaPathGenerator gen;
        SeaMoveParams p;
        p.m_fMaxSpeed = 10.0f;
        p.m_fMaxTurnRate = 0.05f;
        p.m_fStartSpeed = 10.0f;
        const int path = gen.CreatePath(&p, &leader, 100.0f, true);
        gen.AddSegment(path, 100.0f, 10.0f, 0.0f);
        gen.ReleasePath(path);
        CDX9KelColumnMovement movement;
        movement.AddColumn(&column, gen, path);
        movement.Update(k.frame);
        EXPECT_NEAR(k.gap - follower._43, k.expected, 1e-5) << k.gap << " " << k.frame;
    }
}

TEST(ColumnMovement, SettersRecordsAndRelations) {
    CDX9KelColumnMovement m;
    m.SetSpeedFactor(0.5f);
    EXPECT_FLOAT_EQ(m.m_fSpeedFactor, 0.15f);
    m.SetSpeedFactor(0.0f);
    EXPECT_FLOAT_EQ(m.m_fSpeedFactor, 0.02f);

    Column c;
    GameColumnRecord alone;
    alone.m_Ids = {5};
    alone.m_Ships = {{&c.ships[0], &c.moves[0]}};
    EXPECT_EQ(RemoveShipFromColumn(5, &alone), REMOVE_SHIP_REFUSED);
    EXPECT_EQ(alone.m_Ids.size(), 1u);
    EXPECT_EQ(RemoveShipFromColumn(0, &c.record), REMOVE_SHIP_REFUSED);
    EXPECT_EQ(RemoveShipFromColumn(9, &c.record), REMOVE_SHIP_NOT_FOUND);
    EXPECT_EQ(c.record.m_Ids.size(), 3u);
    EXPECT_EQ(RemoveShipFromColumn(2, &c.record), REMOVE_SHIP_REMOVED);
    ASSERT_EQ(c.record.m_Ids.size(), 2u);
    EXPECT_EQ(c.record.m_Ships[1].m_pWorld, &c.ships[2]);
    EXPECT_FLOAT_EQ(c.record.m_fSpeedLimit, 11.0f); // the slowest ship left
    EXPECT_FLOAT_EQ(c.record.m_fCurrentSpeed, 9.0f);  // is not raised again
    EXPECT_FLOAT_EQ(c.record.m_fAccelerationLimit, 0.06f);
    EXPECT_FLOAT_EQ(c.record.m_fTurnLimit, 0.05f);

    GameColumnRecord a, b;
    a.m_fTimeUsed = 5.0f;
    a.m_fCurrentSpeed = -1.0f;
    b.m_fTimeUsed = 7.0f;
    b.m_fCurrentSpeed = 3.0f;
    CDX9KelColumnMovement::ResetColumnsForTurn({&a, nullptr, &b});
    EXPECT_EQ(a.m_fTimeUsed + b.m_fTimeUsed, 0.0f);
    EXPECT_EQ(a.m_fCurrentSpeed, 0.0f);
    EXPECT_EQ(b.m_fCurrentSpeed, 3.0f);

    const D3DXMATRIX o = At(0, 0), ahead = At(0, -10), behind = At(0, 10), beside = At(10, 0), far = At(0, -30);
    EXPECT_EQ(m.ClassifyRelativePosition(&o, &ahead), 2);
    EXPECT_EQ(m.ClassifyRelativePosition(&o, &behind), 1);
    EXPECT_EQ(m.ClassifyRelativePosition(&o, &beside), 0);
    EXPECT_EQ(m.ClassifyRelativePosition(&o, &far), 0);
    EXPECT_EQ(m.ClassifyRelativePosition(nullptr, &ahead), 0);
}
