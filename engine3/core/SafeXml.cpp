#include "engine3/ui/localization/SafeXml.h"

#include "platform/os/Paths.h"

#include <charconv>
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

static const char* SkipBlanks(const char* s) {
    while (*s == ' ' || *s == '\t' || *s == '\n' || *s == '\r') ++s;
    return s;
}

bool ParseFloatC(const char* text, float& out) {
    if (!text) return false;
    const char* s = SkipBlanks(text);
    if (*s == '+') ++s;
    const char* end = s + std::strlen(s);
    float v = 0.0f;
    const auto r = std::from_chars(s, end, v);
    if (r.ec != std::errc()) return false;
    out = v;
    return true;
}

bool ParseIntC(const char* text, int& out) {
    if (!text) return false;
    const char* s = SkipBlanks(text);
    if (*s == '+') ++s;
    const char* end = s + std::strlen(s);
    long long v = 0;
    const auto r = std::from_chars(s, end, v);
    if (r.ec != std::errc()) return false;
    if (v > 2147483647LL) v = 2147483647LL;
    if (v < -2147483647LL - 1) v = -2147483647LL - 1;
    out = static_cast<int>(v);
    return true;
}

} // namespace Vorna3D
