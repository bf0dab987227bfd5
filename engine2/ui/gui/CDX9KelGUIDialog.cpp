#include "engine2/ui/gui/CDX9KelGUIDialog.h"

#include <algorithm>

#include "engine2/ui/gui/CDX9KelGUIButton.h"
#include "engine2/ui/gui/CDX9KelGUIEditBox.h"
#include "engine2/ui/gui/CDX9KelGUIImage.h"
#include "engine2/ui/gui/CDX9KelGUIListBox.h"
#include "engine2/ui/gui/CDX9KelGUIManager.h"
#include "engine2/ui/gui/CDX9KelGUIRadioList.h"
#include "engine2/ui/gui/CDX9KelGUIScrollBar.h"
#include "engine2/ui/gui/CDX9KelGUIScrollText.h"
#include "engine2/ui/gui/CDX9KelGUIStateBar.h"
#include "engine2/ui/gui/CDX9KelGUIText.h"
#include "platform/os/Clock.h"

namespace Vorna2 {

CDX9KelGUIDialog::~CDX9KelGUIDialog() { Release(); }

HRESULT CDX9KelGUIDialog::Setup(CDX9KelGUIManager* manager, int id, int left, int top, int right, int bottom,
                                bool drag) {
    if (!manager || id < 0) return E_FAIL;
    m_pManager = manager;
    m_iID = id;
    m_Rect = {left, top, right, bottom};
    m_bDrag = drag;
    ComputeInner();
    return S_OK;
}

void CDX9KelGUIDialog::ComputeInner() {
    m_Inner = m_Rect;
    if (m_bDrag)
        m_Inner = {m_Rect.left + m_iBorderLeft, m_Rect.top + m_iBorderTop, m_Rect.right - m_iBorderRight,
                   m_Rect.bottom - m_iBorderBottom};
}

bool CDX9KelGUIDialog::MoveTo(int x, int y) {
    const int dx = x - m_Rect.left, dy = y - m_Rect.top;
    OffsetGUIRect(m_Rect, dx, dy);
    ComputeInner();
    for (auto& control : m_Controls)
        if (!control->m_bIsPart) control->MoveBy(dx, dy);
    return true;
}

bool CDX9KelGUIDialog::ContainsRect(int left, int top, int right, int bottom) const {
    return left >= m_Rect.left && top >= m_Rect.top && right <= m_Rect.right && bottom <= m_Rect.bottom;
}

HRESULT CDX9KelGUIDialog::AddImage(int left, int top, int right, int bottom, const GUIImageSettings& image,
                                   D3DCOLOR colour, bool highlight, bool checkRect, CDX9KelGUIImage** out) {
    if (checkRect && !ContainsRect(left, top, right, bottom)) return E_FAIL;
    return Emplace(out, left, top, right, bottom, image, colour, highlight);
}

HRESULT CDX9KelGUIDialog::AddText(int left, int top, int right, int bottom, int font, int align,
                                  IDirect3DTexture9* texture2, CDX9KelEffect* effect, D3DCOLOR colour,
                                  const std::string& text, bool checkRect, CDX9KelGUIText** out) {
    if (checkRect && !ContainsRect(left, top, right, bottom)) return E_FAIL;
    return Emplace(out, left, top, right, bottom, font, align, texture2, effect, colour, text);
}

HRESULT CDX9KelGUIDialog::AddButton(int left, int top, int right, int bottom, int font, const std::string& text,
                                    D3DCOLOR textColour, const GUIImageSettings& image, int* mirror,
                                    CDX9KelGUIButton** out) {
    if (!ContainsRect(left, top, right, bottom)) return E_FAIL;
    return Emplace(out, left, top, right, bottom, font, text, textColour, image, mirror);
}

HRESULT CDX9KelGUIDialog::AddCheckButton(int left, int top, int right, int bottom, int font, const std::string& text,
                                         D3DCOLOR textColour, const GUIImageSettings& image, int* mirror,
                                         CDX9KelGUICheckButton** out) {
    if (!ContainsRect(left, top, right, bottom)) return E_FAIL;
    CDX9KelGUICheckButton* button = nullptr;
    HRESULT hr = Emplace(&button, left, top, right, bottom, font, text, textColour, image, mirror);
    if (FAILED(hr)) return hr;
    button->m_iType = GUI_CONTROL_TYPE_CHECKBUTTON;
    button->m_bToggles = true;
    if (out) *out = button;
    return S_OK;
}

HRESULT CDX9KelGUIDialog::AddScrollBar(int left, int top, int right, int bottom, const GUIScrollBarSettings& bar,
                                       int* mirror, bool vertical, CDX9KelGUIScrollBar** out) {
    if (!ContainsRect(left, top, right, bottom)) return E_FAIL;
    return Emplace(out, left, top, right, bottom, bar, mirror, vertical);
}

HRESULT CDX9KelGUIDialog::AddRadioList(bool mustSelect, CDX9KelGUIRadioList** out) {
    return Emplace(out, 0, mustSelect);
}

HRESULT CDX9KelGUIDialog::AddScrollText(int left, int top, int right, int bottom, const GUIScrollBarSettings& bar,
                                        CDX9KelGUIScrollText** out) {
    if (!ContainsRect(left, top, right, bottom)) return E_FAIL;
    return Emplace(out, left, top, right, bottom, bar);
}

HRESULT CDX9KelGUIDialog::AddEditBox(int left, int top, int right, int bottom, int font, D3DCOLOR colour,
                                     CDX9KelGUIEditBox** out) {
    if (!ContainsRect(left, top, right, bottom)) return E_FAIL;
    return Emplace(out, left, top, right, bottom, font, colour, static_cast<std::string*>(nullptr));
}

HRESULT CDX9KelGUIDialog::AddListBox(int left, int top, int right, int bottom, D3DCOLOR textColour, int font,
                                     const GUIImageSettings& selectionBar, const GUIScrollBarSettings& bar,
                                     int* selectedOut, std::string* textOut, CDX9KelGUIListBox** out) {
    if (!ContainsRect(left, top, right, bottom)) return E_FAIL;
    return Emplace(out, left, top, right, bottom, textColour, font, selectionBar, bar, selectedOut, textOut);
}

HRESULT CDX9KelGUIDialog::AddStateBar(int left, int top, int right, int bottom, const GUIImageSettings& image,
                                      D3DCOLOR colour, bool vertical, CDX9KelGUIStateBar** out) {
    if (!ContainsRect(left, top, right, bottom)) return E_FAIL;
    return Emplace(out, left, top, right, bottom, image, colour, vertical, 100);
}

HRESULT CDX9KelGUIDialog::SetButtonPopUp(int id, int left, int top, int right, int bottom, int font,
                                         const std::string& text, D3DCOLOR textColour, const GUIImageSettings& image) {
    auto* button = dynamic_cast<CDX9KelGUIButton*>(GetControl(id));
    if (!button) return E_FAIL;
    return button->SetPopUp(left, top, right, bottom, font, text, textColour, image);
}

int CDX9KelGUIDialog::GetControlIndex(int id) const {
    for (std::size_t i = 0; i < m_Controls.size(); ++i)
        if (m_Controls[i]->m_iID == id) return static_cast<int>(i);
    return -1;
}

CDX9KelGUIControl* CDX9KelGUIDialog::GetControl(int id) const {
    const int i = GetControlIndex(id);
    return i < 0 ? nullptr : m_Controls[static_cast<std::size_t>(i)].get();
}

bool CDX9KelGUIDialog::DeleteControl(int id) {
    const int i = GetControlIndex(id);
    if (i < 0) return false;
    // The draw list of the frame must not keep a pointer to it.
    if (m_pManager) {
        auto& list = m_pManager->m_DrawList;
        list.erase(std::remove(list.begin(), list.end(), m_Controls[static_cast<std::size_t>(i)].get()), list.end());
    }
    m_Controls[static_cast<std::size_t>(i)]->Release();
    m_Controls.erase(m_Controls.begin() + i);
    ++m_iRemovedControls;
    return true;
}

bool CDX9KelGUIDialog::MoveControlToBack(int id) {
    const int i = GetControlIndex(id);
    if (i < 0) return false;
    std::rotate(m_Controls.begin() + i, m_Controls.begin() + i + 1, m_Controls.end());
    return true;
}

bool CDX9KelGUIDialog::MoveControlToFront(int id) {
    const int i = GetControlIndex(id);
    if (i < 0) return false;
    std::rotate(m_Controls.begin(), m_Controls.begin() + i, m_Controls.begin() + i + 1);
    return true;
}

int CDX9KelGUIDialog::GetNextControl(int index) const {
    if (index == -2) return -1;
    for (int i = std::max(0, index + 1); i < static_cast<int>(m_Controls.size()); ++i)
        if (!m_Controls[static_cast<std::size_t>(i)]->m_bIsPart) return i;
    return -1;
}

int CDX9KelGUIDialog::GetLastControl() const {
    for (int i = static_cast<int>(m_Controls.size()) - 1; i >= 0; --i)
        if (!m_Controls[static_cast<std::size_t>(i)]->m_bIsPart) return i;
    return -1;
}

bool CDX9KelGUIDialog::IsClickReady(DWORD milliseconds) {
    const DWORD now = timeGetTime();
    if (m_dwClickTime == 0) {
        m_dwClickTime = now;
        return true;
    }
    if (now - m_dwClickTime > milliseconds) m_dwClickTime = 0;
    return false;
}

bool CDX9KelGUIDialog::LockInput() {
    if (!m_pManager || m_pManager->m_iInputLockDialog != -1) return false;
    m_pManager->m_iInputLockDialog = m_iID;
    return true;
}

bool CDX9KelGUIDialog::UnlockInput() {
    if (!m_pManager || m_pManager->m_iInputLockDialog != m_iID) return false;
    m_pManager->m_iInputLockDialog = -1;
    return true;
}

void CDX9KelGUIDialog::MouseLeaveAll() {
    for (auto it = m_Controls.rbegin(); it != m_Controls.rend(); ++it) (*it)->MouseLeave();
}

void CDX9KelGUIDialog::Update() {
    if (!m_pManager) return;
    CDX9KelGUIManager& manager = *m_pManager;
    m_bMouseIn = false;
    m_iHoveredControl = -1;
    if (m_bVisible) {
        std::vector<CDX9KelGUIControl*> mine;
        mine.reserve(m_Controls.size());
        for (auto& c : m_Controls) mine.push_back(c.get());
        manager.m_DrawList.insert(manager.m_DrawList.begin(), mine.begin(), mine.end());
    }
    if (!(m_bVisible && m_bProc)) {
        if (m_iResetPending != -1) {
            MouseLeaveAll();
            m_iResetPending = -1;
        }
        return;
    }
    if (manager.m_iInputLockDialog != -1 && manager.m_iInputLockDialog != m_iID) return;
    m_bIsTop = !manager.m_Dialogs.empty() && manager.m_Dialogs.back().get() == this;
    if (m_bAutoInvisible && !m_bIsTop) {
        m_bVisible = false;
        m_iResetPending = 0;
        return;
    }
    const POINT cursor = manager.GetCursor();
    if (manager.m_iHoverDialog != -1 && !m_bDragging) {
        MouseLeaveAll();
        return;
    }
    // An open pop-up covers the window, so the dialog keeps the mouse
    // wherever the cursor is.
    if (!GUIPointInRect(m_Rect, cursor) && !m_bPressed && !m_bPopUpOpen) {
        MouseLeaveAll();
        return;
    }
    m_bMouseIn = true;
    manager.m_iHoverDialog = m_iID;
    if (manager.m_bLeftButton) {
        manager.SetActiveDialog(m_iID);
        m_iDragDX = m_iDragDY = 0;
        m_bPressed = true;
        if (m_iLastX != -1) {
            m_iDragDX = cursor.x - m_iLastX;
            m_iDragDY = cursor.y - m_iLastY;
        }
        if (m_bDrag && !m_bPopUpOpen) {
            LockInput();
            m_iLastX = cursor.x;
            m_iLastY = cursor.y;
            const RECT strip{m_Rect.left, m_Rect.top, m_Rect.right, m_Inner.top};
            if (GUIPointInRect(strip, cursor)) m_bDragging = true;
            if (m_bDragging && (m_iDragDX != 0 || m_iDragDY != 0))
                MoveTo(m_Rect.left + m_iDragDX, m_Rect.top + m_iDragDY);
        }
    } else {
        UnlockInput();
        m_iLastX = m_iLastY = -1;
        m_bDragging = false;
        m_bPressed = false;
    }
    m_iHoveredControl = -1;
    // A control may reorder the list (a pop-up moves itself to the end), so
    // the walk goes over the controls as they were at its start.
    std::vector<CDX9KelGUIControl*> order;
    for (auto& c : m_Controls) order.push_back(c.get());
    for (auto it = order.rbegin(); it != order.rend(); ++it) (*it)->UpdateMouse(cursor);
}

void CDX9KelGUIDialog::Release() {
    for (auto& c : m_Controls) c->Release();
    m_Controls.clear();
}

} // namespace Vorna2
