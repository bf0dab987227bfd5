// battlesim savegame <scenario file> --at harbour|harbour2|<battle seconds> --save NAME [--try-load N1,N2,...] [--seed S]
//                    [--step-ms 20] [--out DIR]
// battlesim loadgame <save name> [--duel] [--save-again NAME] [--frames N] [--step-ms 20] [--out DIR]
// The save round trip headless. savegame plays the scenario (the script's
// harbour step puts every own ship, up to five, in column 1) to the first
// harbour, to the second (after the first battle's end: its step money is
// in the save), or the given seconds into the first battle, prints the game's save state,
// then saves it through the game manager; with --try-load it then asks the
// manager to load each named save (hostile ones, for the tests) and prints
// whether it was refused and, after all of them, the state again ("after"
// lines), which a refused load must leave as it was. loadgame, in a fresh process on the
// same folder, loads the save the way the load screen does (first call, the
// loading screen's frame, second call) and prints the same state, before any
// frame has moved the game on. Lines start with "save_state". With
// --save-again it then saves the loaded game under a second name (the bytes
// must equal the first save's), and with --frames it plays on that many
// frames and prints whether the battle ended.
#include "LogReport.h"
#include "Options.h"
#include "Registry.h"
#include "SaveState.h"

#include "common/GameSession.h"
#include "engine3/core/CDX9KelEngine.h"
#include "platform/os/Paths.h"
#include "seabattle/battle/CVR3GAMEBattleMap.h"
#include "seabattle/battle/CVR3GAMEBattleMapPlayer.h"
#include "seabattle/battle/CVR3GAMEBattleMapShip.h"
#include "seabattle/game/CVR3GAMEHarbourMap.h"
#include "seabattle/game/CVR3GAMEHarbourMapPlayer.h"
#include "seabattle/game/CVR3GAMEHarbourMapPlayerDirectorHuman.h"
#include "seabattle/game/CVR3GAMEManager.h"
#include "seabattle/game/CVR3GAMEScenario.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace BattleSim {

