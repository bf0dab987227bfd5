// The campaign played from its start in a real X window, as a user plays
// it, through the X server's test extension: the logo, the menu, the first
// map's loading picture, the map; a column selected, sent along a route set
// with the movement sliders, an attack order, the global map, the end of the
// turn and the computer's phase; a save from the map's menu, the program
// ended and started again, the save loaded from the menu's load dialog; the
// mission's end, the second map and the score screen. A numbered picture of
// the window is kept at every step in the test's folder (printed as the
// test runs), and each step is checked in the picture's pixels at the places
// the screen files give, and in the program's log.
//
// The menu's Start begins the short patrol scenario: two small maps of two
// rounds and one, whose enemy is a gunless signal station (and, on the
// first, a corvette far out of range), so the computer's phases are short
// and each map ends on its round limit.
#include "campaign/x11/CampaignWindow.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using VornaTest::Rgb;
using VornaTest::FramesMs;
using VornaTest::ScreenBox;

namespace {

// The movement flags over the icons: green while the column can move, pink
// once it has sailed its turn.
bool FlagGreen(const Rgb& c) { return c.g > 150 && c.r < 130 && c.g > c.b + 50; }
bool FlagPink(const Rgb& c) { return c.r > 180 && c.g < 110 && c.b < 140; }
// The red ring under a target and the red markers of the global map.
bool RingRed(const Rgb& c) { return c.r > 170 && c.g < 90 && c.b < 90; }
bool MarkerGreen(const Rgb& c) { return c.g > 150 && c.r < 120 && c.b < 140; }
// A letter of the demo's fonts: light grey to white.
bool Letter(const Rgb& c) { return c.r > 170 && c.g > 170 && c.b > 170; }
// The loading pictures: the strait's orange sky, the cape's pale blue one.
bool StraitSky(const Rgb& c) { return c.r > 120 && c.r > c.b + 30; }
bool CapeSky(const Rgb& c) { return c.b > 120 && c.b > c.r + 30 && c.r > 60; }

class CampaignWalkthrough : public VornaTest::CampaignWindowTest {
protected:
    void SetUp() override {
        CampaignWindowTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        std::string menu = VornaTest::ReadText(fs::path(VORNA_BIN_DIR) / "Campaign" / "Screens" / "menu.xml");
        const std::string from = "<File>demo_campaign.xml</File>";
        const std::size_t at = menu.find(from);
        ASSERT_NE(at, std::string::npos);
        menu.replace(at, from.size(), "<File>test_patrol.xml</File>");
        fs::remove(ScreenFolder() / "menu.xml");
        VornaTest::WriteText(ScreenFolder() / "menu.xml", menu);
        m_pMenu = std::make_unique<VornaTest::ScreenPlaces>(Screen("menu.xml"));
        m_pScenario = std::make_unique<VornaTest::ScreenPlaces>(Screen("scenario.xml"));
        m_pMap = std::make_unique<VornaTest::ScreenPlaces>(Screen("map.xml"));
        m_pLoad = std::make_unique<VornaTest::ScreenPlaces>(Screen("load.xml"));
        ASSERT_TRUE(m_pMenu->Loaded() && m_pScenario->Loaded() && m_pMap->Loaded() && m_pLoad->Loaded());
        std::printf("pictures in %s\n", m_dir.c_str());
    }

    // A numbered picture of the window, the step's name after the number,
    // once the program has drawn what it took last.
    void Step(const std::string& name) {
        WaitFrames(1);
        char number[16];
        std::snprintf(number, sizeof number, "%02d_", ++m_iStep);
        EXPECT_FALSE(Picture(number + name).empty()) << name;
    }

