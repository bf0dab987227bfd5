// The sea's projected grid and the sky arch's mesh and placement, without a
// device: cameras over, inside and beside the wave slab; the arch's counts,
// texture coordinates and shape; what Init refuses.
#include "engine3/core/render/CDX9KelBaseCameraManager.h"
#include "engine3/core/render/CDX9KelRenderSystem.h"
#include "engine3/world/ocean/CDX9KelOceanWater.h"
#include "engine3/world/ocean/CDX9KelSkyHex.h"
#include "engine3/world/ocean/CVR3SkyArch.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

using namespace Vorna3D;

namespace {

class CameraFixture : public ::testing::Test {
protected:
    CDX9KelBaseCamera* MakeCamera(const D3DXVECTOR3& eye, const D3DXVECTOR3& target) {
        auto* cam = new CDX9KelBaseCamera();
        EXPECT_TRUE(cam->Init("Main", 0, 320, 240, 1.0f, 1.0f));
        EXPECT_TRUE(cam->SetPosition(&eye, &target));
        cam->UpdateFrustum();
        EXPECT_TRUE(m_cameras.AddCamera(cam));
        m_cameras.m_pActiveCamera = cam;
        return cam;
    }
    CDX9KelBaseCameraManager m_cameras;
};

using ProjectedGridTest = CameraFixture;

// A camera over the sea looking towards the horizon: the four grid corners
// lie on the rest plane in front of the camera, the near edge (v = 0) closer
// than the far one, and the projector maps the unit square onto that patch.
TEST_F(ProjectedGridTest, CornersLieOnTheSeaInFrontOfTheCamera) {
    CDX9KelOceanWater water;
    water.m_pCameraManager = &m_cameras;
    const D3DXVECTOR3 eye(10.0f, 20.0f, -60.0f);
    const CDX9KelBaseCamera* cam = MakeCamera(eye, D3DXVECTOR3(10.0f, 0.0f, 40.0f));
    ASSERT_TRUE(water.UpdateProjectedGrid());
    D3DXVECTOR3 points[4];
    for (int i = 0; i < 4; ++i) {
        const D3DXVECTOR4& c = water.GetGridCorners()[i];
        ASSERT_GT(std::fabs(c.w), 1e-6f);
        EXPECT_NEAR(c.y / c.w, 0.0f, 1e-3f) << "corner " << i;
        points[i] = D3DXVECTOR3(c.x / c.w, 0.0f, c.z / c.w);
        const D3DXVECTOR3 toCorner = points[i] - eye;
        EXPECT_GT(D3DXVec3Dot(&toCorner, &cam->m_vViewDir), 0.0f) << "corner " << i << " behind the camera";
    }
    auto distance = [&](const D3DXVECTOR3& p) {
        const D3DXVECTOR3 d = p - eye;
        return D3DXVec3Length(&d);
    };
    EXPECT_LT(distance(points[0]), distance(points[2]));
    EXPECT_LT(distance(points[1]), distance(points[3]));
    // u runs to the camera's right: corner (1, 0) lies right of (0, 0).
    EXPECT_GT(points[1].x, points[0].x);
}

struct VisibilityCase {
    const char* name;
    D3DXVECTOR3 eye, target;
    bool visible;
};

// A view that meets the slab (from above, from inside it, level with the
// sea) makes the sea visible; a view far above it looking up does not, and
// then the corners stay as they were.
TEST_F(ProjectedGridTest, VisibleOnlyWhenTheViewMeetsTheWaveSlab) {
    const VisibilityCase cases[] = {
        {"above, looking down", {0, 50, 0}, {0, 0, 30}, true},
        {"inside the slab, looking level", {0, 1, 0}, {0, 1, 100}, true},
        {"below the sea, looking up", {0, -40, 0}, {0, -20, 30}, true},
        {"high above, looking up", {0, 3000, 0}, {0, 3100, 20}, false},
    };
    for (const VisibilityCase& c : cases) {
        CDX9KelBaseCameraManager cameras;
        auto* cam = new CDX9KelBaseCamera();
        ASSERT_TRUE(cam->Init("Main", 0, 320, 240, 1.0f, 1.0f));
        ASSERT_TRUE(cam->SetPosition(&c.eye, &c.target));
        cam->UpdateFrustum();
        ASSERT_TRUE(cameras.AddCamera(cam));
        cameras.m_pActiveCamera = cam;
        CDX9KelOceanWater water;
        water.m_pCameraManager = &cameras;
        const D3DXVECTOR4 before[4] = {{1, 0, 2, 1}, {3, 0, 4, 1}, {5, 0, 6, 1}, {7, 0, 8, 1}};
        water.SetGridCorners(before);
        EXPECT_EQ(water.UpdateProjectedGrid(), c.visible) << c.name;
        if (!c.visible) {
            for (int i = 0; i < 4; ++i)
                EXPECT_EQ(water.GetGridCorners()[i], before[i]) << c.name;
        }
    }
}

// Without an active camera the previous visibility stands.
TEST_F(ProjectedGridTest, NoCameraKeepsThePreviousVisibility) {
    CDX9KelOceanWater water;
    water.m_pCameraManager = &m_cameras;
    water.Update(1.0f);
    EXPECT_TRUE(water.IsVisible());
    MakeCamera(D3DXVECTOR3(0, 3000, 0), D3DXVECTOR3(0, 3100, 20));
    water.Update(1.0f);
    EXPECT_FALSE(water.IsVisible());
    m_cameras.m_pActiveCamera = nullptr;
    water.Update(1.0f);
    EXPECT_FALSE(water.IsVisible());
}

TEST(OceanWaterInitTest, RefusesWhatItCannotWorkWith) {
    CDX9KelRenderSystem noCameras;
    CDX9KelOceanWater water;
    EXPECT_FALSE(water.Init(nullptr, &noCameras, false));
    EXPECT_FALSE(water.Init(reinterpret_cast<IDirect3DDevice9*>(&noCameras), nullptr, false));
    EXPECT_FALSE(water.Init(reinterpret_cast<IDirect3DDevice9*>(&noCameras), &noCameras, false));
    // Nothing was made, and drawing and device loss without a device do nothing.
    EXPECT_EQ(water.m_pVB, nullptr);
    water.Render(nullptr, 1.0f, 0, 0);
    water.OnLost(0);
    EXPECT_EQ(water.GetLastTick(), 0u);
}

TEST(SkyHexTest, ArchOfTheDefaultSize) {
    const float radius = 2000.0f, height = 300.0f, rings = 8.0f, segments = 32.0f;
    const UINT nv = CDX9KelSkyHex::VertexCount(rings, segments), ni = CDX9KelSkyHex::IndexCount(rings, segments);
    ASSERT_EQ(nv, 297u);
    ASSERT_EQ(ni, 1536u);
    std::vector<CDX9KelSkyHex::SKYVERTEX> v(nv);
    std::vector<DWORD> idx(ni);
    ASSERT_TRUE(CDX9KelSkyHex::BuildMesh(radius, height, rings, segments, v.data(), nv, idx.data(), ni));
    float previousRadius = std::numeric_limits<float>::max(), previousY = -std::numeric_limits<float>::max();
    for (UINT r = 0; r <= 8; ++r) {
        const CDX9KelSkyHex::SKYVERTEX& first = v[r * 33];
        const float ringRadius = std::hypot(first.x, first.z);
        D3DXVECTOR2 centre(0, 0);
        for (UINT k = 0; k <= 32; ++k) {
            const CDX9KelSkyHex::SKYVERTEX& p = v[r * 33 + k];
            EXPECT_FLOAT_EQ(p.u, k / 32.0f);
            EXPECT_FLOAT_EQ(p.v, 1.0f - r / 8.0f);
            EXPECT_EQ(p.diffuse, 0xFFFFFFFFu);
            // Every ring is a level circle around the vertical axis.
            EXPECT_NEAR(std::hypot(p.x, p.z), ringRadius, 0.05f);
            EXPECT_NEAR(p.y, first.y, 0.01f);
            if (k < 32)
                centre += D3DXVECTOR2(p.x, p.z) / 32.0f;
        }
        EXPECT_NEAR(centre.x, 0.0f, 0.05f);
        EXPECT_NEAR(centre.y, 0.0f, 0.05f);
        // The last segment closes the ring.
        EXPECT_NEAR(v[r * 33 + 32].x, first.x, 0.05f);
        EXPECT_NEAR(v[r * 33 + 32].z, first.z, 0.05f);
        // Rising and narrowing towards the top.
        EXPECT_LT(ringRadius, previousRadius);
        EXPECT_GT(first.y, previousY);
        previousRadius = ringRadius;
        previousY = first.y;
    }
    // The rim: half the radius out, a little below the sea.
    EXPECT_NEAR(std::hypot(v[0].x, v[0].z), radius * 0.5f, 0.01f);
    EXPECT_FLOAT_EQ(v[0].y, -5.0f);
    for (DWORD i : idx)
        ASSERT_LT(i, nv);
}

TEST(SkyHexTest, RefusesBadSizesAndShortArrays) {
    std::vector<CDX9KelSkyHex::SKYVERTEX> v(297);
    std::vector<DWORD> idx(1536);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Case {
        float rings, segments;
        UINT vertices, indices;
    } cases[] = {{0.0f, 32.0f, 297, 1536},  {8.0f, -1.0f, 297, 1536}, {nan, 32.0f, 297, 1536},
                 {8.0f, 1e9f, 297, 1536},   {8.0f, 32.0f, 296, 1536}, {8.0f, 32.0f, 297, 1535}};
    for (const Case& c : cases)
        EXPECT_FALSE(CDX9KelSkyHex::BuildMesh(2000.0f, 300.0f, c.rings, c.segments, v.data(), c.vertices, idx.data(),
                                              c.indices))
            << c.rings << " x " << c.segments;
    EXPECT_EQ(CDX9KelSkyHex::VertexCount(nan, 32.0f), 0u);
    EXPECT_FALSE(CDX9KelSkyHex::BuildMesh(2000.0f, 300.0f, 8.0f, 32.0f, nullptr, 297, idx.data(), 1536));
}

using SkyArchTest = CameraFixture;

// The arch follows the camera's eye in x and z and keeps its height; a sky
// that is hidden does not move.
TEST_F(SkyArchTest, FollowsTheEyeHorizontally) {
    CVR3SkyArch sky;
    EXPECT_FALSE(sky.Init(nullptr, nullptr));
    sky.m_pCameraManager = &m_cameras;
    sky.m_mWorld._42 = 7.0f;
    MakeCamera(D3DXVECTOR3(120.0f, 40.0f, -35.0f), D3DXVECTOR3(0, 0, 0));
    sky.Update(1.0f);
    EXPECT_FLOAT_EQ(sky.m_mWorld._41, 120.0f);
    EXPECT_FLOAT_EQ(sky.m_mWorld._42, 7.0f);
    EXPECT_FLOAT_EQ(sky.m_mWorld._43, -35.0f);
    sky.m_bShown = false;
    const D3DXVECTOR3 eye(-5.0f, 40.0f, 9.0f), target(0, 0, 0);
    m_cameras.m_pActiveCamera->SetPosition(&eye, &target);
    sky.Update(1.0f);
    EXPECT_FLOAT_EQ(sky.m_mWorld._41, 120.0f);
}

} // namespace
