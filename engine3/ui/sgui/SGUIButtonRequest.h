#pragma once
// Lists and scroll bars set the state of their buttons from outside: request
// the state and apply it at once with the button's own look.
#include "engine3/ui/sgui/CDX9KelSGUIControlButton.h"

namespace Vorna3D {

inline void SGUIApplyRequest(CDX9KelSGUIControlButton* pButton, int state) {
    if (!pButton)
        return;
    pButton->RequestState(state);
    if (pButton->m_bTextureStates)
        pButton->ApplyStateTextures();
    else
        pButton->ApplyStateColor();
}

} // namespace Vorna3D
