// The game map's frame: the turn cycle of the player's phase, the
// computer's phase and the round result, the movement of the active
// columns, the map's sounds and the end of a map.
#include "campaign/map/CDX9KelGameMap.h"

#include "campaign/battle/CDX9KelBattleSystem.h"
#include "campaign/routes/CDX9KelColumnMovement.h"
#include "campaign/routes/CDX9KelSeaPath.h"
#include "campaign/save/GameSaveFile.h"
#include "campaign/turn/MovementOrders.h"

#include "engine2/core/CDX9KelLog.h"
#include "engine2/core/CDX9KelScene.h"
#include "engine2/core/CDX9KelUtils.h"
#include "engine2/core/render/CDX9KelBaseCamera.h"
#include "engine2/core/render/CDX9KelBaseCameraManager.h"
#include "engine2/core/resources/CDX9KelBaseGrapRes.h"
#include "engine2/core/scene/CDX9KelSceneObject.h"
#include "engine2/ui/gui/CDX9KelGUIButton.h"
#include "engine2/core/resources/CDX9KelGraphicsResManager.h"
#include "engine2/ui/gui/CDX9KelGUIDialog.h"
#include "engine2/ui/gui/CDX9KelGUIEditBox.h"
#include "engine2/ui/gui/CDX9KelGUIListBox.h"
#include "engine2/ui/gui/CDX9KelGUIManager.h"
#include "engine2/ui/gui/CDX9KelGUIRadioList.h"
#include "engine2/ui/gui/CDX9KelGUIScrollBar.h"
#include "engine2/ui/gui/CDX9KelGUIText.h"
#include "engine2/ui/gui/CDX9KelGUIStateBar.h"
#include "engine2/ui/screens/CDX9KelCIIScreenManager.h"
#include "engine2/ui/sound/COALSoundManager.h"
#include "engine2/ui/sound/COALSoundResource.h"
#include "engine2/world/particles/CDXParticleSystemManager.h"
#include "engine2/world/particles/ParticleSceneSlot.h"
#include "engine2/world/physics/CDX9KelPhysicalManager.h"
#include "engine2/world/physics/PhysicsSceneSlot.h"
#include "platform/os/Clock.h"

#include <cstdio>

using Vorna2::g_Log;
using Vorna2::g_Utils;
using Vorna2::CDX9KelSceneObject;

