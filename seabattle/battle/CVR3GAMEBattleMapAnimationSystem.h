#pragma once
// A player's animation system: every 50 ms of its clock it advances the
// animated aspect of every ship of the player, and takes a ship that has sunk
// out of physics and drawing once. A pause of more than 10 periods is skipped
// rather than animated.
#include <vector>

#include "platform/os/WinTypes.h"

namespace Vorna3D {
class CDX9KelGameTimer;
}

namespace SeaBattle {

class CVR3GAMEBattleMapShip;

class CVR3GAMEBattleMapAnimationSystem {
public:
    static constexpr DWORD kPeriod = 50;
    static constexpr DWORD kResetPeriods = 10;

    // Binds the player's ship list and the clock (null: timeGetTime).
    bool Init(std::vector<CVR3GAMEBattleMapShip*>* pShips, Vorna3D::CDX9KelGameTimer* pTimer);
    void Proc();

    std::vector<CVR3GAMEBattleMapShip*>* m_pShips = nullptr;
    Vorna3D::CDX9KelGameTimer* m_pGameTimer = nullptr;
    bool m_bGameClock = false;
    DWORD m_dwLastTick = 0;
    DWORD m_dwPeriod = kPeriod;
};

} // namespace SeaBattle
