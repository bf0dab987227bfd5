#include "engine3/ui/sgui/CDX9KelSGUIControlScrollBarHard.h"

#include <cstdlib>

#include "engine3/core/CDX9KelLog.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlImage.h"
#include "engine3/ui/sgui/CDX9KelSGUIDialog.h"
#include "engine3/ui/sgui/CDX9KelSGUIManager.h"

namespace Vorna3D {

namespace {
const float kWhite[4] = {1.0f, 1.0f, 1.0f, 1.0f};
const float kTextRect[4] = {0.0f, 0.0f, 100.0f, 100.0f};
} // namespace

bool CDX9KelSGUIControlScrollBarHard::Init(IDirect3DDevice9* pDevice, CDX9KelSGUIDialog* pDialog,
                                           const SGUITextureDesc& track, const float trackColor[4],
                                           const SGUITextureDesc& work, const float workColor[4],
                                           const SGUITextureDesc& bar, const float barColor[4], bool bVertical,
                                           int mode, int align, LONG left, LONG top, LONG right, LONG bottom,
                                           LONG workLeft, LONG workTop, LONG workRight, LONG workBottom,
                                           LONG barWidth, LONG barHeight) {
    if (!pDialog)
        return false;
    if (track.strFile.empty() || work.strFile.empty() || bar.strFile.empty()) {
        g_Log.Write(3, "CDX9KelSGUIControlScrollBarHard::Init(): empty main textures\n");
        return false;
    }
    if (workLeft < left || workTop < top || workRight > right || workBottom > bottom) {
        g_Log.Write(3, "CDX9KelSGUIControlScrollBarHard::Init(): Work borders out of Main borders\n");
        return false;
    }
    m_pDialog = pDialog;
    m_Rect = {left, top, right, bottom};
    m_WorkRect = {workLeft, workTop, workRight, workBottom};
    m_bVertical = bVertical;
    m_iMode = mode;
    m_iAlign = align;
    const float* tc = trackColor ? trackColor : kWhite;
    m_pTrack = pDialog->AddImage(pDevice, (m_strName + "_track").c_str(), false, track.strFile.c_str(), nullptr,
                                 false, left, top, right, bottom, tc[0], tc[1], tc[2], tc[3]);
    if (!m_pTrack)
        return false;
    m_pTrack->m_bPart = true;
    m_pTrack->SetTextureRect(track.rect[0], track.rect[1], track.rect[2], track.rect[3]);
    const float* wc = workColor ? workColor : kWhite;
    m_pWork = pDialog->AddImage(pDevice, (m_strName + "_work").c_str(), false, work.strFile.c_str(), nullptr, false,
                                workLeft, workTop, workRight, workBottom, wc[0], wc[1], wc[2], wc[3]);
    if (!m_pWork)
        return false;
    m_pWork->m_bPart = true;
    m_pWork->SetTextureRect(work.rect[0], work.rect[1], work.rect[2], work.rect[3]);
    m_pBar = pDialog->AddButton(pDevice, (m_strName + "_bar").c_str(), false, -1, 0, "", bar, left, top,
                                left + barWidth, top + barHeight, barColor ? barColor : kWhite, kTextRect, kWhite);
    if (!m_pBar)
        return false;
    m_pBar->m_bPart = true;
    m_pBar->SetShift(false);
    m_iType = SGUI_CONTROL_SCROLL_BAR_HARD;
    if (!Layout())
        return false;
    UpdateReach();
    return true;
}

bool CDX9KelSGUIControlScrollBarHard::InitPopup(IDirect3DDevice9* pDevice, const SGUITextureDesc& texture,
                                                int iFont, int iFormat, const char* szText, LONG left, LONG top,
                                                LONG right, LONG bottom, const float textRect[4],
                                                const float textColor[4]) {
    return m_Popup.Init(pDevice, m_pDialog, m_strName, texture, iFont, iFormat, szText, left, top, right, bottom,
                        textRect, textColor);
}

bool CDX9KelSGUIControlScrollBarHard::Layout() {
    if (!m_pBar)
        return false;
    const RECT& b = m_pBar->m_Rect;
    m_iStep = m_bVertical ? b.bottom - b.top : b.right - b.left;
    m_iBarCross = m_bVertical ? b.right - b.left : b.bottom - b.top;
    if (m_iStep < 1)
        return false;
    const LONG workLength = m_bVertical ? m_WorkRect.bottom - m_WorkRect.top : m_WorkRect.right - m_WorkRect.left;
    m_iSteps = static_cast<int>(workLength / m_iStep);
    if (m_iSteps < 1)
        return false;
    if (m_iMode == 1 && m_iSteps % 2 == 0)
        --m_iSteps;
    const LONG crossStart = m_bVertical ? m_Rect.left : m_Rect.top;
    const LONG crossEnd = m_bVertical ? m_Rect.right : m_Rect.bottom;
    switch (m_iAlign) {
    case 1:
        m_iCross = crossStart + (crossEnd - crossStart) / 2 - m_iBarCross / 2;
        break;
    case 2:
        m_iCross = crossEnd - m_iBarCross;
        break;
    default:
        m_iCross = crossStart;
        break;
    }
    if (!SetPosition(m_iPosition)) {
        m_iPosition = 0;
        SetPosition(0);
    }
    return true;
}

bool CDX9KelSGUIControlScrollBarHard::Fits(int position) const {
    if (m_iMode == 0)
        return position >= 0 && position < m_iSteps - m_iBarLength;
    return std::abs(position) <= m_iSteps / 2 - m_iBarLength;
}

bool CDX9KelSGUIControlScrollBarHard::SetPosition(int position) {
    if (!m_pBar || m_iStep < 1 || !Fits(position))
        return false;
    const LONG workStart = m_bVertical ? m_WorkRect.top : m_WorkRect.left;
    const LONG start = m_iMode == 0 ? workStart + static_cast<LONG>(position) * m_iStep
                                    : workStart + static_cast<LONG>(m_iSteps / 2 + position) * m_iStep;
    if (m_bVertical)
        m_pBar->SetRect(m_iCross, start, m_iCross + m_iBarCross, start + m_iStep);
    else
        m_pBar->SetRect(start, m_iCross, start + m_iStep, m_iCross + m_iBarCross);
    m_iPosition = position;
    return true;
}

bool CDX9KelSGUIControlScrollBarHard::SetBarLength(int length) {
    const bool fits = length >= 0 && (m_iMode == 0 ? length < m_iSteps : length <= m_iSteps / 2);
    if (!fits)
        return false;
    m_iBarLength = length;
    if (!Fits(m_iPosition))
        m_iPosition = 0;
    SetPosition(m_iPosition);
    UpdateReach();
    return true;
}

bool CDX9KelSGUIControlScrollBarHard::SetMode(int mode) {
    if (mode == m_iMode)
        return true;
    m_iMode = mode;
    m_iPosition = 0;
    // The steps change parity with the mode; a bar length that no longer
    // fits is dropped.
    const bool laidOut = Layout();
    if (laidOut && !(m_iMode == 0 ? m_iBarLength < m_iSteps : m_iBarLength <= m_iSteps / 2))
        m_iBarLength = 0;
    UpdateReach();
    return laidOut;
}

void CDX9KelSGUIControlScrollBarHard::UpdateReach() {
    m_ReachRect = m_WorkRect;
    const LONG cut = m_iStep * m_iBarLength;
    LONG& start = m_bVertical ? m_ReachRect.top : m_ReachRect.left;
    LONG& end = m_bVertical ? m_ReachRect.bottom : m_ReachRect.right;
    end -= cut;
    if (m_iMode == 1)
        start += cut;
    if (m_pWork) {
        m_pWork->m_ClipRect = m_ReachRect;
        m_pWork->m_bClip = true;
    }
}

int CDX9KelSGUIControlScrollBarHard::PointToPosition(POINT pt) const {
    const LONG c = m_bVertical ? pt.y : pt.x;
    const LONG start = m_bVertical ? m_ReachRect.top : m_ReachRect.left;
    const LONG end = m_bVertical ? m_ReachRect.bottom : m_ReachRect.right;
    if (m_iStep == 0 || c < start || c >= end)
        return kNoPosition;
    const LONG workStart = m_bVertical ? m_WorkRect.top : m_WorkRect.left;
    if (m_iMode == 0)
        return static_cast<int>((c - workStart) / m_iStep);
    const LONG centre = static_cast<LONG>(m_iSteps / 2) * m_iStep + workStart;
    if (c >= centre)
        return static_cast<int>((c - centre) / m_iStep);
    return static_cast<int>((c - m_iStep - centre) / m_iStep);
}

bool CDX9KelSGUIControlScrollBarHard::SetTrackTextureRect(float leftU, float topV, float rightU, float bottomV) {
    return m_pTrack && m_pTrack->SetTextureRect(leftU, topV, rightU, bottomV);
}

bool CDX9KelSGUIControlScrollBarHard::SetWorkTextureRect(float leftU, float topV, float rightU, float bottomV) {
    return m_pWork && m_pWork->SetTextureRect(leftU, topV, rightU, bottomV);
}

bool CDX9KelSGUIControlScrollBarHard::SetBarStates(const std::vector<SGUIStateRect>* states) {
    if (!m_pBar || !states || states->empty())
        return false;
    m_pBar->m_vStateTextureRects = *states;
    m_pBar->m_vStateTextColors.clear();
    m_pBar->m_bTextureStates = true;
    m_pBar->ResetState();
    return true;
}

bool CDX9KelSGUIControlScrollBarHard::MoveTo(LONG x, LONG y) { return MoveBy(x - m_Rect.left, y - m_Rect.top); }

bool CDX9KelSGUIControlScrollBarHard::MoveBy(LONG dx, LONG dy) {
    auto shift = [dx, dy](RECT& r) { r.left += dx, r.right += dx, r.top += dy, r.bottom += dy; };
    shift(m_Rect);
    shift(m_WorkRect);
    shift(m_ReachRect);
    m_iCross += m_bVertical ? dx : dy;
    if (dx == 0 && dy == 0)
        return true;
    for (CDX9KelSGUIBaseControl* p : {static_cast<CDX9KelSGUIBaseControl*>(m_pTrack),
                                      static_cast<CDX9KelSGUIBaseControl*>(m_pWork),
                                      static_cast<CDX9KelSGUIBaseControl*>(m_pBar)})
        if (p)
            p->MoveBy(dx, dy);
    if (m_pWork)
        m_pWork->m_ClipRect = m_ReachRect;
    return true;
}

void CDX9KelSGUIControlScrollBarHard::Reset() { m_Popup.Hide(); }

void CDX9KelSGUIControlScrollBarHard::UpdateMouse(float fElapsed) {
    if (!m_bVisible || !m_bEnabled || !m_pBar)
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
        if (!SGUIPointInRect(m_pBar->m_Rect, cursor.x, cursor.y) && down &&
            SGUIPointInRect(m_WorkRect, cursor.x, cursor.y)) {
            const int position = PointToPosition(cursor);
            if (position != kNoPosition)
                SetPosition(position);
        }
    }
    if (m_pBar->GetState() == SGUI_BUTTON_PRESSED && !m_bDragging) {
        m_bDragging = true;
        m_pDialog->m_bCaptured = true;
        if (m_Popup.Exists())
            m_Popup.Update(m_bHovered, m_pDialog);
        return;
    }
    if (m_bDragging) {
        if (down) {
            const int position = PointToPosition(cursor);
            if (position != kNoPosition)
                SetPosition(position);
        } else {
            m_bDragging = false;
            m_pDialog->m_bCaptured = false;
            SetPosition(m_iPosition);
        }
    }
    if (m_Popup.Exists())
        m_Popup.Update(m_bHovered, m_pDialog);
}

} // namespace Vorna3D
