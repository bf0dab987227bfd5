#include "platform/os/Numbers.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <locale.h>

namespace Platform {

namespace {
locale_t CLocale() {
    static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    return c;
}
} // namespace

double ParseDouble(const char* text, const char** end) {
    if (!text) {
        if (end) *end = text;
        return 0.0;
    }
    char* stop = nullptr;
    const locale_t c = CLocale();
    const double v = c ? strtod_l(text, &stop, c) : std::strtod(text, &stop);
    if (end) *end = stop;
    return stop == text ? 0.0 : v;
}

int ParseInt(const char* text, const char** end) {
    if (!text) {
        if (end) *end = text;
        return 0;
    }
    const char* p = text;
    while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    if (*p < '0' || *p > '9') {
        if (end) *end = text;
        return 0;
    }
    long long v = 0;
    for (; *p >= '0' && *p <= '9'; ++p)
        if (v <= static_cast<long long>(INT_MAX) + 1) v = v * 10 + (*p - '0');
    if (end) *end = p;
    if (negative) return v > static_cast<long long>(INT_MAX) ? INT_MIN : static_cast<int>(-v);
    return v > INT_MAX ? INT_MAX : static_cast<int>(v);
}

} // namespace Platform
