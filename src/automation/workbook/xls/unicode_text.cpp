#include "automation/workbook/xls/unicode_text.h"

#include <cstdint>

namespace z917::workbook::xls {

namespace {

constexpr char16_t kReplacement = 0xFFFD;

// The length of the sequence that starts with `lead`, or 0 for a byte
// that cannot start one.
int SequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
}

void AppendFlagged(ByteBuffer& out, std::u16string_view text) {
  const bool wide = !IsCompressible(text);
  out.U8(wide ? 1 : 0);
  AppendCharacters(out, text, wide);
}

}  // namespace

std::u16string ToUtf16(std::string_view utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    const int length = SequenceLength(lead);
    if (length == 1) {
      out.push_back(lead);
      ++i;
      continue;
    }
    char32_t cp = length == 2 ? (lead & 0x1F) : length == 3 ? (lead & 0x0F) : (lead & 0x07);
    bool ok = length > 0 && utf8.size() - i >= static_cast<std::size_t>(length);
    for (int k = 1; ok && k < length; ++k) {
      const auto b = static_cast<unsigned char>(utf8[i + k]);
      ok = (b & 0xC0) == 0x80;
      cp = (cp << 6) | (b & 0x3F);
    }
    if (!ok) {
      out.push_back(kReplacement);
      ++i;
      continue;
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
    i += static_cast<std::size_t>(length);
  }
  return out;
}

bool IsCompressible(std::u16string_view text) {
  for (const char16_t c : text) {
    if (c > 0xFF) return false;
  }
  return true;
}

void AppendCharacters(ByteBuffer& out, std::u16string_view text, bool wide) {
  for (const char16_t c : text) {
    if (wide) {
      out.U16(static_cast<std::uint16_t>(c));
    } else {
      out.U8(static_cast<std::uint8_t>(c));
    }
  }
}

void AppendShortString(ByteBuffer& out, std::u16string_view text) {
  out.U8(static_cast<std::uint8_t>(text.size()));
  AppendFlagged(out, text);
}

void AppendString(ByteBuffer& out, std::u16string_view text) {
  out.U16(static_cast<std::uint16_t>(text.size()));
  AppendFlagged(out, text);
}

}  // namespace z917::workbook::xls
