#pragma once
// The push button, the base of the check and state buttons. A button draws
// nothing itself: it drives an image part "<name>_image" and a text part
// "<name>_text" of its dialog (either may be absent, not both) and may carry
// a delayed popup. Its state changes only through a requested state that the
// apply step consumes, once per frame or when a caller forces a look.
#include <vector>

#include "engine3/ui/sgui/CDX9KelSGUIBaseControl.h"
#include "engine3/ui/sgui/SGUIPopup.h"

namespace Vorna3D {

class CDX9KelSGUIControlImage;
class CDX9KelSGUIText;

// Button states (the state button has its own set, see there).
enum ESGUIButtonState : int {
    SGUI_BUTTON_NONE = -1,
    SGUI_BUTTON_NORMAL = 0,
    SGUI_BUTTON_HOVER = 1,
    SGUI_BUTTON_PRESSED = 2,  // a check button: checked
    SGUI_BUTTON_LOCKED = 3,
};

struct SGUIStateRect {
    float v[4];
};

class CDX9KelSGUIControlButton : public CDX9KelSGUIBaseControl {
public:
    static constexpr DWORD kHotKeyPeriod = 500;
    // The colour rule: hover raises the contrast, pressed and locked darken.
    static constexpr float kHoverContrast = 0.7f;
    static constexpr float kPressedScale = 0.8f;

    bool Init(IDirect3DDevice9* pDevice, CDX9KelSGUIDialog* pDialog, int iFont, int iFormat, const char* szText,
              const SGUITextureDesc& texture, LONG left, LONG top, LONG right, LONG bottom,
              const float imageColor[4], const float textRect[4], const float textColor[4]);
    bool InitPopup(IDirect3DDevice9* pDevice, CDX9KelSGUIDialog* pDialog, const SGUITextureDesc& texture, int iFont,
                   int iFormat, const char* szText, LONG left, LONG top, LONG right, LONG bottom,
                   const float textRect[4], const float textColor[4]);
    bool SetRect(LONG left, LONG top, LONG right, LONG bottom) override;
    bool MoveTo(LONG x, LONG y) override;
    bool Resize(LONG width, LONG height) override;
    bool MoveBy(LONG dx, LONG dy) override;
    void Reset() override;
    void UpdateMouse(float fElapsed) override;

    // Per-state texture rectangles and text colours; each given list must
    // hold exactly one entry per state. False when both are absent.
    virtual bool SetStates(const std::vector<SGUIStateRect>* textureRects, const std::vector<SGUIStateRect>* textColors);
    // Consume the requested state; with a pending request the look follows
    // the colour rule, or the state tables.
    void ApplyStateColor();
    void ApplyStateTextures();
    // Requests the normal state and applies it with the tables.
    void ResetState();
    // The button and both parts.
    void SetVisible(bool bVisible);
    void SetShift(bool bShift);

    DWORD GetState() const { return m_dwState; }
    void RequestState(int state) { m_iRequestedState = state; }

    bool m_bTextureStates = false;
    CDX9KelSGUIControlImage* m_pImage = nullptr;
    CDX9KelSGUIText* m_pText = nullptr;
    DWORD m_dwState = SGUI_BUTTON_NORMAL;
    bool m_bShift = true;
    int m_iRequestedState = SGUI_BUTTON_NONE;
    float m_ImageColor[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    float m_TextColor[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    float m_TextRelativeRect[4] = {0.0f, 0.0f, 100.0f, 100.0f};
    std::vector<SGUIStateRect> m_vStateTextureRects;
    std::vector<SGUIStateRect> m_vStateTextColors;
    SGUIPopup m_Popup;

protected:
    // Number of states the tables describe.
    virtual size_t StateCount() const { return 4; }
    // The hover test with right and bottom grown by one pixel when `grow`.
    void HoverGrown(bool grow);
    // The apply step of push and check buttons; `tables` picks the look.
    void ApplyState(bool tables);
    // Moves the button and its parts when the shift flag is set.
    void Shift(LONG d);
    // Sets the parts' look for a state from the colour rule or the tables.
    void ApplyLook(size_t state, bool tables);
    void Apply() { ApplyState(m_bTextureStates); }
    // Places the text part at its percentages of the rectangle.
    void PlaceText();
};

} // namespace Vorna3D
