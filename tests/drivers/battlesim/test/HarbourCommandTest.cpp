// battlesim harbour run as a program on the demo scenario's first harbour:
// the screens driven by presses as a hand gives them. A ship is bought, one
// sold, one repaired by 1 %, by 5 % and to nothing, two columns are formed
// and the battle begins with them; money, fleet, berths and columns are
// checked against prices worked out by hand from the demo ship types. A
// fleet that cannot sail asks to let the battle go by and goes on to the
// next harbour step. The pictures show both screens with their icons.
#include "TestFolder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>
#include <sys/wait.h>

#include <stb/stb_image.h>

namespace fs = std::filesystem;

namespace {

struct HarbourRun {
    int exitCode = -1;
    std::string out;
};

HarbourRun Harbour(const std::string& script, const std::string& args, const fs::path& folder) {
    const fs::path dir = folder / "out";
    fs::create_directories(dir);
    const fs::path scriptFile = folder / "input.txt";
    std::ofstream(scriptFile) << script;
    const std::string command = "'" + (fs::path(VORNA_BIN_DIR) / "battlesim").string() +
                                "' harbour demo_scenario.scnrxml --script '" + scriptFile.string() + "' " + args +
                                " --out '" + dir.string() + "/' 2>&1";
    HarbourRun run;
    FILE* p = ::popen(command.c_str(), "r");
    if (!p) return run;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) run.out.append(buf, n);
    const int status = ::pclose(p);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

// One dump of the harbour: its lines by their first word (ship lines by the
// ship's quoted name).
struct Dump {
    long frame = 0;
    std::map<std::string, std::string> lines;
    std::map<std::string, std::string> ships;
    std::string Get(const std::string& key) const {
        auto it = lines.find(key);
        return it == lines.end() ? std::string() : it->second;
    }
};

std::vector<Dump> Dumps(const std::string& out) {
    std::vector<Dump> dumps;
    std::istringstream in(out);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream w(line);
        std::string key;
        w >> key;
        if (key == "dump") {
            Dump d;
            std::string frameWord;
            w >> frameWord >> d.frame;
            dumps.push_back(d);
            continue;
        }
        if (dumps.empty() || key == "battle") continue;
        std::string rest;
        std::getline(w, rest);
        if (key == "ship") {
            const size_t end = rest.find('"', 2);
            dumps.back().ships[rest.substr(2, end - 2)] = rest.substr(end + 1);
        } else {
            dumps.back().lines[key] = rest;
        }
    }
    return dumps;
}

// The number after `word` in `text`; -999999 when absent.
long Field(const std::string& text, const std::string& word) {
    std::istringstream in(text);
    std::string w;
    while (in >> w)
        if (w == word) {
            long v = -999999;
            in >> v;
            return v;
        }
    return -999999;
}

// The first dump from `from` on whose line `key` contains `part`; null when none.
const Dump* FirstWith(const std::vector<Dump>& dumps, const std::string& key, const std::string& part, size_t from = 0) {
    for (size_t i = from; i < dumps.size(); ++i)
        if (dumps[i].Get(key).find(part) != std::string::npos) return &dumps[i];
    return nullptr;
}

const char* kFullStep = R"(# buy the cruiser shown first
10 press harbour_game_ship_properties Buy
25 press harbour_game_by_ship Ok
# sell a cruiser of the start
45 press harbour_game_player_ships Ship_Blue_Cruiser_2
60 press harbour_game_ship_properties Sell
75 press harbour_game_sell_ship Ok
# repair the damaged one: 1 %, 5 %, then the rest
95 press harbour_game_player_ships Ship_Blue_Cruiser_1
110 press harbour_game_ship_properties Repair1
130 press harbour_game_ship_properties Repair2
150 press harbour_game_ship_properties Repair1
170 press harbour_game_menu Next
200 press harbour_columns_work Column1Add
230 press harbour_columns_work Column2Add
260 press harbour_columns_work Column1Add
290 press harbour_columns_menu Next
310 press harbour_columns_fight Ok
)";

} // namespace

