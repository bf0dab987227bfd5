#include "platform/os/XmlText.h"

namespace Platform {

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

} // namespace Platform
