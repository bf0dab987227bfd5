// The seabattle program in a real X window, played from its main menu with
// the X server's test extension as a hand plays it: Start, then in the
// harbour Buy and OK (a fourth ship joins the fleet's list), Columns, the
// three ships into two columns, To battle and OK; in the battle the arrows
// ask for full speed and a turn. Places come from the screens' files; each
// step is seen in the window's pixels (an icon card appears where the list
// was empty, a dialog's dark top strip stands where it opens) and in the
// program's log, and each screen's picture is saved.
#include "TestFolder.h"
#include "common/DemoData.h"
#include "common/X11Program.h"

#include <gtest/gtest.h>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

#include <filesystem>
#include <functional>
#include <string>
#include <sys/wait.h>

namespace fs = std::filesystem;
using VornaTest::FramesMs;
using VornaTest::Rgb;

namespace {

// Places in the 1024 x 768 window, from the screens' files.
struct Place {
    int x, y;
};
constexpr Place kStart = {512, 384 - 190 + 96};            // main menu: Start
constexpr Place kAboveLoading = {512, 384 - 150};          // main menu: its panel above the loading panel
constexpr Place kBuy = {1024 - 318 + 254, 8 + 356};          // harbour panel: Buy
constexpr Place kAskOk = {512 - 180 + 100, 384 - 70 + 110};  // any question box: OK
constexpr Place kAskStrip = {512 - 180 + 20, 384 - 70 + 7};  // any question box: its top strip
constexpr Place kPauseStrip = {512 - 140 + 20, 384 - 115 + 11}; // pause menu: its top strip
constexpr Place kSavesStrip = {512 - 300 + 20, 384 - 220 + 22}; // save / load screen: its top strip
constexpr Place kCheckStrip = {512 - 150 + 20, 384 - 60 + 6};   // save / load screen's question: its top strip
constexpr Place kNext = {8 + 323, 8 + 24};                   // both menus: Columns / To battle
constexpr Place kShopCard = {16 + 40, 64 + 28 + 20};         // harbour: the shop's first card
constexpr Place kFourthShip = {16 + 3 * 132 + 40, 768 - 112 + 28 + 20}; // harbour: fourth own ship card
constexpr Place kAdd[2] = {{152 + 464, 180 + 18}, {152 + 464, 180 + 106 + 18}}; // columns: Add of 1 and 2
constexpr Place kBattleMenu = {512 + 76 + 48, 8 + 20};      // battle: the Menu button
constexpr Place kPauseSave = {512 - 140 + 140, 384 - 115 + 130}; // pause menu: Save
constexpr Place kPauseLeave = {512 - 140 + 140, 384 - 115 + 174}; // pause menu: Main menu
constexpr Place kSaveName = {512 - 300 + 170, 384 - 220 + 354};  // save screen: the name box
constexpr Place kSaveOrLoad = {512 - 300 + 190, 384 - 220 + 406}; // save / load screen: Save / Load
constexpr Place kCheckOk = {512 - 150 + 80, 384 - 60 + 88};      // save / load screen's question: OK
constexpr Place kMenuLoad = {512, 384 - 190 + 228};              // main menu: Load
constexpr Place kMenuQuit = {512, 384 - 190 + 376};              // main menu: Quit
constexpr Place kColumnCard[3] = {{152 + 8 + 40, 180 + 32 + 20},      // column 1, first card
                                  {152 + 8 + 40, 180 + 106 + 32 + 20}, // column 2, first card
                                  {152 + 8 + 132 + 40, 180 + 32 + 20}}; // column 1, second card

// The dark strip along the top of a dialog's panel (its texture's colour),
// from 2 % to 10 % of the panel's height (probed at 5 %).
constexpr Rgb kStrip = {27, 37, 52};
// A ship card's face is light; the panels and the sea are dark.
bool Light(const Rgb& c) { return c.Valid() && c.Sum() > 3 * 170; }

class PlayFromTheMenu : public VornaTest::X11ProgramTest {
protected:
    void SetUp() override {
        X11ProgramTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        m_program = m_dir / "program";
        // The saves stay in the test's own folder, not in the shared one.
        fs::create_directories(m_program / "Saves");
        fs::copy_file(fs::path(VORNA_BIN_DIR) / "seabattle", m_program / "seabattle");
        VornaTest::LinkDemoData(m_program);
        m_log = m_program / "Vorna3Log.log";
        Launch(m_program, "seabattle", {});
    }

