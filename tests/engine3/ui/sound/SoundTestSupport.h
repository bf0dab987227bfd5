#pragma once
// Helpers of the sound tests: Ogg files of exact lengths, an OpenAL Soft
// configuration with a small channel count, and the log routed into a folder.
#include "common/SoundFiles.h"
#include "engine3/core/CDX9KelLog.h"
#include "TestFolder.h"

#include <cmath>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace SoundTest {

using SoundFiles::Tone;
using SoundFiles::WriteTone;

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
