// battlesim motion run as a program: on the animated sea with the real
// physics, the lone ship reaches its full speed, turns to the side of its
// rudder and holds the course it was given; the column reaches its point
// with its followers in station; nothing turns into NaN; the same seed
// prints the same tracks, and the battle ran on its screen.
#include "TestFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <sstream>
#include <vector>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct MotionRun {
    int exitCode = -1;
    std::string out;
};

MotionRun Motion(const std::string& args) {
    const std::string command =
        "'" + (fs::path(VORNA_BIN_DIR) / "battlesim").string() + "' motion " + args + " 2>/dev/null";
    MotionRun run;
    FILE* p = ::popen(command.c_str(), "r");
    if (!p) return run;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) run.out.append(buf, n);
    const int status = ::pclose(p);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

// "name value [value]" lines of the facts, by name.
std::map<std::string, std::vector<double>> Facts(const std::string& out) {
    std::map<std::string, std::vector<double>> facts;
    std::istringstream in(out);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string name;
        words >> name;
        double v;
        while (words >> v) facts[name].push_back(v);
    }
    return facts;
}

std::string Value(const std::string& out, const std::string& name) {
    const size_t at = out.find("\n" + name + " ");
    if (at == std::string::npos) return {};
    const size_t from = at + name.size() + 2;
    return out.substr(from, out.find('\n', from) - from);
}

TEST(BattlesimMotion, ShipsObeyTheirOrdersAndTheSameSeedGivesTheSameTracks) {
    const fs::path dir = VornaTest::FreshFolder();
    const auto q = [](const fs::path& p) { return "'" + p.string() + "'"; };
    const MotionRun a = Motion("--seed 1 --out " + q(dir / "a") + " --tracks " + q(dir / "a.csv") + " --dump");
    ASSERT_EQ(a.exitCode, 0) << a.out;
    auto f = Facts(a.out);
    // Full ahead: the measured speed reaches the order (9 m/s).
    ASSERT_EQ(f["lone_top_speed"].size(), 1u) << a.out;
    EXPECT_NEAR(f["lone_top_speed"][0], 9.0, 0.3);
    // A starboard rudder for 15 s turns the bow to starboard, at most at the
    // ship's turning value (0.15 rad/s).
    EXPECT_GT(f["lone_turned"][0], 0.5);
    EXPECT_LT(f["lone_turned"][0], 15.0 * 0.15 + 0.1);
    // The course due west is held, at full speed.
    EXPECT_LT(f["lone_course_error"][0], 0.1);
    EXPECT_NEAR(f["lone_speed"][0], 9.0, 0.3);
    // The column reaches its point; each follower keeps within the band
    // behind the ship ahead.
    EXPECT_LT(f["column_closest_approach"][0], 5.0);
    ASSERT_EQ(f["column_gap"].size(), 2u);
    EXPECT_GT(f["column_gap"][0], 2.0);
    EXPECT_LT(f["column_gap"][1], 24.0);
    EXPECT_EQ(f["finite"][0], 1.0);
    // The battle ran on the battle screen with its clock going.
    EXPECT_EQ(Value(a.out, "screen"), "battle_game");
    EXPECT_EQ(Value(a.out, "running"), "1");
    EXPECT_EQ(Value(a.out, "player"), "Red director computer ships 4");

    const std::string csv = VornaTest::ReadText(dir / "a.csv");
    EXPECT_EQ(csv.rfind("t,lone_x,lone_z,lone_heading,lone_speed,van_x", 0), 0u);
    EXPECT_EQ(csv.find("nan"), std::string::npos);
    EXPECT_GE(std::count(csv.begin(), csv.end(), '\n'), 240);

    // The same seed: the same tracks, byte for byte.
    const MotionRun b = Motion("--seed 1 --out " + q(dir / "b") + " --tracks " + q(dir / "b.csv"));
    ASSERT_EQ(b.exitCode, 0) << b.out;
    EXPECT_EQ(Value(a.out, "tracks_hash"), Value(b.out, "tracks_hash"));
    EXPECT_EQ(VornaTest::ReadText(dir / "b.csv"), csv);
}

TEST(BattlesimMotion, TheSameOrdersGiveTheSameMotionAtAnyFrameLength) {
    // 16 ms frames (the default) against 10, 20, 33 and 60 ms frames: the
    // ships reach the same speeds, turn as far and hold their course and
    // station alike.
    const MotionRun base = Motion("--seed 1");
    ASSERT_EQ(base.exitCode, 0) << base.out;
    auto b = Facts(base.out);
    for (const char* step : {"10", "20", "33", "60"}) {
        const MotionRun run = Motion(std::string("--seed 1 --step-ms ") + step);
        ASSERT_EQ(run.exitCode, 0) << run.out;
        auto f = Facts(run.out);
        EXPECT_NEAR(f["lone_top_speed"][0], b["lone_top_speed"][0], 0.2) << step << " ms";
        EXPECT_NEAR(f["lone_turned"][0], b["lone_turned"][0], 0.15) << step << " ms";
        EXPECT_LT(f["lone_course_error"][0], 0.1) << step << " ms";
        EXPECT_NEAR(f["lone_speed"][0], b["lone_speed"][0], 0.3) << step << " ms";
        EXPECT_LT(f["column_closest_approach"][0], 5.0) << step << " ms";
        EXPECT_GT(f["column_gap"][0], 2.0) << step << " ms";
        EXPECT_LT(f["column_gap"][1], 24.0) << step << " ms";
    }
}

TEST(BattlesimMotion, WrongOptionsAreRefused) {
    EXPECT_EQ(Motion("--seconds 5").exitCode, 2);
    EXPECT_EQ(Motion("--wind 3").exitCode, 2);
}

} // namespace
