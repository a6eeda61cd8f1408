// The Excel 97-2003 workbook (.xls): a BIFF8 workbook stream in a
// Compound File, written by the engine itself.
#pragma once

#include <string>

#include "automation/workbook/workbook_model.h"

namespace z917::workbook {

// Throws AutomationError, naming the sheet and the limit, when `workbook`
// does not fit an .xls file (see xls/xls_limits.h); writes nothing.
void CheckFitsXls(const WorkbookModel& workbook);

// Writes `workbook`, which CheckFitsXls accepted, to `path` as an .xls
// file: sheet names and order, the active sheet, column widths and
// formats, row formats, every cell with its number format, texts through
// the shared string table. Sheets stream to the file a row block at a
// time. `scratchFolder` is unused. Throws AutomationError when the file
// cannot be written or would pass the format's 2 GB.
void WriteXls(const WorkbookModel& workbook, const std::string& path,
              const std::string& scratchFolder);

}  // namespace z917::workbook
