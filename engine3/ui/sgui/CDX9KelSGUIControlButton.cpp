#include "engine3/ui/sgui/CDX9KelSGUIControlButton.h"

#include "engine3/core/CDX9KelUtils.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlImage.h"
#include "engine3/ui/sgui/CDX9KelSGUIDialog.h"
#include "engine3/ui/sgui/CDX9KelSGUIManager.h"
#include "engine3/ui/sgui/CDX9KelSGUIText.h"

namespace Vorna3D {

bool CDX9KelSGUIControlButton::Init(IDirect3DDevice9* pDevice, CDX9KelSGUIDialog* pDialog, int iFont, int iFormat,
                                    const char* szText, const SGUITextureDesc& texture, LONG left, LONG top,
                                    LONG right, LONG bottom, const float imageColor[4], const float textRect[4],
                                    const float textColor[4]) {
    const bool withImage = !texture.strFile.empty();
    const bool withText = iFont != -1 && szText && *szText;
    if (!pDialog || (!withImage && !withText)) return false;
    m_pDialog = pDialog;
    m_Rect = m_ClipRect = {left, top, right, bottom};
    for (int i = 0; i < 4; ++i) {
        m_ImageColor[i] = imageColor[i];
        m_TextColor[i] = textColor[i];
        m_TextRelativeRect[i] = textRect[i];
    }
    if (withImage) {
        m_pImage = pDialog->AddImage(pDevice, (m_strName + "_image").c_str(), false, texture.strFile.c_str(), nullptr,
                                     false, left, top, right, bottom, imageColor[0], imageColor[1], imageColor[2],
                                     imageColor[3]);
        if (!m_pImage) return false;
        m_pImage->m_bPart = true;
        m_pImage->SetTextureRect(texture.rect[0], texture.rect[1], texture.rect[2], texture.rect[3]);
    }
    if (withText) {
        const RECT r = CDX9KelUtils::GetRectFromPercents(left, top, right, bottom, textRect[0], textRect[1],
                                                         textRect[2], textRect[3]);
        m_pText = pDialog->AddText(pDevice, (m_strName + "_text").c_str(), false, iFont, iFormat, nullptr, szText,
                                   r.left, r.top, r.right, r.bottom, textColor[0], textColor[1], textColor[2],
                                   textColor[3]);
        if (!m_pText) return false;
        m_pText->m_bPart = true;
    }
    m_iType = SGUI_CONTROL_BUTTON;
    return true;
}

bool CDX9KelSGUIControlButton::InitPopup(IDirect3DDevice9* pDevice, CDX9KelSGUIDialog* pDialog,
                                         const SGUITextureDesc& texture, int iFont, int iFormat, const char* szText,
                                         LONG left, LONG top, LONG right, LONG bottom, const float textRect[4],
                                         const float textColor[4]) {
    return m_Popup.Init(pDevice, pDialog, m_strName, texture, iFont, iFormat, szText, left, top, right, bottom,
                        textRect, textColor);
}

void CDX9KelSGUIControlButton::PlaceText() {
    if (!m_pText) return;
    const RECT r = CDX9KelUtils::GetRectFromPercents(m_Rect.left, m_Rect.top, m_Rect.right, m_Rect.bottom,
                                                     m_TextRelativeRect[0], m_TextRelativeRect[1],
                                                     m_TextRelativeRect[2], m_TextRelativeRect[3]);
    m_pText->SetRect(r.left, r.top, r.right, r.bottom);
}

bool CDX9KelSGUIControlButton::SetRect(LONG left, LONG top, LONG right, LONG bottom) {
    if (right - left < 1 || bottom - top < 1) return false;
    m_Rect = {left, top, right, bottom};
    if (m_pImage) m_pImage->SetRect(left, top, right, bottom);
    PlaceText();
    return true;
}

bool CDX9KelSGUIControlButton::MoveTo(LONG x, LONG y) {
    const LONG dx = x - m_Rect.left, dy = y - m_Rect.top;
    m_Rect.left += dx, m_Rect.right += dx, m_Rect.top += dy, m_Rect.bottom += dy;
    if (m_pImage) m_pImage->MoveBy(dx, dy);
    if (m_pText) m_pText->MoveBy(dx, dy);
    return true;
}

bool CDX9KelSGUIControlButton::Resize(LONG width, LONG height) {
    if (width == 0 || height == 0) return false;
    m_Rect.right = m_Rect.left + width;
    m_Rect.bottom = m_Rect.top + height;
    if (m_pImage) m_pImage->Resize(width, height);
    PlaceText();
    return true;
}

bool CDX9KelSGUIControlButton::MoveBy(LONG dx, LONG dy) {
    if (dx == 0 && dy == 0) return false;
    m_Rect.left += dx, m_Rect.right += dx, m_Rect.top += dy, m_Rect.bottom += dy;
    if (m_pImage) m_pImage->MoveBy(dx, dy);
    if (m_pText) m_pText->MoveBy(dx, dy);
    return true;
}

void CDX9KelSGUIControlButton::Shift(LONG d) {
    if (m_bShift) MoveBy(d, d);
}

void CDX9KelSGUIControlButton::Reset() {
    if (m_dwState != SGUI_BUTTON_NORMAL && m_dwState != SGUI_BUTTON_LOCKED) {
        m_iRequestedState = SGUI_BUTTON_NORMAL;
        Apply();
    }
    m_Popup.Hide();
}

bool CDX9KelSGUIControlButton::SetStates(const std::vector<SGUIStateRect>* textureRects,
                                         const std::vector<SGUIStateRect>* textColors) {
    if (!textureRects && !textColors) return false;
    if (textureRects && textureRects->size() != StateCount()) return false;
    if (textColors && textColors->size() != StateCount()) return false;
    m_vStateTextureRects.clear();
    m_vStateTextColors.clear();
    m_vStateTextureRects.reserve(StateCount());
    m_vStateTextColors.reserve(StateCount());
    if (textureRects) m_vStateTextureRects = *textureRects;
    if (textColors) m_vStateTextColors = *textColors;
    m_bTextureStates = true;
    return true;
}

void CDX9KelSGUIControlButton::ApplyLook(size_t state, bool tables) {
    if (tables) {
        if (m_pImage && state < m_vStateTextureRects.size()) {
            const float* t = m_vStateTextureRects[state].v;
            m_pImage->SetTextureRect(t[0], t[1], t[2], t[3]);
        }
        if (m_pText && state < m_vStateTextColors.size()) {
            const float* c = m_vStateTextColors[state].v;
            m_pText->SetColor(c[0], c[1], c[2], c[3]);
        }
        return;
    }
    auto look = [state](const float in[4], float out[4]) {
        for (int i = 0; i < 4; ++i) out[i] = in[i];
        if (state == SGUI_BUTTON_HOVER) {
            for (int i = 0; i < 3; ++i) out[i] = 0.5f + kHoverContrast * (in[i] - 0.5f);
        } else if (state == SGUI_BUTTON_PRESSED || state == SGUI_BUTTON_LOCKED) {
            for (int i = 0; i < 4; ++i) out[i] = in[i] * kPressedScale;
        }
    };
    float c[4];
    if (m_pImage) {
        look(m_ImageColor, c);
        m_pImage->SetColor(c[0], c[1], c[2], c[3]);
    }
    if (m_pText) {
        look(m_TextColor, c);
        m_pText->SetColor(c[0], c[1], c[2], c[3]);
    }
}

void CDX9KelSGUIControlButton::ApplyState(bool tables) {
    const int r = m_iRequestedState;
    DWORD& s = m_dwState;
    switch (r) {
    case SGUI_BUTTON_NORMAL:
        if (s == SGUI_BUTTON_HOVER) Shift(1);
        s = SGUI_BUTTON_NORMAL;
        break;
    case SGUI_BUTTON_HOVER:
        if (s != SGUI_BUTTON_HOVER) {
            if (s == SGUI_BUTTON_NORMAL || s == SGUI_BUTTON_PRESSED) Shift(-1);
            s = SGUI_BUTTON_HOVER;
        }
        break;
    case SGUI_BUTTON_PRESSED:
        // A press always passes through hover.
        if (s == SGUI_BUTTON_HOVER) {
            Shift(1);
            s = SGUI_BUTTON_PRESSED;
        } else if (s == SGUI_BUTTON_LOCKED) {
            s = SGUI_BUTTON_PRESSED;
        }
        break;
    case SGUI_BUTTON_LOCKED:
        if (s != SGUI_BUTTON_LOCKED) {
            if (s == SGUI_BUTTON_HOVER) Shift(1);
            s = SGUI_BUTTON_LOCKED;
        }
        break;
    default:
        break;
    }
    if (r != SGUI_BUTTON_NONE) ApplyLook(s, tables);
    m_iRequestedState = SGUI_BUTTON_NONE;
}

void CDX9KelSGUIControlButton::ApplyStateColor() { ApplyState(false); }

void CDX9KelSGUIControlButton::ApplyStateTextures() { ApplyState(true); }

void CDX9KelSGUIControlButton::ResetState() {
    m_iRequestedState = SGUI_BUTTON_NORMAL;
    ApplyStateTextures();
}

void CDX9KelSGUIControlButton::SetVisible(bool bVisible) {
    m_bVisible = bVisible;
    if (m_pImage) m_pImage->m_bVisible = bVisible;
    if (m_pText) m_pText->m_bVisible = bVisible;
}

void CDX9KelSGUIControlButton::SetShift(bool bShift) {
    Reset();
    m_bShift = bShift;
}

void CDX9KelSGUIControlButton::HoverGrown(bool grow) {
    RECT r = m_Rect;
    if (grow) {
        ++r.right;
        ++r.bottom;
    }
    HoverTest(r);
}

void CDX9KelSGUIControlButton::UpdateMouse(float fElapsed) {
    if (!m_bVisible || !m_bEnabled) return;
    HoverGrown(m_dwState == SGUI_BUTTON_HOVER && m_bShift);
    CDX9KelSGUIManager* manager = GetManager();
    if (!manager) return;
    const bool down = manager->m_bMouseButtons[0];
    if (m_dwState != SGUI_BUTTON_LOCKED && m_iRequestedState != SGUI_BUTTON_LOCKED) {
        if (m_bHovered && down)
            m_iRequestedState = SGUI_BUTTON_PRESSED;
        else if (m_bHovered && m_dwState != SGUI_BUTTON_HOVER)
            m_iRequestedState = SGUI_BUTTON_HOVER;
        else if (!m_bHovered && m_dwState != SGUI_BUTTON_NORMAL)
            m_iRequestedState = SGUI_BUTTON_NORMAL;
    }
    if (m_iHotKey >= 0 && manager->IsKeyDown(m_iHotKey) && manager->AllowInput(kHotKeyPeriod) &&
        m_dwState != SGUI_BUTTON_PRESSED && m_dwState != SGUI_BUTTON_LOCKED)
        m_iRequestedState = SGUI_BUTTON_PRESSED;
    Apply();
    if (m_Popup.Exists()) m_Popup.Update(m_bHovered, m_pDialog);
}

} // namespace Vorna3D
