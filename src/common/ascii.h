// ASCII letter case, as class names, member names and file extensions
// compare here: A-Z and a-z match, every other byte (UTF-8 included) only
// itself, whatever locale the process runs in.
#pragma once

#include <string>
#include <string_view>

namespace z917 {

// `c` with A-Z made a-z; any other byte as it is.
constexpr char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

// `text` with A-Z made a-z.
inline std::string AsciiLower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = AsciiLower(c);
  return lower;
}

// Whether `a` and `b` are equal once A-Z are made a-z.
constexpr bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

// Whether `text` ends with `suffix` once A-Z are made a-z.
constexpr bool EndsWithIgnoringAsciiCase(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() &&
         EqualsIgnoringAsciiCase(text.substr(text.size() - suffix.size()), suffix);
}

}  // namespace z917
