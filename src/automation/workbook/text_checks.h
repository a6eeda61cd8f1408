// Checks on the UTF-8 texts that reach the workbook engine.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace z917::workbook {

// The length of `utf8` in UTF-16 code units (the unit of Excel's length
// limits), or nothing when `utf8` is not well-formed UTF-8 (overlong forms,
// surrogates and code points above U+10FFFF included).
std::optional<std::size_t> Utf16Length(std::string_view utf8);

// True when `utf8` holds a character that an XML 1.0 document cannot carry
// literally in a name: the C0 controls (tab included) and U+FFFE, U+FFFF.
bool HasControlCharacter(std::string_view utf8);

// `utf8` (well-formed) with Latin, Greek and Cyrillic capitals made small,
// for comparing sheet names as Excel does, without regard to case.
std::u32string FoldCase(std::string_view utf8);

}  // namespace z917::workbook
