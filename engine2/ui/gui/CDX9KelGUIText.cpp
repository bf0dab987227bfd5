#include "engine2/ui/gui/CDX9KelGUIText.h"

#include <algorithm>
#include <cstring>

#include "engine2/core/CDX9KelLog.h"
#include "engine2/ui/gui/CDX9KelGUIDialog.h"
#include "engine2/ui/gui/CDX9KelGUIFont.h"
#include "engine2/ui/gui/CDX9KelGUIManager.h"

namespace Vorna2 {

HRESULT CDX9KelGUIText::Init(CDX9KelGUIDialog* dialog, int left, int top, int right, int bottom, int font, int align,
                             IDirect3DTexture9* texture2, CDX9KelEffect* effect, D3DCOLOR colour,
                             const std::string& text) {
    if (font < 0 || !dialog || right - left < 1 || bottom - top < 1) return E_FAIL;
    m_Rect = {left, top, right, bottom};
    m_Clip = m_Rect;
    m_dwColor = colour;
    m_pDialog = dialog;
    m_iFont = font;
    m_iAlign = align;
    m_iType = GUI_CONTROL_TYPE_TEXT;
    if (texture2) m_pTexture2 = texture2;
    if (effect) m_pEffect = effect;
    SetScreenWorld();
    return SetText(text) ? S_OK : E_FAIL;
}

HRESULT CDX9KelGUIText::Init(CDX9KelGUIDialog* dialog, int left, int top, int right, int bottom, int font, int align,
                             IDirect3DTexture9* texture2, CDX9KelEffect* effect, D3DCOLOR colour, const char* text) {
    if (!text) return E_FAIL;
    return Init(dialog, left, top, right, bottom, font, align, texture2, effect, colour, std::string(text));
}

const CDX9KelGUIFont* CDX9KelGUIText::Font() const {
    CDX9KelGUIManager* manager = GetManager();
    return manager ? manager->GetFont(m_iFont) : nullptr;
}

bool CDX9KelGUIText::SetText(const char* text) {
    if (!text) return false;
    return SetText(std::string(text));
}

bool CDX9KelGUIText::SetText(const std::string& text) {
    if (!m_pDialog) return false;
    CDX9KelGUIControl::Release();
    m_strText = text;
    m_Vertices.clear();
    m_Indices.clear();
    m_strWork.clear();
    m_iVertexCount = m_iIndexCount = 0;
    if (m_strText.empty()) return true;
    const int n = static_cast<int>(std::count_if(m_strText.begin(), m_strText.end(), [](char c) { return c != ' '; }));
    m_iVertexCount = 4 * n;
    m_iIndexCount = 6 * n;
    if (n == 0) return true;
    IDirect3DDevice9* device = GetDevice();
    if (!device) return false;
    if (FAILED(device->CreateVertexBuffer(static_cast<UINT>(sizeof(GUIVertex) * m_iVertexCount), D3DUSAGE_WRITEONLY,
                                          kGUIVertexFVF, D3DPOOL_MANAGED, &m_pVB, nullptr)))
        return false;
    if (FAILED(device->CreateIndexBuffer(static_cast<UINT>(4 * m_iIndexCount), D3DUSAGE_WRITEONLY, D3DFMT_INDEX32,
                                         D3DPOOL_MANAGED, &m_pIB, nullptr)))
        return false;
    if (!FormatText()) {
        g_Log.Write(-1, "CDX9KelGUIText::SetText: Error : text is not formatted\n");
        return false;
    }
    SetScreenWorld();
    return true;
}

bool CDX9KelGUIText::GetText(std::string* out) const {
    if (!out) return false;
    *out = m_strText;
    return true;
}

bool CDX9KelGUIText::SetColor(D3DCOLOR argb) {
    if (m_iVertexCount == 0 || !m_pVB || argb == m_dwColor) return true;
    m_dwColor = argb;
    for (GUIVertex& v : m_Vertices) v.colour = argb;
    void* data = nullptr;
    if (FAILED(m_pVB->Lock(0, 0, &data, 0)) || !data) return false;
    std::memcpy(data, m_Vertices.data(), m_Vertices.size() * sizeof(GUIVertex));
    m_pVB->Unlock();
    return true;
}

int CDX9KelGUIText::GetTextHeight() const {
    const CDX9KelGUIFont* font = Font();
    return font ? m_iLineCount * font->m_iLineHeight : 0;
}

bool CDX9KelGUIText::FormatText() {
    const CDX9KelGUIFont* font = Font();
    if (!m_pVB || !m_pIB || !font) return false;
    m_pTexture = font->m_pTexture;
    if (!m_pTexture) {
        g_Log.Write(-1, "CDX9KelGUIText::FormatText: Error : m_pTexture == NULL\n");
        return false;
    }
    m_iLineCount = 1;
    m_strWork = m_strText;
    std::vector<int> offsets, extras;
    switch (m_iAlign) {
    case AlignNo:
        Lay(*font, false, nullptr, nullptr);
        return Upload("Error : CDX9KelGUIText::AlignNo : memcpy_s \n");
    case AlignLeft:
        if (!BreakLines(*font, nullptr, nullptr)) {
            g_Log.Write(-1, "CDX9KelGUIText::FormatText: Error : AlignLeft() == false\n");
            return false;
        }
        Lay(*font, true, nullptr, nullptr);
        return Upload("Error : CDX9KelGUIText::AlignLeft : memcpy_s \n");
    case AlignCenter:
        if (!BreakLines(*font, &offsets, nullptr)) {
            g_Log.Write(-1, "CDX9KelGUIText::FormatText: Error : AlignCenter() == false\n");
            return false;
        }
        Lay(*font, true, &offsets, nullptr);
        return Upload("Error : CDX9KelGUIText::AlignCenter : memcpy_s \n");
    case AlignWidth:
        if (!BreakLines(*font, nullptr, &extras)) {
            g_Log.Write(-1, "CDX9KelGUIText::FormatText: Error : AlignWidth() == false\n");
            return false;
        }
        Lay(*font, true, nullptr, &extras);
        return Upload("Error : CDX9KelGUIText::AlignWidth : memcpy_s \n");
    default:
        return true;
    }
}

bool CDX9KelGUIText::BreakLines(const CDX9KelGUIFont& font, std::vector<int>* offsets, std::vector<int>* extras) {
    const long long left = m_Rect.left, right = m_Rect.right;
    if (right - left < kMinWrapWidth) return false;
    std::string& work = m_strWork;
    work = m_strText + ' ';
    const long long spaceWidth = font.GetSpaceWidth();
    long long x = left, wordWidth = 0;
    std::size_t wordStart = 0;
    int words = 0;
    auto half = [](long long v) { return static_cast<int>(std::max(0LL, v) / 2); };
    // A break goes only where a blank stands before the word: a word that
    // begins its line (or the text) stays where it is, however wide.
    auto canWrap = [&] { return wordStart > 0 && work[wordStart - 1] == ' '; };
    // The line ends at a blank because the next word does not fit; the word
    // counter holds the moved word too, so words - 2 gaps stay on the line.
    auto closeWrapped = [&] {
        if (offsets) offsets->push_back(half(right - x));
        if (extras && words > 2) {
            const long long free = std::max(0LL, right - x);
            for (int k = 0; k < words - 2; ++k) extras->push_back(static_cast<int>(free / (words - 2)));
        }
        words = 1;
        work[wordStart - 1] = '\n';
        ++m_iLineCount;
        x = left;
    };
    // The line ends at an explicit break; the last line of a paragraph is
    // not stretched, so each of its blanks gets nothing extra.
    auto closeByBreak = [&](long long lineEnd, int blanks) {
        if (offsets) offsets->push_back(half(right - lineEnd));
        if (extras)
            for (int k = 0; k < blanks; ++k) extras->push_back(0);
        words = 0;
    };
    for (std::size_t i = 0; i < work.size(); ++i) {
        const char c = work[i];
        if (c == '\n') {
            ++m_iLineCount;
            if (wordWidth > 0) {
                // A word too wide for the rest of its line moves to a line of
                // its own, which this break then ends.
                if (x + wordWidth > right && canWrap()) closeWrapped();
                closeByBreak(x + wordWidth, words - 1);
                wordWidth = 0;
            } else {
                closeByBreak(x, words);
            }
            x = left;
        } else if (c == ' ') {
            if (wordWidth > 0 && x + wordWidth > right && canWrap()) closeWrapped();
            if (x + spaceWidth > right) x = left;
            x += wordWidth + spaceWidth;
            wordWidth = 0;
        } else {
            const FontChar g = font.GetChar(static_cast<unsigned char>(c));
            if (g.id == -1) continue;
            if (wordWidth == 0) {
                wordStart = i;
                ++words;
            }
            wordWidth += g.xoffset + g.width;
        }
    }
    if (offsets) offsets->push_back(half(right - wordWidth - x));
    work.pop_back();
    return true;
}

void CDX9KelGUIText::Lay(const CDX9KelGUIFont& font, bool wrapping, const std::vector<int>* offsets,
                         const std::vector<int>* extras) {
    m_Vertices.assign(static_cast<std::size_t>(m_iVertexCount), GUIVertex{0, 0, 0, 0, 0, 0});
    m_Indices.assign(static_cast<std::size_t>(m_iIndexCount), 0);
    const float scaleW = static_cast<float>(std::max(1, font.m_iScaleW));
    const float scaleH = static_cast<float>(std::max(1, font.m_iScaleH));
    const long long spaceWidth = font.GetSpaceWidth();
    const std::size_t quads = static_cast<std::size_t>(m_iVertexCount / 4);
    std::size_t line = 0, extra = 0, skipped = 0;
    auto lineStart = [&] {
        long long start = m_Rect.left;
        if (offsets && line < offsets->size()) start += (*offsets)[line];
        ++line;
        return start;
    };
    long long x = lineStart();
    long long lineTop = m_Rect.top;
    for (std::size_t i = 0; i < m_strWork.size(); ++i) {
        const char c = m_strWork[i];
        if (c == ' ') {
            x += spaceWidth;
            if (extras && extra < extras->size()) x += (*extras)[extra++];
            ++skipped;
            continue;
        }
        if (wrapping && c == '\n') {
            x = lineStart();
            lineTop += font.m_iLineHeight;
            ++skipped;
            continue;
        }
        const FontChar g = font.GetChar(static_cast<unsigned char>(c));
        if (g.id == -1) continue;
        const std::size_t k = i - skipped;
        if (k >= quads) continue;
        x += g.xoffset;
        const float x0 = static_cast<float>(x);
        const float yTop = static_cast<float>(lineTop + g.yoffset);
        const float yBottom = yTop + static_cast<float>(g.height);
        x += g.width;
        const float x1 = static_cast<float>(x);
        const float u0 = static_cast<float>(g.x) / scaleW, u1 = static_cast<float>(g.x + g.width) / scaleW;
        const float v0 = static_cast<float>(g.y) / scaleH, v1 = static_cast<float>(g.y + g.height) / scaleH;
        GUIVertex* v = &m_Vertices[4 * k];
        v[0] = {x0, yBottom, kGUIVertexZ, m_dwColor, u0, v1};
        v[1] = {x0, yTop, kGUIVertexZ, m_dwColor, u0, v0};
        v[2] = {x1, yBottom, kGUIVertexZ, m_dwColor, u1, v1};
        v[3] = {x1, yTop, kGUIVertexZ, m_dwColor, u1, v0};
        const DWORD b = static_cast<DWORD>(4 * k);
        DWORD* idx = &m_Indices[6 * k];
        idx[0] = b, idx[1] = b + 1, idx[2] = b + 2, idx[3] = b + 2, idx[4] = b + 1, idx[5] = b + 3;
    }
}

bool CDX9KelGUIText::Upload(const char* failMessage) {
    void* data = nullptr;
    if (FAILED(m_pVB->Lock(0, 0, &data, 0))) return false;
    if (!data) {
        g_Log.Write(-1, "%s", failMessage);
        return false;
    }
    std::memcpy(data, m_Vertices.data(), m_Vertices.size() * sizeof(GUIVertex));
    m_pVB->Unlock();
    data = nullptr;
    if (FAILED(m_pIB->Lock(0, 0, &data, 0))) return false;
    if (!data) {
        g_Log.Write(-1, "%s", failMessage);
        return false;
    }
    std::memcpy(data, m_Indices.data(), m_Indices.size() * sizeof(DWORD));
    m_pIB->Unlock();
    return true;
}

void CDX9KelGUIText::Render(bool setTexture, unsigned passes) {
    IDirect3DDevice9* device = GetDevice();
    if (!m_bVisible || !m_pTexture || !m_pDialog || !m_pVB || !m_pIB || !device || m_iVertexCount == 0) return;
    device->SetStreamSource(0, m_pVB, 0, sizeof(GUIVertex));
    device->SetIndices(m_pIB);
    device->SetFVF(kGUIVertexFVF);
    if (m_bClipOn) {
        device->SetRenderState(D3DRS_SCISSORTESTENABLE, TRUE);
        device->SetScissorRect(&m_Clip);
    }
    DrawBound(setTexture, passes, [&] {
        device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, static_cast<UINT>(m_iVertexCount), 0,
                                     static_cast<UINT>(m_iIndexCount / 3));
    });
    if (m_bClipOn) device->SetRenderState(D3DRS_SCISSORTESTENABLE, FALSE);
}

