// campaignsim campaign: plays a scenario the way the program does, with the
// campaign's own game scene on the virtual clock: the scenario starts as
// the menu's Start button starts it, each map's loading button is clicked,
// the maps are played, each map's end is acknowledged, and the run ends at
// the scenario's score screen.
//
//   campaignsim campaign <scenario> [--seed S] [--ai-vs-ai | --script FILE] [--rounds N]
//                        [--frame-ms M] [--max-frames F] [--save-at TURN:NAME]
//                        [--load NAME] [--trace FILE --trace-turn T
//                        [--trace-frames K]] [--log]
//
//   --ai-vs-ai       a second computer player plays the player's side; it
//                    starts afresh each player phase, so what it does in a
//                    turn depends on the game alone
//   --script FILE    the player's orders, as `campaignsim turns` reads them
//                    (TurnScript.h); the turn numbers are each map's own
//   --rounds N       every map's round count (default: the map parameters')
//   --save-at T:N    the game is saved as N when turn T of the first map
//                    begins: between two frames, right after the frame that
//                    finished the round result, with no column moving, no
//                    battle under way and the player's phase begun. Saving
//                    changes nothing of the run.
//   --load N         starts from the save N instead of the scenario's start;
//                    a save made by --save-at goes on from there exactly as
//                    the run that made it did
//   --trace FILE     the state dump (without its engine section) of every
//                    frame from the beginning of turn T on, K frames (1000)
//   --log            print the log after the run
//
// Between clicks the pointer rests in the middle of the window.
//
// Prints a line for every map loaded and every turn begun, the scores of
// the end screen, and "final save H": the hash of a save written at the
// end, its time field left out; same seed, same hash. Then the state dump.
// Exit code: 0 the scenario reached its score screen, 1 the start failed or
// the frames ran out first, 2 bad options.
#include "Registry.h"
#include "SimEngine.h"
#include "TurnScript.h"

#include "campaign/battle/CDX9KelBattleSystem.h"
#include "campaign/routes/CDX9KelColumnMovement.h"
#include "campaign/map/CDX9KelGameMap.h"
#include "campaign/routes/CDX9KelSeaPath.h"
#include "campaign/ai/CDX9KelAISystem.h"
#include "campaign/shell/CDX9KelGameScenario.h"
#include "campaign/shell/CScene.h"
#include "campaign/save/CDX9KelGameSaver.h"
#include "engine2/core/CDX9KelApp.h"
#include "engine2/core/CDX9KelLog.h"
#include "engine2/ui/gui/CDX9KelGUIButton.h"
#include "engine2/ui/gui/CDX9KelGUIDialog.h"
#include "engine2/ui/gui/CDX9KelGUIText.h"
#include "engine2/core/render/CDX9KelRender.h"
#include "engine2/ui/UISceneSlots.h"
#include "platform/os/Paths.h"
#include "platform/window/Window.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace VornaCampaign;

namespace {

struct CampaignOptions {
    std::string scenario;
    std::vector<CampaignSim::TurnOrder> orders;
    bool script = false;
    std::string load;
    std::string saveName;
    int saveTurn = -1;
    int rounds = 0;
    bool aiVsAi = false;
    // The state dump of every frame from the beginning of turn `traceTurn`
    // on, `traceFrames` of them, into the file `trace`.
    std::string trace;
    int traceTurn = -1;
    int traceFrames = 0;
};

class CampaignEngine : public CampaignSim::SimEngine {
public:
    CampaignEngine(const CampaignSim::SimOptions& options, CampaignOptions campaign)
        : SimEngine(options), m_Campaign(std::move(campaign)), m_Script(m_Campaign.orders) {}
    ~CampaignEngine() override {
        if (m_pTrace) std::fclose(m_pTrace);
    }

    void Process() override {
        ++m_iFrame;
        ReleaseButtons();
        Drive();
        SimEngine::Process();
    }

    // Buttons take their state when they are drawn: without a picture the
    // GUI alone is drawn while a click is under way (nothing is presented).
    void Render() override {
        if (GetOptions().picture.empty() && m_iClickFrame >= 0 && m_pRender && m_pRender->GetDevice()) {
            if (Vorna2::CDX9KelGUIManager* gui = Vorna2::GetGUIManager(m_pScene)) {
                IDirect3DDevice9* device = m_pRender->GetDevice();
                device->BeginScene();
                gui->RenderDrawList();
                device->EndScene();
            }
        }
        SimEngine::Render();
    }

    bool Finished() const { return m_bFinished; }
    bool Started() const { return m_bStarted; }
    std::string m_strReport;

private:
    CScene* Scene() const { return dynamic_cast<CScene*>(m_pScene); }
    CDX9KelGameMap* Map() const { return Scene() ? Scene()->m_pGameMap : nullptr; }

