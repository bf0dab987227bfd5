#include "engine3/world/particles/CDX9KelBasePSEffector.h"

#include "engine3/core/scene/Geometry.h"

namespace Vorna3D {

namespace {

// The direction an effector pushes along.
const D3DXVECTOR3& PushDirection(const PSParticle& p, bool useParticleDir, const D3DXVECTOR3& movement)
{
    return useParticleDir ? p.vDirection : movement;
}

// Apply of one kind over a list of slots; the qualified call is not virtual
// and is folded into the loop.
template <class Effector>
[[gnu::flatten]] void ApplyEach(Effector& e, PSParticle* particles, const DWORD* slots, std::size_t count, const PSEmitterParams* params,
               float t, float dt)
{
    if (!particles || !slots) return;
    for (std::size_t k = 0; k < count; ++k) e.Effector::Apply(&particles[slots[k]], params, t, dt);
}

} // namespace

void CDX9KelBasePSEffector::ApplyAll(PSParticle* particles, const DWORD* slots, std::size_t count,
                                     const PSEmitterParams* params, float t, float dt)
{
    if (!particles || !slots) return;
    for (std::size_t k = 0; k < count; ++k) Apply(&particles[slots[k]], params, t, dt);
}

void CDX9KelPSEffectorCommonMovement::Apply(PSParticle* p, const PSEmitterParams* params, float t, float dt)
{
    if (!p || !params) return;
    UpdateActiveWindow(t, p->fBirthTime);
    if (!m_bActive || dt == 0.0f) return;
    const D3DXVECTOR3& d = PushDirection(*p, m_bUseParticleDir, m_vMovement);
    if (m_bStarted && m_fVelocity != 0.0f) p->vVelocity += m_fVelocity * d;
    p->vVelocity += (m_fAcceleration * dt) * d;
}

void CDX9KelPSEffectorCommonScale::Apply(PSParticle* p, const PSEmitterParams* params, float t, float dt)
{
    if (!p || !params) return;
    UpdateActiveWindow(t, p->fBirthTime);
    if (!m_bActive) return;
    const float k = BlendFactor(t, p->fBirthTime, params->fLife);
    p->fHalfWidth = p->fStartHalfWidth + (m_fEndHalfWidth - p->fStartHalfWidth) * k;
    p->fHalfHeight = p->fStartHalfHeight + (m_fEndHalfHeight - p->fStartHalfHeight) * k;
}

void CDX9KelPSEffectorCommonSpin::Apply(PSParticle* p, const PSEmitterParams* params, float t, float dt)
{
    if (!p || !params) return;
    UpdateActiveWindow(t, p->fBirthTime);
    if (!m_bActive) return;
    const float angle = m_fSpinSpeed * dt;
    RotateMatrixLocalY(params->bParentInfluence ? &p->mLocal : &p->mWorld, angle);
}

void CDX9KelPSEffectorCommonColor::Apply(PSParticle* p, const PSEmitterParams* params, float t, float dt)
{
    if (!p || !params) return;
    UpdateActiveWindow(t, p->fBirthTime);
    if (!m_bActive) return;
    const float k = BlendFactor(t, p->fBirthTime, params->fLife);
    p->Color.r = p->StartColor.r + (m_EndColor.r - p->StartColor.r) * k;
    p->Color.g = p->StartColor.g + (m_EndColor.g - p->StartColor.g) * k;
    p->Color.b = p->StartColor.b + (m_EndColor.b - p->StartColor.b) * k;
    p->Color.a = p->StartColor.a + (m_EndColor.a - p->StartColor.a) * k;
    if (p->Color.a < 0.0f) p->Color.a = 0.0f;
}

void CDX9KelPSEffectorCommonFrames::Apply(PSParticle* p, const PSEmitterParams* params, float t, float dt)
{
    if (!p || !params) return;
    UpdateActiveWindow(t, p->fBirthTime);
    if (!m_bActive || params->vFrames.empty() || params->dwFramesCount < 1) return;
    const float k = BlendFactor(t, p->fBirthTime, params->fLife);
    DWORD index = static_cast<DWORD>(static_cast<float>(params->dwFramesCount - 1) * k);
    const DWORD last = static_cast<DWORD>(params->vFrames.size() - 1);
    if (index > last) index = last;
    p->dwFrame = index;
    p->Rect = params->vFrames[index];
}

void CDX9KelPSEffectorMovementAccelFromStartSpeed::Apply(PSParticle* p, const PSEmitterParams* params, float t,
                                                         float dt)
{
    if (!p || !params) return;
    UpdateActiveWindow(t, p->fBirthTime);
    const D3DXVECTOR3& d = PushDirection(*p, m_bUseParticleDir, m_vMovement);
    if (m_bActive) {
        if (dt != 0.0f) p->vVelocity += (m_fAcceleration * p->fStartSpeed * dt) * d;
    } else if (m_bEnded && m_fEndSpeed != KEL_PS_NO_END_SPEED) {
        p->vVelocity = (p->fStartSpeed * m_fEndSpeed) * d;
    }
}

void CDX9KelPSEffectorCommonMovement::ApplyAll(PSParticle* particles, const DWORD* slots, std::size_t count,
                                               const PSEmitterParams* params, float t, float dt)
{
    ApplyEach(*this, particles, slots, count, params, t, dt);
}

void CDX9KelPSEffectorCommonScale::ApplyAll(PSParticle* particles, const DWORD* slots, std::size_t count,
                                            const PSEmitterParams* params, float t, float dt)
{
    ApplyEach(*this, particles, slots, count, params, t, dt);
}

void CDX9KelPSEffectorCommonSpin::ApplyAll(PSParticle* particles, const DWORD* slots, std::size_t count,
                                           const PSEmitterParams* params, float t, float dt)
{
    ApplyEach(*this, particles, slots, count, params, t, dt);
}

void CDX9KelPSEffectorCommonColor::ApplyAll(PSParticle* particles, const DWORD* slots, std::size_t count,
                                            const PSEmitterParams* params, float t, float dt)
{
    ApplyEach(*this, particles, slots, count, params, t, dt);
}

void CDX9KelPSEffectorCommonFrames::ApplyAll(PSParticle* particles, const DWORD* slots, std::size_t count,
                                             const PSEmitterParams* params, float t, float dt)
{
    ApplyEach(*this, particles, slots, count, params, t, dt);
}

void CDX9KelPSEffectorMovementAccelFromStartSpeed::ApplyAll(PSParticle* particles, const DWORD* slots, std::size_t count,
                                                            const PSEmitterParams* params, float t, float dt)
{
    ApplyEach(*this, particles, slots, count, params, t, dt);
}

} // namespace Vorna3D
