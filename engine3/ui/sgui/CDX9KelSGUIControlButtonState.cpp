#include "engine3/ui/sgui/CDX9KelSGUIControlButtonState.h"

#include "engine3/ui/sgui/CDX9KelSGUIControlImage.h"
#include "engine3/ui/sgui/CDX9KelSGUIManager.h"
#include "engine3/ui/sgui/CDX9KelSGUIText.h"

namespace Vorna3D {

void CDX9KelSGUIControlButtonState::Reset() {
    // Hover looks return to rest; normal, checked and locked buttons stay.
    if (m_iOwnState == SGUI_STATE_HOVER || m_iOwnState == SGUI_STATE_CHECKED_HOVER) {
        m_iOwnRequested = m_dwChecked ? SGUI_STATE_CHECKED : SGUI_STATE_NORMAL;
        ApplyOwnState();
    }
    m_Popup.Hide();
}

void CDX9KelSGUIControlButtonState::ApplyOwnState() {
    const int r = m_iOwnRequested;
    int& s = m_iOwnState;
    const bool hover = s == SGUI_STATE_HOVER || s == SGUI_STATE_CHECKED_HOVER;
    const bool rest = s == SGUI_STATE_NORMAL || s == SGUI_STATE_CHECKED;
    switch (r) {
    case SGUI_STATE_NORMAL:
    case SGUI_STATE_CHECKED:
        if (hover) Shift(1);
        s = r;
        m_dwChecked = r == SGUI_STATE_CHECKED ? 1 : 0;
        break;
    case SGUI_STATE_HOVER:
    case SGUI_STATE_CHECKED_HOVER:
        if (s != r) {
            if (rest) Shift(-1);
            s = r;
        }
        break;
    case SGUI_STATE_LOCKED:
        if (s != r) {
            if (hover) Shift(1);
            s = r;
        }
        break;
    default:
        break;
    }
    if (r != SGUI_STATE_NONE && s >= 0) {
        const size_t i = static_cast<size_t>(s);
        if (m_pImage && i < m_vStateTextureRects.size()) {
            const float* t = m_vStateTextureRects[i].v;
            m_pImage->SetTextureRect(t[0], t[1], t[2], t[3]);
        }
        if (m_pText && i < m_vStateTextColors.size()) {
            const float* c = m_vStateTextColors[i].v;
            m_pText->SetColor(c[0], c[1], c[2], c[3]);
        }
    }
    m_iOwnRequested = SGUI_STATE_NONE;
}

void CDX9KelSGUIControlButtonState::UpdateMouse(float fElapsed) {
    if (!m_bVisible || !m_bEnabled) return;
    HoverGrown((m_iOwnState == SGUI_STATE_HOVER || m_iOwnState == SGUI_STATE_CHECKED_HOVER) && m_bShift);
    CDX9KelSGUIManager* manager = GetManager();
    if (!manager) return;
    const bool down = manager->m_bMouseButtons[0];
    if (m_iOwnState != SGUI_STATE_LOCKED && m_iOwnRequested != SGUI_STATE_LOCKED) {
        if (!m_bHovered) {
            if (m_iOwnState == SGUI_STATE_HOVER)
                m_iOwnRequested = SGUI_STATE_NORMAL;
            else if (m_iOwnState == SGUI_STATE_CHECKED_HOVER)
                m_iOwnRequested = SGUI_STATE_CHECKED;
        } else if (!down) {
            if (m_iOwnState == SGUI_STATE_NORMAL)
                m_iOwnRequested = SGUI_STATE_HOVER;
            else if (m_iOwnState == SGUI_STATE_CHECKED)
                m_iOwnRequested = SGUI_STATE_CHECKED_HOVER;
        } else if (manager->AllowInput(kClickPeriod)) {
            m_iOwnRequested = m_dwChecked ? SGUI_STATE_NORMAL : SGUI_STATE_CHECKED;
        }
    }
    // A hotkey of a state button only takes its turn of the shared timer.
    if (m_iHotKey >= 0 && manager->IsKeyDown(m_iHotKey)) manager->AllowInput(kHotKeyPeriod);
    ApplyOwnState();
    if (m_Popup.Exists()) m_Popup.Update(m_bHovered, m_pDialog);
}

} // namespace Vorna3D
