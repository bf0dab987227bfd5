#include "engine3/world/particles/CDX9KelParticlesSystem.h"

#include "engine3/world/particles/CDX9KelParticlesSystemsManager.h"

#include "engine3/core/CDX9KelLog.h"
#include "engine3/core/resources/CDX9KelGraphicResources.h"
#include "engine3/core/scene/CDX9KelSceneObject.h"

namespace Vorna3D {

CDX9KelParticlesSystem::CDX9KelParticlesSystem() : CDX9KelBaseResource(0)
{
    m_iKind = KEL_UNIT_PARTICLE_SYSTEM;
    m_bChanged = true;
    m_bPasses[2] = false;
    m_bPasses[3] = false;
}

CDX9KelParticlesSystem::~CDX9KelParticlesSystem()
{
    for (CDX9KelBasePSEmitter* e : m_vEmitters) {
        if (e) {
            e->Release();
            delete e;
        }
    }
}

void CDX9KelParticlesSystem::Release()
{
    for (CDX9KelBasePSEmitter* e : m_vEmitters) {
        if (e) {
            e->Release();
            delete e;
        }
    }
    m_vEmitters.clear();
}

void CDX9KelParticlesSystem::OnLost(int iValue)
{
    for (CDX9KelBasePSEmitter* e : m_vEmitters)
        if (e) e->OnLost();
}

void CDX9KelParticlesSystem::Restore(IDirect3DDevice9* pDevice)
{
    for (CDX9KelBasePSEmitter* e : m_vEmitters)
        if (e) e->Restore(pDevice);
}

bool CDX9KelParticlesSystem::AddEmitter(CDX9KelBasePSEmitter* pEmitter, IDirect3DDevice9* pDevice)
{
    if (!pEmitter) return false;
    if (FindEmitter(pEmitter->m_strName.c_str())) {
        g_Log.Write(3, "CDX9KelParticlesSystem::AddEmitter() : not unique name\n");
        return false;
    }
    if (!pEmitter->Init(pDevice)) {
        g_Log.Write(3, "CDX9KelParticlesSystem::AddEmitter() : pEmitter->Init() failed\n");
        return false;
    }
    m_vEmitters.push_back(pEmitter);
    return true;
}

CDX9KelBasePSEmitter* CDX9KelParticlesSystem::FindEmitter(const char* szName) const
{
    if (!szName) return nullptr;
    for (CDX9KelBasePSEmitter* e : m_vEmitters)
        if (e && e->m_strName == szName) return e;
    return nullptr;
}

void CDX9KelParticlesSystem::PlaceEmitter(CDX9KelBasePSEmitter& e) const
{
    const D3DXMATRIX& w = m_mWorld;
    switch (e.m_iSystemInfluenceToAxes) {
    case 0:
        e.m_mWorld._41 = w._41;
        e.m_mWorld._42 = w._42;
        e.m_mWorld._43 = w._43;
        break;
    case 2: {
        // Heading only: the emitter stays upright whatever the system's roll
        // and pitch.
        D3DXVECTOR3 right(w._11, 0.0f, w._13), third(w._31, 0.0f, w._33);
        D3DXVec3Normalize(&right, &right);
        D3DXVec3Normalize(&third, &third);
        e.m_mWorld._11 = right.x;
        e.m_mWorld._12 = right.y;
        e.m_mWorld._13 = right.z;
        e.m_mWorld._21 = 0.0f;
        e.m_mWorld._22 = 1.0f;
        e.m_mWorld._23 = 0.0f;
        e.m_mWorld._31 = third.x;
        e.m_mWorld._32 = third.y;
        e.m_mWorld._33 = third.z;
        e.m_mWorld._41 = w._41;
        e.m_mWorld._42 = w._42;
        e.m_mWorld._43 = w._43;
        break;
    }
    default:
        e.m_mWorld = w;
        break;
    }
}

void CDX9KelParticlesSystem::Update(float dt, const D3DXVECTOR3* pEye, const D3DXVECTOR3* pLook,
                                    const D3DXVECTOR3* pUp, const D3DXMATRIX* pView)
{
    if (!m_bPasses[1] || !m_bRunning) return;
    if (m_pOwner && !m_pOwner->m_bFlag2) return;
    m_bRunning = false;
    m_fClock += dt;
    for (CDX9KelBasePSEmitter* e : m_vEmitters) {
        if (!e || !e->m_bEnabled) continue;
        m_bRunning = true;
        if (m_bChanged) PlaceEmitter(*e);
        e->Update(m_fClock, dt, pEye, pLook, pUp, pView);
    }
    m_bChanged = false;
}

void CDX9KelParticlesSystem::Start()
{
    m_bRunning = true;
    if (m_pManager) m_pManager->Wake(this);
    for (CDX9KelBasePSEmitter* e : m_vEmitters)
        if (e) e->m_bEnabled = true;
}

void CDX9KelParticlesSystem::Stop()
{
    m_bRunning = false;
    for (CDX9KelBasePSEmitter* e : m_vEmitters) {
        if (e) {
            e->m_bEnabled = false;
            e->m_fEmitterStartTime = -1.0f;
        }
    }
}

void CDX9KelParticlesSystem::SetParticlesBirth(bool bOn)
{
    for (CDX9KelBasePSEmitter* e : m_vEmitters)
        if (e) e->m_bBirth = bOn;
}

void CDX9KelParticlesSystem::ResetParticles()
{
    for (CDX9KelBasePSEmitter* e : m_vEmitters)
        if (e) e->ResetParticles();
}

CDX9KelGraphicResourceEffect* CDX9KelParticlesSystem::GetRenderEffect()
{
    for (CDX9KelBasePSEmitter* e : m_vEmitters)
        if (e && e->m_bEnabled && e->m_Params.pEffect && e->m_Params.pEffect->m_pEffect) return e->m_Params.pEffect;
    return nullptr;
}

int CDX9KelParticlesSystem::GetRenderTextureSlot()
{
    for (CDX9KelBasePSEmitter* e : m_vEmitters)
        if (e && e->m_bEnabled && e->m_Params.pTexture) return e->m_Params.pTexture->m_iSlotIndex;
    return -1;
}

void CDX9KelParticlesSystem::RenderUnit(IDirect3DDevice9* pDevice, float fTimeStep, bool bTextureChanged,
                                        const D3DXMATRIX* pViewProj, UINT passes, UINT passCode)
{
    if (!pDevice) return;
    CDX9KelGraphicResourceEffect* runEffect = GetRenderEffect();
    std::vector<CDX9KelBasePSEmitter*> active;
    CollectActiveEmitters(active);
    for (CDX9KelBasePSEmitter* e : active) {
        CDX9KelGraphicResourceEffect* effect = e->m_Params.pEffect;
        if (!effect || !effect->m_pEffect) {
            e->Render(pDevice, fTimeStep, true, 0);
            continue;
        }
        // An emitter with another effect than the one the pass began is drawn
        // through its own, with the technique of the same slot.
        if (effect != runEffect) {
            RenderWithOwnEffect(pDevice, fTimeStep, e, runEffect);
            continue;
        }
        DrawEmitterPasses(pDevice, fTimeStep, e, passes);
    }
}

void CDX9KelParticlesSystem::DrawEmitterPasses(IDirect3DDevice9* pDevice, float fTimeStep, CDX9KelBasePSEmitter* e,
                                               UINT passes)
{
    ID3DXEffect* fx = e->m_Params.pEffect->m_pEffect;
    IDirect3DBaseTexture9* texture = e->m_Params.pTexture ? e->m_Params.pTexture->m_pTexture : nullptr;
    for (UINT p = 0; p < passes; ++p) {
        if (FAILED(fx->BeginPass(p))) continue;
        e->Render(pDevice, fTimeStep, false, 0);
        if (texture) fx->SetTexture(KEL_PS_TEXTURE_PARAMETER, texture);
        fx->CommitChanges();
        if (e->m_bFilled && e->m_dwLiveCount > 0)
            pDevice->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, e->m_dwVertexCount, 0, e->m_dwLiveCount * 2);
        fx->EndPass();
    }
}

