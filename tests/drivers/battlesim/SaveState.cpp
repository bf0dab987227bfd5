#include "SaveState.h"

#include "engine3/core/scene/CDX9KelSceneObject.h"
#include "seabattle/battle/CVR3GAMEBattleMap.h"
#include "seabattle/battle/CVR3GAMEBattleMapPlayer.h"
#include "seabattle/battle/CVR3GAMEBattleMapPlayerDirector.h"
#include "seabattle/battle/CVR3GAMEBattleMapShip.h"
#include "seabattle/battle/CVR3GAMEBattleMapShipsColumn.h"
#include "seabattle/battle/CVR3GAMEBattleSystemShip.h"
#include "seabattle/battle/CVR3GAMEComputerPlayerBaseBehaviour.h"
#include "seabattle/battle/CVR3GAMEComputerPlayerBehaviourOne.h"
#include "seabattle/battle/CVR3GAMEMovementShip.h"
#include "seabattle/game/CVR3GAMEDuel.h"
#include "seabattle/game/CVR3GAMEHarbourMap.h"
#include "seabattle/game/CVR3GAMEHarbourMapPlayer.h"
#include "seabattle/game/CVR3GAMEHarbourMapPlayerDirectorHuman.h"
#include "seabattle/game/CVR3GAMEManager.h"
#include "seabattle/game/CVR3GAMEScenario.h"
#include "seabattle/game/CVR3GAMEShipType.h"

#include <cmath>
#include <cstdio>

