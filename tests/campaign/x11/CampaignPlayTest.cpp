// The campaign program in a real X window, played through the X server's
// test extension as a user plays it: the logo, the menu, the scenario's
// loading picture and the first map. A picture of the window is kept at
// every step in the test's folder, and each step is checked by the colour
// of its dialogs at their places.
#include "TestFolder.h"
#include "common/DemoData.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <stb/stb_image_write.h>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// The top-level window of a process (by _NET_WM_PID), searched from `w` down.
Window FindWindowOf(Display* d, Window w, pid_t pid, Atom pidAtom) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(d, w, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &count, &after, &data) ==
            Success &&
        data) {
        const bool match = type == XA_CARDINAL && format == 32 && count == 1 &&
                           static_cast<pid_t>(*reinterpret_cast<unsigned long*>(data)) == pid;
        XFree(data);
        if (match) return w;
    }
    Window root = 0, parent = 0, *children = nullptr;
    unsigned int n = 0;
    Window found = 0;
    if (XQueryTree(d, w, &root, &parent, &children, &n)) {
        for (unsigned int i = 0; i < n && !found; ++i) found = FindWindowOf(d, children[i], pid, pidAtom);
        if (children) XFree(children);
    }
    return found;
}

struct Rgb {
    int r = -1, g = -1, b = -1;
    bool Near(const Rgb& o, int tolerance = 24) const {
        return std::abs(r - o.r) <= tolerance && std::abs(g - o.g) <= tolerance && std::abs(b - o.b) <= tolerance;
    }
};

// Places of the demo screens in a 1024 x 768 window (percent of the screen
// files): the menu's Campaign dialog with its Start button, the loading
// dialog's Start button, the sky of the first map's loading picture, and
// the map screen's turn panel.
constexpr int kMenuStartX = 927, kMenuStartY = 557;
constexpr int kLoadingStartX = 512, kLoadingStartY = 689;
constexpr int kLoadingSkyX = 100, kLoadingSkyY = 40;
constexpr int kMenuLoadX = 927, kMenuLoadY = 620;
constexpr int kFirstSaveX = 300, kFirstSaveY = 196;
constexpr int kLoadButtonX = 709, kLoadButtonY = 595;
// The map screen's turn panel at the top right, over the sea.
constexpr int kTurnPanelX = 740, kTurnPanelY = 42;
const Rgb kClear{0x3C, 0x64, 0x96};
// The demo's dialog panel.
const Rgb kPanel{30, 45, 70};

class CampaignPlayTest : public ::testing::Test {
protected:
    static constexpr int kWidth = 1024, kHeight = 768;

