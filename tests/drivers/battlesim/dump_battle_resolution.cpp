// Dump section "battle_resolution": the battle resolution's registered players,
// shots and rams in flight, ships lost, and per ship its damage state and
// its guns (active, reloading, shells). Fixed precision, so the same run
// prints the same text.
#include "Registry.h"

#include "seabattle/battle/BattleProcessingState.h"
#include "seabattle/battle/CVR3GAMEBattleMapShip.h"
#include "seabattle/battle/CVR3GAMEBattleSystemShip.h"

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

void WriteBattleResolution(const VornaTest::GameSession&, std::string& out) {
    const BattleProcessingState& s = BattleProcessingState::Get();
    out += "shots_in_flight " + std::to_string(s.GetPendingShotCount()) + "\n";
    out += "rams_pending " + std::to_string(s.GetPendingRamCount()) + "\n";
    out += "lost_ships " + std::to_string(s.m_dwLostShips) + "\n";
    const auto& names = s.GetPlayerNames();
    const auto& lists = s.GetShipLists();
    for (std::size_t i = 0; i < lists.size(); ++i) {
        out += "player " + names[i] + " ships " + std::to_string(lists[i] ? lists[i]->size() : 0) + "\n";
        if (!lists[i]) continue;
        for (const CVR3GAMEBattleMapShip* ship : *lists[i]) {
            const CVR3GAMEBattleSystemShip* d = ship ? ship->m_pBattleShip : nullptr;
            if (!d) continue;
            std::size_t holes = 0;
            std::string guns;
            for (const CBattleSystemShipPart* p : d->Parts) {
                if (!p) continue;
                holes += p->Holes.size();
                for (const CBattleSystemShipGun& g : p->Guns)
                    guns += std::string(" ") + (g.Active ? "A" : "a") + (g.Reloading ? "R" : "r") +
                            std::to_string(g.Shells);
            }
            out += "ship " + ship->m_strName + " alive " + (d->IsAlive ? "1" : "0") + " damage " +
                   Fixed(d->DamagePercent) + " fire " + Fixed(d->FirePercent) + " water " + Fixed(d->WaterPercent) +
                   " heel " + Fixed(d->Heel) + " trim " + Fixed(d->Trim) + " holes " + std::to_string(holes) +
                   " powder " + std::to_string(d->Gunpowder) + "\n";
            out += "guns " + ship->m_strName + guns + "\n";
        }
    }
}

const DumpRegistration kBattleResolution("battle_resolution", &WriteBattleResolution);

} // namespace

} // namespace BattleSim
