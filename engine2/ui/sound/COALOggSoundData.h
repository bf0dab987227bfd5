#pragma once
// Ogg Vorbis sound data decoded with libvorbisfile over the C library's file
// functions. Mono files play as 16-bit mono, every other channel count as
// 16-bit stereo; a file of more than two channels is still opened, with one
// warning in the log, since it cannot play right.
#include "engine2/ui/sound/COALSoundData.h"
#include "platform/sound/OggDecoder.h"

namespace Vorna2 {

// The seek callback handed to the decoder: fseek with the low 32 bits of the
// offset; returns fseek's result.
int OggSeekCallback(void* file, ogg_int64_t offset, int origin);

class COALOggSoundData : public COALSoundData {
public:
    COALOggSoundData() = default;
    ~COALOggSoundData() override;

    bool Open(const char* file) override;
    void Close() override;
    bool FillBuffer(ALuint buffer, int bytes) override;
    void Rewind() override;
    EFill Fill(ALuint buffer, int bytes, int& uploaded) override;

private:
    Platform::OggDecoder m_decoder;
    std::vector<char> m_stdvScratch;
};

} // namespace Vorna2
