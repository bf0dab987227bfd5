// The physics slot's mesh reader: a collision model built from the demo hull
// model has the hull's extent, and a unit that is no model gives nothing.
#include <gtest/gtest.h>

#include "common/OffscreenDevice.h"
#include "engine3/core/resources/CDX9KelGraphicsResManager.h"
#include "engine3/core/resources/CDX9KelModel.h"
#include "engine3/world/physics/PhysicsSceneSlot.h"

using namespace Vorna3D;

namespace {

TEST(PhysicsSceneSlot, CollisionModelsReadTheMeshOfAModelResource) {
    VornaTest::OffscreenDevice gfx;
    if (!gfx.Create()) GTEST_SKIP() << "no GL context";
    CDX9KelGraphicsResManager res;
    ASSERT_TRUE(res.Init(gfx.m_pDevice));
    const std::string models = std::string(VORNA_BIN_DIR) + "/Data/Models/";
    CDX9KelModel* hull = res.CreateModelFromFile(models.c_str(), "hull.x", "", "");
    ASSERT_NE(hull, nullptr);
    ASSERT_TRUE(hull->ComputeBoundingBox());

    CDX9KelCollisionMesh mesh;
    ASSERT_TRUE(ReadModelCollisionMesh(hull, &mesh));
    ASSERT_FALSE(mesh.stdvPositions.empty());
    ASSERT_EQ(mesh.stdvIndices.size() % 3, 0u);
    for (unsigned i : mesh.stdvIndices) ASSERT_LT(i, mesh.stdvPositions.size());
    D3DXVECTOR3 lo = mesh.stdvPositions[0], hi = lo;
    for (const D3DXVECTOR3& p : mesh.stdvPositions) {
        lo = D3DXVECTOR3(std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z));
        hi = D3DXVECTOR3(std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z));
    }
    // The reader sees the same mesh the model's box was measured on.
    EXPECT_NEAR(hi.x - lo.x, hull->m_vBoxMax.x - hull->m_vBoxMin.x, 1e-3f);
    EXPECT_NEAR(hi.z - lo.z, hull->m_vBoxMax.z - hull->m_vBoxMin.z, 1e-3f);

    CDX9KelCollisionModel::SetMeshReader(&ReadModelCollisionMesh);
    CDX9KelCollisionModel model;
    EXPECT_TRUE(model.CreateFromModel(hull));
    CDX9KelCollisionModel::SetMeshReader(nullptr);

    CDX9KelSceneUnit notAModel;
    EXPECT_FALSE(ReadModelCollisionMesh(&notAModel, &mesh));
    EXPECT_FALSE(ReadModelCollisionMesh(nullptr, &mesh));
    res.Release();
}

} // namespace
