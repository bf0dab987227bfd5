// battlesim battlebench [--ships N] [--minutes M] [--seed S]
// The cost of the battle's logic per frame: N demo ships (half cruisers for
// player "North", half ram ships for "South", in columns of up to five,
// 12 units apart, the sides 20 units apart) sail north and fight with hand-set
// targets (every enemy ship) for M minutes (10) of battle time in 16 ms
// frames, on the demo sea with the real physics. The wall time of the battle
// map's UpdateBattle (directors with their movement, artillery and animation
// systems, the battle resolution, the time limit) is taken every frame; the
// rest of the frame (physics, particles, sound) runs untimed and nothing is
// drawn. Prints "update_ms p50 p99 max mean" and the shots of the run.
#include "Options.h"
#include "Registry.h"

#include "common/GameSession.h"
#include "engine3/core/CDX9KelEngine.h"
#include "platform/os/Paths.h"
#include "seabattle/battle/BattleProcessingState.h"
#include "seabattle/battle/CVR3GAMEArtilleryShip.h"
#include "seabattle/battle/CVR3GAMEBattleMap.h"
#include "seabattle/battle/CVR3GAMEBattleMapArtillerySystem.h"
#include "seabattle/battle/CVR3GAMEBattleMapPlayer.h"
#include "seabattle/battle/CVR3GAMEBattleMapPlayerDirector.h"
#include "seabattle/battle/CVR3GAMEBattleMapShip.h"
#include "seabattle/battle/CVR3GAMEBattleMapShipsColumn.h"
#include "seabattle/battle/CVR3GAMEBattleSystemShip.h"
#include "seabattle/battle/CVR3GAMEMovementShip.h"
#include "seabattle/game/CVR3GAMEIO.h"
#include "seabattle/game/CVR3GAMEManager.h"
#include "seabattle/shell/CScene.h"

#include <tinyxml.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace BattleSim {

namespace {

using namespace SeaBattle;

constexpr const char* kMapText = R"(<BaseMap>
  <Name>BenchSea</Name>
  <MinBorders x="-500" y="-60" z="-500"/>
  <MaxBorders x="500" y="60" z="900"/>
  <NodeSize>50</NodeSize>
  <ActiveCamera><StartLookAt x="0" y="0" z="0"/><Distance>60</Distance></ActiveCamera>
  <Environment><File>demo_sea.mapenvxml</File></Environment>
</BaseMap>)";

int Fail(const std::string& message) {
    std::fprintf(stderr, "battlesim battlebench: %s\n", message.c_str());
    return 2;
}

std::string ShipElement(const std::string& name, const std::string& type, float x, float z) {
    char place[128];
    std::snprintf(place, sizeof place, "<Position x=\"%g\" y=\"0\" z=\"%g\"/>", x, z);
    return "<Ship name=\"" + name + "\"><SceneObjectWorld>" + place + "</SceneObjectWorld><SceneObjectFile>" + type +
           ".scobjxml</SceneObjectFile><MovementObjectFile>" + type + ".movobjxml</MovementObjectFile>" +
           "<AnimatedObjectFile>" + type + ".anmobjxml</AnimatedObjectFile><BattleObjectFile>" + type +
           ".btlobjxml</BattleObjectFile><ArtilleryObjectFile>" + type +
           ".artobjxml</ArtilleryObjectFile><InfoObjectFile>" + type + ".infobjxml</InfoObjectFile></Ship>";
}

double Percentile(const std::vector<double>& sorted, double p) {
    if (sorted.empty()) return 0.0;
    const std::size_t i = std::min(sorted.size() - 1, static_cast<std::size_t>(p * static_cast<double>(sorted.size())));
    return sorted[i];
}

