// Markers over a ship while the camera circles it: where each marker lands
// on the screen, when it counts as behind the camera, and which level of
// detail the distance picks.
#include <cmath>
#include <cstring>

#include "Gui3DTestSupport.h"
#include "engine3/core/scene/CDXSceneTree.h"

using namespace Vorna3D;

namespace {

// Pixel position of a world point for a camera, worked out from the camera's
// own frame (not through the view and projection matrices).
struct Expected {
    bool inFront;
    float x, y;
};

Expected Project(const CDX9KelBaseCamera& cam, const D3DXVECTOR3& p, int width, int height) {
    D3DXVECTOR3 f = cam.m_vTarget - cam.m_vEye, r, u;
    D3DXVec3Normalize(&f, &f);
    const D3DXVECTOR3 up(0, 1, 0);
    D3DXVec3Cross(&r, &up, &f);
    D3DXVec3Normalize(&r, &r);
    D3DXVec3Cross(&u, &f, &r);
    const D3DXVECTOR3 d = p - cam.m_vEye;
    const float z = D3DXVec3Dot(&d, &f), x = D3DXVec3Dot(&d, &r), y = D3DXVec3Dot(&d, &u);
    const float t = std::tan(cam.m_fFov / 2);
    Expected e;
    e.inFront = z > 0.0f && std::acos(z / D3DXVec3Length(&d)) < 1.5707964f;
    e.x = width / 2.0f * (1.0f + x / (z * t * cam.m_fAspect));
    e.y = height / 2.0f * (1.0f - y / (z * t));
    return e;
}

class Gui3DOrbitTest : public VornaTest::Gui3DFixture {};

TEST_F(Gui3DOrbitTest, MarkersFollowTheShipAroundTheCamerasCircle) {
    CDXSceneTree tree;
    const D3DXVECTOR3 lo(-1000, -100, -1000), hi(1000, 200, 1000);
    ASSERT_TRUE(tree.CreateEmptySceneTree("battle", 250.0f, &lo, &hi, false, nullptr));

    CDX9KelSceneObject ship;
    const D3DXVECTOR3 origin(0, 0, 0);
    ship.SetPosition(&origin);

    // Above the ship; near (lod 0) and far (lod 1) looks.
    CVR3GUI3DDialog* above = manager.InitDialog("above");
    ASSERT_NE(above->AddImage("near", 0, -16, -16, 16, 16, texture.c_str(), "", D3DXCOLOR(1, 1, 1, 1)), nullptr)
        << Log();
    ASSERT_NE(above->AddImage("far", 1, -4, -4, 4, 4, texture.c_str(), "", D3DXCOLOR(1, 1, 1, 1)), nullptr);
    above->SetDistanceRange(120.0f, 1000.0f);
    above->Attach(&ship, GUI3D_ATTACH_TRANSLATE, D3DXVECTOR3(0, 10, 0));
    // Off to the ship's side at a fixed height: behind the camera for part of the circle.
    CVR3GUI3DDialog* side = manager.InitDialog("side");
    ASSERT_NE(side->AddImage("flag", 0, -8, -8, 8, 8, texture.c_str(), "", D3DXCOLOR(1, 1, 1, 1)), nullptr);
    side->Attach(&ship, GUI3D_ATTACH_FIXED_HEIGHT, D3DXVECTOR3(150, 5, 0));
    // Never filed in an octree: it is left alone.
    CVR3GUI3DDialog* loose = manager.InitDialog("loose");
    loose->Attach(&ship, GUI3D_ATTACH_TRANSLATE, D3DXVECTOR3(0, 50, 0));
    for (CVR3GUI3DDialog* d : {above, side}) {
        d->FollowAttached();
        ASSERT_TRUE(tree.AddSceneObject(d));
    }

    int behind = 0, nearLooks = 0;
    for (int step = 0; step < 12; ++step) {
        SCOPED_TRACE(step);
        const float angle = step * D3DX_PI / 6, radius = step % 2 ? 200.0f : 80.0f;
        const D3DXVECTOR3 eye(radius * std::sin(angle), 30, -radius * std::cos(angle)), target(0, 0, 0);
        ASSERT_TRUE(camera->SetPosition(&eye, &target));
        manager.Update();

        for (CVR3GUI3DDialog* d : {above, side}) {
            const D3DXVECTOR3 p(d->m_mWorld._41, d->m_mWorld._42, d->m_mWorld._43);
            const Expected e = Project(*camera, p, kWidth, kHeight);
            EXPECT_EQ(d->m_bVisibleByAngle, e.inFront) << d->m_strName;
            if (!e.inFront) {
                ++behind;
                continue;
            }
            // Whole pixels, then moved by the screen centre and half a pixel.
            EXPECT_NEAR(d->m_mScreen._41, std::trunc(e.x) - kWidth / 2 - 0.5f, 1.0f) << d->m_strName;
            EXPECT_NEAR(d->m_mScreen._42, std::trunc(e.y) - kHeight / 2 - 0.5f, 1.0f) << d->m_strName;
            EXPECT_GT(d->m_mScreen._43, 0.0f);
            EXPECT_LT(d->m_mScreen._43, CVR3GUI3DManager::kViewportMaxZ);
        }
        // The marker above the ship stays on the screen's vertical centre line.
        EXPECT_NEAR(above->m_mScreen._41, -0.5f, 1.0f);
        EXPECT_LT(above->m_mScreen._42, 0.0f); // above the centre

        const SKelSceneLOD* lod = above->SelectLOD(&camera->m_vEye);
        ASSERT_NE(lod, nullptr);
        ASSERT_EQ(lod->m_vUnits.size(), 1u);
        EXPECT_EQ(lod->m_vUnits[0]->m_strName, radius < 120.0f ? "near" : "far");
        nearLooks += lod->m_vUnits[0]->m_strName == "near";
    }
    EXPECT_GT(behind, 0);
    EXPECT_EQ(nearLooks, 6);
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    EXPECT_EQ(0, std::memcmp(&loose->m_mScreen, &identity, sizeof identity));

    // Hidden by the GUI key: still projected, but not drawn.
    manager.SetDialogsVisible(false);
    EXPECT_FALSE(above->m_bVisible);
    for (CVR3GUI3DDialog* d : {above, side})
        EXPECT_TRUE(tree.RemoveSceneObject(d));
}

TEST_F(Gui3DOrbitTest, ADialogRightBesideTheCameraIsNotShown) {
    CDXSceneTree tree;
    const D3DXVECTOR3 lo(-100, -100, -100), hi(100, 100, 100);
    ASSERT_TRUE(tree.CreateEmptySceneTree("t", 50.0f, &lo, &hi, false, nullptr));
    CVR3GUI3DDialog* d = manager.InitDialog("beside");
    const D3DXVECTOR3 eye(0, 0, -50), target(0, 0, 0);
    ASSERT_TRUE(camera->SetPosition(&eye, &target));
    const D3DXVECTOR3 cases[] = {{10, 0, -50}, {0, 10, -50}, {0, 0, -60}, {0, 0, -50}};
    for (const D3DXVECTOR3& p : cases) {
        d->SetPosition(&p);
        ASSERT_TRUE(tree.AddSceneObject(d));
        d->m_bVisibleByAngle = true;
        manager.Update();
        EXPECT_FALSE(d->m_bVisibleByAngle) << p.x << " " << p.y << " " << p.z;
        EXPECT_TRUE(tree.RemoveSceneObject(d));
    }
}

} // namespace
