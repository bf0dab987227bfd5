#include "engine2/ui/gui/CDX9KelGUIButton.h"

#include "engine2/ui/gui/CDX9KelGUIFont.h"
#include "engine2/ui/gui/CDX9KelGUIImage.h"
#include "engine2/ui/gui/CDX9KelGUIManager.h"
#include "engine2/ui/gui/CDX9KelGUIText.h"
#include "platform/os/Clock.h"

namespace Vorna2 {

namespace {
constexpr float kHoverContrast = 0.7f;
constexpr float kPressedScale = 0.8f;
constexpr float kCheckHoverContrast = 0.8f;
constexpr float kCheckedScale = 0.7f;

// Where the parts of a check button stand in each look, relative to normal.
int CheckShift(int state) { return state == ButtonHover ? -1 : state == ButtonPressed ? 1 : 0; }
} // namespace

HRESULT CDX9KelGUIButton::Init(CDX9KelGUIDialog* dialog, int left, int top, int right, int bottom, int font,
                               const std::string& text, D3DCOLOR textColour, const GUIImageSettings& image,
                               int* mirror) {
    if (!dialog) return E_FAIL;
    if (font < 0 && text.empty() && !image.texture) return E_FAIL;
    m_pDialog = dialog;
    m_Rect = {left, top, right, bottom};
    m_dwTextColour = textColour;
    m_pMirror = mirror;
    m_iType = GUI_CONTROL_TYPE_BUTTON;
    if (image.texture) {
        if (!dialog->ContainsRect(m_Rect)) return E_FAIL;
        if (FAILED(dialog->AddImage(left, top, right, bottom, image, m_dwImageColour, false, false, &m_pImagePart)))
            return E_FAIL;
        m_pImagePart->m_bIsPart = true;
    }
    if (font >= 0 && !text.empty()) {
        if (!dialog->ContainsRect(m_Rect) ||
            FAILED(dialog->AddText(left, top, right, bottom, font, AlignCenter, nullptr, nullptr, textColour, text,
                                   false, &m_pTextPart))) {
            if (m_pImagePart) dialog->DeleteControl(m_pImagePart->m_iID);
            m_pImagePart = nullptr;
            return E_FAIL;
        }
        m_pTextPart->m_bIsPart = true;
    }
    SetScreenWorld();
    return S_OK;
}

HRESULT CDX9KelGUIButton::SetPopUp(int left, int top, int right, int bottom, int font, const std::string& text,
                                   D3DCOLOR textColour, const GUIImageSettings& image) {
    if (!m_pDialog || (font < 0 && text.empty() && !image.texture)) return E_FAIL;
    CDX9KelGUIImage* hintImage = nullptr;
    CDX9KelGUIText* hintText = nullptr;
    if (image.texture) {
        if (FAILED(m_pDialog->AddImage(left, top, right, bottom, image, 0xFFFFFFFFu, false, false, &hintImage)))
            return E_FAIL;
        hintImage->m_bIsPart = true;
        hintImage->m_bVisible = false;
    }
    if (font >= 0 && !text.empty()) {
        if (FAILED(m_pDialog->AddText(left, top, right, bottom, font, AlignCenter, nullptr, nullptr, textColour, text,
                                      false, &hintText))) {
            if (hintImage) m_pDialog->DeleteControl(hintImage->m_iID);
            return E_FAIL;
        }
        hintText->m_bIsPart = true;
        hintText->m_bVisible = false;
    }
    if (m_pPopUpImage) m_pDialog->DeleteControl(m_pPopUpImage->m_iID);
    if (m_pPopUpText) m_pDialog->DeleteControl(m_pPopUpText->m_iID);
    m_pPopUpImage = hintImage;
    m_pPopUpText = hintText;
    return S_OK;
}

void CDX9KelGUIButton::Mirror() {
    if (m_pMirror) *m_pMirror = m_iState;
}

void CDX9KelGUIButton::ReadMirror() {
    if (!m_pMirror) return;
    if (*m_pMirror == kButtonForceNormal || *m_pMirror == kButtonForceDisabled) {
        const int next = *m_pMirror == kButtonForceNormal ? ButtonNormal : ButtonDisabled;
        // The parts come back from wherever the old look put them.
        if (m_bShift) {
            const int was = m_iType == GUI_CONTROL_TYPE_CHECKBUTTON ? CheckShift(m_iState)
                                                                    : (m_iState == ButtonHover ? -1 : 0);
            if (was != 0) MovePartsBy(-was, -was);
        }
        m_iState = m_iRequested = next;
        // The write-in is taken once; from now on the mirror shows the state.
        Mirror();
    }
}

int CDX9KelGUIButton::BaseTest(const POINT& cursor) {
    if (m_iState != ButtonHover) return CDX9KelGUIControl::UpdateMouse(cursor);
    ++m_Rect.right, ++m_Rect.bottom;
    const int r = CDX9KelGUIControl::UpdateMouse(cursor);
    --m_Rect.right, --m_Rect.bottom;
    return r;
}

int CDX9KelGUIButton::UpdateMouse(const POINT& cursor) {
    const int base = BaseTest(cursor);
    if (base == -1) return -1;
    if (m_iState == ButtonDisabled || m_iRequested == ButtonDisabled) return 0;
    const bool over = base == 1;
    if (over) {
        if (GetManager()->m_bLeftButton)
            m_iRequested = ButtonPressed;
        else if (m_iState != ButtonHover)
            m_iRequested = ButtonHover;
    } else if (m_iState != ButtonNormal) {
        m_iRequested = ButtonNormal;
    }
    UpdatePopUp(cursor, over);
    return 1;
}

void CDX9KelGUIButton::ApplyLook(int state) {
    D3DCOLOR image = m_dwImageColour, text = m_dwTextColour;
    if (state == ButtonHover) {
        image = GUIColourAdjustContrast(image, kHoverContrast);
        text = GUIColourAdjustContrast(text, kHoverContrast);
    } else if (state == ButtonPressed || state == ButtonDisabled) {
        image = GUIColourScale(image, kPressedScale);
        text = GUIColourScale(text, kPressedScale);
    }
    if (m_pImagePart) m_pImagePart->SetColor(image);
    if (m_pTextPart) m_pTextPart->SetColor(text);
}

void CDX9KelGUIButton::Render(bool, unsigned) {
    if (!m_bVisible) return;
    ReadMirror();
    const int req = m_iRequested;
    if (req != -1 && req != m_iState) {
        const bool allowed = (req == ButtonHover && (m_iState == ButtonNormal || m_iState == ButtonPressed)) ||
                             (req == ButtonPressed && m_iState == ButtonHover) || req == ButtonDisabled ||
                             req == ButtonNormal;
        if (allowed) {
            if (m_bShift) {
                if (req == ButtonHover) MovePartsBy(-1, -1);
                if (m_iState == ButtonHover) MovePartsBy(1, 1);
            }
            m_iState = req;
            Mirror();
        }
    }
    if (req != -1) {
        ApplyLook(m_iState);
        m_iRequested = -1;
    }
}

void CDX9KelGUIButton::HidePopUp() {
    m_iPopUpX = m_iPopUpY = -1;
    m_dwPopUpStart = 0;
    if (m_pPopUpImage) m_pPopUpImage->m_bVisible = false;
    if (m_pPopUpText) m_pPopUpText->m_bVisible = false;
}

void CDX9KelGUIButton::MouseLeave() {
    if (m_iState != ButtonHover && m_iState != ButtonPressed) return;
    if (m_bShift && m_iState == ButtonHover) MovePartsBy(1, 1);
    ApplyLook(ButtonNormal);
    m_iState = ButtonNormal;
    m_iRequested = -1;
    Mirror();
    HidePopUp();
}

void CDX9KelGUIButton::UpdatePopUp(const POINT& cursor, bool over) {
    if (!m_pPopUpImage && !m_pPopUpText) return;
    const DWORD now = timeGetTime();
    if (over && m_dwPopUpStart == 0) {
        m_dwPopUpStart = now;
        m_iPopUpX = cursor.x;
        m_iPopUpY = cursor.y;
        return;
    }
    if (over && cursor.x == m_iPopUpX && cursor.y == m_iPopUpY) {
        if (now - m_dwPopUpStart > m_dwPopUpDelay) {
            PlacePopUp(cursor);
            if (m_pPopUpImage) m_pPopUpImage->m_bVisible = true;
            if (m_pPopUpText) m_pPopUpText->m_bVisible = true;
            if (CDX9KelGUIManager* manager = GetManager()) manager->SetActiveDialog(m_pDialog->m_iID);
            if (m_pPopUpImage) m_pDialog->MoveControlToBack(m_pPopUpImage->m_iID);
            if (m_pPopUpText) m_pDialog->MoveControlToBack(m_pPopUpText->m_iID);
        }
        return;
    }
    HidePopUp();
}

void CDX9KelGUIButton::PlacePopUp(const POINT& cursor) {
    CDX9KelGUIManager* manager = GetManager();
    if (!manager) return;
    CDX9KelGUIControl* face = m_pPopUpImage ? static_cast<CDX9KelGUIControl*>(m_pPopUpImage) : m_pPopUpText;
    const int w = face->m_Rect.right - face->m_Rect.left, h = face->m_Rect.bottom - face->m_Rect.top;
    int x = cursor.x + kPopUpCursorGap;
    if (x + w > manager->m_iClientWidth) x = cursor.x - w - kPopUpCursorGap;
    int y = cursor.y;
    if (y + h > manager->m_iClientHeight) y = cursor.y - h;
    if (m_pPopUpImage) {
        m_pPopUpImage->MoveTo(x, y);
        const RECT& r = m_pPopUpImage->m_Rect;
        if (m_pPopUpText) m_pPopUpText->SetRect(r.left, r.top, r.right, r.bottom);
    } else {
        m_pPopUpText->MoveTo(x, y);
    }
}

void CDX9KelGUIButton::SetVisible(bool visible) {
    m_bVisible = visible;
    if (m_pTextPart) m_pTextPart->m_bVisible = visible;
    if (m_pImagePart) m_pImagePart->m_bVisible = visible;
    MouseLeave();
    m_iState = ButtonNormal;
    Mirror();
}

void CDX9KelGUIButton::MovePartsBy(int dx, int dy) {
    if (m_pImagePart) m_pImagePart->MoveBy(dx, dy);
    if (m_pTextPart) m_pTextPart->MoveBy(dx, dy);
}

bool CDX9KelGUIButton::SetRect(int left, int top, int right, int bottom) {
    if (right - left < 1 || bottom - top < 1) return false;
    m_Rect = {left, top, right, bottom};
    bool ok = true;
    if (m_pImagePart) ok = m_pImagePart->SetRect(left, top, right, bottom) && ok;
    if (m_pTextPart) {
        const CDX9KelGUIManager* manager = GetManager();
        const CDX9KelGUIFont* font = manager ? manager->GetFont(m_pTextPart->m_iFont) : nullptr;
        const int h = font ? font->m_iLineHeight : bottom - top;
        const int cy = top + (bottom - top) / 2;
        ok = m_pTextPart->SetRect(left, cy - h / 2, right, cy + h / 2) && ok;
    }
    return ok;
}

bool CDX9KelGUIButton::MoveTo(int x, int y) {
    const int dx = x - m_Rect.left, dy = y - m_Rect.top;
    OffsetGUIRect(m_Rect, dx, dy);
    bool ok = true;
    if (m_pImagePart) ok = m_pImagePart->MoveTo(m_pImagePart->m_Rect.left + dx, m_pImagePart->m_Rect.top + dy) && ok;
    if (m_pTextPart) ok = m_pTextPart->MoveTo(m_pTextPart->m_Rect.left + dx, m_pTextPart->m_Rect.top + dy) && ok;
    return ok;
}

bool CDX9KelGUIButton::Resize(int width, int height) {
    if (!CDX9KelGUIControl::Resize(width, height)) return false;
    if (m_pImagePart) m_pImagePart->Resize(width, height);
    if (m_pTextPart) m_pTextPart->Resize(width, height);
    return true;
}

bool CDX9KelGUIButton::MoveBy(int dx, int dy) {
    if (!CDX9KelGUIControl::MoveBy(dx, dy)) return false;
    MovePartsBy(dx, dy);
    return true;
}

// ---- check button ----

int CDX9KelGUICheckButton::UpdateMouse(const POINT& cursor) {
    if (!m_bToggles) return 0;
    const int base = BaseTest(cursor);
    if (base == -1) return -1;
    if (m_iState == ButtonDisabled || m_iRequested == ButtonDisabled) return 0;
    const bool over = base == 1;
    if (over && GetManager()->m_bLeftButton) {
        if (m_pDialog->IsClickReady(CDX9KelGUIDialog::kClickWindowMs))
            m_iRequested = m_iState == ButtonPressed ? ButtonNormal : ButtonPressed;
    } else if (m_iState != ButtonPressed) {
        m_iRequested = over ? ButtonHover : ButtonNormal;
    }
    UpdatePopUp(cursor, over);
    return 1;
}

void CDX9KelGUICheckButton::ApplyLook(int state) {
    D3DCOLOR image = m_dwImageColour, text = m_dwTextColour;
    if (state == ButtonHover) {
        image = GUIColourAdjustContrast(image, kCheckHoverContrast);
        text = GUIColourAdjustContrast(text, kCheckHoverContrast);
    } else if (state == ButtonPressed || state == ButtonDisabled) {
        image = GUIColourScale(image, kCheckedScale);
        text = GUIColourScale(text, kCheckedScale);
    }
    if (m_pImagePart) m_pImagePart->SetColor(image);
    if (m_pTextPart) m_pTextPart->SetColor(text);
}

void CDX9KelGUICheckButton::Render(bool, unsigned) {
    if (!m_bVisible) return;
    ReadMirror();
    const int req = m_iRequested;
    if (req != -1 && req != m_iState) {
        const bool allowed = (req == ButtonHover && (m_iState == ButtonNormal || m_iState == ButtonPressed)) ||
                             (req == ButtonPressed && (m_iState == ButtonNormal || m_iState == ButtonHover)) ||
                             req == ButtonDisabled || req == ButtonNormal;
        if (allowed) {
            if (m_bShift) {
                const int d = CheckShift(req) - CheckShift(m_iState);
                if (d != 0) MovePartsBy(d, d);
            }
            m_iState = req;
            Mirror();
        }
    }
    if (req != -1) {
        ApplyLook(m_iState);
        m_iRequested = -1;
    }
}

void CDX9KelGUICheckButton::MouseLeave() {
    if (m_iState != ButtonHover) return;
    if (m_bShift) MovePartsBy(1, 1);
    ApplyLook(ButtonNormal);
    m_iState = ButtonNormal;
    m_iRequested = -1;
    Mirror();
    HidePopUp();
}

} // namespace Vorna2