    // The places of the screens in the window: the map screen's by
    // Dialog and Control, the others' through these.
    const VornaTest::ScreenPlaces& Menu() const { return *m_pMenu; }
    const VornaTest::ScreenPlaces& Scenario() const { return *m_pScenario; }
    const VornaTest::ScreenPlaces& Load() const { return *m_pLoad; }
    ScreenBox Dialog(const std::string& name) const { return m_pMap->Dialog(name); }
    ScreenBox Control(const std::string& dialog, int index, int sub = -1) const {
        return m_pMap->Control(dialog, index, sub);
    }
    // A dialog of the map screen is shown when its panel covers much of its
    // place.
    bool Shown(const std::string& dialog) const { return Bevelled(Dialog(dialog)); }
    // The icon of player unit i (the map lays them out in its Icons dialog)
    // and the movement flag above it.
    ScreenBox Icon(int i) const {
        const ScreenBox d = Dialog("Icons");
        const double shift = 10.09 * i;
        return {d.XAt(1.09 + shift), d.YAt(4.16), d.XAt(9.2 + shift), d.YAt(97.5)};
    }
    Rgb Flag(int i) const {
        const ScreenBox f = Control("IconsFlags", i);
        return Pixel(f.X(), f.Y());
    }
    // The speed display of the Movement dialog shows a bar while the column
    // has way on.
    bool SpeedShown() const {
        const ScreenBox bar = Control("Movement", 1);
        return CountPixels(bar.left, bar.top, bar.Width() / 3, bar.Height(),
                           [](const Rgb& c) { return c.Sum() > 240; }) > 20;
    }
    // An enemy unit on the sea, found as a player finds it: the pointer
    // rests on points of the view until the hint under it names an enemy
    // (in red letters). The point, or (-1, -1).
    std::pair<int, int> FindEnemy() {
        const ScreenBox hint = Dialog("UnitDescription");
        const int right = Dialog("ShipGuns").left, bottom = Dialog("Movement").top;
        for (int y = 80; y + 40 < bottom; y += 50)
            for (int x = 30; x + 30 < right; x += 60) {
                MovePointer(x, y);
                const ScreenBox at{x, y + 32, x + hint.Width(), y + 32 + hint.Height()};
                if (CountPixels(at.left, at.top, at.Width(), at.Height() / 2,
                                [](const Rgb& c) { return c.r > 200 && c.g < 80 && c.b < 80; }) > 10)
                    return {x, y};
            }
        return {-1, -1};
    }
    // Presses a map button until the log shows `line` after `from`.
    bool PressUntilLog(const ScreenBox& button, const std::string& line, std::size_t from) {
        return ClickUntil(button.X(), button.Y(), [&] { return LogHas(line, from); });
    }
    // Go until the column has way on, then waits until it has sailed its
    // turn: the flag over its first icon turns from green to pink.
    void SailTheTurn(const std::string& sailing, const std::string& sailed) {
        const ScreenBox go = Control("Movement", 3);
        ASSERT_TRUE(ClickUntil(go.X(), go.Y(), [&] { return SpeedShown(); })) << Log();
        Step(sailing);
        ASSERT_TRUE(WaitFor([&] { return FlagPink(Flag(0)); }, FramesMs(600))) << Log();
        Step(sailed);
        EXPECT_TRUE(FlagPink(Flag(1)));
    }
    // End of turn: the computer's notice stands at its place while it plays;
    // the round's result follows.
    void EndTheTurn(int nextTurn, const std::string& picture) {
        const std::size_t from = LogSize();
        const ScreenBox endTurn = Control("MapControl", 1);
        ASSERT_TRUE(PressUntilLog(endTurn, "AI start proc", from)) << Log();
        const bool notice = WaitFor([&] { return Shown("AIActionTime") || LogHas("Calculate Round result", from); });
        Step(picture);
        EXPECT_TRUE(notice);
        ASSERT_TRUE(WaitForLog("------------------- TURN : " + std::to_string(nextTurn), FramesMs(600), from))
            << Log();
        EXPECT_TRUE(LogHas("Calculate Round result", from));
    }
    // The mission's end notice, then Continue: the log names the map won.
    void ContinueAfterTheMission(const std::string& mapName, const std::string& picture) {
        ASSERT_TRUE(WaitFor([&] { return Shown("MissionEnd"); }, FramesMs(120))) << Log();
        Step(picture);
        EXPECT_TRUE(LogHas("m_uRound >= m_uRoundsCount : End Map"));
        // The button answers once the notice has stood for two seconds.
        const ScreenBox next = Control("MissionEnd", 0);
        ASSERT_TRUE(ClickUntil(next.X(), next.Y(), [&] { return LogHas("Mission complete : " + mapName); }, 6))
            << Log();
    }

