#include "engine2/core/CDX9KelFPSCounter.h"
#include "engine2/core/CDX9Kelinput.h"
#include "engine2/core/render/CDX9KelBaseCameraManager.h"
#include "engine2/core/render/CDX9KelLightManager.h"

#include "platform/os/Clock.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace Vorna2;

namespace {

// A window handle is only stored by the manager; the scales then come from
// the screen's device context (96 DPI headless).
HWND FakeWindow() { return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(1)); }

D3DXVECTOR3 ViewDirectionXZ(const CDX9KelBaseCamera& c) {
    D3DXVECTOR3 v(c.m_vLookAt.x - c.m_vEye.x, 0.0f, c.m_vLookAt.z - c.m_vEye.z);
    D3DXVec3Normalize(&v, &v);
    return v;
}

} // namespace

TEST(Engine2Camera, AspectIsThePhysicalRatio) {
    EXPECT_NEAR(CDX9KelBaseCamera::ComputeAspect(1280, 1024, 376.0f / 1280, 301.0f / 1024), 1.2492f, 1e-4f);
    // An unknown physical size (scales 1) gives the pixel ratio; a zero size
    // never gives NaN.
    EXPECT_FLOAT_EQ(CDX9KelBaseCamera::ComputeAspect(1024, 768, 1.0f, 1.0f), 1024.0f / 768.0f);
    EXPECT_FLOAT_EQ(CDX9KelBaseCamera::ComputeAspect(1024, 768, 0.0f, 0.0f), 1.0f);
    EXPECT_FLOAT_EQ(CDX9KelBaseCamera::ComputeAspect(0, 0, 0.3f, 0.3f), 1.0f);
}

TEST(Engine2Camera, OrbitEye) {
    CDX9KelGlobalCamera camera;
    camera.Init(800, 600, 1.0f, 1.0f);
    EXPECT_FLOAT_EQ(camera.m_fFar, 2000.0f);
    camera.SetTarget(100.0f, 200.0f);
    camera.SetAngles(0.5f, 0.3f);
    const float d = camera.m_fDistance;
    EXPECT_NEAR(camera.m_vEye.x, 100.0f + std::sin(0.3f) * std::cos(0.5f) * d, 1e-3f);
    EXPECT_NEAR(camera.m_vEye.y, std::sin(0.5f) * d, 1e-3f);
    EXPECT_NEAR(camera.m_vEye.z, 200.0f - std::cos(0.3f) * std::cos(0.5f) * d, 1e-3f);
}

TEST(Engine2Camera, PanStaysStrictlyInsideTheBounds) {
    CDX9KelGlobalCamera camera;
    camera.Init(800, 600, 1.0f, 1.0f);
    camera.SetTarget(500.0f, 500.0f);
    camera.MoveRight(10.0f); // step 10 x 50 x 0.01 = 5 along +x at yaw 0
    EXPECT_NEAR(camera.m_vLookAt.x, 505.0f, 1e-4f);
    camera.SetTarget(995.0f, 500.0f);
    const D3DXVECTOR3 eye = camera.m_vEye;
    camera.MoveRight(10.0f); // would land on the bound 1000: refused on both axes
    EXPECT_EQ(camera.m_vLookAt.x, 995.0f);
    EXPECT_EQ(camera.m_vLookAt.z, 500.0f);
    EXPECT_EQ(camera.m_vEye.x, eye.x);
    camera.SetTarget(500.0f, 2.0f);
    camera.MoveForward(-10.0f); // toward z = -3
    EXPECT_EQ(camera.m_vLookAt.z, 2.0f);
}

TEST(Engine2Camera, PitchAndZoomMayPassALimitByOneStep) {
    CDX9KelGlobalCamera camera;
    camera.Init(800, 600, 1.0f, 1.0f);
    camera.m_fPitch = 1.49f;
    camera.Pitch(0.1f);
    EXPECT_FLOAT_EQ(camera.m_fPitch, 1.59f);
    camera.Pitch(0.1f);
    EXPECT_FLOAT_EQ(camera.m_fPitch, 1.59f);
    camera.m_fPitch = 0.45f;
    camera.Pitch(-0.1f);
    EXPECT_FLOAT_EQ(camera.m_fPitch, 0.35f);
    camera.Pitch(-0.1f);
    EXPECT_FLOAT_EQ(camera.m_fPitch, 0.35f);

    camera.m_fDistance = 16.0f;
    camera.Zoom(-1.0f); // 16 - 16 x 0.05
    EXPECT_FLOAT_EQ(camera.m_fDistance, 15.2f);
    camera.Zoom(-1.0f);
    EXPECT_FLOAT_EQ(camera.m_fDistance, 15.2f * 0.95f);
    camera.Zoom(-1.0f);
    EXPECT_FLOAT_EQ(camera.m_fDistance, 15.2f * 0.95f);
}

