#include <gtest/gtest.h>

#include <cmath>

#include "engine3/core/CDX9KelInput.h"
#include "engine3/core/render/CDX9KelCameraManager.h"
#include "engine3/core/render/CDX9KelGlobalCamera.h"
#include "engine3/core/render/CDX9KelLightManager.h"
#include "platform/window/DirectInputCodes.h"

using namespace Vorna3D;

namespace {

HWND FakeWindow() { return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0x1000)); }

TEST(BaseCamera, MatricesAndAspect)
{
    CDX9KelBaseCamera cam;
    EXPECT_FALSE(cam.Init(nullptr, 0, 1024, 768, 1, 1));
    EXPECT_FALSE(cam.Init("C", 0, 1024, 0, 1, 1));
    // A screen of 400 x 300 mm at 1024 x 768 pixels.
    ASSERT_TRUE(cam.Init("C", 3, 1024, 768, 400.0f / 1024, 300.0f / 768));
    EXPECT_FLOAT_EQ(cam.m_fAspect, 4.0f / 3.0f);
    EXPECT_EQ(cam.m_iIndex, 3);
    EXPECT_FLOAT_EQ(cam.m_mProjection._22, 1.0f / std::tan(D3DX_PI / 8));
    EXPECT_FLOAT_EQ(cam.m_mProjection._11, cam.m_mProjection._22 * 0.75f);
    EXPECT_FLOAT_EQ(cam.m_mProjection._33, 1000.0f / 999.0f);
    EXPECT_FLOAT_EQ(cam.m_mProjection._43, -1000.0f / 999.0f);

    const D3DXVECTOR3 eye(0, 0, -10), target(0, 0, 0);
    ASSERT_TRUE(cam.SetPosition(&eye, &target));
    EXPECT_FLOAT_EQ(cam.m_mView._43, 10.0f);
    EXPECT_FLOAT_EQ(cam.m_mView._11, 1.0f);
    EXPECT_EQ(cam.m_vViewDir, D3DXVECTOR3(0, 0, 1));
    EXPECT_FLOAT_EQ(cam.m_mViewInverse._43, -10.0f);

    // Degenerate positions are refused and change nothing.
    cam.m_bChanged = false;
    const D3DXVECTOR3 above(0, 10, 0);
    EXPECT_FALSE(cam.SetPosition(&target, &target));
    EXPECT_FALSE(cam.SetPosition(&above, &target)); // straight along the up vector
    EXPECT_FALSE(cam.SetPosition(nullptr, &target));
    EXPECT_FALSE(cam.SetAspect(0, 768, 1, 1));
    EXPECT_FALSE(cam.SetFarPlane(0.5f));
    EXPECT_FALSE(cam.m_bChanged);
    EXPECT_EQ(cam.m_vEye, eye);

    ASSERT_TRUE(cam.SetAspect(800, 400, 1, 1));
    EXPECT_FLOAT_EQ(cam.m_fAspect, 2.0f);
    EXPECT_TRUE(cam.m_bChanged);
    ASSERT_TRUE(cam.SetFarPlane(101.0f));
    EXPECT_FLOAT_EQ(cam.m_mProjection._33, 1.01f);
}

