#pragma once
// The player's side of a campaign map played from a script of orders, the
// way a player gives them on the map screen: units chosen in the icon list,
// the movement sliders set, the go, attack and end-turn buttons pressed.
// Used by `campaignsim turns` and `campaignsim campaign --script`.
//
// One order a line, "TURN COMMAND [ARG...]"; TURN is a turn number or "*"
// (every turn); "#" starts a comment. Orders run in turn, each once the
// previous one has finished (a move has ended, a bombardment is over):
//   select N    the unit N of the icon list becomes active
//   rudder P    the rudder slider at P percent (50: straight)
//   speed P     the speed slider at P percent
//   go          the go button (the planned route is sailed)
//   gun G       gun group G (0-7) of the gun panel
//   fire        the first gun group marked as able to fire, at the first
//               enemy marked with a ring
//   attack N    the selected group at the enemy unit N
//   sail R S    every column that can still move, in the column list's
//               order: its leader chosen, rudder R, speed S, go, fire
//   end         the end-turn button, pressed again until the turn ends;
//               when the map asks to finish the moves first, the last
//               "sail" of the turn is given once more (a few times at most)
#include "campaign/battle/CDX9KelBattleSystem.h"
#include "campaign/routes/CDX9KelColumnMovement.h"
#include "campaign/map/CDX9KelGameMap.h"
#include "campaign/data/CampaignRecords.h"
#include "engine2/core/resources/CDX9KelBaseGrapRes.h"
#include "engine2/ui/gui/CDX9KelGUIButton.h"
#include "engine2/ui/gui/CDX9KelGUIDialog.h"
#include "engine2/ui/gui/CDX9KelGUIRadioList.h"
#include "engine2/ui/gui/CDX9KelGUIScrollBar.h"

#include <cstdlib>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace CampaignSim {

struct TurnOrder {
    int turn = 0; // 0: every turn
    std::string command;
    int value = 0;
    int value2 = 0;
};

inline bool ParseTurnInt(const std::string& s, int& out) {
    char* end = nullptr;
    const long v = std::strtol(s.c_str(), &end, 10);
    if (s.empty() || *end != '\0' || v < 0 || v > 100000) return false;
    out = static_cast<int>(v);
    return true;
}

inline bool ParseTurnScript(const std::string& text, std::vector<TurnOrder>& orders, int& bad) {
    std::istringstream in(text);
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        std::istringstream words(line);
        std::string turn, command, arg, arg2, extra;
        if (!(words >> turn) || turn[0] == '#') continue;
        TurnOrder o;
        const bool turnOk = turn == "*" || (ParseTurnInt(turn, o.turn) && o.turn > 0);
        if (!turnOk || !(words >> command)) {
            bad = number;
            return false;
        }
        o.command = command;
        int args = 0;
        if (words >> arg) ++args;
        if (args == 1 && words >> arg2) ++args;
        if (args == 2 && words >> extra) ++args;
        const bool oneArg = command == "select" || command == "rudder" || command == "speed" || command == "gun" ||
                            command == "attack";
        const bool twoArgs = command == "sail";
        const bool known = oneArg || twoArgs || command == "go" || command == "fire" || command == "end";
        const int wanted = twoArgs ? 2 : oneArg ? 1 : 0;
        if (!known || args != wanted || (args >= 1 && !ParseTurnInt(arg, o.value)) ||
            (args >= 2 && !ParseTurnInt(arg2, o.value2)) ||
            ((command == "rudder" || command == "speed" || command == "sail") && (o.value > 100 || o.value2 > 100)) ||
            (command == "gun" && o.value > 7)) {
            bad = number;
            return false;
        }
        orders.push_back(o);
    }
    return true;
}

class TurnScriptPlayer {
public:
    // Presses a button for the map's next frame.
    using Press = std::function<void(Vorna2::CDX9KelGUIButton*)>;

    explicit TurnScriptPlayer(std::vector<TurnOrder> orders = {}) : m_Orders(std::move(orders)) {}

