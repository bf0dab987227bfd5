// The game map's active unit, its column and the player's movement orders;
// the column operations that the collisions and the computer use too.
#include "campaign/map/CDX9KelGameMap.h"

#include "campaign/battle/CDX9KelBattleSystem.h"
#include "campaign/routes/CDX9KelColumnMovement.h"
#include "campaign/routes/CDX9KelSeaPath.h"
#include "campaign/turn/MovementOrders.h"

#include "engine2/core/CDX9KelLog.h"
#include "engine2/core/CDX9KelScene.h"
#include "engine2/core/CDX9KelUtils.h"
#include "engine2/core/render/CDX9KelBaseCamera.h"
#include "engine2/core/render/CDX9KelBaseCameraManager.h"
#include "engine2/core/resources/CDX9KelBaseGrapRes.h"
#include "engine2/core/scene/CDX9KelSceneObject.h"
#include "engine2/ui/gui/CDX9KelGUIButton.h"
#include "engine2/ui/gui/CDX9KelGUIDialog.h"
#include "engine2/ui/gui/CDX9KelGUIManager.h"
#include "engine2/ui/gui/CDX9KelGUIRadioList.h"
#include "engine2/ui/gui/CDX9KelGUIScrollBar.h"
#include "engine2/ui/gui/CDX9KelGUIStateBar.h"
#include "engine2/world/particles/CDXParticleSystem.h"
#include "engine2/world/particles/CDXParticleSystemManager.h"
#include "engine2/world/particles/ParticleSceneSlot.h"

#include <algorithm>
#include <cstring>

using Vorna2::g_Log;
using Vorna2::CDX9KelSceneObject;