    std::unique_ptr<VornaTest::ScreenPlaces> m_pMenu, m_pScenario, m_pMap, m_pLoad;
    int m_iStep = 0;
};

TEST_F(CampaignWalkthrough, FromTheLogoToTheScoreScreen) {
    const auto started = std::chrono::steady_clock::now();

    // The logo, the menu.
    ASSERT_TRUE(StartCampaign()) << Log();
    ASSERT_TRUE(FromTheLogoToTheMenu("01_logo", "02_menu")) << Log();
    m_iStep = 2;

    // The Campaign dialog's Start: the loading picture of the first map, its
    // own Start button standing on it.
    const ScreenBox start = Menu().Control("Campaign", 0);
    ASSERT_TRUE(ClickUntil(start.X(), start.Y(), [&] { return StraitSky(Pixel(100, 40)); })) << Log();
    const ScreenBox loadingStart = Scenario().Control("Loading", 0);
    ASSERT_TRUE(WaitFor([&] { return !StraitSky(Pixel(loadingStart.X(), loadingStart.top + 3)); }));
    Step("loading_map1");

    // Its Start loads the map: the turn panel, the movement dialog, the
    // ship's panels and one icon per ship, the first ship's flag green.
    ASSERT_TRUE(ClickUntil(loadingStart.X(), loadingStart.Y(),
                           [&] { return LogHas("CDX9KelGameMap::LoadMap() : test_outpost.map"); }))
        << Log();
    ASSERT_TRUE(WaitForLog("CDX9KelGameMap::LoadMap() : OK", FramesMs(240))) << Log();
    ASSERT_TRUE(WaitFor([&] { return Shown("MapControl") && Shown("Movement"); })) << Log();
    Step("map1");
    for (const char* d : {"ShipGuns", "ShipParts"}) EXPECT_TRUE(Shown(d)) << d;
    EXPECT_FALSE(Shown("GlobalMap"));
    EXPECT_TRUE(FlagGreen(Flag(0)) && FlagGreen(Flag(1)));
    EXPECT_FALSE(Pixel(Icon(2).X(), Icon(2).Y()).Near(Pixel(Icon(0).X(), Icon(0).Y()), 4));

    // The map starts with its first ship active (the press on the loading
    // screen's Start picks nothing on the map); the second ship's icon makes
    // that ship the active unit and its column the active column.
    {
        const std::string line = "CDX9KelGameMap::SetActivePlayerObject : ";
        EXPECT_TRUE(LogHas(line + "0\n"));
        EXPECT_FALSE(LogHas(line + "1\n")) << Log();
        const std::size_t from = LogSize();
        const ScreenBox icon = Icon(1);
        ASSERT_TRUE(ClickUntil(icon.X(), icon.Y(), [&] { return LogHas(line + "1\n", from); })) << Log();
        ASSERT_TRUE(WaitForLog(line + "OK", FramesMs(20), from));
        EXPECT_TRUE(LogHas("CDX9KelGameMap::SelectActiveColumn", from));
        Step("column_selected");
    }

    // The speed slider at three quarters (the rudder stays amidships: a
    // column at rest gathers way on a straight course).
    const ScreenBox speed = Control("Movement", 2);
    auto speedThumb = [&] {
        return CountPixels(speed.XAt(70), speed.top, speed.Width() / 10, speed.Height(),
                           [](const Rgb& c) { return c.Sum() > 400; });
    };
    const int thumbBefore = speedThumb();
    Click(speed.XAt(75), speed.Y());
    EXPECT_TRUE(WaitFor([&] { return speedThumb() > thumbBefore + 10; }))
        << "the speed slider's thumb did not come to three quarters";
    Step("route_planned");

    // An attack order: the first gun group (marked as able to fire), then a
    // click on the target (the signal station).
    {
        const std::pair<int, int> ring = FindEnemy();
        ASSERT_GE(ring.first, 0) << "no enemy under the pointer anywhere in the view";
        Step("enemy_hint");
        const ScreenBox gun = Control("ShipGuns", 0, 0);
        const std::size_t from = LogSize();
        // Selected, the group's button darkens, and over the target the hint
        // tells the chance to hit in amber letters.
        const Rgb free = Pixel(gun.left + 6, gun.Y());
        auto selected = [&] { return !Pixel(gun.left + 6, gun.Y()).Near(free, 12); };
        const ScreenBox hint = Dialog("UnitDescription");
        auto aimed = [&] {
            MovePointer(ring.first, ring.second);
            return WaitFor([&] {
                return CountPixels(ring.first, ring.second + 32, hint.Width(), hint.Height(),
                                   [](const Rgb& c) { return c.r > 180 && c.g > 120 && c.b < 90; }) > 10;
            });
        };
        const std::string order = "CDX9KelBattleSystem::BeginBombardment : Petrel attack Signal Station";
        bool ordered = false;
        for (int attempt = 0; attempt < 4 && !ordered; ++attempt) {
            // A check button held past the dialog's click window toggles
            // again, and on a loaded machine one frame can outlast that
            // window: the button is let go as soon as it shows the press,
            // and pressed again only while it shows none (a group the
            // order cleared, or a press that was not taken).
            if (!selected()) PressUntilChanged(gun.X(), gun.Y(), gun.left + 6, gun.Y());
            if (!aimed()) continue;
            if (attempt == 0) Step("target_aimed");
            ordered = Press(ring.first, ring.second, [&] { return LogHas(order, from); }) ||
                      WaitForLog(order, FramesMs(20), from);
        }
        ASSERT_TRUE(ordered) << Log();
        Step("attack_order");
    }

    // Go: the column gathers way (the speed display fills); End turn while
    // it sails is refused with the notice to finish the movement first.
    {
        const ScreenBox go = Control("Movement", 3);
        ASSERT_TRUE(ClickUntil(go.X(), go.Y(), [&] { return SpeedShown(); }, 8)) << Log();
        Step("column_sailing");
        const std::size_t from = LogSize();
        const ScreenBox endTurn = Control("MapControl", 1);
        const bool refused = ClickUntil(endTurn.X(), endTurn.Y(), [&] { return Shown("FinishMov"); });
        Step("finish_movement_first");
        EXPECT_TRUE(refused);
        EXPECT_FALSE(LogHas("AI start proc", from));
        const bool sailed = WaitFor([&] { return FlagPink(Flag(0)); }, FramesMs(600));
        Step("column_sailed");
        ASSERT_TRUE(sailed) << Flag(0).r << " " << Flag(0).g << " " << Flag(0).b << "\n" << Log();
        EXPECT_TRUE(FlagPink(Flag(1)));
    }

    // The chart: the map's picture in the GlobalMap dialog with a green
    // marker for each ship and red ones for the enemy; X closes it.
    {
        const ScreenBox chart = Control("MapControl", 2);
        const ScreenBox g = Dialog("GlobalMap");
        auto markers = [&](bool (*colour)(const Rgb&)) {
            return CountPixels(g.left, g.top, g.Width(), g.Height(), [&](const Rgb& c) { return colour(c); });
        };
        // The chart's button shows and hides it: pressed again only while
        // no chart stands.
        ASSERT_TRUE(ClickUntil(
            chart.X(), chart.Y(), [&] { return Bevelled(g) && markers(MarkerGreen) > 20; }, 4, FramesMs(20),
            [&] { return !Bevelled(g); }))
            << Log();
        Step("global_map");
        EXPECT_GT(markers(RingRed), 20);
        const ScreenBox close = Control("GlobalMapControls", 0);
        const bool closed = ClickUntil(close.X(), close.Y(), [&] { return !Bevelled(g); });
        Step("global_map_closed");
        ASSERT_TRUE(closed) << Log();
        EXPECT_FALSE(Shown("GlobalMap"));
    }

    // End of turn 1: the computer's phase, then turn 2.
    ASSERT_NO_FATAL_FAILURE(EndTheTurn(2, "enemy_phase"));
    EXPECT_TRUE(WaitFor([&] { return !Shown("AIActionTime") && FlagGreen(Flag(0)); }));
    Step("turn2");

    // The column has way on now: the rudder to starboard bends its route.
    {
        const ScreenBox rudder = Control("Movement", 0);
        auto thumbAt = [&](double percent) {
            return CountPixels(rudder.XAt(percent - 5), rudder.top, rudder.Width() / 10, rudder.Height(),
                               [](const Rgb& c) { return c.Sum() > 400; });
        };
        const int before = thumbAt(65);
        Click(rudder.XAt(65), rudder.Y());
        EXPECT_TRUE(WaitFor([&] { return thumbAt(65) > before + 10; }))
            << "the rudder's thumb did not come to starboard";
        Step("route_bent");
    }

    // The map's menu, its Save game: the save dialog over it; a name typed
    // into the name box and Save: the file is written and the dialog goes.
    {
        const ScreenBox menuButton = Control("MapControl", 3);
        const bool menu = ClickUntil(menuButton.X(), menuButton.Y(), [&] { return Shown("MapMenu"); });
        Step("map_menu");
        ASSERT_TRUE(menu) << Log();
        const ScreenBox save = Control("MapMenu", 0);
        const ScreenBox saveMenu = Dialog("SaveMenu");
        ASSERT_TRUE(ClickUntil(save.X(), save.Y(), [&] { return Bevelled(saveMenu); }))
            << Log();
        const ScreenBox name = Control("SaveMenu", 1);
        const ScreenBox saveButton = Control("SaveMenu", 2);
        // The name box takes the keyboard behind the dialog's click gate: held
        // until its cursor (a light grey bar) shows.
        ASSERT_TRUE(ClickUntil(name.XAt(20), name.Y(), [&] {
            return CountPixels(name.left, name.top, name.Width(), name.Height(),
                               [](const Rgb& c) { return c.Sum() > 420; }) > 5;
        })) << Log();
        Type("patrol");
        Step("save_dialog");
        ASSERT_TRUE(ClickUntil(saveButton.X(), saveButton.Y(),
                               [&] { return fs::exists(SaveFolder() / "patrol.wxsave"); }))
            << Log();
        EXPECT_TRUE(WaitFor([&] { return !Bevelled(saveMenu); }));
        Step("saved");
        // Quit from the map's menu ends the program.
        const ScreenBox quit = Control("MapMenu", 2);
        Click(quit.X(), quit.Y());
        EXPECT_EQ(WaitForExit(), 0) << Log();
    }

    // Started again, only the player's save is left to load (the turn's
    // autosave goes): Load game, the save, its details, Load.
    for (const auto& e : fs::directory_iterator(SaveFolder()))
        if (e.is_regular_file() && e.path().filename() != "patrol.wxsave") fs::remove(e.path());
    // Copies of it, enough that the load dialog's list runs past its foot.
    for (int i = 1; i <= 40; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "patrol %02d.wxsave", i);
        fs::copy_file(SaveFolder() / "patrol.wxsave", SaveFolder() / name);
    }
    fs::rename(m_log, m_dir / "first_run.log");
    ASSERT_TRUE(StartCampaign()) << Log();
    ASSERT_TRUE(FromTheLogoToTheMenu()) << Log();
    {
        const ScreenBox loadGame = Menu().Control("Campaign", 3);
        const ScreenBox dialog = Load().Dialog("Load");
        ASSERT_TRUE(ClickUntil(loadGame.X(), loadGame.Y(), [&] { return Bevelled(dialog); }))
            << Log();
        const ScreenBox list = Load().Control("Load", 0);
        const ScreenBox turnText = Load().Control("Load", 5);
        auto details = [&] {
            return CountPixels(turnText.left, turnText.top, turnText.Width(), turnText.Height(), Letter) > 10;
        };
        ASSERT_TRUE(ClickUntil(list.XAt(30), list.top + 10, details)) << Log();
        Step("load_dialog");
        // The lower arrow of the list's scroll bar, held, scrolls the list:
        // its lines of names move up.
        auto lines = [&] {
            std::vector<int> rows;
            for (int y = list.top; y < list.bottom; ++y) rows.push_back(CountPixels(list.left, y, list.Width() - 24, 1, Letter));
            return rows;
        };
        const std::vector<int> before = lines();
        MovePointer(list.right - 10, list.bottom - 10);
        Button(true);
        const bool scrolled = WaitFor([&] { return lines() != before; }, FramesMs(20));
        Button(false);
        Step("load_list_scrolled");
        ASSERT_TRUE(scrolled) << "the list's arrow does not scroll it\n" << Log();
        const ScreenBox load = Load().Control("Load", 1);
        ASSERT_TRUE(ClickUntil(load.X(), load.Y(), [&] { return LogHas("CDX9KelGameMap::LoadFromSave()"); }))
            << Log();
        ASSERT_TRUE(WaitForLog("CDX9KelGameMap::LoadFromSave() : OK", FramesMs(240))) << Log();
        EXPECT_TRUE(LogHas("CDX9KelGameMap::LoadFromSave() : test_outpost.map"));
        ASSERT_TRUE(WaitFor([&] { return Shown("MapControl") && Shown("Movement"); })) << Log();
        Step("loaded_map1_turn2");
        EXPECT_TRUE(FlagGreen(Flag(0)));
    }

