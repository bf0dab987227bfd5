// campaignsim turns: plays a campaign map turn after turn the way the game
// scene does, on the virtual clock and headless. Each frame runs, in the
// game's order, the column movement (while the physical manager holds no
// contacts), the battle system's bombardment, attack-turn and round-result
// steps and the game map's frame; the map screen "map.xml" is bound and
// active, and the player's side is played through its buttons and lists:
//
//   campaignsim turns <map> [--seed S] (--script FILE | --ai-vs-ai) [--side 1|2]
//                   [--rounds N] [--max-frames F] [--frame-ms M] [--log]
//
//   --script FILE  the player's orders, one a line, "TURN COMMAND [ARG]";
//                  TURN is a turn number or "*" (every turn); "#" starts a
//                  comment. Commands run in order, each after the previous
//                  one has finished (a move has ended, a bombardment is
//                  over):
//                    select N    the unit N of the icon list becomes active
//                    rudder P    the rudder slider at P percent (50: straight)
//                    speed P     the speed slider at P percent
//                    go          the go button (the planned route is sailed)
//                    gun G       gun group G (0-7) of the gun panel
//                    fire        the first gun group marked as able to fire,
//                                at the first enemy marked with a ring
//                    attack N    the selected group at the enemy unit N
//                    end         the end-turn button; when the map asks to
//                                finish the moves first, the columns that
//                                could still move hold where they are
//   --ai-vs-ai     a second computer player plays the player's side in its
//                  phase and ends the turn
//   --rounds N     the map's round count (default: the map parameters')
//   --log          print the log after the run
//
// Prints a line per turn, the units at the end (position, distance sailed,
// damage, state) and "state hash H" over all of it; same seed, same hash.
// Exit code: 0 the map ended, 1 the start failed or the frames ran out,
// 2 bad options or script.
#include "Registry.h"
#include "SimEngine.h"
#include "tests/common/CampaignMapScene.h"

#include "campaign/CDX9KelBattleSystem.h"
#include "campaign/CDX9KelColumnMovement.h"
#include "campaign/CDX9KelSeaPath.h"
#include "campaign/ai/CDX9KelAISystem.h"
#include "engine2/core/CDX9KelApp.h"
#include "engine2/core/CDX9KelFPSCounter.h"
#include "engine2/core/CDX9KelLog.h"
#include "engine2/core/resources/CDX9KelBaseGrapRes.h"
#include "engine2/core/scene/CDX9KelSceneObject.h"
#include "engine2/ui/gui/CDX9KelGUIButton.h"
#include "engine2/ui/gui/CDX9KelGUIDialog.h"
#include "engine2/ui/gui/CDX9KelGUIRadioList.h"
#include "engine2/ui/gui/CDX9KelGUIScrollBar.h"
#include "engine2/world/physics/CDX9KelPhysicalManager.h"
#include "engine2/world/physics/PhysicsSceneSlot.h"
#include "platform/os/Paths.h"
#include "platform/window/Window.h"

#include <cmath>
#include <cstdio>
#include <map>
#include <sstream>
#include <string>
#include <vector>

using namespace VornaCampaign;

namespace {

struct Order {
    int turn = 0; // 0: every turn
    std::string command;
    int value = 0;
};

bool ParseInt(const std::string& s, int& out) {
    char* end = nullptr;
    const long v = std::strtol(s.c_str(), &end, 10);
    if (s.empty() || *end != '\0' || v < 0 || v > 100000) return false;
    out = static_cast<int>(v);
    return true;
}

bool ParseScript(const std::string& text, std::vector<Order>& orders, int& bad) {
    std::istringstream in(text);
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        std::istringstream words(line);
        std::string turn, command, arg;
        if (!(words >> turn) || turn[0] == '#') continue;
        Order o;
        const bool turnOk = turn == "*" || (ParseInt(turn, o.turn) && o.turn > 0);
        if (!turnOk || !(words >> command)) {
            bad = number;
            return false;
        }
        o.command = command;
        const bool hasArg = static_cast<bool>(words >> arg);
        const bool needsArg = command == "select" || command == "rudder" || command == "speed" || command == "gun" ||
                              command == "attack";
        const bool known = needsArg || command == "go" || command == "fire" || command == "end";
        if (!known || needsArg != hasArg || (hasArg && !ParseInt(arg, o.value)) ||
            ((command == "rudder" || command == "speed") && o.value > 100) || (command == "gun" && o.value > 7)) {
            bad = number;
            return false;
        }
        orders.push_back(o);
    }
    return true;
}

