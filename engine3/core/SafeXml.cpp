#include "engine3/core/SafeXml.h"

#include "platform/os/Numbers.h"
#include "platform/os/Paths.h"

#include <cstring>

namespace Vorna3D {

bool XmlDepthWithin(const std::string& text, int maxDepth) {
    int depth = 0;
    const size_t n = text.size();
    for (size_t i = 0; i < n; ++i) {
        if (text[i] != '<') continue;
        if (i + 1 >= n) break;
        const char next = text[i + 1];
        if (next == '!' ) {
            // Comments and CDATA may hold '<' that opens nothing.
            if (text.compare(i, 4, "<!--") == 0) {
                const size_t end = text.find("-->", i + 4);
                if (end == std::string::npos) return true;
                i = end + 2;
            } else if (text.compare(i, 9, "<![CDATA[") == 0) {
                const size_t end = text.find("]]>", i + 9);
                if (end == std::string::npos) return true;
                i = end + 2;
            }
            continue;
        }
        if (next == '?') continue;
        if (next == '/') {
            if (depth > 0) --depth;
            continue;
        }
        // An opening tag; it closes itself when it ends with "/>". Quoted
        // attribute values may hold '>' and are skipped.
        size_t end = i + 1;
        char quote = 0;
        for (; end < n; ++end) {
            const char c = text[end];
            if (quote) {
                if (c == quote) quote = 0;
            } else if (c == '"' || c == '\'') {
                quote = c;
            } else if (c == '>') {
                break;
            }
        }
        if (end >= n) return true;
        if (text[end - 1] != '/') {
            if (++depth > maxDepth) return false;
        }
        i = end;
    }
    return true;
}

bool ParseXmlText(const std::string& text, TiXmlDocument& doc) {
    if (!XmlDepthWithin(text, kMaxXmlDepth)) return false;
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
