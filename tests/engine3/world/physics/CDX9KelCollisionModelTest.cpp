#include "engine3/world/physics/CDX9KelCollisionModel.h"

#include "ShipWorld.h"
#include "platform/d3dx/d3dx9.h"

#include <gtest/gtest.h>

#include <cmath>
#include <algorithm>
#include <functional>

using namespace Vorna3D;
using VornaTest::MakeBoxMesh;

namespace {

bool Build(CDX9KelCollisionModel& m, const CDX9KelCollisionMesh& mesh, const D3DXMATRIX* local = nullptr) {
    return m.CreateFromTriangles(mesh.stdvPositions.data(), nullptr, static_cast<unsigned>(mesh.stdvPositions.size()),
                                 mesh.stdvIndices.data(), static_cast<unsigned>(mesh.stdvIndices.size() / 3), local);
}

void ForEachNode(const CDX9KelCollisionModel::NODE* n, int depth,
                 const std::function<void(const CDX9KelCollisionModel::NODE*, int)>& f) {
    if (!n) return;
    f(n, depth);
    for (const auto* c : n->apChildren) ForEachNode(c, depth + 1, f);
}

D3DXMATRIX Translation(float x, float y, float z) {
    D3DXMATRIX m;
    D3DXMatrixTranslation(&m, x, y, z);
    return m;
}

} // namespace

TEST(CollisionModel, BoxGivesExtentsFacesAndAnOctreeOfItsCells) {
    CDX9KelCollisionModel m;
    const auto mesh = MakeBoxMesh(10.0f, 6.0f, 40.0f, 2.0f);
    ASSERT_TRUE(Build(m, mesh));
    EXPECT_FLOAT_EQ(m.GetWidth(), 10.0f);
    EXPECT_FLOAT_EQ(m.GetHeight(), 6.0f);
    EXPECT_FLOAT_EQ(m.GetLength(), 40.0f);
    EXPECT_FLOAT_EQ(m.GetCellSize(), 12.0f);
    EXPECT_EQ(m.GetFaces().size(), mesh.stdvIndices.size() / 3);
    // Face record: centre two thirds of the way to the far edge's midpoint;
    // normal = cross product of the unit edges (45 degrees at the first corner here).
    const auto& f = m.GetFaces()[0];
    const D3DXVECTOR3 mid = (f.avCorners[1] + f.avCorners[2]) * 0.5f;
    const D3DXVECTOR3 c = f.avCorners[0] + (mid - f.avCorners[0]) * 0.6666f;
    EXPECT_FLOAT_EQ(f.vCentre.x, c.x);
    EXPECT_FLOAT_EQ(f.vCentre.z, c.z);
    EXPECT_NEAR(D3DXVec3Length(&f.vNormal), std::sqrt(0.5f), 1e-5f);
    const D3DXVECTOR3 e1 = f.avCorners[1] - f.avCorners[0];
    EXPECT_NEAR(D3DXVec3Dot(&f.vNormal, &e1), 0.0f, 1e-5f);

    // Only z (40) exceeds the cell (12): 40 -> 20 -> 10, so four leaves of
    // 10 x 6 x 10, each holding the vertices and faces of its box.
    EXPECT_EQ(m.GetLeafCount(), 4u);
    unsigned leaves = 0, verticesInLeaves = 0;
    ForEachNode(m.GetRoot(), 0, [&](const CDX9KelCollisionModel::NODE* n, int) {
        if (!n->IsLeaf()) {
            // Only the lower-x/lower-y octants 0 and 3 exist when x and y are not split.
            for (int o : {1, 2, 4, 5, 6, 7}) EXPECT_EQ(n->apChildren[o], nullptr);
            return;
        }
        ++leaves;
        EXPECT_FLOAT_EQ(n->vMax.z - n->vMin.z, 10.0f);
        EXPECT_FALSE(n->stdvFaces.empty());
        for (const auto& v : n->stdvVertices) {
            EXPECT_GE(v.vPosition.z, n->vMin.z);
            EXPECT_LE(v.vPosition.z, n->vMax.z);
        }
        verticesInLeaves += static_cast<unsigned>(n->stdvVertices.size());
    });
    EXPECT_EQ(leaves, 4u);
    // Vertices on a leaf boundary belong to both leaves (bounds included).
    EXPECT_GT(verticesInLeaves, m.GetVertices().size());
}

