#pragma once
// The computer player's battle behaviour. On top of the base behaviour's
// targeting, withdrawal and map check it gives the player's three strongest
// columns a role each, ranks the enemy's columns by strength and every 10 s
// re-plans: roles whose column is gone or withdrawn are handed down, and
// each role column gets its orders from its role's tactic. Role 1 closes on
// the strongest enemy column, takes its flank and engages it; role 2
// supports role 1 from the other flank or takes on the second enemy column;
// role 3 is the reserve, astern of role 1 or against a weaker third column.
#include "platform/math/d3dx9math.h"
#include "seabattle/battle/CVR3GAMEComputerPlayerBaseBehaviour.h"

#include <cstdint>
#include <vector>

namespace SeaBattle {

class CVR3GAMEBattleMapPlayer;

struct EnemyColumnRecord {
    int32_t m_iIndex = -1;
    CVR3GAMEBattleMapShipsColumn* m_pColumn = nullptr; // not owned
    float m_fStrength = 0.0f;
    CVR3GAMEBattleMapShip* m_pLeadShip = nullptr; // not owned; null when the column is empty
    // The lead ship's world matrix moved on to where it is predicted to be.
    D3DXMATRIX m_mPredicted;
};

class CVR3GAMEComputerPlayerBehaviourOne : public CVR3GAMEComputerPlayerBaseBehaviour {
public:
    static constexpr DWORD kReplanPeriod = 10000;
    static constexpr float kPredictionTime = 10.0f;
    // Tactics: beyond this distance a column closes on its enemy.
    static constexpr float kClosingDistance = 45.0f;
    static constexpr float kFlankSpeed = 3.0f;
    static constexpr float kSideTolerance = 0.0872f;
    static constexpr float kReserveSideTolerance = 0.261799f;
    static constexpr float kStationAstern = 30.0f;
    static constexpr float kOwnAvoidDistance = 15.0f;
    static constexpr float kEnemyAvoidSquared = 900.0f;
    // The kind the director gives the standard behaviour.
    static constexpr int32_t kKindOne = 1;

    CVR3GAMEComputerPlayerBehaviourOne() = default;
    ~CVR3GAMEComputerPlayerBehaviourOne() override;

    void Proc() override;
    void Release() override;

    // Sets the behaviour up for the director's player: records for its
    // columns, the roles, the enemy's three strongest columns and the
    // columns' avoidance. False (logged) for a null director, or when the
    // roles or the enemy columns cannot be made (the director must have
    // exactly one enemy).
    bool Init(CVR3GAMEBattleMapPlayerDirector* pOwner);
    bool CreatePlayerColumnTypes();
    bool CreateEnemyColumnTypes();
    void SetColumnsAvoidance();

    // The re-plan steps, as Proc runs them.
    void PromoteRoles();
    void PredictEnemies();
    void RunRoleTactics();

    // The tactics of the three roles.
    void Role1Tactic();
    void Role2Tactic();
    void Role3Tactic();

    int32_t m_iKind = kKindOne;
    DWORD m_dwReplanPeriod = kReplanPeriod;
    DWORD m_dwLastReplan = 0;
    float m_fPredictionTime = kPredictionTime;
    BehaviourColumnRecord* m_pRole1 = nullptr;
    BehaviourColumnRecord* m_pRole2 = nullptr;
    BehaviourColumnRecord* m_pRole3 = nullptr;
    CVR3GAMEBattleMapPlayer* m_pEnemy = nullptr; // not owned
    EnemyColumnRecord* m_pEnemy1 = nullptr;
    EnemyColumnRecord* m_pEnemy2 = nullptr;
    EnemyColumnRecord* m_pEnemy3 = nullptr;
    // Other enemy records the behaviour keeps (none today); freed by Release.
    std::vector<EnemyColumnRecord*> m_stdvEnemyRecords;

private:
    bool CanAct(BehaviourColumnRecord* pRole);
    void EngagedManoeuvre(BehaviourColumnRecord* r, const EnemyColumnRecord* e, float d, float h);
    void FlankPoint(BehaviourColumnRecord* r, const EnemyColumnRecord* e, float sigma, float speed);
    void KeepStationAstern(BehaviourColumnRecord* r);
};

// The own movement column's maximum speed; 0 without a column.
float ColumnSpeed(const CVR3GAMEBattleMapShipsColumn* pColumn);
// The current speed of a ship's movement aspect; 0 without one.
float ShipSpeed(const CVR3GAMEBattleMapShip* pShip);

} // namespace SeaBattle
