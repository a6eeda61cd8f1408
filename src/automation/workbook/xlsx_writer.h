// The Office Open XML workbook (.xlsx), written with libxlsxwriter where
// the build has it; a build without it refuses .xlsx saves.
#pragma once

#include <string>

#include "automation/workbook/workbook_model.h"

namespace z917::workbook {

// Whether this build writes .xlsx files at all.
bool CanWriteXlsx();

// Throws AutomationError, before any file is made, when this build cannot
// write `workbook` as an .xlsx file; the message tells the user to save
// as .xls instead.
void CheckFitsXlsx(const WorkbookModel& workbook);

// Writes `workbook` to `path` as an .xlsx file: sheet names and order, the
// active sheet, column widths and formats, row formats, every cell with
// its number format. Rows stream through libxlsxwriter's constant-memory
// mode, its scratch files in `scratchFolder`. Throws AutomationError with
// libxlsxwriter's reason on failure.
void WriteXlsx(const WorkbookModel& workbook, const std::string& path,
               const std::string& scratchFolder);

}  // namespace z917::workbook
