#include "engine2/ui/gui/CDX9KelGUIListBox.h"

#include <algorithm>

#include "engine2/core/CDX9KelLog.h"
#include "engine2/ui/gui/CDX9KelGUIImage.h"
#include "engine2/ui/gui/CDX9KelGUIManager.h"
#include "engine2/ui/gui/CDX9KelGUIScrollBar.h"
#include "engine2/ui/gui/CDX9KelGUIText.h"

namespace Vorna2 {

GUIScrollRange ComputeScrollRange(int contentHeight, int windowHeight, int limit) {
    GUIScrollRange r;
    if (contentHeight <= windowHeight) return r;
    const unsigned overflow = static_cast<unsigned>(contentHeight - windowHeight);
    // A bar too short to have positions cannot scroll: one step covers all.
    unsigned s = limit > 0 ? overflow / static_cast<unsigned>(limit) + 1 : overflow + 1;
    s = std::max(s, 10u);
    r.step = static_cast<int>(s);
    r.positions = static_cast<int>(std::min(overflow / s, static_cast<unsigned>(std::max(0, limit))));
    return r;
}

HRESULT CDX9KelGUIListBox::Init(CDX9KelGUIDialog* dialog, int left, int top, int right, int bottom,
                                D3DCOLOR textColour, int font, const GUIImageSettings& selectionBar,
                                const GUIScrollBarSettings& bar, int* selectedOut, std::string* textOut) {
    if (!dialog || right - left < m_iBarWidth || !selectionBar.texture || !bar.thumb.texture || !bar.track.texture ||
        !bar.arrow1.texture || !bar.arrow2.texture)
        return E_FAIL;
    m_pDialog = dialog;
    m_Rect = {left, top, right, bottom};
    m_dwTextColour = textColour;
    m_iFont = font;
    m_pSelectedOut = selectedOut;
    m_pTextOut = textOut;
    if (FAILED(dialog->AddScrollBar(right - m_iBarWidth, top, right, bottom, bar, &m_iScrollMirror, true,
                                    &m_pScrollBar))) {
        g_Log.Write(-1, "CDX9KelGUIListBox::Init : Error : m_pDialog->AddScrollBar\n");
        m_pScrollBar = nullptr;
        return E_FAIL;
    }
    m_pScrollBar->m_bIsPart = true;
    if (FAILED(dialog->AddImage(left, top, right, bottom, selectionBar, 0xFFFFFFFFu, false, true, &m_pSelectionBar))) {
        dialog->DeleteControl(m_pScrollBar->m_iID);
        m_pScrollBar = nullptr;
        return E_FAIL;
    }
    m_pSelectionBar->m_bIsPart = true;
    m_pSelectionBar->m_bVisible = false;
    m_pSelectionBar->m_bClipOn = true;
    m_pSelectionBar->m_Clip = ClipRect();
    m_iType = GUI_CONTROL_TYPE_LISTBOX;
    if (const CDX9KelGUIFont* f = dialog->m_pManager->GetFont(font)) m_iLineHeight = f->m_iLineHeight;
    SetScreenWorld();
    return S_OK;
}

RECT CDX9KelGUIListBox::ClipRect() const { return {m_Rect.left, m_Rect.top, m_Rect.right - m_iBarWidth, m_Rect.bottom}; }

void CDX9KelGUIListBox::UpdateVisibility(CDX9KelGUIText* text) const {
    const RECT& r = text->m_Rect;
    text->m_bVisible = (r.top >= m_Rect.top && r.top <= m_Rect.bottom) ||
                       (r.bottom >= m_Rect.top && r.bottom <= m_Rect.bottom);
}

void CDX9KelGUIListBox::PlaceSelectionBar() {
    if (!m_pSelectionBar) return;
    if (m_iSelected < 0 || m_iSelected >= static_cast<int>(m_Elements.size())) {
        m_pSelectionBar->m_bVisible = false;
        return;
    }
    const CDX9KelGUIText* e = m_Elements[static_cast<std::size_t>(m_iSelected)];
    m_pSelectionBar->SetRect(e->m_Rect.left, e->m_Rect.top, e->m_Rect.right, e->m_Rect.bottom);
    m_pSelectionBar->m_Clip = ClipRect();
    m_pSelectionBar->m_bVisible = e->m_bVisible;
}

int CDX9KelGUIListBox::AddElement(const char* text) {
    if (!text || !m_pDialog) return -1;
    CDX9KelGUIText* element = nullptr;
    if (FAILED(m_pDialog->AddText(m_Rect.left, m_Rect.top, m_Rect.right - m_iBarWidth, m_Rect.top + m_iLineHeight,
                                  m_iFont, AlignNo, nullptr, nullptr, m_dwTextColour, text, false, &element))) {
        g_Log.Write(-1, "CDX9KelGUIListBox::AddElement: Error : m_pDialog->AddText failed\n");
        return -1;
    }
    if (!element) {
        g_Log.Write(-1, "CDX9KelGUIListBox::AddElement: Error : pText == NULL\n");
        return -1;
    }
    // Below the last element, wherever the list is scrolled to.
    element->MoveBy(0, m_iContentHeight - m_iScrollShown * m_iStep);
    element->m_bIsPart = true;
    element->m_Clip = ClipRect();
    m_Elements.push_back(element);
    UpdateVisibility(element);
    m_iContentHeight += m_iLineHeight;
    if (!UpdateScrollRange()) return -1;
    return static_cast<int>(m_Elements.size()) - 1;
}

bool CDX9KelGUIListBox::SelectElement(int index) {
    if (m_Elements.empty() || index < 0 || index > static_cast<int>(m_Elements.size()) - 1) return false;
    m_iSelected = index;
    if (m_pSelectedOut) *m_pSelectedOut = index;
    m_Elements[static_cast<std::size_t>(index)]->GetText(&m_strSelectedText);
    if (m_pTextOut) *m_pTextOut = m_strSelectedText;
    PlaceSelectionBar();
    return true;
}

void CDX9KelGUIListBox::ClearElements() {
    for (CDX9KelGUIText* e : m_Elements) m_pDialog->DeleteControl(e->m_iID);
    m_Elements.clear();
    m_iContentHeight = 0;
    m_iSelected = -1;
    PlaceSelectionBar();
    UpdateScrollRange();
}

bool FitScrollBar(CDX9KelGUIScrollBar& bar, int contentHeight, int windowHeight, int& scrollMirror, int& step,
                  const std::function<void()>& relayout) {
    if (contentHeight <= windowHeight) {
        bar.SetPosition(0, false);
        scrollMirror = 0;
        const bool ok = bar.SetMaxPosition(0);
        relayout();
        return ok;
    }
    const GUIScrollRange range = ComputeScrollRange(contentHeight, windowHeight, bar.m_iLimit);
    if (bar.m_iPosition > range.positions) bar.SetPosition(range.positions, false);
    if (!bar.SetMaxPosition(range.positions)) return false;
    if (range.step != step) {
        step = range.step;
        relayout();
    }
    return true;
}

bool CDX9KelGUIListBox::UpdateScrollRange() {
    if (!m_pScrollBar) return false;
    return FitScrollBar(*m_pScrollBar, m_iContentHeight, m_Rect.bottom - m_Rect.top, m_iScrollMirror, m_iStep,
                        [this] { Relayout(); });
}

// Every element at its place for the shown scroll position.
void CDX9KelGUIListBox::Relayout() {
    m_iScrollShown = m_iScrollMirror;
    int y = m_Rect.top - m_iScrollShown * m_iStep;
    for (CDX9KelGUIText* e : m_Elements) {
        e->SetRect(m_Rect.left, y, m_Rect.right - m_iBarWidth, y + m_iLineHeight);
        e->m_Clip = ClipRect();
        UpdateVisibility(e);
        y += e->GetTextHeight() > 0 ? e->GetTextHeight() : m_iLineHeight;
    }
    PlaceSelectionBar();
}

int CDX9KelGUIListBox::UpdateMouse(const POINT& cursor) {
    const int base = CDX9KelGUIControl::UpdateMouse(cursor);
    if (base == -1 || !m_pScrollBar) return -1;
    CDX9KelGUIManager* manager = GetManager();
    if (base == 1 && !GUIPointInRect(m_pScrollBar->m_Rect, cursor)) {
        // The dialog's click window is shared: a press on the scroll bar is
        // the bar's, so the list asks for the window only beside the bar.
        if (manager->m_bLeftButton && m_pDialog->IsClickReady(CDX9KelGUIDialog::kClickWindowMs)) {
            for (std::size_t i = 0; i < m_Elements.size(); ++i)
                if (m_Elements[i]->m_bVisible && GUIPointInRect(m_Elements[i]->m_Rect, cursor)) {
                    SelectElement(static_cast<int>(i));
                    break;
                }
        }
        if (manager->m_fWheel > 0.0f)
            m_pScrollBar->SetPosition(m_pScrollBar->m_iPosition - 1, true);
        else if (manager->m_fWheel < 0.0f)
            m_pScrollBar->SetPosition(m_pScrollBar->m_iPosition + 1, true);
    }
    if (m_iScrollMirror != m_iScrollShown) {
        const int dy = (m_iScrollShown - m_iScrollMirror) * m_iStep;
        for (CDX9KelGUIText* e : m_Elements) {
            e->MoveBy(0, dy);
            e->m_Clip = ClipRect();
            UpdateVisibility(e);
        }
        m_iScrollShown = m_iScrollMirror;
        PlaceSelectionBar();
    }
    return base == 1 ? 1 : base;
}

void CDX9KelGUIListBox::Release() {
    m_pScrollBar = nullptr;
    m_pSelectionBar = nullptr;
    m_Elements.clear();
    CDX9KelGUIControl::Release();
}

bool CDX9KelGUIListBox::SetRect(int left, int top, int right, int bottom) {
    if (right - left < m_iBarWidth || bottom - top < 1) return false;
    m_Rect = {left, top, right, bottom};
    if (m_pScrollBar) m_pScrollBar->SetRect(right - m_iBarWidth, top, right, bottom);
    if (m_pSelectionBar) m_pSelectionBar->m_Clip = ClipRect();
    Relayout();
    return UpdateScrollRange();
}

bool CDX9KelGUIListBox::Resize(int width, int height) {
    if (width <= 0 || height <= 0 || !m_pDialog) return false;
    return SetRect(m_Rect.left, m_Rect.top, m_Rect.left + width, m_Rect.top + height);
}

bool CDX9KelGUIListBox::MoveTo(int x, int y) {
    const int dx = x - m_Rect.left, dy = y - m_Rect.top;
    if (dx == 0 && dy == 0) return true;
    return MoveBy(dx, dy);
}

bool CDX9KelGUIListBox::MoveBy(int dx, int dy) {
    if (!CDX9KelGUIControl::MoveBy(dx, dy)) return false;
    if (m_pScrollBar) m_pScrollBar->MoveBy(dx, dy);
    for (CDX9KelGUIText* e : m_Elements) {
        e->MoveBy(dx, dy);
        e->m_Clip = ClipRect();
    }
    if (m_pSelectionBar) m_pSelectionBar->MoveBy(dx, dy);
    PlaceSelectionBar();
    return true;
}

} // namespace Vorna2
