#pragma once
// Typed values from XML elements. An element's value is the text of its first
// child; a missing integer reads as -1 and a missing float as -1.0. Numbers
// are read in the "C" convention whatever the locale.
#include "engine2/core/CDX9KelUtils.h"
#include "platform/math/d3dx9math.h"
#include "platform/os/WinTypes.h"

#include <tinyxml.h>

namespace Vorna2 {

// The value text of a node: its first child's value; null when it has none.
const char* GetXMLValueText(const TiXmlNode* node);

// The value as an integer; -1 without a child (or for a null node).
int ReadXMLInt(const TiXmlNode* node);
// The value as a float; -1.0 without a child (or for a null node).
float ReadXMLFloat(const TiXmlNode* node);
// (a << 24) | (r << 16) | (g << 8) | b from the integer children "a", "r",
// "g", "b", each cut to its low 8 bits; 0 when any of them is missing.
D3DCOLOR ReadXMLColor(const TiXmlNode* node);
// Children "t", "l", "b", "r" into top, left, bottom, right; all zero unless
// all four exist.
FRECT ReadXMLRect(const TiXmlNode* node);
// Children "x", "y", "z"; reading stops at the first missing child, so the
// components from there on stay 0.
D3DXVECTOR3 ReadXMLVector3(const TiXmlNode* node);
// The attribute as an integer, non-zero = true; false for a null name, a
// node that is no element or a missing attribute.
bool ReadXMLAttributeBool(const TiXmlNode* node, const char* name);
// The attribute as an integer; 0 in the same cases.
int ReadXMLAttributeInt(const TiXmlNode* node, const char* name);

} // namespace Vorna2
