// A three-ship column from its start position to a point: it forms, arrives,
// keeps station and detours round a stopped ship; the same seed gives the
// same tracks.
#include <gtest/gtest.h>

#include <cmath>

#include "seabattle/battle/ColumnScenario.h"

using namespace VornaTest;

namespace {

void ExpectSoundColumn(const ColumnScenario& s) {
    const auto& tracks = s.Tracks();
    ASSERT_FALSE(tracks.empty());
    for (const TrackPoint& p : tracks)
        for (const D3DXVECTOR3& v : p.positions)
            ASSERT_TRUE(std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z)) << "at " << p.t;
    // Once formed and under way (after the first minute), each follower keeps
    // station behind the ship ahead: never nearer than 5 units, never farther than 30.
    for (const TrackPoint& p : tracks) {
        if (p.t < 60.0f) continue;
        for (std::size_t i = 1; i < p.positions.size(); ++i) {
            const D3DXVECTOR3 d = p.positions[i] - p.positions[i - 1];
            const float gap = std::sqrt(d.x * d.x + d.z * d.z);
            EXPECT_GT(gap, 5.0f) << "ship " << i << " at " << p.t;
            EXPECT_LT(gap, 30.0f) << "ship " << i << " at " << p.t;
        }
    }
}

} // namespace

TEST(ColumnScenario, FormsSailsToThePointAndKeepsStation) {
    ColumnScenarioOptions o;
    ColumnScenario s(o);
    ASSERT_TRUE(s.Formed());
    // The start: 12 units apart, the leader first.
    const auto& first = s.Ships();
    ASSERT_EQ(s.Column()->m_stdvBattleShips, first);
    s.Run();
    ExpectSoundColumn(s);
    EXPECT_LE(s.LeaderClosestApproach(), 5.0f);
}

TEST(ColumnScenario, DetoursRoundAStoppedShip) {
    ColumnScenarioOptions o;
    o.obstacle = true;
    ColumnScenario s(o);
    ASSERT_TRUE(s.Formed());
    s.Run();
    ExpectSoundColumn(s);
    EXPECT_LE(s.LeaderClosestApproach(), 5.0f);
    // Never ran into it: hulls are 5 units long.
    EXPECT_GT(s.LeaderClosestToObstacle(), 4.0f);
}

TEST(ColumnScenario, SameSeedSameTracks) {
    // Each world installs its own clock: one scenario at a time.
    auto tracks = [](std::uint32_t seed) {
        ColumnScenarioOptions o;
        o.seconds = 90.0f;
        o.seed = seed;
        ColumnScenario s(o);
        s.Run();
        return s.TracksCsv();
    };
    const std::string a = tracks(7);
    EXPECT_EQ(a, tracks(7));
    EXPECT_NE(a, tracks(8));
}
