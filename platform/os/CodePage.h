#pragma once
// Code page 1251, the single-byte code page of the system's texts (log lines,
// language files, typed characters). SDL speaks UTF-8; these convert at that
// boundary only. Bytes below 0x80 are ASCII in both.
#include <string>
#include <string_view>

namespace Platform {

// Each byte becomes its character in UTF-8; the one byte without a character
// (0x98) becomes U+FFFD.
std::string Cp1251ToUtf8(std::string_view text);

// Each character of the code page becomes its byte; characters outside the
// code page and malformed UTF-8 sequences are dropped.
std::string Utf8ToCp1251(std::string_view text);

// The byte of one character; false when the code page lacks it.
bool CodePointToCp1251(char32_t codePoint, unsigned char& byte);

} // namespace Platform
