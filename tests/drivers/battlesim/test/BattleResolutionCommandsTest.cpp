// battlesim damage and battlesim artillery run as programs: a cruiser under
// scripted fire and one ram sinks, with its death in the battle log, its
// body switched off and every damage pass printed; two columns fight a gun
// battle to its time limit with shots on both sides; the same seed gives the
// same passes and the same state dump.
#include "TestFolder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <sys/wait.h>

namespace fs = std::filesystem;

namespace {

struct ProgramRun {
    int exitCode = -1;
    std::string out;
};

ProgramRun Battlesim(const std::string& args) {
    const std::string command = "'" + (fs::path(VORNA_BIN_DIR) / "battlesim").string() + "' " + args + " 2>/dev/null";
    ProgramRun run;
    FILE* p = ::popen(command.c_str(), "r");
    if (!p) return run;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) run.out.append(buf, n);
    const int status = ::pclose(p);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

std::string Value(const std::string& out, const std::string& name) {
    const size_t at = out.find("\n" + name + " ");
    if (at == std::string::npos) return {};
    const size_t from = at + name.size() + 2;
    return out.substr(from, out.find('\n', from) - from);
}

std::string Q(const fs::path& p) { return "'" + p.string() + "'"; }

TEST(BattlesimDamage, TheTargetSinksAndTheSameSeedGivesTheSamePasses) {
    const fs::path dir = VornaTest::FreshFolder();
    const ProgramRun a = Battlesim("damage --seed 7 --step-ms 60 --out " + Q(dir / "a"));
    ASSERT_EQ(a.exitCode, 0) << a.out;
    // Every pass is printed, 4 s apart (two ships in turn), and the damage
    // and the flooding show in them before the end.
    std::istringstream in(a.out);
    std::string line;
    int passes = 0;
    bool damaged = false, flooding = false, burning = false;
    double lastT = 0.0;
    while (std::getline(in, line)) {
        if (line.rfind("pass t ", 0) != 0) continue;
        ++passes;
        double t = 0, damage = 0, fire = 0, water = 0;
        ASSERT_EQ(std::sscanf(line.c_str(), "pass t %lf damage %lf fire %lf water %lf", &t, &damage, &fire, &water), 4)
            << line;
        if (passes > 1) {
            EXPECT_NEAR(t - lastT, 4.0, 0.25) << line; // within a few 60 ms frames
        }
        lastT = t;
        damaged = damaged || damage > 20.0;
        burning = burning || fire > 0.0;
        flooding = flooding || water > 50.0;
    }
    EXPECT_GT(passes, 10);
    EXPECT_TRUE(damaged);
    EXPECT_TRUE(burning);
    EXPECT_TRUE(flooding);
    EXPECT_EQ(Value(a.out, "alive"), "0 sunk 1 sunk_handled 1");
    EXPECT_EQ(Value(a.out, "ram_holes"), "1");
    EXPECT_EQ(Value(a.out, "lost_ships"), "1");
    EXPECT_EQ(Value(a.out, "body_active"), "0");
    EXPECT_EQ(Value(a.out, "in_column"), "0");
    EXPECT_EQ(Value(a.out, "log"), "kind 0 category Target subject Target");

    const ProgramRun b = Battlesim("damage --seed 7 --step-ms 60 --out " + Q(dir / "b"));
    ASSERT_EQ(b.exitCode, 0) << b.out;
    EXPECT_FALSE(Value(a.out, "passes_hash").empty());
    EXPECT_EQ(Value(a.out, "passes_hash"), Value(b.out, "passes_hash"));
    EXPECT_EQ(Value(a.out, "death_ms"), Value(b.out, "death_ms"));
}

TEST(BattlesimArtillery, BothSidesFireAndTheSameSeedGivesTheSameDump) {
    const fs::path dir = VornaTest::FreshFolder();
    const ProgramRun a = Battlesim("artillery --seed 3 --step-ms 60 --minutes 3 --dump --out " + Q(dir / "a"));
    ASSERT_EQ(a.exitCode, 0) << a.out;
    EXPECT_EQ(Value(a.out, "stopped"), "time_up");
    for (const char* side : {"North", "South"}) {
        const std::string facts = Value(a.out, std::string("side ") + side);
        unsigned shots = 0;
        float dealt = 0.0f;
        ASSERT_EQ(std::sscanf(facts.c_str(), "shots %u damage_dealt %f", &shots, &dealt), 2) << a.out;
        EXPECT_GT(shots, 20u) << side;
        EXPECT_GT(dealt, 50.0f) << side;
    }
    // The time-limit entries of the battle log are printed as they come.
    EXPECT_NE(a.out.find("log t 240 kind 10 category Battle"), std::string::npos) << a.out;
    // The dump holds the battle resolution's state.
    EXPECT_NE(a.out.find("[battle_resolution]\nshots_in_flight "), std::string::npos);
    EXPECT_NE(a.out.find("\nplayer North ships 3\nship North1 alive 1"), std::string::npos);

    const ProgramRun b = Battlesim("artillery --seed 3 --step-ms 60 --minutes 3 --out " + Q(dir / "b"));
    ASSERT_EQ(b.exitCode, 0) << b.out;
    EXPECT_FALSE(Value(a.out, "dump_hash").empty());
    EXPECT_EQ(Value(a.out, "dump_hash"), Value(b.out, "dump_hash"));
}

TEST(BattlesimResolution, WrongOptionsAreRefused) {
    EXPECT_EQ(Battlesim("damage --seconds 5").exitCode, 2);
    EXPECT_EQ(Battlesim("damage --wind 3").exitCode, 2);
    EXPECT_EQ(Battlesim("artillery --minutes 0").exitCode, 2);
    EXPECT_EQ(Battlesim("artillery --step-ms 0").exitCode, 2);
}

} // namespace
