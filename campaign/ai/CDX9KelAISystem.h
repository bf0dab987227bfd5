#pragma once
// The computer opponent of the campaign map: it plays the computer's side in
// the AI phase of every round and fires the coastal artillery of both sides.
//
// Its goals for a map come from the "Tasks" block of the map's parameter
// file. Its decisions (which enemy is most dangerous, which behaviour a ship
// takes, where it may fire from, which gun group fires next) are kept as
// operations over plain values, so that they give the same answer wherever
// the quantities come from.
#include "campaign/routes/CDX9KelSeaPath.h"
#include "campaign/data/CampaignRecords.h"
#include "campaign/map/IComputerPlayer.h"
#include "campaign/save/GameRunState.h"
#include "platform/math/d3dx9math.h"

#include <string>
#include <vector>

class TiXmlElement;

namespace Vorna2 {
class CDX9KelSceneObject;
}

namespace VornaCampaign {

class CDX9KelGameMap;
class CDX9KelColumnMovement;
class CDX9KelAnimatedModel;
struct GameColumnRecord;

// One unit of the computer's side and the enemy units it should prefer,
// earlier names first.
struct AIPurpose {
    AIPurpose();
    char m_szName[kRecordTextSize];
    std::vector<std::string> m_stdvTargets;
};

// One task of the "Tasks" block.
struct AITask {
    // 0 defence ("Defence"), 1 any other behaviour.
    int m_iBehaviourType = 1;
    D3DXVECTOR3 m_vRunawayPosition{0.0f, 0.0f, 0.0f};
    std::vector<AIPurpose> m_stdvPurposes;
};

// States of the coastal artillery.
enum EAIFortState {
    GAME_AI_COASTAL_ART_STATE_NONE = 0,
    GAME_AI_COASTAL_ART_STATE_SEL_OBJECT = 1,
    GAME_AI_COASTAL_ART_STATE_SEL_TARGET = 2,
    GAME_AI_COASTAL_ART_STATE_ATTACK = 3,
};

// States of the ship columns.
enum EAIShipState {
    GAME_AI_SHIPS_STATE_NONE = 0,
    GAME_AI_SHIPS_STATE_SEL_OBJECT = 1,
    GAME_AI_SHIPS_STATE_CHECK_COLUMN = 2,
    GAME_AI_SHIPS_STATE_CALC_RATING = 3,
    GAME_AI_SHIPS_STATE_SEL_BEHAVIOUR = 4,
    GAME_AI_SHIPS_STATE_MOV_POS = 5,
    GAME_AI_SHIPS_STATE_PATH_FIND = 6,
    GAME_AI_SHIPS_STATE_MOVEMENT = 7,
    GAME_AI_SHIPS_STATE_BOMBARDMENT = 8,
};

// Behaviours of a ship column.
enum EAIBehaviour {
    GAME_AI_SHIPS_BEHAVIOUR_FIRING_DISTANCE = 0,
    GAME_AI_SHIPS_BEHAVIOUR_RAM = 1,
    GAME_AI_SHIPS_BEHAVIOUR_RUNAWAY = 2,
    GAME_AI_SHIPS_BEHAVIOUR_DISTANT_FIGHT = 3,
};

// How dangerous one enemy unit is for the own ship.
struct AIDangerRating {
    Vorna2::CDX9KelSceneObject* m_pEnemyObject = nullptr;
    const GameObjectRecord* m_pEnemy = nullptr;
    // Map units; -1.0 when a matrix is missing.
    float m_fDistance = -1.0f;
    float m_fAverageArmour = 0.0f;
    float m_fCloseness = 0.0f;
    float m_fGunThreat = 0.0f;
    float m_fArmouredShare = 0.0f;
    // 1.0 for a unit without movement (a fort), 2.0 for a ship.
    float m_fKindWeight = 1.0f;
    float m_fTaskWeight = 0.0f;
    float m_fTotal = 0.0f;
};

// The quantities of one enemy that its rating is formed from.
struct AIEnemyFigures {
    std::string m_sName;
    float m_fDistance = -1.0f;
    int m_iGunCount = 0;
    // Damage and fall accuracy of its gun type; both 0 without a gun type.
    float m_fGunDamage = 0.0f;
    float m_fGunFallAccuracy = 0.0f;
    float m_fAverageArmour = 0.0f;
    // The second value of the armour summary: percent of armoured area.
    int m_iArmouredPercent = 0;
    bool m_bHasMovement = false;
};

// The quantities of an own ship that the behaviour choice is made from.
struct AIBehaviourFigures {
    bool m_bCanSink = true;
    int m_iConditionPercent = 100;
    int m_iFloodPercent = 0;
    bool m_bAnyGunCanShoot = true;
    std::size_t m_uColumnShips = 1;
    // Bearing from the ship to the rated enemy, radians.
    float m_fBearingToEnemy = 0.0f;
    float m_fEnemyDistance = 0.0f;
    float m_fEnemyRamDefence = 0.0f;
    float m_fRamAttack = 0.0f;
    float m_fColumnSpeed = 0.0f;
    bool m_bEnemyCanSink = true;
    // The distant-fight test: a large object near the enemy.
    bool m_bDistantFight = false;
};

// What the behaviour step decided.
struct AIBehaviourChoice {
    int m_iMode = GAME_AI_SHIPS_BEHAVIOUR_FIRING_DISTANCE;
    // The ship state to go on with: MOV_POS, PATH_FIND or BOMBARDMENT.
    int m_iNextState = GAME_AI_SHIPS_STATE_MOV_POS;
};

// Which position the route of a column was asked for.
enum EAIPathTarget {
    AI_PATH_TARGET_ENEMY = 0,     // a firing position, or the enemy itself when ramming
    AI_PATH_TARGET_FALLBACK = 1,  // the fallback firing position
    AI_PATH_TARGET_RUNAWAY = 2,   // the task's runaway position
};

// What the path-finding state does with the route finder's answer.
enum EAIPathAction {
    AI_PATH_ACTION_MOVE = 0,          // the column sails the route found
    AI_PATH_ACTION_NEXT_COLUMN,       // no time left: the next column
    AI_PATH_ACTION_NEXT_ENEMY,        // the next rated enemy is tried
    AI_PATH_ACTION_TRY_FALLBACK,      // the fallback position is tried
    AI_PATH_ACTION_BEE_LINE,          // straight moves are tried
    AI_PATH_ACTION_ERROR,             // the route finder failed
};

struct AIPathDecision {
    int m_iAction = AI_PATH_ACTION_MOVE;
    int m_iNextState = GAME_AI_SHIPS_STATE_MOVEMENT;
};

class CDX9KelAISystem : public IComputerPlayer {
public:
    // Hit chances in percent.
    static constexpr int kCloseRangeHitChance = 50;
    static constexpr int kArmouredHitChance = 75;
    static constexpr int kMinimumHitChance = 15;