TEST(BaseCamera, FrustumCornersAndPlanes)
{
    CDX9KelBaseCamera cam;
    ASSERT_TRUE(cam.Init("C", 0, 100, 100, 1, 1)); // aspect 1, fov 90 degrees... no: pi/4
    const D3DXVECTOR3 eye(0, 0, -10), target(0, 0, 0);
    cam.SetPosition(&eye, &target);
    cam.SetFarPlane(101.0f);
    cam.UpdateFrustum();
    const float t = std::tan(D3DX_PI / 8);
    // Corner 0 is (-1, -1, 0): bottom left of the near plane, 1 in front of the eye.
    EXPECT_NEAR(cam.m_vCorners[0].x, -t, 1e-4f);
    EXPECT_NEAR(cam.m_vCorners[0].y, -t, 1e-4f);
    EXPECT_NEAR(cam.m_vCorners[0].z, -9.0f, 1e-4f);
    EXPECT_NEAR(cam.m_vCorners[7].x, 101 * t, 1e-2f);
    EXPECT_NEAR(cam.m_vCorners[7].z, 91.0f, 1e-2f);

    struct Case {
        const char* name;
        D3DXVECTOR3 p;
        int outsidePlane; // -1: inside all
    } cases[] = {
        {"centre", {0, 0, 0}, -1},
        {"before the near plane", {0, 0, -9.5f}, KEL_PLANE_NEAR},
        {"beyond the far plane", {0, 0, 92}, KEL_PLANE_FAR},
        {"left", {-10 * t - 1, 0, 0}, KEL_PLANE_LEFT},
        {"right", {10 * t + 1, 0, 0}, KEL_PLANE_RIGHT},
        {"above", {0, 10 * t + 1, 0}, KEL_PLANE_TOP},
        {"below", {0, -10 * t - 1, 0}, KEL_PLANE_BOTTOM},
    };
    for (const auto& c : cases) {
        for (int p = 0; p < 6; ++p) {
            const float d = D3DXPlaneDotCoord(&cam.m_Planes[p], &c.p);
            if (p == c.outsidePlane)
                EXPECT_LT(d, 0.0f) << c.name << " plane " << p;
            else
                EXPECT_GT(d, 0.0f) << c.name << " plane " << p;
        }
    }

    // A mirrored view set directly marks the camera changed.
    cam.m_bChanged = false;
    D3DXMATRIX mirror;
    const D3DXPLANE sea(0, 1, 0, 0);
    D3DXMatrixReflect(&mirror, &sea);
    const D3DXMATRIX view = mirror * cam.m_mView;
    ASSERT_TRUE(cam.SetView(&view));
    EXPECT_TRUE(cam.m_bChanged);
    D3DXMATRIX singular;
    D3DXMatrixScaling(&singular, 0, 1, 1);
    EXPECT_FALSE(cam.SetView(&singular));
}

TEST(CameraManager, CamerasByNameAndFrameMarks)
{
    CDX9KelCameraManager mgr;
    EXPECT_FALSE(mgr.SetWindow(800, 600, nullptr));
    EXPECT_FALSE(mgr.SetWindow(-1, 600, FakeWindow()));
    EXPECT_EQ(mgr.m_pActiveCamera, nullptr);
    ASSERT_TRUE(mgr.SetWindow(800, 600, FakeWindow()));
    ASSERT_NE(mgr.m_pActiveCamera, nullptr);
    EXPECT_EQ(mgr.FindCamera("Main"), mgr.m_pActiveCamera);
    EXPECT_TRUE(mgr.m_bChanged);
    // Windowed with square pixels: the aspect follows the window.
    EXPECT_FLOAT_EQ(mgr.m_pActiveCamera->m_fAspect, 4.0f / 3.0f);
    EXPECT_FLOAT_EQ(mgr.m_pActiveCamera->m_fFar, 2000.0f);

    auto* second = new CDX9KelBaseCamera();
    second->Init("Main", 0, 10, 10, 1, 1);
    EXPECT_FALSE(mgr.AddCamera(second)); // name taken
    second->m_strName = "Light";
    ASSERT_TRUE(mgr.AddCamera(second));
    EXPECT_EQ(second->m_iManagerIndex, 1);
    EXPECT_FALSE(mgr.AddCamera(second)); // already added
    EXPECT_FALSE(mgr.AddCamera(nullptr));
    CDX9KelBaseCamera unnamed;
    EXPECT_FALSE(mgr.AddCamera(&unnamed));

    mgr.m_bSkipReset = true;
    mgr.EndFrame();
    EXPECT_TRUE(second->m_bChanged);
    EXPECT_FALSE(mgr.m_bSkipReset);
    mgr.EndFrame();
    EXPECT_FALSE(second->m_bChanged);
    EXPECT_FALSE(mgr.m_pActiveCamera->m_bChanged);
    EXPECT_FALSE(mgr.m_bChanged);

    mgr.Restore(-5, 100);
    EXPECT_EQ(mgr.m_iWidth, 800);
    EXPECT_FALSE(second->m_bChanged);
    mgr.Restore(1000, 500);
    EXPECT_FLOAT_EQ(second->m_fAspect, 2.0f);
    EXPECT_FLOAT_EQ(mgr.m_pActiveCamera->m_fAspect, 2.0f);

    mgr.ReleaseAll();
    EXPECT_EQ(mgr.m_pActiveCamera, nullptr);
    EXPECT_EQ(mgr.FindCamera("Main"), nullptr);
}

