#pragma once
// The battle resolution's one state of the program: the battle clock it
// reads, the players' names and ship lists it walks, the shots in flight,
// the pending ram reports and the periodic tasks that ProcessBattle runs, at
// most one per call: the damage pass (one ship every 2 s, round robin), the
// gun reloads, the rams and the shots. Rolls come from rand_s, so a test
// that installs a random source gets exact results. Tests reset it with
// ClearBattleProcessing.
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
struct CVR3GAMEAnimatedPart;
struct CArtilleryPart;

// A shot in flight: resolved once its flight time has passed since it was
// fired. The pointers are not owned; the target parts are a copy.
struct ShotRecord {
    const D3DXMATRIX* m_pFiringMatrix = nullptr;
    const D3DXMATRIX* m_pTargetMatrix = nullptr;
    CVR3GAMEAnimatedPart* m_pGunPart = nullptr;
    CBattleSystemShipGun* m_pGun = nullptr;
    std::vector<CArtilleryPart*> m_vTargetParts;
    float m_fPartArea = 0.0f;
    float m_fHitChance = 0.0f; // percent
    float m_fDistance = 0.0f;  // world units
    DWORD m_dwFireTime = 0;
    DWORD m_dwFlightTime = 0;
};

// How a shot came down; kept for the traces and the tests.
enum EShotOutcome { SHOT_MISS = 0, SHOT_HIT = 1 };

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
    static constexpr unsigned kShotPoolSize = 200;
    // Formula units (of part records and gun tables) per world unit.
    static constexpr float kUnitsScale = 18.5f;
    // The size of one standard hole; a ram hole is eleven of them.
    static constexpr float kStandardHole = 13.5f;
    static constexpr float kRamHoleSize = 148.5f;
    static constexpr float kCapsizeHeel = 0.524f;
    static constexpr float kDeathRatio = 0.95f;

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
    // The name registered with the list that holds the ship; empty when none.
    std::string GetPlayerNameOf(const CVR3GAMEBattleMapShip* ship) const;
    const std::vector<std::string>& GetPlayerNames() const { return m_stdvPlayerNames; }
    const std::vector<std::vector<CVR3GAMEBattleMapShip*>*>& GetShipLists() const { return m_stdvShipLists; }

    // Queues a ram report; false (nothing queued) for a missing body or a
    // strength not above 0.
    bool AddRam(Vorna3D::CDX9KelBasePhysicalObject* attacker, Vorna3D::CDX9KelBasePhysicalObject* target,
                const D3DXVECTOR3* point, float strength);
    // The pending reports in slot order; null entries are free slots.
    const std::vector<RamRecord*>& GetActiveRams() const { return m_stdvActiveRams; }
    std::size_t GetPendingRamCount() const;

    // The first ship whose physical body is `body`, over every list in
    // order; null when none.
    CVR3GAMEBattleMapShip* FindShipByBody(const Vorna3D::CDX9KelBasePhysicalObject* body) const;

    // Queues a shot; false (nothing queued) when a pointer is null or there
    // are no target parts.
    bool AddShot(const D3DXMATRIX* firingMatrix, const D3DXMATRIX* targetMatrix, CVR3GAMEAnimatedPart* gunPart,
                 CBattleSystemShipGun* gun, const std::vector<CArtilleryPart*>* targetParts, float partArea,
                 float hitChance, float distance, DWORD flightTime);
    // The shots in flight in slot order; null entries are free slots.
    const std::vector<ShotRecord*>& GetActiveShots() const { return m_stdvActiveShots; }
    std::size_t GetPendingShotCount() const;
    std::size_t GetShotPoolSize() const { return m_stdvShotPool.size(); }
    std::size_t GetRamPoolSize() const { return m_stdvRamPool.size(); }

    // Hit chance in percent: a the range in formula units, b the gun's fall
    // of accuracy, c the crew training, d the target's area above water.
    static float HitProbability(float a, float b, float c, float d);

    // Runs the first due task, if any; returns which ran.
    EBattleTask ProcessBattle();

    // ---- the tasks and their steps, open to tests ----
    void ProcessShots(DWORD now);
    // Rolls one shot: the hit or the splash; the gun's reload starts.
    EShotOutcome ProcessShot(ShotRecord* shot, DWORD now);
    // The hull part a hit lands on, drawn by side area; its artillery part
    // in `partOut` (may be null).
    CBattleSystemDamageElement* SelectHitPart(const std::vector<CArtilleryPart*>* parts, float area,
                                              CArtilleryPart** partOut);
    // What a shell does to the hull part it hit; range in formula units.
    void HitShipPart(CBattleSystemShipGun* gun, CBattleSystemShipPart* part, float range);
    void UpdateGunReloads(DWORD now, DWORD gap);
    void ProcessDamage(DWORD now, DWORD gap);
    void ProcessShipDamage(CVR3GAMEBattleMapShip* ship, DWORD now, DWORD gap);
    void ProcessRams();
    // Resolves one ram report; true when a hole was made.
    bool ProcessRam(const RamRecord* ram);
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
    // Round-robin cursor of the damage task.
    uint32_t m_uDamageList = 0, m_uDamageShip = 0;
    float m_fStepSeconds = 0.0f;
    int32_t m_iPartNumber = 0;
    // Where the last splash or hit effect was placed.
    D3DXMATRIX m_mEffect;
    // The point of the last hit on a part's side face.
    D3DXVECTOR2 m_vHitPoint{0.0f, 0.0f};
    // The two sums of the damage pass: damage and durability of the parts
    // that slow the ship.
    float m_fSpeedPartDamage = 0.0f, m_fSpeedPartDurability = 0.0f;
    std::string m_strPortMainCalibre, m_strStarboardMainCalibre;
    // The game's one artillery list: the gun types that guns are filled
    // from by their tag. A loaded list replaces it whole.
    std::vector<CBattleArtilleryType> ArtilleryTypes;

