#pragma once
// A push button made of an image part and a text part, with four looks
// (normal, hover, pressed, disabled), an optional one-pixel shift, a delayed
// hint near the cursor, and a state mirror through which screens read the
// state and force a reset (4) or the disabled look (5). The check button
// toggles between unchecked and checked on each click.
#include <string>

#include "engine2/ui/gui/CDX9KelGUIControl.h"
#include "engine2/ui/gui/CDX9KelGUIDialog.h"

namespace Vorna2 {

class CDX9KelGUIImage;
class CDX9KelGUIText;

enum GUIButtonState { ButtonNormal = 0, ButtonHover = 1, ButtonPressed = 2, ButtonDisabled = 3 };
// Values a caller writes into the mirror.
constexpr int kButtonForceNormal = 4;
constexpr int kButtonForceDisabled = 5;

class CDX9KelGUIButton : public CDX9KelGUIControl {
public:
    static constexpr DWORD kPopUpDelayMs = 1500;
    static constexpr int kPopUpCursorGap = 32;

    void Render(bool setTexture, unsigned passes) override;
    int UpdateMouse(const POINT& cursor) override;
    bool SetRect(int left, int top, int right, int bottom) override;
    bool MoveTo(int x, int y) override;
    bool Resize(int width, int height) override;
    bool MoveBy(int dx, int dy) override;
    void MouseLeave() override;

    virtual void UpdatePopUp(const POINT& cursor, bool over);
    virtual void PlacePopUp(const POINT& cursor);
    virtual HRESULT Init(CDX9KelGUIDialog* dialog, int left, int top, int right, int bottom, int font,
                         const std::string& text, D3DCOLOR textColour, const GUIImageSettings& image, int* mirror);
    virtual HRESULT SetPopUp(int left, int top, int right, int bottom, int font, const std::string& text,
                             D3DCOLOR textColour, const GUIImageSettings& image);

    void SetVisible(bool visible);
    // Moves the image and text parts.
    void MovePartsBy(int dx, int dy);
    // Recolours both parts for a state.
    virtual void ApplyLook(int state);
    void HidePopUp();

    bool m_bShift = true;
    int m_iRequested = 0;
    int m_iState = 0;
    int* m_pMirror = nullptr;
    CDX9KelGUIText* m_pTextPart = nullptr;
    CDX9KelGUIImage* m_pImagePart = nullptr;
    D3DCOLOR m_dwImageColour = 0xFFFFFFFFu;
    D3DCOLOR m_dwTextColour = 0xFFFFFFFFu;
    CDX9KelGUIText* m_pPopUpText = nullptr;
    CDX9KelGUIImage* m_pPopUpImage = nullptr;
    DWORD m_dwPopUpDelay = kPopUpDelayMs;
    int m_iPopUpX = -1, m_iPopUpY = -1;
    DWORD m_dwPopUpStart = 0;

protected:
    // The hit rectangle: one pixel larger to the right and bottom in hover.
    int BaseTest(const POINT& cursor);
    // Writes the state into the mirror when there is one.
    void Mirror();
    // Applies the mirror's write-ins.
    void ReadMirror();
};

class CDX9KelGUICheckButton : public CDX9KelGUIButton {
public:
    void Render(bool setTexture, unsigned passes) override;
    int UpdateMouse(const POINT& cursor) override;
    void MouseLeave() override;
    void ApplyLook(int state) override;

    bool m_bToggles = false;
};

} // namespace Vorna2
