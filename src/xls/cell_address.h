// A1-style cell addresses for range arguments.
#pragma once

#include <cstdint>
#include <string>

namespace z917::xls {

// The address of the cell at `row` and `column`, both counted from 1:
// columns 1..26 are A..Z, 27..52 AA..AZ (and on, as a spreadsheet counts),
// the row number follows. A column below 1 gives column A.
std::string CellAddress(std::uint32_t row, int column);

}  // namespace z917::xls
