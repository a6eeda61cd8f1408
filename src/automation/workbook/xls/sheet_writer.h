// One worksheet substream, written row block by row block so that a
// large sheet never sits in memory twice.
#pragma once

#include <cstdint>
#include <functional>

#include "automation/workbook/sheet.h"
#include "automation/workbook/xls/byte_buffer.h"

namespace z917::workbook::xls {

// The COLINFO width of a column `characters` wide, in 1/256 of a digit's
// width with the cell padding included, rounded as Excel rounds it.
std::uint16_t ColumnWidthUnits(double characters);

// Takes the bytes gathered so far away, told how many of the sheet's used
// rows they hold; may throw.
using SheetDrain = std::function<void(ByteBuffer& out, std::uint32_t rowsWritten)>;

// Appends the substream of `sheet` (which must fit the format's limits)
// to `out`: BOF, COLINFO, DIMENSIONS, ROW records and cells in blocks of
// 32 rows, WINDOW2 (selected and shown when `active`), EOF, and answers
// how many used rows it wrote. Calls `drain` between row blocks whenever
// `out` holds over `drainAt` bytes; throws what drain throws.
std::uint32_t WriteSheet(ByteBuffer& out, const Sheet& sheet, bool active, std::size_t drainAt,
                         const SheetDrain& drain);

}  // namespace z917::workbook::xls
