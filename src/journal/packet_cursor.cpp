#include "journal/packet_cursor.h"

#include <algorithm>

namespace z917::journal {

PacketCursor::PacketCursor(const PacketBuffer& buffer, std::size_t end)
    : buffer_(buffer), end_(static_cast<std::uint32_t>(std::min(end, buffer.size()))) {}

void PacketCursor::SetEnd(std::size_t end) {
  end_ = static_cast<std::uint32_t>(std::min(end, buffer_.size()));
}

void PacketCursor::Skip(std::uint32_t count) {
  // Saturate rather than wrap: a wrapped position would restart the body.
  position_ = count > UINT32_MAX - position_ ? UINT32_MAX : position_ + count;
}

std::uint8_t PacketCursor::ReadU8() {
  const std::uint8_t v = ByteAt(position_);
  Skip(1);
  return v;
}

std::uint16_t PacketCursor::ReadU16() {
  const std::uint16_t lo = ReadU8();
  const std::uint16_t hi = ReadU8();
  return static_cast<std::uint16_t>(lo | (hi << 8));
}

std::uint32_t PacketCursor::ReadU32() {
  const std::uint32_t lo = ReadU16();
  const std::uint32_t hi = ReadU16();
  return lo | (hi << 16);
}

std::uint64_t PacketCursor::ReadU64() {
  const std::uint64_t lo = ReadU32();
  const std::uint64_t hi = ReadU32();
  return lo | (hi << 32);
}

void PacketCursor::ReadString(char* dest, std::size_t capacity) {
  std::size_t length = 0;
  for (;;) {
    const std::uint8_t c = ReadU8();
    if (c == 0) break;
    if (length + 1 < capacity) dest[length++] = static_cast<char>(c);
  }
  dest[length] = '\0';
}

}  // namespace z917::journal
