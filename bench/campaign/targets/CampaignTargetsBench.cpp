// The per-frame target search of the campaign map, timed per call:
// 1. the player's side: while a column moves, every frame clears the gun
//    buttons' marks and searches the active ship's targets again (the
//    marks follow the moving ship); the bench turns the active ship a
//    degree a frame and takes each of the player's ships in turn;
// 2. the computer's side: while one of its columns moves, every frame picks
//    a rated enemy and a gun group for the leading ship; the danger ratings
//    it works through are rebuilt once per column (timed as well).
// On the demo map the route finder is timed too: FindPath over 1,000 random
// start and target pairs inside the map area, against the physical manager's
// obstacles (the generated maps of bench_campaign cover 50-500 obstacles).
// Layouts: the demo map "The Strait" at its start, and generated maps with
// 10 and 30 ships a side in gun range of each other, islands between them.
// Prints mean, p95, p99 and max per call in microseconds (and the largest
// processor time of a call), with the calls and the targets found per call.
// usage: bench_campaign_targets [frames per layout]   (default 3600)
#include "SimEngine.h"
#include "bench/BenchReport.h"

#include "campaign/map/CDX9KelGameMap.h"
#include "campaign/routes/CDX9KelSeaPath.h"
#include "campaign/ai/CDX9KelAISystem.h"
#include "data/generators/mapbuild/MapBuilder.h"
#include "engine2/core/CDX9KelLog.h"
#include "engine2/core/resources/CDX9KelBaseGrapRes.h"
#include "engine2/core/scene/CDX9KelSceneObject.h"
#include "engine2/ui/screens/CDX9KelCIIScreenManager.h"
#include "platform/os/Paths.h"
#include "tests/common/CampaignMapScene.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <random>
#include <string>
#include <vector>

using namespace VornaCampaign;

namespace {

namespace fs = std::filesystem;

double Quantile(std::vector<double> v, double q) {
    if (v.empty()) return 0.0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, static_cast<std::size_t>(q * static_cast<double>(v.size())))];
}

// A map of `own` ships of the player's side in line abreast facing rows of
// `enemies` ships of the computer's side (rows of ten) across a strait of 40
// units, all in gun range of each other, with two rocks between the lines
// that hide some ships from others. Columns of five ships.
std::string LayoutXml(int own, int enemies) {
    std::string xml = "<?xml version=\"1.0\" ?>\n<Map name=\"Target bench\">\n"
                      "  <SceneBox min=\"-400 -60 -400\" max=\"400 200 400\"/>\n"
                      "  <MapArea min=\"-300 0 -300\" max=\"300 0 300\"/>\n"
                      "  <Sky texture=\"c2sky.png\"/>\n"
                      "  <Sun shininess=\"1000\" strength=\"200\" colour=\"0.3 0.2 0.1 0.1\"/>\n"
                      "  <Water texture=\"c2water.png\" amplitude=\"2\" colour=\"0.15 0.31 0.4\"/>\n"
                      "  <Statics>\n";
    for (int x : {-60, 60})
        xml += "    <Static name=\"Rock_" + std::to_string(x + 100) + "\" models=\"c2rock.x c2rock.x c2rock.x\" "
               "effects=\"c2model.fx c2model.fx c2model.fx\" position=\"" + std::to_string(x) + " 0 0\" yaw=\"0\" scale=\"1\"/>\n";
    xml += "  </Statics>\n  <Units>\n";
    std::string columns;
    for (int side = 1; side <= 2; ++side) {
        const int count = side == 1 ? own : enemies;
        const char* prefix = side == 1 ? "Blue_" : "Red_";
        for (int c = 0; c * 5 < count; ++c) {
            columns += "    <Column speed=\"2.0\">";
            for (int k = 0; k < 5 && c * 5 + k < count; ++k) {
                const int n = c * 5 + k;
                const std::string name = prefix + std::to_string(n);
                const float x = -135.0f + 30.0f * static_cast<float>(n % 10) + (side == 2 ? 8.0f : 0.0f);
                const float z = side == 1 ? -20.0f : 20.0f + 25.0f * static_cast<float>(n / 10);
                const bool monitor = (n % 2) == 0;
                const std::string model = monitor ? "c2monitor.x" : "c2corvette.x";
                char position[64];
                std::snprintf(position, sizeof position, "%.1f 0.0 %.1f", static_cast<double>(x), static_cast<double>(z));
                xml += "    <Unit name=\"" + name + "\" models=\"" + model + " " + model + " " + model +
                       "\" effects=\"c2model.fx c2model.fx c2model.fx\" description=\"" +
                       (monitor ? "ship_a.xml" : "ship_b.xml") + "\" side=\"SIDE" + std::to_string(side) +
                       "\" position=\"" + position + "\" yaw=\"" + (side == 1 ? "90" : "270") + "\"/>\n";
                columns += "<Ship>" + name + "</Ship>";
            }
            columns += "</Column>\n";
        }
    }
    xml += "  </Units>\n  <Columns>\n" + columns + "  </Columns>\n</Map>\n";
    return xml;
}

