#include "engine3/core/scene/CDX9KelSceneObject.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using namespace Vorna3D;

namespace {

D3DXMATRIX Identity()
{
    D3DXMATRIX m;
    return *D3DXMatrixIdentity(&m);
}

D3DXMATRIX Translation(float x, float y, float z)
{
    D3DXMATRIX m;
    return *D3DXMatrixTranslation(&m, x, y, z);
}

bool Near(const D3DXMATRIX& a, const D3DXMATRIX& b)
{
    for (int i = 0; i < 16; ++i)
        if (std::fabs((&a._11)[i] - (&b._11)[i]) > 1e-4f) return false;
    return true;
}

struct SpyParticles : CDX9KelSceneUnit {
    std::vector<std::string>* log = nullptr;
    void StartParticles() override { log->push_back(m_strName + " start"); }
    void StopParticles() override { log->push_back(m_strName + " stop"); }
    void SetParticlesBirth(bool on) override { log->push_back(m_strName + (on ? " birth on" : " birth off")); }
    void ResetParticles() override { log->push_back(m_strName + " reset"); }
};

TEST(SceneObject, TransformSettersSetTheirFlags)
{
    const D3DXVECTOR3 point(1, 2, 3), offset(10, 0, 0);
    const D3DXMATRIX moved = Translation(5, 6, 7);
    struct Case {
        const char* name;
        bool (*apply)(CDX9KelSceneObject&, const void*);
        const void* arg;
        bool ok, changed, moved;
    } cases[] = {
        {"SetTransform", [](CDX9KelSceneObject& o, const void* a) { return o.SetTransform(static_cast<const D3DXMATRIX*>(a)); }, &moved, true, true, true},
        {"SetTransform null", [](CDX9KelSceneObject& o, const void*) { return o.SetTransform(nullptr); }, nullptr, false, false, false},
        {"SetPosition", [](CDX9KelSceneObject& o, const void* a) { return o.SetPosition(static_cast<const D3DXVECTOR3*>(a)); }, &point, true, true, true},
        {"SetPosition null", [](CDX9KelSceneObject& o, const void*) { return o.SetPosition(nullptr); }, nullptr, false, false, false},
        {"Translate", [](CDX9KelSceneObject& o, const void* a) { return o.Translate(static_cast<const D3DXVECTOR3*>(a)); }, &offset, true, true, true},
        {"Translate null", [](CDX9KelSceneObject& o, const void*) { return o.Translate(nullptr); }, nullptr, false, false, false},
        {"RotateX", [](CDX9KelSceneObject& o, const void*) { return o.RotateX(0.5f); }, nullptr, true, true, false},
        {"RotateY", [](CDX9KelSceneObject& o, const void*) { return o.RotateY(0.5f); }, nullptr, true, true, false},
        {"RotateZ", [](CDX9KelSceneObject& o, const void*) { return o.RotateZ(0.5f); }, nullptr, true, true, false},
        {"RotateY 0", [](CDX9KelSceneObject& o, const void*) { return o.RotateY(0.0f); }, nullptr, false, false, false},
    };
    for (const auto& c : cases) {
        CDX9KelSceneObject o;
        EXPECT_EQ(c.apply(o, c.arg), c.ok) << c.name;
        EXPECT_EQ(o.m_bTransformChanged, c.changed) << c.name;
        EXPECT_EQ(o.m_bMoved, c.moved) << c.name;
    }

    // The values: translate composes, rotations turn about the own axes
    // through the own position.
    CDX9KelSceneObject o;
    ASSERT_TRUE(o.SetPosition(&point));
    ASSERT_TRUE(o.Translate(&offset));
    EXPECT_TRUE(Near(o.m_mWorld, Translation(11, 2, 3)));
    ASSERT_TRUE(o.RotateY(D3DX_PI / 2));
    D3DXMATRIX want;
    D3DXMatrixRotationY(&want, D3DX_PI / 2);
    want._41 = 11;
    want._42 = 2;
    want._43 = 3;
    EXPECT_TRUE(Near(o.m_mWorld, want));
    // An angle the guard rejects (rounds beyond 6) rotates by 0.
    ASSERT_TRUE(o.RotateX(6.6f));
    EXPECT_TRUE(Near(o.m_mWorld, want));
}

TEST(SceneObject, WorldMatrixReachesUnitsAndCollisionModel)
{
    CDX9KelSceneObject o;
    CDX9KelSceneUnit follows, keeps, collision;
    keeps.m_bFollowRotation = false;
    D3DXMATRIX keepLocal;
    D3DXMatrixRotationX(&keepLocal, 0.3f);
    keepLocal._41 = 1;
    const D3DXMATRIX local = Translation(0, 2, 0);
    ASSERT_TRUE(o.AddSceneUnit(&follows, &local, 0));
    ASSERT_TRUE(o.AddSceneUnit(&keeps, &keepLocal, 1));
    o.m_pCollisionModel = &collision;
    follows.m_bChanged = keeps.m_bChanged = false;

    // A zero first row is refused and the units stay as they were.
    D3DXMATRIX bad = Translation(4, 4, 4);
    bad._11 = bad._12 = bad._13 = 0;
    EXPECT_FALSE(o.SetWorldMatrix(&bad));
    D3DXMATRIX nan = Translation(NAN, 0, 0);
    EXPECT_FALSE(o.SetWorldMatrix(&nan));
    EXPECT_FALSE(o.SetWorldMatrix(nullptr));
    EXPECT_FALSE(follows.m_bChanged);
    EXPECT_TRUE(Near(o.m_mWorld, Identity()));

    D3DXMATRIX world;
    D3DXMatrixRotationY(&world, D3DX_PI / 2);
    world._41 = 100;
    ASSERT_TRUE(o.SetWorldMatrix(&world));
    EXPECT_TRUE(Near(follows.m_mWorld, local * world));
    EXPECT_TRUE(follows.m_bChanged);
    // The non-following unit moved with the object but kept its orientation.
    D3DXMATRIX expect = keepLocal * world;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) expect.m[r][c] = keepLocal.m[r][c];
    EXPECT_TRUE(Near(keeps.m_mWorld, expect));
    EXPECT_FLOAT_EQ(keeps.m_mWorld._43, -1.0f); // (1, 0, 0) turned 90 degrees about y
    EXPECT_TRUE(Near(collision.m_mWorld, world));
}

