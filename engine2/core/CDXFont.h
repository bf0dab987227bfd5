#pragma once
// Screen text of the campaign scene: the font and sprite record, and the
// text helper that writes formatted lines at a pen that moves down a line
// after each (the statistics overlay).
#include "platform/d3dx/d3dx9.h"

namespace Vorna2 {

class CDXFont {
public:
    CDXFont() = default;
    ~CDXFont() { Release(); }
    CDXFont(const CDXFont&) = delete;
    CDXFont& operator=(const CDXFont&) = delete;

    // A bold 15-pixel font and a sprite for the device; E_FAIL (with a log
    // line, and a message box for the font) when either cannot be made.
    HRESULT CreateText(IDirect3DDevice9* device);
    void Release();
    void OnLost();
    void Restore();

    ID3DXFont* m_pFont = nullptr;
    ID3DXSprite* m_pSprite = nullptr;
};

class CDX9KelTextHelper {
public:
    static constexpr int kMaxText = 511;

    CDX9KelTextHelper() = default;
    CDX9KelTextHelper(ID3DXFont* font, ID3DXSprite* sprite) { Init(font, sprite); }

    // Font, sprite and the creation values: white, pen (0, 0), line 15.
    void Init(ID3DXFont* font, ID3DXSprite* sprite);
    // Draws the text at the pen without clipping and moves the pen down one
    // line; E_FAIL (logged) without a font or when drawing fails.
    HRESULT DrawTextLine(const char* text);
    // printf-style, at most 511 characters.
    HRESULT Print(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void SetInsertionPos(int x, int y) {
        m_iX = x;
        m_iY = y;
    }
    void SetForegroundColor(float r, float g, float b, float a) {
        m_fR = r;
        m_fG = g;
        m_fB = b;
        m_fA = a;
    }
    // ARGB: each channel 255 from 1.0 up, 0 from 0 down, else x * 255 + 0.5
    // rounded down.
    D3DCOLOR Color() const;

    ID3DXFont* m_pFont = nullptr;
    ID3DXSprite* m_pSprite = nullptr;
    float m_fR = 1.0f, m_fG = 1.0f, m_fB = 1.0f, m_fA = 1.0f;
    int m_iX = 0;
    int m_iY = 0;
    int m_iLineHeight = 15;
};

} // namespace Vorna2
