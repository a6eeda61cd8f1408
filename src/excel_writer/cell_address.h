// A1-style cell addresses for range arguments.
#pragma once

#include <cstdint>
#include <string>

namespace z917::excel_writer {

// The address of the cell at `row` and `column`, both counted from 1:
// columns 1..26 are A..Z, 27..52 AA..AZ (and on, as a spreadsheet counts),
// the row number follows. A column below 1 gives column A.
std::string CellAddress(std::uint32_t row, int column);

// Whole columns `first` to `last` (both from 1) as "A:C"; one column as
// "D:D".
std::string ColumnSpan(int first, int last);

// Whole rows `first` to `last` (both from 1) as "1:3".
std::string RowSpan(std::uint32_t first, std::uint32_t last);

}  // namespace z917::excel_writer
