#pragma once
// Readers of values in the XML data files, with one set of conventions for
// missing data so that every file of the system reads alike. Numbers are read
// in the "C" locale. No reader logs or throws; a missing value gives the
// default named at each reader, and text that is not a number reads as 0.
//
// Element text means the value of the element's first child node, whatever
// kind of node that is: a comment or a child element as first child gives
// its comment text or element name.
#include "platform/math/d3dx9math.h"
#include "platform/os/WinTypes.h"

#include <string>
#include <tinyxml.h>

namespace Vorna3D {

// A rectangle in floats (pixels or percentages, as the file means it).
struct FloatRect {
    float left = 0.0f;
    float top = 0.0f;
    float right = 0.0f;
    float bottom = 0.0f;
};

// One entry of a ship's "DamageSectors" or "BombardSectors". Two-component
// values lie in the ship's horizontal plane (x, then the frame's z).
struct ShipSector {
    D3DXVECTOR2 Direction{0.0f, 0.0f};
    D3DXVECTOR2 Right{0.0f, 0.0f};
    D3DXVECTOR2 LeftPosition{0.0f, 0.0f};
    D3DXVECTOR2 RightPosition{0.0f, 0.0f};
    D3DXVECTOR2 LeftAngles{0.0f, 0.0f};  // least, greatest
    D3DXVECTOR2 RightAngles{0.0f, 0.0f}; // least, greatest
    D3DXVECTOR3 TopPosition{0.0f, 0.0f, 0.0f};
    D3DXVECTOR3 ButtomPosition{0.0f, 0.0f, 0.0f};
    float TopAngle = 0.0f;
    float ButtomAngle = 0.0f;
};

// ---- element text ----
// The text as an integer, != 0; true when the element or its text is missing.
bool ReadXMLBool(const TiXmlElement* element);
// The text as an integer; -1 when the element or its text is missing.
int ReadXMLInt(const TiXmlElement* element);
// The text as a float; -1.0 when the element or its text is missing.
float ReadXMLFloat(const TiXmlElement* element);
// out := the text, or its localised text when `localise` is set and the text
// is a known localisation key; true. When the element or its text is missing
// out is emptied and the result is false.
bool ReadXMLString(const TiXmlElement* element, bool localise, std::string& out);

// ---- child elements ----
// Children "a", "r", "g", "b" read as floats in that order; reading stops at
// the first missing child, keeping what was read. Default r = g = b = 0, a = 1.
D3DXCOLOR ReadXMLColor(const TiXmlElement* element);
// Children "t", "l", "b", "r" as floats; all four present, else all zero.
FloatRect ReadXMLRect(const TiXmlElement* element);
// Children "x", "y", "z" as floats; reading stops at the first missing
// child; missing values are 0.
D3DXVECTOR3 ReadXMLVector3(const TiXmlElement* element);

// ---- attributes (of an element; any other node reads as missing) ----
// The attribute's text, localised as in ReadXMLString when `localise` is
// set; null when missing. The text lives as long as the document (or, when
// localised, as long as the localised names).
const char* ReadXMLAttributeString(const TiXmlNode* node, const char* name, bool localise);
// The attribute as an integer != 0; false when missing or not a number.
bool ReadXMLAttributeBool(const TiXmlNode* node, const char* name);
// The attribute as an integer; 0 when missing or not a number.
int ReadXMLAttributeInt(const TiXmlNode* node, const char* name);
// The float attribute "dxColumnBattleDistance"; 0 when missing.
float ReadXMLColumnBattleDistance(const TiXmlNode* node);
// Attributes "r", "g", "b", "a"; each missing one 0.
D3DXCOLOR ReadXMLAttributeColor(const TiXmlNode* node);
// Attributes "x", "y" (, "z" (, "w")); each missing one 0.
D3DXVECTOR2 ReadXMLAttributeVector2(const TiXmlNode* node);
D3DXVECTOR3 ReadXMLAttributeVector3(const TiXmlNode* node);
D3DXVECTOR4 ReadXMLAttributeVector4(const TiXmlNode* node);
// Attributes "l", "t", "r", "b" as floats; each missing one 0.
FloatRect ReadXMLAttributeRect(const TiXmlNode* node);
// Integer attributes "x", "y"; a missing (or non-numeric) "y" repeats "x".
POINT ReadXMLAttributePoint(const TiXmlNode* node);
// Integer attributes "l", "t", "r", "b"; a missing (or non-numeric) one
// repeats the value before it (a missing "l" gives 0).
RECT ReadXMLAttributeIntRect(const TiXmlNode* node);

// ---- composites ----
// The identity, with children "Right", "Up", "Direction", "Position"
// (attributes x, y, z) filling columns 0-2 of rows 0-3, and "Scale" putting
// its x, y, z into the fourth column of rows 0, 1, 2. A missing child keeps
// its part of the identity.
D3DXMATRIX ReadXMLMatrix(const TiXmlElement* element);
// Fills the record from the children "Direction", "Right", "LeftPosition",
// "RightPosition", "LeftAngles", "RightAngles" (attributes x, y),
// "TopPosition", "ButtomPosition" (attributes x, y, z), "TopAngle",
// "ButtomAngle" (element text). A missing child leaves its fields as they
// were. False only for a null element or record.
bool ReadXMLShipSector(const TiXmlElement* element, ShipSector* sector);

} // namespace Vorna3D
