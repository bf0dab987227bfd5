#pragma once
// One textured quad stretched over its rectangle and tinted by its colour.
// A highlighting image darkens while hovered and pops up over the window on
// a click until the next click.
#include "engine2/ui/gui/CDX9KelGUIControl.h"
#include "engine2/ui/gui/CDX9KelGUIDialog.h"

namespace Vorna2 {

class CDX9KelGUIImage : public CDX9KelGUIControl {
public:
    static constexpr float kHighlightScale = 0.8f;

    HRESULT Init(CDX9KelGUIDialog* dialog, int left, int top, int right, int bottom, const GUIImageSettings& image,
                 D3DCOLOR colour, bool highlight);
    void Render(bool setTexture, unsigned passes) override;
    int UpdateMouse(const POINT& cursor) override;
    bool SetRect(int left, int top, int right, int bottom) override;

    bool m_bHighlight = false;
    D3DCOLOR m_dwSavedColour = 0xFFFFFFFFu;
    bool m_bHighlighted = false;
    bool m_bPoppedUp = false;
    int m_iPopUpWidth = 0;
    int m_iPopUpHeight = 0;
    RECT m_SavedRect{};
    RECT m_Clip{};
    bool m_bClipOn = false;

private:
    // The rectangle of the popped-up image: the whole window when the image
    // file is at least as large, else the file's size centred in the window
    // (cut to the window).
    RECT PopUpRect() const;
};

} // namespace Vorna2
