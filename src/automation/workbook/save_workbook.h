// SaveAs: picks the writer for the file format and puts the file in place
// only once it is complete.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "automation/workbook/workbook_model.h"
#include "platform/atomic_file.h"

namespace z917::workbook {

// Excel's FileFormat codes the engine knows.
inline constexpr std::int64_t kOpenXmlWorkbook = 51;  // .xlsx
inline constexpr std::int64_t kExcel8Workbook = 56;   // .xls, Excel 97-2003

// Writes the whole workbook into `file`, which the caller created empty
// and will put in place; throws AutomationError or platform::FileError.
// May take back rows the sheets passed on (Sheet::MakeAllLive).
using WorkbookWriter = void (*)(WorkbookModel& workbook, platform::AtomicFile& file);
// Throws AutomationError when the workbook cannot be saved in the format
// at all, before any file is made; may take back passed rows as well.
using WorkbookCheck = void (*)(WorkbookModel& workbook);

// How to save in one file format.
struct WorkbookSaver {
  WorkbookCheck checkFits;
  WorkbookWriter write;
};

// The saver of `fileFormat` (none: the Open XML workbook, Excel 16's
// default); throws AutomationError for a format the engine cannot write.
WorkbookSaver SaverFor(std::optional<std::int64_t> fileFormat);

// Saves `workbook` to `path` in `fileFormat` (the Open XML workbook when
// none, Excel 16's default), once it is known to fit the format, through a
// platform::AtomicFile: the file appears at `path` only when complete; an
// existing file is replaced only when `replaceExisting`. Throws AutomationError with the file's
// message on failure (also when a stop was asked for); `path` is then as
// it was and nothing is left behind.
void SaveWorkbook(WorkbookModel& workbook, const std::string& path,
                  std::optional<std::int64_t> fileFormat, bool replaceExisting);

}  // namespace z917::workbook
