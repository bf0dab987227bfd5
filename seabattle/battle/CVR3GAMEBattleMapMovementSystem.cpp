#include "seabattle/battle/CVR3GAMEBattleMapMovementSystem.h"

#include "engine3/core/CDX9KelGameTimer.h"
#include "engine3/core/CDX9KelLog.h"
#include "engine3/core/scene/CDX9KelSceneObject.h"
#include "engine3/core/scene/Geometry.h"
#include "platform/os/Clock.h"
#include "seabattle/battle/CVR3GAMEBattleMapShip.h"
#include "seabattle/battle/CVR3GAMEBattleMapShipsColumn.h"
#include "seabattle/battle/CVR3GAMEMovementShip.h"

#include <algorithm>
#include <cmath>

using Vorna3D::g_Log;
using Vorna3D::LOG_ERROR;

namespace SeaBattle {

bool CVR3GAMEBattleMapMovementSystem::Init(std::vector<CVR3GAMEBattleMapShipsColumn*>* pColumns,
                                           Vorna3D::CDX9KelGameTimer* pTimer) {
    if (!pColumns) return false;
    m_pColumns = pColumns;
    m_pGameTimer = pTimer;
    m_bGameClock = pTimer != nullptr;
    return true;
}

void CVR3GAMEBattleMapMovementSystem::Proc() {
    const DWORD now = (m_bGameClock && m_pGameTimer) ? m_pGameTimer->GetTime() : timeGetTime();
    if (m_dwLastTime == 0 || static_cast<DWORD>(now - m_dwLastTime) > kGapLimit) {
        // Neither integrated nor counted as a step: both step clocks move on
        // by the gap (on the first frame they start from now).
        const DWORD gap = now - m_dwLastTime;
        m_dwLastPhysicsTime += gap;
        m_dwLastPlanningTime += gap;
        m_dwLastTime = now;
    }
    int mode = -1;
    if (m_dwLastPlanningTime == 0 || m_dwLastPlanningTime + m_dwPlanningInterval <= now) {
        m_dwLastPlanningTime = now;
        mode = 1;
    } else if (m_dwLastPhysicsTime == 0 || m_dwLastPhysicsTime + m_dwPhysicsInterval <= now) {
        m_dwLastPhysicsTime = now;
        mode = 0;
    }
    const float dt = static_cast<float>(static_cast<DWORD>(now - m_dwLastTime)) * 0.001f;
    m_dwLastTime = now;
    m_iLastMode = mode;
    m_fLastStep = dt;
    if (!m_pColumns) return;
    for (CVR3GAMEBattleMapShipsColumn* c : *m_pColumns)
        if (c) c->Proc(mode, dt);
}

namespace {
// 0 unrelated, 1 b astern of a, 2 b ahead of a.
int Placement(const D3DXMATRIX& a, const D3DXMATRIX& b) {
    if (Vorna3D::GetSquaredDistanceBetweenMatrices(&a, &b) > 289.0f) return 0;
    const D3DXVECTOR2 pa(a._41, a._43);
    const float angle = std::fabs(Vorna3D::GetHeadingAngleToPoint2D(&b, &pa));
    if (angle <= 0.7853982f) return 1;
    if (angle >= 3.14159265f - 0.7853982f) return 2;
    return 0;
}
} // namespace

bool CVR3GAMEBattleMapMovementSystem::CreateShipsColumnsUsingPositions(std::vector<CVR3GAMEBattleMapShip*>* pShips) {
    if (!pShips || pShips->empty()) return true;
    if (!m_pColumns) return false;
    if (!m_pColumns->empty()) {
        g_Log.Write(LOG_ERROR, "CVR3GAMEBattleMapMovementSystem::CreateShipsColumnsUsingPositions() : columns already created\n");
        return false;
    }
    std::vector<CVR3GAMEBattleMapShip*>& ships = *pShips;
    for (CVR3GAMEBattleMapShip* a : ships) {
        if (!a) {
            g_Log.Write(LOG_ERROR, "CVR3GAMEBattleMapMovementSystem::CreateShipsColumnsUsingPositions() : pBattleMapShip1 == NULL\n");
            return false;
        }
        if (!a->m_pMovementShip || !a->m_pSceneObject) {
            g_Log.Write(LOG_ERROR, "CVR3GAMEBattleMapMovementSystem::CreateShipsColumnsUsingPositions() : pBattleMapShip2 not have correct data\n");
            return false;
        }
        if (!a->m_pColumn) {
            auto* column = new CVR3GAMEBattleMapShipsColumn;
            column->AddShip(a, -1, false);
        }
        CVR3GAMEBattleMapShipsColumn* mine = a->m_pColumn;
        for (CVR3GAMEBattleMapShip* b : ships) {
            if (!b) return false;
            if (!b->m_pSceneObject || !b->m_pMovementShip) {
                g_Log.Write(LOG_ERROR, "CVR3GAMEBattleMapMovementSystem::CreateShipsColumnsUsingPositions() : pBattleMapShip2 not have correct data\n");
                return false;
            }
            if (b == a || b->m_pColumn == mine) continue;
            const int placement = Placement(a->m_pSceneObject->m_mWorld, b->m_pSceneObject->m_mWorld);
            if (placement == 0) continue;
            CVR3GAMEBattleMapShipsColumn* old = b->m_pColumn;
            if (!old) {
                mine->AddShip(b, placement == 1 ? -1 : 0, false);
                continue;
            }
            std::vector<CVR3GAMEBattleMapShip*> moving = old->m_stdvBattleShips;
            if (placement == 2) std::reverse(moving.begin(), moving.end());
            for (CVR3GAMEBattleMapShip* s : moving) {
                old->RemoveShip(s);
                mine->AddShip(s, placement == 1 ? -1 : 0, false);
            }
            delete old;
        }
    }
    for (CVR3GAMEBattleMapShip* s : ships) {
        s->m_pColumn = s->m_pMovementShip
                           ? static_cast<CVR3GAMEBattleMapShipsColumn*>(s->m_pMovementShip->m_pColumn)
                           : nullptr;
        if (!s->m_pColumn) {
            g_Log.Write(LOG_ERROR, "CVR3GAMEBattleMapMovementSystem::CreateShipsColumnsUsingPositions() : columns not generated for all ships\n");
            return false;
        }
        CVR3GAMEBattleMapShipsColumn* c = s->m_pColumn;
        if (std::find(m_pColumns->begin(), m_pColumns->end(), c) != m_pColumns->end()) continue;
        if (!c->m_stdvShips.empty()) {
            c->LinkShipsInLine();
            c->UpdateSpeedLimits();
        }
        c->m_iPlayerIndex = static_cast<int32_t>(m_pColumns->size());
        m_pColumns->push_back(c);
    }
    return true;
}

} // namespace SeaBattle
