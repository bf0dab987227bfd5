// campaignsim bombard with the demo ships: the fight is the same for the same
// seed, ends when a ship is lost, and reports bad options.
#include "TestFolder.h"

#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <stb/stb_image.h>
#include <string>
#include <sys/wait.h>

namespace {

struct Result {
    int exitCode = -1;
    std::string out;
};

Result Bombard(const std::string& arguments) {
    Result r;
    const std::string command = "cd '" VORNA_BIN_DIR "' && SDL_VIDEODRIVER=offscreen ALSOFT_DRIVERS=null ./campaignsim "
                                "bombard " + arguments + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return r;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) r.out.append(buffer, n);
    const int status = pclose(pipe);
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

std::string LastLine(const std::string& text) {
    const size_t end = text.find_last_not_of('\n');
    const size_t start = text.rfind('\n', end);
    return text.substr(start == std::string::npos ? 0 : start + 1, end - (start == std::string::npos ? 0 : start + 1) + 1);
}

} // namespace

TEST(BombardCommand, TheSameSeedFightsTheSameFight) {
    const Result a = Bombard("--seed 1");
    const Result b = Bombard("--seed 1");
    ASSERT_EQ(a.exitCode, 0) << a.out;
    EXPECT_EQ(a.out, b.out);
    EXPECT_NE(a.out.find("animated yes"), std::string::npos) << a.out;
    EXPECT_NE(a.out.find("round 1\n"), std::string::npos);
    EXPECT_NE(a.out.find(" hit "), std::string::npos);
    // The demo ships fight until one of them goes down.
    EXPECT_EQ(LastLine(a.out).rfind("result: B capsized in round ", 0), 0u) << LastLine(a.out);
    // Another seed rolls other dice.
    EXPECT_NE(Bombard("--seed 2").out, a.out);
}

TEST(BombardCommand, EveryRoundEndsWithBothShips) {
    const Result r = Bombard("--seed 7 --rounds 2");
    ASSERT_EQ(r.exitCode, 0) << r.out;
    size_t rounds = 0, states = 0;
    for (size_t at = r.out.find("round "); at != std::string::npos; at = r.out.find("\nround ", at + 1)) ++rounds;
    for (size_t at = r.out.find("  A condition "); at != std::string::npos; at = r.out.find("  A condition ", at + 1))
        ++states;
    EXPECT_EQ(rounds, 2u);
    EXPECT_EQ(states, 2u);
    EXPECT_NE(r.out.find("result: both afloat after 2 rounds"), std::string::npos) << r.out;
}

TEST(BombardCommand, BadOptionsAreRefused) {
    EXPECT_EQ(Bombard("--seed x").exitCode, 2);
    EXPECT_EQ(Bombard("--rounds 0").exitCode, 2);
    const Result r = Bombard("--a ship_a.xml");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.out.find("DESCRIPTION:MODEL"), std::string::npos);
    EXPECT_EQ(Bombard("--b nothing.xml:c2corvette.x").exitCode, 1);
}

// The picture of an attack turn: the fight is the one without the picture,
// the kept moment has A's fore tower turned with its first barrel on B, and
// both ships stand drawn on the sea, A on the left, B (off A's starboard
// side, seen from behind A) on the right.
TEST(BombardCommand, TheShotKeepsTheTurnedTowerPointingAtTheTarget) {
    const std::string shot = (VornaTest::FreshFolder() / "bombard.png").string();
    const Result r = Bombard("--seed 1 --distance 350 --rounds 1 --shot " + shot);
    ASSERT_EQ(r.exitCode, 0) << r.out;
    const size_t at = r.out.find("  shot: A fore tower to turn ");
    ASSERT_NE(at, std::string::npos) << r.out;
    const size_t line = r.out.find('\n', at);
    const size_t first = r.out.find("first barrel ", at);
    ASSERT_LT(first, line);
    EXPECT_LT(std::atof(r.out.c_str() + first + 13), 0.2) << r.out.substr(at, line - at);
    std::string fight = r.out;
    fight.erase(at, line + 1 - at);
    EXPECT_EQ(fight, Bombard("--seed 1 --distance 350 --rounds 1").out);

    int w = 0, h = 0, n = 0;
    unsigned char* px = stbi_load(shot.c_str(), &w, &h, &n, 3);
    ASSERT_NE(px, nullptr);
    int dark[2] = {0, 0};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const unsigned char* c = px + (static_cast<size_t>(y) * w + x) * 3;
            if (c[0] + c[1] + c[2] < 100) ++dark[x < w / 2 ? 0 : 1];
        }
    stbi_image_free(px);
    EXPECT_GT(dark[0], 3000);
    EXPECT_GT(dark[1], 3000);

    EXPECT_EQ(Bombard("--rounds 1 --shot " + shot + " --shot-group 8").exitCode, 2);
}
