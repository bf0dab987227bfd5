// campaignsim turns: maps played turn after turn headless, the player's side
// scripted through the map screen or played by a second computer player;
// the fixture maps for a mine, a grounding and a ram.
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <regex>
#include <string>
#include <sys/wait.h>

namespace {

struct Result {
    int exitCode = -1;
    std::string out;
};

Result Turns(const std::string& arguments) {
    Result r;
    const std::string command = "cd '" VORNA_BIN_DIR "' && ./campaignsim turns " + arguments + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return r;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) r.out.append(buffer, n);
    const int status = pclose(pipe);
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

std::string Script(const char* name) { return std::string(VORNA_SOURCE_DIR "/tests/drivers/campaignsim/scripts/") + name; }

// The unit line of a unit, empty when absent.
std::string UnitLine(const std::string& out, const std::string& name) {
    const std::size_t at = out.find("\"" + name + "\" at ");
    if (at == std::string::npos) return {};
    const std::size_t start = out.rfind('\n', at) + 1;
    return out.substr(start, out.find('\n', at) - start);
}

double Field(const std::string& line, const std::string& key) {
    const std::size_t at = line.find(" " + key + " ");
    return at == std::string::npos ? -1.0 : std::stod(line.substr(at + key.size() + 2));
}

std::string Hash(const std::string& out) {
    std::smatch m;
    return std::regex_search(out, m, std::regex("state hash ([0-9a-f]+)")) ? m[1].str() : std::string();
}

} // namespace

TEST(TurnsCommand, TheScriptedPlayerSailsFiresAndTheTurnsRunToTheRoundCount) {
    const Result r = Turns("test_skirmish.map --script " + Script("turns_player.txt") + " --seed 1 --frame-ms 100 --log");
    ASSERT_EQ(r.exitCode, 0) << r.out;
    EXPECT_NE(r.out.find("turn 1 done"), std::string::npos);
    EXPECT_NE(r.out.find("turn 2 done"), std::string::npos);
    EXPECT_NE(r.out.find("end map turn 3"), std::string::npos) << r.out;
    // The map's two rounds end with the turn line of the third and the end.
    const std::size_t turn = r.out.find("------------------- TURN : 3 ------------------------\n");
    ASSERT_NE(turn, std::string::npos);
    EXPECT_NE(r.out.find("m_uRound >= m_uRoundsCount : End Map \n", turn), std::string::npos);
    EXPECT_NE(r.out.find("AI start proc\n"), std::string::npos);
    EXPECT_NE(r.out.find("Calculate Round result\n"), std::string::npos);
    // The player's ships moved and fired; somebody took damage on each side.
    EXPECT_GT(Field(UnitLine(r.out, "Osprey"), "sailed"), 10.0) << r.out;
    std::smatch m;
    ASSERT_TRUE(std::regex_search(r.out, m, std::regex("volleys player (\\d+) ai (\\d+)")));
    EXPECT_GT(std::stoi(m[1]), 0);
    EXPECT_GT(std::stoi(m[2]), 0);
    double player = 0.0, ai = 0.0;
    for (const char* name : {"Osprey", "Petrel"}) player += Field(UnitLine(r.out, name), "damage");
    for (const char* name : {"Quail", "Raven"}) ai += Field(UnitLine(r.out, name), "damage");
    EXPECT_GT(player, 0.0);
    EXPECT_GT(ai, 0.0);
    // The second turn wrote its autosave through the saver hook.
    EXPECT_NE(r.out.find("AUTOSAVE\n"), std::string::npos);
    // Nothing had to be sunk: the map's end button leads to the next map.
    EXPECT_NE(r.out.find(" mission complete\n"), std::string::npos) << r.out;
}

TEST(TurnsCommand, TheSameSeedGivesTheSameGameBetweenTwoComputerPlayers) {
    const Result a = Turns("test_skirmish.map --ai-vs-ai --seed 5 --rounds 1 --frame-ms 100");
    const Result b = Turns("test_skirmish.map --ai-vs-ai --seed 5 --rounds 1 --frame-ms 100");
    ASSERT_EQ(a.exitCode, 0) << a.out;
    ASSERT_FALSE(Hash(a.out).empty());
    EXPECT_EQ(Hash(a.out), Hash(b.out));
    EXPECT_NE(a.out.find("mode ai-vs-ai"), std::string::npos);
}

