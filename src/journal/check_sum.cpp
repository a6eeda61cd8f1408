// CheckSumSale and CheckSumRefund bodies: the totals of one check by
// payment form, present only for the forms whose mask bit is set.
#include "journal/journal_decoder.h"

namespace z917::journal {

bool JournalDecoder::DecodeCheckSum(PacketType type, OutputKind kind, JournalEntryWriter& writer) {
  cursor_.Skip(1);  // not used
  const std::uint8_t sumMask = cursor_.ReadU8();
  std::uint32_t sum[7];
  std::uint64_t total = 0;  // 64 bits, so that sums near 2^32 do not wrap
  for (int k = 0; k < 7; ++k) {
    sum[k] = (sumMask >> k) & 1u ? cursor_.ReadU32() : 0u;
    total += sum[k];
  }

  std::uint32_t& counter =
      type == PacketType::CheckSumSale ? counters_.CheckSumSale : counters_.CheckSumRefund;
  const std::uint32_t position = TakePosition(counter, kind);
  const PacketHeader& h = header_;
  const auto t = static_cast<std::int64_t>(total);
  if (type == PacketType::CheckSumSale) {
    return writer.WriteCheckSumSale(position, h.SmenaNum, h.CheckNum, h.CasherNum, headerDateTime_,
                                    h.PacketNum, t, sum[0], sum[1], sum[2], sum[3], sum[4], sum[5],
                                    sum[6]);
  }
  return writer.WriteCheckSumRefund(position, h.SmenaNum, h.CheckNum, h.CasherNum, headerDateTime_,
                                    h.PacketNum, t, sum[0], sum[1], sum[2], sum[3], sum[4], sum[5],
                                    sum[6]);
}

}  // namespace z917::journal
