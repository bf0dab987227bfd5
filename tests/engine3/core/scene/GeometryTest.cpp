#include "engine3/core/scene/Geometry.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace Vorna3D;

namespace {

TEST(Geometry, AngleGuardAndRotations)
{
    struct Case {
        float in, out;
    } guard[] = {{6.4f, 6.4f}, {6.6f, 0.0f}, {-6.4f, -6.4f}, {-6.6f, 0.0f}, {NAN, 0.0f}, {INFINITY, 0.0f}, {1.0f, 1.0f}};
    for (const auto& c : guard) EXPECT_FLOAT_EQ(GuardAngle(c.in), c.out) << c.in;

    D3DXMATRIX m, r;
    D3DXMatrixTranslation(&m, 5, 0, 0);
    ASSERT_TRUE(RotateMatrixLocalY(&m, 6.4f));
    D3DXMatrixRotationY(&r, 6.4f);
    EXPECT_NEAR(m._11, r._11, 1e-5f);
    EXPECT_FLOAT_EQ(m._41, 5.0f); // about its own position
    const D3DXMATRIX before = m;
    ASSERT_TRUE(RotateMatrixLocalY(&m, 6.6f));
    EXPECT_EQ(m, before);
    EXPECT_FALSE(RotateMatrixLocalY(&m, 0.0f));
    EXPECT_FALSE(RotateMatrixAroundMatrixAxis(&m, &before, 4, 1.0f));

    D3DXVECTOR3 v(1, 0, 0);
    EXPECT_FALSE(RotateVec3AroundY(&v, 0.0f));
    ASSERT_TRUE(RotateVec3AroundY(&v, D3DX_PI / 2));
    EXPECT_NEAR(v.z, 1.0f, 1e-6f); // x' = x cos a - z sin a, z' = x sin a + z cos a
    ASSERT_TRUE(RotateVec3AroundY(&v, D3DX_PI / 2));
    EXPECT_NEAR(v.x, -1.0f, 1e-6f);
    EXPECT_FALSE(RotateVec3AroundX(nullptr, 1.0f));

    // Pivot rotation: (10, 0, 0) about the y axis through (5, 0, 0).
    D3DXMatrixTranslation(&m, 10, 0, 0);
    const D3DXVECTOR3 pivot(5, 0, 0), axis(0, 1, 0);
    ASSERT_TRUE(RotateMatrixAroundAxis(&m, &pivot, &axis, D3DX_PI));
    EXPECT_NEAR(m._41, 0.0f, 1e-5f);
}

TEST(Geometry, DistancesAnglesAndSentinels)
{
    const D3DXVECTOR3 a(0, 0, 0), b(3, 4, 0);
    EXPECT_FLOAT_EQ(GetDistance(&a, &b), 5.0f);
    EXPECT_FLOAT_EQ(GetSquaredDistance(&a, &b), 25.0f);
    EXPECT_FLOAT_EQ(GetDistance(nullptr, &b), -1.0f);
    D3DXMATRIX m, n;
    D3DXMatrixTranslation(&m, 3, 4, 0);
    D3DXMatrixTranslation(&n, 0, 0, 0);
    EXPECT_FLOAT_EQ(GetDistanceBetweenMatrices(&m, &n), 5.0f);
    EXPECT_FLOAT_EQ(GetDistanceToMatrix(&a, &m), 5.0f);
    const D3DXVECTOR2 p(1, 1), q(4, 5);
    EXPECT_FLOAT_EQ(GetDistance2D(&p, &q), 5.0f);

    const D3DXVECTOR2 fwd(1, 0), side(0, 1);
    EXPECT_NEAR(GetAngleBetweenVectors2D(&fwd, &side), D3DX_PI / 2, 1e-6f);
    // The sign turns at 1.57 (not pi/2) from the side axis, 1.57 itself positive.
    for (float s : {1.5f, 1.569f, 1.57f, 1.5702f, 1.6f}) {
        const D3DXVECTOR2 v(std::sin(s), std::cos(s));
        const float sideAngle = GetAngleBetweenVectors2D(&v, &side);
        const float got = GetSignedAngle2D(&fwd, &v, &side);
        EXPECT_EQ(got > 0.0f, sideAngle <= 1.57f) << s;
        EXPECT_NEAR(std::fabs(got), GetAngleBetweenVectors2D(&fwd, &v), 1e-6f) << s;
    }
    const D3DXVECTOR2 justPast(std::sin(1.5705f), std::cos(1.5705f)); // still short of pi/2
    EXPECT_LT(GetSignedAngle2D(&fwd, &justPast, &side), 0.0f);
    const D3DXVECTOR2 left(0, 1), right(0, -1);
    EXPECT_NEAR(GetSignedAngle2D(&fwd, &left, &side), D3DX_PI / 2, 1e-5f);
    EXPECT_NEAR(GetSignedAngle2D(&fwd, &right, &side), -D3DX_PI / 2, 1e-5f);
    EXPECT_FLOAT_EQ(GetSignedAngle2D(nullptr, &left, &side), -1000.0f);
    // Rounding just past 1 still gives angle 0, not NaN.
    const D3DXVECTOR3 u(1.0000001f, 0, 0), x(1, 0, 0);
    EXPECT_EQ(GetAngleBetweenVectors(&u, &x), 0.0f);

    // Headings: identity faces +z with +x on the right.
    D3DXMatrixIdentity(&m);
    const D3DXVECTOR3 ahead(0, 0, 10), toRight(10, 0, 0), toLeft(-10, 0, 0);
    EXPECT_NEAR(GetHeadingAngleToPoint(&m, &ahead), 0.0f, 1e-6f);
    EXPECT_NEAR(GetHeadingAngleToPoint(&m, &toRight), D3DX_PI / 2, 1e-5f);
    EXPECT_NEAR(GetHeadingAngleToPoint(&m, &toLeft), -D3DX_PI / 2, 1e-5f);
    EXPECT_FLOAT_EQ(GetHeadingAngleToPoint(nullptr, &toLeft), -1000.0f);
}

TEST(Geometry, OverlapsAndIntersections)
{
    const D3DXVECTOR3 a0(0, 0, 0), a1(10, 10, 10);
    const D3DXVECTOR3 apartY0(5, 20, 5), apartY1(15, 30, 15), face0(10, 0, 0), face1(20, 10, 10);
    EXPECT_FALSE(IsBoxIntersectingBox(&a0, &a1, &apartY0, &apartY1));
    EXPECT_TRUE(IsBoxIntersectingBox(&a0, &a1, &face0, &face1));
    EXPECT_TRUE(IsIntervalOverlapping(5, 0, 5, 9)); // reversed bounds are ordered first
    const D3DXVECTOR3 c(12, 5, 5);
    EXPECT_TRUE(IsSphereIntersectingBox(&c, &a0, &a1, 2.0f));
    EXPECT_FALSE(IsSphereIntersectingBox(&c, &a0, &a1, 1.9f));
    EXPECT_TRUE(IsSphereInsideSphere(&a0, &c, 1.0f, 15.0f));
    EXPECT_FALSE(IsSphereInsideSphere(&a0, &c, 0.0f, 14.0f));
    EXPECT_TRUE(IsPointInBox(&a1, &a0, &a1));
    const D3DXVECTOR2 p(1, 0), o(0, 0);
    EXPECT_FALSE(IsPointInCircle2D(&p, &o, 1.0f));

    // Ray and triangle, from the front and from the back.
    const D3DXVECTOR3 t0(0, 0, 5), t1(0, 1, 5), t2(1, 0, 5), from(0.2f, 0.2f, 0), dz(0, 0, 1), back(0.2f, 0.2f, 10),
        mdz(0, 0, -1), miss(2, 2, 0);
    EXPECT_TRUE(IsRayIntersectingTriangle(&from, &dz, &t0, &t1, &t2));
    EXPECT_TRUE(IsRayIntersectingTriangle(&back, &mdz, &t0, &t1, &t2));
    EXPECT_FALSE(IsRayIntersectingTriangle(&miss, &dz, &t0, &t1, &t2));
    const D3DXVECTOR3 sc(0, 0, 10);
    EXPECT_TRUE(IsRayIntersectingSphere(&a0, &dz, &sc, 1.0f));
    EXPECT_FALSE(IsRayIntersectingSphere(&a0, &dz, &sc, 0.0f));

    struct CircleCase {
        const char* name;
        D3DXVECTOR2 c2;
        float r1, r2;
        int want;
    } circles[] = {
        {"same centre", {0, 0}, 1, 2, 0},       {"apart", {5, 0}, 1, 1, 0},
        {"touching", {2, 0}, 1, 1, 1},          {"crossing", {1, 0}, 1, 1, 2},
        {"one inside the other", {0.5f, 0}, 3, 1, 0}, {"no radius", {1, 0}, 0, 1, -1},
    };
    for (const auto& cc : circles) {
        D3DXVECTOR2 pts[2];
        EXPECT_EQ(IntersectCircles2D(&o, cc.r1, &cc.c2, cc.r2, pts), cc.want) << cc.name;
    }
    D3DXVECTOR2 pts[2];
    const D3DXVECTOR2 c1(1, 0);
    ASSERT_EQ(IntersectCircles2D(&o, 1, &c1, 1, pts), 2);
    EXPECT_NEAR(pts[0].x, 0.5f, 1e-5f);
    EXPECT_NEAR(std::fabs(pts[0].y), std::sqrt(0.75f), 1e-5f);

    const D3DXVECTOR2 rx(1, 0), ry(0, 1), far(5, -5), behind(-5, -5), centre(5, 0), zero(0, 0);
    EXPECT_TRUE(IntersectRays2D(&o, &rx, &far, &ry, pts));
    EXPECT_EQ(pts[0], D3DXVECTOR2(5, 0));
    EXPECT_FALSE(IntersectRays2D(&o, &rx, &behind, &rx, nullptr));   // parallel
    const D3DXVECTOR2 backwards(-1, 0);
    EXPECT_FALSE(IntersectRays2D(&o, &backwards, &far, &ry, nullptr)); // behind the first origin
    EXPECT_EQ(IntersectRayCircle2D(&o, &rx, &centre, 1.0f, pts), 2);
    EXPECT_EQ(IntersectRayCircle2D(&centre, &rx, &centre, 1.0f, pts), 1); // from inside
    EXPECT_EQ(IntersectRayCircle2D(&o, &backwards, &centre, 1.0f, pts), 0);
    EXPECT_EQ(IntersectRayCircle2D(&o, &zero, &centre, 1.0f, pts), 0);
    EXPECT_EQ(IntersectRayCircle2D(&o, &rx, &centre, 0.0f, pts), -1);
}

// The scene tree's visible set rests on this test: a box that reaches into
// the frustum by a single corner is in view whichever of its eight corners
// that is and whichever plane it crosses (a ship at the screen's edge).
TEST(Geometry, BoxInFrustumByAnyOneCorner)
{
    const D3DXVECTOR3 centre(3, -2, 7);
    D3DXVECTOR3 corners[8];
    for (int j = 0; j < 8; ++j)
        corners[j] = centre + D3DXVECTOR3(j & 1 ? 1.0f : -1.0f, j & 2 ? 1.0f : -1.0f, j & 4 ? 1.0f : -1.0f);
    // Planes far enough out to hold the whole box on their inner side.
    const D3DXPLANE wide[6] = {{1, 0, 0, 100}, {-1, 0, 0, 100}, {0, 1, 0, 100},
                               {0, -1, 0, 100}, {0, 0, 1, 100}, {0, 0, -1, 100}};
    ASSERT_TRUE(IsBoxInFrustum(wide, corners));

    for (int corner = 0; corner < 8; ++corner) {
        // A slanted plane whose inner side faces away from the box: corner
        // `corner` is the box's point nearest to it, every other corner lies
        // at least 2/sqrt(3) further out.
        const D3DXVECTOR3 out = corners[corner] - centre;
        D3DXVECTOR3 n;
        D3DXVec3Normalize(&n, &out);
        for (int slot = 0; slot < 6; ++slot) {
            for (float margin : {0.01f, -0.01f}) {
                D3DXPLANE planes[6];
                for (int p = 0; p < 6; ++p) planes[p] = wide[p];
                planes[slot] = D3DXPLANE(n.x, n.y, n.z, margin - D3DXVec3Dot(&n, &corners[corner]));
                EXPECT_EQ(IsBoxInFrustum(planes, corners), margin > 0)
                    << "corner " << corner << ", plane " << slot << (margin > 0 ? ", just in" : ", just out");
            }
        }
    }
    // A corner on the plane itself is not inside.
    D3DXPLANE planes[6];
    for (int p = 0; p < 6; ++p) planes[p] = wide[p];
    planes[0] = D3DXPLANE(1, 0, 0, -(centre.x + 1));
    EXPECT_FALSE(IsBoxInFrustum(planes, corners));
    EXPECT_FALSE(IsBoxInFrustum(nullptr, corners));
    EXPECT_FALSE(IsBoxInFrustum(wide, nullptr));
}

TEST(Geometry, PickRayAndGroundPoint)
{
    D3DXMATRIX world, view, proj;
    D3DXMatrixIdentity(&world);
    const D3DXVECTOR3 eye(0, 10, -10), at(0, 0, 0), up(0, 1, 0);
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    D3DXMatrixPerspectiveFovLH(&proj, D3DX_PI / 4, 4.0f / 3, 1, 1000);
    D3DXVECTOR3 dir, origin, ground;
    ASSERT_TRUE(ComputePickRay(&world, &view, 800, 600, &proj, 400, 300, &dir, &origin));
    D3DXVec3Normalize(&dir, &dir);
    EXPECT_NEAR(origin.y, 10.0f, 1e-4f);
    EXPECT_NEAR(dir.y, -std::sqrt(0.5f), 1e-5f);
    EXPECT_NEAR(dir.z, std::sqrt(0.5f), 1e-5f);
    EXPECT_FALSE(ComputePickRay(&world, &view, 0, 600, &proj, 400, 300, &dir, &origin));

    ASSERT_TRUE(GetPickRayGroundPoint(&origin, &dir, 1000.0f, &ground));
    EXPECT_NEAR(ground.y, 0.0f, 1e-4f);
    EXPECT_NEAR(ground.z, 0.0f, 1e-3f);
    // A level or upward ray never meets the sea: the far point stands in.
    const D3DXVECTOR3 level(0, 0, 2), upward(0, 1, 0);
    ASSERT_TRUE(GetPickRayGroundPoint(&origin, &level, 1000.0f, &ground));
    EXPECT_NEAR(ground.z, -10.0f + 1000.0f, 1e-2f);
    ASSERT_TRUE(GetPickRayGroundPoint(&origin, &upward, 500.0f, &ground));
    EXPECT_NEAR(ground.y, 510.0f, 1e-3f);
    EXPECT_TRUE(std::isfinite(ground.x));
}

} // namespace
