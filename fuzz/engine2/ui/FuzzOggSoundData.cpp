// The campaign's Ogg Vorbis sound data reader on arbitrary bytes: opened,
// streamed to its end when long, and closed, on OpenAL's null output.
#include "engine2/ui/sound/COALOggSoundData.h"

#include <AL/alc.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

namespace {

bool OpenOutput() {
    ::setenv("ALSOFT_DRIVERS", "null", 1);
    ALCdevice* device = alcOpenDevice(nullptr);
    if (!device) return false;
    ALCcontext* context = alcCreateContext(device, nullptr);
    return context && alcMakeContextCurrent(context);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool ready = OpenOutput();
    (void)ready;
    const int fd = ::memfd_create("ogg", 0);
    if (fd < 0) return 0;
    if (size > 0 && ::write(fd, data, size) != static_cast<ssize_t>(size)) {
        ::close(fd);
        return 0;
    }
    const std::string path = "/proc/self/fd/" + std::to_string(fd);
    Vorna2::COALOggSoundData sound;
    if (sound.Open(path.c_str()) && sound.m_bStreamed && !sound.m_stdvBuffers.empty()) {
        int uploaded = 0;
        for (int i = 0; i < 64; ++i)
            if (sound.Fill(sound.m_stdvBuffers[0], Vorna2::COALSoundData::kFillBytes, uploaded) !=
                Vorna2::COALSoundData::FILL_MORE)
                break;
    }
    sound.Close();
    ::close(fd);
    return 0;
}
