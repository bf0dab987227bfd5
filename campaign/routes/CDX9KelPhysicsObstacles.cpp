#include "campaign/routes/CDX9KelPhysicsObstacles.h"

#include "engine2/core/scene/CDX9KelSceneObject.h"
#include "engine2/world/physics/CDX9KelPhysicalManager.h"

#include <algorithm>

namespace VornaCampaign {

void CKelPhysicsObstacleQuery::CopyHits() {
    // An object that lies in several leaves of the tree is reported once, at
    // its first place: the route finder reads "the only hit" as the mover.
    m_Hits.clear();
    for (const Vorna2::CDX9KelSceneObject* o : m_pPhysics->m_Hits)
        if (std::find(m_Hits.begin(), m_Hits.end(), o) == m_Hits.end()) m_Hits.push_back(o);
}

bool CKelPhysicsObstacleQuery::TestSphere(float x, float y, float z, float radius) {
    m_Hits.clear();
    if (!m_pPhysics) return false;
    const bool hit = m_pPhysics->TestSphere(x, y, z, radius);
    CopyHits();
    return hit;
}

bool CKelPhysicsObstacleQuery::TestSpheres(const std::vector<SeaSphere>& spheres, const void* exclude) {
    m_Hits.clear();
    if (!m_pPhysics) return false;
    std::vector<Vorna2::CDX9KelSphere> tested(spheres.size());
    for (std::size_t i = 0; i < spheres.size(); ++i)
        tested[i] = {spheres[i].x, spheres[i].y, spheres[i].z, spheres[i].radius};
    // The identities handed out are the physical manager's scene objects.
    const auto* excluded = static_cast<const Vorna2::CDX9KelSceneObject*>(exclude);
    const bool hit = m_pPhysics->TestSpheres(tested, excluded, nullptr);
    CopyHits();
    return hit;
}

bool CKelPhysicsObstacleQuery::GetObjectBox(const void* object, float* minX, float* minZ, float* maxX, float* maxZ,
                                            float* size) const {
    const auto* o = static_cast<const Vorna2::CDX9KelSceneObject*>(object);
    if (!o || !minX || !minZ || !maxX || !maxZ || !size) return false;
    const D3DXVECTOR3& lo = o->m_vBoxMin;
    const D3DXVECTOR3& hi = o->m_vBoxMax;
    const D3DXMATRIX& m = o->m_mWorld;
    *minX = *minZ = 1e30f;
    *maxX = *maxZ = -1e30f;
    for (int i = 0; i < 8; ++i) {
        const D3DXVECTOR3 c((i & 1) ? hi.x : lo.x, (i & 2) ? hi.y : lo.y, (i & 4) ? hi.z : lo.z);
        const float x = c.x * m._11 + c.y * m._21 + c.z * m._31 + m._41;
        const float z = c.x * m._13 + c.y * m._23 + c.z * m._33 + m._43;
        *minX = std::min(*minX, x);
        *maxX = std::max(*maxX, x);
        *minZ = std::min(*minZ, z);
        *maxZ = std::max(*maxZ, z);
    }
    *size = o->m_fRadius;
    return true;
}

} // namespace VornaCampaign
