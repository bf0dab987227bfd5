#include "engine3/core/scene/CDXSceneTree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>
#include <string>

#include "TestFolder.h"
#include "engine3/core/CDX9KelLog.h"

using namespace Vorna3D;

namespace {

std::unique_ptr<CDX9KelSceneObject> Object(float x, float z, float radius, const char* name = "")
{
    auto o = std::make_unique<CDX9KelSceneObject>();
    o->m_bNotOwned = true;
    o->m_fRadius = radius;
    o->m_strName = name;
    o->m_dwFaces = 100;
    const D3DXVECTOR3 p(x, 0, z);
    o->SetPosition(&p);
    return o;
}

// Planes of an axis-aligned box region (normals inwards), in the camera's
// plane order: left, right, top, bottom, near, far.
void BoxFrustum(D3DXPLANE planes[6], float x0, float x1, float y0, float y1, float z0, float z1)
{
    planes[0] = D3DXPLANE(1, 0, 0, -x0);
    planes[1] = D3DXPLANE(-1, 0, 0, x1);
    planes[2] = D3DXPLANE(0, -1, 0, y1);
    planes[3] = D3DXPLANE(0, 1, 0, -y0);
    planes[4] = D3DXPLANE(0, 0, 1, -z0);
    planes[5] = D3DXPLANE(0, 0, -1, z1);
}

class SceneTree : public ::testing::Test {
protected:
    void SetUp() override
    {
        logPath = (VornaTest::FreshFolder() / "tree.log").string();
        g_Log.Open(logPath.c_str());
        // 200 x 40 x 200 with node size 50: leaves of 50 x 40 x 50.
        ASSERT_TRUE(tree.CreateEmptySceneTree("Map", 50.0f, &lo, &hi, false, nullptr));
    }
    std::string Log()
    {
        return VornaTest::ReadText(logPath);
    }
    std::set<std::string> Visible()
    {
        std::set<std::string> names;
        for (const CDX9KelSceneObject* o : tree.m_vFoundObjects) names.insert(o->m_strName);
        return names;
    }
    const D3DXVECTOR3 lo{0, 0, 0}, hi{200, 40, 200};
    std::string logPath;
    CDXSceneTree tree;
};

TEST_F(SceneTree, BuildsLeavesOfTheNodeSize)
{
    EXPECT_EQ(tree.m_dwLeafCount, 16u);
    ASSERT_FALSE(tree.m_pRoot->IsLeaf());
    for (int pos = 0; pos < 4; ++pos) EXPECT_NE(tree.m_pRoot->m_pChildren[pos], nullptr);
    for (int pos = 4; pos < 8; ++pos) EXPECT_EQ(tree.m_pRoot->m_pChildren[pos], nullptr);
    const CDXSceneTreeNode* leaf = tree.m_pRoot->m_pChildren[2]->m_pChildren[2];
    ASSERT_NE(leaf, nullptr);
    EXPECT_TRUE(leaf->IsLeaf());
    EXPECT_EQ(leaf->m_vMin, D3DXVECTOR3(150, 0, 150));
    EXPECT_EQ(leaf->m_vMax, D3DXVECTOR3(200, 40, 200));
    EXPECT_EQ(leaf->m_vCorners[0], D3DXVECTOR3(150, 40, 150));
    EXPECT_EQ(leaf->m_vCorners[7], D3DXVECTOR3(150, 0, 200));
    // 5 interior nodes miss position 4; 16 leaves count one each.
    EXPECT_EQ(tree.m_dwEmptyPositions, 21u);

    CDXSceneTree small;
    const D3DXVECTOR3 a(0, 0, 0), b(50, 10, 30), flat(10, 0, 10);
    ASSERT_TRUE(small.CreateEmptySceneTree("S", 50.0f, &a, &b, false, nullptr));
    EXPECT_TRUE(small.m_pRoot->IsLeaf());
    EXPECT_EQ(small.m_dwEmptyPositions, 1u);
    // A box of zero size is one leaf, even with a node size of 0; a node
    // size of 0 over a box with extent is refused (see the box rule below).
    ASSERT_TRUE(small.CreateEmptySceneTree("Z", 50.0f, &a, &a, false, nullptr));
    EXPECT_EQ(small.m_dwLeafCount, 1u);
    ASSERT_TRUE(small.CreateEmptySceneTree("Z0", 0.0f, &a, &a, false, nullptr));
    EXPECT_EQ(small.m_dwLeafCount, 1u);
    EXPECT_FALSE(small.CreateEmptySceneTree("N", 0.0f, &a, &flat, false, nullptr));
}

TEST_F(SceneTree, BoxRuleRefusesWhatCannotBeBuiltWholeAndPlacesEveryObjectOfWhatIs)
{
    struct Case {
        D3DXVECTOR3 lo, hi;
        float nodeSize;
        bool accepted;
        const char* message;
    } const cases[] = {
        {{-400, -60, -400}, {400, 60, 400}, 50.0f, true, nullptr},
        // 128 x 16 x 128 leaves: just at the bound.
        {{-400, -60, -400}, {400, 60, 400}, 10.0f, true, nullptr},
        // The battle map with a node size of 5: two million leaves.
        {{-400, -60, -400}, {400, 60, 400}, 5.0f, false, "box too large for the node size : leaves > 262144"},
        {{0, 0, 0}, {10, 0, 10}, 0.0f, false, "box too large for the node size : leaves > 262144"},
        {{-200000, -60, -200000}, {200000, 60, 200000}, 50.0f, false, "box too large for the node size"},
        {{-3e38f, 0, 0}, {3e38f, 0, 0}, 50.0f, false, "box too large for the node size"},
    };
    for (const Case& c : cases) {
        CDXSceneTree t;
        const std::string before = Log();
        ASSERT_EQ(t.CreateEmptySceneTree("Box", c.nodeSize, &c.lo, &c.hi, false, nullptr), c.accepted)
            << c.nodeSize;
        EXPECT_EQ(t.m_bCreated, c.accepted);
        if (!c.accepted) {
            const std::string log = Log().substr(before.size());
            EXPECT_NE(log.find(c.message), std::string::npos) << log;
            continue;
        }
        EXPECT_LE(t.m_dwLeafCount, CDXSceneTree::kMaxLeaves);
        EXPECT_EQ(t.m_dwLeafCount, CDXSceneTree::CountLeaves(c.hi - c.lo, c.nodeSize));
        // Sixteen ships spread over the whole box each find their leaves.
        std::vector<std::unique_ptr<CDX9KelSceneObject>> ships;
        for (int i = 0; i < 16; ++i) {
            const float x = c.lo.x + (c.hi.x - c.lo.x) * (0.03f + 0.06f * static_cast<float>(i));
            const float z = c.hi.z - (c.hi.z - c.lo.z) * (0.05f + 0.055f * static_cast<float>(i));
            ships.push_back(Object(x, z, 3.0f));
            EXPECT_TRUE(t.AddSceneObject(ships.back().get())) << i;
        }
        for (auto& o : ships) t.RemoveSceneObject(o.get());
    }
}

TEST_F(SceneTree, RefusesBadArguments)
{
    CDXSceneTree t;
    const D3DXVECTOR3 a(0, 0, 0), b(10, 10, 10), inverted(10, -1, 10);
    EXPECT_FALSE(t.CreateEmptySceneTree("", 50, &a, &b, false, nullptr));
    EXPECT_FALSE(t.CreateEmptySceneTree(nullptr, 50, &a, &b, false, nullptr));
    EXPECT_FALSE(t.CreateEmptySceneTree("T", 50, nullptr, &b, false, nullptr));
    EXPECT_FALSE(t.CreateEmptySceneTree("T", 50, &a, &inverted, false, nullptr));
    EXPECT_FALSE(t.CreateEmptySceneTree("T", -1, &a, &b, false, nullptr));
    EXPECT_FALSE(t.m_bCreated);
    const std::string log = Log();
    EXPECT_NE(log.find("\xD1" "DXSceneTree : CreateEmptySceneTree : not tree name\n"), std::string::npos);
    EXPECT_NE(log.find("\xD1" "DXSceneTree : CreateEmptySceneTree : pMin == NULL || pMax == NULL \n"), std::string::npos);
    EXPECT_NE(log.find("CDXSceneTree : CreateEmptySceneTree : pMin > pMax \n"), std::string::npos);
    EXPECT_NE(log.find("CDXSceneTree : CreateEmptySceneTree : fNodeSize < 0 \n"), std::string::npos);
}

TEST_F(SceneTree, FilesRemovesAndReusesLastFreedFirst)
{
    auto a = Object(25, 25, 5, "a");      // one leaf
    auto b = Object(50, 50, 5, "b");      // four leaves around a corner
    auto outside = Object(500, 500, 5);
    EXPECT_FALSE(tree.AddSceneObject(nullptr));
    EXPECT_FALSE(tree.AddSceneObject(outside.get()));
    EXPECT_EQ(outside->m_iTreeIndex, -1);
    ASSERT_TRUE(tree.AddSceneObject(a.get()));
    ASSERT_TRUE(tree.AddSceneObject(b.get()));
    EXPECT_EQ(a->m_iTreeIndex, 0);
    EXPECT_EQ(b->m_iTreeIndex, 1);
    EXPECT_EQ(a->m_strTreeName, "Map");
    EXPECT_EQ(tree.m_dwFaces, 200u);
    EXPECT_EQ(a->m_vLeafEntries.size(), 8u);
    EXPECT_NE(a->m_vLeafEntries[0].pLeaf, nullptr);
    EXPECT_EQ(a->m_vLeafEntries[1].pLeaf, nullptr);
    int bLeaves = 0;
    for (const auto& e : b->m_vLeafEntries) bLeaves += e.pLeaf != nullptr;
    EXPECT_EQ(bLeaves, 4);
    EXPECT_FALSE(tree.AddSceneObject(a.get()));

    CDXSceneTreeNode* leaf = a->m_vLeafEntries[0].pLeaf;
    ASSERT_TRUE(tree.RemoveSceneObject(a.get()));
    EXPECT_EQ(a->m_iTreeIndex, -1);
    EXPECT_TRUE(a->m_strTreeName.empty());
    EXPECT_EQ(leaf->m_vObjects[0], nullptr);
    EXPECT_FALSE(tree.RemoveSceneObject(a.get()));
    EXPECT_EQ(tree.m_dwFaces, 100u);

    auto c = Object(20, 20, 1, "c");
    ASSERT_TRUE(tree.AddSceneObject(c.get()));
    EXPECT_EQ(c->m_iTreeIndex, 0);            // a's table slot
    EXPECT_EQ(c->m_vLeafEntries[0].pLeaf, leaf);
    EXPECT_EQ(c->m_vLeafEntries[0].dwEntry, 0u); // a's leaf entry
    const std::string log = Log();
    EXPECT_NE(log.find("CDXSceneTree::AddSceneObject : Object already is in a tree\n"), std::string::npos);
    EXPECT_NE(log.find("CDXSceneTree::AddSceneObject : Object is in other tree\n"), std::string::npos);
}

TEST_F(SceneTree, AnotherTreeOfTheSameNameCannotRemoveAnObject)
{
    CDXSceneTree twin;
    ASSERT_TRUE(twin.CreateEmptySceneTree("Map", 50.0f, &lo, &hi, false, nullptr));
    auto mine = Object(25, 25, 5), theirs = Object(125, 125, 5);
    ASSERT_TRUE(tree.AddSceneObject(mine.get()));
    ASSERT_TRUE(twin.AddSceneObject(theirs.get()));
    EXPECT_FALSE(twin.RemoveSceneObject(mine.get()));
    EXPECT_EQ(twin.m_vObjects[0], theirs.get());
    EXPECT_TRUE(twin.m_vFreeSlots.empty());
    EXPECT_EQ(mine->m_iTreeIndex, 0);
    EXPECT_FALSE(twin.UpdateSceneObject(mine.get()));
    EXPECT_TRUE(tree.RemoveSceneObject(mine.get()));
}

TEST_F(SceneTree, AnObjectMarkedAfterALookWithNothingMovedIsRefiled)
{
    auto o = Object(25, 25, 5, "o"), other = Object(75, 75, 5, "other");
    ASSERT_TRUE(tree.AddSceneObject(o.get()));
    ASSERT_TRUE(tree.AddSceneObject(other.get()));
    tree.UpdateMovedObjects();
    tree.UpdateMovedObjects();  // nothing marked since: passed over
    // Moved by hand and marked by a plain assignment, as game code does.
    o->m_mWorld._41 = o->m_mWorld._43 = 175.0f;
    o->m_bMoved = true;
    tree.UpdateMovedObjects();
    EXPECT_FALSE(o->m_bMoved);
    EXPECT_EQ(o->m_vLeafEntries[0].pLeaf->m_vMin, D3DXVECTOR3(150, 0, 150));
    // A copy of a marked flag is a mark too.
    SceneMovedFlag marked;
    marked = true;
    const std::uint64_t before = SceneMovedFlag::Marks();
    other->m_bMoved = marked;
    EXPECT_GT(SceneMovedFlag::Marks(), before);
    EXPECT_TRUE(other->m_bMoved);
}

TEST_F(SceneTree, RefilesMovedObjects)
{
    auto o = Object(25, 25, 5, "o");
    ASSERT_TRUE(tree.AddSceneObject(o.get()));
    CDXSceneTreeNode* before = o->m_vLeafEntries[0].pLeaf;
    const D3DXVECTOR3 far(175, 0, 175);
    ASSERT_TRUE(o->SetPosition(&far));
    tree.UpdateMovedObjects();
    EXPECT_FALSE(o->m_bMoved);
    CDXSceneTreeNode* after = o->m_vLeafEntries[0].pLeaf;
    EXPECT_NE(after, before);
    EXPECT_EQ(after->m_vMin, D3DXVECTOR3(150, 0, 150));
    EXPECT_EQ(std::count(before->m_vObjects.begin(), before->m_vObjects.end(), o.get()), 0);
    EXPECT_EQ(o->m_iTreeIndex, 0);

    // Moved out of the area: in no leaf, but still in the table.
    const D3DXVECTOR3 gone(900, 0, 900);
    o->SetPosition(&gone);
    EXPECT_FALSE(tree.UpdateSceneObject(o.get()));
    EXPECT_EQ(o->m_iTreeIndex, 0);
    EXPECT_EQ(std::count(after->m_vObjects.begin(), after->m_vObjects.end(), o.get()), 0);
    ASSERT_TRUE(tree.RemoveSceneObject(o.get()));
}

TEST_F(SceneTree, FrustumQueryFindsTheVisibleSet)
{
    auto a = Object(25, 25, 5, "a"), b = Object(75, 25, 5, "b"), c = Object(175, 175, 5, "c");
    auto hidden = Object(30, 30, 5, "hidden");
    auto wide = Object(100, 25, 30, "wide"); // spans leaves on both sides of x = 100
    auto d = Object(25, 75, 5, "d");
    hidden->m_bVisible = false;
    for (auto* o : {a.get(), b.get(), c.get(), hidden.get(), wide.get(), d.get()}) ASSERT_TRUE(tree.AddSceneObject(o));

    D3DXPLANE planes[6];
    BoxFrustum(planes, 10, 90, -10, 50, 10, 40); // the leaves x in [0, 100], z in [0, 50]
    ASSERT_TRUE(tree.CollectVisibleObjects(planes));
    EXPECT_EQ(Visible(), (std::set<std::string>{"a", "b", "wide"}));
    EXPECT_EQ(tree.m_dwVisitedLeafs, 2u);
    EXPECT_EQ(tree.m_vFoundObjects.size(), 3u);

    BoxFrustum(planes, 10, 190, -10, 50, 10, 190);
    ASSERT_TRUE(tree.CollectVisibleObjects(planes));
    EXPECT_EQ(Visible(), (std::set<std::string>{"a", "b", "c", "d", "wide"}));
    EXPECT_EQ(tree.m_dwVisitedLeafs, 16u);
    // "wide" lies in four leaves; "d"'s leaf comes between two of them in the
    // walk, so it is listed once per run.
    EXPECT_EQ(std::count(tree.m_vFoundObjects.begin(), tree.m_vFoundObjects.end(), wide.get()), 2);

    BoxFrustum(planes, 300, 400, -10, 50, 10, 40); // beside the area
    ASSERT_TRUE(tree.CollectVisibleObjects(planes));
    EXPECT_TRUE(tree.m_vFoundObjects.empty());
    EXPECT_FALSE(tree.CollectObjectsInFrustum(nullptr, planes));
}

TEST_F(SceneTree, LeafQueriesAndRelease)
{
    tree.m_vFoundLeafs.clear();
    const D3DXVECTOR3 centre(100, 20, 100);
    tree.CollectLeafsInSphere(tree.m_pRoot, &centre, 1.0f);
    EXPECT_EQ(tree.m_vFoundLeafs.size(), 4u);
    tree.m_vFoundLeafs.clear();
    const D3DXVECTOR3 b0(10, 0, 10), b1(60, 5, 20);
    tree.CollectLeafsInBox(tree.m_pRoot, &b0, &b1);
    EXPECT_EQ(tree.m_vFoundLeafs.size(), 2u);

    auto kept = Object(25, 25, 5);
    auto* owned = Object(75, 75, 5).release();
    owned->m_bNotOwned = false;
    CDX9KelSceneUnit unit, keptUnit;
    D3DXMATRIX id;
    D3DXMatrixIdentity(&id);
    owned->AddSceneUnit(&unit, &id, 0);
    kept->AddSceneUnit(&keptUnit, &id, 0);
    ASSERT_TRUE(tree.AddSceneObject(kept.get()));
    ASSERT_TRUE(tree.AddSceneObject(owned));
    tree.Release(); // deletes `owned`, detaching its unit first
    EXPECT_EQ(unit.m_pOwner, nullptr);
    EXPECT_EQ(unit.m_iLODSlot, -1);
    // The object the tree does not own keeps its unit.
    EXPECT_EQ(keptUnit.m_pOwner, kept.get());
    EXPECT_EQ(keptUnit.m_iLODSlot, 0);
    EXPECT_EQ(kept->m_iTreeIndex, -1);
    EXPECT_TRUE(tree.m_vObjects.empty());
    ASSERT_TRUE(tree.AddSceneObject(kept.get()));
}

} // namespace
