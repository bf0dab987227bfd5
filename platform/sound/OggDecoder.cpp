#include "platform/sound/OggDecoder.h"

#include <sys/types.h>

namespace Platform {

namespace {

size_t ReadCallback(void* ptr, size_t size, size_t count, void* file) {
    return std::fread(ptr, size, count, static_cast<FILE*>(file));
}

int SeekCallback(void* file, ogg_int64_t offset, int origin) {
    return ::fseeko(static_cast<FILE*>(file), static_cast<off_t>(offset), origin);
}

int CloseCallback(void* file) { return std::fclose(static_cast<FILE*>(file)); }

long TellCallback(void* file) { return std::ftell(static_cast<FILE*>(file)); }

// Sampling rates beyond this are damaged headers.
constexpr long kMaxRate = 384000;
// Lost-sync reports tolerated in one read before the stream counts as broken.
constexpr int kMaxHoles = 1000;

} // namespace

OggDecoder::~OggDecoder() { Close(); }

bool OggDecoder::Open(FILE* file, SeekFn seek) {
    Close();
    if (!file) return false;
    const ov_callbacks callbacks = {ReadCallback, seek ? seek : SeekCallback, CloseCallback, TellCallback};
    if (ov_open_callbacks(file, &m_file, nullptr, 0, callbacks) < 0) return false;
    m_bOpen = true;
    const vorbis_info* info = ov_info(&m_file, -1);
    const ogg_int64_t total = ov_pcm_total(&m_file, -1);
    if (!info || info->channels < 1 || info->rate < 1 || info->rate > kMaxRate || total < 0) {
        // The decoder took the file with the headers; give it back open.
        m_file.datasource = nullptr;
        Close();
        return false;
    }
    m_iChannels = info->channels;
    m_iRate = static_cast<int>(info->rate);
    m_llTotalSamples = total;
    m_dTotalSeconds = ov_time_total(&m_file, -1);
    return true;
}

void OggDecoder::Close() {
    if (m_bOpen) ov_clear(&m_file);
    m_bOpen = false;
    m_iChannels = 0;
    m_iRate = 0;
    m_llTotalSamples = 0;
    m_dTotalSeconds = 0.0;
}

int OggDecoder::Read(char* out, int bytes, long& status) {
    int filled = 0;
    int holes = 0;
    status = m_bOpen ? 1 : -1;
    while (m_bOpen && filled < bytes) {
        int section = 0;
        status = ov_read(&m_file, out + filled, bytes - filled, 0, 2, 1, &section);
        if (status == OV_HOLE && ++holes <= kMaxHoles) continue;
        if (status <= 0) break;
        const vorbis_info* info = ov_info(&m_file, section);
        if (!info || info->channels != m_iChannels || info->rate != m_iRate) {
            status = -1;
            break;
        }
        filled += static_cast<int>(status);
    }
    return filled;
}

void OggDecoder::Rewind() {
    if (m_bOpen) ov_pcm_seek(&m_file, 0);
}

void OggDecoder::SeekPcm(int64_t sample) {
    if (m_bOpen && ov_pcm_tell(&m_file) != sample) ov_pcm_seek(&m_file, sample);
}

void OggDecoder::SeekTime(double seconds) {
    if (m_bOpen && ov_time_tell(&m_file) != seconds) ov_time_seek(&m_file, seconds);
}

} // namespace Platform
