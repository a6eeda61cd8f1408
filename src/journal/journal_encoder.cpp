#include "journal/journal_encoder.h"

#include <chrono>
#include <stdexcept>

#include "journal/code_batch.h"

namespace z917::journal {

void ByteWriter::U16(std::uint16_t v) {
  U8(static_cast<std::uint8_t>(v));
  U8(static_cast<std::uint8_t>(v >> 8));
}

void ByteWriter::U32(std::uint32_t v) {
  U16(static_cast<std::uint16_t>(v));
  U16(static_cast<std::uint16_t>(v >> 16));
}

void ByteWriter::U64(std::uint64_t v) {
  U32(static_cast<std::uint32_t>(v));
  U32(static_cast<std::uint32_t>(v >> 32));
}

void ByteWriter::String(std::string_view text) {
  out_.append(text);
  U8(0);
}

std::string EncodePacket(std::uint8_t type, const PacketStamp& stamp, std::string_view body) {
  if (body.size() > 0xFFFF) throw std::length_error("packet body longer than 65535 bytes");
  std::string packet;
  packet.reserve(kPacketHeaderSize + body.size());
  ByteWriter w(packet);
  w.U16(static_cast<std::uint16_t>(body.size()));
  w.U8(type);
  w.U16(stamp.SmenaNum);
  w.U16(stamp.CheckNum);
  w.U8(stamp.CasherNum);
  w.U32(stamp.DateTime);
  w.U32(stamp.PacketNum);
  packet.append(body);
  return packet;
}

std::string EncodePacket(PacketType type, const PacketStamp& stamp, std::string_view body) {
  return EncodePacket(static_cast<std::uint8_t>(type), stamp, body);
}

void AppendSalesLine(std::string& body, const SalesLine& line) {
  const std::size_t start = body.size();
  ByteWriter w(body);
  w.U8(0);  // RecordLength, set below
  w.U8(0);  // goods line
  w.U8(line.AnnulFlag);
  w.U64(PackCodeBatch(line.Code, line.Batch));
  w.U32(line.Avail);
  w.U32(line.Price);
  w.U32(line.Total);
  w.U8(line.ItemFlags);
  w.String(line.RefundName);
  w.String(line.GoodName);
  const std::size_t length = body.size() - start;
  body[start] = static_cast<char>(length > 0xFF ? 0xFF : length);
}

void AppendSkippedRecord(std::string& body, std::uint8_t recordType, std::uint8_t recordLength) {
  ByteWriter w(body);
  w.U8(recordLength);
  w.U8(recordType);
  if (recordLength > 2) body.append(recordLength - 2u, '\0');
}

std::string EncodeCashMovementBody(std::uint32_t sum, std::uint32_t avail,
                                   std::string_view cashierName) {
  std::string body;
  ByteWriter w(body);
  w.U32(sum);
  w.U32(avail);
  w.String(cashierName);
  return body;
}

std::string EncodeZReportBody(const ZReportFields& z) {
  std::string body;
  ByteWriter w(body);
  body.append(29, '\0');  // offsets 0..28 are not used
  w.U16(z.CheckSaleCnt);
  w.U16(z.CheckRefundCnt);
  for (const auto v : z.SaleParts) w.U32(v);
  body.append(9 * 4, '\0');
  for (const auto v : z.RefundParts) w.U32(v);
  body.append(9 * 4, '\0');
  for (const auto v : z.Sale) w.U32(v);
  for (const auto v : z.Refund) w.U32(v);
  w.U32(z.CashIn);
  w.U32(z.CashOut);
  w.U32(z.SaleMarkup);
  w.U32(z.RefundMarkup);
  w.U32(z.SaleDiscount);
  w.U32(z.RefundDiscount);
  w.String(z.CashierName);
  return body;
}

std::string EncodeGoodsMovementBody(std::uint64_t provCode, std::span<const GoodsLine> lines,
                                    std::string_view cashierName) {
  if (lines.size() > 255) throw std::length_error("more than 255 goods lines");
  std::string body;
  ByteWriter w(body);
  w.U8(static_cast<std::uint8_t>(lines.size()));
  w.U64(provCode);
  for (const GoodsLine& line : lines) {
    w.U64(PackCodeBatch(line.Code, line.Batch));
    w.U32(line.Avail);
    w.U32(line.Price);
  }
  w.U16(0);  // not used
  w.String(cashierName);
  return body;
}

std::string EncodeCheckSumBody(std::uint8_t sumMask, const std::uint32_t (&sums)[7]) {
  std::string body;
  ByteWriter w(body);
  w.U8(0);  // not used
  w.U8(sumMask);
  for (int k = 0; k < 7; ++k) {
    if ((sumMask >> k) & 1u) w.U32(sums[k]);
  }
  return body;
}

std::uint32_t PackDateTime(int year, unsigned month, unsigned day, unsigned hour, unsigned minute,
                           unsigned second) {
  using namespace std::chrono;
  const sys_days date{std::chrono::year{year} / std::chrono::month{month} / std::chrono::day{day}};
  const sys_days epoch{std::chrono::year{2001} / January / 1};
  const auto days = (date - epoch).count();
  return static_cast<std::uint32_t>(days * 86400LL + hour * 3600LL + minute * 60LL + second);
}

}  // namespace z917::journal