TEST(Engine2Camera, ControlReadsKeysAndWheel) {
    g_Input.Reset();
    g_FPSCounter.m_fFrameTime = 2.0f;
    CDX9KelGlobalCamera camera;
    camera.Init(800, 600, 1.0f, 1.0f);
    camera.SetTarget(500.0f, 500.0f);
    g_Input.m_ClientRect = RECT{0, 0, 800, 600};
    g_Input.m_iCursorX = 400;
    g_Input.m_iCursorY = 300;
    g_Input.m_KeyboardState[DIK_NUMPAD6] = 0x80;
    g_Input.m_KeyboardState[DIK_NUMPAD7] = 0x80;
    camera.Control();
    EXPECT_NEAR(camera.m_vLookAt.x, 500.0f + 0.6f * 50.0f * 0.01f, 1e-4f);
    EXPECT_NEAR(camera.m_fYaw, -0.1f, 1e-6f);
    g_Input.Reset();
    g_Input.m_ClientRect = RECT{0, 0, 800, 600};
    g_Input.m_iCursorX = 400;
    g_Input.m_iCursorY = 300;
    g_Input.m_fWheel = 120.0f; // away from the user: closer, whatever the frame time
    const float before = camera.m_fDistance;
    camera.Control();
    EXPECT_FLOAT_EQ(camera.m_fDistance, before + (120.0f / -50.0f) * before * 0.05f);
    g_Input.Reset();
    g_FPSCounter.m_fFrameTime = 1.0f;
}

TEST(Engine2CameraManager, CamerasAndFrustum) {
    CDX9KelCameraManager manager;
    EXPECT_FALSE(manager.Init(800, 600, nullptr));
    EXPECT_FALSE(manager.Init(-1, 600, FakeWindow()));
    ASSERT_TRUE(manager.Init(800, 600, FakeWindow()));
    ASSERT_EQ(manager.GetCameraCount(), 1);
    EXPECT_NE(dynamic_cast<CDX9KelGlobalCamera*>(manager.GetActiveCamera()), nullptr);
    EXPECT_EQ(manager.AddCamera(1, "other"), -1);
    const std::string longName(150, 'n');
    const int index = manager.AddCamera(0, longName.c_str());
    ASSERT_EQ(index, 1);
    EXPECT_EQ(std::string(manager.GetCamera(1)->m_szName).size(), 99u);
    EXPECT_FALSE(manager.SetActiveCamera(2));
    EXPECT_TRUE(manager.SetActiveCamera(0));
    EXPECT_TRUE(manager.m_bCameraSwitched);

    manager.Update();
    EXPECT_TRUE(manager.m_bChanged);
    manager.Update();
    EXPECT_FALSE(manager.m_bChanged); // a still camera: no rebinding
    static_cast<CDX9KelGlobalCamera*>(manager.GetActiveCamera())->Yaw(0.1f);
    manager.Update();
    EXPECT_TRUE(manager.m_bChanged);

    // The target lies inside every plane; a point behind the eye is outside
    // the near plane.
    const CDX9KelBaseCamera* camera = manager.GetActiveCamera();
    auto inside = [](const D3DXPLANE& p, const D3DXVECTOR3& v) { return p.a * v.x + p.b * v.y + p.c * v.z + p.d >= 0; };
    for (const D3DXPLANE& p : manager.m_Planes) EXPECT_TRUE(inside(p, camera->m_vLookAt));
    const D3DXVECTOR3 behind = camera->m_vEye + (camera->m_vEye - camera->m_vLookAt);
    EXPECT_FALSE(inside(manager.m_Planes[PLANE_NEAR], behind));
    // The corners at z = 1 lie on the far plane; those at z = -1 (below the
    // near plane's 0) at about half the near distance.
    D3DXVECTOR3 toFar = (manager.m_pCorners[4] + manager.m_pCorners[7]) * 0.5f - camera->m_vEye;
    EXPECT_NEAR(D3DXVec3Length(&toFar), 2000.0f, 1.0f);
    D3DXVECTOR3 toNear = (manager.m_pCorners[0] + manager.m_pCorners[3]) * 0.5f - camera->m_vEye;
    EXPECT_NEAR(D3DXVec3Length(&toNear), 0.5f, 1e-2f);

    manager.SetProjection(-5, 10);
    EXPECT_EQ(manager.m_iWidth, 800);
    manager.ReleaseCameras();
    EXPECT_EQ(manager.GetActiveCamera(), nullptr);
    manager.Update();
}

