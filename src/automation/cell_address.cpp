#include "automation/cell_address.h"

#include <algorithm>
#include <optional>

#include "automation/automation_error.h"

namespace z917::automation {

namespace {

// One side of an address: a column, a row, or both. A part beyond the
// sheet keeps the value one past its limit, so that it can be told apart
// from text that is no address at all.
struct Corner {
  std::optional<std::uint32_t> column;
  std::optional<std::uint32_t> row;
};

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::optional<Corner> ParseCorner(std::string_view s) {
  Corner corner;
  std::size_t i = 0;
  if (i < s.size() && s[i] == '$') ++i;
  const std::size_t lettersAt = i;
  std::uint32_t column = 0;
  for (; i < s.size() && IsLetter(s[i]); ++i) {
    const auto letter = static_cast<std::uint32_t>((s[i] & ~0x20) - 'A' + 1);
    column = std::min<std::uint32_t>(column * 26 + letter, kMaxColumns + 1);
  }
  if (i > lettersAt) corner.column = column;
  if (i < s.size() && s[i] == '$') {
    if (!corner.column) return std::nullopt;  // "$$1"
    ++i;
  }
  const std::size_t digitsAt = i;
  std::uint32_t row = 0;
  for (; i < s.size() && IsDigit(s[i]); ++i) {
    row = std::min<std::uint32_t>(row * 10 + static_cast<std::uint32_t>(s[i] - '0'), kMaxRows + 1);
  }
  if (i > digitsAt) {
    if (row == 0) return std::nullopt;
    corner.row = row;
  }
  if (i != s.size() || (!corner.column && !corner.row)) return std::nullopt;
  return corner;
}

[[noreturn]] void ThrowNotAnAddress(std::string_view text) {
  throw AutomationError("Неверный адрес ячейки или диапазона «" + std::string(text) + "»");
}

}  // namespace

CellRect ParseAddress(std::string_view text) {
  const std::size_t colon = text.find(':');
  const std::string_view firstText = text.substr(0, colon);
  const std::string_view secondText =
      colon == std::string_view::npos ? firstText : text.substr(colon + 1);
  const auto a = ParseCorner(firstText);
  const auto b = ParseCorner(secondText);
  if (!a || !b) ThrowNotAnAddress(text);
  // Both corners name cells, or both whole columns, or both whole rows;
  // a lone column or row is no address.
  const bool cells = a->column && a->row && b->column && b->row;
  const bool columns = a->column && !a->row && b->column && !b->row;
  const bool rows = !a->column && a->row && !b->column && b->row;
  if (!(cells || ((columns || rows) && colon != std::string_view::npos))) ThrowNotAnAddress(text);

  const std::uint32_t c1 = columns || cells ? *a->column : 1;
  const std::uint32_t c2 = columns || cells ? *b->column : kMaxColumns;
  const std::uint32_t r1 = rows || cells ? *a->row : 1;
  const std::uint32_t r2 = rows || cells ? *b->row : kMaxRows;
  if (std::max(c1, c2) > kMaxColumns || std::max(r1, r2) > kMaxRows) {
    throw AutomationError("Адрес «" + std::string(text) + "» вне листа: в листе " +
                          std::to_string(kMaxRows) + " строк и " + std::to_string(kMaxColumns) +
                          " столбца");
  }
  return {std::min(r1, r2), static_cast<std::uint16_t>(std::min(c1, c2)), std::max(r1, r2),
          static_cast<std::uint16_t>(std::max(c1, c2))};
}

std::vector<CellRect> ParseAreas(std::string_view text) {
  std::vector<CellRect> areas;
  while (true) {
    const std::size_t comma = text.find(',');
    areas.push_back(ParseAddress(text.substr(0, comma)));
    if (comma == std::string_view::npos) return areas;
    text.remove_prefix(comma + 1);
  }
}

std::string ColumnLetters(std::uint32_t column) {
  std::string letters;
  while (column > 0) {
    const std::uint32_t digit = (column - 1) % 26;
    letters.insert(letters.begin(), static_cast<char>('A' + digit));
    column = (column - 1) / 26;
  }
  return letters;
}

std::string CellAddress(std::uint32_t row, int column) {
  return ColumnLetters(static_cast<std::uint32_t>(std::max(column, 1))) + std::to_string(row);
}

std::string ColumnSpan(int first, int last) {
  return ColumnLetters(static_cast<std::uint32_t>(std::max(first, 1))) + ':' +
         ColumnLetters(static_cast<std::uint32_t>(std::max(last, 1)));
}

std::string RowSpan(std::uint32_t first, std::uint32_t last) {
  return std::to_string(first) + ':' + std::to_string(last);
}

std::string FormatAddress(const CellRect& rect) {
  const bool allRows = rect.firstRow == 1 && rect.lastRow == kMaxRows;
  const bool allColumns = rect.firstColumn == 1 && rect.lastColumn == kMaxColumns;
  // Built by appending: GCC 12 warns falsely on "$" + std::string.
  std::string address;
  const auto absolute = [&](std::string_view part) {
    address += '$';
    address += part;
  };
  if (allRows && !allColumns) {
    absolute(ColumnLetters(rect.firstColumn));
    address += ':';
    absolute(ColumnLetters(rect.lastColumn));
  } else if (allColumns) {
    absolute(std::to_string(rect.firstRow));
    address += ':';
    absolute(std::to_string(rect.lastRow));
  } else {
    absolute(ColumnLetters(rect.firstColumn));
    absolute(std::to_string(rect.firstRow));
    if (rect.RowCount() > 1 || rect.ColumnCount() > 1) {
      address += ':';
      absolute(ColumnLetters(rect.lastColumn));
      absolute(std::to_string(rect.lastRow));
    }
  }
  return address;
}

std::string FormatAddress(const std::vector<CellRect>& areas) {
  std::string text;
  for (const CellRect& area : areas) text += (text.empty() ? "" : ",") + FormatAddress(area);
  return text;
}

}  // namespace z917::automation