TEST(HarbourCommand, BuySellRepairAndColumnsAtHandWorkedPrices) {
    const fs::path folder = VornaTest::FreshFolder();
    const fs::path harbourShot = folder / "harbour.png", columnsShot = folder / "columns.png";
    const HarbourRun run = Harbour(kFullStep,
                            "--damage 'Blue Cruiser 1=6.5' --shots 100:" + harbourShot.string() + ",285:" +
                                columnsShot.string(),
                            folder);
    ASSERT_EQ(run.exitCode, 0) << run.out;
    const std::vector<Dump> dumps = Dumps(run.out);
    ASSERT_FALSE(dumps.empty()) << run.out;

    // The step begins: three ships moored at three of the six berths, the
    // cruiser (5600 t at 9 a ton = 50400) shown with "Buy" open, the ram
    // (4200 t at 10 = 42000) not on sale at the first step.
    const Dump& first = dumps.front();
    EXPECT_EQ(Field(first.Get("screen"), "money"), 60000);
    EXPECT_EQ(first.Get("money_text"), " \"60000\" add \"20000\"");
    EXPECT_EQ(first.Get("berths"), " 6 free 3");
    for (const char* name : {"Blue Ram", "Blue Cruiser 1", "Blue Cruiser 2"}) {
        ASSERT_TRUE(first.ships.count(name)) << name;
        EXPECT_GE(Field(first.ships.at(name), "berth"), 0) << name;
    }
    EXPECT_NE(first.Get("shop").find("item 0 \"$50400\" state 2 item 1 \"$42000\" state 3"), std::string::npos)
        << first.Get("shop");
    EXPECT_NE(first.Get("panel").find("By_Price \"$50400\""), std::string::npos) << first.Get("panel");
    EXPECT_EQ(first.Get("buttons"), " buy 0 sell 3 repair1 3 repair2 3");

    // Bought: 60000 - 50400; the new ship takes the type's first name and a berth.
    const Dump* bought = FirstWith(dumps, "screen", "money 9600 ");
    ASSERT_NE(bought, nullptr) << run.out;
    EXPECT_EQ(Field(bought->Get("screen"), "last_price"), 50400);
    ASSERT_TRUE(bought->ships.count("Swift"));
    EXPECT_GE(Field(bought->ships.at("Swift"), "berth"), 0);
    EXPECT_EQ(bought->Get("berths"), " 6 free 2");
    EXPECT_NE(bought->Get("own").find("\"Swift\""), std::string::npos);

    // Sold undamaged: truncate(1.0 x 9 x 0.3) x 5600 = 11200; its berth is free again.
    const Dump* sold = FirstWith(dumps, "screen", "money 20800 ");
    ASSERT_NE(sold, nullptr) << run.out;
    EXPECT_EQ(Field(sold->ships.at("Blue Cruiser 2"), "sold"), 1);
    EXPECT_EQ(Field(sold->ships.at("Blue Cruiser 2"), "berth"), -1);
    EXPECT_EQ(sold->Get("berths"), " 6 free 3");
    EXPECT_EQ(sold->Get("own").find("Blue Cruiser 2"), std::string::npos);

    // The damaged cruiser's panel: 1 % costs truncate(9 x 0.8) x 5600 / 100
    // = 392, 5 % five times that; the text, the lock and the charge agree.
    const Dump* panel = FirstWith(dumps, "panel", "Damage \"6.5 %\"");
    ASSERT_NE(panel, nullptr) << run.out;
    for (const char* part : {"Repair_Price1 \"$392\"", "Repair_Price2 \"$1960\"", "Sell_Price \"$11200\"",
                             "Seaworthy \"yes\"", "By_Price \" \""})
        EXPECT_NE(panel->Get("panel").find(part), std::string::npos) << part << " in " << panel->Get("panel");
    EXPECT_EQ(panel->Get("buttons"), " buy 3 sell 0 repair1 0 repair2 0");
    const struct {
        long money;
        const char* damage;
    } repairs[] = {{20408, "damage 5.5 "}, {18448, "damage 0.5 "}, {18056, "damage 0.0 "}};
    for (const auto& r : repairs) {
        const Dump* d = FirstWith(dumps, "screen", "money " + std::to_string(r.money) + " ");
        ASSERT_NE(d, nullptr) << r.money << "\n" << run.out;
        EXPECT_NE(d->ships.at("Blue Cruiser 1").find(r.damage), std::string::npos) << d->ships.at("Blue Cruiser 1");
    }
    // Repaired to nothing: no repair price, both repair buttons locked.
    const Dump* repaired = FirstWith(dumps, "panel", "Damage \"0 %\"", static_cast<size_t>(panel - dumps.data()));
    ASSERT_NE(repaired, nullptr);
    EXPECT_NE(repaired->Get("panel").find("Repair_Price1 \" \""), std::string::npos);
    EXPECT_EQ(Field(repaired->Get("buttons"), "repair1"), 3);

    // The columns screen: available highest level first; two columns formed.
    const Dump* columns = FirstWith(dumps, "screen", "harbour_columns");
    ASSERT_NE(columns, nullptr);
    EXPECT_EQ(columns->Get("available"), " \"Blue Cruiser 1\" \"Swift\" \"Blue Ram\" selected 0");
    EXPECT_EQ(columns->Get("column"), " 3 - add 0 erase 3");
    const Dump& last = dumps.back();
    EXPECT_NE(last.Get("screen").find("shown fight"), std::string::npos);
    EXPECT_EQ(last.Get("available"), " - selected -1");
    EXPECT_NE(run.out.find("column 1 \"Blue Cruiser 1\" \"Blue Ram\""), std::string::npos);
    EXPECT_NE(run.out.find("column 2 \"Swift\""), std::string::npos);

    // The battle takes the columns as they were formed.
    EXPECT_NE(run.out.find("battle column 1 ship \"Blue Cruiser 1\"\nbattle column 1 ship \"Blue Ram\"\n"
                           "battle column 2 ship \"Swift\"\n"),
              std::string::npos)
        << run.out;
    EXPECT_EQ(run.out.find("CVR3GAMEHarbourMapPlayerDirectorHuman"), std::string::npos) << run.out;

    // The pictures: the shop's and the own ships' icons (light ship cards)
    // on the harbour screen, the placed ships in the columns' lists.
    struct Spot {
        const fs::path* file;
        int x, y;
    } spots[] = {{&harbourShot, 30, 110}, {&harbourShot, 30, 700}, {&columnsShot, 170, 230}, {&columnsShot, 170, 336}};
    for (const Spot& s : spots) {
        int w = 0, h = 0, c = 0;
        unsigned char* pixels = stbi_load(s.file->string().c_str(), &w, &h, &c, 3);
        ASSERT_NE(pixels, nullptr) << *s.file;
        ASSERT_EQ(w, 1024);
        const unsigned char* p = pixels + (s.y * w + s.x) * 3;
        EXPECT_GT(p[0] + p[1] + p[2], 3 * 170) << *s.file << " at " << s.x << "," << s.y;
        stbi_image_free(pixels);
    }
}

