// The campaign's particle INI reader on arbitrary bytes; a file it accepts
// drives a system for some steps (no device: nothing is drawn).
#include "engine2/world/particles/CDXParticleSystem.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const int fd = ::memfd_create("ini", 0);
    if (fd < 0) return 0;
    if (size > 0 && ::write(fd, data, size) != static_cast<ssize_t>(size)) {
        ::close(fd);
        return 0;
    }
    const std::string path = "/proc/self/fd/" + std::to_string(fd);
    Vorna2::CDXParticleSystemParams params;
    if (Vorna2::ReadParticleSystemParams(path.c_str(), params)) {
        D3DXMATRIX local;
        D3DXMatrixIdentity(&local);
        Vorna2::CDXParticleSystem system;
        system.Setup(&params, local, nullptr);
        for (int i = 0; i < 16 && system.m_bAlive; ++i) system.Update(0.05f);
    }
    ::close(fd);
    return 0;
}
