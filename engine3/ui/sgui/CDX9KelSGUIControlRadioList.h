#pragma once
// A group of check buttons of the same dialog of which at most one is
// checked; with must-select exactly one stays checked. The buttons react only
// through the list, which is not drawn.
#include <vector>

#include "engine3/ui/sgui/CDX9KelSGUIBaseControl.h"

namespace Vorna3D {

class CDX9KelSGUIControlButtonCheck;

class CDX9KelSGUIControlRadioList : public CDX9KelSGUIBaseControl {
public:
    // False without a dialog.
    bool Init(CDX9KelSGUIDialog* pDialog, bool bMustSelect);
    // The button's index, -1 for none. The first button of a must-select
    // list is checked at once.
    int AddItem(CDX9KelSGUIControlButtonCheck* pButton);
    // -1 clears; false on an empty list or an index outside it.
    bool SetSelected(int index);
    int GetSelected() const { return m_iSelected; }
    // False outside the list and, with must-select, for locking the checked button.
    bool SetItemLocked(int index, bool bLocked);
    void UpdateMouse(float fElapsed) override;

    int m_iSelected = -1;
    bool m_bMustSelect = false;
    std::vector<CDX9KelSGUIControlButtonCheck*> m_vItems; // not owned

private:
    CDX9KelSGUIControlButtonCheck* Selected() const;
};

} // namespace Vorna3D
