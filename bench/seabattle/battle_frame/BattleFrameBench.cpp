// The whole battle frame: the demo battle against the computer on the battle
// screen with the human player's HUD, drawn headless at 1024x768 with the
// default settings (sea, sky, ships, particles, HUD and markers), frame after
// frame on a 20 ms game step. Prints:
//   - battle_frame/frame_median and frame_p99 over the frames (processing,
//     every pass, present);
//   - the split: the battle's logic alone (the battle map's tick: directors,
//     HUD, resolution), the frame's processing without drawing (logic,
//     physics, particles, screens), the scene collection (parameter update,
//     reflection and main collections with their sorts, no drawing), and the
//     passes by what a frame saves without them (reflection, refraction,
//     screen GUI);
//   - the battle's CPU time outside GL as a share of the frame.
//   - the process's CPU time per frame (every renderer thread) and the main
//     thread's alone, medians over the same frames.
//   - the drawing stage by stage, the renderer finished (glFinish) after
//     each, in wall and CPU milliseconds: shadows, reflection, refraction,
//     main models, the sea's height map, normal map and mipmaps, the rest of
//     the graphic objects (sea surface and sky; once more with the sky
//     hidden: the sea surface alone), particles, markers, screen GUI;
//   - the whole sea: finished frames with and without it (wall and CPU).
// usage: bench_seabattle_battle_frame [frames] [water type] [--sea] [--shot PNG] [--compare PNG]
//   (default 600 frames and the demo settings; a water type sets "WaterType":
//   0 the sea's hardware path, 1 its software path). --shot saves the
//   battle screen after 60 frames of the fixed seed and stops; --compare
//   takes the same picture and compares it with a saved one: the largest
//   and the mean channel difference and the share of pixels off by more
//   than 8 levels in a channel (exit 1 when that share passes 1 %).
//   --sea gives the sea's figures alone.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <epoxy/gl.h>

#include "bench/BenchReport.h"
#include "common/DemoData.h"
#include "common/GameSession.h"
#include "engine3/core/CDX9KelScene.h"
#include "engine3/core/render/CDX9KelBaseCameraManager.h"
#include "engine3/core/render/CDX9KelRenderSystem.h"
#include "engine3/ui/screens/CVR3CIIScreenManager.h"
#include "engine3/world/ocean/CDX9KelOceanWater.h"
#include "engine3/world/ocean/CVR3SkyArch.h"
#include "platform/d3dx/ImageFile.h"
#include "platform/os/Paths.h"
#include "seabattle/battle/CVR3GAMEBattleLog.h"
#include "seabattle/battle/CVR3GAMEBattleMap.h"
#include "seabattle/game/CVR3GAMEIO.h"
#include "seabattle/game/CVR3GAMEManager.h"
#include "seabattle/shell/CScene.h"

using namespace SeaBattle;
using Clock = std::chrono::steady_clock;

