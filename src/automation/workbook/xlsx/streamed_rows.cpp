#include "automation/workbook/xlsx/streamed_rows.h"

#include "automation/workbook/xlsx/row_xml.h"

namespace z917::workbook::xlsx {

namespace {

std::uint32_t FirstRowOf(std::uint32_t page) { return page * SheetCells::kPageRows + 1; }

}  // namespace

void StreamedRows::Keep(const Sheet& sheet, std::uint32_t page, std::unique_ptr<Row[]>& rows) {
  Pieces& pieces = sheets_[&sheet];
  auto piece = std::make_unique<RowPiece>();
  RowPiece& kept = *piece;
  pieces[page] = std::move(piece);
  try {
    compressor_.Submit(rows, FirstRowOf(page), &kept.texts, &kept.deflated);
  } catch (...) {
    pieces.erase(page);
    throw;
  }
}

void StreamedRows::GiveBack(const Sheet& sheet, std::uint32_t page, std::span<Row> rows) {
  const auto found = sheets_.find(&sheet);
  if (found == sheets_.end()) return;
  const auto piece = found->second.find(page);
  if (piece == found->second.end()) return;
  compressor_.Finish();
  std::string xml;
  Inflate(piece->second->deflated, xml);
  ReadRowsXml(xml, FirstRowOf(page), rows);
  found->second.erase(piece);
}

const RowPiece* StreamedRows::Find(const Sheet& sheet, std::uint32_t page) const {
  const auto found = sheets_.find(&sheet);
  if (found == sheets_.end()) return nullptr;
  const auto piece = found->second.find(page);
  return piece == found->second.end() ? nullptr : piece->second.get();
}

}  // namespace z917::workbook::xlsx