void CDX9KelGUIText::Release() {
    CDX9KelGUIControl::Release();
    m_strText.clear();
}

bool CDX9KelGUIText::SetRect(int left, int top, int right, int bottom) {
    if (left == m_Rect.left && top == m_Rect.top && right == m_Rect.right && bottom == m_Rect.bottom) return true;
    if (right - left < 1 || bottom - top < 1) return false;
    m_Rect = {left, top, right, bottom};
    m_Clip = m_Rect;
    const bool ok = !m_pVB || FormatText();
    SetScreenWorld();
    return ok;
}

bool CDX9KelGUIText::MoveTo(int x, int y) {
    return SetRect(x, y, x + (m_Rect.right - m_Rect.left), y + (m_Rect.bottom - m_Rect.top));
}

bool CDX9KelGUIText::Resize(int width, int height) {
    if (width == 0 || height == 0 || !m_pDialog) return false;
    m_Rect.right = m_Rect.left + width;
    m_Rect.bottom = m_Rect.top + height;
    if (!m_bIsPart) m_Clip = m_Rect;
    const bool ok = !m_pVB || FormatText();
    SetScreenWorld();
    return ok;
}

bool CDX9KelGUIText::MoveBy(int dx, int dy) {
    if (!CDX9KelGUIControl::MoveBy(dx, dy)) return false;
    // The clip goes along: a button's caption dragged with its dialog stays
    // inside its own clip. Owners that clip their texts to themselves (list
    // boxes, scroll texts) set the clip again after moving them.
    if (m_bIsPart)
        OffsetGUIRect(m_Clip, dx, dy);
    else
        m_Clip = m_Rect;
    return true;
}

} // namespace Vorna2