struct UnitStart {
    D3DXVECTOR3 position;
    float sailed = 0.0f;
    D3DXVECTOR3 last;
};

class TurnsEngine : public CampaignSim::SimEngine {
public:
    TurnsEngine(const CampaignSim::SimOptions& options, VornaTest::CampaignMapScene* scene, std::vector<Order> orders,
                bool aiVsAi, int rounds)
        : SimEngine(options), m_pMapScene(scene), m_Orders(std::move(orders)), m_bAIvsAI(aiVsAi), m_iRounds(rounds) {
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
        map.m_SaveWriter = [this](const std::string& name, bool) {
            // The driver keeps no files: the autosave's name is noted.
            m_Autosaves.push_back(name);
            return true;
        };
        for (int s = 1; s <= 2; ++s) {
            const GameMapSide& side = map.Side(s);
            for (std::size_t i = 0; i < side.m_SceneObjects.size(); ++i) {
                const Vorna2::CDX9KelSceneObject* o = side.m_SceneObjects[i];
                UnitStart u;
                u.position = u.last = D3DXVECTOR3(o->m_mWorld._41, o->m_mWorld._42, o->m_mWorld._43);
                m_Starts[side.m_GameObjects[i]->m_Unit.m_szName] = u;
            }
        }
        std::printf("turns map %s rounds %u player side %d mode %s\n", map.m_szMapName, map.m_Turn.m_uRoundsCount,
                    map.m_iPlayerSide, m_bAIvsAI ? "ai-vs-ai" : "script");
        return true;
    }

    void Process() override {
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
        if (map.m_Turn.m_iGlobalState == GAME_MAP_GLOBAL_STATE_PLAYER && !MapEnded()) {
            if (m_bAIvsAI)
                PlayerAIFrame();
            else
                ScriptFrame();
        }
        const int state = map.m_Turn.m_iGlobalState;
        const unsigned round = map.m_Turn.m_uRound;
        map.Proc();
        if (before == BATTLE_SYSTEM_IDLE && g_BattleSystem.m_iState == BATTLE_SYSTEM_BOMBARDMENT) CountAttack();
        Track();
        if (map.m_Turn.m_iGlobalState != state || map.m_Turn.m_uRound != round) PhaseChanged(state);
        if (MapEnded()) Finish(true);
        else if (m_iFrame >= m_iMaxFrames) Finish(false);
    }

    bool Ended() const { return m_bEnded; }
    const std::string& Summary() const { return m_strSummary; }

private:
    CDX9KelGameMap& Map() { return m_pMapScene->m_map; }
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

    // Columns that could still move give up what is left of their turn.
    void Hold() {
        CDX9KelGameMap& map = Map();
        if (map.m_pPlayerColumns == nullptr) return;
        for (GameColumnRecord* c : *map.m_pPlayerColumns)
            if (c != nullptr && !map.m_Turn.IsColumnFinished(c->m_fTimeUsed)) {
                c->m_fTimeUsed = map.m_Turn.m_fTurnMoveLimit;
                ++m_iHeld;
            }
    }

    // Presses end-turn; asks again after the columns hold when the map
    // wants the moves finished first.
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

