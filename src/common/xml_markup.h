// The characters XML markup reserves in text, as both XML writers (the
// journal's and the workbook package's) escape them.
#pragma once

namespace z917 {

// The entity that `c` is written as in any XML text (& < >), or null for a
// character that markup does not reserve there.
constexpr const char* MarkupEntityOf(char c) {
  return c == '&' ? "&amp;" : c == '<' ? "&lt;" : c == '>' ? "&gt;" : nullptr;
}

}  // namespace z917
