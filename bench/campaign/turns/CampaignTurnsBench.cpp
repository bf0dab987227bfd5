// The campaign's turns on the demo map "The Strait", two computer players,
// fixed seed, on the virtual clock:
// 1. the logic of each frame of the computer's phase (the game map's frame
//    with the computer's steps inside it), by the step and state the frame
//    began in: p50, p99 and max in milliseconds, and the frames each
//    computer's phase took;
// 2. the map screen drawn at the window size of "engine.ini" (1024x768)
//    with the camera far enough out to show every unit: the frame time
//    (the drawing and a one-pixel read-back), mean and median, wall and
//    process CPU time (all threads: the software driver draws on worker
//    threads); then the same frames split by stage (the update, the water's
//    animation, the GUI, the water's maps and surface, other objects, the
//    scene tree, particles, the present) with the driver flushed at each.
// usage: bench_campaign_turns [rounds] [drawn frames] [picture.png]
//        (default 12, 300; the picture is the last frame of the first
//        drawn run, for comparing the drawing before and after a change)
#include "TurnsEngine.h"
#include "bench/BenchReport.h"

#include "engine2/core/CDX9KelLog.h"
#include "engine2/core/CDX9KelStageClock.h"
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

double Mean(const std::vector<double>& v) {
    return v.empty() ? 0.0 : std::accumulate(v.begin(), v.end(), 0.0) / static_cast<double>(v.size());
}

// The map screen drawn for a number of frames with every stage timed. The
// frame is the drawing and its read-back (wall and process CPU); with
// flushes, each stage's median is printed, the update's included.
// With a picture file, the last frame is saved there (the run then ends
// after `drawn` frames of the program, the loading frames included).
bool Draw(int drawn, bool flush, const std::string& picture, std::vector<double>& frame,
          std::vector<double>& frameCpu) {
    CampaignSim::SimOptions options;
    options.frameMs = 40;
    options.seed = 1;
    options.frames = picture.empty() ? drawn + 1000 : drawn;
    // A picture is asked for, so every frame is drawn; without a file of
    // the caller's it is not saved.
    options.picture = picture.empty()
                          ? (std::filesystem::temp_directory_path() / "bench_campaign_turns.png").string()
                          : picture;
    auto* scene = new VornaTest::CampaignMapScene();
    scene->m_mapName = "demo_strait.map";
    CampaignSim::TurnsEngine engine(options, scene, {}, true, 0);
    engine.m_iMaxFrames = picture.empty() ? drawn : drawn + 1000;
    engine.m_bTimeRender = true;
    engine.m_fOverviewDistance = 650.0f;
    engine.m_bQuiet = true;
    Vorna2::g_StageClock.m_bOn = true;
    Vorna2::g_StageClock.Reset();
    if (flush)
        Vorna2::g_StageClock.m_Flush = [&engine] {
            DWORD pixel = 0;
            if (engine.m_pRender && engine.m_pRender->GetDevice())
                Platform::ReadBackBuffer(engine.m_pRender->GetDevice(), 0, 0, 1, 1, &pixel);
        };
    Run(engine);
    Vorna2::g_StageClock.m_bOn = false;
    Vorna2::g_StageClock.m_Flush = nullptr;
    if (engine.m_StageWallMs.empty()) {
        std::fprintf(stderr, "bench_campaign_turns: nothing was drawn\n");
        return false;
    }
    frame.clear();
    frameCpu.clear();
    for (size_t f = 0; f < engine.m_StageWallMs.size(); ++f) {
        double wall = 0.0, cpu = 0.0;
        for (int s = Vorna2::KEL_STAGE_GUI; s < Vorna2::KEL_STAGE_COUNT; ++s) {
            wall += engine.m_StageWallMs[f][size_t(s)];
            cpu += engine.m_StageCpuMs[f][size_t(s)];
        }
        frame.push_back(wall);
        frameCpu.push_back(cpu);
    }
    if (!flush) return true;
    for (int s = 0; s < Vorna2::KEL_STAGE_COUNT; ++s) {
        std::vector<double> wall, cpu;
        for (size_t f = 0; f < engine.m_StageWallMs.size(); ++f) {
            wall.push_back(engine.m_StageWallMs[f][size_t(s)]);
            cpu.push_back(engine.m_StageCpuMs[f][size_t(s)]);
        }
        const std::string name = std::string("campaign_map_screen_stage_") + Vorna2::CDX9KelStageClock::Name(s);
        VornaBench::Figure(name + "_wall_median", Quantile(wall, 0.5), "ms", "flushed");
        VornaBench::Figure(name + "_cpu_median", Quantile(cpu, 0.5), "ms", "process CPU, all threads");
    }
    VornaBench::Figure("campaign_map_screen_frame_flushed_median", Quantile(frame, 0.5), "ms");
    VornaBench::Figure("campaign_map_screen_frame_flushed_cpu_median", Quantile(frameCpu, 0.5), "ms");
    return true;
}

} // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 12;
    const int drawn = argc > 2 ? std::max(20, std::atoi(argv[2])) : 300;
    const std::string picture = argc > 3 ? argv[3] : "";
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

    // 2. The map screen drawn: once as it runs, once with the driver's
    // queue flushed at every stage so that each stage carries its own
    // drawing (the flushes cost a little, so the stages add up to more than
    // the frame of the first run).
    std::vector<double> frame, frameCpu;
    if (!Draw(drawn, false, picture, frame, frameCpu)) return 1;
    VornaBench::Figure("campaign_map_screen_frame_1024x768_mean", Mean(frame), "ms",
                       "frames=" + std::to_string(frame.size()));
    VornaBench::Figure("campaign_map_screen_frame_1024x768_median", Quantile(frame, 0.5), "ms");
    VornaBench::Figure("campaign_map_screen_frame_1024x768_cpu_median", Quantile(frameCpu, 0.5), "ms",
                       "process CPU, all threads");
    std::vector<double> unused, unusedCpu;
    if (!Draw(drawn, true, {}, unused, unusedCpu)) return 1;
    return 0;
}
