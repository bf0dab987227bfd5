#pragma once
// The turn cycle of a campaign map: the player's phase, the computer's phase
// and the round result, the turn counter with the map's round count, the
// autosave rotation, and the counting rules that decide when a side is gone.
// The game map keeps one of these and drives it from its frame; everything
// here works on values the map hands in, so the cycle can be followed
// without a screen.
#include "campaign/data/CampaignRecords.h"

#include <cstdint>
#include <string>
#include <vector>

namespace VornaCampaign {

enum EGameMapGlobalState {
    GAME_MAP_GLOBAL_STATE_PLAYER = 0,
    GAME_MAP_GLOBAL_STATE_AI = 1,
    GAME_MAP_GLOBAL_STATE_ROUND_RESULT = 2,
};

// What the map waits for from the battle system.
enum EGameMapBattleWait {
    GAME_MAP_BATTLE_WAIT_NONE = 0,
    GAME_MAP_BATTLE_WAIT_BOMBARDMENT = 1,
    GAME_MAP_BATTLE_WAIT_ROUND_RESULT = 3,
};

// How a completed round result goes on.
enum ERoundOutcome {
    ROUND_OUTCOME_NEW_TURN = 0,
    ROUND_OUTCOME_END_MAP = 1,
};

struct CDX9KelGameMapTurn {
    std::uint32_t m_uRound = 1;
    std::uint32_t m_uRoundsCount = 100;
    int m_iGlobalState = GAME_MAP_GLOBAL_STATE_PLAYER;
    int m_iActivePlayerObject = -1;
    int m_iPlannedRoute = -1;
    int m_iBattleWait = GAME_MAP_BATTLE_WAIT_NONE;
    bool m_bContactReselect = false;
    float m_fTurnMoveLimit = 300.0f;
    std::uint32_t m_uAutosaveIndex = 0;
    bool m_bAutosave = true;

    // The end-turn order of the player: true when the phase passed to the
    // computer (no column moving and none able to move); false when the
    // player must finish the moves first.
    bool EndPlayerTurn(bool columnMoving, bool sideCanStillMove);
    // The computer's phase is over when its step reaches 4.
    void ProcAIState(int aiStep);
    // Starts the round result once: true when the caller must now start the
    // battle system's round calculation.
    bool BeginRoundResult();
    // The round result is complete (battle system idle, sinking list empty):
    // the counter advances and the player's phase comes back. The new turn
    // begins when the counter has not passed the round count and both sides
    // still have a unit; otherwise the map ends.
    ERoundOutcome FinishRoundResult(std::size_t side1Units, std::size_t side2Units);
    // The name of the next autosave, "autosave1" to "autosave3" in turn.
    std::string NextAutosaveName();
    // Back to the first turn of a new map; the autosave rotation goes on.
    void ResetForMap();

    // True when a column used up its movement for this turn.
    bool IsColumnFinished(float movementUsed) const { return movementUsed > m_fTurnMoveLimit - 8.0f; }
};

// Ships of a side that can still move: -1 for an empty list, otherwise the
// records whose movement-state record exists and is active.
int CalcShipsCount(const std::vector<GameObjectRecord*>& records);
// Units of a side that still count as present: a lost unit (battle data
// with the alive flag cleared) is gone even when it cannot sink and stays
// on the map; a unit without battle data counts as present.
std::size_t CountPresentUnits(const std::vector<GameObjectRecord*>& records);
// True when a unit of this name is on the list and still present.
bool IsUnitPresent(const std::vector<GameObjectRecord*>& records, const char* name);

// One frame of a destroyed unit's sinking. A flooded or capsized unit
// settles by f x 0.005 a frame and a capsized one rolls towards a bias of
// 2.0 (or -2.0) by f x 0.2 a frame. When the wave pass did not move the unit
// this frame its height is lowered directly by the same rate, so a unit far
// from the camera still goes down. True when the unit may be removed now: a
// destruction at once, a flooded or capsized unit once its height is no
// longer above -2.0.
bool SinkStep(int deathKind, float f, float& heightOffset, float& rollBias, float& worldHeight, bool movedByWaves);

} // namespace VornaCampaign
