// battlesim battle <map file> [--seed S] [--minutes M] [--step-ms 20]
//                  [--battles N] [--pictures DIR] [--out DIR] [--trace] [--timing]
// A stand-alone battle map from its file, fought on the virtual clock the
// way the game fights it: the demo gun list, the map read by the game IO
// (base map, sea and sky, borders, players with their ships, directors),
// the battle started on the demo's battle screen, the directors' behaviours
// set up, then frame after frame until the battle map reports the battle
// over (a side has lost all its ships, or the time is up). M minutes
// replace the map's own time limit. Prints per battle the result, the
// winner, each side's losses, the battle log and the state dump's hash;
// with N > 1 the same map is fought again in the same process after the
// map is emptied. --pictures saves the battle at its start and after five
// minutes; --timing times the battle's tick per frame and the whole battle
// (game seconds per wall second). Exit 0 when every battle ended and the log has no errors.
#include "HudBattle.h"
#include "DataFolder.h"
#include "LogReport.h"
#include "Options.h"
#include "Registry.h"

#include "common/GameSession.h"
#include "engine3/core/CDX9KelEngine.h"
#include "platform/os/Paths.h"
#include "seabattle/battle/BattleProcessingState.h"
#include "seabattle/battle/CVR3GAMEBattleLog.h"
#include "seabattle/battle/CVR3GAMEBattleMap.h"
#include "engine3/core/scene/CDX9KelSceneObject.h"
#include "engine3/ui/screens/CVR3CIIScreen.h"
#include "engine3/ui/sound/CVR3SOUNDManager.h"
#include "seabattle/battle/CVR3GAMEArtilleryShip.h"
#include "seabattle/battle/CVR3GAMEBattleMapArtillerySystem.h"
#include "seabattle/battle/CVR3GAMEBattleMapPlayer.h"
#include "seabattle/battle/CVR3GAMEBattleMapPlayerDirector.h"
#include "seabattle/battle/CVR3GAMEBattleMapShip.h"
#include "seabattle/battle/CVR3GAMEBattleSystemShip.h"
#include "seabattle/game/CVR3GAMEIO.h"
#include "seabattle/game/CVR3GAMEManager.h"
#include "seabattle/shell/CScene.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace BattleSim {

