// battlesim battle with an input script: the demo battle against the
// computer on the real battle screen, the human player's HUD driven by keys
// and clicks as a hand gives them. The ordered ship runs at full speed and
// turns, every HUD dialog stands at its place, the picture shows the HUD,
// the markers and the ships on the sea; clicks on ships and icons and the
// hot keys choose the commanded ship, and the cursor over a ship opens its
// popup.
#include "TestFolder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>

#include <stb/stb_image.h>

namespace fs = std::filesystem;

namespace {

struct HudRun {
    int exitCode = -1;
    std::string out;
};

HudRun Battle(const std::string& script, const std::string& args, const fs::path& folder) {
    const fs::path dir = folder / "out";
    fs::create_directories(dir);
    const fs::path scriptFile = folder / "input.txt";
    std::ofstream(scriptFile) << script;
    const std::string command = "'" + (fs::path(VORNA_BIN_DIR) / "battlesim").string() +
                                "' battle demo_human.btlmapxml --script '" + scriptFile.string() + "' " + args +
                                " --out '" + dir.string() + "/' 2>/dev/null";
    HudRun run;
    FILE* p = ::popen(command.c_str(), "r");
    if (!p) return run;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) run.out.append(buf, n);
    const int status = ::pclose(p);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

// The first line that begins with `prefix`, or "".
std::string Line(const std::string& out, const std::string& prefix) {
    std::istringstream in(out);
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(prefix, 0) == 0) return line;
    return std::string();
}

// The number after the word `key` in `line`; NaN when absent.
double Field(const std::string& line, const std::string& key) {
    const size_t at = line.find(" " + key + " ");
    if (at == std::string::npos) return std::nan("");
    return std::atof(line.c_str() + at + key.size() + 2);
}

// The pixel a ship is drawn at, from a report ("hud at "name" x y").
bool ShipAt(const std::string& out, const std::string& name, int& x, int& y) {
    const std::string line = Line(out, "hud at \"" + name + "\"");
    return !line.empty() && std::sscanf(line.c_str() + 9 + name.size(), "%d %d", &x, &y) == 2;
}

} // namespace

TEST(HudBattleTest, FullSpeedAndATurnUnderTheHudAreOrderedAndDrawn) {
    const fs::path dir = VornaTest::FreshFolder();
    const fs::path shot = dir / "battle.png";
    const HudRun run = Battle("# full speed ahead, then the rudder to starboard\n"
                           "10 key down UP\n60 key up UP\n70 key down RIGHT\n80 key up RIGHT\n",
                           "--frames 400 --shot '" + shot.string() + "'", dir);
    ASSERT_EQ(run.exitCode, 0) << run.out;
    // The HUD's dialogs at their places on the 1024 x 768 screen.
    struct Place {
        const char* line;
    } places[] = {
        {"dialog battle_game_timer 442 8 140 40 visible 1"},
        {"dialog battle_game_compase 918 6 100 100 visible 1"},
        {"dialog battle_game_time 8 8 246 42 visible 1"},
        {"dialog battle_game_ship_name 8 56 246 34 visible 1"},
        {"dialog battle_game_ship_properties_1 8 94 246 154 visible 1"},
        {"dialog battle_game_ship_properties_2 8 252 390 174 visible 1"},
        {"dialog battle_game_ship_properties_3 8 430 246 118 visible 1"},
        {"dialog battle_game_artillery 816 112 200 42 visible 1"},
        {"dialog battle_game_movement_panel 762 506 256 110 visible 1"},
        {"dialog battle_game_movement_panel_lock 762 506 256 110 visible 0"},
        {"dialog battle_game_central_icons_check 382 638 260 32 visible 1"},
        {"dialog battle_game_central_icons_states 142 672 740 16 visible 1"},
        {"dialog battle_game_central_icons_1 142 688 740 72 visible 1"},
        {"dialog battle_game_central_icons_2 142 688 740 72 visible 0"},
        {"dialog battle_game_central_icons_3 142 688 740 72 visible 0"},
        {"dialog battle_game_ship_player "},
        {"dialog battle_game_ship_enemy "},
        {"dialog battle_game_log 292 56 440 118 visible 0"},
    };
    for (const Place& p : places) EXPECT_NE(run.out.find(p.line), std::string::npos) << p.line;
    // The commanded column runs at its full speed, its leader's rudder to
    // starboard, and the ship has come round to starboard.
    const std::string ship = Line(run.out, "hud ship \"South 1-1\"");
    ASSERT_FALSE(ship.empty()) << run.out;
    EXPECT_NEAR(Field(ship, "column_ordered"), Field(ship, "column_max"), 0.01);
    EXPECT_GT(Field(ship, "column_max"), 0.0);
    EXPECT_GT(Field(ship, "speed"), 0.5);
    EXPECT_GT(Field(ship, "ordered_rudder"), 0.0);
    EXPECT_GT(Field(ship, "heading"), 1.0);
    const std::string controls = Line(run.out, "hud controls");
    EXPECT_EQ(Field(controls, "speed_item"), 8.0);
    EXPECT_GE(Field(controls, "rudder_bar"), 1.0);
    EXPECT_NE(run.out.find("hud texts timer \"00 : 30\" name \"South 1-1\""), std::string::npos);
    EXPECT_NE(run.out.find("hud marker active 0 \"PlayerActiveLider\""), std::string::npos);
    EXPECT_NE(run.out.find("hud marker enemy 0 \"EnemyLider2\""), std::string::npos);

    // The picture: mostly sea, with the ships, the HUD's panels and the
    // compass card's red north needle.
    int w = 0, h = 0, n = 0;
    unsigned char* px = stbi_load(shot.string().c_str(), &w, &h, &n, 3);
    ASSERT_NE(px, nullptr);
    ASSERT_EQ(w, 1024);
    ASSERT_EQ(h, 768);
    auto at = [&](int x, int y) { return px + 3 * (static_cast<long>(y) * w + x); };
    long sea = 0, notSea = 0;
    for (long i = 0; i < static_cast<long>(w) * h; ++i) {
        const unsigned char* p = px + 3 * i;
        if (p[2] > p[0] + 20) ++sea;
        else ++notSea;
    }
    EXPECT_GT(sea, static_cast<long>(w) * h / 3);
    EXPECT_GT(notSea, static_cast<long>(w) * h / 40);
    long red = 0;
    for (int y = 6; y < 106; ++y)
        for (int x = 918; x < 1018; ++x) {
            const unsigned char* p = at(x, y);
            if (p[0] > 150 && p[1] < 80 && p[2] < 80) ++red;
        }
    EXPECT_GT(red, 30);
    // The timer's digits in their warm colour.
    long digits = 0;
    for (int y = 8; y < 48; ++y)
        for (int x = 442; x < 582; ++x) {
            const unsigned char* p = at(x, y);
            if (p[0] > 200 && p[1] > 170 && p[2] < 160) ++digits;
        }
    EXPECT_GT(digits, 20);
    stbi_image_free(px);
}

