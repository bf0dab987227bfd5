// Frame time of the battle sea and sky, headless at 1024 x 768, for every
// "WaterType" and "ShadersLevel" of the graphics settings: the median of
// measured frames after a few to warm up, one line per setting. "WaterType" 0 draws the sea on the
// hardware path (height and normal maps), any other value on the software
// path (heights and normals of the grid on the CPU).
//
// Run: build with -DVORNA_BENCH=ON, then
//   SDL_VIDEODRIVER=offscreen bench/bench_engine3_ocean_render [frames]
#include "bench/BenchReport.h"
#include "tests/engine3/world/ocean_render/OceanScene.h"

#include "engine3/core/CDX9KelLog.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 1024;
constexpr int kHeight = 768;
constexpr int kWarmUpFrames = 5;

// Median milliseconds of `frames` frames, or a negative value when the scene
// could not be made.
double MedianFrameMs(int waterType, int shadersLevel, int frames, const std::filesystem::path& folder) {
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "engine.ini") << "[Grafic Settings]\nShadersLevel=" << shadersLevel
                                         << "\nWaterType=" << waterType << "\n";
    VornaOcean::OceanScene scene;
    if (!scene.Create(kWidth, kHeight, waterType != 0, folder.string() + "/", std::string(VORNA_BIN_DIR) + "/")) {
        std::fprintf(stderr, "WaterType %d ShadersLevel %d: %s\n", waterType, shadersLevel, scene.m_strError.c_str());
        return -1.0;
    }
    for (int i = 0; i < kWarmUpFrames; ++i)
        scene.Frame(nullptr);
    std::vector<double> ms;
    ms.reserve(static_cast<size_t>(frames));
    for (int i = 0; i < frames; ++i) {
        const auto start = std::chrono::steady_clock::now();
        scene.Frame(nullptr);
        ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    const int frames = argc > 1 ? std::max(1, std::atoi(argv[1])) : 30;
    const std::filesystem::path root = std::filesystem::temp_directory_path() / "vorna_bench_ocean_render";
    std::filesystem::create_directories(root);
    Vorna3D::g_Log.Open((root / "bench.log").c_str());
    int failures = 0;
    for (int waterType = 0; waterType <= 1; ++waterType)
        for (int level = 2; level >= 0; --level) {
            char name[32];
            std::snprintf(name, sizeof name, "w%d_s%d", waterType, level);
            const double ms = MedianFrameMs(waterType, level, frames, root / name);
            if (ms < 0) {
                ++failures;
                continue;
            }
            char figure[96];
            std::snprintf(figure, sizeof figure, "sea_sky/water%d_shaders%d_%s/%dx%d", waterType, level,
                          waterType == 0 ? "hardware" : "software", kWidth, kHeight);
            VornaBench::Figure(figure, ms, "ms");
        }
    Vorna3D::g_Log.Reset();
    return failures ? 1 : 0;
}
