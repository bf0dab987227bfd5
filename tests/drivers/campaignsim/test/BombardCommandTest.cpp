// campaignsim bombard with the demo ships: the fight is the same for the same
// seed, ends when a ship is lost, and reports bad options.
#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>

namespace {

struct Result {
    int exitCode = -1;
    std::string out;
};

Result Bombard(const std::string& arguments) {
    Result r;
    const std::string command = "cd '" VORNA_BIN_DIR "' && ./campaignsim bombard " + arguments + " 2>&1";
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
