// The Office Open XML workbook (.xlsx), written by the engine itself: the
// package's parts in a zip of our own, the worksheets' rows deflated as
// writing passes them (see xlsx/streamed_rows.h).
#pragma once

#include <memory>

#include "automation/workbook/passed_rows.h"
#include "automation/workbook/workbook_model.h"
#include "platform/atomic_file.h"

namespace z917::workbook {

// A keeper for the rows a workbook's writing passes, holding them as the
// .xlsx saver writes them. Throws std::bad_alloc only.
std::unique_ptr<PassedRows> MakeXlsxRowKeeper();

// Accepts every workbook the engine holds: its limits are the format's.
void CheckFitsXlsx(WorkbookModel& workbook);

// Writes `workbook` into the empty `file` as an .xlsx file: sheet names
// and order, the active sheet, column widths and formats, row formats,
// every cell with its number format, texts through the shared strings
// part. The document's times, and every zip entry's, are the moment of
// the save, or SOURCE_DATE_EPOCH when set, so that a workbook gives the
// same bytes on every system. Reports its progress to
// platform::SaveProgress. Throws platform::FileError when the file cannot
// be written, platform::FileCancelled when a stop was asked for,
// AutomationError or std::bad_alloc otherwise.
void WriteXlsx(WorkbookModel& workbook, platform::AtomicFile& file);

}  // namespace z917::workbook
