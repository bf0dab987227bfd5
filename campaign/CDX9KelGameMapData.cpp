// The map's two XML files besides the map file: the map's own parameter file
// (round count, global-map picture, the computer's tasks, destruction
// targets) and "AllMapsData.xml" with what all maps share (cursors,
// selection textures and planes, camera ranges, the route marker, particle
// files, sounds and the screen's texts).
#include "campaign/CDX9KelBattleSystem.h"
#include "campaign/CDX9KelGameMap.h"
#include "campaign/ai/CDX9KelAISystem.h"
#include "campaign/data/DataFiles.h"

#include "engine2/core/CDX9KelLog.h"
#include "engine2/core/CDX9KelScene.h"
#include "engine2/core/CDX9KelUtils.h"
#include "engine2/core/XMLValues.h"
#include "engine2/core/render/CDX9KelBaseCamera.h"
#include "engine2/core/render/CDX9KelBaseCameraManager.h"
#include "engine2/core/resources/CDX9KelBaseGrapRes.h"
#include "engine2/core/resources/CDX9KelGraphicsResManager.h"
#include "engine2/core/scene/Geometry.h"
#include "engine2/ui/sound/COALSoundManager.h"
#include "engine2/world/particles/ParticleSceneSlot.h"

#include <cmath>
#include <cstdlib>
#include <tinyxml.h>