    void Report(const std::string& line) { m_strReport += line + "\n"; }

    // A click on a control as a player makes it: the pointer moves onto it,
    // the button goes down for two frames and comes up again.
    void Click(const Vorna2::CDX9KelGUIControl* control) {
        if (!control || !m_pApp || m_iClickFrame >= 0) return;
        m_ClickX = (control->m_Rect.left + control->m_Rect.right) / 2;
        m_ClickY = (control->m_Rect.top + control->m_Rect.bottom) / 2;
        m_iClickFrame = 0;
    }
    void StepClick() {
        if (m_iClickFrame < 0 || !m_pApp) return;
        HWND w = m_pApp->m_hWnd;
        switch (m_iClickFrame) {
        case 0: Platform::InjectMouseMove(w, m_ClickX, m_ClickY); break;
        case 2: Platform::InjectMouseButton(w, 0, true, m_ClickX, m_ClickY); break;
        case 5: Platform::InjectMouseButton(w, 0, false, m_ClickX, m_ClickY); break;
        case 8: RestPointer(); break;
        default: break;
        }
        if (++m_iClickFrame > 30) m_iClickFrame = -1;
    }

    // Between clicks the pointer rests in the middle of the window, where it
    // neither scrolls the map nor depends on what was clicked last.
    void RestPointer() {
        if (m_pApp && m_pApp->m_hWnd) Platform::InjectMouseMove(m_pApp->m_hWnd, m_pApp->m_iWidth / 2, m_pApp->m_iHeight / 2);
    }

    void Start() {
        m_bStarted = true;
        RestPointer();
        if (!m_Campaign.load.empty()) {
            GameSaveHeader header;
            g_GameSaver.ReadSaveHeader(m_Campaign.load.c_str(), &header, false);
            if (!g_GameScenario.LoadSavedGame(header.m_szScenarioFile, header.m_szMapName, m_Campaign.load.c_str(),
                                              false)) {
                Report("load refused " + m_Campaign.load);
                EndRun();
            }
            return;
        }
        if (!g_GameScenario.LoadScenario(m_Campaign.scenario.c_str())) {
            Report("scenario refused " + m_Campaign.scenario);
            EndRun();
        }
    }

    void Trace() {
        if (m_pTrace == nullptr || m_iTraced >= m_Campaign.traceFrames) return;
        std::string dump = CampaignSim::StateDump(*this);
        // The engine section counts the frames of this process.
        const std::size_t next = dump.find("\n[", 1);
        if (next != std::string::npos) dump.erase(0, next + 1);
        std::fprintf(m_pTrace, "frame +%d\n%s", m_iTraced++, dump.c_str());
    }

    void Drive() {
        StepClick();
        if (m_pTrace) Trace();
        if (m_iFrame == 2) Start();
        if (!m_bStarted || m_bFinished) return;
        CDX9KelGameScenario& s = g_GameScenario;
        // The loading dialog waits for its button.
        if (s.m_iLoadingStep == 2 && s.m_strPendingSave.empty() && s.m_pLoadingButton &&
            s.m_pLoadingButton->m_bVisible)
            Click(s.m_pLoadingButton);
        CDX9KelGameMap* map = Map();
        // A map (re)loaded since the last frame.
        const bool loaded = m_iLastLoadingStep != -1 && s.m_iLoadingStep == -1;
        m_iLastLoadingStep = s.m_iLoadingStep;
        if (map && map->IsMapLoaded() && s.m_iLoadingStep == -1) {
            const std::string name = map->m_szMapName;
            if (loaded || name != m_strMap) {
                m_strMap = name;
                m_uTurn = 0;
                Report("map " + name + " \"" + map->m_szMapTitle + "\" frame " + std::to_string(m_iFrame));
                if (m_Campaign.rounds > 0) map->m_Turn.m_uRoundsCount = static_cast<std::uint32_t>(m_Campaign.rounds);
                if (m_Campaign.aiVsAi) SetUpPlayerAI(*map);
                if (m_Campaign.script) m_Script = CampaignSim::TurnScriptPlayer(m_Campaign.orders);
            }
            if (map->m_Turn.m_uRound != m_uTurn) {
                m_uTurn = map->m_Turn.m_uRound;
                Report("turn " + std::to_string(m_uTurn) + " frame " + std::to_string(m_iFrame));
                if (static_cast<int>(m_uTurn) == m_Campaign.traceTurn && !m_pTrace && !m_Campaign.trace.empty()) {
                    m_pTrace = std::fopen(m_Campaign.trace.c_str(), "w");
                    Trace();
                }
                if (static_cast<int>(m_uTurn) == m_Campaign.saveTurn && !m_bSaved) {
                    m_bSaved = g_GameSaver.WriteSave(m_Campaign.saveName.c_str(), false);
                    Report(std::string(m_bSaved ? "saved " : "save failed ") + m_Campaign.saveName);
                }
            }
        }
        if (map && map->IsMapLoaded() && s.m_iLoadingStep == -1) PlayMap(*map);
        // The score screen ends the scenario.
        if (s.m_pGUIDialogEnd && s.m_pGUIDialogEnd->m_bVisible) {
            std::string a, b;
            if (s.m_pSide1ScoreText) s.m_pSide1ScoreText->GetText(&a);
            if (s.m_pSide2ScoreText) s.m_pSide2ScoreText->GetText(&b);
            Report("scores side 1 " + a + " side 2 " + b);
            FinalSave();
            m_bFinished = true;
            EndRun();
        }
    }

