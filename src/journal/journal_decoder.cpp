#include "journal/journal_decoder.h"

#include "journal/packed_date_time.h"

namespace z917::journal {

JournalDecoder::JournalDecoder() : cursor_(buffer_, 0) {}

std::uint32_t JournalDecoder::TakePosition(std::uint32_t& counter, OutputKind kind) {
  const std::uint32_t c = counter++;
  return IsExcel(kind) ? c + 2 : c + 1;
}

void JournalDecoder::ReadHeader() {
  cursor_.SetEnd(kPacketHeaderSize);
  cursor_.SetPosition(0);
  header_.BodyLength = cursor_.ReadU16();
  header_.PacketType = cursor_.ReadU8();
  header_.SmenaNum = cursor_.ReadU16();
  header_.CheckNum = cursor_.ReadU16();
  header_.CasherNum = cursor_.ReadU8();
  header_.DateTime = cursor_.ReadU32();
  header_.PacketNum = cursor_.ReadU32();
  headerDateTime_ = PackedDateTimeToDateTime(header_.DateTime);
  cursor_.SetEnd(kPacketHeaderSize + header_.BodyLength);
}

bool JournalDecoder::DecodePacket(OutputKind kind, JournalEntryWriter& writer) {
  ReadHeader();
  const auto type = static_cast<PacketType>(header_.PacketType);
  switch (type) {
    case PacketType::Sale:
    case PacketType::Refund:
    case PacketType::AnnulSale:
    case PacketType::AnnulRefund:
      // An empty body writes nothing and succeeds; the loop stops as soon
      // as the position reaches or passes the end of the body.
      while (cursor_.InBody()) {
        if (!DecodeSalesRecord(type, kind, writer)) return false;
      }
      return true;
    case PacketType::CashIn:
    case PacketType::CashOut:
      return DecodeCashMovement(type, kind, writer);
    case PacketType::ZReport:
      return DecodeZReport(kind, writer);
    case PacketType::Receipt:
    case PacketType::Return:
      return DecodeGoodsMovement(type, kind, writer);
    case PacketType::CheckSumSale:
    case PacketType::CheckSumRefund:
      return DecodeCheckSum(type, kind, writer);
  }
  return false;  // unknown type: nothing is written
}

}  // namespace z917::journal
