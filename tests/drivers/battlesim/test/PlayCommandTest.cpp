// battlesim play run as a program: the game from its main menu through its
// screens and their modules. Start begins the demo scenario; each harbour
// sends the player's ships to sea through the harbour screens; each battle
// visits the pause menu (the battle clock and the camera stand still) and
// ends through the human player's HUD, whose log box takes the player to the
// results; Next goes on to the next harbour and, after the last battle, to
// the scenario's end, whose button leads back to the main menu, where Start
// begins the scenario afresh.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>
#include <sys/wait.h>

namespace fs = std::filesystem;

namespace {

struct PlayRunResult {
    int exitCode = -1;
    std::string out;
};

PlayRunResult Play(const std::string& args) {
    const fs::path out = fs::path(VORNA_TEST_TMP) / "play_command";
    fs::create_directories(out);
    const std::string command = "'" + (fs::path(VORNA_BIN_DIR) / "battlesim").string() + "' play --out '" +
                                out.string() + "/' " + args + " 2>&1";
    PlayRunResult run;
    FILE* p = ::popen(command.c_str(), "r");
    if (!p) return run;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) run.out.append(buf, n);
    const int status = ::pclose(p);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

std::vector<std::string> LinesStartingWith(const std::string& text, const std::string& key) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(key, 0) == 0) lines.push_back(line);
    return lines;
}

} // namespace

TEST(PlayCommand, StartHarbourBattleLeaveResultsAndOnToTheEndThroughTheScreens) {
    const PlayRunResult run = Play("--seed 1 --minutes 1 --rounds 2");
    ASSERT_EQ(run.exitCode, 0) << run.out;
    std::vector<std::string> screens;
    for (const std::string& line : LinesStartingWith(run.out, "screen ")) {
        std::istringstream w(line.substr(7));
        std::string name;
        w >> name;
        screens.push_back(name);
    }
    // Two rounds: the scenario begun again by Start after its end.
    const std::vector<std::string> round = {
        "loading",      "harbour_game", "harbour_columns", "loading",      "battle_game",  "battle_menu",
        "battle_game",  "battle_results", "loading",       "harbour_game", "harbour_columns", "loading",
        "battle_game",  "battle_menu",  "battle_game",     "battle_results", "scenario_end", "main_menu"};
    std::vector<std::string> expected = {"main_menu"};
    for (int i = 0; i < 2; ++i) expected.insert(expected.end(), round.begin(), round.end());
    EXPECT_EQ(screens, expected) << run.out;

    // The harbour screens put the three own ships into column 1.
    EXPECT_EQ(LinesStartingWith(run.out, "harbour column1 3").size(), 4u) << run.out;
    // The human player leads the Blue Squadron through the HUD in each battle.
    EXPECT_EQ(LinesStartingWith(run.out, "battle ").size(), 4u) << run.out;
    for (const std::string& line : LinesStartingWith(run.out, "battle "))
        EXPECT_NE(line.find("human_director 1"), std::string::npos) << line;
    // Each visit of the menu pauses the battle and the camera; Continue runs
    // them again.
    for (const std::string& line : LinesStartingWith(run.out, "pause "))
        EXPECT_EQ(line, "pause time_speed 0.0 camera_control 0 clock_still 1");
    for (const std::string& line : LinesStartingWith(run.out, "continue "))
        EXPECT_EQ(line, "continue time_speed 1.0 camera_control 1 clock_runs 1");
    EXPECT_EQ(LinesStartingWith(run.out, "pause ").size(), 4u);
    EXPECT_EQ(LinesStartingWith(run.out, "continue ").size(), 4u);
    // Entering a battle asks for its autosave; entering the next harbour too.
    EXPECT_NE(run.out.find("screen battle_game step 0 in_battle 1 pending 0 losses 0 0 save_asked "
                           "autosave_battle_begin"),
              std::string::npos);
    EXPECT_NE(run.out.find("screen harbour_game step 1 in_battle 0 pending 0 losses 0 0 save_asked autosave_harbor"),
              std::string::npos);
    // Each side's count texts on the results screen: one per ship kind.
    for (const std::string& line : LinesStartingWith(run.out, "results ")) {
        std::istringstream w(line);
        std::string word, dialog;
        w >> word >> dialog;
        int counts = 0;
        while (w >> word) {
            EXPECT_EQ(word.find_first_not_of("0123456789"), std::string::npos) << line;
            ++counts;
        }
        EXPECT_EQ(counts, 2) << line;
    }
    // The end screen shows the scenario's score in percent.
    const std::vector<std::string> score = LinesStartingWith(run.out, "score_text ");
    ASSERT_EQ(score.size(), 2u) << run.out;
    std::istringstream w(score[0]);
    std::string key, text, scoreWord;
    int value = -1;
    w >> key >> text >> scoreWord >> value;
    EXPECT_EQ(text, std::to_string(value) + "%") << score[0];
    // Each map keeps its own scene tree, and the scene shows the harbour's in
    // the harbour and the battle's in the battle.
    int harbourScreens = 0, battleScreens = 0;
    for (const std::string& line : LinesStartingWith(run.out, "trees ")) {
        std::istringstream t(line);
        std::string key, screen, h, b, a;
        int harbour = -1, battle = -1, active = -1;
        t >> key >> screen >> h >> harbour >> b >> battle >> a >> active;
        if (harbour >= 0 && battle >= 0) {
            EXPECT_NE(harbour, battle) << line;
        }
        if (screen == "harbour_game") {
            ++harbourScreens;
            EXPECT_EQ(active, harbour) << line;
            EXPECT_GE(harbour, 0) << line;
        } else if (screen == "battle_game") {
            ++battleScreens;
            EXPECT_EQ(active, battle) << line;
            EXPECT_GE(battle, 0) << line;
        }
    }
    EXPECT_EQ(harbourScreens, 4);
    EXPECT_EQ(battleScreens, 8);
    // The log has no error and no warning: the autosaves are written, maps
    // that come and go leave each other's scene trees alone, and the sound
    // device is the software device the game asks for.
    std::istringstream lines(run.out);
    std::string line;
    while (std::getline(lines, line)) {
        EXPECT_EQ(line.find("| ERROR"), std::string::npos) << line;
        EXPECT_EQ(line.find("| WARNING"), std::string::npos) << line;
    }
}