    CDX9KelAISystem() = default;

    void SetGameMap(CDX9KelGameMap* map) { m_pGameMap = map; }
    // What the route searches and the firing positions test the sea with
    // (the map's obstacles), and the generator the routes are made in.
    void SetObstacles(ISeaObstacleQuery* obstacles, CDX9KelSeaPathGenerator* generator) {
        m_pObstacles = obstacles;
        m_Finder.m_pGenerator = generator;
    }
    CDX9KelGameMap* GetGameMap() const { return m_pGameMap; }
    bool PlaysOn(const CDX9KelGameMap* map) const override { return m_pGameMap == map; }

    // Appends the tasks of a "Tasks" block. False for a null element.
    bool LoadTasks(const TiXmlElement* tasks) override;
    // Forgets the tasks of the previous map; the map parameters reader runs
    // it before each map's block is read.
    void ClearTasks() override;
    const std::vector<AITask>& GetTasks() const { return m_stdvTasks; }
    // The task the computer plays with: the first for side 1, the last for
    // side 2. A map without tasks plays with the default task: behaviour 1,
    // no purposes, and `runaway` as its runaway position.
    const AITask& SelectTask(int computerSide, const D3DXVECTOR3& runaway);
    const AITask* GetActiveTask() const { return m_pActiveTask; }
    // The runaway position of the default task (the map area's centre).
    void SetDefaultRunaway(const D3DXVECTOR3& position) { m_DefaultTask.m_vRunawayPosition = position; }