TEST(CollisionModel, LocalMatrixPlacesTheMesh) {
    CDX9KelCollisionModel m;
    const D3DXMATRIX local = Translation(0.0f, 2.0f, 5.0f);
    ASSERT_TRUE(Build(m, MakeBoxMesh(4.0f, 4.0f, 4.0f, 4.0f), &local));
    EXPECT_FLOAT_EQ(m.GetBoxMin().y, 0.0f);
    EXPECT_FLOAT_EQ(m.GetBoxMax().z, 7.0f);
}

TEST(CollisionModel, FlatAndDegenerateMeshesEndTheirOctree) {
    // A single flat triangle: cell size from the largest extent, depth bounded.
    const D3DXVECTOR3 tri[3] = {{0, 0, 0}, {100, 0, 0}, {0, 0, 60}};
    const unsigned idx[3] = {0, 1, 2};
    CDX9KelCollisionModel flat;
    ASSERT_TRUE(flat.CreateFromTriangles(tri, nullptr, 3, idx, 1, nullptr));
    EXPECT_GT(flat.GetCellSize(), 0.0f);
    int deepest = 0;
    ForEachNode(flat.GetRoot(), 0, [&](const CDX9KelCollisionModel::NODE*, int d) { deepest = std::max(deepest, d); });
    EXPECT_LE(deepest, CDX9KelCollisionModel::kMaxDepth);
    EXPECT_GT(flat.GetLeafCount(), 1u);
    EXPECT_LE(flat.GetLeafCount(), 4096u);

    // All corners in one point: a single leaf.
    const D3DXVECTOR3 same[3] = {{3, 3, 3}, {3, 3, 3}, {3, 3, 3}};
    CDX9KelCollisionModel point;
    ASSERT_TRUE(point.CreateFromTriangles(same, nullptr, 3, idx, 1, nullptr));
    EXPECT_EQ(point.GetLeafCount(), 1u);
    EXPECT_TRUE(point.GetRoot()->IsLeaf());
}

TEST(CollisionModel, BadMeshesAreRefusedAndLeaveTheModelEmpty) {
    const D3DXVECTOR3 tri[3] = {{0, 0, 0}, {1, 0, 0}, {0, 0, 1}};
    const unsigned ok[3] = {0, 1, 2};
    const unsigned outOfRange[3] = {0, 1, 3};
    const D3DXVECTOR3 nan[3] = {{0, 0, 0}, {std::nanf(""), 0, 0}, {0, 0, 1}};
    CDX9KelCollisionModel m;
    EXPECT_FALSE(m.CreateFromTriangles(tri, nullptr, 3, ok, 0, nullptr));       // no faces
    EXPECT_FALSE(m.CreateFromTriangles(tri, nullptr, 0, ok, 1, nullptr));       // no vertices
    EXPECT_FALSE(m.CreateFromTriangles(tri, nullptr, 3, outOfRange, 1, nullptr));
    EXPECT_FALSE(m.CreateFromTriangles(nan, nullptr, 3, ok, 1, nullptr));
    EXPECT_FALSE(m.CreateFromTriangles(nullptr, nullptr, 3, ok, 1, nullptr));
    EXPECT_EQ(m.GetRoot(), nullptr);
    EXPECT_TRUE(m.GetFaces().empty());
    // No source, no reader, or a reader without a mesh.
    CDX9KelSceneUnit unit;
    CDX9KelCollisionModel::SetMeshReader(nullptr);
    EXPECT_FALSE(m.CreateFromModel(&unit));
    CDX9KelCollisionModel::SetMeshReader(&VornaTest::ReadTableMesh);
    EXPECT_FALSE(m.CreateFromModel(nullptr));
    EXPECT_FALSE(m.CreateFromModel(&unit));
    VornaTest::MeshTable()[&unit] = MakeBoxMesh(2, 2, 2, 1);
    EXPECT_TRUE(m.CreateFromModel(&unit));
    VornaTest::MeshTable().erase(&unit);
    CDX9KelCollisionModel::SetMeshReader(nullptr);
}

