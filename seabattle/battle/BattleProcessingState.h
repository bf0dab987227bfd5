#pragma once
// The battle resolution's one state of the program: the battle clock it
// reads, the players' names and ship lists it walks, the pending ram reports
// and the periodic tasks that ProcessBattle runs, at most one per call.
// Tests reset it with ClearBattleProcessing.
#include "platform/math/d3dx9math.h"
#include "platform/os/WinTypes.h"
#include "seabattle/battle/CVR3GAMEBattleSystemShip.h"

#include <string>
#include <vector>

namespace Vorna3D {
class CDX9KelGameTimer;
class CDX9KelBasePhysicalObject;
} // namespace Vorna3D

namespace SeaBattle {

class CVR3GAMEBattleMapShip;

// A ram reported by a movement ship, resolved by the ram task.
struct RamRecord {
    Vorna3D::CDX9KelBasePhysicalObject* m_pAttacker = nullptr;
    Vorna3D::CDX9KelBasePhysicalObject* m_pTarget = nullptr;
    D3DXVECTOR3 m_vPoint{0.0f, 0.0f, 0.0f};
    float m_fStrength = 0.0f;
};

// The periodic tasks, in the order ProcessBattle looks for a due one.
enum EBattleTask { BATTLE_TASK_NONE = -1, BATTLE_TASK_DAMAGE = 0, BATTLE_TASK_RELOAD, BATTLE_TASK_RAMS, BATTLE_TASK_SHOTS };

class BattleProcessingState {
public:
    static constexpr unsigned kRamPoolSize = 10;

    BattleProcessingState();
    ~BattleProcessingState();
    BattleProcessingState(const BattleProcessingState&) = delete;
    BattleProcessingState& operator=(const BattleProcessingState&) = delete;

    // The program's one state.
    static BattleProcessingState& Get();

    // The battle clock; null reads timeGetTime.
    void SetGameTimer(Vorna3D::CDX9KelGameTimer* timer) { m_pGameTimer = timer; }
    Vorna3D::CDX9KelGameTimer* GetGameTimer() const { return m_pGameTimer; }
    DWORD Now() const;

    // Registers a player's name with its ship list. A name already listed
    // gets the list anew instead of a second entry, so a player registered
    // again for a later battle is walked once.
    bool RegisterPlayer(const std::string& name, std::vector<CVR3GAMEBattleMapShip*>* ships);
    const std::vector<std::string>& GetPlayerNames() const { return m_stdvPlayerNames; }
    const std::vector<std::vector<CVR3GAMEBattleMapShip*>*>& GetShipLists() const { return m_stdvShipLists; }

    // Queues a ram report; false (nothing queued) for a missing body or a
    // strength not above 0.
    bool AddRam(Vorna3D::CDX9KelBasePhysicalObject* attacker, Vorna3D::CDX9KelBasePhysicalObject* target,
                const D3DXVECTOR3* point, float strength);
    // The pending reports in slot order; null entries are free slots.
    const std::vector<RamRecord*>& GetActiveRams() const { return m_stdvActiveRams; }
    std::size_t GetPendingRamCount() const;

    // Runs the first due task, if any; returns which ran.
    EBattleTask ProcessBattle();
    // Empties names, ship lists and pending reports and zeroes the clocks.
    // The artillery list is kept unless asked.
    void ClearBattleProcessing(bool clearArtilleryList);

    DWORD m_dwLastCallTime = 0;
    DWORD m_dwShotPeriod = 100, m_dwLastShotRun = 0;
    DWORD m_dwReloadPeriod = 1000, m_dwLastReloadRun = 0;
    DWORD m_dwDamagePeriod = 2000, m_dwLastDamageRun = 0;
    DWORD m_dwRamPeriod = 1000, m_dwLastRamRun = 0;
    // A stall of the battle clock of at least this long is reported onward.
    static constexpr DWORD kStallMs = 10000;
    DWORD m_dwLastGap = 0;
    DWORD m_dwLostShips = 0;
    // The game's one artillery list: the gun types that guns are filled
    // from by their tag. A loaded list replaces it whole.
    std::vector<CBattleArtilleryType> ArtilleryTypes;

private:
    void ProcessRams();

    Vorna3D::CDX9KelGameTimer* m_pGameTimer = nullptr;
    std::vector<std::string> m_stdvPlayerNames;
    std::vector<std::vector<CVR3GAMEBattleMapShip*>*> m_stdvShipLists;
    std::vector<RamRecord*> m_stdvActiveRams;
    std::vector<unsigned> m_stdvFreeRamSlots;
    std::vector<RamRecord*> m_stdvRamPool;
};

} // namespace SeaBattle
