// Reads an arbitrary INI file through the profile functions, then writes a
// key into it and reads it back.
#include "platform/os/Profile.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = "/tmp/vorna_fuzz_ini_" + std::to_string(getpid()) + ".ini";
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);

    char sections[4096];
    const DWORD n = GetPrivateProfileStringA(nullptr, nullptr, "", sections, sizeof sections, path.c_str());
    int queried = 0;
    for (DWORD i = 0; i < n && sections[i] && queried < 16; i += static_cast<DWORD>(std::strlen(sections + i)) + 1) {
        const char* section = sections + i;
        char keys[4096];
        const DWORD k = GetPrivateProfileStringA(section, nullptr, "", keys, sizeof keys, path.c_str());
        for (DWORD j = 0; j < k && keys[j] && queried < 16; j += static_cast<DWORD>(std::strlen(keys + j)) + 1, ++queried) {
            char value[64];
            GetPrivateProfileStringA(section, keys + j, "default", value, sizeof value, path.c_str());
            GetPrivateProfileIntA(section, keys + j, -1, path.c_str());
        }
    }
    char value[8];
    GetPrivateProfileStringA("Grafic Settings", "Width", nullptr, value, sizeof value, path.c_str());
    GetPrivateProfileIntA("Grafic Settings", "Width", -1, path.c_str());

    if (WritePrivateProfileStringA("Fuzz", "Key", "Value", path.c_str())) {
        char back[16];
        GetPrivateProfileStringA("Fuzz", "Key", "", back, sizeof back, path.c_str());
        if (std::strcmp(back, "Value") != 0) __builtin_trap(); // a written key must read back
    }
    WritePrivateProfileStringA("Fuzz", nullptr, nullptr, path.c_str());
    std::remove(path.c_str());
    return 0;
}