TEST(CollisionModel, IntersectFindsTouchingHullsOnly) {
    CDX9KelCollisionModel a, b;
    ASSERT_TRUE(Build(a, MakeBoxMesh(10.0f, 6.0f, 40.0f, 2.0f)));
    ASSERT_TRUE(Build(b, MakeBoxMesh(10.0f, 6.0f, 40.0f, 2.0f)));
    struct Case {
        float dx, dz;
        bool hit;
    } cases[] = {
        {10.0f, 0.0f, true},   // side by side, faces touching
        {10.05f, 3.0f, true},  // within the touch band
        {10.5f, 0.0f, false},  // half a unit apart
        {0.0f, 40.0f, true},   // bow on stern
        {30.0f, 0.0f, false},  // far apart
        {0.0f, 80.0f, false},
    };
    for (const Case& c : cases) {
        const D3DXMATRIX bToA = Translation(c.dx, 0.0f, c.dz), aToB = Translation(-c.dx, 0.0f, -c.dz);
        std::vector<D3DXVECTOR4> points;
        EXPECT_EQ(a.Intersect(b, bToA, aToB, &points), c.hit) << c.dx << ", " << c.dz;
        EXPECT_EQ(points.empty(), !c.hit);
        for (const auto& p : points) {
            // Every point lies on the touching plane, in the frame its mark names.
            const float x = p.w == CDX9KelCollisionModel::kOtherFrameMark ? p.x + c.dx : p.x;
            const float z = p.w == CDX9KelCollisionModel::kOtherFrameMark ? p.z + c.dz : p.z;
            if (c.dz == 0.0f || c.dx != 0.0f) EXPECT_NEAR(x, 5.0f, 0.11f);
            else EXPECT_NEAR(z, 20.0f, 0.11f);
        }
    }
    // A model without an octree meets nothing.
    CDX9KelCollisionModel empty;
    EXPECT_FALSE(a.Intersect(empty, Translation(0, 0, 0), Translation(0, 0, 0), nullptr));
}

TEST(CollisionModel, CreateFromMeshReadsItsTrianglesThroughAClone) {
    // A tetrahedron with 16-bit indices and a position-only layout.
    ID3DXMesh* mesh = nullptr;
    ASSERT_EQ(D3DXCreateMeshFVF(4, 4, D3DXMESH_SYSTEMMEM, D3DFVF_XYZ, nullptr, &mesh), D3D_OK);
    float* v = nullptr;
    ASSERT_EQ(mesh->LockVertexBuffer(0, reinterpret_cast<void**>(&v)), D3D_OK);
    const float pos[12] = {0, 0, 0, 4, 0, 0, 0, 3, 0, 0, 0, 8};
    std::copy(pos, pos + 12, v);
    mesh->UnlockVertexBuffer();
    WORD* ix = nullptr;
    ASSERT_EQ(mesh->LockIndexBuffer(0, reinterpret_cast<void**>(&ix)), D3D_OK);
    const WORD idx[12] = {0, 1, 2, 0, 1, 3, 0, 2, 3, 1, 2, 3};
    std::copy(idx, idx + 12, ix);
    mesh->UnlockIndexBuffer();

    CDX9KelCollisionModel m;
    const D3DXMATRIX local = Translation(1.0f, 0.0f, 0.0f);
    ASSERT_TRUE(m.CreateFromMesh(mesh, &local));
    EXPECT_EQ(m.GetFaces().size(), 4u);
    EXPECT_FLOAT_EQ(m.GetWidth(), 4.0f);
    EXPECT_FLOAT_EQ(m.GetHeight(), 3.0f);
    EXPECT_FLOAT_EQ(m.GetLength(), 8.0f);
    EXPECT_FLOAT_EQ(m.GetBoxMin().x, 1.0f);

    // An index past the vertices is refused.
    ASSERT_EQ(mesh->LockIndexBuffer(0, reinterpret_cast<void**>(&ix)), D3D_OK);
    ix[5] = 9;
    mesh->UnlockIndexBuffer();
    EXPECT_FALSE(m.CreateFromMesh(mesh, nullptr));
    EXPECT_EQ(m.GetRoot(), nullptr);
    EXPECT_FALSE(m.CreateFromMesh(nullptr, nullptr));
    mesh->Release();
}
