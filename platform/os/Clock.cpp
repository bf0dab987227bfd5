#include "platform/os/Clock.h"

#include <cstdio>
#include <time.h>

namespace {

// The system clock: monotonic milliseconds offset so that the first reading
// is far from 0, as a machine's uptime would be.
class SystemClock : public Platform::IClock {
public:
    DWORD Milliseconds() override {
        timespec ts{};
        clock_gettime(CLOCK_MONOTONIC, &ts);
        const unsigned long long ms = static_cast<unsigned long long>(ts.tv_sec) * 1000ull +
                                      static_cast<unsigned long long>(ts.tv_nsec) / 1000000ull;
        return static_cast<DWORD>(ms + kUptimeOffset);
    }
    LONGLONG Counter() override {
        timespec ts{};
        clock_gettime(CLOCK_MONOTONIC, &ts);
        return static_cast<LONGLONG>(ts.tv_sec) * 1000000000ll + ts.tv_nsec;
    }
    LONGLONG Frequency() override { return 1000000000ll; }
    std::time_t Now() override { return std::time(nullptr); }

private:
    static constexpr unsigned long long kUptimeOffset = 3600000ull;
};

SystemClock g_systemClock;
std::atomic<Platform::IClock*> g_clock{&g_systemClock};

} // namespace

DWORD timeGetTime() { return g_clock.load()->Milliseconds(); }

BOOL QueryPerformanceCounter(LARGE_INTEGER* count) {
    if (!count) return FALSE;
    count->QuadPart = g_clock.load()->Counter();
    return TRUE;
}

BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency) {
    if (!frequency) return FALSE;
    frequency->QuadPart = g_clock.load()->Frequency();
    return TRUE;
}

namespace Platform {

void SetClock(IClock* clock) { g_clock.store(clock ? clock : &g_systemClock); }

std::time_t CurrentTime() { return g_clock.load()->Now(); }

std::string LocalTimeText(std::time_t t) {
    tm local{};
    if (!localtime_r(&t, &local)) return std::string();
    // The C library's ctime layout, spelled out so no locale changes it.
    static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    char buf[64];
    const int n = snprintf(buf, sizeof buf, "%.3s %.3s%3d %.2d:%.2d:%.2d %d",
                           kDays[(local.tm_wday % 7 + 7) % 7], kMonths[(local.tm_mon % 12 + 12) % 12],
                           local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, local.tm_year + 1900);
    return n > 0 ? std::string(buf, static_cast<size_t>(n) < sizeof buf ? n : sizeof buf - 1) : std::string();
}

std::string LocalTimeText() { return LocalTimeText(CurrentTime()); }

} // namespace Platform
