#include "engine3/core/CDX9KelGameTimer.h"
#include "platform/os/Clock.h"

#include <cmath>

namespace Vorna3D {

namespace {
// The running stamp doubles as the running flag, so it is never 0.
DWORD RunningStamp(DWORD now) { return now != 0 ? now : 1; }
} // namespace

DWORD CDX9KelGameTimer::GetTime() {
    if (m_dwRunning == 0) return m_dwGameTime;
    const DWORD now = timeGetTime();
    const DWORD delta = now - m_dwLastTick; // wrap-safe
    m_dwRunning = RunningStamp(now);
    m_dwLastTick = now;
    const double step = std::trunc(static_cast<double>(delta) * static_cast<double>(m_fSpeed));
    // A negative or absurd speed must not wrap the clock backwards or overflow.
    if (step > 0.0) m_dwGameTime += step < 4294967295.0 ? static_cast<DWORD>(step) : 4294967295u;
    return m_dwGameTime;
}

void CDX9KelGameTimer::SetSpeed(float speed) {
    if (speed > 0.0f || speed < 0.0f)
        Start();
    else
        Stop();
    m_fSpeed = std::fabs(speed);
}

void CDX9KelGameTimer::Start() {
    const DWORD now = timeGetTime();
    m_dwLastTick = now;
    m_dwRunning = RunningStamp(now);
}

} // namespace Vorna3D
