#pragma once
// A row (or column) of equally sized check buttons of the same dialog of
// which only as many as fit are shown, scrolled one item at a time by a back
// and a forward button; at most one item is checked (the selection), with
// must-select exactly one.
#include <vector>

#include "engine3/ui/sgui/CDX9KelSGUIBaseControl.h"

namespace Vorna3D {

class CDX9KelSGUIControlButton;
class CDX9KelSGUIControlButtonCheck;

class CDX9KelSGUIControlScrollCheckList : public CDX9KelSGUIBaseControl {
public:
    static constexpr DWORD kScrollPeriod = 250;
    static constexpr LONG kDefaultGap = 5;

    bool Init(IDirect3DDevice9* pDevice, CDX9KelSGUIDialog* pDialog, LONG left, LONG top, LONG right, LONG bottom,
              bool bHorizontal, bool bMustSelect);
    // False for none, or for an item of another size than the first.
    bool AddItem(CDX9KelSGUIControlButtonCheck* pButton);
    // False when the button is not in the list; it is hidden and leaves it.
    bool RemoveItem(CDX9KelSGUIControlButtonCheck* pButton);
    bool Clear();
    // -1 clears; false on an empty list or an index outside it.
    bool SetSelected(int index);
    // The selected item, -1 for none.
    int GetSelected() const;
    bool SetItemLocked(int index, bool bLocked);
    // Shows the items that fit from the first visible one on, and the scroll
    // buttons while some item is hidden. False when not even one item fits.
    bool Layout();
    // The scroll buttons, set by the screen loader.
    void SetScrollButtons(CDX9KelSGUIControlButton* pBack, CDX9KelSGUIControlButton* pForward);

    bool SetRect(LONG left, LONG top, LONG right, LONG bottom) override;
    bool MoveTo(LONG x, LONG y) override;
    bool Resize(LONG width, LONG height) override;
    bool MoveBy(LONG dx, LONG dy) override;
    void Reset() override { m_iHovered = -1; }
    void UpdateMouse(float fElapsed) override;

    int m_iSelected = -1;
    int m_iFirstVisible = 0;
    int m_iHovered = -1;
    bool m_bHorizontal = true;
    bool m_bMustSelect = false;
    LONG m_iGap = kDefaultGap;
    LONG m_iItemWidth = -1;
    LONG m_iItemHeight = -1;
    std::vector<CDX9KelSGUIControlButtonCheck*> m_vItems; // not owned
    CDX9KelSGUIControlButton* m_pBackButton = nullptr;
    CDX9KelSGUIControlButton* m_pForwardButton = nullptr;

private:
    CDX9KelSGUIControlButtonCheck* Selected() const;
};

} // namespace Vorna3D
