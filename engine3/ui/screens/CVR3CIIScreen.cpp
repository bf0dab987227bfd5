#include "engine3/ui/screens/CVR3CIIScreen.h"

#include "engine3/ui/screens/CVR3CIIScreenManager.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlButton.h"
#include "engine3/ui/sgui/CDX9KelSGUIDialog.h"
#include "engine3/ui/sgui/CDX9KelSGUIManager.h"
#include "platform/window/Window.h"

namespace Vorna3D {

CVR3CIIScreenDialogEntry::~CVR3CIIScreenDialogEntry() {
    for (CVR3CIIScreenAction* a : stdvActions) delete a;
    stdvActions.clear();
}

void SetScreenDialogVisible(CDX9KelSGUIDialog* pDialog, bool bVisible) {
    if (!pDialog) return;
    pDialog->m_bPrevVisible = pDialog->m_bVisible;
    if (pDialog->m_bVisible != bVisible) {
        pDialog->m_bVisible = bVisible;
        pDialog->m_bControlsNeedReset = true;
    }
}

CVR3CIIScreenDialogEntry* CVR3CIIScreen::FindDialogEntry(const CVR3CIIScreen* pScreen, const char* szName) {
    if (!pScreen || !szName) return nullptr;
    for (CVR3CIIScreenDialogEntry* e : pScreen->m_stdvDialogs)
        if (e && e->pDialog && e->pDialog->GetName() == szName) return e;
    return nullptr;
}

void CVR3CIIScreen::Deactivate() {
    for (CVR3CIIScreenDialogEntry* e : m_stdvDialogs) {
        if (!e || !e->pDialog) continue;
        // A box left open on a screen that goes keeps no hold on the input:
        // hidden, it could never give it back.
        e->pDialog->UnlockInput();
        SetScreenDialogVisible(e->pDialog, false);
    }
    m_bActive = 0;
}

void CVR3CIIScreen::Activate() {
    CDX9KelSGUIManager* gui = m_pManager ? m_pManager->GetSGUIManager() : nullptr;
    for (CVR3CIIScreenDialogEntry* e : m_stdvDialogs) {
        CDX9KelSGUIDialog* d = e ? e->pDialog : nullptr;
        if (!d) continue;
        const bool hidden = d->m_bUseLastVisible ? !d->m_bPrevVisible : !d->m_bInitVisible;
        if (hidden) {
            SetScreenDialogVisible(d, false);
            continue;
        }
        SetScreenDialogVisible(d, true);
        // Raised one after another, the screen's dialogs stack in file order.
        if (gui) gui->BringToFront(d);
    }
    m_bActive = 1;
}

void CVR3CIIScreen::Update() {
    if (!m_bActive) return;
    for (CVR3CIIScreenDialogEntry* e : m_stdvDialogs) {
        if (!e) continue;
        for (CVR3CIIScreenAction* a : e->stdvActions)
            if (a && RunAction(*a)) break;
    }
}

bool CVR3CIIScreen::RunAction(CVR3CIIScreenAction& action) {
    CDX9KelSGUIControlButton* button = action.pControl;
    if (!button || !m_pManager) return false;
    const int state = static_cast<int>(button->GetState());
    const bool pressed = state == SGUI_BUTTON_PRESSED;
    CDX9KelSGUIManager* gui = m_pManager->GetSGUIManager();

    switch (action.iType) {
    case SCREEN_ACTION_GO_TO_SCREEN:
        if (button->GetType() != SGUI_CONTROL_BUTTON || action.stdvObjects.empty()) return false;
        if (pressed && m_pManager->IsSwitchAllowed(CVR3CIIScreenManager::kSwitchGate))
            return m_pManager->SetScreen(action.stdvObjects.front().c_str());
        return false;

    case SCREEN_ACTION_TOGGLE_DIALOGS:
        if (button->GetType() != SGUI_CONTROL_BUTTON) return false;
        if (pressed && action.iLastState != SGUI_BUTTON_PRESSED) {
            for (const std::string& name : action.stdvObjects) {
                CVR3CIIScreenDialogEntry* target = FindDialogEntry(this, name.c_str());
                if (!target || !target->pDialog) continue;
                CDX9KelSGUIDialog* d = target->pDialog;
                SetScreenDialogVisible(d, !d->m_bVisible);
                if (d->m_bVisible && gui) gui->BringToFront(d);
            }
            m_pManager->StampToggle();
        }
        action.iLastState = state;
        return false;

    case SCREEN_ACTION_SHOW_WHILE_CHECKED:
        if (button->GetType() != SGUI_CONTROL_BUTTON_CHECK) return false;
        if (pressed && action.iLastState != SGUI_BUTTON_PRESSED) {
            // The wait gate lets a frame pass now and then before the dialogs
            // show; the last state stays, so the next frame tries again.
            if (m_pManager->IsWaitPassed()) return false;
            for (const std::string& name : action.stdvObjects) {
                CVR3CIIScreenDialogEntry* target = FindDialogEntry(this, name.c_str());
                if (!target || !target->pDialog) continue;
                SetScreenDialogVisible(target->pDialog, true);
                if (gui) gui->BringToFront(target->pDialog);
            }
        } else if (!pressed && (action.iLastState == SGUI_BUTTON_PRESSED || action.iLastState == -1)) {
            for (const std::string& name : action.stdvObjects) {
                CVR3CIIScreenDialogEntry* target = FindDialogEntry(this, name.c_str());
                if (target) SetScreenDialogVisible(target->pDialog, false);
            }
        }
        action.iLastState = state;
        return false;

    case SCREEN_ACTION_QUIT:
        if (button->GetType() != SGUI_CONTROL_BUTTON) return false;
        if (pressed && m_pManager->IsSwitchAllowed(CVR3CIIScreenManager::kSwitchGate)) PostQuitMessage(0);
        return false;

    default:
        return false;
    }
}

void CVR3CIIScreen::Release() {
    for (CVR3CIIScreenDialogEntry* e : m_stdvDialogs) delete e;
    m_stdvDialogs.clear();
    m_bActive = 0;
}

} // namespace Vorna3D