    // The rating of one enemy unit at position `index` of `count` enemies,
    // for the own ship `ownName`; `span` is the diagonal of the map's box.
    AIDangerRating RateEnemy(const AIEnemyFigures& enemy, const std::string& ownName, std::size_t count,
                             float span) const;
    // Highest total first; equal totals keep their order.
    static void SortRatings(std::vector<AIDangerRating>& ratings);
    void ClearRatings() override;
    std::vector<AIDangerRating>& GetRatings() { return m_stdvRatings; }

    // The behaviour step for the rated enemy.
    static AIBehaviourChoice ChooseBehaviour(const AIBehaviourFigures& ship);
    // The hit chance a ship wants in the movement step: armoured ships want
    // more, a distant fight accepts the minimum.
    static int WantedHitChance(int mode, bool armoured);
    // The hit chance SelectBombardment accepts, a little below the wanted one.
    static int BombardmentThreshold(int mode, bool armoured);

    // The first gun group for an enemy at `bearing` (radians) from the ship,
    // -1 when none qualifies. The ship must have six hull parts.
    static int ChooseFirstGunGroup(const BattleDataBlock& ship, float bearing);
    // The group fired after `last` in a sequence that began with `first`;
    // -1 when the sequence is over. `last` -1 gives `first`.
    static int NextGunGroup(int first, int last);


    // A unit the coastal artillery step fires with: no movement block and no
    // movement-state record (not a ship), a side, and not lost.
    static bool IsFortCandidate(const GameObjectRecord& unit);
    // The tower group a fort fires at an accepted target with: tower 0 when
    // its first gun can shoot, is ready and has the bearing inside its zone,
    // else the same for tower 1; -1 when the hit chance is below the
    // minimum, the line is blocked, or no tower qualifies.
    static int ChooseFortGroup(const BattleDataBlock& fort, int hitChance, bool lineBlocked,
                               const bool towerZoneHolds[2]);

    // The passes over the computer's columns in one ship step. Another pass
    // is made only while a column that is not waiting still has movement
    // left and some column moved in the last pass, and at most
    // kMaxColumnPasses times: the phase always ends.
    static constexpr int kMaxColumnPasses = 3;
    void BeginColumnPasses(const std::vector<float>& movementUsed);
    bool DetectColumnsMoveOpportunity(const std::vector<float>& movementUsed, float turnMoveLimit);
    int GetColumnPasses() const { return m_iColumnPasses; }
    void SetWaitingColumn(int column) { m_iWaitingColumn = column; }
    int GetWaitingColumn() const { return m_iWaitingColumn; }

    // The path-finding state's answer to a route finder result, for a route
    // to `target`, with `enemiesLeft` rated enemies after the current one.
    static AIPathDecision DecidePathResult(int result, int target, bool enemiesLeft);

    // The AI phase's step machine, one call per frame of the AI phase.
    void ProcPhase() override;
    // The coastal artillery of the side whose lists are "own" in this step.
    void ProcForts() override;
    // The ship columns of the computer's side.
    void ProcShips() override;
    // During the ship step, the first ship of the active column (null when
    // none).
    GameObjectRecord* GetFollowedObject() const;
    Vorna2::CDX9KelSceneObject* GetFollowedSceneObject() const override;

    // The danger ratings of the enemy units for the own ship, highest first.
    bool CalcDangerRating(GameObjectRecord* own, Vorna2::CDX9KelSceneObject* ownObject);
    // A rated enemy and first gun group for the moving column's leader.
    bool SelectBombardment(GameColumnRecord* column);
    bool CanGroupFireNow(GameColumnRecord* column) const;
    // Fires the next group of the sequence; false when none is left.
    bool FireNextGroup(GameColumnRecord* column);
    int GetMode() const { return m_iMode; }
    // Counts for reports: bombardments ordered and route searches made.
    int m_iShotsOrdered = 0;
    int m_iRouteSearches = 0;
    int GetStep() const override { return m_iStep; }
    void SetStep(int step) override { m_iStep = step; }
    bool IsEnabled() const { return m_bEnabled != 0; }
    void SetEnabled(bool enabled) { m_bEnabled = enabled ? 1 : 0; }
    int GetFortState() const { return m_iFortState; }
    void SetFortState(int state) { m_iFortState = state; }
    int GetShipState() const { return m_iShipState; }
    void SetShipState(int state) { m_iShipState = state; }
    int GetActiveColumn() const override { return m_iActiveColumn; }
    // The side whose lists are "own" in the current step (1 or 2, 0 none).
    int GetOwnSide() const { return m_iOwnSide; }
    // Set when a unit of the computer's side was lost during its phase.
    bool m_bUnitLost = false;
    void NoteUnitLost() override { m_bUnitLost = true; }
    // The state machines' values as one line of text (state dumps); the
    // ratings are left out, the ship step makes them again.
    std::string DescribeState() const;
    // The values the state machines keep from frame to frame, for a save
    // that goes on where it was made; the ratings (which point at units) are
    // made again by the ship step and are dropped when the values are set.
    void GetRunState(RunStateAI& state) const;
    void SetRunState(const RunStateAI& state);

