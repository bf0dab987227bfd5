#pragma once
// Lists and scroll bars set the state of their buttons from outside: request
// the state and apply it at once with the button's own look. A press never
// comes straight from the normal state in the apply step (the mouse always
// hovers first), so a normal button that is to be checked from outside goes
// through the hover state on the way; the two shifts cancel.
#include "engine3/ui/sgui/CDX9KelSGUIControlButton.h"

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

} // namespace Vorna3D
