// A1-style addresses of cells and ranges, as Range takes them: made by a
// client for its calls, read by the engine that answers them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace z917::automation {

// The rows and columns of an Excel 2007+ sheet: the last an address names.
inline constexpr std::uint32_t kMaxRows = 1048576;
inline constexpr std::uint32_t kMaxColumns = 16384;

// A rectangle of cells, rows and columns counted from 1, bounds included.
struct CellRect {
  std::uint32_t firstRow;
  std::uint16_t firstColumn;
  std::uint32_t lastRow;
  std::uint16_t lastColumn;

  std::uint32_t RowCount() const { return lastRow - firstRow + 1; }
  std::uint32_t ColumnCount() const { return lastColumn - firstColumn + 1u; }
  bool operator==(const CellRect&) const = default;
};

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

// The letters of a column counted from 1: A, Z, AA, XFD; none for 0.
std::string ColumnLetters(std::uint32_t column);

// The address of the cell at `row` and `column`, both counted from 1:
// "A1", "AA30". A column below 1 gives column A.
std::string CellAddress(std::uint32_t row, int column);
// Whole columns `first` to `last` (both from 1) as "A:C"; one column as
// "D:D". A column below 1 gives column A.
std::string ColumnSpan(int first, int last);
// Whole rows `first` to `last` (both from 1) as "1:3".
std::string RowSpan(std::uint32_t first, std::uint32_t last);

// The absolute address of a rectangle, as Excel's Address gives it:
// "$A$1", "$A$1:$O$1", "$A:$A", "$1:$30".
std::string FormatAddress(const CellRect& rect);
// The addresses of `areas` joined by commas, as Excel's Address gives a
// union's: "$A:$C,$E:$H".
std::string FormatAddress(const std::vector<CellRect>& areas);

}  // namespace z917::automation
