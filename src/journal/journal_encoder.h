// The decoder's inverse: builds journal packets byte for byte. Used by the
// tests, the benchmarks and the synthetic journal generator.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "journal/packet.h"

namespace z917::journal {

// Appends little-endian integers and zero-terminated texts to a byte string.
class ByteWriter {
 public:
  explicit ByteWriter(std::string& out) : out_(out) {}
  void U8(std::uint8_t v) { out_ += static_cast<char>(v); }
  void U16(std::uint16_t v);
  void U32(std::uint32_t v);
  void U64(std::uint64_t v);
  // Appends the bytes of `text` and a zero byte.
  void String(std::string_view text);

 private:
  std::string& out_;
};

// A goods line of a sales-type packet; names are Windows-1251 bytes.
struct SalesLine {
  std::uint8_t AnnulFlag = 0;
  std::uint64_t Code = 0;
  std::uint32_t Batch = 0;
  std::uint32_t Avail = 0;
  std::uint32_t Price = 0;
  std::uint32_t Total = 0;
  std::uint8_t ItemFlags = 0;
  std::string RefundName;
  std::string GoodName;
};

// A goods line of a Receipt or Return packet.
struct GoodsLine {
  std::uint64_t Code = 0;
  std::uint32_t Batch = 0;
  std::uint32_t Avail = 0;
  std::uint32_t Price = 0;
};

struct ZReportFields {
  std::uint16_t CheckSaleCnt = 0;
  std::uint16_t CheckRefundCnt = 0;
  std::uint32_t SaleParts[5] = {};
  std::uint32_t RefundParts[5] = {};
  std::uint32_t Sale[7] = {};
  std::uint32_t Refund[7] = {};
  std::uint32_t CashIn = 0;
  std::uint32_t CashOut = 0;
  std::uint32_t SaleMarkup = 0;
  std::uint32_t RefundMarkup = 0;
  std::uint32_t SaleDiscount = 0;
  std::uint32_t RefundDiscount = 0;
  std::string CashierName;
};

// Header and body; BodyLength is the body's size, which must fit 16 bits.
std::string EncodePacket(PacketType type, const PacketStamp& stamp, std::string_view body);
std::string EncodePacket(std::uint8_t type, const PacketStamp& stamp, std::string_view body);

// Appends a goods-line sub-record (RecordType 0); RecordLength is its size.
void AppendSalesLine(std::string& body, const SalesLine& line);
// Appends a sub-record of `recordType` 1..5 that is `recordLength` bytes
// long, the two head bytes included, padded with zeros.
void AppendSkippedRecord(std::string& body, std::uint8_t recordType, std::uint8_t recordLength);

std::string EncodeCashMovementBody(std::uint32_t sum, std::uint32_t avail,
                                   std::string_view cashierName);
std::string EncodeZReportBody(const ZReportFields& z);
// ItemCount is the number of lines (at most 255).
std::string EncodeGoodsMovementBody(std::uint64_t provCode, std::span<const GoodsLine> lines,
                                    std::string_view cashierName);
// Writes the sums whose bit in `sumMask` is set, in bit order.
std::string EncodeCheckSumBody(std::uint8_t sumMask, const std::uint32_t (&sums)[7]);

// Packs a local clock time into seconds since 2001-01-01 00:00:00.
std::uint32_t PackDateTime(int year, unsigned month, unsigned day, unsigned hour, unsigned minute,
                           unsigned second);

}  // namespace z917::journal
