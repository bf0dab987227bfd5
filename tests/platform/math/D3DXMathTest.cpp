#include "platform/math/d3dx9math.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

constexpr float kEps = 1e-5f;
const float kHalfPi = D3DX_PI / 2.0f;
const float kS45 = std::sqrt(0.5f);

::testing::AssertionResult Near(const D3DXMATRIX& a, const D3DXMATRIX& b, float eps = kEps)
{
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            if (!(std::fabs(a.m[i][j] - b.m[i][j]) <= eps))
                return ::testing::AssertionFailure()
                       << "element (" << i << ", " << j << "): " << a.m[i][j] << " vs " << b.m[i][j];
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult Near(const D3DXVECTOR3& a, const D3DXVECTOR3& b, float eps = kEps)
{
    if (std::fabs(a.x - b.x) <= eps && std::fabs(a.y - b.y) <= eps && std::fabs(a.z - b.z) <= eps)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << a.x << ", " << a.y << ", " << a.z << ") vs (" << b.x << ", "
                                         << b.y << ", " << b.z << ")";
}

::testing::AssertionResult Near(const D3DXQUATERNION& a, const D3DXQUATERNION& b, float eps = kEps)
{
    if (std::fabs(a.x - b.x) <= eps && std::fabs(a.y - b.y) <= eps && std::fabs(a.z - b.z) <= eps &&
        std::fabs(a.w - b.w) <= eps)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << a.x << ", " << a.y << ", " << a.z << ", " << a.w << ") vs ("
                                         << b.x << ", " << b.y << ", " << b.z << ", " << b.w << ")";
}

D3DXMATRIX Rx(float a) { D3DXMATRIX m; return *D3DXMatrixRotationX(&m, a); }
D3DXMATRIX Ry(float a) { D3DXMATRIX m; return *D3DXMatrixRotationY(&m, a); }
D3DXMATRIX Rz(float a) { D3DXMATRIX m; return *D3DXMatrixRotationZ(&m, a); }
D3DXMATRIX T(float x, float y, float z) { D3DXMATRIX m; return *D3DXMatrixTranslation(&m, x, y, z); }
D3DXMATRIX S(float x, float y, float z) { D3DXMATRIX m; return *D3DXMatrixScaling(&m, x, y, z); }

D3DXVECTOR3 Coord(const D3DXVECTOR3& v, const D3DXMATRIX& m)
{
    D3DXVECTOR3 r;
    return *D3DXVec3TransformCoord(&r, &v, &m);
}

// Matrices built by the library functions against values worked out by hand
// for the left-handed, row-vector conventions.
TEST(D3DXMath, MatrixBuildersGiveKnownMatrices)
{
    D3DXMATRIX look, persp, ortho, offc, refl, refl5;
    const D3DXVECTOR3 up(0, 1, 0), at(0, 0, 0), eyeX(10, 0, 0), eyeZ(0, 0, -10);
    D3DXMATRIX lookZ;
    D3DXMatrixLookAtLH(&lookZ, &eyeZ, &at, &up);
    D3DXMatrixLookAtLH(&look, &eyeX, &at, &up);
    D3DXMatrixPerspectiveFovLH(&persp, kHalfPi, 2.0f, 1.0f, 101.0f);
    D3DXMatrixOrthoLH(&ortho, 4.0f, 2.0f, 1.0f, 11.0f);
    D3DXMatrixOrthoOffCenterLH(&offc, 0.0f, 4.0f, 0.0f, 2.0f, 0.0f, 10.0f);
    const D3DXPLANE ground(0, 2, 0, 0), shelf(0, 1, 0, -5);
    D3DXMatrixReflect(&refl, &ground);
    D3DXMatrixReflect(&refl5, &shelf);
    D3DXMATRIX axisZ;
    const D3DXVECTOR3 longZ(0, 0, 2);
    D3DXMatrixRotationAxis(&axisZ, &longZ, kHalfPi);
    D3DXMATRIX ypr;
    D3DXMatrixRotationYawPitchRoll(&ypr, 0.3f, 0.0f, 0.0f);
    D3DXMATRIX ypr3;
    D3DXMatrixRotationYawPitchRoll(&ypr3, 0.3f, 0.4f, 0.5f);

    struct Case {
        const char* name;
        D3DXMATRIX got, want;
    } cases[] = {
        {"RotationX 90", Rx(kHalfPi), {1, 0, 0, 0, 0, 0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1}},
        {"RotationY 90", Ry(kHalfPi), {0, 0, -1, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 1}},
        {"RotationZ 90", Rz(kHalfPi), {0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}},
        {"RotationAxis z (unnormalised)", axisZ, Rz(kHalfPi)},
        {"Translation then RotationZ", T(1, 2, 3) * Rz(kHalfPi), {0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, -2, 1, 3, 1}},
        {"Scaling", S(2, 3, 4), {2, 0, 0, 0, 0, 3, 0, 0, 0, 0, 4, 0, 0, 0, 0, 1}},
        {"LookAtLH from -z", lookZ, {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 10, 1}},
        {"LookAtLH from +x", look, {0, 0, -1, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 10, 1}},
        {"PerspectiveFovLH", persp, {0.5f, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1.01f, 1, 0, 0, -1.01f, 0}},
        {"OrthoLH", ortho, {0.5f, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0.1f, 0, 0, 0, -0.1f, 1}},
        {"OrthoOffCenterLH", offc, {0.5f, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0.1f, 0, -1, -1, 0, 1}},
        {"Reflect y = 0", refl, S(1, -1, 1)},
        {"Reflect y = 5", refl5, {1, 0, 0, 0, 0, -1, 0, 0, 0, 0, 1, 0, 0, 10, 0, 1}},
        {"YawPitchRoll yaw only", ypr, Ry(0.3f)},
        {"YawPitchRoll order", ypr3, Rz(0.5f) * Rx(0.4f) * Ry(0.3f)},
    };
    for (const auto& c : cases) EXPECT_TRUE(Near(c.got, c.want)) << c.name;
}

TEST(D3DXMath, PointsTransformAsTheConventionsSay)
{
    D3DXMATRIX persp;
    D3DXMatrixPerspectiveFovLH(&persp, kHalfPi, 2.0f, 1.0f, 101.0f);
    struct Case {
        const char* name;
        D3DXVECTOR3 in;
        D3DXMATRIX m;
        D3DXVECTOR3 want;
    } cases[] = {
        {"y turns towards z about x", {0, 1, 0}, Rx(kHalfPi), {0, 0, 1}},
        {"x turns towards -z about y", {1, 0, 0}, Ry(kHalfPi), {0, 0, -1}},
        {"z turns towards x about y", {0, 0, 1}, Ry(kHalfPi), {1, 0, 0}},
        {"x turns towards y about z", {1, 0, 0}, Rz(kHalfPi), {0, 1, 0}},
        {"near plane maps to depth 0", {0, 0, 1}, persp, {0, 0, 0}},
        {"far plane maps to depth 1", {0, 0, 101}, persp, {0, 0, 1}},
        {"frustum edge maps to x = 1", {20, 10, 10}, persp, {1, 1, 1.01f - 0.101f}},
    };
    for (const auto& c : cases) EXPECT_TRUE(Near(Coord(c.in, c.m), c.want)) << c.name;

    // A point mapped to w = 0 comes out as zero rather than infinity.
    const D3DXVECTOR3 onEyePlane(1, 1, 0);
    EXPECT_TRUE(Near(Coord(onEyePlane, persp), {0, 0, 0}));

    // Normals ignore the translation; Vec3Transform keeps w.
    const D3DXMATRIX tr = T(5, 6, 7) * S(2, 2, 2);
    D3DXVECTOR3 n(1, 0, 0), nOut;
    D3DXVec3TransformNormal(&nOut, &n, &tr);
    EXPECT_TRUE(Near(nOut, {2, 0, 0}));
    D3DXVECTOR4 v4;
    D3DXVec3Transform(&v4, &n, &persp);
    EXPECT_FLOAT_EQ(v4.x, 0.5f);
    EXPECT_FLOAT_EQ(v4.w, 0.0f);
    const D3DXVECTOR4 p4(1, 2, 3, 0);
    D3DXVec4Transform(&v4, &p4, &tr);
    EXPECT_FLOAT_EQ(v4.x, 2.0f);
    EXPECT_FLOAT_EQ(v4.y, 4.0f);
    EXPECT_FLOAT_EQ(v4.z, 6.0f);
    EXPECT_FLOAT_EQ(v4.w, 0.0f);
}

TEST(D3DXMath, InverseTransposeAndDeterminant)
{
    const D3DXMATRIX m = T(1, 2, 3) * S(2, 4, 8);
    D3DXMATRIX inv;
    float det = 0.0f;
    ASSERT_NE(D3DXMatrixInverse(&inv, &det, &m), nullptr);
    EXPECT_FLOAT_EQ(det, 64.0f);
    EXPECT_TRUE(Near(inv, S(0.5f, 0.25f, 0.125f) * T(-1, -2, -3)));
    EXPECT_TRUE(Near(inv * m, S(1, 1, 1)));

    // A general matrix: the inverse multiplies back to the identity.
    const D3DXMATRIX g = Rx(0.3f) * Ry(-1.1f) * S(1.5f, 0.5f, 2.0f) * T(10, -20, 30);
    ASSERT_NE(D3DXMatrixInverse(&inv, nullptr, &g), nullptr);
    EXPECT_TRUE(Near(g * inv, S(1, 1, 1), 1e-4f));
    // Aliased output.
    D3DXMATRIX a = g;
    D3DXMatrixInverse(&a, nullptr, &a);
    EXPECT_TRUE(Near(a, inv));

    // A singular matrix is refused and the output is left alone.
    const D3DXMATRIX flat = S(1, 0, 1);
    D3DXMATRIX keep = T(9, 9, 9);
    EXPECT_EQ(D3DXMatrixInverse(&keep, &det, &flat), nullptr);
    EXPECT_EQ(det, 0.0f);
    EXPECT_TRUE(Near(keep, T(9, 9, 9)));

    const D3DXMATRIX r(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16);
    D3DXMATRIX t;
    D3DXMatrixTranspose(&t, &r);
    EXPECT_EQ(t, D3DXMATRIX(1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15, 4, 8, 12, 16));
    EXPECT_EQ(D3DXMatrixDeterminant(&r), 0.0f);
    D3DXMATRIX id;
    D3DXMatrixIdentity(&id);
    EXPECT_TRUE(D3DXMatrixIsIdentity(&id));
    EXPECT_FALSE(D3DXMatrixIsIdentity(&r));
}

TEST(D3DXMath, TransformationComposesScaleRotationAndTranslation)
{
    D3DXQUATERNION q;
    const D3DXVECTOR3 yAxis(0, 1, 0);
    D3DXQuaternionRotationAxis(&q, &yAxis, kHalfPi);
    const D3DXVECTOR3 scale(2, 2, 2), centre(1, 0, 0), move(0, 0, 5);
    D3DXMATRIX m;
    D3DXMatrixTransformation(&m, nullptr, nullptr, &scale, &centre, &q, &move);
    // (1,0,0) scaled to (2,0,0), turned about (1,0,0) to (1,0,-1), moved to (1,0,4).
    EXPECT_TRUE(Near(Coord({1, 0, 0}, m), {1, 0, 4}));
    D3DXMATRIX aff;
    D3DXMatrixAffineTransformation(&aff, 2.0f, &centre, &q, &move);
    EXPECT_TRUE(Near(aff, m));

    // Scaling about a centre under a scaling rotation: scale x by 3 along the
    // axis turned 90 degrees about y (i.e. along z), centred at (0, 0, 1).
    const D3DXVECTOR3 sc(0, 0, 1), s3(3, 1, 1);
    D3DXMatrixTransformation(&m, &sc, &q, &s3, nullptr, nullptr, nullptr);
    EXPECT_TRUE(Near(Coord({0, 0, 2}, m), {0, 0, 4}));
    EXPECT_TRUE(Near(Coord({1, 0, 1}, m), {1, 0, 1}));

    // All null: identity.
    D3DXMatrixTransformation(&m, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    EXPECT_TRUE(D3DXMatrixIsIdentity(&m));
}

TEST(D3DXMath, VectorsAndDegenerateInput)
{
    const D3DXVECTOR3 a(1, 2, 3), b(4, 5, 6), zero(0, 0, 0);
    D3DXVECTOR3 r;
    EXPECT_FLOAT_EQ(D3DXVec3Dot(&a, &b), 32.0f);
    EXPECT_EQ(*D3DXVec3Cross(&r, &a, &b), D3DXVECTOR3(-3, 6, -3));
    const D3DXVECTOR3 x(1, 0, 0), y(0, 1, 0);
    EXPECT_EQ(*D3DXVec3Cross(&r, &x, &y), D3DXVECTOR3(0, 0, 1));
    EXPECT_FLOAT_EQ(D3DXVec3LengthSq(&a), 14.0f);
    const D3DXVECTOR3 v34(3, 4, 0);
    EXPECT_FLOAT_EQ(D3DXVec3Length(&v34), 5.0f);
    EXPECT_TRUE(Near(*D3DXVec3Normalize(&r, &v34), {0.6f, 0.8f, 0}));
    EXPECT_EQ(*D3DXVec3Normalize(&r, &zero), zero);
    EXPECT_TRUE(Near(*D3DXVec3Lerp(&r, &a, &b, 0.25f), {1.75f, 2.75f, 3.75f}));
    const D3DXVECTOR3 c(0, 9, 3);
    EXPECT_EQ(*D3DXVec3Minimize(&r, &a, &c), D3DXVECTOR3(0, 2, 3));
    EXPECT_EQ(*D3DXVec3Maximize(&r, &a, &c), D3DXVECTOR3(1, 9, 3));
    EXPECT_EQ(*D3DXVec3Subtract(&r, &b, &a), D3DXVECTOR3(3, 3, 3));
    EXPECT_EQ(*D3DXVec3Scale(&r, &a, 2), D3DXVECTOR3(2, 4, 6));

    D3DXVECTOR2 v2(3, 4), r2;
    EXPECT_FLOAT_EQ(D3DXVec2Length(&v2), 5.0f);
    D3DXVECTOR2 z2(0, 0);
    EXPECT_EQ(*D3DXVec2Normalize(&r2, &z2), z2);
    const D3DXVECTOR2 e1(1, 0), e2(0, 1);
    EXPECT_FLOAT_EQ(D3DXVec2CCW(&e1, &e2), 1.0f);
    D3DXVECTOR4 z4(0, 0, 0, 0), r4;
    EXPECT_EQ(*D3DXVec4Normalize(&r4, &z4), z4);

    // A rotation about a zero axis or a look-at with eye = target yields no NaN.
    D3DXMATRIX m;
    D3DXMatrixRotationAxis(&m, &zero, 1.0f);
    EXPECT_TRUE(D3DXMatrixIsIdentity(&m));
    const D3DXVECTOR3 up(0, 1, 0);
    D3DXMatrixLookAtLH(&m, &a, &a, &up);
    for (int i = 0; i < 16; ++i) EXPECT_TRUE(std::isfinite((&m._11)[i]));
}

TEST(D3DXMath, Planes)
{
    D3DXPLANE p;
    const D3DXVECTOR3 pt(0, 5, 0), n(0, 1, 0);
    EXPECT_EQ(*D3DXPlaneFromPointNormal(&p, &pt, &n), D3DXPLANE(0, 1, 0, -5));
    const D3DXVECTOR3 a(0, 7, 0);
    EXPECT_FLOAT_EQ(D3DXPlaneDotCoord(&p, &a), 2.0f);
    EXPECT_FLOAT_EQ(D3DXPlaneDotNormal(&p, &a), 7.0f);
    const D3DXVECTOR4 a4(0, 7, 0, 2);
    EXPECT_FLOAT_EQ(D3DXPlaneDot(&p, &a4), -3.0f);

    // Points wound clockwise seen from above give an upward normal.
    const D3DXVECTOR3 o(0, 2, 0), z(0, 2, 1), x(1, 2, 0);
    D3DXPlaneFromPoints(&p, &o, &z, &x);
    EXPECT_TRUE(Near(D3DXVECTOR3(p.a, p.b, p.c), {0, 1, 0}));
    EXPECT_FLOAT_EQ(p.d, -2.0f);
    D3DXPlaneFromPoints(&p, &o, &o, &x);
    EXPECT_EQ(p, D3DXPLANE(0, 0, 0, 0));

    const D3DXPLANE raw(0, 3, 4, 10);
    D3DXPlaneNormalize(&p, &raw);
    EXPECT_FLOAT_EQ(p.b, 0.6f);
    EXPECT_FLOAT_EQ(p.c, 0.8f);
    EXPECT_FLOAT_EQ(p.d, 2.0f);
    const D3DXPLANE none(0, 0, 0, 3);
    EXPECT_EQ(*D3DXPlaneNormalize(&p, &none), D3DXPLANE(0, 0, 0, 0));

    const D3DXPLANE shelf(0, 1, 0, -5);
    D3DXVECTOR3 hit;
    const D3DXVECTOR3 l1(0, 0, 0), l2(0, 10, 10), l3(10, 0, 0);
    ASSERT_NE(D3DXPlaneIntersectLine(&hit, &shelf, &l1, &l2), nullptr);
    EXPECT_TRUE(Near(hit, {0, 5, 5}));
    EXPECT_EQ(D3DXPlaneIntersectLine(&hit, &shelf, &l1, &l3), nullptr);
}

TEST(D3DXMath, Quaternions)
{
    const D3DXVECTOR3 yAxis(0, 2, 0);
    D3DXQUATERNION qy, qid, r;
    D3DXQuaternionRotationAxis(&qy, &yAxis, kHalfPi);
    EXPECT_TRUE(Near(qy, {0, kS45, 0, kS45}));
    D3DXMATRIX m;
    EXPECT_TRUE(Near(*D3DXMatrixRotationQuaternion(&m, &qy), Ry(kHalfPi)));

    // Matrix to quaternion, for a small angle and for angles past 90 degrees
    // about each axis (the trace is then negative).
    const D3DXMATRIX mats[] = {Ry(1.0f), Rx(3.0f), Ry(-2.9f), Rz(2.5f), Rx(0.4f) * Ry(2.8f) * Rz(-1.3f)};
    for (const auto& mat : mats) {
        D3DXQUATERNION q;
        D3DXQuaternionRotationMatrix(&q, &mat);
        EXPECT_NEAR(D3DXQuaternionLength(&q), 1.0f, kEps);
        EXPECT_TRUE(Near(*D3DXMatrixRotationQuaternion(&m, &q), mat));
    }

    // Products apply the first rotation first, like matrix products.
    D3DXQUATERNION qx, qxy;
    const D3DXVECTOR3 xAxis(1, 0, 0);
    D3DXQuaternionRotationAxis(&qx, &xAxis, 0.7f);
    D3DXQuaternionMultiply(&qxy, &qx, &qy);
    EXPECT_TRUE(Near(*D3DXMatrixRotationQuaternion(&m, &qxy), Rx(0.7f) * Ry(kHalfPi)));
    EXPECT_TRUE(Near(qx * qy, qxy));

    D3DXQuaternionRotationYawPitchRoll(&r, 0.3f, 0.4f, 0.5f);
    EXPECT_TRUE(Near(*D3DXMatrixRotationQuaternion(&m, &r), Rz(0.5f) * Rx(0.4f) * Ry(0.3f)));

    // Slerp halfway from identity to 90 degrees about y is 45 degrees, also
    // when the end is given with the opposite sign.
    D3DXQuaternionIdentity(&qid);
    const D3DXVECTOR3 y1(0, 1, 0);
    D3DXQUATERNION q45;
    D3DXQuaternionRotationAxis(&q45, &y1, D3DX_PI / 4);
    EXPECT_TRUE(Near(*D3DXQuaternionSlerp(&r, &qid, &qy, 0.5f), q45));
    const D3DXQUATERNION negY = -qy;
    EXPECT_TRUE(Near(*D3DXQuaternionSlerp(&r, &qid, &negY, 0.5f), q45));
    EXPECT_TRUE(Near(*D3DXQuaternionSlerp(&r, &qid, &qy, 0.0f), qid));
    EXPECT_TRUE(Near(*D3DXQuaternionSlerp(&r, &qid, &qid, 0.3f), qid));

    const D3DXQUATERNION q2(0, 0, 0, 2), zero(0, 0, 0, 0);
    EXPECT_TRUE(Near(*D3DXQuaternionNormalize(&r, &q2), qid));
    EXPECT_EQ(*D3DXQuaternionNormalize(&r, &zero), zero);
    EXPECT_TRUE(Near(*D3DXQuaternionInverse(&r, &q2), {0, 0, 0, 0.5f}));
    EXPECT_TRUE(Near(*D3DXQuaternionConjugate(&r, &qy), {0, -kS45, 0, kS45}));
    D3DXQuaternionInverse(&r, &qy);
    EXPECT_TRUE(Near(qy * r, qid));
}

TEST(D3DXMath, SphereProbeAndBounds)
{
    const D3DXVECTOR3 centre(0, 0, 10);
    struct Case {
        const char* name;
        D3DXVECTOR3 origin, dir;
        bool hit;
    } cases[] = {
        {"straight at it", {0, 0, 0}, {0, 0, 1}, true},
        {"unnormalised direction", {0, 0, 0}, {0, 0, 7}, true},
        {"pointing away", {0, 0, 0}, {0, 0, -1}, false},
        {"from inside", {0, 0, 10.5f}, {1, 0, 0}, true},
        {"passing beside", {2, 0, 0}, {0, 0, 1}, false},
        {"grazing", {1, 0, 0}, {0, 0, 1}, false},
        {"from beyond, pointing back", {0.5f, 0, 20}, {0, 0, -1}, true},
        {"zero direction", {0, 0, 0}, {0, 0, 0}, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(D3DXSphereBoundProbe(&centre, 1.0f, &c.origin, &c.dir) != FALSE, c.hit) << c.name;

    // Points with a 16-byte stride (position and a colour).
    struct Vertex {
        D3DXVECTOR3 p;
        DWORD colour;
    };
    const std::vector<Vertex> pts = {
        {{1, 2, 3}, 0}, {{3, 2, 3}, 0}, {{2, 5, 3}, 0}, {{2, -1, 3}, 0}, {{2, 2, 1}, 0}, {{2, 2, 5}, 0}};
    D3DXVECTOR3 c, lo, hi;
    float radius = 0;
    ASSERT_EQ(D3DXComputeBoundingSphere(&pts[0].p, 6, sizeof(Vertex), &c, &radius), D3D_OK);
    EXPECT_TRUE(Near(c, {2, 2, 3}));
    EXPECT_FLOAT_EQ(radius, 3.0f);
    ASSERT_EQ(D3DXComputeBoundingBox(&pts[0].p, 6, sizeof(Vertex), &lo, &hi), D3D_OK);
    EXPECT_EQ(lo, D3DXVECTOR3(1, -1, 1));
    EXPECT_EQ(hi, D3DXVECTOR3(3, 5, 5));
    EXPECT_EQ(D3DXComputeBoundingBox(nullptr, 6, 16, &lo, &hi), D3DERR_INVALIDCALL);
    EXPECT_EQ(D3DXComputeBoundingSphere(&pts[0].p, 6, 4, &c, &radius), D3DERR_INVALIDCALL);
}

TEST(D3DXMath, Colours)
{
    EXPECT_EQ(D3DCOLOR_ARGB(1, 2, 3, 4), 0x01020304u);
    EXPECT_EQ(D3DCOLOR_RGBA(2, 3, 4, 1), 0x01020304u);
    EXPECT_EQ(D3DCOLOR_XRGB(0x10, 0x20, 0x30), 0xFF102030u);
    EXPECT_EQ(D3DCOLOR_COLORVALUE(1.0f, 0.5f, 0.0f, 1.0f), 0xFFFF7F00u);

    const D3DXCOLOR c(0x80FF4000u);
    EXPECT_FLOAT_EQ(c.a, 128.0f / 255.0f);
    EXPECT_FLOAT_EQ(c.r, 1.0f);
    EXPECT_FLOAT_EQ(c.g, 64.0f / 255.0f);
    EXPECT_FLOAT_EQ(c.b, 0.0f);
    EXPECT_EQ(static_cast<DWORD>(c), 0x80FF4000u);
    // Out-of-range components clamp when packed.
    EXPECT_EQ(static_cast<DWORD>(D3DXCOLOR(2.0f, -1.0f, 0.5f, 1.0f)), 0xFFFF0080u);
    D3DXCOLOR r;
    const D3DXCOLOR black(0, 0, 0, 0), white(1, 1, 1, 1);
    D3DXColorLerp(&r, &black, &white, 0.25f);
    EXPECT_FLOAT_EQ(r.g, 0.25f);
    const D3DCOLORVALUE& cv = c;
    EXPECT_FLOAT_EQ(cv.r, 1.0f);
}

} // namespace
