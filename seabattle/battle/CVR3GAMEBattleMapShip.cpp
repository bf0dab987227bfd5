#include "seabattle/battle/CVR3GAMEBattleMapShip.h"

#include "engine3/core/CDX9KelLog.h"
#include "engine3/core/CDX9KelScene.h"
#include "engine3/core/scene/CDX9KelSceneObject.h"
#include "engine3/world/physics/CDX9KelPhysicalObjectShip.h"
#include "engine3/world/physics/PhysicsSceneSlot.h"
#include "seabattle/battle/CVR3GAMEBattleMapShipsColumn.h"
#include "seabattle/battle/CVR3GAMEMovementShip.h"

using Vorna3D::g_Log;
using Vorna3D::LOG_ERROR;

namespace SeaBattle {

CVR3GAMEBattleMapShip::~CVR3GAMEBattleMapShip() { Release(); }

bool CVR3GAMEBattleMapShip::Init(Vorna3D::CDX9KelScene* pScene, bool addToActiveTree) {
    if (!pScene) {
        g_Log.Write(LOG_ERROR, "CVR3GAMEBattleMapShip::Init() : pScene == NULL\n");
        return false;
    }
    if (!m_pSceneObject) {
        g_Log.Write(LOG_ERROR, "CVR3GAMEBattleMapShip::Init() : m_pSceneObject == NULL\n");
        return false;
    }
    if (!m_pMovementShip) {
        g_Log.Write(LOG_ERROR, "CVR3GAMEBattleMapShip::Init() : m_pMovementShip == NULL\n");
        return false;
    }
    if (addToActiveTree && !pScene->AddSceneObjectInActiveTree(m_pSceneObject)) {
        g_Log.Write(LOG_ERROR, "CVR3GAMEBattleMapShip::Init() : pScene->AddSceneObjectInActiveTree() failed \n");
        return false;
    }
    Vorna3D::CDX9KelPhysicalManager* physics = Vorna3D::GetPhysicalManager(pScene);
    if (!physics) return false;
    m_pPhysicalObject = physics->AddPhysicalObjectShip(m_pSceneObject, m_pMovementShip->m_fMass);
    if (!m_pPhysicalObject) return false;
    if (!m_pMovementShip->Init(m_pPhysicalObject, physics)) {
        g_Log.Write(LOG_ERROR, "CVR3GAMEBattleMapShip::Init() : m_pMovementShip->Init() failed \n");
        return false;
    }
    return true;
}

void CVR3GAMEBattleMapShip::Release() {
    // A column never keeps a ship whose parts are gone.
    if (m_pColumn) m_pColumn->RemoveShip(this);
    delete m_pMovementShip;
    m_pMovementShip = nullptr;
    if (m_pPhysicalObject) m_pPhysicalObject->SetActive(false);
}

} // namespace SeaBattle