// Writes the layout's map file and its parameter file beside the game's
// maps; the files are removed again when the bench is done with them.
bool WriteLayout(int own, int enemies, const std::string& stem, std::vector<fs::path>* written) {
    std::string bytes, error;
    if (!MapBuild::BuildMapFile(LayoutXml(own, enemies), bytes, error)) {
        std::fprintf(stderr, "bench_campaign_targets: layout refused: %s\n", error.c_str());
        return false;
    }
    const fs::path program = Platform::ProgramFolder();
    const fs::path map = program / "Maps" / (stem + ".map");
    const fs::path params = program / "Data" / "Maps" / (stem + ".WXMPARAM");
    std::ofstream(map, std::ios::binary) << bytes;
    std::ofstream(params) << "<?xml version=\"1.0\" ?>\n<Main>\n  <RoundsCount>10</RoundsCount>\n"
                             "  <MapTexture>Textures/strait_map.png</MapTexture>\n</Main>\n";
    written->push_back(map);
    written->push_back(params);
    return fs::exists(map) && fs::exists(params);
}

// Wall time and the thread's processor time of the calls timed: a wall
// time far above the processor time is the machine's scheduler, not the
// search. The processor clock is read through a system call and counts
// some microseconds of its own, so on quick calls it reads above the wall
// time.
struct Timings {
    std::vector<double> wall, cpu;

    template <class F> auto Time(F&& call) {
        timespec c0{}, c1{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &c0);
        const auto t0 = std::chrono::steady_clock::now();
        auto result = call();
        const auto t1 = std::chrono::steady_clock::now();
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &c1);
        wall.push_back(std::chrono::duration<double, std::micro>(t1 - t0).count());
        cpu.push_back(static_cast<double>(c1.tv_sec - c0.tv_sec) * 1e6 + static_cast<double>(c1.tv_nsec - c0.tv_nsec) / 1e3);
        return result;
    }

    void Report(const std::string& name, const std::string& extra) const {
        if (wall.empty()) return;
        const double mean = std::accumulate(wall.begin(), wall.end(), 0.0) / static_cast<double>(wall.size());
        VornaBench::Figure(name + "/mean", mean, "us", "calls=" + std::to_string(wall.size()) + (extra.empty() ? "" : " ") + extra);
        VornaBench::Figure(name + "/p95", Quantile(wall, 0.95), "us");
        VornaBench::Figure(name + "/p99", Quantile(wall, 0.99), "us");
        VornaBench::Figure(name + "/max", Quantile(wall, 1.0), "us");
        VornaBench::Figure(name + "/max_cpu", Quantile(cpu, 1.0), "us");
    }
};

// The ship's start matrix turned by `radians` about its own up axis and
// moved to (x, z).
void Place(Vorna2::CDX9KelSceneObject* ship, const D3DXMATRIX& start, float radians, float x, float z) {
    D3DXMATRIX turn;
    D3DXMatrixRotationY(&turn, radians);
    D3DXMatrixMultiply(&ship->m_mWorld, &turn, &start);
    ship->m_mWorld._41 = x;
    ship->m_mWorld._43 = z;
}

class TargetsEngine : public CampaignSim::SimEngine {
public:
    TargetsEngine(const CampaignSim::SimOptions& options, VornaTest::CampaignMapScene* scene, std::string label, int frames)
        : SimEngine(options), m_pMapScene(scene), m_label(std::move(label)), m_frames(frames) {
        Vorna2::RegisterScreenSceneSlot("");
        m_pScene = scene;
    }

