#include "campaign/save/GameMapSaveLink.h"

#include "campaign/CDX9KelGameMap.h"
#include "campaign/ai/CDX9KelAISystem.h"
#include "engine2/core/scene/CDX9KelSceneObject.h"

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

} // namespace VornaCampaign
