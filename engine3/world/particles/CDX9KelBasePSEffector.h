#pragma once
// Effectors change every live particle of one emitter while the particle's
// age lies in the effector's window: they blend colour or size towards an end
// value, step through texture frames, push, accelerate or spin the particle.
// The window flags belong to the effector and describe only the particle
// processed last.
#include <cstddef>
#include <string>

#include "engine3/world/particles/CDX9KelBasePSEmitter.h"

namespace Vorna3D {

enum EKelPSEffectorType : DWORD {
    KEL_PS_EFFECTOR_MOVEMENT = 0,
    KEL_PS_EFFECTOR_SCALE = 1,
    KEL_PS_EFFECTOR_SPIN = 2,
    KEL_PS_EFFECTOR_COLOR = 4,
    KEL_PS_EFFECTOR_FRAMES = 5,
    KEL_PS_EFFECTOR_ACCEL_FROM_START_SPEED = 6,
};

// EndSpeed of the acceleration-from-start-speed effector when it has none.
constexpr float KEL_PS_NO_END_SPEED = -1000.0f;

class CDX9KelBasePSEffector {
public:
    explicit CDX9KelBasePSEffector(DWORD type) : m_dwType(type) {}
    CDX9KelBasePSEffector(const CDX9KelBasePSEffector&) = delete;
    CDX9KelBasePSEffector& operator=(const CDX9KelBasePSEffector&) = delete;
    virtual ~CDX9KelBasePSEffector() = default;

    // t is the system clock, dt the step already scaled by the emitter's
    // animation speed. Nothing for a null particle or parameter block.
    virtual void Apply(PSParticle* pParticle, const PSEmitterParams* pParams, float t, float dt) = 0;
    // Apply on the particles of the listed slots, in the list's order: the
    // same as calling Apply on each, without a virtual call per particle.
    virtual void ApplyAll(PSParticle* pParticles, const DWORD* pSlots, std::size_t count,
                          const PSEmitterParams* pParams, float t, float dt);
    // True for an effector that changes only how a particle looks (colour,
    // size, frame) from the particle's start values and its age, and whose
    // window stays open once it opened (a start time, no end time). What it
    // leaves on a particle depends then only on the time of the particle's
    // last step, so the emitter may work it out when the particle is drawn.
    bool ChangesOnlyLookFromAge() const
    {
        return (m_dwType == KEL_PS_EFFECTOR_COLOR || m_dwType == KEL_PS_EFFECTOR_SCALE ||
                m_dwType == KEL_PS_EFFECTOR_FRAMES) &&
               m_fStartTime >= 0.0f && m_fEndTime < 0.0f;
    }
    // True when what the effector does to a particle in a step depends only
    // on that particle and the step, not on the particles met before it:
    // the window opens by the particle's age alone (a start time), and no
    // push happens at the window's opening. The emitter may then step a
    // particle through several steps at once, later.
    virtual bool SteppedAlone() const { return false; }
    // True for the kinds that change only how a particle looks.
    bool ChangesOnlyLook() const
    {
        return m_dwType == KEL_PS_EFFECTOR_COLOR || m_dwType == KEL_PS_EFFECTOR_SCALE ||
               m_dwType == KEL_PS_EFFECTOR_FRAMES;
    }

    // Recomputes the window flags for a particle born at b, at time t.
    // Inline: it runs for every live particle and effector each step.
    void UpdateActiveWindow(float t, float b)
    {
        const float age = t - b;
        m_bStarted = false;
        m_bEnded = false;
        if (m_fStartTime >= 0.0f) {
            if (!m_bActive && m_fStartTime <= age) {
                m_bActive = true;
                m_bStarted = true;
            } else if (m_bActive && age < m_fStartTime) {
                m_bActive = false;
            }
        }
        if (m_fEndTime >= 0.0f && m_bActive && m_fEndTime <= age) {
            m_bActive = false;
            m_bEnded = true;
        }
    }
    // The blend factor in [0, 1] across the window (or up to the particle's
    // life without an end time); 1 when the window has no length.
    float BlendFactor(float t, float b, float life) const
    {
        const float t0 = b + m_fStartTime;
        const float t1 = m_fEndTime > 0.0f ? b + m_fEndTime : b + life;
        // A window without length (life equal to the start time, or a start
        // after the end) is over as soon as it opens.
        if (!(t1 > t0)) return 1.0f;
        const float k = (t - t0) / (t1 - t0);
        if (!(k > 0.0f)) return 0.0f;
        return k < 1.0f ? k : 1.0f;
    }

