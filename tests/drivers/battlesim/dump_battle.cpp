// Dump section "battle": the battle map's clock, game speed, time limit and
// autosave slot, its players with their ships (place, heading, speeds,
// rudder) and columns. Numbers are written with fixed precision, so the
// same run prints the same text.
#include "Registry.h"

#include "common/GameSession.h"
#include "engine3/core/scene/CDX9KelSceneObject.h"
#include "engine3/ui/screens/CVR3CIIScreen.h"
#include "seabattle/battle/CVR3GAMEBattleMap.h"
#include "seabattle/battle/CVR3GAMEBattleMapPlayer.h"
#include "seabattle/battle/CVR3GAMEBattleMapPlayerDirector.h"
#include "seabattle/battle/CVR3GAMEBattleMapShip.h"
#include "seabattle/battle/CVR3GAMEBattleMapShipsColumn.h"
#include "seabattle/battle/CVR3GAMEMovementShip.h"
#include "seabattle/game/CVR3GAMEManager.h"

#include <cmath>
#include <cstdio>

namespace BattleSim {

namespace {

using namespace SeaBattle;

std::string Fixed(float v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", std::isfinite(v) ? v : 0.0f);
    return std::isfinite(v) ? text : "nan";
}

void WriteBattle(const VornaTest::GameSession&, std::string& out) {
    const CVR3GAMEBattleMap* map = CVR3GAMEManager::Get().GetBattleMap();
    if (!map) {
        out += "map none\n";
        return;
    }
    out += "screen " + std::string(map->m_pBattleScreen ? map->m_pBattleScreen->GetName() : "none") + "\n";
    out += "clock_ms " + std::to_string(map->m_GameTimer.m_dwGameTime) + "\n";
    out += "running " + std::string(map->m_GameTimer.m_dwRunning ? "1" : "0") + "\n";
    out += "speed " + Fixed(map->m_GameTimer.m_fSpeed) + "\n";
    out += "time_limit " + std::to_string(map->m_iTimeLimit) + " stage " + std::to_string(map->m_iTimeLimitStage) +
           "\n";
    out += "autosave_slot " + std::to_string(map->m_uAutoSaveNumber) + "\n";
    out += "over " + std::string(map->IsBattleOver() ? "1" : "0") + "\n";
    for (const CVR3GAMEBattleMapPlayer* p : map->GetPlayers()) {
        if (!p) continue;
        const char* director = !p->m_pDirector ? "none" : p->m_pDirector->IsHuman() ? "human" : "computer";
        out += "player " + p->m_strPlayerName + " director " + director + " ships " +
               std::to_string(p->m_stdvBattleShips.size()) + "\n";
        for (const CVR3GAMEBattleMapShip* s : p->m_stdvBattleShips) {
            if (!s) continue;
            out += "ship " + s->m_strName;
            if (s->m_pSceneObject) {
                const D3DXMATRIX& w = s->m_pSceneObject->m_mWorld;
                out += " x " + Fixed(w._41) + " z " + Fixed(w._43) + " heading " + Fixed(std::atan2(w._31, w._33));
            }
            if (const CVR3GAMEMovementShip* m = s->m_pMovementShip)
                out += " speed " + Fixed(m->m_fSpeed) + " ordered " + Fixed(m->m_fOrderedSpeed) + " rudder " +
                       Fixed(m->m_fRudderAngle) + " order " + std::to_string(m->m_iCurrentOrder);
            out += std::string(" sunk ") + (s->m_bSunk ? "1" : "0") + "\n";
        }
        for (const CVR3GAMEBattleMapShipsColumn* c : p->m_stdvColumns) {
            if (!c) continue;
            out += "column " + std::to_string(c->m_iPlayerIndex) + " max_speed " + Fixed(c->m_fMaxSpeed) +
                   " ordered " + Fixed(c->m_fOrderedSpeed) + " ships";
            for (const CVR3GAMEBattleMapShip* s : c->m_stdvBattleShips) out += " " + (s ? s->m_strName : "-");
            out += "\n";
        }
    }
}

const DumpRegistration kBattle("battle", &WriteBattle);

} // namespace

} // namespace BattleSim