TEST(Engine2CameraManager, TurnsTowardAPointOnEitherSide) {
    for (float yaw : {0.0f, 1.0f, 2.5f, -2.0f}) {
        for (float side : {1.0f, -1.0f}) {
            SCOPED_TRACE(::testing::Message() << "yaw " << yaw << " side " << side);
            CDX9KelCameraManager manager;
            ASSERT_TRUE(manager.Init(800, 600, FakeWindow()));
            auto* camera = static_cast<CDX9KelGlobalCamera*>(manager.GetActiveCamera());
            camera->SetTarget(500.0f, 500.0f);
            camera->SetAngles(0.6f, yaw);
            // A point 60 degrees to one side of the view, seen from the target.
            const D3DXVECTOR3 view = ViewDirectionXZ(*camera);
            const float a = side * 1.0471976f;
            const float px = 500.0f + 100.0f * (view.x * std::cos(a) - view.z * std::sin(a));
            const float pz = 500.0f + 100.0f * (view.x * std::sin(a) + view.z * std::cos(a));
            EXPECT_TRUE(manager.TurnCameraToPoint(px, pz));
            D3DXVECTOR3 want(px - 500.0f, 0.0f, pz - 500.0f);
            D3DXVec3Normalize(&want, &want);
            const D3DXVECTOR3 got = ViewDirectionXZ(*camera);
            EXPECT_NEAR(D3DXVec3Dot(&got, &want), 1.0f, 1e-4f);
        }
    }
    CDX9KelCameraManager manager;
    ASSERT_TRUE(manager.Init(800, 600, FakeWindow()));
    auto* camera = static_cast<CDX9KelGlobalCamera*>(manager.GetActiveCamera());
    camera->SetTarget(500.0f, 500.0f);
    // Less than 0.175 rad away, or the target itself: the camera stays.
    const float yaw = camera->m_fYaw;
    EXPECT_TRUE(manager.TurnCameraToPoint(500.0f + 100.0f * std::sin(0.1f), 500.0f + 100.0f * std::cos(0.1f)));
    EXPECT_EQ(camera->m_fYaw, yaw);
    EXPECT_TRUE(manager.TurnCameraToPoint(500.0f, 500.0f));
    EXPECT_EQ(camera->m_fYaw, yaw);
    CDX9KelBaseCameraManager plain;
    ASSERT_TRUE(plain.Init(800, 600, FakeWindow()));
    EXPECT_EQ(dynamic_cast<CDX9KelGlobalCamera*>(plain.GetActiveCamera()), nullptr);
}

TEST(Engine2Lights, DefaultLight) {
    CDX9KelLightManager lights;
    EXPECT_EQ(lights.GetFirstLight(), nullptr);
    ASSERT_TRUE(lights.AddDefaultLight());
    CDX9KelLight* light = lights.GetFirstLight();
    ASSERT_NE(light, nullptr);
    EXPECT_NEAR(light->m_vSun.x, -0.5845f, 1e-4f);
    EXPECT_NEAR(light->m_vSun.y, 0.2955f, 1e-4f);
    EXPECT_NEAR(light->m_vSun.z, -0.7556f, 1e-4f);
    EXPECT_EQ(light->m_vSun.w, 0.0f);
    EXPECT_FLOAT_EQ(light->m_Diffuse.g, 240.0f / 255.0f);
    EXPECT_FALSE(light->m_bChanged);
    light->m_bChanged = true;
    lights.ClearChangedFlags();
    EXPECT_FALSE(light->m_bChanged);
    lights.Clear();
    EXPECT_EQ(lights.GetFirstLight(), nullptr);
}

TEST(Engine2FPSCounter, FrameTimeInHundredths) {
    Platform::ManualClock clock;
    Platform::SetClock(&clock);
    CDX9KelFPSCounter counter;
    counter.Init(100.0f);
    clock.Advance(20); // 50 frames per second
    counter.Update();
    EXPECT_FLOAT_EQ(counter.GetFrameTime(), 2.0f);
    clock.Advance(10);
    counter.Update();
    EXPECT_FLOAT_EQ(counter.GetFrameTime(), 1.0f);
    counter.Update(); // no time passed
    EXPECT_FLOAT_EQ(counter.GetFrameTime(), 1.0f);
    for (int i = 0; i < 60; ++i) {
        clock.Advance(10);
        counter.Update();
    }
    EXPECT_FLOAT_EQ(counter.GetFPS(), 100.0f);
    Platform::SetClock(nullptr);
}
