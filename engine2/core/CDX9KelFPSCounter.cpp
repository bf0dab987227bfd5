#include "engine2/core/CDX9KelFPSCounter.h"

#include "platform/os/Clock.h"

namespace Vorna2 {

CDX9KelFPSCounter g_FPSCounter;

void CDX9KelFPSCounter::Init(float timeScale) {
    m_fTimeScale = timeScale;
    LARGE_INTEGER value{};
    QueryPerformanceCounter(&value);
    m_llPrevious = value.QuadPart;
    QueryPerformanceFrequency(&value);
    m_llFrequency = value.QuadPart > 0 ? value.QuadPart : 1;
    m_dwStamp = 0;
}

void CDX9KelFPSCounter::Update() {
    if (m_dwStamp == 0) m_dwStamp = timeGetTime();
    LARGE_INTEGER value{};
    QueryPerformanceCounter(&value);
    const LONGLONG current = value.QuadPart;
    const LONGLONG delta = current - m_llPrevious;
    if (timeGetTime() - m_dwStamp > kWindowMs) {
        m_dwStamp = 0;
        if (delta > 0) m_fFPS = static_cast<float>(static_cast<double>(m_llFrequency) / static_cast<double>(delta));
    }
    const double unit = static_cast<double>(m_llFrequency) / m_fTimeScale;
    const double frameTime = unit > 0.0 ? static_cast<double>(delta) / unit : 0.0;
    m_fFrameTime = frameTime <= 0.0 ? 1.0f : static_cast<float>(frameTime);
    m_llPrevious = current;
}

} // namespace Vorna2
