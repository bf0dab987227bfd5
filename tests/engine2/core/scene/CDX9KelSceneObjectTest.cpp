#include "engine2/core/resources/CDX9KelModel.h"
#include "engine2/core/scene/CDX9KelSceneObject.h"
#include "engine2/core/scene/CDXSceneTree.h"

#include <cstring>
#include <gtest/gtest.h>

using namespace Vorna2;

TEST(Engine2SceneObject, ModelsLevelsOfDetailAndMatrices) {
    CDX9KelModel near, middle, far, extra;
    near.m_fSphereRadius = 4.0f;
    near.m_vSphereCenter = D3DXVECTOR3(0, 1, 0);
    CDX9KelSceneObject o;
    EXPECT_EQ(o.AddModel(nullptr), -1);
    EXPECT_EQ(o.AddModel(&near), 0);
    EXPECT_TRUE(near.m_bAttached);
    EXPECT_FLOAT_EQ(o.m_fRadius, 4.0f);
    EXPECT_FLOAT_EQ(o.m_vBoxMax.y, 5.0f);
    EXPECT_EQ(o.AddModel(&far), 1);

    // Equal distances: a two-model object switches at exactly that distance.
    EXPECT_FALSE(o.SetLODDistances(700.0f, 300.0f));
    EXPECT_TRUE(o.SetLODDistances(100.0f, 100.0f));
    D3DXMATRIX m;
    D3DXMatrixTranslation(&m, 0, -1, 0); // world centre at the origin
    ASSERT_TRUE(o.SetWorldMatrix(m));
    EXPECT_EQ(o.SelectLOD(D3DXVECTOR3(99.9f, 0, 0)), &near);
    EXPECT_EQ(o.SelectLOD(D3DXVECTOR3(100.0f, 0, 0)), &near);
    EXPECT_EQ(o.SelectLOD(D3DXVECTOR3(100.1f, 0, 0)), &far);
    EXPECT_FLOAT_EQ(far.m_mWorld._42, -1.0f);

    // Three models: the middle one between the two distances.
    CDX9KelSceneObject three;
    three.AddModel(&near);
    three.AddModel(&middle);
    three.AddModel(&far);
    EXPECT_EQ(three.AddModel(&extra), -1);
    EXPECT_EQ(three.m_Models.size(), 3u);
    ASSERT_TRUE(three.SetLODDistances(80.0f, 160.0f));
    EXPECT_EQ(three.SelectLOD(D3DXVECTOR3(0, 0, 50)), &near);
    EXPECT_EQ(three.SelectLOD(D3DXVECTOR3(0, 0, 120)), &middle);
    EXPECT_EQ(three.SelectLOD(D3DXVECTOR3(0, 0, 200)), &far);

    // A zero first row is refused.
    D3DXMATRIX zero;
    D3DXMatrixIdentity(&zero);
    zero._11 = zero._12 = zero._13 = 0.0f;
    EXPECT_FALSE(o.SetWorldMatrix(zero));
    EXPECT_FLOAT_EQ(o.m_mWorld._11, 1.0f);
}

TEST(Engine2SceneObject, TranslateMovesInTheTreeButTurningInPlaceDoesNot) {
    CDXSceneTree tree;
    const D3DXVECTOR3 lo(0, 0, 0), hi(200, 100, 200);
    ASSERT_TRUE(tree.CreateEmptySceneTree(50.0f, &lo, &hi, false, nullptr));
    CDX9KelModel model;
    model.m_fSphereRadius = 2.0f;
    auto* o = new CDX9KelSceneObject();
    o->AddModel(&model);
    D3DXMATRIX m;
    D3DXMatrixTranslation(&m, 20, 20, 20);
    o->SetWorldMatrix(m);
    ASSERT_TRUE(tree.AddSceneObject(o));
    CDXSceneTreeNode* before = o->m_Leaves[0].leaf;

    const D3DXMATRIX start = o->m_mWorld;
    CDX9KelSceneObject::RotateWorldY(o, 0.0f);
    EXPECT_EQ(std::memcmp(&start, &o->m_mWorld, sizeof start), 0);
    CDX9KelSceneObject::RotateWorldY(o, 0.7f);
    CDX9KelSceneObject::RotatePitch(o, 0.1f);
    CDX9KelSceneObject::RotateRoll(o, 0.1f);
    EXPECT_FALSE(o->m_bMoved);
    EXPECT_EQ(o->m_Leaves[0].leaf, before);
    EXPECT_FLOAT_EQ(o->m_mWorld._41, 20.0f);

    const D3DXVECTOR3 step(100, 0, 0);
    EXPECT_FALSE(CDX9KelSceneObject::Translate(&step, nullptr, o));
    CDXSceneTree unbuilt;
    EXPECT_FALSE(CDX9KelSceneObject::Translate(&step, &unbuilt, o));
    ASSERT_TRUE(CDX9KelSceneObject::Translate(&step, &tree, o));
    EXPECT_TRUE(o->m_bMoved);
    EXPECT_NE(o->m_Leaves[0].leaf, before);
    EXPECT_TRUE(before->m_Objects[0] == nullptr);

    const D3DXVECTOR3 up(0, 1, 0), pivot(100, 20, 20);
    o->m_bMoved = false;
    ASSERT_TRUE(CDX9KelSceneObject::RotateAroundPoint(&up, &tree, o, &pivot, 3.1415927f));
    EXPECT_TRUE(o->m_bMoved);
    EXPECT_NEAR(o->UpdateCenter().x, 80.0f, 1e-3f);
    // A turn that carries it out of the tree's box leaves it in no leaf.
    const D3DXVECTOR3 farPivot(-100, 20, 20);
    EXPECT_FALSE(CDX9KelSceneObject::RotateAroundPoint(&up, &tree, o, &farPivot, 3.1415927f));
    EXPECT_TRUE(o->m_Leaves.empty());
    tree.ClearObjects();
}
