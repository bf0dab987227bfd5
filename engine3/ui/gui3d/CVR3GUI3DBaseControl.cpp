#include "engine3/ui/gui3d/CVR3GUI3DBaseControl.h"

#include <cmath>
#include <cstring>

#include "engine3/core/CDX9KelLog.h"
#include "engine3/core/resources/CDX9KelGraphicResources.h"
#include "engine3/ui/gui3d/CVR3GUI3DDialog.h"
#include "engine3/ui/gui3d/CVR3GUI3DManager.h"

namespace Vorna3D {

namespace {
constexpr DWORD kQuadVertices = 4;
constexpr DWORD kQuadIndices = 6;
constexpr DWORD kQuadPattern[kQuadIndices] = {0, 1, 2, 2, 1, 3};

bool InUnit(float v) { return v >= 0.0f && v <= 1.0f; }
} // namespace

CVR3GUI3DBaseControl::CVR3GUI3DBaseControl() { m_iKind = KEL_UNIT_GUI3D; }

CVR3GUI3DBaseControl::~CVR3GUI3DBaseControl() { ReleaseBuffers(); }

BYTE CVR3GUI3DBaseControl::ColorByte(float c) {
    if (c > 1.0f)
        return 255;
    if (!(c > 0.0f)) // also NaN
        return 0;
    return static_cast<BYTE>(static_cast<int>(c * 255.0f + 0.5f));
}

D3DCOLOR CVR3GUI3DBaseControl::PackedColor() const {
    return (DWORD(ColorByte(m_Color[3])) << 24) | (DWORD(ColorByte(m_Color[0])) << 16) |
           (DWORD(ColorByte(m_Color[1])) << 8) | DWORD(ColorByte(m_Color[2]));
}

bool CVR3GUI3DBaseControl::WriteVertices(float z) {
    if (!m_pVB || m_dwVertexCount != kQuadVertices)
        return false;
    void* data = nullptr;
    if (FAILED(m_pVB->Lock(0, 0, &data, 0)) || !data)
        return false;
    const float l = m_Rect[0], t = m_Rect[1], r = m_Rect[2], b = m_Rect[3];
    const float uL = m_TexCoords[0], vT = m_TexCoords[1], uR = m_TexCoords[2], vB = m_TexCoords[3];
    const D3DCOLOR c = PackedColor();
    const GUI3DVertex quad[kQuadVertices] = {
        {l, b, z, c, uL, vB}, {l, t, z, c, uL, vT}, {r, b, z, c, uR, vB}, {r, t, z, c, uR, vT}};
    std::memcpy(data, quad, sizeof quad);
    m_pVB->Unlock();
    return true;
}

bool CVR3GUI3DBaseControl::SetRect(float left, float top, float right, float bottom) {
    if (!(right - left > 0.0f) || !(bottom - top > 0.0f))
        return false;
    if (left == m_Rect[0] && top == m_Rect[1] && right == m_Rect[2] && bottom == m_Rect[3])
        return true;
    m_Rect[0] = left;
    m_Rect[1] = top;
    m_Rect[2] = right;
    m_Rect[3] = bottom;
    // The box in pixels around the dialog's point, kept in the two spare vectors.
    m_vReserved1 = D3DXVECTOR3(left, top, 0.0f);
    m_vReserved2 = D3DXVECTOR3(right, bottom, 0.0f);
    const float w = right - left, h = bottom - top;
    m_fRadius = 0.5f * std::sqrt(w * w + h * h);
    m_bChanged = true;
    if (m_pVB && m_dwVertexCount == kQuadVertices)
        WriteVertices(GUI3D_RECT_Z);
    return true;
}

bool CVR3GUI3DBaseControl::SetTextureCoordinates(float leftU, float topV, float rightU, float bottomV) {
    if (!InUnit(leftU) || !InUnit(topV) || !InUnit(rightU) || !InUnit(bottomV))
        return false;
    m_TexCoords[0] = leftU;
    m_TexCoords[1] = topV;
    m_TexCoords[2] = rightU;
    m_TexCoords[3] = bottomV;
    if (!m_pVB || m_dwVertexCount != kQuadVertices)
        return true;
    void* data = nullptr;
    if (FAILED(m_pVB->Lock(0, 0, &data, 0)) || !data)
        return false;
    auto* v = static_cast<GUI3DVertex*>(data);
    v[0].u = leftU;
    v[0].v = bottomV;
    v[1].u = leftU;
    v[1].v = topV;
    v[2].u = rightU;
    v[2].v = bottomV;
    v[3].u = rightU;
    v[3].v = topV;
    m_pVB->Unlock();
    return true;
}

bool CVR3GUI3DBaseControl::CreateVertexBuffer(IDirect3DDevice9* pDevice) {
    if (m_pVB || m_dwVertexCount == 0)
        return m_pVB != nullptr;
    if (!pDevice || FAILED(pDevice->CreateVertexBuffer(m_dwVertexCount * sizeof(GUI3DVertex), D3DUSAGE_WRITEONLY,
                                                       GUI3D_VERTEX_FVF, D3DPOOL_MANAGED, &m_pVB, nullptr))) {
        m_pVB = nullptr;
        g_Log.Write(3, "CVR3GUI3DBaseControl::CreateVertexBuffer : CreateVertexBuffer failed \n");
        return false;
    }
    return true;
}

bool CVR3GUI3DBaseControl::CreateIndexBuffer(IDirect3DDevice9* pDevice) {
    if (m_pIB || m_dwIndexCount == 0)
        return m_pIB != nullptr;
    if (!pDevice || FAILED(pDevice->CreateIndexBuffer(m_dwIndexCount * sizeof(DWORD), 0, D3DFMT_INDEX32,
                                                      D3DPOOL_MANAGED, &m_pIB, nullptr))) {
        m_pIB = nullptr;
        g_Log.Write(3, "CVR3GUI3DBaseControl::CreateIndexBuffer : CreateIndexBuffer failed \n");
        return false;
    }
    void* data = nullptr;
    if (FAILED(m_pIB->Lock(0, 0, &data, 0)) || !data) {
        g_Log.Write(3, "CVR3GUI3DBaseControl::CreateIndexBuffer : memcpy_s \n");
        return false;
    }
    auto* idx = static_cast<DWORD*>(data);
    for (DWORD i = 0; i < m_dwIndexCount; ++i)
        idx[i] = (i / kQuadIndices) * kQuadVertices + kQuadPattern[i % kQuadIndices];
    m_pIB->Unlock();
    return true;
}

bool CVR3GUI3DBaseControl::Init(IDirect3DDevice9* pDevice, CVR3GUI3DDialog* pDialog,
                                CDX9KelGraphicResourceTexture* pTexture, CDX9KelGraphicResourceEffect* pEffect,
                                float left, float top, float right, float bottom, const D3DXCOLOR& color) {
    if (!SetRect(left, top, right, bottom))
        return false;
    m_Color[0] = color.r;
    m_Color[1] = color.g;
    m_Color[2] = color.b;
    m_Color[3] = color.a;
    m_pDialog = pDialog;
    m_pTexture = pTexture;
    m_pEffect = pEffect;
    m_dwVertexCount = kQuadVertices;
    m_dwIndexCount = kQuadIndices;
    if (!CreateVertexBuffer(pDevice) || !CreateIndexBuffer(pDevice))
        return false;
    return WriteVertices(GUI3D_INIT_Z);
}

bool CVR3GUI3DBaseControl::IsDrawn() const {
    return m_bVisible && m_pDialog && m_pDialog->m_bVisibleByAngle && m_pDialog->m_bVisible && m_pTexture &&
           m_pTexture->m_pTexture && m_pVB;
}

int CVR3GUI3DBaseControl::GetRenderTextureSlot() { return m_pTexture ? m_pTexture->m_iSlotIndex : -1; }

void CVR3GUI3DBaseControl::RenderUnit(IDirect3DDevice9* pDevice, float fTimeStep, bool bTextureChanged,
                                      const D3DXMATRIX* pViewProj, UINT passes, UINT passCode) {
    ID3DXEffect* pEffect = m_pEffect ? m_pEffect->m_pEffect : nullptr;
    if (!pDevice || !pEffect || !IsDrawn())
        return;
    const CVR3GUI3DManager* pManager = m_pDialog->m_pManager;
    const float width = pManager ? static_cast<float>(pManager->m_iClientWidth) : 0.0f;
    const float height = pManager ? static_cast<float>(pManager->m_iClientHeight) : 0.0f;
    if (!(width > 0.0f) || !(height > 0.0f))
        return;
    // Pixels with y down: the projection's negative height turns y over.
    D3DXMATRIX projection, transform;
    D3DXMatrixOrthoLH(&projection, width, -height, GUI3D_SCREEN_NEAR, GUI3D_SCREEN_FAR);
    D3DXMatrixMultiply(&transform, &m_pDialog->m_mScreen, &projection);
    pEffect->SetMatrix(GUI3D_EFFECT_MATRIX, &transform);
    pEffect->SetTexture(GUI3D_EFFECT_TEXTURE, m_pTexture->m_pTexture);
    for (UINT pass = 0; pass < passes; ++pass) {
        if (FAILED(pEffect->BeginPass(pass)))
            continue;
        pEffect->CommitChanges();
        Render(pDevice, fTimeStep, bTextureChanged);
        pEffect->EndPass();
    }
}

void CVR3GUI3DBaseControl::Render(IDirect3DDevice9* pDevice, float fElapsed, bool bTextureChanged) {
    if (!pDevice || !IsDrawn())
        return;
    pDevice->SetStreamSource(0, m_pVB, 0, sizeof(GUI3DVertex));
    pDevice->SetTransform(D3DTS_WORLD, &m_pDialog->m_mScreen);
    pDevice->SetTexture(0, m_pTexture->m_pTexture);
    if (m_pIB) {
        pDevice->SetIndices(m_pIB);
        pDevice->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, m_dwVertexCount, 0, m_dwIndexCount / 3);
    } else {
        pDevice->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, m_dwVertexCount / 2);
    }
}

void CVR3GUI3DBaseControl::ReleaseBuffers() {
    SafeReleaseCom(m_pVB);
    SafeReleaseCom(m_pIB);
}

} // namespace Vorna3D