    void SetUp() override {
        const char* display = std::getenv("DISPLAY");
        if (!display || !*display) GTEST_SKIP() << "no X display";
        m_display = XOpenDisplay(nullptr);
        if (!m_display) GTEST_SKIP() << "the X display cannot be opened";
        int event = 0, error = 0, major = 0, minor = 0;
        ASSERT_TRUE(XTestQueryExtension(m_display, &event, &error, &major, &minor)) << "no XTEST extension";
        m_dir = VornaTest::FreshFolder();
        const fs::path program = m_dir / "program";
        fs::create_directories(program);
        fs::copy_file(fs::path(VORNA_BIN_DIR) / "campaign", program / "campaign");
        // A window of the demo's size, and the campaign's screens without
        // the start sequence (ten seconds of pictures).
        VornaTest::WriteText(program / "engine.ini", "[Grafic Settings]\nFullScreen=0\nWidth=1024\nHeight=768\n"
                                                     "[Campaign Settings]\nScreenFolder=PlayScreens\\\n");
        VornaTest::LinkDemoData(program);
        fs::create_directories(program / "PlayScreens");
        for (const auto& e : fs::directory_iterator(fs::path(VORNA_BIN_DIR) / "Campaign" / "Screens"))
            if (e.path().filename() != "start.xml") fs::create_symlink(e.path(), program / "PlayScreens" / e.path().filename());
        m_log = program / "VornaLog.log";
        m_program = program;
    }
    // Starts the program in its folder, with the saves under the test's own
    // documents folder.
    void Launch() {
        const fs::path program = m_program;
        m_pid = ::fork();
        ASSERT_GE(m_pid, 0);
        if (m_pid == 0) {
            ::chdir(program.c_str());
            ::setenv("SDL_VIDEODRIVER", "x11", 1);
            ::setenv("ALSOFT_DRIVERS", "null", 1);
            ::setenv("XDG_DATA_HOME", (m_dir / "documents").c_str(), 1);
            const int null = ::open("/dev/null", O_WRONLY);
            ::dup2(null, 1);
            ::dup2(null, 2);
            ::execl((program / "campaign").c_str(), "campaign", static_cast<char*>(nullptr));
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

    std::string Log() const { return VornaTest::ReadText(m_log); }

    // Waits until the main loop runs and the window is mapped.
    bool WaitForWindow() {
        bool running = false;
        for (int i = 0; i < 600 && !running; ++i) {
            running = Log().find("Start Main Loop") != std::string::npos;
            if (!running) Sleep(50);
        }
        if (!running) return false;
        const Atom pidAtom = XInternAtom(m_display, "_NET_WM_PID", False);
        for (int i = 0; i < 100 && !m_window; ++i) {
            m_window = FindWindowOf(m_display, DefaultRootWindow(m_display), m_pid, pidAtom);
            if (!m_window) Sleep(50);
        }
        XWindowAttributes attributes{};
        return m_window && XGetWindowAttributes(m_display, m_window, &attributes) && attributes.width == kWidth &&
               attributes.height == kHeight;
    }

    Rgb Pixel(int x, int y) {
        Rgb c;
        XImage* image = XGetImage(m_display, m_window, x, y, 1, 1, AllPlanes, ZPixmap);
        if (!image) return c;
        const unsigned long p = XGetPixel(image, 0, 0);
        XDestroyImage(image);
        c.r = static_cast<int>((p >> 16) & 0xFF), c.g = static_cast<int>((p >> 8) & 0xFF),
        c.b = static_cast<int>(p & 0xFF);
        return c;
    }

    // Waits (up to `ms`) until the test holds; false when it never does.
    bool WaitFor(const std::function<bool()>& test, int ms = 10000) {
        for (int waited = 0; waited < ms; waited += 100) {
            if (test()) return true;
            Sleep(100);
        }
        return test();
    }

    // The whole window as a PNG in the test's folder.
    void Picture(const std::string& name) {
        XImage* image = XGetImage(m_display, m_window, 0, 0, kWidth, kHeight, AllPlanes, ZPixmap);
        ASSERT_NE(image, nullptr);
        std::vector<unsigned char> rgb(static_cast<std::size_t>(kWidth) * kHeight * 3);
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                const unsigned long p = XGetPixel(image, x, y);
                unsigned char* o = &rgb[(static_cast<std::size_t>(y) * kWidth + x) * 3];
                o[0] = static_cast<unsigned char>(p >> 16), o[1] = static_cast<unsigned char>(p >> 8),
                o[2] = static_cast<unsigned char>(p);
            }
        XDestroyImage(image);
        EXPECT_TRUE(stbi_write_png((m_dir / (name + ".png")).c_str(), kWidth, kHeight, 3, rgb.data(), kWidth * 3));
    }

    // The pointer comes to rest on (x, y) of the window, then one click.
    void Click(int x, int y) {
        int rootX = 0, rootY = 0;
        Window child = 0;
        XTranslateCoordinates(m_display, m_window, DefaultRootWindow(m_display), x, y, &rootX, &rootY, &child);
        XTestFakeMotionEvent(m_display, DefaultScreen(m_display), rootX, rootY, CurrentTime);
        XSync(m_display, False);
        Sleep(300);
        XTestFakeButtonEvent(m_display, 1, True, CurrentTime);
        XSync(m_display, False);
        // Held for a few frames even when the map's frames are slow.
        Sleep(400);
        XTestFakeButtonEvent(m_display, 1, False, CurrentTime);
        XSync(m_display, False);
        Sleep(200);
    }

    // Clicks (x, y) until the test holds, as a player clicks again when a
    // busy machine missed the first click; false when it never holds.
    bool ClickUntil(int x, int y, const std::function<bool()>& test) {
        for (int click = 0; click < 4; ++click) {
            Click(x, y);
            if (WaitFor(test, 4000)) return true;
        }
        return false;
    }

    int Quit() {
        ::kill(m_pid, SIGTERM);
        int status = 0;
        for (int i = 0; i < 200; ++i) {
            if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_pid = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            Sleep(50);
        }
        return -1;
    }

    Display* m_display = nullptr;
    Window m_window = 0;
    fs::path m_dir, m_log, m_program;
    pid_t m_pid = -1;
};

TEST_F(CampaignPlayTest, FromTheLogoToTheFirstMap) {
    Launch();
    ASSERT_TRUE(WaitForWindow()) << Log();

    // The logo fills the window with its sky; a click goes on to the menu.
    ASSERT_TRUE(WaitFor([&] { return Pixel(4, 4).r >= 0 && Pixel(4, 4).b > 120; })) << Log();
    Picture("1_logo");
    // The menu: the Campaign dialog's panel beside the gap between the
    // dialogs, where the scene's clear colour shows.
    const bool menu =
        ClickUntil(300, 300, [&] { return Pixel(500, 600).Near(kClear, 4) && !Pixel(870, 500).Near(kClear, 4); });
    if (!menu) Picture("2_menu_not_shown");
    ASSERT_TRUE(menu) << Log();
    Picture("2_menu");

    // Start: the scenario screen with the strait's loading picture, whose
    // sky is orange at the top.
    ASSERT_TRUE(ClickUntil(kMenuStartX, kMenuStartY, [&] {
        const Rgb sky = Pixel(kLoadingSkyX, kLoadingSkyY);
        return sky.r > 120 && sky.r > sky.b + 30;
    })) << Log();
    Picture("3_loading");

    // Its Start button loads the first map: the map screen's turn panel
    // stands at the top right and the loading picture is gone.
    auto mapLoading = [&] { return Log().find("CDX9KelGameMap::LoadMap() : demo_strait.map") != std::string::npos; };
    for (int press = 0; press < 4 && !mapLoading(); ++press) {
        Click(kLoadingStartX, kLoadingStartY);
        WaitFor(mapLoading, 3000);
    }
    ASSERT_TRUE(WaitFor([&] { return Log().find("CDX9KelGameMap::LoadMap() : OK") != std::string::npos; }, 30000))
        << Log();
    ASSERT_TRUE(WaitFor([&] {
        const Rgb sky = Pixel(kLoadingSkyX, kLoadingSkyY);
        return !(sky.r > 120 && sky.r > sky.b + 30);
    })) << Log();
    const bool screen = WaitFor([&] { return Pixel(kTurnPanelX, kTurnPanelY).Near(kPanel, 30); });
    Sleep(500);
    Picture("4_map1");
    EXPECT_TRUE(screen) << "the map screen's turn panel is not at its place";
    EXPECT_NE(Log().find("CDX9KelGameMap::LoadMap() : demo_strait.map"), std::string::npos);
    // The map's system save was written for a restart of the mission.
    EXPECT_TRUE(fs::exists(m_dir / "documents" / "Wexmoor Tarnfield" / "Saves" / "System" / "last_map.wxsave"));
    EXPECT_EQ(Quit(), 0);
}

TEST_F(CampaignPlayTest, ASavedCampaignLoadsFromTheLoadDialog) {
    // A save made on the first map by the driver, in the same documents
    // folder the program uses.
    const std::string make = "cd '" + m_program.string() + "' && XDG_DATA_HOME='" + (m_dir / "documents").string() +
                             "' SDL_VIDEODRIVER=offscreen ALSOFT_DRIVERS=null '" +
                             (fs::path(VORNA_BIN_DIR) / "campaignsim").string() +
                             "' campaign demo_campaign.xml --max-frames 40 --save-at 1:Evening >/dev/null 2>&1";
    ASSERT_EQ(std::system(make.c_str()) >> 8, 1);
    ASSERT_TRUE(fs::exists(m_dir / "documents" / "Wexmoor Tarnfield" / "Saves" / "Evening.wxsave"));
    Launch();
    ASSERT_TRUE(WaitForWindow()) << Log();
    ASSERT_TRUE(WaitFor([&] { return Pixel(4, 4).r >= 0 && Pixel(4, 4).b > 120; })) << Log();
    ASSERT_TRUE(ClickUntil(300, 300, [&] { return Pixel(500, 600).Near(kClear, 4) && !Pixel(870, 500).Near(kClear, 4); }))
        << Log();

    // "Load game": the dialog lists the save and shows its header.
    const bool shown = ClickUntil(kMenuLoadX, kMenuLoadY, [&] {
        return Pixel(400, 500).Near(kPanel, 30) && Pixel(100, 600).Near(kClear, 4);
    });
    if (!shown) Picture("5_load_dialog_not_shown");
    ASSERT_TRUE(shown) << Log();
    Sleep(300);
    Picture("5_load_dialog");
    Click(kFirstSaveX, kFirstSaveY);
    // The load button shares the screens' half-second switch gate: on a
    // busy machine a press can fall inside it, and the player presses again.
    auto loading = [&] {
        const Rgb sky = Pixel(kLoadingSkyX, kLoadingSkyY);
        return (sky.r > 120 && sky.r > sky.b + 30) || Log().find("CDX9KelGameMap::LoadFromSave()") != std::string::npos;
    };
    for (int press = 0; press < 4 && !loading(); ++press) {
        Click(kLoadButtonX, kLoadButtonY);
        WaitFor(loading, 3000);
    }
    ASSERT_TRUE(WaitFor([&] { return Log().find("CDX9KelGameMap::LoadFromSave() : OK") != std::string::npos; }, 30000))
        << Log();
    // The map screen over the loaded map: its turn panel at the top right.
    const bool map = WaitFor([&] { return Pixel(kTurnPanelX, kTurnPanelY).Near(kPanel, 30); });
    Sleep(500);
    Picture("6_loaded_map");
    ASSERT_TRUE(map) << Log();
    EXPECT_NE(Log().find("CDX9KelGameMap::LoadFromSave() : demo_strait.map"), std::string::npos);
    EXPECT_EQ(Quit(), 0);
}

} // namespace
