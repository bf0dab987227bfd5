#include "engine3/ui/sgui/CDX9KelSGUIControlListBox.h"

#include <algorithm>

#include "engine3/ui/sgui/CDX9KelSGUIControlScrollBar.h"
#include "engine3/ui/sgui/CDX9KelSGUIDialog.h"
#include "engine3/ui/sgui/CDX9KelSGUIManager.h"
#include "engine3/ui/sgui/CDX9KelSGUIText.h"

namespace Vorna3D {

bool CDX9KelSGUIControlListBox::Init(CDX9KelSGUIDialog* pDialog, int iFont, const char* szTextEffect, LONG left,
                                     LONG top, LONG right, LONG bottom, const float normalColor[4],
                                     const float selectedColor[4]) {
    if (!pDialog || right - left < 1 || bottom - top < 1 || !pDialog->GetManager())
        return false;
    const CDX9KelSGUIBitmapFont* pFont = pDialog->GetManager()->GetFont(iFont);
    if (!pFont)
        return false;
    m_pDialog = pDialog;
    m_iFont = iFont;
    m_strTextEffect = szTextEffect ? szTextEffect : "";
    m_Rect = {left, top, right, bottom};
    for (int i = 0; i < 4; ++i) {
        if (normalColor)
            m_NormalColor[i] = normalColor[i];
        if (selectedColor)
            m_SelectedColor[i] = selectedColor[i];
    }
    m_iItemHeight = pFont->m_iLineHeight;
    m_iType = SGUI_CONTROL_LIST_BOX;
    return true;
}

int CDX9KelSGUIControlListBox::ScrollPosition() const { return m_pScrollBar ? m_pScrollBar->GetPosition() : 0; }

void CDX9KelSGUIControlListBox::UpdateVisibility(CDX9KelSGUIText* pItem) const {
    pItem->m_bVisible = pItem->m_Rect.top >= m_Rect.top && pItem->m_Rect.bottom <= m_Rect.bottom;
}

void CDX9KelSGUIControlListBox::PlaceItems() {
    m_iSeenPosition = ScrollPosition();
    const LONG offset = static_cast<LONG>(m_iSeenPosition) * m_iScrollStep;
    for (size_t i = 0; i < m_vItems.size(); ++i) {
        CDX9KelSGUIText* pItem = m_vItems[i];
        const LONG top = m_Rect.top + static_cast<LONG>(i) * m_iItemHeight - offset;
        pItem->SetRect(m_Rect.left, top, m_Rect.right, top + m_iItemHeight);
        pItem->m_ClipRect = m_Rect;
        pItem->m_bClip = true;
        UpdateVisibility(pItem);
    }
}

int CDX9KelSGUIControlListBox::AddItem(IDirect3DDevice9* pDevice, const char* szText) {
    if (!pDevice || !szText || !*szText || !m_pDialog)
        return -1;
    CDX9KelSGUIText* pItem = nullptr;
    if (!m_vSpareItems.empty()) {
        pItem = m_vSpareItems.back();
        m_vSpareItems.pop_back();
        pItem->SetText(szText);
        pItem->SetColor(m_NormalColor[0], m_NormalColor[1], m_NormalColor[2], m_NormalColor[3]);
    } else {
        pItem = m_pDialog->AddText(pDevice, (m_strName + "_text").c_str(), true, m_iFont, 0,
                                   m_strTextEffect.empty() ? nullptr : m_strTextEffect.c_str(), szText, m_Rect.left,
                                   m_Rect.top, m_Rect.right, m_Rect.bottom, m_NormalColor[0], m_NormalColor[1],
                                   m_NormalColor[2], m_NormalColor[3]);
        if (!pItem)
            return -1;
    }
    pItem->m_bPart = true;
    m_vItems.push_back(pItem);
    m_iContentHeight += m_iItemHeight;
    // A list without a scroll bar simply shows what fits.
    UpdateScrollBar();
    PlaceItems();
    return static_cast<int>(m_vItems.size()) - 1;
}

bool CDX9KelSGUIControlListBox::Clear() {
    if (m_iSelected >= 0 && static_cast<size_t>(m_iSelected) < m_vItems.size())
        m_vItems[static_cast<size_t>(m_iSelected)]->SetColor(m_NormalColor[0], m_NormalColor[1], m_NormalColor[2],
                                                             m_NormalColor[3]);
    for (CDX9KelSGUIText* pItem : m_vItems) {
        pItem->m_bVisible = false;
        m_vSpareItems.push_back(pItem);
    }
    m_vItems.clear();
    m_iSelected = -1;
    m_strSelectedText.clear();
    m_iContentHeight = 0;
    m_iSeenPosition = 0;
    if (!m_pScrollBar)
        return false;
    // Nothing left to scroll: the bar goes back to the top with no positions.
    m_pScrollBar->m_iCount = 0;
    m_pScrollBar->m_iPosition = 0;
    m_pScrollBar->Layout();
    return UpdateScrollBar();
}

bool CDX9KelSGUIControlListBox::Select(int index) {
    if (index < 0 || static_cast<size_t>(index) >= m_vItems.size())
        return false;
    if (m_iSelected >= 0 && static_cast<size_t>(m_iSelected) < m_vItems.size())
        m_vItems[static_cast<size_t>(m_iSelected)]->SetColor(m_NormalColor[0], m_NormalColor[1], m_NormalColor[2],
                                                             m_NormalColor[3]);
    CDX9KelSGUIText* pItem = m_vItems[static_cast<size_t>(index)];
    pItem->SetColor(m_SelectedColor[0], m_SelectedColor[1], m_SelectedColor[2], m_SelectedColor[3]);
    m_strSelectedText = pItem->GetText();
    m_iSelected = index;
    return true;
}

bool CDX9KelSGUIControlListBox::UpdateScrollBar() {
    if (!m_pScrollBar)
        return false;
    const LONG height = m_Rect.bottom - m_Rect.top;
    if (m_iContentHeight < height)
        return true;
    const LONG overflow = m_iContentHeight - height;
    const int maxCount = m_pScrollBar->m_iMaxCount;
    if (maxCount <= 0) {
        // A track too short for any position: nothing scrolls.
        m_pScrollBar->m_iCount = 0;
        m_pScrollBar->m_iPosition = 0;
        m_pScrollBar->Layout();
        m_iScrollStep = std::max<LONG>(kMinScrollStep, overflow + 1);
        return false;
    }
    const LONG step = std::max<LONG>(overflow / maxCount + 1, kMinScrollStep);
    const int count = std::clamp(static_cast<int>(overflow / step), 0, maxCount);
    m_pScrollBar->m_iCount = count;
    if (m_pScrollBar->m_iPosition > count)
        m_pScrollBar->m_iPosition = count;
    if (!m_pScrollBar->Layout())
        return false;
    m_iScrollStep = step;
    return true;
}

bool CDX9KelSGUIControlListBox::SetRect(LONG left, LONG top, LONG right, LONG bottom) {
    if (right - left < 1 || bottom - top < 1)
        return false;
    m_Rect = {left, top, right, bottom};
    UpdateScrollBar();
    PlaceItems();
    return true;
}

bool CDX9KelSGUIControlListBox::Resize(LONG width, LONG height) {
    if (width < 1 || height < 1)
        return false;
    return SetRect(m_Rect.left, m_Rect.top, m_Rect.left + width, m_Rect.top + height);
}

bool CDX9KelSGUIControlListBox::MoveTo(LONG x, LONG y) {
    const LONG dx = x - m_Rect.left, dy = y - m_Rect.top;
    if (dx == 0 && dy == 0)
        return true;
    return MoveBy(dx, dy);
}

bool CDX9KelSGUIControlListBox::MoveBy(LONG dx, LONG dy) {
    if (dx == 0 && dy == 0)
        return false;
    m_Rect.left += dx, m_Rect.right += dx, m_Rect.top += dy, m_Rect.bottom += dy;
    for (CDX9KelSGUIText* pItem : m_vItems) {
        pItem->MoveBy(dx, dy);
        pItem->m_ClipRect = m_Rect;
    }
    return true;
}

void CDX9KelSGUIControlListBox::UpdateMouse(float fElapsed) {
    if (!m_bVisible || !m_bEnabled)
        return;
    CDX9KelSGUIBaseControl::UpdateMouse(fElapsed);
    CDX9KelSGUIManager* pManager = GetManager();
    if (!pManager)
        return;
    const POINT cursor = m_pDialog->GetCursor();
    if (m_bHovered && pManager->m_bMouseButtons[0] && pManager->AllowInput(kSelectPeriod)) {
        for (size_t i = 0; i < m_vItems.size(); ++i) {
            const CDX9KelSGUIText* pItem = m_vItems[i];
            if (pItem->m_bVisible && SGUIPointInRect(pItem->m_Rect, cursor.x, cursor.y)) {
                Select(static_cast<int>(i));
                break;
            }
        }
    }
    if (!m_pScrollBar)
        return;
    if (m_bHovered && !SGUIPointInRect(m_pScrollBar->m_Rect, cursor.x, cursor.y)) {
        if (pManager->m_fWheel > 0.0f)
            m_pScrollBar->SetPosition(m_pScrollBar->GetPosition() - 1);
        else if (pManager->m_fWheel < 0.0f)
            m_pScrollBar->SetPosition(m_pScrollBar->GetPosition() + 1);
    }
    if (m_pScrollBar->GetPosition() != m_iSeenPosition)
        PlaceItems();
}

} // namespace Vorna3D
