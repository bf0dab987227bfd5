#include "engine2/ui/gui/CDX9KelGUIControl.h"

#include "engine2/core/resources/CDX9KelGraphicsResManager.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine2/ui/gui/CDX9KelGUIDialog.h"
#include "engine2/ui/gui/CDX9KelGUIManager.h"

namespace Vorna2 {

namespace {
float Channel(D3DCOLOR c, int shift) { return static_cast<float>((c >> shift) & 0xFFu) / 255.0f; }
DWORD ToByte(float x) {
    int v = static_cast<int>(x * 255.0f + 0.5f);
    return static_cast<DWORD>(std::clamp(v, 0, 255));
}
} // namespace

GUIColourF GUIColourFromArgb(D3DCOLOR c) { return {Channel(c, 24), Channel(c, 16), Channel(c, 8), Channel(c, 0)}; }

D3DCOLOR GUIColourToArgb(const GUIColourF& c) {
    return (ToByte(c.a) << 24) | (ToByte(c.r) << 16) | (ToByte(c.g) << 8) | ToByte(c.b);
}

D3DCOLOR GUIColourScale(D3DCOLOR c, float f) {
    GUIColourF v = GUIColourFromArgb(c);
    return GUIColourToArgb({v.a * f, v.r * f, v.g * f, v.b * f});
}

D3DCOLOR GUIColourAdjustContrast(D3DCOLOR c, float k) {
    GUIColourF v = GUIColourFromArgb(c);
    auto adjust = [k](float x) { return 0.5f + k * (x - 0.5f); };
    return GUIColourToArgb({v.a, adjust(v.r), adjust(v.g), adjust(v.b)});
}

CDX9KelGUIControl::CDX9KelGUIControl() { D3DXMatrixIdentity(&m_matWorld); }

CDX9KelGUIControl::~CDX9KelGUIControl() { CDX9KelGUIControl::Release(); }

CDX9KelGUIManager* CDX9KelGUIControl::GetManager() const { return m_pDialog ? m_pDialog->m_pManager : nullptr; }

IDirect3DDevice9* CDX9KelGUIControl::GetDevice() const {
    CDX9KelGUIManager* manager = GetManager();
    return manager ? manager->m_pDevice : nullptr;
}

void CDX9KelGUIControl::Render(bool, unsigned) {}

int CDX9KelGUIControl::UpdateMouse(const POINT& cursor) {
    if (!m_pDialog || !m_bVisible || !m_bEnabled || !m_pDialog->m_bVisible || !m_pDialog->m_bProc) return -1;
    if (GUIPointInRect(m_Rect, cursor) && !m_pDialog->m_bDragging && !m_pDialog->m_bPopUpOpen) {
        m_bMouseOver = true;
        m_pDialog->m_iHoveredControl = m_iID;
        return 1;
    }
    m_bMouseOver = false;
    return 0;
}

void CDX9KelGUIControl::Release() {
    ReleaseGUIObject(m_pVB);
    ReleaseGUIObject(m_pIB);
}

void CDX9KelGUIControl::SetScreenWorld() {
    CDX9KelGUIManager* manager = GetManager();
    if (!manager) return;
    D3DXMatrixTranslation(&m_matWorld, -static_cast<float>(manager->m_iClientWidth / 2) - 0.5f,
                          -static_cast<float>(manager->m_iClientHeight / 2) - 0.5f, 0.0f);
}

bool CDX9KelGUIControl::WriteQuadPositions() {
    if (!m_pVB || !m_pDialog) return true;
    void* data = nullptr;
    if (FAILED(m_pVB->Lock(0, 0, &data, 0)) || !data) return false;
    auto* v = static_cast<GUIVertex*>(data);
    const float l = static_cast<float>(m_Rect.left), t = static_cast<float>(m_Rect.top);
    const float r = static_cast<float>(m_Rect.right), b = static_cast<float>(m_Rect.bottom);
    v[0].x = l, v[0].y = b;
    v[1].x = l, v[1].y = t;
    v[2].x = r, v[2].y = b;
    v[3].x = r, v[3].y = t;
    for (int i = 0; i < 4; ++i) v[i].z = kGUIVertexZ;
    m_pVB->Unlock();
    SetScreenWorld();
    return true;
}

bool CDX9KelGUIControl::CreateQuad(D3DCOLOR colour) {
    IDirect3DDevice9* device = GetDevice();
    if (!device) return false;
    ReleaseGUIObject(m_pVB);
    if (FAILED(device->CreateVertexBuffer(4 * sizeof(GUIVertex), D3DUSAGE_WRITEONLY, kGUIVertexFVF, D3DPOOL_MANAGED,
                                          &m_pVB, nullptr)))
        return false;
    void* data = nullptr;
    if (FAILED(m_pVB->Lock(0, 0, &data, 0)) || !data) return false;
    const float l = static_cast<float>(m_Rect.left), t = static_cast<float>(m_Rect.top);
    const float r = static_cast<float>(m_Rect.right), b = static_cast<float>(m_Rect.bottom);
    const GUIVertex quad[4] = {{l, b, kGUIVertexZ, colour, 0.0f, 1.0f},
                               {l, t, kGUIVertexZ, colour, 0.0f, 0.0f},
                               {r, b, kGUIVertexZ, colour, 1.0f, 1.0f},
                               {r, t, kGUIVertexZ, colour, 1.0f, 0.0f}};
    std::memcpy(data, quad, sizeof quad);
    m_pVB->Unlock();
    SetScreenWorld();
    return true;
}

bool CDX9KelGUIControl::SetColor(D3DCOLOR argb) {
    m_dwColor = argb;
    if (!m_pVB) return true;
    void* data = nullptr;
    if (FAILED(m_pVB->Lock(0, 0, &data, 0)) || !data) return false;
    auto* v = static_cast<GUIVertex*>(data);
    for (int i = 0; i < 4; ++i) v[i].colour = argb;
    m_pVB->Unlock();
    return true;
}

bool CDX9KelGUIControl::SetRect(int left, int top, int right, int bottom) {
    if (bottom - top < 1 || right - left < 1) return false;
    m_Rect = {left, top, right, bottom};
    return WriteQuadPositions();
}

bool CDX9KelGUIControl::MoveTo(int x, int y) {
    if (x == m_Rect.left && y == m_Rect.top) return true;
    OffsetGUIRect(m_Rect, x - m_Rect.left, y - m_Rect.top);
    return WriteQuadPositions();
}

bool CDX9KelGUIControl::Resize(int width, int height) {
    if (width == 0 || height == 0 || !m_pDialog) return false;
    m_Rect.right = m_Rect.left + width;
    m_Rect.bottom = m_Rect.top + height;
    return WriteQuadPositions();
}

bool CDX9KelGUIControl::MoveBy(int dx, int dy) {
    if (dx == 0 && dy == 0) return false;
    D3DXMATRIX t;
    D3DXMatrixTranslation(&t, static_cast<float>(dx), static_cast<float>(dy), 0.0f);
    D3DXMatrixMultiply(&m_matWorld, &m_matWorld, &t);
    OffsetGUIRect(m_Rect, dx, dy);
    return true;
}

ID3DXEffect* CDX9KelGUIControl::BindForDrawing(bool setTexture, unsigned passes) {
    IDirect3DDevice9* device = GetDevice();
    ID3DXEffect* fx = m_pEffect && passes > 0 ? m_pEffect->m_pEffect : nullptr;
    if (!fx) {
        device->SetTransform(D3DTS_WORLD, &m_matWorld);
        if (setTexture) device->SetTexture(0, m_pTexture);
        return nullptr;
    }
    if (D3DXHANDLE h = m_pEffect->Handle(KEL_FX_MATRIX_WORLD)) fx->SetMatrix(h, &m_matWorld);
    if (D3DXHANDLE h = m_pEffect->Handle(KEL_FX_MATRIX_WORLD_VIEW_PROJ)) {
        // The GUI pass's screen transforms stand on the device.
        D3DXMATRIX view, projection, all;
        device->GetTransform(D3DTS_VIEW, &view);
        device->GetTransform(D3DTS_PROJECTION, &projection);
        D3DXMatrixMultiply(&all, &m_matWorld, &view);
        D3DXMatrixMultiply(&all, &all, &projection);
        fx->SetMatrix(h, &all);
    }
    if (setTexture) {
        if (D3DXHANDLE h = m_pEffect->Handle(KEL_FX_TEXTURE_MAIN)) fx->SetTexture(h, m_pTexture);
        if (D3DXHANDLE h = m_pEffect->Handle(KEL_FX_TEXTURE_NORMAL); h && m_pTexture2) fx->SetTexture(h, m_pTexture2);
    }
    return fx;
}

void CDX9KelGUIControl::DrawQuad(bool setTexture, unsigned passes, const RECT* clip) {
    IDirect3DDevice9* device = GetDevice();
    if (!m_bVisible || !m_pTexture || !m_pDialog || !m_pVB || !device) return;
    device->SetStreamSource(0, m_pVB, 0, sizeof(GUIVertex));
    device->SetFVF(kGUIVertexFVF);
    if (clip) {
        device->SetRenderState(D3DRS_SCISSORTESTENABLE, TRUE);
        device->SetScissorRect(clip);
    }
    DrawBound(setTexture, passes, [device] { device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2); });
    if (clip) device->SetRenderState(D3DRS_SCISSORTESTENABLE, FALSE);
}

} // namespace Vorna2
