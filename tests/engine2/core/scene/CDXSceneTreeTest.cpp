#include "engine2/core/CDX9KelLog.h"
#include "engine2/core/resources/CDX9KelModel.h"
#include "engine2/core/scene/CDX9KelSceneObject.h"
#include "engine2/core/scene/CDXSceneTree.h"

#include "TestFolder.h"
#include "common/OffscreenDevice.h"

#include <cmath>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

using namespace Vorna2;

namespace {

std::string FixedTime() { return "T"; }

class Engine2SceneTreeTest : public ::testing::Test {
protected:
    void SetUp() override {
        logPath = (VornaTest::FreshFolder() / "VornaLog.log").string();
        g_Log.Reset();
        g_Log.SetTimeTextSource(&FixedTime);
        g_Log.SetCopyStream(nullptr);
        g_Log.Open(logPath);
    }
    void TearDown() override {
        tree.ClearObjects();
        g_Log.Reset();
    }
    std::string Log() { return VornaTest::ReadText(logPath); }
    bool Make(D3DXVECTOR3 lo, D3DXVECTOR3 hi, float size = 50.0f) {
        return tree.CreateEmptySceneTree(size, &lo, &hi, false, nullptr);
    }
    // An object of that radius at (x, y, z), with one model so it can be
    // drawn.
    CDX9KelSceneObject* Object(float x, float y, float z, float r) {
        auto* o = new CDX9KelSceneObject();
        models.push_back(std::make_unique<CDX9KelModel>());
        models.back()->m_fSphereRadius = r;
        o->AddModel(models.back().get());
        D3DXMATRIX m;
        D3DXMatrixTranslation(&m, x, y, z);
        o->SetWorldMatrix(m);
        return o;
    }

    CDXSceneTree tree;
    std::vector<std::unique_ptr<CDX9KelModel>> models;
    std::string logPath;
};

// A frustum that sees everything.
const D3DXPLANE kAll[6] = {{1, 0, 0, 1e6f}, {-1, 0, 0, 1e6f}, {0, 1, 0, 1e6f},
                           {0, -1, 0, 1e6f}, {0, 0, 1, 1e6f}, {0, 0, -1, 1e6f}};

} // namespace

TEST_F(Engine2SceneTreeTest, LeafCountsFollowTheSubdivisionRule) {
    struct Case {
        D3DXVECTOR3 lo, hi;
        float size;
        DWORD leaves;
    } cases[] = {
        // No edge longer than the node size: the root is the only leaf.
        {{0, 0, 0}, {50, 50, 50}, 50.0f, 1},
        // Every edge halved once: eight leaves of 50.
        {{0, 0, 0}, {100, 100, 100}, 50.0f, 8},
        // y not halved: the four lower children cover it whole; child 4
        // (upper y) cannot be made, counts once and ends the node.
        {{0, 0, 0}, {100, 40, 100}, 50.0f, 5},
        // Only x halved: children 0 and 1; child 2 (upper z) and child 3
        // count, child 4 counts and ends the node.
        {{0, 0, 0}, {100, 40, 40}, 50.0f, 5},
        // Two levels on every axis.
        {{0, 0, 0}, {200, 200, 200}, 50.0f, 64},
    };
    for (const Case& c : cases) {
        CDXSceneTree t;
        ASSERT_TRUE(t.CreateEmptySceneTree(c.size, &c.lo, &c.hi, false, nullptr));
        EXPECT_EQ(t.GetLeafCount(), c.leaves) << c.hi.x << "x" << c.hi.y << "x" << c.hi.z;
    }
}

