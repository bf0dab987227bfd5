#include "seabattle/game/CVR3GAMEHarbourMapPlayer.h"

#include "engine3/core/CDX9KelLog.h"
#include "seabattle/battle/CVR3GAMEBattleMapShip.h"

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

} // namespace SeaBattle
