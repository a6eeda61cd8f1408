#include "automation/workbook/sheet_cells.h"

#include <algorithm>

#include "automation/workbook/limits.h"

namespace z917::workbook {

Cell* Row::Find(std::uint16_t column) {
  Cell* first = cells_.get();
  Cell* last = first + size_;
  Cell* it = std::lower_bound(first, last, column,
                              [](const Cell& c, std::uint16_t col) { return c.Column() < col; });
  return it != last && it->Column() == column ? it : nullptr;
}

Cell& Row::FindOrInsert(std::uint16_t column, FormatId format, bool& created) {
  created = false;
  // Rows are nearly always written left to right: appending is the path
  // that must be quick.
  if (size_ == 0 || cells_[size_ - 1].Column() < column) {
    if (size_ == capacity_) Grow(static_cast<std::uint16_t>(size_ + 1));
    cells_[size_] = Cell::MakeBlank(column, format);
    created = true;
    return cells_[size_++];
  }
  Cell* first = cells_.get();
  Cell* last = first + size_;
  Cell* it = std::lower_bound(first, last, column,
                              [](const Cell& c, std::uint16_t col) { return c.Column() < col; });
  if (it->Column() == column) return *it;
  const auto at = static_cast<std::size_t>(it - first);
  if (size_ == capacity_) Grow(static_cast<std::uint16_t>(size_ + 1));
  std::move_backward(cells_.get() + at, cells_.get() + size_, cells_.get() + size_ + 1);
  cells_[at] = Cell::MakeBlank(column, format);
  ++size_;
  created = true;
  return cells_[at];
}

void Row::Grow(std::uint16_t wanted) {
  std::size_t capacity = std::max<std::size_t>(wanted, capacity_ + capacity_ / 2);
  capacity = std::min<std::size_t>(capacity, kMaxColumns);
  auto cells = std::make_unique_for_overwrite<Cell[]>(capacity);
  std::copy(cells_.get(), cells_.get() + size_, cells.get());
  cells_ = std::move(cells);
  capacity_ = static_cast<std::uint16_t>(capacity);
}

Row* SheetCells::Find(std::uint32_t row) {
  return const_cast<Row*>(static_cast<const SheetCells*>(this)->Find(row));
}

const Row* SheetCells::Find(std::uint32_t row) const {
  const Row* slot = Slot(row - 1);
  return slot && slot->IsUsed() ? slot : nullptr;
}

const Row* SheetCells::Slot(std::uint32_t index) const {
  const std::uint32_t page = index >> kPageBits;
  if (page >= pages_.size() || !pages_[page]) return nullptr;
  return &pages_[page][index & (kPageRows - 1)];
}

Row& SheetCells::Get(std::uint32_t row) {
  const std::uint32_t index = row - 1;
  const std::uint32_t page = index >> kPageBits;
  if (page >= pages_.size()) pages_.resize(page + 1);
  if (!pages_[page]) pages_[page] = std::make_unique<Row[]>(kPageRows);
  return pages_[page][index & (kPageRows - 1)];
}

std::span<const Row> SheetCells::Page(std::uint32_t page) const {
  if (page >= pages_.size() || !pages_[page]) return {};
  return {pages_[page].get(), kPageRows};
}

std::span<Row> SheetCells::MutablePage(std::uint32_t page) {
  return {&Get((page << kPageBits) + 1), kPageRows};
}

SheetCells::Iterator::Iterator(const SheetCells* cells, std::uint32_t index)
    : cells_(cells), index_(index) {
  SkipUnused();
}

void SheetCells::Iterator::SkipUnused() {
  const auto end = static_cast<std::uint32_t>(cells_->pages_.size() << kPageBits);
  while (index_ < end) {
    const auto& page = cells_->pages_[index_ >> kPageBits];
    if (!page) {
      index_ = ((index_ >> kPageBits) + 1) << kPageBits;
      continue;
    }
    if (page[index_ & (kPageRows - 1)].IsUsed()) return;
    ++index_;
  }
  index_ = end;
}

RowView SheetCells::Iterator::operator*() const {
  const Row& row = *cells_->Slot(index_);
  return {index_ + 1, row.Format(), row.Cells()};
}

SheetCells::Iterator& SheetCells::Iterator::operator++() {
  ++index_;
  SkipUnused();
  return *this;
}

SheetCells::Iterator SheetCells::begin() const { return Iterator(this, 0); }

SheetCells::Iterator SheetCells::end() const {
  return Iterator(this, static_cast<std::uint32_t>(pages_.size() << kPageBits));
}

}  // namespace z917::workbook
