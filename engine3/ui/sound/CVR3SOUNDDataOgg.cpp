#include "engine3/ui/sound/CVR3SOUNDDataOgg.h"

#include "engine3/core/CDX9KelLog.h"
#include "engine3/ui/sound/OpenALCheck.h"
#include "platform/os/Paths.h"

#include <AL/al.h>

#include <algorithm>

namespace Vorna3D {

namespace {

// A sane upper bound for the sampling rate a file may declare.
constexpr long kMaxRate = 192000;

} // namespace

CVR3SOUNDDataOgg::CVR3SOUNDDataOgg() = default;

CVR3SOUNDDataOgg::~CVR3SOUNDDataOgg() { Close(); }

bool CVR3SOUNDDataOgg::Open(const char* path, const char* name) {
    if (!path) return false;
    return Open(std::string(path), std::string(name ? name : ""));
}

bool CVR3SOUNDDataOgg::Open(const std::string& path, const std::string& name) {
    if (m_bOpened || m_decoder.IsOpen()) Close();
    m_pFile = Platform::OpenFile(path, "rb");
    if (!m_pFile) {
        g_Log.Write(LOG_ERROR, "%s%s%s", "CVR3SOUNDDataOgg::Open() : fopen_s() failed on file: ", path.c_str(), "\n");
        return false;
    }
    m_strName = name;
    m_strPath = path;
    const char* const kNotVorbis = "Error : CVR3SOUNDDataOgg::Open : can not convert sound file to vorbis OGG: ";
    // What the decoding library opens and decodes is played, whatever the
    // encoder did at the file's end (no end-of-stream flag, a tag appended).
    if (!m_decoder.Open(m_pFile)) {
        std::fclose(m_pFile);
        m_pFile = nullptr;
        g_Log.Write(LOG_ERROR, "%s%s%s", kNotVorbis, path.c_str(), "\n");
        return false;
    }
    // From here the decoder owns the file and closes it.
    m_pFile = nullptr;
    const int64_t total = m_decoder.TotalSamples();
    // More than two channels would be played as stereo at the wrong speed.
    if (m_decoder.Channels() > 2 || m_decoder.Rate() > kMaxRate) {
        g_Log.Write(LOG_ERROR, "%s%s%s", kNotVorbis, path.c_str(), "\n");
        Close();
        return false;
    }
    m_iChannels = m_decoder.Channels();
    m_iRate = m_decoder.Rate();
    m_iFormat = m_iChannels == 1 ? AL_FORMAT_MONO16 : AL_FORMAT_STEREO16;
    m_llTotalSamples = total;
    m_dTotalTime = m_decoder.TotalSeconds();
    m_bStreamed = total > kStreamThreshold;
    if (total == 0) {
        g_Log.Write(LOG_ERROR, "%s%s%s", "CVR3SOUNDDataOgg::Open() : no sound in file: ", path.c_str(), "\n");
        Close();
        return false;
    }

    if (!m_bStreamed) {
        // Decode the whole file now, one block per buffer; the buffers are made
        // on the sound thread. A file that ends before the length it declares
        // is damaged and refused.
        const size_t expected = static_cast<size_t>(total) * static_cast<size_t>(m_iChannels) * 2u;
        size_t decoded = 0;
        long status = 1;
        while (decoded < expected && status > 0) {
            const size_t want = std::min(expected - decoded, static_cast<size_t>(kBufferBytes));
            std::vector<char> block(want);
            const size_t got = static_cast<size_t>(m_decoder.Read(block.data(), static_cast<int>(want), status));
            if (got == 0) break;
            block.resize(got);
            decoded += got;
            m_stdvPcm.push_back(std::move(block));
        }
        if (decoded < expected) {
            g_Log.Write(LOG_ERROR, "%s%s%s", "CVR3SOUNDDataOgg::Open() : decoding cut short on file: ", path.c_str(),
                        "\n");
            Close();
            return false;
        }
        // The decoder has done its work; the buffers hold everything from now on.
        m_decoder.Close();
    }
    m_bOpened = true;
    return true;
}

void CVR3SOUNDDataOgg::Rewind() { m_decoder.Rewind(); }

bool CVR3SOUNDDataOgg::CreateBuffers() {
    if (m_bBuffersReady) return true;
    if (m_bFailed || !m_bOpened) return false;
    if (m_bStreamed) {
        ALuint ids[kStreamBufferCount] = {};
        ClearALError();
        alGenBuffers(kStreamBufferCount, ids);
        const ALenum error = alGetError();
        if (error != AL_NO_ERROR) {
            g_Log.Write(LOG_ERROR, "%s%s%s", "CVR3SOUNDDataOgg::Open() : can not generate buffers : ",
                        ALErrorText(error), "\n");
            m_bFailed = true;
            return false;
        }
        m_stdvBufferIds.assign(ids, ids + kStreamBufferCount);
        m_bBuffersReady = true;
        return true;
    }
    for (const std::vector<char>& block : m_stdvPcm) {
        ALuint id = 0;
        ClearALError();
        alGenBuffers(1, &id);
        ALenum error = alGetError();
        if (error != AL_NO_ERROR) {
            g_Log.Write(LOG_ERROR, "%s%s%s", "CVR3SOUNDDataOgg::Open() : can not generate buffer : ",
                        ALErrorText(error), "\n");
            m_bFailed = true;
            return false;
        }
        m_stdvBufferIds.push_back(id);
        alBufferData(id, m_iFormat, block.data(), static_cast<ALsizei>(block.size()), m_iRate);
        error = alGetError();
        if (error != AL_NO_ERROR) {
            g_Log.Write(LOG_ERROR, "%s%s%s%s%s", "CVR3SOUNDDataOgg::FillBuffer() : alBufferData() failed : ",
                        ALErrorText(error), ". OGG file : ", m_strName.c_str(), "\n");
            m_bFailed = true;
            return false;
        }
    }
    m_stdvPcm.clear();
    m_stdvPcm.shrink_to_fit();
    m_bBuffersReady = true;
    return true;
}

bool CVR3SOUNDDataOgg::FillBuffer(uint32_t bufferId, int bytes) {
    int filled = 0;
    return FillBufferCounted(bufferId, bytes, filled);
}

bool CVR3SOUNDDataOgg::FillBufferCounted(uint32_t bufferId, int bytes, int& filled) {
    filled = 0;
    if (bytes < 1 || !m_decoder.IsOpen()) return false;
    std::vector<char> pcm(static_cast<size_t>(bytes));
    long status = 1;
    const size_t got = static_cast<size_t>(m_decoder.Read(pcm.data(), bytes, status));
    if (got > 0) {
        ClearALError();
        alBufferData(bufferId, m_iFormat, pcm.data(), static_cast<ALsizei>(got), m_iRate);
        const ALenum error = alGetError();
        if (error != AL_NO_ERROR) {
            g_Log.Write(LOG_ERROR, "%s%s%s%s%s", "CVR3SOUNDDataOgg::FillBuffer() : alBufferData() failed : ",
                        ALErrorText(error), ". OGG file : ", m_strName.c_str(), "\n");
            Rewind();
            return false;
        }
        filled = static_cast<int>(got);
    }
    if (status < 0)
        g_Log.Write(LOG_ERROR, "%s%s%s", "CVR3SOUNDDataOgg::FillBuffer() : decoding cut short on file: ",
                    m_strPath.c_str(), "\n");
    if (status <= 0) {
        Rewind();
        return false;
    }
    return true;
}

void CVR3SOUNDDataOgg::SeekPcm(int64_t position) { m_decoder.SeekPcm(position); }

void CVR3SOUNDDataOgg::SeekTime(double seconds) { m_decoder.SeekTime(seconds); }

void CVR3SOUNDDataOgg::Close() {
    if (!m_stdvBufferIds.empty()) {
        ClearALError();
        alDeleteBuffers(static_cast<ALsizei>(m_stdvBufferIds.size()), m_stdvBufferIds.data());
        const ALenum error = alGetError();
        if (error != AL_NO_ERROR)
            g_Log.Write(LOG_ERROR, "%s%s%s%s%s", "CVR3SOUNDDataOgg::Close() : alDeleteBuffers() failed : ",
                        ALErrorText(error), ". OGG file : ", m_strName.c_str(), "\n");
        m_stdvBufferIds.clear();
    }
    m_decoder.Close();
    if (m_pFile) {
        std::fclose(m_pFile);
        m_pFile = nullptr;
    }
    m_stdvPcm.clear();
    m_bOpened = false;
    m_bBuffersReady = false;
}

} // namespace Vorna3D
