// battlesim column: the three-ship column arrives, keeps station and
// detours, the same seed prints the same tracks, and a bad command line
// ends with exit code 2.
#include "TestFolder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <sys/wait.h>

namespace fs = std::filesystem;

namespace {

struct ColumnRun {
    int exitCode = -1;
    std::map<std::string, std::string> facts; // first word -> the rest of the line
};

ColumnRun Column(const std::string& args) {
    const std::string command = "'" + (fs::path(VORNA_BIN_DIR) / "battlesim").string() + "' column " + args + " 2>/dev/null";
    ColumnRun run;
    FILE* p = ::popen(command.c_str(), "r");
    if (!p) return run;
    std::string out;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    const int status = ::pclose(p);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::istringstream lines(out);
    std::string line;
    while (std::getline(lines, line)) {
        const size_t space = line.find(' ');
        if (space != std::string::npos) run.facts[line.substr(0, space)] = line.substr(space + 1);
    }
    return run;
}

float Number(const std::string& text, int index = 0) {
    std::istringstream in(text);
    float v = 0.0f;
    for (int i = 0; i <= index; ++i) in >> v;
    return v;
}

} // namespace

TEST(ColumnCommandTest, ThreeShipsArriveAndKeepStation) {
    const fs::path dir = VornaTest::FreshFolder();
    const ColumnRun run = Column("--seed 1 --tracks '" + (dir / "tracks.csv").string() + "'");
    ASSERT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.facts.at("formed"), "1");
    EXPECT_EQ(run.facts.at("finite"), "1");
    EXPECT_LE(Number(run.facts.at("closest_approach")), 5.0f);
    // Behind the ship ahead: never closer than 5, never farther than 30 units.
    EXPECT_GE(Number(run.facts.at("follower_gap"), 0), 5.0f);
    EXPECT_LE(Number(run.facts.at("follower_gap"), 1), 30.0f);
    ASSERT_TRUE(fs::exists(dir / "tracks.csv"));
    EXPECT_GT(fs::file_size(dir / "tracks.csv"), 1000u);
}

TEST(ColumnCommandTest, DetoursRoundAStoppedShip) {
    const ColumnRun run = Column("--seed 1 --obstacle");
    ASSERT_EQ(run.exitCode, 0);
    EXPECT_LE(Number(run.facts.at("closest_approach")), 5.0f);
    EXPECT_GT(Number(run.facts.at("closest_to_obstacle")), 4.0f);
    EXPECT_GE(Number(run.facts.at("follower_gap"), 0), 5.0f);
}

TEST(ColumnCommandTest, SameSeedSameTracks) {
    const ColumnRun a = Column("--seed 3 --seconds 120");
    const ColumnRun b = Column("--seed 3 --seconds 120");
    const ColumnRun c = Column("--seed 4 --seconds 120");
    ASSERT_EQ(a.exitCode, 0);
    EXPECT_EQ(a.facts.at("tracks_hash"), b.facts.at("tracks_hash"));
    EXPECT_NE(a.facts.at("tracks_hash"), c.facts.at("tracks_hash"));
}

TEST(ColumnCommandTest, BadCommandLinesAreRefused) {
    for (const char* args : {"--ships 9", "--target 10", "--target x,y", "--seconds 0", "--nonsense"})
        EXPECT_EQ(Column(args).exitCode, 2) << args;
}