TEST(HudBattleTest, ClicksOnShipsAndIconsAndHotKeysChooseTheCommandedShip) {
    const fs::path dir = VornaTest::FreshFolder();
    // Where the ships stand at frame 10.
    const HudRun where = Battle("", "--frames 10", dir / "where");
    ASSERT_EQ(where.exitCode, 0) << where.out;
    int x = 0, y = 0, ex = 0, ey = 0;
    ASSERT_TRUE(ShipAt(where.out, "South 2-1", x, y)) << where.out;
    ASSERT_TRUE(ShipAt(where.out, "North 1-1", ex, ey)) << where.out;

    // The pointer rests on an own ship: its popup and cursor (seen at frame
    // 30); a click then commands it (and the camera comes to it).
    std::ostringstream script;
    script << "10 click " << x << " " << y << "\n30 click " << x << " " << y << "\n";
    const HudRun own = Battle(script.str(), "--frames 50 --report-every 30", dir / "own");
    ASSERT_EQ(own.exitCode, 0) << own.out;
    const size_t at30 = own.out.find("hud frame 30 ");
    ASSERT_NE(at30, std::string::npos) << own.out;
    const std::string popup = Line(own.out.substr(at30), "hud popup");
    EXPECT_NE(popup.find("hud popup player 1 enemy 0"), std::string::npos) << popup;
    EXPECT_NE(popup.find("text \"South 2-1\""), std::string::npos) << popup;
    const size_t atEnd = own.out.find("hud frame -1 ");
    ASSERT_NE(atEnd, std::string::npos);
    EXPECT_NE(own.out.find("hud ship \"South 2-1\"", atEnd), std::string::npos) << own.out;
    EXPECT_NE(own.out.find("hud selected 3 page 1 position 0", atEnd), std::string::npos) << own.out;

    // The pointer on an enemy ship: the enemy popup with the hit chance.
    std::ostringstream enemyScript;
    enemyScript << "10 click " << ex << " " << ey << "\n";
    const HudRun enemy = Battle(enemyScript.str(), "--frames 40", dir / "enemy");
    ASSERT_EQ(enemy.exitCode, 0) << enemy.out;
    const std::string enemyPopup = Line(enemy.out, "hud popup");
    EXPECT_NE(enemyPopup.find("hud popup player 0 enemy 1"), std::string::npos) << enemyPopup;
    EXPECT_NE(enemyPopup.find("\"North 1-1\" accuracy \""), std::string::npos) << enemyPopup;
    // The commanded ship stays as it was.
    EXPECT_NE(enemy.out.find("hud selected 0 page 0 position 0"), std::string::npos);

    // An icon, then the hot key of column 3, then that of column 2.
    const HudRun keys = Battle("5 press battle_game_central_icons_1 Icon_South_1-2\n"
                            "30 key down 4\n32 key up 4\n60 key down 3\n62 key up 3\n",
                            "--frames 80 --report-every 25", dir / "keys");
    ASSERT_EQ(keys.exitCode, 0) << keys.out;
    const size_t at25 = keys.out.find("hud frame 25 ");
    const size_t at50 = keys.out.find("hud frame 50 ");
    const size_t keysEnd = keys.out.find("hud frame -1 ");
    ASSERT_NE(at25, std::string::npos);
    ASSERT_NE(at50, std::string::npos);
    ASSERT_NE(keysEnd, std::string::npos);
    EXPECT_NE(keys.out.find("hud selected 1 page 0 position 1", at25), std::string::npos);
    EXPECT_LT(keys.out.find("hud selected 1 page 0 position 1", at25), at50);
    EXPECT_LT(keys.out.find("hud selected 5 page 2 position 0", at50), keysEnd);
    EXPECT_NE(keys.out.find("hud selected 3 page 1 position 0", keysEnd), std::string::npos);
    // A follower's orders come from its leader: the lock panel shows at 25.
    EXPECT_NE(keys.out.find("hud icons 1 items 3 selected 1 visible 1", at25), std::string::npos);
}