namespace VornaCampaign {

namespace {

// The identifier under which a column holds the ship; 0 when it does not.
int ShipIdInColumn(const GameColumnRecord* column, const CDX9KelSceneObject* object) {
    if (column == nullptr || object == nullptr) return 0;
    for (std::size_t i = 0; i < column->m_Ships.size() && i < column->m_Ids.size(); ++i)
        if (column->m_Ships[i].m_pSceneObject == object) return column->m_Ids[i];
    return 0;
}

ColumnOrder OrderOf(const GameColumnRecord& c) {
    ColumnOrder o;
    o.m_fMaxSpeed = c.m_fSpeedLimit;
    o.m_fTurnLimit = c.m_fTurnLimit;
    o.m_fAcceleration = c.m_fAccelerationLimit;
    o.m_fSpeed = c.m_fCurrentSpeed;
    o.m_fRudder = c.m_fRudder;
    o.m_fOrderedSpeed = c.m_fOrderedSpeed;
    return o;
}

void StoreOrder(GameColumnRecord& c, const ColumnOrder& o) {
    c.m_fCurrentSpeed = o.m_fSpeed;
    c.m_fRudder = o.m_fRudder;
    c.m_fOrderedSpeed = o.m_fOrderedSpeed;
}

bool LeaderStranded(const GameColumnRecord& c) {
    if (c.m_Ships.empty() || c.m_Ships[0].m_pObject == nullptr) return false;
    const MovementStateRecord* s = c.m_Ships[0].m_pObject->m_pMovementState.get();
    return s != nullptr && s->m_bCanSink == 0;
}

} // namespace

void CDX9KelGameMap::StopAllMovement() {
    g_SeaPathGenerator.ClearPaths();
    ClearColumnMovement();
    // The generator holds no route any more, so no index names one.
    m_Turn.m_iPlannedRoute = -1;
}

CDX9KelSceneObject* CDX9KelGameMap::GetActiveSceneObject() const {
    const int i = m_Turn.m_iActivePlayerObject;
    if (m_pPlayerSceneObjects == nullptr || i < 0 || static_cast<std::size_t>(i) >= m_pPlayerSceneObjects->size())
        return nullptr;
    return (*m_pPlayerSceneObjects)[static_cast<std::size_t>(i)];
}

GameObjectRecord* CDX9KelGameMap::GetActiveRecord() const {
    const int i = m_Turn.m_iActivePlayerObject;
    if (m_pPlayerGameObjects == nullptr || i < 0 || static_cast<std::size_t>(i) >= m_pPlayerGameObjects->size())
        return nullptr;
    return (*m_pPlayerGameObjects)[static_cast<std::size_t>(i)];
}

GameColumnRecord* CDX9KelGameMap::GetActiveColumn() const { return GetColumnOfSceneObject(GetActiveSceneObject()); }

bool CDX9KelGameMap::SetActivePlayerObject(int index) {
    if (m_pPlayerSceneObjects == nullptr || m_pPlayerColumns == nullptr) return false;
    g_Log.Write(Vorna2::LOG_CONTINUE, "%s%i%s", "CDX9KelGameMap::SetActivePlayerObject : ", index, "\n");
    const std::size_t count = m_pPlayerSceneObjects->size();
    if (count == 0 || index < 0 || static_cast<std::size_t>(index) >= count) return false;
    CDX9KelSceneObject* object = (*m_pPlayerSceneObjects)[static_cast<std::size_t>(index)];
    GameColumnRecord* column = GetColumnOfSceneObject(object);
    const int active = m_Turn.m_iActivePlayerObject;
    if (active < 0 || static_cast<std::size_t>(active) >= count) {
        PlanColumnRoute(column);
    } else if (GetColumnOfSceneObject((*m_pPlayerSceneObjects)[static_cast<std::size_t>(active)]) != column) {
        if (g_ColumnMovement.m_bMoving) return false;
        PlanColumnRoute(column);
    }
    SelectActiveColumn(column, object);
    m_Turn.m_iActivePlayerObject = index;
    FillMovementDialog();
    const GameObjectRecord* record = GetActiveRecord();
    const BattleDataBlock* data = record != nullptr ? record->m_pBattleData.get() : nullptr;
    m_MapScreen.FillShipGuns(data);
    m_MapScreen.FillShipParts(data);
    m_MapScreen.FillShipWater(data);
    m_MapScreen.FillShipFire(data);
    CheckMapArea(object);
    PointCameraAt(object);
    SearchTargetsForActivePlayerObject();
    UpdateFireSound();
    if (m_MapScreen.m_pIconList != nullptr &&
        index < static_cast<int>(m_MapScreen.m_pIconList->m_Buttons.size()))
        m_MapScreen.m_pIconList->SetSelection(index);
    g_Log.Write(Vorna2::LOG_CONTINUE, "CDX9KelGameMap::SetActivePlayerObject : OK\n");
    return true;
}

bool CDX9KelGameMap::SelectActiveColumn(GameColumnRecord* column, CDX9KelSceneObject* object) {
    if (column == nullptr || object == nullptr || m_MapScreen.m_Movement.m_pDialog == nullptr) return false;
    g_Log.Write(Vorna2::LOG_CONTINUE, "CDX9KelGameMap::SelectActiveColumn\n");
    for (Vorna2::CDX9KelPLANE* ring : m_pGreyRings)
        if (ring) ring->m_bVisible = false;
    if (column->m_Ships.empty()) return false;
    if (column->m_Ships.size() == 1)
        CDX9KelMapScreen::SetButtonState(m_MapScreen.m_pDetach, Vorna2::ButtonDisabled);
    else if (!g_ColumnMovement.m_bMoving)
        CDX9KelMapScreen::SetButtonState(m_MapScreen.m_pDetach, Vorna2::ButtonNormal);
    for (std::size_t i = 0; i < column->m_Ships.size(); ++i) {
        CDX9KelSceneObject* ship = column->m_Ships[i].m_pSceneObject;
        if (ship == nullptr) continue;
        Vorna2::CDX9KelPLANE* ring = ship == object ? m_pGreenRing : (i < m_pGreyRings.size() ? m_pGreyRings[i] : nullptr);
        if (ring == nullptr) continue;
        ring->m_bVisible = true;
        ring->m_pFollowMatrix = &ship->m_mWorld;
    }
    return true;
}

bool CDX9KelGameMap::PlanColumnRoute(GameColumnRecord* column) {
    if (column == nullptr) return false;
    StopAllMovement();
    if (m_MapScreen.GetSelectedGunGroup() >= 0) {
        m_MapScreen.ClearGunSelection();
        if (m_pScene) m_pScene->SetCurrentCursor(m_iCursors[CURSOR_MAIN]);
    }
    if (column->m_Ships.empty() || column->m_Ships[0].m_pWorld == nullptr) return false;
    if (m_Turn.IsColumnFinished(column->m_fTimeUsed) || LeaderStranded(*column)) return false;
    const float left = m_Turn.m_fTurnMoveLimit - column->m_fTimeUsed;
    SeaMoveParams params;
    params.m_fMaxSpeed = column->m_fSpeedLimit;
    params.m_fMaxTurnRate = column->m_fTurnLimit;
    params.m_fAcceleration = column->m_fAccelerationLimit;
    params.m_fStartSpeed = column->m_fCurrentSpeed;
    params.m_fStartTurn = column->m_fRudder;
    const int route = g_SeaPathGenerator.CreatePath(&params, column->m_Ships[0].m_pWorld, left, false);
    if (route < 0) return false;
    g_SeaPathGenerator.AddSegment(route, left, column->m_fOrderedSpeed, column->m_fRudder);
    g_SeaPathGenerator.FinishPath(route);
    g_SeaPathGenerator.ReleasePath(route);
    // The planned route is shown by its markers until the column sails it.
    if (const SeaPathHandle path = g_SeaPathGenerator.Get(route)) path->m_bDrawn = true;
    m_Turn.m_iPlannedRoute = route;
    return true;
}

void CDX9KelGameMap::ProcMovementSliders() {
    if (GetActiveSceneObject() == nullptr) return;
    GameColumnRecord* column = GetActiveColumn();
    const CDX9KelMapScreen& s = m_MapScreen;
    if (s.m_Movement.m_pDialog != nullptr && s.m_Movement.m_pDialog->m_bMouseIn && column != nullptr && s.m_pRudder &&
        s.m_pSpeed) {
        ColumnOrder order = OrderOf(*column);
        bool changed = ApplyRudderSlider(s.m_pRudder->m_iPosition, s.m_pRudder->m_iMaximum, order);
        changed = ApplySpeedSlider(s.m_pSpeed->m_iPosition, s.m_pSpeed->m_iMaximum, order) || changed;
        if (changed) {
            StoreOrder(*column, order);
            PlanColumnRoute(column);
        }
    }
    if (s.m_Icons.m_pDialog != nullptr && s.m_pIconList != nullptr &&
        s.m_pIconList->m_iSelected != m_Turn.m_iActivePlayerObject && s.m_pIconList->m_iSelected >= 0) {
        if (!SetActivePlayerObject(s.m_pIconList->m_iSelected)) s.m_pIconList->SetSelection(m_Turn.m_iActivePlayerObject);
    }
}

bool CDX9KelGameMap::FillMovementDialog() {
    GameColumnRecord* column = GetActiveColumn();
    const GameObjectRecord* record = GetActiveRecord();
    if (m_MapScreen.m_Movement.m_pDialog == nullptr || column == nullptr || record == nullptr) return false;
    if (record->m_pMovementState != nullptr && record->m_pMovementState->m_bCanSink == 0) {
        m_MapScreen.Hide(m_MapScreen.m_Movement);
        return true;
    }
    m_MapScreen.Show(m_MapScreen.m_Movement);
    UpdateColumnLimits(column);
    const ColumnOrder order = OrderOf(*column);
    if (m_MapScreen.m_pRudder)
        m_MapScreen.m_pRudder->SetPosition(RudderSliderPosition(m_MapScreen.m_pRudder->m_iMaximum, order), true);
    if (m_MapScreen.m_pSpeedDisplay) m_MapScreen.m_pSpeedDisplay->SetValue(SpeedPercent(order));
    if (m_MapScreen.m_pSpeed)
        m_MapScreen.m_pSpeed->SetPosition(SpeedSliderPosition(m_MapScreen.m_pSpeed->m_iMaximum, order), true);
    return true;
}

void CDX9KelGameMap::ProcPickPlayerUnit() {
    if (m_pScene == nullptr || m_pPlayerSceneObjects == nullptr) return;
    Vorna2::CDX9KelGUIManager* gui = m_MapScreen.GetGUI();
    if (gui != nullptr && !gui->m_Dialogs.empty() && gui->m_Dialogs.back()->m_iHoveredControl >= 0) return;
    if (m_MapScreen.GetSelectedGunGroup() >= 0) return;
    const int picked = m_pScene->PickSceneObject(*m_pPlayerSceneObjects);
    if (picked >= 0 && picked != m_Turn.m_iActivePlayerObject) {
        const GameObjectRecord* record = (*m_pPlayerGameObjects)[static_cast<std::size_t>(picked)];
        const int condition = record->m_pBattleData ? CDX9KelBattleSystem::GetConditionPercent(record->m_pBattleData.get()) : 100;
        m_MapScreen.ShowUnitHint(gui ? gui->GetCursor() : POINT{0, 0}, RecordText(record->m_Unit.m_szName),
                                 MapColour::kGreen, condition);
        if (record->m_pMovement != nullptr) {
            m_pScene->SetCurrentCursor(m_iCursors[CURSOR_SELECT]);
            if (gui != nullptr && gui->m_bLeftButton && !m_bPressFromOtherScreen && Vorna2::g_Utils.IsTimePassed(100)) {
                SetActivePlayerObject(picked);
                if (m_MapScreen.m_pIconList) m_MapScreen.m_pIconList->SetSelection(m_Turn.m_iActivePlayerObject);
            }
        }
        return;
    }
    m_pScene->SetCurrentCursor(m_iCursors[CURSOR_MAIN]);
    m_MapScreen.Hide(m_MapScreen.m_UnitDescription);
}

void CDX9KelGameMap::UpdateFireSound() {
    // The fire sound belongs to the map's sounds, which the sound step plays;
    // without a sound manager there is nothing to do.
    CDX9KelSceneObject* object = GetActiveSceneObject();
    m_bActiveUnitBurning = false;
    if (object == nullptr || object->m_pParticleSystems == nullptr) return;
    const std::string& fire = g_BattleSystem.m_szFireParticles;
    if (fire.empty()) return;
    for (const Vorna2::CDXParticleSystem* ps : object->m_pParticleSystems->m_Systems)
        if (ps != nullptr && ps->m_pParams != nullptr && fire == ps->m_pParams->szFileName)
            m_bActiveUnitBurning = true;
}

bool CDX9KelGameMap::CheckMapArea(CDX9KelSceneObject* object) {
    if (object == nullptr) return false;
    object->m_vWorldCenter = D3DXVECTOR3(object->m_mWorld._41, object->m_mWorld._42, object->m_mWorld._43) + object->m_vCenter;
    const D3DXVECTOR3& c = object->m_vWorldCenter;
    const bool inside = c.x >= m_vMapMin.x && c.x <= m_vMapMax.x && c.z >= m_vMapMin.z && c.z <= m_vMapMax.z;
    if (inside) {
        m_MapScreen.Hide(m_MapScreen.m_MapEnd);
        return false;
    }
    m_MapScreen.Show(m_MapScreen.m_MapEnd);
    return true;
}

bool CDX9KelGameMap::CanSideStillMove(const std::vector<GameColumnRecord*>* columns) const {
    if (columns == nullptr) return false;
    std::vector<ColumnMoveState> states;
    for (const GameColumnRecord* c : *columns) {
        if (c == nullptr) continue;
        ColumnMoveState s;
        s.m_uShips = c->m_Ships.size();
        s.m_bLeaderStranded = LeaderStranded(*c);
        s.m_fSpeed = c->m_fCurrentSpeed;
        s.m_fMovementUsed = c->m_fTimeUsed;
        states.push_back(s);
    }
    return VornaCampaign::CanSideStillMove(states, m_Turn.m_fTurnMoveLimit);
}

bool CDX9KelGameMap::DetachShipFromColumn(CDX9KelSceneObject* object, GameObjectRecord* record,
                                          std::vector<GameColumnRecord*>* columns) {
    if (record == nullptr || columns == nullptr) return false;
    StopAllMovement();
    GameColumnRecord* old = record->m_pColumn;
    if (object == nullptr || old == nullptr) return false;
    const int id = ShipIdInColumn(old, object);
    const int result = RemoveShipFromColumn(id, old);
    if (result == REMOVE_SHIP_NOT_FOUND || (result == REMOVE_SHIP_REFUSED && id == 0)) {
        // The unit names a column that does not hold it: nothing is moved.
        g_Log.Write(Vorna2::LOG_ERROR, "Error : CDX9KelGameMap::DetachShipFromColumn : ship not in its column : %s\n",
                    RecordText(record->m_Unit.m_szName).c_str());
        return false;
    }
    if (result != REMOVE_SHIP_REMOVED) return false;
    auto column = new GameColumnRecord;
    InitColumnRecord(column);
    column->m_fStoredSpeed = old->m_fStoredSpeed;
    column->m_fReducedSpeed = old->m_fReducedSpeed;
    column->m_fTimeUsed = old->m_fTimeUsed;
    column->m_fCurrentSpeed = old->m_fCurrentSpeed;
    column->m_fRudder = old->m_fRudder;
    column->m_fOrderedSpeed = old->m_fOrderedSpeed;
    ColumnShip ship;
    ship.m_pWorld = &object->m_mWorld;
    ship.m_pMovement = record->m_pMovement.get();
    ship.m_pSceneObject = object;
    ship.m_pObject = record;
    column->m_Ids.push_back(id);
    column->m_Ships.push_back(ship);
    record->m_pColumn = column;
    UpdateColumnLimits(column);
    columns->push_back(column);
    return true;
}

bool CDX9KelGameMap::SplitColumn(GameColumnRecord* column, std::vector<GameColumnRecord*>* columns) {
    if (column == nullptr || columns == nullptr) return false;
    const std::size_t n = column->m_Ships.size();
    for (std::size_t i = 1; i < n && column->m_Ships.size() > 1; ++i)
        if (!DetachShipFromColumn(column->m_Ships[0].m_pSceneObject, column->m_Ships[0].m_pObject, columns)) break;
    return true;
}

bool CDX9KelGameMap::RemoveColumnEntry(GameColumnRecord* column, std::vector<GameColumnRecord*>* columns) {
    if (columns == nullptr) return false;
    const auto it = std::find(columns->begin(), columns->end(), column);
    if (it == columns->end()) return false;
    // Any unit still naming the column forgets it.
    for (GameMapSide& side : m_Sides)
        for (GameObjectRecord* r : side.m_GameObjects)
            if (r != nullptr && r->m_pColumn == column) r->m_pColumn = nullptr;
    ReleaseColumnRecord(column);
    delete column;
    columns->erase(it);
    return true;
}

bool CDX9KelGameMap::PointCameraAt(CDX9KelSceneObject* object) {
    if (m_pScene == nullptr || m_pScene->m_pCameraManager == nullptr || object == nullptr) return false;
    auto* global = dynamic_cast<Vorna2::CDX9KelGlobalCamera*>(m_pScene->m_pCameraManager->GetActiveCamera());
    if (global != nullptr) global->SetTarget(object->m_mWorld._41, object->m_mWorld._43);
    return true;
}

bool CDX9KelGameMap::TurnCameraToObject(CDX9KelSceneObject* object) {
    if (object == nullptr || m_pScene == nullptr) return false;
    auto* manager = dynamic_cast<Vorna2::CDX9KelCameraManager*>(m_pScene->m_pCameraManager);
    if (manager != nullptr) manager->TurnCameraToPoint(object->m_mWorld._41, object->m_mWorld._43);
    return true;
}

std::vector<int> CDX9KelGameMap::GetIconFlags() const {
    std::vector<int> flags;
    if (m_pPlayerSceneObjects == nullptr || m_pPlayerGameObjects == nullptr) return flags;
    for (std::size_t i = 0; i < m_pPlayerGameObjects->size() && i < CDX9KelMapScreen::kIconFlags; ++i) {
        const GameColumnRecord* column = GetColumnOfSceneObject((*m_pPlayerSceneObjects)[i]);
        const GameObjectRecord* r = (*m_pPlayerGameObjects)[i];
        if (column == nullptr) {
            flags.push_back(ICON_FLAG_HIDDEN);
        } else if (r != nullptr && r->m_pMovementState != nullptr && r->m_pMovementState->m_bCanSink == 0) {
            flags.push_back(ICON_FLAG_STRANDED);
        } else {
            flags.push_back(column->m_fTimeUsed < m_Turn.m_fTurnMoveLimit - 8.0f ? ICON_FLAG_CAN_MOVE : ICON_FLAG_MOVED);
        }
    }
    return flags;
}

void CDX9KelGameMap::RebuildIcons() {
    if (ResetIconsDialog()) CreateIcons();
}

void CDX9KelGameMap::RemoveUnit(int sideNumber, int index) {
    GameMapSide& side = Side(sideNumber);
    if (index < 0 || static_cast<std::size_t>(index) >= side.m_SceneObjects.size()) return;
    const auto at = static_cast<std::size_t>(index);
    CDX9KelSceneObject* object = side.m_SceneObjects[at];
    GameObjectRecord* record = at < side.m_GameObjects.size() ? side.m_GameObjects[at] : nullptr;
    GameColumnRecord* column = record != nullptr ? record->m_pColumn : nullptr;
    if (column != nullptr) {
        const int id = ShipIdInColumn(column, object);
        const int result = id != 0 ? RemoveShipFromColumn(id, column) : REMOVE_SHIP_NOT_FOUND;
        if (result == REMOVE_SHIP_REFUSED)
            RemoveColumnEntry(column, &side.m_Columns);
        else if (result == REMOVE_SHIP_NOT_FOUND)
            g_Log.Write(Vorna2::LOG_ERROR, "Error : CDX9KelGameMap::RemoveUnit : unit not in its column\n");
    }
    // No column may keep the unit's pointers.
    for (GameColumnRecord* c : side.m_Columns) {
        if (c == nullptr) continue;
        for (std::size_t i = 0; i < c->m_Ships.size();) {
            if (c->m_Ships[i].m_pSceneObject == object && c->m_Ships.size() > 1) {
                c->m_Ships.erase(c->m_Ships.begin() + static_cast<std::ptrdiff_t>(i));
                if (i < c->m_Ids.size()) c->m_Ids.erase(c->m_Ids.begin() + static_cast<std::ptrdiff_t>(i));
            } else {
                ++i;
            }
        }
    }
    if (m_pComputer) m_pComputer->ClearRatings();
    for (Vorna2::CDX9KelPLANE* ring : m_pRedRings)
        if (ring && ring->m_pFollowMatrix == &object->m_mWorld) ring->m_bVisible = false, ring->m_pFollowMatrix = nullptr;
    for (Vorna2::CDX9KelPLANE* ring : m_pGreyRings)
        if (ring && ring->m_pFollowMatrix == &object->m_mWorld) ring->m_bVisible = false, ring->m_pFollowMatrix = nullptr;
    if (m_pGreenRing && m_pGreenRing->m_pFollowMatrix == &object->m_mWorld) {
        m_pGreenRing->m_bVisible = false;
        m_pGreenRing->m_pFollowMatrix = nullptr;
    }
    if (m_pScene != nullptr && object != nullptr) m_pScene->DeleteSceneObject(object, true);
    delete record;
    if (at < side.m_AnimatedModels.size()) {
        delete side.m_AnimatedModels[at];
        side.m_AnimatedModels.erase(side.m_AnimatedModels.begin() + index);
    }
    side.m_SceneObjects.erase(side.m_SceneObjects.begin() + index);
    if (at < side.m_GameObjects.size()) side.m_GameObjects.erase(side.m_GameObjects.begin() + index);
    if (sideNumber == m_iPlayerSide) {
        if (m_Turn.m_iActivePlayerObject == index) m_Turn.m_iActivePlayerObject = -1;
        else if (m_Turn.m_iActivePlayerObject > index) --m_Turn.m_iActivePlayerObject;
        RebuildIcons();
        SetIconsFlagsDlg();
    }
}

} // namespace VornaCampaign
