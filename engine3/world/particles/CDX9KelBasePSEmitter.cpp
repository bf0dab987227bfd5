#include "engine3/world/particles/CDX9KelBasePSEmitter.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "engine3/core/CDX9KelLog.h"
#include "engine3/core/CDX9KelUtils.h"
#include "engine3/core/resources/CDX9KelGraphicResources.h"
#include "engine3/core/resources/CDX9KelGraphicsResManager.h"
#include "engine3/core/scene/Geometry.h"
#include "engine3/world/particles/CDX9KelBasePSEffector.h"

namespace Vorna3D {

namespace {

constexpr DWORD kVerticesPerQuad = 4;
constexpr DWORD kIndicesPerQuad = 6;
// Steps noted before the particles are stepped through them in any case:
// an emitter never drawn keeps no longer a list. A live particle goes
// through the steps of its own life only.
constexpr std::size_t kMaxNotedSteps = 1024;
// The birth time a dead slot shows in the list of birth times.
constexpr float kDeadSlot = std::numeric_limits<float>::infinity();

D3DXVECTOR3 Row(const D3DXMATRIX& m, int row) { return D3DXVECTOR3(m.m[row][0], m.m[row][1], m.m[row][2]); }

void SetRow(D3DXMATRIX& m, int row, const D3DXVECTOR3& v)
{
    m.m[row][0] = v.x;
    m.m[row][1] = v.y;
    m.m[row][2] = v.z;
}

// A random value in [-v, v).
float Vary(float v) { return CDX9KelUtils::GetRandomFloat(-v, v); }

// The start colour of one channel: the parameter, or |parameter + variation|.
float VaryChannel(float value, float variation)
{
    return variation != 0.0f ? std::fabs(value + Vary(variation)) : value;
}

} // namespace

BYTE PSColorByte(float x)
{
    if (!(x > 0.0f)) return 0;
    if (x >= 1.0f) return 255;
    return static_cast<BYTE>(x * 255.0f + 0.5f);
}

DWORD PSPackColor(const D3DXCOLOR& c)
{
    return (static_cast<DWORD>(PSColorByte(c.a)) << 24) | (static_cast<DWORD>(PSColorByte(c.r)) << 16) |
           (static_cast<DWORD>(PSColorByte(c.g)) << 8) | static_cast<DWORD>(PSColorByte(c.b));
}

PSParticle::PSParticle()
{
    D3DXMatrixIdentity(&mLocal);
    D3DXMatrixIdentity(&mWorld);
}

CDX9KelBasePSEmitter::CDX9KelBasePSEmitter()
{
    D3DXMatrixIdentity(&m_mWorld);
    D3DXMatrixIdentity(&m_mNotedWorld);
}

CDX9KelBasePSEmitter::~CDX9KelBasePSEmitter()
{
    // Effectors normally went with Release; those of an emitter that was
    // never initialised go here.
    for (CDX9KelBasePSEffector* e : m_vEffectors) delete e;
}

bool CDX9KelBasePSEmitter::Init(IDirect3DDevice9* pDevice)
{
    if (!pDevice) return false;
    if (m_dwMaxParticles < 1 || m_dwMaxParticles > KEL_PS_MAX_PARTICLES) return false;
    if (!CreateVertexBuffer(pDevice)) return false;
    if (!CreateIndexBuffer(pDevice)) return false;
    InitParticles();
    m_bInitialised = true;
    return true;
}

bool CDX9KelBasePSEmitter::CreateVertexBuffer(IDirect3DDevice9* pDevice)
{
    if (m_pVB || !pDevice) return false;
    if (m_dwMaxParticles < 1 || m_dwMaxParticles > KEL_PS_MAX_PARTICLES) return false;
    m_dwVertexCount = m_dwMaxParticles * kVerticesPerQuad;
    const UINT bytes = static_cast<UINT>(m_dwVertexCount * sizeof(PSVertex));
    if (FAILED(pDevice->CreateVertexBuffer(bytes, D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, KEL_PS_FVF, D3DPOOL_DEFAULT,
                                           &m_pVB, nullptr)) ||
        !m_pVB) {
        m_pVB = nullptr;
        g_Log.Write(3, "CDX9KelBasePSEmitter::CreateVertexBuffer : CreateVertexBuffer failed \n");
        return false;
    }
    return true;
}

bool CDX9KelBasePSEmitter::CreateIndexBuffer(IDirect3DDevice9* pDevice)
{
    if (m_pIB || !pDevice) return false;
    if (m_dwMaxParticles < 1 || m_dwMaxParticles > KEL_PS_MAX_PARTICLES) return false;
    m_dwIndexCount = m_dwMaxParticles * kIndicesPerQuad;
    const UINT bytes = static_cast<UINT>(m_dwIndexCount * sizeof(DWORD));
    if (FAILED(pDevice->CreateIndexBuffer(bytes, 0, D3DFMT_INDEX32, D3DPOOL_MANAGED, &m_pIB, nullptr)) || !m_pIB) {
        m_pIB = nullptr;
        g_Log.Write(3, "CDX9KelBasePSEmitter::CreateIndexBuffer : CreateIndexBuffer failed \n");
        return false;
    }
    std::vector<DWORD> indices(m_dwIndexCount);
    for (DWORD k = 0; k < m_dwMaxParticles; ++k) {
        DWORD* q = &indices[k * kIndicesPerQuad];
        q[0] = 4 * k;
        q[1] = 4 * k + 1;
        q[2] = 4 * k + 2;
        q[3] = 4 * k + 2;
        q[4] = 4 * k + 1;
        q[5] = 4 * k + 3;
    }
    void* data = nullptr;
    if (FAILED(m_pIB->Lock(0, 0, &data, 0)) || !data) {
        g_Log.Write(3, "CDX9KelBasePSEmitter::CreateIndexBuffer : memcpy_s \n");
        return false;
    }
    std::memcpy(data, indices.data(), bytes);
    m_pIB->Unlock();
    return true;
}

void CDX9KelBasePSEmitter::InitParticles()
{
    m_vParticles.assign(m_dwMaxParticles, PSParticle());
    m_vFreeList.resize(m_dwMaxParticles);
    for (DWORD i = 0; i < m_dwMaxParticles; ++i) m_vFreeList[i] = m_dwMaxParticles - 1 - i;
    m_vVertices.assign(static_cast<std::size_t>(m_dwMaxParticles) * kVerticesPerQuad, PSVertex{});
    m_dwLiveCount = 0;
    m_vNotedSteps.clear();
    m_dwFirstStep = m_dwStepCount;
    SyncSlotBirths();
}

void CDX9KelBasePSEmitter::Release()
{
    SafeReleaseCom(m_pVB);
    SafeReleaseCom(m_pIB);
    for (CDX9KelBasePSEffector*& e : m_vEffectors) {
        delete e;
        e = nullptr;
    }
    m_vEffectors.clear();
    m_bInitialised = false;
    // Each emitter, a copy or the prototype read from the file, holds one
    // reference on its texture and effect.
    if (m_pResManager) {
        if (m_Params.pTexture) m_pResManager->ReleaseResource(m_Params.pTexture);
        if (m_Params.pEffect) m_pResManager->ReleaseResource(m_Params.pEffect);
        m_Params.pTexture = nullptr;
        m_Params.pEffect = nullptr;
    }
}

void CDX9KelBasePSEmitter::OnLost() { SafeReleaseCom(m_pVB); }

void CDX9KelBasePSEmitter::Restore(IDirect3DDevice9* pDevice)
{
    // A failure leaves no buffer; Render then draws nothing.
    CreateVertexBuffer(pDevice);
}

bool CDX9KelBasePSEmitter::AddEffector(CDX9KelBasePSEffector* pEffector)
{
    if (!pEffector) return false;
    for (const CDX9KelBasePSEffector* e : m_vEffectors)
        if (e && e->m_strName == pEffector->m_strName) return false;
    // The noted steps were the old effectors' steps.
    Settle();
    m_vEffectors.push_back(pEffector);
    return true;
}

bool CDX9KelBasePSEmitter::SetFrames(int n, int w, int h)
{
    if (!m_Params.pTexture || n < 1 || w < 1 || h < 1) return false;
    const DWORD W = m_Params.pTexture->m_dwWidth;
    const DWORD H = m_Params.pTexture->m_dwHeight;
    if (static_cast<DWORD>(w) > W || static_cast<DWORD>(h) > H) return false;
    const DWORD columns = W / static_cast<DWORD>(w);
    const DWORD rows = H / static_cast<DWORD>(h);
    const unsigned long long cells = static_cast<unsigned long long>(columns) * rows;
    if (static_cast<unsigned long long>(n) > cells) return false;
    m_Params.dwFramesCount = static_cast<DWORD>(n);
    m_Params.dwFrameWidth = static_cast<DWORD>(w);
    m_Params.dwFrameHeight = static_cast<DWORD>(h);
    m_Params.dwFrameColumns = columns;
    m_Params.dwFrameRows = rows;
    const float cw = 1.0f / static_cast<float>(columns);
    const float rh = 1.0f / static_cast<float>(rows);
    m_Params.FirstFrame = PSFrameRect{0.0f, 0.0f, cw, rh};
    m_Params.vFrames.clear();
    m_Params.vFrames.reserve(static_cast<std::size_t>(cells));
    for (unsigned long long i = 0; i < cells; ++i) {
        const float c = static_cast<float>(i % columns) / static_cast<float>(columns);
        const float r = static_cast<float>(i / columns) / static_cast<float>(rows);
        m_Params.vFrames.push_back(PSFrameRect{c, r, c + cw, r + rh});
    }
    return true;
}

void CDX9KelBasePSEmitter::ResetParticles()
{
    for (PSParticle& p : m_vParticles) p.bAlive = false;
    m_vFreeList.resize(m_vParticles.size());
    const DWORD n = static_cast<DWORD>(m_vParticles.size());
    for (DWORD i = 0; i < n; ++i) m_vFreeList[i] = n - 1 - i;
    m_fEmitterStartTime = -1.0f;
    m_fLastCreationTime = -1.0f;
    m_fLastReleaseTime = -1.0f;
    m_dwLiveCount = 0;
    m_vNotedSteps.clear();
    m_dwFirstStep = m_dwStepCount;
    SyncSlotBirths();
}

void CDX9KelBasePSEmitter::UpdateEmitterLife(float t)
{
    if (m_fEmitterStartTime == -1.0f) {
        m_fEmitterStartTime = t;
    } else if (m_fEmitterLife > 0.0f && t - m_fEmitterStartTime > m_fEmitterLife) {
        m_bEnabled = false;
        m_fEmitterStartTime = -1.0f;
    }
}

bool CDX9KelBasePSEmitter::SetStartVelocityVariation(float v)
{
    if (!(v >= 0.0f && v <= m_fStartVelocity)) return false;
    m_fStartVelocityVariation = v;
    m_bVariation = true;
    return true;
}

namespace {

bool SetDeflection(float a, float& bound, bool& flag)
{
    if (!(std::fabs(a) <= KEL_PS_MAX_DEFLECTION)) return false;
    bound = a;
    flag = true;
    return true;
}

} // namespace

bool CDX9KelBasePSEmitter::SetStartDeflectionMinXoY(float a) { return SetDeflection(a, m_fMinXoY, m_bDeflection); }
bool CDX9KelBasePSEmitter::SetStartDeflectionMaxXoY(float a) { return SetDeflection(a, m_fMaxXoY, m_bDeflection); }
bool CDX9KelBasePSEmitter::SetStartDeflectionMinXoZ(float a) { return SetDeflection(a, m_fMinXoZ, m_bDeflection); }
bool CDX9KelBasePSEmitter::SetStartDeflectionMaxXoZ(float a) { return SetDeflection(a, m_fMaxXoZ, m_bDeflection); }
bool CDX9KelBasePSEmitter::SetStartDeflectionMinZoY(float a) { return SetDeflection(a, m_fMinZoY, m_bDeflection); }
bool CDX9KelBasePSEmitter::SetStartDeflectionMaxZoY(float a) { return SetDeflection(a, m_fMaxZoY, m_bDeflection); }

void CDX9KelBasePSEmitter::EmitParticles(float t)
{
    if (m_fLastCreationTime == -1.0f) {
        m_fLastCreationTime = t;
    } else {
        if (t < m_fLastCreationTime + m_fCreationInterval) return;
        m_fLastCreationTime = t;
    }
    for (DWORD i = 0; i < m_dwParticlesToCreation && !m_vFreeList.empty(); ++i) {
        const DWORD slot = m_vFreeList.back();
        m_vFreeList.pop_back();
        ++m_dwLiveCount;
        PSParticle& p = m_vParticles[slot];
        p.bAlive = true;
        BirthParticle(p, t);
        if (slot < m_vSlotBirths.size()) m_vSlotBirths[slot] = p.fBirthTime;
    }
}

void CDX9KelBasePSEmitter::SyncSlotBirths()
{
    m_vSlotBirths.resize(m_vParticles.size());
    for (std::size_t i = 0; i < m_vParticles.size(); ++i)
        m_vSlotBirths[i] = m_vParticles[i].bAlive ? m_vParticles[i].fBirthTime : kDeadSlot;
}

void CDX9KelBasePSEmitter::BirthParticle(PSParticle& p, float t)
{
    // Direction, turned by the random deflection in an order that keeps the
    // turns meaningful for the main axis of the start direction.
    D3DXVECTOR3 d = m_vStartDirection;
    if (m_bDeflection) {
        const float aXoZ = CDX9KelUtils::GetRandomFloat(m_fMinXoZ, m_fMaxXoZ);
        const float aXoY = CDX9KelUtils::GetRandomFloat(m_fMinXoY, m_fMaxXoY);
        const float aZoY = CDX9KelUtils::GetRandomFloat(m_fMinZoY, m_fMaxZoY);
        if (d.x > 0.9f) {
            RotateVec3AroundZ(&d, aXoY);
            RotateVec3AroundY(&d, aXoZ);
            RotateVec3AroundX(&d, aZoY);
        } else if (d.y > 0.9f) {
            RotateVec3AroundZ(&d, aXoY);
            RotateVec3AroundX(&d, aZoY);
            RotateVec3AroundY(&d, aXoZ);
        } else {
            RotateVec3AroundX(&d, aZoY);
            RotateVec3AroundY(&d, aXoZ);
            RotateVec3AroundZ(&d, aXoY);
        }
    }
    if (m_Params.bParentInfluenceToStartDir)
        D3DXVec3TransformNormal(&p.vDirection, &d, &m_mWorld);
    else
        p.vDirection = d;

    p.fStartSpeed = m_fStartVelocity;
    if (m_bVariation) p.fStartSpeed += Vary(m_fStartVelocityVariation);
    p.vVelocity = p.fStartSpeed * p.vDirection;

    PlaceParticle(p);

    if (m_Params.fHalfHeightVariation >= 0.0f) {
        p.fStartHalfWidth = m_Params.fHalfWidth;
        if (m_Params.fHalfWidthVariation != 0.0f) p.fStartHalfWidth += Vary(m_Params.fHalfWidthVariation);
        p.fStartHalfHeight = m_Params.fHalfHeight;
        if (m_Params.fHalfHeightVariation != 0.0f) p.fStartHalfHeight += Vary(m_Params.fHalfHeightVariation);
    } else {
        const float r = Vary(m_Params.fHalfWidthVariation);
        p.fStartHalfWidth = m_Params.fHalfWidth + r;
        p.fStartHalfHeight = m_Params.fHalfHeight + r;
    }
    p.fHalfWidth = p.fStartHalfWidth;
    p.fHalfHeight = p.fStartHalfHeight;

    p.StartColor.a = VaryChannel(m_Params.Color.a, m_Params.ColorVariation.a);
    p.StartColor.r = VaryChannel(m_Params.Color.r, m_Params.ColorVariation.r);
    p.StartColor.g = VaryChannel(m_Params.Color.g, m_Params.ColorVariation.g);
    p.StartColor.b = VaryChannel(m_Params.Color.b, m_Params.ColorVariation.b);
    p.Color = p.StartColor;

    p.dwFrame = 0;
    p.Rect = m_Params.FirstFrame;
    p.fBirthTime = t;
    p.bLookDue = false;
    p.dwPendingStep = m_dwStepCount;
}

void CDX9KelBasePSEmitter::Update(float t, float dt, const D3DXVECTOR3* pEye, const D3DXVECTOR3* pLook,
                                  const D3DXVECTOR3* pUp, const D3DXMATRIX* pView)
{
    m_bFilled = false;
    if (!m_bInitialised) return;
    UpdateEmitterLife(t);
    if (!m_bEnabled) return;
    if (m_bBirth) EmitParticles(t);

    // The camera of this step: the quads turn towards it and the distance
    // sort measures from it when the vertices are filled for drawing.
    m_bCameraEye = pEye != nullptr;
    if (pEye) m_vCameraEye = *pEye;
    m_bCameraAxes = pLook && pUp;
    if (m_bCameraAxes) {
        m_vCameraLook = *pLook;
        m_vCameraUp = *pUp;
    }
    m_bFacingDue = true;

    const float s = m_Params.fAnimationSpeed * dt;
    m_dwReleased = 0;
    const bool releaseTick = m_fLastReleaseTime == -1.0f || !(t < m_fLastReleaseTime + m_fReleaseInterval);
    if (m_fLastReleaseTime == -1.0f) m_fLastReleaseTime = t;

    // The look is left to the drawing when every effector that changes it
    // can be worked out from the time of the last step alone; the whole step
    // is only noted when besides every effector steps each particle alone.
    bool lookAtDrawing = true;
    bool alone = true;
    for (const CDX9KelBasePSEffector* e : m_vEffectors) {
        if (!e) continue;
        if (e->ChangesOnlyLook() && !e->ChangesOnlyLookFromAge()) lookAtDrawing = false;
        if (!e->SteppedAlone()) alone = false;
    }
    const bool noted = lookAtDrawing && alone && m_vNotedSteps.size() < kMaxNotedSteps;
    // A step taken at once comes after the noted ones.
    if (!noted) Settle();

    const DWORD n = std::min<DWORD>(m_dwMaxParticles, static_cast<DWORD>(m_vParticles.size()));
    // Free slots are handed out lowest first, so the live particles sit at
    // the front: the walk stops once it has met all of them. The releases
    // depend only on the birth times, so they are settled first and the
    // particles that stay are stepped in slot order. A noted step walks the
    // particles only at a release tick.
    m_vStepSlots.clear();
    if (!noted) {
        DWORD pending = m_dwLiveCount;
        for (DWORD i = 0; i < n && pending > 0; ++i) {
            PSParticle& p = m_vParticles[i];
            if (!p.bAlive) continue;
            --pending;
            if (releaseTick && t - p.fBirthTime > m_Params.fLife && m_dwReleased < m_dwParticlesToRelease) {
                p.bAlive = false;
                --m_dwLiveCount;
                ++m_dwReleased;
                m_vFreeList.push_back(i);
                if (i < m_vSlotBirths.size()) m_vSlotBirths[i] = kDeadSlot;
                continue;
            }
            m_vStepSlots.push_back(i);
        }
    } else if (releaseTick) {
        // The same walk over the compact birth times: a noted step touches
        // no particle record but those it releases.
        if (m_vSlotBirths.size() != m_vParticles.size()) SyncSlotBirths();
        const float* births = m_vSlotBirths.data();
        DWORD pending = m_dwLiveCount;
        for (DWORD i = 0; i < n && pending > 0; ++i) {
            const float b = births[i];
            if (b == kDeadSlot) continue;
            --pending;
            if (t - b > m_Params.fLife && m_dwReleased < m_dwParticlesToRelease) {
                m_vParticles[i].bAlive = false;
                --m_dwLiveCount;
                ++m_dwReleased;
                m_vFreeList.push_back(i);
                m_vSlotBirths[i] = kDeadSlot;
            }
        }
    }
    if (m_dwReleased > 0) m_fLastReleaseTime = t;

    if (noted) {
        m_vNotedSteps.push_back(PSStep{t, s});
        ++m_dwStepCount;
        m_mNotedWorld = m_mWorld;
        return;
    }

    // Effector by effector over the stepped particles: each particle meets
    // the effectors in their order, and each effector meets the particles in
    // slot order, as one pass per particle would have it.
    PSParticle* particles = m_vParticles.data();
    const DWORD* slots = m_vStepSlots.data();
    const std::size_t count = m_vStepSlots.size();
    for (CDX9KelBasePSEffector* e : m_vEffectors) {
        if (!e || (lookAtDrawing && e->ChangesOnlyLook())) continue;
        e->ApplyAll(particles, slots, count, &m_Params, t, s);
    }

    ++m_dwStepCount;
    m_dwFirstStep = m_dwStepCount;
    for (std::size_t k = 0; k < count; ++k) {
        PSParticle& p = particles[slots[k]];
        D3DXMATRIX& placed = m_Params.bParentInfluence ? p.mLocal : p.mWorld;
        placed._41 += p.vVelocity.x * s;
        placed._42 += p.vVelocity.y * s;
        placed._43 += p.vVelocity.z * s;
        if (m_Params.bParentInfluence) D3DXMatrixMultiply(&p.mWorld, &p.mLocal, &m_mWorld);
        p.bLookDue = lookAtDrawing;
        p.fLookTime = t;
        p.dwPendingStep = m_dwStepCount;
    }
}

void CDX9KelBasePSEmitter::Settle()
{
    if (m_vNotedSteps.empty()) return;
    const bool parent = m_Params.bParentInfluence;
    const DWORD last = m_dwStepCount;
    for (PSParticle& p : m_vParticles) {
        if (!p.bAlive || p.dwPendingStep >= last) continue;
        const DWORD from = p.dwPendingStep > m_dwFirstStep ? p.dwPendingStep - m_dwFirstStep : 0;
        for (std::size_t k = from; k < m_vNotedSteps.size(); ++k) {
            const PSStep& step = m_vNotedSteps[k];
            for (CDX9KelBasePSEffector* e : m_vEffectors)
                if (e && !e->ChangesOnlyLook()) e->Apply(&p, &m_Params, step.t, step.s);
            D3DXMATRIX& placed = parent ? p.mLocal : p.mWorld;
            placed._41 += p.vVelocity.x * step.s;
            placed._42 += p.vVelocity.y * step.s;
            placed._43 += p.vVelocity.z * step.s;
        }
        // Each step placed the particle anew under the emitter; the last one stands.
        if (parent) D3DXMatrixMultiply(&p.mWorld, &p.mLocal, &m_mNotedWorld);
        p.bLookDue = true;
        p.fLookTime = m_vNotedSteps.back().t;
        p.dwPendingStep = last;
    }
    m_vNotedSteps.clear();
    m_dwFirstStep = last;
}

void CDX9KelBasePSEmitter::ApplyLook()
{
    bool any = false;
    for (const CDX9KelBasePSEffector* e : m_vEffectors)
        if (e && e->ChangesOnlyLook()) any = true;
    for (PSParticle& p : m_vParticles) {
        if (!p.bLookDue) continue;
        p.bLookDue = false;
        if (!any || !p.bAlive) continue;
        for (CDX9KelBasePSEffector* e : m_vEffectors)
            if (e && e->ChangesOnlyLook()) e->Apply(&p, &m_Params, p.fLookTime, 0.0f);
    }
}

void CDX9KelBasePSEmitter::FaceCamera()
{
    // Once per step, whatever the number of passes that draw it.
    if (!m_bFacingDue) return;
    m_bFacingDue = false;
    const bool facing = m_Params.bCameraInfluence && m_bCameraAxes;
    const bool measure = m_bCameraDistanceSort && m_bCameraEye;
    if (!facing && !measure) return;
    const D3DXVECTOR3 yAxis(0.0f, 1.0f, 0.0f);
    const D3DXVECTOR3 toCamera = -m_vCameraLook;
    for (PSParticle& p : m_vParticles) {
        if (!p.bAlive) continue;
        if (facing) {
            switch (m_Params.iCameraInfluenceType) {
            case 0: {
                const D3DXVECTOR3 up = Row(p.mWorld, 1);
                const float a = GetAngleBetweenVectors(&toCamera, &up);
                if (a >= 0.01f || a <= -0.01f) {
                    D3DXVECTOR3 axis;
                    D3DXVec3Cross(&axis, &toCamera, &up);
                    const D3DXVECTOR3 pivot = Row(p.mWorld, 3);
                    RotateMatrixAroundAxis(&p.mWorld, &pivot, &axis, -a);
                }
                break;
            }
            case 1: {
                D3DXVECTOR3 right;
                D3DXVec3Cross(&right, &m_vCameraUp, &m_vCameraLook);
                SetRow(p.mWorld, 0, right);
                SetRow(p.mWorld, 1, toCamera);
                SetRow(p.mWorld, 2, yAxis);
                break;
            }
            case 2: {
                D3DXVECTOR3 right, third;
                D3DXVec3Cross(&right, &m_vCameraUp, &m_vCameraLook);
                D3DXVec3Normalize(&right, &right);
                D3DXVec3Cross(&third, &yAxis, &right);
                D3DXVec3Normalize(&third, &third);
                SetRow(p.mWorld, 0, right);
                SetRow(p.mWorld, 1, yAxis);
                SetRow(p.mWorld, 2, third);
                const float a = GetSignedAngle(&yAxis, &m_vCameraLook, &yAxis);
                if (a >= 0.01f || a <= -0.01f) RotateMatrixLocalX(&p.mWorld, -a);
                break;
            }
            default:
                break;
            }
        }
        if (measure) {
            p.fCameraDistance = GetSquaredDistanceToMatrix(&m_vCameraEye, &p.mWorld);
            // The sort needs an order among all distances.
            if (std::isnan(p.fCameraDistance)) p.fCameraDistance = 0.0f;
        }
    }
}

void CDX9KelBasePSEmitter::FillVertices()
{
    Settle();
    ApplyLook();
    FaceCamera();
    if (m_bCameraDistanceSort) {
        std::sort(m_vParticles.begin(), m_vParticles.end(), [](const PSParticle& a, const PSParticle& b) {
            if (a.bAlive != b.bAlive) return a.bAlive;
            return a.bAlive && a.fCameraDistance > b.fCameraDistance;
        });
        m_vFreeList.clear();
        SyncSlotBirths();
    }
    std::size_t v = 0;
    const DWORD n = static_cast<DWORD>(m_vParticles.size());
    for (DWORD i = 0; i < n; ++i) {
        const PSParticle& p = m_vParticles[i];
        if (!p.bAlive) {
            if (m_bCameraDistanceSort) m_vFreeList.push_back(i);
            continue;
        }
        if (v + kVerticesPerQuad > m_vVertices.size()) break;
        const D3DXVECTOR3 c = Row(p.mWorld, 3);
        const D3DXVECTOR3 r = p.fHalfWidth * Row(p.mWorld, 0);
        const D3DXVECTOR3 l = p.fHalfHeight * Row(p.mWorld, 2);
        const D3DXVECTOR3 corners[4] = {c + r + l, c + r - l, c - r + l, c - r - l};
        const float us[4] = {p.Rect.u1, p.Rect.u1, p.Rect.u0, p.Rect.u0};
        const float vs[4] = {p.Rect.v0, p.Rect.v1, p.Rect.v0, p.Rect.v1};
        const DWORD color = PSPackColor(p.Color);
        for (int k = 0; k < 4; ++k)
            m_vVertices[v++] = PSVertex{corners[k].x, corners[k].y, corners[k].z, color, us[k], vs[k]};
    }
}

bool CDX9KelBasePSEmitter::VertexesInBuffer()
{
    if (!m_pVB) return false;
    void* data = nullptr;
    if (FAILED(m_pVB->Lock(0, 0, &data, D3DLOCK_DISCARD)) || !data) return false;
    const std::size_t bytes = std::min<std::size_t>(m_vVertices.size(), m_dwVertexCount) * sizeof(PSVertex);
    if (bytes == 0) {
        m_pVB->Unlock();
        g_Log.Write(3, "CDX9KelBasePSEmitter::VertexesInBuffer : memcpy_s \n");
        return false;
    }
    std::memcpy(data, m_vVertices.data(), bytes);
    m_pVB->Unlock();
    return true;
}

void CDX9KelBasePSEmitter::Render(IDirect3DDevice9* pDevice, float fValue, bool bSetTexture, int iValue)
{
    if (!m_bEnabled || !pDevice || !m_bInitialised) return;
    if (!m_bFilled) {
        FillVertices();
        if (!VertexesInBuffer()) return;
    }
    pDevice->SetRenderState(D3DRS_SRCBLEND, m_dwSrcBlend);
    pDevice->SetRenderState(D3DRS_DESTBLEND, m_dwDestBlend);
    if (m_dwAlphaRef != 0) pDevice->SetRenderState(D3DRS_ALPHAREF, m_dwAlphaRef);
    pDevice->SetFVF(KEL_PS_FVF);
    pDevice->SetStreamSource(0, m_pVB, 0, sizeof(PSVertex));
    pDevice->SetIndices(m_pIB);
    if (!m_Params.pEffect) {
        // The quads are in world space, whatever world transform was left
        // by what was drawn before.
        D3DXMATRIX identity;
        D3DXMatrixIdentity(&identity);
        pDevice->SetTransform(D3DTS_WORLD, &identity);
        if (bSetTexture && m_Params.pTexture) pDevice->SetTexture(0, m_Params.pTexture->m_pTexture);
        if (m_dwLiveCount > 0)
            pDevice->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, m_dwVertexCount, 0, m_dwLiveCount * 2);
    }
    m_bFilled = true;
}

} // namespace Vorna3D