namespace {

using namespace SeaBattle;

constexpr const char* kBattleScreen = "battle_game";
constexpr const char* kGunList = "demo_guns.artlstxml";
// Ship levels counted by the end-of-battle tally.
constexpr uint32_t kShipLevels = 4;
constexpr DWORD kPictureAt = 5 * 60000;

int Fail(const std::string& message) {
    std::fprintf(stderr, "battlesim battle: %s\n", message.c_str());
    return 2;
}

struct SideTally {
    std::string name;
    unsigned ships = 0, sunk = 0, left = 0, withdrawn = 0, afloat = 0;
    unsigned lost = 0, shots = 0;
    double damage = 0.0;
};

SideTally Tally(const CVR3GAMEBattleMapPlayer* p) {
    SideTally t;
    t.name = p->m_strPlayerName;
    for (const CVR3GAMEBattleMapShip* s : p->m_stdvBattleShips) {
        if (!s) continue;
        ++t.ships;
        if (s->m_bSunk) ++t.sunk;
        else if (!s->m_pColumn) ++t.left;
        else if (s->m_bWithdrawn) ++t.withdrawn;
        else ++t.afloat;
        if (s->m_pBattleShip) t.damage += s->m_pBattleShip->DamagePercent;
    }
    t.lost = p->m_uLostShips;
    if (const CVR3GAMEBattleMapPlayerDirector* d = p->m_pDirector)
        if (d->m_pArtillerySystem) t.shots = d->m_pArtillerySystem->m_uShotsFired;
    return t;
}

// A line a minute while --trace is given: the least distance between two
// enemy ships, the ships with targets and the shots fired so far per side.
void TraceMinute(const CVR3GAMEBattleMap* map) {
    const auto& players = map->GetPlayers();
    float least = 1e9f;
    if (players.size() == 2 && players[0] && players[1])
        for (const CVR3GAMEBattleMapShip* a : players[0]->m_stdvBattleShips)
            for (const CVR3GAMEBattleMapShip* b : players[1]->m_stdvBattleShips) {
                if (!a || !b || a->m_bSunk || b->m_bSunk || !a->m_pSceneObject || !b->m_pSceneObject) continue;
                const D3DXMATRIX& p = a->m_pSceneObject->m_mWorld;
                const D3DXMATRIX& q = b->m_pSceneObject->m_mWorld;
                least = std::min(least, std::hypot(p._41 - q._41, p._43 - q._43));
            }
    std::printf("trace minute %u least_distance %.1f", static_cast<unsigned>(map->m_GameTimer.m_dwGameTime / 60000),
                least);
    for (const CVR3GAMEBattleMapPlayer* p : players) {
        if (!p) continue;
        unsigned targeting = 0;
        for (const CVR3GAMEBattleMapShip* s : p->m_stdvBattleShips)
            if (s && s->m_pArtilleryShip && !s->m_pArtilleryShip->m_vTargets.empty()) ++targeting;
        const CVR3GAMEBattleMapPlayerDirector* d = p->m_pDirector;
        const unsigned shots = d && d->m_pArtillerySystem ? d->m_pArtillerySystem->m_uShotsFired : 0;
        std::printf(" | %s targeting %u shots %u", p->m_strPlayerName.c_str(), targeting, shots);
    }
    std::printf(" | shots_in_flight %zu\n", BattleProcessingState::Get().GetPendingShotCount());
}

// One battle of the map: loaded, fought to its end, reported.
bool FightBattle(VornaTest::GameSession& session, CVR3GAMEIO& io, const std::string& mapFile, long minutes,
                 const std::string& pictures, bool trace, bool timing, int number, std::string& dumpText) {
    CVR3GAMEManager& manager = CVR3GAMEManager::Get();
    CVR3GAMEBattleMap* map = manager.GetBattleMap();
    CVR3GAMEBattleLog::Get().Clear();
    // A stand-alone map brings its own players: the previous battle's go.
    map->Clear();
    // As the game does after a battle: the resolution forgets the players;
    // the directors register them again when they are made.
    BattleProcessingState::Get().ClearBattleProcessing(false);
    // The battle screen is known before the map is read: a human director
    // binds its HUD to it while the map's directors are made.
    if (!manager.StartBattle(kBattleScreen)) {
        std::fprintf(stderr, "battlesim battle: the battle screen is missing\n");
        return false;
    }
    if (!io.LoadBattleMapFromFile(mapFile.c_str(), false, nullptr)) {
        std::fprintf(stderr, "battlesim battle: the map did not load: %s\n", mapFile.c_str());
        return false;
    }
    if (minutes > 0) map->m_iTimeLimit = static_cast<int32_t>(minutes);
    if (!manager.StartBattle(kBattleScreen)) {
        std::fprintf(stderr, "battlesim battle: the battle did not start on its screen\n");
        return false;
    }
    if (!map->InitDirectorsBehaviours()) {
        std::fprintf(stderr, "battlesim battle: the directors' behaviours did not set up\n");
        return false;
    }
    // As the game does once a battle map is up: the sounds its ships made
    // reach the sound thread, so they play and are freed there.
    manager.StartMapSounds();
    std::printf("battle %d map %s players %zu directors %zu time_limit %d\n", number, mapFile.c_str(),
                map->GetPlayers().size(), map->GetDirectors().size(), map->m_iTimeLimit);
    const bool picture = !pictures.empty() && number == 1;
    if (picture) {
        session.TakePicture(pictures + "/battle_start.png");
        session.Frame(true);
    }
    bool fifthMinute = false;
    std::vector<double> updateMs;
    const auto started = std::chrono::steady_clock::now();
    const long long limitMs = (static_cast<long long>(map->m_iTimeLimit < 0 ? 60 : map->m_iTimeLimit) + 2) * 60000;
    while (!map->IsBattleOver() && map->m_GameTimer.m_dwGameTime < limitMs) {
        if (picture && !fifthMinute && map->m_GameTimer.m_dwGameTime >= kPictureAt) {
            fifthMinute = true;
            session.TakePicture(pictures + "/battle_5min.png");
            session.Frame(true);
            continue;
        }
        const DWORD before = map->m_GameTimer.m_dwGameTime;
        if (timing) {
            // The frame without the battle's tick, then the tick alone, timed.
            Vorna3D::CVR3CIIScreen* screen = map->m_pBattleScreen;
            map->m_pBattleScreen = nullptr;
            session.Frame(false);
            map->m_pBattleScreen = screen;
            const auto t0 = std::chrono::steady_clock::now();
            map->UpdateBattle();
            updateMs.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
        } else {
            session.Frame(false);
        }
        if (trace && before / 60000 != map->m_GameTimer.m_dwGameTime / 60000) TraceMinute(map);
    }
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    const DWORD clock = map->m_GameTimer.m_dwGameTime;
    const std::string lostSide = map->GetLostSide();
    // The state as the battle ended, before the tally stops the clock.
    dumpText = StateDump(session);
    // The game's own end-of-battle tally of survivors and losses.
    map->PrepareDataForHarbour(kShipLevels);
    std::vector<SideTally> sides;
    for (const CVR3GAMEBattleMapPlayer* p : map->GetPlayers())
        if (p) sides.push_back(Tally(p));
    const char* result = !lostSide.empty() ? "side_lost" : map->IsTimeUp() ? "time_up" : "unfinished";
    std::string winner = "none";
    if (!lostSide.empty()) {
        for (const SideTally& s : sides)
            if (s.name != lostSide) winner = s.name;
    } else if (sides.size() == 2) {
        // Time up: the side with more ships still fighting, then the one
        // that lost fewer ships.
        const SideTally& a = sides[0];
        const SideTally& b = sides[1];
        if (a.afloat != b.afloat) winner = a.afloat > b.afloat ? a.name : b.name;
        else if (a.sunk != b.sunk) winner = a.sunk < b.sunk ? a.name : b.name;
    }
    std::printf("result %s clock_ms %u\n", result, static_cast<unsigned>(clock));
    if (timing && !updateMs.empty()) {
        // Game seconds per wall second over the whole battle, and the
        // battle's tick per frame.
        std::sort(updateMs.begin(), updateMs.end());
        auto at = [&updateMs](double q) { return updateMs[static_cast<std::size_t>(q * (updateMs.size() - 1))]; };
        double sum = 0.0;
        for (double v : updateMs) sum += v;
        std::printf("timing wall_s %.3f game_s %.1f speed %.1f frames %zu\n", wall, clock / 1000.0,
                    wall > 0.0 ? clock / 1000.0 / wall : 0.0, updateMs.size());
        std::printf("update_ms p50 %.4f p99 %.4f max %.4f mean %.4f\n", at(0.5), at(0.99), updateMs.back(),
                    sum / updateMs.size());
    }
    std::printf("winner %s\n", winner.c_str());
    for (const SideTally& s : sides)
        std::printf("side %s ships %u sunk %u left %u withdrawn %u afloat %u lost %u shots %u damage %.1f\n",
                    s.name.c_str(), s.ships, s.sunk, s.left, s.withdrawn, s.afloat, s.lost, s.shots, s.damage);
    std::printf("shots_lost_ships %u\n", static_cast<unsigned>(BattleProcessingState::Get().m_dwLostShips));
    for (const CVR3GAMEBattleLogEntry& e : CVR3GAMEBattleLog::Get().GetEntries())
        std::printf("log %s | %d | %s | %s\n", e.m_strCategory.c_str(), e.m_iKind, e.m_strSubject.c_str(),
                    e.m_strMessage.c_str());
    std::printf("battle %d hash %s\n", number, TextHash(dumpText).c_str());
    return map->IsBattleOver();
}

int RunBattle(const std::vector<std::string>& words) {
    // A battle under the human player's HUD, played from an input script.
    if (WantsHudBattle(words)) return RunHudBattle(words);
    if (words.empty() || words.front().rfind("--", 0) == 0) return Fail("the map file comes first");
    const std::string mapFile = words.front();
    const std::vector<std::string> args(words.begin() + 1, words.end());
    Options options;
    std::string error;
    if (!options.Parse(args,
                       {{"--seed", true},
                        {"--minutes", true},
                        {"--step-ms", true},
                        {"--battles", true},
                        {"--pictures", true},
                        {"--out", true},
                        {"--trace", false},
                        {"--timing", false}},
                       error))
        return Fail(error);
    long seed = 1, minutes = 0, step = 20, battles = 1;
    if (!options.GetLong("--seed", 0, 0xFFFFFFFFL, 1, seed, error) ||
        !options.GetLong("--minutes", 1, 600, 0, minutes, error) ||
        !options.GetLong("--step-ms", 1, 60, 20, step, error) ||
        !options.GetLong("--battles", 1, 5, 1, battles, error))
        return Fail(error);

    VornaTest::GameSession::Options start;
    start.dataFolder = DataFolderOption(options);
    start.stepMs = static_cast<DWORD>(step);
    start.seed = static_cast<std::uint32_t>(seed);
    VornaTest::GameSession session;
    bool ok = session.Start(start);
    if (!ok) error = "the game did not start";
    std::string dump;
    if (ok) {
        CVR3GAMEIO io;
        io.m_pScene = session.Scene();
        io.m_pBattleMap = CVR3GAMEManager::Get().GetBattleMap();
        io.InitFrom(Platform::ProgramFolder() + "folders.ini", Platform::ProgramFolder(), session.DataFolder());
        if (!io.m_pBattleMap || !io.LoadBattleArtilleryList(kGunList)) {
            ok = false;
            error = "no battle map or no gun list";
        }
        for (long b = 1; ok && b <= battles; ++b)
            if (!FightBattle(session, io, mapFile, minutes, options.Get("--pictures"), options.Has("--trace"),
                             options.Has("--timing"), static_cast<int>(b), dump)) {
                ok = false;
                error = "battle " + std::to_string(b) + " did not end";
            }
        // The map's objects go before the game does.
        if (CVR3GAMEBattleMap* map = CVR3GAMEManager::Get().GetBattleMap()) map->Clear();
    }
    const LogReport report = ReadLogReport();
    session.Stop();
    for (const std::string& line : report.lines) std::printf("%s\n", line.c_str());
    if (!dump.empty()) std::printf("%shash %s\n", dump.c_str(), TextHash(dump).c_str());
    std::fflush(stdout);
    if (!ok) return Fail(error);
    return report.errors ? 1 : 0;
}

const CommandRegistration kBattle("battle",
                                  "<map file> [--seed S] [--minutes M] [--step-ms 20] [--battles N] [--pictures DIR] "
                                  "[--out DIR] [--trace] [--timing] | <map file> --script FILE [--frames N] "
                                  "[--report-every N] [--shot PNG] [--seed S] [--minutes M] [--out DIR]",
                                  &RunBattle);

} // namespace

} // namespace BattleSim
