#pragma once
// A bitmap font: the description read from its XML file and the page
// texture. The glyph of a character is found by position: the character's
// byte is the index into the glyph list, so a font file lists its chars in
// code order from code 0.
#include <string>
#include <vector>

#include "platform/gfx/d3d9.h"

class TiXmlElement;

namespace Vorna2 {

struct FontChar {
    int id = -1;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    int xoffset = 0;
    int yoffset = 0;
    int xadvance = 0;
};

class CDX9KelGUIFont {
public:
    // Codes are single bytes, so no glyph beyond this many is ever looked up.
    static constexpr int kMaxChars = 256;
    // Glyph values further out than this are cut to it: the layout adds them
    // up in integers and no font needs more.
    static constexpr int kMaxGlyphValue = 4096;
    static constexpr int kSpaceGlyph = 97;

    // Reads the description under the font element; the texture becomes
    // the page. False when the element or the texture is null, or info
    // (with face and charset), common or chars (count above 0, at least one
    // child element) is missing.
    bool LoadFontFromFile(const TiXmlElement* font, IDirect3DTexture9* texture);
    // The same without a texture, for readers that only need the metrics.
    bool ReadDescription(const TiXmlElement* font);
    // A copy of the glyph at the code's position; id -1 when there is none.
    FontChar GetChar(unsigned char code) const;
    // The width of glyph 97, 0 when the font has none.
    int GetSpaceWidth() const;

    std::string m_strFace;
    std::string m_strCharset;
    int m_iSize = 0;
    int m_iLineHeight = 0;
    bool m_bBold = false;
    bool m_bItalic = false;
    int m_iScaleW = 0;
    int m_iScaleH = 0;
    IDirect3DTexture9* m_pTexture = nullptr;
    std::vector<FontChar> m_Chars;
};

} // namespace Vorna2
