// The game map's construction, side views, lookups and release.
#include "campaign/map/CDX9KelGameMap.h"

#include "engine2/core/CDX9KelLog.h"
#include "engine2/core/CDX9KelScene.h"
#include "engine2/core/resources/CDX9KelGraphicsResManager.h"
#include "engine2/core/scene/CDX9KelSceneObject.h"
#include "engine2/ui/gui/CDX9KelGUIEditBox.h"
#include "engine2/world/physics/PhysicsSceneSlot.h"

#include <cstring>

namespace VornaCampaign {

CDX9KelGameMap::CDX9KelGameMap() {
    D3DXMatrixIdentity(&m_mSound);
    D3DXMatrixIdentity(&m_mSoundUp);
}

CDX9KelGameMap::~CDX9KelGameMap() {
    if (g_SeaPathGenerator.m_pModel == m_pPathModel) g_SeaPathGenerator.m_pModel = nullptr;
    // The scene's objects and resources belong to the scene; what the map
    // owns goes with it.
    for (GameMapSide& side : m_Sides) {
        for (GameObjectRecord* o : side.m_GameObjects) delete o;
        for (CDX9KelAnimatedModel* a : side.m_AnimatedModels) delete a;
        for (GameColumnRecord* c : side.m_Columns) delete c;
    }
    for (GameObjectRecord* o : m_NoSideGameObjects) delete o;
}

bool CDX9KelGameMap::SetPlayerSide(int side) {
    if ((side != 1 && side != 2) || IsMapLoaded()) return false;
    m_iPlayerSide = side;
    GameMapSide& player = Side(side);
    GameMapSide& enemy = Side(side == 1 ? 2 : 1);
    m_pPlayerSceneObjects = &player.m_SceneObjects;
    m_pPlayerGameObjects = &player.m_GameObjects;
    m_pPlayerColumns = &player.m_Columns;
    m_pPlayerAnimatedModels = &player.m_AnimatedModels;
    m_pEnemySceneObjects = &enemy.m_SceneObjects;
    m_pEnemyGameObjects = &enemy.m_GameObjects;
    m_pEnemyColumns = &enemy.m_Columns;
    m_pEnemyAnimatedModels = &enemy.m_AnimatedModels;
    return true;
}

GameMapPlace CDX9KelGameMap::FindGameObjectByName(const char* name) const {
    if (!name) return {};
    for (int s = 0; s < MAP_PLAYING_SIDES; ++s) {
        const std::vector<GameObjectRecord*>& list = m_Sides[s].m_GameObjects;
        for (std::size_t i = 0; i < list.size(); ++i)
            if (list[i] && std::strcmp(list[i]->m_Unit.m_szName, name) == 0) return {s + 1, static_cast<int>(i)};
    }
    return {};
}

GameMapPlace CDX9KelGameMap::FindSideObject(const Vorna2::CDX9KelSceneObject* object) const {
    if (!object) return {};
    for (int s = 0; s < MAP_PLAYING_SIDES; ++s) {
        const std::vector<Vorna2::CDX9KelSceneObject*>& list = m_Sides[s].m_SceneObjects;
        for (std::size_t i = 0; i < list.size(); ++i)
            if (list[i] == object) return {s + 1, static_cast<int>(i)};
    }
    return {};
}

int CDX9KelGameMap::FindNoSideObject(const Vorna2::CDX9KelSceneObject* object) const {
    if (!object) return -1;
    for (std::size_t i = 0; i < m_NoSideSceneObjects.size(); ++i)
        if (m_NoSideSceneObjects[i] == object) return static_cast<int>(i);
    return -1;
}

GameObjectRecord* CDX9KelGameMap::GetGameObject(const Vorna2::CDX9KelSceneObject* object) const {
    const GameMapPlace place = FindSideObject(object);
    if (place.side > 0) {
        const GameMapSide& side = Side(place.side);
        return static_cast<std::size_t>(place.index) < side.m_GameObjects.size() ? side.m_GameObjects[place.index]
                                                                                 : nullptr;
    }
    const int index = FindNoSideObject(object);
    if (index >= 0 && static_cast<std::size_t>(index) < m_NoSideGameObjects.size()) return m_NoSideGameObjects[index];
    return nullptr;
}

GameColumnRecord* CDX9KelGameMap::GetColumnOfSceneObject(const Vorna2::CDX9KelSceneObject* object) const {
    const GameMapPlace place = FindSideObject(object);
    if (place.side <= 0) return nullptr;
    const GameObjectRecord* unit = Side(place.side).m_GameObjects[static_cast<std::size_t>(place.index)];
    return unit ? unit->m_pColumn : nullptr;
}

ISeaObstacleQuery* CDX9KelGameMap::GetObstacleQuery() {
    m_ObstacleQuery.SetPhysicalManager(m_pScene ? Vorna2::GetPhysicalManager(m_pScene) : nullptr);
    return &m_ObstacleQuery;
}

void CDX9KelGameMap::BindRouteFinder() {
    Vorna2::g_Log.Write(7, "CDX9KelSeaPathFinder::SetPhysicalManager\n");
    g_SeaPathFinder.SetObstacleQuery(GetObstacleQuery());
}

void CDX9KelGameMap::ClearColumnMovement() {
    g_ColumnMovement.m_Entries.clear();
    g_ColumnMovement.m_bMoving = false;
    g_ColumnMovement.m_bPaused = false;
}

std::string CDX9KelGameMap::ReadEditBoxText(Vorna2::CDX9KelGUIEditBox* box) {
    if (!box) return {};
    const std::string text = box->GetText();
    if (box->m_pTextOut) *box->m_pTextOut = text;
    return text;
}

// Every unit of the map goes: the sides' scene object lists, records,
// animated models and columns, and the objects of no side.
void CDX9KelGameMap::DeleteUnits() {
    for (GameMapSide& side : m_Sides) {
        side.m_SceneObjects.clear();
        for (GameObjectRecord* o : side.m_GameObjects) delete o;
        side.m_GameObjects.clear();
        for (CDX9KelAnimatedModel* a : side.m_AnimatedModels) delete a;
        side.m_AnimatedModels.clear();
        for (GameColumnRecord* c : side.m_Columns) {
            ReleaseColumnRecord(c);
            delete c;
        }
        side.m_Columns.clear();
    }
    m_NoSideSceneObjects.clear();
    for (GameObjectRecord* o : m_NoSideGameObjects) delete o;
    m_NoSideGameObjects.clear();
}

void CDX9KelGameMap::Release() {
    ClearColumnMovement();
    if (m_pScene) {
        // The scene's objects go with its tree; the graphic resources (the
        // water, the sky and the selection planes among them) are deleted.
        for (GameMapSide& side : m_Sides)
            for (Vorna2::CDX9KelSceneObject* o : side.m_SceneObjects) m_pScene->DeleteSceneObject(o, true);
        for (Vorna2::CDX9KelSceneObject* o : m_NoSideSceneObjects) m_pScene->DeleteSceneObject(o, true);
        m_pScene->DestroySceneTree();
        // The water and the sky go; the selection planes, made once at
        // start-up, stay for the next map.
        if (m_pScene->m_pGrahResManager) {
            m_pScene->m_pGrahResManager->DeleteGrapRes(kWaterName);
            m_pScene->m_pGrahResManager->DeleteGrapRes(kSkyName);
        }
    }
    m_pWater = nullptr;
    DeleteUnits();
    m_Params.m_stdvSide1Targets.clear();
    m_Params.m_stdvSide2Targets.clear();
    m_pPlayerSceneObjects = nullptr;
    m_pPlayerGameObjects = nullptr;
    m_pPlayerColumns = nullptr;
    m_iGlobalMapImage = -1;
    m_szMapName[0] = 0;
    m_Turn.m_uRound = 1;
    m_iPlayerSide = -1;
    m_Turn.m_iActivePlayerObject = -1;
    m_Turn.m_iPlannedRoute = -1;
}

} // namespace VornaCampaign