TEST(SceneObject, UnitsFileIntoLODs)
{
    CDX9KelSceneObject o;
    CDX9KelSceneUnit a, b, c, d;
    a.m_dwFaces = 10;
    b.m_dwFaces = 20;
    const D3DXMATRIX id = Identity();
    EXPECT_FALSE(o.AddSceneUnit(nullptr, &id, 0));
    EXPECT_FALSE(o.AddSceneUnit(&a, nullptr, 0));
    EXPECT_FALSE(o.AddSceneUnit(&a, &id, -1)); // a missing LOD number reads as -1
    EXPECT_FALSE(o.AddSceneUnit(&a, &id, KEL_MAX_LODS));
    EXPECT_TRUE(o.m_vLODs.empty());

    ASSERT_TRUE(o.AddSceneUnit(&a, &id, 2));
    EXPECT_EQ(o.m_vLODs.size(), 3u);
    EXPECT_EQ(a.m_pOwner, &o);
    EXPECT_EQ(a.m_iLODSlot, 0);
    EXPECT_FALSE(o.AddSceneUnit(&a, &id, 0)); // already in a LOD
    ASSERT_TRUE(o.AddSceneUnit(&b, &id, 2));
    ASSERT_TRUE(o.AddSceneUnit(&c, &id, 2));
    EXPECT_EQ(o.m_dwFaces, 30u);
    ASSERT_TRUE(o.RemoveSceneUnit(&b));
    ASSERT_TRUE(o.RemoveSceneUnit(&a));
    EXPECT_EQ(o.m_dwFaces, 0u);
    ASSERT_TRUE(o.AddSceneUnit(&d, &id, 2));
    EXPECT_EQ(d.m_iLODSlot, 0); // last freed first
    EXPECT_FALSE(o.RemoveSceneUnit(&a));

    EXPECT_FALSE(o.SetLODCount(2));
    EXPECT_TRUE(o.SetLODCount(3));
    EXPECT_TRUE(o.SetLODCount(5));
    EXPECT_EQ(o.m_vLODs.size(), 5u);

    o.DetachUnits();
    EXPECT_EQ(c.m_pOwner, nullptr);
    EXPECT_EQ(d.m_iLODSlot, -1);
}

