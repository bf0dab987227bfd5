#include "engine2/core/scene/Geometry.h"

#include "common/OffscreenDevice.h"

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>

using namespace Vorna2;

namespace {

D3DXMATRIX At(float x, float z, float heading) {
    D3DXMATRIX m;
    D3DXMatrixRotationY(&m, heading);
    m._41 = x;
    m._43 = z;
    return m;
}

} // namespace

TEST(Engine2Geometry, DistancesAndAnglesHandleMissingArguments) {
    const D3DXVECTOR3 a(0, 0, 0), b(3, 4, 0);
    EXPECT_FLOAT_EQ(GetDistance(&a, &b), 5.0f);
    EXPECT_FLOAT_EQ(GetDistance(nullptr, &b), -1.0f);
    const D3DXMATRIX m = At(6, 8, 0);
    EXPECT_FLOAT_EQ(GetDistanceToMatrix(&a, &m), 10.0f);
    EXPECT_FLOAT_EQ(GetDistanceBetweenMatrices(&m, &m), 0.0f);
    EXPECT_FLOAT_EQ(GetDistanceBetweenMatrices(nullptr, &m), -1.0f);
    const D3DXVECTOR3 x(1, 0, 0), y(0, 1, 0);
    EXPECT_NEAR(GetAngle(&x, &y), 1.5707964f, 1e-6f);
    EXPECT_FLOAT_EQ(GetAngle(nullptr, &y), -1.0f);
    // A dot product just beyond 1 would be NaN: no angle.
    const D3DXVECTOR3 longer(1.0001f, 0, 0);
    EXPECT_FLOAT_EQ(GetAngle(&x, &longer), 0.0f);
}

TEST(Engine2Geometry, HeadingAngleIsZeroAheadAndSignedToTheSides) {
    // The matrix looks along its negated third row: a heading-0 matrix
    // looks to -z.
    const D3DXMATRIX self = At(0, 0, 0);
    const D3DXMATRIX ahead = At(0, -10, 0), side = At(-10, 0, 0), other = At(10, 0, 0);
    EXPECT_NEAR(GetHeadingAngleToMatrix(&self, &ahead), 0.0f, 1e-6f);
    EXPECT_NEAR(GetHeadingAngleToMatrix(&self, &side), 1.5707964f, 1e-3f);
    EXPECT_NEAR(GetHeadingAngleToMatrix(&self, &other), -1.5707964f, 1e-3f);
    EXPECT_FLOAT_EQ(GetHeadingAngleToMatrix(&self, nullptr), -1000.0f);
}

TEST(Engine2Geometry, OverlapTests) {
    const D3DXVECTOR3 lo(0, 0, 0), hi(10, 10, 10);
    struct Case {
        D3DXVECTOR3 c;
        float r;
        bool hit;
    } cases[] = {{{5, 5, 5}, 1, true}, {{12, 5, 5}, 2, true}, {{12, 5, 5}, 1.9f, false}, {{12, 12, 5}, 2.9f, true},
                 {{12, 12, 5}, 2.8f, false}};
    for (const Case& k : cases) EXPECT_EQ(SphereIntersectsBox(&k.c, &lo, &hi, k.r), k.hit) << k.c.x << "," << k.c.y;
    EXPECT_FALSE(SphereIntersectsBox(&lo, nullptr, &hi, 1));

    const D3DXVECTOR3 c1(0, 0, 0), c2(3, 0, 0);
    EXPECT_TRUE(SpheresIntersect(&c1, &c2, 1.0f, 2.0f)); // touching
    EXPECT_FALSE(SpheresIntersect(&c1, &c2, 1.0f, 1.9f));
    EXPECT_TRUE(SpheresIntersect(&c1, &c1, 0.5f, 0.5f));
    EXPECT_FALSE(SpheresIntersect(&c1, &c1, 0.0f, 0.5f));
    EXPECT_FALSE(SpheresIntersect(nullptr, &c1, 1.0f, 1.0f));
}

