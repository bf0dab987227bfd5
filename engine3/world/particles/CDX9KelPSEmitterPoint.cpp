#include "engine3/world/particles/CDX9KelPSEmitterPoint.h"

namespace Vorna3D {

void CDX9KelPSEmitterPoint::PlaceParticle(PSParticle& p)
{
    if (m_Params.bParentInfluence) {
        p.mLocal = m_mWorld;
        p.mLocal._41 = p.mLocal._42 = p.mLocal._43 = 0.0f;
    } else {
        p.mWorld = m_mWorld;
    }
}

} // namespace Vorna3D