TEST(CameraManager, WindowedAspectFollowsTheWindowFullScreenTheScreen)
{
    float mmx = 0, mmy = 0;
    CDX9KelBaseCameraManager::GetMillimetresPerPixel(nullptr, 800, 600, false, &mmx, &mmy);
    ASSERT_GT(mmx, 0.0f);
    // Desktop pixels are (nearly) square, so a window keeps its own shape.
    EXPECT_NEAR((800 * mmx) / (600 * mmy), 4.0f / 3.0f, 0.02f);
    CDX9KelBaseCameraManager::GetMillimetresPerPixel(nullptr, 800, 600, true, &mmx, &mmy);
    // Full screen: the screen's physical shape whatever the mode.
    const float fullAspect = (800 * mmx) / (600 * mmy);
    int w = 0, h = 0;
    if (Platform::GetDesktopSize(&w, &h) && w > 0 && h > 0)
        EXPECT_NEAR(fullAspect, static_cast<float>(w) / h, 0.02f);
    else
        EXPECT_FLOAT_EQ(fullAspect, 4.0f / 3.0f);
}

class GlobalCamera : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(cam.Init("Main", 0, 800, 600, 1, 1));
        input.m_rcClient = RECT{0, 0, 800, 600};
        input.m_iCursorX = 400;
        input.m_iCursorY = 300;
    }
    void Press(int key) { input.m_KeyboardState[key] = 0x80; }
    CDX9KelGlobalCamera cam;
    CDX9KelInput input;
};

TEST_F(GlobalCamera, OrbitsAndKeepsItsLimits)
{
    EXPECT_NEAR(cam.m_vEye.x, 0.0f, 1e-4f);
    EXPECT_NEAR(cam.m_vEye.y, 29.389f, 1e-3f);
    EXPECT_NEAR(cam.m_vEye.z, -40.451f, 1e-3f);
    EXPECT_FLOAT_EQ(cam.m_fSpeed, 0.01f);

    // One wheel notch forward zooms in by 7.2 %.
    input.m_fWheel = 120.0f;
    cam.Update(&input, 1.0f);
    EXPECT_NEAR(cam.m_fDistance, 50.0f * 0.928f, 1e-4f);
    input.m_fWheel = 0.0f;

    ASSERT_TRUE(cam.SetDistance(5.0f));
    cam.Zoom(-1.0f);
    EXPECT_FLOAT_EQ(cam.m_fDistance, 5.0f);
    cam.SetDistance(199.0f);
    cam.Zoom(1.0f);
    EXPECT_FLOAT_EQ(cam.m_fDistance, 200.0f);
    EXPECT_FALSE(cam.SetDistance(0.0f)); // eye on the target
    EXPECT_FALSE(cam.SetDistance(NAN));
    EXPECT_FLOAT_EQ(cam.m_fDistance, 200.0f);

    cam.AddPitch(10.0f);
    EXPECT_FLOAT_EQ(cam.m_fPitch, 1.4959966f);
    cam.AddPitch(-10.0f);
    EXPECT_FLOAT_EQ(cam.m_fPitch, 0.31415927f);

    // A pan that would take the target to x = 1000 moves along z only.
    cam.SetDistance(100.0f);
    cam.SetAngles(0.5f, 0.0f);
    cam.SetTarget(995.0f, 500.0f);
    cam.m_bMoved = false;
    EXPECT_FALSE(cam.PanRight(10.0f)); // dx = 10: stays put
    EXPECT_FALSE(cam.m_bMoved);
    EXPECT_FLOAT_EQ(cam.m_vTarget.x, 995.0f);
    ASSERT_TRUE(cam.PanForward(10.0f)); // z moves; x's tiny share is inside too
    EXPECT_TRUE(cam.m_bMoved);
    EXPECT_NEAR(cam.m_vTarget.z, 510.0f, 1e-3f);
    cam.SetAngles(0.5f, 0.3f);
    const D3DXVECTOR3 before = cam.m_vTarget;
    cam.PanRight(-10.0f);
    // The eye keeps its place around the target.
    EXPECT_NEAR(cam.m_vEye.x - cam.m_vTarget.x, std::sin(0.3f) * std::cos(0.5f) * 100.0f, 1e-3f);
    EXPECT_LT(cam.m_vTarget.x, before.x);
}

