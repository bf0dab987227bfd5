#pragma once
// A text in a bitmap font: one quad per visible character, laid out inside
// the rectangle with no alignment (one line), left, centred or justified
// with word wrapping at blanks and explicit line breaks.
#include <string>
#include <vector>

#include "engine2/ui/gui/CDX9KelGUIControl.h"

namespace Vorna2 {

class CDX9KelGUIFont;

enum GUITextAlign { AlignNo = 0, AlignLeft = 1, AlignCenter = 2, AlignWidth = 3 };

class CDX9KelGUIText : public CDX9KelGUIControl {
public:
    // Wrapping layouts need at least this width.
    static constexpr int kMinWrapWidth = 10;

    HRESULT Init(CDX9KelGUIDialog* dialog, int left, int top, int right, int bottom, int font, int align,
                 IDirect3DTexture9* texture2, CDX9KelEffect* effect, D3DCOLOR colour, const std::string& text);
    HRESULT Init(CDX9KelGUIDialog* dialog, int left, int top, int right, int bottom, int font, int align,
                 IDirect3DTexture9* texture2, CDX9KelEffect* effect, D3DCOLOR colour, const char* text);
    bool SetText(const std::string& text);
    bool SetText(const char* text);
    bool GetText(std::string* out) const;
    bool SetColor(D3DCOLOR argb);
    int GetTextHeight() const;
    bool FormatText();

    void Render(bool setTexture, unsigned passes) override;
    void Release() override;
    bool SetRect(int left, int top, int right, int bottom) override;
    bool MoveTo(int x, int y) override;
    bool Resize(int width, int height) override;
    bool MoveBy(int dx, int dy) override;

    // The last layout as it went into the buffers (kept for readers that
    // check it without locking).
    const std::vector<GUIVertex>& GetVertices() const { return m_Vertices; }
    const std::vector<DWORD>& GetIndices() const { return m_Indices; }
    // The text with the breaks that the last wrapping layout inserted.
    const std::string& GetLaidOutText() const { return m_strWork; }

    std::string m_strText;
    int m_iLineCount = 1;
    int m_iFont = -1;
    int m_iAlign = AlignNo;
    int m_iVertexCount = 0;
    int m_iIndexCount = 0;
    RECT m_Clip{};
    bool m_bClipOn = true;

private:
    const CDX9KelGUIFont* Font() const;
    // Breaks the lines of m_strWork in place; records one centre offset
    // per line and one justify extra per gap.
    bool BreakLines(const CDX9KelGUIFont& font, std::vector<int>* offsets, std::vector<int>* extras);
    // Lays m_strWork out from the rectangle's top left; the offsets start
    // each line, the extras widen each blank.
    void Lay(const CDX9KelGUIFont& font, bool wrapping, const std::vector<int>* offsets,
             const std::vector<int>* extras);
    bool Upload(const char* failMessage);
    std::vector<GUIVertex> m_Vertices;
    std::vector<DWORD> m_Indices;
    std::string m_strWork;
};

} // namespace Vorna2
