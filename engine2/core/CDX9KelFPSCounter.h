#pragma once
// Frames per second and the length of the last frame. The frame time is in
// units of 1/timeScale seconds (the scene sets 100: hundredths), 1.0 when the
// measured time is 0; every time-based update of the campaign uses it.
#include "platform/os/WinTypes.h"

namespace Vorna2 {

class CDX9KelFPSCounter {
public:
    static constexpr DWORD kWindowMs = 500;

    // Sets the time scale and takes the counter and its frequency.
    void Init(float timeScale);
    // Per frame: the frame time from the counter; the frames per second
    // from the last frame whenever more than 500 ms have passed since the
    // interval stamp was set.
    void Update();

    float GetFPS() const { return m_fFPS; }
    float GetFrameTime() const { return m_fFrameTime; }

    float m_fTimeScale = 100.0f;
    float m_fFPS = 0.0f;
    float m_fFrameTime = 1.0f;
    LONGLONG m_llPrevious = 0;
    LONGLONG m_llFrequency = 1;
    DWORD m_dwStamp = 0;
};

// The one FPS counter of the campaign.
extern CDX9KelFPSCounter g_FPSCounter;

} // namespace Vorna2
