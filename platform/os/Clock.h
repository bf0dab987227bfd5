#pragma once
// Clocks. Every component that reads the time goes through these calls, so a
// test can install a manual clock and step it exactly.
#include "platform/os/WinTypes.h"
#include <atomic>
#include <ctime>
#include <string>

// timeGetTime: milliseconds of the monotonic clock; wraps at 2^32; never near 0
// right after start (gates use 0 as "not armed").
DWORD timeGetTime();
// The high-resolution counter and its frequency (counts per second).
BOOL QueryPerformanceCounter(LARGE_INTEGER* count);
BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency);

namespace Platform {

class IClock {
public:
    virtual ~IClock() = default;
    virtual DWORD Milliseconds() = 0;
    virtual LONGLONG Counter() = 0;
    virtual LONGLONG Frequency() = 0;
    // Seconds since the epoch, for local-time texts.
    virtual std::time_t Now() = 0;
};

// Installs a clock for timeGetTime and the counter; null restores the system
// clock. The caller keeps ownership and must outlive its installation.
void SetClock(IClock* clock);

// A clock that moves only when told; thread-safe reads.
class ManualClock : public IClock {
public:
    explicit ManualClock(DWORD startMs = 1000000u, std::time_t now = 1700000000) : m_ms(startMs), m_now(now) {}
    DWORD Milliseconds() override { return m_ms.load(); }
    LONGLONG Counter() override { return static_cast<LONGLONG>(m_counter.load()); }
    LONGLONG Frequency() override { return 1000000; }
    std::time_t Now() override { return m_now.load(); }
    // Advances the millisecond clock and the counter (microseconds) together.
    void Advance(DWORD ms) { m_ms += ms; m_counter += static_cast<LONGLONG>(ms) * 1000; }
    void SetMilliseconds(DWORD ms) { m_ms = ms; }
    void AdvanceCounter(LONGLONG ticks) { m_counter += ticks; }
    void SetNow(std::time_t t) { m_now = t; }
private:
    std::atomic<DWORD> m_ms;
    std::atomic<LONGLONG> m_counter{0};
    std::atomic<std::time_t> m_now;
};

// Seconds since the epoch from the installed clock.
std::time_t CurrentTime();
// The local time in the C library's ctime form without its newline,
// e.g. "Thu Dec 10 12:45:56 2026" (24 characters).
std::string LocalTimeText(std::time_t t);
std::string LocalTimeText();

} // namespace Platform
