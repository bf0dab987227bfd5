#pragma once
// The physical manager as the route finder's view of the sea: sphere tests
// against the scene tree's objects, each object reported once in the order
// the tree gives it, and an object's footprint on the map plane.
#include "campaign/CDX9KelSeaPath.h"

namespace Vorna2 {
class CDX9KelPhysicalManager;
}

namespace VornaCampaign {

class PhysicsObstacleQuery : public ISeaObstacleQuery {
public:
    void SetPhysicalManager(Vorna2::CDX9KelPhysicalManager* physics) { m_pPhysics = physics; }
    Vorna2::CDX9KelPhysicalManager* GetPhysicalManager() const { return m_pPhysics; }

    bool TestSphere(float x, float y, float z, float radius) override;
    bool TestSpheres(const std::vector<SeaSphere>& spheres, const void* exclude) override;
    const std::vector<const void*>& Hits() const override { return m_Hits; }
    // The scene object's box turned into the world, on the map plane; a
    // box of no size stands for its bounding sphere. The size is the radius.
    bool GetObjectBox(const void* object, float* minX, float* minZ, float* maxX, float* maxZ,
                      float* size) const override;

private:
    void TakeHits();

    Vorna2::CDX9KelPhysicalManager* m_pPhysics = nullptr;
    std::vector<const void*> m_Hits;
};

} // namespace VornaCampaign
