#pragma once
// Where a computer ship may fire from: a free point on the circle of the
// firing distance around the enemy, and a second free point near it to fall
// back on.
#include "campaign/routes/CDX9KelSeaPath.h"
#include "platform/math/d3dx9math.h"

namespace VornaCampaign {

// The map area a position must lie in (x and z only).
struct MapArea {
    float m_fMinX = 0.0f, m_fMinZ = 0.0f, m_fMaxX = 0.0f, m_fMaxZ = 0.0f;
    bool Contains(float x, float z) const { return x >= m_fMinX && x <= m_fMaxX && z >= m_fMinZ && z <= m_fMaxZ; }
};

// Distances above this give no firing position.
constexpr float kMaxFiringDistance = 1000.0f;

// The candidates start a quarter turn from the direction of the own ship
// as seen from the enemy and go round in steps of 30 degrees, at most 12; a
// candidate is free when a sphere of half the route step at height 0 hits
// nothing, and it must lie in `area` unless `area` is null (running away).
// `position` gets height -1.0 when no candidate is free, and stays at
// (-100, -100, -100) when the distance is too large or the query missing.
// The fallback is the first free point of up to six tries 30, 60 and 90
// degrees either side of the position, else the own ship's centre.
void CalcFiringPosition(const D3DXVECTOR3& enemyCentre, const D3DXVECTOR3& ownCentre, float distance,
                        ISeaObstacleQuery* query, float routeStep, const MapArea* area, D3DXVECTOR3* position,
                        D3DXVECTOR3* fallback);

} // namespace VornaCampaign
