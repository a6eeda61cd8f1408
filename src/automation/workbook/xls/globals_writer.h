// The workbook globals substream: what the whole workbook shares, ahead
// of the sheets in the workbook stream.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "automation/workbook/workbook_model.h"
#include "automation/workbook/xls/byte_buffer.h"
#include "automation/workbook/xls/styles.h"

namespace z917::workbook::xls {

// Appends the globals to `out`, which must start the workbook stream:
// BOF, CODEPAGE (UTF-16), WINDOW1 with the active sheet, DATEMODE (1900),
// FONT, FORMAT, XF, STYLE, one BOUNDSHEET per sheet, the SST of every
// text of the workbook (`textCells` cells refer to it) and EOF. Returns
// where each BOUNDSHEET holds its sheet's stream offset, for the caller to
// fill in once the sheets are written. Throws std::bad_alloc only.
std::vector<std::size_t> WriteGlobals(ByteBuffer& out, const WorkbookModel& workbook,
                                      const XlsStyles& styles, std::uint32_t textCells);

// Appends the BOF record that starts a substream: the globals (0x0005)
// or a worksheet (0x0010).
void WriteBof(RecordWriter& records, std::uint16_t substreamType);

}  // namespace z917::workbook::xls
