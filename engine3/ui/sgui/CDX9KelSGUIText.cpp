#include "engine3/ui/sgui/CDX9KelSGUIText.h"

#include <cstring>
#include <vector>

#include "engine3/core/CDX9KelLog.h"
#include "engine3/core/resources/CDX9KelGraphicResources.h"
#include "engine3/ui/sgui/CDX9KelSGUIManager.h"

namespace Vorna3D {

namespace {

enum class LineEnd { Wrap, Break, End };

// How a line of a wrapped layout was closed, and where its pen stood then.
struct LineInfo {
    LineEnd end = LineEnd::End;
    long pen = 0;       // at a wrap: after the line's last word and its blank
    long lastWord = 0;  // at a break or the end: the width of the word after pen
    int words = 0;
};

long GlyphSpan(const SGUIGlyph& g) { return g.id < 0 ? 0 : static_cast<long>(g.xoffset) + g.width; }

// Writes the quad of glyph g at the pen (which it advances) on the line whose
// top is lineTop.
void PlaceGlyph(const CDX9KelSGUIBitmapFont& font, const SGUIGlyph& g, long& pen, long lineTop, D3DCOLOR color,
                SGUIVertex* quad) {
    pen += g.xoffset;
    const float sw = static_cast<float>(font.m_iScaleW), sh = static_cast<float>(font.m_iScaleH);
    const float top = static_cast<float>(lineTop + g.yoffset);
    CDX9KelSGUIBaseControl::WriteQuad(quad, static_cast<float>(pen), top, static_cast<float>(pen + g.width),
                                      top + static_cast<float>(g.height), color, g.x / sw, g.y / sh,
                                      (g.x + g.width) / sw, (g.y + g.height) / sh);
    pen += g.width;
}

} // namespace

bool CDX9KelSGUIText::Init(IDirect3DDevice9* pDevice, CDX9KelSGUIDialog* pDialog, int iFont, int iFormat,
                           CDX9KelGraphicResourceEffect* pEffect, const char* szText, LONG left, LONG top,
                           LONG right, LONG bottom, float r, float g, float b, float a) {
    if (!pDevice || !pDialog || right - left < 1 || bottom - top < 1) return false;
    m_Rect = m_ClipRect = {left, top, right, bottom};
    m_iFont = iFont;
    m_iFormat = iFormat;
    m_Color[0] = r, m_Color[1] = g, m_Color[2] = b, m_Color[3] = a;
    m_pDevice = pDevice;
    m_pDialog = pDialog;
    m_iType = SGUI_CONTROL_TEXT;
    if (pEffect) m_pEffect = pEffect;
    return SetText(szText);
}

bool CDX9KelSGUIText::SetText(const char* szText) {
    if (!m_pDialog || !m_pDevice || !szText) return false;
    if (!*szText) return true;
    ReleaseBuffers();
    m_strText = szText;
    DWORD blanks = 0;
    for (char c : m_strText)
        if (c == ' ') ++blanks;
    const DWORD glyphs = static_cast<DWORD>(m_strText.size()) - blanks;
    m_dwVertexCount = 4 * glyphs;
    m_dwIndexCount = 6 * glyphs;
    if (!CreateVertexBuffer(m_pDevice) || !CreateIndexBuffer(m_pDevice, true) || !FormatText()) {
        ReleaseBuffers();
        return false;
    }
    GetScreenTranslation(&m_mWorld);
    return true;
}

bool CDX9KelSGUIText::SetColor(float r, float g, float b, float a) {
    if (m_Color[0] == r && m_Color[1] == g && m_Color[2] == b && m_Color[3] == a) return true;
    m_Color[0] = r, m_Color[1] = g, m_Color[2] = b, m_Color[3] = a;
    if (!m_pVB) return true;
    void* data = nullptr;
    if (FAILED(m_pVB->Lock(0, 0, &data, 0)) || !data) return false;
    SGUIVertex* v = static_cast<SGUIVertex*>(data);
    const D3DCOLOR c = PackColor(r, g, b, a);
    for (DWORD i = 0; i < m_dwVertexCount; ++i) v[i].color = c;
    m_pVB->Unlock();
    return true;
}

bool CDX9KelSGUIText::SetRect(LONG left, LONG top, LONG right, LONG bottom) {
    if (m_Rect.left == left && m_Rect.top == top && m_Rect.right == right && m_Rect.bottom == bottom) return true;
    m_Rect = m_ClipRect = {left, top, right, bottom};
    const bool ok = FormatText();
    GetScreenTranslation(&m_mWorld);
    return ok;
}

bool CDX9KelSGUIText::ShiftVertices(LONG dx, LONG dy) {
    if (!m_pVB) return true;
    void* data = nullptr;
    if (FAILED(m_pVB->Lock(0, 0, &data, 0)) || !data) return false;
    SGUIVertex* v = static_cast<SGUIVertex*>(data);
    for (DWORD i = 0; i < m_dwVertexCount; ++i) {
        v[i].x += static_cast<float>(dx);
        v[i].y += static_cast<float>(dy);
    }
    m_pVB->Unlock();
    return true;
}

bool CDX9KelSGUIText::MoveTo(LONG x, LONG y) {
    const LONG dx = x - m_Rect.left, dy = y - m_Rect.top;
    if (dx == 0 && dy == 0) return true;
    m_Rect.left += dx, m_Rect.right += dx, m_Rect.top += dy, m_Rect.bottom += dy;
    m_ClipRect.left += dx, m_ClipRect.right += dx, m_ClipRect.top += dy, m_ClipRect.bottom += dy;
    return ShiftVertices(dx, dy);
}

bool CDX9KelSGUIText::Resize(LONG width, LONG height) {
    if (width == 0 || height == 0 || !m_pDialog) return false;
    m_Rect.right = m_Rect.left + width;
    m_Rect.bottom = m_Rect.top + height;
    if (!m_bPart) m_ClipRect = m_Rect;
    const bool ok = FormatText();
    GetScreenTranslation(&m_mWorld);
    return ok;
}

bool CDX9KelSGUIText::MoveBy(LONG dx, LONG dy) {
    if (!CDX9KelSGUIBaseControl::MoveBy(dx, dy)) return false;
    if (!m_bPart) m_ClipRect = m_Rect;
    return true;
}

bool CDX9KelSGUIText::LayoutNo(const CDX9KelSGUIBitmapFont& font, SGUIVertex* v) {
    const SGUIGlyph a = font.GetGlyph('a');
    const long blank = a.id < 0 ? 0 : a.width;
    const D3DCOLOR color = PackColor(m_Color[0], m_Color[1], m_Color[2], m_Color[3]);
    const DWORD quads = m_dwVertexCount / 4;
    long pen = m_Rect.left;
    DWORD blanks = 0;
    for (size_t i = 0; i < m_strText.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(m_strText[i]);
        if (c == ' ') {
            pen += blank;
            ++blanks;
            continue;
        }
        const DWORD q = static_cast<DWORD>(i) - blanks;
        if (c == '\n' || q >= quads) continue;
        const SGUIGlyph g = font.GetGlyph(c);
        if (g.id < 0) continue;
        PlaceGlyph(font, g, pen, m_Rect.top, color, v + 4 * q);
    }
    m_dwLineCount = 1;
    return true;
}

bool CDX9KelSGUIText::LayoutWrapped(const CDX9KelSGUIBitmapFont& font, int horizontal, SGUIVertex* v) {
    const long left = m_Rect.left, right = m_Rect.right;
    if (right - left < kMinWrapWidth) return false;
    const SGUIGlyph a = font.GetGlyph('a');
    const long blank = a.id < 0 ? 0 : a.width;

    // The walk: decides where lines break, turning the blank before a word
    // that does not fit into a line break of the copy.
    std::string copy = m_strText + ' ';
    const size_t n = copy.size();
    std::vector<LineInfo> lines;
    LineInfo line;
    long pen = left, word = 0;
    bool inWord = false;
    size_t wordStart = 0;
    // Moves the pending word to a new line when it does not fit and a blank
    // separates it from the previous word.
    auto wrapWord = [&]() {
        if (pen + word > right && wordStart > 0 && copy[wordStart - 1] == ' ') {
            copy[wordStart - 1] = '\n';
            line.end = LineEnd::Wrap;
            line.pen = pen;
            --line.words;
            lines.push_back(line);
            line = LineInfo();
            line.words = 1;
            pen = left;
        }
    };
    for (size_t i = 0; i < n; ++i) {
        const unsigned char c = static_cast<unsigned char>(copy[i]);
        if (i + 1 == n) {  // the appended blank: the end of the text
            if (inWord) wrapWord();
            line.end = LineEnd::End;
            line.pen = pen;
            line.lastWord = inWord ? word : 0;
            lines.push_back(line);
        } else if (c == ' ') {
            if (inWord) {
                wrapWord();
                pen += word;
                word = 0;
                inWord = false;
            }
            pen += blank;
        } else if (c == '\n') {
            if (inWord) wrapWord();
            line.end = LineEnd::Break;
            line.pen = pen;
            line.lastWord = inWord ? word : 0;
            lines.push_back(line);
            line = LineInfo();
            pen = left;
            word = 0;
            inWord = false;
        } else {
            if (!inWord) {
                inWord = true;
                wordStart = i;
                word = 0;
                ++line.words;
            }
            word += GlyphSpan(font.GetGlyph(c));
        }
    }

    // The placement, line by line.
    auto lineStart = [&](const LineInfo& l) -> long {
        if (horizontal != SGUI_TEXT_FORMAT_W_CENTER) return left;
        const long free = l.end == LineEnd::Wrap ? right - l.pen : right - l.pen - l.lastWord;
        const long offset = free / 2;
        return left + (offset > 0 ? offset : 0);
    };
    auto blankExtra = [&](const LineInfo& l) -> long {
        if (horizontal != SGUI_TEXT_FORMAT_W_WIDTH || l.end != LineEnd::Wrap || l.words < 2) return 0;
        const long extra = (right - l.pen) / (l.words - 1);
        return extra > 0 ? extra : 0;
    };
    const D3DCOLOR color = PackColor(m_Color[0], m_Color[1], m_Color[2], m_Color[3]);
    const DWORD quads = m_dwVertexCount / 4;
    size_t lineIndex = 0;
    long lineTop = m_Rect.top;
    pen = lineStart(lines[0]);
    long extra = blankExtra(lines[0]);
    DWORD skipped = 0;
    for (size_t i = 0; i + 1 < n; ++i) {
        const unsigned char c = static_cast<unsigned char>(copy[i]);
        if (c == '\n') {
            ++skipped;
            if (lineIndex + 1 < lines.size()) ++lineIndex;
            lineTop += font.m_iLineHeight;
            pen = lineStart(lines[lineIndex]);
            extra = blankExtra(lines[lineIndex]);
            continue;
        }
        if (c == ' ') {
            ++skipped;
            pen += blank + extra;
            continue;
        }
        const DWORD q = static_cast<DWORD>(i) - skipped;
        const SGUIGlyph g = font.GetGlyph(c);
        if (g.id < 0 || q >= quads) continue;
        PlaceGlyph(font, g, pen, lineTop, color, v + 4 * q);
    }
    m_dwLineCount = static_cast<DWORD>(lines.size());
    return true;
}

bool CDX9KelSGUIText::FormatText() {
    if (!m_pVB || !m_pIB) return false;
    CDX9KelSGUIManager* manager = GetManager();
    CDX9KelSGUIBitmapFont* font = manager ? manager->GetFont(m_iFont) : nullptr;
    if (!font) {
        g_Log.Write(LOG_ERROR, "CDX9KelSGUIText::FormatText: manager not found bitmap font : %i\n", m_iFont);
        return false;
    }
    if (!font->m_pTexture) {
        g_Log.Write(LOG_ERROR, "CDX9KelSGUIText::FormatText: font not have texture\n");
        return false;
    }
    m_pTexture = font->m_pTexture;

    int vertical = 0, horizontal = m_iFormat;
    if (m_iFormat >= SGUI_TEXT_FORMAT_H_BOTTOM_ADD) {
        vertical = SGUI_TEXT_FORMAT_H_BOTTOM_ADD;
        horizontal = m_iFormat - SGUI_TEXT_FORMAT_H_BOTTOM_ADD;
    } else if (m_iFormat >= SGUI_TEXT_FORMAT_H_CENTER_ADD) {
        vertical = SGUI_TEXT_FORMAT_H_CENTER_ADD;
        horizontal = m_iFormat - SGUI_TEXT_FORMAT_H_CENTER_ADD;
    }
    if (horizontal < SGUI_TEXT_FORMAT_NO || horizontal > SGUI_TEXT_FORMAT_W_WIDTH) {
        g_Log.Write(LOG_ERROR, "CDX9KelSGUIText::FormatText: Not found text align type : %i\n", m_iFormat);
        return false;
    }

    static const char* const kFailed[] = {"SGUI_TEXT_FORMAT_NO failed\n", "SGUI_TEXT_FORMAT_W_LEFT failed\n",
                                          "SGUI_TEXT_FORMAT_W_CENTER failed\n", "SGUI_TEXT_FORMAT_W_WIDTH failed\n"};
    void* data = nullptr;
    if (FAILED(m_pVB->Lock(0, 0, &data, 0)) || !data) {
        g_Log.Write(LOG_ERROR, "CDX9KelSGUIText::FormatText: %s", kFailed[horizontal]);
        return false;
    }
    SGUIVertex* v = static_cast<SGUIVertex*>(data);
    std::memset(v, 0, m_dwVertexCount * sizeof(SGUIVertex));
    const bool laid = horizontal == SGUI_TEXT_FORMAT_NO ? LayoutNo(*font, v) : LayoutWrapped(*font, horizontal, v);
    if (!laid) {
        m_pVB->Unlock();
        g_Log.Write(LOG_ERROR, "CDX9KelSGUIText::FormatText: %s", kFailed[horizontal]);
        return false;
    }
    const long textHeight = static_cast<long>(m_dwLineCount) * font->m_iLineHeight;
    const long boxHeight = m_Rect.bottom - m_Rect.top;
    long dy = 0;
    if (vertical == SGUI_TEXT_FORMAT_H_CENTER_ADD && textHeight != boxHeight)
        dy = boxHeight / 2 - textHeight / 2;
    else if (vertical == SGUI_TEXT_FORMAT_H_BOTTOM_ADD)
        dy = boxHeight - textHeight;
    if (dy != 0)
        for (DWORD i = 0; i < m_dwVertexCount; ++i) v[i].y += static_cast<float>(dy);
    m_pVB->Unlock();
    return true;
}

} // namespace Vorna3D