    std::string Log() const { return VornaTest::ReadText(m_log); }
    bool LogHas(const std::string& text) const { return Log().find(text) != std::string::npos; }
    bool WaitForLog(const std::string& text, int ms) const {
        return WaitFor([&] { return LogHas(text); }, ms);
    }
    Rgb At(Place p) const { return Pixel(p.x, p.y); }
    bool LightAt(Place p) const { return Light(At(p)); }
    bool WaitForLight(Place p, int ms = FramesMs(40)) const {
        return WaitFor([&] { return LightAt(p); }, ms);
    }
    // The button at the place held down until `taken` holds, then let go
    // (the screens' gates take a press on its second frame down, and a
    // press held on takes again); pressed again, up to three times, only
    // while `notTaken` holds.
    bool PressUntil(Place p, const std::function<bool()>& taken, const std::function<bool()>& notTaken) {
        return ClickUntil(p.x, p.y, taken, 3, FramesMs(20), notTaken);
    }
    // A dialog's dark top strip (its panel's texture) at the place.
    bool StripAt(Place p) const { return At(p).Near(kStrip, 14); }
    // Whether the save screen's name box shows letters (light pixels right
    // of where the empty box's cursor stands).
    bool NameBoxHasLetters() const {
        return CountPixels(kSaveName.x - 150 + 6, kSaveName.y - 12, 280, 24, Light) > 0;
    }
    // The pixels of a box of the window, 0xRRGGBB each; empty when it cannot
    // be read.
    std::vector<unsigned long> Box(int left, int top, int width, int height) const {
        std::vector<unsigned long> out;
        XImage* image = XGetImage(m_display, m_window, left, top, width, height, AllPlanes, ZPixmap);
        if (!image) return out;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) out.push_back(XGetPixel(image, x, y) & 0xFFFFFF);
        XDestroyImage(image);
        return out;
    }
    // Whether the battle plays: the sea and the ships left of the pause
    // menu's place change from one look to the next (a paused battle stands
    // still, its sea too). Looks once a second for up to `ms`.
    bool BattlePlays(int ms) const {
        std::vector<unsigned long> before = Box(40, 160, 300, 300);
        for (int t = 0; t < ms; t += 1000) {
            VornaTest::SleepMs(1000);
            const std::vector<unsigned long> now = Box(40, 160, 300, 300);
            int changed = 0;
            for (size_t i = 0; i < now.size() && i < before.size(); ++i) changed += now[i] != before[i];
            if (!now.empty() && changed > 200) return true;
            before = now;
        }
        return false;
    }

