// The rows a sheet's writing has passed, kept as the .xlsx saver will
// write them: each page of rows as its sheetData XML, deflated on its own.
// Formatting and deflating as rows arrive spreads the save's work over the
// conversion, over both cores, and keeps memory near the size of the
// compressed file.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <unordered_map>

#include "automation/workbook/passed_rows.h"
#include "automation/workbook/xlsx/piece_compressor.h"

namespace z917::workbook::xlsx {

// One page of a sheet's rows as deflated XML, and how many of its cells
// hold a text (the shared strings part counts them).
struct RowPiece {
  DeflatedPiece deflated;
  std::uint64_t texts = 0;
};

class StreamedRows final : public PassedRows {
 public:
  StreamedRows() = default;

  // Hands the page's rows to the compressor, to be formatted and deflated.
  void Keep(const Sheet& sheet, std::uint32_t page, std::unique_ptr<Row[]>& rows) override;
  // Inflates the page's piece and reads its rows back.
  void GiveBack(const Sheet& sheet, std::uint32_t page, std::span<Row> rows) override;

  // Waits for the pieces still being deflated; rethrows a failure there.
  void Finish() { compressor_.Finish(); }
  // The piece of `page` of `sheet`, or null when none is kept; complete
  // once Finish has returned.
  const RowPiece* Find(const Sheet& sheet, std::uint32_t page) const;

 private:
  using Pieces = std::map<std::uint32_t, std::unique_ptr<RowPiece>>;
  std::unordered_map<const Sheet*, Pieces> sheets_;
  PieceCompressor compressor_;
};

}  // namespace z917::workbook::xlsx