private:
    void ReturnRam(std::size_t slot);
    void ReturnShot(std::size_t slot);
    void FloodPart(CBattleSystemShipPart* part, float t);
    void PumpPartWater(CVR3GAMEBattleSystemShip* d, CBattleSystemShipPart* part, float t);
    void FightPartFire(CVR3GAMEBattleSystemShip* d, CBattleSystemShipPart* part, float t);
    void RepairPart(CVR3GAMEBattleSystemShip* d, CBattleSystemShipPart* part, float t);
    void SpreadExcessWater(CVR3GAMEBattleSystemShip* d, float excess);
    void ApplyFloodingToBody(CVR3GAMEBattleMapShip* ship);
    void UpdatePartGuns(CVR3GAMEBattleSystemShip* d, CBattleSystemShipPart* part, std::size_t index);
    void CheckShipDeath(CVR3GAMEBattleMapShip* ship);

    Vorna3D::CDX9KelGameTimer* m_pGameTimer = nullptr;
    std::vector<std::string> m_stdvPlayerNames;
    std::vector<std::vector<CVR3GAMEBattleMapShip*>*> m_stdvShipLists;
    std::vector<RamRecord*> m_stdvActiveRams;
    std::vector<unsigned> m_stdvFreeRamSlots;
    std::vector<RamRecord*> m_stdvRamPool;
    std::vector<ShotRecord*> m_stdvActiveShots;
    std::vector<unsigned> m_stdvFreeShotSlots;
    std::vector<ShotRecord*> m_stdvShotPool;
};

// The heel (or trim) from the water of two sides of a ship of displacement
// D: half the arc cosine of the lighter over the heavier side, each with
// half the displacement; negative when b is lighter than a.
float ListAngle(float displacement, float a, float b);
// Whether a point of a part's side face lies in an armour zone (all bounds
// inclusive); false for a null zone.
bool IsPointInArmourRect(const CBattleFloatRect* rect, const D3DXVECTOR2& point);

} // namespace SeaBattle
