#pragma once
// Screen text for the statistics overlay (a font with its sprite and a
// helper that draws lines one below the other) and the global FPS counter,
// which also yields the per-frame time step.
#include "platform/d3dx/d3dx9.h"

namespace Vorna3D {

class CDXFont {
public:
    CDXFont() = default;
    ~CDXFont() { Release(); }
    CDXFont(const CDXFont&) = delete;
    CDXFont& operator=(const CDXFont&) = delete;
    HRESULT CreateText(IDirect3DDevice9* pDevice);
    void Release();
    void OnLost();
    void Restore();

    ID3DXFont* m_pFont = nullptr;
    ID3DXSprite* m_pSprite = nullptr;
};

class CDX9KelTextHelper {
public:
    CDX9KelTextHelper(ID3DXFont* pFont, ID3DXSprite* pSprite) : m_pFont(pFont), m_pSprite(pSprite) {}
    // Draws at the current position and colour, then moves down a line.
    HRESULT DrawTextLine(const char* szText);
    // printf-style; at most 511 characters.
    HRESULT DrawFormattedTextLine(const char* szFormat, ...) __attribute__((format(printf, 2, 3)));
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
    // ARGB with each component mapped to a byte (>= 1: 255, <= 0: 0,
    // otherwise rounded).
    D3DCOLOR Color() const;

    ID3DXFont* m_pFont;
    ID3DXSprite* m_pSprite;
    float m_fR = 1, m_fG = 1, m_fB = 1, m_fA = 1;
    int m_iX = 0;
    int m_iY = 0;
    int m_iLineHeight = 15;
};

struct CDX9KelFPSCounter {
    float m_fTimeBase = 100.0f;
    DWORD m_dwWindowStart = 0;
    float m_fFPS = 0.0f;
    float m_fFrameStep = 1.0f;
    LONGLONG m_llFrequency = 0;
    LONGLONG m_llCurrent = 0;
    LONGLONG m_llPrevious = 0;
};

extern CDX9KelFPSCounter g_FPSCounter;

// Stores the time base and reads the counter and its frequency.
void InitFPSCounter(float fTimeBase);
// Once per frame: the frame step every frame; the FPS (of the last frame
// alone) about twice a second. A counter that did not move gives the step
// 1.0 and leaves the FPS as it was.
void UpdateFPSCounter();

} // namespace Vorna3D
