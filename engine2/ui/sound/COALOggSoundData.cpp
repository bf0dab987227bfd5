#include "engine2/ui/sound/COALOggSoundData.h"

#include "engine2/core/CDX9KelLog.h"
#include "platform/os/Paths.h"
#include "platform/sound/SoundDevice.h"

#include <algorithm>
#include <cstring>
#include <numeric>

namespace Vorna2 {

using Platform::OpenALErrorText;

int OggSeekCallback(void* file, ogg_int64_t offset, int origin) {
    return std::fseek(static_cast<FILE*>(file), static_cast<long>(static_cast<int32_t>(offset)), origin);
}

COALOggSoundData::~COALOggSoundData() { Close(); }

bool COALOggSoundData::Open(const char* file) {
    if (!file) return false;
    if (m_bOpened || m_decoder.IsOpen() || m_pFile) Close();
    m_pFile = Platform::OpenFile(file, "rb");
    if (!m_pFile) {
        g_Log.Write(LOG_FAILURE, "%s%s%s", "CVR3SOUNDDataOgg::Open() : fopen_s() failed on file: ", file, "\n");
        return false;
    }
    const char* name = file;
    for (const char* p = file; *p; ++p)
        if (*p == '\\' || *p == '/') name = p + 1;
    std::memset(m_szName, 0, sizeof(m_szName));
    std::strncpy(m_szName, name, sizeof(m_szName) - 1);

    const char* const kNotVorbis = "Error : CVR3SOUNDDataOgg::Open : can not convert sound file to vorbis OGG: ";
    if (!m_decoder.Open(m_pFile, OggSeekCallback)) {
        std::fclose(m_pFile);
        m_pFile = nullptr;
        g_Log.Write(LOG_FAILURE, "%s%s%s", kNotVorbis, file, "\n");
        return false;
    }
    // The decoder owns the file from here and closes it.
    m_pFile = nullptr;
    m_iChannels = m_decoder.Channels();
    m_iRate = m_decoder.Rate();
    m_iFormat = m_iChannels == 1 ? AL_FORMAT_MONO16 : AL_FORMAT_STEREO16;
    if (m_iChannels > 2)
        g_Log.Write(LOG_INFO, "%s%d%s%s%s", "Warning : CVR3SOUNDDataOgg::Open : ", m_iChannels,
                    " channels played as stereo: ", file, "\n");
    const int64_t total = m_decoder.TotalSamples();
    m_llTotalSamples = total;
    m_dTotalTime = m_decoder.TotalSeconds();
    m_bStreamed = total > kStreamThreshold;

    if (m_bStreamed) {
        ALuint ids[kStreamBuffers] = {};
        alGetError();
        alGenBuffers(kStreamBuffers, ids);
        const ALenum error = alGetError();
        if (error != AL_NO_ERROR) {
            g_Log.Write(LOG_FAILURE, "%s%s%s", "CVR3SOUNDDataOgg::Open() : can not generate buffers : ",
                        OpenALErrorText(error), "\n");
            Close();
            return false;
        }
        m_stdvBuffers.assign(ids, ids + kStreamBuffers);
    } else {
        // Decoded whole, one buffer per fill. The decoding stops at the length
        // the file declares, so a damaged file cannot grow without bound.
        const int64_t expected = total * m_iChannels * 2;
        int64_t decoded = 0;
        EFill fill = FILL_MORE;
        while (fill == FILL_MORE && decoded < expected) {
            ALuint id = 0;
            alGetError();
            alGenBuffers(1, &id);
            const ALenum error = alGetError();
            if (error != AL_NO_ERROR) {
                g_Log.Write(LOG_FAILURE, "%s%s%s", "CVR3SOUNDDataOgg::Open() : can not generate buffer : ",
                            OpenALErrorText(error), "\n");
                Close();
                return false;
            }
            m_stdvBuffers.push_back(id);
            int uploaded = 0;
            fill = Fill(id, static_cast<int>(std::min<int64_t>(kFillBytes, expected - decoded)), uploaded);
            if (fill == FILL_ERROR) {
                Close();
                return false;
            }
            if (uploaded == 0) {
                // Nothing was left for this buffer: it is not kept, so no
                // empty buffer is ever queued.
                alDeleteBuffers(1, &id);
                m_stdvBuffers.pop_back();
            }
            decoded += uploaded;
        }
        Rewind();
    }
    m_bOpened = true;
    m_iUseCount = 1;
    return true;
}

COALSoundData::EFill COALOggSoundData::Fill(ALuint buffer, int bytes, int& uploaded) {
    uploaded = 0;
    // Whole frames of the file that are also whole frames of the format.
    const int fileFrame = m_iChannels * 2;
    const int alFrame = m_iFormat == AL_FORMAT_MONO16 ? 2 : 4;
    const int unit = std::lcm(fileFrame, alFrame);
    if (!m_decoder.IsOpen() || bytes < 1 || unit < 1) return FILL_ERROR;
    bytes -= bytes % unit;
    if (bytes < 1) {
        // Less than one frame of the format is left: it cannot be played.
        Rewind();
        return FILL_END;
    }
    m_stdvScratch.resize(static_cast<size_t>(bytes));
    long status = 1;
    const int got = m_decoder.Read(m_stdvScratch.data(), bytes, status);
    if (status < 0) {
        g_Log.Write(LOG_FAILURE, "%s%s%s", "CVR3SOUNDDataOgg::FillBuffer() : decoding failed on file: ", m_szName,
                    "\n");
        Rewind();
        return FILL_ERROR;
    }
    if (got > 0) {
        alGetError();
        alBufferData(buffer, m_iFormat, m_stdvScratch.data(), got, m_iRate);
        const ALenum error = alGetError();
        if (error != AL_NO_ERROR) {
            g_Log.Write(LOG_FAILURE, "%s%s%s%s%s", "CVR3SOUNDDataOgg::FillBuffer() : alBufferData() failed : ",
                        OpenALErrorText(error), ". OGG file : ", m_szName, "\n");
            Rewind();
            return FILL_ERROR;
        }
        uploaded = got;
    }
    if (status == 0) {
        Rewind();
        return FILL_END;
    }
    return FILL_MORE;
}

bool COALOggSoundData::FillBuffer(ALuint buffer, int bytes) {
    int uploaded = 0;
    return Fill(buffer, bytes, uploaded) == FILL_MORE;
}

void COALOggSoundData::Rewind() { m_decoder.Rewind(); }

void COALOggSoundData::Close() {
    if (!m_stdvBuffers.empty()) {
        alGetError();
        alDeleteBuffers(static_cast<ALsizei>(m_stdvBuffers.size()), m_stdvBuffers.data());
        const ALenum error = alGetError();
        if (error != AL_NO_ERROR)
            g_Log.Write(LOG_FAILURE, "%s%s%s%s%s", "CVR3SOUNDDataOgg::Close() : alDeleteBuffers() failed : ",
                        OpenALErrorText(error), ". OGG file : ", m_szName, "\n");
        m_stdvBuffers.clear();
    }
    m_decoder.Close();
    if (m_pFile) {
        std::fclose(m_pFile);
        m_pFile = nullptr;
    }
    m_bOpened = false;
}

} // namespace Vorna2
