// A campaign bitmap-font description on arbitrary bytes: the reader takes or
// refuses it, and every code then finds a glyph record or none.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <tinyxml.h>

#include "engine2/ui/gui/CDX9KelGUIFont.h"
#include "platform/os/XmlText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (!Platform::XmlDepthWithin(text, 64)) return 0;
    TiXmlDocument doc;
    doc.Parse(text.c_str());
    if (doc.Error()) return 0;
    Vorna2::CDX9KelGUIFont font;
    if (!font.ReadDescription(doc.FirstChildElement("font"))) return 0;
    if (font.m_Chars.size() > static_cast<std::size_t>(Vorna2::CDX9KelGUIFont::kMaxChars)) std::abort();
    for (int c = 0; c < 256; ++c) {
        const Vorna2::FontChar g = font.GetChar(static_cast<unsigned char>(c));
        if (g.width > Vorna2::CDX9KelGUIFont::kMaxGlyphValue || g.width < -Vorna2::CDX9KelGUIFont::kMaxGlyphValue)
            std::abort();
    }
    return 0;
}
