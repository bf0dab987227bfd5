#include "engine3/core/SafeXml.h"

#include "platform/os/Numbers.h"
#include "platform/os/Paths.h"
#include "platform/os/XmlText.h"

#include <cstring>

namespace Vorna3D {


bool ParseXmlText(const std::string& text, TiXmlDocument& doc) {
    if (!Platform::XmlDepthWithin(text, kMaxXmlDepth)) return false;
    doc.Parse(text.c_str(), nullptr, TIXML_ENCODING_LEGACY);
    return !doc.Error();
}

bool LoadXmlFile(const std::string& path, TiXmlDocument& doc) {
    std::string text;
    if (!Platform::ReadTextFile(path, text, kMaxXmlFileBytes)) return false;
    // The parser stops at an embedded NUL; such a file is not text.
    if (std::memchr(text.data(), '\0', text.size())) return false;
    return ParseXmlText(text, doc);
}

bool ParseFloatC(const char* text, float& out) {
    const char* end = nullptr;
    const double v = Platform::ParseDouble(text, &end);
    if (!text || end == text) return false;
    out = Platform::ToFloat(v);
    return true;
}

bool ParseIntC(const char* text, int& out) {
    const char* end = nullptr;
    const int v = Platform::ParseInt(text, &end);
    if (!text || end == text) return false;
    out = v;
    return true;
}

} // namespace Vorna3D
