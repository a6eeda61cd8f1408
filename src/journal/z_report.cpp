// ZReport body: fixed layout, one entry per packet.
#include "journal/journal_decoder.h"

namespace z917::journal {

namespace {

// Adds `count` unsigned 32-bit values in 64 bits, keeping the carries.
std::int64_t SumU32(PacketCursor& cursor, int count) {
  std::uint64_t total = 0;
  for (int i = 0; i < count; ++i) total += cursor.ReadU32();
  return static_cast<std::int64_t>(total);
}

}  // namespace

bool JournalDecoder::DecodeZReport(OutputKind kind, JournalEntryWriter& writer) {
  // Offsets 0..28 are not used: one byte, one 32-bit value, one byte,
  // nine 16-bit values and five bytes.
  cursor_.Skip(29);
  const std::uint16_t checkSaleCnt = cursor_.ReadU16();
  const std::uint16_t checkRefundCnt = cursor_.ReadU16();
  const std::int64_t saleTotal = SumU32(cursor_, 5);
  cursor_.Skip(9 * 4);
  const std::int64_t refundTotal = SumU32(cursor_, 5);
  cursor_.Skip(9 * 4);

  std::uint32_t sale[7];
  std::uint32_t refund[7];
  for (auto& v : sale) v = cursor_.ReadU32();
  for (auto& v : refund) v = cursor_.ReadU32();
  const std::uint32_t cashIn = cursor_.ReadU32();
  const std::uint32_t cashOut = cursor_.ReadU32();
  // In the file markups and discounts alternate sale, payout; the writer
  // takes them grouped by side.
  const std::uint32_t saleMarkup = cursor_.ReadU32();
  const std::uint32_t refundMarkup = cursor_.ReadU32();
  const std::uint32_t saleDiscount = cursor_.ReadU32();
  const std::uint32_t refundDiscount = cursor_.ReadU32();
  cursor_.ReadString(zReportName_, sizeof zReportName_);

  const PacketHeader& h = header_;
  return writer.WriteZReport(TakePosition(counters_.ZReport, kind), h.SmenaNum, h.CheckNum,
                             h.CasherNum, headerDateTime_, h.PacketNum, checkSaleCnt,
                             checkRefundCnt, saleTotal, sale[0], sale[1], sale[2], sale[3], sale[4],
                             sale[5], sale[6], saleMarkup, saleDiscount, refundTotal, refund[0],
                             refund[1], refund[2], refund[3], refund[4], refund[5], refund[6],
                             refundMarkup, refundDiscount, cashIn, cashOut, zReportName_);
}

}  // namespace z917::journal
