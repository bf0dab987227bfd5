#pragma once
// The common part of a battle player's intelligence. It runs three timed
// tasks, at most one per frame: every 20 s it gives every ship its artillery
// targets (the nearest enemies first), every 20 s it takes ships that can no
// longer fight out of their columns and sends them to the player's runaway
// point, and every 2 s it brings back columns that strayed outside the
// player's battle borders. It keeps one record per column it manages, taken
// from a pool. The computer director's behaviour derives from it; the human
// director uses it as it is for the human's columns.
#include "platform/os/WinTypes.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace SeaBattle {

class CVR3GAMEBattleMapPlayer;
class CVR3GAMEBattleMapPlayerDirector;
class CVR3GAMEBattleMapShip;
class CVR3GAMEBattleMapShipsColumn;

// What a column record is doing.
enum EBehaviourColumnKind : int32_t {
    COLUMN_FIGHTING = 0,
    COLUMN_WITHDRAWN = 1,
    COLUMN_RETURNING = 2,
    // Set by the computer's role tactics.
    COLUMN_CLOSING_ENEMY1 = 4,
    COLUMN_ENGAGING_ENEMY1 = 5,
    COLUMN_CLOSING_ENEMY2 = 6,
    COLUMN_ENGAGING_ENEMY2 = 7,
};

// Battle-log entry kinds the behaviour writes: why a ship was withdrawn, a
// withdrawn ship leaving the battle, a column straying off the battlefield.
enum EBehaviourLogKind : int32_t {
    LOG_WITHDRAWN_DAMAGE = 1,
    LOG_WITHDRAWN_WATER = 2,
    LOG_WITHDRAWN_FIRE = 3,
    LOG_WITHDRAWN_HEEL = 4,
    LOG_WITHDRAWN_GUNPOWDER = 5,
    LOG_LEFT_BATTLE = 6,
    LOG_COLUMN_STRAYED = 7,
};

struct BehaviourColumnRecord {
    static constexpr float kDefaultBattleDistance = 8.0f;

    int32_t m_iKind = COLUMN_FIGHTING;
    CVR3GAMEBattleMapShipsColumn* m_pColumn = nullptr; // not owned
    float m_fStrength = 0.0f;
    float m_fColumnBattleDistance = kDefaultBattleDistance;
    float m_fSquaredDistance = 0.0f; // scratch of the targets task
    // Kept by the computer's role tactics.
    CVR3GAMEBattleMapShip* m_pLeadShip = nullptr; // not owned
    CVR3GAMEBattleMapShip* m_pRearShip = nullptr; // not owned
    float m_fD1 = 0.0f, m_fH1 = 0.0f, m_fG1 = 0.0f;
    float m_fD2 = 0.0f, m_fH2 = 0.0f, m_fG2 = 0.0f;
    float m_fD3 = 0.0f, m_fH3 = 0.0f, m_fG3 = 0.0f;
    float m_fTargetX = -1000.0f, m_fTargetZ = -1000.0f;
};

class CVR3GAMEComputerPlayerBaseBehaviour {
public:
    static constexpr DWORD kWithdrawalPeriod = 20000;
    static constexpr DWORD kTargetingPeriod = 20000;
    static constexpr DWORD kMapCheckPeriod = 2000;
    static constexpr unsigned kPoolSize = 15;
    // Targets: the sphere searched is the column battle distance times this,
    // and the least hit chance a gun waits for.
    static constexpr float kSearchFactor = 3.0f;
    static constexpr float kMinHitProbability = 25.0f;
    // Two enemies whose squared distances differ by less than this are
    // ordered by their ratings, the weaker first.
    static constexpr float kDistanceTie = 4.0f;
    // A ship is unfit to fight from these on.
    static constexpr float kUnfitDamage = 60.0f;
    static constexpr float kUnfitWater = 35.0f;
    static constexpr float kUnfitHeel = 0.349f;
    static constexpr float kUnfitFire = 60.0f;

