// The base map's camera start and the environment's switch: camera limits
// and orbit, sun angles, light values that a file leaves negative, fog
// distances, sky and water flags, and the release that leaves the sky and
// water to their manager.
#include "engine3/core/render/CDX9KelGlobalCamera.h"
#include "engine3/core/render/CDX9KelLightManager.h"
#include "engine3/core/render/CDX9KelRenderSystem.h"
#include "engine3/world/ocean/CDX9KelOceanWater.h"
#include "engine3/world/ocean/CVR3SkyArch.h"
#include "seabattle/game/CVR3GAMEBaseMap.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace SeaBattle;

namespace {

TEST(BaseMap, ANewMapPutsTheCameraOnItsStartOrbit) {
    CVR3GAMEBaseMap map;
    map.m_vMinBorders = D3DXVECTOR3(-100, 0, -200);
    map.m_vMaxBorders = D3DXVECTOR3(300, 0, 400);
    map.m_bProcRotate = false;
    Vorna3D::CDX9KelGlobalCamera camera;
    EXPECT_FALSE(ApplyBaseMapCamera(&map, nullptr));
    ASSERT_TRUE(ApplyBaseMapCamera(&map, &camera));
    EXPECT_FLOAT_EQ(camera.m_fPitch, 0.62831855f); // StartAngles[1] is the pitch
    EXPECT_FLOAT_EQ(camera.m_fYaw, 0.0f);
    EXPECT_FLOAT_EQ(camera.m_fDistance, 20.0f);
    const D3DXVECTOR3 eye = camera.m_vEye;
    EXPECT_NEAR(D3DXVec3Length(&eye), 20.0f, 1e-4f);
    EXPECT_NEAR(eye.y, 20.0f * std::sin(0.62831855f), 1e-4f);
    EXPECT_FLOAT_EQ(camera.m_fMinPitch, 0.31415927f);
    EXPECT_FLOAT_EQ(camera.m_fMaxPitch, 1.4959966f);
    EXPECT_FLOAT_EQ(camera.m_fMinDistance, 5.0f);
    EXPECT_FLOAT_EQ(camera.m_fMaxDistance, 200.0f);
    EXPECT_FLOAT_EQ(camera.m_fMinX, -100.0f);
    EXPECT_FLOAT_EQ(camera.m_fMinZ, -200.0f);
    EXPECT_FLOAT_EQ(camera.m_fMaxX, 300.0f);
    EXPECT_FLOAT_EQ(camera.m_fMaxZ, 400.0f);
    EXPECT_TRUE(camera.m_bPanEnabled);
    EXPECT_FALSE(camera.m_bRotateEnabled);
    // Yaw and pitch are not swapped.
    map.m_vStartAngles = D3DXVECTOR2(0.5f, 0.9f);
    ASSERT_TRUE(ApplyBaseMapCamera(&map, &camera));
    EXPECT_FLOAT_EQ(camera.m_fYaw, 0.5f);
    EXPECT_FLOAT_EQ(camera.m_fPitch, 0.9f);
    // Targeting the camera tells that it stands on its target.
    camera.m_bArrived = false;
    EXPECT_TRUE(camera.SetTarget(10.0f, 20.0f));
    EXPECT_TRUE(camera.m_bArrived);
}

TEST(BaseMap, SunAnglesSetTheSunDirection) {
    Vorna3D::CDX9KelLight light;
    light.m_bChanged = false;
    SetSunPosAlpha(&light, 0.7f);
    EXPECT_TRUE(light.m_bChanged);
    SetSunPosTheta(&light, 0.3f);
    EXPECT_NEAR(light.m_vSunVector.x, std::sin(0.7f) * std::cos(0.3f), 1e-6f);
    EXPECT_NEAR(light.m_vSunVector.y, std::sin(0.3f), 1e-6f);
    EXPECT_NEAR(light.m_vSunVector.z, std::cos(0.7f) * std::cos(0.3f), 1e-6f);
    EXPECT_FLOAT_EQ(light.m_vSunVector.w, 0.0f);
    SetSunPosAlpha(nullptr, 1.0f); // harmless
}

TEST(BaseMap, ActivatingTheEnvironment) {
    auto* env = new CVR3GAMEMapBaseEnvironment;
    Vorna3D::CVR3SkyArch sky;
    Vorna3D::CDX9KelOceanWater water;
    Vorna3D::CDX9KelRenderSystem render;
    Vorna3D::CDX9KelLight light;
    water.m_pRenderSystem = &render;
    env->m_pSky = &sky;
    env->m_pWater = &water;
    env->m_pLight = &light;
    env->m_fUnderWaterFogDistance = -3.0f;
    env->m_fReflectionFogDistance = -0.5f;
    env->m_vDirection = D3DXVECTOR3(0, -1, 0);
    env->m_Diffuse = D3DXCOLOR(0.1f, 0.2f, 0.3f, 1.0f);
    env->m_fSunPosAlpha = 1.0f;
    env->m_fSunPosTheta = 0.2f;
    env->m_fSunShininess = -1.0f; // left as it was
    env->m_fSunStrength = 50.0f;
    const float shininess = light.m_fSunShininess;

    ActivateMapEnvironment(env, false);
    EXPECT_FALSE(sky.m_bEnabled);
    EXPECT_FALSE(water.m_bEnabled);
    EXPECT_FLOAT_EQ(light.m_vDirection.y, -0.5f); // off leaves the light
    render.m_bParameterChanged = false;

    ActivateMapEnvironment(env, true);
    EXPECT_TRUE(sky.m_bEnabled);
    EXPECT_TRUE(water.m_bEnabled);
    EXPECT_FLOAT_EQ(render.m_fUnderWaterFogDistance, 3.0f);
    EXPECT_FLOAT_EQ(render.m_fReflectionFogDistance, 0.5f);
    EXPECT_TRUE(render.m_bParameterChanged);
    EXPECT_FLOAT_EQ(light.m_vDirection.y, -1.0f);
    EXPECT_FLOAT_EQ(light.m_Diffuse.g, 0.2f);
    EXPECT_FLOAT_EQ(light.m_fSunAzimuth, 1.0f);
    EXPECT_FLOAT_EQ(light.m_fSunElevation, 0.2f);
    EXPECT_FLOAT_EQ(light.m_fSunShininess, shininess);
    EXPECT_FLOAT_EQ(light.m_fSunStrength, 50.0f);
    EXPECT_TRUE(light.m_bChanged);

    // The release switches both off and deletes the environment; the sky
    // and the water stay with whoever holds them.
    CVR3GAMEBaseMap map;
    map.m_pEnvironment = env;
    ReleaseMapEnvironment(&map);
    EXPECT_EQ(map.m_pEnvironment, nullptr);
    EXPECT_FALSE(sky.m_bEnabled);
    EXPECT_FALSE(water.m_bEnabled);
    ReleaseMapEnvironment(&map); // nothing left: harmless
}

} // namespace
