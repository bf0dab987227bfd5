// The bitmap-font description reader on arbitrary bytes, then a lookup of
// every byte and of codes out of range. A glyph found must carry the code
// asked for, and the table never grows past one entry per byte.
#include "engine3/core/SafeXml.h"
#include "engine3/ui/sgui/CDX9KelSGUIBitmapFont.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    TiXmlDocument doc;
    if (!Vorna3D::ParseXmlText(text, doc)) return 0;
    Vorna3D::CDX9KelSGUIBitmapFont font;
    if (!font.ReadDescription(doc.FirstChildElement("font"))) return 0;
    if (font.m_vGlyphs.size() > 256) std::abort();
    for (int code = -300; code < 600; ++code) {
        const Vorna3D::SGUIGlyph g = font.GetGlyph(code);
        if (g.id != -1 && g.id != code) std::abort();
    }
    return 0;
}