TEST(HarbourCommand, AFleetThatCannotSailLetsTheBattleGoByToTheNextStep) {
    const fs::path folder = VornaTest::FreshFolder();
    const HarbourRun run = Harbour("10 press harbour_game_menu Next\n30 press harbour_game_let_mission Ok\n",
                            "--damage 'Blue Ram=40,Blue Cruiser 1=31,Blue Cruiser 2=90' --frames 200", folder);
    // No battle follows: every ship is still unfit at the next step.
    EXPECT_EQ(run.exitCode, 2) << run.out;
    const std::vector<Dump> dumps = Dumps(run.out);
    const Dump* asked = FirstWith(dumps, "screen", "shown let_mission");
    ASSERT_NE(asked, nullptr) << run.out;
    EXPECT_NE(asked->Get("screen").find("harbour_game step 0"), std::string::npos);
    EXPECT_EQ(asked->Get("available"), " - selected -1");
    // The next step: the added money, the ram on sale, the fleet moored again.
    const Dump* next = FirstWith(dumps, "screen", "step 1 ");
    ASSERT_NE(next, nullptr) << run.out;
    EXPECT_EQ(Field(next->Get("screen"), "money"), 80000);
    EXPECT_NE(next->Get("shop").find("item 1 \"$42000\" state 0"), std::string::npos) << next->Get("shop");
    EXPECT_EQ(next->ships.size(), 3u);
    EXPECT_EQ(next->Get("berths"), " 6 free 3");
}
