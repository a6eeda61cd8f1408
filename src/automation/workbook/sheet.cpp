#include "automation/workbook/sheet.h"

#include <algorithm>

#include "automation/automation_error.h"
#include "automation/workbook/limits.h"

namespace z917::workbook {

namespace {

void CheckFormattedCellCount(std::size_t count) {
  if (count > kMaxCellsFormattedAtOnce) {
    throw automation::AutomationError(
        "Диапазон слишком велик, чтобы задать формат каждой его ячейке (" + std::to_string(count) +
        " ячеек, не больше " + std::to_string(kMaxCellsFormattedAtOnce) + ")");
  }
}

}  // namespace

ColumnInfo& Sheet::Column(std::uint16_t column) {
  if (column > columns_.size()) columns_.resize(column);
  return columns_[column - 1];
}

FormatId Sheet::InheritedFormat(const Row& row, std::uint16_t column) const {
  if (row.Format() != kNoFormat) return row.Format();
  if (column <= columns_.size() && columns_[column - 1].format != kNoFormat) {
    return columns_[column - 1].format;
  }
  return kGeneralFormat;
}

void Sheet::NoteCell(std::uint32_t row, std::uint16_t column) {
  if (lastRow_ == 0) {
    firstRow_ = lastRow_ = row;
    firstColumn_ = lastColumn_ = column;
    return;
  }
  firstRow_ = std::min(firstRow_, row);
  lastRow_ = std::max(lastRow_, row);
  firstColumn_ = std::min(firstColumn_, column);
  lastColumn_ = std::max(lastColumn_, column);
}

Row& Sheet::RowForWriting(std::uint32_t row) {
  constexpr std::uint32_t kMostPagesKept = 64;
  const std::uint32_t page = SheetCells::PageOf(row);
  if (IsPassed(page)) {
    MakeLive(page, page + 1);
    keepPages_ = std::min(std::max(keepPages_ * 2, 1u), kMostPagesKept);
  }
  if (passed_ && page >= pagesHeld_) {
    while (nextPass_ + keepPages_ < page) {
      PassPage(nextPass_);
      ++nextPass_;
    }
  }
  return cells_.Get(row);
}

void Sheet::PassPage(std::uint32_t page) {
  if (page >= cells_.PageCount() || !cells_.PageSlot(page)) return;
  passed_->Keep(*this, page, cells_.PageSlot(page));
  if (passedPages_.size() <= page) passedPages_.resize(page + 1);
  passedPages_[page] = true;
}

void Sheet::MakeLive(std::uint32_t first, std::uint32_t end) {
  end = std::min(end, static_cast<std::uint32_t>(passedPages_.size()));
  for (std::uint32_t page = first; page < end; ++page) {
    if (!passedPages_[page]) continue;
    passed_->GiveBack(*this, page, cells_.MutablePage(page));
    passedPages_[page] = false;
    // Passed on again once writing is far enough below it.
    nextPass_ = std::min(nextPass_, page);
  }
}

void Sheet::SetColumnWidth(std::uint16_t first, std::uint16_t last, double width) {
  Column(last);
  for (std::uint32_t c = first; c <= last; ++c) columns_[c - 1].width = width;
}

void Sheet::SetNumberFormat(const CellRect& rect, FormatId format) {
  const bool allRows = rect.firstRow == 1 && rect.lastRow == kMaxRows;
  const bool allColumns = rect.firstColumn == 1 && rect.lastColumn == kMaxColumns;
  if (allRows) {
    MakeAllLive();  // every row may have cells in the columns
  } else {
    MakeLive(SheetCells::PageOf(rect.firstRow), SheetCells::PageOf(rect.lastRow) + 1);
  }
  if (allRows && allColumns) {
    // The whole sheet: every column and every formatted row takes the
    // format, so no cell is left to inherit anything else.
    for (const RowView view : cells_) {
      Row& row = *cells_.Find(view.number);
      if (row.Format() != kNoFormat) row.SetFormat(format);
      for (Cell& cell : row.MutableCells()) cell.SetFormat(format);
    }
    Column(kMaxColumns);
    for (ColumnInfo& column : columns_) column.format = format;
  } else if (allRows) {
    FormatColumns(rect.firstColumn, rect.lastColumn, format);
  } else if (allColumns) {
    FormatRows(rect.firstRow, rect.lastRow, format);
  } else {
    FormatCells(rect, format);
  }
}

void Sheet::FormatColumns(std::uint16_t first, std::uint16_t last, FormatId format) {
  // Where a formatted row crosses the columns Excel gives the crossing
  // cells the column's format, so that the row's format no longer applies
  // there; count those cells before changing anything.
  std::size_t crossings = 0;
  for (const RowView view : cells_) {
    if (view.format != kNoFormat) crossings += last - first + 1u;
  }
  CheckFormattedCellCount(crossings);

  Column(last);
  for (std::uint32_t c = first; c <= last; ++c) columns_[c - 1].format = format;
  for (const RowView view : cells_) {
    Row& row = *cells_.Find(view.number);
    if (row.Format() != kNoFormat) {
      for (std::uint32_t c = first; c <= last; ++c) {
        bool created;
        row.FindOrInsert(static_cast<std::uint16_t>(c), format, created).SetFormat(format);
        if (created) NoteCell(view.number, static_cast<std::uint16_t>(c));
      }
      continue;
    }
    for (Cell& cell : row.MutableCells()) {
      if (cell.Column() >= first && cell.Column() <= last) cell.SetFormat(format);
    }
  }
}

void Sheet::FormatRows(std::uint32_t first, std::uint32_t last, FormatId format) {
  for (std::uint32_t r = first; r <= last; ++r) {
    Row& row = cells_.Get(r);
    row.SetFormat(format);
    for (Cell& cell : row.MutableCells()) cell.SetFormat(format);
  }
}

void Sheet::FormatCells(const CellRect& rect, FormatId format) {
  CheckFormattedCellCount(static_cast<std::size_t>(rect.RowCount()) * rect.ColumnCount());
  for (std::uint32_t r = rect.firstRow; r <= rect.lastRow; ++r) {
    Row& row = cells_.Get(r);
    row.ReserveIfEmpty(static_cast<std::uint16_t>(rect.ColumnCount()));
    for (std::uint32_t c = rect.firstColumn; c <= rect.lastColumn; ++c) {
      bool created;
      row.FindOrInsert(static_cast<std::uint16_t>(c), format, created).SetFormat(format);
      if (created) NoteCell(r, static_cast<std::uint16_t>(c));
    }
  }
}

Sheet::RowWriter::RowWriter(Sheet& sheet, std::uint32_t row, std::uint16_t cellsAhead)
    : sheet_(sheet), row_(sheet.RowForWriting(row)), number_(row) {
  // A row written in parts (runs of columns, one assignment each) most
  // likely grows as wide as the rows before it: room for that at once
  // spares a reallocation per part. Capped, so that one far cell does not
  // make every sparse row wide.
  constexpr std::uint16_t kMostCellsAhead = 64;
  const std::uint16_t usedWidth =
      sheet.lastRow_ == 0 ? 0
                          : static_cast<std::uint16_t>(sheet.lastColumn_ - sheet.firstColumn_ + 1);
  row_.ReserveIfEmpty(std::max(cellsAhead, std::min(usedWidth, kMostCellsAhead)));
}

Cell& Sheet::RowWriter::At(std::uint16_t column) {
  bool created;
  Cell& cell = row_.FindOrInsert(column, sheet_.InheritedFormat(row_, column), created);
  if (created) sheet_.NoteCell(number_, column);
  return cell;
}

void Sheet::RowWriter::Number(std::uint16_t column, double value) { At(column).SetNumber(value); }

void Sheet::RowWriter::Date(std::uint16_t column, double value) {
  Cell& cell = At(column);
  cell.SetNumber(value);
  if (cell.Format() == kGeneralFormat) cell.SetFormat(kDateTimeFormat);
}

void Sheet::RowWriter::Text(std::uint16_t column, TextId text) { At(column).SetText(text); }

void Sheet::RowWriter::Boolean(std::uint16_t column, bool value) { At(column).SetBoolean(value); }

void Sheet::RowWriter::Clear(std::uint16_t column) {
  if (Cell* cell = row_.Find(column)) cell->SetBlank();
}

}  // namespace z917::workbook
