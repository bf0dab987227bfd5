#pragma once
// The campaign's game map played turn after turn, headless, the way the game
// scene runs it (see cmd_turns.cpp): the frame's order of column movement,
// battle system and game map, the player's side played from a script of
// orders or by a second computer player, and the figures that campaignsim
// turns prints and the turns benchmark measures.
#include "Registry.h"
#include "SimEngine.h"
#include "TurnScript.h"
#include "tests/common/CampaignMapScene.h"

#include "campaign/battle/CDX9KelBattleSystem.h"
#include "campaign/routes/CDX9KelColumnMovement.h"
#include "campaign/routes/CDX9KelSeaPath.h"
#include "campaign/ai/CDX9KelAISystem.h"
#include "engine2/core/CDX9KelApp.h"
#include "engine2/core/CDX9KelFPSCounter.h"
#include "engine2/core/CDX9KelLog.h"
#include "engine2/core/CDX9KelStageClock.h"
#include "engine2/core/render/CDX9KelBaseCamera.h"
#include "engine2/core/render/CDX9KelBaseCameraManager.h"
#include "engine2/core/render/CDX9KelRender.h"
#include "engine2/core/resources/CDX9KelBaseGrapRes.h"
#include "engine2/core/scene/CDX9KelSceneObject.h"
#include "engine2/ui/gui/CDX9KelGUIButton.h"
#include "engine2/ui/gui/CDX9KelGUIDialog.h"
#include "engine2/ui/gui/CDX9KelGUIRadioList.h"
#include "engine2/ui/gui/CDX9KelGUIScrollBar.h"
#include "engine2/world/physics/CDX9KelPhysicalManager.h"
#include "engine2/world/physics/PhysicsSceneSlot.h"
#include "platform/d3dx/d3dx9.h"
#include "platform/os/Paths.h"
#include "platform/window/Window.h"

#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace CampaignSim {

using namespace VornaCampaign;


struct TurnsUnitStart {
    D3DXVECTOR3 position;
    float sailed = 0.0f;
    D3DXVECTOR3 last;
};

class TurnsEngine : public CampaignSim::SimEngine {
public:
    TurnsEngine(const CampaignSim::SimOptions& options, VornaTest::CampaignMapScene* scene, std::vector<TurnOrder> orders,
                bool aiVsAi, int rounds)
        : SimEngine(options), m_pMapScene(scene), m_Script(std::move(orders)), m_bAIvsAI(aiVsAi), m_iRounds(rounds) {
        Vorna2::RegisterScreenSceneSlot("");
        m_pScene = scene;
    }

    bool InitInput() override {
        if (!SimEngine::InitInput()) return false;
        CDX9KelGameMap& map = Map();
        if (!m_pMapScene->m_loaded) return false;
        if (m_iRounds > 0) map.m_Turn.m_uRoundsCount = static_cast<std::uint32_t>(m_iRounds);
        map.SetMapControlDlgData();
        g_AISystem.SetGameMap(&map);
        g_AISystem.SetSides(map.m_iPlayerSide);
        g_AISystem.SetColumnMovement(&g_ColumnMovement);
        g_AISystem.SetObstacles(map.GetObstacleQuery(), &g_SeaPathGenerator);
        m_PlayerAI.SetGameMap(&map);
        m_PlayerAI.SetSides(map.m_iPlayerSide == SIDE_1 ? SIDE_2 : SIDE_1);
        m_PlayerAI.SetColumnMovement(&g_ColumnMovement);
        m_PlayerAI.SetObstacles(map.GetObstacleQuery(), &g_SeaPathGenerator);
        if (map.m_Params.m_pTasks) m_PlayerAI.LoadTasks(map.m_Params.m_pTasks.get());
        // The second computer player starts each of its phases at its ship
        // step: the coastal artillery of both sides fires in the computer's
        // phase.
        m_PlayerAI.SetFortState(GAME_AI_COASTAL_ART_STATE_NONE);
        m_PlayerAI.SetStep(GAME_AI_STEP_FORTS_SECOND);
        map.m_NextMap = [this](const char*) {
            // The driver plays one map: the scenario's next map is noted.
            m_bNextMap = true;
            return true;
        };
        map.m_SaveWriter = [this](const std::string& name, bool) {
            // The driver keeps no files: the autosave's name is noted.
            m_Autosaves.push_back(name);
            return true;
        };
        for (int s = 1; s <= 2; ++s) {
            const GameMapSide& side = map.Side(s);
            for (std::size_t i = 0; i < side.m_SceneObjects.size(); ++i) {
                const Vorna2::CDX9KelSceneObject* o = side.m_SceneObjects[i];
                TurnsUnitStart u;
                u.position = u.last = D3DXVECTOR3(o->m_mWorld._41, o->m_mWorld._42, o->m_mWorld._43);
                m_Starts[side.m_GameObjects[i]->m_Unit.m_szName] = u;
            }
        }
        if (m_fOverviewDistance > 0.0f && m_pMapScene->m_pCameraManager)
            if (auto* camera = dynamic_cast<Vorna2::CDX9KelGlobalCamera*>(m_pMapScene->m_pCameraManager->GetActiveCamera())) {
                camera->m_fDistance = m_fOverviewDistance;
                camera->SetTarget(0.0f, 0.0f);
                camera->UpdateOrbit();
            }
        if (!m_bQuiet)
            std::printf("turns map %s rounds %u player side %d mode %s\n", map.m_szMapName, map.m_Turn.m_uRoundsCount,
                    map.m_iPlayerSide, m_bAIvsAI ? "ai-vs-ai" : "script");
        return true;
    }

