#include "engine3/ui/sgui/SGUIPopup.h"

#include "engine3/core/CDX9KelUtils.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlImage.h"
#include "engine3/ui/sgui/CDX9KelSGUIManager.h"
#include "engine3/ui/sgui/CDX9KelSGUIText.h"
#include "platform/os/Clock.h"

namespace Vorna3D {

bool SGUIPopup::Init(IDirect3DDevice9* pDevice, CDX9KelSGUIDialog* pDialog, const std::string& owner,
                     const SGUITextureDesc& texture, int iFont, int iFormat, const char* szText, LONG left, LONG top,
                     LONG right, LONG bottom, const float textRect[4], const float textColor[4]) {
    const bool withText = iFont != -1 && szText && *szText;
    if (!pDialog || (texture.strFile.empty() && !withText)) return false;
    if (!texture.strFile.empty()) {
        m_pImage = pDialog->AddImage(pDevice, (owner + "_popup_image").c_str(), false, texture.strFile.c_str(),
                                     nullptr, false, left, top, right, bottom, 1.0f, 1.0f, 1.0f, 1.0f);
        if (!m_pImage) return false;
        m_pImage->m_bPart = true;
        m_pImage->m_bVisible = false;
        m_pImage->SetTextureRect(texture.rect[0], texture.rect[1], texture.rect[2], texture.rect[3]);
    }
    if (withText) {
        for (int i = 0; i < 4; ++i) m_TextRect[i] = textRect[i];
        const RECT r = CDX9KelUtils::GetRectFromPercents(left, top, right, bottom, m_TextRect[0], m_TextRect[1],
                                                         m_TextRect[2], m_TextRect[3]);
        m_pText = pDialog->AddText(pDevice, (owner + "_popup_text").c_str(), false, iFont, iFormat, nullptr, szText,
                                   r.left, r.top, r.right, r.bottom, textColor[0], textColor[1], textColor[2],
                                   textColor[3]);
        if (!m_pText) return false;
        m_pText->m_bPart = true;
        m_pText->m_bVisible = false;
    }
    return true;
}

void SGUIPopup::Hide() {
    m_dwHoverStart = 0;
    m_LastCursor = {-1, -1};
    if (m_pImage) m_pImage->m_bVisible = false;
    if (m_pText) m_pText->m_bVisible = false;
}

void SGUIPopup::Update(bool bHovered, CDX9KelSGUIDialog* pDialog) {
    if (!pDialog) return;
    const POINT cursor = pDialog->GetCursor();
    if (!bHovered) {
        Hide();
        return;
    }
    if (m_dwHoverStart == 0) {
        m_dwHoverStart = timeGetTime();
        m_LastCursor = cursor;
        return;
    }
    if (cursor.x != m_LastCursor.x || cursor.y != m_LastCursor.y) {
        Hide();
        return;
    }
    if (timeGetTime() - m_dwHoverStart > m_dwDelay) Show(pDialog);
}

void SGUIPopup::Show(CDX9KelSGUIDialog* pDialog) {
    CDX9KelSGUIManager* manager = pDialog->GetManager();
    if (!manager) return;
    const POINT c = pDialog->GetCursor();
    const RECT ref = m_pImage ? m_pImage->GetRect() : m_pText->GetRect();
    const LONG w = ref.right - ref.left, h = ref.bottom - ref.top;
    LONG x = c.x + kCursorGap;
    if (x + w > manager->m_iClientWidth) x = c.x - kCursorGap - w;
    LONG y = c.y;
    if (y + h > manager->m_iClientHeight) y = c.y - h;
    if (m_pImage) {
        m_pImage->MoveTo(x, y);
        if (m_pText) {
            const RECT& ir = m_pImage->GetRect();
            const RECT r = CDX9KelUtils::GetRectFromPercents(ir.left, ir.top, ir.right, ir.bottom, m_TextRect[0],
                                                             m_TextRect[1], m_TextRect[2], m_TextRect[3]);
            m_pText->SetRect(r.left, r.top, r.right, r.bottom);
        }
    } else {
        m_pText->MoveTo(x, y);
    }
    if (m_pImage) m_pImage->m_bVisible = true;
    if (m_pText) m_pText->m_bVisible = true;
    manager->BringToFront(pDialog);
    if (m_pImage) pDialog->MoveControlToTop(m_pImage);
    if (m_pText) pDialog->MoveControlToTop(m_pText);
}

} // namespace Vorna3D
