#pragma once
// A test fixture that starts a program in a real X window and plays it
// through the X server's test extension as a hand does: the pointer comes
// to rest on a place until the program has drawn it there, a button goes
// down and up, or is held until the program shows that it took the press,
// keys are typed one by one. It reads the window's pixels, counts the frames
// the program shows (through the X server's damage reports), keeps pictures
// of the window in the test's folder and waits on what the program shows or
// logs, never on a guess of how long a frame takes: the time limits hold
// for a program that draws two frames a second on a busy machine. Header
// only: the tests that include it link X11, XTest, Xdamage and stb.
#include "TestFolder.h"
#include "common/X11Window.h"

#include <X11/extensions/XTest.h>
#include <X11/extensions/Xdamage.h>
#include <X11/keysym.h>
#include <stb/stb_image_write.h>

#include <gtest/gtest.h>

#include <algorithm>
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

// The time limits of the fixture and its tests are counted in frames of a
// program that draws two frames a second (a software renderer beside other
// work on two cores); a faster program only meets them sooner.
constexpr int kSlowFrameMs = 500;
constexpr int FramesMs(int frames) { return frames * kSlowFrameMs; }

class X11ProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* display = std::getenv("DISPLAY");
        if (!display || !*display) GTEST_SKIP() << "no X display";
        m_display = XOpenDisplay(nullptr);
        if (!m_display) GTEST_SKIP() << "the X display cannot be opened";
        // A window that went with its program answers requests with errors
        // (an empty picture, a damage report already gone): they are not the
        // end of the test.
        XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
        int event = 0, error = 0, major = 0, minor = 0;
        ASSERT_TRUE(XTestQueryExtension(m_display, &event, &error, &major, &minor)) << "no XTEST extension";
        ASSERT_TRUE(XDamageQueryExtension(m_display, &m_iDamageEvent, &error)) << "no DAMAGE extension";
        m_dir = FreshFolder();
    }
    void TearDown() override {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
            m_pid = -1;
        }
        ForgetWindow();
        if (m_display) XCloseDisplay(m_display);
        m_display = nullptr;
    }

    // Starts `program` in `folder` on the X server, with the given variables
    // set and its output dropped.
    void Launch(const std::filesystem::path& folder, const std::string& program,
                const std::vector<std::pair<std::string, std::string>>& environment) {
        ForgetWindow();
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
    // Also waits for the window's first frames: the program draws.
    bool WaitForWindow(const std::function<bool()>& ready, int width, int height, int ms = FramesMs(120)) {
        if (!WaitFor(ready, ms)) return false;
        const Atom pidAtom = XInternAtom(m_display, "_NET_WM_PID", False);
        WaitFor([&] { return (m_window = FindWindowOf(m_display, DefaultRootWindow(m_display), m_pid, pidAtom)); },
                FramesMs(20));
        XWindowAttributes attributes{};
        if (!m_window || !XGetWindowAttributes(m_display, m_window, &attributes) || attributes.width != width ||
            attributes.height != height)
            return false;
        m_damage = XDamageCreate(m_display, m_window, XDamageReportNonEmpty);
        m_iFrames = 0;
        return WaitFrames(2);
    }

    // The frames the window has shown since it was found: each report of
    // fresh damage to its pixels (read, then cleared for the next) counts
    // one. Two frames drawn before a report is read count once, so a wait
    // for n frames may last longer than n frames, never shorter.
    long Frames() {
        if (!m_damage) return m_iFrames;
        XSync(m_display, False);
        XEvent e;
        bool fresh = false;
        while (XCheckTypedEvent(m_display, m_iDamageEvent + XDamageNotify, &e)) fresh = true;
        if (fresh) {
            XDamageSubtract(m_display, m_damage, None, None);
            ++m_iFrames;
        }
        return m_iFrames;
    }
    // Waits until the window has shown `n` more frames; false when it has
    // not in the time of 4 n slow frames (at least 20 s).
    bool WaitFrames(int n) {
        const long until = Frames() + n;
        return WaitFor([&] { return Frames() >= until; }, std::max(FramesMs(40), FramesMs(4 * n)), 10);
    }
    // What the program saw of an event sent now: the frame being drawn may
    // have read its input before the event came, the one after it read it.
    bool WaitForTheProgramToSeeIt() { return WaitFrames(2); }

    // Waits (up to `ms`) until the test holds; false when it never does.
    static bool WaitFor(const std::function<bool()>& test, int ms = FramesMs(40), int stepMs = 50) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (std::chrono::steady_clock::now() < until) {
            if (test()) return true;
            SleepMs(stepMs);
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

    // The pointer comes to rest on (x, y) of the window: it stays there
    // until the program has drawn a frame that saw it (a button of its
    // dialogs takes a press only once the pointer hovers over it).
    void MovePointer(int x, int y) {
        int rootX = 0, rootY = 0;
        Window child = 0;
        XTranslateCoordinates(m_display, m_window, DefaultRootWindow(m_display), x, y, &rootX, &rootY, &child);
        Frames();
        XTestFakeMotionEvent(m_display, DefaultScreen(m_display), rootX, rootY, CurrentTime);
        XSync(m_display, False);
        WaitForTheProgramToSeeIt();
    }
    void Button(bool down) {
        Frames();
        XTestFakeButtonEvent(m_display, 1, down ? True : False, CurrentTime);
        XSync(m_display, False);
    }
    // One quick click, down and up at once (the program keeps the press for
    // the frame that reads it): what a button that acts on its first frame
    // down, a list or a slider takes once, at any frame rate.
    void Click(int x, int y) {
        MovePointer(x, y);
        Button(true);
        Button(false);
        WaitForTheProgramToSeeIt();
    }
    // The button held down on (x, y) until `taken` holds (up to `ms`), then
    // let go: a press that the program takes only on its second frame down
    // (behind a gate that a first frame frees) is seen, and one let go as
    // soon as it shows is not taken twice. Whether it was taken.
    bool Press(int x, int y, const std::function<bool()>& taken, int ms = FramesMs(20)) {
        MovePointer(x, y);
        Button(true);
        const bool seen = WaitFor(taken, ms, 20);
        Button(false);
        WaitForTheProgramToSeeIt();
        return seen || taken();
    }
    // The button held down on (x, y) until the pixel at (probeX, probeY)
    // changes from what it showed with the pointer resting there (the
    // pressed look of a check button, whose hover look is not a press), then
    // let go; whether it changed.
    bool PressUntilChanged(int x, int y, int probeX, int probeY, int tolerance = 12, int ms = FramesMs(20)) {
        MovePointer(x, y);
        const Rgb resting = Pixel(probeX, probeY);
        Button(true);
        const bool changed = WaitFor([&] { return !Pixel(probeX, probeY).Near(resting, tolerance); }, ms, 20);
        Button(false);
        WaitForTheProgramToSeeIt();
        return changed;
    }
    // Presses (x, y) until `done` holds, as a player presses again when a
    // busy machine let a press go by; false when it never holds. A press is
    // repeated only once `done` has not come in the time of many slow frames
    // and, when `notTaken` is given, only while it holds (the program shows
    // no sign of the earlier press: a press taken late must not be undone or
    // doubled by the next).
    bool ClickUntil(int x, int y, const std::function<bool()>& done, int tries = 4, int waitMs = FramesMs(20),
                    const std::function<bool()>& notTaken = {}) {
        for (int press = 0; press < tries; ++press) {
            if (press > 0 && notTaken && !notTaken()) {
                if (WaitFor(done, waitMs)) return true;
                break;
            }
            if (Press(x, y, done, waitMs) || WaitFor(done, waitMs)) return true;
        }
        // What the window showed instead, for the one who reads the failure.
        Picture("not_taken_at_" + std::to_string(x) + "_" + std::to_string(y));
        return false;
    }
    // A key pressed and let go at once: the program keeps the press for the
    // frame that reads it.
    void Key(KeySym key) {
        const KeyCode code = XKeysymToKeycode(m_display, key);
        Frames();
        XTestFakeKeyEvent(m_display, code, True, CurrentTime);
        XTestFakeKeyEvent(m_display, code, False, CurrentTime);
        XSync(m_display, False);
        WaitForTheProgramToSeeIt();
    }
    // A key held down until `taken` holds (up to `ms`), then let go; whether
    // it was taken.
    bool HoldKey(KeySym key, const std::function<bool()>& taken, int ms = FramesMs(20)) {
        const KeyCode code = XKeysymToKeycode(m_display, key);
        Frames();
        XTestFakeKeyEvent(m_display, code, True, CurrentTime);
        XSync(m_display, False);
        const bool seen = WaitFor(taken, ms, 20);
        XTestFakeKeyEvent(m_display, code, False, CurrentTime);
        XSync(m_display, False);
        WaitForTheProgramToSeeIt();
        return seen || taken();
    }
    // Lower-case letters and digits typed one by one.
    void Type(const std::string& text) {
        for (char c : text) Key(XStringToKeysym(std::string(1, c).c_str()));
    }

    // Asks the program to end; its exit code, -1 when it did not end in
    // `ms` or ended by a signal.
    int Terminate(int ms = FramesMs(40)) {
        if (m_pid <= 0) return -1;
        ::kill(m_pid, SIGTERM);
        return WaitForExit(ms);
    }
    int WaitForExit(int ms = FramesMs(40)) {
        int status = 0;
        if (m_pid <= 0 || !WaitFor([&] { return ::waitpid(m_pid, &status, WNOHANG) == m_pid; }, ms)) return -1;
        m_pid = -1;
        ForgetWindow();
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    void ForgetWindow() {
        if (m_damage && m_display) XDamageDestroy(m_display, m_damage);
        m_damage = 0;
        m_window = 0;
        m_iFrames = 0;
    }

    Display* m_display = nullptr;
    Window m_window = 0;
    Damage m_damage = 0;
    int m_iDamageEvent = 0;
    long m_iFrames = 0;
    std::filesystem::path m_dir;
    pid_t m_pid = -1;
};

} // namespace VornaTest
