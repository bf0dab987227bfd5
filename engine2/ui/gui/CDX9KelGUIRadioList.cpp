#include "engine2/ui/gui/CDX9KelGUIRadioList.h"

#include "engine2/ui/gui/CDX9KelGUIButton.h"
#include "engine2/ui/gui/CDX9KelGUIManager.h"
#include "platform/os/Clock.h"

namespace Vorna2 {

HRESULT CDX9KelGUIRadioList::Init(CDX9KelGUIDialog* dialog, int value, bool mustSelect) {
    if (!dialog) return E_FAIL;
    m_pDialog = dialog;
    m_iValue = value;
    m_bMustSelect = mustSelect;
    m_iType = GUI_CONTROL_TYPE_RADIOLIST;
    return S_OK;
}

int CDX9KelGUIRadioList::AddButton(CDX9KelGUICheckButton* button) {
    if (!button) return -1;
    button->m_bToggles = false;
    button->m_bIsPart = true;
    m_Buttons.push_back(button);
    if (m_bMustSelect && m_Buttons.size() == 1) {
        button->m_iRequested = ButtonPressed;
        m_iSelected = 0;
    }
    return static_cast<int>(m_Buttons.size()) - 1;
}

bool CDX9KelGUIRadioList::SetSelection(int index) {
    const int count = static_cast<int>(m_Buttons.size());
    if (count == 0 || index < -1 || index > count - 1) return false;
    if (index == -1) {
        if (m_iSelected >= 0) m_Buttons[static_cast<std::size_t>(m_iSelected)]->m_iRequested = ButtonNormal;
        m_iSelected = -1;
        return true;
    }
    if (m_iSelected >= 0 && m_iSelected != index)
        m_Buttons[static_cast<std::size_t>(m_iSelected)]->m_iRequested = ButtonNormal;
    m_Buttons[static_cast<std::size_t>(index)]->m_iRequested = ButtonPressed;
    m_iSelected = index;
    return true;
}

bool CDX9KelGUIRadioList::SetButtonDisabled(int index, bool disabled) {
    if (m_bMustSelect || index < 0 || index >= static_cast<int>(m_Buttons.size())) return false;
    CDX9KelGUICheckButton* button = m_Buttons[static_cast<std::size_t>(index)];
    if (disabled) {
        if (m_iSelected == index) m_iSelected = -1;
        button->m_iRequested = ButtonDisabled;
    } else {
        button->m_iRequested = ButtonNormal;
    }
    return true;
}

bool CDX9KelGUIRadioList::MoveBy(int dx, int dy) {
    if (!CDX9KelGUIControl::MoveBy(dx, dy)) return false;
    for (CDX9KelGUICheckButton* button : m_Buttons) button->MoveBy(dx, dy);
    return true;
}

int CDX9KelGUIRadioList::UpdateMouse(const POINT& cursor) {
    CDX9KelGUIManager* manager = GetManager();
    if (!manager) return -1;
    for (std::size_t k = 0; k < m_Buttons.size(); ++k) {
        const int i = static_cast<int>(k);
        CDX9KelGUICheckButton* button = m_Buttons[k];
        if (m_bMustSelect && i == m_iSelected) continue;
        button->m_bToggles = true;
        button->UpdateMouse(cursor);
        button->m_bToggles = false;
        if (i != m_iSelected && button->m_iState == ButtonPressed) {
            const DWORD now = timeGetTime();
            if (manager->m_dwRadioGuard == 0) {
                manager->m_dwRadioGuard = now;
                if (m_iSelected >= 0) m_Buttons[static_cast<std::size_t>(m_iSelected)]->m_iRequested = ButtonNormal;
                m_iSelected = i;
            } else if (now - manager->m_dwRadioGuard > kGuardMs) {
                manager->m_dwRadioGuard = 0;
            }
        }
        if (!m_bMustSelect && i == m_iSelected && button->m_iState == ButtonNormal) m_iSelected = -1;
    }
    return 1;
}

void CDX9KelGUIRadioList::Release() {
    m_Buttons.clear();
    CDX9KelGUIControl::Release();
}

} // namespace Vorna2
