// campaignsim campaign on the demo scenario: the scenario starts, its first
// map loads through the loading button and leaves its system save, a save
// made there loads in a fresh process to the same map state, and the
// computer plays both sides through a turn.
#include "TestFolder.h"
#include "common/DemoData.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <sys/wait.h>

namespace fs = std::filesystem;

namespace {

struct Result {
    int exitCode = -1;
    std::string out;
};

class CampaignCommand : public ::testing::Test {
protected:
    void SetUp() override {
        dir = VornaTest::FreshFolder();
        VornaTest::WriteText(dir / "engine.ini", "[Grafic Settings]\nFullScreen=0\nWidth=1024\nHeight=768\n");
        VornaTest::LinkDemoData(dir);
        std::error_code ec;
        fs::create_hard_link(fs::path(VORNA_BIN_DIR) / "campaignsim", dir / "campaignsim", ec);
        if (ec) fs::copy_file(fs::path(VORNA_BIN_DIR) / "campaignsim", dir / "campaignsim");
    }
    FILE* Start(const std::string& arguments, const std::string& documents = "documents") {
        const std::string command = "cd '" + dir.string() + "' && XDG_DATA_HOME='" + (dir / documents).string() +
                                    "' ./campaignsim campaign " + arguments + " 2>/dev/null";
        return popen(command.c_str(), "r");
    }
    static Result Finish(FILE* pipe) {
        Result r;
        if (!pipe) return r;
        char buffer[4096];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) r.out.append(buffer, n);
        const int status = pclose(pipe);
        r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return r;
    }
    Result Run(const std::string& arguments) { return Finish(Start(arguments)); }
    // One section of the state dump, up to the next.
    static std::string Section(const std::string& out, const std::string& name) {
        const size_t at = out.find("[" + name + "]");
        if (at == std::string::npos) return {};
        const size_t end = out.find("\n[", at + 1);
        return out.substr(at, end == std::string::npos ? std::string::npos : end - at);
    }
    static std::string WithoutSaveBody(std::string section) {
        const size_t at = section.find("save body ");
        if (at != std::string::npos) section.erase(at, section.find('\n', at) - at + 1);
        return section;
    }
    fs::path Saves() const { return dir / "documents" / "Wexmoor Tarnfield" / "Saves"; }
    // The state dump after its engine section (frames, display and window of
    // the process that ran).
    static std::string GameDump(const std::string& out) {
        const size_t at = out.find("[camera]");
        return at == std::string::npos ? std::string() : out.substr(at);
    }
    static std::uint64_t Fnv1a(const std::string& text) {
        std::uint64_t h = 1469598103934665603ull;
        for (unsigned char ch : text) h = (h ^ ch) * 1099511628211ull;
        return h;
    }
    // The first lines where two dumps part, for a failure's message.
    static std::string FirstDifference(const std::string& expected, const std::string& actual) {
        std::istringstream e(expected), a(actual);
        std::string le, la, before;
        int n = 1;
        while (true) {
            const bool moreE = static_cast<bool>(std::getline(e, le)), moreA = static_cast<bool>(std::getline(a, la));
            if (!moreE && !moreA) return "the dumps are equal";
            if (!moreE || !moreA || le != la)
                return "first difference at line " + std::to_string(n) + " (after \"" + before + "\")\n  expected: " +
                       (moreE ? le : "<end>") + "\n  actual:   " + (moreA ? la : "<end>");
            before = le;
            ++n;
        }
    }

    fs::path dir;
};

TEST_F(CampaignCommand, TheFirstMapLoadsThroughTheLoadingButtonAndASaveOfItLoadsAlike) {
    const Result first = Run("demo_campaign.xml --max-frames 40 --save-at 1:first_turn");
    ASSERT_EQ(first.exitCode, 1) << first.out; // the frames run out on the first map
    EXPECT_NE(first.out.find("map demo_strait.map \"The Strait\""), std::string::npos) << first.out;
    EXPECT_NE(first.out.find("saved first_turn"), std::string::npos) << first.out;
    EXPECT_TRUE(fs::exists(Saves() / "System" / "last_map.wxsave"));
    const std::string map = Section(first.out, "campaign_map");
    EXPECT_NE(map.find("side 1 unit \"Aurora\" at -220.00 -200.00"), std::string::npos) << map;
    EXPECT_NE(map.find("column side 2: \"Harrier\" \"Ibis\" \"Jackdaw\""), std::string::npos) << map;
    EXPECT_NE(Section(first.out, "scenario").find("file \"demo_campaign.xml\""), std::string::npos);

    // The ships rock on the waves, whose phase runs on from the start of
    // the run: the save bodies of the two runs differ in the placements'
    // tilt, everything else of the map is the same.
    const Result loaded = Run("--load first_turn --max-frames 40");
    EXPECT_NE(loaded.out.find("map demo_strait.map"), std::string::npos) << loaded.out;
    EXPECT_EQ(WithoutSaveBody(Section(loaded.out, "campaign_map")), WithoutSaveBody(map));

    EXPECT_EQ(Run("--load no_such_save --max-frames 10").out.find("map demo_strait.map"), std::string::npos);
}

