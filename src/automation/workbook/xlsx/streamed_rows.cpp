#include "automation/workbook/xlsx/streamed_rows.h"

#include "automation/workbook/xlsx/row_xml.h"

namespace z917::workbook::xlsx {

namespace {

std::uint32_t FirstRowOf(std::uint32_t page) { return page * SheetCells::kPageRows + 1; }

}  // namespace

std::uint64_t AppendPageXml(std::string& out, std::uint32_t firstRow, std::span<const Row> rows) {
  std::uint64_t texts = 0;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    texts += AppendRowXml(out, firstRow + static_cast<std::uint32_t>(i), rows[i]);
  }
  return texts;
}

void StreamedRows::Keep(const Sheet& sheet, std::uint32_t page, std::span<const Row> rows) {
  std::string xml = compressor_.TakeBuffer();
  const std::uint64_t texts = AppendPageXml(xml, FirstRowOf(page), rows);
  if (xml.empty()) return;
  auto piece = std::make_unique<RowPiece>();
  piece->texts = texts;
  RowPiece* kept = (sheets_[&sheet][page] = std::move(piece)).get();
  compressor_.Submit(std::move(xml), &kept->deflated);
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
