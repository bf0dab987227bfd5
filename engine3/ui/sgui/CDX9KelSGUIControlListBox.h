#pragma once
// Lines of text one below the other (text parts "<name>_text" of the same
// dialog, clipped to the list), one of which the player selects with the
// mouse; the lines scroll with an attached scroll bar and the mouse wheel.
// Text controls of removed lines are kept and reused for new lines.
#include <string>
#include <vector>

#include "engine3/ui/sgui/CDX9KelSGUIBaseControl.h"

namespace Vorna3D {

class CDX9KelSGUIText;
class CDX9KelSGUIControlScrollBar;

class CDX9KelSGUIControlListBox : public CDX9KelSGUIBaseControl {
public:
    static constexpr DWORD kSelectPeriod = 300;
    static constexpr int kMinScrollStep = 10;

    // False without a dialog, for an empty rectangle or a font the manager lacks.
    bool Init(CDX9KelSGUIDialog* pDialog, int iFont, const char* szTextEffect, LONG left, LONG top, LONG right,
              LONG bottom, const float normalColor[4], const float selectedColor[4]);
    // The new line's index; -1 without a device, for an empty text or when no
    // text control can be had.
    int AddItem(IDirect3DDevice9* pDevice, const char* szText);
    // Removes every line (their text controls wait for reuse) and the
    // selection; the scroll bar goes back to the top.
    bool Clear();
    // False outside the lines.
    bool Select(int index);
    int GetSelected() const { return m_iSelected; }
    const std::string& GetSelectedText() const { return m_strSelectedText; }
    size_t GetCount() const { return m_vItems.size(); }
    void SetScrollBar(CDX9KelSGUIControlScrollBar* pScrollBar) { m_pScrollBar = pScrollBar; }
    // Fits the scroll bar's positions to the lines; false without a scroll
    // bar or when the bar has no room for positions.
    bool UpdateScrollBar();

    bool SetRect(LONG left, LONG top, LONG right, LONG bottom) override;
    bool MoveTo(LONG x, LONG y) override;
    bool Resize(LONG width, LONG height) override;
    bool MoveBy(LONG dx, LONG dy) override;
    void UpdateMouse(float fElapsed) override;

    CDX9KelSGUIControlScrollBar* m_pScrollBar = nullptr; // not owned
    std::vector<CDX9KelSGUIText*> m_vItems;
    std::vector<CDX9KelSGUIText*> m_vSpareItems;
    int m_iFont = -1;
    std::string m_strTextEffect;
    float m_NormalColor[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    float m_SelectedColor[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    int m_iSelected = -1;
    std::string m_strSelectedText;
    LONG m_iContentHeight = 0;
    int m_iSeenPosition = 0;
    LONG m_iItemHeight = 0;
    LONG m_iScrollStep = kMinScrollStep;

private:
    // Every line at its place for the scroll position, clipped to the list,
    // shown only when it lies wholly inside.
    void PlaceItems();
    void UpdateVisibility(CDX9KelSGUIText* pItem) const;
    int ScrollPosition() const;
};

} // namespace Vorna3D
