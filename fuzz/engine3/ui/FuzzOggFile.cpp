// The Ogg Vorbis sound-file reader on arbitrary bytes: whatever the decoding
// library opens is decoded (a short file whole), the rest refused.
#include "engine3/core/CDX9KelLog.h"
#include "engine3/ui/sound/CVR3SOUNDDataOgg.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = "/tmp/fuzz_ogg_file_" + std::to_string(::getpid()) + ".ogg";
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return 0;
    const bool written = std::fwrite(data, 1, size, f) == size;
    std::fclose(f);
    if (!written) return 0;
    Vorna3D::CVR3SOUNDDataOgg sound;
    if (sound.Open(path, "fuzz.ogg")) {
        volatile int64_t sink = sound.m_llTotalSamples + sound.m_iChannels;
        (void)sink;
    }
    sound.Close();
    return 0;
}
