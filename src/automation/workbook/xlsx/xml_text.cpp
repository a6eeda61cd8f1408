#include "automation/workbook/xlsx/xml_text.h"

#include <array>
#include <cstddef>

#include "common/xml_markup.h"

namespace z917::workbook::xlsx {

namespace {

// Bytes at which AppendText has to look closer; every other byte is copied.
constexpr std::array<bool, 256> kLookCloser = [] {
  std::array<bool, 256> look{};
  for (int c = 0; c < 0x20; ++c) look[c] = c != '\t' && c != '\n';
  look['&'] = look['<'] = look['>'] = look['_'] = true;
  look[0xEF] = true;  // the lead byte of U+FFFE and U+FFFF
  return look;
}();

// A character that goes out as "_xHHHH_": its code and length in bytes,
// the length 0 for any other character.
struct HexEscape {
  char32_t code = 0;
  std::size_t length = 0;
};

HexEscape HexEscapeAt(std::string_view text, std::size_t at) {
  const auto byte = static_cast<unsigned char>(text[at]);
  if (byte < 0x20 && byte != '\t' && byte != '\n') return {byte, 1};
  if (byte == 0xEF && text.size() - at >= 3 && text[at + 1] == '\xBF' &&
      (text[at + 2] == '\xBE' || text[at + 2] == '\xBF')) {
    return {text[at + 2] == '\xBE' ? U'\uFFFE' : U'\uFFFF', 3};
  }
  return {};
}

// The entity a character is written as in XML, or null for one that goes
// out as it is. Element text needs & < >, an attribute also its quotes and
// the white space a parser would fold into blanks.
const char* EntityOf(char c, bool attribute) {
  if (const char* entity = MarkupEntityOf(c)) return entity;
  switch (c) {
    case '"':
      return attribute ? "&quot;" : nullptr;
    case '\t':
      return attribute ? "&#9;" : nullptr;
    case '\n':
      return attribute ? "&#10;" : nullptr;
    case '\r':
      return attribute ? "&#13;" : nullptr;
    default:
      return nullptr;
  }
}

bool IsHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Whether the underscore at `at` would reach a reader as the start of an
// escape: "_xHHHH" ended by an underscore, or by a character that itself
// goes out as "_xHHHH_". An upper-case X counts too: escaping it costs a
// reader that ignores it nothing, and saves the text from one that does not.
bool LooksLikeEscape(std::string_view text, std::size_t at) {
  if (text.size() - at < 7 || (text[at + 1] != 'x' && text[at + 1] != 'X')) return false;
  for (std::size_t i = at + 2; i < at + 6; ++i) {
    if (!IsHexDigit(text[i])) return false;
  }
  return text[at + 6] == '_' || HexEscapeAt(text, at + 6).length != 0;
}

void AppendHexEscape(std::string& out, char32_t code) {
  constexpr char kDigits[] = "0123456789ABCDEF";
  const char escape[] = {'_',
                         'x',
                         kDigits[(code >> 12) & 0xF],
                         kDigits[(code >> 8) & 0xF],
                         kDigits[(code >> 4) & 0xF],
                         kDigits[code & 0xF],
                         '_'};
  out.append(escape, sizeof escape);
}

// How many bytes from `at` go out replaced: 0 when the character at `at`
// goes out as it is.
std::size_t ReplacedLength(std::string_view text, std::size_t at) {
  switch (text[at]) {
    case '&':
    case '<':
    case '>':
      return 1;
    case '_':
      return LooksLikeEscape(text, at) ? 1 : 0;
    default:
      return HexEscapeAt(text, at).length;
  }
}

// Appends the replacement of the character at `at`, one ReplacedLength
// found to need one.
void AppendReplacement(std::string& out, std::string_view text, std::size_t at) {
  if (const char* entity = EntityOf(text[at], false)) {
    out += entity;
  } else if (text[at] == '_') {
    out += "_x005F_";
  } else {
    AppendHexEscape(out, HexEscapeAt(text, at).code);
  }
}

bool IsWhiteSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

}  // namespace

void AppendText(std::string& out, std::string_view utf8) {
  std::size_t copied = 0;  // bytes of `utf8` already in `out`, as they are or replaced
  for (std::size_t at = 0; at < utf8.size(); ++at) {
    if (!kLookCloser[static_cast<unsigned char>(utf8[at])]) continue;
    const std::size_t length = ReplacedLength(utf8, at);
    if (length == 0) continue;
    out.append(utf8.substr(copied, at - copied));
    AppendReplacement(out, utf8, at);
    at += length - 1;
    copied = at + 1;
  }
  out.append(utf8.substr(copied));
}

bool NeedsPreserve(std::string_view utf8) {
  return !utf8.empty() && (IsWhiteSpace(utf8.front()) || IsWhiteSpace(utf8.back()));
}

void AppendAttribute(std::string& out, std::string_view utf8) {
  for (const char c : utf8) {
    if (const char* entity = EntityOf(c, true)) {
      out += entity;
    } else {
      out += c;
    }
  }
}

}  // namespace z917::workbook::xlsx
