#include "campaign/data/DataFiles.h"

#include "platform/os/Paths.h"
#include "platform/os/XmlText.h"

#include <cstring>
#include <tinyxml.h>

namespace VornaCampaign {

bool IsSafeDataFileName(const char* name) {
    if (!name) return false;
    const std::string text(name);
    if (text.empty()) return true;
    if (text[0] == '/' || text[0] == '\\') return false;
    if (text.size() >= 2 && text[1] == ':') return false;
    for (unsigned char c : text)
        if (c < 0x20 || c == 0x7F) return false;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find_first_of("/\\", start);
        if (end == std::string::npos) end = text.size();
        if (text.compare(start, end - start, "..") == 0) return false;
        start = end + 1;
    }
    return true;
}

bool ParseXmlText(const std::string& text, TiXmlDocument& doc) {
    if (text.size() > kMaxXmlFileBytes || !Platform::XmlDepthWithin(text, kMaxXmlDepth)) return false;
    // The parser stops at an embedded NUL; such a file is not text.
    if (std::memchr(text.data(), '\0', text.size())) return false;
    // Texts are single-byte (code page 1251): the parser must not take high
    // bytes for the start of longer UTF-8 sequences, which could carry it past
    // the end of the text.
    doc.Parse(text.c_str(), nullptr, TIXML_ENCODING_LEGACY);
    return !doc.Error();
}

bool LoadXmlFile(const std::string& path, TiXmlDocument& doc) {
    std::string text;
    if (!Platform::ReadTextFile(path, text, kMaxXmlFileBytes)) return false;
    return ParseXmlText(text, doc);
}

} // namespace VornaCampaign
