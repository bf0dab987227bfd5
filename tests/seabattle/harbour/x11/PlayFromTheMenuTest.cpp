// The seabattle program in a real X window, played from its main menu with
// the X server's test extension as a hand plays it: Start, then in the
// harbour Buy and OK (a fourth ship joins the fleet's list), Columns, the
// three ships into two columns, To battle and OK; in the battle the arrows
// ask for full speed and a turn. Places come from the screens' files; each
// step is seen in the window's pixels (an icon card appears where the list
// was empty) and in the program's log, and each screen's picture is saved.
#include "TestFolder.h"
#include "common/DemoData.h"
#include "common/X11Window.h"

#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <gtest/gtest.h>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using VornaTest::FindWindowOf;
using VornaTest::PixelOf;

namespace {

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// Places in the 1024 x 768 window, from the screens' files.
struct Place {
    int x, y;
};
constexpr Place kStart = {512, 384 - 190 + 96};            // main menu: Start
constexpr Place kBuy = {1024 - 318 + 254, 8 + 356};          // harbour panel: Buy
constexpr Place kAskOk = {512 - 180 + 100, 384 - 70 + 110};  // any question box: OK
constexpr Place kNext = {8 + 323, 8 + 24};                   // both menus: Columns / To battle
constexpr Place kShopCard = {16 + 40, 64 + 28 + 20};         // harbour: the shop's first card
constexpr Place kFourthShip = {16 + 3 * 132 + 40, 768 - 112 + 28 + 20}; // harbour: fourth own ship card
constexpr Place kAdd[2] = {{152 + 464, 180 + 18}, {152 + 464, 180 + 106 + 18}}; // columns: Add of 1 and 2
constexpr Place kBattleMenu = {512 + 76 + 48, 8 + 20};      // battle: the Menu button
constexpr Place kPauseSave = {512 - 140 + 140, 384 - 115 + 130}; // pause menu: Save
constexpr Place kSaveName = {512 - 300 + 170, 384 - 220 + 354};  // save screen: the name box
constexpr Place kSaveOrLoad = {512 - 300 + 190, 384 - 220 + 406}; // save / load screen: Save / Load
constexpr Place kCheckOk = {512 - 150 + 80, 384 - 60 + 88};      // save / load screen's question: OK
constexpr Place kMenuLoad = {512, 384 - 190 + 228};              // main menu: Load
constexpr Place kMenuQuit = {512, 384 - 190 + 376};              // main menu: Quit
constexpr Place kColumnCard[3] = {{152 + 8 + 40, 180 + 32 + 20},      // column 1, first card
                                  {152 + 8 + 40, 180 + 106 + 32 + 20}, // column 2, first card
                                  {152 + 8 + 132 + 40, 180 + 32 + 20}}; // column 1, second card

// A ship card's face is light; the panels and the sea are dark.
bool Light(unsigned long p) {
    return p != ~0ul && ((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF) > 3 * 170;
}

class PlayFromTheMenu : public ::testing::Test {
protected:
    void SetUp() override {
        const char* display = std::getenv("DISPLAY");
        if (!display || !*display) GTEST_SKIP() << "no X display";
        m_display = XOpenDisplay(nullptr);
        if (!m_display) GTEST_SKIP() << "the X display cannot be opened";
        int event = 0, error = 0, major = 0, minor = 0;
        ASSERT_TRUE(XTestQueryExtension(m_display, &event, &error, &major, &minor)) << "no XTEST extension";
        m_dir = VornaTest::FreshFolder();
        m_program = m_dir / "program";
        // The saves stay in the test's own folder, not in the shared one.
        fs::create_directories(m_program / "Saves");
        fs::copy_file(fs::path(VORNA_BIN_DIR) / "seabattle", m_program / "seabattle");
        VornaTest::LinkDemoData(m_program);
        m_log = m_program / "Vorna3Log.log";
        Launch();
    }
    // Starts the program in its folder.
    void Launch() {
        const fs::path program = m_program;
        m_window = 0;
        m_pid = ::fork();
        ASSERT_GE(m_pid, 0);
        if (m_pid == 0) {
            ::chdir(program.c_str());
            ::setenv("SDL_VIDEODRIVER", "x11", 1);
            ::setenv("ALSOFT_DRIVERS", "null", 1);
            const int null = ::open("/dev/null", O_WRONLY);
            ::dup2(null, 1);
            ::dup2(null, 2);
            ::execl((program / "seabattle").c_str(), "seabattle", static_cast<char*>(nullptr));
            ::_exit(127);
        }
    }
    void TearDown() override {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
        if (m_display) XCloseDisplay(m_display);
    }

    bool LogHas(const std::string& text) const {
        return VornaTest::ReadText(m_log).find(text) != std::string::npos;
    }
    bool WaitForLog(const std::string& text, int ms) {
        for (int t = 0; t < ms; t += 50) {
            if (LogHas(text)) return true;
            Sleep(50);
        }
        return false;
    }
    bool WaitForLight(Place p, int ms) {
        for (int t = 0; t < ms; t += 50) {
            if (Light(PixelOf(m_display, m_window, p.x, p.y))) return true;
            Sleep(50);
        }
        return false;
    }
    // The pointer comes to rest on the place; the button is held down for a
    // few frames, as a hand holds it, and let go. The screens' gates let a
    // press through on the second frame that sees it once their time is up,
    // and a frame under the software renderer on a busy machine may take
    // 200 ms; a button whose gate is shorter than the hold could act twice.
    void Click(Place p, int holdMs = 900) {
        int rootX = 0, rootY = 0;
        Window child = 0;
        XTranslateCoordinates(m_display, m_window, DefaultRootWindow(m_display), p.x, p.y, &rootX, &rootY, &child);
        XTestFakeMotionEvent(m_display, DefaultScreen(m_display), rootX, rootY, CurrentTime);
        XSync(m_display, False);
        Sleep(400);
        XTestFakeButtonEvent(m_display, 1, True, CurrentTime);
        XSync(m_display, False);
        Sleep(holdMs);
        XTestFakeButtonEvent(m_display, 1, False, CurrentTime);
        XSync(m_display, False);
        // The screen answers.
        Sleep(500);
    }
    // As a hand does when a click was not taken: once more, up to three times.
    bool ClickUntilLight(Place p, Place probe, int holdMs = 900) {
        for (int attempt = 0; attempt < 3; ++attempt) {
            Click(p, holdMs);
            if (WaitForLight(probe, 5000)) return true;
        }
        return false;
    }
    void Key(KeySym key, int holdMs) {
        const KeyCode code = XKeysymToKeycode(m_display, key);
        XTestFakeKeyEvent(m_display, code, True, CurrentTime);
        XSync(m_display, False);
        Sleep(holdMs);
        XTestFakeKeyEvent(m_display, code, False, CurrentTime);
        XSync(m_display, False);
        // The HUD takes one order a key per 500 ms.
        Sleep(700);
    }
    // Whether the save screen's name box shows letters (light pixels right
    // of where the empty box's cursor stands).
    bool NameBoxHasLetters() {
        const int left = kSaveName.x - 150 + 6, top = kSaveName.y - 12;
        XImage* image = XGetImage(m_display, m_window, left, top, 280, 24, AllPlanes, ZPixmap);
        if (!image) return false;
        bool letters = false;
        for (int y = 0; y < 24 && !letters; ++y)
            for (int x = 0; x < 280 && !letters; ++x) letters = Light(XGetPixel(image, x, y));
        XDestroyImage(image);
        return letters;
    }
    // The window's picture as a PNG beside the test's files.
    bool Picture(const std::string& name) {
        XWindowAttributes a{};
        if (!XGetWindowAttributes(m_display, m_window, &a)) return false;
        XImage* image = XGetImage(m_display, m_window, 0, 0, a.width, a.height, AllPlanes, ZPixmap);
        if (!image) return false;
        std::vector<unsigned char> rgb(static_cast<size_t>(a.width) * a.height * 3);
        for (int y = 0; y < a.height; ++y)
            for (int x = 0; x < a.width; ++x) {
                const unsigned long p = XGetPixel(image, x, y);
                unsigned char* o = &rgb[(static_cast<size_t>(y) * a.width + x) * 3];
                o[0] = (p >> 16) & 0xFF;
                o[1] = (p >> 8) & 0xFF;
                o[2] = p & 0xFF;
            }
        XDestroyImage(image);
        const fs::path file = m_dir / (name + ".png");
        return stbi_write_png(file.c_str(), a.width, a.height, 3, rgb.data(), a.width * 3) != 0;
    }

    // Waits for the program's main loop and window (1024 x 768).
    void WaitForTheWindow() {
        ASSERT_TRUE(WaitForLog("Start Main Loop", 30000)) << VornaTest::ReadText(m_log);
        const Atom pidAtom = XInternAtom(m_display, "_NET_WM_PID", False);
        for (int i = 0; i < 100 && !m_window; ++i) {
            m_window = FindWindowOf(m_display, DefaultRootWindow(m_display), m_pid, pidAtom);
            if (!m_window) Sleep(50);
        }
        ASSERT_NE(m_window, 0u) << "no window of the program";
        XWindowAttributes attributes{};
        ASSERT_TRUE(XGetWindowAttributes(m_display, m_window, &attributes));
        ASSERT_EQ(attributes.width, 1024);
        ASSERT_EQ(attributes.height, 768);
        Sleep(1500);
    }
    // From the main menu through the harbour into the battle: Start, Buy and
    // OK, Columns, the three ships into two columns, To battle and OK.
    void PlayIntoTheBattle() {
        // Start: the harbour shows the shop's cards.
        Click(kStart);
        ASSERT_TRUE(WaitForLight(kShopCard, 30000)) << VornaTest::ReadText(m_log);
        ASSERT_FALSE(Light(PixelOf(m_display, m_window, kFourthShip.x, kFourthShip.y)));
        Sleep(1500);
        // Buy, then OK in the box that asks: a fourth ship's card.
        // On a loaded machine the press on Buy itself can go untaken: then no
        // box asks, the clicks on OK fall on the harbour, and Buy is pressed
        // again.
        bool bought = false;
        for (int attempt = 0; attempt < 2 && !bought; ++attempt) {
            Click(kBuy);
            bought = ClickUntilLight(kAskOk, kFourthShip);
        }
        EXPECT_TRUE(bought);
        EXPECT_TRUE(Picture("harbour"));
        // On to the columns: a ship into column 1, one into column 2, the third
        // into column 1.
        // The columns' gate is 500 ms: a shorter hold adds one ship a click.
        // Should "Columns" not be taken, the clicks on Add fall on the sea, and
        // on the columns screen a second click there is "To battle" with no
        // column formed, which does nothing.
        bool added = false;
        for (int attempt = 0; attempt < 3 && !added; ++attempt) {
            Click(kNext);
            added = ClickUntilLight(kAdd[0], kColumnCard[0], 450);
        }
        EXPECT_TRUE(added);
        EXPECT_TRUE(ClickUntilLight(kAdd[1], kColumnCard[1], 450));
        EXPECT_TRUE(ClickUntilLight(kAdd[0], kColumnCard[2], 450));
        EXPECT_TRUE(Picture("columns"));
        // To battle and OK: the battle begins.
        Click(kNext);
        Click(kAskOk);
        if (!WaitForLog("CVR3GAMEManager::ScenarioFromHarbourToBattle() : OK", 2000)) Click(kAskOk);
        ASSERT_TRUE(WaitForLog("CVR3GAMEManager::ScenarioFromHarbourToBattle() : OK", 5000))
            << VornaTest::ReadText(m_log);
    }

    Display* m_display = nullptr;
    Window m_window = 0;
    fs::path m_dir, m_program, m_log;
    pid_t m_pid = -1;
};

TEST_F(PlayFromTheMenu, StartHarbourBuyColumnsAndOnIntoTheBattle) {
    ASSERT_NO_FATAL_FAILURE(WaitForTheWindow());
    ASSERT_NO_FATAL_FAILURE(PlayIntoTheBattle());
    Sleep(5000);
    // Full speed ahead and a turn by the keys.
    for (int i = 0; i < 4; ++i) Key(XK_Up, 400);
    Key(XK_Right, 1500);
    Sleep(1000);
    EXPECT_TRUE(Picture("battle"));
    const std::string log = VornaTest::ReadText(m_log);
    EXPECT_EQ(log.find("CVR3GAMEHarbourMapPlayerDirectorHuman"), std::string::npos) << log;
    for (const char* failure : {"LoadBattleMapFromFile() failed", "SetHarbourDataToBattleMap() failed",
                                "InitDirectorsBehaviours() failed", "not set current battle map game screen"})
        EXPECT_EQ(log.find(failure), std::string::npos) << failure;
}

// Saved from the pause menu, the program quit by its menu and started again;
// the load screen lists the save and loading it brings the battle back.
TEST_F(PlayFromTheMenu, ABattleSavedFromThePauseMenuLoadsAfterARestart) {
    ASSERT_NO_FATAL_FAILURE(WaitForTheWindow());
    ASSERT_NO_FATAL_FAILURE(PlayIntoTheBattle());
    ASSERT_TRUE(WaitForLog("CVR3GAMEManager::ScenarioSave() : autosave_battle_begin", 10000));
    Sleep(3000);
    // The pause menu, its Save: the name box shows the list's first save's
    // name in light letters.
    bool named = false;
    for (int attempt = 0; attempt < 3 && !named; ++attempt) {
        Click(kBattleMenu);
        Click(kPauseSave);
        for (int t = 0; t < 5000 && !named; t += 100) {
            named = NameBoxHasLetters();
            if (!named) Sleep(100);
        }
    }
    ASSERT_TRUE(named) << VornaTest::ReadText(m_log);
    // Backspace held until the box is empty (a slow frame takes one letter),
    // then a name typed.
    // The box is clicked again now and then, should a busy machine have
    // missed the click that gives it the keyboard.
    for (int i = 0; i < 60 && NameBoxHasLetters(); ++i) {
        if (i % 6 == 0) Click(kSaveName, 200);
        Key(XK_BackSpace, 800);
    }
    ASSERT_FALSE(NameBoxHasLetters());
    for (KeySym key : {XK_m, XK_i, XK_n, XK_e}) Key(key, 50);
    EXPECT_TRUE(Picture("save_screen"));
    // Save and OK, once more should a click not be taken.
    bool asked = false;
    for (int attempt = 0; attempt < 3 && !asked; ++attempt) {
        Click(kSaveOrLoad);
        Click(kCheckOk);
        asked = WaitForLog("CVR3GAMEManager::ScenarioSave() : m", 10000);
    }
    ASSERT_TRUE(asked) << VornaTest::ReadText(m_log);
    // The name as typed: each short press gives its letter once, however
    // slow the frames are.
    std::string name;
    {
        const std::string log = VornaTest::ReadText(m_log);
        const std::string line = "CVR3GAMEManager::ScenarioSave() : m";
        const size_t at = log.find(line);
        ASSERT_NE(at, std::string::npos);
        const size_t from = at + line.size() - 1;
        name = log.substr(from, log.find('\n', from) - from);
    }
    EXPECT_EQ(name, "mine");
    // Written: the save's own OK follows its line.
    bool saved = false;
    for (int i = 0; i < 200 && !saved; ++i) {
        const std::string log = VornaTest::ReadText(m_log);
        saved = log.find("CVR3GAMEManager::ScenarioSave() : OK", log.find("ScenarioSave() : " + name)) != std::string::npos;
        if (!saved) Sleep(50);
    }
    ASSERT_TRUE(saved) << VornaTest::ReadText(m_log);
    ASSERT_TRUE(fs::exists(m_program / "Saves" / (name + ".v3savebin"))) << VornaTest::ReadText(m_log);
    // Back on the main menu: Quit ends the program cleanly.
    Sleep(1000);
    Click(kMenuQuit);
    int status = -1;
    for (int i = 0; i < 400 && m_pid > 0; ++i) {
        if (::waitpid(m_pid, &status, WNOHANG) == m_pid) m_pid = -1;
        else Sleep(50);
    }
    ASSERT_EQ(m_pid, -1) << "the program did not quit";
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    // Only the saved game is left to load: the program's own autosaves go.
    for (const fs::directory_entry& e : fs::directory_iterator(m_program / "Saves"))
        if (e.path().stem() != name) fs::remove(e.path());

    // Started again: Load, the save (the only one, so selected), Load and OK.
    fs::rename(m_log, m_dir / "first_run.log");
    Launch();
    ASSERT_NO_FATAL_FAILURE(WaitForTheWindow());
    bool loading = false;
    for (int attempt = 0; attempt < 3 && !loading; ++attempt) {
        Click(kMenuLoad);
        if (attempt == 0) {
            EXPECT_TRUE(Picture("load_screen"));
        }
        Click(kSaveOrLoad);
        Click(kCheckOk);
        loading = WaitForLog("CVR3GAMEManager::ScenarioLoad( 0 ) : ", 10000);
    }
    ASSERT_TRUE(loading) << VornaTest::ReadText(m_log);
    ASSERT_TRUE(WaitForLog("CVR3GAMEManager::ScenarioLoad( 1 ) : OK", 30000)) << VornaTest::ReadText(m_log);
    Sleep(3000);
    EXPECT_TRUE(Picture("loaded_battle"));
    const std::string log = VornaTest::ReadText(m_log);
    EXPECT_NE(log.find("CVR3GAMEManager::ScenarioLoad( 0 ) : " + name + "\n"), std::string::npos) << log;
    EXPECT_EQ(log.find("LOAD_SCENARIO ) not set"), std::string::npos) << log;
    EXPECT_EQ(log.find("failed"), std::string::npos) << log;
}

} // namespace
