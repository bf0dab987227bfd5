#include "engine3/ui/sgui/CDX9KelSGUIControlRadioList.h"

#include "engine3/ui/sgui/CDX9KelSGUIControlButtonCheck.h"
#include "engine3/ui/sgui/SGUIButtonRequest.h"

namespace Vorna3D {

bool CDX9KelSGUIControlRadioList::Init(CDX9KelSGUIDialog* pDialog, bool bMustSelect) {
    if (!pDialog)
        return false;
    m_pDialog = pDialog;
    m_bMustSelect = bMustSelect;
    m_iType = SGUI_CONTROL_RADIO_LIST;
    return true;
}

CDX9KelSGUIControlButtonCheck* CDX9KelSGUIControlRadioList::Selected() const {
    return SGUISelectedItem(m_vItems, m_iSelected);
}

int CDX9KelSGUIControlRadioList::AddItem(CDX9KelSGUIControlButtonCheck* pButton) {
    if (!pButton)
        return -1;
    pButton->m_bInteractive = false;
    if (m_vItems.empty() && m_bMustSelect) {
        SGUIApplyRequest(pButton, SGUI_BUTTON_PRESSED);
        m_iSelected = 0;
    }
    m_vItems.push_back(pButton);
    return static_cast<int>(m_vItems.size()) - 1;
}

bool CDX9KelSGUIControlRadioList::SetSelected(int index) { return SGUISelectItem(m_vItems, m_iSelected, index); }

bool CDX9KelSGUIControlRadioList::SetItemLocked(int index, bool bLocked) {
    return SGUILockItem(m_vItems, m_iSelected, m_bMustSelect, index, bLocked);
}

void CDX9KelSGUIControlRadioList::UpdateMouse(float fElapsed) {
    if (!m_bVisible || !m_bEnabled)
        return;
    for (size_t i = 0; i < m_vItems.size(); ++i) {
        CDX9KelSGUIControlButtonCheck* pItem = m_vItems[i];
        const int index = static_cast<int>(i);
        if (!pItem || (m_bMustSelect && index == m_iSelected))
            continue;
        pItem->m_bInteractive = true;
        pItem->UpdateMouse(fElapsed);
        pItem->m_bInteractive = false;
        if (index != m_iSelected && pItem->GetState() == SGUI_BUTTON_PRESSED) {
            // The old choice lets go in its own next update.
            if (CDX9KelSGUIControlButtonCheck* pOld = Selected())
                pOld->RequestState(SGUI_BUTTON_NORMAL);
            m_iSelected = index;
        } else if (!m_bMustSelect && index == m_iSelected && pItem->GetState() == SGUI_BUTTON_NORMAL) {
            m_iSelected = -1;
        }
    }
}

} // namespace Vorna3D