    // Turn 2 of the loaded game: the speed at three quarters and the rudder
    // amidships (its Centre button); the column sails the turn and the turn
    // ends. The round that follows is the third: the loaded game was in
    // turn 2, the map's last, so the map ends.
    {
        const ScreenBox speed2 = Control("Movement", 2);
        const ScreenBox centre = Control("Movement", 6);
        const ScreenBox rudder = Control("Movement", 0);
        // The rudder's thumb amidships: bright pixels around the track's middle.
        auto rudderAmidships = [&] {
            return CountPixels(rudder.XAt(45), rudder.top, rudder.Width() / 10, rudder.Height(),
                               [](const Rgb& c) { return c.Sum() > 400; }) > 10;
        };
        Click(speed2.XAt(75), speed2.Y());
        // A second button right after the slider may fall inside the map's
        // click window; it is pressed again only while the rudder shows
        // that it was not taken.
        ASSERT_TRUE(ClickUntil(centre.X(), centre.Y(), rudderAmidships, 4, FramesMs(20),
                               [&] { return !rudderAmidships(); }))
            << "the rudder did not come amidships";
        Step("route_after_load");
        ASSERT_NO_FATAL_FAILURE(SailTheTurn("column_sailing_turn2", "column_sailed_turn2"));
        ASSERT_NO_FATAL_FAILURE(EndTheTurn(3, "enemy_phase_turn2"));
        EXPECT_FALSE(LogHas("------------------- TURN : 2"));
        ASSERT_NO_FATAL_FAILURE(ContinueAfterTheMission("test_outpost.map", "mission_end_map1"));
    }