TEST(TurnsCommand, ThreeSeedsDoNotAllPlayTheSameGame) {
    std::string hashes[3];
    for (int seed = 1; seed <= 3; ++seed) {
        const Result r = Turns("test_skirmish.map --ai-vs-ai --rounds 1 --frame-ms 100 --seed " + std::to_string(seed));
        ASSERT_EQ(r.exitCode, 0) << r.out;
        hashes[seed - 1] = Hash(r.out);
    }
    EXPECT_FALSE(hashes[0] == hashes[1] && hashes[1] == hashes[2]);
}

TEST(TurnsCommand, AShipOnAMineIsDamagedStopsForTheTurnAndTheMineGoes) {
    const Result r = Turns("test_mine.map --script " + Script("turns_ahead.txt") + " --seed 1 --frame-ms 40");
    ASSERT_EQ(r.exitCode, 0) << r.out;
    const std::string ship = UnitLine(r.out, "Osprey");
    EXPECT_GT(Field(ship, "damage"), 0.0) << ship;
    EXPECT_DOUBLE_EQ(Field(ship, "speed"), 0.514);
    EXPECT_DOUBLE_EQ(Field(ship, "used"), 300.0);
    // The leader left its column for one of its own.
    EXPECT_DOUBLE_EQ(Field(ship, "ships"), 1.0);
    EXPECT_NE(UnitLine(r.out, "Petrel").find("ships 1 "), std::string::npos);
    EXPECT_NE(r.out.find("mines 0 contacts 0"), std::string::npos) << r.out;
    // The enemy ship that had to be sunk is still afloat: the map's end
    // button shows the failed mission.
    EXPECT_NE(r.out.find(" mission failed\n"), std::string::npos) << r.out;
}

TEST(TurnsCommand, AShipRunAgroundIsStrandedAndTheLastOneEndsTheMap) {
    const Result r = Turns("test_aground.map --script " + Script("turns_ahead.txt") + " --seed 1 --frame-ms 40 --log");
    ASSERT_EQ(r.exitCode, 0) << r.out;
    const std::string ship = UnitLine(r.out, "Osprey");
    EXPECT_NE(ship.find("stranded"), std::string::npos) << ship;
    // Alone in its column, it keeps the column.
    EXPECT_NE(ship.find("column 1.0 ships 1"), std::string::npos) << ship;
    EXPECT_NE(r.out.find("Collision with ground : Osprey\n"), std::string::npos);
    EXPECT_NE(r.out.find("All Player ships on ground : End Map \n"), std::string::npos);
    EXPECT_NE(r.out.find("contacts 0"), std::string::npos);
}

TEST(TurnsCommand, ARamStopsBothColumnsAndSplitsTheRammedOne) {
    const Result r = Turns("test_ram.map --script " + Script("turns_ahead.txt") + " --seed 1 --frame-ms 40 --log");
    ASSERT_EQ(r.exitCode, 0) << r.out;
    EXPECT_NE(r.out.find("Ramm attack : Osprey Quail\n"), std::string::npos) << r.out;
    const std::string rammer = UnitLine(r.out, "Osprey");
    EXPECT_DOUBLE_EQ(Field(rammer, "speed"), 0.514);
    EXPECT_DOUBLE_EQ(Field(rammer, "used"), 300.0);
    // The rammed column fell apart into single ships; the rammed ship's
    // column was slowed (the computer's phase then moves the other one).
    const std::string rammed = UnitLine(r.out, "Quail");
    EXPECT_NE(rammed.find("ships 1 speed 0.514"), std::string::npos) << rammed;
    EXPECT_NE(UnitLine(r.out, "Raven").find("ships 1 "), std::string::npos);
    EXPECT_NE(r.out.find("contacts 0"), std::string::npos);
}

TEST(TurnsCommand, BadOptionsAndScriptsAreRefused) {
    EXPECT_EQ(Turns("test_mine.map").exitCode, 2);
    EXPECT_EQ(Turns("test_mine.map --ai-vs-ai --script " + Script("turns_ahead.txt")).exitCode, 2);
    EXPECT_EQ(Turns("test_mine.map --script /nonexistent").exitCode, 2);
    std::filesystem::create_directories(VORNA_TEST_TMP);
    const std::string bad = std::string(VORNA_TEST_TMP) + "/turns_bad_script.txt";
    if (FILE* f = std::fopen(bad.c_str(), "w")) {
        std::fputs("1 select 0\n1 sail away\n", f);
        std::fclose(f);
    }
    const Result r = Turns("test_mine.map --script " + bad);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.out.find("bad script line 2"), std::string::npos) << r.out;
    EXPECT_EQ(Turns("no_such_map.map --ai-vs-ai").exitCode, 1);
}
