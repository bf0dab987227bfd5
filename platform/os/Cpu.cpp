#include "platform/os/Cpu.h"

#include <cstring>
#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#endif

namespace Platform {

std::string CpuBrandString() {
#if defined(__i386__) || defined(__x86_64__)
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (!__get_cpuid(0x80000000u, &a, &b, &c, &d) || a < 0x80000004u) return std::string();
    char brand[49] = {};
    for (unsigned leaf = 0; leaf < 3; ++leaf) {
        unsigned r[4] = {};
        __get_cpuid(0x80000002u + leaf, &r[0], &r[1], &r[2], &r[3]);
        std::memcpy(brand + leaf * 16, r, 16);
    }
    const char* p = brand;
    while (*p == ' ') ++p;
    return std::string(p);
#else
    return std::string();
#endif
}

} // namespace Platform