    // ---- the player's side played by a second computer player ----

    // A fresh one each player phase: what the player does in a turn depends
    // on the game alone, so a game loaded at a turn's start plays on alike.
    void SetUpPlayerAI(CDX9KelGameMap& map) {
        m_PlayerAI = CDX9KelAISystem();
        m_PlayerAI.SetGameMap(&map);
        m_PlayerAI.SetSides(map.m_iPlayerSide == SIDE_1 ? SIDE_2 : SIDE_1);
        m_PlayerAI.SetColumnMovement(&g_ColumnMovement);
        m_PlayerAI.SetObstacles(map.GetObstacleQuery(), &g_SeaPathGenerator);
        m_PlayerAI.ClearTasks();
        if (map.m_Params.m_pTasks) m_PlayerAI.LoadTasks(map.m_Params.m_pTasks.get());
        // It starts each phase at its ship step: the coastal artillery of
        // both sides fires in the computer's phase.
        m_PlayerAI.SetFortState(GAME_AI_COASTAL_ART_STATE_NONE);
        m_PlayerAI.SetStep(GAME_AI_STEP_FORTS_SECOND);
        m_iPhase = map.m_Turn.m_iGlobalState;
    }

    // A button pressed for one frame, as the map reads it.
    void Press(Vorna2::CDX9KelGUIButton* b) {
        if (b == nullptr || !b->m_bVisible) return;
        b->m_iState = Vorna2::ButtonPressed;
        m_Pressed.push_back(b);
    }
    void ReleaseButtons() {
        for (Vorna2::CDX9KelGUIButton* b : m_Pressed)
            if (b->m_iState == Vorna2::ButtonPressed) b->m_iState = Vorna2::ButtonNormal;
        m_Pressed.clear();
    }

    bool Calm(const CDX9KelGameMap& map) const {
        return !g_ColumnMovement.m_bMoving && g_BattleSystem.m_iState == BATTLE_SYSTEM_IDLE &&
               map.m_Turn.m_iBattleWait == GAME_MAP_BATTLE_WAIT_NONE;
    }

    void PlayMap(CDX9KelGameMap& map) {
        CDX9KelMapScreen& screen = map.m_MapScreen;
        if (m_iWait > 0) {
            --m_iWait;
            return;
        }
        // The end of the map is acknowledged; a failed mission is tried again.
        if (screen.IsVisible(screen.m_MissionEnd)) {
            Press(screen.m_pContinue);
            m_iWait = 120;
            return;
        }
        if (screen.IsVisible(screen.m_MissionFailed)) {
            Report("mission failed on " + m_strMap);
            Press(screen.m_pRetry);
            m_iWait = 120;
            return;
        }
        if (m_Campaign.script) {
            if (map.m_Turn.m_iGlobalState == GAME_MAP_GLOBAL_STATE_PLAYER)
                m_Script.Frame(map, [this](Vorna2::CDX9KelGUIButton* b) { Press(b); });
            return;
        }
        if (!m_Campaign.aiVsAi) return;
        const int phase = map.m_Turn.m_iGlobalState;
        if (phase != m_iPhase) {
            if (phase == GAME_MAP_GLOBAL_STATE_PLAYER) SetUpPlayerAI(map);
            m_iPhase = phase;
        }
        if (phase != GAME_MAP_GLOBAL_STATE_PLAYER) return;
        if (m_PlayerAI.GetStep() != GAME_AI_STEP_DONE) {
            m_PlayerAI.ProcPhase();
            m_PlayerAI.ProcShips();
            return;
        }
        if (!Calm(map)) return;
        // Columns that could still move hold where they are; the turn ends.
        if (screen.IsVisible(screen.m_FinishMov)) {
            if (map.m_pPlayerColumns)
                for (GameColumnRecord* c : *map.m_pPlayerColumns)
                    if (c && !map.m_Turn.IsColumnFinished(c->m_fTimeUsed)) c->m_fTimeUsed = map.m_Turn.m_fTurnMoveLimit;
            screen.Hide(screen.m_FinishMov);
        }
        Press(screen.m_pEndTurn);
        m_iWait = 60;
    }

