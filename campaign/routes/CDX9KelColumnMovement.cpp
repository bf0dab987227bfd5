#include "campaign/routes/CDX9KelColumnMovement.h"

#include "engine2/core/scene/CDX9KelSceneObject.h"
#include "engine2/core/scene/CDXSceneTree.h"

#include "engine2/core/CDX9KelLog.h"
#include "engine2/world/physics/CDX9KelPhysicalManager.h"

#include <algorithm>
#include <cmath>

namespace VornaCampaign {

CDX9KelColumnMovement g_ColumnMovement;

namespace {

float PlaneDistance(const D3DXMATRIX& a, const D3DXMATRIX& b) { return std::hypot(a._41 - b._41, a._43 - b._43); }

void MoveAlongHeading(D3DXMATRIX& m, float length) {
    const D3DXVECTOR3 h = SeaHeading(m);
    m._41 += h.x * length;
    m._43 += h.z * length;
}

} // namespace

float CDX9KelColumnMovement::StationDistance(const ColumnShip& follower, const ColumnShip& ahead) const {
    // Hulls longer than the spacing would touch at it: the follower keeps
    // its bow clear of the stern ahead by a margin.
    const float reach = Vorna2::CDX9KelPhysicalManager::HullReach(follower.m_pSceneObject) +
                        Vorna2::CDX9KelPhysicalManager::HullReach(ahead.m_pSceneObject);
    return reach > 0.0f ? std::max(m_fSpacing, reach + kStationMargin) : m_fSpacing;
}

void InitColumnRecord(GameColumnRecord* column) {
    if (column) *column = GameColumnRecord{};
}

void ReleaseColumnRecord(GameColumnRecord* column) {
    if (!column) return;
    column->m_Ids.clear();
    column->m_Ships.clear();
}

void UpdateColumnLimits(GameColumnRecord* column) {
    if (!column || column->m_Ships.empty()) return;
    column->m_fSpeedLimit = column->m_fTurnLimit = column->m_fAccelerationLimit = 1000.0f;
    for (const ColumnShip& ship : column->m_Ships) {
        if (!ship.m_pMovement) continue;
        column->m_fSpeedLimit = std::min(column->m_fSpeedLimit, ship.m_pMovement->m_fSpeedLimit);
        column->m_fTurnLimit = std::min(column->m_fTurnLimit, ship.m_pMovement->m_fRotationAngle);
        column->m_fAccelerationLimit = std::min(column->m_fAccelerationLimit, ship.m_pMovement->m_fAcceleration);
    }
    column->m_fCurrentSpeed = std::min(column->m_fCurrentSpeed, column->m_fSpeedLimit);
}

int RemoveShipFromColumn(int id, GameColumnRecord* column) {
    if (id == 0 || !column || column->m_Ids.size() == 1) return REMOVE_SHIP_REFUSED;
    const auto it = std::find(column->m_Ids.begin(), column->m_Ids.end(), id);
    if (it == column->m_Ids.end()) return REMOVE_SHIP_NOT_FOUND;
    const size_t at = static_cast<size_t>(it - column->m_Ids.begin());
    column->m_Ids.erase(it);
    if (at < column->m_Ships.size()) column->m_Ships.erase(column->m_Ships.begin() + static_cast<long>(at));
    UpdateColumnLimits(column);
    return REMOVE_SHIP_REMOVED;
}

bool CDX9KelColumnMovement::AddColumn(GameColumnRecord* column, const CDX9KelSeaPathGenerator& generator,
                                      int routeIndex) {
    if (!column || !generator.IsValid(routeIndex)) return false;
    for (const ColumnMoveEntry& e : m_Entries)
        if (e.m_pColumn == column) return true;
    ColumnMoveEntry entry;
    entry.m_Route = generator.Get(routeIndex);
    entry.m_Route->m_bOpen = false;
    entry.m_pColumn = column;
    m_Entries.push_back(entry);
    return true;
}

void CDX9KelColumnMovement::Update(float f) {
    if (m_bPaused) return;
    if (m_Entries.empty()) {
        m_bMoving = false;
        return;
    }
    m_bMoving = true;
    for (size_t i = 0; i < m_Entries.size();) {
        const int stepped = StepColumn(m_Entries[i], f);
        // Ships on the map moved: the scene tree and the physical manager
        // (which tests moved objects for contacts) learn of it.
        if (stepped != 0 && m_Entries[i].m_pColumn)
            for (const ColumnShip& ship : m_Entries[i].m_pColumn->m_Ships) {
                if (!ship.m_pSceneObject) continue;
                ship.m_pSceneObject->m_bMoved = true;
                if (Vorna2::g_pSceneTree && Vorna2::g_pSceneTree->IsMade()) Vorna2::g_pSceneTree->MoveSceneObject(ship.m_pSceneObject);
            }
        if (stepped == -1)
            m_Entries.erase(m_Entries.begin() + static_cast<long>(i));
        else
            ++i;
    }
}

int CDX9KelColumnMovement::StepColumn(ColumnMoveEntry& entry, float f) {
    if (!entry.m_pColumn || !entry.m_Route) return 0;
    GameColumnRecord& column = *entry.m_pColumn;
    SeaPath& route = *entry.m_Route;
    if (column.m_Ships.empty() || route.m_WayPoints.empty()) return -1;
    if (f > 20.0f) return 0;
    float s = f * m_fSpeedFactor;

    for (size_t i = 0; i < column.m_Ships.size(); ++i) {
        D3DXMATRIX* ship = column.m_Ships[i].m_pWorld;
        if (!ship) continue;
        if (i == 0) {
            if (route.m_WayPoints.empty()) break;
            SeaWayPoint& wp = route.m_WayPoints.front();
            const float d = PlaneDistance(*ship, wp.m_mPlacement);
            if (d < 4.0f) wp.m_bVisible = false;
            const bool validSegment = wp.m_iSegment >= 0 && wp.m_iSegment < static_cast<int>(route.m_Segments.size());
            SeaPathSegment* seg = validSegment ? &route.m_Segments[static_cast<size_t>(wp.m_iSegment)] : nullptr;
            const bool endsTurn = seg && std::fabs(seg->m_fTurnRate) > 0.0001f;
            if (d < s || (endsTurn && d < 1.6f * s)) {
                entry.m_fTravelled += d;
                s = d;
                const float height = ship->_42;
                *ship = wp.m_mPlacement;
                ship->_42 = height;
                route.m_WayPoints.erase(route.m_WayPoints.begin());
                entry.m_fProgress = route.m_fTime;
                // At the route's end its whole time counts as used: a route
                // planned for the time left uses all of it, and the column
                // is not left a sliver of its turn that no order can fill.
                const float dt = entry.m_fProgress - entry.m_fPreviousProgress;
                if (route.m_WayPoints.empty() && dt > 0.0f) {
                    column.m_fTimeUsed += dt;
                    if (seg) seg->m_fSpent += dt;
                    entry.m_fPreviousProgress = entry.m_fProgress;
                }
            } else if (seg && seg->m_fSpent > 1.4f * seg->m_fTime) {
                Vorna2::g_Log.Write(5, "-------------------------------------!!!!!!!!!!!!!!!!-----TELEPORT---------------------------------\n");
                ++m_iOverruns;
                entry.m_fProgress = route.m_fTime;
                return -1;
            } else {
                entry.m_fTravelled += s;
                entry.m_fProgress =
                    route.m_fLength > 0.0f ? entry.m_fTravelled / route.m_fLength * route.m_fTime : route.m_fTime;
                const float dt = entry.m_fProgress - entry.m_fPreviousProgress;
                column.m_fTimeUsed += dt;
                if (seg) seg->m_fSpent += dt;
                entry.m_fPreviousProgress = entry.m_fProgress;
                if (seg && std::fabs(seg->m_fTurnRate) > 0.0001f) {
                    const float radius = 0.054f * seg->m_fStartSpeed / std::fabs(seg->m_fTurnRate);
                    if (radius > 0.0f) {
                        D3DXVECTOR3 side(ship->_11, 0.0f, ship->_13);
                        const float len = std::hypot(side.x, side.z);
                        if (len > 0.0f) side /= len;
                        const float sign = seg->m_fTurnRate >= 0.0f ? 1.0f : -1.0f;
                        const float cx = ship->_41 - sign * radius * side.x, cz = ship->_43 - sign * radius * side.z;
                        const float height = ship->_42;
                        *ship = SeaRotateAbout(*ship, cx, cz, sign * s / radius);
                        ship->_42 = height;
                    } else {
                        MoveAlongHeading(*ship, s);
                    }
                } else {
                    MoveAlongHeading(*ship, s);
                    if (seg && seg->m_fSpeed > seg->m_fStartSpeed)
                        column.m_fCurrentSpeed += dt * column.m_fAccelerationLimit;
                    else if (seg && seg->m_fSpeed < seg->m_fStartSpeed)
                        column.m_fCurrentSpeed = std::max(0.0f, column.m_fCurrentSpeed - dt * 0.009f);
                }
            }
        } else {
            const D3DXMATRIX* ahead = column.m_Ships[i - 1].m_pWorld;
            const float d = ahead ? PlaneDistance(*ship, *ahead) : -1.0f;
            const float station = StationDistance(column.m_Ships[i], column.m_Ships[i - 1]);
            if (d < station) continue;
            const float v = d > 1.5f * station ? 1.5f * s : s;
            // Turn so as to meet the ship ahead in n steps; a follower that
            // would close within one step turns straight towards it.
            const float a = SeaAngleTo(*ship, ahead->_41, ahead->_43);
            const int n = v > 0.0f ? static_cast<int>(d / v) : 1;
            const float turn = n >= 1 ? 2.0f * a / static_cast<float>(n) : a;
            const float height = ship->_42;
            *ship = SeaRotateAbout(*ship, ship->_41, ship->_43, turn);
            ship->_42 = height;
            MoveAlongHeading(*ship, v);
        }
    }
    return 1;
}

void CDX9KelColumnMovement::ResetColumnsForTurn(const std::vector<GameColumnRecord*>& columns) {
    for (GameColumnRecord* c : columns) {
        if (!c) continue;
        c->m_fTimeUsed = 0.0f;
        if (c->m_fCurrentSpeed < 0.0f) c->m_fCurrentSpeed = 0.0f;
    }
}

void CDX9KelColumnMovement::SetSpeedFactor(float value) { m_fSpeedFactor = std::clamp(value, 0.02f, 0.15f); }

int CDX9KelColumnMovement::ClassifyRelativePosition(const D3DXMATRIX* a, const D3DXMATRIX* b) const {
    if (!a || !b) return 0;
    const float d = PlaneDistance(*a, *b);
    if (d > m_fRelationRange) return 0;
    const float angle = SeaAngleTo(*a, b->_41, b->_43);
    const float pi = 3.14159265f;
    if (angle > -m_fRelationHalfAngle && angle < m_fRelationHalfAngle) return 2;
    if (angle < m_fRelationHalfAngle - pi || angle > pi - m_fRelationHalfAngle) return 1;
    return 0;
}

} // namespace VornaCampaign
