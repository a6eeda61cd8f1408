#include "automation/workbook/xls/sheet_writer.h"

#include "automation/workbook/xls/biff_record.h"
#include "automation/workbook/xls/globals_writer.h"
#include "automation/workbook/xls/styles.h"

namespace z917::workbook::xls {

namespace {

constexpr std::uint16_t kWorksheetSubstream = 0x0010;
constexpr std::uint32_t kRowsPerBlock = 32;
// Excel's default row height for an 11-point font, in twips.
constexpr std::uint16_t kDefaultRowHeight = 300;
// What a column without a width of its own is, in characters.
constexpr double kDefaultColumnWidth = 8.43;

bool SameSettings(const ColumnInfo& a, const ColumnInfo& b) {
  return a.format == b.format && (a.width == b.width || (!a.HasWidth() && !b.HasWidth()));
}

void WriteColumns(RecordWriter& records, const Sheet& sheet) {
  const auto columns = sheet.Columns();
  for (std::size_t first = 0; first < columns.size();) {
    const ColumnInfo& info = columns[first];
    std::size_t last = first;
    while (last + 1 < columns.size() && SameSettings(columns[last + 1], info)) ++last;
    if (info.HasWidth() || info.format != kNoFormat) {
      records.Record(rt::kColInfo, [&](ByteBuffer& out) {
        const double width = info.HasWidth() ? info.width : kDefaultColumnWidth;
        out.U16(static_cast<std::uint16_t>(first));
        out.U16(static_cast<std::uint16_t>(last));
        out.U16(ColumnWidthUnits(width));
        out.U16(info.format == kNoFormat ? kGeneralCellXf : XlsStyles::XfOf(info.format));
        // Hidden when zero wide; the width is the user's own when set.
        out.U16(
            static_cast<std::uint16_t>((width == 0 ? 0x0001 : 0) | (info.HasWidth() ? 0x0002 : 0)));
        out.U16(0);
      });
    }
    first = last + 1;
  }
}

void WriteDimensions(RecordWriter& records, const Sheet& sheet) {
  records.Record(rt::kDimensions, [&](ByteBuffer& out) {
    if (sheet.HasCells()) {
      const CellRect used = sheet.UsedRect();
      out.U32(used.firstRow - 1);
      out.U32(used.lastRow);  // one past the last, from 0
      out.U16(static_cast<std::uint16_t>(used.firstColumn - 1));
      out.U16(used.lastColumn);
    } else {
      out.Zeros(12);
    }
    out.U16(0);
  });
}

void WriteRowRecord(ByteBuffer& out, const RowView& row) {
  out.U16(rt::kRow);
  out.U16(16);
  out.U16(static_cast<std::uint16_t>(row.number - 1));
  if (row.cells.empty()) {
    out.U32(0);
  } else {
    out.U16(static_cast<std::uint16_t>(row.cells.front().Column() - 1));
    out.U16(row.cells.back().Column());  // one past the last, from 0
  }
  out.U16(kDefaultRowHeight);
  out.U32(0);  // reserved, unused
  // Bit 8 is always set; a row format sets bit 7 and its XF above bit 16.
  std::uint32_t flags = 0x0100;
  if (row.format != kNoFormat)
    flags |= 0x0080u | (std::uint32_t{XlsStyles::XfOf(row.format)} << 16);
  out.U32(flags);
}

void CellHeader(ByteBuffer& out, std::uint16_t type, std::uint16_t length, std::uint16_t row,
                const Cell& cell) {
  out.U16(type);
  out.U16(length);
  out.U16(row);
  out.U16(static_cast<std::uint16_t>(cell.Column() - 1));
  out.U16(XlsStyles::XfOf(cell.Format()));
}

// Appends blank cells of adjacent columns as one record: BLANK for one,
// MULBLANK for a run.
void WriteBlanks(ByteBuffer& out, std::uint16_t row, std::span<const Cell> blanks) {
  if (blanks.size() == 1) {
    CellHeader(out, rt::kBlank, 6, row, blanks.front());
    return;
  }
  out.U16(rt::kMulBlank);
  out.U16(static_cast<std::uint16_t>(6 + 2 * blanks.size()));
  out.U16(row);
  out.U16(static_cast<std::uint16_t>(blanks.front().Column() - 1));
  for (const Cell& cell : blanks) out.U16(XlsStyles::XfOf(cell.Format()));
  out.U16(static_cast<std::uint16_t>(blanks.back().Column() - 1));
}

void WriteCells(ByteBuffer& out, const RowView& row) {
  const auto number = static_cast<std::uint16_t>(row.number - 1);
  const auto cells = row.cells;
  for (std::size_t i = 0; i < cells.size();) {
    const Cell& cell = cells[i];
    switch (cell.Kind()) {
      case CellKind::Number:
        CellHeader(out, rt::kNumber, 14, number, cell);
        out.F64(cell.Number());
        break;
      case CellKind::Text:
        CellHeader(out, rt::kLabelSst, 10, number, cell);
        out.U32(cell.Text());  // the SST lists the texts in TextId order
        break;
      case CellKind::Boolean:
        CellHeader(out, rt::kBoolErr, 8, number, cell);
        out.U8(cell.Boolean() ? 1 : 0);
        out.U8(0);  // a boolean, not an error
        break;
      case CellKind::Blank: {
        std::size_t end = i + 1;
        while (end < cells.size() && cells[end].Kind() == CellKind::Blank &&
               cells[end].Column() == cells[end - 1].Column() + 1) {
          ++end;
        }
        WriteBlanks(out, number, cells.subspan(i, end - i));
        i = end;
        continue;
      }
    }
    ++i;
  }
}

std::uint32_t WriteRows(ByteBuffer& out, const Sheet& sheet, std::size_t drainAt,
                        const SheetDrain& drain) {
  const SheetCells& rows = sheet.Rows();
  std::uint32_t written = 0;
  for (auto it = rows.begin(); it != rows.end();) {
    // Excel's own layout: the ROW records of up to 32 rows, then their cells.
    const std::uint32_t block = ((*it).number - 1) / kRowsPerBlock;
    auto blockEnd = it;
    for (; blockEnd != rows.end() && ((*blockEnd).number - 1) / kRowsPerBlock == block;
         ++blockEnd) {
      WriteRowRecord(out, *blockEnd);
    }
    for (; it != blockEnd; ++it, ++written) WriteCells(out, *it);
    if (out.Size() > drainAt) drain(out, written);
  }
  return written;
}

void WriteWindow2(RecordWriter& records, bool active) {
  records.Record(rt::kWindow2, [&](ByteBuffer& out) {
    // Grid, headers, zeros, automatic grid colour, outline symbols; the
    // active sheet is also selected and shown.
    out.U16(static_cast<std::uint16_t>(0x00B6 | (active ? 0x0600 : 0)));
    out.U16(0);   // top row
    out.U16(0);   // left column
    out.U16(64);  // grid colour: automatic
    out.U16(0);
    out.U16(0);  // zoom of page break preview and normal view: default
    out.U16(0);
    out.U32(0);
  });
}

}  // namespace

std::uint16_t ColumnWidthUnits(double characters) {
  // A digit is 7 pixels wide in the default font and a cell has 5 pixels
  // of padding; the stored width counts both, in 1/256 of a digit.
  constexpr double kDigit = 7, kPadding = 5;
  if (characters <= 0) return 0;
  const double pixels = characters < 1 ? static_cast<int>(characters * (kDigit + kPadding) + 0.5)
                                       : static_cast<int>(characters * kDigit + 0.5) + kPadding;
  return static_cast<std::uint16_t>(pixels / kDigit * 256);
}

std::uint32_t WriteSheet(ByteBuffer& out, const Sheet& sheet, bool active, std::size_t drainAt,
                         const SheetDrain& drain) {
  RecordWriter records(out);
  WriteBof(records, kWorksheetSubstream);
  WriteColumns(records, sheet);
  WriteDimensions(records, sheet);
  const std::uint32_t rows = WriteRows(out, sheet, drainAt, drain);
  WriteWindow2(records, active);
  records.Record(rt::kEof, [](ByteBuffer&) {});
  return rows;
}

}  // namespace z917::workbook::xls
