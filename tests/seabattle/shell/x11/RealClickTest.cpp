// The seabattle program in a real X window, clicked through the X server's
// test extension (not the program's own injection): a quick click on the
// main menu's "Options" switches the screen. The options screen's panel is
// wider than the main menu's, so a point left of the menu's panel turns from
// the background's colour to the panel's. A click on "Start" shows the
// loading screen and then the harbour of the demo scenario; a picture of
// each is kept in the test's folder ("start_loading.png", "start_harbour.png").
#include "TestFolder.h"
#include "common/DemoData.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

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
#include <vector>

namespace fs = std::filesystem;

namespace {

// Places on the main menu as its screen file lays them out, from the middle
// of the window: the Options button, and a point left of the menu's panel
// (320 wide) that the options panel (512 wide) covers.
constexpr int kOptionsDx = 0, kOptionsDy = -50;
constexpr int kProbeDx = -220, kProbeDy = 50;
// The Start button; a point of the menu's panel above the loading screen's
// panel (300 x 80 in the middle); a point of the loading panel's dark top
// strip; a point of the same strip of the harbour's menu panel (at the
// window's top left, 8 from each side).
constexpr int kStartDx = 0, kStartDy = -94;
constexpr int kAboveLoadingDx = 0, kAboveLoadingDy = -150;
constexpr int kLoadingStripDy = -37;
constexpr int kHarbourStripX = 200, kHarbourStripY = 11;

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

// The colour of one pixel of a window (0xRRGGBB); ~0 when it cannot be read.
unsigned long PixelOf(Display* d, Window w, int x, int y) {
    XImage* image = XGetImage(d, w, x, y, 1, 1, AllPlanes, ZPixmap);
    if (!image) return ~0ul;
    const unsigned long p = XGetPixel(image, 0, 0) & 0xFFFFFFul;
    XDestroyImage(image);
    return p;
}

// The whole window as a PNG; false when it cannot be read or written.
bool SavePicture(Display* d, Window w, int width, int height, const fs::path& path) {
    XImage* image = XGetImage(d, w, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height), AllPlanes,
                              ZPixmap);
    if (!image) return false;
    std::vector<unsigned char> rgb(static_cast<size_t>(width) * height * 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const unsigned long p = XGetPixel(image, x, y);
            unsigned char* o = &rgb[(static_cast<size_t>(y) * width + x) * 3];
            o[0] = static_cast<unsigned char>(p >> 16), o[1] = static_cast<unsigned char>(p >> 8);
            o[2] = static_cast<unsigned char>(p);
        }
    XDestroyImage(image);
    return stbi_write_png(path.c_str(), width, height, 3, rgb.data(), width * 3) != 0;
}

bool Near(unsigned long a, unsigned long b) {
    for (int shift : {0, 8, 16}) {
        const int ca = static_cast<int>((a >> shift) & 0xFF), cb = static_cast<int>((b >> shift) & 0xFF);
        if (std::abs(ca - cb) > 24) return false;
    }
    return true;
}

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

    // Waits until the program runs, finds its window and waits until the
    // main menu is drawn and stands still.
    void WaitForTheMenu() {
        bool running = false;
        for (int i = 0; i < 600 && !running; ++i) {
            running = VornaTest::ReadText(m_log).find("Start Main Loop") != std::string::npos;
            if (!running) Sleep(50);
        }
        ASSERT_TRUE(running) << VornaTest::ReadText(m_log);
        const Atom pidAtom = XInternAtom(m_display, "_NET_WM_PID", False);
        for (int i = 0; i < 100 && !m_window; ++i) {
            m_window = FindWindowOf(m_display, DefaultRootWindow(m_display), m_pid, pidAtom);
            if (!m_window) Sleep(50);
        }
        ASSERT_NE(m_window, 0u) << "no window of the program";
        XWindowAttributes attributes{};
        ASSERT_TRUE(XGetWindowAttributes(m_display, m_window, &attributes));
        m_width = attributes.width;
        m_height = attributes.height;
        m_midX = m_width / 2;
        m_midY = m_height / 2;
        unsigned long background = ~0ul;
        for (int i = 0; i < 100; ++i) {
            const unsigned long p = Pixel(kProbeDx, kProbeDy);
            if (p != ~0ul && p != 0 && p == background) break;
            background = p;
            Sleep(100);
        }
        ASSERT_NE(background, ~0ul);
        ASSERT_NE(background, 0ul) << "nothing drawn";
    }
    // The colour at a place given from the middle of the window.
    unsigned long Pixel(int dx, int dy) { return PixelOf(m_display, m_window, m_midX + dx, m_midY + dy); }
    // The pointer comes to rest at a place given from the middle of the
    // window; press and release at once.
    void Click(int dx, int dy) {
        int rootX = 0, rootY = 0;
        Window child = 0;
        ASSERT_TRUE(XTranslateCoordinates(m_display, m_window, DefaultRootWindow(m_display), m_midX + dx, m_midY + dy,
                                          &rootX, &rootY, &child));
        XTestFakeMotionEvent(m_display, DefaultScreen(m_display), rootX, rootY, CurrentTime);
        XSync(m_display, False);
        Sleep(300);
        XTestFakeButtonEvent(m_display, 1, True, CurrentTime);
        XTestFakeButtonEvent(m_display, 1, False, CurrentTime);
        XSync(m_display, False);
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
    Window m_window = 0;
    int m_width = 0, m_height = 0, m_midX = 0, m_midY = 0;
};

