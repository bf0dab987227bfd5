#include "engine3/ui/sgui/CDX9KelSGUIBitmapFont.h"

#include <algorithm>
#include <tinyxml.h>

#include "engine3/core/CDX9KelLog.h"
#include "engine3/core/LocalizedText.h"
#include "engine3/core/XMLReaders.h"
#include "engine3/core/resources/CDX9KelGraphicsResManager.h"

namespace Vorna3D {

namespace {

const char* Attribute(const TiXmlElement* e, const char* name) { return e ? e->Attribute(name) : nullptr; }

bool InRange(int v, int lo, int hi) { return v >= lo && v <= hi; }

} // namespace

bool CDX9KelSGUIBitmapFont::ReadDescription(const TiXmlElement* pFont, const char* szSource) {
    m_vGlyphs.clear();
    if (!pFont) return false;
    const char* source = szSource && *szSource ? szSource : "(font description)";

    const TiXmlElement* info = pFont->FirstChildElement("info");
    const char* face = Attribute(info, "face");
    if (!face) {
        g_Log.Write(LOG_ERROR, "CDX9KelSGUIBitmapFont::LoadFontFromFile : not found info face\n");
        return false;
    }
    m_strFace = LocalizeText(face);
    const char* charset = Attribute(info, "charset");
    if (!charset) {
        g_Log.Write(LOG_ERROR, "CDX9KelSGUIBitmapFont::LoadFontFromFile : not found info charset\n");
        return false;
    }
    m_strCharset = charset;
    m_iSize = ReadXMLAttributeInt(info, "size");
    m_bBold = ReadXMLAttributeInt(info, "bold") != 0;
    m_bItalic = ReadXMLAttributeInt(info, "italic") != 0;

    const TiXmlElement* common = pFont->FirstChildElement("common");
    if (!common) {
        g_Log.Write(LOG_ERROR, "CDX9KelSGUIBitmapFont::LoadFontFromFile : not found common\n");
        return false;
    }
    m_iLineHeight = ReadXMLAttributeInt(common, "lineHeight");
    m_iScaleW = ReadXMLAttributeInt(common, "scaleW");
    m_iScaleH = ReadXMLAttributeInt(common, "scaleH");
    // Texture coordinates are glyph pixels over these sizes.
    if (!InRange(m_iScaleW, 1, kMaxGlyphValue * 4) || !InRange(m_iScaleH, 1, kMaxGlyphValue * 4) ||
        !InRange(m_iLineHeight, 0, kMaxGlyphValue)) {
        g_Log.Write(LOG_ERROR, "CDX9KelSGUIBitmapFont::LoadFontFromFile : bad common sizes\n");
        return false;
    }

    const TiXmlElement* pages = pFont->FirstChildElement("pages");
    const TiXmlElement* page = pages ? pages->FirstChildElement("page") : nullptr;
    const char* file = Attribute(page, "file");
    if (!file || !*file) {
        g_Log.Write(LOG_ERROR, "CDX9KelSGUIBitmapFont::LoadFontFromFile : not found page file\n");
        return false;
    }
    m_strPageFile = file;
    // One page texture is drawn from; a font spread over more pages would
    // show its later glyphs cut from the first page.
    int pageCount = 0;
    for (const TiXmlElement* p = page; p; p = p->NextSiblingElement("page")) ++pageCount;
    const int declaredPages = common->Attribute("pages") ? ReadXMLAttributeInt(common, "pages") : 1;
    if (pageCount > 1 || declaredPages > 1) {
        g_Log.Write(LOG_ERROR,
                    "CDX9KelSGUIBitmapFont::LoadFontFromFile : %s has %i pages, only fonts on one page are read\n",
                    source, std::max(pageCount, declaredPages));
        return false;
    }

    const TiXmlElement* chars = pFont->FirstChildElement("chars");
    const int count = chars ? ReadXMLAttributeInt(chars, "count") : 0;
    const TiXmlElement* child = chars ? chars->FirstChildElement() : nullptr;
    if (count <= 0 || !child) {
        g_Log.Write(LOG_ERROR, "CDX9KelSGUIBitmapFont::LoadFontFromFile : not found chars\n");
        return false;
    }
    SGUIGlyph last;
    bool skipped = false;
    for (int i = 0; i < count && child; ++i, child = child->NextSiblingElement()) {
        SGUIGlyph g;
        g.id = ReadXMLAttributeInt(child, "id");
        if (g.id < 0) continue;
        const int onPage = ReadXMLAttributeInt(child, "page");
        if (onPage != 0) {
            g_Log.Write(LOG_ERROR,
                        "CDX9KelSGUIBitmapFont::LoadFontFromFile : %s: char %i is on page %i, only page 0 is read\n",
                        source, g.id, onPage);
            m_vGlyphs.clear();
            return false;
        }
        g.x = ReadXMLAttributeInt(child, "x");
        g.y = ReadXMLAttributeInt(child, "y");
        g.width = ReadXMLAttributeInt(child, "width");
        g.height = ReadXMLAttributeInt(child, "height");
        g.xoffset = ReadXMLAttributeInt(child, "xoffset");
        g.yoffset = ReadXMLAttributeInt(child, "yoffset");
        g.xadvance = ReadXMLAttributeInt(child, "xadvance");
        // Only bytes are ever looked up; sizes and offsets must be plausible.
        if (g.id > kMaxCode || !InRange(g.x, 0, kMaxGlyphValue * 4) || !InRange(g.y, 0, kMaxGlyphValue * 4) ||
            !InRange(g.width, 0, kMaxGlyphValue) || !InRange(g.height, 0, kMaxGlyphValue) ||
            !InRange(g.xoffset, -kMaxGlyphValue, kMaxGlyphValue) ||
            !InRange(g.yoffset, -kMaxGlyphValue, kMaxGlyphValue) ||
            !InRange(g.xadvance, -kMaxGlyphValue, kMaxGlyphValue)) {
            skipped = true;
            continue;
        }
        m_vGlyphs.push_back(g);
        last = g;
    }
    if (skipped) g_Log.Write(LOG_WARNING, "CDX9KelSGUIBitmapFont::LoadFontFromFile : glyphs out of range skipped\n");
    if (m_vGlyphs.empty()) {
        g_Log.Write(LOG_ERROR, "CDX9KelSGUIBitmapFont::LoadFontFromFile : no glyphs\n");
        return false;
    }

    // A table in code order without repeats, so that position = code - first id.
    std::stable_sort(m_vGlyphs.begin(), m_vGlyphs.end(),
                     [](const SGUIGlyph& a, const SGUIGlyph& b) { return a.id < b.id; });
    m_vGlyphs.erase(std::unique(m_vGlyphs.begin(), m_vGlyphs.end(),
                                [](const SGUIGlyph& a, const SGUIGlyph& b) { return a.id == b.id; }),
                    m_vGlyphs.end());

    // Codes missing between two glyphs get a 1x1 filler that advances like
    // the last glyph read.
    std::vector<SGUIGlyph> dense;
    dense.reserve(static_cast<size_t>(m_vGlyphs.back().id - m_vGlyphs.front().id + 1));
    for (size_t i = 0; i < m_vGlyphs.size(); ++i) {
        dense.push_back(m_vGlyphs[i]);
        if (i + 1 == m_vGlyphs.size()) break;
        for (int id = m_vGlyphs[i].id + 1; id < m_vGlyphs[i + 1].id; ++id) {
            SGUIGlyph filler;
            filler.id = id;
            filler.width = 1;
            filler.height = 1;
            filler.xoffset = last.xoffset;
            filler.yoffset = last.yoffset;
            filler.xadvance = last.xadvance;
            dense.push_back(filler);
        }
    }
    m_vGlyphs.swap(dense);
    return true;
}

bool CDX9KelSGUIBitmapFont::LoadFontFromFile(const TiXmlElement* pFont, const char* szFontFolder,
                                             CDX9KelGraphicsResManager* pResManager, const char* szSource) {
    if (!ReadDescription(pFont, szSource)) return false;
    if (!pResManager || !szFontFolder) return false;
    m_pTexture = pResManager->CreateTextureFromFile(szFontFolder, m_strPageFile.c_str(), false, kColorKey);
    if (!m_pTexture) {
        m_vGlyphs.clear();
        return false;
    }
    return true;
}

SGUIGlyph CDX9KelSGUIBitmapFont::GetGlyph(int code) const {
    if (m_vGlyphs.empty() || code < 0 || code > kMaxCode) return {};
    const size_t direct = static_cast<size_t>(code);
    if (direct < m_vGlyphs.size() && m_vGlyphs[direct].id == code) return m_vGlyphs[direct];
    const long long pos = static_cast<long long>(code) - m_vGlyphs.front().id;
    if (pos >= 0 && pos < static_cast<long long>(m_vGlyphs.size()) && m_vGlyphs[pos].id == code) return m_vGlyphs[pos];
    return {};
}

} // namespace Vorna3D
