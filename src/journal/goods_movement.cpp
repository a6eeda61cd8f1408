// Receipt and Return bodies: a supplier, a list of goods lines and the
// cashier's name behind the list. Each line is one entry.
#include "journal/code_batch.h"
#include "journal/journal_decoder.h"

namespace z917::journal {

bool JournalDecoder::DecodeGoodsMovement(PacketType type, OutputKind kind,
                                         JournalEntryWriter& writer) {
  // The count is 8 bits, so every line it announces fits the arrays.
  const std::uint8_t itemCount = cursor_.ReadU8();
  const auto provCode = static_cast<std::int64_t>(cursor_.ReadU64());
  for (int i = 0; i < itemCount; ++i) {
    goodsCodeBatch_[i] = cursor_.ReadU64();
    goodsAvail_[i] = cursor_.ReadU32();
    goodsPrice_[i] = cursor_.ReadU32();
  }
  cursor_.Skip(2);  // not used
  cursor_.ReadString(goodsMovementName_, sizeof goodsMovementName_);

  // All lines are read before the first is written; the first refused line
  // ends the packet. A packet without lines writes nothing and succeeds.
  std::uint32_t& counter = type == PacketType::Receipt ? counters_.Receipt : counters_.Return;
  const PacketHeader& h = header_;
  for (int i = 0; i < itemCount; ++i) {
    const CodeBatch cb = SplitCodeBatch(goodsCodeBatch_[i]);
    const std::uint32_t position = TakePosition(counter, kind);
    const bool ok =
        type == PacketType::Receipt
            ? writer.WriteReceipt(position, h.SmenaNum, h.CheckNum, h.CasherNum, headerDateTime_,
                                  h.PacketNum, provCode, cb.Code, cb.Batch, goodsAvail_[i],
                                  goodsPrice_[i], goodsMovementName_)
            : writer.WriteReturn(position, h.SmenaNum, h.CheckNum, h.CasherNum, headerDateTime_,
                                 h.PacketNum, provCode, cb.Code, cb.Batch, goodsAvail_[i],
                                 goodsPrice_[i], goodsMovementName_);
    if (!ok) return false;
  }
  return true;
}

}  // namespace z917::journal
