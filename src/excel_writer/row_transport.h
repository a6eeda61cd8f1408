// How the rows of a workbook travel to its server through the automation
// interface: one by one to a server in this process, in blocks to one in
// another process, a long block in one call per run of alike columns.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "automation/dispatch.h"
#include "excel_writer/row_filler.h"

namespace z917::excel_writer {

// How many rows of one sheet a server in another process gets at a time: a
// cross-process call costs about a millisecond whatever it carries, so rows
// travel in blocks rather than one by one (and column B of the Z-report
// sheet gets only the last Z-report, at the save). A full block of the
// widest rows takes about 6 MB, and as much again for its runs of alike
// columns on their way.
inline constexpr std::size_t kRowsPerBlock = 8192;
// The rows a block holds room for at first; it doubles as rows come, so a
// sheet of few rows costs little.
inline constexpr std::size_t kFirstBlockRows = 256;
// The fewest rows a block must hold for its runs of alike columns to go as
// typed arrays of their own, one call each, rather than all its columns
// in one array of VARIANTs.
inline constexpr std::size_t kRowsForRuns = 1024;

// The rows of each sheet not yet handed to the server, and the pace at
// which they go. Every call the server refuses throws what it throws.
class RowTransport {
 public:
  // Sheets 0, 1, ... whose rows hold `sheetColumns[sheet]` cells; rows
  // reach a server in another process `rowsPerBlock` (at least 1) at a
  // time. Until Connect, rows go one by one.
  RowTransport(std::vector<std::size_t> sheetColumns, std::size_t rowsPerBlock);

  // Paces the rows for a new workbook's server: in blocks when it is in
  // another process, one by one when in this one, for which a call costs
  // nothing and the block's memory would be spent for naught.
  void Connect(bool outOfProcess);
  // Whether the server is in another process: its calls are slow, so the
  // layout too goes in fewer, wider calls that leave the same workbook.
  bool Batched() const { return batched_; }
  // Whether rows wait for their block to fill before they go.
  bool HoldsRows() const { return blockRows_ > 1; }
  // The rows of `sheet` go to `target`'s ranges.
  void SetSheet(std::size_t sheet, automation::Dispatch target);
  // Forgets every sheet and every row held; keeps the pace. Never throws.
  void Forget();

  // The block row that sheet row `row` of `sheet` is to be filled into;
  // hands the server the rows held so far first when `row` does not
  // follow them.
  RowFiller NextRow(std::size_t sheet, std::uint32_t row);
  // Counts the row NextRow gave as filled; hands the block over once full.
  void CommitRow(std::size_t sheet);
  // Assigns the rows held for `sheet` to their range, in one call or, for
  // a long block, one per run of alike columns, and forgets them, also
  // when the server refuses them.
  void FlushRows(std::size_t sheet);

 private:
  // Block rows 1..count hold sheet rows firstRow.. in order.
  struct PendingRows {
    automation::Variant block;  // made on the sheet's first row
    // The arrays the runs of alike columns of the last long block went in.
    std::vector<automation::Variant> parts;
    std::uint32_t firstRow = 0;
    std::size_t count = 0;
  };
  struct SheetRows {
    automation::Dispatch target;
    std::size_t columns;
    PendingRows pending;
  };

  // `block` with room for twice its rows, at most blockRows_, and its cells.
  void GrowBlock(automation::VariantArray& block) const;

  std::size_t rowsPerBlock_;
  // rowsPerBlock_ for a server in another process, 1 for one in this one.
  std::size_t blockRows_ = 1;
  bool batched_ = false;
  std::vector<SheetRows> sheets_;
};

}  // namespace z917::excel_writer
