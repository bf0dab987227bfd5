#pragma once
// Helpers of the sound tests: Ogg files of exact lengths, an OpenAL Soft
// configuration with a small channel count, and the log routed into a folder.
#include "data/generators/sounds/OggWriter.h"
#include "engine3/core/CDX9KelLog.h"
#include "TestFolder.h"

#include <cmath>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace SoundTest {

// A sine tone of `frames` frames.
inline std::vector<float> Tone(size_t frames, int channels, int rate, double hz = 440.0) {
    std::vector<float> samples(frames * static_cast<size_t>(channels));
    for (size_t i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
            samples[i * static_cast<size_t>(channels) + static_cast<size_t>(c)] =
                static_cast<float>(0.5 * std::sin(2.0 * 3.14159265358979 * hz * static_cast<double>(i) / rate));
    return samples;
}

inline std::string WriteTone(const std::filesystem::path& path, size_t frames, int channels = 1, int rate = 22050) {
    std::filesystem::create_directories(path.parent_path());
    EXPECT_TRUE(OggWriter::WriteOgg(path.string(), Tone(frames, channels, rate), channels, rate));
    return path.string();
}

// Points OpenAL Soft at a configuration written for this process, before the
// library is first used: the null backend with `sources` channels (or the
// given extra lines).
inline void ConfigureOpenAL(const std::string& extra) {
    const std::filesystem::path dir = std::filesystem::path(VORNA_TEST_TMP);
    std::filesystem::create_directories(dir);
    const std::filesystem::path conf = dir / ("alsoft-" + std::to_string(::getpid()) + ".conf");
    FILE* f = std::fopen(conf.c_str(), "wb");
    if (!f) return;
    std::fputs(extra.c_str(), f);
    std::fclose(f);
    ::setenv("ALSOFT_CONF", conf.c_str(), 1);
}

} // namespace SoundTest
