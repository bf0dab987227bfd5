#include "engine3/core/CDXFont.h"

#include <cstdarg>
#include <cstdio>

#include "engine3/core/CDX9KelLog.h"
#include "platform/os/Clock.h"
#include "platform/os/MessageBox.h"
#include "platform/os/Paths.h"

namespace Vorna3D {

CDX9KelFPSCounter g_FPSCounter;

HRESULT CDXFont::CreateText(IDirect3DDevice9* pDevice) {
    Release();
    if (FAILED(D3DXCreateFontA(pDevice, 15, 5, FW_BOLD, 1, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                               DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "Arial", &m_pFont))) {
        // "Error creating the font" / "Error." in code page 1251.
        MessageBoxA(nullptr, "\xCE\xF8\xE8\xE1\xEA\xE0 \xEF\xF0\xE8 \xF1\xEE\xE7\xE4\xE0\xED\xE8\xE8 \xF8\xF0\xE8\xF4\xF2\xE0",
                    "\xCE\xF8\xE8\xE1\xEA\xE0.", 0);
        g_Log.Write(3, "%s%i%s", " CDXFont::CreateText: D3DXCreateFont : ", static_cast<int>(GetLastError()), "\n");
        return E_FAIL;
    }
    if (FAILED(D3DXCreateSprite(pDevice, &m_pSprite))) {
        g_Log.Write(3, "%s%i%s", " CDXFont::CreateText: D3DXCreateSprite : ", static_cast<int>(GetLastError()),
                    "\n");
        return E_FAIL;
    }
    return S_OK;
}

void CDXFont::Release() {
    SafeReleaseCom(m_pSprite);
    SafeReleaseCom(m_pFont);
}

void CDXFont::OnLost() {
    if (m_pFont)
        m_pFont->OnLostDevice();
    if (m_pSprite)
        m_pSprite->OnLostDevice();
}

void CDXFont::Restore() {
    if (m_pFont)
        m_pFont->OnResetDevice();
    if (m_pSprite)
        m_pSprite->OnResetDevice();
}

namespace {
DWORD ToByte(float v) {
    if (v >= 1.0f)
        return 255;
    if (v <= 0.0f)
        return 0;
    return static_cast<DWORD>(v * 255.0f + 0.5f);
}
} // namespace

D3DCOLOR CDX9KelTextHelper::Color() const {
    return (ToByte(m_fA) << 24) | (ToByte(m_fR) << 16) | (ToByte(m_fG) << 8) | ToByte(m_fB);
}

HRESULT CDX9KelTextHelper::DrawTextLine(const char* szText) {
    if (!m_pFont) {
        g_Log.Write(3, "%s%i%s", " CDX9KelTextHelper::DrawTextLine: NULL == m_pFont : ",
                    static_cast<int>(GetLastError()), "\n");
        return E_FAIL;
    }
    RECT rc = {m_iX, m_iY, 0, 0};
    if (m_pFont->DrawTextA(m_pSprite, szText, -1, &rc, DT_NOCLIP, Color()) == 0) {
        g_Log.Write(3, "%s%i%s", " CDX9KelTextHelper::DrawTextLine: failed m_pFont->DrawText : ",
                    static_cast<int>(GetLastError()), "\n");
        return E_FAIL;
    }
    m_iY += m_iLineHeight;
    return S_OK;
}

HRESULT CDX9KelTextHelper::DrawFormattedTextLine(const char* szFormat, ...) {
    char buffer[512];
    va_list args;
    va_start(args, szFormat);
    std::vsnprintf(buffer, sizeof buffer, szFormat, args);
    va_end(args);
    buffer[511] = '\0';
    return DrawTextLine(buffer);
}

void InitFPSCounter(float fTimeBase) {
    g_FPSCounter = CDX9KelFPSCounter{};
    g_FPSCounter.m_fTimeBase = fTimeBase;
    LARGE_INTEGER v;
    QueryPerformanceFrequency(&v);
    g_FPSCounter.m_llFrequency = v.QuadPart;
    QueryPerformanceCounter(&v);
    g_FPSCounter.m_llCurrent = g_FPSCounter.m_llPrevious = v.QuadPart;
}

void UpdateFPSCounter() {
    CDX9KelFPSCounter& c = g_FPSCounter;
    if (c.m_dwWindowStart == 0)
        c.m_dwWindowStart = timeGetTime();
    LARGE_INTEGER v;
    QueryPerformanceCounter(&v);
    c.m_llCurrent = v.QuadPart;
    LONGLONG delta = c.m_llCurrent - c.m_llPrevious;
    if (timeGetTime() > c.m_dwWindowStart + 500) {
        // A counter that did not move has no rate; the last one stands.
        if (delta > 0)
            c.m_fFPS = static_cast<float>(static_cast<double>(c.m_llFrequency) / static_cast<double>(delta));
        c.m_dwWindowStart = 0;
    }
    double perUnit = c.m_fTimeBase > 0 ? static_cast<double>(c.m_llFrequency) / c.m_fTimeBase : 0;
    c.m_fFrameStep = perUnit > 0 ? static_cast<float>(static_cast<double>(delta) / perUnit) : 0.0f;
    if (c.m_fFrameStep <= 0.0f)
        c.m_fFrameStep = 1.0f;
    c.m_llPrevious = c.m_llCurrent;
}

} // namespace Vorna3D
