// Draws the campaign engine's demo scene (sea plane, four ships with their
// levels of detail, island, buoy, skinned flag, statistics) headless at
// 1024x768 through the real scene and device wrapper, and prints the frame
// time (the scene's update, its drawing passes and the present): the mean
// over the run and the median of single frames. The GL driver queues frames,
// so each frame ends with a one-pixel read-back that waits until the driver
// has drawn it.
// usage: bench_engine2_scene [frames]   (default 300)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "DemoScene.h"
#include "bench/BenchReport.h"
#include "engine2/core/CDX9KelApp.h"
#include "engine2/core/CDX9KelEngine.h"
#include "engine2/core/CDX9KelLog.h"
#include "engine2/core/render/CDX9KelRender.h"
#include "platform/os/Paths.h"

using namespace Vorna2;
using Clock = std::chrono::steady_clock;

namespace {

double Median(std::vector<double> v) {
    if (v.empty()) return 0.0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The device of the settled 1024x768 window, as the engine makes it from
// "engine.ini" (which the benchmark does not need to find).
class BenchEngine : public CDX9KelEngine {
public:
    bool InitDevice() override {
        if (!m_pApp || !m_pRender) return false;
        if (FAILED(m_pRender->InitialD3D()) || FAILED(m_pRender->CheckWindowMode(0, 1024, 768, 0))) return false;
        if (FAILED(m_pApp->CreateWnd(m_pRender->m_iWidth, m_pRender->m_iHeight, false, nullptr, true, nullptr, 0, 0)))
            return false;
        return SUCCEEDED(m_pRender->InitialD3DDevice(m_pApp->m_hWnd));
    }
};

} // namespace

int main(int argc, char** argv) {
    const int frames = argc > 1 ? std::max(1, std::atoi(argv[1])) : 300;
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("ALSOFT_DRIVERS", "null", 0);
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "vorna_bench_engine2_scene";
    std::filesystem::create_directories(dir);
    g_Log.SetCopyStream(nullptr);
    g_Log.Open((dir / "VornaLog.log").string());
    BenchEngine engine;
    auto* scene = new CampaignSim::DemoScene();
    // The demo data lies in the programs' folder beside this one.
    scene->m_ContentPrefix =
        std::filesystem::relative(VORNA_BIN_DIR, Platform::ProgramFolder()).string() + "/";
    engine.m_pScene = scene;
    if (!engine.InitInterfaces() || !engine.InitDevice() || !scene->Init()) {
        std::fprintf(stderr, "bench_engine2_scene: the scene did not start (see %s)\n",
                     (dir / "VornaLog.log").c_str());
        return 1;
    }
    for (int i = 0; i < 10; ++i) {
        scene->Process();
        engine.Render();
    }
    std::vector<double> frameMs;
    frameMs.reserve(size_t(frames));
    const auto start = Clock::now();
    for (int i = 0; i < frames; ++i) {
        const auto t0 = Clock::now();
        scene->Process();
        engine.Render();
        DWORD pixel = 0;
        Platform::ReadBackBuffer(engine.m_pRender->GetDevice(), 0, 0, 1, 1, &pixel);
        frameMs.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
    }
    const double total = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    VornaBench::Figure("campaign_scene_frame_1024x768_mean", total / frames, "ms", "frames=" + std::to_string(frames));
    VornaBench::Figure("campaign_scene_frame_1024x768_median", Median(frameMs), "ms");
    engine.Release();
    return 0;
}
