#include "engine3/ui/sgui/CDX9KelSGUIControlScrollCheckList.h"

#include <algorithm>

#include "engine3/ui/sgui/CDX9KelSGUIControlButtonCheck.h"
#include "engine3/ui/sgui/CDX9KelSGUIManager.h"
#include "engine3/ui/sgui/SGUIButtonRequest.h"

namespace Vorna3D {

bool CDX9KelSGUIControlScrollCheckList::Init(IDirect3DDevice9* pDevice, CDX9KelSGUIDialog* pDialog, LONG left,
                                             LONG top, LONG right, LONG bottom, bool bHorizontal, bool bMustSelect) {
    if (!pDialog)
        return false;
    m_pDialog = pDialog;
    m_Rect = {left, top, right, bottom};
    m_bHorizontal = bHorizontal;
    m_bMustSelect = bMustSelect;
    m_iType = SGUI_CONTROL_SCROLL_CHECK_LIST;
    return true;
}

// The selection as an item; an index left past the end after a removal
// counts as none.
CDX9KelSGUIControlButtonCheck* CDX9KelSGUIControlScrollCheckList::Selected() const {
    return SGUISelectedItem(m_vItems, m_iSelected);
}

int CDX9KelSGUIControlScrollCheckList::GetSelected() const { return Selected() ? m_iSelected : -1; }

void CDX9KelSGUIControlScrollCheckList::SetScrollButtons(CDX9KelSGUIControlButton* pBack,
                                                         CDX9KelSGUIControlButton* pForward) {
    m_pBackButton = pBack;
    m_pForwardButton = pForward;
    Layout();
}

bool CDX9KelSGUIControlScrollCheckList::AddItem(CDX9KelSGUIControlButtonCheck* pButton) {
    if (!pButton)
        return false;
    const LONG w = pButton->m_Rect.right - pButton->m_Rect.left, h = pButton->m_Rect.bottom - pButton->m_Rect.top;
    if (m_iItemWidth == -1 && m_iItemHeight == -1) {
        m_iItemWidth = w;
        m_iItemHeight = h;
        if (m_bMustSelect) {
            SGUIApplyRequest(pButton, SGUI_BUTTON_PRESSED);
            m_iSelected = 0;
        }
    } else if (w != m_iItemWidth || h != m_iItemHeight) {
        return false;
    }
    pButton->m_bInteractive = false;
    m_vItems.push_back(pButton);
    Layout();
    return true;
}

bool CDX9KelSGUIControlScrollCheckList::RemoveItem(CDX9KelSGUIControlButtonCheck* pButton) {
    const auto it = std::find(m_vItems.begin(), m_vItems.end(), pButton);
    if (!pButton || it == m_vItems.end())
        return false;
    const int index = static_cast<int>(it - m_vItems.begin());
    if (index == m_iSelected) {
        SGUIApplyRequest(pButton, SGUI_BUTTON_NORMAL);
        m_iSelected = -1;
    }
    pButton->SetVisible(false);
    m_vItems.erase(it);
    if (static_cast<size_t>(std::max(m_iSelected, 0)) >= m_vItems.size())
        m_iSelected = -1;
    Layout();
    return true;
}

bool CDX9KelSGUIControlScrollCheckList::Clear() {
    for (CDX9KelSGUIControlButtonCheck* pItem : m_vItems)
        pItem->SetVisible(false);
    m_vItems.clear();
    m_iSelected = -1;
    // The next first item sets the size again: an emptied list takes
    // items of another size than those it held.
    m_iItemWidth = -1;
    m_iItemHeight = -1;
    return true;
}

bool CDX9KelSGUIControlScrollCheckList::SetSelected(int index) { return SGUISelectItem(m_vItems, m_iSelected, index); }

bool CDX9KelSGUIControlScrollCheckList::SetItemLocked(int index, bool bLocked) {
    return SGUILockItem(m_vItems, m_iSelected, m_bMustSelect, index, bLocked);
}

bool CDX9KelSGUIControlScrollCheckList::Layout() {
    if (m_vItems.empty()) {
        // Nothing to scroll.
        for (CDX9KelSGUIControlButton* pButton : {m_pBackButton, m_pForwardButton})
            if (pButton)
                pButton->SetVisible(false);
        return true;
    }
    const LONG size = m_bHorizontal ? m_iItemWidth : m_iItemHeight;
    const LONG slot = size + m_iGap;
    const LONG available = m_bHorizontal ? m_Rect.right - m_Rect.left : m_Rect.bottom - m_Rect.top;
    if (available < size || slot <= 0)
        return false;
    const int visible = static_cast<int>((available - size) / slot + 1);
    const int count = static_cast<int>(m_vItems.size());
    // The window never starts past the last full one; a list that fits
    // whole shows from its first item.
    if (m_iFirstVisible > count - visible)
        m_iFirstVisible = std::max(count - visible, 0);
    m_iFirstVisible = std::max(m_iFirstVisible, 0);
    LONG x = m_Rect.left, y = m_Rect.top;
    bool anyHidden = false;
    for (int i = 0; i < count; ++i) {
        CDX9KelSGUIControlButtonCheck* pItem = m_vItems[static_cast<size_t>(i)];
        if (i >= m_iFirstVisible && i < m_iFirstVisible + visible) {
            pItem->SetVisible(true);
            pItem->MoveTo(x, y);
            (m_bHorizontal ? x : y) += slot;
        } else {
            pItem->SetVisible(false);
            anyHidden = true;
        }
    }
    for (CDX9KelSGUIControlButton* pButton : {m_pBackButton, m_pForwardButton})
        if (pButton)
            pButton->SetVisible(anyHidden);
    return true;
}

bool CDX9KelSGUIControlScrollCheckList::SetRect(LONG left, LONG top, LONG right, LONG bottom) {
    if (right - left < 1 || bottom - top < 1)
        return false;
    m_Rect = {left, top, right, bottom};
    return Layout();
}

bool CDX9KelSGUIControlScrollCheckList::MoveTo(LONG x, LONG y) {
    m_Rect = {x, y, x + (m_Rect.right - m_Rect.left), y + (m_Rect.bottom - m_Rect.top)};
    return Layout();
}

bool CDX9KelSGUIControlScrollCheckList::Resize(LONG width, LONG height) {
    if (width == 0 || height == 0 || !m_pDialog)
        return false;
    m_Rect.right = m_Rect.left + width;
    m_Rect.bottom = m_Rect.top + height;
    return Layout();
}

bool CDX9KelSGUIControlScrollCheckList::MoveBy(LONG dx, LONG dy) {
    if (dx == 0 && dy == 0)
        return false;
    m_Rect.left += dx, m_Rect.right += dx, m_Rect.top += dy, m_Rect.bottom += dy;
    return Layout();
}

void CDX9KelSGUIControlScrollCheckList::UpdateMouse(float fElapsed) {
    if (!m_bVisible || !m_bEnabled || m_vItems.empty())
        return;
    CDX9KelSGUIManager* pManager = GetManager();
    if (!pManager)
        return;
    const int count = static_cast<int>(m_vItems.size());
    if (m_pBackButton && m_pBackButton->GetState() == SGUI_BUTTON_PRESSED && pManager->AllowInput(kScrollPeriod)) {
        if (m_iFirstVisible > 0) {
            --m_iFirstVisible;
            Layout();
        }
    } else if (m_pForwardButton && m_pForwardButton->GetState() == SGUI_BUTTON_PRESSED &&
               pManager->AllowInput(kScrollPeriod)) {
        if (m_iFirstVisible < count - 1) {
            ++m_iFirstVisible;
            Layout();
        }
    }
    if (!Selected())
        m_iSelected = -1;
    m_iHovered = -1;
    for (int i = 0; i < count; ++i) {
        CDX9KelSGUIControlButtonCheck* pItem = m_vItems[static_cast<size_t>(i)];
        pItem->m_bInteractive = !(m_bMustSelect && i == m_iSelected);
        pItem->UpdateMouse(fElapsed);
        pItem->m_bInteractive = false;
        if (i != m_iSelected && pItem->GetState() == SGUI_BUTTON_PRESSED) {
            SGUIApplyRequest(Selected(), SGUI_BUTTON_NORMAL);
            m_iSelected = i;
        } else if (!m_bMustSelect && i == m_iSelected && pItem->GetState() == SGUI_BUTTON_NORMAL) {
            m_iSelected = -1;
        }
        if (pItem->IsHovered())
            m_iHovered = i;
    }
}

} // namespace Vorna3D
