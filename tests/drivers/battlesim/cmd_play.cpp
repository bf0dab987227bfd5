// battlesim play [--minutes M] [--rounds N] [--seed S] [--step-ms 60] [--pictures DIR] [--out DIR]
// The game from its main menu, driven through its screens the way a player
// drives it, on the virtual clock: Start (a click on the menu's button)
// begins the scenario the menu names; in each harbour the player's ships, up
// to five, go into column 1 on the harbour screens and the fleet sails; in
// each battle the player's HUD is left alone but for
// one visit of the pause menu (Menu, then Continue), until the battle's time
// is up (M minutes replace the maps' own limits, default 1) and the HUD's log
// box has shown its last report and takes the player to the results; the
// results screen's Next goes on to the next harbour or to the scenario's end,
// whose button goes back to the main menu; N rounds play the scenario N
// times over, each begun again by Start. Prints every screen the game
// shows, the pause (time speed, camera control, battle clock), the results
// screen's counts, the losses, the end screen's score and the saves asked
// for. --pictures saves one picture of each screen's first visit. Exit 0 when
// the run came back to the main menu.
#include "DataFolder.h"
#include "LogReport.h"
#include "Options.h"
#include "Registry.h"
#include "ScriptPlayer.h"

#include "common/GameSession.h"
#include "engine3/core/CDX9KelScene.h"
#include "engine3/core/render/CDX9KelBaseCameraManager.h"
#include "engine3/ui/screens/CVR3CIIScreen.h"
#include "engine3/ui/screens/CVR3CIIScreenManager.h"
#include "engine3/ui/sgui/CDX9KelSGUIDialog.h"
#include "engine3/ui/sgui/CDX9KelSGUIText.h"
#include "seabattle/battle/CVR3GAMEBattleMap.h"
#include "seabattle/battle/CVR3GAMEBattleMapPlayer.h"
#include "seabattle/battle/CVR3GAMEBattleMapShip.h"
#include "seabattle/game/CVR3GAMEHarbourMap.h"
#include "seabattle/game/CVR3GAMEHarbourMapPlayer.h"
#include "seabattle/game/CVR3GAMEHarbourMapPlayerDirectorHuman.h"
#include "seabattle/game/CVR3GAMEManager.h"
#include "seabattle/game/CVR3GAMEScenario.h"
#include "seabattle/shell/CScene.h"

#include <algorithm>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

namespace BattleSim {

namespace {

using namespace SeaBattle;

// Frames a step may take before the run gives up.
constexpr long kStepFrames = 400;
// Frames a battle may take (game time at the step, with the HUD's log).
constexpr long kBattleFrames = 200000;
// Time between two presses, more than the modules' longest gate.
constexpr long long kBetweenPressesMs = 2000;
// Frames after a switch of screens before its picture is taken.
constexpr int kPictureAfterFrames = 1;

int Fail(const std::string& message) {
    std::fprintf(stderr, "battlesim play: %s\n", message.c_str());
    return 2;
}

class PlayRun {
public:
    PlayRun(VornaTest::GameSession& session, long minutes, std::string pictures)
        : m_session(session), m_manager(CVR3GAMEManager::Get()), m_minutes(minutes), m_pictures(std::move(pictures)) {}

    bool Run(long rounds) {
        m_screen = m_session.CurrentScreen();
        std::printf("screen %s\n", m_screen.c_str());
        Picture();
        for (long round = 1; round <= rounds; ++round) {
            std::printf("round %ld\n", round);
            if (!PlayScenario()) return false;
        }
        return true;
    }

private:
    // Start, the scenario's steps, its end and back to the main menu.
    bool PlayScenario() {
        if (!Press("MainMenuDialog", "StartButton") || !WaitFor("harbour_game")) return false;
        for (int battle = 1;; ++battle) {
            if (!Idle(5) || !HarbourStep()) return Error("the harbour step failed");
            if (!WaitFor("battle_game")) return false;
            CVR3GAMEBattleMap* map = m_manager.GetBattleMap();
            map->m_iTimeLimit = static_cast<int32_t>(m_minutes);
            std::printf("battle %d time_limit %d human_director %d\n", battle, map->m_iTimeLimit,
                        map->HasHumanDirector() ? 1 : 0);
            if (!Idle(50) || !PauseAndContinue()) return false;
            if (!WaitFor("battle_results", kBattleFrames) || !Idle(5)) return false;
            PrintResults();
            if (!Press("BattleResultsNextDialog", "BattleResultsNext")) return false;
            if (!WaitForAny({"harbour_game", "scenario_end"})) return false;
            if (m_screen == "scenario_end") break;
        }
        if (!Idle(5)) return false;
        const Vorna3D::CDX9KelSGUIDialog* end = m_session.Dialog("scenario_end", "ScenarioEndDialog");
        const auto* score = end ? dynamic_cast<const Vorna3D::CDX9KelSGUIText*>(end->FindControl("ScenarioEndResult"))
                                : nullptr;
        std::printf("score_text %s score %d\n", score ? score->GetText().c_str() : "(none)",
                    m_manager.GetScenario()->GetScore());
        return Press("ScenarioEndDialog", "ScenarioEndButton") && WaitFor("main_menu");
    }

