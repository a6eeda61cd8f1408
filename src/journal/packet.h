// Framing of the journal: a plain sequence of packets, each a 16-byte header
// followed by BodyLength body bytes, all integers unsigned little-endian.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace z917 {

// A date as both writers receive it: days since 1899-12-30, the fraction
// being the time of day.
using TDateTime = double;

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

// The header fields, in file order.
struct PacketHeader {
  std::uint16_t BodyLength = 0;
  std::uint8_t PacketType = 0;
  std::uint16_t SmenaNum = 0;
  std::uint16_t CheckNum = 0;
  std::uint8_t CasherNum = 0;
  std::uint32_t DateTime = 0;  // PackedDateTime
  std::uint32_t PacketNum = 0;
};

// Which writer receives the entries. Only 0 means Excel: every other value
// selects the XML writer.
enum class OutputKind : int { Excel = 0, Xml = 1 };

inline bool IsExcel(OutputKind kind) { return static_cast<int>(kind) == 0; }

}  // namespace z917
