#pragma once
// A test fixture that starts a program in a real X window and plays it
// through the X server's test extension as a hand does: the pointer comes
// to rest before a button goes down, a button is held for a few frames,
// keys are typed one by one. It reads the window's pixels, keeps pictures
// of the window in the test's folder and waits on conditions with time
// limits rather than fixed sleeps. Header only: the tests that include it
// link X11, XTest and stb.
#include "TestFolder.h"
#include "common/X11Window.h"

#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
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
#include <utility>
#include <vector>

namespace VornaTest {

inline void SleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

struct Rgb {
    int r = -1, g = -1, b = -1;
    bool Valid() const { return r >= 0; }
    bool Near(const Rgb& o, int tolerance = 24) const {
        return Valid() && std::abs(r - o.r) <= tolerance && std::abs(g - o.g) <= tolerance &&
               std::abs(b - o.b) <= tolerance;
    }
    int Sum() const { return r + g + b; }
};

class X11ProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* display = std::getenv("DISPLAY");
        if (!display || !*display) GTEST_SKIP() << "no X display";
        m_display = XOpenDisplay(nullptr);
        if (!m_display) GTEST_SKIP() << "the X display cannot be opened";
        int event = 0, error = 0, major = 0, minor = 0;
        ASSERT_TRUE(XTestQueryExtension(m_display, &event, &error, &major, &minor)) << "no XTEST extension";
        m_dir = FreshFolder();
    }
    void TearDown() override {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
            m_pid = -1;
        }
        if (m_display) XCloseDisplay(m_display);
        m_display = nullptr;
    }

    // Starts `program` in `folder` on the X server, with the given variables
    // set and its output dropped.
    void Launch(const std::filesystem::path& folder, const std::string& program,
                const std::vector<std::pair<std::string, std::string>>& environment) {
        m_window = 0;
        m_pid = ::fork();
        ASSERT_GE(m_pid, 0);
        if (m_pid == 0) {
            if (::chdir(folder.c_str()) != 0) ::_exit(126);
            ::setenv("SDL_VIDEODRIVER", "x11", 1);
            ::setenv("ALSOFT_DRIVERS", "null", 1);
            for (const auto& [name, value] : environment) ::setenv(name.c_str(), value.c_str(), 1);
            const int null = ::open("/dev/null", O_WRONLY);
            ::dup2(null, 1);
            ::dup2(null, 2);
            const std::string path = (folder / program).string();
            ::execl(path.c_str(), program.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
    }

    // Finds the program's top-level window once `ready` holds (its main loop
    // runs); true when it is mapped at the given size.
    bool WaitForWindow(const std::function<bool()>& ready, int width, int height, int ms = 30000) {
        if (!WaitFor(ready, ms)) return false;
        const Atom pidAtom = XInternAtom(m_display, "_NET_WM_PID", False);
        for (int i = 0; i < 200 && !m_window; ++i) {
            m_window = FindWindowOf(m_display, DefaultRootWindow(m_display), m_pid, pidAtom);
            if (!m_window) SleepMs(50);
        }
        XWindowAttributes attributes{};
        return m_window && XGetWindowAttributes(m_display, m_window, &attributes) && attributes.width == width &&
               attributes.height == height;
    }

    // Waits (up to `ms`) until the test holds; false when it never does.
    static bool WaitFor(const std::function<bool()>& test, int ms = 10000) {
        for (int waited = 0; waited < ms; waited += 100) {
            if (test()) return true;
            SleepMs(100);
        }
        return test();
    }

    Rgb Pixel(int x, int y) const {
        const unsigned long p = PixelOf(m_display, m_window, x, y);
        if (p == ~0ul) return {};
        return {static_cast<int>((p >> 16) & 0xFF), static_cast<int>((p >> 8) & 0xFF), static_cast<int>(p & 0xFF)};
    }

    // The number of pixels in the box (left, top, width, height) for which
    // `test` holds; -1 when the window cannot be read.
    int CountPixels(int left, int top, int width, int height, const std::function<bool(const Rgb&)>& test) const {
        XImage* image = XGetImage(m_display, m_window, left, top, static_cast<unsigned>(width),
                                  static_cast<unsigned>(height), AllPlanes, ZPixmap);
        if (!image) return -1;
        int n = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const unsigned long p = XGetPixel(image, x, y);
                if (test({static_cast<int>((p >> 16) & 0xFF), static_cast<int>((p >> 8) & 0xFF),
                          static_cast<int>(p & 0xFF)}))
                    ++n;
            }
        XDestroyImage(image);
        return n;
    }

    // The window as a PNG in the test's folder; the file, or an empty path
    // when the window cannot be read.
    std::filesystem::path Picture(const std::string& name) {
        XWindowAttributes a{};
        if (!XGetWindowAttributes(m_display, m_window, &a)) return {};
        XImage* image = XGetImage(m_display, m_window, 0, 0, static_cast<unsigned>(a.width),
                                  static_cast<unsigned>(a.height), AllPlanes, ZPixmap);
        if (!image) return {};
        std::vector<unsigned char> rgb(static_cast<std::size_t>(a.width) * a.height * 3);
        for (int y = 0; y < a.height; ++y)
            for (int x = 0; x < a.width; ++x) {
                const unsigned long p = XGetPixel(image, x, y);
                unsigned char* o = &rgb[(static_cast<std::size_t>(y) * a.width + x) * 3];
                o[0] = static_cast<unsigned char>(p >> 16), o[1] = static_cast<unsigned char>(p >> 8),
                o[2] = static_cast<unsigned char>(p);
            }
        XDestroyImage(image);
        const std::filesystem::path file = m_dir / (name + ".png");
        if (!stbi_write_png(file.c_str(), a.width, a.height, 3, rgb.data(), a.width * 3)) return {};
        return file;
    }

    // The pointer comes to rest on (x, y) of the window.
    void MovePointer(int x, int y, int restMs = 300) {
        int rootX = 0, rootY = 0;
        Window child = 0;
        XTranslateCoordinates(m_display, m_window, DefaultRootWindow(m_display), x, y, &rootX, &rootY, &child);
        XTestFakeMotionEvent(m_display, DefaultScreen(m_display), rootX, rootY, CurrentTime);
        XSync(m_display, False);
        SleepMs(restMs);
    }
    void Button(bool down) {
        XTestFakeButtonEvent(m_display, 1, down ? True : False, CurrentTime);
        XSync(m_display, False);
    }
    // One click: the button is held long enough for a slow frame to see it.
    void Click(int x, int y, int holdMs = 400) {
        MovePointer(x, y);
        Button(true);
        SleepMs(holdMs);
        Button(false);
        SleepMs(200);
    }
    // Clicks (x, y) until the test holds, as a player clicks again when a
    // busy machine missed the first click; false when it never holds.
    bool ClickUntil(int x, int y, const std::function<bool()>& test, int tries = 4, int waitMs = 4000,
                    int holdMs = 400) {
        for (int click = 0; click < tries; ++click) {
            Click(x, y, holdMs);
            if (WaitFor(test, waitMs)) return true;
        }
        return false;
    }
    // A key pressed and let go.
    void Key(KeySym key, int holdMs = 60) {
        const KeyCode code = XKeysymToKeycode(m_display, key);
        XTestFakeKeyEvent(m_display, code, True, CurrentTime);
        XSync(m_display, False);
        SleepMs(holdMs);
        XTestFakeKeyEvent(m_display, code, False, CurrentTime);
        XSync(m_display, False);
        SleepMs(150);
    }
    // Lower-case letters and digits typed one by one.
    void Type(const std::string& text) {
        for (char c : text) Key(XStringToKeysym(std::string(1, c).c_str()));
    }

    // Asks the program to end; its exit code, -1 when it did not end in
    // `ms` or ended by a signal.
    int Terminate(int ms = 10000) {
        if (m_pid <= 0) return -1;
        ::kill(m_pid, SIGTERM);
        return WaitForExit(ms);
    }
    int WaitForExit(int ms = 10000) {
        int status = 0;
        for (int waited = 0; waited < ms; waited += 50) {
            if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_pid = -1;
                m_window = 0;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            SleepMs(50);
        }
        return -1;
    }

    Display* m_display = nullptr;
    Window m_window = 0;
    std::filesystem::path m_dir;
    pid_t m_pid = -1;
};

} // namespace VornaTest
