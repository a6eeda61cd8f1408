// A block of rows is assigned to its range once full, when the rows stop
// following each other, and before the save: in a single call, or a long
// block in one call per run of alike columns.
#include "excel_writer/row_transport.h"

#include <algorithm>
#include <utility>

#include "automation/cell_address.h"

namespace z917::excel_writer {

using automation::CellAddress;
using automation::Variant;
using automation::VariantArray;

namespace {

// Rows 1..count of `block` as an array of their own.
VariantArray TopRows(const VariantArray& block, std::size_t count) {
  VariantArray rows(count, block.Columns());
  for (std::size_t r = 1; r <= count; ++r) {
    for (std::size_t c = 1; c <= block.Columns(); ++c) rows.At(r, c) = block.At(r, c);
  }
  return rows;
}

// What a cell holds, as far as its journey to the server goes: cells of
// one kind travel as one typed array.
enum class CellKind { Number, Date, Text, Other };

CellKind KindOf(const Variant& cell) {
  if (cell.IsInteger() || cell.Kind() == automation::VariantKind::Double) return CellKind::Number;
  if (cell.Kind() == automation::VariantKind::Date) return CellKind::Date;
  if (cell.Kind() == automation::VariantKind::Text) return CellKind::Text;
  return CellKind::Other;
}

// The one kind of rows 1..count of `column`, or Other for a mix.
CellKind ColumnKind(const VariantArray& block, std::size_t count, std::size_t column) {
  const CellKind kind = KindOf(block.At(1, column));
  for (std::size_t r = 2; r <= count; ++r) {
    if (KindOf(block.At(r, column)) != kind) return CellKind::Other;
  }
  return kind;
}

// Neighbouring columns first..last whose cells are of one kind.
struct ColumnRun {
  std::size_t first;
  std::size_t last;
};

std::vector<ColumnRun> ColumnRuns(const VariantArray& block, std::size_t count) {
  std::vector<ColumnRun> runs;
  CellKind runKind = CellKind::Other;
  for (std::size_t c = 1; c <= block.Columns(); ++c) {
    const CellKind kind = ColumnKind(block, count, c);
    if (runs.empty() || kind != runKind) {
      runs.push_back({c, c});
      runKind = kind;
    } else {
      runs.back().last = c;
    }
  }
  return runs;
}

// Moves rows 1..count of columns run.first..run.last of `block` into
// `part`, whose array is kept from the last block when it has the shape:
// a fresh array of megabytes costs a page fault every few kilobytes.
void TakeColumns(VariantArray& block, std::size_t count, ColumnRun run, Variant& part) {
  const std::size_t width = run.last - run.first + 1;
  if (part.Kind() != automation::VariantKind::Array || part.AsArray().Rows() != count ||
      part.AsArray().Columns() != width) {
    part = Variant(VariantArray(count, width));
  }
  VariantArray& cells = part.AsArray();
  for (std::size_t r = 1; r <= count; ++r) {
    for (std::size_t c = run.first; c <= run.last; ++c) {
      cells.At(r, c - run.first + 1) = std::move(block.At(r, c));
    }
  }
}

}  // namespace

RowTransport::RowTransport(std::vector<std::size_t> sheetColumns, std::size_t rowsPerBlock)
    : rowsPerBlock_(std::max<std::size_t>(rowsPerBlock, 1)) {
  for (const std::size_t columns : sheetColumns) sheets_.push_back({{}, columns, {}});
}

void RowTransport::Connect(bool outOfProcess) {
  batched_ = outOfProcess;
  blockRows_ = batched_ ? rowsPerBlock_ : 1;
}

void RowTransport::SetSheet(std::size_t sheet, automation::Dispatch target) {
  sheets_[sheet].target = std::move(target);
}

void RowTransport::Forget() {
  for (SheetRows& sheet : sheets_) {
    sheet.target = automation::Dispatch();
    sheet.pending = PendingRows();
  }
}

RowFiller RowTransport::NextRow(std::size_t sheet, std::uint32_t row) {
  PendingRows& rows = sheets_[sheet].pending;
  if (rows.count > 0 && row != rows.firstRow + rows.count) FlushRows(sheet);
  if (rows.block.IsEmpty()) {
    rows.block =
        Variant(VariantArray(std::min(blockRows_, kFirstBlockRows), sheets_[sheet].columns));
  } else if (rows.count == rows.block.AsArray().Rows()) {
    GrowBlock(rows.block.AsArray());
  }
  if (rows.count == 0) rows.firstRow = row;
  return RowFiller::Along(rows.block.AsArray(), rows.count + 1);
}

void RowTransport::GrowBlock(VariantArray& block) const {
  VariantArray grown(std::min(block.Rows() * 2, blockRows_), block.Columns());
  for (std::size_t r = 1; r <= block.Rows(); ++r) {
    for (std::size_t c = 1; c <= block.Columns(); ++c) grown.At(r, c) = std::move(block.At(r, c));
  }
  block = std::move(grown);
}

void RowTransport::CommitRow(std::size_t sheet) {
  if (++sheets_[sheet].pending.count == blockRows_) FlushRows(sheet);
}

void RowTransport::FlushRows(std::size_t sheet) {
  PendingRows& rows = sheets_[sheet].pending;
  const std::size_t count = std::exchange(rows.count, 0);
  if (count == 0) return;
  VariantArray& block = rows.block.AsArray();
  const std::uint32_t last = rows.firstRow + static_cast<std::uint32_t>(count - 1);
  const auto assign = [&](std::size_t firstColumn, std::size_t lastColumn, const Variant& value) {
    sheets_[sheet]
        .target
        .GetObject("Range", {Variant(CellAddress(rows.firstRow, static_cast<int>(firstColumn))),
                             Variant(CellAddress(last, static_cast<int>(lastColumn)))})
        .Set("Value", value);
  };
  if (!Batched()) {
    assign(1, block.Columns(), rows.block);  // one row
    return;
  }
  // A server in another process is paced by the bytes it unmarshals: each
  // run of alike columns of a long block goes as a typed array of its own.
  // A run costs a few calls, more than the bytes it saves in a short one.
  if (count < kRowsForRuns) {
    // The range must be shaped like the array: the last rows of a sheet
    // go in an array of their own.
    assign(1, block.Columns(), count == block.Rows() ? rows.block : Variant(TopRows(block, count)));
    return;
  }
  const std::vector<ColumnRun> runs = ColumnRuns(block, count);
  if (rows.parts.size() < runs.size()) rows.parts.resize(runs.size());
  for (std::size_t i = 0; i < runs.size(); ++i) {
    TakeColumns(block, count, runs[i], rows.parts[i]);
    assign(runs[i].first, runs[i].last, rows.parts[i]);
  }
}

}  // namespace z917::excel_writer
