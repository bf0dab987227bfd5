#pragma once
// Encodes 16-bit PCM into an Ogg Vorbis file with libvorbisenc. Used by the
// sound generator and by the tests that need sound files of exact lengths.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include <vorbis/vorbisenc.h>

namespace OggWriter {

// How the file ends. Other encoders and taggers leave the end-of-stream flag
// off the last page or append bytes after it (a tag); readers must cope.
struct Ending {
    bool endOfStreamFlag = true;
    std::string trailer;  // written after the last page
};

// `samples` holds interleaved frames of `channels` samples in [-1, 1].
// Returns false when the file cannot be written.
inline bool WriteOgg(const std::string& path, const std::vector<float>& samples, int channels, int rate,
                     float quality = 0.3f, const Ending& ending = Ending()) {
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return false;
    vorbis_info vi;
    vorbis_info_init(&vi);
    if (vorbis_encode_init_vbr(&vi, channels, rate, quality) != 0) {
        vorbis_info_clear(&vi);
        std::fclose(out);
        return false;
    }
    vorbis_comment vc;
    vorbis_comment_init(&vc);
    vorbis_dsp_state vd;
    vorbis_analysis_init(&vd, &vi);
    vorbis_block vb;
    vorbis_block_init(&vd, &vb);
    ogg_stream_state os;
    ogg_stream_init(&os, 20240611);  // fixed serial: the same input gives the same file

    ogg_packet header, comment, code;
    vorbis_analysis_headerout(&vd, &vc, &header, &comment, &code);
    ogg_stream_packetin(&os, &header);
    ogg_stream_packetin(&os, &comment);
    ogg_stream_packetin(&os, &code);
    ogg_page page;
    bool ok = true;
    while (ogg_stream_flush(&os, &page) != 0) {
        ok &= std::fwrite(page.header, 1, page.header_len, out) == static_cast<size_t>(page.header_len);
        ok &= std::fwrite(page.body, 1, page.body_len, out) == static_cast<size_t>(page.body_len);
    }

    const size_t frames = samples.size() / static_cast<size_t>(channels);
    const size_t chunk = 4096;
    size_t done = 0;
    bool eos = false;
    while (!eos) {
        const size_t n = std::min(chunk, frames - done);
        if (n == 0) {
            vorbis_analysis_wrote(&vd, 0);
        } else {
            float** buffer = vorbis_analysis_buffer(&vd, static_cast<int>(n));
            for (size_t i = 0; i < n; ++i)
                for (int c = 0; c < channels; ++c)
                    buffer[c][i] = samples[(done + i) * static_cast<size_t>(channels) + static_cast<size_t>(c)];
            vorbis_analysis_wrote(&vd, static_cast<int>(n));
            done += n;
        }
        while (vorbis_analysis_blockout(&vd, &vb) == 1) {
            vorbis_analysis(&vb, nullptr);
            vorbis_bitrate_addblock(&vb);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&vd, &packet)) {
                ogg_stream_packetin(&os, &packet);
                while (!eos && ogg_stream_pageout(&os, &page) != 0) {
                    if (ogg_page_eos(&page)) {
                        eos = true;
                        if (!ending.endOfStreamFlag) {
                            page.header[5] = static_cast<unsigned char>(page.header[5] & ~0x04);
                            ogg_page_checksum_set(&page);
                        }
                    }
                    ok &= std::fwrite(page.header, 1, page.header_len, out) == static_cast<size_t>(page.header_len);
                    ok &= std::fwrite(page.body, 1, page.body_len, out) == static_cast<size_t>(page.body_len);
                }
            }
        }
    }
    if (!ending.trailer.empty())
        ok &= std::fwrite(ending.trailer.data(), 1, ending.trailer.size(), out) == ending.trailer.size();
    ogg_stream_clear(&os);
    vorbis_block_clear(&vb);
    vorbis_dsp_clear(&vd);
    vorbis_comment_clear(&vc);
    vorbis_info_clear(&vi);
    ok &= std::fclose(out) == 0;
    return ok;
}

} // namespace OggWriter