TEST_F(GlobalCamera, KeypadEdgesDragAndWheel)
{
    cam.SetTarget(500.0f, 500.0f);
    struct Case {
        const char* name;
        int key;
        float dx, dz, dPitch, dYaw, distanceFactor;
    } cases[] = {
        // Pan steps: 0.1 x F x distance x speed = 0.05.
        {"keypad 6", DIK_NUMPAD6, 0.05f, 0, 0, 0, 1},
        {"keypad 4", DIK_NUMPAD4, -0.05f, 0, 0, 0, 1},
        {"keypad 8", DIK_NUMPAD8, 0, 0.05f, 0, 0, 1},
        {"keypad 2", DIK_NUMPAD2, 0, -0.05f, 0, 0, 1},
        {"keypad 9", DIK_NUMPAD9, 0, 0, 0.01f, 0, 1},
        {"keypad 3", DIK_NUMPAD3, 0, 0, -0.01f, 0, 1},
        {"keypad 7", DIK_NUMPAD7, 0, 0, 0, -0.01f, 1},
        {"keypad 1", DIK_NUMPAD1, 0, 0, 0, 0.01f, 1},
        {"keypad plus", DIK_ADD, 0, 0, 0, 0, 1 - 0.009f},
        {"keypad minus", DIK_SUBTRACT, 0, 0, 0, 0, 1 + 0.009f},
    };
    for (const auto& c : cases) {
        CDX9KelGlobalCamera g;
        g.Init("Main", 0, 800, 600, 1, 1);
        g.SetTarget(500.0f, 500.0f);
        CDX9KelInput in;
        in.m_rcClient = RECT{0, 0, 800, 600};
        in.m_iCursorX = 400;
        in.m_iCursorY = 300;
        in.m_KeyboardState[c.key] = 0x80;
        const float pitch = g.m_fPitch, yaw = g.m_fYaw, dist = g.m_fDistance;
        g.Update(&in, 1.0f);
        EXPECT_NEAR(g.m_vTarget.x - 500.0f, c.dx, 1e-4f) << c.name;
        EXPECT_NEAR(g.m_vTarget.z - 500.0f, c.dz, 1e-4f) << c.name;
        EXPECT_NEAR(g.m_fPitch - pitch, c.dPitch, 1e-6f) << c.name;
        EXPECT_NEAR(g.m_fYaw - yaw, c.dYaw, 1e-6f) << c.name;
        EXPECT_NEAR(g.m_fDistance / dist, c.distanceFactor, 1e-5f) << c.name;
        EXPECT_EQ(g.m_bMoved, c.dx != 0 || c.dz != 0) << c.name;
    }

    // The cursor at the top edge pans forward by F x distance x speed.
    input.m_iCursorY = 1;
    cam.Update(&input, 2.0f);
    EXPECT_NEAR(cam.m_vTarget.z, 501.0f, 1e-3f);
    EXPECT_TRUE(cam.m_bMoved);
    // Not while the right button is held; the drag turns instead.
    input.m_bRightDown = true;
    input.m_fRightDeltaX = 200.0f;
    input.m_fRightDeltaY = -100.0f;
    const float yaw = cam.m_fYaw, pitch = cam.m_fPitch;
    cam.Update(&input, 2.0f);
    EXPECT_NEAR(cam.m_vTarget.z, 501.0f, 1e-3f);
    EXPECT_FALSE(cam.m_bMoved);
    EXPECT_NEAR(cam.m_fYaw, yaw - 200.0f / 20000.0f * 2.0f, 1e-6f);
    EXPECT_NEAR(cam.m_fPitch, pitch - 100.0f / 20000.0f * 2.0f, 1e-6f);

    // Disabled groups do nothing.
    CDX9KelGlobalCamera off;
    off.Init("Main", 0, 800, 600, 1, 1);
    off.m_bPanEnabled = off.m_bRotateEnabled = off.m_bZoomEnabled = false;
    const D3DXVECTOR3 eye = off.m_vEye;
    Press(DIK_NUMPAD6);
    Press(DIK_NUMPAD9);
    input.m_fWheel = 120.0f;
    off.Update(&input, 1.0f);
    EXPECT_EQ(off.m_vEye, eye);
}

