// One row per journal entry: the entry's values go into the next row of
// its sheet's block, and a block of rows is assigned to its range once
// full, when the rows stop following each other, and before the save: in
// a single call, or a long block in one call per run of alike columns. A
// Z-report goes to B1:B30 at once.
#include <algorithm>
#include <array>
#include <exception>
#include <utility>
#include <vector>

#include "automation/cell_address.h"
#include "excel_writer/excel_book_writer.h"
#include "journal/cp1251.h"
#include "journal/entry_texts.h"

namespace z917::excel_writer {

using automation::CellAddress;
using automation::Date;
using automation::Variant;
using automation::VariantArray;

namespace {

constexpr std::uint32_t kNoValue = 0xFFFFFFFFu;

// A packet number with all bits set shows as -1.
Variant PacketNumber(std::uint32_t v) {
  return v == kNoValue ? Variant(std::int8_t{-1}) : Variant(v);
}
Variant Thousandths(std::uint32_t v) { return Variant(v / 1000.0); }
Variant Hundredths(std::uint32_t v) { return Variant(v / 100.0); }
Variant Hundredths(std::int64_t v) { return Variant(static_cast<double>(v) / 100.0); }
// A receipt's new price: all bits set means none, shown as a dash.
Variant PriceOrDash(std::uint32_t v) { return v == kNoValue ? Variant("-") : Hundredths(v); }
Variant Text(const char* cp1251) { return Variant(Cp1251ToUtf8(cp1251)); }
// A lookup never reads outside its table, whatever the value.
template <typename Table>
Variant Lookup(const Table& table, std::uint8_t index) {
  return Variant(table[index < table.size() ? index : table.size() - 1]);
}

// The message of a failed write to each sheet.
constexpr std::array<const char*, kSheetCount> kRowFailed = {
    kSaleFailed,    kRefundFailed, kAnnulSaleFailed, kAnnulRefundFailed,  kCashFailed,
    kReceiptFailed, kReturnFailed, kZReportFailed,   kCheckSumSaleFailed, kCheckSumRefundFailed};

// Rows 1..count of `block` as an array of their own.
VariantArray TopRows(const VariantArray& block, std::size_t count) {
  VariantArray rows(count, block.Columns());
  for (std::size_t r = 1; r <= count; ++r) {
    for (std::size_t c = 1; c <= block.Columns(); ++c) rows.At(r, c) = block.At(r, c);
  }
  return rows;
}

// What a cell holds, as far as its journey to the server goes: cells of
// one kind travel as one typed array.
enum class CellKind { Number, Date, Text, Other };

CellKind KindOf(const Variant& cell) {
  if (cell.IsInteger() || cell.Kind() == automation::VariantKind::Double) return CellKind::Number;
  if (cell.Kind() == automation::VariantKind::Date) return CellKind::Date;
  if (cell.Kind() == automation::VariantKind::Text) return CellKind::Text;
  return CellKind::Other;
}

// The one kind of rows 1..count of `column`, or Other for a mix.
CellKind ColumnKind(const VariantArray& block, std::size_t count, std::size_t column) {
  const CellKind kind = KindOf(block.At(1, column));
  for (std::size_t r = 2; r <= count; ++r) {
    if (KindOf(block.At(r, column)) != kind) return CellKind::Other;
  }
  return kind;
}

// Neighbouring columns first..last whose cells are of one kind.
struct ColumnRun {
  std::size_t first;
  std::size_t last;
};

std::vector<ColumnRun> ColumnRuns(const VariantArray& block, std::size_t count) {
  std::vector<ColumnRun> runs;
  CellKind runKind = CellKind::Other;
  for (std::size_t c = 1; c <= block.Columns(); ++c) {
    const CellKind kind = ColumnKind(block, count, c);
    if (runs.empty() || kind != runKind) {
      runs.push_back({c, c});
      runKind = kind;
    } else {
      runs.back().last = c;
    }
  }
  return runs;
}

// Moves rows 1..count of columns run.first..run.last of `block` into
// `part`, whose array is kept from the last block when it has the shape:
// a fresh array of megabytes costs a page fault every few kilobytes.
void TakeColumns(VariantArray& block, std::size_t count, ColumnRun run, Variant& part) {
  const std::size_t width = run.last - run.first + 1;
  if (part.Kind() != automation::VariantKind::Array || part.AsArray().Rows() != count ||
      part.AsArray().Columns() != width) {
    part = Variant(VariantArray(count, width));
  }
  VariantArray& cells = part.AsArray();
  for (std::size_t r = 1; r <= count; ++r) {
    for (std::size_t c = run.first; c <= run.last; ++c) {
      cells.At(r, c - run.first + 1) = std::move(block.At(r, c));
    }
  }
}

}  // namespace

// Fills a buffer cell by cell in order: along one row, or down one column.
class ExcelBookWriter::RowFiller {
 public:
  // Along `row` of `buffer`.
  static RowFiller Along(VariantArray& buffer, std::size_t row) { return {buffer, row, 0}; }
  // Down `column` of `buffer`.
  static RowFiller Down(VariantArray& buffer, std::size_t column) { return {buffer, 0, column}; }

