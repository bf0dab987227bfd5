// Map environments ("mapenvxml": ocean water, sky arch, sun light and the
// sea's sound) and the "BaseMap" block that every map begins with.
#include <cstring>

#include <tinyxml.h>

#include "engine3/core/CDX9KelLog.h"
#include "engine3/core/CDX9KelScene.h"
#include "engine3/core/CDX9KelUtils.h"
#include "engine3/core/SafeXml.h"
#include "engine3/core/XMLReaders.h"
#include "engine3/core/render/CDX9KelBaseCamera.h"
#include "engine3/core/render/CDX9KelBaseCameraManager.h"
#include "engine3/core/render/CDX9KelLightManager.h"
#include "engine3/core/render/CDX9KelRenderSystem.h"
#include "engine3/core/resources/CDX9KelGraphicResources.h"
#include "engine3/core/resources/CDX9KelGraphicsResManager.h"
#include "engine3/ui/sound/CVR3SOUNDManager.h"
#include "engine3/world/ocean/CDX9KelOceanWater.h"
#include "engine3/world/ocean/CVR3SkyArch.h"
#include "seabattle/game/CVR3GAMEBaseMap.h"
#include "seabattle/game/CVR3GAMEIO.h"

using namespace Vorna3D;

namespace SeaBattle {

namespace {

constexpr float kDefaultNodeSize = 100.0f;

// A text child, when present, replaces `field`. Folders are relative to the
// program's folder, as every data folder of the game.
void ReadOverride(const TiXmlElement* parent, const char* name, std::string& field, bool folder) {
    const TiXmlElement* e = parent->FirstChildElement(name);
    if (!e)
        return;
    ReadXMLString(e, true, field);
    if (folder)
        field = g_Utils.GetExeFolderPathString(field.c_str());
}

} // namespace

SoundHandle CVR3GAMEIO::CreateSound3DFromXML(const TiXmlElement* pElement, const D3DXMATRIX* pOwner) {
    if (!pElement)
        return {};
    const TiXmlElement* type = pElement->FirstChildElement("SoundType");
    const TiXmlElement* minDistance = pElement->FirstChildElement("MinDistance");
    const TiXmlElement* maxDistance = pElement->FirstChildElement("MaxDistance");
    if (!type || !minDistance || !maxDistance)
        return {};
    // Without a sound device the game runs silent; the sound manager has
    // said so once.
    if (!CVR3SOUNDManager::Get().IsRunning())
        return {};
    std::string file;
    ReadXMLString(pElement->FirstChildElement("FilePathAfterExeFolder"), false, file);
    SoundHandle h = CVR3SOUNDManager::Get().CreateSoundB(file, ReadXMLInt(type));
    if (!h) {
        g_Log.Write(3, "CVR3GAMEIO::CreateSound3DFromXML() : CVR3SOUNDManager::Get().CreateSound() failed\n");
        return {};
    }
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    if (pOwner)
        h.SetTransform(&identity, pOwner);
    h.SetDistance(ReadXMLFloat(minDistance), ReadXMLFloat(maxDistance));
    if (const TiXmlElement* e = pElement->FirstChildElement("Priority"))
        h.SetPriority(ReadXMLInt(e));
    if (const TiXmlElement* e = pElement->FirstChildElement("Volume"))
        h.SetVolume(ReadXMLFloat(e));
    return h;
}

bool CVR3GAMEIO::LoadBaseMapFromXML(CVR3GAMEBaseMap* pMap, const TiXmlElement* pBaseMap, const char* imposedFile) {
    if (!pMap || !pBaseMap || !m_pScene)
        return false;
    ReadXMLString(pBaseMap->FirstChildElement("Name"), true, pMap->m_strName);
    if (pMap->m_strName.empty())
        pMap->m_strName = "NONAME";
    if (const TiXmlElement* e = pBaseMap->FirstChildElement("MinBorders"))
        pMap->m_vMinBorders = ReadXMLAttributeVector3(e);
    if (const TiXmlElement* e = pBaseMap->FirstChildElement("MaxBorders"))
        pMap->m_vMaxBorders = ReadXMLAttributeVector3(e);
    float nodeSize = kDefaultNodeSize;
    if (const TiXmlElement* e = pBaseMap->FirstChildElement("NodeSize"))
        nodeSize = ReadXMLFloat(e);

    // The tree may take a slot an earlier map freed: its own index is kept,
    // not the table's last one (which may be another map's tree).
    int index = -1;
    if (!m_pScene->CreateSceneTree(pMap->m_strName.c_str(), &pMap->m_vMinBorders, &pMap->m_vMaxBorders,
                                   m_pScene->m_bDrawSceneTree, nodeSize, &index)) {
        pMap->m_iSceneTreeIndex = -1;
        g_Log.Write(3, "CVR3GAMEIO::LoadBaseMapFromXML() : scene tree creation failed\n");
        return false;
    }
    pMap->m_iSceneTreeIndex = index;

    if (const TiXmlElement* camera = pBaseMap->FirstChildElement("ActiveCamera")) {
        if (const TiXmlElement* e = camera->FirstChildElement("MinMaxHeight"))
            pMap->m_vMinMaxHeight = ReadXMLAttributeVector2(e);
        if (const TiXmlElement* e = camera->FirstChildElement("MinMaxHeightAngle"))
            pMap->m_vMinMaxHeightAngle = ReadXMLAttributeVector2(e);
        if (const TiXmlElement* e = camera->FirstChildElement("StartLookAt"))
            pMap->m_vStartLookAt = ReadXMLAttributeVector3(e);
        if (const TiXmlElement* e = camera->FirstChildElement("Distance"))
            pMap->m_fDistance = ReadXMLFloat(e);
        if (const TiXmlElement* e = camera->FirstChildElement("StartAngles"))
            pMap->m_vStartAngles = ReadXMLAttributeVector2(e);
        if (const TiXmlElement* e = camera->FirstChildElement("ProcMove"))
            pMap->m_bProcMove = ReadXMLInt(e) != 0;
        if (const TiXmlElement* e = camera->FirstChildElement("ProcRotate"))
            pMap->m_bProcRotate = ReadXMLInt(e) != 0;
        if (const TiXmlElement* e = camera->FirstChildElement("ProcScale"))
            pMap->m_bProcScale = ReadXMLInt(e) != 0;
    }

    if (imposedFile && *imposedFile) {
        if (CVR3GAMEMapBaseEnvironment* env = CreateMapEnvironmentFromFile(imposedFile)) {
            ReleaseMapEnvironment(pMap);
            pMap->m_pEnvironment = env;
            return true;
        }
    }
    const TiXmlElement* list = pBaseMap->FirstChildElement("Environment");
    if (!list || !list->FirstChild()) {
        g_Log.Write(3, "CVR3GAMEIO::LoadBaseMapFromXML() : not found Environment node\n");
        return false;
    }
    std::vector<std::string> files;
    for (const VR3ListEntry& e : VR3ListEntries(list)) {
        if (!e.element)
            continue;
        std::string file;
        ReadXMLString(e.element, true, file);
        if (!file.empty())
            files.push_back(file);
    }
    if (files.empty()) {
        g_Log.Write(3, "CVR3GAMEIO::LoadBaseMapFromXML() : environments files list not loaded\n");
        return false;
    }
    const unsigned pick = CDX9KelUtils::GetRandomInt(static_cast<unsigned>(files.size()));
    CVR3GAMEMapBaseEnvironment* env = CreateMapEnvironmentFromFile(files[pick].c_str());
    if (!env) {
        g_Log.Write(3, "CVR3GAMEIO::LoadBaseMapFromXML() : CreateMapEnvironmentFromFile() failed\n");
        return false;
    }
    ReleaseMapEnvironment(pMap);
    pMap->m_pEnvironment = env;
    return true;
}

CVR3GAMEMapBaseEnvironment* CVR3GAMEIO::CreateMapEnvironmentFromFile(const char* fileName) {
    if (!m_pScene)
        return nullptr;
    TiXmlDocument doc;
    // The binary kind gives no environment either.
    if (ReadKindFile(VR3_KIND_MAP_ENVIRONMENT, FOLDER_MAPS_ENVIRONMENTS, fileName,
                     "CVR3GAMEIO::CreateMapEnvironmentFromFile()", doc) != READ_DOCUMENT)
        return nullptr;
    CVR3GAMEMapBaseEnvironment* env = LoadMapEnvironmentFromXML(doc);
    if (!env) {
        g_Log.Write(3, "CVR3GAMEIO::CreateMapEnvironmentFromFile() : LoadMapEnvironmentFromXML() failed\n");
        return nullptr;
    }
    env->m_strName = fileName;
    return env;
}

CVR3GAMEMapBaseEnvironment* CVR3GAMEIO::LoadMapEnvironmentFromXML(const TiXmlDocument& doc) {
    const TiXmlElement* root = doc.FirstChildElement("BaseEnvironment");
    if (!root)
        return nullptr;
    auto* env = new CVR3GAMEMapBaseEnvironment();
    if (!CreateMapBaseEnvironmentFromXML(root, env)) {
        g_Log.Write(3, "CVR3GAMEIO::LoadMapEnvironmentFromXML() : CreateMapBaseEnvironmentFromXML() failed\n");
        env->m_AmbientSound.Delete();
        env->Release();
        delete env;
        return nullptr;
    }
    env->m_pLight = m_pScene && m_pScene->m_pLightManager ? m_pScene->m_pLightManager->GetFirstLight() : nullptr;
    return env;
}

bool CVR3GAMEIO::CreateMapBaseEnvironmentFromXML(const TiXmlElement* pRoot, CVR3GAMEMapBaseEnvironment* pEnv) {
    if (!pRoot || !pEnv || !m_pScene)
        return false;
    const TiXmlElement* water = pRoot->FirstChildElement("Water");
    const TiXmlElement* sky = pRoot->FirstChildElement("Sky");
    const TiXmlElement* light = pRoot->FirstChildElement("Light");
    if (!water || !sky || !light)
        return false;
    CDX9KelGraphicsResManager* grm = m_pScene->GetGraphicsResManager();
    if (!grm)
        return false;
    pEnv->m_pGraphicObjects = grm->m_pGraphObjectManager;

    if (!CreateOceanWaterFromXML(water, pEnv))
        return false;
    if (const TiXmlElement* e = water->FirstChildElement("UnderWaterFogDistance"))
        pEnv->m_fUnderWaterFogDistance = ReadXMLFloat(e);
    if (const TiXmlElement* e = water->FirstChildElement("ReflectionFogDistance"))
        pEnv->m_fReflectionFogDistance = ReadXMLFloat(e);
    if (!CreateSkyArchFromXML(sky, pEnv))
        return false;

    if (const TiXmlElement* e = light->FirstChildElement("Direction"))
        pEnv->m_vDirection = ReadXMLAttributeVector3(e);
    if (const TiXmlElement* e = light->FirstChildElement("Diffuse"))
        pEnv->m_Diffuse = ReadXMLAttributeColor(e);
    if (const TiXmlElement* e = light->FirstChildElement("Ambient"))
        pEnv->m_Ambient = ReadXMLAttributeColor(e);
    if (const TiXmlElement* e = light->FirstChildElement("SunColor"))
        pEnv->m_SunColor = ReadXMLAttributeColor(e);
    if (const TiXmlElement* e = light->FirstChildElement("SunPosAlpha"))
        pEnv->m_fSunPosAlpha = ReadXMLFloat(e);
    if (const TiXmlElement* e = light->FirstChildElement("SunPosTheta"))
        pEnv->m_fSunPosTheta = ReadXMLFloat(e);
    if (const TiXmlElement* e = light->FirstChildElement("SunShininess"))
        pEnv->m_fSunShininess = ReadXMLFloat(e);
    if (const TiXmlElement* e = light->FirstChildElement("SunStrength"))
        pEnv->m_fSunStrength = ReadXMLFloat(e);

    // The sea is heard around the viewer: its source follows the camera.
    CDX9KelBaseCamera* camera = m_pScene->m_pCameraManager ? m_pScene->m_pCameraManager->m_pActiveCamera : nullptr;
    const D3DXMATRIX* follow = camera ? &camera->m_mViewInverse : nullptr;
    for (const VR3ListEntry& e : VR3ListEntries(pRoot->FirstChildElement("Sound"))) {
        if (!e.element)
            continue;
        const char* name = ReadXMLAttributeString(e.element, "name", true);
        if (!name || !std::strstr(name, "sea"))
            continue;
        SoundHandle h = CreateSound3DFromXML(e.element, follow);
        if (!h)
            continue;
        pEnv->m_AmbientSound.Delete();
        pEnv->m_AmbientSound = h;
    }
    return true;
}

bool CVR3GAMEIO::CreateOceanWaterFromXML(const TiXmlElement* pWater, CVR3GAMEMapBaseEnvironment* pEnv) {
    CDX9KelGraphicsResManager* grm = m_pScene->GetGraphicsResManager();
    auto* water = new CDX9KelOceanWater();
    water->m_pResManager = grm;
    water->m_strTextureFolder = g_Utils.GetExeFolderPathString(water->m_strTextureFolder.c_str());
    water->m_strEffectFolder = g_Utils.GetExeFolderPathString(water->m_strEffectFolder.c_str());
    ReadOverride(pWater, "TextureFolder", water->m_strTextureFolder, true);
    ReadOverride(pWater, "EffectFolder", water->m_strEffectFolder, true);
    ReadOverride(pWater, "SkyTexture", water->m_strSkyTextureFile, false);
    ReadOverride(pWater, "FrenelTexture", water->m_strFresnelTextureFile, false);
    ReadOverride(pWater, "HeightMapEffect", water->m_strHeightEffectFile, false);
    ReadOverride(pWater, "NormalMapEffect", water->m_strNormalEffectFile, false);
    ReadOverride(pWater, "HardwareNMWaterEffect", water->m_strHWWaterEffectFile, false);
    ReadOverride(pWater, "SoftwareNMWaterEffect", water->m_strSWWaterEffectFile, false);
    if (const TiXmlElement* e = pWater->FirstChildElement("WavesStrength"))
        water->SetAmplitude(ReadXMLFloat(e));
    if (const TiXmlElement* e = pWater->FirstChildElement("WaterColor")) {
        const D3DXCOLOR c = ReadXMLAttributeColor(e);
        water->m_vWaterColor = D3DXVECTOR3(c.r, c.g, c.b);
        if (water->m_pWaterEffect)
            water->ApplyWaterColor();
    }
    CDX9KelRenderSystem* rs = m_pScene->m_pRenderSystem;
    // The software water is the choice of "engine.ini"'s water type.
    const bool software = rs && !rs->m_bWaterType;
    water->m_dwRefCount = 1;
    if (!water->Init(m_pScene->GetDevice(), rs, software) || !grm->AddGraphicObject(water)) {
        water->Release();
        delete water;
        return false;
    }
    // The map switches it on when it becomes the current map.
    water->m_bEnabled = false;
    pEnv->m_pWater = water;
    return true;
}

bool CVR3GAMEIO::CreateSkyArchFromXML(const TiXmlElement* pSky, CVR3GAMEMapBaseEnvironment* pEnv) {
    CDX9KelGraphicsResManager* grm = m_pScene->GetGraphicsResManager();
    auto* sky = new CVR3SkyArch();
    sky->m_pResManager = grm;
    sky->m_strTextureFolder = g_Utils.GetExeFolderPathString(sky->m_strTextureFolder.c_str());
    sky->m_strEffectFolder = g_Utils.GetExeFolderPathString(sky->m_strEffectFolder.c_str());
    ReadOverride(pSky, "TextureFolder", sky->m_strTextureFolder, true);
    ReadOverride(pSky, "EffectFolder", sky->m_strEffectFolder, true);
    ReadOverride(pSky, "SkyTexture", sky->m_strTextureFile, false);
    ReadOverride(pSky, "SkyEffect", sky->m_strEffectFile, false);
    sky->m_dwRefCount = 1;
    if (!sky->Init(m_pScene->m_pCameraManager, m_pScene->GetDevice()) || !grm->AddGraphicObject(sky)) {
        sky->Release();
        delete sky;
        return false;
    }
    sky->m_bEnabled = false;
    pEnv->m_pSky = sky;
    return true;
}

} // namespace SeaBattle
