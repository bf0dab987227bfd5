#pragma once
// Decoded sound data held in OpenAL buffers. Short files are decoded whole
// into a chain of buffers when opened and may be shared by several sound
// resources; long files are streamed through two buffers that the one
// resource playing them refills every frame.
#include <AL/al.h>

#include <cstdint>
#include <cstdio>
#include <vector>

namespace Vorna2 {

class COALSoundData {
public:
    // A file of more samples (per channel) than this is streamed.
    static constexpr int64_t kStreamThreshold = 300000;
    // Bytes of PCM per buffer fill, for whole files and streams alike.
    static constexpr int kFillBytes = 65536;
    static constexpr int kStreamBuffers = 2;
    static constexpr int kNameLength = 40;

    // The outcome of one buffer fill.
    enum EFill {
        FILL_MORE,   // the buffer holds data and the stream goes on
        FILL_END,    // the stream ended (the decoder is back at the start);
                     // the buffer holds whatever was left, maybe nothing
        FILL_ERROR,  // decoding or the upload failed; the buffer is unusable
    };

    COALSoundData() = default;
    virtual ~COALSoundData() = default;
    COALSoundData(const COALSoundData&) = delete;
    COALSoundData& operator=(const COALSoundData&) = delete;

    virtual bool Open(const char* file) = 0;
    virtual void Close() = 0;
    // True while more data follows the block just put into the buffer.
    virtual bool FillBuffer(ALuint buffer, int bytes) = 0;
    virtual void Rewind() = 0;
    // FillBuffer with its three outcomes told apart; `uploaded` receives the
    // bytes the buffer now holds (0: the buffer was not touched).
    virtual EFill Fill(ALuint buffer, int bytes, int& uploaded) = 0;

    FILE* m_pFile = nullptr;
    // The file name without its folder, cut to 39 characters; the key under
    // which whole data is shared.
    char m_szName[kNameLength] = {};
    std::vector<ALuint> m_stdvBuffers;
    int m_iChannels = 0;
    int m_iRate = 0;
    int m_iFormat = 0;
    int64_t m_llTotalSamples = 0;
    double m_dTotalTime = 0.0;
    bool m_bStreamed = true;
    bool m_bOpened = false;
    // How many resources share the data: 1 after Open.
    int m_iUseCount = 0;
};

} // namespace Vorna2
