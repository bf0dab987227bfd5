#pragma once
// One force entry of the physical manager's pool. Entries are made once and
// reused: bodies and objects borrow them for their force lists and give them
// back, so a running battle allocates no forces.
#include "platform/math/d3dx9math.h"

#include <string>

namespace Vorna3D {

enum EPhysicalForceKind {
    FORCE_GRAVITY = 0,    // recomputed each step
    FORCE_BUOYANCY = 1,   // recomputed each step
    FORCE_RESISTANCE = 2, // drag marker; a resolved entry of this kind stops the axis at zero speed
    FORCE_STEP = 3,       // applied for one step, then removed
    FORCE_BRAKE = 4,      // applied once, only against the motion, times the squared speed
    FORCE_CONSTANT = 5,   // applied every step until removed
    FORCE_RAMP = 7,       // grows linearly to its target over its duration
};

class CDX9KelPhysicalForce {
public:
    // Back to the state of a fresh entry (the pool index stays).
    void Clear() {
        m_iKind = -1;
        m_strName.clear();
        m_fValue = m_fDuration = m_fElapsed = m_fTarget = 0.0f;
        m_vForce = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
        m_vPoint = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    }

    int m_iKind = -1;
    int m_iPoolIndex = -1;
    std::string m_strName;
    // The force along one axis (for gravity and buoyancy before resolution,
    // the axis component of the vertical).
    float m_fValue = 0.0f;
    float m_fDuration = 0.0f;
    float m_fElapsed = 0.0f;
    float m_fTarget = 0.0f;
    // An object-level named force: its vector and its point of application.
    D3DXVECTOR3 m_vForce{0.0f, 0.0f, 0.0f};
    D3DXVECTOR3 m_vPoint{0.0f, 0.0f, 0.0f};
};

} // namespace Vorna3D
