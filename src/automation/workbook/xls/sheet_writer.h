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

// Appends the substream of `sheet` (which must fit the format's limits)
// to `out`: BOF, COLINFO, DIMENSIONS, ROW records and cells in blocks of
// 32 rows, WINDOW2 (selected and shown when `active`), EOF. Calls
// `drain(out)` between row blocks whenever `out` holds over `drainAt`
// bytes; drain takes the bytes away and may throw.
void WriteSheet(ByteBuffer& out, const Sheet& sheet, bool active, std::size_t drainAt,
                const std::function<void(ByteBuffer&)>& drain);

}  // namespace z917::workbook::xls
