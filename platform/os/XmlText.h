#pragma once
// A check run on XML text from files before the recursive parser sees it, so
// a hostile file cannot exhaust the stack with deep nesting.
#include <string>

namespace Platform {

// True when no element in `text` is nested deeper than `maxDepth`. Comments,
// CDATA sections and quoted attribute values are skipped; unfinished markup
// at the end counts as within (the parser then reports it).
bool XmlDepthWithin(const std::string& text, int maxDepth);

} // namespace Platform
