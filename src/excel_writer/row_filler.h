// The cursor that entry rows are written through: whatever holds the cells
// (a block of rows on its way to the server, the Z-report column), the
// values go in one after another.
#pragma once

#include <cstddef>
#include <utility>

#include "automation/variant.h"

namespace z917::excel_writer {

// Fills a buffer cell by cell in order: along one row, or down one column.
class RowFiller {
 public:
  // Along `row` of `buffer`.
  static RowFiller Along(automation::VariantArray& buffer, std::size_t row) {
    return {buffer, row, 0};
  }
  // Down `column` of `buffer`.
  static RowFiller Down(automation::VariantArray& buffer, std::size_t column) {
    return {buffer, 0, column};
  }

  // The `n`-th cell (from 1) of its row or column.
  automation::Variant& Cell(std::size_t n) {
    return column_ == 0 ? buffer_.At(row_, n) : buffer_.At(n, column_);
  }

  // Puts `value` in the next cell; the buffer must have room for it.
  RowFiller& operator<<(automation::Variant value) {
    ++next_;
    automation::Variant& cell = column_ == 0 ? buffer_.At(row_, next_) : buffer_.At(next_, column_);
    cell = std::move(value);
    return *this;
  }

 private:
  RowFiller(automation::VariantArray& buffer, std::size_t row, std::size_t column)
      : buffer_(buffer), row_(row), column_(column) {}

  automation::VariantArray& buffer_;
  std::size_t row_;     // 0: down column_
  std::size_t column_;  // 0: along row_
  std::size_t next_ = 0;
};

}  // namespace z917::excel_writer
