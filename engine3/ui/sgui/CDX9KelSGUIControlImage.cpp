#include "engine3/ui/sgui/CDX9KelSGUIControlImage.h"

#include <algorithm>

#include "engine3/core/resources/CDX9KelGraphicResources.h"
#include "engine3/ui/sgui/CDX9KelSGUIManager.h"

namespace Vorna3D {

bool CDX9KelSGUIControlImage::Init(IDirect3DDevice9* pDevice, CDX9KelSGUIDialog* pDialog,
                                   CDX9KelGraphicResourceTexture* pTexture, CDX9KelGraphicResourceEffect* pEffect,
                                   bool bZoom, LONG left, LONG top, LONG right, LONG bottom, float r, float g,
                                   float b, float a) {
    if (!pDialog || !pDialog->GetManager() || !pTexture || !pDevice) return false;
    if (right - left < 1 || bottom - top < 1) return false;
    m_Rect = m_ClipRect = {left, top, right, bottom};
    m_Color[0] = m_BaseColor[0] = r;
    m_Color[1] = m_BaseColor[1] = g;
    m_Color[2] = m_BaseColor[2] = b;
    m_Color[3] = m_BaseColor[3] = a;
    m_pDialog = pDialog;
    m_bZoom = bZoom;
    m_iType = SGUI_CONTROL_IMAGE;
    m_pTexture = pTexture;
    if (pEffect) m_pEffect = pEffect;
    m_dwVertexCount = 4;
    m_dwIndexCount = 6;
    if (!CreateVertexBuffer(pDevice) || !CreateIndexBuffer(pDevice, true)) return false;
    void* data = nullptr;
    if (FAILED(m_pVB->Lock(0, 0, &data, 0)) || !data) return false;
    WriteQuad(static_cast<SGUIVertex*>(data), static_cast<float>(left), static_cast<float>(top),
              static_cast<float>(right), static_cast<float>(bottom), PackColor(r, g, b, a), m_TextureRect[0],
              m_TextureRect[1], m_TextureRect[2], m_TextureRect[3]);
    m_pVB->Unlock();
    GetScreenTranslation(&m_mWorld);
    return true;
}

bool CDX9KelSGUIControlImage::InitPopup(IDirect3DDevice9* pDevice, CDX9KelSGUIDialog* pDialog,
                                        const SGUITextureDesc& texture, int iFont, int iFormat, const char* szText,
                                        LONG left, LONG top, LONG right, LONG bottom, const float textRect[4],
                                        const float textColor[4]) {
    return m_Popup.Init(pDevice, pDialog, m_strName, texture, iFont, iFormat, szText, left, top, right, bottom,
                        textRect, textColor);
}

void CDX9KelSGUIControlImage::UpdateMouse(float fElapsed) {
    if (!m_bVisible || !m_bEnabled) return;
    HoverTest(m_Rect);
    CDX9KelSGUIManager* manager = GetManager();
    if (m_bZoom && manager) {
        if (!m_bHovered) {
            SetColor(m_BaseColor[0], m_BaseColor[1], m_BaseColor[2], m_BaseColor[3]);
            m_bHighlighted = false;
        } else if (!m_bZoomed && !m_bHighlighted) {
            SetColor(m_Color[0] * kHighlight, m_Color[1] * kHighlight, m_Color[2] * kHighlight,
                     m_Color[3] * kHighlight);
            m_bHighlighted = true;
        }
        const bool click = manager->m_bMouseButtons[0];
        if (m_bHovered && !m_bZoomed && click && manager->AllowInput(kZoomPeriod)) {
            m_bZoomed = true;
            m_pDialog->m_bCaptured = true;
            m_SavedRect = m_Rect;
            LONG w = m_pTexture ? static_cast<LONG>(m_pTexture->m_dwWidth) : m_Rect.right - m_Rect.left;
            LONG h = m_pTexture ? static_cast<LONG>(m_pTexture->m_dwHeight) : m_Rect.bottom - m_Rect.top;
            w = std::min(w, manager->m_iClientWidth);
            h = std::min(h, manager->m_iClientHeight);
            SetRect(0, 0, w, h);
            m_pDialog->MoveControlToTop(this);
            m_pDialog->LockInput();
        } else if (m_bZoomed && click && manager->AllowInput(kZoomPeriod)) {
            SetRect(m_SavedRect.left, m_SavedRect.top, m_SavedRect.right, m_SavedRect.bottom);
            m_bZoomed = false;
            m_pDialog->m_bCaptured = false;
            m_pDialog->UnlockInput();
        }
    }
    if (m_Popup.Exists()) m_Popup.Update(m_bHovered, m_pDialog);
}

} // namespace Vorna3D
