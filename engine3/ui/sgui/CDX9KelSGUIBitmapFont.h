#pragma once
// A bitmap font read from its XML description ("font" with "info", "common",
// "pages" and "chars") and its one page texture. Glyphs are looked up by the
// byte of a single-byte text (code page 1251), 0-255.
#include <string>
#include <vector>

#include "platform/gfx/d3d9.h"

class TiXmlElement;

namespace Vorna3D {

class CDX9KelGraphicResourceTexture;
class CDX9KelGraphicsResManager;

// One glyph: its place in the texture and how it sits on the pen position.
// id -1 means there is no glyph.
struct SGUIGlyph {
    int id = -1;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    int xoffset = 0;
    int yoffset = 0;
    int xadvance = 0;
};

class CDX9KelSGUIBitmapFont {
public:
    // Font textures turn opaque black into transparent.
    static constexpr D3DCOLOR kColorKey = 0xFF000000u;
    // Glyph values further out than this are not believed (no font needs
    // them, and the layout adds them up in integers).
    static constexpr int kMaxGlyphValue = 4096;
    static constexpr int kMaxCode = 255;

    CDX9KelSGUIBitmapFont() = default;
    // The texture stays with the texture manager, which holds every texture
    // until the scene is released.
    ~CDX9KelSGUIBitmapFont() = default;
    CDX9KelSGUIBitmapFont(const CDX9KelSGUIBitmapFont&) = delete;
    CDX9KelSGUIBitmapFont& operator=(const CDX9KelSGUIBitmapFont&) = delete;

    // Reads the description under the "font" element, then creates the page
    // texture from the font folder (which ends with its separator) and the
    // page's file name. False, with a log line, for a description that lacks a
    // required part or whose numbers make no sense, or when the texture cannot
    // be made; the font is then left empty. Fonts spread over more than one
    // page (or with a glyph on another page than 0) are refused with a log
    // line that names szSource, the description's file.
    bool LoadFontFromFile(const TiXmlElement* pFont, const char* szFontFolder, CDX9KelGraphicsResManager* pResManager,
                          const char* szSource = nullptr);
    // The description alone (everything but the texture).
    bool ReadDescription(const TiXmlElement* pFont, const char* szSource = nullptr);
    // The glyph of a byte; a record with id -1 when the font has none.
    SGUIGlyph GetGlyph(int code) const;

    std::string m_strFace;
    std::string m_strCharset;
    int m_iSize = 0;
    int m_iLineHeight = 0;
    bool m_bBold = false;
    bool m_bItalic = false;
    int m_iScaleW = 0;
    int m_iScaleH = 0;
    CDX9KelGraphicResourceTexture* m_pTexture = nullptr;
    // Dense by code from the first glyph's id to the last one's.
    std::vector<SGUIGlyph> m_vGlyphs;
    // The page texture's file, relative to the font folder.
    std::string m_strPageFile;
};

} // namespace Vorna3D
