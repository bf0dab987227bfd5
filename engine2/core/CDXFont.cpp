#include "engine2/core/CDXFont.h"

#include "engine2/core/CDX9KelLog.h"
#include "platform/os/MessageBox.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>

namespace Vorna2 {

namespace {

// The messages are kept in the program's single-byte code page (1251).
const char kFontError[] = "\xCE\xF8\xE8\xE1\xEA\xE0 \xEF\xF0\xE8 \xF1\xEE\xE7\xE4\xE0\xED\xE8\xE8 \xF8\xF0\xE8\xF4\xF2\xE0";
const char kFontErrorCaption[] = "\xCE\xF8\xE8\xE1\xEA\xE0.";
const char kFontErrorLog[] =
    " \xCE\xF8\xE8\xE1\xEA\xE0 \xEF\xF0\xE8 \xF1\xEE\xE7\xE4\xE0\xED\xE8\xE8 \xF8\xF0\xE8\xF4\xF2\xE0: ";
const char kSpriteErrorLog[] =
    " \xCE\xF8\xE8\xE1\xEA\xE0 \xEF\xF0\xE8 \xF1\xEE\xE7\xE4\xE0\xED\xE8\xE8 \xF1\xEF\xF0\xE0\xE9\xF2\xE0: ";
const char kNoTextLog[] = " \xD2\xE5\xEA\xF1\xF2 \xED\xE5 \xF1\xEE\xE7\xE4\xE0\xED \xE8 \xED\xE5 "
                          "\xEC\xEE\xE6\xE5\xF2 \xE1\xFB\xF2\xFC \xEE\xF2\xEE\xE1\xF0\xE0\xE6\xE5\xED: ";
const char kNotShownLog[] = " \xD2\xE5\xEA\xF1\xF2 \xED\xE5 \xEE\xF2\xEE\xE1\xF0\xE0\xE6\xE0\xE5\xF2\xF1\xFF: ";

BYTE Channel(float x) {
    if (x >= 1.0f) return 255;
    if (x <= 0.0f) return 0;
    return static_cast<BYTE>(x * 255.0f + 0.5f);
}

} // namespace

HRESULT CDXFont::CreateText(IDirect3DDevice9* device) {
    Release();
    if (FAILED(D3DXCreateFontA(device, 15, 5, FW_BOLD, 1, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, DEFAULT_QUALITY,
                               DEFAULT_PITCH | FF_DONTCARE, "Arial", &m_pFont))) {
        MessageBoxA(nullptr, kFontError, kFontErrorCaption, MB_OK);
        g_Log.Write(LOG_ERROR, "%s%i%s", kFontErrorLog, errno, "\n");
        return E_FAIL;
    }
    if (FAILED(D3DXCreateSprite(device, &m_pSprite))) {
        g_Log.Write(LOG_ERROR, "%s%i%s", kSpriteErrorLog, errno, "\n");
        return E_FAIL;
    }
    return S_OK;
}

void CDXFont::Release() {
    SafeReleaseCom(m_pSprite);
    SafeReleaseCom(m_pFont);
}

void CDXFont::OnLost() {
    if (m_pFont) m_pFont->OnLostDevice();
    if (m_pSprite) m_pSprite->OnLostDevice();
}

void CDXFont::Restore() {
    if (m_pFont) m_pFont->OnResetDevice();
    if (m_pSprite) m_pSprite->OnResetDevice();
}

void CDX9KelTextHelper::Init(ID3DXFont* font, ID3DXSprite* sprite) {
    m_pFont = font;
    m_pSprite = sprite;
    m_fR = m_fG = m_fB = m_fA = 1.0f;
    m_iX = m_iY = 0;
    m_iLineHeight = 15;
}

D3DCOLOR CDX9KelTextHelper::Color() const {
    return D3DCOLOR_ARGB(Channel(m_fA), Channel(m_fR), Channel(m_fG), Channel(m_fB));
}

HRESULT CDX9KelTextHelper::DrawTextLine(const char* text) {
    if (!m_pFont) {
        g_Log.Write(LOG_ERROR, "%s%i%s", kNoTextLog, errno, "\n");
        return E_FAIL;
    }
    RECT rc{m_iX, m_iY, 0, 0};
    if (m_pFont->DrawTextA(m_pSprite, text ? text : "", -1, &rc, DT_NOCLIP, Color()) == 0) {
        g_Log.Write(LOG_ERROR, "%s%i%s", kNotShownLog, errno, "\n");
        return E_FAIL;
    }
    m_iY += m_iLineHeight;
    return S_OK;
}

HRESULT CDX9KelTextHelper::Print(const char* format, ...) {
    char buffer[kMaxText + 1];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format ? format : "", args);
    va_end(args);
    return DrawTextLine(buffer);
}

} // namespace Vorna2
