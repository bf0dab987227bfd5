#pragma once
// A slider whose bar "<name>_bar" moves in whole steps of its own length
// through a work area: from 0 upwards in mode 0, centred on 0 in mode 1
// (negative to the left or top). A track image "<name>_track" covers the
// control, a work image "<name>_work" is clipped to the part of the work
// area the bar can reach. The control keeps the rectangle it was made with.
#include <vector>

#include "engine3/ui/sgui/CDX9KelSGUIControlButton.h"
#include "engine3/ui/sgui/SGUIPopup.h"

namespace Vorna3D {

class CDX9KelSGUIControlImage;

class CDX9KelSGUIControlScrollBarHard : public CDX9KelSGUIBaseControl {
public:
    // A point that maps to no position.
    static constexpr int kNoPosition = -10000;

    // The bar is barWidth x barHeight pixels; its length along the axis is
    // the step. False without a dialog; with a missing texture or a work area
    // outside the control a line is logged too.
    bool Init(IDirect3DDevice9* pDevice, CDX9KelSGUIDialog* pDialog, const SGUITextureDesc& track,
              const float trackColor[4], const SGUITextureDesc& work, const float workColor[4],
              const SGUITextureDesc& bar, const float barColor[4], bool bVertical, int mode, int align,
              LONG left, LONG top, LONG right, LONG bottom, LONG workLeft, LONG workTop, LONG workRight,
              LONG workBottom, LONG barWidth, LONG barHeight);
    // The delayed popup of the bar, as for images.
    bool InitPopup(IDirect3DDevice9* pDevice, const SGUITextureDesc& texture, int iFont, int iFormat,
                   const char* szText, LONG left, LONG top, LONG right, LONG bottom, const float textRect[4],
                   const float textColor[4]);
    bool SetPosition(int position);
    int GetPosition() const { return m_iPosition; }
    // Kept only when it fits (mode 0: below the steps; mode 1: at most half of them).
    bool SetBarLength(int length);
    bool SetMode(int mode);
    bool SetTrackTextureRect(float leftU, float topV, float rightU, float bottomV);
    bool SetWorkTextureRect(float leftU, float topV, float rightU, float bottomV);
    bool SetBarStates(const std::vector<SGUIStateRect>* states);
    bool Layout();
    // The reachable part of the work area; the work image is clipped to it.
    void UpdateReach();
    int PointToPosition(POINT pt) const;

    bool SetRect(LONG, LONG, LONG, LONG) override { return false; }
    bool Resize(LONG, LONG) override { return false; }
    bool MoveTo(LONG x, LONG y) override;
    bool MoveBy(LONG dx, LONG dy) override;
    void Reset() override;
    void UpdateMouse(float fElapsed) override;

    int m_iMode = 0;
    int m_iAlign = 0; // 0 left (top), 1 centred, 2 right (bottom)
    RECT m_WorkRect = {};
    RECT m_ReachRect = {};
    bool m_bVertical = false;
    int m_iPosition = 0;
    int m_iSteps = 0;
    int m_iBarLength = 0;
    LONG m_iStep = 0;
    bool m_bDragging = false;
    CDX9KelSGUIControlButton* m_pBar = nullptr;
    CDX9KelSGUIControlImage* m_pTrack = nullptr;
    CDX9KelSGUIControlImage* m_pWork = nullptr;
    SGUIPopup m_Popup;

private:
    bool Fits(int position) const;
    LONG m_iCross = 0;    // the bar's left (top) edge across the axis
    LONG m_iBarCross = 0; // the bar's size across the axis
};

} // namespace Vorna3D