TEST_F(CampaignCommand, TheComputerPlaysBothSidesThroughBothMapsToTheScoresAndAgainAlike) {
    // Two runs of the same seed at once, each with its own saves; the second
    // saves at its second turn, which changes nothing of its game.
    FILE* a = Start("test_campaign.xml --ai-vs-ai --seed 5 --max-frames 30000", "documents_a");
    FILE* b = Start("test_campaign.xml --ai-vs-ai --seed 5 --max-frames 30000 --save-at 2:mid", "documents_b");
    const Result first = Finish(a), second = Finish(b);
    ASSERT_EQ(first.exitCode, 0) << first.out;
    const size_t map1 = first.out.find("map test_skirmish.map \"Skirmish\"");
    const size_t map2 = first.out.find("map test_ram.map \"Ram Fixture\"");
    const size_t scores = first.out.find("scores side 1 ");
    ASSERT_NE(map1, std::string::npos) << first.out;
    ASSERT_NE(map2, std::string::npos) << first.out;
    ASSERT_NE(scores, std::string::npos) << first.out;
    EXPECT_LT(map1, map2);
    EXPECT_LT(map2, scores);
    EXPECT_NE(first.out.find("turn 2 frame ", map1), std::string::npos);
    EXPECT_NE(first.out.find("final save "), std::string::npos);
    // The scores' totals went with the scenario from map to map.
    const std::string scenario = Section(first.out, "scenario");
    EXPECT_NE(scenario.find("maps \"test_skirmish.map\" \"test_ram.map\""), std::string::npos) << scenario;
    // Autosaves of the new turns, the system save of the last map.
    EXPECT_TRUE(fs::exists(dir / "documents_a" / "Wexmoor Tarnfield" / "Saves" / "autosave1.wxsave"));
    EXPECT_TRUE(fs::exists(dir / "documents_a" / "Wexmoor Tarnfield" / "Saves" / "System" / "last_map.wxsave"));
    // Same seed, same game: the same scores and the same final save.
    auto line = [](const std::string& out, const std::string& key) {
        const size_t at = out.find(key);
        return at == std::string::npos ? std::string() : out.substr(at, out.find('\n', at) - at);
    };
    EXPECT_NE(second.out.find("saved mid"), std::string::npos) << second.out;
    EXPECT_EQ(line(second.out, "scores side 1 "), line(first.out, "scores side 1 "));
    EXPECT_EQ(line(second.out, "final save "), line(first.out, "final save "));
    EXPECT_EQ(GameDump(second.out), GameDump(first.out));
}

// A game saved when turn 3 begins, loaded in a fresh process and played on,
// ends in the same state as the run that never stopped: the same scores, the
// same final save and the same state dump (all but the engine section, which
// counts the frames of its own process), through the rest of the first map
// and the whole second one. Two seeds, each played by two processes at once.
TEST_F(CampaignCommand, AGameSavedInTurnThreeAndLoadedInAFreshProcessEndsAsTheRunThatNeverStopped) {
    const char* const seeds[] = {"5", "7"};
    FILE* unbroken[2];
    for (int i = 0; i < 2; ++i)
        unbroken[i] = Start(std::string("test_campaign.xml --ai-vs-ai --rounds 3 --max-frames 30000 --seed ") +
                                seeds[i] + " --save-at 3:turn3",
                            std::string("documents_") + seeds[i]);
    const Result a[2] = {Finish(unbroken[0]), Finish(unbroken[1])};
    FILE* continued[2];
    for (int i = 0; i < 2; ++i) {
        ASSERT_EQ(a[i].exitCode, 0) << a[i].out;
        ASSERT_NE(a[i].out.find("saved turn3"), std::string::npos) << a[i].out;
        continued[i] = Start(std::string("--load turn3 --ai-vs-ai --rounds 3 --max-frames 30000 --seed ") + seeds[i],
                             std::string("documents_") + seeds[i]);
    }
    const Result c[2] = {Finish(continued[0]), Finish(continued[1])};
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(std::string("seed ") + seeds[i]);
        ASSERT_EQ(c[i].exitCode, 0) << c[i].out;
        // The loaded game starts at turn 3 of the first map and goes on to
        // the second map and the scores.
        EXPECT_EQ(c[i].out.find("map test_skirmish.map \"Skirmish\""), 0u) << c[i].out;
        EXPECT_NE(c[i].out.find("\nturn 3 frame "), std::string::npos) << c[i].out;
        const std::string firstMap = c[i].out.substr(0, c[i].out.find("map test_ram.map"));
        EXPECT_EQ(firstMap.find("turn 2 frame "), std::string::npos) << "a turn before the save was played again";
        auto line = [](const std::string& out, const std::string& key) {
            const size_t at = out.find(key);
            return at == std::string::npos ? std::string() : out.substr(at, out.find('\n', at) - at);
        };
        EXPECT_NE(line(c[i].out, "scores side 1 "), "");
        EXPECT_EQ(line(c[i].out, "scores side 1 "), line(a[i].out, "scores side 1 "));
        EXPECT_EQ(line(c[i].out, "final save "), line(a[i].out, "final save "));
        const std::string expected = GameDump(a[i].out), actual = GameDump(c[i].out);
        EXPECT_EQ(Fnv1a(actual), Fnv1a(expected));
        EXPECT_TRUE(actual == expected) << FirstDifference(expected, actual);
    }
}

