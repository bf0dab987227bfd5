#pragma once
// An integer position 0..maximum chosen with a thumb that slides in a track
// between two arrow buttons, vertical or horizontal. The position goes into
// the caller's mirror; the thumb shrinks as the maximum grows.
#include "engine2/ui/gui/CDX9KelGUIControl.h"
#include "engine2/ui/gui/CDX9KelGUIDialog.h"

namespace Vorna2 {

class CDX9KelGUIButton;
class CDX9KelGUIImage;

class CDX9KelGUIScrollBar : public CDX9KelGUIControl {
public:
    static constexpr DWORD kArrowRepeatMs = 250;

    HRESULT Init(CDX9KelGUIDialog* dialog, int left, int top, int right, int bottom, const GUIScrollBarSettings& bar,
                 int* mirror, bool vertical);
    bool SetPosition(int p, bool relayout);
    bool SetMaxPosition(int m);
    // Arrows, track and thumb from the rectangle; false unless the bar is
    // more than twice as long as it is thick.
    bool Layout();
    // The thumb within the track from the maximum and the position.
    bool PlaceThumb();
    // The position a point on the track stands for; -1 off the track.
    int PositionFromPoint(const POINT& p) const;

    int UpdateMouse(const POINT& cursor) override;
    bool SetRect(int left, int top, int right, int bottom) override;
    bool Resize(int width, int height) override;
    bool MoveTo(int x, int y) override;
    bool MoveBy(int dx, int dy) override;

    bool m_bVertical = true;
    int m_iPosition = 0;
    int* m_pMirror = nullptr;
    int m_iMaximum = 0;
    int m_iLimit = 0;
    int m_iStep = 1;
    CDX9KelGUIButton* m_pArrow1 = nullptr;
    CDX9KelGUIButton* m_pArrow2 = nullptr;
    CDX9KelGUIButton* m_pThumb = nullptr;
    CDX9KelGUIImage* m_pTrack = nullptr;
    int m_iLastX = -1, m_iLastY = -1;
    int m_iDragDX = 0, m_iDragDY = 0;
    bool m_bDragging = false;

private:
    int ThumbLength() const;
};

} // namespace Vorna2
