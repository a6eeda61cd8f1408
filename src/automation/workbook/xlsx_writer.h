// The Office Open XML workbook (.xlsx), written with libxlsxwriter where
// the build has it; a build without it refuses .xlsx saves.
#pragma once

#include <string>

#include "automation/workbook/workbook_model.h"
#include "platform/atomic_file.h"

namespace z917::workbook {

// Whether this build writes .xlsx files at all.
bool CanWriteXlsx();

// Throws AutomationError, before any file is made, when this build cannot
// write `workbook` as an .xlsx file; the message tells the user to save
// as .xls instead.
void CheckFitsXlsx(const WorkbookModel& workbook);

// Writes `workbook` into the empty `file` as an .xlsx file: sheet names
// and order, the active sheet, column widths and formats, row formats,
// every cell with its number format. Rows stream through libxlsxwriter's
// constant-memory mode, its scratch files (unlinked as soon as made) in
// the target's folder. The library's own diagnostics never reach the
// standard error stream. Throws AutomationError with the reason in
// Russian on failure, platform::FileCancelled when a stop was asked for.
void WriteXlsx(const WorkbookModel& workbook, platform::AtomicFile& file);

}  // namespace z917::workbook