namespace VornaCampaign {

namespace {

bool Moving() { return g_ColumnMovement.m_bMoving && !g_ColumnMovement.m_bPaused; }

void PlayIfNot(int id) {
    if (id >= 0 && Vorna2::g_SoundManager.GetSoundState(id) != Vorna2::SOUND_PLAYING) Vorna2::g_SoundManager.PlaySound(id);
}

// Paused when playing, stopped when paused.
void Quieten(int id) {
    if (id < 0) return;
    const int state = Vorna2::g_SoundManager.GetSoundState(id);
    if (state == Vorna2::SOUND_PLAYING)
        Vorna2::g_SoundManager.PauseSound(id);
    else if (state == Vorna2::SOUND_PAUSED)
        Vorna2::g_SoundManager.StopSound(id);
}

void Pause(int id) {
    if (id >= 0 && Vorna2::g_SoundManager.GetSoundState(id) == Vorna2::SOUND_PLAYING) Vorna2::g_SoundManager.PauseSound(id);
}

D3DXVECTOR3 CentreOf(CDX9KelSceneObject* o) {
    o->m_vWorldCenter = D3DXVECTOR3(o->m_mWorld._41, o->m_mWorld._42, o->m_mWorld._43) + o->m_vCenter;
    return o->m_vWorldCenter;
}

} // namespace

bool CDX9KelGameMap::IsMapScreenActive() const {
    const Vorna2::CDX9KelCIIScreen* screen = m_MapScreen.GetScreen();
    return screen != nullptr && screen->m_bActive;
}

Vorna2::CDX9KelFloatRecord* CDX9KelGameMap::PhysicsRecordOf(CDX9KelSceneObject* object) const {
    Vorna2::CDX9KelPhysicalManager* physics = m_pScene ? Vorna2::GetPhysicalManager(m_pScene) : nullptr;
    if (physics == nullptr || object == nullptr) return nullptr;
    const int i = physics->FindObject(object);
    return i >= 0 && static_cast<std::size_t>(i) < physics->m_Records.size() ? physics->m_Records[static_cast<std::size_t>(i)]
                                                                             : nullptr;
}

void CDX9KelGameMap::Proc() {
    if (!IsMapScreenActive()) {
        m_bPressFromOtherScreen = true;
        if (m_sMusicMainMenu >= 0 && Vorna2::g_SoundManager.GetSoundState(m_sMusicMainMenu) != Vorna2::SOUND_PLAYING)
            Vorna2::g_SoundManager.PlaySound(m_sMusicMainMenu);
        return;
    }
    if (!IsMapLoaded() || m_pScene == nullptr) return;
    if (m_bPressFromOtherScreen) {
        const Vorna2::CDX9KelGUIManager* gui = m_MapScreen.GetGUI();
        if (gui == nullptr || !gui->m_bLeftButton) m_bPressFromOtherScreen = false;
    }
    if (m_sMusicMainMenu >= 0 && Vorna2::g_SoundManager.GetSoundState(m_sMusicMainMenu) == Vorna2::SOUND_PLAYING)
        Vorna2::g_SoundManager.StopSound(m_sMusicMainMenu);
    switch (m_Turn.m_iGlobalState) {
    case GAME_MAP_GLOBAL_STATE_PLAYER:
        if (GetActiveSceneObject() == nullptr) break;
        ProcMovementSliders();
        ProcPlayerPhase();
        if (m_Turn.m_iBattleWait == GAME_MAP_BATTLE_WAIT_BOMBARDMENT && g_BattleSystem.m_iState == BATTLE_SYSTEM_IDLE) {
            SetProcPlayerGUI(true);
            const GameObjectRecord* r = GetActiveRecord();
            m_MapScreen.FillShipGuns(r ? r->m_pBattleData.get() : nullptr);
            SearchTargetsForActivePlayerObject();
            m_pScene->SetCurrentCursor(m_iCursors[CURSOR_MAIN]);
            m_Turn.m_iBattleWait = GAME_MAP_BATTLE_WAIT_NONE;
        }
        if (GetActiveSceneObject() == nullptr) break;
        ProcGunSelection();
        ProcPickPlayerUnit();
        ProcPickEnemyUnit();
        ProcMapControl();
        ProcSaveMenu();
        break;
    case GAME_MAP_GLOBAL_STATE_AI:
        if (m_pComputer && m_pComputer->PlaysOn(this)) {
            m_pComputer->ProcPhase();
            m_pComputer->ProcForts();
            m_pComputer->ProcShips();
            if (m_pComputer->GetStep() == GAME_AI_STEP_SHIPS) PointCameraAt(m_pComputer->GetFollowedSceneObject());
        }
        ProcAIPhase();
        break;
    default: break;
    }
    ProcessTurn();
    ProcContacts();
    ProcSounds();
    ProcMissionEnd();
    ProcMapFailed();
}

void CDX9KelGameMap::ProcessTurn() {
    switch (m_Turn.m_iGlobalState) {
    case GAME_MAP_GLOBAL_STATE_PLAYER: {
        if (m_MapScreen.IsVisible(m_MapScreen.m_FinishMov)) {
            if (m_dwFinishMovStamp == 0) m_dwFinishMovStamp = timeGetTime();
            if (timeGetTime() - m_dwFinishMovStamp > 5000) {
                m_dwFinishMovStamp = 0;
                m_MapScreen.Hide(m_MapScreen.m_FinishMov);
            }
        }
        if (CDX9KelMapScreen::IsPressed(m_MapScreen.m_pEndTurn) && g_Utils.IsTimePassed(500) &&
            g_BattleSystem.m_iState == BATTLE_SYSTEM_IDLE) {
            if (m_Turn.EndPlayerTurn(g_ColumnMovement.m_bMoving, CanSideStillMove(m_pPlayerColumns))) {
                m_MapScreen.Hide(m_MapScreen.m_FinishMov);
                g_SeaPathGenerator.ClearPaths();
                m_Turn.m_iPlannedRoute = -1;
                for (Vorna2::CDX9KelPLANE* ring : m_pRedRings)
                    if (ring) ring->m_bVisible = false;
                if (m_pComputer) m_pComputer->SetStep(GAME_AI_STEP_START);
                SetProcPlayerGUI(false);
                m_pScene->SetCurrentCursor(m_iCursors[CURSOR_WAIT]);
                m_MapScreen.Show(m_MapScreen.m_AIActionTime);
            } else {
                m_MapScreen.Show(m_MapScreen.m_FinishMov);
            }
        }
        break;
    }
    case GAME_MAP_GLOBAL_STATE_AI:
        if (m_pComputer) m_Turn.ProcAIState(m_pComputer->GetStep());
        break;
    case GAME_MAP_GLOBAL_STATE_ROUND_RESULT: {
        if (m_Turn.BeginRoundResult()) g_BattleSystem.BeginCalcRoundResult();
        if (g_BattleSystem.m_iState != BATTLE_SYSTEM_IDLE) break;
        if (ProcDeathQueue()) break;
        m_pScene->SetCurrentCursor(m_iCursors[CURSOR_MAIN]);
        m_MapScreen.Hide(m_MapScreen.m_AIActionTime);
        // Lost units that stay on the map (forts, stranded ships) no longer
        // hold their side.
        const std::size_t side1 = CountPresentUnits(Side(SIDE_1).m_GameObjects);
        const std::size_t side2 = CountPresentUnits(Side(SIDE_2).m_GameObjects);
        if (m_Turn.FinishRoundResult(side1, side2) == ROUND_OUTCOME_NEW_TURN) {
            g_Log.Write(Vorna2::LOG_CONTINUE, "UpdateColumnMoveData\n");
            CDX9KelColumnMovement::ResetColumnsForTurn(Side(SIDE_1).m_Columns);
            CDX9KelColumnMovement::ResetColumnsForTurn(Side(SIDE_2).m_Columns);
            g_Log.Write(Vorna2::LOG_CONTINUE, "SetActivePlayerObject\n");
            SetActivePlayerObject(0);
            g_Log.Write(Vorna2::LOG_CONTINUE, "SetMapControlDlgData\n");
            SetMapControlDlgData();
            g_Log.Write(Vorna2::LOG_CONTINUE, "SetProcPlayerGUI\n");
            SetProcPlayerGUI(true);
            g_Log.Write(Vorna2::LOG_CONTINUE, "SetIconsFlagsDlg\n");
            SetIconsFlagsDlg();
            Vorna2::CDX9KelUtils::CheckMemory();
            if (m_Turn.m_bAutosave) {
                g_Log.Write(Vorna2::LOG_CONTINUE, "AUTOSAVE\n");
                const std::string name = m_Turn.NextAutosaveName();
                if (!m_SaveWriter || !m_SaveWriter(name, false))
                    g_Log.Write(Vorna2::LOG_ERROR, "Error : CDX9KelGameMap::ProcessTurn : autosave %s not written\n",
                                name.c_str());
            }
            g_Log.Write(Vorna2::LOG_CONTINUE, "GAME_MAP_GLOBAL_STATE_PLAYER\n");
        } else {
            if (!m_MapScreen.IsVisible(m_MapScreen.m_MissionEnd)) {
                g_Log.Write(Vorna2::LOG_ERROR, "m_uRound >= m_uRoundsCount : End Map \n");
                m_MapScreen.ShowOnTop(m_MapScreen.m_MissionEnd);
            }
            m_Turn.m_iActivePlayerObject = -1;
        }
        break;
    }
    default: break;
    }
}

void CDX9KelGameMap::ProcPlayerPhase() {
    CDX9KelSceneObject* object = GetActiveSceneObject();
    CDX9KelMapScreen& s = m_MapScreen;
    if (object == nullptr || s.m_Movement.m_pDialog == nullptr) return;
    GameColumnRecord* column = GetActiveColumn();
    if (Moving()) {
        if (column != nullptr && !g_ColumnMovement.m_Entries.empty()) {
            const ColumnMoveEntry& first = g_ColumnMovement.m_Entries.front();
            ColumnOrder order;
            order.m_fMaxSpeed = column->m_fSpeedLimit;
            order.m_fTurnLimit = column->m_fTurnLimit;
            order.m_fAcceleration = column->m_fAccelerationLimit;
            order.m_fSpeed = column->m_fCurrentSpeed;
            order.m_fRudder = column->m_fRudder;
            order.m_fOrderedSpeed = column->m_fOrderedSpeed;
            FollowOrderedSpeed(order, first.m_fProgress - first.m_fPreviousProgress, g_SeaPathGenerator.m_fDeceleration);
            column->m_fCurrentSpeed = order.m_fSpeed;
            if (s.m_pSpeedDisplay) s.m_pSpeedDisplay->SetValue(SpeedPercent(order));
        }
        CDX9KelMapScreen::SetButtonState(s.m_pDetach, Vorna2::ButtonDisabled);
        PointCameraAt(object);
        if (CheckMapArea(object)) {
            const D3DXVECTOR3 c = object->m_vWorldCenter;
            const bool inScene = c.x >= m_vSceneMin.x && c.x <= m_vSceneMax.x && c.z >= m_vSceneMin.z && c.z <= m_vSceneMax.z;
            if (!inScene) {
                g_Log.Write(Vorna2::LOG_CONTINUE, "Player ships leafs fight\n");
                const int count = m_pPlayerGameObjects ? CalcShipsCount(*m_pPlayerGameObjects) : -1;
                if (count == -1) g_Log.Write(Vorna2::LOG_ERROR, "Error : CalcShipsCount ( Player ) == -1 \n");
                if (count == 0 || count == 1) {
                    if (!s.IsVisible(s.m_MissionEnd)) {
                        g_Log.Write(Vorna2::LOG_ERROR, "All player ships leafs fight : End Map \n");
                        StopAllMovement();
                        CDX9KelMapScreen::ShowButton(s.m_pGo, true);
                        CDX9KelMapScreen::ShowButton(s.m_pStop, false);
                        s.ShowOnTop(s.m_MissionEnd);
                        SetProcPlayerGUI(false);
                    }
                } else {
                    StopAllMovement();
                    CDX9KelMapScreen::ShowButton(s.m_pGo, true);
                    CDX9KelMapScreen::ShowButton(s.m_pStop, false);
                    RemoveUnit(m_iPlayerSide, m_Turn.m_iActivePlayerObject);
                    SetIconsFlagsDlg();
                    m_Turn.m_iActivePlayerObject = -1;
                    SetActivePlayerObject(0);
                    return;
                }
            }
        }
    }
    if (!g_ColumnMovement.m_bMoving && s.m_pGo != nullptr && !s.m_pGo->m_bVisible) {
        CDX9KelMapScreen::ShowButton(s.m_pStop, false);
        CDX9KelMapScreen::ShowButton(s.m_pGo, true);
        if (column != nullptr && column->m_Ships.size() > 1)
            CDX9KelMapScreen::SetButtonState(s.m_pDetach, Vorna2::ButtonNormal);
        SetIconsFlagsDlg();
    }
    Vorna2::CDX9KelPhysicalManager* physics = Vorna2::GetPhysicalManager(m_pScene);
    if (CDX9KelMapScreen::IsPressed(s.m_pGo) && m_Turn.m_iPlannedRoute != -1 && g_Utils.IsTimePassed2(1000) &&
        GetActiveRecord() != nullptr && (physics == nullptr || !physics->HasContacts())) {
        if (s.GetSelectedGunGroup() >= 0) {
            s.ClearGunSelection();
            m_pScene->SetCurrentCursor(m_iCursors[CURSOR_MAIN]);
        }
        bool started = true;
        if (!g_ColumnMovement.m_bMoving) {
            started = g_ColumnMovement.AddColumn(column, g_SeaPathGenerator, m_Turn.m_iPlannedRoute);
            if (started) {
                g_ColumnMovement.m_bMoving = true;
                if (const SeaPathHandle path = g_SeaPathGenerator.Get(m_Turn.m_iPlannedRoute)) path->m_bDrawn = false;
            }
        } else {
            g_ColumnMovement.m_bPaused = false;
        }
        if (started) {
            CDX9KelMapScreen::ShowButton(s.m_pStop, true);
            CDX9KelMapScreen::ShowButton(s.m_pGo, false);
        }
    }
    if (CDX9KelMapScreen::IsPressed(s.m_pStop) && m_Turn.m_iPlannedRoute != -1) {
        if (m_dwStopStamp == 0) {
            m_dwStopStamp = timeGetTime();
            g_ColumnMovement.m_bPaused = true;
            CDX9KelMapScreen::ShowButton(s.m_pStop, false);
            CDX9KelMapScreen::ShowButton(s.m_pGo, true);
        } else if (timeGetTime() - m_dwStopStamp > 1000) {
            m_dwStopStamp = 0;
        }
    }
    if (CDX9KelMapScreen::IsPressed(s.m_pDetach) && g_Utils.IsTimePassed(500)) {
        if (GetActiveSceneObject() != nullptr)
            DetachShipFromColumn(GetActiveSceneObject(), GetActiveRecord(), m_pPlayerColumns);
        SetActivePlayerObject(m_Turn.m_iActivePlayerObject);
    }
    if (CDX9KelMapScreen::IsPressed(s.m_pRudderCentre) && g_Utils.IsTimePassed(500) && s.m_pRudder != nullptr)
        s.m_pRudder->SetPosition(s.m_pRudder->m_iMaximum / 2, true);
}

void CDX9KelGameMap::ProcAIPhase() {
    if (!Moving()) return;
    const std::vector<GameColumnRecord*>* columns = m_pEnemyColumns;
    const int index = m_pComputer ? m_pComputer->GetActiveColumn() : -1;
    if (columns == nullptr || index < 0 || static_cast<std::size_t>(index) >= columns->size()) return;
    GameColumnRecord* column = (*columns)[static_cast<std::size_t>(index)];
    if (column == nullptr || column->m_Ships.empty() || column->m_Ships[0].m_pSceneObject == nullptr) return;
    CDX9KelSceneObject* first = column->m_Ships[0].m_pSceneObject;
    const D3DXVECTOR3 c = CentreOf(first);
    if (c.x >= m_vSceneMin.x && c.x <= m_vSceneMax.x && c.z >= m_vSceneMin.z && c.z <= m_vSceneMax.z) return;
    g_Log.Write(Vorna2::LOG_CONTINUE, "AI ships leafs fight\n");
    if (m_pEnemyGameObjects == nullptr || m_pEnemyGameObjects->size() <= 1) {
        if (!m_MapScreen.IsVisible(m_MapScreen.m_MissionEnd)) {
            g_Log.Write(Vorna2::LOG_CONTINUE, "All AI ships leafs fight : End Map \n");
            StopAllMovement();
            m_MapScreen.ShowOnTop(m_MapScreen.m_MissionEnd);
            if (m_pComputer) m_pComputer->NoteUnitLost();
            // The computer's phase is left: it puts back what it changed.
            if (m_pComputer) m_pComputer->AbortPhase();
            m_Turn.m_iGlobalState = GAME_MAP_GLOBAL_STATE_PLAYER;
        }
        return;
    }
    StopAllMovement();
    const GameMapPlace place = FindSideObject(first);
    if (place.side < 0) {
        g_Log.Write(Vorna2::LOG_ERROR, "AI ships column corrupted\n");
        return;
    }
    RemoveUnit(place.side, place.index);
    if (m_pComputer) m_pComputer->NoteUnitLost();
}

void CDX9KelGameMap::SetProcPlayerGUI(bool proc) {
    CDX9KelMapScreen& s = m_MapScreen;
    for (const MapScreenDialog* d : {&s.m_Movement, &s.m_MapControl, &s.m_Icons, &s.m_ShipGuns, &s.m_ShipParts,
                                     &s.m_ShipWater, &s.m_ShipFire, &s.m_ShipParamRadio})
        s.SetProc(*d, proc);
}

void CDX9KelGameMap::ProcSounds() {
    if (m_pScene == nullptr || m_pScene->m_pCameraManager == nullptr || m_MapScreen.IsVisible(m_MapScreen.m_MapMenu))
        return;
    if (const Vorna2::CDX9KelBaseCamera* camera = m_pScene->m_pCameraManager->GetActiveCamera()) {
        m_mSound._41 = camera->m_vEye.x;
        m_mSound._42 = camera->m_vEye.y;
        m_mSound._43 = camera->m_vEye.z;
    }
    if (Moving()) {
        PlayIfNot(m_sSoundIDShipMove);
        Quieten(m_sSoundIDShipStop);
        Quieten(m_sSoundIDSea);
    } else {
        PlayIfNot(m_sSoundIDShipStop);
        PlayIfNot(m_sSoundIDSea);
        Quieten(m_sSoundIDShipMove);
    }
    if (m_bActiveUnitBurning)
        PlayIfNot(m_sSoundIDFire);
    else
        Pause(m_sSoundIDFire);
}

void CDX9KelGameMap::ProcMissionEnd() {
    CDX9KelMapScreen& s = m_MapScreen;
    if (!s.IsVisible(s.m_MissionEnd) || !CDX9KelMapScreen::IsPressed(s.m_pContinue) || !g_Utils.IsTimePassed(2000)) return;
    for (int id : {m_sSoundIDShipMove, m_sSoundIDShipStop, m_sSoundIDFire, m_sSoundIDSea}) Pause(id);
    s.Hide(s.m_MissionEnd);
    // A unit the player had to destroy that is still afloat fails the map.
    const std::vector<std::string>& targets = m_iPlayerSide == SIDE_2 ? m_Params.m_stdvSide2Targets : m_Params.m_stdvSide1Targets;
    if (m_pEnemyGameObjects != nullptr)
        for (const std::string& name : targets)
            if (IsUnitPresent(*m_pEnemyGameObjects, name.c_str())) {
                g_Log.Write(Vorna2::LOG_CONTINUE, "Mission failed : %s\n", name.c_str());
                s.ShowOnTop(s.m_MissionFailed);
                return;
            }
    SetProcPlayerGUI(true);
    int player = 0, ai = 0;
    if (m_pPlayerGameObjects)
        for (const GameObjectRecord* r : *m_pPlayerGameObjects) player += r ? GetUnitDamageValue(r->m_pBattleData.get()) : 0;
    if (m_pEnemyGameObjects)
        for (const GameObjectRecord* r : *m_pEnemyGameObjects) ai += r ? GetUnitDamageValue(r->m_pBattleData.get()) : 0;
    m_iPlayerLoss += player;
    m_iAILoss += ai;
    if (m_OnMapLosses) m_OnMapLosses(player, ai);
    g_Log.Write(Vorna2::LOG_CONTINUE, "Mission complete : %s\n", m_szMapName);
    if (!m_NextMap || !m_NextMap(m_szMapName))
        g_Log.Write(Vorna2::LOG_ERROR, "Error : CDX9KelGameMap::ProcMissionEnd : no next map\n");
}

void CDX9KelGameMap::ProcMapFailed() {
    CDX9KelMapScreen& s = m_MapScreen;
    if (!s.IsVisible(s.m_MissionFailed)) return;
    if (CDX9KelMapScreen::IsPressed(s.m_pRetry) && g_Utils.IsTimePassed(1000)) {
        s.Hide(s.m_MissionFailed);
        SetProcPlayerGUI(true);
        if (!m_ReloadSystemSave || !m_ReloadSystemSave())
            g_Log.Write(Vorna2::LOG_FAILURE, "Error : CDX9KelGameMap::ProcMapFailed() : Not load system map save\n");
    } else if (CDX9KelMapScreen::IsPressed(s.m_pClose) && g_Utils.IsTimePassed(1000)) {
        s.Hide(s.m_MissionFailed);
        SetProcPlayerGUI(true);
    }
}

void CDX9KelGameMap::ClearMap(bool full) {
    if (!IsMapLoaded()) return;
    StopAllMovement();
    Vorna2::CDX9KelPhysicalManager* physics = m_pScene ? Vorna2::GetPhysicalManager(m_pScene) : nullptr;
    if (full) {
        if (m_pScene) m_pScene->DestroySceneTree();
        if (m_pScene && m_pScene->m_pGrahResManager) {
            m_pScene->m_pGrahResManager->DeleteGrapRes(kWaterName);
            m_pScene->m_pGrahResManager->DeleteGrapRes(kSkyName);
        }
        m_pWater = nullptr;
        if (m_MapScreen.m_GlobalMap.m_pDialog) m_MapScreen.m_GlobalMap.m_pDialog->Release();
        m_iGlobalMapImage = -1;
    } else {
        auto drop = [&](CDX9KelSceneObject* o) {
            if (o == nullptr) return;
            if (physics) physics->RemoveObject(o);
            if (m_pScene) m_pScene->DeleteSceneObject(o, true);
        };
        for (GameMapSide& side : m_Sides)
            for (CDX9KelSceneObject* o : side.m_SceneObjects) drop(o);
        for (CDX9KelSceneObject* o : m_NoSideSceneObjects) drop(o);
    }
    for (Vorna2::CDX9KelPLANE* ring : m_pRedRings)
        if (ring) ring->m_bVisible = false, ring->m_pFollowMatrix = nullptr;
    for (Vorna2::CDX9KelPLANE* ring : m_pGreyRings)
        if (ring) ring->m_bVisible = false, ring->m_pFollowMatrix = nullptr;
    if (m_pGreenRing) m_pGreenRing->m_bVisible = false, m_pGreenRing->m_pFollowMatrix = nullptr;
    // The destruction targets stay with a partial clear: a save of the same
    // map does not read the parameters again, and the mission must still
    // be able to fail.
    if (full) {
        m_Params.m_stdvSide1Targets.clear();
        m_Params.m_stdvSide2Targets.clear();
    }
    DeleteUnits();
    m_pPlayerSceneObjects = m_pEnemySceneObjects = nullptr;
    m_pPlayerGameObjects = m_pEnemyGameObjects = nullptr;
    m_pPlayerColumns = m_pEnemyColumns = nullptr;
    m_pPlayerAnimatedModels = m_pEnemyAnimatedModels = nullptr;
    m_szMapName[0] = 0;
    m_Turn.ResetForMap();
    m_iPlayerSide = -1;
    if (m_pComputer) {
        m_pComputer->ClearRatings();
        m_pComputer->AbortPhase();
    }
    if (physics) physics->Release();
    if (Vorna2::CDXParticleSystemManager* particles = m_pScene ? Vorna2::GetParticleSystemManager(m_pScene) : nullptr)
        particles->DeleteAllPS();
    RebuildIcons();
}

void CDX9KelGameMap::ProcMapControl() {
    CDX9KelMapScreen& s = m_MapScreen;
    if (s.m_MapControl.m_pDialog == nullptr) return;
    const bool calm = (!g_ColumnMovement.m_bMoving || g_ColumnMovement.m_bPaused) &&
                      g_BattleSystem.m_iState == BATTLE_SYSTEM_IDLE;
    if (CDX9KelMapScreen::IsPressed(s.m_pGlobalMapButton) && g_Utils.IsTimePassedOn(m_dwGlobalMapStamp, 200) && calm)
        ShowGlobalMap();
    // The unit markers of the global map: a hint, or the unit's picture
    // when one is pressed.
    Vorna2::CDX9KelGUIManager* gui = s.GetGUI();
    if (gui != nullptr && s.IsVisible(s.m_GlobalMapControls) && s.m_GlobalMapControls.m_pDialog->m_bMouseIn) {
        s.Hide(s.m_UnitDescription);
        if (m_iUnitInfoDialog < 0 || gui->GetDialog(m_iUnitInfoDialog) == nullptr ||
            !gui->GetDialog(m_iUnitInfoDialog)->m_bVisible) {
            auto check = [&](Vorna2::CDX9KelGUIButton* const* buttons, int count,
                             const std::vector<GameObjectRecord*>* records, DWORD colour) {
                const std::size_t n = records ? records->size() : 0;
                for (int i = 0; i < count && static_cast<std::size_t>(i) < n; ++i) {
                    Vorna2::CDX9KelGUIButton* b = buttons[i];
                    if (b == nullptr || !b->m_bVisible || !b->m_bMouseOver) continue;
                    const GameObjectRecord* unit = (*records)[static_cast<std::size_t>(i)];
                    if (b->m_iState == Vorna2::ButtonPressed) {
                        if (g_Utils.IsTimePassedOn(m_dwUnitInfoStamp, 1000)) ShowUnitInfoDialog(unit);
                    } else {
                        s.ShowGlobalMapHint(gui->GetCursor(), RecordText(unit->m_Unit.m_szName), colour);
                    }
                    return true;
                }
                return false;
            };
            if (!check(s.m_pPlayerMarkers, CDX9KelMapScreen::kPlayerMarkers, m_pPlayerGameObjects, MapColour::kGreen))
                check(s.m_pAIMarkers, CDX9KelMapScreen::kAIMarkers, m_pEnemyGameObjects, MapColour::kRed);
        }
    }
    if (CDX9KelMapScreen::IsPressed(s.m_pMenuButton) && g_Utils.IsTimePassedOn(m_dwMenuStamp, 200) && calm) {
        s.ShowOnTop(s.m_MapMenu);
        for (int id : {m_sSoundIDShipMove, m_sSoundIDShipStop, m_sSoundIDFire, m_sSoundIDSea}) Pause(id);
    }
}

bool CDX9KelGameMap::ShowUnitInfoDialog(const GameObjectRecord* unit) {
    Vorna2::CDX9KelGUIManager* gui = m_MapScreen.GetGUI();
    if (gui == nullptr || unit == nullptr || !unit->m_pTexts) return false;
    if (m_iUnitInfoDialog >= 0) gui->DeleteDialog(m_iUnitInfoDialog);
    m_iUnitInfoDialog = -1;
    const int width = gui->m_iClientWidth, height = gui->m_iClientHeight;
    const int left = (width - 340) / 2, top = (height - 460) / 2;
    m_iUnitInfoDialog = gui->AddDialog(left, top, width - left, height - top, unit->m_pTexts->m_szDescription, false);
    if (m_iUnitInfoDialog < 0) return false;
    gui->SetDialogAutoInvisible(m_iUnitInfoDialog, true);
    gui->SetActiveDialog(m_iUnitInfoDialog);
    return true;
}

bool CDX9KelGameMap::ShowGlobalMap() {
    CDX9KelMapScreen& s = m_MapScreen;
    if (s.m_GlobalMap.m_pDialog == nullptr || s.m_GlobalMapControls.m_pDialog == nullptr) return false;
    s.ShowOnTop(s.m_GlobalMap);
    s.ShowOnTop(s.m_GlobalMapControls);
    const RECT& r = s.m_GlobalMapControls.m_pDialog->m_Rect;
    const float w = static_cast<float>(r.right - r.left), h = static_cast<float>(r.bottom - r.top);
    const float spanX = m_vSceneMax.x - m_vSceneMin.x, spanZ = m_vSceneMax.z - m_vSceneMin.z;
    auto place = [&](Vorna2::CDX9KelGUIButton* const* buttons, int count, const std::vector<CDX9KelSceneObject*>* objects,
                     const std::vector<GameObjectRecord*>* records) {
        const std::size_t n = objects ? objects->size() : 0;
        if (n > static_cast<std::size_t>(count)) return false;
        for (int i = 0; i < count; ++i) {
            Vorna2::CDX9KelGUIButton* b = buttons[i];
            if (b == nullptr) continue;
            const auto k = static_cast<std::size_t>(i);
            const GameObjectRecord* rec = k < n && records && k < records->size() ? (*records)[k] : nullptr;
            if (rec == nullptr || !rec->m_pBattleData || rec->m_pBattleData->m_bAlive == 0 || !(spanX > 0.0f) ||
                !(spanZ > 0.0f)) {
                CDX9KelMapScreen::ShowButton(b, false);
                continue;
            }
            const D3DXVECTOR3 c = CentreOf((*objects)[k]);
            const int bw = b->m_Rect.right - b->m_Rect.left, bh = b->m_Rect.bottom - b->m_Rect.top;
            CDX9KelMapScreen::ShowButton(b, true);
            // Controls stand at window coordinates: the place on the chart
            // is offset by the chart's corner.
            b->MoveTo(r.left + static_cast<int>(w * (c.x - m_vSceneMin.x) / spanX - 0.5f * static_cast<float>(bw)),
                      r.top + static_cast<int>(h) -
                          static_cast<int>(h * (c.z - m_vSceneMin.z) / spanZ + 0.5f * static_cast<float>(bh)));
        }
        return true;
    };
    if (!place(s.m_pPlayerMarkers, CDX9KelMapScreen::kPlayerMarkers, m_pPlayerSceneObjects, m_pPlayerGameObjects))
        return false;
    return place(s.m_pAIMarkers, CDX9KelMapScreen::kAIMarkers, m_pEnemySceneObjects, m_pEnemyGameObjects);
}

void CDX9KelGameMap::ProcSaveMenu() {
    CDX9KelMapScreen& s = m_MapScreen;
    if (s.m_SaveMenu.m_pDialog == nullptr) return;
    if (!s.IsVisible(s.m_SaveMenu)) {
        m_bSaveMenuFilled = false;
        return;
    }
    if (!m_bSaveMenuFilled) {
        // The saves made so far, then an empty line for a new save.
        if (s.m_pSaveList) {
            s.m_pSaveList->ClearElements();
            if (m_SaveLister)
                for (const std::string& name : m_SaveLister()) s.m_pSaveList->AddElement(name.c_str());
            s.m_pSaveList->SelectElement(s.m_pSaveList->AddElement(""));
            m_iSaveMenuSelected = s.m_pSaveList->m_iSelected;
        }
        if (s.m_pSaveName) s.m_pSaveName->SetText("");
        for (Vorna2::CDX9KelGUIText* text : s.m_pSaveInfo)
            if (text) text->SetText("");
        m_bSaveMenuFilled = true;
    } else if (s.m_pSaveList && s.m_pSaveList->m_iSelected != m_iSaveMenuSelected) {
        // A save picked from the list: its name is offered for overwriting
        // and its header shown.
        m_iSaveMenuSelected = s.m_pSaveList->m_iSelected;
        const std::string name = s.m_pSaveList->m_strSelectedText;
        if (s.m_pSaveName) s.m_pSaveName->SetText(name.c_str());
        GameSaveHeader header;
        if (!name.empty() && m_SaveHeaderReader) m_SaveHeaderReader(name, &header);
        char line[128];
        const bool known = header.m_iTurn != -1;
        std::snprintf(line, sizeof line, "%s%s", "Time : ", header.m_szTime);
        if (s.m_pSaveInfo[0]) s.m_pSaveInfo[0]->SetText(known ? line : "");
        std::snprintf(line, sizeof line, "%s%s", "State : ", header.m_szPlayerSideName);
        if (s.m_pSaveInfo[1]) s.m_pSaveInfo[1]->SetText(known ? line : "");
        // The save menu names the map by its file, as the save records it.
        std::snprintf(line, sizeof line, "%s%s", "Map : ", header.m_szMapName);
        if (s.m_pSaveInfo[2]) s.m_pSaveInfo[2]->SetText(known ? line : "");
        std::snprintf(line, sizeof line, "%s%i", "Turn : ", static_cast<int>(header.m_iTurn));
        if (s.m_pSaveInfo[3]) s.m_pSaveInfo[3]->SetText(known ? line : "");
    }
    if (CDX9KelMapScreen::IsPressed(s.m_pSaveButton) && g_Utils.IsTimePassed(500)) {
        const std::string name = ReadEditBoxText(s.m_pSaveName);
        if (m_SaveWriter && m_SaveWriter(name, false))
            s.Hide(s.m_SaveMenu);
        else
            g_Log.Write(Vorna2::LOG_ERROR, "Error : CDX9KelGameMap::ProcSaveMenu : save %s not written\n", name.c_str());
    }
}

} // namespace VornaCampaign
