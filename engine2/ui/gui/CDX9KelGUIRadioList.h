#pragma once
// Check buttons grouped so that at most one is checked; with mustSelect one
// always is, and the checked one ignores clicks.
#include <vector>

#include "engine2/ui/gui/CDX9KelGUIControl.h"

namespace Vorna2 {

class CDX9KelGUICheckButton;

class CDX9KelGUIRadioList : public CDX9KelGUIControl {
public:
    static constexpr DWORD kGuardMs = 50;

    HRESULT Init(CDX9KelGUIDialog* dialog, int value, bool mustSelect);
    int AddButton(CDX9KelGUICheckButton* button);
    bool SetSelection(int index);
    bool SetButtonDisabled(int index, bool disabled);
    int UpdateMouse(const POINT& cursor) override;
    void Release() override;
    // The buttons are parts of the list: they move with it, so a dragged
    // dialog takes them along.
    bool MoveBy(int dx, int dy) override;

    int m_iSelected = -1;
    int m_iValue = 0;
    bool m_bMustSelect = true;
    std::vector<CDX9KelGUICheckButton*> m_Buttons;
};

} // namespace Vorna2
