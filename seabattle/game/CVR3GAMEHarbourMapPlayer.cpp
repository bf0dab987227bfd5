#include "seabattle/game/CVR3GAMEHarbourMapPlayer.h"

#include "engine3/core/CDX9KelLog.h"
#include "seabattle/battle/CVR3GAMEBattleMapShip.h"
#include "seabattle/battle/CVR3GAMEBattleMapShipsColumn.h"
#include "seabattle/game/CVR3GAMEIO.h"

using namespace Vorna3D;

namespace SeaBattle {

bool CVR3GAMEHarbourMapPlayer::AddBattleMapShip(CVR3GAMEBattleMapShip* pShip) {
    if (!pShip)
        return false;
    if (!pShip->m_pSceneObject) {
        g_Log.Write(3, "CVR3GAMEHarbourMapPlayer::AddBattleMapShip() : pBattleMapShip->m_pSceneObject == NULL\n");
        return false;
    }
    if (pShip->m_iPlayerIndex != -1) {
        g_Log.Write(3, "CVR3GAMEHarbourMapPlayer::AddBattleMapShip() : Ship already in Player list\n");
        return false;
    }
    m_stdvShipModels.push_back(pShip->m_pSceneObject);
    m_stdvShips.push_back(pShip);
    m_stdvHarbourShips.push_back(pShip);
    pShip->m_iPlayerIndex = static_cast<int32_t>(m_stdvHarbourShips.size() - 1);
    return true;
}

void CVR3GAMEHarbourMapPlayer::DeleteColumns() {
    for (CVR3GAMEBattleMapShipsColumn* c : m_stdvColumns) delete c;
    m_stdvColumns.clear();
}

void DeleteHarbourShip(CVR3GAMEIO* pIO, CVR3GAMEBattleMapShip* pShip) {
    if (!pShip) return;
    if (pIO) {
        pIO->DeleteBattleShip(pShip);
        return;
    }
    pShip->Release();
    delete pShip;
}

void CVR3GAMEHarbourMapPlayer::DeleteMapPlayerObjects(CVR3GAMEIO* pIO) {
    // Columns first: a column's destructor unlinks the ships it still holds.
    DeleteColumns();
    for (CVR3GAMEBattleMapShip* s : m_stdvShips) DeleteHarbourShip(pIO, s);
    m_stdvShips.clear();
    m_stdvShipModels.clear();
    m_stdvHarbourShips.clear();
}

void CVR3GAMEHarbourMapPlayer::ReleaseBattleObjects(CVR3GAMEIO* pIO) {
    DeleteColumns();
    for (CVR3GAMEBattleMapShip* s : m_stdvShips) {
        if (!s) continue;
        if (s->m_bSunk) {
            DeleteHarbourShip(pIO, s);
        } else {
            s->m_iPlayerIndex = -1;
        }
    }
    m_stdvShips.clear();
    m_stdvShipModels.clear();
    m_stdvHarbourShips.clear();
    m_iBattleResult = 0;
}

} // namespace SeaBattle
