#pragma once
// Lists and scroll bars set the state of their buttons from outside: request
// the state and apply it at once with the button's own look. A press never
// comes straight from the normal state in the apply step (the mouse always
// hovers first), so a normal button that is to be checked from outside goes
// through the hover state on the way; the two shifts cancel.
#include "engine3/ui/sgui/CDX9KelSGUIControlButtonCheck.h"

#include <vector>

namespace Vorna3D {

inline void SGUIApplyRequest(CDX9KelSGUIControlButton* pButton, int state) {
    if (!pButton)
        return;
    auto apply = [pButton](int s) {
        pButton->RequestState(s);
        if (pButton->m_bTextureStates)
            pButton->ApplyStateTextures();
        else
            pButton->ApplyStateColor();
    };
    if (state == SGUI_BUTTON_PRESSED && pButton->GetState() == SGUI_BUTTON_NORMAL)
        apply(SGUI_BUTTON_HOVER);
    apply(state);
}

// One choice among check buttons, shared by the radio list and the scrolling
// check list: `selected` indexes `items`, -1 for none.
using SGUICheckItems = std::vector<CDX9KelSGUIControlButtonCheck*>;

inline CDX9KelSGUIControlButtonCheck* SGUISelectedItem(const SGUICheckItems& items, int selected) {
    if (selected < 0 || static_cast<size_t>(selected) >= items.size())
        return nullptr;
    return items[static_cast<size_t>(selected)];
}

// Checks item `index` (-1: none) and releases the one checked before.
inline bool SGUISelectItem(const SGUICheckItems& items, int& selected, int index) {
    if (items.empty() || index < -1 || index >= static_cast<int>(items.size()))
        return false;
    SGUIApplyRequest(SGUISelectedItem(items, selected), SGUI_BUTTON_NORMAL);
    if (index >= 0)
        SGUIApplyRequest(items[static_cast<size_t>(index)], SGUI_BUTTON_PRESSED);
    selected = index;
    return true;
}

// Locks or unlocks item `index`. The checked item cannot be locked while a
// choice is required; otherwise locking it leaves nothing checked.
inline bool SGUILockItem(const SGUICheckItems& items, int& selected, bool mustSelect, int index, bool locked) {
    if (index < 0 || index >= static_cast<int>(items.size()))
        return false;
    if (locked && index == selected) {
        if (mustSelect)
            return false;
        selected = -1;
    }
    SGUIApplyRequest(items[static_cast<size_t>(index)], locked ? SGUI_BUTTON_LOCKED : SGUI_BUTTON_NORMAL);
    return true;
}

} // namespace Vorna3D
