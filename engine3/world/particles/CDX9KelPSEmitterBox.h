#pragma once
// The box emitter: particles start at a random point of a box given in
// emitter space.
#include "engine3/world/particles/CDX9KelBasePSEmitter.h"

namespace Vorna3D {

class CDX9KelPSEmitterBox : public CDX9KelBasePSEmitter {
public:
    CDX9KelPSEmitterBox() { m_iKind = KEL_PS_EMITTER_BOX; }

    void SetBorders(const D3DXVECTOR3& vMin, const D3DXVECTOR3& vMax)
    {
        m_vBordersMin = vMin;
        m_vBordersMax = vMax;
    }

    D3DXVECTOR3 m_vBordersMin{0.0f, 0.0f, 0.0f};
    D3DXVECTOR3 m_vBordersMax{0.0f, 0.0f, 0.0f};

protected:
    void PlaceParticle(PSParticle& p) override;
};

} // namespace Vorna3D
