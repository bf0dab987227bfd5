#include "engine3/world/ocean/CVR3SkyArch.h"

#include "engine3/core/CDX9KelLog.h"
#include "engine3/core/render/CDX9KelBaseCameraManager.h"
#include "engine3/core/resources/CDX9KelGraphicsResManager.h"
#include "engine3/world/ocean/CDX9KelSkyHex.h"

namespace Vorna3D {

namespace {
const char* const kWorldParameter = "g_MatrixWorld";
const char* const kSkyMapParameter = "SkyMap";
} // namespace

CVR3SkyArch::CVR3SkyArch() : CDX9KelGraphicResourceGObject("sky") {}

CVR3SkyArch::~CVR3SkyArch() { Release(); }

bool CVR3SkyArch::Init(CDX9KelBaseCameraManager* pCameraManager, IDirect3DDevice9* pDevice) {
    if (!pCameraManager || !pDevice || !m_pResManager)
        return false;
    g_Log.Write(LOG_INFO, "%s", "CVR3SkyArch::Init() : Begin\n");
    m_pCameraManager = pCameraManager;
    m_pSkyTexture = m_pResManager->CreateTextureFromFile(m_strTextureFolder.c_str(), m_strTextureFile.c_str(), true, 0);
    if (!m_pSkyTexture || !m_pSkyTexture->m_pTexture) {
        g_Log.Write(LOG_ERROR, "%s", "CVR3SkyArch::Init : Not create sky texture\n");
        return false;
    }
    m_pSkyEffect = m_pResManager->CreateEffectFromFile(m_strEffectFolder.c_str(), m_strEffectFile.c_str());
    if (!m_pSkyEffect || !m_pSkyEffect->m_pEffect) {
        g_Log.Write(LOG_ERROR, "%s", "CDX9KelRenderSystem::LoadEffects() : Not create sky effect\n");
        if (m_pSkyEffect) m_pResManager->ReleaseResource(m_pSkyEffect);
        m_pSkyEffect = nullptr;
    } else {
        m_pSkyEffect->m_pEffect->SetTexture(kSkyMapParameter, m_pSkyTexture->m_pTexture);
    }
    if (!CDX9KelSkyHex::Init(pDevice, m_fRadius, m_fHeight, m_fRings, m_fSegments, &m_pVB, &m_pIB, &m_uVertexCount,
                             &m_uIndexCount))
        return false;
    g_Log.Write(LOG_INFO, "%s", "CVR3SkyArch::Init() : End\n");
    return true;
}

void CVR3SkyArch::Update(float) {
    if (!m_pCameraManager || !m_pCameraManager->m_pActiveCamera || !m_bShown || !m_bEnabled)
        return;
    const D3DXVECTOR3& eye = m_pCameraManager->m_pActiveCamera->m_vEye;
    m_mWorld._41 = eye.x;
    m_mWorld._43 = eye.z;
    if (m_pSkyEffect && m_pSkyEffect->m_pEffect)
        m_pSkyEffect->m_pEffect->SetMatrix(kWorldParameter, &m_mWorld);
}

void CVR3SkyArch::DrawMesh(IDirect3DDevice9* pDevice) {
    pDevice->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, m_uVertexCount, 0, m_uIndexCount / 3);
}

bool CVR3SkyArch::BeginDraw(IDirect3DDevice9* pDevice, DWORD* pFog) {
    if (!m_bShown || !m_pVB || !m_pIB || !pDevice || !m_pSkyTexture || !m_pSkyTexture->m_pTexture)
        return false;
    pDevice->SetStreamSource(0, m_pVB, 0, sizeof(CDX9KelSkyHex::SKYVERTEX));
    pDevice->SetFVF(CDX9KelSkyHex::kFVF);
    pDevice->SetIndices(m_pIB);
    *pFog = FALSE;
    pDevice->GetRenderState(D3DRS_FOGENABLE, pFog);
    if (*pFog)
        pDevice->SetRenderState(D3DRS_FOGENABLE, FALSE);
    return true;
}

void CVR3SkyArch::EndDraw(IDirect3DDevice9* pDevice, DWORD fog) {
    if (fog)
        pDevice->SetRenderState(D3DRS_FOGENABLE, TRUE);
}

void CVR3SkyArch::Render(IDirect3DDevice9* pDevice, float, int, int) {
    DWORD fog = FALSE;
    if (!BeginDraw(pDevice, &fog))
        return;
    if (m_pSkyEffect && m_pSkyEffect->m_pEffect) {
        ID3DXEffect* effect = m_pSkyEffect->m_pEffect;
        UINT passes = 0;
        if (SUCCEEDED(effect->Begin(&passes, 0))) {
            for (UINT p = 0; p < passes; ++p) {
                if (FAILED(effect->BeginPass(p)))
                    continue;
                DrawMesh(pDevice);
                effect->EndPass();
            }
            effect->End();
        }
    } else {
        pDevice->SetTransform(D3DTS_WORLD, &m_mWorld);
        pDevice->SetTexture(0, m_pSkyTexture->m_pTexture);
        DrawMesh(pDevice);
    }
    EndDraw(pDevice, fog);
}

int CVR3SkyArch::GetRenderTextureSlot() { return m_pSkyTexture ? m_pSkyTexture->m_iSlotIndex : -1; }

void CVR3SkyArch::RenderUnit(IDirect3DDevice9* pDevice, float, bool, const D3DXMATRIX*, UINT passes, UINT) {
    ID3DXEffect* effect = m_pSkyEffect ? m_pSkyEffect->m_pEffect : nullptr;
    DWORD fog = FALSE;
    if (!effect || !BeginDraw(pDevice, &fog))
        return;
    for (UINT p = 0; p < passes; ++p) {
        if (FAILED(effect->BeginPass(p)))
            continue;
        DrawMesh(pDevice);
        effect->EndPass();
    }
    EndDraw(pDevice, fog);
}

void CVR3SkyArch::ReleaseHeldResources() {
    if (m_pResManager) {
        if (m_pSkyTexture) m_pResManager->ReleaseResource(m_pSkyTexture);
        if (m_pSkyEffect) m_pResManager->ReleaseResource(m_pSkyEffect);
    }
    m_pSkyTexture = nullptr;
    m_pSkyEffect = nullptr;
}

void CVR3SkyArch::Release() {
    SafeReleaseCom(m_pVB);
    SafeReleaseCom(m_pIB);
    m_uVertexCount = 0;
    m_uIndexCount = 0;
}

} // namespace Vorna3D