TEST_F(Engine2SceneTreeTest, BadBoxesAndSizesAreRefused) {
    const D3DXVECTOR3 lo(0, 0, 0), hi(100, 100, 100), inverted(100, -1, 100);
    EXPECT_FALSE(tree.CreateEmptySceneTree(-1.0f, &lo, &hi, false, nullptr));
    EXPECT_FALSE(tree.IsMade());
    EXPECT_FALSE(tree.CreateEmptySceneTree(50.0f, nullptr, &hi, false, nullptr));
    EXPECT_FALSE(tree.CreateEmptySceneTree(50.0f, &lo, &inverted, false, nullptr));
    const std::string log = Log();
    EXPECT_NE(log.find("Error : CDXSceneTree : CreateEmptySceneTree : fNodeSize < 0 \n"), std::string::npos);
    EXPECT_NE(log.find("Error : CDXSceneTree : CreateEmptySceneTree : pMin == NULL || pMax == NULL \n"),
              std::string::npos);
    EXPECT_NE(log.find("Error : CDXSceneTree : CreateEmptySceneTree : pMin > pMax \n"), std::string::npos);
}

TEST_F(Engine2SceneTreeTest, ABoxOfTooManyLeavesIsRefusedAtOnce) {
    // A damaged map's box: at the map's node size of 100, +-200000 would
    // need 2^24 leaves and +-1000000 more than memory holds; a node size of
    // 0 would halve without end, a box that is not finite likewise.
    const float inf = HUGE_VALF;
    struct Case {
        D3DXVECTOR3 lo, hi;
        float size;
        bool made;
    } cases[] = {
        {{-12800, -60, -12800}, {12800, 200, 12800}, 100.0f, true}, // exactly 2^18 leaves
        {{-12800, -60, -12801}, {12800, 200, 12800}, 100.0f, false},
        {{-200000, -60, -200000}, {200000, 200, 200000}, 100.0f, false},
        {{-1e6f, -1e6f, -1e6f}, {1e6f, 1e6f, 1e6f}, 100.0f, false},
        {{0, 0, 0}, {1, 1, 1}, 0.0f, false},
        {{0, 0, 0}, {inf, 100, 100}, 100.0f, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.hi.z - c.lo.z) + " " + std::to_string(c.size));
        CDXSceneTree t;
        EXPECT_EQ(t.CreateEmptySceneTree(c.size, &c.lo, &c.hi, false, nullptr), c.made);
        EXPECT_EQ(t.IsMade(), c.made);
    }
    EXPECT_NE(Log().find("Error : CDXSceneTree : CreateEmptySceneTree : box too large for the node size : leaves > "
                         "262144 \n"),
              std::string::npos);
}

TEST_F(Engine2SceneTreeTest, ObjectsAreHeldByTheLeavesTheyTouchAndFoundAfterRemovals) {
    ASSERT_TRUE(Make({0, 0, 0}, {200, 100, 200}));
    CDX9KelSceneObject* small = Object(25, 25, 25, 5);
    CDX9KelSceneObject* spanning = Object(100, 50, 100, 10); // the corner of eight leaves
    CDX9KelSceneObject* outside = Object(500, 50, 500, 5);
    ASSERT_TRUE(tree.AddSceneObject(small));
    ASSERT_TRUE(tree.AddSceneObject(spanning));
    EXPECT_FALSE(tree.AddSceneObject(spanning));
    EXPECT_FALSE(tree.AddSceneObject(outside));
    delete outside;
    EXPECT_EQ(small->m_Leaves.size(), 1u);
    EXPECT_EQ(spanning->m_Leaves.size(), 8u);
    EXPECT_EQ(spanning->m_dwId, 1u);

    CDX9KelSceneObject* third = Object(150, 20, 150, 3);
    ASSERT_TRUE(tree.AddSceneObject(third));
    EXPECT_TRUE(tree.RemoveSceneObject(small));
    EXPECT_FALSE(tree.RemoveSceneObject(small));
    delete small;
    // The stored ids are one too high now; the objects are still found.
    EXPECT_EQ(tree.FindSceneObject(spanning), 0);
    EXPECT_EQ(tree.FindSceneObject(third), 1);
    EXPECT_EQ(tree.m_dwRemoved, 1u);

    // A removed object's slot is taken by the next object in that leaf.
    CDX9KelSceneObject* again = Object(26, 25, 25, 5);
    ASSERT_TRUE(tree.AddSceneObject(again));
    ASSERT_EQ(again->m_Leaves.size(), 1u);
    EXPECT_EQ(again->m_Leaves[0].slot, 0u);
    EXPECT_EQ(again->m_Leaves[0].leaf->m_Objects.size(), 1u);

    // Moving re-inserts at the new place.
    D3DXMATRIX m;
    D3DXMatrixTranslation(&m, 175, 75, 175);
    ASSERT_TRUE(CDX9KelSceneObject::SetTransform(&m, third, &tree));
    EXPECT_TRUE(third->m_bMoved);
    ASSERT_EQ(third->m_Leaves.size(), 1u);
    EXPECT_GE(third->m_Leaves[0].leaf->m_vMin.x, 150.0f);
    EXPECT_GE(third->m_Leaves[0].leaf->m_vMin.y, 50.0f);
}

