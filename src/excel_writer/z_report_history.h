// The Z-reports of one workbook, kept so that every one of them gets a
// column on the Z-report sheet, however many a damaged journal holds.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "journal/packet.h"

namespace z917::excel_writer {

// One Z-report's values as the journal gives them, in the sheet's order.
struct ZReportValues {
  std::uint16_t smenaNum = 0;
  std::uint16_t checkNum = 0;
  std::uint8_t casherNum = 0;
  TDateTime dateTime = 0;
  std::uint32_t packetNum = 0;
  std::uint16_t checkSaleCnt = 0;
  std::uint16_t checkRefundCnt = 0;
  std::int64_t saleTotal = 0;
  // Sale1..Sale7, SaleMarkup, SaleDiscount.
  std::array<std::uint32_t, 9> sales{};
  std::int64_t refundTotal = 0;
  // Refund1..Refund7, RefundMarkup, RefundDiscount, CashIn, CashOut.
  std::array<std::uint32_t, 11> refunds{};
  std::string cashierName;  // Windows-1251
};

// The newest `capacity` Z-reports: a ring, so that memory stays bounded
// whatever the journal holds; the oldest drop out first.
class ZReportHistory {
 public:
  // A history of at most `capacity` reports (at least one).
  explicit ZReportHistory(std::size_t capacity);

  // Adds `report` as the newest, dropping the oldest when full.
  void Add(ZReportValues report);
  // Forgets every report.
  void Clear();

  // How many reports are kept.
  std::size_t Size() const { return size_; }
  // The report `age` steps back from the newest (0 the newest itself);
  // `age` must be below Size().
  const ZReportValues& Newest(std::size_t age) const;

 private:
  std::vector<ZReportValues> slots_;
  std::size_t capacity_;
  std::size_t next_ = 0;  // the slot the next report goes to
  std::size_t size_ = 0;
};

}  // namespace z917::excel_writer
