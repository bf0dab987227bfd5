// battlesim duel on the demo duels: the shops' rules as the sides buy, the
// battle built from the bought columns and fought to its end, the results
// and the score on the duel's end screen; a duel battle saved and loaded in
// a fresh process comes back the same and saves the same bytes.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>
#include <sys/wait.h>

#include "BattlesimRun.h"
#include "TestFolder.h"

namespace fs = std::filesystem;

using namespace BattlesimTest;

TEST(DuelCommand, BothSidesBuyTheirColumnsFightAndGetTheScore) {
    const fs::path dir = VornaTest::FreshFolder();
    // Cruisers cost 50,400 and rams 42,000 of the 150,000 each side has: the
    // human's third cruiser and the computer's fourth ram are too dear.
    const SimRun run = Battlesim("duel demo_duel_watched.duelxml --buy 'h1=0,0,0;h2=1;c1=1,1,1,1,1,1' --limit-s 1500" +
                                  Out(dir));
    ASSERT_EQ(run.exitCode, 0) << run.out;
    const std::vector<std::string> buys = Lines(run.out, "buy");
    const std::vector<std::string> expected = {
        "Blue Squadron column 1 type 0 ok money 99600",  "Blue Squadron column 1 type 0 ok money 49200",
        "Blue Squadron column 1 type 0 refused money 49200", "Blue Squadron column 2 type 1 ok money 7200",
        "Red Squadron column 1 type 1 ok money 108000",  "Red Squadron column 1 type 1 ok money 66000",
        "Red Squadron column 1 type 1 ok money 24000",   "Red Squadron column 1 type 1 refused money 24000",
        "Red Squadron column 1 type 1 refused money 24000", "Red Squadron column 1 type 1 refused money 24000"};
    EXPECT_EQ(buys, expected);
    EXPECT_EQ(Lines(run.out, "ship").size(), 6u) << "three ships a side, as bought";
    EXPECT_NE(run.out.find("battle screen battle_game"), std::string::npos);
    EXPECT_NE(run.out.find("battle_over 1"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("loss Blue Squadron spent 142800"), std::string::npos);
    EXPECT_NE(run.out.find("loss Red Squadron spent 126000"), std::string::npos);
    const std::vector<std::string> end = Lines(run.out, "end");
    ASSERT_EQ(end.size(), 1u);
    EXPECT_EQ(end[0].rfind("screen duel_end score ", 0), 0u) << end[0];
    // The battle's start wrote the duel's autosave.
    EXPECT_TRUE(fs::exists(dir / "Saves" / "autosave_battle_begin.v3cbsavebin"));
}

TEST(DuelCommand, ASideWithoutShipsGetsTheWarningAndNoBattle) {
    const SimRun run = Battlesim("duel demo_duel.duelxml --buy 'h1=0'" + Out(VornaTest::FreshFolder()));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.out.find("difficulty refused warning: a side has no ship"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("battle screen"), std::string::npos);
}

TEST(DuelCommand, DuelBattleSaveLoadsToTheSameStateAndBytes) {
    const fs::path dir = VornaTest::FreshFolder();
    // The player's own duel: a human director on the blue side.
    const SimRun save =
        Battlesim("duel demo_duel.duelxml --buy 'h1=0,1;c1=0;c2=1' --save-at 90 --save duel_first" + Out(dir));
    ASSERT_EQ(save.exitCode, 0) << save.out;
    const SimRun load = Battlesim("loadgame duel_first --duel --save-again duel_second --frames 200" + Out(dir));
    ASSERT_EQ(load.exitCode, 0) << load.out;
    const std::vector<std::string> saved = Lines(save.out, "save_state");
    ASSERT_FALSE(saved.empty());
    EXPECT_EQ(Lines(load.out, "save_state"), saved);
    const std::string first = ReadBytes(dir / "Saves" / "duel_first.v3cbsavebin");
    ASSERT_GT(first.size(), 530u);
    EXPECT_EQ(ReadBytes(dir / "Saves" / "duel_second.v3cbsavebin"), first);
}
