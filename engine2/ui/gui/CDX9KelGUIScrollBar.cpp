#include "engine2/ui/gui/CDX9KelGUIScrollBar.h"

#include <algorithm>

#include "engine2/ui/gui/CDX9KelGUIButton.h"
#include "engine2/ui/gui/CDX9KelGUIImage.h"
#include "engine2/ui/gui/CDX9KelGUIManager.h"

namespace Vorna2 {

HRESULT CDX9KelGUIScrollBar::Init(CDX9KelGUIDialog* dialog, int left, int top, int right, int bottom,
                                  const GUIScrollBarSettings& bar, int* mirror, bool vertical) {
    if (!dialog || !bar.thumb.texture || !bar.track.texture || !bar.arrow1.texture || !bar.arrow2.texture)
        return E_FAIL;
    if (!dialog->ContainsRect(left, top, right, bottom)) return E_FAIL;
    m_pDialog = dialog;
    m_Rect = {left, top, right, bottom};
    m_bVertical = vertical;
    m_pMirror = mirror;
    m_iType = GUI_CONTROL_TYPE_SCROLLBAR;
    auto undo = [&] {
        for (CDX9KelGUIControl* part : std::initializer_list<CDX9KelGUIControl*>{m_pArrow2, m_pArrow1, m_pThumb,
                                                                                  m_pTrack})
            if (part) dialog->DeleteControl(part->m_iID);
        m_pArrow1 = m_pArrow2 = m_pThumb = nullptr;
        m_pTrack = nullptr;
        return E_FAIL;
    };
    if (FAILED(dialog->AddImage(left, top, right, bottom, bar.track, 0xFFFFFFFFu, false, false, &m_pTrack)))
        return undo();
    m_pTrack->m_bIsPart = true;
    if (FAILED(dialog->AddButton(left, top, right, bottom, -1, "", 0, bar.thumb, nullptr, &m_pThumb))) return undo();
    if (FAILED(dialog->AddButton(left, top, right, bottom, -1, "", 0, bar.arrow1, nullptr, &m_pArrow1)))
        return undo();
    if (FAILED(dialog->AddButton(left, top, right, bottom, -1, "", 0, bar.arrow2, nullptr, &m_pArrow2)))
        return undo();
    for (CDX9KelGUIButton* b : {m_pThumb, m_pArrow1, m_pArrow2}) {
        b->m_bIsPart = true;
        if (b->m_pImagePart) b->m_pImagePart->m_bIsPart = true;
    }
    m_pArrow1->m_bShift = m_pArrow2->m_bShift = false;
    SetScreenWorld();
    if (!Layout()) return undo();
    return S_OK;
}

bool CDX9KelGUIScrollBar::Layout() {
    if (!m_pArrow1 || !m_pArrow2 || !m_pThumb || !m_pTrack) return false;
    const RECT& r = m_Rect;
    const int t = m_bVertical ? r.right - r.left : r.bottom - r.top;
    const int len = m_bVertical ? r.bottom - r.top : r.right - r.left;
    if (!(2 * t < len)) return false;
    bool ok;
    if (m_bVertical) {
        ok = m_pArrow1->SetRect(r.left, r.top, r.right, r.top + t) &&
             m_pArrow2->SetRect(r.left, r.bottom - t, r.right, r.bottom) &&
             m_pTrack->SetRect(r.left, r.top + t, r.right, r.bottom - t);
    } else {
        ok = m_pArrow1->SetRect(r.left, r.top, r.left + t, r.bottom) &&
             m_pArrow2->SetRect(r.right - t, r.top, r.right, r.bottom) &&
             m_pTrack->SetRect(r.left + t, r.top, r.right - t, r.bottom);
    }
    return ok && PlaceThumb();
}

bool CDX9KelGUIScrollBar::PlaceThumb() {
    if (!m_pThumb || !m_pTrack) return false;
    const RECT& track = m_pTrack->m_Rect;
    const int len = m_bVertical ? track.bottom - track.top : track.right - track.left;
    m_iLimit = std::max(0, len - 5);
    const int m = m_iMaximum;
    if (m <= 0) {
        m_iStep = 0;
    } else {
        int c = (len - m) / m;
        const float x = static_cast<float>(len) * 5.0f / 100.0f;
        if (c < m)
            c = std::min(c, static_cast<int>(x / 3.0f));
        else if (c > m)
            c = static_cast<int>(x);
        m_iStep = std::max(c, 1);
    }
    const int thumbLen = len - m_iStep * m;
    if (thumbLen < 1) return false;
    const int offset = m_iStep * m_iPosition;
    if (m_bVertical)
        return m_pThumb->SetRect(track.left, track.top + offset, track.right, track.top + offset + thumbLen);
    return m_pThumb->SetRect(track.left + offset, track.top, track.left + offset + thumbLen, track.bottom);
}

int CDX9KelGUIScrollBar::ThumbLength() const {
    const RECT& r = m_pThumb->m_Rect;
    return m_bVertical ? r.bottom - r.top : r.right - r.left;
}

bool CDX9KelGUIScrollBar::SetPosition(int p, bool relayout) {
    if (p < 0 || p > m_iMaximum || !m_pTrack) return false;
    if (p != m_iPosition) {
        m_iPosition = p;
        if (m_pMirror) *m_pMirror = p;
        if (relayout) PlaceThumb();
    }
    return true;
}

bool CDX9KelGUIScrollBar::SetMaxPosition(int m) {
    m_iMaximum = std::clamp(m, 0, m_iLimit);
    return Layout();
}

int CDX9KelGUIScrollBar::PositionFromPoint(const POINT& p) const {
    if (m_iStep == 0) return 0;
    const RECT& track = m_pTrack->m_Rect;
    const int along = m_bVertical ? p.y : p.x;
    const int start = m_bVertical ? track.top : track.left;
    const int end = m_bVertical ? track.bottom : track.right;
    if (along < start || along >= end) return -1;
    const int l = std::max(0, along - ThumbLength() / 2 - start);
    return std::min(m_iMaximum, l / m_iStep);
}

int CDX9KelGUIScrollBar::UpdateMouse(const POINT& cursor) {
    const int base = CDX9KelGUIControl::UpdateMouse(cursor);
    if (base == -1 || !m_pThumb || !m_pTrack) return -1;
    CDX9KelGUIManager* manager = GetManager();
    if (base == 1) {
        if (manager->m_fWheel > 0.0f)
            SetPosition(m_iPosition - 1, true);
        else if (manager->m_fWheel < 0.0f)
            SetPosition(m_iPosition + 1, true);
        if (m_pArrow1->m_iState == ButtonPressed) {
            if (m_pDialog->IsClickReady(kArrowRepeatMs)) SetPosition(m_iPosition - 1, true);
        } else if (m_pArrow2->m_iState == ButtonPressed) {
            if (m_pDialog->IsClickReady(kArrowRepeatMs)) SetPosition(m_iPosition + 1, true);
        } else if (m_pThumb->m_iState == ButtonPressed) {
            m_bDragging = true;
            m_pDialog->m_bPopUpOpen = true;
            m_iLastX = cursor.x;
            m_iLastY = cursor.y;
        } else if (!GUIPointInRect(m_pThumb->m_Rect, cursor) && manager->m_bLeftButton &&
                   GUIPointInRect(m_pTrack->m_Rect, cursor)) {
            const int p = PositionFromPoint(cursor);
            if (p >= 0) SetPosition(p, true);
        }
        return 1;
    }
    if (!m_bDragging) return base;
    if (manager->m_bLeftButton) {
        if (m_iLastX != -1) {
            m_iDragDX = cursor.x - m_iLastX;
            m_iDragDY = cursor.y - m_iLastY;
            const RECT& track = m_pTrack->m_Rect;
            const RECT& thumb = m_pThumb->m_Rect;
            if (m_bVertical) {
                const int top = thumb.top + m_iDragDY;
                if (m_iDragDY != 0 && top >= track.top && top + ThumbLength() <= track.bottom)
                    m_pThumb->MoveTo(thumb.left, top);
            } else {
                const int left = thumb.left + m_iDragDX;
                if (m_iDragDX != 0 && left >= track.left && left + ThumbLength() <= track.right)
                    m_pThumb->MoveTo(left, thumb.top);
            }
            const RECT& moved = m_pThumb->m_Rect;
            const POINT centre{(moved.left + moved.right) / 2, (moved.top + moved.bottom) / 2};
            const int p = PositionFromPoint(centre);
            if (p >= 0) SetPosition(p, false);
        }
        m_iLastX = cursor.x;
        m_iLastY = cursor.y;
    } else {
        m_bDragging = false;
        m_pDialog->m_bPopUpOpen = false;
        m_iLastX = m_iLastY = -1;
        PlaceThumb();
    }
    return 1;
}

bool CDX9KelGUIScrollBar::SetRect(int left, int top, int right, int bottom) {
    if (right - left < 1 || bottom - top < 1) return false;
    m_Rect = {left, top, right, bottom};
    return Layout();
}

bool CDX9KelGUIScrollBar::Resize(int width, int height) {
    if (width <= 0 || height <= 0 || !m_pDialog) return false;
    return SetRect(m_Rect.left, m_Rect.top, m_Rect.left + width, m_Rect.top + height);
}

bool CDX9KelGUIScrollBar::MoveTo(int x, int y) {
    const int dx = x - m_Rect.left, dy = y - m_Rect.top;
    if (dx == 0 && dy == 0) return true;
    return MoveBy(dx, dy);
}

bool CDX9KelGUIScrollBar::MoveBy(int dx, int dy) {
    if (!CDX9KelGUIControl::MoveBy(dx, dy)) return false;
    for (CDX9KelGUIControl* part : std::initializer_list<CDX9KelGUIControl*>{m_pTrack, m_pThumb, m_pArrow1, m_pArrow2})
        if (part) part->MoveBy(dx, dy);
    return true;
}

} // namespace Vorna2
