#pragma once
// The scaled game clock of a battle: game milliseconds advance by real
// milliseconds times the speed while the clock runs, and stand still while it
// is stopped. Times are timeGetTime milliseconds and wrap with it.
#include "platform/os/WinTypes.h"

namespace Vorna3D {

class CDX9KelGameTimer {
public:
    // Advances the clock when it runs and returns the game time. Each call
    // adds (now - last tick) x speed, the fraction dropped.
    DWORD GetTime();
    // A speed above 0 (by its absolute value) starts the clock at the current
    // time; 0 stops it. The speed becomes |speed|.
    void SetSpeed(float speed);
    // Stops the clock (the game time stays).
    void Stop() { m_dwRunning = 0; }
    // Restarts the clock from now, so the stopped interval is not counted.
    void Start();
    bool IsRunning() const { return m_dwRunning != 0; }

    DWORD m_dwLastTick = 0; // real ms of the last advance
    DWORD m_dwGameTime = 0; // game ms
    DWORD m_dwRunning = 0;  // 0 = stopped, else the real ms of the last advance
    float m_fSpeed = 1.0f;  // game time per real time
};

} // namespace Vorna3D