namespace {

double Ms(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double, std::milli>(b - a).count(); }

double Quantile(std::vector<double> v, double q) {
    if (v.empty()) return 0.0;
    std::sort(v.begin(), v.end());
    const size_t i = std::min(v.size() - 1, static_cast<size_t>(q * static_cast<double>(v.size())));
    return v[i];
}

double CpuMs(clockid_t clock) {
    timespec t{};
    clock_gettime(clock, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) * 1e-6;
}

// CPU time of the whole process (every renderer thread) in milliseconds.
double ProcessCpuMs() { return CpuMs(CLOCK_PROCESS_CPUTIME_ID); }

// CPU time of the calling thread (the one that runs the game and gives the
// renderer its commands) in milliseconds.
double ThreadCpuMs() { return CpuMs(CLOCK_THREAD_CPUTIME_ID); }

// Wall milliseconds per frame; `cpu` and `mainCpu`, when given, get the
// process's and the main thread's CPU milliseconds per frame.
std::vector<double> TimeFrames(VornaTest::GameSession& session, int frames, bool draw,
                               std::vector<double>* cpu = nullptr, std::vector<double>* mainCpu = nullptr) {
    std::vector<double> ms;
    ms.reserve(static_cast<size_t>(frames));
    for (int i = 0; i < frames; ++i) {
        const double c0 = ProcessCpuMs(), m0 = ThreadCpuMs();
        const auto t0 = Clock::now();
        session.Frame(draw);
        ms.push_back(Ms(t0, Clock::now()));
        if (cpu) cpu->push_back(ProcessCpuMs() - c0);
        if (mainCpu) mainCpu->push_back(ThreadCpuMs() - m0);
    }
    return ms;
}

// Frames with the renderer finished after each, in milliseconds; `cpu`
// gets the process CPU time the frame took, which a busy machine
// disturbs less than the wall time.
double FinishedFrame(VornaTest::GameSession& session, std::vector<double>& cpu) {
    const double c0 = ProcessCpuMs();
    const auto t0 = Clock::now();
    session.Frame(true);
    glFinish();
    cpu.push_back(ProcessCpuMs() - c0);
    return Ms(t0, Clock::now());
}

// Compares two pictures of the same size; prints the figures, true when
// the pictures are the same within the tolerance.
bool ComparePictures(const std::string& shot, const std::string& reference) {
    Platform::Image a, b;
    std::string error;
    if (!Platform::ReadImageFile(shot, a, error) || !Platform::ReadImageFile(reference, b, error) ||
        a.levels.empty() || b.levels.empty()) {
        std::fprintf(stderr, "bench_seabattle_battle_frame: cannot read the pictures: %s\n", error.c_str());
        return false;
    }
    const Platform::ImageLevel& x = a.levels[0];
    const Platform::ImageLevel& y = b.levels[0];
    if (x.width != y.width || x.height != y.height || x.bytes.size() != y.bytes.size() || x.width == 0) {
        std::fprintf(stderr, "bench_seabattle_battle_frame: the pictures differ in size\n");
        return false;
    }
    const size_t pixels = size_t(x.width) * x.height;
    const size_t bpp = x.bytes.size() / pixels;
    int largest = 0;
    double sum = 0.0;
    size_t off = 0;
    for (size_t i = 0; i < pixels; ++i) {
        int worst = 0;
        for (size_t c = 0; c < std::min<size_t>(bpp, 3); ++c) {
            const int d = std::abs(int(x.bytes[i * bpp + c]) - int(y.bytes[i * bpp + c]));
            worst = std::max(worst, d);
            sum += d;
        }
        largest = std::max(largest, worst);
        if (worst > 8) ++off;
    }
    const double share = 100.0 * double(off) / double(pixels);
    VornaBench::Figure("battle_frame/picture_largest_difference", largest, "levels");
    VornaBench::Figure("battle_frame/picture_mean_difference", sum / double(pixels * std::min<size_t>(bpp, 3)),
                       "levels");
    VornaBench::Figure("battle_frame/picture_pixels_off_by_more_than_8", share, "%");
    return share <= 1.0;
}

} // namespace

