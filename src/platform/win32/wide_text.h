// UTF-8, the text of every interface of ours, and UTF-16, the text of the
// Windows wide API; converted only here, at the system's edge.
#pragma once

#include <string>
#include <string_view>

namespace z917::platform {

// `utf8` as UTF-16; a byte that is not UTF-8 becomes U+FFFD. Never fails.
std::wstring WideFromUtf8(std::string_view utf8);

// `wide` as UTF-8; an unpaired surrogate becomes U+FFFD. Never fails.
std::string Utf8FromWide(std::wstring_view wide);

}  // namespace z917::platform
