#include "seabattle/battle/CVR3GAMEBattleMapAnimationSystem.h"

#include "engine3/core/CDX9KelGameTimer.h"
#include "engine3/core/scene/CDX9KelSceneObject.h"
#include "engine3/world/physics/CDX9KelPhysicalObjectShip.h"
#include "platform/os/Clock.h"
#include "seabattle/battle/CVR3GAMEAnimatedShip.h"
#include "seabattle/battle/CVR3GAMEBattleMapShip.h"

namespace SeaBattle {

bool CVR3GAMEBattleMapAnimationSystem::Init(std::vector<CVR3GAMEBattleMapShip*>* pShips,
                                            Vorna3D::CDX9KelGameTimer* pTimer) {
    if (!pShips)
        return false;
    m_pShips = pShips;
    m_pGameTimer = pTimer;
    m_bGameClock = pTimer != nullptr;
    return true;
}

void CVR3GAMEBattleMapAnimationSystem::Proc() {
    const DWORD now = (m_bGameClock && m_pGameTimer) ? m_pGameTimer->GetTime() : timeGetTime();
    if (static_cast<DWORD>(now - m_dwLastTick) > kResetPeriods * m_dwPeriod)
        m_dwLastTick = 0;
    if (m_dwLastTick == 0)
        m_dwLastTick = now;
    if (m_dwLastTick + m_dwPeriod > now)
        return;
    const float dt = static_cast<float>(static_cast<DWORD>(now - m_dwLastTick)) * 0.001f;
    m_dwLastTick = now;
    if (!m_pShips)
        return;
    for (CVR3GAMEBattleMapShip* ship : *m_pShips) {
        if (!ship || !ship->m_pAnimatedShip)
            continue;
        ship->m_pAnimatedShip->Animate(dt);
        if (ship->m_pAnimatedShip->m_iState != CVR3GAMEAnimatedShip::STATE_SUNK || ship->m_bSunkHandled)
            continue;
        ship->m_bSunkHandled = true;
        if (ship->m_pPhysicalObject)
            ship->m_pPhysicalObject->SetActive(false);
        if (ship->m_pSceneObject) {
            ship->m_pSceneObject->m_bVisible = false;
            ship->m_pSceneObject->m_bFlag2 = false;
        }
    }
}

} // namespace SeaBattle
