#include "engine3/core/XMLReaders.h"
#include "engine3/core/LocalizedText.h"
#include "platform/os/Numbers.h"

namespace Vorna3D {

namespace {

// The element's text: the value of its first child node; null when missing.
const char* ElementText(const TiXmlElement* element) {
    if (!element) return nullptr;
    const TiXmlNode* first = element->FirstChild();
    return first ? first->Value() : nullptr;
}

// The integer attribute into `value`, which is left unchanged when the
// attribute is missing or holds no number.
void QueryInt(const TiXmlElement* e, const char* name, int& value) {
    const char* text = e && name ? e->Attribute(name) : nullptr;
    if (!text) return;
    const char* end = nullptr;
    const int v = Platform::ParseInt(text, &end);
    if (end != text) value = v;
}

void QueryDouble(const TiXmlElement* e, const char* name, double& value) {
    const char* text = e && name ? e->Attribute(name) : nullptr;
    if (!text) return;
    const char* end = nullptr;
    const double v = Platform::ParseDouble(text, &end);
    if (end != text) value = v;
}

float AttributeFloat(const TiXmlElement* e, const char* name) {
    double v = 0.0;
    QueryDouble(e, name, v);
    return Platform::ToFloat(v);
}

const TiXmlElement* AsElement(const TiXmlNode* node) { return node ? node->ToElement() : nullptr; }

const char* Localized(const char* text, bool localise) { return localise ? LocalizeText(text) : text; }

} // namespace

bool ReadXMLBool(const TiXmlElement* element) {
    const char* text = ElementText(element);
    return text ? Platform::AtoiC(text) != 0 : true;
}

int ReadXMLInt(const TiXmlElement* element) {
    const char* text = ElementText(element);
    return text ? Platform::AtoiC(text) : -1;
}

float ReadXMLFloat(const TiXmlElement* element) {
    const char* text = ElementText(element);
    return text ? Platform::ToFloat(Platform::AtofC(text)) : -1.0f;
}

bool ReadXMLString(const TiXmlElement* element, bool localise, std::string& out) {
    out.clear();
    const char* text = ElementText(element);
    if (!text) return false;
    out = Localized(text, localise);
    return true;
}

D3DXCOLOR ReadXMLColor(const TiXmlElement* element) {
    D3DXCOLOR c(0.0f, 0.0f, 0.0f, 1.0f);
    if (!element) return c;
    float* fields[] = {&c.a, &c.r, &c.g, &c.b};
    const char* names[] = {"a", "r", "g", "b"};
    for (int i = 0; i < 4; ++i) {
        const TiXmlElement* child = element->FirstChildElement(names[i]);
        if (!child) break;
        *fields[i] = ReadXMLFloat(child);
    }
    return c;
}

FloatRect ReadXMLRect(const TiXmlElement* element) {
    FloatRect r;
    if (!element) return r;
    const TiXmlElement* t = element->FirstChildElement("t");
    const TiXmlElement* l = element->FirstChildElement("l");
    const TiXmlElement* b = element->FirstChildElement("b");
    const TiXmlElement* rr = element->FirstChildElement("r");
    if (!t || !l || !b || !rr) return r;
    r.top = ReadXMLFloat(t);
    r.left = ReadXMLFloat(l);
    r.bottom = ReadXMLFloat(b);
    r.right = ReadXMLFloat(rr);
    return r;
}

D3DXVECTOR3 ReadXMLVector3(const TiXmlElement* element) {
    D3DXVECTOR3 v(0.0f, 0.0f, 0.0f);
    if (!element) return v;
    float* fields[] = {&v.x, &v.y, &v.z};
    const char* names[] = {"x", "y", "z"};
    for (int i = 0; i < 3; ++i) {
        const TiXmlElement* child = element->FirstChildElement(names[i]);
        if (!child) break;
        *fields[i] = ReadXMLFloat(child);
    }
    return v;
}

const char* ReadXMLAttributeString(const TiXmlNode* node, const char* name, bool localise) {
    const TiXmlElement* e = AsElement(node);
    const char* text = e && name ? e->Attribute(name) : nullptr;
    return text ? Localized(text, localise) : nullptr;
}

bool ReadXMLAttributeBool(const TiXmlNode* node, const char* name) { return ReadXMLAttributeInt(node, name) != 0; }

int ReadXMLAttributeInt(const TiXmlNode* node, const char* name) {
    int v = 0;
    QueryInt(AsElement(node), name, v);
    return v;
}

float ReadXMLColumnBattleDistance(const TiXmlNode* node) {
    return AttributeFloat(AsElement(node), "dxColumnBattleDistance");
}

D3DXCOLOR ReadXMLAttributeColor(const TiXmlNode* node) {
    const TiXmlElement* e = AsElement(node);
    return D3DXCOLOR(AttributeFloat(e, "r"), AttributeFloat(e, "g"), AttributeFloat(e, "b"), AttributeFloat(e, "a"));
}

D3DXVECTOR2 ReadXMLAttributeVector2(const TiXmlNode* node) {
    const TiXmlElement* e = AsElement(node);
    return D3DXVECTOR2(AttributeFloat(e, "x"), AttributeFloat(e, "y"));
}

D3DXVECTOR3 ReadXMLAttributeVector3(const TiXmlNode* node) {
    const TiXmlElement* e = AsElement(node);
    return D3DXVECTOR3(AttributeFloat(e, "x"), AttributeFloat(e, "y"), AttributeFloat(e, "z"));
}

D3DXVECTOR4 ReadXMLAttributeVector4(const TiXmlNode* node) {
    const TiXmlElement* e = AsElement(node);
    return D3DXVECTOR4(AttributeFloat(e, "x"), AttributeFloat(e, "y"), AttributeFloat(e, "z"), AttributeFloat(e, "w"));
}

FloatRect ReadXMLAttributeRect(const TiXmlNode* node) {
    const TiXmlElement* e = AsElement(node);
    FloatRect r;
    r.left = AttributeFloat(e, "l");
    r.top = AttributeFloat(e, "t");
    r.right = AttributeFloat(e, "r");
    r.bottom = AttributeFloat(e, "b");
    return r;
}

POINT ReadXMLAttributePoint(const TiXmlNode* node) {
    POINT p{0, 0};
    const TiXmlElement* e = AsElement(node);
    if (!e) return p;
    // One value carried through both reads: a missing "y" keeps "x".
    int v = 0;
    QueryInt(e, "x", v);
    p.x = v;
    QueryInt(e, "y", v);
    p.y = v;
    return p;
}

RECT ReadXMLAttributeIntRect(const TiXmlNode* node) {
    RECT r{0, 0, 0, 0};
    const TiXmlElement* e = AsElement(node);
    if (!e) return r;
    // One value carried through the reads: a missing one repeats the last.
    int v = 0;
    QueryInt(e, "l", v);
    r.left = v;
    QueryInt(e, "t", v);
    r.top = v;
    QueryInt(e, "r", v);
    r.right = v;
    QueryInt(e, "b", v);
    r.bottom = v;
    return r;
}

D3DXMATRIX ReadXMLMatrix(const TiXmlElement* element) {
    D3DXMATRIX m;
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 4; ++col) m.m[row][col] = row == col ? 1.0f : 0.0f;
    if (!element) return m;
    const char* rows[] = {"Right", "Up", "Direction", "Position"};
    for (int row = 0; row < 4; ++row) {
        if (const TiXmlElement* child = element->FirstChildElement(rows[row])) {
            const D3DXVECTOR3 v = ReadXMLAttributeVector3(child);
            m.m[row][0] = v.x;
            m.m[row][1] = v.y;
            m.m[row][2] = v.z;
        }
    }
    if (const TiXmlElement* scale = element->FirstChildElement("Scale")) {
        const D3DXVECTOR3 s = ReadXMLAttributeVector3(scale);
        m._14 = s.x;
        m._24 = s.y;
        m._34 = s.z;
    }
    return m;
}

