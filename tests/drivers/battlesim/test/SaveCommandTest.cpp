// The save round trip through battlesim on the demo scenario: a game saved
// in the harbour and 90 s into its first battle, loaded in a fresh process,
// shows the same state and saves the very same bytes again; the same seed
// makes the same save; hostile saves are refused and leave the running game
// as it was.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>
#include <sys/wait.h>

#include "BattlesimRun.h"
#include "TestFolder.h"

namespace fs = std::filesystem;

namespace {

using namespace BattlesimTest;

void WriteBytes(const fs::path& p, const std::string& bytes) {
    std::ofstream(p, std::ios::binary) << bytes;
}

// Saves at `at`, loads in a fresh process and saves again: the states and
// the bytes agree.
void RoundTrip(const std::string& at, const std::string& scenario = "demo_scenario.scnrxml") {
    const fs::path dir = VornaTest::FreshFolder();
    const SimRun save = Battlesim("savegame " + scenario + " --seed 1 --at " + at + " --save first" + Out(dir));
    ASSERT_EQ(save.exitCode, 0) << save.out;
    const std::vector<std::string> saved = Lines(save.out, "save_state");
    ASSERT_FALSE(saved.empty());
    const SimRun load = Battlesim("loadgame first --save-again second --frames 200" + Out(dir));
    ASSERT_EQ(load.exitCode, 0) << load.out;
    EXPECT_EQ(Lines(load.out, "save_state"), saved);
    const std::string first = ReadBytes(dir / "Saves" / "first.v3savebin");
    ASSERT_GT(first.size(), 450u);
    EXPECT_EQ(ReadBytes(dir / "Saves" / "second.v3savebin"), first);
    EXPECT_NE(load.out.find("played 200 frames"), std::string::npos) << load.out;

    // The same seed plays the same game and writes the same save (the time
    // field comes from the driver's fixed clock).
    const fs::path other = VornaTest::FreshFolder();
    ASSERT_EQ(Battlesim("savegame " + scenario + " --seed 1 --at " + at + " --save first" + Out(other)).exitCode, 0);
    EXPECT_EQ(ReadBytes(other / "Saves" / "first.v3savebin"), first);
}

} // namespace

TEST(SaveCommand, HarbourSaveLoadsToTheSameStateAndBytes) { RoundTrip("harbour"); }

// The second harbour's save holds its step money: a load grants it no second
// time (the money printed after the load is the money saved).
TEST(SaveCommand, SecondHarbourSaveKeepsItsMoneyWithoutAddingTheStepMoneyAgain) {
    RoundTrip("harbour2", "demo_scenario_auto.scnrxml --step-ms 60");
}

TEST(SaveCommand, BattleSaveNinetySecondsInLoadsToTheSameStateAndBytes) {
    RoundTrip("90");
}

TEST(SaveCommand, HostileSavesAreRefusedAndTheRunningGameStaysAsItWas) {
    const fs::path dir = VornaTest::FreshFolder();
    const SimRun make = Battlesim("savegame demo_scenario.scnrxml --seed 1 --at 30 --save good" + Out(dir));
    ASSERT_EQ(make.exitCode, 0) << make.out;
    const fs::path saves = dir / "Saves";
    const std::string good = ReadBytes(saves / "good.v3savebin");
    ASSERT_GT(good.size(), 1000u);
    const std::string body = good.substr(0, good.size() - 12); // without the check trailer

    std::vector<std::string> names;
    const auto put = [&](const std::string& name, const std::string& bytes) {
        WriteBytes(saves / (name + ".v3savebin"), bytes);
        names.push_back(name);
    };
    // Cut at the header's field boundaries, then all through the blocks.
    for (size_t cut : {0, 29, 30, 130, 230, 330, 430, 434, 438, 446, 450, 454})
        put("cut" + std::to_string(cut), body.substr(0, cut));
    for (size_t cut = 460; cut < body.size(); cut += 211) put("cut" + std::to_string(cut), body.substr(0, cut));
    // Counts past the end: the ship-type count and both reserve ship counts
    // (the demo has two ship types; in a battle the harbour block has no
    // environment text).
    for (size_t at : {454u, 466u, 470u}) {
        std::string bad = body;
        for (int i = 0; i < 4; ++i) bad[at + i] = '\x7f';
        put("count" + std::to_string(at), bad);
    }
    // Bit flips anywhere in the file with its trailer.
    std::mt19937 random(3);
    for (int i = 0; i < 8; ++i) {
        std::string bad = good;
        const size_t bit = random() % (bad.size() * 8);
        bad[bit / 8] = static_cast<char>(bad[bit / 8] ^ (1 << (bit % 8)));
        put("flip" + std::to_string(i), bad);
    }
    // A step past the scenario's steps, and a scenario file that is not there.
    std::string step = body;
    step[430] = 9;
    put("step9", step);
    std::string missing = body;
    missing.replace(30, 8, "nowhere_");
    put("missing", missing);
    // Names that would leave the saves folder.
    WriteBytes(dir / "outside.v3savebin", good);
    names.push_back("../outside");
    names.push_back((dir / "outside").string());

    std::string list;
    for (const std::string& n : names) list += (list.empty() ? "" : ",") + n;
    const SimRun run =
        Battlesim("savegame demo_scenario.scnrxml --seed 1 --at 30 --save again --try-load '" + list + "'" + Out(dir));
    ASSERT_EQ(run.exitCode, 0) << run.out;
    const std::vector<std::string> tries = Lines(run.out, "try_load");
    ASSERT_EQ(tries.size(), names.size());
    for (size_t i = 0; i < names.size(); ++i)
        EXPECT_EQ(tries[i], names[i] + " refused pending 0") << "every hostile save is refused";
    EXPECT_EQ(Lines(run.out, "after"), Lines(run.out, "save_state")) << "the running game is untouched";
    std::ifstream logFile(dir / "Vorna3Log.log");
    const std::string log((std::istreambuf_iterator<char>(logFile)), {});
    EXPECT_NE(log.find("CVR3GAMEIO::LoadScenario() : failed ReadScenario() from file"), std::string::npos);
    EXPECT_NE(log.find("check word does not match"), std::string::npos);
    EXPECT_NE(log.find("step index 9 outside the scenario's 2 steps"), std::string::npos);
    EXPECT_NE(log.find("CVR3GAMEIO::LoadScenario() : not open file"), std::string::npos);
    // The good save is still there and still reads.
    EXPECT_EQ(ReadBytes(saves / "good.v3savebin"), good);
    EXPECT_EQ(Battlesim("loadgame good" + Out(dir)).exitCode, 0);
}
