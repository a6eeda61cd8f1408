// What an Excel 97-2003 workbook can hold, checked before a file is made
// so that a workbook beyond it fails whole instead of being cut short.
#pragma once

#include <cstddef>
#include <cstdint>

#include "automation/workbook/workbook_model.h"
#include "automation/xls_sheet_limits.h"

namespace z917::workbook::xls {

using automation::kXlsMaxRows;
inline constexpr std::uint32_t kXlsMaxColumns = 256;
// UTF-16 code units of one cell's text.
inline constexpr std::size_t kXlsMaxTextLength = 32767;
// Number formats, each one cell format (Excel 97-2003 keeps about 4,000).
inline constexpr std::size_t kXlsMaxFormats = 4000;

// Throws AutomationError naming the sheet and the limit when a sheet uses
// a row or column past the format's last, when a cell's text is longer
// than the format holds, or when the workbook has too many formats.
void CheckXlsLimits(const WorkbookModel& workbook);

}  // namespace z917::workbook::xls
