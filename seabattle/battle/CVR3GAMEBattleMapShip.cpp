#include "seabattle/battle/CVR3GAMEBattleMapShip.h"

#include "engine3/core/CDX9KelLog.h"
#include "engine3/core/CDX9KelScene.h"
#include "engine3/core/scene/CDX9KelSceneObject.h"
#include "engine3/world/physics/CDX9KelPhysicalManager.h"
#include "engine3/world/physics/CDX9KelPhysicalObjectShip.h"
#include "engine3/world/physics/PhysicsSceneSlot.h"
#include "engine3/world/particles/ParticlesSceneSlot.h"
#include "seabattle/battle/CVR3GAMEAnimatedShip.h"
#include "seabattle/battle/CVR3GAMEArtilleryShip.h"
#include "seabattle/battle/CVR3GAMEBattleMapShipsColumn.h"
#include "seabattle/battle/CVR3GAMEBattleSystemShip.h"
#include "seabattle/battle/CVR3GAMEMovementShip.h"
#include "seabattle/game/CVR3GAMEInformationShip.h"

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
    if (!m_pAnimatedShip) {
        g_Log.Write(LOG_ERROR, "CVR3GAMEBattleMapShip::Init() : m_pAnimatedShip == NULL\n");
        return false;
    }
    if (!m_pBattleShip) {
        g_Log.Write(LOG_ERROR, "CVR3GAMEBattleMapShip::Init() : m_pBattleShip == NULL\n");
        return false;
    }
    if (!m_pArtilleryShip) {
        g_Log.Write(LOG_ERROR, "CVR3GAMEBattleMapShip::Init() : m_pArtilleryShip == NULL\n");
        return false;
    }
    if (!m_pInfoShip) {
        g_Log.Write(LOG_ERROR, "CVR3GAMEBattleMapShip::Init() : m_pInfoShip == NULL\n");
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
    if (!m_pAnimatedShip->Init(Vorna3D::GetParticlesSystemsManager(pScene), m_pMovementShip)) {
        g_Log.Write(LOG_ERROR, "CVR3GAMEBattleMapShip::Init() : m_pAnimatedShip->Init() failed \n");
        return false;
    }
    m_pBattleShip->Init();
    m_pBattleShip->InitFloodingFactors();
    return true;
}

void CVR3GAMEBattleMapShip::Release() {
    // A column never keeps a ship whose parts are gone.
    if (m_pColumn) m_pColumn->RemoveShip(this);
    delete m_pAnimatedShip;
    m_pAnimatedShip = nullptr;
    delete m_pBattleShip;
    m_pBattleShip = nullptr;
    delete m_pMovementShip;
    m_pMovementShip = nullptr;
    delete m_pArtilleryShip;
    m_pArtilleryShip = nullptr;
    delete m_pInfoShip;
    m_pInfoShip = nullptr;
    // The body goes with the ship: the physics never steps a body that no
    // ship owns, and no body outlives its ship's battle.
    // A body its scene object no longer names went with a cleared physics.
    if (m_pPhysicalObject && m_pSceneObject && m_pSceneObject->m_pPhysicalObject == m_pPhysicalObject)
        if (Vorna3D::CDX9KelPhysicalManager* physics = m_pPhysicalObject->GetManager())
            physics->RemovePhysicalObject(m_pPhysicalObject);
    m_pPhysicalObject = nullptr;
}

} // namespace SeaBattle
