#pragma once
// Column movement on the campaign map: the leading ship of a moving column
// follows its route's way points frame by frame, every other ship follows
// the ship ahead of it at station distance.
#include "campaign/routes/CDX9KelSeaPath.h"
#include "campaign/data/CampaignRecords.h"

#include <vector>

namespace Vorna2 {
class CDX9KelSceneObject;
}

namespace VornaCampaign {

// A ship of a column: its world matrix and its movement block (either may
// be missing for a ship without movement data).
struct ColumnShip {
    D3DXMATRIX* m_pWorld = nullptr;
    const MovementBlock* m_pMovement = nullptr;
    // The ship on the map (null outside a map).
    Vorna2::CDX9KelSceneObject* m_pSceneObject = nullptr;
    GameObjectRecord* m_pObject = nullptr;
};

// A column on the map: ship identifiers and the parallel ship list, leader
// first, the three movement limits taken from its ships (speed, turn rate,
// acceleration), its current speed and the movement time used this turn.
struct GameColumnRecord {
    std::vector<int> m_Ids;
    std::vector<ColumnShip> m_Ships;
    float m_fSpeedLimit = 0.0f;
    float m_fTurnLimit = 0.0f;
    float m_fAccelerationLimit = 0.0f;
    float m_fCurrentSpeed = 0.0f;
    float m_fTimeUsed = 0.0f;
    float m_fRudder = 0.0f;
    float m_fOrderedSpeed = 0.0f;
    // The column's own speed (from the map file or the save), capped by its
    // slowest ship, and three quarters of the speed limit.
    float m_fStoredSpeed = 0.0f;
    float m_fReducedSpeed = 0.0f;
};

void InitColumnRecord(GameColumnRecord* column);
void ReleaseColumnRecord(GameColumnRecord* column);
// The limits become the smallest values of the ships with movement data; the
// current speed is lowered to the speed limit.
void UpdateColumnLimits(GameColumnRecord* column);

enum ERemoveShipResult : int {
    REMOVE_SHIP_REFUSED = 0,   // identifier 0, no column, or the ship is alone in its column
    REMOVE_SHIP_REMOVED = 1,
    REMOVE_SHIP_NOT_FOUND = 2, // the column does not hold the ship; nothing changed
};
int RemoveShipFromColumn(int id, GameColumnRecord* column);

struct ColumnMoveEntry {
    SeaPathHandle m_Route; // shared: clearing the generator keeps it alive
    GameColumnRecord* m_pColumn = nullptr;
    float m_fTravelled = 0.0f;
    float m_fProgress = 0.0f;
    float m_fPreviousProgress = 0.0f;
    float m_fReserved = 1000.0f;
};

class CDX9KelColumnMovement {
public:
    float m_fSpeedFactor = 0.045f;
    float m_fSpacing = 10.0f;
    bool m_bMoving = false;
    std::vector<ColumnMoveEntry> m_Entries;
    float m_fRelationRange = 20.0f;
    float m_fRelationHalfAngle = 0.78f;
    bool m_bPaused = false;

    bool AddColumn(GameColumnRecord* column, const CDX9KelSeaPathGenerator& generator, int routeIndex);
    // One frame at frame-time factor f (the frame's length in nominal frames).
    void Update(float f);
    // 1 moved or waited, -1 off the route (finished, no ships or overrun), 0
    // nothing to do this frame.
    int StepColumn(ColumnMoveEntry& entry, float f);
    static void ResetColumnsForTurn(const std::vector<GameColumnRecord*>& columns);
    void SetSpeedFactor(float value);
    // 0 not related, 1 b behind a, 2 b ahead of a.
    int ClassifyRelativePosition(const D3DXMATRIX* a, const D3DXMATRIX* b) const;

    // The distance at which a follower waits behind the ship ahead: the
    // spacing, or more where the two hulls would touch at it.
    float StationDistance(const ColumnShip& follower, const ColumnShip& ahead) const;
    static constexpr float kStationMargin = 1.5f;

    // Lines the movement writes to the log are counted here too.
    int m_iOverruns = 0;
};

// The campaign's one column movement, stepped once per frame.
extern CDX9KelColumnMovement g_ColumnMovement;

} // namespace VornaCampaign
