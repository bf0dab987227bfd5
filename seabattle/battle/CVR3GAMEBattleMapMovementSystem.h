#pragma once
// A player's movement system: from a clock it decides which frames are
// physics steps (every 60 ms) and which are planning steps (every 10 s) and
// ticks every column of the player with that mode and the elapsed time. A
// gap of more than 10 s is skipped rather than integrated.
#include "platform/os/WinTypes.h"

#include <vector>

namespace Vorna3D {
class CDX9KelGameTimer;
}

namespace SeaBattle {

class CVR3GAMEBattleMapShip;
class CVR3GAMEBattleMapShipsColumn;

class CVR3GAMEBattleMapMovementSystem {
public:
    static constexpr DWORD kPhysicsInterval = 60;
    static constexpr DWORD kPlanningInterval = 10000;
    static constexpr DWORD kGapLimit = 10000;

    // Binds the player's column list and the clock (null: timeGetTime).
    bool Init(std::vector<CVR3GAMEBattleMapShipsColumn*>* pColumns, Vorna3D::CDX9KelGameTimer* pTimer);
    void Proc();
    // Forms columns from the ships' start positions: ships within 17 units
    // of each other, one ahead of the other within 45 degrees, share a column.
    bool CreateShipsColumnsUsingPositions(std::vector<CVR3GAMEBattleMapShip*>* pShips);

    // The mode and step of the last Proc (-1, 0 or 1; seconds).
    int GetLastMode() const { return m_iLastMode; }
    float GetLastStep() const { return m_fLastStep; }

    std::vector<CVR3GAMEBattleMapShipsColumn*>* m_pColumns = nullptr;
    Vorna3D::CDX9KelGameTimer* m_pGameTimer = nullptr;
    bool m_bGameClock = false;
    DWORD m_dwLastTime = 0;
    DWORD m_dwPhysicsInterval = kPhysicsInterval;
    DWORD m_dwLastPhysicsTime = 0;
    DWORD m_dwPlanningInterval = kPlanningInterval;
    DWORD m_dwLastPlanningTime = 0;

private:
    int m_iLastMode = -1;
    float m_fLastStep = 0.0f;
};

} // namespace SeaBattle