TEST(Lights, DefaultSunAndChangedMarks)
{
    CDX9KelLightManager mgr;
    EXPECT_EQ(mgr.GetFirstLight(), nullptr);
    ASSERT_TRUE(mgr.Init());
    CDX9KelLight* l = mgr.GetFirstLight();
    ASSERT_NE(l, nullptr);
    EXPECT_EQ(l->m_iType, KEL_LIGHT_DIRECTIONAL);
    EXPECT_EQ(l->m_vDirection, D3DXVECTOR3(0.5f, -0.5f, 0.5f));
    EXPECT_EQ(l->m_vPosition, D3DXVECTOR3(0, 100, 0));
    EXPECT_EQ(l->m_Diffuse, D3DXCOLOR(1.0f, 0.9411765f, 0.9411765f, 1.0f));
    EXPECT_EQ(l->m_Ambient, D3DXCOLOR(0.5882353f, 0.5882353f, 0.5882353f, 1.0f));
    EXPECT_FLOAT_EQ(l->m_fSunAzimuth, 3.8f);
    EXPECT_FLOAT_EQ(l->m_fSunElevation, 0.25f);
    EXPECT_FLOAT_EQ(l->m_fSunShininess, 1500.0f);
    EXPECT_FLOAT_EQ(l->m_fSunStrength, 200.0f);
    EXPECT_EQ(l->m_SunColor, D3DXCOLOR(0.3f, 0.2f, 0.1f, 0.1f));
    EXPECT_NEAR(l->m_vSunVector.x, -0.5928f, 1e-4f);
    EXPECT_NEAR(l->m_vSunVector.y, 0.2474f, 1e-4f);
    EXPECT_NEAR(l->m_vSunVector.z, -0.7664f, 1e-4f);
    EXPECT_EQ(l->m_vSunVector.w, 0.0f);
    EXPECT_TRUE(l->m_bChanged);
    EXPECT_EQ(CDX9KelLight().m_iType, KEL_LIGHT_NONE);

    mgr.ResetChanged();
    EXPECT_FALSE(l->m_bChanged);
    l->m_fSunElevation = D3DX_PI / 2;
    l->UpdateSunVector();
    EXPECT_TRUE(l->m_bChanged);
    EXPECT_NEAR(l->m_vSunVector.y, 1.0f, 1e-6f);
    mgr.Release();
    EXPECT_EQ(mgr.GetFirstLight(), nullptr);
}

} // namespace
