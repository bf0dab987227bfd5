#pragma once
// Helpers of the campaign sound tests: Ogg files of exact lengths, the log
// routed into the test's folder, and paths relative to the program folder
// (where the sound manager looks for its files).
#include "data/generators/sounds/OggWriter.h"
#include "engine2/core/CDX9KelLog.h"
#include "platform/os/Paths.h"
#include "TestFolder.h"

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

namespace SoundTest {

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

// The path as the sound manager takes it: relative to the program folder.
inline std::string FromProgramFolder(const std::filesystem::path& path) {
    return std::filesystem::relative(path, Platform::ProgramFolder()).string();
}

// The campaign log written into `folder`, without the standard-error copy.
inline std::filesystem::path OpenLog(const std::filesystem::path& folder) {
    Vorna2::g_Log.Reset();
    Vorna2::g_Log.SetCopyStream(nullptr);
    const std::filesystem::path log = folder / "VornaLog.log";
    Vorna2::g_Log.Open(log.string());
    return log;
}

inline int CountLines(const std::string& text, const std::string& part) {
    int count = 0;
    for (size_t pos = text.find(part); pos != std::string::npos; pos = text.find(part, pos + 1)) ++count;
    return count;
}

} // namespace SoundTest
