// Texts as BIFF8 stores them: UTF-16 code units, written one byte each
// ("compressed") when every unit is below 0x100, else two bytes each.
#pragma once

#include <string>
#include <string_view>

#include "automation/workbook/xls/byte_buffer.h"

namespace z917::workbook::xls {

// `utf8` as UTF-16; a byte that is not part of well-formed UTF-8 becomes
// U+FFFD (the engine lets only well-formed texts in).
std::u16string ToUtf16(std::string_view utf8);

// Whether every code unit of `text` fits in one byte.
bool IsCompressible(std::u16string_view text);

// Appends the characters of `text`, one byte each when `wide` is false
// (then every unit must be below 0x100), else two.
void AppendCharacters(ByteBuffer& out, std::u16string_view text, bool wide);

// Appends a string with its length in one byte (ShortXLUnicodeString) or
// two (XLUnicodeString), then the flags byte and the characters. The
// caller keeps the length within the field.
void AppendShortString(ByteBuffer& out, std::u16string_view text);
void AppendString(ByteBuffer& out, std::u16string_view text);

}  // namespace z917::workbook::xls
