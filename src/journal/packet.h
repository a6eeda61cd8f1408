// Framing of the journal: a plain sequence of packets, each a 16-byte header
// followed by BodyLength body bytes, all integers unsigned little-endian.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "common/vocabulary.h"

namespace z917::journal {

// One buffer holds the packet being decoded: header at 0..15, body from 16.
inline constexpr std::size_t kPacketBufferSize = 131072;
inline constexpr std::size_t kPacketHeaderSize = 16;
using PacketBuffer = std::array<std::uint8_t, kPacketBufferSize>;

// The kinds of packet the register writes; 11..255 are unknown.
enum class PacketType : std::uint8_t {
  Sale = 0,
  Refund = 1,
  AnnulSale = 2,
  AnnulRefund = 3,
  CashIn = 4,
  CashOut = 5,
  ZReport = 6,
  Receipt = 7,
  Return = 8,
  CheckSumSale = 9,
  CheckSumRefund = 10,
};

// The header fields after the type, in file order: what every entry of
// the packet carries.
struct PacketStamp {
  std::uint16_t SmenaNum = 0;
  std::uint16_t CheckNum = 0;
  std::uint8_t CasherNum = 0;
  std::uint32_t DateTime = 0;  // PackedDateTime
  std::uint32_t PacketNum = 0;
};

// The header: body length and type, then the stamp.
struct PacketHeader : PacketStamp {
  std::uint16_t BodyLength = 0;
  std::uint8_t PacketType = 0;
};

}  // namespace z917::journal