    bool Error(const std::string& what) {
        std::fprintf(stderr, "battlesim play: %s (screen %s)\n", what.c_str(), m_screen.c_str());
        return false;
    }

    void Picture() {
        if (m_pictures.empty() || !m_pictured.insert(m_screen).second) return;
        m_pictureOf = m_screen;
        m_drawIn = kPictureAfterFrames;
    }

    // One frame with the presses due; a change of screen is printed.
    bool Frame(ScriptPlayer* player) {
        ++m_frame;
        std::string error;
        if (player && !player->BeforeFrame(m_session, m_frame, error)) return Error(error);
        // The picture of a new screen a few frames after the switch, once its
        // dialogs have come up.
        const bool draw = m_drawIn > 0 && --m_drawIn == 0 && m_session.CurrentScreen() == m_pictureOf;
        if (draw) m_session.TakePicture(m_pictures + "/screen_" + m_pictureOf + ".png");
        m_session.Frame(draw);
        const std::string now = m_session.CurrentScreen();
        if (now != m_screen) {
            m_screen = now;
            const CVR3GAMEScenario* s = m_manager.GetScenario();
            std::printf("screen %s step %d in_battle %d pending %d losses %u %u", m_screen.c_str(), s->m_iStep,
                        s->m_iInBattle, m_manager.GetPendingState(), s->m_uHumanLosses, s->m_uComputerLosses);
            if (!m_manager.GetLastSaveAsked().empty())
                std::printf(" save_asked %s", m_manager.GetLastSaveAsked().c_str());
            std::printf("\n");
            // The scene trees of the two maps, and which one the scene shows.
            const Vorna3D::CDX9KelScene* scene = m_session.Scene();
            int active = -1;
            for (size_t i = 0; i < scene->m_vSceneTrees.size(); ++i)
                if (scene->m_vSceneTrees[i] && scene->m_vSceneTrees[i] == scene->m_pActiveSceneTree)
                    active = static_cast<int>(i);
            std::printf("trees %s harbour %d battle %d active %d\n", m_screen.c_str(),
                        m_manager.GetHarbourMap()->m_BaseMap.m_iSceneTreeIndex,
                        m_manager.GetBattleMap()->m_BaseMap.m_iSceneTreeIndex, active);
            Picture();
        }
        return true;
    }
    bool Idle(long frames) {
        for (long i = 0; i < frames; ++i)
            if (!Frame(nullptr)) return false;
        return true;
    }

    // A click on a shown button, as a hand gives it, after the gates of the
    // last press have closed.
    bool Press(const char* dialog, const char* button) {
        while (m_session.GameMilliseconds() - m_lastPressMs < kBetweenPressesMs)
            if (!Frame(nullptr)) return false;
        Script script;
        ScriptAction press;
        press.kind = ScriptAction::Kind::Press;
        press.frame = m_frame + 1;
        press.owner = dialog;
        press.control = button;
        script.actions.push_back(press);
        ScriptPlayer player(script);
        std::printf("press %s %s\n", dialog, button);
        for (int i = 0; i < 4; ++i)
            if (!Frame(&player)) return false;
        m_lastPressMs = m_session.GameMilliseconds();
        return true;
    }

    bool WaitForAny(const std::set<std::string>& screens, long limit = kStepFrames) {
        for (long i = 0; i < limit; ++i) {
            if (screens.count(m_screen) && m_manager.GetPendingState() == CVR3GAMEManager::STATE_NONE) return true;
            if (!Frame(nullptr)) return false;
        }
        return Error("no screen of the next step");
    }
    bool WaitFor(const char* screen, long limit = kStepFrames) { return WaitForAny({screen}, limit); }

    // The harbour step on the harbour screens: the reward box (after a
    // battle the enemy lost ships in) closed, "Next" to the columns screen,
    // each own ship (up to five) added to column 1, "Next" and the fight
    // question answered with OK.
    bool HarbourStep() {
        const CVR3GAMEScenario* s = m_manager.GetScenario();
        auto* human = dynamic_cast<CVR3GAMEHarbourMapPlayerDirectorHuman*>(
            m_manager.GetHarbourMap()->GetDirector(s->HumanPlayerName.c_str()));
        if (!human || !human->m_pPlayer) return false;
        std::printf("harbour step %d money %d ships %zu\n", s->m_iStep, human->m_iMoney,
                    human->m_pPlayer->m_stdvHarbourShips.size());
        if (human->m_pDialogGratuity && human->m_pDialogGratuity->IsVisible() &&
            !Press("harbour_game_gratuity", "Ok"))
            return false;
        if (!Press("harbour_game_menu", "Next") || !WaitFor("harbour_columns")) return false;
        const size_t ships = std::min<size_t>(human->m_stdvAvailable.size(), 5);
        for (size_t i = 0; i < ships; ++i)
            if (!Press("harbour_columns_work", "Column1Add")) return false;
        std::printf("harbour column1 %zu\n", human->m_stdvColumns[0].size());
        return Press("harbour_columns_menu", "Next") && Press("harbour_columns_fight", "Ok");
    }

