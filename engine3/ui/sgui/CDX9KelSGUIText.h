#pragma once
// A single-byte text (code page 1251) drawn with a bitmap font as one glyph
// quad per character that is not a blank, inside its rectangle: one line, or
// words wrapped at the right edge and placed left, centred or spread to the
// full width, with optional vertical centring or bottom alignment. The layout
// runs again whenever the text, the rectangle's size or the format changes.
#include <string>

#include "engine3/ui/sgui/CDX9KelSGUIBaseControl.h"

namespace Vorna3D {

class CDX9KelSGUIBitmapFont;

// Format = vertical + horizontal.
enum ESGUITextFormat : int {
    SGUI_TEXT_FORMAT_NO = 0,
    SGUI_TEXT_FORMAT_W_LEFT = 1,
    SGUI_TEXT_FORMAT_W_CENTER = 2,
    SGUI_TEXT_FORMAT_W_WIDTH = 3,
    SGUI_TEXT_FORMAT_H_CENTER_ADD = 10,
    SGUI_TEXT_FORMAT_H_BOTTOM_ADD = 20,
};

class CDX9KelSGUIText : public CDX9KelSGUIBaseControl {
public:
    // Wrapped layouts need a box at least this wide.
    static constexpr LONG kMinWrapWidth = 10;

    bool Init(IDirect3DDevice9* pDevice, CDX9KelSGUIDialog* pDialog, int iFont, int iFormat,
              CDX9KelGraphicResourceEffect* pEffect, const char* szText, LONG left, LONG top, LONG right,
              LONG bottom, float r, float g, float b, float a);
    // A new text, laid out at once. An empty text keeps the old one.
    bool SetText(const char* szText);
    bool SetColor(float r, float g, float b, float a) override;
    bool SetRect(LONG left, LONG top, LONG right, LONG bottom) override;
    bool MoveTo(LONG x, LONG y) override;
    bool Resize(LONG width, LONG height) override;
    bool MoveBy(LONG dx, LONG dy) override;
    // Lays the text out into the vertex buffer.
    bool FormatText();

    const std::string& GetText() const { return m_strText; }
    DWORD GetLineCount() const { return m_dwLineCount; }

    std::string m_strText;
    DWORD m_dwLineCount = 1;
    int m_iFont = -1;
    int m_iFormat = 0;
    IDirect3DDevice9* m_pDevice = nullptr;

private:
    bool LayoutNo(const CDX9KelSGUIBitmapFont& font, SGUIVertex* v);
    bool LayoutWrapped(const CDX9KelSGUIBitmapFont& font, int horizontal, SGUIVertex* v);
    // Offsets every vertex position.
    bool ShiftVertices(LONG dx, LONG dy);
};

} // namespace Vorna3D
