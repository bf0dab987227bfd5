// The game map's loading: the map file, the view (scene tree, sun, water,
// sky, camera limits), the scenery, the units with their descriptions and
// animation data, the columns and the funnel smoke; and the rebuild from a
// save.
#include "campaign/battle/CDX9KelBattleSystem.h"
#include "campaign/map/CDX9KelGameMap.h"
#include "campaign/data/CDX9KelDataIO.h"

#include "engine2/core/CDX9KelLog.h"
#include "engine2/core/CDX9KelScene.h"
#include "engine2/core/CDX9KelUtils.h"
#include "engine2/core/render/CDX9KelBaseCamera.h"
#include "engine2/core/render/CDX9KelBaseCameraManager.h"
#include "engine2/core/render/CDX9KelLightManager.h"
#include "engine2/core/render/CDX9KelRender.h"
#include "engine2/core/resources/CDX9KelGraphicsResManager.h"
#include "engine2/core/resources/CDX9KelModel.h"
#include "engine2/core/scene/CDX9KelSceneObject.h"
#include "engine2/world/particles/ParticleSceneSlot.h"
#include "engine2/world/physics/PhysicsSceneSlot.h"
#include "engine2/world/water/CDX9KelActiveWater.h"
#include "engine2/world/water/CDX9KelSkyWall.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>

