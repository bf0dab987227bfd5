// battlesim scenario <scenario file> --auto [--seed S] [--step-ms 20] [--out DIR]
// A whole scenario played headless on the virtual clock: the game manager
// begins it from the file and carries out every transition on a later frame,
// as the game does. With --auto a script stands in for the human harbour
// director (its ships, up to five, form column 1) and the battles are fought
// to their end by the battle map's directors; the game then shows the
// results screen by itself, for a few frames (its module records each
// side's loss in the scenario), and the scenario goes on to the next harbour
// or to its end. Prints every state change, the money, the losses, the ships
// of each battle (a ship keeps its number for its whole life), the score and
// the saves asked for.
#include "LogReport.h"
#include "Options.h"
#include "Registry.h"

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

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace BattleSim {

namespace {

using namespace SeaBattle;

// A battle longer than this (game time) counts as not ended.
constexpr long long kBattleLimitMs = 60LL * 60000;
// Frames a transition may take before the run gives up.
constexpr int kTransitionFrames = 200;
// Frames the results screen shows before the run goes on.
constexpr int kResultsFrames = 5;

int Fail(const std::string& message) {
    std::fprintf(stderr, "battlesim scenario: %s\n", message.c_str());
    return 2;
}

class ScenarioRun {
public:
    ScenarioRun(VornaTest::GameSession& session) : m_session(session), m_manager(CVR3GAMEManager::Get()) {}

    bool Run(const std::string& file) {
        if (!m_manager.BeginScenarioFromFile(file)) return Error("the scenario did not begin");
        Report("begin");
        for (int battle = 1;; ++battle) {
            if (!WaitForState() || !IsOn(m_manager.GetScenario()->HarbourScreen)) return Error("no harbour");
            Report("harbour");
            if (!HumanHarbourStep()) return Error("the human harbour step failed");
            if (!m_manager.ScenarioFromHarbourToBattle()) return Error("no way to the battle");
            Report("to_battle");
            if (!WaitForState() || !IsOn(m_manager.GetScenario()->BattleScreen)) return Error("no battle");
            Report("battle");
            PrintShips(battle);
            if (!FightToTheEnd()) return Error("the battle did not end");
            // The game goes on to the results by itself once the map says the
            // battle is over.
            if (!IsOn(m_manager.GetScenario()->BattleResultsScreen)) return Error("no results");
            Report("results");
            if (!ShowResults()) return Error("the results screen did not show");
            if (!m_manager.ScenarioFromBattleToHarbour()) {
                Report("last_step");
                if (!m_manager.ScenarioEnd()) return Error("the scenario did not end");
                Report("end");
                std::printf("score %d\n", m_manager.GetScenario()->GetScore());
                return true;
            }
            Report("to_harbour");
        }
    }

private:
    bool Error(const std::string& what) {
        std::fprintf(stderr, "battlesim scenario: %s\n", what.c_str());
        return false;
    }
    bool IsOn(const std::string& screen) const { return m_session.CurrentScreen() == screen; }

    // Frames until the pending transition has been carried out.
    bool WaitForState() {
        for (int i = 0; i < kTransitionFrames; ++i) {
            if (m_manager.GetPendingState() == CVR3GAMEManager::STATE_NONE) return true;
            m_session.Frame(false);
        }
        return m_manager.GetPendingState() == CVR3GAMEManager::STATE_NONE;
    }

    void Report(const char* event) {
        const CVR3GAMEScenario* s = m_manager.GetScenario();
        std::printf("state %s screen %s step %d in_battle %d pending %d", event, m_session.CurrentScreen().c_str(),
                    s->m_iStep, s->m_iInBattle, m_manager.GetPendingState());
        if (const auto* human = dynamic_cast<const CVR3GAMEHarbourMapPlayerDirectorHuman*>(
                m_manager.GetHarbourMap()->GetDirector(s->HumanPlayerName.c_str())))
            std::printf(" money %d", human->m_iMoney);
        std::printf(" losses %u %u", s->m_uHumanLosses, s->m_uComputerLosses);
        if (!m_manager.GetLastSaveAsked().empty()) std::printf(" save_asked %s", m_manager.GetLastSaveAsked().c_str());
        std::printf("\n");
    }

    // The script's harbour step: every own ship, up to five, in column 1.
    bool HumanHarbourStep() {
        const CVR3GAMEScenario* s = m_manager.GetScenario();
        auto* human = dynamic_cast<CVR3GAMEHarbourMapPlayerDirectorHuman*>(
            m_manager.GetHarbourMap()->GetDirector(s->HumanPlayerName.c_str()));
        if (!human || !human->m_pPlayer) return false;
        auto& column = human->m_stdvColumns[0];
        column.clear();
        for (CVR3GAMEBattleMapShip* ship : human->m_pPlayer->m_stdvHarbourShips)
            if (ship && !ship->m_bSunk && column.size() < 5) column.push_back(ship);
        std::printf("harbour %s column1 %zu\n", s->HumanPlayerName.c_str(), column.size());
        return !column.empty();
    }

    int Serial(const CVR3GAMEBattleMapShip* ship) {
        auto it = m_serials.find(ship);
        if (it != m_serials.end()) return it->second;
        const int n = ++m_iLastSerial;
        m_serials.emplace(ship, n);
        return n;
    }

    void PrintShips(int battle) {
        for (const CVR3GAMEBattleMapPlayer* p : m_manager.GetBattleMap()->GetPlayers()) {
            if (!p) continue;
            for (const CVR3GAMEBattleMapShip* ship : p->m_stdvBattleShips)
                if (ship)
                    std::printf("battle %d side %s ship %d %s\n", battle, p->m_strPlayerName.c_str(), Serial(ship),
                                ship->m_strName.c_str());
        }
    }

    bool FightToTheEnd() {
        CVR3GAMEBattleMap* map = m_manager.GetBattleMap();
        const long long start = m_session.GameMilliseconds();
        while (!map->IsBattleOver() && m_session.GameMilliseconds() - start < kBattleLimitMs) m_session.Frame(false);
        for (const CVR3GAMEBattleMapPlayer* p : map->GetPlayers()) {
            if (!p) continue;
            for (const CVR3GAMEBattleMapShip* ship : p->m_stdvBattleShips)
                if (ship && ship->m_bSunk) {
                    std::printf("sunk %d %s\n", Serial(ship), ship->m_strName.c_str());
                    // A sunk ship is deleted after the battle: a ship made
                    // later at its address is another ship.
                    m_serials.erase(ship);
                }
        }
        std::printf("battle_over %d lost_side %s\n", map->IsBattleOver() ? 1 : 0, map->GetLostSide().c_str());
        return map->IsBattleOver();
    }

    // A few frames of the results screen: its module puts each side's lost
    // value into the scenario, once per visit.
    bool ShowResults() {
        for (int i = 0; i < kResultsFrames; ++i) m_session.Frame(false);
        if (!IsOn(m_manager.GetScenario()->BattleResultsScreen)) return false;
        for (const CVR3GAMEBattleMapPlayer* p : m_manager.GetBattleMap()->GetPlayers())
            if (p) std::printf("loss %s value %u ships %u\n", p->m_strPlayerName.c_str(), p->m_uLostValue, p->m_uLostShips);
        const CVR3GAMEScenario* s = m_manager.GetScenario();
        std::printf("scenario_losses %u %u\n", s->m_uHumanLosses, s->m_uComputerLosses);
        return true;
    }

    VornaTest::GameSession& m_session;
    CVR3GAMEManager& m_manager;
    std::map<const CVR3GAMEBattleMapShip*, int> m_serials;
    int m_iLastSerial = 0;
};

int RunScenario(const std::vector<std::string>& words) {
    if (words.empty() || words.front().rfind("--", 0) == 0) return Fail("the scenario file comes first");
    const std::string file = words.front();
    const std::vector<std::string> args(words.begin() + 1, words.end());
    Options options;
    std::string error;
    if (!options.Parse(args, {{"--auto", false}, {"--seed", true}, {"--step-ms", true}, {"--out", true}}, error))
        return Fail(error);
    if (!options.Has("--auto")) return Fail("only --auto play is built: give --auto");
    long seed = 1, step = 20;
    if (!options.GetLong("--seed", 0, 0xFFFFFFFFL, 1, seed, error) ||
        !options.GetLong("--step-ms", 1, 60, 20, step, error))
        return Fail(error);
    VornaTest::GameSession::Options start;
    start.dataFolder = options.Has("--out") ? options.Get("--out")
                                            : Vorna3D::CDX9KelEngine::DetermineDataFolder(
                                                  Platform::ProgramFolder(), Platform::CommonDocumentsFolder());
    start.stepMs = static_cast<DWORD>(step);
    start.seed = static_cast<std::uint32_t>(seed);
    VornaTest::GameSession session;
    bool ok = session.Start(start);
    if (ok) {
        ScenarioRun run(session);
        ok = run.Run(file);
    }
    const LogReport report = ReadLogReport();
    session.Stop();
    for (const std::string& line : report.lines) std::printf("%s\n", line.c_str());
    std::fflush(stdout);
    return ok ? 0 : 1;
}

const CommandRegistration kScenario("scenario", "<scenario file> --auto [--seed S] [--step-ms 20] [--out DIR]",
                                    &RunScenario);

} // namespace

} // namespace BattleSim
