// battlesim column [--seed S] [--ships N] [--seconds T] [--target X,Z]
//                  [--speed V] [--obstacle] [--tracks FILE.csv]
// A column of N ships (3 by default) stands on its start position, 12 units
// apart, forms from it through the player's movement system and sails to the
// target point at V m/s, its followers keeping station; with --obstacle a
// ship lies stopped across its way. The ships run on the physics world with
// the player's movement and animation systems on a virtual clock. Prints the
// facts of the run (formed, the leader's closest approach, the least and
// greatest gap behind each follower once under way, whether every position
// stayed a number) and the hash of the tracks; --tracks writes them as CSV
// (one line a second: t, then x and z of every ship in column order). Exit 0
// when the column formed and every position stayed a number, 1 otherwise.
#include "Options.h"
#include "Registry.h"

#include "seabattle/battle/ColumnScenario.h"

#include <cmath>
#include <cstdio>
#include <fstream>

namespace BattleSim {

namespace {

int Fail(const std::string& message) {
    std::fprintf(stderr, "battlesim column: %s\n", message.c_str());
    return 2;
}

bool ParsePoint(const std::string& text, float& x, float& z) {
    char* end = nullptr;
    x = std::strtof(text.c_str(), &end);
    if (!end || *end != ',') return false;
    const char* second = end + 1;
    z = std::strtof(second, &end);
    return end && *end == '\0' && end != second && std::isfinite(x) && std::isfinite(z) && std::fabs(x) < 5000.0f &&
           std::fabs(z) < 5000.0f;
}

int RunColumn(const std::vector<std::string>& args) {
    Options options;
    std::string error;
    if (!options.Parse(args,
                       {{"--seed", true},
                        {"--ships", true},
                        {"--seconds", true},
                        {"--target", true},
                        {"--speed", true},
                        {"--obstacle", false},
                        {"--tracks", true}},
                       error))
        return Fail(error);
    long seed = 1, ships = 3, seconds = 540, speed = 6;
    if (!options.GetLong("--seed", 0, 0xFFFFFFFFL, 1, seed, error) ||
        !options.GetLong("--ships", 1, 5, 3, ships, error) ||
        !options.GetLong("--seconds", 1, 3600, 540, seconds, error) ||
        !options.GetLong("--speed", 1, 20, 6, speed, error))
        return Fail(error);
    VornaTest::ColumnScenarioOptions o;
    o.seed = static_cast<std::uint32_t>(seed);
    o.ships = static_cast<int>(ships);
    o.seconds = static_cast<float>(seconds);
    o.routeSpeed = static_cast<float>(speed);
    o.obstacle = options.Has("--obstacle");
    if (options.Has("--target") && !ParsePoint(options.Get("--target"), o.targetX, o.targetZ))
        return Fail("--target wants X,Z");

    VornaTest::ColumnScenario scenario(o);
    const bool formed = scenario.Formed();
    if (formed) scenario.Run();
    const std::string csv = scenario.TracksCsv();
    if (options.Has("--tracks")) {
        std::ofstream out(options.Get("--tracks"), std::ios::binary);
        out << csv;
        if (!out) return Fail("cannot write " + options.Get("--tracks"));
    }

    bool finite = true;
    float minGap = 1e30f, maxGap = 0.0f;
    for (const VornaTest::TrackPoint& p : scenario.Tracks()) {
        for (const D3DXVECTOR3& v : p.positions)
            finite = finite && std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
        if (p.t < 60.0f) continue; // under way after the first minute
        for (std::size_t i = 1; i < p.positions.size(); ++i) {
            const D3DXVECTOR3 d = p.positions[i] - p.positions[i - 1];
            const float gap = std::sqrt(d.x * d.x + d.z * d.z);
            minGap = std::fmin(minGap, gap);
            maxGap = std::fmax(maxGap, gap);
        }
    }
    std::printf("formed %d\n", formed ? 1 : 0);
    std::printf("ships %d\n", o.ships);
    std::printf("target %.1f %.1f\n", o.targetX, o.targetZ);
    std::printf("closest_approach %.3f\n", formed ? scenario.LeaderClosestApproach() : -1.0f);
    if (o.obstacle) std::printf("closest_to_obstacle %.3f\n", scenario.LeaderClosestToObstacle());
    if (o.ships > 1) std::printf("follower_gap %.3f %.3f\n", minGap, maxGap);
    std::printf("finite %d\n", finite ? 1 : 0);
    std::printf("tracks_hash %s\n", TextHash(csv).c_str());
    return formed && finite ? 0 : 1;
}

const CommandRegistration kColumn("column", "[--seed S] [--ships N] [--seconds T] [--target X,Z] [--speed V] [--obstacle] [--tracks FILE.csv]", &RunColumn);

} // namespace

} // namespace BattleSim