namespace VornaCampaign {

using Vorna2::g_Log;

// The unit's movement-state record is its float record in the physical
// manager: the two records have the same fields in the same places.
static_assert(sizeof(MovementStateRecord) == sizeof(Vorna2::CDX9KelFloatRecord));
static_assert(offsetof(MovementStateRecord, m_fFloodLevel) == offsetof(Vorna2::CDX9KelFloatRecord, m_fHeightOffset));
static_assert(offsetof(MovementStateRecord, m_bCanSink) == offsetof(Vorna2::CDX9KelFloatRecord, m_bActive));

namespace {

Vorna2::CDX9KelFloatRecord* FloatRecordOf(GameObjectRecord* object) {
    return object && object->m_pMovementState ? reinterpret_cast<Vorna2::CDX9KelFloatRecord*>(object->m_pMovementState.get())
                                              : nullptr;
}

Vorna2::CDX9KelSceneObject* PlaceModel(Vorna2::CDX9KelScene* scene, Vorna2::CDX9KelModel* model, const D3DXMATRIX& m) {
    return scene->CreateSceneObject(model, m._11, m._12, m._13, m._14, m._21, m._22, m._23, m._24, m._31, m._32, m._33,
                                    m._34, m._41, m._42, m._43, m._44);
}

// The frame's matrix relative to the model's root, when a frame of that
// name exists below `frame` (depth first).
bool FindFrameMatrix(const D3DXFRAME* frame, const char* name, const D3DXMATRIX& parent, D3DXMATRIX* out) {
    for (; frame; frame = frame->pFrameSibling) {
        D3DXMATRIX m;
        D3DXMatrixMultiply(&m, &frame->TransformationMatrix, &parent);
        if (frame->Name && std::strcmp(frame->Name, name) == 0) {
            *out = m;
            return true;
        }
        if (FindFrameMatrix(frame->pFrameFirstChild, name, m, out)) return true;
    }
    return false;
}

bool NameInList(const std::vector<std::string>* list, const char* name) {
    if (!list) return false;
    for (const std::string& n : *list)
        if (n == name) return true;
    return false;
}

} // namespace

Vorna2::CDX9KelModel* CDX9KelGameMap::LoadUpdatedModel(const std::string& modelFolder, const char* model,
                                                      const char* effect) {
    if (!model || !model[0]) return nullptr;
    const std::string modelPath = modelFolder + model;
    const std::string effectPath = effect && effect[0] ? m_szEffectsFolder + effect : std::string();
    Vorna2::CDX9KelModel* loaded = m_pScene->LoadModel(modelPath.c_str(), effectPath.c_str());
    if (!loaded) return nullptr;
    loaded->UpdateFrameMatrices(loaded->m_pFrameRoot, loaded->m_pBounds, &loaded->m_mWorld);
    loaded->UpdateFrameBoundingBoxes(loaded->m_pFrameRoot, loaded->m_pBounds);
    return loaded;
}

bool CDX9KelGameMap::IsLostUnit(int side, const char* name) const {
    if (m_iPlayerSide != 1 && m_iPlayerSide != 2) return false;
    if (side == m_iPlayerSide) return NameInList(m_pLostPlayerUnits, name);
    if (side == 1 || side == 2) return NameInList(m_pLostAIUnits, name);
    return false;
}

bool CDX9KelGameMap::LoadMap(const char* name) {
    g_Log.Write(7, "CDX9KelGameMap::LoadMap() : %s\n", name ? name : "");
    if (!name || !name[0] || !m_pScene) return false;
    std::string path;
    Vorna2::CDX9KelUtils::GetExeFolderPath(path, (m_szMapsFolder + name).c_str());

    MapDescriptionRecord description;
    std::vector<D3DXMATRIX> staticMatrices;
    std::vector<MapUnitRecord> units;
    std::vector<D3DXMATRIX> unitMatrices;
    std::vector<MapColumnRecord> columns;
    if (!g_DataIO.ReadGameMap(path.c_str(), &description, &staticMatrices, &units, &unitMatrices, &columns)) {
        g_Log.Write(10, "Error : CDX9KelGameMap::LoadMap() : ReadGameMap == false\n");
        return false;
    }
    SetRecordText(m_szMapName, name);
    SetRecordText(m_szMapTitle, description.m_szName);
    m_vSceneMin = description.m_vSceneMin;
    m_vSceneMax = description.m_vSceneMax;
    m_vMapMin = description.m_vMapMin;
    m_vMapMax = description.m_vMapMax;

    if (!InitView(description)) return false;

    for (std::size_t i = 0; i < description.m_stdvStaticObjects.size() && i < staticMatrices.size(); ++i)
        CreateStaticObject(&description.m_stdvStaticObjects[i], &staticMatrices[i]);
    for (std::size_t i = 0; i < units.size() && i < unitMatrices.size(); ++i) CreateDynamicObject(&units[i], &unitMatrices[i]);
    for (const MapColumnRecord& column : columns) CreateColumn(&column);

    if (!LoadMapParameters()) {
        g_Log.Write(10, "Error : CDX9KelGameMap::LoadMap() : LoadMapParameters == false\n");
        return false;
    }
    if (!CreateIcons()) {
        g_Log.Write(10, "Error : CDX9KelGameMap::LoadMap() : CreateIcons == false\n");
        return false;
    }
    if (!CreateGlobalMap()) {
        g_Log.Write(10, "Error : CDX9KelGameMap::LoadMap() : CreateGlobalMap == false\n");
        return false;
    }
    CreateInitParticleSystems();
    FinishLoading(0);
    StopLoopSounds();

    if (!m_SystemSaveWriter || !m_SystemSaveWriter(*this))
        g_Log.Write(10, "Error : CDX9KelGameMap::LoadMap() : Not create system map save\n");
    g_Log.Write(7, "CDX9KelGameMap::LoadMap() : OK\n");
    return true;
}

void CDX9KelGameMap::FinishLoading(int activeObject) {
    SetActivePlayerObject(activeObject);
    SetMapControlDlgData();
    SetIconsFlagsDlg();
    HandListsToBattleSystem();
}

void CDX9KelGameMap::HandListsToBattleSystem() {
    CDX9KelBattleSystem::MapLists lists;
    for (int s = 0; s < MAP_PLAYING_SIDES; ++s) {
        lists.m_pGameObjects[s] = &m_Sides[s].m_GameObjects;
        lists.m_pSceneObjects[s] = &m_Sides[s].m_SceneObjects;
        lists.m_pAnimatedModels[s] = &m_Sides[s].m_AnimatedModels;
    }
    Vorna2::CDXParticleSystemManager* particles = m_pScene ? Vorna2::GetParticleSystemManager(m_pScene) : nullptr;
    IDirect3DDevice9* device = m_pScene ? m_pScene->GetD3DDevice() : nullptr;
    if (particles && device) {
        lists.m_pParticles = particles;
        lists.m_pDevice = device;
    }
    g_BattleSystem.SetMapLists(lists);
}

bool CDX9KelGameMap::InitView(const MapDescriptionRecord& description) {
    if (!m_pScene || !m_pScene->m_pRender || !m_pScene->m_pGrahResManager || m_pWater) return false;
    if (!m_pScene->CreateSceneTree(m_vSceneMin, m_vSceneMax, kSceneTreeNodeSize, false)) {
        g_Log.Write(10, "Error : CDX9KelGameMap::InitView() : m_pScene->CreateSceneTree == false\n");
        return false;
    }
    if (m_pScene->m_pLightManager) {
        if (Vorna2::CDX9KelLight* light = m_pScene->m_pLightManager->GetFirstLight()) {
            const D3DXVECTOR4& c = description.m_vSunColor;
            light->m_SunColor = D3DXCOLOR(c.x, c.y, c.z, c.w);
            if (description.m_fSunShininess >= 0.0f) light->m_fSunShininess = description.m_fSunShininess;
            if (description.m_fSunStrength >= 0.0f) light->m_fSunStrength = description.m_fSunStrength;
            light->m_bChanged = true;
        }
    }

    // Normals on the graphics card where the adapter is known to manage it.
    const Vorna2::CDX9KelRender* render = m_pScene->m_pRender;
    bool hardwareNormals = false;
    if (std::strcmp(render->m_szVendor, "RADEON") == 0) {
        hardwareNormals = true;
    } else if (std::strcmp(render->m_szVendor, "NVIDIA") == 0) {
        hardwareNormals = render->m_szModelNumber[0] >= '8' && render->m_szModelNumber[0] <= '9';
        if (!hardwareNormals) g_Log.Write(7, "CDX9KelGameMap::InitView() : software water normal generation\n");
    }
    if (hardwareNormals) g_Log.Write(7, "CDX9KelGameMap::InitView() : hardware water normal generation\n");

    auto* water = new Vorna2::CDX9KelActiveWater();
    water->SetAmplitude(description.m_fWaterAmplitude);
    water->SetWaterColor(description.m_vWaterColor.x, description.m_vWaterColor.y, description.m_vWaterColor.z);
    const std::string waterTexture = m_szTexturesFolder + RecordText(description.m_szWaterTexture);
    if (!water->Init(m_pScene->m_pGrahResManager, m_pScene->m_pCameraManager, m_pScene->m_pRenderSystem,
                     D3DMULTISAMPLE_NONE, m_pScene->GetD3DDevice(), waterTexture.c_str(), m_szFresnelTexture.c_str(),
                     m_szWaterHeightEffect.c_str(), m_szWaterNormalEffect.c_str(), m_szWaterSurfaceEffect.c_str(),
                     m_szWaterNormalSoftEffect.c_str(), !hardwareNormals)) {
        water->Release();
        delete water;
        g_Log.Write(10, "Error : CDX9KelGameMap::InitView() : m_pWater->Init == false\n");
        return false;
    }
    g_Log.Write(7, "CDX9KelGameMap::InitView() : m_pWater->Init\n");
    water->SetName(kWaterName);
    m_pScene->m_pGrahResManager->AddGrapRes(water);
    m_pWater = water;
    if (Vorna2::CDX9KelPhysicalManager* physics = Vorna2::GetPhysicalManager(m_pScene)) physics->SetWater(water);

    auto* sky = new Vorna2::CDX9KelSkyWall();
    if (!sky->Init(m_pScene->m_pGrahResManager, m_pScene->m_pCameraManager, m_szTexturesFolder.c_str(),
                   description.m_szSkyTexture, nullptr, m_pScene->GetD3DDevice())) {
        sky->Release();
        delete sky;
        g_Log.Write(10, "Error : CDX9KelGameMap::InitView() : pSky->Init == false\n");
        return false;
    }
    g_Log.Write(7, "CDX9KelGameMap::InitView() : pSky->Init\n");
    sky->SetName(kSkyName);
    m_pScene->m_pGrahResManager->AddGrapRes(sky);

    if (!m_pScene->m_pCameraManager) {
        g_Log.Write(-1, "Error : CDX9KelGameMap::InitView : GetCameraManager() == NULL\n");
        return true;
    }
    if (auto* global = dynamic_cast<Vorna2::CDX9KelGlobalCamera*>(m_pScene->m_pCameraManager->GetActiveCamera())) {
        // The camera's target stays over the map area: between its minimum
        // and its maximum (a map area around the origin keeps the camera
        // free to pan both ways).
        global->m_fMinX = std::min(m_vMapMin.x, m_vMapMax.x);
        global->m_fMinZ = std::min(m_vMapMin.z, m_vMapMax.z);
        global->m_fMaxX = std::max(m_vMapMin.x, m_vMapMax.x);
        global->m_fMaxZ = std::max(m_vMapMin.z, m_vMapMax.z);
    }
    return true;
}

bool CDX9KelGameMap::CreateStaticObject(const MapStaticObjectRecord* record, const D3DXMATRIX* matrix) {
    if (!m_pScene || !m_pScene->m_pSceneTree || !record || !matrix) return false;
    Vorna2::CDX9KelModel* model1 = LoadUpdatedModel(m_szStaticModelsFolder, record->m_szModel1, record->m_szEffect1);
    if (!model1) {
        g_Log.Write(10, "Error : CDX9KelGameMap::CreateStaticObject() :\nModel : %s%s\nEffect : %s%s\n",
                    m_szStaticModelsFolder.c_str(), record->m_szModel1, m_szEffectsFolder.c_str(), record->m_szEffect1);
        return false;
    }
    Vorna2::CDX9KelModel* model2 = LoadUpdatedModel(m_szStaticModelsFolder, record->m_szModel2, record->m_szEffect2);
    Vorna2::CDX9KelModel* model3 = LoadUpdatedModel(m_szStaticModelsFolder, record->m_szModel3, record->m_szEffect3);
    Vorna2::CDX9KelSceneObject* object = PlaceModel(m_pScene, model1, *matrix);
    if (!object) {
        g_Log.Write(-1, "Error : CEditorView::CreateObject : pSceneObject == NULL\n");
        return false;
    }
    if (model2) object->AddModel(model2);
    if (model3) object->AddModel(model3);
    object->SetLODDistances(300.0f, 700.0f);
    return true;
}

// The unit's scene object with its three levels of detail and, for the two
// playing sides, its animated model (left empty when the ".amd" file fails,
// as the unit still stands on the map). `operation` names the caller in the
// log lines.
Vorna2::CDX9KelSceneObject* CDX9KelGameMap::BuildUnitObject(const MapUnitRecord& unit, int side, const D3DXMATRIX& matrix,
                                                            const char* operation,
                                                            std::unique_ptr<CDX9KelAnimatedModel>* animated) {
    Vorna2::CDX9KelModel* model1 = LoadUpdatedModel(m_szUnitModelsFolder, unit.m_szModel1, unit.m_szEffect1);
    if (!model1) {
        g_Log.Write(10, "Error : CDX9KelGameMap::%s() :\nModel : %s%s\nEffect : %s%s\n", operation,
                    m_szUnitModelsFolder.c_str(), unit.m_szModel1, m_szEffectsFolder.c_str(), unit.m_szEffect1);
        return nullptr;
    }
    if (side == SIDE_1 || side == SIDE_2) {
        *animated = std::make_unique<CDX9KelAnimatedModel>();
        std::string amd;
        Vorna2::CDX9KelUtils::GetExeFolderPath(
            amd, (m_szAnimatedModelsFolder + CDX9KelAnimatedModel::FileNameFor(unit.m_szModel1)).c_str());
        if (!CDX9KelAnimatedModel::CreateAnimatedModel(model1, animated->get(), amd.c_str())) {
            g_Log.Write(10, "Error : CDX9KelGameMap::%s() : pAnimatedModel->CreateAnimatedModel : %s\n", operation,
                        amd.c_str());
            animated->reset();
        }
    }
    Vorna2::CDX9KelModel* model2 = LoadUpdatedModel(m_szUnitModelsFolder, unit.m_szModel2, unit.m_szEffect2);
    Vorna2::CDX9KelModel* model3 = LoadUpdatedModel(m_szUnitModelsFolder, unit.m_szModel3, unit.m_szEffect3);
    Vorna2::CDX9KelSceneObject* object = PlaceModel(m_pScene, model1, matrix);
    if (!object) {
        g_Log.Write(-1, "Error : CDX9KelGameMap::%s : pSceneObject == NULL\n", operation);
        return nullptr;
    }
    if (model2) object->AddModel(model2);
    if (model3) object->AddModel(model3);
    object->SetLODDistances(80.0f, 160.0f);
    return object;
}

// Entry i of a side's scene objects, game objects and animated models is
// one unit; the units of no side keep no animated model.
void CDX9KelGameMap::AppendUnit(int side, Vorna2::CDX9KelSceneObject* object, std::unique_ptr<GameObjectRecord> record,
                                std::unique_ptr<CDX9KelAnimatedModel> animated) {
    if (side == SIDE_UNSIDE) {
        m_NoSideSceneObjects.push_back(object);
        m_NoSideGameObjects.push_back(record.release());
        return;
    }
    GameMapSide& lists = Side(side);
    lists.m_SceneObjects.push_back(object);
    lists.m_GameObjects.push_back(record.release());
    lists.m_AnimatedModels.push_back(animated.release());
}

bool CDX9KelGameMap::CreateDynamicObject(const MapUnitRecord* unit, const D3DXMATRIX* matrix) {
    if (!m_pScene || !m_pScene->m_pSceneTree || !unit || !matrix) return false;
    const int side = GetSide(*unit);
    if (side == SIDE_NONE) {
        g_Log.Write(10, "Error : CDX9KelGameMap::CreateDynamicObject() : not detect game side for unit : %s\n",
                    unit->m_szName);
        return false;
    }
    if (IsLostUnit(side, unit->m_szName)) {
        g_Log.Write(5, "CDX9KelGameMap::CreateDynamicObject() : unit destroyed during scenario : %s\n", unit->m_szName);
        return true;
    }
    std::unique_ptr<CDX9KelAnimatedModel> animated;
    Vorna2::CDX9KelSceneObject* object = BuildUnitObject(*unit, side, *matrix, "CreateDynamicObject", &animated);
    if (!object) return false;

    auto record = std::make_unique<GameObjectRecord>();
    record->m_Unit = *unit;
    std::string description;
    Vorna2::CDX9KelUtils::GetExeFolderPath(description, (m_szUnitParamsFolder + unit->m_szDescriptionFile).c_str());
    if (!g_DataIO.LoadGameObjectXML(description.c_str(), record.get(), g_BattleSystem.m_stdvArtillery)) {
        g_Log.Write(-1, "Error : CEditorView::CreateObject : LoadGameObjectXML == false\n");
        // The scene object goes too, so no object stands on the map without
        // its record.
        m_pScene->DeleteSceneObject(object, true);
        return false;
    }
    if (Vorna2::CDX9KelPhysicalManager* physics = Vorna2::GetPhysicalManager(m_pScene))
        if (Vorna2::CDX9KelFloatRecord* floatRecord = FloatRecordOf(record.get())) physics->AddObject(object, floatRecord);
    AppendUnit(side, object, std::move(record), std::move(animated));
    return true;
}

bool CDX9KelGameMap::CreateSceneObject(std::unique_ptr<GameObjectRecord>& record, const D3DXMATRIX* matrix) {
    if (!m_pScene || !m_pScene->m_pSceneTree || !record || !matrix) return false;
    const int side = GetSide(record->m_Unit);
    if (side == SIDE_NONE) {
        g_Log.Write(10, "Error : CDX9KelGameMap::CreateSceneObject() : not detect game side for unit : %s\n",
                    record->m_Unit.m_szName);
        return false;
    }
    std::unique_ptr<CDX9KelAnimatedModel> animated;
    Vorna2::CDX9KelSceneObject* object = BuildUnitObject(record->m_Unit, side, *matrix, "CreateSceneObject", &animated);
    if (!object) return false;
    AppendUnit(side, object, std::move(record), std::move(animated));
    return true;
}

bool CDX9KelGameMap::CreateColumn(const MapColumnRecord* record) {
    if (!record || record->m_stdvShipNames.empty()) return false;
    auto column = std::make_unique<GameColumnRecord>();
    InitColumnRecord(column.get());
    column->m_fStoredSpeed = record->m_fSpeed == 0.0f ? kDefaultColumnSpeed : record->m_fSpeed;
    column->m_fTimeUsed = record->m_fMovementUsed;
    int columnSide = -1;
    for (const std::string& name : record->m_stdvShipNames) {
        const GameMapPlace place = FindGameObjectByName(name.c_str());
        if (place.side < 0) {
            g_Log.Write(5, "Warning : CDX9KelGameMap::CreateColumn : not found column ship : %s\n", name.c_str());
            continue;
        }
        if (columnSide < 0) columnSide = place.side;
        if (place.side != columnSide) {
            g_Log.Write(10, "Error : CDX9KelGameMap::CreateColumn : ships column consists of the different sides\n");
            continue;
        }
        GameMapSide& side = Side(place.side);
        Vorna2::CDX9KelSceneObject* object = side.m_SceneObjects[place.index];
        GameObjectRecord* ship = side.m_GameObjects[place.index];
        // A ship stands in one column: a later column naming it again
        // takes it from the earlier one.
        // A unit that cannot move (a fort) sails in no column.
        if (!ship->m_pMovement) {
            g_Log.Write(10, "Warning : CDX9KelGameMap::CreateColumn : unit cannot move : %s\n", name.c_str());
            continue;
        }
        if (ship->m_pColumn) {
            g_Log.Write(10, "Error : CDX9KelGameMap::CreateColumn : ship already in a column : %s\n", name.c_str());
            continue;
        }
        ColumnShip entry;
        entry.m_pWorld = &object->m_mWorld;
        entry.m_pMovement = ship->m_pMovement.get();
        entry.m_pSceneObject = object;
        entry.m_pObject = ship;
        column->m_Ids.push_back(m_iNextUnitId++);
        column->m_Ships.push_back(entry);
        ship->m_pColumn = column.get();
    }
    if (column->m_Ships.empty()) {
        ReleaseColumnRecord(column.get());
        return false;
    }
    UpdateColumnLimits(column.get());
    if (column->m_fStoredSpeed > column->m_fSpeedLimit) column->m_fStoredSpeed = column->m_fSpeedLimit;
    column->m_fReducedSpeed = 0.75f * column->m_fSpeedLimit;
    Side(columnSide).m_Columns.push_back(column.release());
    return true;
}

bool CDX9KelGameMap::CreatePipeSmoke(Vorna2::CDX9KelSceneObject* object) {
    Vorna2::CDXParticleSystemManager* particles = m_pScene ? Vorna2::GetParticleSystemManager(m_pScene) : nullptr;
    if (!particles || !object || object->m_Models.empty() || !object->m_Models[0]) return false;
    if (!object->m_pParticleSystems) object->m_pParticleSystems = particles->CreateList(&object->m_bVisible, nullptr);
    if (!object->m_pParticleSystems) return false;
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    for (int n = 1;; ++n) {
        const std::string name = "pipe" + std::to_string(n);
        D3DXMATRIX local;
        if (!FindFrameMatrix(object->m_Models[0]->m_pFrameRoot, name.c_str(), identity, &local)) return true;
        if (particles->CreateListPSInList(m_pScene->GetD3DDevice(), object->m_pParticleSystems,
                                          m_szPipeSmokeFile.c_str(), &local, &object->m_mWorld) < 0)
            return false;
    }
}

bool CDX9KelGameMap::CreateInitParticleSystems() {
    if (!m_pScene || !Vorna2::GetParticleSystemManager(m_pScene)) return false;
    for (int s = 0; s < MAP_PLAYING_SIDES; ++s) {
        const std::vector<Vorna2::CDX9KelSceneObject*>& list = m_Sides[s].m_SceneObjects;
        for (std::size_t i = 0; i < list.size(); ++i)
            if (!CreatePipeSmoke(list[i]))
                g_Log.Write(-1, "Error : CDX9KelGameMap::CreateInitParticleSystems : Side %d num in list :%zu\n", s + 1,
                            i);
    }
    return true;
}

bool CDX9KelGameMap::LoadFromSave(GameMapSaveData* save, bool mapChanged) {
    if (!save || !m_pScene) return false;
    SetRecordText(m_szMapName, save->m_szMapName);
    m_Turn.m_uRound = save->m_uRound;
    g_Log.Write(7, "CDX9KelGameMap::LoadFromSave() : %s\n", m_szMapName);
    if (mapChanged) {
        std::string path;
        Vorna2::CDX9KelUtils::GetExeFolderPath(path, (m_szMapsFolder + m_szMapName).c_str());
        MapDescriptionRecord description;
        std::vector<D3DXMATRIX> staticMatrices;
        if (!g_DataIO.ReadGameMap(path.c_str(), &description, &staticMatrices, nullptr, nullptr, nullptr)) {
            g_Log.Write(10, "Error : CDX9KelGameMap::LoadFromSave() : ReadGameMap == false\n");
            return false;
        }
        SetRecordText(m_szMapTitle, description.m_szName);
        m_vSceneMin = description.m_vSceneMin;
        m_vSceneMax = description.m_vSceneMax;
        m_vMapMin = description.m_vMapMin;
        m_vMapMax = description.m_vMapMax;
        if (!InitView(description)) return false;
        for (std::size_t i = 0; i < description.m_stdvStaticObjects.size() && i < staticMatrices.size(); ++i)
            CreateStaticObject(&description.m_stdvStaticObjects[i], &staticMatrices[i]);
    }
    // The parameters are read again also for the same map: the round count,
    // the computer's tasks and the destruction targets belong to the map
    // and were emptied with it.
    if (!LoadMapParameters()) {
        g_Log.Write(10, "Error : CDX9KelGameMap::LoadFromSave() : LoadMapParameters == false\n");
        return false;
    }
    if (mapChanged && !CreateGlobalMap()) {
        g_Log.Write(10, "Error : CDX9KelGameMap::LoadFromSave() : CreateGlobalMap == false\n");
        return false;
    }
    for (std::vector<GameMapSavedObject>* list : {&save->m_NoSide, &save->m_Side1, &save->m_Side2})
        for (GameMapSavedObject& saved : *list)
            if (saved.m_pObject && !CreateSceneObject(saved.m_pObject, &saved.m_mWorld))
                // Its game object stays with the save data: no record is kept
                // without its ship.
                g_Log.Write(10, "Error : CDX9KelGameMap::LoadFromSave() : unit left out : %s\n",
                            saved.m_pObject->m_Unit.m_szName);
    if (Vorna2::CDX9KelPhysicalManager* physics = Vorna2::GetPhysicalManager(m_pScene)) {
        for (std::size_t i = 0; i < m_NoSideSceneObjects.size(); ++i)
            if (Vorna2::CDX9KelFloatRecord* r = FloatRecordOf(m_NoSideGameObjects[i]))
                physics->AddObject(m_NoSideSceneObjects[i], r);
        for (GameMapSide& side : m_Sides)
            for (std::size_t i = 0; i < side.m_SceneObjects.size(); ++i)
                if (Vorna2::CDX9KelFloatRecord* r = FloatRecordOf(side.m_GameObjects[i]))
                    physics->AddObject(side.m_SceneObjects[i], r);
    }
    for (const MapColumnRecord& column : save->m_Side1Columns) CreateColumn(&column);
    for (const MapColumnRecord& column : save->m_Side2Columns) CreateColumn(&column);
    if (!CreateIcons()) {
        g_Log.Write(10, "Error : CDX9KelGameMap::LoadFromSave() : CreateIcons == false\n");
        return false;
    }
    CreateInitParticleSystems();
    FinishLoading(save->m_iActiveObject);
    g_Log.Write(7, "CDX9KelGameMap::LoadFromSave() : OK\n");
    return true;
}

} // namespace VornaCampaign
