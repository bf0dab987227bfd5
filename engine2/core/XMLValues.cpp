#include "engine2/core/XMLValues.h"

#include "platform/os/Numbers.h"

namespace Vorna2 {

namespace {

const TiXmlNode* Child(const TiXmlNode* node, const char* name) {
    return node ? node->FirstChildElement(name) : nullptr;
}

} // namespace

const char* GetXMLValueText(const TiXmlNode* node) {
    if (!node) return nullptr;
    const TiXmlNode* first = node->FirstChild();
    return first ? first->Value() : nullptr;
}

int ReadXMLInt(const TiXmlNode* node) {
    const char* text = GetXMLValueText(node);
    return text ? Platform::AtoiC(text) : -1;
}

float ReadXMLFloat(const TiXmlNode* node) {
    const char* text = GetXMLValueText(node);
    return text ? Platform::ToFloat(Platform::AtofC(text)) : -1.0f;
}

D3DCOLOR ReadXMLColor(const TiXmlNode* node) {
    static const char* const kNames[] = {"a", "r", "g", "b"};
    DWORD color = 0;
    for (const char* name : kNames) {
        const TiXmlNode* child = Child(node, name);
        if (!child) return 0;
        color = (color << 8) | (static_cast<DWORD>(ReadXMLInt(child)) & 0xFFu);
    }
    return color;
}

FRECT ReadXMLRect(const TiXmlNode* node) {
    const TiXmlNode* t = Child(node, "t");
    const TiXmlNode* l = Child(node, "l");
    const TiXmlNode* b = Child(node, "b");
    const TiXmlNode* r = Child(node, "r");
    FRECT rect;
    if (!t || !l || !b || !r) return rect;
    rect.top = ReadXMLFloat(t);
    rect.left = ReadXMLFloat(l);
    rect.bottom = ReadXMLFloat(b);
    rect.right = ReadXMLFloat(r);
    return rect;
}

D3DXVECTOR3 ReadXMLVector3(const TiXmlNode* node) {
    D3DXVECTOR3 v(0.0f, 0.0f, 0.0f);
    float* out[] = {&v.x, &v.y, &v.z};
    static const char* const kNames[] = {"x", "y", "z"};
    for (int i = 0; i < 3; ++i) {
        const TiXmlNode* child = Child(node, kNames[i]);
        if (!child) break;
        *out[i] = ReadXMLFloat(child);
    }
    return v;
}

int ReadXMLAttributeInt(const TiXmlNode* node, const char* name) {
    if (!node || !name) return 0;
    const TiXmlElement* element = node->ToElement();
    if (!element) return 0;
    const char* text = element->Attribute(name);
    return text ? Platform::AtoiC(text) : 0;
}

bool ReadXMLAttributeBool(const TiXmlNode* node, const char* name) { return ReadXMLAttributeInt(node, name) != 0; }

} // namespace Vorna2
