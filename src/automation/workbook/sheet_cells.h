// The cells of one worksheet, kept compact: 12 bytes a cell, rows found
// through a paged directory, so that a sheet of millions of cells costs
// little more than its values.
#pragma once

#include <cstdint>
#include <cstring>
#include <iterator>
#include <memory>
#include <span>
#include <vector>

#include "automation/workbook/number_formats.h"
#include "automation/workbook/text_pool.h"

namespace z917::workbook {

enum class CellKind : std::uint8_t { Blank = 0, Number = 1, Text = 2, Boolean = 3 };

// One cell: its column, its kind, its number format and its value (a
// double, a TextId or a boolean). A Blank cell holds a format only.
class Cell {
 public:
  // A Blank cell in `column` (from 1) with `format`.
  static Cell MakeBlank(std::uint16_t column, FormatId format);

  // What the cell holds; Number, Text and Boolean are meaningful only for
  // a cell of that kind.
  std::uint16_t Column() const { return column_; }
  CellKind Kind() const { return static_cast<CellKind>(style_ >> 14); }
  FormatId Format() const { return static_cast<FormatId>(style_ & kFormatMask); }
  double Number() const;
  TextId Text() const { return lo_; }
  bool Boolean() const { return lo_ != 0; }

  // Change the format, or the value and with it the kind; the column
  // stays.
  void SetFormat(FormatId format) {
    style_ = static_cast<std::uint16_t>((style_ & ~kFormatMask) | format);
  }
  void SetBlank() { SetKind(CellKind::Blank), lo_ = hi_ = 0; }
  void SetNumber(double value);
  void SetText(TextId id) { SetKind(CellKind::Text), lo_ = id, hi_ = 0; }
  void SetBoolean(bool value) { SetKind(CellKind::Boolean), lo_ = value ? 1 : 0, hi_ = 0; }

 private:
  static constexpr std::uint16_t kFormatMask = 0x3FFF;
  void SetKind(CellKind kind) {
    style_ =
        static_cast<std::uint16_t>((style_ & kFormatMask) | (static_cast<unsigned>(kind) << 14));
  }

  // The value's 8 bytes as two halves, so that the cell needs 4-byte
  // alignment only and packs into 12 bytes.
  std::uint32_t lo_ = 0;
  std::uint32_t hi_ = 0;
  std::uint16_t column_ = 0;
  std::uint16_t style_ = 0;  // kind in the top 2 bits, FormatId below
};
static_assert(sizeof(Cell) == 12);

// One row: its own number format (kNoFormat when none) and its cells in
// ascending column order.
class Row {
 public:
  // The cells, the row's own format, and whether it has either.
  std::span<const Cell> Cells() const { return {cells_.get(), size_}; }
  FormatId Format() const { return format_; }
  bool IsUsed() const { return size_ > 0 || format_ != kNoFormat; }

  // Sets the row's own format (kNoFormat removes it); its cells keep theirs.
  void SetFormat(FormatId format) { format_ = format; }
  // The cell in `column`, or null.
  Cell* Find(std::uint16_t column);
  // The cell in `column`, made Blank with `format` when it is new; sets
  // `created` to whether it is.
  Cell& FindOrInsert(std::uint16_t column, FormatId format, bool& created);
  // The cells, to change their formats or values in place.
  std::span<Cell> MutableCells() { return {cells_.get(), size_}; }
  // Makes room for `count` cells when the row has none yet, so that a row
  // written in one go takes one allocation of the right size.
  void ReserveIfEmpty(std::uint16_t count) {
    if (size_ == 0 && count > capacity_) Grow(count);
  }

 private:
  void Grow(std::uint16_t wanted);

  std::unique_ptr<Cell[]> cells_;
  std::uint16_t size_ = 0;
  std::uint16_t capacity_ = 0;
  FormatId format_ = kNoFormat;
};

// What a reader sees of one row.
struct RowView {
  std::uint32_t number;  // from 1
  FormatId format;       // kNoFormat when the row has none of its own
  std::span<const Cell> cells;
};

// The rows of a sheet by number (from 1), in pages of kPageRows rows.
// Rows are created on first use; a page goes only as a whole, when the
// sheet hands it to be kept elsewhere (see PassedRows).
class SheetCells {
 public:
  static constexpr unsigned kPageBits = 10;
  static constexpr std::uint32_t kPageRows = 1u << kPageBits;
  // The page that holds `row` (from 1).
  static std::uint32_t PageOf(std::uint32_t row) { return (row - 1) >> kPageBits; }

  // The row, or null when it was never used.
  Row* Find(std::uint32_t row);
  const Row* Find(std::uint32_t row) const;
  // The row, created when new; `row` must lie within the sheet.
  Row& Get(std::uint32_t row);

  // Visits the used rows in ascending order: rows with cells or a format.
  class Iterator {
   public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = RowView;
    using difference_type = std::ptrdiff_t;
    using pointer = void;
    using reference = RowView;

    Iterator() = default;
    // The row at the iterator; only valid before end().
    RowView operator*() const;
    Iterator& operator++();
    Iterator operator++(int) {
      Iterator before = *this;
      ++*this;
      return before;
    }
    bool operator==(const Iterator& other) const { return index_ == other.index_; }

   private:
    friend class SheetCells;
    Iterator(const SheetCells* cells, std::uint32_t index);
    void SkipUnused();

    const SheetCells* cells_ = nullptr;
    std::uint32_t index_ = 0;  // row number - 1; the end is one past the last page
  };
  // The first used row, and the position after the last page.
  Iterator begin() const;
  Iterator end() const;

  // How many pages there are room for: every used row lies below
  // PageCount() * kPageRows.
  std::uint32_t PageCount() const { return static_cast<std::uint32_t>(pages_.size()); }
  // The kPageRows rows of page `page`, empty when the page holds none.
  std::span<const Row> Page(std::uint32_t page) const;
  // The same, made when missing, to fill in place.
  std::span<Row> MutablePage(std::uint32_t page);
  // The storage of page `page` (below PageCount()), null when it holds
  // none, for handing the page over whole.
  std::unique_ptr<Row[]>& PageSlot(std::uint32_t page) { return pages_[page]; }

 private:
  const Row* Slot(std::uint32_t index) const;

  std::vector<std::unique_ptr<Row[]>> pages_;
};

inline double Cell::Number() const {
  const std::uint64_t bits = (static_cast<std::uint64_t>(hi_) << 32) | lo_;
  double value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

inline void Cell::SetNumber(double value) {
  std::uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  SetKind(CellKind::Number);
  lo_ = static_cast<std::uint32_t>(bits);
  hi_ = static_cast<std::uint32_t>(bits >> 32);
}

inline Cell Cell::MakeBlank(std::uint16_t column, FormatId format) {
  Cell cell;
  cell.column_ = column;
  cell.style_ = format;
  return cell;
}

}  // namespace z917::workbook
