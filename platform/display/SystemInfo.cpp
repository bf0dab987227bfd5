#include "platform/display/SystemInfo.h"
#include "platform/os/Paths.h"

#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>
#include <sys/utsname.h>
#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

#include <cstring>

namespace Platform {

namespace {
std::string Trimmed(std::string s) {
    const size_t b = s.find_first_not_of(" \t");
    if (b == std::string::npos) return std::string();
    const size_t e = s.find_last_not_of(" \t\n");
    return s.substr(b, e - b + 1);
}

// Splits a list of '\0'-terminated names ended by a second '\0'.
std::vector<std::string> NameList(const ALCchar* list) {
    std::vector<std::string> names;
    // A sane cap, in case a driver forgets the final terminator.
    for (int i = 0; list && *list && i < 256; ++i) {
        names.emplace_back(list);
        list += std::strlen(list) + 1;
    }
    return names;
}
} // namespace

std::string ProcessorBrand() {
#if defined(__x86_64__) || defined(__i386__)
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (__get_cpuid(0x80000000u, &a, &b, &c, &d) && a >= 0x80000004u) {
        char brand[49] = {};
        for (unsigned leaf = 0; leaf < 3; ++leaf) {
            unsigned r[4] = {};
            __get_cpuid(0x80000002u + leaf, &r[0], &r[1], &r[2], &r[3]);
            std::memcpy(brand + leaf * 16, r, 16);
        }
        return Trimmed(brand);
    }
#endif
    // Elsewhere the kernel names it.
    std::string text;
    if (!ReadTextFile("/proc/cpuinfo", text, 1u << 20)) return std::string();
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(pos, end - pos);
        const size_t colon = line.find(':');
        if (colon != std::string::npos) {
            const std::string key = Trimmed(line.substr(0, colon));
            if (key == "model name" || key == "Model" || key == "cpu model") return Trimmed(line.substr(colon + 1));
        }
        pos = end + 1;
    }
    return std::string();
}

std::string OperatingSystemText() {
    utsname u{};
    if (::uname(&u) != 0) return std::string();
    return std::string(u.sysname) + " " + u.release + " " + u.machine;
}

std::vector<std::string> AudioDeviceNames() {
    if (alcIsExtensionPresent(nullptr, "ALC_ENUMERATE_ALL_EXT"))
        return NameList(alcGetString(nullptr, ALC_ALL_DEVICES_SPECIFIER));
    if (alcIsExtensionPresent(nullptr, "ALC_ENUMERATION_EXT"))
        return NameList(alcGetString(nullptr, ALC_DEVICE_SPECIFIER));
    return {};
}

} // namespace Platform
