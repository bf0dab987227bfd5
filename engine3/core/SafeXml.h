#pragma once
// Loading XML data files that come from outside the program. The file is read
// whole with a size cap and its element nesting is checked before the parser
// sees it, so a hostile file can neither size an allocation nor exhaust the
// stack of the recursive parser.
#include <string>
#include <tinyxml.h>

#include "platform/os/XmlText.h"

namespace Vorna3D {

// Largest XML data file the readers accept.
constexpr size_t kMaxXmlFileBytes = 1u << 20;
// Deepest element nesting accepted; real files use a handful of levels.
constexpr int kMaxXmlDepth = 64;

// True when no element in `text` is nested deeper than `maxDepth`.
inline bool XmlDepthWithin(const std::string& text, int maxDepth) { return Platform::XmlDepthWithin(text, maxDepth); }

// Reads and parses `path` into `doc`; false when the file is missing, too
// large, nested too deeply or not well-formed XML.
bool LoadXmlFile(const std::string& path, TiXmlDocument& doc);
// Parses XML held in memory, with the same checks.
bool ParseXmlText(const std::string& text, TiXmlDocument& doc);

// Numbers in data files are read in the "C" convention, whatever the locale.
// Leading blanks are skipped and trailing text ignored; false when there is no
// number at all.
bool ParseFloatC(const char* text, float& out);
bool ParseIntC(const char* text, int& out);

} // namespace Vorna3D