    // Waits for the program's main loop and window (1024 x 768) and for its
    // main menu to stand still; keeps the colour of the menu's panel.
    void WaitForTheMenu() {
        ASSERT_TRUE(WaitForWindow([&] { return LogHas("Start Main Loop"); }, 1024, 768)) << Log();
        const bool still = WaitFor([&] {
            const Rgb before = m_menu;
            m_menu = At(kAboveLoading);
            WaitFrames(1);
            return m_menu.Valid() && m_menu.Sum() > 0 && m_menu.Near(before, 0);
        });
        ASSERT_TRUE(still) << "nothing drawn, or the menu does not stand still";
    }
    bool MenuShown() const { return At(kAboveLoading).Near(m_menu, 8); }
    // The program's exit code once it has ended (-2 for a signal), -1 while
    // it runs.
    int Ended() {
        int status = 0;
        if (m_pid <= 0 || ::waitpid(m_pid, &status, WNOHANG) != m_pid) return m_pid <= 0 ? -2 : -1;
        m_pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -2;
    }
    // A key held down while the program draws `frames` frames.
    void HoldKeyFrames(KeySym key, int frames) {
        const long until = Frames() + frames + 1;
        HoldKey(key, [&] { return Frames() >= until; }, FramesMs(4 * frames + 40));
    }
    // From the main menu through the harbour into the battle: Start, Buy and
    // OK, Columns, the three ships into two columns, To battle and OK.
    void PlayIntoTheBattle() {
        // Start: the loading screen takes the menu's place, then the harbour
        // shows the shop's cards.
        auto menuShown = [&] { return MenuShown(); };
        ASSERT_TRUE(PressUntil(kStart, [&] { return !menuShown(); }, menuShown)) << Log();
        ASSERT_TRUE(WaitForLight(kShopCard, FramesMs(240))) << Log();
        ASSERT_FALSE(LightAt(kFourthShip));
        // Buy: the box that asks opens over the harbour, its strip where the
        // harbour shows none; OK in it: a fourth ship's card.
        auto asked = [&] { return StripAt(kAskStrip); };
        ASSERT_FALSE(asked());
        EXPECT_TRUE(PressUntil(kBuy, asked, [&] { return !asked(); })) << Log();
        EXPECT_TRUE(PressUntil(kAskOk, [&] { return LightAt(kFourthShip); }, asked)) << Log();
        EXPECT_FALSE(Picture("harbour").empty());
        // On to the columns (the shop's cards go): a ship into column 1, one
        // into column 2, the third into column 1. A press on Add is let go as
        // soon as the card shows: held on, it adds one ship more.
        auto harbour = [&] { return LightAt(kShopCard); };
        ASSERT_TRUE(PressUntil(kNext, [&] { return !harbour(); }, harbour)) << Log();
        const Place adds[3] = {kAdd[0], kAdd[1], kAdd[0]};
        for (int i = 0; i < 3; ++i) {
            auto card = [&] { return LightAt(kColumnCard[i]); };
            EXPECT_TRUE(PressUntil(adds[i], card, [&] { return !card(); })) << "ship " << i << "\n" << Log();
        }
        EXPECT_FALSE(Picture("columns").empty());
        // To battle: the box that asks; OK: the battle begins.
        ASSERT_FALSE(asked());
        ASSERT_TRUE(PressUntil(kNext, asked, [&] { return !asked(); })) << Log();
        const std::string begun = "CVR3GAMEManager::ScenarioFromHarbourToBattle() : OK";
        ASSERT_TRUE(PressUntil(kAskOk, [&] { return LogHas(begun); }, asked)) << Log();
    }

    fs::path m_program, m_log;
    Rgb m_menu;
};

TEST_F(PlayFromTheMenu, StartHarbourBuyColumnsAndOnIntoTheBattle) {
    ASSERT_NO_FATAL_FAILURE(WaitForTheMenu());
    ASSERT_NO_FATAL_FAILURE(PlayIntoTheBattle());
    ASSERT_TRUE(WaitForLog("CVR3GAMEManager::ScenarioSave() : autosave_battle_begin", FramesMs(240))) << Log();
    // Full speed ahead and a turn by the keys, each held for a few frames
    // (the HUD takes one order a key per half second).
    for (int i = 0; i < 4; ++i) HoldKeyFrames(XK_Up, 3);
    HoldKeyFrames(XK_Right, 6);
    WaitFrames(4);
    EXPECT_FALSE(Picture("battle").empty());
    const std::string log = Log();
    EXPECT_EQ(log.find("CVR3GAMEHarbourMapPlayerDirectorHuman"), std::string::npos) << log;
    for (const char* failure : {"LoadBattleMapFromFile() failed", "SetHarbourDataToBattleMap() failed",
                                "InitDirectorsBehaviours() failed", "not set current battle map game screen"})
        EXPECT_EQ(log.find(failure), std::string::npos) << failure;
}

