#pragma once
// Sound files for the sound tests: Ogg tones of exact lengths, and the levels
// of the 16-bit stereo wave file that OpenAL Soft's wave output writes.
#include "data/generators/sounds/OggWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace SoundFiles {

// A sine tone of `frames` frames in every channel.
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

struct WaveLevels {
    double left = 0.0;
    double right = 0.0;
    size_t frames = 0;
};

// Root-mean-square level of each channel of a 16-bit stereo wave file.
inline WaveLevels MeasureWave(const std::string& bytes) {
    WaveLevels levels;
    size_t pos = 12;
    while (pos + 8 <= bytes.size()) {
        uint32_t size = 0;
        std::memcpy(&size, bytes.data() + pos + 4, 4);
        if (bytes.compare(pos, 4, "data") == 0) {
            const size_t end = std::min(bytes.size(), pos + 8 + static_cast<size_t>(size));
            double l = 0.0, r = 0.0;
            for (size_t p = pos + 8; p + 4 <= end; p += 4) {
                int16_t s[2];
                std::memcpy(s, bytes.data() + p, 4);
                l += static_cast<double>(s[0]) * s[0];
                r += static_cast<double>(s[1]) * s[1];
                ++levels.frames;
            }
            if (levels.frames) {
                levels.left = std::sqrt(l / static_cast<double>(levels.frames));
                levels.right = std::sqrt(r / static_cast<double>(levels.frames));
            }
            break;
        }
        pos += 8 + size + (size & 1);
    }
    return levels;
}

} // namespace SoundFiles