namespace VornaCampaign {

using Vorna2::g_Log;

namespace {

constexpr const char* kAllMapsFile = "AllMapsData.xml";

// The element's text (empty when missing), cut to `keep` characters.
std::string ChildText(const TiXmlElement* parent, const char* name, std::size_t keep) {
    const TiXmlElement* e = parent ? parent->FirstChildElement(name) : nullptr;
    const char* text = e ? Vorna2::GetXMLValueText(e) : nullptr;
    return std::string(text ? text : "").substr(0, keep);
}

// The element's float; -1.0 when the element or its text is missing or is
// no number.
float ChildFloat(const TiXmlElement* parent, const char* name) {
    const std::string text = ChildText(parent, name, 64);
    if (text.empty()) return -1.0f;
    char* end = nullptr;
    const float value = std::strtof(text.c_str(), &end);
    return end != text.c_str() && std::isfinite(value) ? value : -1.0f;
}

} // namespace

bool CDX9KelGameMap::LoadMapParameters() {
    if (!IsMapLoaded()) return false;
    std::string path;
    Vorna2::CDX9KelUtils::GetExeFolderPath(path, (m_szMapParamsFolder + MapParameterFileName(m_szMapName)).c_str());
    if (!VornaCampaign::LoadMapParameters(path, &m_Params)) return false;
    m_Turn.m_uRoundsCount = static_cast<std::uint32_t>(m_Params.m_iRoundsCount);
    // The tasks belong to the computer opponent; a map without tasks is
    // valid and leaves it none.
    g_AISystem.ClearTasks();
    if (m_Params.m_pTasks) g_AISystem.LoadTasks(m_Params.m_pTasks.get());
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

bool CDX9KelGameMap::LoadAllMapsGraphicData() {
    g_Log.Write(7, "CDX9KelGameMap::LoadAllMapsGraphicData\n");
    if (!m_pScene) return false;
    std::string path;
    Vorna2::CDX9KelUtils::GetExeFolderPath(path, (m_szMapParamsFolder + kAllMapsFile).c_str());
    TiXmlDocument doc;
    if (!LoadXmlFile(path, doc)) {
        g_Log.Write(-1, "Error : CDX9KelGameMap::LoadAllMapsGraphicData : xml file not read : %s\n", path.c_str());
        return false;
    }
    const TiXmlElement* main = doc.FirstChildElement("Main");
    if (!main) return false;

    // Cursors: a missing entry takes the file of the entry before it.
    const TiXmlElement* cursors = main->FirstChildElement("Cursors");
    if (!cursors) {
        g_Log.Write(-1, "Error : CDX9KelGameMap::LoadAllMapsGraphicData :  not found Cursors in xml file:%s\n",
                    path.c_str());
        return false;
    }
    static const char* const kCursorNames[CURSOR_COUNT] = {"Main", "Select", "Attack", "Target", "Wait"};
    std::string cursorFile;
    for (int i = 0; i < CURSOR_COUNT; ++i) {
        if (cursors->FirstChildElement(kCursorNames[i])) cursorFile = ChildText(cursors, kCursorNames[i], 39);
        m_iCursors[i] = m_pScene->AddCursorFromFile(cursorFile.c_str());
    }

    const TiXmlElement* textures = main->FirstChildElement("Textures");
    if (!textures) {
        g_Log.Write(-1, "Error : CDX9KelGameMap::LoadAllMapsGraphicData :  not found Textures in xml file%s\n",
                    path.c_str());
        return false;
    }
    struct TextureEntry {
        const char* element;
        const char* member;
        IDirect3DTexture9** out;
    };
    const TextureEntry kTextures[] = {{"CanMove", "m_pTextureSelGreen", &m_pTextureSelGreen},
                                      {"NotMove", "m_pTextureSelGrey", &m_pTextureSelGrey},
                                      {"Target", "m_pTextureSelRed", &m_pTextureSelRed}};
    for (const TextureEntry& t : kTextures) {
        if (!textures->FirstChildElement(t.element)) {
            g_Log.Write(-1, "Error : CDX9KelGameMap::LoadAllMapsGraphicData :  not found Texture %s in xml file:%s\n",
                        t.element, path.c_str());
            return false;
        }
        const std::string file = ChildText(textures, t.element, 259);
        std::string full;
        IDirect3DBaseTexture9* texture =
            file.empty() || !m_pScene->m_pGrahResManager || !Vorna2::CDX9KelUtils::GetExeFolderPath(full, file.c_str())
                ? nullptr
                : m_pScene->m_pGrahResManager->CreateTextureFromFile(m_pScene->GetD3DDevice(), full.c_str(), "", true,
                                                                     0, nullptr);
        *t.out = static_cast<IDirect3DTexture9*>(texture);
        if (!*t.out) {
            g_Log.Write(-1, "Error : CDX9KelGameMap::LoadAllMapsGraphicData :  %s == NULL \n", t.member);
            return false;
        }
    }
    if (!CreateSelectPlanes()) {
        g_Log.Write(10, "Error : CDX9KelGameMap::LoadAllMapsGraphicData : CreateSelectPlanes == false\n");
        return false;
    }

    if (!m_pScene->m_pCameraManager) {
        g_Log.Write(-1, "Error : CDX9KelGameMap::LoadAllMapsGraphicData : GetCameraManager() == NULL\n");
        return true;
    }
    auto* camera = dynamic_cast<Vorna2::CDX9KelGlobalCamera*>(m_pScene->m_pCameraManager->GetActiveCamera());
    if (!camera) return true;
    auto missing = [&](const char* element) {
        g_Log.Write(-1, "Error : CDX9KelGameMap::LoadAllMapsGraphicData :  not found %s in xml file: %s\n", element,
                    path.c_str());
        return true;
    };

    const TiXmlElement* cameraData = main->FirstChildElement("Camera");
    if (!cameraData) return missing("Camera");
    camera->m_fMinDistance = ChildFloat(cameraData, "MinHeight");
    camera->m_fMaxDistance = ChildFloat(cameraData, "MaxHeight");
    camera->m_fMinPitch = ChildFloat(cameraData, "MinAngle");
    camera->m_fMaxPitch = ChildFloat(cameraData, "MaxAngle");
    camera->SetAngles(camera->m_fMinPitch, 0.0f);
    camera->m_bRotateZoomEnabled = false;

    const TiXmlElement* pathData = main->FirstChildElement("Path");
    if (!pathData) return missing("Path");
    const std::string model = ChildText(pathData, "Model", 259);
    const std::string effect = ChildText(pathData, "Effect", 259);
    m_pPathModel = model.empty() ? nullptr : m_pScene->LoadModel(model.c_str(), effect.c_str());
    if (!m_pPathModel) {
        g_Log.Write(-1, "Error : CDX9KelGameMap::LoadAllMapsGraphicData : CDX9KelSeaPathGenerator::Get().Init == false\n");
        return false;
    }
    g_SeaPathGenerator.m_pModel = m_pPathModel;

    const TiXmlElement* particles = main->FirstChildElement("ParticleSystems");
    if (!particles) return missing("ParticleSystems");
    struct FileEntry {
        const char* element;
        std::string* out;
    };
    CDX9KelBattleSystem& battle = g_BattleSystem;
    const FileEntry kParticleFiles[] = {{"PipeSmoke", &m_szPipeSmokeFile},
                                        {"Shot", &battle.m_szShotParticles},
                                        {"Splash", &battle.m_szSplashParticles},
                                        {"Explosion", &battle.m_szExplosionParticles},
                                        {"Ram", &battle.m_szRamParticles},
                                        {"Fire", &battle.m_szFireParticles}};
    Vorna2::CDXParticleSystemManager* psManager = Vorna2::GetParticleSystemManager(m_pScene);
    for (const FileEntry& f : kParticleFiles) {
        if (!particles->FirstChildElement(f.element)) continue;
        *f.out = ChildText(particles, f.element, 259);
        if (!psManager || !psManager->LoadPSParamsFromFile(f.out->c_str(), m_pScene->GetD3DDevice())) {
            g_Log.Write(-1,
                        "Error : CDX9KelGameMap::LoadAllMapsGraphicData :  "
                        "m_pScene->GetParticleSysManager()->LoadPSParamsFromFile:%s\n",
                        f.out->c_str());
            return true;
        }
    }

    const TiXmlElement* sounds = main->FirstChildElement("Sounds");
    if (!sounds) return missing("Sounds");
    battle.m_szShotSound = ChildText(sounds, "Shot", 259);
    battle.m_szSplashSound = ChildText(sounds, "Splash", 259);
    battle.m_szExplosionSound = ChildText(sounds, "Explosion", 259);
    battle.m_szRamSound = ChildText(sounds, "Ram", 259);
    battle.m_szFireSound = ChildText(sounds, "Fire", 259);
    m_szSoundFileShipStop = ChildText(sounds, "ShipStop", 259);
    m_szSoundFileShipMove = ChildText(sounds, "ShipMove", 259);
    m_szSoundFileSea = ChildText(sounds, "Sea", 259);
    const std::string music = ChildText(sounds, "MainMenu", 259);
    Vorna2::COALSoundManager& sound = Vorna2::g_SoundManager;
    m_sMusicMainMenu = sound.CreateMusic(music.c_str());
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

    const TiXmlElement* inscription = main->FirstChildElement("Inscription");
    if (!inscription) return missing("Inscription");
    auto replace = [&](const char* element, char (&field)[kRecordTextSize]) {
        if (inscription->FirstChildElement(element)) SetRecordText(field, ChildText(inscription, element, 39).c_str());
    };
    replace("Damage1", m_szDamageText[0]);
    replace("Damage2", m_szDamageText[1]);
    replace("Damage3", m_szDamageText[2]);
    replace("Damage4", m_szDamageText[3]);
    replace("Damage5", m_szDamageText[4]);
    replace("Accuracy", m_szAccuracyText);
    replace("Handicap", m_szHandicapText);
    replace("GlobalMapUnitDesc", m_szGlobalMapUnitDescText);
    return true;
}

void CDX9KelGameMap::StopLoopSounds() {
    Vorna2::COALSoundManager& sound = Vorna2::g_SoundManager;
    for (int id : {m_sSoundIDShipStop, m_sSoundIDShipMove, m_sSoundIDFire, m_sSoundIDSea})
        if (id != -1) sound.StopSound(id);
}

} // namespace VornaCampaign
