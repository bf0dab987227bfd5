// battlesim battle run as a program on the demo strait: two computer fleets
// fight to a result on the virtual clock (a side lost or the time is up);
// guns fire and hit and ships sink; the same seed gives the same state
// hash; different seeds give different battles; a second battle in the same
// process is fought as the first, its ships damaged and its guns reloading.
// The four runs go side by side, each a program of its own.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <future>
#include <set>
#include <sstream>
#include <string>
#include <vector>
#include <sys/wait.h>

namespace fs = std::filesystem;

namespace {

struct BattleRun {
    int exitCode = -1;
    std::string out;
};

BattleRun Battle(const std::string& args) {
    const std::string command = "'" + (fs::path(VORNA_BIN_DIR) / "battlesim").string() +
                                "' battle demo_battle.btlmapxml --step-ms 60 " + args + " 2>/dev/null";
    BattleRun run;
    FILE* p = ::popen(command.c_str(), "r");
    if (!p) return run;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) run.out.append(buf, n);
    const int status = ::pclose(p);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

struct Side {
    std::string name;
    unsigned ships = 0, sunk = 0, left = 0, shots = 0;
    double damage = 0.0;
};

// One battle's report: its result line, winner, sides and hash.
struct Report {
    std::string result, winner, hash;
    std::vector<Side> sides;
};

std::vector<Report> Reports(const std::string& out) {
    std::vector<Report> reports;
    std::istringstream in(out);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream w(line);
        std::string key;
        w >> key;
        if (key == "result") {
            reports.emplace_back();
            w >> reports.back().result;
        } else if (reports.empty()) {
            continue;
        } else if (key == "winner") {
            std::getline(w >> std::ws, reports.back().winner);
        } else if (key == "side") {
            // side <name words> ships N sunk N left N withdrawn N afloat N lost N shots N damage D
            Side s;
            std::string word;
            while (w >> word && word != "ships") s.name += (s.name.empty() ? "" : " ") + word;
            std::string k;
            unsigned v;
            w >> s.ships;
            while (w >> k) {
                if (k == "damage") {
                    w >> s.damage;
                    continue;
                }
                w >> v;
                if (k == "sunk") s.sunk = v;
                if (k == "left") s.left = v;
                if (k == "shots") s.shots = v;
            }
            reports.back().sides.push_back(s);
        } else if (key == "battle" && line.find(" hash ") != std::string::npos) {
            reports.back().hash = line.substr(line.rfind(' ') + 1);
        }
    }
    return reports;
}

TEST(BattleCommand, DemoStraitIsFoughtToAResultTheSameWayForTheSameSeed) {
    auto twice = std::async(std::launch::async, [] { return Battle("--seed 42 --battles 2"); });
    auto same = std::async(std::launch::async, [] { return Battle("--seed 42"); });
    auto one = std::async(std::launch::async, [] { return Battle("--seed 1"); });
    auto seven = std::async(std::launch::async, [] { return Battle("--seed 7"); });
    const BattleRun runs[4] = {twice.get(), same.get(), one.get(), seven.get()};
    std::vector<std::vector<Report>> reports;
    for (const BattleRun& r : runs) {
        EXPECT_EQ(r.exitCode, 0) << r.out;
        reports.push_back(Reports(r.out));
    }
    ASSERT_EQ(reports[0].size(), 2u) << runs[0].out;
    for (std::size_t i = 1; i < 4; ++i) ASSERT_EQ(reports[i].size(), 1u) << runs[i].out;

    unsigned sunk = 0;
    std::set<std::string> hashes;
    for (const auto& list : reports)
        for (const Report& r : list) {
            EXPECT_TRUE(r.result == "side_lost" || r.result == "time_up") << r.result;
            ASSERT_EQ(r.sides.size(), 2u);
            EXPECT_FALSE(r.winner.empty());
            EXPECT_FALSE(r.hash.empty());
            for (const Side& s : r.sides) {
                EXPECT_EQ(s.ships, 8u) << s.name;
                // Every gun fires more than once: they reload.
                EXPECT_GT(s.shots, 40u) << s.name;
                EXPECT_GT(s.damage, 0.0) << s.name;
                sunk += s.sunk;
            }
        }
    EXPECT_GT(sunk, 0u);
    // The same seed, the same battle.
    EXPECT_EQ(reports[0][0].hash, reports[1][0].hash);
    for (const Report* r : {&reports[1][0], &reports[2][0], &reports[3][0]}) hashes.insert(r->hash);
    EXPECT_GT(hashes.size(), 1u);
    // The second battle in the process damages and beats ships as the first did.
    const Report& second = reports[0][1];
    unsigned gone = 0;
    for (const Side& s : second.sides) gone += s.sunk + s.left;
    EXPECT_GT(gone, 0u) << runs[0].out;
}

TEST(BattleCommand, RefusesAMissingMapAndBadOptions) {
    const std::string bin = "'" + (fs::path(VORNA_BIN_DIR) / "battlesim").string() + "' battle ";
    for (const char* args : {"absent.btlmapxml --minutes 1", "--seed 3", "demo_battle.btlmapxml --minutes 0"}) {
        const int status = std::system((bin + args + " >/dev/null 2>&1").c_str());
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) != 0) << args;
    }
}

} // namespace