bool ReadXMLShipSector(const TiXmlElement* element, ShipSector* sector) {
    if (!element || !sector) return false;
    struct Pair {
        const char* name;
        D3DXVECTOR2 ShipSector::*field;
    };
    static const Pair pairs[] = {
        {"Direction", &ShipSector::Direction},       {"Right", &ShipSector::Right},
        {"LeftPosition", &ShipSector::LeftPosition}, {"RightPosition", &ShipSector::RightPosition},
        {"LeftAngles", &ShipSector::LeftAngles},     {"RightAngles", &ShipSector::RightAngles},
    };
    for (const Pair& p : pairs)
        if (const TiXmlElement* child = element->FirstChildElement(p.name))
            sector->*p.field = ReadXMLAttributeVector2(child);
    if (const TiXmlElement* child = element->FirstChildElement("TopPosition"))
        sector->TopPosition = ReadXMLAttributeVector3(child);
    if (const TiXmlElement* child = element->FirstChildElement("ButtomPosition"))
        sector->ButtomPosition = ReadXMLAttributeVector3(child);
    if (const TiXmlElement* child = element->FirstChildElement("TopAngle")) sector->TopAngle = ReadXMLFloat(child);
    if (const TiXmlElement* child = element->FirstChildElement("ButtomAngle"))
        sector->ButtomAngle = ReadXMLFloat(child);
    return true;
}

} // namespace Vorna3D
