// CashIn and CashOut bodies: sum, cash in the drawer, cashier's name.
#include "journal/journal_decoder.h"

namespace z917::journal {

bool JournalDecoder::DecodeCashMovement(PacketType type, OutputKind kind,
                                        JournalEntryWriter& writer) {
  const std::uint32_t sum = cursor_.ReadU32();
  const std::uint32_t avail = cursor_.ReadU32();
  cursor_.ReadString(cashMovementName_, sizeof cashMovementName_);

  // Both directions share one counter.
  const std::uint32_t position = TakePosition(counters_.CashMovements, kind);
  const PacketHeader& h = header_;
  if (type == PacketType::CashIn) {
    return writer.WriteCashIn(position, h.SmenaNum, h.CheckNum, h.CasherNum, headerDateTime_,
                              h.PacketNum, sum, avail, cashMovementName_);
  }
  return writer.WriteCashOut(position, h.SmenaNum, h.CheckNum, h.CasherNum, headerDateTime_,
                             h.PacketNum, sum, avail, cashMovementName_);
}

}  // namespace z917::journal