    // The column movement whose speed factor the ship step raises by 1.2;
    // every end of the phase, regular or not, puts back the factor it found.
    void SetColumnMovement(CDX9KelColumnMovement* movement) { m_pColumnMovement = movement; }
    // Leaves an unfinished phase: the factor it found comes back, both
    // state machines stop and the step is 4.
    void AbortPhase() override;

    // The side of the human player (1 or 2) and of the computer.
    void SetSides(int humanSide) { m_iHumanSide = humanSide; }
    int GetComputerSide() const { return m_iHumanSide == SIDE_1 ? SIDE_2 : SIDE_1; }

private:
    void RestoreSpeedFactor();
    std::vector<float> OwnColumnTimes() const;
    bool StartColumnMove(GameColumnRecord* column, int route);
    // Straight moves over half the time left: ahead, then turning right,
    // then left; false when every one is blocked.
    bool TryStraightMove(GameColumnRecord* column);

    std::uint8_t m_bEnabled = 1;
    CDX9KelGameMap* m_pGameMap = nullptr;
    std::vector<AITask> m_stdvTasks;
    AITask m_DefaultTask;
    const AITask* m_pActiveTask = nullptr;
    int m_iStep = GAME_AI_STEP_START;
    int m_iActiveColumn = -1;
    int m_iFortIndex = -1;
    int m_iTargetIndex = 0;
    int m_iOwnSide = 0;
    int m_iHumanSide = SIDE_1;
    int m_iFortState = GAME_AI_COASTAL_ART_STATE_NONE;
    int m_iShipState = GAME_AI_SHIPS_STATE_NONE;
    int m_iWaitingColumn = -1;
    int m_iColumnPasses = 0;
    std::vector<float> m_stdvPassStartUsed;
    CDX9KelColumnMovement* m_pColumnMovement = nullptr;
    float m_fPhaseSpeedFactor = 0.0f;
    bool m_bSpeedRaised = false;
    // The text of the last "BehaviourType" read; a task without one keeps it.
    std::string m_sBehaviourText;
    std::vector<AIDangerRating> m_stdvRatings;
    // Coastal artillery: enemies by distance (farthest first), the chosen
    // enemy and tower, and the attack's step.
    std::vector<int> m_stdvTargets;
    int m_iFortGroup = -1;
    int m_iFortTarget = -1;
    int m_iFortAttackStep = -1;
    // Ship columns: behaviour, the gun sequence, the groups fired in the
    // column's move, and where its route goes.
    int m_iMode = GAME_AI_SHIPS_BEHAVIOUR_FIRING_DISTANCE;
    int m_iShipGroup = -1;
    int m_iLastShipGroup = -1;
    int m_iBombardEntry = -1;
    std::vector<int> m_stdvFiredGroups;
    D3DXVECTOR3 m_vTarget{0.0f, 0.0f, 0.0f};
    D3DXVECTOR3 m_vFallback{0.0f, 0.0f, 0.0f};
    int m_iPathTarget = AI_PATH_TARGET_ENEMY;
    ISeaObstacleQuery* m_pObstacles = nullptr;
    CDX9KelSeaPathFinder m_Finder{nullptr};
};

// The one AI of the campaign program.
extern CDX9KelAISystem g_AISystem;

} // namespace VornaCampaign
