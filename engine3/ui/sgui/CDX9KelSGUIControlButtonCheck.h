#pragma once
// A button that toggles between normal and checked (state 2) on each click,
// and through its hotkey. While not interactive it only hovers and shows its
// popup; callers then set its state.
#include "engine3/ui/sgui/CDX9KelSGUIControlButton.h"

namespace Vorna3D {

class CDX9KelSGUIControlButtonCheck : public CDX9KelSGUIControlButton {
public:
    static constexpr DWORD kClickPeriod = 200;
    static constexpr DWORD kHotKeyPeriod = 300;

    void Reset() override;
    void UpdateMouse(float fElapsed) override;

    bool IsChecked() const { return m_dwState == SGUI_BUTTON_PRESSED; }

    bool m_bInteractive = true;
};

} // namespace Vorna3D
