// The register's single-byte code page (Windows-1251) and Unicode.
#pragma once

#include <string>
#include <string_view>

namespace z917::journal {

// The Unicode code point of a Windows-1251 byte. The one byte the code page
// leaves unassigned, 0x98, becomes U+FFFD REPLACEMENT CHARACTER.
char32_t Cp1251ToCodePoint(unsigned char byte);

// Converts Windows-1251 bytes to UTF-8; every input is valid.
std::string Cp1251ToUtf8(std::string_view text);

// Converts UTF-8 to Windows-1251; characters the code page lacks and
// malformed sequences become '?'.
std::string Utf8ToCp1251(std::string_view text);

}  // namespace z917::journal