TEST_F(RealClickTest, AQuickClickOnOptionsSwitchesTheScreen) {
    ASSERT_NO_FATAL_FAILURE(WaitForTheMenu());
    const unsigned long background = Pixel(kProbeDx, kProbeDy);
    Click(kOptionsDx, kOptionsDy);
    unsigned long now = background;
    for (int i = 0; i < 50 && Near(now, background); ++i) {
        Sleep(100);
        now = Pixel(kProbeDx, kProbeDy);
    }
    EXPECT_FALSE(Near(now, background)) << std::hex << "the probe stayed " << now;
    EXPECT_EQ(Quit(), 0);
}

TEST_F(RealClickTest, StartShowsTheLoadingScreenThenTheHarbour) {
    ASSERT_NO_FATAL_FAILURE(WaitForTheMenu());
    // The menu's panel above the middle, the background at the top.
    const unsigned long panel = Pixel(kAboveLoadingDx, kAboveLoadingDy);
    const unsigned long top = Pixel(0, 30 - m_midY);
    ASSERT_FALSE(Near(panel, top)) << std::hex << panel;
    Click(kStartDx, kStartDy);
    // The loading screen: the menu's panel is gone above the loading panel,
    // which shows the background there, and the loading panel's strip is up
    // (a frame between the two screens may show neither panel).
    bool loading = false;
    unsigned long strip = top;
    for (int i = 0; i < 500 && !loading; ++i) {
        strip = Pixel(0, kLoadingStripDy);
        loading = Near(Pixel(kAboveLoadingDx, kAboveLoadingDy), top) && !Near(strip, top);
        if (!loading) Sleep(10);
    }
    ASSERT_TRUE(loading) << std::hex << strip << std::dec << "\n" << VornaTest::ReadText(m_log);
    EXPECT_TRUE(SavePicture(m_display, m_window, m_width, m_height, m_dir / "start_loading.png"));
    // The harbour: its panels over the sea of the harbour map, the menu
    // panel's dark strip at the top left.
    bool harbour = false;
    for (int i = 0; i < 1200 && !harbour; ++i) {
        harbour = Near(Pixel(kHarbourStripX - m_midX, kHarbourStripY - m_midY), strip);
        if (!harbour) Sleep(50);
    }
    if (!harbour) SavePicture(m_display, m_window, m_width, m_height, m_dir / "start_no_harbour.png");
    ASSERT_TRUE(harbour) << VornaTest::ReadText(m_log);
    Sleep(300);
    EXPECT_TRUE(SavePicture(m_display, m_window, m_width, m_height, m_dir / "start_harbour.png"));
    const std::string log = VornaTest::ReadText(m_log);
    EXPECT_NE(log.find("CVR3GAMEManager::BeginScenarioFromFile() : demo_scenario.scnrxml"), std::string::npos) << log;
    EXPECT_NE(log.find("CVR3GAMEManager::BeginScenarioFromFile() : OK"), std::string::npos) << log;
    // The harbour's set-up went through without a failure of its own.
    EXPECT_EQ(log.find("CVR3GAMEManager::ProcState( BEGIN_SCENARIO )"), std::string::npos) << log;
    EXPECT_EQ(Quit(), 0);
}

} // namespace
