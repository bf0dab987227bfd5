// Parses an arbitrary XML document and runs every campaign value reader over
// every element and over its first child node, whatever kind it is.
#include "engine2/core/XMLValues.h"
#include "platform/os/XmlText.h"

#include <cstdint>
#include <string>
#include <vector>

namespace {

volatile float g_sink;

void ReadAll(const TiXmlElement* e) {
    using namespace Vorna2;
    float sum = 0;
    for (const TiXmlNode* n : {static_cast<const TiXmlNode*>(e), e->FirstChild()}) {
        sum += static_cast<float>(ReadXMLInt(n)) + ReadXMLFloat(n);
        sum += static_cast<float>(ReadXMLColor(n) & 0xFF) + ReadXMLRect(n).right + ReadXMLVector3(n).z;
        sum += static_cast<float>(ReadXMLAttributeBool(n, "on") + ReadXMLAttributeInt(n, "n"));
    }
    g_sink = sum;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (!Platform::XmlDepthWithin(text, 64)) return 0;
    TiXmlDocument doc;
    doc.Parse(text.c_str());
    std::vector<const TiXmlElement*> stack;
    if (const TiXmlElement* root = doc.RootElement()) stack.push_back(root);
    size_t visited = 0;
    while (!stack.empty() && visited < 10000) {
        const TiXmlElement* e = stack.back();
        stack.pop_back();
        ++visited;
        ReadAll(e);
        for (const TiXmlElement* c = e->FirstChildElement(); c; c = c->NextSiblingElement()) stack.push_back(c);
    }
    return 0;
}
