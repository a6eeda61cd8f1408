// Typed little-endian reads from the packet buffer.
#pragma once

#include <cstddef>
#include <cstdint>

#include "journal/packet.h"

namespace z917::journal {

// A read position into the packet buffer, counted from the first header
// byte. The cursor never touches a byte at or behind `end` (the end of the
// current body): such bytes read as zero, so a short body decodes as if it
// were padded with zeros and never shows what an earlier packet left there.
class PacketCursor {
 public:
  // Reads from `buffer[0, end)`; `end` is clamped to the buffer size.
  PacketCursor(const PacketBuffer& buffer, std::size_t end);

  std::uint32_t Position() const { return position_; }
  void SetPosition(std::uint32_t position) { position_ = position; }
  // Sets the end of the readable bytes; clamped to the buffer size.
  void SetEnd(std::size_t end);
  // Moves the position forward by `count` bytes without reading them.
  void Skip(std::uint32_t count);
  // True while the position stands inside the body.
  bool InBody() const { return position_ < end_; }

  // Reads one unsigned 8-bit value.
  std::uint8_t ReadU8();
  // Reads an unsigned 16-bit little-endian value.
  std::uint16_t ReadU16();
  // Reads an unsigned 32-bit little-endian value.
  std::uint32_t ReadU32();
  // Reads an unsigned 64-bit little-endian value (lower half first).
  std::uint64_t ReadU64();
  // Reads a zero-terminated string and advances past its zero byte. Copies
  // at most `capacity - 1` bytes and always terminates `dest`; a longer text
  // is truncated. A string with no zero byte before the body ends stops at
  // the body's end. `capacity` must be at least 1.
  void ReadString(char* dest, std::size_t capacity);

 private:
  std::uint8_t ByteAt(std::uint32_t pos) const { return pos < end_ ? buffer_[pos] : 0; }

  const PacketBuffer& buffer_;
  std::uint32_t end_;
  std::uint32_t position_ = 0;
};

}  // namespace z917::journal
