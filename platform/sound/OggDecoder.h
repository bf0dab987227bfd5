#pragma once
// Ogg Vorbis decoding with libvorbisfile over a C file, into 16-bit signed
// little-endian PCM: what both engines' sound data read their files with.
// The engines keep their own buffering, sharing and log lines.
#include <cstdint>
#include <cstdio>

#include <vorbis/vorbisfile.h>

namespace Platform {

class OggDecoder {
public:
    // The decoder's seek on the file; returns 0 on success like fseek.
    using SeekFn = int (*)(void* file, ogg_int64_t offset, int origin);

    OggDecoder() = default;
    ~OggDecoder();
    OggDecoder(const OggDecoder&) = delete;
    OggDecoder& operator=(const OggDecoder&) = delete;

    // Reads the stream's headers. On success the decoder owns the file and
    // closes it in Close; on failure the file stays the caller's. Streams
    // without channels, with a rate outside 1..384000 Hz or of unknown length
    // are refused. `seek` null: a 64-bit fseeko.
    bool Open(FILE* file, SeekFn seek = nullptr);
    bool IsOpen() const { return m_bOpen; }
    void Close();

    int Channels() const { return m_iChannels; }
    int Rate() const { return m_iRate; }
    // Length in samples per channel, and in seconds.
    int64_t TotalSamples() const { return m_llTotalSamples; }
    double TotalSeconds() const { return m_dTotalSeconds; }

    // Decodes up to `bytes` bytes (whole frames) at the current position.
    // `status`: above 0 while the stream goes on, 0 at its end, negative when
    // it cannot be decoded further (damaged data, or a chained part with
    // another channel count or rate). Lost-sync gaps are skipped.
    int Read(char* out, int bytes, long& status);
    // Back to the first sample.
    void Rewind();
    void SeekPcm(int64_t sample);
    void SeekTime(double seconds);

private:
    OggVorbis_File m_file{};
    bool m_bOpen = false;
    int m_iChannels = 0;
    int m_iRate = 0;
    int64_t m_llTotalSamples = 0;
    double m_dTotalSeconds = 0.0;
};

} // namespace Platform
