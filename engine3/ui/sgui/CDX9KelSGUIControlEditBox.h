#pragma once
// A one-line text input over a text part "<name>_text" clipped to the box:
// a click gives it the focus and shows the caret, characters typed while it
// has the focus are appended, Backspace takes the last one away, a click
// elsewhere removes the focus. The typed text is kept apart from what is
// shown, so the caret never becomes part of it.
#include <string>

#include "engine3/ui/sgui/CDX9KelSGUIBaseControl.h"

namespace Vorna3D {

class CDX9KelSGUIText;

class CDX9KelSGUIControlEditBox : public CDX9KelSGUIBaseControl {
public:
    static constexpr DWORD kFocusPeriod = 300;
    // The pace of a held Backspace on the manager's shared timer.
    static constexpr DWORD kTypePeriod = 100;
    // Counted on the shown text with its caret: at most 99 typed characters.
    static constexpr DWORD kMaxLength = 100;
    static constexpr char kCaret = '|';
    static constexpr int kBackspaceKey = 14; // DIK_BACK

    // False without a dialog or when the text part cannot be made.
    bool Init(IDirect3DDevice9* pDevice, CDX9KelSGUIDialog* pDialog, int iFont, LONG left, LONG top, LONG right,
              LONG bottom, float r, float g, float b, float a);
    // Replaces the typed text (cut to the longest that can be typed); false
    // without a text or a text part.
    bool SetText(const char* szText);
    // The typed text, never with the caret.
    const std::string& GetText() const { return m_strText; }
    bool IsFocused() const { return m_bFocused; }

    bool SetRect(LONG left, LONG top, LONG right, LONG bottom) override;
    bool MoveTo(LONG x, LONG y) override;
    bool Resize(LONG width, LONG height) override;
    bool MoveBy(LONG dx, LONG dy) override;
    // Gives the focus up.
    void Reset() override;
    void UpdateMouse(float fElapsed) override;

    std::string m_strText;
    CDX9KelSGUIText* m_pText = nullptr;
    bool m_bFocused = false;
    DWORD m_dwMaxLength = kMaxLength;

private:
    // Shows the typed text, with the caret while focused; an empty result
    // empties the part (a text control otherwise keeps its old text).
    void Show();
    // The part's clip rectangle follows the box.
    void ClipPart();
};

} // namespace Vorna3D