    std::string m_strName;
    DWORD m_dwType;
    bool m_bActive = false;
    bool m_bStarted = false;
    bool m_bEnded = false;
    float m_fStartTime = 0.0f;
    float m_fEndTime = -1.0f; // -1: no end time
};

class CDX9KelPSEffectorCommonMovement : public CDX9KelBasePSEffector {
public:
    CDX9KelPSEffectorCommonMovement() : CDX9KelBasePSEffector(KEL_PS_EFFECTOR_MOVEMENT) {}
    void Apply(PSParticle* pParticle, const PSEmitterParams* pParams, float t, float dt) override;
    void ApplyAll(PSParticle* pParticles, const DWORD* pSlots, std::size_t count, const PSEmitterParams* pParams,
                  float t, float dt) override;
    bool SteppedAlone() const override { return m_fStartTime >= 0.0f && m_fVelocity == 0.0f; }

    float m_fVelocity = 0.0f;
    float m_fAcceleration = 0.0f;
    D3DXVECTOR3 m_vMovement{0.0f, 0.0f, 0.0f};
    bool m_bUseParticleDir = false;
    bool m_bNegativeSpeed = false; // kept and copied; the update does not read it
};

class CDX9KelPSEffectorCommonScale : public CDX9KelBasePSEffector {
public:
    CDX9KelPSEffectorCommonScale() : CDX9KelBasePSEffector(KEL_PS_EFFECTOR_SCALE) {}
    void Apply(PSParticle* pParticle, const PSEmitterParams* pParams, float t, float dt) override;
    void ApplyAll(PSParticle* pParticles, const DWORD* pSlots, std::size_t count, const PSEmitterParams* pParams,
                  float t, float dt) override;
    bool SteppedAlone() const override { return m_fStartTime >= 0.0f; }

    float m_fEndHalfWidth = 0.0f;
    float m_fEndHalfHeight = 0.0f;
};

class CDX9KelPSEffectorCommonSpin : public CDX9KelBasePSEffector {
public:
    CDX9KelPSEffectorCommonSpin() : CDX9KelBasePSEffector(KEL_PS_EFFECTOR_SPIN) {}
    void Apply(PSParticle* pParticle, const PSEmitterParams* pParams, float t, float dt) override;
    void ApplyAll(PSParticle* pParticles, const DWORD* pSlots, std::size_t count, const PSEmitterParams* pParams,
                  float t, float dt) override;
    bool SteppedAlone() const override { return m_fStartTime >= 0.0f; }

    float m_fSpinSpeed = 0.0f; // radians per second
};

class CDX9KelPSEffectorCommonColor : public CDX9KelBasePSEffector {
public:
    CDX9KelPSEffectorCommonColor() : CDX9KelBasePSEffector(KEL_PS_EFFECTOR_COLOR) {}
    void Apply(PSParticle* pParticle, const PSEmitterParams* pParams, float t, float dt) override;
    void ApplyAll(PSParticle* pParticles, const DWORD* pSlots, std::size_t count, const PSEmitterParams* pParams,
                  float t, float dt) override;
    bool SteppedAlone() const override { return m_fStartTime >= 0.0f; }

    D3DXCOLOR m_EndColor{255.0f, 255.0f, 255.0f, 255.0f};
};

class CDX9KelPSEffectorCommonFrames : public CDX9KelBasePSEffector {
public:
    CDX9KelPSEffectorCommonFrames() : CDX9KelBasePSEffector(KEL_PS_EFFECTOR_FRAMES) {}
    void Apply(PSParticle* pParticle, const PSEmitterParams* pParams, float t, float dt) override;
    void ApplyAll(PSParticle* pParticles, const DWORD* pSlots, std::size_t count, const PSEmitterParams* pParams,
                  float t, float dt) override;
    bool SteppedAlone() const override { return m_fStartTime >= 0.0f; }
};

class CDX9KelPSEffectorMovementAccelFromStartSpeed : public CDX9KelBasePSEffector {
public:
    CDX9KelPSEffectorMovementAccelFromStartSpeed() : CDX9KelBasePSEffector(KEL_PS_EFFECTOR_ACCEL_FROM_START_SPEED) {}
    void Apply(PSParticle* pParticle, const PSEmitterParams* pParams, float t, float dt) override;
    void ApplyAll(PSParticle* pParticles, const DWORD* pSlots, std::size_t count, const PSEmitterParams* pParams,
                  float t, float dt) override;
    bool SteppedAlone() const override { return m_fStartTime >= 0.0f; }

    float m_fAcceleration = 0.0f;
    D3DXVECTOR3 m_vMovement{0.0f, 0.0f, 0.0f};
    bool m_bUseParticleDir = false;
    float m_fEndSpeed = KEL_PS_NO_END_SPEED;
};

} // namespace Vorna3D