    CVR3GAMEComputerPlayerBaseBehaviour() = default;
    virtual ~CVR3GAMEComputerPlayerBaseBehaviour();
    CVR3GAMEComputerPlayerBaseBehaviour(const CVR3GAMEComputerPlayerBaseBehaviour&) = delete;
    CVR3GAMEComputerPlayerBaseBehaviour& operator=(const CVR3GAMEComputerPlayerBaseBehaviour&) = delete;

    // Per frame: runs the first due task, if any.
    virtual void Proc();
    // Deletes every record of the three lists (and of the retired list).
    virtual void Release();

    // Adds kPoolSize new records to the pool.
    void CreateIntellColumnsPool();
    // The last record of the pool, reset; a new one when the pool is empty.
    BehaviourColumnRecord* GetFreeIntellColumn();
    // A fighting record for every column of the player, in order. False for
    // a null player.
    bool Init(CVR3GAMEBattleMapPlayer* pPlayer);
    // Each record's strength from its ships' ratings, then the records
    // ordered strongest first.
    void ComputeColumnStrengths();
    void SortColumnsByStrength();

    // The tasks, as Proc runs them.
    void TargetsTask();
    void WithdrawalTask();
    void MapCheckTask();

    // A column's strength: per ship ArmourRating x 200 + ArtilleryRating.
    static float ColumnStrength(const CVR3GAMEBattleMapShipsColumn* pColumn);
    // Whether a ship can no longer fight; the log kind of the first rule
    // that holds, or 0 when none does.
    static int32_t UnfitKind(const CVR3GAMEBattleMapShip* pShip);
    // Orders enemies (ship, squared distance) by the pairwise rule: nearer
    // first, unless the distances lie within kDistanceTie, then the weaker
    // first. The rule is not transitive, so the order comes from an
    // insertion sort that applies it pair by pair, never from a library sort.
    static void SortEnemies(std::vector<std::pair<CVR3GAMEBattleMapShip*, float>>& enemies);

    DWORD Now() const;
    CVR3GAMEBattleMapPlayer* GetPlayer() const;

    CVR3GAMEBattleMapPlayerDirector* m_pOwner = nullptr; // not owned
    DWORD m_dwStartTime = 0;
    DWORD m_dwWithdrawalPeriod = kWithdrawalPeriod;
    DWORD m_dwLastWithdrawal = 0;
    DWORD m_dwTargetingPeriod = kTargetingPeriod;
    DWORD m_dwLastTargeting = 0;
    DWORD m_dwMapCheckPeriod = kMapCheckPeriod;
    DWORD m_dwLastMapCheck = 0;
    std::vector<BehaviourColumnRecord*> m_stdvColumns;
    std::vector<BehaviourColumnRecord*> m_stdvWithdrawnColumns;
    std::vector<BehaviourColumnRecord*> m_stdvFreeColumns;
    // Records of single-ship columns whose ship was withdrawn: out of every
    // list, but still pointed at by the roles until the next re-plan, so
    // they are kept until Release.
    std::vector<BehaviourColumnRecord*> m_stdvRetiredColumns;
    float m_fColumnBattleDistance = BehaviourColumnRecord::kDefaultBattleDistance;
    float m_fWithdrawalX = 0.0f, m_fWithdrawalZ = 0.0f;
    std::vector<std::pair<CVR3GAMEBattleMapShip*, float>> m_stdvEnemies;
    bool m_bWithdrawalEnabled = true;
    bool m_bTargetingEnabled = true;
    bool m_bMapCheckEnabled = true;
    // Ships withdrawn and not yet taken up by the battle HUD.
    int32_t m_iWithdrawnCount = 0;

private:
    void AssignTargets(CVR3GAMEBattleMapShip* pShip, float battleDistance);
    bool WithdrawShip(CVR3GAMEBattleMapShip* pShip, int32_t logKind);
    void ReturnToPool(BehaviourColumnRecord* pRecord);
};

// Whether a point lies outside the player's battle borders (x and z).
bool IsOutsideBattleBorders(const CVR3GAMEBattleMapPlayer* pPlayer, float x, float z);

} // namespace SeaBattle