    // The map is loaded once the input is up: the timing runs then.
    bool InitInput() override {
        if (!SimEngine::InitInput()) return false;
        if (!m_pMapScene->m_loaded) return false;
        m_ok = TimePlayerSearch() && TimeComputerSearch() && (!m_bRoutes || TimeRoutes());
        return true;
    }

    bool m_bRoutes = false;

    bool m_ok = false;

private:
    // Each of the player's ships in turn is the active unit and turns a
    // degree a frame on the spot; each frame clears the gun buttons' marks
    // and searches again, as the map screen does while a column moves.
    bool TimePlayerSearch() {
        CDX9KelGameMap& map = m_pMapScene->m_map;
        const std::vector<Vorna2::CDX9KelSceneObject*>* own = map.m_pPlayerSceneObjects;
        if (own == nullptr || own->empty() || map.m_pEnemySceneObjects == nullptr) return false;
        const std::size_t ships = own->size();
        const int perShip = std::max(1, m_frames / static_cast<int>(ships));
        Timings timings;
        long long found = 0;
        for (std::size_t s = 0; s < ships; ++s) {
            if (!map.SetActivePlayerObject(static_cast<int>(s))) continue;
            Vorna2::CDX9KelSceneObject* ship = map.GetActiveSceneObject();
            const D3DXMATRIX start = ship->m_mWorld;
            for (int f = 0; f < perShip; ++f) {
                Place(ship, start, static_cast<float>(f) * 0.0174533f, start._41, start._43);
                timings.Time([&] {
                    map.ResetGunButtons();
                    return map.SearchTargetsForActivePlayerObject();
                });
                for (const Vorna2::CDX9KelPLANE* ring : map.m_pRedRings)
                    if (ring != nullptr && ring->m_bVisible) ++found;
            }
            ship->m_mWorld = start;
        }
        if (timings.wall.empty()) return false;
        char extra[96];
        std::snprintf(extra, sizeof extra, "own=%zu enemies=%zu targets_per_call=%.2f", ships,
                      map.m_pEnemySceneObjects->size(), static_cast<double>(found) / static_cast<double>(timings.wall.size()));
        timings.Report("PlayerTargetSearch/" + m_label, extra);
        return true;
    }

    // Each of the computer's columns in turn: its danger ratings are built,
    // then its leading ship sails straight at the player's side (from its
    // place to 12 units short of the player's first ship's line), turning a
    // degree a frame, and every frame picks a target and a gun group.
    bool TimeComputerSearch() {
        CDX9KelGameMap& map = m_pMapScene->m_map;
        g_AISystem.SetGameMap(&map);
        g_AISystem.SetSides(map.m_iPlayerSide);
        // The phase's start up to its ship step, as the map's AI phase
        // runs it: the computer's side becomes the side that plays.
        g_AISystem.SetFortState(GAME_AI_COASTAL_ART_STATE_NONE);
        g_AISystem.SetStep(GAME_AI_STEP_FORTS_SECOND);
        g_AISystem.ProcPhase();
        if (g_AISystem.GetOwnSide() == map.m_iPlayerSide) return false;
        const GameMapSide& player = map.Side(map.m_iPlayerSide);
        if (player.m_SceneObjects.empty() || player.m_SceneObjects[0] == nullptr) return false;
        const float playerZ = player.m_SceneObjects[0]->m_mWorld._43;
        GameMapSide& side = map.Side(g_AISystem.GetOwnSide());
        std::vector<GameColumnRecord*> columns;
        for (GameColumnRecord* c : side.m_Columns)
            if (c != nullptr && !c->m_Ships.empty() && c->m_Ships[0].m_pSceneObject != nullptr) columns.push_back(c);
        if (columns.empty()) return false;
        const int perColumn = std::max(1, m_frames / static_cast<int>(columns.size()));
        Timings rating, select;
        long long picked = 0;
        for (GameColumnRecord* column : columns) {
            Vorna2::CDX9KelSceneObject* ship = column->m_Ships[0].m_pSceneObject;
            rating.Time([&] { return g_AISystem.CalcDangerRating(column->m_Ships[0].m_pObject, ship); });
            const D3DXMATRIX start = ship->m_mWorld;
            const float endZ = playerZ + (start._43 > playerZ ? 12.0f : -12.0f);
            for (int f = 0; f < perColumn; ++f) {
                const float t = static_cast<float>(f) / static_cast<float>(perColumn);
                Place(ship, start, static_cast<float>(f) * 0.0174533f, start._41, start._43 + (endZ - start._43) * t);
                if (select.Time([&] { return g_AISystem.SelectBombardment(column); })) ++picked;
            }
            ship->m_mWorld = start;
        }
        g_AISystem.ClearRatings();
        char extra[96];
        std::snprintf(extra, sizeof extra, "columns=%zu chosen_share=%.2f", columns.size(),
                      static_cast<double>(picked) / static_cast<double>(select.wall.size()));
        select.Report("ComputerSelectBombardment/" + m_label, extra);
        rating.Report("ComputerDangerRating/" + m_label, "");
        return true;
    }

