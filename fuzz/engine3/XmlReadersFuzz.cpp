// Parses an arbitrary XML document and runs every value reader over every
// element (and over its first child node, whatever kind it is).
#include "engine3/core/LocalizedText.h"
#include "engine3/core/XMLReaders.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

class Names : public Vorna3D::ILocalizedNames {
public:
    const char* GetLocalizedName(const char* key) const override {
        return key && std::strncmp(key, "_LN_", 4) == 0 ? "localised" : nullptr;
    }
};

volatile float g_sink;

void ReadAll(const TiXmlElement* e) {
    using namespace Vorna3D;
    std::string text;
    float sum = 0;
    sum += ReadXMLBool(e) + ReadXMLInt(e) + ReadXMLFloat(e);
    ReadXMLString(e, true, text);
    sum += ReadXMLColor(e).r + ReadXMLRect(e).left + ReadXMLVector3(e).z;
    for (const TiXmlNode* n : {static_cast<const TiXmlNode*>(e), e->FirstChild()}) {
        const char* s = ReadXMLAttributeString(n, "name", true);
        if (s) sum += static_cast<float>(std::strlen(s));
        sum += ReadXMLAttributeBool(n, "on") + ReadXMLAttributeInt(n, "n") + ReadXMLColumnBattleDistance(n);
        sum += ReadXMLAttributeColor(n).a + ReadXMLAttributeVector2(n).y + ReadXMLAttributeVector3(n).z +
               ReadXMLAttributeVector4(n).w + ReadXMLAttributeRect(n).bottom;
        sum += static_cast<float>(ReadXMLAttributePoint(n).y + ReadXMLAttributeIntRect(n).bottom);
    }
    sum += ReadXMLMatrix(e)._34;
    ShipSector sector;
    ReadXMLShipSector(e, &sector);
    sum += sector.TopAngle + sector.ButtomPosition.z;
    g_sink = sum;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Names names;
    Vorna3D::SetLocalizedNames(&names);
    const std::string text(reinterpret_cast<const char*>(data), size);
    TiXmlDocument doc;
    doc.Parse(text.c_str());
    // Depth-first without recursion, so a deep document cannot exhaust the stack here.
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
