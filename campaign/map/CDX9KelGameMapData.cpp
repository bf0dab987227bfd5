// The map's two XML files besides the map file: the map's own parameter file
// (round count, global-map picture, the computer's tasks, destruction
// targets) and "AllMapsData.xml" with what all maps share (cursors,
// selection textures and planes, camera ranges, the route marker, particle
// files, sounds and the screen's texts).
#include "campaign/map/CDX9KelAllMapsData.h"
#include "campaign/battle/CDX9KelBattleSystem.h"
#include "campaign/map/CDX9KelGameMap.h"
#include "campaign/data/DataFiles.h"

#include "engine2/core/CDX9KelLog.h"
#include "engine2/core/CDX9KelScene.h"
#include "engine2/core/CDX9KelUtils.h"
#include "engine2/core/render/CDX9KelBaseCamera.h"
#include "engine2/core/render/CDX9KelBaseCameraManager.h"
#include "engine2/core/resources/CDX9KelBaseGrapRes.h"
#include "engine2/core/resources/CDX9KelGraphicsResManager.h"
#include "engine2/core/scene/Geometry.h"
#include "engine2/ui/sound/COALSoundManager.h"
#include "engine2/world/particles/ParticleSceneSlot.h"

#include <tinyxml.h>

namespace VornaCampaign {

using Vorna2::g_Log;

namespace {

constexpr const char* kAllMapsFile = "AllMapsData.xml";

} // namespace

bool CDX9KelGameMap::LoadMapParameters() {
    if (!IsMapLoaded()) return false;
    std::string path;
    Vorna2::CDX9KelUtils::GetExeFolderPath(path, (m_szMapParamsFolder + MapParameterFileName(m_szMapName)).c_str());
    if (!VornaCampaign::LoadMapParameters(path, &m_Params)) return false;
    m_Turn.m_uRoundsCount = static_cast<std::uint32_t>(m_Params.m_iRoundsCount);
    // The tasks belong to the computer opponent; a map without tasks is
    // valid and leaves it none.
    if (m_pComputer) {
        m_pComputer->ClearTasks();
        if (m_Params.m_pTasks) m_pComputer->LoadTasks(m_Params.m_pTasks.get());
    }
    return true;
}

bool CDX9KelGameMap::CreateSelectPlanes() {
    IDirect3DDevice9* device = m_pScene ? m_pScene->GetD3DDevice() : nullptr;
    Vorna2::CDX9KelGraphicsResManager* resources = m_pScene ? m_pScene->m_pGrahResManager : nullptr;
    if (!device || !resources) return false;
    auto make = [&](IDirect3DTexture9* texture, float height) -> Vorna2::CDX9KelPLANE* {
        auto* plane = new Vorna2::CDX9KelPLANE();
        if (!plane->Init(device, texture, 7.5f, 0x64FFFFFF)) {
            plane->Release();
            delete plane;
            return nullptr;
        }
        plane->m_bVisible = false;
        plane->SetName(kSelectPlaneName);
        D3DXMatrixTranslation(&plane->m_mWorld, 0.0f, height, 0.0f);
        if (!resources->AddGrapRes(plane)) {
            plane->Release();
            delete plane;
            return nullptr;
        }
        return plane;
    };
    m_pGreenRing = make(m_pTextureSelGreen, 0.21f);
    if (!m_pGreenRing) return false;
    m_pRedRings.clear();
    m_pGreyRings.clear();
    for (int i = 0; i < 30; ++i) {
        Vorna2::CDX9KelPLANE* plane = make(m_pTextureSelRed, 0.14f + 0.002f * static_cast<float>(i));
        if (!plane) return false;
        m_pRedRings.push_back(plane);
    }
    for (int i = 0; i < 10; ++i) {
        Vorna2::CDX9KelPLANE* plane = make(m_pTextureSelGrey, 0.15f + 0.002f * static_cast<float>(i));
        if (!plane) return false;
        m_pGreyRings.push_back(plane);
    }
    return true;
}

// The graphic data every map shares ("AllMapsData.xml") loads in steps:
//  1. the file is read;
//  2. the cursors;
//  3. the selection textures;
//  4. the selection planes made with them;
//  5. the global camera's height and pitch limits;
//  6. the model of the drawn sea routes;
//  7. the particle systems of funnel smoke, shots, splashes, explosions,
//     rams and fire;
//  8. the sounds and the menu music;
//  9. the inscriptions of the map screen.
// Steps 1 to 4 and 6 fail the loading. From step 5 on a section missing
// from the file (or, in step 7, a particle file that does not load) ends it
// with success, what that step and the later ones give keeping its default.
bool CDX9KelGameMap::LoadAllMapsGraphicData() {
    g_Log.Write(7, "CDX9KelGameMap::LoadAllMapsGraphicData\n");
    if (!m_pScene) return false;
    BindRouteFinder();
    std::string path;
    Vorna2::CDX9KelUtils::GetExeFolderPath(path, (m_szMapParamsFolder + kAllMapsFile).c_str());
    AllMapsDataFile data;
    if (!ReadAllMapsFile(path, &data)) return false;
    if (!LoadCursors(data, path)) return false;
    if (!LoadSelectionTextures(data, path)) return false;
    if (!CreateSelectPlanes()) {
        g_Log.Write(10, "Error : CDX9KelGameMap::LoadAllMapsGraphicData : CreateSelectPlanes == false\n");
        return false;
    }
    AllMapsStep step = SetCameraLimits(data, path);
    if (step == AllMapsStep::kGoOn) step = LoadPathModel(data, path);
    if (step == AllMapsStep::kGoOn) step = LoadParticleFiles(data, path);
    if (step == AllMapsStep::kGoOn) step = LoadSounds(data, path);
    if (step == AllMapsStep::kGoOn) step = SetInscriptions(data, path);
    return step != AllMapsStep::kFailed;
}

CDX9KelGameMap::AllMapsStep CDX9KelGameMap::Missing(const AllMapsDataFile& data, const std::string& path) {
    g_Log.Write(-1, "Error : CDX9KelGameMap::LoadAllMapsGraphicData :  not found %s in xml file: %s\n",
                data.m_FirstMissing.c_str(), path.c_str());
    return AllMapsStep::kDone;
}

bool CDX9KelGameMap::ReadAllMapsFile(const std::string& path, AllMapsDataFile* data) {
    TiXmlDocument doc;
    if (!LoadXmlFile(path, doc)) {
        g_Log.Write(-1, "Error : CDX9KelGameMap::LoadAllMapsGraphicData : xml file not read : %s\n", path.c_str());
        return false;
    }
    return ReadAllMapsData(doc, data);
}

bool CDX9KelGameMap::LoadCursors(const AllMapsDataFile& data, const std::string& path) {
    if (!data.m_bCursors) {
        g_Log.Write(-1, "Error : CDX9KelGameMap::LoadAllMapsGraphicData :  not found Cursors in xml file:%s\n",
                    path.c_str());
        return false;
    }
    for (int i = 0; i < CURSOR_COUNT; ++i) m_iCursors[i] = m_pScene->AddCursorFromFile(data.m_Cursors[i].c_str());
    return true;
}

bool CDX9KelGameMap::LoadSelectionTextures(const AllMapsDataFile& data, const std::string& path) {
    if (!data.m_bTextures) {
        g_Log.Write(-1, "Error : CDX9KelGameMap::LoadAllMapsGraphicData :  not found Textures in xml file%s\n",
                    path.c_str());
        return false;
    }
    if (data.m_iMissingTexture >= 0) {
        g_Log.Write(-1, "Error : CDX9KelGameMap::LoadAllMapsGraphicData :  not found Texture %s in xml file:%s\n",
                    AllMapsDataFile::kTextureNames[data.m_iMissingTexture], path.c_str());
        return false;
    }
    IDirect3DTexture9** const textures[AllMapsDataFile::kTextures] = {&m_pTextureSelGreen, &m_pTextureSelGrey,
                                                                      &m_pTextureSelRed};
    static const char* const kTextureMembers[AllMapsDataFile::kTextures] = {"m_pTextureSelGreen", "m_pTextureSelGrey",
                                                                            "m_pTextureSelRed"};
    for (int i = 0; i < AllMapsDataFile::kTextures; ++i) {
        const std::string& file = data.m_Textures[i];
        std::string full;
        IDirect3DBaseTexture9* texture =
            file.empty() || !m_pScene->m_pGrahResManager || !Vorna2::CDX9KelUtils::GetExeFolderPath(full, file.c_str())
                ? nullptr
                : m_pScene->m_pGrahResManager->CreateTextureFromFile(m_pScene->GetD3DDevice(), full.c_str(), "", true,
                                                                     0, nullptr);
        *textures[i] = static_cast<IDirect3DTexture9*>(texture);
        if (!*textures[i]) {
            g_Log.Write(-1, "Error : CDX9KelGameMap::LoadAllMapsGraphicData :  %s == NULL \n", kTextureMembers[i]);
            return false;
        }
    }
    return true;
}

CDX9KelGameMap::AllMapsStep CDX9KelGameMap::SetCameraLimits(const AllMapsDataFile& data, const std::string& path) {
    if (!m_pScene->m_pCameraManager) {
        g_Log.Write(-1, "Error : CDX9KelGameMap::LoadAllMapsGraphicData : GetCameraManager() == NULL\n");
        return AllMapsStep::kDone;
    }
    auto* camera = dynamic_cast<Vorna2::CDX9KelGlobalCamera*>(m_pScene->m_pCameraManager->GetActiveCamera());
    if (!camera) return AllMapsStep::kDone;
    if (!data.m_bCamera) return Missing(data, path);
    camera->m_fMinDistance = data.m_fMinHeight;
    camera->m_fMaxDistance = data.m_fMaxHeight;
    camera->m_fMinPitch = data.m_fMinAngle;
    camera->m_fMaxPitch = data.m_fMaxAngle;
    camera->SetAngles(camera->m_fMinPitch, 0.0f);
    camera->m_bRotateZoomEnabled = false;
    return AllMapsStep::kGoOn;
}

CDX9KelGameMap::AllMapsStep CDX9KelGameMap::LoadPathModel(const AllMapsDataFile& data, const std::string& path) {
    if (!data.m_bPath) return Missing(data, path);
    m_pPathModel = data.m_PathModel.empty() ? nullptr
                                            : m_pScene->LoadModel(data.m_PathModel.c_str(), data.m_PathEffect.c_str());
    if (!m_pPathModel) {
        g_Log.Write(-1, "Error : CDX9KelGameMap::LoadAllMapsGraphicData : CDX9KelSeaPathGenerator::Get().Init == false\n");
        return AllMapsStep::kFailed;
    }
    g_SeaPathGenerator.m_pModel = m_pPathModel;
    return AllMapsStep::kGoOn;
}

CDX9KelGameMap::AllMapsStep CDX9KelGameMap::LoadParticleFiles(const AllMapsDataFile& data, const std::string& path) {
    if (!data.m_bParticles) return Missing(data, path);
    CDX9KelBattleSystem& battle = g_BattleSystem;
    std::string* const particleFiles[AllMapsDataFile::kParticles] = {
        &m_szPipeSmokeFile,          &battle.m_szShotParticles, &battle.m_szSplashParticles,
        &battle.m_szExplosionParticles, &battle.m_szRamParticles,  &battle.m_szFireParticles};
    Vorna2::CDXParticleSystemManager* psManager = Vorna2::GetParticleSystemManager(m_pScene);
    for (int i = 0; i < AllMapsDataFile::kParticles; ++i) {
        if (!data.m_bParticle[i]) continue;
        *particleFiles[i] = data.m_Particles[i];
        if (!psManager || !psManager->LoadPSParamsFromFile(particleFiles[i]->c_str(), m_pScene->GetD3DDevice())) {
            g_Log.Write(-1,
                        "Error : CDX9KelGameMap::LoadAllMapsGraphicData :  "
                        "m_pScene->GetParticleSysManager()->LoadPSParamsFromFile:%s\n",
                        particleFiles[i]->c_str());
            return AllMapsStep::kDone;
        }
    }
    return AllMapsStep::kGoOn;
}

CDX9KelGameMap::AllMapsStep CDX9KelGameMap::LoadSounds(const AllMapsDataFile& data, const std::string& path) {
    if (!data.m_bSounds) return Missing(data, path);
    CDX9KelBattleSystem& battle = g_BattleSystem;
    std::string* const soundFiles[AllMapsDataFile::kSounds - 1] = {
        &battle.m_szShotSound, &battle.m_szSplashSound, &battle.m_szExplosionSound, &battle.m_szRamSound,
        &battle.m_szFireSound, &m_szSoundFileShipStop,  &m_szSoundFileShipMove,     &m_szSoundFileSea};
    for (int i = 0; i < AllMapsDataFile::kSounds - 1; ++i) *soundFiles[i] = data.m_Sounds[i];
    Vorna2::COALSoundManager& sound = Vorna2::g_SoundManager;
    m_sMusicMainMenu = sound.CreateMusic(data.m_Sounds[AllMapsDataFile::kSounds - 1].c_str());
    if (m_sMusicMainMenu == -1) g_Log.Write(10, "Error : CDX9KelGameMap::LoadAllMapsGraphicData() : m_sMusicMainMenu == -1\n");
    D3DXMatrixIdentity(&m_mSound);
    D3DXMatrixIdentity(&m_mSoundUp);
    Vorna2::RotateMatrixPitch(&m_mSoundUp, 1.5708f);
    struct LoopEntry {
        const std::string* file;
        int* id;
        float reference, maximum;
        const char* name;
    };
    const LoopEntry kLoops[] = {
        {&m_szSoundFileShipStop, &m_sSoundIDShipStop, 50.0f, 80.0f, "m_sSoundIDShipStop"},
        {&m_szSoundFileShipMove, &m_sSoundIDShipMove, 20.0f, 80.0f, "m_sSoundIDShipMove"},
        {&battle.m_szFireSound, &m_sSoundIDFire, 20.0f, 40.0f, "m_sSoundIDFire"},
        {&m_szSoundFileSea, &m_sSoundIDSea, 10.0f, 50.0f, "m_cSoundFileSea"},
    };
    for (const LoopEntry& l : kLoops) {
        *l.id = sound.CreateSound(l.file->c_str(), Vorna2::SOUND_TYPE_LOOP, &m_mSound, &m_mSoundUp, l.reference,
                                  l.maximum);
        if (*l.id == -1) g_Log.Write(10, "Error : CDX9KelGameMap::LoadAllMapsGraphicData() : %s == -1\n", l.name);
    }
    if (m_sSoundIDShipStop != -1) sound.SetSoundGain(m_sSoundIDShipStop, 0.3f * sound.GetSoundGain(m_sSoundIDShipStop));
    return AllMapsStep::kGoOn;
}

CDX9KelGameMap::AllMapsStep CDX9KelGameMap::SetInscriptions(const AllMapsDataFile& data, const std::string& path) {
    if (!data.m_bInscription) return Missing(data, path);
    char(*const texts[AllMapsDataFile::kTexts])[kRecordTextSize] = {
        &m_szDamageText[0], &m_szDamageText[1], &m_szDamageText[2], &m_szDamageText[3],
        &m_szDamageText[4], &m_szAccuracyText,  &m_szHandicapText,  &m_szGlobalMapUnitDescText};
    for (int i = 0; i < AllMapsDataFile::kTexts; ++i)
        if (data.m_bText[i]) SetRecordText(*texts[i], data.m_Texts[i].c_str());
    HandTextsToScreen();
    return AllMapsStep::kGoOn;
}

void CDX9KelGameMap::ForgetGraphicData() {
    if (g_SeaPathGenerator.m_pModel == m_pPathModel) g_SeaPathGenerator.m_pModel = nullptr;
    m_pPathModel = nullptr;
    m_pTextureSelGreen = m_pTextureSelGrey = m_pTextureSelRed = nullptr;
    m_pGreenRing = nullptr;
    m_pRedRings.clear();
    m_pGreyRings.clear();
    for (int& cursor : m_iCursors) cursor = -1;
    m_sSoundIDShipStop = m_sSoundIDShipMove = m_sSoundIDFire = m_sSoundIDSea = m_sMusicMainMenu = -1;
}

void CDX9KelGameMap::StopLoopSounds() {
    Vorna2::COALSoundManager& sound = Vorna2::g_SoundManager;
    for (int id : {m_sSoundIDShipStop, m_sSoundIDShipMove, m_sSoundIDFire, m_sSoundIDSea})
        if (id != -1) sound.StopSound(id);
}

} // namespace VornaCampaign
