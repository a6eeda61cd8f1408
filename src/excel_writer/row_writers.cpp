// The writer's entry operations, assembled from the rows' contents
// (row_contents.h) and their transport (row_transport.h): each entry fills
// the next row of its sheet's block, which the transport hands over in
// its own time. A Z-report goes to column B of its sheet instead, the
// earlier ones beside it at the save.
#include <algorithm>
#include <exception>
#include <utility>

#include "automation/automation_error.h"
#include "automation/cell_address.h"
#include "excel_writer/excel_book_writer.h"
#include "excel_writer/row_contents.h"
#include "excel_writer/row_transport.h"
#include "journal/entry_texts.h"

namespace z917::excel_writer {

using automation::AutomationError;
using automation::CellAddress;
using automation::Variant;
using automation::VariantArray;

template <typename Fill>
bool ExcelBookWriter::WriteRow(journal::EntryKind kind, const journal::EntryHeader& header,
                               Fill&& fill) {
  const std::size_t sheet = SheetOf(kind);
  try {
    if (header.position > rowLimit_) {
      throw AutomationError(RowPastLimitText(WorkbookLayout()[sheet].name, rowLimit_));
    }
    RowFiller row = transport_->NextRow(sheet, header.position);
    fill(row);
    KeepEarlyDate(row.Cell(kDateCell), sheet, header.position, kDateCell);
    transport_->CommitRow(sheet);
    lastRows_[sheet] = std::max(lastRows_[sheet], header.position);
  } catch (const std::exception& error) {
    return ShowFailure(journal::EntryFailedText(kind), error);
  }
  return true;
}

bool ExcelBookWriter::WriteSalesEntry(journal::EntryKind kind, const journal::EntryHeader& header,
                                      const journal::SalesItem& item) {
  return WriteRow(kind, header, [&](RowFiller& row) { FillSalesRow(row, header, item); });
}

bool ExcelBookWriter::WriteCashEntry(journal::EntryKind kind, const journal::EntryHeader& header,
                                     const journal::CashMovement& cash) {
  return WriteRow(kind, header, [&](RowFiller& row) { FillCashRow(row, kind, header, cash); });
}

bool ExcelBookWriter::WriteGoodsEntry(journal::EntryKind kind, const journal::EntryHeader& header,
                                      const journal::GoodsItem& item) {
  return WriteRow(kind, header, [&](RowFiller& row) { FillGoodsRow(row, header, item); });
}

bool ExcelBookWriter::WriteCheckSumEntry(journal::EntryKind kind,
                                         const journal::EntryHeader& header,
                                         const journal::CheckSumTotals& totals) {
  return WriteRow(kind, header, [&](RowFiller& row) { FillCheckSumRow(row, header, totals); });
}

bool ExcelBookWriter::WriteZReportEntry(const journal::EntryHeader& header,
                                        const journal::ZReportTotals& totals,
                                        const char* cashierName) {
  ZReportValues report{header, totals, cashierName};
  // Column B shows the journal's last Z-report, the earlier ones get their
  // columns at the save. Rows in blocks hold it back to the save as well:
  // a journal has a Z-report a shift, and each would cost two calls.
  try {
    RowFiller column = RowFiller::Down(buffers_[kZReportSheet].AsArray(), 1);
    FillZReport(column, report);
    zReportPending_ = true;
    if (!transport_->HoldsRows()) FlushZReport();
  } catch (const std::exception& error) {
    return ShowFailure(journal::EntryFailedText(journal::EntryKind::ZReport), error);
  }
  zReports_.Add(std::move(report));
  return true;
}

// Where Excel and the day count part: 1900-03-01, past the 29 February
// that Excel counts and the calendar does not.
constexpr double kFirstSharedDay = 61;

void ExcelBookWriter::KeepEarlyDate(Variant& cell, std::size_t sheet, std::uint32_t row,
                                    int column) {
  if (!transport_->Batched() || cell.Kind() != automation::VariantKind::Date ||
      cell.AsDate() >= kFirstSharedDay) {
    return;
  }
  cell = Variant(cell.AsDate());
  sheets_[sheet]
      .GetObject("Range", {Variant(CellAddress(row, column))})
      .Set("NumberFormat", Variant(kDateTimeFormat));
}

void ExcelBookWriter::FlushZReport() {
  if (!std::exchange(zReportPending_, false)) return;
  KeepEarlyDate(buffers_[kZReportSheet].AsArray().At(kDateCell, 1), kZReportSheet, kDateCell, 2);
  AssignBuffer(kZReportSheet, CellAddress(1, 2), CellAddress(kZReportRows, 2));
}

bool ExcelBookWriter::FlushAllRows() {
  for (std::size_t sheet = 0; sheet < kSheetCount; ++sheet) {
    try {
      if (sheet == kZReportSheet) {
        FlushZReport();
      } else {
        transport_->FlushRows(sheet);
      }
    } catch (const std::exception& error) {
      return ShowFailure(SheetFailedText(sheet), error);
    }
  }
  return true;
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
      RowFiller cells = RowFiller::Down(values, i);
      FillZReport(cells, zReports_.Newest(done + i));
      KeepEarlyDate(cells.Cell(kDateCell), kZReportSheet, kDateCell, column(2 + done + i));
    }
    sheet
        .GetObject("Range", {Variant(CellAddress(1, column(3 + done))),
                             Variant(CellAddress(kZReportRows, column(2 + done + columns)))})
        .Set("Value", Variant(std::move(values)));
  }
}

}  // namespace z917::excel_writer
