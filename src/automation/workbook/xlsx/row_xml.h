// The rows of a worksheet as its sheetData holds them, written fast and
// read back exactly: texts as shared-string indices (the TextIds of the
// workbook's TextPool), number formats as style indices (FormatIds, the
// styles part keeping one cell format per FormatId, in order).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "automation/workbook/sheet_cells.h"

namespace z917::workbook::xlsx {

// Appends the <row> element of row `number` (from 1) holding `row`'s format
// and cells, each cell with its reference; appends nothing for an unused
// row. Returns how many of its cells hold a text. Never throws but
// std::bad_alloc.
std::uint32_t AppendRowXml(std::string& out, std::uint32_t number, const Row& row);

// Appends the XML of the used rows of `rows`, the first being row
// `firstRow`; returns how many of their cells hold a text.
std::uint64_t AppendPageXml(std::string& out, std::uint32_t firstRow, std::span<const Row> rows);

// Puts the rows of `xml`, which AppendRowXml wrote for rows `firstRow`
// onwards, back into `rows` (rows[0] is row `firstRow`; all unused).
// Throws AutomationError for anything AppendRowXml does not write.
void ReadRowsXml(std::string_view xml, std::uint32_t firstRow, std::span<Row> rows);

}  // namespace z917::workbook::xlsx
