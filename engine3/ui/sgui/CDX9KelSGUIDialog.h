#pragma once
// A rectangular group of screen controls. It owns its controls and is the
// only place they are created (Add<Control>); it keeps them inside its
// borders, follows the cursor over itself, can be dragged by the strip above
// its work area, can hold the manager's exclusive input, and every frame
// hands its controls to the manager's render list and lets each react.
#include <string>
#include <vector>

#include "engine3/ui/sgui/CDX9KelSGUIBaseControl.h"

namespace Vorna3D {

class CDX9KelSGUIManager;
class CDX9KelSGUIControlImage;
class CDX9KelSGUIText;
class CDX9KelSGUIControlButton;
class CDX9KelSGUIControlButtonCheck;
class CDX9KelSGUIControlButtonState;
class CDX9KelSGUIControlRadioList;
class CDX9KelSGUIControlScrollCheckList;
class CDX9KelSGUIControlScrollBar;
class CDX9KelSGUIControlScrollBarHard;
class CDX9KelSGUIControlEditBox;
class CDX9KelSGUIControlListBox;

// A texture for a control: a file relative to the program's folder and the
// part of it the control shows.
struct SGUITextureDesc {
    std::string strFile;
    float rect[4] = {0.0f, 0.0f, 1.0f, 1.0f};
};

class CDX9KelSGUIDialog {
public:
    static constexpr size_t kReservedControls = 10;

    CDX9KelSGUIDialog() = default;
    ~CDX9KelSGUIDialog();
    CDX9KelSGUIDialog(const CDX9KelSGUIDialog&) = delete;
    CDX9KelSGUIDialog& operator=(const CDX9KelSGUIDialog&) = delete;

    bool Init(CDX9KelSGUIManager* pManager, const char* szName, LONG left, LONG top, LONG right, LONG bottom);
    // The frame: render list, locks, resets, cursor, dragging, controls.
    void Update(float fElapsed);
    // Puts the top-left corner at (x, y); the controls (not parts) move along.
    bool MoveTo(LONG x, LONG y);
    // Takes the manager's exclusive input when nobody holds it; the other
    // dialogs then reset their controls once.
    bool LockInput();
    // Gives it back when this dialog holds it.
    bool UnlockInput();
    CDX9KelSGUIBaseControl* FindControl(const char* szName) const;
    // The control draws last.
    bool MoveControlToTop(CDX9KelSGUIBaseControl* pControl);
    void Release();
    // The work rectangle from the rectangle (inset with borders on).
    void UpdateWorkRect();

    CDX9KelSGUIControlImage* AddImage(IDirect3DDevice9* pDevice, const char* szName, bool bBorderTest,
                                      const char* szTexture, const char* szEffect, bool bZoom, LONG left, LONG top,
                                      LONG right, LONG bottom, float r, float g, float b, float a);
    CDX9KelSGUIText* AddText(IDirect3DDevice9* pDevice, const char* szName, bool bBorderTest, int iFont, int iFormat,
                             const char* szEffect, const char* szText, LONG left, LONG top, LONG right, LONG bottom,
                             float r, float g, float b, float a);
    // The three buttons take the button's Init values: font and format of the
    // caption, the caption, the image texture (empty file: no image), the
    // rectangle, the image colour, the caption's place in percent of the
    // rectangle and the caption colour.
    CDX9KelSGUIControlButton* AddButton(IDirect3DDevice9* pDevice, const char* szName, bool bBorderTest, int iFont,
                                        int iFormat, const char* szText, const SGUITextureDesc& texture, LONG left,
                                        LONG top, LONG right, LONG bottom, const float imageColor[4],
                                        const float textRect[4], const float textColor[4]);
    CDX9KelSGUIControlButtonCheck* AddCheckButton(IDirect3DDevice9* pDevice, const char* szName, bool bBorderTest,
                                                  int iFont, int iFormat, const char* szText,
                                                  const SGUITextureDesc& texture, LONG left, LONG top, LONG right,
                                                  LONG bottom, const float imageColor[4], const float textRect[4],
                                                  const float textColor[4]);
    CDX9KelSGUIControlButtonState* AddStateButton(IDirect3DDevice9* pDevice, const char* szName, int iFont,
                                                  int iFormat, const char* szText, const SGUITextureDesc& texture,
                                                  LONG left, LONG top, LONG right, LONG bottom,
                                                  const float imageColor[4], const float textRect[4],
                                                  const float textColor[4]);