    // FindPath on the loaded map through the physical manager's obstacles:
    // 1,000 random pairs inside the map area, the mover one of the player's
    // ships placed at a random start with a random heading.
    bool TimeRoutes() {
        CDX9KelGameMap& map = m_pMapScene->m_map;
        ISeaObstacleQuery* query = map.GetObstacleQuery();
        const std::vector<Vorna2::CDX9KelSceneObject*>* own = map.m_pPlayerSceneObjects;
        if (query == nullptr || own == nullptr || own->empty()) return false;
        CDX9KelSeaPathGenerator generator;
        CDX9KelSeaPathFinder finder(&generator);
        finder.SetObstacleQuery(query);
        SeaMoveParams params;
        params.m_fMaxSpeed = 10.0f;
        params.m_fMaxTurnRate = 0.05f;
        params.m_fAcceleration = 0.05f;
        params.m_fStartSpeed = 5.0f;
        std::mt19937 rng(7);
        std::uniform_real_distribution<float> x(map.m_vMapMin.x, map.m_vMapMax.x), z(map.m_vMapMin.z, map.m_vMapMax.z),
            turn(0.0f, 6.2831853f);
        Timings timings;
        int counts[5] = {};
        for (int k = 0; k < 1000; ++k) {
            SeaMover mover;
            D3DXMatrixRotationY(&mover.m_mWorld, turn(rng));
            mover.m_mWorld._41 = x(rng);
            mover.m_mWorld._43 = z(rng);
            mover.m_fRadius = 5.0f;
            mover.m_pSelf = (*own)[0];
            const float tx = x(rng), tz = z(rng);
            const int code = timings.Time([&] { return finder.FindPath(&mover, &params, 0.0f, 300.0f, tx, 0.0f, tz); });
            if (code >= 0 && code <= 4) ++counts[code];
        }
        char extra[96];
        std::snprintf(extra, sizeof extra, "found=%d not_found=%d occupied=%d no_time=%d", counts[4], counts[3], counts[2],
                      counts[1]);
        timings.Report("FindPath/" + m_label, extra);
        return true;
    }

    VornaTest::CampaignMapScene* m_pMapScene;
    std::string m_label;
    int m_frames;
};

bool RunLayout(const std::string& mapName, const std::string& label, int frames, bool routes = false) {
    CampaignSim::SimOptions options;
    options.frames = 1;
    options.frameMs = 40;
    options.seed = 1;
    auto* scene = new VornaTest::CampaignMapScene();
    scene->m_mapName = mapName;
    TargetsEngine engine(options, scene, label, frames);
    engine.m_bRoutes = routes;
    const bool ran = engine.Run();
    if (!ran || !engine.m_ok) {
        std::fprintf(stderr, "bench_campaign_targets: the layout %s did not run\n", label.c_str());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    const int frames = argc > 1 ? std::max(100, std::atoi(argv[1])) : 3600;
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("ALSOFT_DRIVERS", "null", 0);
    Vorna2::g_Log.SetCopyStream(nullptr);

    bool ok = RunLayout("demo_strait.map", "demo_strait", frames, true);
    std::vector<fs::path> written;
    // The player's side holds at most ten units (one icon each), the
    // computer's side up to thirty (one target ring each).
    for (int enemies : {10, 30}) {
        const std::string stem = "bench_targets_" + std::to_string(enemies);
        ok = WriteLayout(10, enemies, stem, &written) &&
             RunLayout(stem + ".map", "units:10v" + std::to_string(enemies), frames) && ok;
    }
    std::error_code ec;
    for (const fs::path& p : written) fs::remove(p, ec);
    return ok ? 0 : 1;
}
