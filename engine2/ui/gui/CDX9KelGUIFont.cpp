#include "engine2/ui/gui/CDX9KelGUIFont.h"

#include <algorithm>
#include <tinyxml.h>

namespace Vorna2 {

namespace {
constexpr std::size_t kNameKeep = 39;

int IntAttribute(const TiXmlElement* e, const char* name) {
    int v = 0;
    if (e->QueryIntAttribute(name, &v) != TIXML_SUCCESS) return 0;
    return v;
}

int GlyphValue(const TiXmlElement* e, const char* name) {
    return std::clamp(IntAttribute(e, name), -CDX9KelGUIFont::kMaxGlyphValue, CDX9KelGUIFont::kMaxGlyphValue);
}
} // namespace

bool CDX9KelGUIFont::LoadFontFromFile(const TiXmlElement* font, IDirect3DTexture9* texture) {
    if (!font || !texture) return false;
    m_pTexture = texture;
    return ReadDescription(font);
}

bool CDX9KelGUIFont::ReadDescription(const TiXmlElement* font) {
    if (!font) return false;
    const TiXmlElement* info = font->FirstChildElement("info");
    if (!info) return false;
    const char* face = info->Attribute("face");
    const char* charset = info->Attribute("charset");
    if (!face || !charset) return false;
    m_strFace = std::string(face).substr(0, kNameKeep);
    m_strCharset = std::string(charset).substr(0, kNameKeep);
    m_iSize = IntAttribute(info, "size");
    m_bBold = IntAttribute(info, "bold") != 0;
    m_bItalic = IntAttribute(info, "italic") != 0;

    const TiXmlElement* common = font->FirstChildElement("common");
    if (!common) return false;
    m_iLineHeight = GlyphValue(common, "lineHeight");
    m_iScaleW = GlyphValue(common, "scaleW");
    m_iScaleH = GlyphValue(common, "scaleH");

    const TiXmlElement* chars = font->FirstChildElement("chars");
    if (!chars) return false;
    const int count = IntAttribute(chars, "count");
    if (count <= 0) return false;
    const TiXmlElement* c = chars->FirstChildElement();
    if (!c) return false;
    // Records past the byte range could never be looked up.
    const int kept = std::min(count, kMaxChars);
    m_Chars.assign(static_cast<std::size_t>(kept), FontChar{0, 0, 0, 0, 0, 0, 0, 0});
    for (int i = 0; i < kept && c; ++i, c = c->NextSiblingElement()) {
        FontChar& g = m_Chars[static_cast<std::size_t>(i)];
        g.id = GlyphValue(c, "id");
        g.x = GlyphValue(c, "x");
        g.y = GlyphValue(c, "y");
        g.width = GlyphValue(c, "width");
        g.height = GlyphValue(c, "height");
        g.xoffset = GlyphValue(c, "xoffset");
        g.yoffset = GlyphValue(c, "yoffset");
        g.xadvance = GlyphValue(c, "xadvance");
    }
    return true;
}

FontChar CDX9KelGUIFont::GetChar(unsigned char code) const {
    if (code >= m_Chars.size()) return FontChar{};
    return m_Chars[code];
}

int CDX9KelGUIFont::GetSpaceWidth() const {
    return kSpaceGlyph < static_cast<int>(m_Chars.size()) ? m_Chars[kSpaceGlyph].width : 0;
}

} // namespace Vorna2