    void ScriptFrame() {
        CDX9KelGameMap& map = Map();
        CDX9KelMapScreen& s = map.m_MapScreen;
        if (m_iWait > 0) {
            --m_iWait;
            return;
        }
        if (!Calm()) return;
        const int turn = static_cast<int>(map.m_Turn.m_uRound);
        if (turn != m_iScriptTurn) {
            m_iScriptTurn = turn;
            m_iNext = 0;
        }
        while (m_iNext < m_Orders.size() && m_Orders[m_iNext].turn != 0 && m_Orders[m_iNext].turn != turn) ++m_iNext;
        if (m_iNext >= m_Orders.size()) {
            // Out of orders for this turn: the turn ends.
            EndTurn();
            m_iWait = 60;
            return;
        }
        const Order o = m_Orders[m_iNext++];
        // Buttons share repeat gates of up to a second.
        m_iWait = 110;
        if (o.command == "select") {
            if (s.m_pIconList && o.value < static_cast<int>(s.m_pIconList->m_Buttons.size())) s.m_pIconList->SetSelection(o.value);
        } else if (o.command == "rudder" || o.command == "speed") {
            Vorna2::CDX9KelGUIScrollBar* bar = o.command == "rudder" ? s.m_pRudder : s.m_pSpeed;
            if (bar && s.m_Movement.m_pDialog) {
                bar->SetPosition(bar->m_iMaximum * o.value / 100, true);
                // The sliders are read while the cursor is over their dialog.
                s.m_Movement.m_pDialog->m_bMouseIn = true;
            }
            m_iWait = 2;
        } else if (o.command == "go") {
            Press(s.m_pGo);
        } else if (o.command == "gun") {
            if (s.m_pGunGroups) s.m_pGunGroups->SetSelection(o.value);
            m_iWait = 2;
        } else if (o.command == "attack") {
            if (map.AttackEnemyUnit(o.value)) ++m_iPlayerOrders;
        } else if (o.command == "fire") {
            Fire();
        } else if (o.command == "end") {
            EndTurn();
            --m_iNext; // until the phase changes
            m_iWait = 60;
        }
    }

    void Fire() {
        CDX9KelGameMap& map = Map();
        CDX9KelMapScreen& s = map.m_MapScreen;
        if (s.m_pGunGroups == nullptr || map.m_pEnemySceneObjects == nullptr) return;
        int group = -1;
        for (std::size_t g = 0; g < s.m_pGunGroups->m_Buttons.size() && group < 0; ++g)
            if (CDX9KelMapScreen::GetButtonColour(s.m_pGunGroups->m_Buttons[g]) == MapColour::kBrightGreen &&
                s.m_pGunGroups->m_Buttons[g]->m_iState != Vorna2::ButtonDisabled)
                group = static_cast<int>(g);
        if (group < 0) return;
        for (std::size_t i = 0; i < map.m_pRedRings.size() && i < map.m_pEnemySceneObjects->size(); ++i) {
            if (map.m_pRedRings[i] == nullptr || !map.m_pRedRings[i]->m_bVisible) continue;
            s.m_pGunGroups->SetSelection(group);
            if (map.AttackEnemyUnit(static_cast<int>(i))) ++m_iPlayerOrders;
            return;
        }
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
        const int to = map.m_Turn.m_iGlobalState;
        if (to == GAME_MAP_GLOBAL_STATE_PLAYER && from == GAME_MAP_GLOBAL_STATE_ROUND_RESULT) {
            std::printf("turn %u done frame %d side1 %zu side2 %zu player orders %d ai orders %d\n",
                        map.m_Turn.m_uRound - 1, m_iFrame, map.Side(SIDE_1).m_GameObjects.size(),
                        map.Side(SIDE_2).m_GameObjects.size(), m_iPlayerOrders, g_AISystem.m_iShotsOrdered);
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
        std::snprintf(line, sizeof line, "end %s turn %u frame %d volleys player %d ai %d held %d autosaves %zu\n",
                      ended ? "map" : "frames", map.m_Turn.m_uRound, m_iFrame, m_iPlayerVolleys, m_iAIVolleys, m_iHeld,
                      m_Autosaves.size());
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
        std::fputs(out.c_str(), stdout);
        std::printf("state hash %016llx\n", static_cast<unsigned long long>(CampaignSim::Hash64(out)));
        m_strSummary = out;
        if (m_pApp && m_pApp->m_hWnd) Platform::InjectClose(m_pApp->m_hWnd);
    }

    VornaTest::CampaignMapScene* m_pMapScene;
    std::vector<Order> m_Orders;
    bool m_bAIvsAI;
    int m_iRounds;
    CDX9KelAISystem m_PlayerAI;
    Vorna2::CDX9KelGUIButton* m_pHeld = nullptr;
    int m_iHeldFrames = 0;
    bool m_bEndPressed = false;
    std::map<std::string, UnitStart> m_Starts;
    std::vector<std::string> m_Autosaves;
    std::size_t m_iNext = 0;
    int m_iScriptTurn = 0;
    int m_iWait = 0;
    int m_iFrame = 0;
    int m_iPlayerOrders = 0;
    int m_iPlayerVolleys = 0;
    int m_iAIVolleys = 0;
    int m_iHeld = 0;
    bool m_bDone = false;
    bool m_bEnded = false;
    std::string m_strSummary;

public:
    int m_iMaxFrames = 400000;
};

} // namespace