void CDX9KelParticlesSystem::RenderWithOwnEffect(IDirect3DDevice9* pDevice, float fTimeStep, CDX9KelBasePSEmitter* e,
                                                 CDX9KelGraphicResourceEffect* runEffect)
{
    CDX9KelGraphicResourceEffect* effect = e->m_Params.pEffect;
    ID3DXEffect* fx = effect->m_pEffect;
    // The technique the render system chose for the run, found among the
    // run effect's technique slots, names the slot to take here too.
    D3DXHANDLE technique = nullptr;
    const D3DXHANDLE current = runEffect && runEffect->m_pEffect ? runEffect->m_pEffect->GetCurrentTechnique() : nullptr;
    for (int slot = KEL_H_TECH_HIGHT; current && slot <= KEL_H_TECH_SHADOW && !technique; ++slot)
        if (runEffect->m_hHandles[slot] == current) technique = effect->m_hHandles[slot];
    if (!technique) technique = effect->m_hHandles[KEL_H_TECH_LOW];
    UINT passes = 0;
    if (!technique || FAILED(fx->SetTechnique(technique)) || FAILED(fx->Begin(&passes, 0))) return;
    DrawEmitterPasses(pDevice, fTimeStep, e, passes);
    fx->End();
}

void CDX9KelParticlesSystem::CollectActiveEmitters(std::vector<CDX9KelBasePSEmitter*>& list) const
{
    for (CDX9KelBasePSEmitter* e : m_vEmitters)
        if (e && e->m_bEnabled) list.push_back(e);
}

} // namespace Vorna3D
