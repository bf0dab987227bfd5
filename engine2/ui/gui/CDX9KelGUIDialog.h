#pragma once
// A rectangular group of controls: shown, hidden, raised, dragged by its
// title strip, and the router of the mouse to its controls. The dialog owns
// its controls; their order is the drawing order, and the mouse is offered
// to them from the last to the first.
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine2/ui/gui/CDX9KelGUIControl.h"

namespace Vorna2 {

class CDX9KelGUIButton;
class CDX9KelGUICheckButton;
class CDX9KelGUIEditBox;
class CDX9KelGUIImage;
class CDX9KelGUIListBox;
class CDX9KelGUIRadioList;
class CDX9KelGUIScrollBar;
class CDX9KelGUIScrollText;
class CDX9KelGUIStateBar;
class CDX9KelGUIText;

// The textures and look of an image control, as the factory hands them on.
struct GUIImageSettings {
    IDirect3DTexture9* texture = nullptr;
    // The texture file's size; an image enlarges to the whole window when
    // popped up only if the file is at least as large.
    int popUpWidth = 0;
    int popUpHeight = 0;
    IDirect3DTexture9* texture2 = nullptr;
    CDX9KelEffect* effect = nullptr;
};

// The four textured parts of a scroll bar: thumb, track, first and second
// arrow.
struct GUIScrollBarSettings {
    GUIImageSettings thumb, track, arrow1, arrow2;
};

class CDX9KelGUIDialog {
public:
    static constexpr DWORD kClickWindowMs = 300;

    CDX9KelGUIDialog() = default;
    CDX9KelGUIDialog(const CDX9KelGUIDialog&) = delete;
    CDX9KelGUIDialog& operator=(const CDX9KelGUIDialog&) = delete;
    ~CDX9KelGUIDialog();

    HRESULT Setup(CDX9KelGUIManager* manager, int id, int left, int top, int right, int bottom, bool drag);
    bool MoveTo(int x, int y);
    // All four edges inclusive.
    bool ContainsRect(int left, int top, int right, int bottom) const;
    bool ContainsRect(const RECT& r) const { return ContainsRect(r.left, r.top, r.right, r.bottom); }

    // ---- add operations: 0, or a negative code and nothing added ----
    HRESULT AddImage(int left, int top, int right, int bottom, const GUIImageSettings& image, D3DCOLOR colour,
                     bool highlight, bool checkRect, CDX9KelGUIImage** out = nullptr);
    HRESULT AddText(int left, int top, int right, int bottom, int font, int align, IDirect3DTexture9* texture2,
                    CDX9KelEffect* effect, D3DCOLOR colour, const std::string& text, bool checkRect,
                    CDX9KelGUIText** out = nullptr);
    HRESULT AddButton(int left, int top, int right, int bottom, int font, const std::string& text,
                      D3DCOLOR textColour, const GUIImageSettings& image, int* mirror,
                      CDX9KelGUIButton** out = nullptr);
    HRESULT AddCheckButton(int left, int top, int right, int bottom, int font, const std::string& text,
                           D3DCOLOR textColour, const GUIImageSettings& image, int* mirror,
                           CDX9KelGUICheckButton** out = nullptr);
    HRESULT AddScrollBar(int left, int top, int right, int bottom, const GUIScrollBarSettings& bar, int* mirror,
                         bool vertical, CDX9KelGUIScrollBar** out = nullptr);
    HRESULT AddRadioList(bool mustSelect, CDX9KelGUIRadioList** out = nullptr);
    HRESULT AddScrollText(int left, int top, int right, int bottom, const GUIScrollBarSettings& bar,
                          CDX9KelGUIScrollText** out = nullptr);
    HRESULT AddEditBox(int left, int top, int right, int bottom, int font, D3DCOLOR colour,
                       CDX9KelGUIEditBox** out = nullptr);
    HRESULT AddListBox(int left, int top, int right, int bottom, D3DCOLOR textColour, int font,
                       const GUIImageSettings& selectionBar, const GUIScrollBarSettings& bar, int* selectedOut,
                       std::string* textOut, CDX9KelGUIListBox** out = nullptr);
    HRESULT AddStateBar(int left, int top, int right, int bottom, const GUIImageSettings& image, D3DCOLOR colour,
                        bool vertical, CDX9KelGUIStateBar** out = nullptr);
    // The hint of the button with that id; E_FAIL for an unknown id or a
    // control that is no button.
    HRESULT SetButtonPopUp(int id, int left, int top, int right, int bottom, int font, const std::string& text,
                           D3DCOLOR textColour, const GUIImageSettings& image);

    int GetControlIndex(int id) const;
    CDX9KelGUIControl* GetControl(int id) const;
    bool DeleteControl(int id);
    // To the end of the list: drawn last, offered the mouse first.
    bool MoveControlToBack(int id);
    bool MoveControlToFront(int id);
    // The next position after index holding a control that is no part; -1
    // when none or index is -2.
    int GetNextControl(int index) const;
    int GetLastControl() const;
    // The click-repeat window shared by the dialog's controls.
    bool IsClickReady(DWORD milliseconds);
    bool LockInput();
    bool UnlockInput();
    void Update();
    void Release();
    void MouseLeaveAll();

    int m_iID = -1;
    bool m_bMouseIn = false;
    bool m_bPressed = false;
    bool m_bDrag = false;
    bool m_bVisible = true;
    bool m_bShown = true;
    bool m_bProc = true;
    bool m_bIsTop = false;
    bool m_bAutoInvisible = false;
    int m_iResetPending = -1;
    RECT m_Rect{};
    RECT m_Inner{};
    int m_iBorderTop = 20, m_iBorderLeft = 5, m_iBorderRight = 5, m_iBorderBottom = 5;
    int m_iLastX = -1, m_iLastY = -1;
    int m_iDragDX = 0, m_iDragDY = 0;
    bool m_bDragging = false;
    CDX9KelGUIManager* m_pManager = nullptr;
    std::vector<std::unique_ptr<CDX9KelGUIControl>> m_Controls;
    int m_iHoveredControl = -1;
    DWORD m_dwClickTime = 0;
    int m_iRemovedControls = 0;
    bool m_bPopUpOpen = false;

private:
    void ComputeInner();
    // Runs a new control's Init; on success gives it its id and appends it.
    template <class T, class... Args>
    HRESULT Emplace(T** out, Args&&... args) {
        auto control = std::make_unique<T>();
        HRESULT hr = control->Init(this, std::forward<Args>(args)...);
        if (FAILED(hr)) {
            control->Release();
            return hr;
        }
        control->m_iID = static_cast<int>(m_Controls.size()) + m_iRemovedControls;
        if (out) *out = control.get();
        m_Controls.push_back(std::move(control));
        return S_OK;
    }
};

} // namespace Vorna2