    // A save of the end state; its bytes after the save time decide.
    void FinalSave() {
        if (!g_GameSaver.WriteSave("campaignsim_final", false)) {
            Report("final save not written");
            return;
        }
        std::string bytes;
        Platform::ReadFile(g_GameSaver.SavePath("campaignsim_final", false), bytes);
        char line[64];
        std::snprintf(line, sizeof line, "final save %016llx",
                      static_cast<unsigned long long>(CampaignSim::Hash64(bytes.size() > 30 ? bytes.substr(30) : bytes)));
        Report(line);
    }

    CampaignOptions m_Campaign;
    CampaignSim::TurnScriptPlayer m_Script;
    std::FILE* m_pTrace = nullptr;
    int m_iTraced = 0;
    int m_iFrame = 0;
    bool m_bStarted = false;
    bool m_bFinished = false;
    bool m_bSaved = false;
    std::string m_strMap;
    std::uint32_t m_uTurn = 0;
    int m_iClickFrame = -1;
    int m_ClickX = 0, m_ClickY = 0;
    CDX9KelAISystem m_PlayerAI;
    int m_iLastLoadingStep = -1;
    std::vector<Vorna2::CDX9KelGUIButton*> m_Pressed;
    int m_iWait = 0;
    int m_iPhase = -1;
};

} // namespace

CAMPAIGNSIM_COMMAND(campaign, "<scenario> [--seed S] [--ai-vs-ai | --script FILE] [--rounds N] [--frame-ms M] [--max-frames F] "
                              "[--save-at TURN:NAME] [--load NAME] [--log]") {
    CampaignOptions campaign;
    campaign.scenario = args.Get("");
    campaign.load = args.Get("load");
    campaign.aiVsAi = args.Has("ai-vs-ai");
    bool okRounds = true;
    campaign.rounds = static_cast<int>(args.GetInt("rounds", 0, &okRounds));
    bool ok = okRounds && campaign.rounds >= 0 && campaign.rounds <= 1000;
    CampaignSim::SimOptions options;
    bool okSeed = true;
    options.seed = static_cast<std::uint32_t>(args.GetInt("seed", 1, &okSeed));
    ok = ok && okSeed;
    bool okFrames = true, okMs = true;
    options.frames = static_cast<int>(args.GetInt("max-frames", 200000, &okFrames));
    options.frameMs = static_cast<DWORD>(args.GetInt("frame-ms", 20, &okMs));
    campaign.trace = args.Get("trace");
    campaign.traceTurn = static_cast<int>(args.GetInt("trace-turn", -1));
    campaign.traceFrames = static_cast<int>(args.GetInt("trace-frames", 1000));
    const std::string saveAt = args.Get("save-at");
    if (!saveAt.empty()) {
        const std::size_t colon = saveAt.find(':');
        campaign.saveTurn = colon == std::string::npos ? -1 : std::atoi(saveAt.substr(0, colon).c_str());
        campaign.saveName = colon == std::string::npos ? "" : saveAt.substr(colon + 1);
        ok = ok && campaign.saveTurn > 0 && IsSaveNameAllowed(campaign.saveName.c_str());
    }
    const std::string scriptFile = args.Get("script");
    if (!scriptFile.empty()) {
        std::string text;
        int bad = 0;
        campaign.script = true;
        if (!Platform::ReadTextFile(scriptFile, text) || !CampaignSim::ParseTurnScript(text, campaign.orders, bad)) {
            std::fprintf(stderr, "campaignsim campaign: bad script %s (line %d)\n", scriptFile.c_str(), bad);
            return 2;
        }
    }
    if (!ok || !okFrames || !okMs || options.frames < 1 || options.frameMs < 1 || (campaign.script && campaign.aiVsAi) ||
        (campaign.scenario.empty() && campaign.load.empty())) {
        std::fprintf(stderr, "campaignsim campaign: bad options\n");
        return 2;
    }
    CampaignEngine engine(options, campaign);
    const bool ran = engine.Run();
    std::printf("%s", engine.m_strReport.c_str());
    std::printf("frames %d finished %d\n", engine.GetFramesRun(), engine.Finished() ? 1 : 0);
    std::printf("%s", engine.GetFinalDump().c_str());
    if (args.Has("log")) {
        std::string log;
        Platform::ReadTextFile(Platform::ProgramFolder() + "VornaLog.log", log);
        std::printf("%s", log.c_str());
    }
    return ran && engine.Finished() ? 0 : 1;
}