    bool PauseAndContinue() {
        CVR3GAMEBattleMap* map = m_manager.GetBattleMap();
        Vorna3D::CDX9KelBaseCameraManager* cameras = m_session.Scene()->m_pCameraManager;
        if (!Press("battle_game_menu", "MenuButton") || !WaitFor("battle_menu") || !Idle(3)) return false;
        const DWORD pausedAt = map->m_GameTimer.m_dwGameTime;
        if (!Idle(30)) return false;
        std::printf("pause time_speed %.1f camera_control %d clock_still %d\n", map->m_GameTimer.m_fSpeed,
                    cameras->m_bControl ? 1 : 0, map->m_GameTimer.m_dwGameTime == pausedAt ? 1 : 0);
        if (!Press("BattleMenuDialog", "BattleMenuContinue") || !WaitFor("battle_game") || !Idle(30)) return false;
        std::printf("continue time_speed %.1f camera_control %d clock_runs %d\n", map->m_GameTimer.m_fSpeed,
                    cameras->m_bControl ? 1 : 0, map->m_GameTimer.m_dwGameTime > pausedAt ? 1 : 0);
        return true;
    }

    void PrintResults() {
        for (const char* dialog : {"BattleResultsPlayer1", "BattleResultsPlayer2"}) {
            std::printf("results %s", dialog);
            if (const Vorna3D::CDX9KelSGUIDialog* d = m_session.Dialog("battle_results", dialog))
                for (const Vorna3D::CDX9KelSGUIBaseControl* c : d->m_vControls)
                    if (const auto* t = dynamic_cast<const Vorna3D::CDX9KelSGUIText*>(c);
                        t && t->GetName() == "BattleResultsCount")
                        std::printf(" %s", t->GetText().c_str());
            std::printf("\n");
        }
        for (const CVR3GAMEBattleMapPlayer* p : m_manager.GetBattleMap()->GetPlayers())
            if (p)
                std::printf("side %s lost_ships %u lost_value %u surviving %u\n", p->m_strPlayerName.c_str(),
                            p->m_uLostShips, p->m_uLostValue, p->m_uSurvivingShips);
        const CVR3GAMEScenario* s = m_manager.GetScenario();
        std::printf("scenario losses %u %u\n", s->m_uHumanLosses, s->m_uComputerLosses);
    }

    VornaTest::GameSession& m_session;
    CVR3GAMEManager& m_manager;
    long m_minutes;
    std::string m_pictures;
    std::set<std::string> m_pictured;
    std::string m_screen;
    long m_frame = 0;
    long long m_lastPressMs = -kBetweenPressesMs;
    std::string m_pictureOf;
    int m_drawIn = 0;
};

int RunPlay(const std::vector<std::string>& args) {
    Options options;
    std::string error;
    if (!options.Parse(args,
                       {{"--minutes", true}, {"--rounds", true}, {"--seed", true}, {"--step-ms", true},
                        {"--pictures", true}, {"--out", true}},
                       error))
        return Fail(error);
    long seed = 1, step = 60, minutes = 1, rounds = 1;
    if (!options.GetLong("--seed", 0, 0xFFFFFFFFL, 1, seed, error) ||
        !options.GetLong("--step-ms", 1, 60, 60, step, error) ||
        !options.GetLong("--minutes", 0, 600, 1, minutes, error) ||
        !options.GetLong("--rounds", 1, 5, 1, rounds, error))
        return Fail(error);
    VornaTest::GameSession::Options start;
    start.dataFolder = DataFolderOption(options);
    start.stepMs = static_cast<DWORD>(step);
    start.seed = static_cast<std::uint32_t>(seed);
    VornaTest::GameSession session;
    bool ok = session.Start(start);
    if (ok) {
        PlayRun run(session, minutes, options.Get("--pictures"));
        ok = run.Run(rounds);
    }
    const LogReport report = ReadLogReport();
    session.Stop();
    for (const std::string& line : report.lines) std::printf("%s\n", line.c_str());
    std::fflush(stdout);
    return ok ? 0 : 1;
}

const CommandRegistration kPlay("play",
                                "[--minutes M] [--rounds N] [--seed S] [--step-ms 60] [--pictures DIR] [--out DIR]",
                                &RunPlay);

} // namespace

} // namespace BattleSim
