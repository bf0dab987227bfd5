// Contacts of moving ships (mines, the coast, rams) and the removal of the
// units the round result destroyed.
#include "campaign/map/CDX9KelGameMap.h"

#include "campaign/battle/CDX9KelBattleSystem.h"
#include "campaign/routes/CDX9KelColumnMovement.h"
#include "campaign/turn/ContactRules.h"

#include "engine2/core/CDX9KelFPSCounter.h"
#include "engine2/core/CDX9KelLog.h"
#include "engine2/core/CDX9KelScene.h"
#include "engine2/core/scene/CDX9KelSceneObject.h"
#include "engine2/world/particles/CDXParticleSystemManager.h"
#include "engine2/world/particles/ParticleSceneSlot.h"
#include "engine2/world/physics/CDX9KelPhysicalManager.h"
#include "engine2/world/physics/PhysicsSceneSlot.h"

using Vorna2::g_Log;
using Vorna2::CDX9KelSceneObject;

namespace VornaCampaign {

namespace {

void Effect(Vorna2::CDX9KelScene* scene, const std::string& file, const D3DXVECTOR3& at) {
    Vorna2::CDXParticleSystemManager* particles = scene ? Vorna2::GetParticleSystemManager(scene) : nullptr;
    if (particles == nullptr || file.empty()) return;
    D3DXMATRIX m;
    D3DXMatrixTranslation(&m, at.x, at.y, at.z);
    particles->CreateStandalonePS(scene->GetD3DDevice(), file.c_str(), &m, nullptr);
}

} // namespace

void CDX9KelGameMap::ProcContacts() {
    Vorna2::CDX9KelPhysicalManager* physics = m_pScene ? Vorna2::GetPhysicalManager(m_pScene) : nullptr;
    if (physics == nullptr) return;
    ProcContactList(physics->m_Contacts, [this](Vorna2::CDX9KelContact& c) { return ProcContact(c); });
    if (m_Turn.m_bContactReselect && physics->m_Contacts.empty()) {
        if (m_Turn.m_iGlobalState == GAME_MAP_GLOBAL_STATE_PLAYER) SetActivePlayerObject(m_Turn.m_iActivePlayerObject);
        m_Turn.m_bContactReselect = false;
    }
}

bool CDX9KelGameMap::ProcContact(Vorna2::CDX9KelContact& contact) {
    if (contact.m_iKind == Vorna2::KEL_CONTACT_RAM) return false;
    const ContactRoles roles = ResolveContactRoles(
        contact,
        [this](CDX9KelSceneObject* o) {
            const GameMapPlace p = FindSideObject(o);
            MapUnitRef r;
            r.m_pObject = o;
            r.m_iSide = p.side;
            r.m_iIndex = p.index;
            return r;
        },
        [this](CDX9KelSceneObject* o) { return FindNoSideObject(o); });
    const ContactConsequence what = GetContactConsequence(roles.m_iAction);
    if (roles.m_iAction == CONTACT_ACTION_DROP) return true;
    if (roles.m_iAction == CONTACT_ACTION_NONE) return false;

    const int shipSide = roles.m_Ship.m_iSide;
    GameMapSide& side = Side(shipSide);
    CDX9KelSceneObject* ship = roles.m_Ship.m_pObject;
    GameObjectRecord* shipRecord = side.m_GameObjects[static_cast<std::size_t>(roles.m_Ship.m_iIndex)];
    GameColumnRecord* shipColumn = GetColumnOfSceneObject(ship);
    const bool playerPhase = m_Turn.m_iGlobalState == GAME_MAP_GLOBAL_STATE_PLAYER;
    const std::string shipName = RecordText(shipRecord->m_Unit.m_szName);

    switch (roles.m_iAction) {
    case CONTACT_ACTION_GROUNDING: {
        g_Log.Write(Vorna2::LOG_CONTINUE, "Collision with ground : %s\n", shipName.c_str());
        // The float record's active flag (the unit's can-sink flag): the
        // ship no longer rides the waves.
        if (shipRecord->m_pMovementState) shipRecord->m_pMovementState->m_bCanSink = 0;
        StopAllMovement();
        // A ship alone in its column keeps it.
        if (shipColumn != nullptr && shipColumn->m_Ships.size() > 1)
            DetachShipFromColumn(ship, shipRecord, &side.m_Columns);
        if (playerPhase && shipSide == m_iPlayerSide) {
            SetActivePlayerObject(roles.m_Ship.m_iIndex);
            if (m_pPlayerGameObjects != nullptr && CalcShipsCount(*m_pPlayerGameObjects) <= 0) {
                g_Log.Write(Vorna2::LOG_ERROR, "All Player ships on ground : End Map \n");
                m_MapScreen.ShowOnTop(m_MapScreen.m_MissionEnd);
                SetProcPlayerGUI(false);
            }
        }
        return true;
    }
    case CONTACT_ACTION_MINE: {
        const auto mine = static_cast<std::size_t>(roles.m_Other.m_iIndex);
        GameObjectRecord* mineRecord = mine < m_NoSideGameObjects.size() ? m_NoSideGameObjects[mine] : nullptr;
        CDX9KelSceneObject* mineObject = m_NoSideSceneObjects[mine];
        if (mineRecord != nullptr) g_BattleSystem.CollideObject(shipRecord, mineRecord, roles.m_fShipAngle);
        StopAllMovement();
        if (shipColumn != nullptr && shipColumn->m_Ships.size() > 1)
            DetachShipFromColumn(ship, shipRecord, &side.m_Columns);
        shipColumn = GetColumnOfSceneObject(ship);
        if (shipColumn != nullptr) {
            shipColumn->m_fCurrentSpeed = kContactColumnSpeed;
            shipColumn->m_fTimeUsed = m_Turn.m_fTurnMoveLimit;
        }
        mineObject->m_vWorldCenter =
            D3DXVECTOR3(mineObject->m_mWorld._41, mineObject->m_mWorld._42, mineObject->m_mWorld._43) + mineObject->m_vCenter;
        Effect(m_pScene, g_BattleSystem.m_szExplosionParticles, mineObject->m_vWorldCenter);
        CDX9KelBattleSystem::PlaySound(g_BattleSystem.m_szExplosionSound, mineObject->m_vWorldCenter, 20.0f, 80.0f);
        g_Log.Write(Vorna2::LOG_CONTINUE, "Mine explosion : %s\n", shipName.c_str());
        if (m_pScene != nullptr) m_pScene->DeleteSceneObject(mineObject, true);
        delete mineRecord;
        m_NoSideSceneObjects.erase(m_NoSideSceneObjects.begin() + static_cast<std::ptrdiff_t>(mine));
        if (mine < m_NoSideGameObjects.size())
            m_NoSideGameObjects.erase(m_NoSideGameObjects.begin() + static_cast<std::ptrdiff_t>(mine));
        if (playerPhase && shipSide == m_iPlayerSide)
            SetActivePlayerObject(m_Turn.m_iActivePlayerObject);
        else
            if (m_pComputer) m_pComputer->NoteUnitLost();
        return what.m_bFinished;
    }
    case CONTACT_ACTION_OBSTACLE: {
        g_Log.Write(Vorna2::LOG_CONTINUE, "Collision with unit : %s\n", shipName.c_str());
        StopAllMovement();
        if (playerPhase && shipSide == m_iPlayerSide) SetActivePlayerObject(m_Turn.m_iActivePlayerObject);
        return what.m_bFinished;
    }
    case CONTACT_ACTION_RAM: {
        CDX9KelSceneObject* other = roles.m_Other.m_pObject;
        GameMapSide& otherSide = Side(roles.m_Other.m_iSide);
        GameObjectRecord* otherRecord = otherSide.m_GameObjects[static_cast<std::size_t>(roles.m_Other.m_iIndex)];
        const float speed = shipColumn != nullptr ? shipColumn->m_fCurrentSpeed : 0.0f;
        if (g_BattleSystem.RamObject(shipRecord, otherRecord, roles.m_fShipAngle, roles.m_fOtherAngle, speed))
            g_Log.Write(Vorna2::LOG_CONTINUE, "%s%s %s%s", "Ramm attack : ", shipName.c_str(),
                        RecordText(otherRecord->m_Unit.m_szName).c_str(), "\n");
        StopAllMovement();
        if (shipColumn != nullptr && shipColumn->m_Ships.size() > 1)
            DetachShipFromColumn(ship, shipRecord, &side.m_Columns);
        if (GameColumnRecord* otherColumn = GetColumnOfSceneObject(other))
            SplitColumn(otherColumn, &otherSide.m_Columns);
        if (GameColumnRecord* c = GetColumnOfSceneObject(ship)) {
            c->m_fCurrentSpeed = kContactColumnSpeed;
            c->m_fTimeUsed = m_Turn.m_fTurnMoveLimit;
        }
        if (GameColumnRecord* c = GetColumnOfSceneObject(other)) c->m_fCurrentSpeed = kContactColumnSpeed;
        const D3DXVECTOR3 heading(-ship->m_mWorld._31, -ship->m_mWorld._32, -ship->m_mWorld._33);
        const D3DXVECTOR3 bow =
            D3DXVECTOR3(ship->m_mWorld._41, ship->m_mWorld._42, ship->m_mWorld._43) + heading * ship->m_fRadius;
        Effect(m_pScene, g_BattleSystem.m_szRamParticles, bow);
        CDX9KelBattleSystem::PlaySound(g_BattleSystem.m_szRamSound, bow, 15.0f, 60.0f);
        if (playerPhase)
            m_Turn.m_bContactReselect = true;
        else
            if (m_pComputer) m_pComputer->NoteUnitLost();
        contact.m_iKind = Vorna2::KEL_CONTACT_RAM;
        return false;
    }
    default: return false;
    }
}

bool CDX9KelGameMap::ProcDeathQueue() {
    std::vector<CDX9KelSceneObject*>& sinking = g_BattleSystem.m_stdvSinking;
    if (sinking.empty()) return false;
    if (DestroyUnit(sinking.front())) sinking.erase(sinking.begin());
    return true;
}

bool CDX9KelGameMap::DestroyUnit(CDX9KelSceneObject* object) {
    const GameMapPlace place = FindSideObject(object);
    if (place.side < 0) return true;
    PointCameraAt(object);
    GameMapSide& side = Side(place.side);
    GameObjectRecord* record = side.m_GameObjects[static_cast<std::size_t>(place.index)];
    const BattleDataBlock* data = record->m_pBattleData.get();
    const int kind = data != nullptr ? data->m_iDeathKind : DEATH_DESTRUCTION;
    if (kind == DEATH_FLOOD || kind == DEATH_ROLL) {
        const float f = Vorna2::g_FPSCounter.GetFrameTime();
        Vorna2::CDX9KelFloatRecord* fr = PhysicsRecordOf(object);
        float heightOffset = fr ? fr->m_fHeightOffset : 0.0f;
        float roll = fr ? fr->m_fRollBias : 0.0f;
        float height = object->m_mWorld._42;
        // The wave pass moves only units near the camera; a unit it left
        // alone this frame is lowered here by the same rate.
        const bool moved = object->m_bMoved;
        const bool done = SinkStep(kind, f, heightOffset, roll, height, moved);
        if (fr) {
            fr->m_fHeightOffset = heightOffset;
            fr->m_fRollBias = roll;
        }
        object->m_mWorld._42 = height;
        object->m_bMoved = false;
        if (!done) return false;
    }
    const bool player = place.side == m_iPlayerSide;
    const std::string name = RecordText(record->m_Unit.m_szName);
    g_Log.Write(Vorna2::LOG_CONTINUE, "%s%s%s", player ? "Player Unit destroy : " : "AI Unit destroy : ", name.c_str(),
                "\n");
    const int damage = GetUnitDamageValue(data);
    if (player)
        m_iPlayerLoss += damage;
    else
        m_iAILoss += damage;
    if (m_OnUnitLost) m_OnUnitLost(player, damage, name);
    RemoveUnit(place.side, place.index);
    return true;
}

int CDX9KelGameMap::GetUnitDamageValue(const BattleDataBlock* data) {
    if (data == nullptr) return 0;
    float sum = 0.0f;
    const bool lost = data->m_bAlive == 0;
    for (const auto* parts : {&data->m_stdvMGTowers, &data->m_stdvDesignParts, &data->m_stdvPipes})
        for (const PartRecord& p : *parts) sum += lost ? p.m_fDurability : p.m_fDamage;
    return static_cast<int>(sum);
}

} // namespace VornaCampaign