    void Process() override {
        Vorna2::g_StageClock.Start();
        ProcessFrame();
        Vorna2::g_StageClock.Lap(Vorna2::KEL_STAGE_UPDATE);
    }

    void ProcessFrame() {
        SimEngine::Process();
        if (m_bDone || !m_pMapScene->m_loaded) return;
        ++m_iFrame;
        CDX9KelGameMap& map = Map();
        const float f = Vorna2::g_FPSCounter.GetFrameTime();
        Vorna2::CDX9KelPhysicalManager* physics = Vorna2::GetPhysicalManager(m_pMapScene);
        if (physics == nullptr || !physics->HasContacts()) g_ColumnMovement.Update(f);
        const int before = g_BattleSystem.m_iState;
        g_BattleSystem.ProcBombardment();
        g_BattleSystem.ProcAttackTurn(f);
        g_BattleSystem.ProcRoundResult();
        ReleaseButtons();
        if (map.m_Turn.m_iGlobalState == GAME_MAP_GLOBAL_STATE_PLAYER && !MapEnded() && m_iEndFrames == 0) {
            if (m_bAIvsAI)
                PlayerAIFrame();
            else
                m_Script.Frame(map, [this](Vorna2::CDX9KelGUIButton* b) { Press(b); });
        }
        const int state = map.m_Turn.m_iGlobalState;
        const unsigned round = map.m_Turn.m_uRound;
        if (m_bTiming && state == GAME_MAP_GLOBAL_STATE_AI) {
            const std::string key = AIStateName();
            const auto t0 = std::chrono::steady_clock::now();
            map.Proc();
            m_AIFrameMs[key].push_back(
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
            ++m_iAIPhaseFrames;
        } else {
            map.Proc();
        }
        if (before == BATTLE_SYSTEM_IDLE && g_BattleSystem.m_iState == BATTLE_SYSTEM_BOMBARDMENT) CountAttack();
        Track();
        if (map.m_Turn.m_iGlobalState != state || map.m_Turn.m_uRound != round) PhaseChanged(state);
        if (m_iFrame >= m_iMaxFrames) {
            Finish(false);
        } else if (m_iEndFrames > 0) {
            // The button's repeat gate may hold the first clicks back.
            if (MapEnded() && m_pHeld == nullptr && m_iEndFrames % 30 == 0) Press(map.m_MapScreen.m_pContinue);
            // The map ended: its dialog's button was pressed; the map says
            // whether the mission is complete or failed.
            if (--m_iEndFrames == 0 || m_bNextMap ||
                map.m_MapScreen.IsVisible(map.m_MapScreen.m_MissionFailed)) {
                m_strOutcome = m_bNextMap ? "complete"
                                          : map.m_MapScreen.IsVisible(map.m_MapScreen.m_MissionFailed) ? "failed"
                                                                                                      : "open";
                Finish(true);
            }
        } else if (MapEnded()) {
            Press(map.m_MapScreen.m_pContinue);
            m_iEndFrames = 400;
        }
    }

    void Render() override {
        if (!m_bTimeRender) {
            SimEngine::Render();
            return;
        }
        // The drawing waits for the driver: one pixel is read back.
        const auto t0 = std::chrono::steady_clock::now();
        SimEngine::Render();
        DWORD pixel = 0;
        if (m_pRender && m_pRender->GetDevice()) Platform::ReadBackBuffer(m_pRender->GetDevice(), 0, 0, 1, 1, &pixel);
        Vorna2::g_StageClock.Lap(Vorna2::KEL_STAGE_PRESENT);
        if (m_iFrame > 10) {
            m_RenderMs.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
            if (Vorna2::g_StageClock.m_bOn) {
                m_StageWallMs.push_back(Vorna2::g_StageClock.m_WallMs);
                m_StageCpuMs.push_back(Vorna2::g_StageClock.m_CpuMs);
            }
        }
        Vorna2::g_StageClock.Reset();
    }

    bool Ended() const { return m_bEnded; }

    // ---- figures of the benchmark ----
    // The map's frame (the computer's steps inside it) timed in the
    // computer's phase, by the step and state it began in.
    bool m_bTiming = false;
    std::map<std::string, std::vector<double>> m_AIFrameMs;
    // Frames of each computer's phase.
    std::vector<int> m_AIPhaseFrames;
    // Every frame drawn and timed.
    bool m_bTimeRender = false;
    std::vector<double> m_RenderMs;
    // With the stage clock on: each timed frame's stages (its update and
    // its drawing), wall and process CPU milliseconds.
    using Stages = std::array<double, Vorna2::KEL_STAGE_COUNT>;
    std::vector<Stages> m_StageWallMs, m_StageCpuMs;
    // No lines printed (the benchmark prints its own figures).
    bool m_bQuiet = false;
    // Above 0: the global camera starts this far out over the map's middle.
    float m_fOverviewDistance = 0.0f;
    const std::string& Summary() const { return m_strSummary; }

private:
    CDX9KelGameMap& Map() { return m_pMapScene->m_map; }
    static std::string AIStateName() {
        static const char* const kShips[] = {"none", "sel_object", "check_column", "calc_rating", "sel_behaviour",
                                             "mov_pos", "path_find", "movement", "bombardment"};
        static const char* const kForts[] = {"none", "sel_object", "sel_target", "attack"};
        const int step = g_AISystem.GetStep();
        if (step == GAME_AI_STEP_SHIPS) {
            const int st = g_AISystem.GetShipState();
            return std::string("ships_") + (st >= 0 && st <= 8 ? kShips[st] : "other");
        }
        if (step == GAME_AI_STEP_FORTS_FIRST || step == GAME_AI_STEP_FORTS_SECOND) {
            const int st = g_AISystem.GetFortState();
            return std::string("forts_") + (st >= 0 && st <= 3 ? kForts[st] : "other");
        }
        return "phase";
    }
    // "side.index" of a column in its side's list, "-" for none.
    std::string ColumnName(const GameColumnRecord* column) {
        if (column == nullptr) return "-";
        for (int s = 1; s <= 2; ++s) {
            const std::vector<GameColumnRecord*>& list = Map().Side(s).m_Columns;
            for (std::size_t i = 0; i < list.size(); ++i)
                if (list[i] == column) return std::to_string(s) + "." + std::to_string(i);
        }
        return "?";
    }
    bool MapEnded() { return Map().m_MapScreen.IsVisible(Map().m_MapScreen.m_MissionEnd); }

    // A click holds the button down for a few frames, as a hand does: the
    // map's repeat gates may need a frame to open.
    static constexpr int kClickFrames = 4;
    void Press(Vorna2::CDX9KelGUIButton* b) {
        if (b == nullptr || !b->m_bVisible) return;
        m_pHeld = b;
        m_iHeldFrames = kClickFrames - 1;
        b->m_iState = Vorna2::ButtonPressed;
    }
    // Before the map's frame: the held button is down; after the click it
    // comes up again.
    void ReleaseButtons() {
        if (m_pHeld == nullptr) return;
        if (m_iHeldFrames-- > 0 && m_pHeld->m_bVisible) {
            m_pHeld->m_iState = Vorna2::ButtonPressed;
            return;
        }
        if (m_pHeld->m_iState == Vorna2::ButtonPressed) m_pHeld->m_iState = Vorna2::ButtonNormal;
        m_pHeld = nullptr;
    }

    // The player's side can take the next order: nothing moves, no
    // bombardment runs and the map waits for nothing.
    bool Calm() {
        return !g_ColumnMovement.m_bMoving && g_BattleSystem.m_iState == BATTLE_SYSTEM_IDLE &&
               Map().m_Turn.m_iBattleWait == GAME_MAP_BATTLE_WAIT_NONE;
    }

    // The second computer player's columns that could still move give up
    // what is left of their turn (it plays by the computer's rules, which
    // know no notice to finish the moves).
    void Hold() {
        CDX9KelGameMap& map = Map();
        if (map.m_pPlayerColumns == nullptr) return;
        for (GameColumnRecord* c : *map.m_pPlayerColumns)
            if (c != nullptr && !map.m_Turn.IsColumnFinished(c->m_fTimeUsed)) {
                c->m_fTimeUsed = map.m_Turn.m_fTurnMoveLimit;
                ++m_iHeld;
            }
    }

    // The second computer player presses end-turn; asks again after its
    // columns hold when the map wants the moves finished first.
    void EndTurn() {
        CDX9KelGameMap& map = Map();
        // A press that did not end the turn: the map asked for the moves
        // to be finished (its notice may have gone again by now).
        if (m_bEndPressed || map.m_MapScreen.IsVisible(map.m_MapScreen.m_FinishMov)) {
            Hold();
            map.m_MapScreen.Hide(map.m_MapScreen.m_FinishMov);
        }
        m_bEndPressed = true;
        Press(map.m_MapScreen.m_pEndTurn);
    }

    void PlayerAIFrame() {
        if (m_PlayerAI.GetStep() == GAME_AI_STEP_DONE) {
            if (m_iWait > 0) {
                --m_iWait;
                return;
            }
            if (Calm()) {
                EndTurn();
                m_iWait = 60;
            }
            return;
        }
        m_PlayerAI.ProcPhase();
        m_PlayerAI.ProcShips();
    }

    void PhaseChanged(int from) {
        CDX9KelGameMap& map = Map();
        m_bEndPressed = false;
        if (from == GAME_MAP_GLOBAL_STATE_AI && m_iAIPhaseFrames > 0) {
            m_AIPhaseFrames.push_back(m_iAIPhaseFrames);
            m_iAIPhaseFrames = 0;
        }
        const int to = map.m_Turn.m_iGlobalState;
        if (to == GAME_MAP_GLOBAL_STATE_PLAYER && from == GAME_MAP_GLOBAL_STATE_ROUND_RESULT && !m_bQuiet) {
            std::printf("turn %u done frame %d side1 %zu side2 %zu player orders %d ai orders %d\n",
                        map.m_Turn.m_uRound - 1, m_iFrame, map.Side(SIDE_1).m_GameObjects.size(),
                        map.Side(SIDE_2).m_GameObjects.size(), m_Script.m_iPlayerOrders, g_AISystem.m_iShotsOrdered);
        }
        if (to == GAME_MAP_GLOBAL_STATE_PLAYER && m_bAIvsAI) {
            // The second computer player starts at its ship step: the
            // coastal artillery of both sides fires in the computer's phase.
            m_PlayerAI.SetFortState(GAME_AI_COASTAL_ART_STATE_NONE);
            m_PlayerAI.SetStep(GAME_AI_STEP_FORTS_SECOND);
        }
    }

    void CountAttack() {
        const GameMapPlace p = Map().FindSideObject(g_BattleSystem.m_pAttackerScene);
        if (p.side == Map().m_iPlayerSide)
            ++m_iPlayerVolleys;
        else if (p.side > 0)
            ++m_iAIVolleys;
    }

    void Track() {
        for (int s = 1; s <= 2; ++s) {
            const GameMapSide& side = Map().Side(s);
            for (std::size_t i = 0; i < side.m_SceneObjects.size(); ++i) {
                auto it = m_Starts.find(side.m_GameObjects[i]->m_Unit.m_szName);
                if (it == m_Starts.end()) continue;
                const D3DXMATRIX& w = side.m_SceneObjects[i]->m_mWorld;
                const D3DXVECTOR3 p(w._41, 0.0f, w._43);
                const D3DXVECTOR3 d = p - D3DXVECTOR3(it->second.last.x, 0.0f, it->second.last.z);
                it->second.sailed += std::sqrt(d.x * d.x + d.z * d.z);
                it->second.last = p;
            }
        }
    }

    void Finish(bool ended) {
        m_bDone = true;
        m_bEnded = ended;
        CDX9KelGameMap& map = Map();
        std::string out;
        char line[400];
        std::snprintf(line, sizeof line,
                      "end %s turn %u frame %d volleys player %d ai %d held %d autosaves %zu mission %s\n",
                      ended ? "map" : "frames", map.m_Turn.m_uRound, m_iFrame, m_iPlayerVolleys, m_iAIVolleys, m_iHeld,
                      m_Autosaves.size(), m_strOutcome.c_str());
        out += line;
        for (int s = 1; s <= 2; ++s) {
            const GameMapSide& side = map.Side(s);
            for (std::size_t i = 0; i < side.m_SceneObjects.size(); ++i) {
                const GameObjectRecord* r = side.m_GameObjects[i];
                const D3DXMATRIX& w = side.m_SceneObjects[i]->m_mWorld;
                const auto it = m_Starts.find(r->m_Unit.m_szName);
                const float sailed = it != m_Starts.end() ? it->second.sailed : 0.0f;
                float damage = 0.0f;
                int ready = 0, guns = 0;
                if (r->m_pBattleData)
                    for (const auto* parts : {&r->m_pBattleData->m_stdvMGTowers, &r->m_pBattleData->m_stdvDesignParts,
                                              &r->m_pBattleData->m_stdvPipes})
                        for (const PartRecord& p : *parts) {
                            damage += p.m_fDamage;
                            for (const GunRecord& g : p.m_stdvGuns) ++guns, ready += g.m_bReady != 0;
                        }
                const Vorna2::CDX9KelFloatRecord* fr = map.PhysicsRecordOf(side.m_SceneObjects[i]);
                const GameColumnRecord* c = r->m_pColumn;
                std::snprintf(line, sizeof line,
                              "unit side %d \"%s\" at %.2f %.2f sailed %.2f damage %.2f condition %d guns ready %d/%d "
                              "column %s ships %zu speed %.3f used %.1f %s%s\n",
                              s, r->m_Unit.m_szName, double(w._41), double(w._43), double(sailed), double(damage),
                              r->m_pBattleData ? CDX9KelBattleSystem::GetConditionPercent(r->m_pBattleData.get()) : 100,
                              ready, guns, ColumnName(c).c_str(), c ? c->m_Ships.size() : 0u,
                              double(c ? c->m_fCurrentSpeed : 0.0f), double(c ? c->m_fTimeUsed : 0.0f),
                              r->m_pBattleData && r->m_pBattleData->m_bAlive == 0 ? "lost" : "afloat",
                              fr != nullptr && fr->m_bActive == 0 ? " stranded" : "");
                out += line;
            }
        }
        for (const auto& [name, start] : m_Starts) {
            if (map.FindGameObjectByName(name.c_str()).side < 0) {
                std::snprintf(line, sizeof line, "unit gone \"%s\"\n", name.c_str());
                out += line;
            }
        }
        Vorna2::CDX9KelPhysicalManager* physics = Vorna2::GetPhysicalManager(m_pMapScene);
        std::snprintf(line, sizeof line, "losses player %d ai %d mines %zu contacts %zu\n", map.m_iPlayerLoss,
                      map.m_iAILoss, map.m_NoSideGameObjects.size(), physics ? physics->m_Contacts.size() : 0u);
        out += line;
        if (!m_bQuiet) {
            std::fputs(out.c_str(), stdout);
            std::printf("state hash %016llx\n", static_cast<unsigned long long>(CampaignSim::Hash64(out)));
        }
        m_strSummary = out;
        if (m_pApp && m_pApp->m_hWnd) Platform::InjectClose(m_pApp->m_hWnd);
    }

    VornaTest::CampaignMapScene* m_pMapScene;
    TurnScriptPlayer m_Script;
    bool m_bAIvsAI;
    int m_iRounds;
    CDX9KelAISystem m_PlayerAI;
    Vorna2::CDX9KelGUIButton* m_pHeld = nullptr;
    int m_iHeldFrames = 0;
    int m_iAIPhaseFrames = 0;
    bool m_bEndPressed = false;
    int m_iEndFrames = 0;
    bool m_bNextMap = false;
    std::string m_strOutcome = "open";
    std::map<std::string, TurnsUnitStart> m_Starts;
    std::vector<std::string> m_Autosaves;
    int m_iWait = 0;
    int m_iFrame = 0;
    int m_iPlayerVolleys = 0;
    int m_iAIVolleys = 0;
    int m_iHeld = 0;
    bool m_bDone = false;
    bool m_bEnded = false;
    std::string m_strSummary;

public:
    int m_iMaxFrames = 400000;
};

} // namespace CampaignSim
