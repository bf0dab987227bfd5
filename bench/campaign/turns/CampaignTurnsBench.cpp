// The campaign's turns on the demo map "The Strait", two computer players,
// fixed seed, on the virtual clock:
// 1. the logic of each frame of the computer's phase (the game map's frame
//    with the computer's steps inside it), by the step and state the frame
//    began in: p50, p99 and max in milliseconds, and the frames each
//    computer's phase took;
// 2. the map screen drawn at the window size of "engine.ini" (1024x768)
//    with the camera far enough out to show every unit: the frame time
//    (the update, the drawing and a one-pixel read-back), mean and median.
// usage: bench_campaign_turns [rounds] [drawn frames]   (default 12, 300)
#include "TurnsEngine.h"
#include "bench/BenchReport.h"

#include "engine2/core/CDX9KelLog.h"
#include "engine2/core/render/CDX9KelBaseCamera.h"
#include "engine2/core/render/CDX9KelBaseCameraManager.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <numeric>
#include <string>
#include <vector>

namespace {

double Quantile(std::vector<double> v, double q) {
    if (v.empty()) return 0.0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, static_cast<std::size_t>(q * static_cast<double>(v.size())))];
}

// The engine of a run; false when the map did not start.
bool Run(CampaignSim::TurnsEngine& engine) { return engine.Run(); }

} // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 12;
    const int drawn = argc > 2 ? std::max(20, std::atoi(argv[2])) : 300;
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("ALSOFT_DRIVERS", "null", 0);
    Vorna2::g_Log.SetCopyStream(nullptr);

    // 1. The computer's logic.
    {
        CampaignSim::SimOptions options;
        options.frameMs = 40;
        options.seed = 1;
        options.frames = 2000000;
        auto* scene = new VornaTest::CampaignMapScene();
        scene->m_mapName = "demo_strait.map";
        CampaignSim::TurnsEngine engine(options, scene, {}, true, rounds);
        engine.m_iMaxFrames = 1500000;
        engine.m_bTiming = true;
        engine.m_bQuiet = true;
        const bool ok = Run(engine) && engine.Ended();
        if (!ok) {
            std::fprintf(stderr, "bench_campaign_turns: the map did not play to its end\n");
            return 1;
        }
        std::vector<double> all;
        for (const auto& [state, ms] : engine.m_AIFrameMs) {
            all.insert(all.end(), ms.begin(), ms.end());
            const std::string frames = "frames=" + std::to_string(ms.size());
            VornaBench::Figure("campaign_ai_frame_" + state + "_p50", Quantile(ms, 0.5), "ms", frames);
            VornaBench::Figure("campaign_ai_frame_" + state + "_p99", Quantile(ms, 0.99), "ms");
            VornaBench::Figure("campaign_ai_frame_" + state + "_max", Quantile(ms, 1.0), "ms");
        }
        VornaBench::Figure("campaign_ai_frame_all_p50", Quantile(all, 0.5), "ms", "frames=" + std::to_string(all.size()));
        VornaBench::Figure("campaign_ai_frame_all_p99", Quantile(all, 0.99), "ms");
        VornaBench::Figure("campaign_ai_frame_all_max", Quantile(all, 1.0), "ms");
        const std::vector<int>& phases = engine.m_AIPhaseFrames;
        if (!phases.empty()) {
            const double mean = std::accumulate(phases.begin(), phases.end(), 0.0) / static_cast<double>(phases.size());
            VornaBench::Figure("campaign_ai_frames_per_phase_mean", mean, "frames",
                               "phases=" + std::to_string(phases.size()));
            VornaBench::Figure("campaign_ai_frames_per_phase_max", *std::max_element(phases.begin(), phases.end()),
                               "frames");
        }
    }

    // 2. The map screen drawn.
    {
        CampaignSim::SimOptions options;
        options.frameMs = 40;
        options.seed = 1;
        options.frames = drawn + 1000;
        // A picture is asked for, so every frame is drawn; it is not saved.
        options.picture = (std::filesystem::temp_directory_path() / "bench_campaign_turns.png").string();
        auto* scene = new VornaTest::CampaignMapScene();
        scene->m_mapName = "demo_strait.map";
        CampaignSim::TurnsEngine engine(options, scene, {}, true, 0);
        engine.m_iMaxFrames = drawn;
        engine.m_bTimeRender = true;
        engine.m_fOverviewDistance = 650.0f;
        engine.m_bQuiet = true;
        Run(engine);
        const std::vector<double>& ms = engine.m_RenderMs;
        if (ms.empty()) {
            std::fprintf(stderr, "bench_campaign_turns: nothing was drawn\n");
            return 1;
        }
        const double mean = std::accumulate(ms.begin(), ms.end(), 0.0) / static_cast<double>(ms.size());
        VornaBench::Figure("campaign_map_screen_frame_1024x768_mean", mean, "ms", "frames=" + std::to_string(ms.size()));
        VornaBench::Figure("campaign_map_screen_frame_1024x768_median", Quantile(ms, 0.5), "ms");
    }
    return 0;
}
