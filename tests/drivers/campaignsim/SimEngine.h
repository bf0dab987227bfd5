#pragma once
// The campaign's engine as the driver runs it: a virtual clock that moves a
// fixed step per frame, a seeded random source, drawing only when a picture
// is asked for, and the window closed (as by the user) after the asked
// number of frames.
#include "campaign/shell/CEngine.h"
#include "platform/os/Clock.h"
#include "platform/os/Crt.h"

#include <cstdint>
#include <string>
#include <vector>

namespace CampaignSim {

// A key press or release, or wheel notches, given to the window after the
// frame `frame` has been drawn (0: before the first frame), so the frames
// after it see it.
struct ScriptEvent {
    int frame = 0;
    enum Kind { KeyDown, KeyUp, Wheel } kind = KeyDown;
    int value = 0; // the key's DIK code, or the notches
};

struct SimOptions {
    int frames = 1;
    DWORD frameMs = 10;
    std::uint32_t seed = 1;
    // A PNG of the last frame; empty: nothing is drawn.
    std::string picture;
    std::vector<ScriptEvent> script;
};

// xorshift32 from a seed: the same seed gives the same values.
class SeededRandom : public Platform::IRandomSource {
public:
    explicit SeededRandom(std::uint32_t seed) : m_state(seed ? seed : 0x9E3779B9u) {}
    std::uint32_t Next() override;
    bool GetState(std::uint64_t& state) const override {
        state = m_state;
        return true;
    }
    // A zero state would stay zero for ever: refused.
    bool SetState(std::uint64_t state) override {
        if (state == 0 || state > 0xFFFFFFFFu) return false;
        m_state = static_cast<std::uint32_t>(state);
        return true;
    }

private:
    std::uint32_t m_state;
};

class SimEngine : public VornaCampaign::CEngine {
public:
    explicit SimEngine(const SimOptions& options);
    ~SimEngine() override;

    bool InitInterfaces() override;
    bool InitInput() override;
    void Process() override;
    void Render() override;
    // Takes the state dump, then releases as the engine does.
    void Release() override;

    int GetFramesRun() const { return m_framesRun; }
    bool PictureSaved() const { return m_pictureSaved; }
    const SimOptions& GetOptions() const { return m_options; }
    // The virtual clock, for subcommands that wait on it.
    Platform::ManualClock& GetClock() { return m_clock; }
    // Ends the run after the frame being drawn, before the asked number of
    // frames (a subcommand that reached its goal).
    void EndRun() { m_endRequested = true; }
    // The state dump taken as the run ended, before anything was released.
    const std::string& GetFinalDump() const { return m_finalDump; }
    // The time of the virtual clock's first frame: the log's stamps read it.
    static constexpr std::time_t kStartTime = 1765400000; // a fixed December day

private:
    // Gives the window the script's events of the frame just finished.
    void InjectScript(int frame);

    SimOptions m_options;
    Platform::ManualClock m_clock;
    SeededRandom m_random;
    int m_framesRun = 0;
    bool m_closing = false;
    bool m_endRequested = false;
    bool m_pictureSaved = false;
    std::string m_finalDump;
};

} // namespace CampaignSim
