#pragma once
// A button that keeps a checked state with its own hover look: states 0
// normal, 1 hovered, 2 checked, 3 hovered while checked, 4 locked. The look
// comes from five-entry state tables only.
#include "engine3/ui/sgui/CDX9KelSGUIControlButton.h"

namespace Vorna3D {

enum ESGUIStateButtonState : int {
    SGUI_STATE_NONE = -1,
    SGUI_STATE_NORMAL = 0,
    SGUI_STATE_HOVER = 1,
    SGUI_STATE_CHECKED = 2,
    SGUI_STATE_CHECKED_HOVER = 3,
    SGUI_STATE_LOCKED = 4,
};

class CDX9KelSGUIControlButtonState : public CDX9KelSGUIControlButton {
public:
    static constexpr DWORD kClickPeriod = 200;

    void Reset() override;
    void UpdateMouse(float fElapsed) override;
    // Consumes the own requested state.
    void ApplyOwnState();

    int GetOwnState() const { return m_iOwnState; }
    bool IsChecked() const { return m_dwChecked != 0; }
    void RequestOwnState(int state) { m_iOwnRequested = state; }

    int m_iOwnState = SGUI_STATE_NONE;
    int m_iOwnRequested = SGUI_STATE_NORMAL;
    DWORD m_dwChecked = 0;

protected:
    size_t StateCount() const override { return 5; }
};

} // namespace Vorna3D
