// The sizes of an Excel 2007+ workbook that the engine enforces while a
// program fills it, so that every workbook it holds can be saved.
#pragma once

#include <cstddef>
#include <cstdint>

#include "automation/cell_address.h"

namespace z917::workbook {

// The rows and columns of a sheet: the last an address names.
using automation::kMaxColumns;
using automation::kMaxRows;
// Characters (UTF-16 code units) of one cell's text.
inline constexpr std::size_t kMaxCellTextLength = 32767;
// Characters of a sheet name.
inline constexpr std::size_t kMaxSheetNameLength = 31;
// Characters of a number format code.
inline constexpr std::size_t kMaxFormatCodeLength = 255;
// Widest column, in characters.
inline constexpr double kMaxColumnWidth = 255;
// Sheets one Worksheets.Add may insert: enough for any layout, and a bound
// on the work one call can ask for.
inline constexpr std::int64_t kMaxSheetsAddedAtOnce = 255;
// Cells one NumberFormat assignment may create or touch one by one; far
// above what a program formats cell by cell, far below exhausting memory.
inline constexpr std::size_t kMaxCellsFormattedAtOnce = std::size_t{1} << 22;

}  // namespace z917::workbook
