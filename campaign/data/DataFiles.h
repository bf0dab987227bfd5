#pragma once
// Shared rules for the campaign's data files: file names taken from data may
// not leave the data folders, and XML documents are read with bounded size
// and nesting before the parser sees them.
#include <string>

class TiXmlDocument;

namespace VornaCampaign {

// Size and nesting limits of an XML data file.
constexpr std::size_t kMaxXmlFileBytes = 4u << 20;
constexpr int kMaxXmlDepth = 64;

// A file name from a data file that may be joined to a data folder: no ".."
// component, not absolute (no leading separator, no drive prefix) and no
// control characters. An empty name is safe (it names nothing).
bool IsSafeDataFileName(const char* name);

// Reads and parses an XML file: false when it cannot be read, is larger than
// kMaxXmlFileBytes, nests deeper than kMaxXmlDepth, holds a zero byte or does
// not parse. Texts are taken as single bytes.
bool LoadXmlFile(const std::string& path, TiXmlDocument& doc);
// The same for a document held in memory.
bool ParseXmlText(const std::string& text, TiXmlDocument& doc);

} // namespace VornaCampaign
