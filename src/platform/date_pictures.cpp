// Windows date and time pictures as strftime-style formats. Pure text
// work, built on every platform so that its tests run everywhere.
#include <cstddef>
#include <string>
#include <string_view>

#include "platform/regional_settings.h"

namespace z917::platform {

namespace {

// The directive for a run of `count` copies of the picture letter `letter`;
// null when the letter is not a picture letter (it is then literal text).
const char* DirectiveFor(char letter, std::size_t count) {
  const bool one = count == 1;
  switch (letter) {
    case 'd':
      if (count >= 4) return "%A";
      if (count == 3) return "%a";
      return one ? "%-d" : "%d";
    case 'M':
      if (count >= 4) return "%B";
      if (count == 3) return "%b";
      return one ? "%-m" : "%m";
    case 'y':
      if (count >= 3) return "%Y";
      return one ? "%-y" : "%y";
    case 'g':
      return "";  // the era: none in the Gregorian calendar
    case 'h':
      return one ? "%-I" : "%I";
    case 'H':
      return one ? "%-H" : "%H";
    case 'm':
      return one ? "%-M" : "%M";
    case 's':
      return one ? "%-S" : "%S";
    case 't':
      return "%p";  // strftime has no one-letter mark; the whole one stands in
    default:
      return nullptr;
  }
}

// Appends literal picture text, doubling the per cent sign for strftime.
void AppendLiteral(std::string& format, char c) {
  if (c == '%') format += '%';
  format += c;
}

// Appends the quoted literal that starts after the quote at `pos` and
// returns the position after its closing quote; a doubled quote inside
// stands for one quote.
std::size_t AppendQuoted(std::string& format, std::string_view picture, std::size_t pos) {
  ++pos;
  while (pos < picture.size()) {
    if (picture[pos] != '\'') {
      AppendLiteral(format, picture[pos++]);
    } else if (pos + 1 < picture.size() && picture[pos + 1] == '\'') {
      format += '\'';
      pos += 2;
    } else {
      return pos + 1;
    }
  }
  return pos;
}

}  // namespace

std::string StrftimeFromWindowsPicture(std::string_view picture) {
  std::string format;
  std::size_t pos = 0;
  while (pos < picture.size()) {
    const char c = picture[pos];
    if (c == '\'') {
      pos = AppendQuoted(format, picture, pos);
      continue;
    }
    std::size_t run = 1;
    while (pos + run < picture.size() && picture[pos + run] == c) ++run;
    if (const char* directive = DirectiveFor(c, run)) {
      format += directive;
      pos += run;
    } else {
      AppendLiteral(format, c);
      ++pos;
    }
  }
  return format;
}

}  // namespace z917::platform