    // The composite controls (their files hold these too). Every one but the
    // radio list passes the border test.
    CDX9KelSGUIControlRadioList* AddRadioList(const char* szName, bool bMustSelect);
    CDX9KelSGUIControlScrollCheckList* AddScrollCheckList(IDirect3DDevice9* pDevice, const char* szName, LONG left,
                                                          LONG top, LONG right, LONG bottom, bool bHorizontal,
                                                          bool bMustSelect);
    CDX9KelSGUIControlScrollBar* AddScrollBar(IDirect3DDevice9* pDevice, const char* szName,
                                              const SGUITextureDesc& bar, const float barColor[4],
                                              const SGUITextureDesc& track, const float trackColor[4],
                                              const SGUITextureDesc& arrow1, const float arrow1Color[4],
                                              const SGUITextureDesc& arrow2, const float arrow2Color[4],
                                              bool bVertical, LONG left, LONG top, LONG right, LONG bottom);
    CDX9KelSGUIControlScrollBarHard* AddScrollBarHard(IDirect3DDevice9* pDevice, const char* szName,
                                                      const SGUITextureDesc& track, const float trackColor[4],
                                                      const SGUITextureDesc& work, const float workColor[4],
                                                      const SGUITextureDesc& bar, const float barColor[4],
                                                      bool bVertical, int mode, int align, LONG left, LONG top,
                                                      LONG right, LONG bottom, LONG workLeft, LONG workTop,
                                                      LONG workRight, LONG workBottom, LONG barWidth,
                                                      LONG barHeight);
    CDX9KelSGUIControlEditBox* AddEditBox(IDirect3DDevice9* pDevice, const char* szName, int iFont, LONG left,
                                          LONG top, LONG right, LONG bottom, float r, float g, float b, float a);
    CDX9KelSGUIControlListBox* AddListBox(const char* szName, int iFont, const char* szTextEffect, LONG left,
                                          LONG top, LONG right, LONG bottom, const float normalColor[4],
                                          const float selectedColor[4]);

    // Gives a control of this dialog (also a part a composite control made)
    // the effect it is drawn with, a file relative to the program folder.
    // True for no control or an empty path (nothing changes). False, with
    // the "not create effect" line, when the effect cannot be made: the
    // control then keeps drawing without one.
    bool SetControlEffect(CDX9KelSGUIBaseControl* pControl, const char* szEffect);

    CDX9KelSGUIManager* GetManager() const { return m_pManager; }
    const std::string& GetName() const { return m_strName; }
    int GetIndex() const { return m_iIndex; }
    const RECT& GetRect() const { return m_Rect; }
    POINT GetCursor() const { return m_Cursor; }
    bool IsVisible() const { return m_bVisible; }
    void SetVisible(bool visible) { m_bVisible = visible; }

    CDX9KelSGUIManager* m_pManager = nullptr;
    std::vector<CDX9KelSGUIBaseControl*> m_vControls;
    std::string m_strName;
    int m_iIndex = -1;
    bool m_bCursorOver = false;
    bool m_bPressedInside = false;
    bool m_bBorders = false;
    bool m_bVisible = true;
    bool m_bPrevVisible = true;
    bool m_bInitVisible = true;
    bool m_bProc = true;
    bool m_bIsLast = false;
    bool m_bAutoInvisible = false;
    bool m_bVisibleLock = false;
    bool m_bUseLastVisible = false;
    bool m_bControlsNeedReset = false;
    RECT m_Rect = {};
    RECT m_WorkRect = {};
    LONG m_iBorderTop = 20;
    LONG m_iBorderLeft = 5;
    LONG m_iBorderRight = 5;
    LONG m_iBorderBottom = 5;
    POINT m_Cursor = {};
    POINT m_DragAnchor = {-1, -1};
    POINT m_DragDelta = {};
    bool m_bDragging = false;
    bool m_bCaptured = false;

private:
    bool BordersHold(LONG left, LONG top, LONG right, LONG bottom) const;
    void LogControl(const char* operation, const char* message, const char* control, const char* separator) const;
    // Texture and effect under the program's folder; null (logged) on failure.
    bool LoadResources(const char* operation, const char* szName, const char* szTexture, const char* szEffect,
                       CDX9KelGraphicResourceTexture** ppTexture, CDX9KelGraphicResourceEffect** ppEffect);
    template <class Button>
    Button* AddButtonOf(const char* operation, IDirect3DDevice9* pDevice, const char* szName, bool bBorderTest,
                        int iFont, int iFormat, const char* szText, const SGUITextureDesc& texture, LONG left,
                        LONG top, LONG right, LONG bottom, const float imageColor[4], const float textRect[4],
                        const float textColor[4]);
    void ResetControlsOnce();
};

} // namespace Vorna3D
