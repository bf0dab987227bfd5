#include "engine3/ui/sgui/CDX9KelSGUIDialog.h"

#include <algorithm>

#include "engine3/core/CDX9KelLog.h"
#include "engine3/core/CDX9KelUtils.h"
#include "engine3/core/resources/CDX9KelGraphicsResManager.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlButtonCheck.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlButtonState.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlImage.h"
#include "engine3/ui/sgui/CDX9KelSGUIManager.h"
#include "engine3/ui/sgui/CDX9KelSGUIText.h"

namespace Vorna3D {

CDX9KelSGUIDialog::~CDX9KelSGUIDialog() { Release(); }

bool CDX9KelSGUIDialog::Init(CDX9KelSGUIManager* pManager, const char* szName, LONG left, LONG top, LONG right,
                             LONG bottom) {
    if (!pManager) return false;
    m_pManager = pManager;
    m_Rect = {left, top, right, bottom};
    UpdateWorkRect();
    m_strName = szName ? szName : "";
    m_vControls.reserve(kReservedControls);
    return true;
}

void CDX9KelSGUIDialog::UpdateWorkRect() {
    m_WorkRect = m_Rect;
    if (m_bBorders) {
        m_WorkRect.top += m_iBorderTop;
        m_WorkRect.left += m_iBorderLeft;
        m_WorkRect.right -= m_iBorderRight;
        m_WorkRect.bottom -= m_iBorderBottom;
    }
}

bool CDX9KelSGUIDialog::MoveTo(LONG x, LONG y) {
    const LONG dx = x - m_Rect.left, dy = y - m_Rect.top;
    if (dx == 0 && dy == 0) return true;
    m_Rect.left += dx, m_Rect.right += dx, m_Rect.top += dy, m_Rect.bottom += dy;
    UpdateWorkRect();
    for (CDX9KelSGUIBaseControl* c : m_vControls)
        if (c && !c->m_bPart) c->MoveBy(dx, dy);
    return true;
}

bool CDX9KelSGUIDialog::LockInput() {
    if (!m_pManager || m_pManager->m_iExclusiveDialog != -1) return false;
    m_pManager->m_iExclusiveDialog = m_iIndex;
    // Every other dialog stops taking input now: each returns its controls
    // to rest once (a hovered button would otherwise keep its look).
    for (CDX9KelSGUIDialog* d : m_pManager->m_vDialogs)
        if (d && d != this) d->m_bControlsNeedReset = true;
    return true;
}

bool CDX9KelSGUIDialog::UnlockInput() {
    if (!m_pManager || m_iIndex == -1 || m_pManager->m_iExclusiveDialog != m_iIndex) return false;
    m_pManager->m_iExclusiveDialog = -1;
    return true;
}

CDX9KelSGUIBaseControl* CDX9KelSGUIDialog::FindControl(const char* szName) const {
    if (!szName || !*szName) return nullptr;
    for (CDX9KelSGUIBaseControl* c : m_vControls)
        if (c && c->m_strName == szName) return c;
    return nullptr;
}

bool CDX9KelSGUIDialog::MoveControlToTop(CDX9KelSGUIBaseControl* pControl) {
    if (!pControl || pControl->m_pDialog != this) return false;
    auto it = std::find(m_vControls.begin(), m_vControls.end(), pControl);
    if (it == m_vControls.end()) return false;
    m_vControls.erase(it);
    m_vControls.push_back(pControl);
    return true;
}

void CDX9KelSGUIDialog::Release() {
    for (CDX9KelSGUIBaseControl*& c : m_vControls) {
        if (!c) continue;
        c->ReleaseBuffers();
        delete c;
        c = nullptr;
    }
    m_vControls.clear();
}

void CDX9KelSGUIDialog::ResetControlsOnce() {
    if (!m_bControlsNeedReset) return;
    const std::vector<CDX9KelSGUIBaseControl*> controls = m_vControls;
    for (auto it = controls.rbegin(); it != controls.rend(); ++it)
        if (*it) (*it)->Reset();
    m_bControlsNeedReset = false;
}

void CDX9KelSGUIDialog::Update(float fElapsed) {
    if (!m_pManager) return;
    CDX9KelSGUIManager& manager = *m_pManager;
    m_bCursorOver = false;

    if (m_bVisible) {
        auto& list = manager.m_vRenderList;
        list.insert(list.begin(), m_vControls.begin(), m_vControls.end());
    }
    if (m_bVisibleLock) {
        if (m_bVisible && manager.m_iExclusiveDialog != m_iIndex)
            LockInput();
        else if (!m_bVisible && manager.m_iExclusiveDialog == m_iIndex)
            UnlockInput();
    }
    if (!m_bVisible || !m_bProc) {
        ResetControlsOnce();
        return;
    }
    if (manager.m_iExclusiveDialog != -1 && manager.m_iExclusiveDialog != m_iIndex) {
        ResetControlsOnce();
        return;
    }
    m_bIsLast = !manager.m_vDialogs.empty() && manager.m_vDialogs.back() == this;
    if (m_bAutoInvisible && !m_bIsLast) {
        m_bVisible = false;
        return;
    }

    m_Cursor = manager.m_Cursor;
    if (SGUIPointInRect(m_Rect, m_Cursor.x, m_Cursor.y) || m_bPressedInside) {
        m_bCursorOver = true;
        manager.m_iHoverDialog = m_iIndex;
        if (manager.m_bMouseButtons[0]) {
            if (manager.m_iHoverDialog == m_iIndex) manager.BringToFront(this);
            m_DragDelta = {0, 0};
            m_bPressedInside = true;
            if (m_DragAnchor.x != -1 || m_DragAnchor.y != -1)
                m_DragDelta = {m_Cursor.x - m_DragAnchor.x, m_Cursor.y - m_DragAnchor.y};
            if (m_bBorders && !m_bCaptured) {
                LockInput();
                m_DragAnchor = m_Cursor;
                if (m_Cursor.x >= m_Rect.left && m_Cursor.x < m_Rect.right && m_Cursor.y >= m_Rect.top &&
                    m_Cursor.y < m_WorkRect.top)
                    m_bDragging = true;
            }
            if (m_bDragging && (m_DragDelta.x != 0 || m_DragDelta.y != 0))
                MoveTo(m_Rect.left + m_DragDelta.x, m_Rect.top + m_DragDelta.y);
        } else {
            if (m_bDragging) UnlockInput();
            m_DragAnchor = {-1, -1};
            m_bDragging = false;
            m_bPressedInside = false;
        }
    }

    // Controls may move themselves to the top while reacting; walk a copy.
    const std::vector<CDX9KelSGUIBaseControl*> controls = m_vControls;
    for (auto it = controls.rbegin(); it != controls.rend(); ++it)
        if (*it) (*it)->UpdateMouse(fElapsed);
}

// ---- creating controls ----

bool CDX9KelSGUIDialog::BordersHold(LONG left, LONG top, LONG right, LONG bottom) const {
    return m_Rect.left <= left && m_Rect.top <= top && right <= m_Rect.right && bottom <= m_Rect.bottom;
}

void CDX9KelSGUIDialog::LogControl(const char* operation, const char* message, const char* control,
                                   const char* separator) const {
    g_Log.Write(LOG_ERROR, "CDX9KelSGUIDialog::%s: %s%s%sControl : %s\n", operation, message, m_strName.c_str(),
                separator, control);
}

bool CDX9KelSGUIDialog::LoadResources(const char* operation, const char* szName, const char* szTexture,
                                      const char* szEffect, CDX9KelGraphicResourceTexture** ppTexture,
                                      CDX9KelGraphicResourceEffect** ppEffect) {
    CDX9KelGraphicsResManager* res = m_pManager ? m_pManager->GetGraphicsResManager() : nullptr;
    if (ppTexture) {
        *ppTexture = nullptr;
        std::string folder, file;
        if (res && szTexture && g_Utils.SplitExeFolderPathString(szTexture, folder, file))
            *ppTexture = res->CreateTextureFromFile(folder.c_str(), file.c_str(), false, 0);
        if (!*ppTexture) {
            LogControl(operation, "not create texture. Dialog : ", szName, ". ");
            return false;
        }
    }
    *ppEffect = nullptr;
    if (szEffect && *szEffect) {
        std::string folder, file;
        if (res && g_Utils.SplitExeFolderPathString(szEffect, folder, file))
            *ppEffect = res->CreateEffectFromFile(folder.c_str(), file.c_str());
        if (!*ppEffect) {
            LogControl(operation, "not create effect. Dialog : ", szName, ". ");
            return false;
        }
    }
    return true;
}

bool CDX9KelSGUIDialog::SetControlEffect(CDX9KelSGUIBaseControl* pControl, const char* szEffect) {
    if (!pControl || !szEffect || !*szEffect) return true;
    CDX9KelGraphicResourceEffect* effect = nullptr;
    if (!LoadResources("SetControlEffect", pControl->GetName().c_str(), nullptr, szEffect, nullptr, &effect))
        return false;
    pControl->m_pEffect = effect;
    return true;
}

namespace {

// Runs a control's Init and files it; a control that fails is deleted with
// whatever parts its Init had added to the dialog already.
template <class Control, class InitFn>
Control* FileControl(std::vector<CDX9KelSGUIBaseControl*>& controls, Control* control, const char* szName,
                     InitFn init, bool& failed) {
    const size_t before = controls.size();
    control->m_strName = szName;
    if (!init(control)) {
        for (size_t i = controls.size(); i > before; --i) {
            CDX9KelSGUIBaseControl* part = controls[i - 1];
            controls.erase(controls.begin() + static_cast<long>(i - 1));
            delete part;
        }
        delete control;
        failed = true;
        return nullptr;
    }
    controls.push_back(control);
    failed = false;
    return control;
}

} // namespace

CDX9KelSGUIControlImage* CDX9KelSGUIDialog::AddImage(IDirect3DDevice9* pDevice, const char* szName,
                                                     bool bBorderTest, const char* szTexture, const char* szEffect,
                                                     bool bZoom, LONG left, LONG top, LONG right, LONG bottom,
                                                     float r, float g, float b, float a) {
    if (!szName || !*szName) return nullptr;
    if (bBorderTest && !BordersHold(left, top, right, bottom)) {
        LogControl("AddImage", "borders out of dialog. Dialog : ", szName, " ");
        return nullptr;
    }
    CDX9KelGraphicResourceTexture* texture = nullptr;
    CDX9KelGraphicResourceEffect* effect = nullptr;
    if (!LoadResources("AddImage", szName, szTexture, szEffect, &texture, &effect)) return nullptr;
    bool failed = false;
    auto* image = FileControl(
        m_vControls, new CDX9KelSGUIControlImage(), szName,
        [&](CDX9KelSGUIControlImage* c) {
            return c->Init(pDevice, this, texture, effect, bZoom, left, top, right, bottom, r, g, b, a);
        },
        failed);
    if (failed) LogControl("AddImage", "not init. Dialog : ", szName, ". ");
    return image;
}

CDX9KelSGUIText* CDX9KelSGUIDialog::AddText(IDirect3DDevice9* pDevice, const char* szName, bool bBorderTest,
                                            int iFont, int iFormat, const char* szEffect, const char* szText,
                                            LONG left, LONG top, LONG right, LONG bottom, float r, float g, float b,
                                            float a) {
    if (!szName || !*szName) return nullptr;
    if (bBorderTest && !BordersHold(left, top, right, bottom)) {
        LogControl("AddText", "borders out of dialog. Dialog : ", szName, " ");
        return nullptr;
    }
    CDX9KelGraphicResourceEffect* effect = nullptr;
    if (!LoadResources("AddText", szName, nullptr, szEffect, nullptr, &effect)) return nullptr;
    bool failed = false;
    auto* text = FileControl(
        m_vControls, new CDX9KelSGUIText(), szName,
        [&](CDX9KelSGUIText* c) {
            return c->Init(pDevice, this, iFont, iFormat, effect, szText, left, top, right, bottom, r, g, b, a);
        },
        failed);
    if (failed) LogControl("AddText", "not init. Dialog : ", szName, ". ");
    return text;
}

template <class Button>
Button* CDX9KelSGUIDialog::AddButtonOf(const char* operation, IDirect3DDevice9* pDevice, const char* szName,
                                       bool bBorderTest, int iFont, int iFormat, const char* szText,
                                       const SGUITextureDesc& texture, LONG left, LONG top, LONG right, LONG bottom,
                                       const float imageColor[4], const float textRect[4],
                                       const float textColor[4]) {
    if (!szName || !*szName) return nullptr;
    if (bBorderTest && !BordersHold(left, top, right, bottom)) {
        LogControl(operation, "borders out of dialog. Dialog : ", szName, " ");
        return nullptr;
    }
    bool failed = false;
    Button* button = FileControl(
        m_vControls, new Button(), szName,
        [&](Button* c) {
            return c->Init(pDevice, this, iFont, iFormat, szText, texture, left, top, right, bottom, imageColor,
                           textRect, textColor);
        },
        failed);
    if (failed) LogControl(operation, "not init. Dialog : ", szName, ". ");
    return button;
}

CDX9KelSGUIControlButton* CDX9KelSGUIDialog::AddButton(IDirect3DDevice9* pDevice, const char* szName,
                                                       bool bBorderTest, int iFont, int iFormat, const char* szText,
                                                       const SGUITextureDesc& texture, LONG left, LONG top,
                                                       LONG right, LONG bottom, const float imageColor[4],
                                                       const float textRect[4], const float textColor[4]) {
    return AddButtonOf<CDX9KelSGUIControlButton>("AddButton", pDevice, szName, bBorderTest, iFont, iFormat, szText,
                                                  texture, left, top, right, bottom, imageColor, textRect, textColor);
}

CDX9KelSGUIControlButtonCheck* CDX9KelSGUIDialog::AddCheckButton(IDirect3DDevice9* pDevice, const char* szName,
                                                                 bool bBorderTest, int iFont, int iFormat,
                                                                 const char* szText, const SGUITextureDesc& texture,
                                                                 LONG left, LONG top, LONG right, LONG bottom,
                                                                 const float imageColor[4], const float textRect[4],
                                                                 const float textColor[4]) {
    auto* button = AddButtonOf<CDX9KelSGUIControlButtonCheck>("AddCheckButton", pDevice, szName, bBorderTest, iFont,
                                                              iFormat, szText, texture, left, top, right, bottom,
                                                              imageColor, textRect, textColor);
    if (button) {
        button->m_iType = SGUI_CONTROL_BUTTON_CHECK;
        button->m_bInteractive = true;
    }
    return button;
}

CDX9KelSGUIControlButtonState* CDX9KelSGUIDialog::AddStateButton(IDirect3DDevice9* pDevice, const char* szName,
                                                                 int iFont, int iFormat, const char* szText,
                                                                 const SGUITextureDesc& texture, LONG left, LONG top,
                                                                 LONG right, LONG bottom, const float imageColor[4],
                                                                 const float textRect[4], const float textColor[4]) {
    auto* button = AddButtonOf<CDX9KelSGUIControlButtonState>("AddStateButton", pDevice, szName, true, iFont,
                                                              iFormat, szText, texture, left, top, right, bottom,
                                                              imageColor, textRect, textColor);
    if (button) button->m_iType = SGUI_CONTROL_BUTTON_STATE;
    return button;
}

} // namespace Vorna3D
