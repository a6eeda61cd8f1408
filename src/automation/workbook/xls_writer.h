// The Excel 97-2003 workbook (.xls): a BIFF8 workbook stream in a
// Compound File, written by the engine itself.
#pragma once

#include <string>

#include "automation/workbook/workbook_model.h"
#include "platform/atomic_file.h"

namespace z917::workbook {

// Throws AutomationError, naming the sheet and the limit, when `workbook`
// does not fit an .xls file (see xls/xls_limits.h); writes nothing.
void CheckFitsXls(const WorkbookModel& workbook);

// Writes `workbook`, which CheckFitsXls accepted, into the empty `file`
// as an .xls file: sheet names and order, the active sheet, column widths
// and formats, row formats, every cell with its number format, texts
// through the shared string table. Sheets stream to the file a row block
// at a time; platform::SaveProgress hears how many of the used rows are
// written. Throws AutomationError when the file would pass the format's
// 2 GB, platform::FileError when it cannot be written.
void WriteXls(const WorkbookModel& workbook, platform::AtomicFile& file);

}  // namespace z917::workbook
