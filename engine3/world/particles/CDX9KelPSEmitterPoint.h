#pragma once
// The point emitter: particles start at the emitter's origin.
#include "engine3/world/particles/CDX9KelBasePSEmitter.h"

namespace Vorna3D {

class CDX9KelPSEmitterPoint : public CDX9KelBasePSEmitter {
public:
    CDX9KelPSEmitterPoint() { m_iKind = KEL_PS_EMITTER_POINT; }

protected:
    void PlaceParticle(PSParticle& p) override;
};

} // namespace Vorna3D
