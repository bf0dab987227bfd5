#include "engine2/ui/gui/CDX9KelGUIScrollText.h"

#include "engine2/core/CDX9KelLog.h"
#include "engine2/ui/gui/CDX9KelGUIListBox.h"
#include "engine2/ui/gui/CDX9KelGUIManager.h"
#include "engine2/ui/gui/CDX9KelGUIScrollBar.h"
#include "engine2/ui/gui/CDX9KelGUIText.h"

namespace Vorna2 {

HRESULT CDX9KelGUIScrollText::Init(CDX9KelGUIDialog* dialog, int left, int top, int right, int bottom,
                                   const GUIScrollBarSettings& bar) {
    if (!dialog || right - left < m_iBarWidth || !bar.thumb.texture || !bar.track.texture || !bar.arrow1.texture ||
        !bar.arrow2.texture)
        return E_FAIL;
    m_pDialog = dialog;
    m_Rect = {left, top, right, bottom};
    if (FAILED(dialog->AddScrollBar(right - m_iBarWidth, top, right, bottom, bar, &m_iScrollMirror, true,
                                    &m_pScrollBar))) {
        g_Log.Write(-1, "CDX9KelGUIScrollText::Init : Error : m_pDialog->AddScrollBar\n");
        m_pScrollBar = nullptr;
        return E_FAIL;
    }
    m_pScrollBar->m_bIsPart = true;
    m_iType = GUI_CONTROL_TYPE_SCROLLTEXT;
    SetScreenWorld();
    return S_OK;
}

RECT CDX9KelGUIScrollText::ClipRect() const {
    return {m_Rect.left, m_Rect.top, m_Rect.right - m_iBarWidth, m_Rect.bottom};
}

void CDX9KelGUIScrollText::UpdateVisibility(CDX9KelGUIText* text) const {
    const RECT& r = text->m_Rect;
    text->m_bVisible = (r.top >= m_Rect.top && r.top <= m_Rect.bottom) ||
                       (r.bottom >= m_Rect.top && r.bottom <= m_Rect.bottom);
}

bool CDX9KelGUIScrollText::AddText(int font, int align, D3DCOLOR colour, const char* text) {
    if (!text || !m_pDialog) return false;
    int sum = 0;
    for (CDX9KelGUIText* t : m_Texts) sum += t->GetTextHeight();
    if (sum > kMaxContentHeight) {
        g_Log.Write(-1, "CDX9KelGUIScrollText::AddText: Error : sHeight > 60000\n");
        return false;
    }
    CDX9KelGUIText* block = nullptr;
    if (FAILED(m_pDialog->AddText(m_Rect.left, m_Rect.top, m_Rect.right - m_iBarWidth, m_Rect.bottom, font, align,
                                  nullptr, nullptr, colour, text, false, &block))) {
        g_Log.Write(-1, "CDX9KelGUIScrollText::AddText: Error : m_pDialog->AddText failed\n");
        return false;
    }
    if (!block) {
        g_Log.Write(-1, "CDX9KelGUIScrollText::AddText: Error : pText == NULL\n");
        return false;
    }
    block->MoveBy(0, sum - m_iScrollShown * m_iStep);
    block->m_bIsPart = true;
    block->m_Clip = ClipRect();
    m_Texts.push_back(block);
    UpdateVisibility(block);
    m_iContentHeight = sum + block->GetTextHeight();
    return UpdateScrollRange();
}

bool CDX9KelGUIScrollText::UpdateScrollRange() {
    if (!m_pScrollBar) return false;
    return FitScrollBar(*m_pScrollBar, m_iContentHeight, m_Rect.bottom - m_Rect.top, m_iScrollMirror, m_iStep,
                        [this] { Relayout(); });
}

void CDX9KelGUIScrollText::Relayout() {
    m_iScrollShown = m_iScrollMirror;
    int y = m_Rect.top - m_iScrollShown * m_iStep;
    for (CDX9KelGUIText* t : m_Texts) {
        const int h = t->GetTextHeight();
        t->MoveBy(0, y - t->m_Rect.top);
        t->m_Clip = ClipRect();
        UpdateVisibility(t);
        y += h;
    }
}

int CDX9KelGUIScrollText::UpdateMouse(const POINT& cursor) {
    const int base = CDX9KelGUIControl::UpdateMouse(cursor);
    if (base == -1 || !m_pScrollBar) return -1;
    CDX9KelGUIManager* manager = GetManager();
    if (base == 1 && !GUIPointInRect(m_pScrollBar->m_Rect, cursor)) {
        if (manager->m_fWheel > 0.0f)
            m_pScrollBar->SetPosition(m_pScrollBar->m_iPosition - 1, true);
        else if (manager->m_fWheel < 0.0f)
            m_pScrollBar->SetPosition(m_pScrollBar->m_iPosition + 1, true);
    }
    if (m_iScrollMirror != m_iScrollShown) {
        const int dy = (m_iScrollShown - m_iScrollMirror) * m_iStep;
        for (CDX9KelGUIText* t : m_Texts) {
            t->MoveBy(0, dy);
            t->m_Clip = ClipRect();
            UpdateVisibility(t);
        }
        m_iScrollShown = m_iScrollMirror;
    }
    return base;
}

void CDX9KelGUIScrollText::Release() {
    m_pScrollBar = nullptr;
    m_Texts.clear();
    CDX9KelGUIControl::Release();
}

bool CDX9KelGUIScrollText::SetRect(int left, int top, int right, int bottom) {
    if (right - left < m_iBarWidth || bottom - top < 1) return false;
    const int dx = left - m_Rect.left;
    m_Rect = {left, top, right, bottom};
    if (m_pScrollBar) m_pScrollBar->SetRect(right - m_iBarWidth, top, right, bottom);
    // The blocks wrap again to the new width: the content is as high as
    // they now are.
    m_iContentHeight = 0;
    for (CDX9KelGUIText* t : m_Texts) {
        if (dx != 0) t->MoveBy(dx, 0);
        t->Resize(right - m_iBarWidth - left, bottom - top);
        m_iContentHeight += t->GetTextHeight();
    }
    Relayout();
    return UpdateScrollRange();
}

bool CDX9KelGUIScrollText::Resize(int width, int height) {
    if (width <= 0 || height <= 0 || !m_pDialog) return false;
    return SetRect(m_Rect.left, m_Rect.top, m_Rect.left + width, m_Rect.top + height);
}

bool CDX9KelGUIScrollText::MoveTo(int x, int y) {
    const int dx = x - m_Rect.left, dy = y - m_Rect.top;
    if (dx == 0 && dy == 0) return true;
    return MoveBy(dx, dy);
}

bool CDX9KelGUIScrollText::MoveBy(int dx, int dy) {
    if (!CDX9KelGUIControl::MoveBy(dx, dy)) return false;
    if (m_pScrollBar) m_pScrollBar->MoveBy(dx, dy);
    for (CDX9KelGUIText* t : m_Texts) {
        t->MoveBy(dx, dy);
        t->m_Clip = ClipRect();
    }
    return true;
}

} // namespace Vorna2