int main(int argc, char** argv) {
    std::string shot, compare;
    bool seaOnly = false;
    std::vector<char*> args;
    for (int i = 0; i < argc; ++i) {
        if (std::string(argv[i]) == "--sea") seaOnly = true;
        else if (i + 1 < argc && std::string(argv[i]) == "--shot") shot = argv[++i];
        else if (i + 1 < argc && std::string(argv[i]) == "--compare") compare = argv[++i];
        else args.push_back(argv[i]);
    }
    argc = static_cast<int>(args.size());
    argv = args.data();
    const int frames = argc > 1 ? std::max(10, std::atoi(argv[1])) : 600;
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "vorna_bench_battle_frame";
    std::filesystem::create_directories(dir);
    VornaTest::LinkDemoData(Platform::ProgramFolder());
    std::filesystem::copy_file(std::filesystem::path(VORNA_BIN_DIR) / "engine.ini", dir / "engine.ini",
                               std::filesystem::copy_options::overwrite_existing);
    if (argc > 2) {
        // The settings' own section gets the water type (the reader takes the first of a key).
        std::string text;
        if (FILE* f = std::fopen((dir / "engine.ini").c_str(), "rb")) {
            char buf[4096];
            size_t n;
            while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
            std::fclose(f);
        }
        const std::string section = "[Grafic Settings]";
        const size_t at = text.find(section);
        const std::string line = "\nWaterType=" + std::to_string(std::atoi(argv[2]));
        if (at == std::string::npos) text = section + line + "\n" + text;
        else text.insert(at + section.size(), line);
        if (FILE* f = std::fopen((dir / "engine.ini").c_str(), "wb")) {
            std::fwrite(text.data(), 1, text.size(), f);
            std::fclose(f);
        }
    }
    VornaTest::GameSession session;
    VornaTest::GameSession::Options options;
    options.dataFolder = dir.string() + "/";
    options.stepMs = 20;
    options.seed = 1;
    if (!session.Start(options)) {
        std::fprintf(stderr, "bench_seabattle_battle_frame: the game did not start (see %s)\n",
                     session.LogPath().c_str());
        return 1;
    }
    session.Scene()->m_bShowStatistics = false;
    CVR3GAMEManager& manager = CVR3GAMEManager::Get();
    CVR3GAMEBattleMap* map = manager.GetBattleMap();
    CVR3GAMEIO io;
    io.m_pScene = session.Scene();
    io.m_pBattleMap = map;
    io.InitFrom(std::string(VORNA_BIN_DIR) + "/folders.ini", Platform::ProgramFolder(), session.DataFolder());
    map->m_pBattleScreen = session.Screens()->FindScreen("battle_game");
    if (!map->m_pBattleScreen || !io.LoadBattleArtilleryList("demo_guns.artlstxml") ||
        !io.LoadBattleMapFromFile("demo_human.btlmapxml", false, nullptr) || !manager.StartBattle("battle_game") ||
        !map->InitDirectorsBehaviours()) {
        std::fprintf(stderr, "bench_seabattle_battle_frame: the demo battle did not start (see %s)\n",
                     session.LogPath().c_str());
        return 1;
    }
    Vorna3D::CDX9KelScene* scene = session.Scene();
    Vorna3D::CDX9KelRenderSystem* rs = scene->m_pRenderSystem;

    if (!shot.empty() || !compare.empty()) {
        // The picture of the fixed seed after 60 frames.
        const std::string path = !shot.empty() ? shot : (dir / "compare.png").string();
        session.Frames(59, true);
        session.TakePicture(path);
        session.Frame(true);
        bool same = true;
        if (!compare.empty()) same = ComparePictures(path, compare);
        if (map) map->Clear();
        SeaBattle::CVR3GAMEBattleLog::Get().Clear();
        session.Stop();
        return same ? 0 : 1;
    }

    // Warm up, then whole frames.
    TimeFrames(session, 30, true);
    Vorna3D::CDX9KelOceanWater* water =
        map->m_BaseMap.m_pEnvironment ? map->m_BaseMap.m_pEnvironment->m_pWater : nullptr;
    std::vector<double> finished, noSea, finishedCpu, noSeaCpu;
    // Each stage of the drawing with the renderer finished after it: wall
    // and CPU milliseconds per stage name, frame by frame.
    std::vector<std::string> stageNames;
    std::map<std::string, std::vector<double>> stageWall, stageCpu;
    Vorna3D::CVR3SkyArch* sky = map->m_BaseMap.m_pEnvironment ? map->m_BaseMap.m_pEnvironment->m_pSky : nullptr;
    std::vector<double> seaAlone, seaAloneCpu;
    const auto timeSea = [&]() {
        // Every other frame with the sky hidden, so that the graphic objects
        // after the maps are the sea surface alone; then finished frames
        // with and without the sea, in turns.
        if (!water) return;
        double lastWall = 0, lastCpu = 0;
        bool skyHidden = false;
        rs->m_fnStageDone = [&](const char* name) {
            glFinish();
            const double w = Ms(Clock::time_point{}, Clock::now()), c = ProcessCpuMs();
            const std::string key = name;
            if (skyHidden) {
                if (key == "graphic objects") {
                    seaAlone.push_back(w - lastWall);
                    seaAloneCpu.push_back(c - lastCpu);
                }
            } else {
                if (!stageWall.count(key)) stageNames.push_back(key);
                stageWall[key].push_back(w - lastWall);
                stageCpu[key].push_back(c - lastCpu);
            }
            lastWall = w;
            lastCpu = c;
        };
        for (int i = 0; i < 2 * frames; ++i) {
            skyHidden = sky && i % 2 == 1;
            if (sky) sky->m_bShown = !skyHidden;
            lastWall = Ms(Clock::time_point{}, Clock::now());
            lastCpu = ProcessCpuMs();
            session.Frame(true);
            glFinish();
        }
        if (sky) sky->m_bShown = true;
        rs->m_fnStageDone = nullptr;
        for (int i = 0; i < frames; ++i) {
            finished.push_back(FinishedFrame(session, finishedCpu));
            water->m_bShown = false;
            noSea.push_back(FinishedFrame(session, noSeaCpu));
            water->m_bShown = true;
        }
    };
    const auto reportSea = [&]() {
        if (!water) return;
        for (const std::string& n : stageNames) {
            std::string key = n;
            std::replace(key.begin(), key.end(), ' ', '_');
            char cpu[48];
            std::snprintf(cpu, sizeof cpu, "cpu=%.3f ms", Quantile(stageCpu[n], 0.5));
            VornaBench::Figure("battle_frame/stage_" + key, Quantile(stageWall[n], 0.5), "ms", cpu);
        }
        if (!seaAlone.empty()) {
            char cpu[48];
            std::snprintf(cpu, sizeof cpu, "cpu=%.3f ms", Quantile(seaAloneCpu, 0.5));
            VornaBench::Figure("battle_frame/stage_sea_surface_alone", Quantile(seaAlone, 0.5), "ms", cpu);
        }
        char cpu[48];
        std::snprintf(cpu, sizeof cpu, "cpu=%.3f ms", Quantile(finishedCpu, 0.5));
        VornaBench::Figure("battle_frame/finished_frame_median", Quantile(finished, 0.5), "ms", cpu);
        VornaBench::Figure("battle_frame/finished_frame_p99", Quantile(finished, 0.99), "ms");
        std::snprintf(cpu, sizeof cpu, "cpu=%.3f ms", Quantile(finishedCpu, 0.5) - Quantile(noSeaCpu, 0.5));
        VornaBench::Figure("battle_frame/sea_whole", Quantile(finished, 0.5) - Quantile(noSea, 0.5), "ms", cpu);
    };
    if (seaOnly) {
        timeSea();
        reportSea();
        if (map) map->Clear();
        SeaBattle::CVR3GAMEBattleLog::Get().Clear();
        session.Stop();
        return 0;
    }
    std::vector<double> frameCpu, frameMainCpu;
    const std::vector<double> frame = TimeFrames(session, frames, true, &frameCpu, &frameMainCpu);
    const double median = Quantile(frame, 0.5);

    // Processing alone (no picture), and the battle's tick alone.
    const std::vector<double> process = TimeFrames(session, frames, false);
    std::vector<double> logic;
    for (int i = 0; i < frames; ++i) {
        session.Clock().Advance(20);
        const auto t0 = Clock::now();
        map->UpdateBattle();
        logic.push_back(Ms(t0, Clock::now()));
    }

    // The scene collection without drawing.
    std::vector<double> collect;
    Vorna3D::CDX9KelBaseCamera* main = scene->m_pCameraManager->m_pActiveCamera;
    for (int i = 0; i < frames; ++i) {
        main->m_bChanged = true;
        const auto t0 = Clock::now();
        rs->Update(1.0f);
        rs->Collect(rs->m_pReflectionCamera, false);
        Vorna3D::CDX9KelRenderSystem::SortUnits(rs->m_vModels);
        rs->Collect(main, true);
        Vorna3D::CDX9KelRenderSystem::SortUnits(rs->m_vModels);
        rs->ClearLists();
        collect.push_back(Ms(t0, Clock::now()));
    }

    // The passes by what a frame saves without each: the four settings take
    // turns frame by frame, so a busy machine weighs on each alike.
    std::vector<double> byConfig[4];
    for (int i = 0; i < 4 * frames; ++i) {
        const int c = i % 4;
        rs->m_bReflection = c != 1;
        rs->m_bRefraction = c != 2;
        scene->m_bGUIVisible = c != 3;
        const auto t0 = Clock::now();
        session.Frame(true);
        byConfig[c].push_back(Ms(t0, Clock::now()));
    }
    rs->m_bReflection = rs->m_bRefraction = scene->m_bGUIVisible = true;

    const double withAll = Quantile(byConfig[0], 0.5);
    const double noReflection = Quantile(byConfig[1], 0.5);
    const double noRefraction = Quantile(byConfig[2], 0.5);
    const double noGUI = Quantile(byConfig[3], 0.5);

    timeSea();

    const double logicMs = Quantile(logic, 0.5);
    const double collectMs = Quantile(collect, 0.5);
    char what[96];
    std::snprintf(what, sizeof what, "frames=%d size=%dx%d", frames, scene->GetWidth(), scene->GetHeight());
    VornaBench::Figure("battle_frame/frame_median", median, "ms", what);
    VornaBench::Figure("battle_frame/frame_p99", Quantile(frame, 0.99), "ms");
    VornaBench::Figure("battle_frame/frame_cpu_median", Quantile(frameCpu, 0.5), "ms");
    VornaBench::Figure("battle_frame/frame_main_thread_cpu_median", Quantile(frameMainCpu, 0.5), "ms");
    double logicMean = 0.0;
    for (double v : logic) logicMean += v;
    logicMean /= static_cast<double>(logic.size());
    VornaBench::Figure("battle_frame/battle_logic", logicMs, "ms");
    VornaBench::Figure("battle_frame/battle_logic_mean", logicMean, "ms");
    VornaBench::Figure("battle_frame/battle_logic_p99", Quantile(logic, 0.99), "ms");
    VornaBench::Figure("battle_frame/processing_no_draw", Quantile(process, 0.5), "ms");
    VornaBench::Figure("battle_frame/scene_collection", collectMs, "ms");
    VornaBench::Figure("battle_frame/drawing", std::max(0.0, median - Quantile(process, 0.5)), "ms");
    VornaBench::Figure("battle_frame/pass_reflection", withAll - noReflection, "ms");
    VornaBench::Figure("battle_frame/pass_refraction", withAll - noRefraction, "ms");
    VornaBench::Figure("battle_frame/pass_screen_gui", withAll - noGUI, "ms");
    VornaBench::Figure("battle_frame/passes_main_particles_present", noReflection - (withAll - noRefraction) -
                                                                         (withAll - noGUI) - Quantile(process, 0.5),
                       "ms");
    VornaBench::Figure("battle_frame/cpu_outside_gl_share", 100.0 * (logicMean + collectMs) / median, "%");
    reportSea();
    if (map) map->Clear();
    SeaBattle::CVR3GAMEBattleLog::Get().Clear();
    session.Stop();
    return 0;
}