TEST(Engine2Geometry, BoxInFrustumKeepsStraddlingBoxes) {
    // The unit cube [-1, 1]^3 as six inward planes.
    const D3DXPLANE planes[6] = {{1, 0, 0, 1}, {-1, 0, 0, 1}, {0, 1, 0, 1}, {0, -1, 0, 1}, {0, 0, 1, 1}, {0, 0, -1, 1}};
    const D3DXVECTOR3 inLo(-0.5f, -0.5f, -0.5f), inHi(0.5f, 0.5f, 0.5f);
    const D3DXVECTOR3 straddleLo(0.5f, 0, 0), straddleHi(3, 0.5f, 0.5f);
    const D3DXVECTOR3 outLo(2, 0, 0), outHi(3, 1, 1);
    EXPECT_TRUE(BoxInFrustum(planes, &inLo, &inHi));
    EXPECT_TRUE(BoxInFrustum(planes, &straddleLo, &straddleHi));
    EXPECT_FALSE(BoxInFrustum(planes, &outLo, &outHi));
    EXPECT_FALSE(BoxInFrustum(nullptr, &inLo, &inHi));
}

TEST(Engine2Geometry, RotationsTurnAboutTheirOwnAxesAndZeroIsExact) {
    D3DXMATRIX m = At(5, 7, 0.3f);
    m._42 = 2.0f;
    const D3DXMATRIX before = m;
    RotateMatrixYaw(&m, 0.0f);
    RotateMatrixPitch(&m, 0.0f);
    RotateMatrixRoll(&m, 0.0f);
    EXPECT_EQ(std::memcmp(&m, &before, sizeof m), 0);

    // Yaw keeps the position and the up axis.
    RotateMatrixYaw(&m, 0.5f);
    EXPECT_FLOAT_EQ(m._41, 5.0f);
    EXPECT_FLOAT_EQ(m._43, 7.0f);
    EXPECT_NEAR(m._22, 1.0f, 1e-6f);
    // Pitch turns the forward axis up or down but not the right axis.
    D3DXMATRIX p = At(0, 0, 0);
    RotateMatrixPitch(&p, 0.2f);
    EXPECT_NEAR(p._11, 1.0f, 1e-6f);
    EXPECT_NEAR(std::fabs(p._32), std::sin(0.2f), 1e-6f);
    // Roll keeps the forward axis.
    D3DXMATRIX r = At(0, 0, 0);
    RotateMatrixRoll(&r, 0.2f);
    EXPECT_NEAR(r._33, 1.0f, 1e-6f);
    EXPECT_NEAR(std::fabs(r._12), std::sin(0.2f), 1e-6f);
    // About a reference's up axis through the reference's position.
    D3DXMATRIX ref = At(10, 0, 0), moved = At(20, 0, 0);
    RotateMatrixAroundMatrixUp(&ref, &moved, 3.1415927f);
    EXPECT_NEAR(moved._41, 0.0f, 1e-4f);
}

TEST(Engine2Geometry, PickRayThroughTheCentreRunsAlongTheViewAxis) {
    VornaTest::OffscreenDevice dev;
    ASSERT_TRUE(dev.Create(100, 100));
    D3DXMATRIX view, proj, world;
    const D3DXVECTOR3 eye(0, 10, -10), at(0, 0, 0), up(0, 1, 0);
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    D3DXMatrixPerspectiveFovLH(&proj, 0.785f, 1.0f, 1.0f, 100.0f);
    D3DXMatrixIdentity(&world);
    POINT origin{0, 0};
    ScreenToClient(dev.m_hWnd, &origin);
    D3DXVECTOR3 o, d;
    ASSERT_TRUE(GetPickRay(100, 100, &proj, &view, &world, 50 - origin.x, 50 - origin.y, dev.m_hWnd, &o, &d));
    EXPECT_NEAR(o.x, 0.0f, 1e-4f);
    EXPECT_NEAR(o.y, 10.0f, 1e-4f);
    EXPECT_NEAR(o.z, -10.0f, 1e-4f);
    D3DXVECTOR3 n;
    D3DXVec3Normalize(&n, &d);
    EXPECT_NEAR(n.y, -0.7071f, 1e-3f);
    EXPECT_NEAR(n.z, 0.7071f, 1e-3f);
    // In a world of its own the ray comes out in that world's space.
    D3DXMatrixTranslation(&world, 5.0f, 0.0f, 0.0f);
    ASSERT_TRUE(GetPickRay(100, 100, &proj, &view, &world, 50 - origin.x, 50 - origin.y, dev.m_hWnd, &o, &d));
    EXPECT_NEAR(o.x, -5.0f, 1e-4f);
    EXPECT_FALSE(GetPickRay(100, 100, &proj, &view, &world, 50, 50, nullptr, &o, &d));
    EXPECT_FALSE(GetPickRay(100, 100, nullptr, &view, &world, 50, 50, dev.m_hWnd, &o, &d));
}
