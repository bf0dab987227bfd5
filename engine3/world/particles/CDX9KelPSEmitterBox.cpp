#include "engine3/world/particles/CDX9KelPSEmitterBox.h"

#include "engine3/core/CDX9KelUtils.h"

namespace Vorna3D {

void CDX9KelPSEmitterBox::PlaceParticle(PSParticle& p)
{
    D3DXVECTOR3 point;
    point.x = CDX9KelUtils::GetRandomFloat(m_vBordersMin.x, m_vBordersMax.x);
    point.y = CDX9KelUtils::GetRandomFloat(m_vBordersMin.y, m_vBordersMax.y);
    point.z = CDX9KelUtils::GetRandomFloat(m_vBordersMin.z, m_vBordersMax.z);
    if (m_Params.bParentInfluence) {
        p.mLocal = m_mWorld;
        p.mLocal._41 = point.x;
        p.mLocal._42 = point.y;
        p.mLocal._43 = point.z;
    } else {
        D3DXVECTOR3 world;
        D3DXVec3TransformCoord(&world, &point, &m_mWorld);
        p.mWorld = m_mWorld;
        p.mWorld._41 = world.x;
        p.mWorld._42 = world.y;
        p.mWorld._43 = world.z;
    }
}

} // namespace Vorna3D
