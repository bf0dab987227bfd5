#include "seabattle/game/CVR3GAMEBaseMap.h"

#include "engine3/core/render/CDX9KelGlobalCamera.h"
#include "engine3/core/render/CDX9KelLightManager.h"
#include "engine3/core/render/CDX9KelRenderSystem.h"
#include "engine3/core/resources/CDX9KelGraphicResources.h"
#include "engine3/ui/sound/CVR3SOUNDSource.h"
#include "engine3/world/ocean/CDX9KelOceanWater.h"
#include "engine3/world/ocean/CVR3SkyArch.h"

#include <cmath>

namespace SeaBattle {

void CVR3GAMEMapBaseEnvironment::Release() {
    if (m_pGraphicObjects) {
        if (m_pSky) m_pGraphicObjects->ReleaseGraphicObject(m_pSky);
        if (m_pWater) m_pGraphicObjects->ReleaseGraphicObject(m_pWater);
    }
    m_pSky = nullptr;
    m_pWater = nullptr;
    m_strName.clear();
}

bool ApplyBaseMapCamera(const CVR3GAMEBaseMap* pMap, Vorna3D::CDX9KelGlobalCamera* pCamera) {
    if (!pCamera || !pMap) return false;
    pCamera->m_fMinX = pMap->m_vMinBorders.x;
    pCamera->m_fMinZ = pMap->m_vMinBorders.z;
    pCamera->m_fMaxX = pMap->m_vMaxBorders.x;
    pCamera->m_fMaxZ = pMap->m_vMaxBorders.z;
    pCamera->m_fMinDistance = pMap->m_vMinMaxHeight.x;
    pCamera->m_fMaxDistance = pMap->m_vMinMaxHeight.y;
    pCamera->m_fMinPitch = pMap->m_vMinMaxHeightAngle.x;
    pCamera->m_fMaxPitch = pMap->m_vMinMaxHeightAngle.y;
    pCamera->SetTarget3D(pMap->m_vStartLookAt.x, pMap->m_vStartLookAt.y, pMap->m_vStartLookAt.z);
    pCamera->SetDistance(pMap->m_fDistance);
    pCamera->SetAngles(pMap->m_vStartAngles.y, pMap->m_vStartAngles.x);
    pCamera->m_bPanEnabled = pMap->m_bProcMove;
    pCamera->m_bRotateEnabled = pMap->m_bProcRotate;
    pCamera->m_bZoomEnabled = pMap->m_bProcScale;
    return true;
}

void SetSunPosAlpha(Vorna3D::CDX9KelLight* pLight, float alpha) {
    if (!pLight) return;
    pLight->m_fSunAzimuth = alpha;
    pLight->UpdateSunVector();
}

void SetSunPosTheta(Vorna3D::CDX9KelLight* pLight, float theta) {
    if (!pLight) return;
    pLight->m_fSunElevation = theta;
    pLight->UpdateSunVector();
}

void ActivateMapEnvironment(CVR3GAMEMapBaseEnvironment* env, bool on) {
    if (!env) return;
    if (env->m_pSky) env->m_pSky->m_bEnabled = on;
    if (env->m_pWater) env->m_pWater->m_bEnabled = on;
    if (on && env->m_pWater && env->m_pWater->m_pRenderSystem) {
        Vorna3D::CDX9KelRenderSystem* rs = env->m_pWater->m_pRenderSystem;
        rs->m_fUnderWaterFogDistance = std::fabs(env->m_fUnderWaterFogDistance);
        rs->m_fReflectionFogDistance = std::fabs(env->m_fReflectionFogDistance);
        rs->m_bParameterChanged = true;
    }
    if (!on) {
        if (env->m_AmbientSound) env->m_AmbientSound.Stop();
        return;
    }
    if (Vorna3D::CDX9KelLight* light = env->m_pLight) {
        light->m_vDirection = env->m_vDirection;
        light->m_Diffuse = env->m_Diffuse;
        light->m_Ambient = env->m_Ambient;
        light->m_SunColor = env->m_SunColor;
        SetSunPosAlpha(light, env->m_fSunPosAlpha);
        SetSunPosTheta(light, env->m_fSunPosTheta);
        if (env->m_fSunShininess >= 0.0f) light->m_fSunShininess = env->m_fSunShininess;
        if (env->m_fSunStrength >= 0.0f) light->m_fSunStrength = env->m_fSunStrength;
        light->m_bChanged = true;
    }
    // Play leaves a playing source alone and brings a paused silent one
    // back to silent with its clock moved on.
    if (env->m_AmbientSound) env->m_AmbientSound.Play();
}

void ReleaseMapEnvironment(CVR3GAMEBaseMap* pMap) {
    if (!pMap || !pMap->m_pEnvironment) return;
    CVR3GAMEMapBaseEnvironment* env = pMap->m_pEnvironment;
    ActivateMapEnvironment(env, false);
    // The sea sound follows the camera and would outlive the map: it goes
    // with the environment, so no battle leaves a source behind.
    env->m_AmbientSound.Delete();
    delete env;
    pMap->m_pEnvironment = nullptr;
}

} // namespace SeaBattle