namespace {

using namespace SeaBattle;

constexpr int kTransitionFrames = 200;

int Fail(const char* command, const std::string& message) {
    std::fprintf(stderr, "battlesim %s: %s\n", command, message.c_str());
    return 2;
}

bool WaitForState(VornaTest::GameSession& session) {
    CVR3GAMEManager& manager = CVR3GAMEManager::Get();
    for (int i = 0; i < kTransitionFrames && manager.GetPendingState() != CVR3GAMEManager::STATE_NONE; ++i)
        session.Frame(false);
    return manager.GetPendingState() == CVR3GAMEManager::STATE_NONE;
}

bool StartSession(VornaTest::GameSession& session, const Options& options, long seed, long step) {
    VornaTest::GameSession::Options start;
    start.dataFolder = options.Has("--out") ? options.Get("--out")
                                            : Vorna3D::CDX9KelEngine::DetermineDataFolder(
                                                  Platform::ProgramFolder(), Platform::CommonDocumentsFolder());
    start.stepMs = static_cast<DWORD>(step);
    start.seed = static_cast<std::uint32_t>(seed);
    return session.Start(start);
}

void PrintLog(VornaTest::GameSession& session) {
    const LogReport report = ReadLogReport();
    session.Stop();
    for (const std::string& line : report.lines) std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

bool PlayAndSave(VornaTest::GameSession& session, const std::string& file, const std::string& at,
                 const std::string& name) {
    CVR3GAMEManager& manager = CVR3GAMEManager::Get();
    if (!manager.BeginScenarioFromFile(file) || !WaitForState(session)) return false;
    if (at != "harbour") {
        const CVR3GAMEScenario* s = manager.GetScenario();
        auto* human = dynamic_cast<CVR3GAMEHarbourMapPlayerDirectorHuman*>(
            manager.GetHarbourMap()->GetDirector(s->HumanPlayerName.c_str()));
        if (!human || !human->m_pPlayer) return false;
        for (CVR3GAMEBattleMapShip* ship : human->m_pPlayer->m_stdvHarbourShips)
            if (ship && human->m_stdvColumns[0].size() < 5) human->m_stdvColumns[0].push_back(ship);
        if (!manager.ScenarioFromHarbourToBattle() || !WaitForState(session)) return false;
        if (at == "harbour2") {
            // The first battle to its end, its results as the results
            // screen records them, then the next harbour.
            CVR3GAMEBattleMap* map = manager.GetBattleMap();
            const long long start = session.GameMilliseconds();
            while (!map->IsBattleOver() && session.GameMilliseconds() - start < 3600LL * 1000) session.Frame(false);
            // The game goes on to the results by itself once the map says
            // the battle is over.
            if (!map->IsBattleOver()) return false;
            if (!map->IsLeft() && !manager.ScenarioFromBattleToMissionResults()) return false;
            for (const CVR3GAMEBattleMapPlayer* p : map->GetPlayers())
                if (p) manager.GetScenario()->AddLoss(p->m_strPlayerName.c_str(), p->m_uLostValue);
            if (!manager.ScenarioFromBattleToHarbour() || !WaitForState(session)) return false;
        } else {
            const long long until = session.GameMilliseconds() + std::stoll(at) * 1000;
            while (session.GameMilliseconds() < until) session.Frame(false);
        }
    }
    std::printf("%s", SaveState("save_state").c_str());
    const bool saved = manager.GetDuel() && manager.IsDuelRunning() ? manager.DuelSave(name) : manager.ScenarioSave(name);
    std::printf("saved %s %s\n", name.c_str(), saved ? "ok" : "failed");
    return saved;
}

void TryLoads(const std::string& list) {
    CVR3GAMEManager& manager = CVR3GAMEManager::Get();
    size_t at = 0;
    while (at <= list.size()) {
        const size_t comma = std::min(list.find(',', at), list.size());
        const std::string name = list.substr(at, comma - at);
        at = comma + 1;
        if (name.empty()) continue;
        const bool loaded = manager.ScenarioLoad(name);
        std::printf("try_load %s %s pending %d\n", name.c_str(), loaded ? "accepted" : "refused",
                    manager.GetPendingState());
    }
    std::printf("%s", SaveState("after").c_str());
}

int RunSaveGame(const std::vector<std::string>& words) {
    if (words.empty() || words.front().rfind("--", 0) == 0) return Fail("savegame", "the scenario file comes first");
    const std::vector<std::string> args(words.begin() + 1, words.end());
    Options options;
    std::string error;
    if (!options.Parse(args, {{"--at", true}, {"--save", true}, {"--try-load", true}, {"--seed", true}, {"--step-ms", true}, {"--out", true}},
                       error))
        return Fail("savegame", error);
    long seed = 1, step = 20;
    if (!options.GetLong("--seed", 0, 0xFFFFFFFFL, 1, seed, error) ||
        !options.GetLong("--step-ms", 1, 60, 20, step, error))
        return Fail("savegame", error);
    const std::string at = options.Has("--at") ? options.Get("--at") : "harbour";
    if (at != "harbour" && at != "harbour2" &&
        (at.empty() || at.find_first_not_of("0123456789") != std::string::npos || at.size() > 5))
        return Fail("savegame", "--at takes harbour, harbour2 or whole seconds of battle");
    if (!options.Has("--save")) return Fail("savegame", "give the save's name with --save");
    VornaTest::GameSession session;
    const bool ok = StartSession(session, options, seed, step) &&
                    PlayAndSave(session, words.front(), at, options.Get("--save"));
    if (ok && options.Has("--try-load")) TryLoads(options.Get("--try-load"));
    PrintLog(session);
    return ok ? 0 : 1;
}

int RunLoadGame(const std::vector<std::string>& words) {
    if (words.empty() || words.front().rfind("--", 0) == 0) return Fail("loadgame", "the save name comes first");
    const std::vector<std::string> args(words.begin() + 1, words.end());
    Options options;
    std::string error;
    if (!options.Parse(args, {{"--duel", false}, {"--save-again", true}, {"--frames", true}, {"--step-ms", true}, {"--out", true}}, error))
        return Fail("loadgame", error);
    long step = 20, frames = 0;
    if (!options.GetLong("--step-ms", 1, 60, 20, step, error) ||
        !options.GetLong("--frames", 0, 1000000, 0, frames, error))
        return Fail("loadgame", error);
    VornaTest::GameSession session;
    bool ok = StartSession(session, options, 1, step);
    if (ok) {
        CVR3GAMEManager& manager = CVR3GAMEManager::Get();
        const std::string& name = words.front();
        ok = options.Has("--duel") ? manager.DuelLoad(name) : manager.ScenarioLoad(name);
        std::printf("load_first_call %s\n", ok ? "ok" : "failed");
        // The loading screen's frame, then the second call on its own, so
        // the state is printed before the game moves on.
        for (int i = 0; ok && i < kTransitionFrames && manager.GetPendingState() != CVR3GAMEManager::STATE_NONE;
             ++i) {
            session.Clock().Advance(static_cast<DWORD>(step));
            manager.ProcState();
        }
        ok = ok && manager.GetPendingState() == CVR3GAMEManager::STATE_NONE &&
             (manager.IsScenarioRunning() || manager.IsDuelRunning());
        std::printf("load_second_call %s\n", ok ? "ok" : "failed");
        if (ok) std::printf("%s", SaveState("save_state").c_str());
        if (ok && options.Has("--save-again")) {
            const std::string again = options.Get("--save-again");
            const bool saved = options.Has("--duel") ? manager.DuelSave(again) : manager.ScenarioSave(again);
            std::printf("saved %s %s\n", again.c_str(), saved ? "ok" : "failed");
            ok = saved;
        }
        if (ok && frames > 0) {
            session.Frames(static_cast<int>(frames), false);
            std::printf("played %ld frames battle_over %d\n", frames, manager.GetBattleMap()->IsBattleOver() ? 1 : 0);
        }
    }
    PrintLog(session);
    return ok ? 0 : 1;
}

const CommandRegistration kSaveGame("savegame",
                                    "<scenario file> --at harbour|harbour2|<battle seconds> --save NAME [--seed S] "
                                    "[--step-ms 20] [--out DIR]",
                                    &RunSaveGame);
const CommandRegistration kLoadGame("loadgame", "<save name> [--duel] [--step-ms 20] [--out DIR]", &RunLoadGame);

} // namespace

} // namespace BattleSim
