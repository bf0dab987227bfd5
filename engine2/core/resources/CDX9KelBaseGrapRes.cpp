#include "engine2/core/resources/CDX9KelBaseGrapRes.h"

#include "engine2/core/CDX9KelLog.h"
#include "engine2/core/resources/CDX9KelGraphicsResManager.h"

#include <cstring>

namespace Vorna2 {

static_assert(sizeof(CDX9KelPLANE::Vertex) == 36);

void CDX9KelBaseGrapRes::SetName(const char* name) {
    std::memset(m_szName, 0, sizeof m_szName);
    if (name) std::strncpy(m_szName, name, kNameSize - 1);
}

CDX9KelPLANE::CDX9KelPLANE() { D3DXMatrixIdentity(&m_mWorld); }

CDX9KelPLANE::~CDX9KelPLANE() { Release(); }

bool CDX9KelPLANE::Init(IDirect3DDevice9* device, IDirect3DBaseTexture9* texture, float size, D3DCOLOR color) {
    if (!device || !(size > 0.0f)) return false;
    m_pTexture = texture;
    const float s = size / 2.0f;
    const Vertex v[4] = {{-s, 0, -s, 0, 1, 0, color, 0, 1},
                         {-s, 0, s, 0, 1, 0, color, 0, 0},
                         {s, 0, -s, 0, 1, 0, color, 1, 1},
                         {s, 0, s, 0, 1, 0, color, 1, 0}};
    SafeReleaseCom(m_pVB);
    if (FAILED(device->CreateVertexBuffer(sizeof v, 0, kFVF, D3DPOOL_MANAGED, &m_pVB, nullptr))) return false;
    void* data = nullptr;
    if (FAILED(m_pVB->Lock(0, sizeof v, &data, 0)) || !data) {
        g_Log.Write(LOG_ERROR, "%s", "Error : CDX9KelPLANE::Init : memcpy_s \n");
        SafeReleaseCom(m_pVB);
        return false;
    }
    std::memcpy(data, v, sizeof v);
    m_pVB->Unlock();
    return true;
}

D3DXMATRIX CDX9KelPLANE::GetDrawMatrix() const {
    D3DXMATRIX m = m_mWorld;
    if (m_pFollowMatrix) {
        m._41 = m_pFollowMatrix->_41;
        m._43 = m_pFollowMatrix->_43;
        if (m_pFollowMatrix->_42 >= 0.25f) m._42 += m_pFollowMatrix->_42;
    }
    return m;
}

void CDX9KelPLANE::Render(IDirect3DDevice9* device, CDX9KelEffect* effect, bool useTexture, UINT passCount) {
    if (!m_bVisible || !m_pVB || !device) return;
    const D3DXMATRIX world = GetDrawMatrix();
    device->SetTransform(D3DTS_WORLD, &world);
    if (useTexture) device->SetTexture(0, m_pTexture);
    device->SetStreamSource(0, m_pVB, 0, sizeof(Vertex));
    device->SetFVF(kFVF);
    if (!effect || !effect->m_pEffect) {
        device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
        return;
    }
    ID3DXEffect* fx = effect->m_pEffect;
    D3DXMATRIX wvp;
    D3DXMatrixMultiply(&wvp, &world, &effect->m_mViewProjection);
    if (effect->Handle(KEL_FX_MATRIX_WORLD)) fx->SetMatrix(effect->Handle(KEL_FX_MATRIX_WORLD), &world);
    if (effect->Handle(KEL_FX_MATRIX_WORLD_VIEW_PROJ))
        fx->SetMatrix(effect->Handle(KEL_FX_MATRIX_WORLD_VIEW_PROJ), &wvp);
    if (effect->Handle(KEL_FX_TEXTURE_MAIN)) fx->SetTexture(effect->Handle(KEL_FX_TEXTURE_MAIN), m_pTexture);
    for (UINT p = 0; p < passCount; ++p) {
        fx->BeginPass(p);
        fx->CommitChanges();
        device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
        fx->EndPass();
    }
}

void CDX9KelPLANE::Release() { SafeReleaseCom(m_pVB); }

} // namespace Vorna2
