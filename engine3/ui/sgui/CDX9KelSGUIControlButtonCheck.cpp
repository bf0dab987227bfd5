#include "engine3/ui/sgui/CDX9KelSGUIControlButtonCheck.h"

#include "engine3/ui/sgui/CDX9KelSGUIManager.h"

namespace Vorna3D {

void CDX9KelSGUIControlButtonCheck::Reset() {
    // A checked button stays checked.
    if (m_dwState == SGUI_BUTTON_HOVER) {
        m_iRequestedState = SGUI_BUTTON_NORMAL;
        Apply();
    }
    m_Popup.Hide();
}

void CDX9KelSGUIControlButtonCheck::UpdateMouse(float fElapsed) {
    if (!m_bVisible || !m_bEnabled) return;
    if (!m_bInteractive) {
        HoverTest(m_Rect);
        if (m_Popup.Exists()) m_Popup.Update(m_bHovered, m_pDialog);
        return;
    }
    HoverGrown(m_dwState == SGUI_BUTTON_HOVER && m_bShift);
    CDX9KelSGUIManager* manager = GetManager();
    if (!manager) return;
    const bool down = manager->m_bMouseButtons[0];
    const bool checked = m_dwState == SGUI_BUTTON_PRESSED;
    if (m_dwState != SGUI_BUTTON_LOCKED && m_iRequestedState != SGUI_BUTTON_LOCKED) {
        if (!m_bHovered) {
            if (!checked) m_iRequestedState = SGUI_BUTTON_NORMAL;
        } else if (!down) {
            if (!checked) m_iRequestedState = SGUI_BUTTON_HOVER;
        } else if (manager->AllowInput(kClickPeriod)) {
            m_iRequestedState = checked ? SGUI_BUTTON_NORMAL : SGUI_BUTTON_PRESSED;
        }
    }
    if (m_iHotKey >= 0 && manager->IsKeyDown(m_iHotKey) && manager->AllowInput(kHotKeyPeriod) &&
        m_dwState != SGUI_BUTTON_LOCKED)
        m_iRequestedState = checked ? SGUI_BUTTON_NORMAL : SGUI_BUTTON_PRESSED;
    Apply();
    if (m_Popup.Exists()) m_Popup.Update(m_bHovered, m_pDialog);
}

} // namespace Vorna3D
