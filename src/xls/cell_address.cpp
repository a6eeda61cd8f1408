#include "xls/cell_address.h"

#include <algorithm>

namespace z917::xls {

std::string CellAddress(std::uint32_t row, int column) {
  std::string letters;
  for (int n = std::max(column, 1); n > 0; n = (n - 1) / 26) {
    letters += static_cast<char>('A' + (n - 1) % 26);
  }
  std::reverse(letters.begin(), letters.end());
  return letters + std::to_string(row);
}

}  // namespace z917::xls