  RowFiller& operator<<(Variant value) {
    ++next_;
    Variant& cell = column_ == 0 ? buffer_.At(row_, next_) : buffer_.At(next_, column_);
    cell = std::move(value);
    return *this;
  }

 private:
  RowFiller(VariantArray& buffer, std::size_t row, std::size_t column)
      : buffer_(buffer), row_(row), column_(column) {}

  VariantArray& buffer_;
  std::size_t row_;     // 0: down column_
  std::size_t column_;  // 0: along row_
  std::size_t next_ = 0;
};

void ExcelBookWriter::FillHeader(RowFiller& row, std::uint16_t smenaNum, std::uint16_t checkNum,
                                 std::uint8_t casherNum, TDateTime dateTime,
                                 std::uint32_t packetNum) {
  row << Variant(smenaNum) << Variant(checkNum) << Variant(casherNum) << Variant(Date{dateTime})
      << PacketNumber(packetNum);
}

ExcelBookWriter::RowFiller ExcelBookWriter::NextRow(std::size_t sheet, std::uint32_t row) {
  PendingRows& rows = pending_[sheet];
  if (rows.count > 0 && row != rows.firstRow + rows.count) FlushRows(sheet);
  if (rows.block.IsEmpty()) {
    const std::size_t columns = WorkbookLayout()[sheet].columns.size();
    rows.block = Variant(VariantArray(std::min(blockRows_, kFirstBlockRows), columns));
  } else if (rows.count == rows.block.AsArray().Rows()) {
    GrowBlock(rows.block.AsArray());
  }
  if (rows.count == 0) rows.firstRow = row;
  return RowFiller::Along(rows.block.AsArray(), rows.count + 1);
}

void ExcelBookWriter::GrowBlock(VariantArray& block) const {
  VariantArray grown(std::min(block.Rows() * 2, blockRows_), block.Columns());
  for (std::size_t r = 1; r <= block.Rows(); ++r) {
    for (std::size_t c = 1; c <= block.Columns(); ++c) grown.At(r, c) = std::move(block.At(r, c));
  }
  block = std::move(grown);
}

void ExcelBookWriter::CommitRow(std::size_t sheet) {
  if (++pending_[sheet].count == blockRows_) FlushRows(sheet);
}

void ExcelBookWriter::FlushRows(std::size_t sheet) {
  PendingRows& rows = pending_[sheet];
  const std::size_t count = std::exchange(rows.count, 0);
  if (count == 0) return;
  VariantArray& block = rows.block.AsArray();
  const std::uint32_t last = rows.firstRow + static_cast<std::uint32_t>(count - 1);
  const auto assign = [&](std::size_t firstColumn, std::size_t lastColumn, const Variant& value) {
    sheets_[sheet]
        .GetObject("Range", {Variant(CellAddress(rows.firstRow, static_cast<int>(firstColumn))),
                             Variant(CellAddress(last, static_cast<int>(lastColumn)))})
        .Set("Value", value);
  };
  if (!Batched()) {
    assign(1, block.Columns(), rows.block);  // one row
    return;
  }
  // A server in another process is paced by the bytes it unmarshals: each
  // run of alike columns of a long block goes as a typed array of its own.
  // A run costs a few calls, more than the bytes it saves in a short one.
  if (count < kRowsForRuns) {
    // The range must be shaped like the array: the last rows of a sheet
    // go in an array of their own.
    assign(1, block.Columns(), count == block.Rows() ? rows.block : Variant(TopRows(block, count)));
    return;
  }
  const std::vector<ColumnRun> runs = ColumnRuns(block, count);
  if (rows.parts.size() < runs.size()) rows.parts.resize(runs.size());
  for (std::size_t i = 0; i < runs.size(); ++i) {
    TakeColumns(block, count, runs[i], rows.parts[i]);
    assign(runs[i].first, runs[i].last, rows.parts[i]);
  }
}

void ExcelBookWriter::FlushZReport() {
  if (!std::exchange(zReportPending_, false)) return;
  AssignBuffer(kZReportSheet, CellAddress(1, 2), CellAddress(kZReportRows, 2));
}

bool ExcelBookWriter::FlushAllRows() {
  for (std::size_t sheet = 0; sheet < kSheetCount; ++sheet) {
    try {
      if (sheet == kZReportSheet) {
        FlushZReport();
      } else {
        FlushRows(sheet);
      }
    } catch (const std::exception& error) {
      return ShowFailure(kRowFailed[sheet], error);
    }
  }
  return true;
}

bool ExcelBookWriter::WriteSalesRow(std::size_t sheet, const char* prefix, std::uint32_t position,
                                    std::uint16_t smenaNum, std::uint16_t checkNum,
                                    std::uint8_t casherNum, TDateTime dateTime,
                                    std::uint32_t packetNum, std::uint8_t annulFlag,
                                    std::int64_t code, std::uint32_t batch, std::uint32_t avail,
                                    std::uint32_t price, std::uint32_t total, std::uint8_t taxGroup,
                                    std::uint8_t wFlag, std::uint8_t xFlag, const char* refundName,
                                    const char* goodName) {
  try {
    RowFiller row = NextRow(sheet, position);
    FillHeader(row, smenaNum, checkNum, casherNum, dateTime, packetNum);
    row << Variant(annulFlag) << Variant(code) << Variant(batch) << Thousandths(avail)
        << Hundredths(price) << Hundredths(total) << Lookup(TaxGroupNames, taxGroup)
        << Lookup(WFlagNames, wFlag) << Lookup(XFlagNames, xFlag);
    if (refundName != nullptr) row << Text(refundName);
    row << Text(goodName);
    CommitRow(sheet);
  } catch (const std::exception& error) {
    return ShowFailure(prefix, error);
  }
  return true;
}

bool ExcelBookWriter::WriteSale(std::uint32_t position, std::uint16_t smenaNum,
                                std::uint16_t checkNum, std::uint8_t casherNum, TDateTime dateTime,
                                std::uint32_t packetNum, std::uint8_t annulFlag, std::int64_t code,
                                std::uint32_t batch, std::uint32_t avail, std::uint32_t price,
                                std::uint32_t total, std::uint8_t taxGroup, std::uint8_t wFlag,
                                std::uint8_t xFlag, const char* goodName) {
  return WriteSalesRow(kSaleSheet, kSaleFailed, position, smenaNum, checkNum, casherNum, dateTime,
                       packetNum, annulFlag, code, batch, avail, price, total, taxGroup, wFlag,
                       xFlag, nullptr, goodName);
}

bool ExcelBookWriter::WriteRefund(std::uint32_t position, std::uint16_t smenaNum,
                                  std::uint16_t checkNum, std::uint8_t casherNum,
                                  TDateTime dateTime, std::uint32_t packetNum,
                                  std::uint8_t annulFlag, std::int64_t code, std::uint32_t batch,
                                  std::uint32_t avail, std::uint32_t price, std::uint32_t total,
                                  std::uint8_t taxGroup, std::uint8_t wFlag, std::uint8_t xFlag,
                                  const char* refundName, const char* goodName) {
  return WriteSalesRow(kRefundSheet, kRefundFailed, position, smenaNum, checkNum, casherNum,
                       dateTime, packetNum, annulFlag, code, batch, avail, price, total, taxGroup,
                       wFlag, xFlag, refundName, goodName);
}

bool ExcelBookWriter::WriteAnnulSale(std::uint32_t position, std::uint16_t smenaNum,
                                     std::uint16_t checkNum, std::uint8_t casherNum,
                                     TDateTime dateTime, std::uint32_t packetNum,
                                     std::uint8_t annulFlag, std::int64_t code, std::uint32_t batch,
                                     std::uint32_t avail, std::uint32_t price, std::uint32_t total,
                                     std::uint8_t taxGroup, std::uint8_t wFlag, std::uint8_t xFlag,
                                     const char* goodName) {
  return WriteSalesRow(kAnnulSaleSheet, kAnnulSaleFailed, position, smenaNum, checkNum, casherNum,
                       dateTime, packetNum, annulFlag, code, batch, avail, price, total, taxGroup,
                       wFlag, xFlag, nullptr, goodName);
}

bool ExcelBookWriter::WriteAnnulRefund(
    std::uint32_t position, std::uint16_t smenaNum, std::uint16_t checkNum, std::uint8_t casherNum,
    TDateTime dateTime, std::uint32_t packetNum, std::uint8_t annulFlag, std::int64_t code,
    std::uint32_t batch, std::uint32_t avail, std::uint32_t price, std::uint32_t total,
    std::uint8_t taxGroup, std::uint8_t wFlag, std::uint8_t xFlag, const char* refundName,
    const char* goodName) {
  return WriteSalesRow(kAnnulRefundSheet, kAnnulRefundFailed, position, smenaNum, checkNum,
                       casherNum, dateTime, packetNum, annulFlag, code, batch, avail, price, total,
                       taxGroup, wFlag, xFlag, refundName, goodName);
}

bool ExcelBookWriter::WriteCashRow(const char* direction, std::uint32_t position,
                                   std::uint16_t smenaNum, std::uint16_t checkNum,
                                   std::uint8_t casherNum, TDateTime dateTime,
                                   std::uint32_t packetNum, std::uint32_t sum, std::uint32_t avail,
                                   const char* cashierName) {
  try {
    RowFiller row = NextRow(kCashSheet, position);
    FillHeader(row, smenaNum, checkNum, casherNum, dateTime, packetNum);
    row << Variant(direction) << Hundredths(sum) << Hundredths(avail) << Text(cashierName);
    CommitRow(kCashSheet);
  } catch (const std::exception& error) {
    return ShowFailure(kCashFailed, error);
  }
  return true;
}

bool ExcelBookWriter::WriteCashIn(std::uint32_t position, std::uint16_t smenaNum,
                                  std::uint16_t checkNum, std::uint8_t casherNum,
                                  TDateTime dateTime, std::uint32_t packetNum, std::uint32_t sum,
                                  std::uint32_t avail, const char* cashierName) {
  return WriteCashRow(CashInText, position, smenaNum, checkNum, casherNum, dateTime, packetNum, sum,
                      avail, cashierName);
}

bool ExcelBookWriter::WriteCashOut(std::uint32_t position, std::uint16_t smenaNum,
                                   std::uint16_t checkNum, std::uint8_t casherNum,
                                   TDateTime dateTime, std::uint32_t packetNum, std::uint32_t sum,
                                   std::uint32_t avail, const char* cashierName) {
  return WriteCashRow(CashOutText, position, smenaNum, checkNum, casherNum, dateTime, packetNum,
                      sum, avail, cashierName);
}

bool ExcelBookWriter::WriteZReport(
    std::uint32_t /*position*/, std::uint16_t smenaNum, std::uint16_t checkNum,
    std::uint8_t casherNum, TDateTime dateTime, std::uint32_t packetNum, std::uint16_t checkSaleCnt,
    std::uint16_t checkRefundCnt, std::int64_t saleTotal, std::uint32_t sale1, std::uint32_t sale2,
    std::uint32_t sale3, std::uint32_t sale4, std::uint32_t sale5, std::uint32_t sale6,
    std::uint32_t sale7, std::uint32_t saleMarkup, std::uint32_t saleDiscount,
    std::int64_t refundTotal, std::uint32_t refund1, std::uint32_t refund2, std::uint32_t refund3,
    std::uint32_t refund4, std::uint32_t refund5, std::uint32_t refund6, std::uint32_t refund7,
    std::uint32_t refundMarkup, std::uint32_t refundDiscount, std::uint32_t cashIn,
    std::uint32_t cashOut, const char* cashierName) {
  ZReportValues report{smenaNum,
                       checkNum,
                       casherNum,
                       dateTime,
                       packetNum,
                       checkSaleCnt,
                       checkRefundCnt,
                       saleTotal,
                       {sale1, sale2, sale3, sale4, sale5, sale6, sale7, saleMarkup, saleDiscount},
                       refundTotal,
                       {refund1, refund2, refund3, refund4, refund5, refund6, refund7, refundMarkup,
                        refundDiscount, cashIn, cashOut},
                       cashierName};
  // Column B shows the journal's last Z-report, the earlier ones get their
  // columns at the save. Rows in blocks hold it back to the save as well:
  // a journal has a Z-report a shift, and each would cost two calls.
  try {
    RowFiller column = RowFiller::Down(buffers_[kZReportSheet].AsArray(), 1);
    FillZReport(column, report);
    zReportPending_ = true;
    if (blockRows_ == 1) FlushZReport();
  } catch (const std::exception& error) {
    return ShowFailure(kZReportFailed, error);
  }
  zReports_.Add(std::move(report));
  return true;
}

void ExcelBookWriter::FillZReport(RowFiller& column, const ZReportValues& report) {
  FillHeader(column, report.smenaNum, report.checkNum, report.casherNum, report.dateTime,
             report.packetNum);
  column << Variant(report.checkSaleCnt) << Variant(report.checkRefundCnt)
         << Hundredths(report.saleTotal);
  for (const std::uint32_t v : report.sales) column << Hundredths(v);
  column << Hundredths(report.refundTotal);
  for (const std::uint32_t v : report.refunds) column << Hundredths(v);
  column << Text(report.cashierName.c_str());
}

void ExcelBookWriter::LayOutEarlierZReports(std::uint32_t sheetColumns) {
  // Column A holds the captions and B the newest report; the oldest of
  // the rest are left out when the sheet ends. They go a few hundred
  // columns at a time, so that a journal of thousands of Z-reports does
  // not build one array of them all at the save.
  constexpr std::size_t kColumnsPerCall = 512;
  const std::size_t earlier = zReports_.Size() > 1 ? zReports_.Size() - 1 : 0;
  const std::size_t count = std::min<std::size_t>(earlier, sheetColumns > 2 ? sheetColumns - 2 : 0);
  if (count == 0) return;
  const automation::Dispatch& sheet = sheets_[kZReportSheet];
  const auto column = [](std::size_t n) { return static_cast<int>(n); };
  sheet.GetObject("Range", {Variant(CellAddress(1, 3)), Variant(CellAddress(1, column(2 + count)))})
      .Set("ColumnWidth", Variant(std::int32_t{kZReportValueWidth}));
  for (std::size_t done = 0; done < count; done += kColumnsPerCall) {
    const std::size_t columns = std::min(kColumnsPerCall, count - done);
    VariantArray values(kZReportRows, columns);
    for (std::size_t i = 1; i <= columns; ++i) {
      RowFiller column = RowFiller::Down(values, i);
      FillZReport(column, zReports_.Newest(done + i));
    }
    sheet
        .GetObject("Range", {Variant(CellAddress(1, column(3 + done))),
                             Variant(CellAddress(kZReportRows, column(2 + done + columns)))})
        .Set("Value", Variant(std::move(values)));
  }
}

bool ExcelBookWriter::WriteGoodsRow(std::size_t sheet, const char* prefix, std::uint32_t position,
                                    std::uint16_t smenaNum, std::uint16_t checkNum,
                                    std::uint8_t casherNum, TDateTime dateTime,
                                    std::uint32_t packetNum, std::int64_t provCode,
                                    std::int64_t code, std::uint32_t batch, std::uint32_t avail,
                                    std::uint32_t price, const char* cashierName) {
  try {
    RowFiller row = NextRow(sheet, position);
    FillHeader(row, smenaNum, checkNum, casherNum, dateTime, packetNum);
    row << Variant(provCode) << Variant(code) << Variant(batch) << Thousandths(avail)
        << PriceOrDash(price) << Text(cashierName);
    CommitRow(sheet);
  } catch (const std::exception& error) {
    return ShowFailure(prefix, error);
  }
  return true;
}

bool ExcelBookWriter::WriteReceipt(std::uint32_t position, std::uint16_t smenaNum,
                                   std::uint16_t checkNum, std::uint8_t casherNum,
                                   TDateTime dateTime, std::uint32_t packetNum,
                                   std::int64_t provCode, std::int64_t code, std::uint32_t batch,
                                   std::uint32_t avail, std::uint32_t price,
                                   const char* cashierName) {
  return WriteGoodsRow(kReceiptSheet, kReceiptFailed, position, smenaNum, checkNum, casherNum,
                       dateTime, packetNum, provCode, code, batch, avail, price, cashierName);
}

bool ExcelBookWriter::WriteReturn(std::uint32_t position, std::uint16_t smenaNum,
                                  std::uint16_t checkNum, std::uint8_t casherNum,
                                  TDateTime dateTime, std::uint32_t packetNum,
                                  std::int64_t provCode, std::int64_t code, std::uint32_t batch,
                                  std::uint32_t avail, std::uint32_t price,
                                  const char* cashierName) {
  return WriteGoodsRow(kReturnSheet, kReturnFailed, position, smenaNum, checkNum, casherNum,
                       dateTime, packetNum, provCode, code, batch, avail, price, cashierName);
}

bool ExcelBookWriter::WriteCheckSumRow(std::size_t sheet, const char* prefix,
                                       std::uint32_t position, std::uint16_t smenaNum,
                                       std::uint16_t checkNum, std::uint8_t casherNum,
                                       TDateTime dateTime, std::uint32_t packetNum,
                                       std::int64_t total, const std::uint32_t (&sums)[7]) {
  try {
    RowFiller row = NextRow(sheet, position);
    FillHeader(row, smenaNum, checkNum, casherNum, dateTime, packetNum);
    row << Hundredths(total);
    for (const std::uint32_t v : sums) row << Hundredths(v);
    CommitRow(sheet);
  } catch (const std::exception& error) {
    return ShowFailure(prefix, error);
  }
  return true;
}

bool ExcelBookWriter::WriteCheckSumSale(std::uint32_t position, std::uint16_t smenaNum,
                                        std::uint16_t checkNum, std::uint8_t casherNum,
                                        TDateTime dateTime, std::uint32_t packetNum,
                                        std::int64_t total, std::uint32_t sum1, std::uint32_t sum2,
                                        std::uint32_t sum3, std::uint32_t sum4, std::uint32_t sum5,
                                        std::uint32_t sum6, std::uint32_t sum7) {
  const std::uint32_t sums[7] = {sum1, sum2, sum3, sum4, sum5, sum6, sum7};
  return WriteCheckSumRow(kCheckSumSaleSheet, kCheckSumSaleFailed, position, smenaNum, checkNum,
                          casherNum, dateTime, packetNum, total, sums);
}

bool ExcelBookWriter::WriteCheckSumRefund(std::uint32_t position, std::uint16_t smenaNum,
                                          std::uint16_t checkNum, std::uint8_t casherNum,
                                          TDateTime dateTime, std::uint32_t packetNum,
                                          std::int64_t total, std::uint32_t sum1,
                                          std::uint32_t sum2, std::uint32_t sum3,
                                          std::uint32_t sum4, std::uint32_t sum5,
                                          std::uint32_t sum6, std::uint32_t sum7) {
  const std::uint32_t sums[7] = {sum1, sum2, sum3, sum4, sum5, sum6, sum7};
  return WriteCheckSumRow(kCheckSumRefundSheet, kCheckSumRefundFailed, position, smenaNum, checkNum,
                          casherNum, dateTime, packetNum, total, sums);
}

}  // namespace z917::excel_writer
