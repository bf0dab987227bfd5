#pragma once
// The delayed popup that images and buttons share: an image and/or a text of
// the owner's dialog, shown beside the cursor once it has rested on the owner
// for the popup delay, hidden as soon as the cursor moves or leaves.
#include <string>

#include "engine3/ui/sgui/CDX9KelSGUIDialog.h"

namespace Vorna3D {

class CDX9KelSGUIControlImage;
class CDX9KelSGUIText;

struct SGUIPopup {
    static constexpr DWORD kDefaultDelay = 1500;
    // The popup sits this far right of (or left of) the cursor.
    static constexpr LONG kCursorGap = 32;

    // Adds the parts "<owner>_popup_image" (with a texture file) and
    // "<owner>_popup_text" (with a font and a text) to the dialog, hidden.
    // False without a dialog, with neither part asked for, or when a part
    // cannot be made.
    bool Init(IDirect3DDevice9* pDevice, CDX9KelSGUIDialog* pDialog, const std::string& owner,
              const SGUITextureDesc& texture, int iFont, int iFormat, const char* szText, LONG left, LONG top,
              LONG right, LONG bottom, const float textRect[4], const float textColor[4]);
    bool Exists() const { return m_pImage || m_pText; }
    // The frame's step for an owner that is (or is not) hovered.
    void Update(bool bHovered, CDX9KelSGUIDialog* pDialog);
    // Hides both parts and forgets the timing.
    void Hide();

    CDX9KelSGUIControlImage* m_pImage = nullptr;
    CDX9KelSGUIText* m_pText = nullptr;
    float m_TextRect[4] = {0.0f, 0.0f, 100.0f, 100.0f};
    DWORD m_dwDelay = kDefaultDelay;
    POINT m_LastCursor = {-1, -1};
    DWORD m_dwHoverStart = 0;

private:
    void Show(CDX9KelSGUIDialog* pDialog);
};

} // namespace Vorna3D
