// What each entry kind's row holds: its sheet, its cells in order and the
// values they take. The captions, widths and number formats of those cells
// are the sheets' layout (workbook_layout.h); how rows reach the server is
// the transport's (row_transport.h).
#pragma once

#include <cstddef>

#include "excel_writer/row_filler.h"
#include "excel_writer/workbook_layout.h"
#include "excel_writer/z_report_history.h"
#include "journal/grouped_entry_writer.h"

namespace z917::excel_writer {

// The header's date: column D of a row sheet, row 4 of the Z-report's.
inline constexpr std::size_t kDateCell = 4;

// The sheet the rows of `kind` go to; never fails.
SheetIndex SheetOf(journal::EntryKind kind);
// What the failure message of a write to `sheet` starts with.
const char* SheetFailedText(std::size_t sheet);

// Each fills one row of its kind's sheet, after the five header cells;
// throws what the buffer throws. Money shows in units, quantities in
// units of a thousand, coded values as the words of entry_texts.h.
void FillSalesRow(RowFiller& row, const journal::EntryHeader& header,
                  const journal::SalesItem& item);
void FillCashRow(RowFiller& row, journal::EntryKind kind, const journal::EntryHeader& header,
                 const journal::CashMovement& cash);
void FillGoodsRow(RowFiller& row, const journal::EntryHeader& header,
                  const journal::GoodsItem& item);
void FillCheckSumRow(RowFiller& row, const journal::EntryHeader& header,
                     const journal::CheckSumTotals& totals);
// The 30 values of `report` down the filler's column.
void FillZReport(RowFiller& column, const ZReportValues& report);

}  // namespace z917::excel_writer