namespace BattleSim {

namespace {

using namespace SeaBattle;

std::string Fixed(float v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.4f", std::isfinite(v) ? v : 0.0f);
    return std::isfinite(v) ? text : "nan";
}

std::string Ship(const CVR3GAMEBattleMapShip* s) {
    if (!s) return "null";
    std::string out = s->m_strName;
    if (s->m_pSceneObject) {
        const D3DXMATRIX& w = s->m_pSceneObject->m_mWorld;
        out += " x " + Fixed(w._41) + " y " + Fixed(w._42) + " z " + Fixed(w._43) + " heading " +
               Fixed(std::atan2(w._31, w._33));
    }
    if (const CVR3GAMEMovementShip* m = s->m_pMovementShip)
        out += " speed " + Fixed(m->m_fSpeed) + " ordered " + Fixed(m->m_fOrderedSpeed) + " rudder " +
               Fixed(m->m_fRudderAngle) + " force " + Fixed(m->m_fForce);
    if (const CVR3GAMEBattleSystemShip* d = s->m_pBattleShip) {
        out += " damage " + Fixed(d->DamagePercent) + " water " + Fixed(d->TotalWater) + " fire " +
               Fixed(d->TotalFire) + " gunpowder " + std::to_string(d->Gunpowder) + " experience " +
               Fixed(d->CrewExperience);
        long shells = 0, reloading = 0, holes = 0;
        for (const CBattleSystemShipPart* p : d->Parts) {
            if (!p) continue;
            holes += static_cast<long>(p->Holes.size());
            for (const CBattleSystemShipGun& g : p->Guns) {
                shells += g.Shells;
                reloading += g.Reloading ? 1 : 0;
            }
        }
        out += " shells " + std::to_string(shells) + " reloading " + std::to_string(reloading) + " holes " +
               std::to_string(holes);
    }
    return out;
}

} // namespace

std::string SaveState(const std::string& prefix) {
    std::string out;
    const auto line = [&](const std::string& text) { out += prefix + " " + text + "\n"; };
    CVR3GAMEManager& manager = CVR3GAMEManager::Get();
    const CVR3GAMEScenario* s = manager.GetScenario();
    const bool scenario = manager.IsScenarioRunning();
    if (scenario) {
        line("scenario " + s->m_strFileName + " step " + std::to_string(s->m_iStep) + " in_battle " +
             std::to_string(s->m_iInBattle) + " fleet_scheme " + std::to_string(s->m_iFleetScheme) + " losses " +
             std::to_string(s->m_uHumanLosses) + " " + std::to_string(s->m_uComputerLosses));
        CVR3GAMEHarbourMap* harbour = manager.GetHarbourMap();
        if (auto* human = dynamic_cast<CVR3GAMEHarbourMapPlayerDirectorHuman*>(
                harbour->GetDirector(s->HumanPlayerName.c_str()))) {
            std::string bought;
            for (const CVR3GAMEShipType* t : human->m_stdvShipsTypes) bought += " " + std::to_string(t ? t->m_iCount : -1);
            line("human_money " + std::to_string(human->m_iMoney) + " bought" + bought);
            for (const CVR3GAMEBattleMapShip* r : human->m_stdvReserve) line("human_reserve " + Ship(r));
        }
        if (auto* computer = dynamic_cast<CVR3GAMEHarbourMapPlayerDirectorComputer*>(
                harbour->GetDirector(s->ComputerPlayerName.c_str())))
            for (const CVR3GAMEBattleMapShip* r : computer->m_stdvReserve) line("computer_reserve " + Ship(r));
        if (s->m_iInBattle == 0) {
            line("harbour_environment " +
                 (harbour->m_BaseMap.m_pEnvironment ? harbour->m_BaseMap.m_pEnvironment->m_strName : "none"));
            for (const CVR3GAMEHarbourMapPlayer* p : harbour->m_stdvPlayers)
                if (p)
                    for (const CVR3GAMEBattleMapShip* ship : p->m_stdvHarbourShips)
                        line("harbour_ship " + p->m_strName + " " + (ship ? ship->m_strName : "null"));
            return out;
        }
    } else if (manager.IsDuelRunning()) {
        line("duel " + manager.GetDuel()->m_strFileName + " artillery " + manager.GetDuel()->m_strArtilleryList);
    } else {
        line("nothing running");
        return out;
    }
    const CVR3GAMEBattleMap* map = manager.GetBattleMap();
    line("battle_clock_ms " + std::to_string(map->m_GameTimer.m_dwGameTime) + " stage " +
         std::to_string(map->m_iTimeLimitStage) + " environment " +
         (map->m_BaseMap.m_pEnvironment ? map->m_BaseMap.m_pEnvironment->m_strName : "none"));
    for (const CVR3GAMEBattleMapPlayer* p : map->GetPlayers()) {
        if (!p) continue;
        // A save writes an empty list as zeros: the sum is what counts.
        uint64_t lossSum = 0;
        for (uint32_t v : p->m_stdvLossesByLevel) lossSum += v;
        const std::string losses = " " + std::to_string(lossSum);
        line("player " + p->m_strPlayerName + " earlier_losses " + std::to_string(p->m_stdvEarlierLosses.size()) +
             " losses" + losses);
        for (const CVR3GAMEBattleMapShip* ship : p->m_stdvBattleShips)
            if (ship && !ship->m_bSunk) line("ship " + p->m_strPlayerName + " " + Ship(ship));
        for (const CVR3GAMEBattleMapShipsColumn* c : p->m_stdvColumns) {
            if (!c) {
                line("column " + p->m_strPlayerName + " none");
                continue;
            }
            std::string ships;
            for (const CVR3GAMEBattleMapShip* ship : c->m_stdvBattleShips) ships += " " + (ship ? ship->m_strName : "-");
            line("column " + p->m_strPlayerName + " " + std::to_string(c->m_iPlayerIndex) + " ordered " +
                 Fixed(c->m_fOrderedSpeed) + " max " + Fixed(c->m_fMaxSpeed) + " ships" + ships);
        }
        const CVR3GAMEBattleMapPlayerDirector* d = p->m_pDirector;
        const CVR3GAMEComputerPlayerBaseBehaviour* b = nullptr;
        if (d && d->IsHuman()) {
            const auto* h = static_cast<const CVR3GAMEBattleMapPlayerDirectorHuman*>(d);
            b = h->m_pCurrentBehaviour;
            line("selected " + p->m_strPlayerName + " " + std::to_string(h->m_iSelectedShip));
        } else if (d) {
            b = static_cast<const CVR3GAMEBattleMapPlayerDirectorComputer*>(d)->m_pBehaviour;
        }
        if (!b) continue;
        for (const auto* list : {&b->m_stdvColumns, &b->m_stdvWithdrawnColumns})
            for (const BehaviourColumnRecord* r : *list)
                if (r)
                    line("record " + p->m_strPlayerName + " kind " + std::to_string(r->m_iKind) + " column " +
                         std::to_string(r->m_pColumn ? r->m_pColumn->m_iPlayerIndex : -1) + " strength " +
                         Fixed(r->m_fStrength));
    }
    return out;
}

} // namespace BattleSim
