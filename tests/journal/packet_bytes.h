// Test helpers: packets from hex text, and decoding them in one call.
#pragma once

#include <cstring>
#include <sstream>
#include <string>
#include <string_view>

#include "journal/journal_decoder.h"

namespace z917::test {

// "21 00 0A" -> the three bytes.
inline std::string Hex(std::string_view text) {
  std::istringstream in{std::string(text)};
  std::string bytes;
  unsigned value = 0;
  while (in >> std::hex >> value) bytes += static_cast<char>(value);
  return bytes;
}

// Places `packet` at the start of the decoder's buffer (as the driver
// does, leaving the bytes behind it as they were) and decodes it.
inline bool Decode(journal::JournalDecoder& decoder, std::string_view packet,
                   journal::JournalEntryWriter& writer, OutputKind kind = OutputKind::Xml) {
  std::memcpy(decoder.Buffer().data(), packet.data(), packet.size());
  return decoder.DecodePacket(kind, writer);
}

}  // namespace z917::test
