#include "engine3/ui/sgui/CDX9KelSGUIControlScrollBar.h"

#include <algorithm>

#include "engine3/ui/sgui/CDX9KelSGUIControlImage.h"
#include "engine3/ui/sgui/CDX9KelSGUIDialog.h"
#include "engine3/ui/sgui/CDX9KelSGUIManager.h"

namespace Vorna3D {

namespace {

const float kTextRect[4] = {0.0f, 0.0f, 100.0f, 100.0f};
const float kWhite[4] = {1.0f, 1.0f, 1.0f, 1.0f};

CDX9KelSGUIControlButton* AddPartButton(IDirect3DDevice9* pDevice, CDX9KelSGUIDialog* pDialog,
                                        const std::string& name, const SGUITextureDesc& texture,
                                        const float color[4], const RECT& r) {
    CDX9KelSGUIControlButton* pButton = pDialog->AddButton(pDevice, name.c_str(), false, -1, 0, "", texture, r.left,
                                                           r.top, r.right, r.bottom, color, kTextRect, kWhite);
    if (pButton) {
        pButton->m_bPart = true;
        pButton->SetShift(false);
    }
    return pButton;
}

bool SetStatesOf(CDX9KelSGUIControlButton* pButton, const std::vector<SGUIStateRect>* states) {
    if (!pButton || !states || states->empty())
        return false;
    pButton->m_vStateTextureRects = *states;
    pButton->m_vStateTextColors.clear();
    pButton->m_bTextureStates = true;
    pButton->ResetState();
    return true;
}

} // namespace

bool CDX9KelSGUIControlScrollBar::Init(IDirect3DDevice9* pDevice, CDX9KelSGUIDialog* pDialog,
                                       const SGUITextureDesc& bar, const float barColor[4],
                                       const SGUITextureDesc& track, const float trackColor[4],
                                       const SGUITextureDesc& arrow1, const float arrow1Color[4],
                                       const SGUITextureDesc& arrow2, const float arrow2Color[4], bool bVertical,
                                       LONG left, LONG top, LONG right, LONG bottom) {
    if (!pDialog || bar.strFile.empty() || track.strFile.empty())
        return false;
    m_pDialog = pDialog;
    m_bVertical = bVertical;
    const RECT r = {left, top, right, bottom};
    m_pBar = AddPartButton(pDevice, pDialog, m_strName + "_bar", bar, barColor ? barColor : kWhite, r);
    if (!m_pBar)
        return false;
    // The bar is stretched over many sizes: filtered, not point sampled.
    m_pBar->m_bFiltered = true;
    if (m_pBar->m_pImage)
        m_pBar->m_pImage->m_bFiltered = true;
    const float* tc = trackColor ? trackColor : kWhite;
    m_pTrack = pDialog->AddImage(pDevice, (m_strName + "_track").c_str(), false, track.strFile.c_str(), nullptr,
                                 false, left, top, right, bottom, tc[0], tc[1], tc[2], tc[3]);
    if (!m_pTrack)
        return false;
    m_pTrack->m_bPart = true;
    m_pTrack->SetTextureRect(track.rect[0], track.rect[1], track.rect[2], track.rect[3]);
    if (!arrow1.strFile.empty() && !arrow2.strFile.empty()) {
        m_pArrow1 = AddPartButton(pDevice, pDialog, m_strName + "_arrow1", arrow1, arrow1Color ? arrow1Color : kWhite,
                                  r);
        m_pArrow2 = AddPartButton(pDevice, pDialog, m_strName + "_arrow2", arrow2, arrow2Color ? arrow2Color : kWhite,
                                  r);
        if (!m_pArrow1 || !m_pArrow2)
            return false;
    }
    m_iType = SGUI_CONTROL_SCROLL_BAR;
    return SetRect(left, top, right, bottom);
}

bool CDX9KelSGUIControlScrollBar::Layout() {
    if (!m_pTrack)
        return false;
    const LONG width = m_Rect.right - m_Rect.left, height = m_Rect.bottom - m_Rect.top;
    const LONG size = m_bVertical ? width : height;
    if (size <= 0)
        return false;
    // Square arrows unless the screen file gives their length along the bar.
    const LONG arrow = m_iArrowLength > 0 ? m_iArrowLength : size;
    m_iArrowSize = arrow;
    const LONG arrowW = m_bVertical ? size : arrow, arrowH = m_bVertical ? arrow : size;
    RECT track = m_Rect;
    if (m_pArrow1 && m_pArrow2) {
        if (!m_pArrow1->SetRect(m_Rect.left, m_Rect.top, m_Rect.left + arrowW, m_Rect.top + arrowH) ||
            !m_pArrow2->SetRect(m_Rect.right - arrowW, m_Rect.bottom - arrowH, m_Rect.right, m_Rect.bottom))
            return false;
        if (m_bVertical) {
            track.top += arrow;
            track.bottom -= arrow;
        } else {
            track.left += arrow;
            track.right -= arrow;
        }
    }
    // A track shorter than nothing (the arrows take the whole bar) is refused here.
    if (!m_pTrack->SetRect(track.left, track.top, track.right, track.bottom))
        return false;
    return PlaceBar();
}

bool CDX9KelSGUIControlScrollBar::PlaceBar() {
    if (!m_pTrack || !m_pBar)
        return false;
    const RECT& t = m_pTrack->m_Rect;
    const LONG length = m_bVertical ? t.bottom - t.top : t.right - t.left;
    const int n = m_iCount;
    m_iMaxCount = m_iMode == 0 ? static_cast<int>(length / kPixelsPerPosition)
                               : static_cast<int>(std::max<LONG>(length - kPixelsPerPosition, 0));
    int step = 0;
    if (n >= 1) {
        if (m_iMode == 0) {
            step = n;
        } else {
            step = static_cast<int>((length - n) / n);
            const float fivePercent = static_cast<float>(length) * 5.0f / 100.0f;
            if (step >= n)
                step = static_cast<int>(fivePercent);
            else if (step > static_cast<int>(fivePercent / 3.0f))
                step = static_cast<int>(fivePercent / 3.0f);
            step = std::max(step, 1);
        }
    }
    m_iStep = step;
    LONG shorten = 0;
    if (m_iMode == 0)
        shorten = n > 0 ? static_cast<LONG>(n - 1) * step : 0;
    else
        shorten = static_cast<LONG>(n) * step;
    const LONG barLength = length - shorten;
    if (barLength < 1)
        return true; // no room: the bar keeps its place
    const LONG offset = static_cast<LONG>(m_iPosition) * step;
    if (m_bVertical)
        return m_pBar->SetRect(t.left, t.top + offset, t.right, t.top + offset + barLength);
    return m_pBar->SetRect(t.left + offset, t.top, t.left + offset + barLength, t.bottom);
}

bool CDX9KelSGUIControlScrollBar::SetPosition(int position) {
    if (position < 0 || position > m_iCount || !m_pTrack)
        return false;
    if (position == m_iPosition)
        return true;
    m_iPosition = position;
    PlaceBar();
    return true;
}

int CDX9KelSGUIControlScrollBar::PointToPosition(POINT pt) const {
    if (!m_pTrack || !m_pBar)
        return -1;
    const RECT& t = m_pTrack->m_Rect;
    const LONG start = m_bVertical ? t.top : t.left, end = m_bVertical ? t.bottom : t.right;
    const LONG c = Along(pt);
    if (c < start || c >= end)
        return -1;
    LONG d = c - start;
    if (m_iMode == 0) {
        const RECT& b = m_pBar->m_Rect;
        d -= (m_bVertical ? b.bottom - b.top : b.right - b.left) / 2;
        d = std::max<LONG>(d, 0);
    }
    const int position = m_iStep ? static_cast<int>(d / m_iStep) : 0;
    return std::min(position, m_iCount);
}

bool CDX9KelSGUIControlScrollBar::SetTrackTextureRect(float leftU, float topV, float rightU, float bottomV) {
    return m_pTrack && m_pTrack->SetTextureRect(leftU, topV, rightU, bottomV);
}

bool CDX9KelSGUIControlScrollBar::SetBarStates(const std::vector<SGUIStateRect>* states) {
    return SetStatesOf(m_pBar, states);
}
bool CDX9KelSGUIControlScrollBar::SetArrow1States(const std::vector<SGUIStateRect>* states) {
    return SetStatesOf(m_pArrow1, states);
}
bool CDX9KelSGUIControlScrollBar::SetArrow2States(const std::vector<SGUIStateRect>* states) {
    return SetStatesOf(m_pArrow2, states);
}

bool CDX9KelSGUIControlScrollBar::SetRect(LONG left, LONG top, LONG right, LONG bottom) {
    if (right - left < 1 || bottom - top < 1)
        return false;
    m_Rect = {left, top, right, bottom};
    return Layout();
}

void CDX9KelSGUIControlScrollBar::ForEachPart(void (*fn)(CDX9KelSGUIBaseControl*, LONG, LONG), LONG dx, LONG dy) {
    for (CDX9KelSGUIBaseControl* p : {static_cast<CDX9KelSGUIBaseControl*>(m_pArrow1),
                                      static_cast<CDX9KelSGUIBaseControl*>(m_pArrow2),
                                      static_cast<CDX9KelSGUIBaseControl*>(m_pBar),
                                      static_cast<CDX9KelSGUIBaseControl*>(m_pTrack)})
        if (p)
            fn(p, dx, dy);
}

bool CDX9KelSGUIControlScrollBar::MoveTo(LONG x, LONG y) {
    const LONG dx = x - m_Rect.left, dy = y - m_Rect.top;
    if (dx == 0 && dy == 0)
        return true;
    return MoveBy(dx, dy);
}

bool CDX9KelSGUIControlScrollBar::MoveBy(LONG dx, LONG dy) {
    if (dx == 0 && dy == 0)
        return false;
    m_Rect.left += dx, m_Rect.right += dx, m_Rect.top += dy, m_Rect.bottom += dy;
    ForEachPart([](CDX9KelSGUIBaseControl* p, LONG x, LONG y) { p->MoveBy(x, y); }, dx, dy);
    return true;
}

bool CDX9KelSGUIControlScrollBar::Resize(LONG width, LONG height) {
    if (width == 0 || height == 0 || !m_pDialog)
        return false;
    m_Rect.right = m_Rect.left + width;
    m_Rect.bottom = m_Rect.top + height;
    return Layout();
}

void CDX9KelSGUIControlScrollBar::UpdateMouse(float fElapsed) {
    if (!m_bVisible || !m_bEnabled || !m_pBar || !m_pTrack)
        return;
    CDX9KelSGUIBaseControl::UpdateMouse(fElapsed);
    CDX9KelSGUIManager* pManager = GetManager();
    if (!pManager)
        return;
    const POINT cursor = m_pDialog->GetCursor();
    const bool down = pManager->m_bMouseButtons[0];
    if (m_bHovered) {
        if (pManager->m_fWheel > 0.0f)
            SetPosition(m_iPosition - 1);
        else if (pManager->m_fWheel < 0.0f)
            SetPosition(m_iPosition + 1);
        if (m_pArrow1 && m_pArrow1->GetState() == SGUI_BUTTON_PRESSED && pManager->AllowInput(kArrowPeriod)) {
            SetPosition(m_iPosition - 1);
            return;
        }
        if (m_pArrow2 && m_pArrow2->GetState() == SGUI_BUTTON_PRESSED && pManager->AllowInput(kArrowPeriod)) {
            SetPosition(m_iPosition + 1);
            return;
        }
        if (m_pBar->GetState() == SGUI_BUTTON_PRESSED) {
            m_bDragging = true;
            m_pDialog->m_bCaptured = true;
        }
        if (SGUIPointInRect(m_pBar->m_Rect, cursor.x, cursor.y))
            return;
        if (down && SGUIPointInRect(m_pTrack->m_Rect, cursor.x, cursor.y)) {
            const int position = PointToPosition(cursor);
            if (position >= 0)
                SetPosition(position);
        }
        return;
    }
    if (!m_bDragging)
        return;
    if (!down) {
        m_bDragging = false;
        m_pDialog->m_bCaptured = false;
        m_DragAnchor = {-1, -1};
        PlaceBar(); // snaps to the position's step
        return;
    }
    LONG delta = 0;
    if (m_DragAnchor.x != -1 || m_DragAnchor.y != -1)
        delta = Along(cursor) - Along(m_DragAnchor);
    m_DragAnchor = cursor;
    m_DragDelta = m_bVertical ? POINT{0, delta} : POINT{delta, 0};
    if (delta == 0)
        return;
    const RECT& b = m_pBar->m_Rect;
    const RECT& t = m_pTrack->m_Rect;
    const bool inside = m_bVertical ? (b.top + delta >= t.top && b.bottom + delta <= t.bottom)
                                    : (b.left + delta >= t.left && b.right + delta <= t.right);
    if (inside)
        m_pBar->MoveBy(m_DragDelta.x, m_DragDelta.y);
    const POINT centre = {(m_pBar->m_Rect.left + m_pBar->m_Rect.right) / 2,
                          (m_pBar->m_Rect.top + m_pBar->m_Rect.bottom) / 2};
    const int position = PointToPosition(centre);
    if (position >= 0)
        m_iPosition = position;
}

} // namespace Vorna3D
