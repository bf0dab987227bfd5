#pragma once
// What the game map asks of the computer player: the map runs the
// computer's phase through it frame by frame, and tells it when a map's
// tasks come and go, when a unit is lost and when a phase is broken off.
// The computer player sits above the map and answers to this; the game
// scene hands it to the map before the map loads.
class TiXmlElement;

namespace Vorna2 {
class CDX9KelSceneObject;
} // namespace Vorna2

namespace VornaCampaign {

class CDX9KelGameMap;

// Steps of the computer's phase.
enum EAIPhaseStep {
    GAME_AI_STEP_START = 0,
    GAME_AI_STEP_FORTS_FIRST = 1,
    GAME_AI_STEP_FORTS_SECOND = 2,
    GAME_AI_STEP_SHIPS = 3,
    GAME_AI_STEP_DONE = 4,
};

class IComputerPlayer {
public:
    virtual ~IComputerPlayer() = default;

    // Whether it plays on `map` (a computer player plays one map at a time).
    virtual bool PlaysOn(const CDX9KelGameMap* map) const = 0;
    // The phase's step machine, the coastal artillery and the ship columns:
    // one call each per frame of the computer's phase.
    virtual void ProcPhase() = 0;
    virtual void ProcForts() = 0;
    virtual void ProcShips() = 0;
    virtual int GetStep() const = 0;
    virtual void SetStep(int step) = 0;
    // During the ship step, the first ship of the active column (null when
    // none), and that column's index in the computer's list (-1 when none).
    virtual Vorna2::CDX9KelSceneObject* GetFollowedSceneObject() const = 0;
    virtual int GetActiveColumn() const = 0;
    // The phase is left: what it changed is put back.
    virtual void AbortPhase() = 0;
    // A unit of either side was lost in this phase.
    virtual void NoteUnitLost() = 0;
    virtual void ClearRatings() = 0;
    // The map's tasks for the computer ("Tasks" of the map parameters).
    virtual bool LoadTasks(const TiXmlElement* tasks) = 0;
    virtual void ClearTasks() = 0;
};

} // namespace VornaCampaign