    // The second map's loading picture, its Start, the map.
    {
        const bool cape = WaitFor([&] { return CapeSky(Pixel(100, 40)); }, FramesMs(120));
        Step("loading_map2");
        ASSERT_TRUE(cape) << Pixel(100, 40).r << " " << Pixel(100, 40).g << " " << Pixel(100, 40).b << "\n" << Log();
        ASSERT_TRUE(ClickUntil(loadingStart.X(), loadingStart.Y(),
                               [&] { return LogHas("CDX9KelGameMap::LoadMap() : test_roadstead.map"); }))
            << Log();
        ASSERT_TRUE(WaitFor([&] {
            const std::string log = Log();
            const std::size_t at = log.find("CDX9KelGameMap::LoadMap() : test_roadstead.map");
            return at != std::string::npos && log.find("CDX9KelGameMap::LoadMap() : OK", at) != std::string::npos;
        }, FramesMs(240))) << Log();
        ASSERT_TRUE(WaitFor([&] { return Shown("MapControl") && Shown("Movement"); })) << Log();
        Step("map2");
    }

    // Its one round: the column at rest ends the turn at once; the
    // computer's phase, the mission's end, and Continue leads to the score
    // screen: the scenario's End dialog with both sides' scores.
    ASSERT_NO_FATAL_FAILURE(EndTheTurn(2, "enemy_phase_map2"));
    ASSERT_NO_FATAL_FAILURE(ContinueAfterTheMission("test_roadstead.map", "mission_end_map2"));
    {
        const ScreenBox end = Scenario().Dialog("End");
        ASSERT_TRUE(WaitFor([&] { return Bevelled(end); }, FramesMs(120))) << Log();
        Step("score_screen");
        for (int text : {0, 1}) {
            const ScreenBox score = Scenario().Control("End", text);
            EXPECT_GT(CountPixels(score.left, score.top, score.Width(), score.Height(),
                                  [](const Rgb& c) { return c.r > 200 && c.g > 170; }),
                      10)
                << "score text " << text;
        }
        EXPECT_FALSE(StraitSky(Pixel(100, 40)) || CapeSky(Pixel(100, 40))) << "the loading picture stays";
    }
    EXPECT_EQ(Terminate(), 0);
    std::printf("walkthrough %.1f s\n",
                std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
}

} // namespace
