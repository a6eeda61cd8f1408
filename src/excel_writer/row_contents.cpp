#include "excel_writer/row_contents.h"

#include <array>

#include "journal/cp1251.h"
#include "journal/entry_texts.h"

namespace z917::excel_writer {

using automation::Date;
using automation::Variant;

namespace {

constexpr std::uint32_t kNoValue = 0xFFFFFFFFu;

// The sheet of each EntryKind; cash in and out share one.
constexpr std::array<SheetIndex, journal::kEntryKindCount> kSheetOf = {
    kSaleSheet,   kRefundSheet,       kAnnulSaleSheet,     kAnnulRefundSheet,
    kCashSheet,   kCashSheet,         kZReportSheet,       kReceiptSheet,
    kReturnSheet, kCheckSumSaleSheet, kCheckSumRefundSheet};

// A packet number with all bits set shows as -1.
Variant PacketNumber(std::uint32_t v) {
  return v == kNoValue ? Variant(std::int8_t{-1}) : Variant(v);
}
Variant Thousandths(std::uint32_t v) { return Variant(v / 1000.0); }
Variant Hundredths(std::uint32_t v) { return Variant(v / 100.0); }
Variant Hundredths(std::int64_t v) { return Variant(static_cast<double>(v) / 100.0); }
// A receipt's new price: all bits set means none, shown as a dash.
Variant PriceOrDash(std::uint32_t v) { return v == kNoValue ? Variant("-") : Hundredths(v); }
Variant Text(const char* cp1251) { return Variant(journal::Cp1251ToUtf8(cp1251)); }
// A lookup never reads outside its table, whatever the value.
template <typename Table>
Variant Lookup(const Table& table, std::uint8_t index) {
  return Variant(table[index < table.size() ? index : table.size() - 1]);
}

// The five header cells every row starts with; the position is the row.
void FillHeader(RowFiller& row, const journal::EntryHeader& h) {
  row << Variant(h.smenaNum) << Variant(h.checkNum) << Variant(h.casherNum)
      << Variant(Date{h.dateTime}) << PacketNumber(h.packetNum);
}

void FillHundredths(RowFiller& row, const std::array<std::uint32_t, 7>& values) {
  for (const std::uint32_t v : values) row << Hundredths(v);
}

}  // namespace

SheetIndex SheetOf(journal::EntryKind kind) { return kSheetOf[static_cast<std::size_t>(kind)]; }

const char* SheetFailedText(std::size_t sheet) {
  std::size_t kind = 0;
  while (kSheetOf[kind] != sheet) ++kind;
  return journal::EntryFailedText(static_cast<journal::EntryKind>(kind));
}

void FillSalesRow(RowFiller& row, const journal::EntryHeader& header,
                  const journal::SalesItem& item) {
  FillHeader(row, header);
  row << Variant(item.annulFlag) << Variant(item.code) << Variant(item.batch)
      << Thousandths(item.avail) << Hundredths(item.price) << Hundredths(item.total)
      << Lookup(journal::TaxGroupNames, item.taxGroup) << Lookup(journal::WFlagNames, item.wFlag)
      << Lookup(journal::XFlagNames, item.xFlag);
  if (item.refundName != nullptr) row << Text(item.refundName);
  row << Text(item.goodName);
}

void FillCashRow(RowFiller& row, journal::EntryKind kind, const journal::EntryHeader& header,
                 const journal::CashMovement& cash) {
  FillHeader(row, header);
  row << Variant(journal::CashDirectionText(kind)) << Hundredths(cash.sum) << Hundredths(cash.avail)
      << Text(cash.cashierName);
}

void FillGoodsRow(RowFiller& row, const journal::EntryHeader& header,
                  const journal::GoodsItem& item) {
  FillHeader(row, header);
  row << Variant(item.provCode) << Variant(item.code) << Variant(item.batch)
      << Thousandths(item.avail) << PriceOrDash(item.price) << Text(item.cashierName);
}

void FillCheckSumRow(RowFiller& row, const journal::EntryHeader& header,
                     const journal::CheckSumTotals& totals) {
  FillHeader(row, header);
  row << Hundredths(totals.total);
  FillHundredths(row, totals.sums);
}

void FillZReport(RowFiller& column, const ZReportValues& report) {
  const journal::ZReportTotals& t = report.totals;
  FillHeader(column, report.header);
  column << Variant(t.checkSaleCnt) << Variant(t.checkRefundCnt) << Hundredths(t.saleTotal);
  FillHundredths(column, t.sales);
  column << Hundredths(t.saleMarkup) << Hundredths(t.saleDiscount) << Hundredths(t.refundTotal);
  FillHundredths(column, t.refunds);
  column << Hundredths(t.refundMarkup) << Hundredths(t.refundDiscount) << Hundredths(t.cashIn)
         << Hundredths(t.cashOut) << Text(report.cashierName.c_str());
}

}  // namespace z917::excel_writer
