#pragma once
// Picks a whole position from 0 to a number of positions with a bar
// "<name>_bar" that runs in a track "<name>_track", two optional arrows
// "<name>_arrow1" (towards 0) and "<name>_arrow2", clicks on the track and
// the mouse wheel. All parts are controls of the same dialog; the scroll bar
// itself draws nothing.
#include <vector>

#include "engine3/ui/sgui/CDX9KelSGUIControlButton.h"

namespace Vorna3D {

class CDX9KelSGUIControlImage;

class CDX9KelSGUIControlScrollBar : public CDX9KelSGUIBaseControl {
public:
    static constexpr DWORD kArrowPeriod = 250;
    // Mode 0: the bar is the track less (n - 1) x n pixels and a position is
    // taken at the bar's middle; mode 1: the bar is the track less n steps of
    // a small step and a position is taken at its top.
    static constexpr LONG kPixelsPerPosition = 5;

    // False without a dialog, without bar or track texture, when a part
    // cannot be made or the rectangle cannot be laid out. The arrows exist
    // only when both of their textures are given.
    bool Init(IDirect3DDevice9* pDevice, CDX9KelSGUIDialog* pDialog, const SGUITextureDesc& bar,
              const float barColor[4], const SGUITextureDesc& track, const float trackColor[4],
              const SGUITextureDesc& arrow1, const float arrow1Color[4], const SGUITextureDesc& arrow2,
              const float arrow2Color[4], bool bVertical, LONG left, LONG top, LONG right, LONG bottom);
    // False below 0, above the number of positions or without a track.
    bool SetPosition(int position);
    int GetPosition() const { return m_iPosition; }
    bool SetTrackTextureRect(float leftU, float topV, float rightU, float bottomV);
    bool SetBarStates(const std::vector<SGUIStateRect>* states);
    bool SetArrow1States(const std::vector<SGUIStateRect>* states);
    bool SetArrow2States(const std::vector<SGUIStateRect>* states);
    // Arrows, track and bar for the current rectangle and number of positions.
    bool Layout();
    // The position under a point of the track; -1 off the track.
    int PointToPosition(POINT pt) const;

    bool SetRect(LONG left, LONG top, LONG right, LONG bottom) override;
    bool MoveTo(LONG x, LONG y) override;
    bool Resize(LONG width, LONG height) override;
    bool MoveBy(LONG dx, LONG dy) override;
    void UpdateMouse(float fElapsed) override;

    int m_iMode = 0;
    bool m_bVertical = true;
    LONG m_iArrowSize = 0;   // the arrows' length along the bar, as laid out
    LONG m_iArrowLength = 0; // asked for by the screen file; 0: square arrows
    int m_iPosition = 0;
    int m_iCount = 0;    // number of positions (set by the owner)
    int m_iMaxCount = 0; // what the track can hold
    int m_iStep = 0;     // pixels per position
    CDX9KelSGUIControlButton* m_pArrow1 = nullptr;
    CDX9KelSGUIControlButton* m_pArrow2 = nullptr;
    CDX9KelSGUIControlButton* m_pBar = nullptr;
    CDX9KelSGUIControlImage* m_pTrack = nullptr;
    POINT m_DragAnchor = {-1, -1};
    POINT m_DragDelta = {0, 0};
    bool m_bDragging = false;

private:
    // The bar for the number of positions and the position.
    bool PlaceBar();
    LONG Along(POINT pt) const { return m_bVertical ? pt.y : pt.x; }
    void ForEachPart(void (*fn)(CDX9KelSGUIBaseControl*, LONG, LONG), LONG dx, LONG dy);
};

} // namespace Vorna3D
