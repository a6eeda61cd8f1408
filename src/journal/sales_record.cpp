// Sale, Refund, AnnulSale and AnnulRefund bodies: a sequence of
// sub-records, of which those of type 0 are goods lines.
#include "journal/code_batch.h"
#include "journal/journal_decoder.h"

namespace z917::journal {

namespace {
constexpr std::uint8_t kGoodsLine = 0;
constexpr std::uint8_t kLastSkipped = 5;
}  // namespace

bool JournalDecoder::DecodeSalesRecord(PacketType type, OutputKind kind,
                                       JournalEntryWriter& writer) {
  const std::uint8_t recordLength = cursor_.ReadU8();
  const std::uint8_t recordType = cursor_.ReadU8();
  if (recordType > kLastSkipped) return false;
  if (recordType != kGoodsLine) {
    // A length below the two head bytes would step backwards or stand
    // still and never finish the body: such a sub-record is invalid.
    if (recordLength < 2) return false;
    cursor_.Skip(recordLength - 2u);
    return true;
  }

  const std::uint8_t annulFlag = cursor_.ReadU8();
  const CodeBatch cb = SplitCodeBatch(cursor_.ReadU64());
  const std::uint32_t avail = cursor_.ReadU32();
  const std::uint32_t price = cursor_.ReadU32();
  const std::uint32_t total = cursor_.ReadU32();
  const std::uint8_t itemFlags = cursor_.ReadU8();
  cursor_.ReadString(refundName_, sizeof refundName_);
  cursor_.ReadString(goodName_, sizeof goodName_);

  const std::uint8_t taxGroup = itemFlags & 7u;
  const std::uint8_t wFlag = (itemFlags >> 3) & 1u;
  const std::uint8_t xFlag = (itemFlags >> 6) & 3u;
  const PacketHeader& h = header_;
  const TDateTime dt = headerDateTime_;

  switch (type) {
    case PacketType::Sale:
      return writer.WriteSale(TakePosition(counters_.Sale, kind), h.SmenaNum, h.CheckNum,
                              h.CasherNum, dt, h.PacketNum, annulFlag, cb.Code, cb.Batch, avail,
                              price, total, taxGroup, wFlag, xFlag, goodName_);
    case PacketType::Refund:
      return writer.WriteRefund(TakePosition(counters_.Refund, kind), h.SmenaNum, h.CheckNum,
                                h.CasherNum, dt, h.PacketNum, annulFlag, cb.Code, cb.Batch, avail,
                                price, total, taxGroup, wFlag, xFlag, refundName_, goodName_);
    case PacketType::AnnulSale:
      return writer.WriteAnnulSale(TakePosition(counters_.AnnulSale, kind), h.SmenaNum, h.CheckNum,
                                   h.CasherNum, dt, h.PacketNum, annulFlag, cb.Code, cb.Batch,
                                   avail, price, total, taxGroup, wFlag, xFlag, goodName_);
    default:
      return writer.WriteAnnulRefund(TakePosition(counters_.AnnulRefund, kind), h.SmenaNum,
                                     h.CheckNum, h.CasherNum, dt, h.PacketNum, annulFlag, cb.Code,
                                     cb.Batch, avail, price, total, taxGroup, wFlag, xFlag,
                                     refundName_, goodName_);
  }
}

}  // namespace z917::journal
