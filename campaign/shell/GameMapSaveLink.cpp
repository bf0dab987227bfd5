#include "campaign/shell/GameMapSaveLink.h"

#include "campaign/map/CDX9KelGameMap.h"
#include "campaign/ai/CDX9KelAISystem.h"
#include "campaign/routes/CDX9KelColumnMovement.h"
#include "engine2/core/CDX9KelLog.h"
#include "engine2/core/CDX9KelScene.h"
#include "engine2/core/CDX9KelUtils.h"
#include "engine2/core/render/CDX9KelBaseCamera.h"
#include "engine2/core/render/CDX9KelBaseCameraManager.h"
#include "engine2/core/scene/CDX9KelSceneObject.h"
#include "engine2/world/water/CDX9KelActiveWater.h"
#include "platform/os/Clock.h"
#include "platform/os/Crt.h"

namespace VornaCampaign {

std::string GameMapSaveLink::GetMapName() const { return m_pMap ? RecordText(m_pMap->m_szMapName) : std::string(); }

std::string GameMapSaveLink::GetMapTitle() const { return m_pMap ? RecordText(m_pMap->m_szMapTitle) : std::string(); }

int GameMapSaveLink::GetTurn() const { return m_pMap ? static_cast<int>(m_pMap->m_Turn.m_uRound) : 1; }

int GameMapSaveLink::GetActiveObject() const { return m_pMap ? m_pMap->m_Turn.m_iActivePlayerObject : -1; }

bool GameMapSaveLink::GetSideUnits(int saveSide, std::vector<D3DXMATRIX>& matrices,
                                   const std::vector<GameObjectRecord*>** objects) const {
    if (!m_pMap || !objects) return false;
    const std::vector<Vorna2::CDX9KelSceneObject*>* scene = nullptr;
    switch (saveSide) {
    case SAVE_UNSIDE:
        scene = &m_pMap->m_NoSideSceneObjects;
        *objects = &m_pMap->m_NoSideGameObjects;
        break;
    case SAVE_SIDE1:
    case SAVE_SIDE2:
        scene = &m_pMap->Side(saveSide).m_SceneObjects;
        *objects = &m_pMap->Side(saveSide).m_GameObjects;
        break;
    default:
        return false;
    }
    matrices.clear();
    matrices.reserve(scene->size());
    for (const Vorna2::CDX9KelSceneObject* object : *scene) {
        if (!object) return false;
        matrices.push_back(object->m_mWorld);
    }
    return true;
}

bool GameMapSaveLink::GetSideColumns(int side, std::vector<MapColumnRecord>& columns) const {
    if (!m_pMap || (side != 1 && side != 2)) return false;
    columns.clear();
    for (const GameColumnRecord* column : m_pMap->Side(side).m_Columns) {
        if (!column) continue;
        MapColumnRecord record;
        record.m_fSpeed = column->m_fStoredSpeed;
        record.m_fMovementUsed = column->m_fTimeUsed;
        for (const ColumnShip& ship : column->m_Ships)
            if (ship.m_pObject) record.m_stdvShipNames.emplace_back(RecordText(ship.m_pObject->m_Unit.m_szName));
        columns.push_back(std::move(record));
    }
    return true;
}

void GameMapSaveLink::ClearMap(bool full) {
    if (m_pMap) m_pMap->ClearMap(full);
}

bool GameMapSaveLink::SetPlayerSide(int side) { return m_pMap && m_pMap->SetPlayerSide(side); }

bool GameMapSaveLink::LoadMap(const char* name) {
    if (!m_pMap || !name || !m_pMap->LoadMap(name)) return false;
    // The computer plays the side the player does not.
    g_AISystem.SetSides(m_pMap->m_iPlayerSide);
    return true;
}

bool GameMapSaveLink::LoadFromSave(GameSaveData& data, bool mapChanged) {
    if (!m_pMap) return false;
    GameMapSaveData save;
    SetRecordText(save.m_szMapName, data.m_szMapName);
    save.m_uRound = static_cast<std::uint32_t>(data.m_iTurn);
    save.m_iActiveObject = data.m_iActiveObject;
    std::vector<GameMapSavedObject>* lists[SAVE_SIDE_COUNT] = {&save.m_NoSide, &save.m_Side1, &save.m_Side2};
    for (int side = 0; side < SAVE_SIDE_COUNT; ++side) {
        auto& objects = data.m_stdvObjects[side];
        for (std::size_t i = 0; i < objects.size(); ++i) {
            GameMapSavedObject saved;
            saved.m_pObject = std::move(objects[i]);
            saved.m_mWorld = data.m_stdvMatrices[side][i];
            lists[side]->push_back(std::move(saved));
        }
        objects.clear();
    }
    save.m_Side1Columns = data.m_stdvColumns[0];
    save.m_Side2Columns = data.m_stdvColumns[1];
    if (!m_pMap->LoadFromSave(&save, mapChanged)) return false;
    g_AISystem.SetSides(m_pMap->m_iPlayerSide);
    return true;
}

namespace {

// A stamp of the clock as its age now, and back.
std::uint32_t AgeOf(DWORD stamp, DWORD now) { return stamp == 0 ? kRunStateNoStamp : static_cast<std::uint32_t>(now - stamp); }

DWORD StampOf(std::uint32_t age, DWORD now) {
    if (age == kRunStateNoStamp) return 0;
    const DWORD stamp = now - age;
    // 0 means a free stamp: an armed one never reads 0.
    return stamp == 0 ? 1 : stamp;
}

Vorna2::CDX9KelGlobalCamera* GlobalCamera(const CDX9KelGameMap* map) {
    Vorna2::CDX9KelScene* scene = map ? map->GetScene() : nullptr;
    Vorna2::CDX9KelBaseCameraManager* cameras = scene ? scene->m_pCameraManager : nullptr;
    return cameras ? dynamic_cast<Vorna2::CDX9KelGlobalCamera*>(cameras->GetActiveCamera()) : nullptr;
}

} // namespace

bool GameMapSaveLink::GetRunState(GameRunState& s) const {
    if (!m_pMap || !m_pMap->IsMapLoaded()) return false;
    s = GameRunState();
    const DWORD now = timeGetTime();
    std::uint64_t random = 0;
    s.m_bHasRandom = Platform::GetRandomState(random) ? 1 : 0;
    s.m_uRandomState = s.m_bHasRandom ? random : 0;
    for (int gate = 0; gate < 2; ++gate) s.m_uGateAge[gate] = AgeOf(Vorna2::g_Utils.GetGateStamp(gate), now);
    s.m_uFinishMovAge = AgeOf(m_pMap->m_dwFinishMovStamp, now);
    s.m_uStopAge = AgeOf(m_pMap->m_dwStopStamp, now);
    s.m_uBlockedAge = AgeOf(m_pMap->m_dwBlockedStamp, now);
    s.m_bBlockedNotice = m_pMap->m_bBlockedNotice ? 1 : 0;
    if (const Vorna2::CDX9KelActiveWater* water = m_pMap->m_pWater) {
        s.m_bHasWater = 1;
        s.m_uWaterSeed = water->GetNoiseSeed();
        s.m_dWaveTime = water->m_dTime;
        s.m_dWaveStep = water->m_dEasedStep;
        s.m_uWaterSinceLast = static_cast<std::uint32_t>(now - water->m_dwLastTime);
    }
    const CDX9KelGameMapTurn& turn = m_pMap->m_Turn;
    s.m_iGlobalState = turn.m_iGlobalState;
    s.m_iPlannedRoute = turn.m_iPlannedRoute;
    s.m_iBattleWait = turn.m_iBattleWait;
    s.m_bContactReselect = turn.m_bContactReselect ? 1 : 0;
    s.m_fTurnMoveLimit = turn.m_fTurnMoveLimit;
    s.m_uRoundsCount = turn.m_uRoundsCount;
    s.m_fSpeedFactor = g_ColumnMovement.m_fSpeedFactor;
    s.m_bPaused = g_ColumnMovement.m_bPaused ? 1 : 0;
    // The same columns, in the same order, as GetSideColumns writes.
    for (int side = 1; side <= 2; ++side)
        for (const GameColumnRecord* c : m_pMap->Side(side).m_Columns) {
            if (!c) continue;
            RunStateColumn r;
            r.m_fSpeedLimit = c->m_fSpeedLimit;
            r.m_fTurnLimit = c->m_fTurnLimit;
            r.m_fAccelerationLimit = c->m_fAccelerationLimit;
            r.m_fCurrentSpeed = c->m_fCurrentSpeed;
            r.m_fRudder = c->m_fRudder;
            r.m_fOrderedSpeed = c->m_fOrderedSpeed;
            r.m_fReducedSpeed = c->m_fReducedSpeed;
            s.m_Columns[side - 1].push_back(r);
        }
    if (g_AISystem.GetGameMap() == m_pMap) g_AISystem.GetRunState(s.m_AI);
    if (const Vorna2::CDX9KelGlobalCamera* camera = GlobalCamera(m_pMap)) {
        s.m_bHasCamera = 1;
        s.m_vLookAt = camera->m_vLookAt;
        s.m_fPitch = camera->m_fPitch;
        s.m_fYaw = camera->m_fYaw;
        s.m_fDistance = camera->m_fDistance;
    }
    return true;
}

bool GameMapSaveLink::SetRunState(const GameRunState& s) {
    if (!m_pMap || !m_pMap->IsMapLoaded()) return false;
    // Everything is checked against the rebuilt map before anything changes.
    std::vector<GameColumnRecord*> columns[2];
    for (int side = 1; side <= 2; ++side)
        for (GameColumnRecord* c : m_pMap->Side(side).m_Columns)
            if (c) columns[side - 1].push_back(c);
    for (int side = 0; side < 2; ++side)
        if (columns[side].size() != s.m_Columns[side].size()) {
            Vorna2::g_Log.Write(Vorna2::LOG_ERROR,
                                "Error : CDX9KelGameSaver::LoadSave : the run state has %zu columns of side %d, the map "
                                "%zu : the run state is left out\n",
                                s.m_Columns[side].size(), side + 1, columns[side].size());
            return false;
        }
    const DWORD now = timeGetTime();
    if (s.m_bHasRandom) Platform::SetRandomState(s.m_uRandomState);
    for (int gate = 0; gate < 2; ++gate) Vorna2::g_Utils.SetGateStamp(gate, StampOf(s.m_uGateAge[gate], now));
    m_pMap->m_dwFinishMovStamp = StampOf(s.m_uFinishMovAge, now);
    m_pMap->m_dwStopStamp = StampOf(s.m_uStopAge, now);
    m_pMap->m_dwBlockedStamp = StampOf(s.m_uBlockedAge, now);
    m_pMap->m_bBlockedNotice = s.m_bBlockedNotice != 0;
    if (Vorna2::CDX9KelActiveWater* water = m_pMap->m_pWater; water && s.m_bHasWater) {
        if (water->GetNoiseSeed() != s.m_uWaterSeed) water->InitNoise(s.m_uWaterSeed);
        water->SetWaveTime(s.m_dWaveTime, s.m_dWaveStep, s.m_uWaterSinceLast);
    }
    CDX9KelGameMapTurn& turn = m_pMap->m_Turn;
    turn.m_iGlobalState = s.m_iGlobalState;
    turn.m_iPlannedRoute = s.m_iPlannedRoute;
    turn.m_iBattleWait = s.m_iBattleWait;
    turn.m_bContactReselect = s.m_bContactReselect != 0;
    turn.m_fTurnMoveLimit = s.m_fTurnMoveLimit;
    turn.m_uRoundsCount = s.m_uRoundsCount;
    g_ColumnMovement.m_fSpeedFactor = s.m_fSpeedFactor;
    g_ColumnMovement.m_bPaused = s.m_bPaused != 0;
    for (int side = 0; side < 2; ++side)
        for (std::size_t i = 0; i < columns[side].size(); ++i) {
            GameColumnRecord* c = columns[side][i];
            const RunStateColumn& r = s.m_Columns[side][i];
            c->m_fSpeedLimit = r.m_fSpeedLimit;
            c->m_fTurnLimit = r.m_fTurnLimit;
            c->m_fAccelerationLimit = r.m_fAccelerationLimit;
            c->m_fCurrentSpeed = r.m_fCurrentSpeed;
            c->m_fRudder = r.m_fRudder;
            c->m_fOrderedSpeed = r.m_fOrderedSpeed;
            c->m_fReducedSpeed = r.m_fReducedSpeed;
        }
    // The movement panel shows the active column's orders as they were.
    m_pMap->FillMovementDialog();
    if (g_AISystem.GetGameMap() == m_pMap) g_AISystem.SetRunState(s.m_AI);
    if (Vorna2::CDX9KelGlobalCamera* camera = GlobalCamera(m_pMap); camera && s.m_bHasCamera) {
        camera->m_vLookAt = s.m_vLookAt;
        camera->m_fDistance = s.m_fDistance;
        camera->SetAngles(s.m_fPitch, s.m_fYaw);
    }
    return true;
}

} // namespace VornaCampaign
