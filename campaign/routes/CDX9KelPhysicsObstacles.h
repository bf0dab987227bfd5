#pragma once
// The physical manager as the route finder's obstacle query: the sphere
// tests go to the physical manager, the objects it reports are the scene
// objects, and an object's box on the map plane is its first model's box
// placed by the object's world matrix, its size value the object's radius.
#include "campaign/routes/CDX9KelSeaPath.h"

#include <vector>

namespace Vorna2 {
class CDX9KelPhysicalManager;
} // namespace Vorna2

namespace VornaCampaign {

class CKelPhysicsObstacleQuery : public ISeaObstacleQuery {
public:
    explicit CKelPhysicsObstacleQuery(Vorna2::CDX9KelPhysicalManager* physics = nullptr) : m_pPhysics(physics) {}
    void SetPhysicalManager(Vorna2::CDX9KelPhysicalManager* physics) { m_pPhysics = physics; }
    Vorna2::CDX9KelPhysicalManager* GetPhysicalManager() const { return m_pPhysics; }

    // Both false (no hits) without a physical manager.
    bool TestSphere(float x, float y, float z, float radius) override;
    bool TestSpheres(const std::vector<SeaSphere>& spheres, const void* exclude) override;
    const std::vector<const void*>& Hits() const override { return m_Hits; }
    bool GetObjectBox(const void* object, float* minX, float* minZ, float* maxX, float* maxZ,
                      float* size) const override;

private:
    void CopyHits();
    Vorna2::CDX9KelPhysicalManager* m_pPhysics;
    std::vector<const void*> m_Hits;
};

} // namespace VornaCampaign