TEST(SceneObject, SelectsLODByDistance)
{
    CDX9KelSceneObject o;
    EXPECT_TRUE(o.SetDistanceRange(10, 10));
    EXPECT_FALSE(o.SetDistanceRange(10, 5));
    EXPECT_FLOAT_EQ(o.m_fDistMax, 10.0f);
    ASSERT_TRUE(o.SetDistanceRange(10, 100));
    EXPECT_FLOAT_EQ(o.m_fDistMin2, 100.0f);
    EXPECT_FLOAT_EQ(o.m_fDistMax2, 10000.0f);
    const D3DXVECTOR3 cam(0, 0, 0);
    EXPECT_EQ(o.SelectLOD(&cam), nullptr);

    struct Case {
        int lods;
        float distance;
        int want;
    } cases[] = {
        {1, 500, 0}, {2, 5, 0}, {2, 10, 0}, {2, 11, 1}, {2, 500, 1}, {3, 10, 0}, {3, 50, 1}, {3, 100, 2},
        {3, 500, 2}, {5, 5, 0}, {5, 20, 1}, {5, 60, 2}, {5, 90, 3}, {5, 99.9f, 3}, {5, 100, 4},
    };
    for (const auto& c : cases) {
        CDX9KelSceneObject obj;
        obj.SetDistanceRange(10, 100);
        obj.SetLODCount(c.lods);
        const D3DXVECTOR3 p(0, 0, c.distance);
        ASSERT_TRUE(obj.SetPosition(&p));
        const SKelSceneLOD* lod = obj.SelectLOD(&cam);
        ASSERT_NE(lod, nullptr);
        EXPECT_EQ(lod - obj.m_vLODs.data(), c.want) << c.lods << " LODs at " << c.distance;
        EXPECT_EQ(obj.SelectLOD(nullptr), nullptr);
    }
}

TEST(SceneObject, BoundingRadiusAndLocalRefresh)
{
    CDX9KelSceneObject empty;
    const D3DXVECTOR3 p(30, 0, 40);
    empty.SetPosition(&p);
    ASSERT_TRUE(empty.UpdateBoundingRadius());
    EXPECT_FLOAT_EQ(empty.m_fRadius, 100040.0f);

    CDX9KelSceneObject o;
    CDX9KelSceneUnit u1, u2;
    u1.m_fRadius = 2;
    u2.m_fRadius = 1;
    const D3DXMATRIX l1 = Translation(5, 0, 0), l2 = Translation(0, -7, 0);
    o.AddSceneUnit(&u1, &l1, 0);
    o.AddSceneUnit(&u2, &l2, 0);
    o.SetPosition(&p);
    o.m_bMoved = false;
    ASSERT_TRUE(o.UpdateBoundingRadius());
    EXPECT_FLOAT_EQ(o.m_fRadius, 8.0f); // y from -8 to 2 around 0

    // Moving a unit inside the sphere leaves the radius; moving it out grows
    // it and asks the octree to re-file the object.
    const D3DXMATRIX inside = Translation(1, 0, 0), outside = Translation(20, 0, 0);
    ASSERT_TRUE(u1.SetLocalMatrix(&inside, true));
    EXPECT_FLOAT_EQ(o.m_fRadius, 8.0f);
    EXPECT_FALSE(o.m_bMoved);
    ASSERT_TRUE(u1.SetLocalMatrix(&outside, true));
    EXPECT_FLOAT_EQ(o.m_fRadius, 22.0f);
    EXPECT_TRUE(o.m_bMoved);
    EXPECT_FLOAT_EQ(u1.m_mWorld._41, 50.0f);

    CDX9KelSceneUnit loose;
    EXPECT_FALSE(loose.SetLocalMatrix(&inside, false));
    EXPECT_FALSE(loose.RotateLocalY(1.0f));
    EXPECT_FALSE(u1.RotateLocalY(0.0f));
    ASSERT_TRUE(u1.RotateLocalY(D3DX_PI));
    EXPECT_NEAR(u1.m_mLocal._11, -1.0f, 1e-5f);
    EXPECT_FLOAT_EQ(u1.m_mLocal._41, 20.0f); // turned about its own origin
}

TEST(SceneObject, ParticleControlReachesParticleUnitsOnly)
{
    std::vector<std::string> log;
    CDX9KelSceneObject o;
    SpyParticles fire, smoke, model;
    fire.m_strName = "fire";
    smoke.m_strName = "smoke";
    model.m_strName = "model";
    fire.log = smoke.log = model.log = &log;
    fire.m_iKind = smoke.m_iKind = KEL_UNIT_PARTICLE_SYSTEM;
    model.m_iKind = KEL_UNIT_MODEL;
    const D3DXMATRIX id = Identity();
    o.AddSceneUnit(&fire, &id, 0);
    o.AddSceneUnit(&model, &id, 0);
    o.AddSceneUnit(&smoke, &id, 1);
    o.StartParticles();
    o.SetParticlesBirth(false);
    o.StopParticles();
    o.ResetParticles();
    EXPECT_EQ(log, (std::vector<std::string>{"fire start", "smoke start", "fire birth off", "smoke birth off",
                                             "fire stop", "smoke stop", "fire reset", "smoke reset"}));
}

} // namespace
