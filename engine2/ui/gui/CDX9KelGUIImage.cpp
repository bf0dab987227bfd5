#include "engine2/ui/gui/CDX9KelGUIImage.h"

#include <algorithm>

#include "engine2/core/CDX9KelLog.h"
#include "engine2/ui/gui/CDX9KelGUIManager.h"

namespace Vorna2 {

HRESULT CDX9KelGUIImage::Init(CDX9KelGUIDialog* dialog, int left, int top, int right, int bottom,
                              const GUIImageSettings& image, D3DCOLOR colour, bool highlight) {
    if (!dialog || !image.texture || !dialog->m_pManager || !dialog->m_pManager->m_pDevice) return E_FAIL;
    if (right - left < 1 || bottom - top < 1) return E_FAIL;
    m_pDialog = dialog;
    m_Rect = {left, top, right, bottom};
    m_Clip = m_Rect;
    m_pTexture = image.texture;
    if (image.texture2) m_pTexture2 = image.texture2;
    if (image.effect) m_pEffect = image.effect;
    m_iPopUpWidth = image.popUpWidth;
    m_iPopUpHeight = image.popUpHeight;
    m_dwColor = m_dwSavedColour = colour;
    m_bHighlight = highlight;
    m_iType = GUI_CONTROL_TYPE_IMAGE;
    if (!CreateQuad(colour)) {
        if (m_pVB) g_Log.Write(-1, "Error : CDX9KelGUIImage::Init : memcpy_s \n");
        return E_FAIL;
    }
    return S_OK;
}

void CDX9KelGUIImage::Render(bool setTexture, unsigned passes) {
    DrawQuad(setTexture, passes, m_bClipOn ? &m_Clip : nullptr);
}

bool CDX9KelGUIImage::SetRect(int left, int top, int right, int bottom) {
    return CDX9KelGUIControl::SetRect(left, top, right, bottom);
}

RECT CDX9KelGUIImage::PopUpRect() const {
    CDX9KelGUIManager* manager = GetManager();
    const int w = manager->m_iClientWidth, h = manager->m_iClientHeight;
    if (m_iPopUpWidth >= w && m_iPopUpHeight >= h) return {0, 0, w, h};
    const int pw = std::clamp(m_iPopUpWidth, 1, std::max(1, w)), ph = std::clamp(m_iPopUpHeight, 1, std::max(1, h));
    const int l = (w - pw) / 2, t = (h - ph) / 2;
    return {l, t, l + pw, t + ph};
}

int CDX9KelGUIImage::UpdateMouse(const POINT& cursor) {
    const int base = CDX9KelGUIControl::UpdateMouse(cursor);
    if (base == -1) return -1;
    CDX9KelGUIManager* manager = GetManager();
    if (base == 0) {
        if (m_bHighlight && m_bHighlighted) {
            SetColor(m_dwSavedColour);
            m_bHighlighted = false;
        }
        if (!m_bPoppedUp) return 1;
    } else {
        if (m_bHighlight && !m_bPoppedUp && !m_bHighlighted) {
            m_dwSavedColour = m_dwColor;
            SetColor(GUIColourScale(m_dwColor, kHighlightScale));
            m_bHighlighted = true;
        }
        if (m_bHighlight && !m_bPoppedUp && manager->m_bLeftButton &&
            m_pDialog->IsClickReady(CDX9KelGUIDialog::kClickWindowMs)) {
            m_bPoppedUp = true;
            m_pDialog->m_bPopUpOpen = true;
            m_SavedRect = m_Rect;
            const RECT r = PopUpRect();
            SetRect(r.left, r.top, r.right, r.bottom);
            m_pDialog->MoveControlToBack(m_iID);
            m_pDialog->LockInput();
            // The opening click is this frame's; the window it consumed
            // keeps it from closing the image at once.
            return 1;
        }
        if (!m_bPoppedUp) return 1;
    }
    if (manager->m_bLeftButton && m_pDialog->IsClickReady(CDX9KelGUIDialog::kClickWindowMs)) {
        m_bPoppedUp = false;
        m_pDialog->m_bPopUpOpen = false;
        SetRect(m_SavedRect.left, m_SavedRect.top, m_SavedRect.right, m_SavedRect.bottom);
        m_pDialog->UnlockInput();
    }
    return 1;
}

} // namespace Vorna2
