// Decoding of one packet into writer calls.
#pragma once

#include <cstdint>

#include "journal/entry_counters.h"
#include "journal/journal_entry_writer.h"
#include "journal/packet.h"
#include "journal/packet_cursor.h"

namespace z917::journal {

// Owns the packet buffer, the current header, the entry counters and the
// buffers of decoded texts. Decoding allocates nothing per packet. The
// object is large (the buffer alone is 128 KiB): keep it on the heap.
class JournalDecoder {
 public:
  // Longest goods list of a receipt or return packet: its count is 8 bits.
  static constexpr int kMaxGoodsLines = 255;

  JournalDecoder();

  // The driver reads the header into bytes 0..15 and the body behind it.
  PacketBuffer& Buffer() { return buffer_; }
  EntryCounters& Counters() { return counters_; }
  const EntryCounters& Counters() const { return counters_; }
  // The header of the last packet decoded.
  const PacketHeader& Header() const { return header_; }

  // Decodes the packet in the buffer and calls `writer` once per entry, with
  // positions for `kind`. False when the type is unknown (nothing written),
  // a sales sub-record is invalid, or a writer call returned false. Bytes
  // the body does not hold read as zero. Shows no message itself.
  bool DecodePacket(OutputKind kind, JournalEntryWriter& writer);

 private:
  // Each returns false when the writer refused an entry or (sales) the
  // sub-record is invalid; the cursor stands on the first body byte.
  bool DecodeSalesRecord(PacketType type, OutputKind kind, JournalEntryWriter& writer);
  bool DecodeCashMovement(PacketType type, OutputKind kind, JournalEntryWriter& writer);
  bool DecodeZReport(OutputKind kind, JournalEntryWriter& writer);
  bool DecodeGoodsMovement(PacketType type, OutputKind kind, JournalEntryWriter& writer);
  bool DecodeCheckSum(PacketType type, OutputKind kind, JournalEntryWriter& writer);

  void ReadHeader();
  // Advances `counter` and returns the entry's position for `kind`:
  // the old count + 2 (Excel row) or + 1 (XML Num).
  static std::uint32_t TakePosition(std::uint32_t& counter, OutputKind kind);

  PacketBuffer buffer_{};
  PacketCursor cursor_;
  PacketHeader header_;
  TDateTime headerDateTime_ = 0;
  EntryCounters counters_;

  // Decoded texts, each kept until the next packet of its layout.
  char refundName_[32] = {};
  char goodName_[32] = {};
  char cashMovementName_[22] = {};
  char zReportName_[27] = {};
  char goodsMovementName_[32] = {};
  std::uint64_t goodsCodeBatch_[kMaxGoodsLines] = {};
  std::uint32_t goodsAvail_[kMaxGoodsLines] = {};
  std::uint32_t goodsPrice_[kMaxGoodsLines] = {};
};

}  // namespace z917::journal
