// A1-style addresses of cells and ranges, as Range takes them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "automation/workbook/sheet.h"

namespace z917::workbook {

// The rectangle an address names: one cell ("B2", "$B$2"), a rectangle
// ("A1:O1", corners in any order), whole columns ("A:C") or whole rows
// ("1:3"); letters in either case. Throws AutomationError for text that is
// not an address, and for one beyond the 1,048,576 rows and 16,384 columns
// of a sheet.
CellRect ParseAddress(std::string_view text);

// The rectangles of a union of addresses joined by commas ("A:C,E:H,J:J"),
// as Range takes them whatever the language of the system; one address
// gives one rectangle. Throws as ParseAddress for any of them, and for an
// empty one.
std::vector<CellRect> ParseAreas(std::string_view text);

// The letters of a column counted from 1: A, Z, AA, XFD.
std::string ColumnLetters(std::uint32_t column);

// The absolute address of a rectangle, as Excel's Address gives it:
// "$A$1", "$A$1:$O$1", "$A:$A", "$1:$30".
std::string FormatAddress(const CellRect& rect);
// The addresses of `areas` joined by commas, as Excel's Address gives a
// union's: "$A:$C,$E:$H".
std::string FormatAddress(const std::vector<CellRect>& areas);

}  // namespace z917::workbook
