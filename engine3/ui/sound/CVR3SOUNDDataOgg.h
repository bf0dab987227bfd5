#pragma once
// Ogg Vorbis sound data, decoded with libvorbisfile over the C library's file
// functions. Only 1- and 2-channel streams are accepted.
#include "engine3/ui/sound/CVR3SOUNDData.h"

#include "platform/sound/OggDecoder.h"

#include <cstdio>

namespace Vorna3D {

class CVR3SOUNDDataOgg : public CVR3SOUNDData {
public:
    CVR3SOUNDDataOgg();
    ~CVR3SOUNDDataOgg() override;

    bool Open(const std::string& path, const std::string& name) override;
    bool Open(const char* path, const char* name) override;
    void Close() override;
    bool FillBuffer(uint32_t bufferId, int bytes) override;
    void SeekPcm(int64_t position) override;
    void SeekTime(double seconds) override;
    bool CreateBuffers() override;
    bool FillBufferCounted(uint32_t bufferId, int bytes, int& filled) override;

    // Whole files: the decoded PCM waiting for its buffers, one block per
    // buffer (emptied once the buffers are made).
    const std::vector<std::vector<char>>& GetPendingPcm() const { return m_stdvPcm; }
    bool IsDecoderOpen() const { return m_decoder.IsOpen(); }

private:
    void Rewind();

    FILE* m_pFile = nullptr;
    Platform::OggDecoder m_decoder;
    std::string m_strPath;
    std::vector<std::vector<char>> m_stdvPcm;
};

} // namespace Vorna3D
