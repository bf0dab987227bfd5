#pragma once
// Helpers of the campaign sound tests: Ogg files of exact lengths, the log
// routed into the test's folder, and paths relative to the program folder
// (where the sound manager looks for its files).
#include "common/SoundFiles.h"
#include "engine2/core/CDX9KelLog.h"
#include "platform/os/Paths.h"
#include "TestFolder.h"

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

namespace SoundTest {

using SoundFiles::Tone;
using SoundFiles::WriteTone;

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
