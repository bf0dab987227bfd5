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
            // And astern of it: behind the beam of the ship it follows.
            const float h = p.headings[i - 1];
            EXPECT_LT(d.x * std::sin(h) + d.z * std::cos(h), 0.0f) << "ship " << i << " at " << p.t;
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

// ---- the same orders at any frame rate ----

namespace {

constexpr DWORD kFrameLengths[] = {10, 16, 20, 33, 60};

float Gap(const D3DXVECTOR3& a, const D3DXVECTOR3& b) { return std::hypot(a.x - b.x, a.z - b.z); }

// Largest distance between the two runs' ships at the same second, up to
// `until` seconds.
float LargestDeparture(const std::vector<TrackPoint>& a, const std::vector<TrackPoint>& b, float until = 1e30f) {
    float worst = 0.0f;
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n && a[i].t <= until; ++i)
        for (std::size_t s = 0; s < a[i].positions.size() && s < b[i].positions.size(); ++s)
            worst = std::fmax(worst, Gap(a[i].positions[s], b[i].positions[s]));
    return worst;
}

float AngleTo(float heading, float target) {
    float d = std::fmod(heading - target, 6.2831853f);
    if (d > 3.1415927f) d -= 6.2831853f;
    if (d < -3.1415927f) d += 6.2831853f;
    return std::fabs(d);
}

} // namespace

TEST(ColumnScenario, ColumnSailsTheSameTrackAtAnyFrameLength) {
    std::vector<std::vector<TrackPoint>> runs;
    for (DWORD frameMs : kFrameLengths) {
        ColumnScenarioOptions o;
        o.frameMs = frameMs;
        ColumnScenario s(o);
        ASSERT_TRUE(s.Formed());
        s.Run();
        ExpectSoundColumn(s);
        EXPECT_LE(s.LeaderClosestApproach(), 5.0f) << frameMs << " ms frames";
        runs.push_back(s.Tracks());
    }
    // The way there is the same: compared until the leader of the 60 ms run
    // has come within 10 units of the point (past it, a ship without orders
    // goes on as it happens to point).
    ColumnScenarioOptions o;
    float arrived = 0.0f;
    for (const TrackPoint& p : runs.back()) {
        arrived = p.t;
        if (std::hypot(p.positions[0].x - o.targetX, p.positions[0].z - o.targetZ) < 10.0f) break;
    }
    EXPECT_GT(arrived, 60.0f);
    for (std::size_t i = 0; i + 1 < runs.size(); ++i)
        EXPECT_LT(LargestDeparture(runs[i], runs.back(), arrived), 2.0f)
            << kFrameLengths[i] << " ms frames against 60 ms";
}

TEST(ColumnScenario, LoneShipSpeedTurnAndCourseAtAnyFrameLength) {
    // Full ahead; at 40 s the rudder over to starboard; at 55 s a course due
    // west (-x) at full speed.
    const float full = 8.0f;
    std::vector<std::vector<TrackPoint>> runs;
    for (DWORD frameMs : kFrameLengths) {
        ColumnScenarioOptions o;
        o.ships = 1;
        o.route = false;
        o.frameMs = frameMs;
        o.seconds = 150.0f;
        bool turned = false, steered = false;
        o.onFrame = [&](ColumnScenario& s, DWORD ms) {
            SeaBattle::CVR3GAMEBattleMapShipsColumn* c = s.Column();
            if (!turned && ms >= 40000) {
                turned = true;
                c->SetRudder(0.35f);
            }
            if (!steered && ms >= 55000) {
                steered = true;
                c->SetRudder(0.0f);
                c->SetRouteSpeed(full);
                c->SetCourse(-1.0f, 0.0f);
            }
        };
        ColumnScenario s(o);
        ASSERT_TRUE(s.Formed());
        s.Column()->SetSpeed(full, false);
        s.Run();
        const auto& t = s.Tracks();
        ASSERT_GE(t.size(), 150u);
        const SeaBattle::CVR3GAMEMovementShip* ship = s.Ships()[0]->m_pMovementShip;
        // Under way at the pace of its ramps: most of its speed after 20 s.
        const float at20 = Gap(t[20].positions[0], t[19].positions[0]) * 18.5f;
        EXPECT_GT(at20, 0.6f * full) << frameMs << " ms frames";
        // The turn went to starboard (heading grows from +z towards +x).
        EXPECT_GT(t[50].headings[0] - t[40].headings[0], 0.2f) << frameMs << " ms frames";
        // And the course is held: due west, at full speed.
        EXPECT_LT(AngleTo(t.back().headings[0], -1.5707964f), 0.05f) << frameMs << " ms frames";
        EXPECT_NEAR(ship->m_fSpeed, full, 0.5f) << frameMs << " ms frames";
        runs.push_back(t);
    }
    for (std::size_t i = 0; i + 1 < runs.size(); ++i)
        EXPECT_LT(LargestDeparture(runs[i], runs.back()), 2.0f) << kFrameLengths[i] << " ms frames against 60 ms";
}
