#include "campaign/ai/PhysicsObstacleQuery.h"

#include "engine2/core/scene/CDX9KelSceneObject.h"
#include "engine2/world/physics/CDX9KelPhysicalManager.h"

#include <algorithm>

namespace VornaCampaign {

void PhysicsObstacleQuery::TakeHits() {
    m_Hits.clear();
    for (const Vorna2::CDX9KelSceneObject* o : m_pPhysics->m_Hits)
        if (std::find(m_Hits.begin(), m_Hits.end(), o) == m_Hits.end()) m_Hits.push_back(o);
}

bool PhysicsObstacleQuery::TestSphere(float x, float y, float z, float radius) {
    m_Hits.clear();
    if (m_pPhysics == nullptr) return false;
    m_pPhysics->TestSphere(x, y, z, radius);
    TakeHits();
    return !m_Hits.empty();
}

bool PhysicsObstacleQuery::TestSpheres(const std::vector<SeaSphere>& spheres, const void* exclude) {
    m_Hits.clear();
    if (m_pPhysics == nullptr) return false;
    std::vector<Vorna2::CDX9KelSphere> tests;
    for (const SeaSphere& s : spheres) tests.push_back({s.x, s.y, s.z, s.radius});
    const auto* excluded = static_cast<const Vorna2::CDX9KelSceneObject*>(exclude);
    if (!m_pPhysics->TestSpheres(tests, excluded, nullptr)) return false;
    TakeHits();
    // The first object found is the only hit.
    if (m_Hits.size() > 1) m_Hits.resize(1);
    return !m_Hits.empty();
}

bool PhysicsObstacleQuery::GetObjectBox(const void* object, float* minX, float* minZ, float* maxX, float* maxZ,
                                        float* size) const {
    const auto* o = static_cast<const Vorna2::CDX9KelSceneObject*>(object);
    if (o == nullptr || minX == nullptr || minZ == nullptr || maxX == nullptr || maxZ == nullptr || size == nullptr)
        return false;
    const D3DXVECTOR3 lo = o->m_vBoxMin, hi = o->m_vBoxMax;
    *size = o->m_fRadius;
    if (lo == hi) {
        const float cx = o->m_mWorld._41 + o->m_vCenter.x, cz = o->m_mWorld._43 + o->m_vCenter.z;
        *minX = cx - o->m_fRadius, *maxX = cx + o->m_fRadius;
        *minZ = cz - o->m_fRadius, *maxZ = cz + o->m_fRadius;
        return true;
    }
    bool first = true;
    for (int i = 0; i < 8; ++i) {
        const D3DXVECTOR3 corner((i & 1) ? hi.x : lo.x, (i & 2) ? hi.y : lo.y, (i & 4) ? hi.z : lo.z);
        D3DXVECTOR3 w;
        D3DXVec3TransformCoord(&w, &corner, &o->m_mWorld);
        if (first || w.x < *minX) *minX = w.x;
        if (first || w.x > *maxX) *maxX = w.x;
        if (first || w.z < *minZ) *minZ = w.z;
        if (first || w.z > *maxZ) *maxZ = w.z;
        first = false;
    }
    return true;
}

} // namespace VornaCampaign
