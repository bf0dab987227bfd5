#include "engine3/ui/sgui/CDX9KelSGUIBaseControl.h"

#include <cstring>

#include "engine3/core/CDX9KelLog.h"
#include "engine3/core/CDX9KelUtils.h"
#include "engine3/core/resources/CDX9KelGraphicResources.h"
#include "engine3/ui/sgui/CDX9KelSGUIDialog.h"
#include "engine3/ui/sgui/CDX9KelSGUIManager.h"

namespace Vorna3D {

CDX9KelSGUIBaseControl::CDX9KelSGUIBaseControl() { D3DXMatrixIdentity(&m_mWorld); }

CDX9KelSGUIBaseControl::~CDX9KelSGUIBaseControl() { ReleaseBuffers(); }

CDX9KelSGUIManager* CDX9KelSGUIBaseControl::GetManager() const {
    return m_pDialog ? m_pDialog->GetManager() : nullptr;
}

void CDX9KelSGUIBaseControl::GetScreenTranslation(D3DXMATRIX* out) const {
    const CDX9KelSGUIManager* manager = GetManager();
    const LONG halfW = manager ? manager->m_iClientWidth / 2 : 0;
    const LONG halfH = manager ? manager->m_iClientHeight / 2 : 0;
    // Pixel edges lie on whole coordinates here and pixel centres half a
    // pixel in: a shift by half a pixel would put every screen pixel of a
    // point-filtered glyph on the border between two texels, so that glyphs
    // lose or double columns and rows.
    D3DXMatrixTranslation(out, -static_cast<float>(halfW), -static_cast<float>(halfH), 0.0f);
}

BYTE CDX9KelSGUIBaseControl::ColorByte(float c) {
    if (!(c > 0.0f)) return 0;  // NaN reads as 0 too
    if (c >= 1.0f) return 255;
    return static_cast<BYTE>(static_cast<int>(c * 255.0f + 0.5f));
}

D3DCOLOR CDX9KelSGUIBaseControl::PackColor(float r, float g, float b, float a) {
    return (static_cast<D3DCOLOR>(ColorByte(a)) << 24) | (static_cast<D3DCOLOR>(ColorByte(r)) << 16) |
           (static_cast<D3DCOLOR>(ColorByte(g)) << 8) | static_cast<D3DCOLOR>(ColorByte(b));
}

void CDX9KelSGUIBaseControl::WriteQuad(SGUIVertex* v, float left, float top, float right, float bottom,
                                       D3DCOLOR color, float leftU, float topV, float rightU, float bottomV) {
    v[0] = {left, bottom, SGUI_VERTEX_Z, color, leftU, bottomV};
    v[1] = {left, top, SGUI_VERTEX_Z, color, leftU, topV};
    v[2] = {right, bottom, SGUI_VERTEX_Z, color, rightU, bottomV};
    v[3] = {right, top, SGUI_VERTEX_Z, color, rightU, topV};
}

bool CDX9KelSGUIBaseControl::CreateVertexBuffer(IDirect3DDevice9* pDevice) {
    if (m_pVB || m_dwVertexCount == 0 || !pDevice) return false;
    const UINT length = m_dwVertexCount * sizeof(SGUIVertex);
    if (FAILED(pDevice->CreateVertexBuffer(length, D3DUSAGE_WRITEONLY, SGUI_VERTEX_FVF, D3DPOOL_MANAGED, &m_pVB,
                                           nullptr)) ||
        !m_pVB) {
        m_pVB = nullptr;
        g_Log.Write(LOG_ERROR, "CDX9KelSGUIBaseControl::CreateVertexBuffer : CreateVertexBuffer failed \n");
        return false;
    }
    // Quads that are never written stay degenerate.
    void* data = nullptr;
    if (SUCCEEDED(m_pVB->Lock(0, 0, &data, 0)) && data) {
        std::memset(data, 0, length);
        m_pVB->Unlock();
    }
    return true;
}

bool CDX9KelSGUIBaseControl::CreateIndexBuffer(IDirect3DDevice9* pDevice, bool bFill) {
    if (m_pIB || m_dwIndexCount == 0 || !pDevice) return false;
    const UINT length = m_dwIndexCount * sizeof(DWORD);
    if (FAILED(pDevice->CreateIndexBuffer(length, D3DUSAGE_WRITEONLY, D3DFMT_INDEX32, D3DPOOL_MANAGED, &m_pIB,
                                          nullptr)) ||
        !m_pIB) {
        m_pIB = nullptr;
        g_Log.Write(LOG_ERROR, "CDX9KelSGUIBaseControl::CreateIndexBuffer : CreateIndexBuffer failed \n");
        return false;
    }
    if (!bFill) return true;
    void* data = nullptr;
    if (FAILED(m_pIB->Lock(0, 0, &data, 0)) || !data) {
        g_Log.Write(LOG_ERROR, "CDX9KelSGUIBaseControl::CreateIndexBuffer : memcpy_s \n");
        return false;
    }
    DWORD* idx = static_cast<DWORD*>(data);
    const DWORD quads = m_dwIndexCount / 6;
    for (DWORD q = 0; q < quads; ++q) {
        const DWORD b = q * 4;
        DWORD* o = idx + q * 6;
        o[0] = b + 0;
        o[1] = b + 1;
        o[2] = b + 2;
        o[3] = b + 2;
        o[4] = b + 1;
        o[5] = b + 3;
    }
    m_pIB->Unlock();
    return true;
}

bool CDX9KelSGUIBaseControl::ApplyRect() {
    if (!m_pVB || !m_pDialog) return true;
    void* data = nullptr;
    if (FAILED(m_pVB->Lock(0, 0, &data, 0)) || !data) return false;
    SGUIVertex* v = static_cast<SGUIVertex*>(data);
    const float l = static_cast<float>(m_Rect.left), t = static_cast<float>(m_Rect.top);
    const float r = static_cast<float>(m_Rect.right), b = static_cast<float>(m_Rect.bottom);
    v[0].x = l, v[0].y = b;
    v[1].x = l, v[1].y = t;
    v[2].x = r, v[2].y = b;
    v[3].x = r, v[3].y = t;
    for (int i = 0; i < 4; ++i) v[i].z = SGUI_VERTEX_Z;
    m_pVB->Unlock();
    GetScreenTranslation(&m_mWorld);
    return true;
}

bool CDX9KelSGUIBaseControl::SetRect(LONG left, LONG top, LONG right, LONG bottom) {
    if (right - left <= 0 || bottom - top <= 0 || m_dwVertexCount != 4) return false;
    m_Rect = {left, top, right, bottom};
    return ApplyRect();
}

bool CDX9KelSGUIBaseControl::MoveTo(LONG x, LONG y) {
    if (m_dwVertexCount != 4) return false;
    if (m_Rect.left == x && m_Rect.top == y) return true;
    const LONG w = m_Rect.right - m_Rect.left, h = m_Rect.bottom - m_Rect.top;
    m_Rect = {x, y, x + w, y + h};
    return ApplyRect();
}

bool CDX9KelSGUIBaseControl::Resize(LONG width, LONG height) {
    if (width == 0 || height == 0) return false;
    m_Rect.right = m_Rect.left + width;
    m_Rect.bottom = m_Rect.top + height;
    return ApplyRect();
}

bool CDX9KelSGUIBaseControl::MoveBy(LONG dx, LONG dy) {
    if (dx == 0 && dy == 0) return true;
    D3DXMATRIX shift;
    D3DXMatrixTranslation(&shift, static_cast<float>(dx), static_cast<float>(dy), 0.0f);
    m_mWorld = m_mWorld * shift;
    m_Rect.left += dx;
    m_Rect.right += dx;
    m_Rect.top += dy;
    m_Rect.bottom += dy;
    return true;
}

bool CDX9KelSGUIBaseControl::UpdateRelativeRect() {
    if (!m_pDialog || !m_bRelative || m_bPart) return false;
    const RECT& d = m_pDialog->GetRect();
    const RECT r = CDX9KelUtils::GetRectFromPercents(d.left, d.top, d.right, d.bottom, m_RelativeRect[0],
                                                     m_RelativeRect[1], m_RelativeRect[2], m_RelativeRect[3]);
    return SetRect(r.left, r.top, r.right, r.bottom);
}

bool CDX9KelSGUIBaseControl::SetColor(float r, float g, float b, float a) {
    m_Color[0] = r, m_Color[1] = g, m_Color[2] = b, m_Color[3] = a;
    if (!m_pVB || m_dwVertexCount != 4) return true;
    void* data = nullptr;
    if (FAILED(m_pVB->Lock(0, 0, &data, 0)) || !data) return false;
    SGUIVertex* v = static_cast<SGUIVertex*>(data);
    const D3DCOLOR c = PackColor(r, g, b, a);
    for (int i = 0; i < 4; ++i) v[i].color = c;
    m_pVB->Unlock();
    return true;
}

bool CDX9KelSGUIBaseControl::SetTextureRect(float leftU, float topV, float rightU, float bottomV) {
    for (float x : {leftU, topV, rightU, bottomV})
        if (!(x >= 0.0f && x <= 1.0f)) return false;
    m_TextureRect[0] = leftU, m_TextureRect[1] = topV, m_TextureRect[2] = rightU, m_TextureRect[3] = bottomV;
    if (m_dwVertexCount != 4) return false;
    if (!m_pVB) return true;
    void* data = nullptr;
    if (FAILED(m_pVB->Lock(0, 0, &data, 0)) || !data) return false;
    SGUIVertex* v = static_cast<SGUIVertex*>(data);
    v[0].u = leftU, v[0].v = bottomV;
    v[1].u = leftU, v[1].v = topV;
    v[2].u = rightU, v[2].v = bottomV;
    v[3].u = rightU, v[3].v = topV;
    m_pVB->Unlock();
    return true;
}

bool CDX9KelSGUIBaseControl::SetRotation(float angle) {
    if (angle == 0.0f) return true;
    m_bFiltered = true;
    const float cx = static_cast<float>(m_Rect.left) + static_cast<float>(m_Rect.right - m_Rect.left) * 0.5f;
    const float cy = static_cast<float>(m_Rect.top) + static_cast<float>(m_Rect.bottom - m_Rect.top) * 0.5f;
    D3DXMATRIX toOrigin, rotation, back, screen;
    D3DXMatrixTranslation(&toOrigin, -cx, -cy, 0.0f);
    D3DXMatrixRotationZ(&rotation, angle);
    D3DXMatrixTranslation(&back, cx, cy, 0.0f);
    GetScreenTranslation(&screen);
    m_mWorld = toOrigin * rotation * back * screen;
    return true;
}

void CDX9KelSGUIBaseControl::Render(IDirect3DDevice9* pDevice, float fElapsed, bool bBindTexture, int iValue) {
    if (!m_bVisible || !pDevice || !m_pTexture || !m_pTexture->m_pTexture || !m_pVB) return;
    pDevice->SetStreamSource(0, m_pVB, 0, sizeof(SGUIVertex));
    const bool clip = m_bClip;
    if (clip) {
        pDevice->SetRenderState(D3DRS_SCISSORTESTENABLE, TRUE);
        pDevice->SetScissorRect(&m_ClipRect);
    }
    // With an effect the screen-GUI pass has set transform and texture
    // through it and draws the control inside each of its passes.
    if (!m_pEffect) {
        pDevice->SetTransform(D3DTS_WORLD, &m_mWorld);
        if (bBindTexture) pDevice->SetTexture(0, m_pTexture->m_pTexture);
    }
    if (m_pIB) {
        pDevice->SetIndices(m_pIB);
        pDevice->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, m_dwVertexCount, 0, m_dwIndexCount / 3);
    } else {
        pDevice->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, m_dwVertexCount / 2);
    }
    if (clip) pDevice->SetRenderState(D3DRS_SCISSORTESTENABLE, FALSE);
}

void CDX9KelSGUIBaseControl::HoverTest(const RECT& rect) {
    if (!m_bVisible || !m_bEnabled || !m_pDialog) return;
    const CDX9KelSGUIDialog* d = m_pDialog;
    if (!d->m_bVisible || !d->m_bProc) return;
    const POINT c = d->GetCursor();
    m_bHovered = SGUIPointInRect(rect, c.x, c.y) && !d->m_bDragging && !d->m_bCaptured;
}

void CDX9KelSGUIBaseControl::UpdateMouse(float fElapsed) { HoverTest(m_Rect); }

void CDX9KelSGUIBaseControl::ReleaseBuffers() {
    SafeReleaseCom(m_pVB);
    SafeReleaseCom(m_pIB);
}

} // namespace Vorna3D
