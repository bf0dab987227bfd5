// battlesim duel <duel file> --buy "h1=0,0;h2=1;c1=0,1" [--difficulty arcade|normal|realistic] [--seed S]
//                [--step-ms 20] [--limit-s 1800] [--save-at SECONDS --save NAME] [--out DIR]
// A duel played headless through the game manager as the duel screens play
// it: the duel file is begun, each side buys its columns from its shop
// (h = the human's director, c = the computer's; the digit is the column
// 1-3; the numbers are shop places, bought in order), the difficulty picks
// the artillery list and the battle is built and fought on the virtual clock
// until it is over or the limit of game time passes; then the results and
// the score. With --save-at the duel battle is saved that many seconds in
// (its state printed as "save_state" lines) and the run ends there.
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
#include "seabattle/game/CVR3GAMEDuel.h"
#include "seabattle/game/CVR3GAMEManager.h"

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

namespace BattleSim {

namespace {

using namespace SeaBattle;

constexpr int kTransitionFrames = 200;

int Fail(const std::string& message) {
    std::fprintf(stderr, "battlesim duel: %s\n", message.c_str());
    return 2;
}

struct Purchase {
    size_t director = 0; // 0 the human's, 1 the computer's
    int column = 0;      // 0..2
    std::vector<int> types;
};

bool ParseBuy(const std::string& text, std::vector<Purchase>& out, std::string& error) {
    std::istringstream in(text);
    std::string item;
    while (std::getline(in, item, ';')) {
        if (item.empty()) continue;
        const size_t eq = item.find('=');
        if (eq != 2 || (item[0] != 'h' && item[0] != 'c') || item[1] < '1' || item[1] > '3') {
            error = "--buy items look like h1=0,1 or c3=0";
            return false;
        }
        Purchase p;
        p.director = item[0] == 'h' ? 0 : 1;
        p.column = item[1] - '1';
        std::istringstream types(item.substr(3));
        std::string t;
        while (std::getline(types, t, ',')) {
            if (t.empty() || t.size() > 3 || t.find_first_not_of("0123456789") != std::string::npos) {
                error = "shop places are small whole numbers";
                return false;
            }
            p.types.push_back(std::stoi(t));
        }
        out.push_back(p);
    }
    return true;
}

bool WaitForState(VornaTest::GameSession& session) {
    CVR3GAMEManager& manager = CVR3GAMEManager::Get();
    for (int i = 0; i < kTransitionFrames && manager.GetPendingState() != CVR3GAMEManager::STATE_NONE; ++i)
        session.Frame(false);
    return manager.GetPendingState() == CVR3GAMEManager::STATE_NONE;
}

bool PlayDuel(VornaTest::GameSession& session, const std::string& file, const std::vector<Purchase>& buys, int level,
              long long limitMs, long saveAt, const std::string& saveName) {
    CVR3GAMEManager& manager = CVR3GAMEManager::Get();
    CVR3GAMEDuel* duel = manager.GetDuel();
    if (!duel || !manager.BeginDuelFromFile(file, "loading") || !WaitForState(session) || !manager.IsDuelRunning()) {
        std::fprintf(stderr, "battlesim duel: the duel did not begin\n");
        return false;
    }
    std::printf("duel %s screen %s directors %zu\n", duel->m_strDuelName.c_str(), session.CurrentScreen().c_str(),
                duel->m_stdvDirectors.size());
    for (const Purchase& p : buys) {
        if (p.director >= duel->m_stdvDirectors.size()) return false;
        CVR3GAMEDuelPlayerDirector* d = duel->m_stdvDirectors[p.director];
        for (int type : p.types) {
            d->ClearSelection();
            d->m_iSelectedShop = type;
            const bool bought = type >= 0 && static_cast<size_t>(type) < d->m_stdvShipTypes.size() && d->AddShip(p.column);
            std::printf("buy %s column %d type %d %s money %u\n", d->m_pPlayer->m_strName.c_str(), p.column + 1, type,
                        bought ? "ok" : "refused", d->m_dwMoney);
        }
    }
    bool warn = false;
    if (!duel->ChooseDifficulty(level, &warn)) {
        std::printf("difficulty refused%s\n", warn ? " warning: a side has no ship" : "");
        return false;
    }
    std::printf("difficulty %d artillery %s\n", level, duel->m_strArtilleryList.c_str());
    if (!duel->BeginBattle() || !WaitForState(session)) return false;
    CVR3GAMEBattleMap* map = manager.GetBattleMap();
    std::printf("battle screen %s\n", session.CurrentScreen().c_str());
    for (const CVR3GAMEBattleMapPlayer* p : map->GetPlayers())
        if (p)
            for (const CVR3GAMEBattleMapShip* s : p->m_stdvBattleShips)
                if (s) std::printf("ship %s %s\n", p->m_strPlayerName.c_str(), s->m_strName.c_str());
    const long long start = session.GameMilliseconds();
    if (saveAt >= 0) {
        while (session.GameMilliseconds() - start < saveAt * 1000LL) session.Frame(false);
        std::printf("%s", SaveState("save_state").c_str());
        const bool saved = manager.DuelSave(saveName);
        std::printf("saved %s %s\n", saveName.c_str(), saved ? "ok" : "failed");
        return saved;
    }
    while (!map->IsBattleOver() && session.GameMilliseconds() - start < limitMs) session.Frame(false);
    std::printf("battle_over %d lost_side %s game_s %lld\n", map->IsBattleOver() ? 1 : 0, map->GetLostSide().c_str(),
                (session.GameMilliseconds() - start) / 1000);
    // A battle that ended goes on to its results by itself; one cut off at
    // the limit is taken there.
    if (!map->IsLeft() && !manager.DuelFromBattleToResults()) return false;
    std::printf("results screen %s\n", session.CurrentScreen().c_str());
    for (const CVR3GAMEDuelPlayerDirector* d : duel->m_stdvDirectors)
        std::printf("loss %s spent %u lost %u\n", d->m_pPlayer->m_strName.c_str(), d->GetSpent(), d->m_dwLostMoney);
    if (!manager.DuelEnd()) return false;
    std::printf("end screen %s score %d\n", session.CurrentScreen().c_str(), duel->GetScore());
    return true;
}

int RunDuel(const std::vector<std::string>& words) {
    if (words.empty() || words.front().rfind("--", 0) == 0) return Fail("the duel file comes first");
    const std::vector<std::string> args(words.begin() + 1, words.end());
    Options options;
    std::string error;
    if (!options.Parse(args,
                       {{"--buy", true}, {"--difficulty", true}, {"--seed", true}, {"--step-ms", true},
                        {"--limit-s", true}, {"--save-at", true}, {"--save", true}, {"--out", true}},
                       error))
        return Fail(error);
    long seed = 1, step = 20, limit = 1800, saveAt = -1;
    if (!options.GetLong("--seed", 0, 0xFFFFFFFFL, 1, seed, error) ||
        !options.GetLong("--step-ms", 1, 60, 20, step, error) ||
        !options.GetLong("--limit-s", 1, 4 * 3600, 1800, limit, error) ||
        !options.GetLong("--save-at", 0, 4 * 3600, -1, saveAt, error))
        return Fail(error);
    if (saveAt >= 0 && !options.Has("--save")) return Fail("--save-at needs --save NAME");
    std::vector<Purchase> buys;
    if (!options.Has("--buy")) return Fail("give the columns to buy with --buy");
    if (!ParseBuy(options.Get("--buy"), buys, error)) return Fail(error);
    const std::string difficulty = options.Has("--difficulty") ? options.Get("--difficulty") : "normal";
    const int level = difficulty == "arcade" ? 0 : difficulty == "normal" ? 1 : difficulty == "realistic" ? 2 : -1;
    if (level < 0) return Fail("--difficulty is arcade, normal or realistic");
    VornaTest::GameSession::Options start;
    start.dataFolder = options.Has("--out") ? options.Get("--out")
                                            : Vorna3D::CDX9KelEngine::DetermineDataFolder(
                                                  Platform::ProgramFolder(), Platform::CommonDocumentsFolder());
    start.stepMs = static_cast<DWORD>(step);
    start.seed = static_cast<std::uint32_t>(seed);
    VornaTest::GameSession session;
    bool ok = session.Start(start);
    if (ok)
        ok = PlayDuel(session, words.front(), buys, level, limit * 1000LL, saveAt,
                      options.Has("--save") ? options.Get("--save") : std::string());
    const LogReport report = ReadLogReport();
    session.Stop();
    for (const std::string& line : report.lines) std::printf("%s\n", line.c_str());
    std::fflush(stdout);
    return ok ? 0 : 1;
}

const CommandRegistration kDuel("duel",
                                "<duel file> --buy \"h1=0,0;c1=0\" [--difficulty arcade|normal|realistic] [--seed S] "
                                "[--step-ms 20] [--limit-s 1800] [--save-at SECONDS --save NAME] [--out DIR]",
                                &RunDuel);

} // namespace

} // namespace BattleSim
