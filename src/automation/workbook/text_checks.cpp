#include "automation/workbook/text_checks.h"

#include <cstdint>

namespace z917::workbook {

namespace {

// Decodes the well-formed sequence at `i` and advances past it; nothing
// when the bytes there are not well-formed UTF-8.
std::optional<char32_t> Decode(std::string_view s, std::size_t& i) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  if (b0 < 0x80) {
    ++i;
    return b0;
  }
  int extra;
  char32_t cp;
  char32_t least;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    extra = 1, cp = b0 & 0x1F, least = 0x80;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    extra = 2, cp = b0 & 0x0F, least = 0x800;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    extra = 3, cp = b0 & 0x07, least = 0x10000;
  } else {
    return std::nullopt;
  }
  if (s.size() - i <= static_cast<std::size_t>(extra)) return std::nullopt;
  for (int k = 1; k <= extra; ++k) {
    const auto b = static_cast<unsigned char>(s[i + k]);
    if ((b & 0xC0) != 0x80) return std::nullopt;
    cp = (cp << 6) | (b & 0x3F);
  }
  if (cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return std::nullopt;
  i += extra + 1;
  return cp;
}

char32_t FoldCodePoint(char32_t c) {
  if (c >= U'A' && c <= U'Z') return c + 32;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 32;          // Latin-1
  if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) return c + 32;       // Greek
  if (c >= 0x410 && c <= 0x42F) return c + 32;                     // Cyrillic А..Я
  if (c >= 0x400 && c <= 0x40F) return c + 80;                     // Ѐ..Џ (Є, І, Ї)
  if ((c >= 0x460 && c <= 0x481) || (c >= 0x48A && c <= 0x4BF) ||  // pairs, capital even
      (c >= 0x4D0 && c <= 0x52F)) {
    return c | 1;
  }
  if (c >= 0x4C1 && c <= 0x4CE) return (c & 1) ? c + 1 : c;  // pairs, capital odd
  if (c == 0x4C0) return 0x4CF;
  return c;
}

}  // namespace

std::optional<std::size_t> Utf16Length(std::string_view utf8) {
  std::size_t units = 0;
  for (std::size_t i = 0; i < utf8.size();) {
    const auto cp = Decode(utf8, i);
    if (!cp) return std::nullopt;
    units += *cp >= 0x10000 ? 2 : 1;
  }
  return units;
}

bool HasControlCharacter(std::string_view utf8) {
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const auto b = static_cast<unsigned char>(utf8[i]);
    if (b < 0x20) return true;
    // U+FFFE and U+FFFF are EF BF BE and EF BF BF.
    if (b == 0xEF && i + 2 < utf8.size() && static_cast<unsigned char>(utf8[i + 1]) == 0xBF &&
        static_cast<unsigned char>(utf8[i + 2]) >= 0xBE) {
      return true;
    }
  }
  return false;
}

std::u32string FoldCase(std::string_view utf8) {
  std::u32string folded;
  folded.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    const auto cp = Decode(utf8, i);
    if (!cp) {
      folded += U'\uFFFD';
      ++i;
      continue;
    }
    folded += FoldCodePoint(*cp);
  }
  return folded;
}

}  // namespace z917::workbook
