#pragma once
// A one-line entry field: a click gives it the focus, typed characters go
// before a "|" cursor at the end, Backspace removes the one before it, and a
// click elsewhere takes the focus away.
#include <string>

#include "engine2/ui/gui/CDX9KelGUIControl.h"

namespace Vorna2 {

class CDX9KelGUIText;

class CDX9KelGUIEditBox : public CDX9KelGUIControl {
public:
    // The pace of a held Backspace on the dialog's click-repeat window.
    static constexpr DWORD kTypeRepeatMs = 100;
    static constexpr char kCursor = '|';

    HRESULT Init(CDX9KelGUIDialog* dialog, int left, int top, int right, int bottom, int font, D3DCOLOR colour,
                 std::string* textOut);
    bool SetText(const char* text);
    // The text without the cursor.
    std::string GetText() const;

    int UpdateMouse(const POINT& cursor) override;
    bool SetRect(int left, int top, int right, int bottom) override;
    bool MoveTo(int x, int y) override;
    bool Resize(int width, int height) override;
    bool MoveBy(int dx, int dy) override;

    std::string* m_pTextOut = nullptr;
    CDX9KelGUIText* m_pTextPart = nullptr;
    bool m_bFocused = false;
    int m_iMaxLength = 50;

private:
    void Show(const std::string& shown);
};

} // namespace Vorna2
