#include "seabattle/battle/CVR3GAMEBattleMapShipsColumn.h"

#include "engine3/core/scene/CDX9KelSceneObject.h"
#include "engine3/core/scene/Geometry.h"
#include "seabattle/battle/CVR3GAMEBattleMapShip.h"
#include "seabattle/battle/CVR3GAMEMovementShip.h"

namespace SeaBattle {

CVR3GAMEBattleMapShipsColumn::~CVR3GAMEBattleMapShipsColumn() {
    for (CVR3GAMEBattleMapShip* s : m_stdvBattleShips)
        if (s && s->m_pColumn == this) s->m_pColumn = nullptr;
}

bool CVR3GAMEBattleMapShipsColumn::AddShip(CVR3GAMEBattleMapShip* pShip, int index, bool relink) {
    if (!pShip || !pShip->m_pMovementShip) return false;
    if (!AddMovementShip(index, pShip->m_pMovementShip, relink)) return false;
    const int at = pShip->m_pMovementShip->m_iColumnIndex;
    if (at >= 0 && static_cast<std::size_t>(at) <= m_stdvBattleShips.size())
        m_stdvBattleShips.insert(m_stdvBattleShips.begin() + at, pShip);
    else
        m_stdvBattleShips.push_back(pShip);
    pShip->m_pColumn = this;
    return true;
}

bool CVR3GAMEBattleMapShipsColumn::RemoveShip(CVR3GAMEBattleMapShip* pShip) {
    if (!pShip || !pShip->m_pMovementShip) return false;
    const int at = pShip->m_pMovementShip->m_iColumnIndex;
    if (!RemoveMovementShip(pShip->m_pMovementShip)) return false;
    if (at >= 0 && static_cast<std::size_t>(at) < m_stdvBattleShips.size() && m_stdvBattleShips[at] == pShip)
        m_stdvBattleShips.erase(m_stdvBattleShips.begin() + at);
    pShip->m_pColumn = nullptr;
    return true;
}

bool PlaceColumnOnStartPosition(const D3DXMATRIX* pStart, CVR3GAMEBattleMapShipsColumn* pColumn) {
    if (!pColumn || !pStart) return false;
    D3DXMATRIX m = *pStart;
    const D3DXVECTOR3 step(-12.0f * pStart->_31, -12.0f * pStart->_32, -12.0f * pStart->_33);
    for (CVR3GAMEBattleMapShip* s : pColumn->m_stdvBattleShips) {
        if (!s) continue;
        if (s->m_pSceneObject) {
            s->m_pSceneObject->SetWorldMatrix(&m);
            s->m_pSceneObject->m_bTransformChanged = true;
            s->m_pSceneObject->m_bMoved = true;
        }
        Vorna3D::TranslateMatrix(&m, &step);
    }
    return true;
}

} // namespace SeaBattle
