// The seabattle program in a real X window, clicked through the X server's
// test extension (not the program's own injection): a quick click on the
// main menu's "Options" switches the screen. The options screen's panel is
// wider than the main menu's, so a point left of the menu's panel turns from
// the background's colour to the panel's.
#include "TestFolder.h"
#include "common/DemoData.h"
#include "common/X11Window.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using VornaTest::FindWindowOf;
using VornaTest::Near;
using VornaTest::PixelOf;

namespace {

// Places on the main menu as its screen file lays them out, from the middle
// of the window: the Options button, and a point left of the menu's panel
// (320 wide) that the options panel (512 wide) covers.
constexpr int kOptionsDx = 0, kOptionsDy = -50;
constexpr int kProbeDx = -220, kProbeDy = 50;

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

class RealClickTest : public ::testing::Test {
protected:
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
        fs::copy_file(fs::path(VORNA_BIN_DIR) / "seabattle", program / "seabattle");
        VornaTest::LinkDemoData(program);
        m_log = program / "Vorna3Log.log";
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

    // Ends the program with a close request; its exit code.
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
    fs::path m_dir, m_log;
    pid_t m_pid = -1;
};

TEST_F(RealClickTest, AQuickClickOnOptionsSwitchesTheScreen) {
    // Up and running: the main loop started and the window is on the screen.
    bool running = false;
    for (int i = 0; i < 600 && !running; ++i) {
        running = VornaTest::ReadText(m_log).find("Start Main Loop") != std::string::npos;
        if (!running) Sleep(50);
    }
    ASSERT_TRUE(running) << VornaTest::ReadText(m_log);
    const Atom pidAtom = XInternAtom(m_display, "_NET_WM_PID", False);
    Window window = 0;
    for (int i = 0; i < 100 && !window; ++i) {
        window = FindWindowOf(m_display, DefaultRootWindow(m_display), m_pid, pidAtom);
        if (!window) Sleep(50);
    }
    ASSERT_NE(window, 0u) << "no window of the program";
    XWindowAttributes attributes{};
    ASSERT_TRUE(XGetWindowAttributes(m_display, window, &attributes));
    const int midX = attributes.width / 2, midY = attributes.height / 2;
    int rootX = 0, rootY = 0;
    Window child = 0;
    ASSERT_TRUE(XTranslateCoordinates(m_display, window, DefaultRootWindow(m_display), midX + kOptionsDx,
                                      midY + kOptionsDy, &rootX, &rootY, &child));

    // The main menu is drawn: the probe shows the background, and keeps it.
    unsigned long background = ~0ul;
    for (int i = 0; i < 100; ++i) {
        const unsigned long p = PixelOf(m_display, window, midX + kProbeDx, midY + kProbeDy);
        if (p != ~0ul && p != 0 && p == background) break;
        background = p;
        Sleep(100);
    }
    ASSERT_NE(background, ~0ul);
    ASSERT_NE(background, 0ul) << "nothing drawn";

    // The pointer comes to rest on Options; press and release at once.
    XTestFakeMotionEvent(m_display, DefaultScreen(m_display), rootX, rootY, CurrentTime);
    XSync(m_display, False);
    Sleep(300);
    XTestFakeButtonEvent(m_display, 1, True, CurrentTime);
    XTestFakeButtonEvent(m_display, 1, False, CurrentTime);
    XSync(m_display, False);

    unsigned long now = background;
    for (int i = 0; i < 50 && Near(now, background); ++i) {
        Sleep(100);
        now = PixelOf(m_display, window, midX + kProbeDx, midY + kProbeDy);
    }
    EXPECT_FALSE(Near(now, background)) << std::hex << "the probe stayed " << now;
    EXPECT_EQ(Quit(), 0);
}

} // namespace