// Saved from the pause menu: after the save the battle plays on. The program
// quit by its menus and started again; the load screen lists the save and
// loading it brings the battle back.
TEST_F(PlayFromTheMenu, ABattleSavedFromThePauseMenuLoadsAfterARestart) {
    ASSERT_NO_FATAL_FAILURE(WaitForTheMenu());
    ASSERT_NO_FATAL_FAILURE(PlayIntoTheBattle());
    ASSERT_TRUE(WaitForLog("CVR3GAMEManager::ScenarioSave() : autosave_battle_begin", FramesMs(240))) << Log();
    // The pause menu, its Save: the save screen, whose name box shows the
    // list's first save's name in light letters.
    auto paused = [&] { return StripAt(kPauseStrip); };
    ASSERT_TRUE(PressUntil(kBattleMenu, paused, [&] { return !paused(); })) << Log();
    auto saveScreen = [&] { return StripAt(kSavesStrip); };
    ASSERT_TRUE(PressUntil(kPauseSave, saveScreen, paused)) << Log();
    ASSERT_TRUE(WaitFor([&] { return NameBoxHasLetters(); })) << Log();
    // Backspace held until the box is empty, then a name typed. The box is
    // clicked first, and again should the click that gives it the keyboard
    // not have been taken.
    for (int attempt = 0; attempt < 3 && NameBoxHasLetters(); ++attempt) {
        Click(kSaveName.x, kSaveName.y);
        HoldKey(XK_BackSpace, [&] { return !NameBoxHasLetters(); }, FramesMs(60));
    }
    ASSERT_FALSE(NameBoxHasLetters());
    Type("mine");
    ASSERT_TRUE(WaitFor([&] { return NameBoxHasLetters(); }));
    EXPECT_FALSE(Picture("save_screen").empty());
    // Save: the question; OK: the save.
    const std::string line = "CVR3GAMEManager::ScenarioSave() : m";
    auto check = [&] { return StripAt(kCheckStrip); };
    ASSERT_TRUE(PressUntil(kSaveOrLoad, check, [&] { return !check(); })) << Log();
    ASSERT_TRUE(PressUntil(kCheckOk, [&] { return LogHas(line); }, check)) << Log();
    // The name as typed: each short press gives its letter once, however
    // slow the frames are.
    std::string name;
    {
        const std::string log = Log();
        const size_t at = log.find(line);
        ASSERT_NE(at, std::string::npos);
        const size_t from = at + line.size() - 1;
        name = log.substr(from, log.find('\n', from) - from);
    }
    EXPECT_EQ(name, "mine");
    // Written: the save's own OK follows its line.
    ASSERT_TRUE(WaitFor([&] {
        const std::string log = Log();
        return log.find("CVR3GAMEManager::ScenarioSave() : OK", log.find("ScenarioSave() : " + name)) !=
               std::string::npos;
    })) << Log();
    ASSERT_TRUE(fs::exists(m_program / "Saves" / (name + ".v3savebin"))) << Log();
    // Back in the battle, which plays on: its sea moves again.
    EXPECT_TRUE(BattlePlays(FramesMs(60))) << Log();
    EXPECT_FALSE(Picture("battle_after_save").empty());
    EXPECT_EQ(Log().find("failed", Log().find("ScenarioSave() : " + name)), std::string::npos) << Log();
    // The pause menu stands the battle still again; its Main menu, then
    // Quit, end the program cleanly.
    ClickUntil(kBattleMenu.x, kBattleMenu.y, [&] { return !BattlePlays(3000); });
    EXPECT_FALSE(Picture("paused_after_save").empty());
    ASSERT_TRUE(ClickUntil(kPauseLeave.x, kPauseLeave.y, [&] { return MenuShown(); })) << Log();
    int status = -1;
    const bool ended = ClickUntil(kMenuQuit.x, kMenuQuit.y, [&] { return (status = Ended()) >= 0; });
    ASSERT_TRUE(ended) << "the program did not quit";
    EXPECT_EQ(status, 0);
    // Only the saved game is left to load: the program's own autosaves go.
    for (const fs::directory_entry& e : fs::directory_iterator(m_program / "Saves"))
        if (e.path().stem() != name) fs::remove(e.path());

    // Started again: Load, the save (the only one, so selected), Load and OK.
    fs::rename(m_log, m_dir / "first_run.log");
    Launch(m_program, "seabattle", {});
    ASSERT_NO_FATAL_FAILURE(WaitForTheMenu());
    auto loadScreen = [&] { return StripAt(kSavesStrip); };
    ASSERT_TRUE(PressUntil(kMenuLoad, loadScreen, [&] { return MenuShown(); })) << Log();
    EXPECT_FALSE(Picture("load_screen").empty());
    ASSERT_TRUE(PressUntil(kSaveOrLoad, check, [&] { return !check(); })) << Log();
    ASSERT_TRUE(PressUntil(kCheckOk, [&] { return LogHas("CVR3GAMEManager::ScenarioLoad( 0 ) : "); }, check))
        << Log();
    ASSERT_TRUE(WaitForLog("CVR3GAMEManager::ScenarioLoad( 1 ) : OK", FramesMs(240))) << Log();
    WaitFrames(4);
    EXPECT_FALSE(Picture("loaded_battle").empty());
    const std::string log = Log();
    EXPECT_NE(log.find("CVR3GAMEManager::ScenarioLoad( 0 ) : " + name + "\n"), std::string::npos) << log;
    EXPECT_EQ(log.find("LOAD_SCENARIO ) not set"), std::string::npos) << log;
    EXPECT_EQ(log.find("failed"), std::string::npos) << log;
}

} // namespace
