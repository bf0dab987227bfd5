#include "engine2/ui/gui/CDX9KelGUIStateBar.h"

#include "engine2/core/CDX9KelUtils.h"
#include "engine2/ui/gui/CDX9KelGUIImage.h"

namespace Vorna2 {

HRESULT CDX9KelGUIStateBar::Init(CDX9KelGUIDialog* dialog, int left, int top, int right, int bottom,
                                 const GUIImageSettings& image, D3DCOLOR colour, bool vertical, int value) {
    if (!dialog || !image.texture || !dialog->ContainsRect(left, top, right, bottom)) return E_FAIL;
    m_pDialog = dialog;
    m_Rect = {left, top, right, bottom};
    m_bVertical = vertical;
    m_iType = GUI_CONTROL_TYPE_STATEBAR;
    if (FAILED(dialog->AddImage(left, top, right, bottom, image, colour, false, false, &m_pBarImage))) {
        m_pBarImage = nullptr;
        return E_FAIL;
    }
    m_pBarImage->m_bIsPart = true;
    SetScreenWorld();
    if (!SetValue(value)) {
        dialog->DeleteControl(m_pBarImage->m_iID);
        m_pBarImage = nullptr;
        return E_FAIL;
    }
    return S_OK;
}

bool CDX9KelGUIStateBar::SetValue(int percent) {
    if (percent > 100 || percent < 0 || !m_pBarImage) return false;
    const float p = static_cast<float>(percent);
    RECT r = m_bVertical ? CDX9KelUtils::GetRectFromIntPercents(m_Rect, 0.0f, 100.0f - p, 100.0f, 100.0f)
                         : CDX9KelUtils::GetRectFromIntPercents(m_Rect, 0.0f, 0.0f, p, 100.0f);
    if (!m_bVertical && r.right - r.left < 1) r.right = r.left + 1;
    if (m_bVertical && r.bottom - r.top < 1) r.top = r.bottom - 1;
    if (!m_pBarImage->SetRect(r.left, r.top, r.right, r.bottom)) return false;
    m_iValue = percent;
    return true;
}

int CDX9KelGUIStateBar::UpdateMouse(const POINT& cursor) {
    return CDX9KelGUIControl::UpdateMouse(cursor) == -1 ? -1 : 1;
}

bool CDX9KelGUIStateBar::SetRect(int left, int top, int right, int bottom) {
    if (right - left < 1 || bottom - top < 1) return false;
    m_Rect = {left, top, right, bottom};
    return SetValue(m_iValue);
}

bool CDX9KelGUIStateBar::Resize(int width, int height) {
    if (width <= 0 || height <= 0 || !m_pDialog) return false;
    return SetRect(m_Rect.left, m_Rect.top, m_Rect.left + width, m_Rect.top + height);
}

bool CDX9KelGUIStateBar::MoveTo(int x, int y) {
    return SetRect(x, y, x + m_Rect.right - m_Rect.left, y + m_Rect.bottom - m_Rect.top);
}

bool CDX9KelGUIStateBar::MoveBy(int dx, int dy) {
    if (dx == 0 && dy == 0) return false;
    return MoveTo(m_Rect.left + dx, m_Rect.top + dy);
}

} // namespace Vorna2