int RunBattleBench(const std::vector<std::string>& args) {
    Options options;
    std::string error;
    if (!options.Parse(args, {{"--ships", true}, {"--minutes", true}, {"--seed", true}}, error)) return Fail(error);
    long ships = 30, minutes = 10, seed = 1;
    if (!options.GetLong("--ships", 2, 30, 30, ships, error) || !options.GetLong("--minutes", 1, 60, 10, minutes, error) ||
        !options.GetLong("--seed", 0, 0xFFFFFFFFL, 1, seed, error))
        return Fail(error);
    if (ships % 2) return Fail("--ships must be even");

    VornaTest::GameSession::Options start;
    start.dataFolder = Vorna3D::CDX9KelEngine::DetermineDataFolder(Platform::ProgramFolder(),
                                                                  Platform::CommonDocumentsFolder());
    start.seed = static_cast<std::uint32_t>(seed);
    VornaTest::GameSession session;
    if (!session.Start(start)) return Fail("the game did not start");
    CVR3GAMEManager& manager = CVR3GAMEManager::Get();
    CVR3GAMEBattleMap* map = manager.GetBattleMap();
    CVR3GAMEIO io;
    std::string failure;
    CVR3GAMEBattleMapPlayer* players[2] = {nullptr, nullptr};
    if (!map) failure = "no battle map";
    if (failure.empty()) {
        io.m_pScene = session.Scene();
        io.m_pBattleMap = map;
        io.InitFrom(Platform::ProgramFolder() + "folders.ini", Platform::ProgramFolder(), session.DataFolder());
        TiXmlDocument doc;
        doc.Parse(kMapText);
        if (!io.LoadBattleArtilleryList("demo_guns.artlstxml") ||
            !io.LoadBaseMapFromXML(&map->m_BaseMap, doc.RootElement(), nullptr))
            failure = "the demo sea was not loaded";
    }
    const char* names[2] = {"North", "South"};
    const char* types[2] = {"cruiser", "ram"};
    if (failure.empty()) {
        map->ActivateMapScene();
        map->m_iTimeLimit = -1;
        const long perSide = ships / 2;
        for (int side = 0; side < 2 && failure.empty(); ++side) {
            const std::string name = names[side];
            players[side] = map->CreatePlayer(&name);
            for (long i = 0; players[side] && i < perSide && failure.empty(); ++i) {
                // Columns of five, 30 units apart across; the sides 20 apart.
                const float x = (side == 0 ? -10.0f : 10.0f) + (side == 0 ? -30.0f : 30.0f) * static_cast<float>(i / 5);
                const float z = -12.0f * static_cast<float>(i % 5);
                TiXmlDocument ship;
                ship.Parse(ShipElement(name + std::to_string(i + 1), types[side], x, z).c_str());
                if (!io.CreateBattleShipForPlayerFromXML(ship.RootElement(), players[side])) failure = "a ship did not load";
            }
            if (failure.empty() && (!players[side] || !map->CreateComputer(&name))) failure = "no director";
        }
    }
    if (failure.empty()) {
        for (int side = 0; side < 2; ++side)
            for (CVR3GAMEBattleMapShip* s : players[side]->m_stdvBattleShips)
                for (CVR3GAMEBattleMapShip* e : players[1 - side]->m_stdvBattleShips) {
                    const float range = 600.0f / BattleProcessingState::kUnitsScale;
                    s->m_pArtilleryShip->AddTarget(e, 25.0f, range * range);
                }
        if (!manager.StartBattle("battle_game")) failure = "the battle did not start";
    }
    if (failure.empty())
        for (int side = 0; side < 2; ++side)
            for (CVR3GAMEBattleMapShipsColumn* c : players[side]->m_stdvColumns)
                if (c) {
                    c->SetRouteSpeed(5.0f);
                    c->SetTargetPoint(c->GetLeader() ? c->GetLeader()->GetWorldMatrix()->_41 * 0.5f : 0.0f, 800.0f);
                }
    std::vector<double> times;
    if (failure.empty()) {
        const long frames = minutes * 60 * 1000 / static_cast<long>(start.stepMs);
        times.reserve(static_cast<std::size_t>(frames));
        for (long f = 0; f < frames; ++f) {
            // The scene's own tick of the battle is held back (no battle
            // screen for it); the tick is made here, timed.
            Vorna3D::CVR3CIIScreen* screen = map->m_pBattleScreen;
            map->m_pBattleScreen = nullptr;
            session.Frame(false);
            map->m_pBattleScreen = screen;
            const auto t0 = std::chrono::steady_clock::now();
            map->UpdateBattle();
            const auto t1 = std::chrono::steady_clock::now();
            times.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
        }
    }
    unsigned shots = 0;
    std::size_t afloat = 0;
    if (failure.empty())
        for (const CVR3GAMEBattleMapPlayer* p : players) {
            if (p->m_pDirector && p->m_pDirector->m_pArtillerySystem) shots += p->m_pDirector->m_pArtillerySystem->m_uShotsFired;
            for (const CVR3GAMEBattleMapShip* s : p->m_stdvBattleShips)
                if (s->m_pBattleShip && s->m_pBattleShip->IsAlive) ++afloat;
        }
    session.Stop();
    if (!failure.empty()) return Fail(failure);
    double sum = 0.0;
    for (double t : times) sum += t;
    std::vector<double> sorted = times;
    std::sort(sorted.begin(), sorted.end());
    std::printf("ships %ld frames %zu\n", ships, times.size());
    std::printf("update_ms p50 %.4f p99 %.4f max %.4f mean %.4f\n", Percentile(sorted, 0.5), Percentile(sorted, 0.99),
                sorted.empty() ? 0.0 : sorted.back(), times.empty() ? 0.0 : sum / static_cast<double>(times.size()));
    std::printf("shots %u afloat %zu\n", shots, afloat);
    // Where the slowest frames fell, on the battle clock.
    std::vector<std::size_t> order(times.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::partial_sort(order.begin(), order.begin() + std::min<std::size_t>(5, order.size()), order.end(),
                      [&](std::size_t a, std::size_t b) { return times[a] > times[b]; });
    std::printf("slowest");
    for (std::size_t i = 0; i < std::min<std::size_t>(5, order.size()); ++i)
        std::printf(" %.3fms@%lus", times[order[i]], static_cast<unsigned long>(order[i] * start.stepMs / 1000));
    std::printf("\n");
    std::fflush(stdout);
    return 0;
}

const CommandRegistration kBattleBench("battlebench", "[--ships N] [--minutes M] [--seed S]", &RunBattleBench);

} // namespace

} // namespace BattleSim