TEST_F(Engine2SceneTreeTest, VisibilityTakesASpanningObjectOnceAndSkipsInvisibleOnes) {
    ASSERT_TRUE(Make({0, 0, 0}, {200, 100, 200}));
    CDX9KelSceneObject* spanning = Object(100, 50, 100, 10);
    CDX9KelSceneObject* hidden = Object(25, 25, 25, 5);
    hidden->m_bVisible = false;
    ASSERT_TRUE(tree.AddSceneObject(spanning) && tree.AddSceneObject(hidden));
    tree.UpdateVisibility(kAll, D3DXVECTOR3(0, 0, 0));
    // 32 leaves of 50 exist; the all-leaves counter also counts the eight
    // upper-y children that could not be made.
    EXPECT_EQ(tree.GetVisibleLeafCount(), 32u);
    EXPECT_EQ(tree.GetLeafCount(), 40u);
    // The eight leaves of the spanning object are not all visited one after
    // another: it may be listed more than once, but each run only once.
    ASSERT_FALSE(tree.m_VisibleObjects.empty());
    for (size_t i = 1; i < tree.m_VisibleObjects.size(); ++i)
        EXPECT_NE(tree.m_VisibleObjects[i], tree.m_VisibleObjects[i - 1]);
    for (CDX9KelSceneObject* o : tree.m_VisibleObjects) EXPECT_EQ(o, spanning);
    EXPECT_EQ(tree.m_RenderList.size(), tree.m_VisibleObjects.size());

    // A frustum that only sees x < 50 sees the hidden object's leaves only.
    const D3DXPLANE left[6] = {{-1, 0, 0, 49}, {1, 0, 0, 1e6f}, {0, 1, 0, 1e6f},
                               {0, -1, 0, 1e6f}, {0, 0, 1, 1e6f}, {0, 0, -1, 1e6f}};
    tree.UpdateVisibility(left, D3DXVECTOR3(0, 0, 0));
    EXPECT_TRUE(tree.m_VisibleObjects.empty());
    EXPECT_EQ(tree.GetVisibleLeafCount(), 8u);
}

TEST_F(Engine2SceneTreeTest, LeafBoxesAreDrawnAsOneLineList) {
    VornaTest::OffscreenDevice dev;
    ASSERT_TRUE(dev.Create(64, 64));
    const D3DXVECTOR3 lo(0, 0, 0), hi(100, 100, 100);
    ASSERT_TRUE(tree.CreateEmptySceneTree(50.0f, &lo, &hi, true, dev.m_pDevice));
    EXPECT_TRUE(tree.m_bBuffersMade);
    EXPECT_EQ(tree.m_dwVertexCount, 8u * 8u);
    EXPECT_EQ(tree.m_dwIndexCount, 8u * 24u);
    tree.RenderLeafBoxes(dev.m_pDevice);
    tree.ClearObjects();
    EXPECT_FALSE(tree.m_bBuffersMade);
}