CAMPAIGNSIM_COMMAND(turns, "<map> [--seed S] (--script FILE | --ai-vs-ai) [--side 1|2] [--rounds N] "
                           "[--max-frames F] [--frame-ms M] [--log]") {
    bool okSeed, okSide, okRounds, okFrames, okMs;
    const std::string name = args.Get("");
    const long long seed = args.GetInt("seed", 1, &okSeed);
    const long long side = args.GetInt("side", 1, &okSide);
    const long long rounds = args.GetInt("rounds", 0, &okRounds);
    const long long maxFrames = args.GetInt("max-frames", 400000, &okFrames);
    const long long frameMs = args.GetInt("frame-ms", 20, &okMs);
    const bool aiVsAi = args.Has("ai-vs-ai");
    const std::string scriptFile = args.Get("script");
    if (name.empty() || !okSeed || !okSide || !okRounds || !okFrames || !okMs || (side != 1 && side != 2) ||
        rounds < 0 || rounds > 1000 || maxFrames < 1 || maxFrames > 100000000 || frameMs < 1 || frameMs > 200 ||
        seed < 0 || seed > 0xFFFFFFFFll || aiVsAi == !scriptFile.empty()) {
        std::fprintf(stderr, "campaignsim turns: bad options (give a map and either --script FILE or --ai-vs-ai)\n");
        return 2;
    }
    std::vector<Order> orders;
    if (!aiVsAi) {
        std::string text;
        int bad = 0;
        if (!Platform::ReadTextFile(scriptFile, text)) {
            std::fprintf(stderr, "campaignsim turns: cannot read %s\n", scriptFile.c_str());
            return 2;
        }
        if (!ParseScript(text, orders, bad)) {
            std::fprintf(stderr, "campaignsim turns: bad script line %d\n", bad);
            return 2;
        }
    }
    CampaignSim::SimOptions options;
    options.frames = static_cast<int>(maxFrames) + 1000;
    options.frameMs = static_cast<DWORD>(frameMs);
    options.seed = static_cast<std::uint32_t>(seed);
    int result = 0;
    {
        auto* scene = new VornaTest::CampaignMapScene();
        scene->m_mapName = name;
        scene->m_playerSide = static_cast<int>(side);
        TurnsEngine engine(options, scene, std::move(orders), aiVsAi, static_cast<int>(rounds));
        engine.m_iMaxFrames = static_cast<int>(maxFrames);
        Vorna2::g_Log.SetCopyStream(nullptr);
        if (!engine.Run() || !engine.Ended()) result = 1;
        Vorna2::g_Log.Close();
    }
    if (args.Has("log")) {
        std::string text;
        Platform::ReadTextFile(Vorna2::g_Log.GetPath().empty() ? Platform::ProgramFolder() + "VornaLog.log"
                                                               : Vorna2::g_Log.GetPath(),
                               text);
        std::fputs(text.c_str(), stdout);
    }
    std::fflush(stdout);
    return result;
}
