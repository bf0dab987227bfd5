#pragma once
// A textured quad. With the zoom flag it darkens while hovered and a click
// shows it at its texture's own size in the window's top-left corner, taking
// the dialog's input until the next click. It may carry a delayed popup.
#include "engine3/ui/sgui/CDX9KelSGUIBaseControl.h"
#include "engine3/ui/sgui/SGUIPopup.h"

namespace Vorna3D {

class CDX9KelSGUIControlImage : public CDX9KelSGUIBaseControl {
public:
    static constexpr float kHighlight = 0.8f;
    static constexpr DWORD kZoomPeriod = 300;

    // False without dialog, manager, texture or device, or for a rectangle
    // smaller than one pixel.
    bool Init(IDirect3DDevice9* pDevice, CDX9KelSGUIDialog* pDialog, CDX9KelGraphicResourceTexture* pTexture,
              CDX9KelGraphicResourceEffect* pEffect, bool bZoom, LONG left, LONG top, LONG right, LONG bottom,
              float r, float g, float b, float a);
    bool InitPopup(IDirect3DDevice9* pDevice, CDX9KelSGUIDialog* pDialog, const SGUITextureDesc& texture, int iFont,
                   int iFormat, const char* szText, LONG left, LONG top, LONG right, LONG bottom,
                   const float textRect[4], const float textColor[4]);
    void UpdateMouse(float fElapsed) override;

    bool IsZoomed() const { return m_bZoomed; }

    bool m_bZoom = false;
    float m_BaseColor[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    bool m_bHighlighted = false;
    bool m_bZoomed = false;
    RECT m_SavedRect = {};
    SGUIPopup m_Popup;
};

} // namespace Vorna3D
