#include "excel_writer/cell_address.h"

#include <algorithm>

namespace z917::excel_writer {

namespace {

std::string ColumnLetters(int column) {
  std::string letters;
  for (int n = std::max(column, 1); n > 0; n = (n - 1) / 26) {
    letters += static_cast<char>('A' + (n - 1) % 26);
  }
  std::reverse(letters.begin(), letters.end());
  return letters;
}

}  // namespace

std::string CellAddress(std::uint32_t row, int column) {
  return ColumnLetters(column) + std::to_string(row);
}

std::string ColumnSpan(int first, int last) {
  return ColumnLetters(first) + ':' + ColumnLetters(last);
}

std::string RowSpan(std::uint32_t first, std::uint32_t last) {
  return std::to_string(first) + ':' + std::to_string(last);
}

}  // namespace z917::excel_writer
