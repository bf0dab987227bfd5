#include "engine3/ui/sgui/CDX9KelSGUIControlEditBox.h"

#include "engine3/ui/sgui/CDX9KelSGUIDialog.h"
#include "engine3/ui/sgui/CDX9KelSGUIManager.h"
#include "engine3/ui/sgui/CDX9KelSGUIText.h"

namespace Vorna3D {

bool CDX9KelSGUIControlEditBox::Init(IDirect3DDevice9* pDevice, CDX9KelSGUIDialog* pDialog, int iFont, LONG left,
                                     LONG top, LONG right, LONG bottom, float r, float g, float b, float a) {
    if (!pDialog)
        return false;
    m_pDialog = pDialog;
    m_Rect = {left, top, right, bottom};
    m_ClipRect = m_Rect;
    m_pText = pDialog->AddText(pDevice, (m_strName + "_text").c_str(), true, iFont, 0, nullptr, "", left, top, right,
                               bottom, r, g, b, a);
    if (!m_pText)
        return false;
    m_pText->m_bPart = true;
    m_pText->m_bClip = true;
    ClipPart();
    m_iType = SGUI_CONTROL_EDIT_BOX;
    return true;
}

void CDX9KelSGUIControlEditBox::ClipPart() {
    if (m_pText)
        m_pText->m_ClipRect = m_Rect;
}

void CDX9KelSGUIControlEditBox::Show() {
    if (!m_pText)
        return;
    std::string shown = m_strText;
    if (m_bFocused)
        shown.push_back(kCaret);
    if (!shown.empty()) {
        m_pText->SetText(shown.c_str());
        return;
    }
    m_pText->ReleaseBuffers();
    m_pText->m_strText.clear();
    m_pText->m_dwVertexCount = 0;
    m_pText->m_dwIndexCount = 0;
}

bool CDX9KelSGUIControlEditBox::SetText(const char* szText) {
    if (!szText || !m_pText)
        return false;
    m_strText = szText;
    if (m_strText.size() >= m_dwMaxLength)
        m_strText.resize(m_dwMaxLength > 0 ? m_dwMaxLength - 1 : 0);
    Show();
    return true;
}

bool CDX9KelSGUIControlEditBox::SetRect(LONG left, LONG top, LONG right, LONG bottom) {
    if (right - left < 1 || bottom - top < 1)
        return false;
    m_Rect = {left, top, right, bottom};
    if (m_pText)
        m_pText->SetRect(left, top, right, bottom);
    ClipPart();
    return true;
}

bool CDX9KelSGUIControlEditBox::MoveTo(LONG x, LONG y) {
    const LONG dx = x - m_Rect.left, dy = y - m_Rect.top;
    if (dx == 0 && dy == 0)
        return true;
    return MoveBy(dx, dy);
}

bool CDX9KelSGUIControlEditBox::Resize(LONG width, LONG height) {
    if (width == 0 || height == 0 || !m_pDialog)
        return false;
    m_Rect.right = m_Rect.left + width;
    m_Rect.bottom = m_Rect.top + height;
    if (m_pText)
        m_pText->Resize(width, height);
    ClipPart();
    return true;
}

bool CDX9KelSGUIControlEditBox::MoveBy(LONG dx, LONG dy) {
    if (dx == 0 && dy == 0)
        return false;
    m_Rect.left += dx, m_Rect.right += dx, m_Rect.top += dy, m_Rect.bottom += dy;
    if (m_pText)
        m_pText->MoveBy(dx, dy);
    ClipPart();
    return true;
}

void CDX9KelSGUIControlEditBox::Reset() {
    if (!m_bFocused)
        return;
    m_bFocused = false;
    Show();
}

void CDX9KelSGUIControlEditBox::UpdateMouse(float fElapsed) {
    if (!m_bVisible || !m_bEnabled || !m_pText)
        return;
    CDX9KelSGUIBaseControl::UpdateMouse(fElapsed);
    CDX9KelSGUIManager* pManager = GetManager();
    if (!pManager)
        return;
    const bool down = pManager->m_bMouseButtons[0];
    if (!m_bHovered && down && m_bFocused) {
        m_bFocused = false;
        Show();
    }
    if (m_bHovered && down && !m_bFocused && pManager->AllowInput(kFocusPeriod)) {
        m_bFocused = true;
        Show();
    }
    // Each character typed since the last frame goes in once, in order; a
    // held key repeats through the keyboard's own repeat. Codes 128-255 are
    // letters of the code page too.
    if (m_bFocused) {
        bool changed = false;
        for (char c : pManager->m_strTyped) {
            if (static_cast<unsigned char>(c) < 32 || m_strText.size() + 1 >= m_dwMaxLength) continue;
            m_strText.push_back(c);
            changed = true;
        }
        if (changed)
            Show();
    }
    if (pManager->IsKeyDown(kBackspaceKey) && m_bFocused && pManager->AllowInput(kTypePeriod)) {
        if (!m_strText.empty()) {
            m_strText.pop_back();
            Show();
        }
    }
}

} // namespace Vorna3D
