// Renders the demo scene headless at 1024x768 for a fixed number of frames
// through the real engine scene and prints two figures:
//   - the median frame time (processing, the render system's passes, present);
//   - the CPU time the engine spends outside GL per frame: the parameter
//     binding of the per-frame update, the collections for the reflection and
//     main cameras and their sorts (measured on their own, without drawing).
// usage: bench_engine3_render [frames]   (default 300)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/BenchReport.h"
#include "tests/engine3/core/render/DemoScene.h"
#include "engine3/core/CDX9KelEngine.h"
#include "engine3/core/CDX9KelLog.h"
#include "engine3/core/CDX9KelScene.h"
#include "engine3/core/render/CDX9KelBaseCameraManager.h"
#include "engine3/core/render/CDX9KelRender.h"
#include "engine3/core/render/CDX9KelRenderSystem.h"

using namespace Vorna3D;
using Clock = std::chrono::steady_clock;

namespace {

double Median(std::vector<double> v) {
    if (v.empty()) return 0.0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double Ms(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double, std::milli>(b - a).count(); }

} // namespace

int main(int argc, char** argv) {
    const int frames = argc > 1 ? std::max(1, std::atoi(argv[1])) : 300;
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("ALSOFT_DRIVERS", "null", 0);
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "vorna_bench_render";
    std::filesystem::create_directories(dir);
    {
        FILE* f = std::fopen((dir / "engine.ini").c_str(), "wb");
        if (!f) return 1;
        std::fputs("[Grafic Settings]\nFullScreen=0\nWidth=1024\nHeight=768\nRefreshRate=0\nVSync=0\nAnisotropy=2\n"
                   "ReflRefrTexture=512\nShadersLevel=2\nWaterType=0\n",
                   f);
        std::fclose(f);
    }
    g_Log.Open((dir / "Vorna3Log.log").c_str());
    CDX9KelEngine engine;
    auto* scene = new CDX9KelScene();
    engine.m_pScene = scene;
    engine.SetDataFolder(dir.string() + "/");
    if (!engine.InitInterfaces() || !engine.InitDevice() || !scene->Init()) {
        std::fprintf(stderr, "bench_engine3_render: the engine did not start (see %s)\n",
                     (dir / "Vorna3Log.log").c_str());
        return 1;
    }
    scene->m_bShowStatistics = false;
    const VornaDemo::DemoScene demo = VornaDemo::LoadDemoScene(*scene, std::string(VORNA_BIN_DIR) + "/");
    if (!demo.error.empty()) {
        std::fprintf(stderr, "bench_engine3_render: %s\n", demo.error.c_str());
        return 1;
    }

    // Warm up, then time whole frames.
    for (int i = 0; i < 10; ++i) {
        scene->Process();
        engine.Render();
    }
    std::vector<double> frameMs;
    frameMs.reserve(frames);
    for (int i = 0; i < frames; ++i) {
        const auto t0 = Clock::now();
        scene->Process();
        engine.Render();
        frameMs.push_back(Ms(t0, Clock::now()));
    }

    // The engine's own CPU work of a frame, without the draws.
    CDX9KelRenderSystem* rs = scene->m_pRenderSystem;
    CDX9KelBaseCamera* main = scene->m_pCameraManager->m_pActiveCamera;
    std::vector<double> cpuMs;
    cpuMs.reserve(frames);
    for (int i = 0; i < frames; ++i) {
        main->m_bChanged = true; // as when the camera moves: full rebinding
        const auto t0 = Clock::now();
        rs->Update(1.0f);
        rs->Collect(rs->m_pReflectionCamera, false);
        CDX9KelRenderSystem::SortUnits(rs->m_vModels);
        rs->Collect(main, true);
        CDX9KelRenderSystem::SortUnits(rs->m_vModels);
        rs->ClearLists();
        cpuMs.push_back(Ms(t0, Clock::now()));
    }

    // One picture for a person to look at.
    scene->m_strScreenshotFolder = dir.string() + "/";
    scene->MakeScreenshot("render_demo");
    scene->Process();
    engine.Render();

    char what[64];
    std::snprintf(what, sizeof what, "%d objects, %d models, %ux%u", demo.objects, demo.models,
                  engine.m_pRender->GetBackBufferWidth(), engine.m_pRender->GetBackBufferHeight());
    VornaBench::Figure("render_demo/frame", Median(frameMs), "ms", what);
    VornaBench::Figure("render_demo/engine_cpu_outside_gl", Median(cpuMs), "ms");
    std::fprintf(stderr, "picture: %s\n", (dir / "render_demo.jpg").c_str());
    engine.Release();
    return 0;
}