TEST_F(CampaignCommand, BadOptions) {
    EXPECT_EQ(Run("").exitCode, 2);
    EXPECT_EQ(Run("demo_campaign.xml --save-at 3").exitCode, 2);
    EXPECT_EQ(Run("demo_campaign.xml --save-at 3:../x").exitCode, 2);
    EXPECT_EQ(Run("demo_campaign.xml --max-frames 0").exitCode, 2);
    const Result missing = Run("no_such_scenario.xml --max-frames 10");
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.out.find("scenario refused no_such_scenario.xml"), std::string::npos) << missing.out;
}

} // namespace

// The demo campaign played with a player's ordinary orders (every column
// full ahead, straight in the first turn and with a little rudder after, an
// attack whenever a target is marked, end of turn): both maps to the score
// screen, no ship rams a ship of its own side (which would break its
// column), and no ship runs aground on its first move.
TEST_F(CampaignCommand, OrdinaryOrdersPlayTheDemoCampaignToItsScores) {
    const Result r = Run("demo_campaign.xml --script '" VORNA_SOURCE_DIR
                         "/tests/drivers/campaignsim/scripts/campaign_ordinary.txt' --seed 1 --frame-ms 100 "
                         "--max-frames 60000 --log");
    ASSERT_EQ(r.exitCode, 0) << r.out.substr(0, 4000);
    const size_t strait = r.out.find("map demo_strait.map \"The Strait\"");
    const size_t cape = r.out.find("map demo_cape.map \"The Cape\"");
    const size_t scores = r.out.find("scores side 1 ");
    ASSERT_NE(strait, std::string::npos);
    ASSERT_NE(cape, std::string::npos);
    ASSERT_NE(scores, std::string::npos);
    EXPECT_LT(strait, cape);
    EXPECT_LT(cape, scores);
    const std::string player[] = {"Aurora", "Boreas", "Cygnet", "Dauntless", "Eider", "Falcon", "Gannet"};
    auto side = [&](const std::string& name) {
        for (const std::string& p : player)
            if (p == name) return 1;
        return 2;
    };
    int rams = 0;
    for (size_t at = r.out.find("Ramm attack : "); at != std::string::npos; at = r.out.find("Ramm attack : ", at + 1)) {
        std::istringstream names(r.out.substr(at + 14, r.out.find('\n', at) - at - 14));
        std::string rammer, rammed;
        names >> rammer >> rammed;
        ++rams;
        EXPECT_NE(side(rammer), side(rammed)) << "a ram between ships of one side: " << rammer << " " << rammed;
    }
    // Each map's first turn: nobody runs aground.
    for (size_t load = r.out.find("CDX9KelGameMap::LoadMap() : OK"); load != std::string::npos;
         load = r.out.find("CDX9KelGameMap::LoadMap() : OK", load + 1)) {
        const size_t second = r.out.find("------------------- TURN : 2 ", load);
        ASSERT_NE(second, std::string::npos);
        EXPECT_EQ(r.out.substr(load, second - load).find("Collision with ground"), std::string::npos)
            << r.out.substr(load, second - load);
    }
    // The player's ships fired at the enemy.
    int volleys = 0;
    for (const std::string& p : player)
        if (r.out.find("BeginBombardment : " + p + " attack ") != std::string::npos) ++volleys;
    EXPECT_GT(volleys, 0);
    std::printf("rams between the sides %d\n", rams);
}