    // One frame of the player's phase, before the map's own frame.
    void Frame(VornaCampaign::CDX9KelGameMap& map, const Press& press) {
        using namespace VornaCampaign;
        // A click holds the button down for a few frames, as a hand does:
        // the map's repeat gates may need a frame to open.
        if (m_pHeld != nullptr) {
            if (m_iHeldFrames-- > 0 && m_pHeld->m_bVisible) press(m_pHeld);
            else m_pHeld = nullptr;
        }
        // The notice to finish the moves shows for a few seconds only.
        if (map.m_MapScreen.IsVisible(map.m_MapScreen.m_FinishMov)) m_bFinishAsked = true;
        if (m_iWait > 0) {
            --m_iWait;
            return;
        }
        if (!Calm(map)) return;
        const int turn = static_cast<int>(map.m_Turn.m_uRound);
        if (turn != m_iScriptTurn) {
            m_iScriptTurn = turn;
            m_iNext = 0;
            m_Pending.clear();
            m_bHasSail = false;
            m_iEndRetries = 0;
            m_bFinishAsked = false;
        }
        TurnOrder o;
        bool fromScript = false;
        if (!m_Pending.empty()) {
            o = m_Pending.front();
            m_Pending.erase(m_Pending.begin());
        } else {
            while (m_iNext < m_Orders.size() && m_Orders[m_iNext].turn != 0 && m_Orders[m_iNext].turn != turn)
                ++m_iNext;
            if (m_iNext >= m_Orders.size()) {
                // Out of orders for this turn: the turn ends.
                EndTurn(map, press);
                m_iWait = 60;
                return;
            }
            o = m_Orders[m_iNext++];
            fromScript = true;
        }
        CDX9KelMapScreen& s = map.m_MapScreen;
        // Buttons share repeat gates of up to a second.
        m_iWait = 110;
        if (o.command == "select") {
            if (s.m_pIconList && o.value < static_cast<int>(s.m_pIconList->m_Buttons.size()))
                s.m_pIconList->SetSelection(o.value);
        } else if (o.command == "rudder" || o.command == "speed") {
            Vorna2::CDX9KelGUIScrollBar* bar = o.command == "rudder" ? s.m_pRudder : s.m_pSpeed;
            if (bar && s.m_Movement.m_pDialog) {
                bar->SetPosition(bar->m_iMaximum * o.value / 100, true);
                // The sliders are read while the cursor is over their dialog.
                s.m_Movement.m_pDialog->m_bMouseIn = true;
            }
            m_iWait = 2;
        } else if (o.command == "go") {
            Hold(s.m_pGo, press);
        } else if (o.command == "gun") {
            if (s.m_pGunGroups) s.m_pGunGroups->SetSelection(o.value);
            m_iWait = 2;
        } else if (o.command == "attack") {
            if (map.AttackEnemyUnit(o.value)) ++m_iPlayerOrders;
        } else if (o.command == "fire") {
            Fire(map);
        } else if (o.command == "sail") {
            m_LastSail = o;
            m_bHasSail = true;
            Sail(map, o);
            m_iWait = 2;
        } else if (o.command == "end") {
            EndTurn(map, press);
            if (fromScript) --m_iNext; // until the phase changes
            m_iWait = 60;
        }
    }

    // Orders given (attacks that began a bombardment).
    int m_iPlayerOrders = 0;

private:
    // Nothing moves, no bombardment runs and the map waits for nothing.
    static bool Calm(const VornaCampaign::CDX9KelGameMap& map) {
        using namespace VornaCampaign;
        return !g_ColumnMovement.m_bMoving && g_BattleSystem.m_iState == BATTLE_SYSTEM_IDLE &&
               map.m_Turn.m_iBattleWait == GAME_MAP_BATTLE_WAIT_NONE;
    }

    void Hold(Vorna2::CDX9KelGUIButton* b, const Press& press) {
        if (b == nullptr || !b->m_bVisible) return;
        m_pHeld = b;
        m_iHeldFrames = 3;
        press(b);
    }

    // The end-turn button; when the map asked for the moves to be finished,
    // the columns that can still move are sailed first, as a player does.
    void EndTurn(VornaCampaign::CDX9KelGameMap& map, const Press& press) {
        VornaCampaign::CDX9KelMapScreen& s = map.m_MapScreen;
        if (m_bFinishAsked && m_bHasSail && m_iEndRetries < 3) {
            m_bFinishAsked = false;
            ++m_iEndRetries;
            Sail(map, m_LastSail);
            if (!m_Pending.empty()) return;
        }
        m_bFinishAsked = false;
        Hold(s.m_pEndTurn, press);
    }

    // Every column that can still move: its leader chosen, the sliders
    // set, go, and an attack when a target is marked.
    void Sail(VornaCampaign::CDX9KelGameMap& map, const TurnOrder& sail) {
        using namespace VornaCampaign;
        if (map.m_pPlayerColumns == nullptr || map.m_pPlayerSceneObjects == nullptr) return;
        for (const GameColumnRecord* c : *map.m_pPlayerColumns) {
            if (c == nullptr || c->m_Ships.empty() || map.m_Turn.IsColumnFinished(c->m_fTimeUsed)) continue;
            const GameObjectRecord* leader = c->m_Ships[0].m_pObject;
            if (leader == nullptr || leader->m_pMovement == nullptr ||
                (leader->m_pMovementState != nullptr && leader->m_pMovementState->m_bCanSink == 0))
                continue;
            const auto& objects = *map.m_pPlayerSceneObjects;
            int unit = -1;
            for (std::size_t i = 0; i < objects.size() && unit < 0; ++i)
                if (objects[i] == c->m_Ships[0].m_pSceneObject) unit = static_cast<int>(i);
            if (unit < 0) continue;
            for (const char* command : {"select", "rudder", "speed", "go", "fire"}) {
                TurnOrder o;
                o.command = command;
                o.value = o.command == "select" ? unit : o.command == "rudder" ? sail.value : sail.value2;
                m_Pending.push_back(o);
            }
        }
    }

    void Fire(VornaCampaign::CDX9KelGameMap& map) {
        using namespace VornaCampaign;
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

    std::vector<TurnOrder> m_Orders;
    // Orders a "sail" gave, run before the script's next one.
    std::vector<TurnOrder> m_Pending;
    TurnOrder m_LastSail;
    bool m_bHasSail = false;
    int m_iEndRetries = 0;
    bool m_bFinishAsked = false;
    std::size_t m_iNext = 0;
    int m_iScriptTurn = 0;
    int m_iWait = 0;
    Vorna2::CDX9KelGUIButton* m_pHeld = nullptr;
    int m_iHeldFrames = 0;
};

} // namespace CampaignSim
