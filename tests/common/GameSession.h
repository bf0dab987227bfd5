#pragma once
// The battle program's engine with its game scene, run headless: SDL's
// offscreen driver, OpenAL's null backend, a virtual clock that moves a fixed
// step of game time per frame and a seeded random source. The game scene
// tests and the headless driver both run the game through this one harness,
// so what a test proves holds for what the driver shows.
#include "platform/os/Clock.h"
#include "platform/os/Crt.h"
#include "platform/os/WinTypes.h"
#include "seabattle/shell/CEngine.h"

#include <cstdint>
#include <mutex>
#include <random>
#include <string>

namespace Vorna3D {
class CDX9KelSGUIBaseControl;
class CDX9KelSGUIDialog;
class CVR3CIIScreenManager;
} // namespace Vorna3D

namespace SeaBattle {
class CScene;
} // namespace SeaBattle

namespace VornaTest {

// Random draws from a seed: the same seed gives the same sequence on every
// machine (the engine's sound thread may draw too, hence the lock).
class SeededRandom : public Platform::IRandomSource {
public:
    explicit SeededRandom(std::uint32_t seed) : m_engine(seed) {}
    void Seed(std::uint32_t seed) {
        std::lock_guard<std::mutex> lock(m_lock);
        m_engine.seed(seed);
    }
    std::uint32_t Next() override {
        std::lock_guard<std::mutex> lock(m_lock);
        return static_cast<std::uint32_t>(m_engine());
    }

private:
    std::mutex m_lock;
    std::mt19937 m_engine;
};

class GameSession {
public:
    static constexpr DWORD kDefaultStepMs = 16;

    struct Options {
        // The per-user folder (log, screenshots, settings copy), ending with
        // '/'. It is made when missing; "engine.ini" is copied into it from
        // the program folder when it has none.
        std::string dataFolder;
        DWORD stepMs = kDefaultStepMs;
        std::uint32_t seed = 0;
    };

    GameSession();
    ~GameSession();
    GameSession(const GameSession&) = delete;
    GameSession& operator=(const GameSession&) = delete;

    // Opens the log in the data folder and brings the engine up to a running
    // game scene; no frame has run yet. False when a start-up step failed (the
    // log says which); Stop still cleans up.
    bool Start(const Options& options);
    // Releases the engine and takes the clock and the random source back.
    void Stop();

    // One pass of the main loop: the waiting messages, the frame's processing,
    // then the picture when `draw` (a frame not drawn presents nothing); the
    // clock then moves on by the step. True when the frame's processing asked
    // for a screenshot.
    bool Frame(bool draw = true);
    void Frames(int count, bool draw = true);
    // The next drawn frame also saves its picture to `path` (".png", ".bmp"
    // or ".tga" by the name's end, else JPEG).
    bool TakePicture(const std::string& path);

    // The current screen's name, "(none)" when there is none.
    std::string CurrentScreen() const;
    // A dialog of a named screen; null when either is unknown.
    Vorna3D::CDX9KelSGUIDialog* Dialog(const std::string& screen, const std::string& dialog) const;
    // A button (plain, check or state) shown on the current screen: `owner`
    // names one of its dialogs or the screen itself (its shown dialogs are
    // searched in order); `button` is the control's name, or that name
    // without its "Button" ending. Null when there is none.
    Vorna3D::CDX9KelSGUIBaseControl* FindShownButton(const std::string& owner, const std::string& button) const;

    SeaBattle::CEngine& Engine() { return m_engine; }
    SeaBattle::CScene* Scene() const { return m_pScene; }
    Vorna3D::CVR3CIIScreenManager* Screens() const { return m_pScreens; }
    HWND Window() const;
    Platform::ManualClock& Clock() { return m_clock; }
    const std::string& DataFolder() const { return m_options.dataFolder; }
    std::string LogPath() const { return m_options.dataFolder + "Vorna3Log.log"; }
    long long FrameCount() const { return m_frames; }
    // The game time the frames made: their steps added up.
    long long GameMilliseconds() const { return m_gameMs; }
    bool QuitRequested() const { return m_bQuit; }
    int QuitCode() const { return m_iQuitCode; }

private:
    Options m_options;
    Platform::ManualClock m_clock;
    SeededRandom m_random{0};
    SeaBattle::CEngine m_engine;
    SeaBattle::CScene* m_pScene = nullptr;
    Vorna3D::CVR3CIIScreenManager* m_pScreens = nullptr;
    bool m_bStarted = false;
    bool m_bPictureAsked = false;
    bool m_bQuit = false;
    int m_iQuitCode = -1;
    long long m_frames = 0;
    long long m_gameMs = 0;
};

} // namespace VornaTest
