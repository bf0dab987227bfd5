#include "engine2/ui/gui/CDX9KelGUIEditBox.h"

#include "engine2/core/CDX9KelLog.h"
#include "engine2/ui/gui/CDX9KelGUIDialog.h"
#include "engine2/ui/gui/CDX9KelGUIManager.h"
#include "engine2/ui/gui/CDX9KelGUIText.h"
#include "platform/window/DirectInputCodes.h"

namespace Vorna2 {

HRESULT CDX9KelGUIEditBox::Init(CDX9KelGUIDialog* dialog, int left, int top, int right, int bottom, int font,
                                D3DCOLOR colour, std::string* textOut) {
    if (font < 0 || !dialog || right - left < 1 || bottom - top < 1 || !dialog->ContainsRect(left, top, right, bottom))
        return E_FAIL;
    m_pDialog = dialog;
    m_Rect = {left, top, right, bottom};
    m_dwColor = colour;
    m_pTextOut = textOut;
    m_iType = GUI_CONTROL_TYPE_EDITBOX;
    if (FAILED(dialog->AddText(left, top, right, bottom, font, AlignNo, nullptr, nullptr, colour, "", false,
                               &m_pTextPart))) {
        g_Log.Write(-1, "CDX9KelGUIEditBox::AddText: Error : m_pDialog->AddText failed\n");
        m_pTextPart = nullptr;
        return E_FAIL;
    }
    if (!m_pTextPart) {
        g_Log.Write(-1, "CDX9KelGUIEditBox::AddText: Error : pText == NULL\n");
        return E_FAIL;
    }
    m_pTextPart->m_bIsPart = true;
    SetScreenWorld();
    return S_OK;
}

bool CDX9KelGUIEditBox::SetText(const char* text) {
    if (!text || !m_pTextPart) return false;
    return m_pTextPart->SetText(text);
}

std::string CDX9KelGUIEditBox::GetText() const {
    if (!m_pTextPart) return {};
    std::string shown = m_pTextPart->m_strText;
    if (m_bFocused && !shown.empty() && shown.back() == kCursor) shown.pop_back();
    return shown;
}

void CDX9KelGUIEditBox::Show(const std::string& shown) {
    m_pTextPart->SetText(shown);
    if (m_pTextOut) *m_pTextOut = GetText();
}

int CDX9KelGUIEditBox::UpdateMouse(const POINT& cursor) {
    const int base = CDX9KelGUIControl::UpdateMouse(cursor);
    if (base == -1) return -1;
    CDX9KelGUIManager* manager = GetManager();
    if (!m_pTextPart || !manager->m_pKeyboard) return -1;
    const std::string& shown = m_pTextPart->m_strText;
    if (base == 1 && manager->m_bLeftButton && !m_bFocused &&
        m_pDialog->IsClickReady(CDX9KelGUIDialog::kClickWindowMs)) {
        m_bFocused = true;
        m_pTextPart->SetText(shown + kCursor);
    } else if (base != 1 && manager->m_bLeftButton && m_bFocused) {
        m_bFocused = false;
        std::string text = shown;
        if (!text.empty() && text.back() == kCursor) text.pop_back();
        m_pTextPart->SetText(text);
    }
    // Each character typed since the last frame goes in once, in order; a
    // held key repeats through the keyboard's own repeat.
    for (char typed : manager->m_strTyped) {
        if (static_cast<unsigned char>(typed) < 32 || !m_bFocused) continue;
        std::string text = m_pTextPart->m_strText;
        // A text set by the caller while focused gets its cursor back here.
        if (text.empty() || text.back() != kCursor) text += kCursor;
        if (static_cast<int>(text.size()) < m_iMaxLength) {
            text.insert(text.end() - 1, typed);
            Show(text);
        }
    }
    if ((manager->m_pKeyboard[DIK_BACK] & 0x80) && m_bFocused && m_pDialog->IsClickReady(kTypeRepeatMs)) {
        std::string text = m_pTextPart->m_strText;
        if (text.empty() || text.back() != kCursor) text += kCursor;
        if (text.size() > 1) {
            text.erase(text.end() - 2);
            Show(text);
        }
    }
    return 1;
}

bool CDX9KelGUIEditBox::SetRect(int left, int top, int right, int bottom) {
    if (!CDX9KelGUIControl::SetRect(left, top, right, bottom)) return false;
    return !m_pTextPart || m_pTextPart->SetRect(left, top, right, bottom);
}

bool CDX9KelGUIEditBox::MoveTo(int x, int y) {
    if (!CDX9KelGUIControl::MoveTo(x, y)) return false;
    return !m_pTextPart || m_pTextPart->MoveTo(x, y);
}

bool CDX9KelGUIEditBox::Resize(int width, int height) {
    if (!CDX9KelGUIControl::Resize(width, height)) return false;
    if (m_pTextPart && m_pTextPart->Resize(width, height)) m_pTextPart->m_Clip = m_pTextPart->m_Rect;
    return true;
}

bool CDX9KelGUIEditBox::MoveBy(int dx, int dy) {
    if (!CDX9KelGUIControl::MoveBy(dx, dy)) return false;
    if (m_pTextPart && m_pTextPart->MoveBy(dx, dy)) m_pTextPart->m_Clip = m_pTextPart->m_Rect;
    return true;
}

} // namespace Vorna2
