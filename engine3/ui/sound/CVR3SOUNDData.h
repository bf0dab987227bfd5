#pragma once
// Decoded sound data for OpenAL. Short files are decoded whole when opened and
// shared by every source that plays them; long files are streamed through two
// buffers by the one source that plays them.
//
// Threads: `Open` runs on the loading (main) thread and makes no OpenAL call:
// a whole file is decoded into memory there. Everything that touches OpenAL
// (`CreateBuffers`, `FillBuffer`, `Close`) runs on the sound thread, or on the
// main thread once the sound thread has ended.
#include <cstdint>
#include <string>
#include <vector>

namespace Vorna3D {

class CVR3SOUNDData {
public:
    // A file of more samples per channel than this is streamed.
    static constexpr int64_t kStreamThreshold = 300000;
    // Bytes of PCM per buffer, for whole files and stream buffers alike.
    static constexpr int kBufferBytes = 200000;
    static constexpr int kStreamBufferCount = 2;

    CVR3SOUNDData() = default;
    virtual ~CVR3SOUNDData() = default;
    CVR3SOUNDData(const CVR3SOUNDData&) = delete;
    CVR3SOUNDData& operator=(const CVR3SOUNDData&) = delete;

    virtual bool Open(const std::string& path, const std::string& name) = 0;
    virtual bool Open(const char* path, const char* name) = 0;
    virtual void Close() = 0;
    // Decodes up to `bytes` bytes into the buffer; true when the buffer was
    // filled and the stream has more, false at the end of the stream (which is
    // then rewound to its start) or on an error.
    virtual bool FillBuffer(uint32_t bufferId, int bytes) = 0;
    virtual void SeekPcm(int64_t position) = 0;
    virtual void SeekTime(double seconds) = 0;

    // Sound thread: makes the OpenAL buffers (and hands a whole file's PCM to
    // them) unless done already. False when OpenAL refused; the data is then
    // marked failed and never plays.
    virtual bool CreateBuffers() = 0;

    // Decodes up to `bytes` bytes into the buffer and tells how many bytes it
    // holds now (0: the buffer was left unchanged). The result is that of
    // FillBuffer.
    virtual bool FillBufferCounted(uint32_t bufferId, int bytes, int& filled) = 0;

    std::string m_strName;
    std::vector<uint32_t> m_stdvBufferIds;
    int32_t m_iChannels = 0;
    int32_t m_iRate = 0;
    int32_t m_iFormat = 0;
    int64_t m_llTotalSamples = 0;
    double m_dTotalTime = 0.0;
    uint32_t m_uReferenceCount = 0;
    int32_t m_iSlot = -1;
    bool m_bStreamed = false;
    bool m_bOpened = false;
    // Set once the OpenAL buffers exist; set when making them failed.
    bool m_bBuffersReady = false;
    bool m_bFailed = false;
};

} // namespace Vorna3D
