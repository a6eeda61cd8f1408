#include "automation/workbook/sheet.h"

#include <gtest/gtest.h>

#include <vector>

#include "automation/automation_error.h"
#include "automation/workbook/limits.h"
#include "automation/workbook/workbook_model.h"

namespace z917::workbook {
namespace {

// (row, column, kind, format) of every cell, in storage order.
struct Seen {
  std::uint32_t row;
  std::uint16_t column;
  CellKind kind;
  FormatId format;
  bool operator==(const Seen&) const = default;
};

std::vector<Seen> CellsOf(const Sheet& sheet) {
  std::vector<Seen> seen;
  for (const RowView row : sheet.Rows()) {
    for (const Cell& cell : row.cells) {
      seen.push_back({row.number, cell.Column(), cell.Kind(), cell.Format()});
    }
  }
  return seen;
}

const Cell& CellAt(const Sheet& sheet, std::uint32_t row, std::uint16_t column) {
  for (const RowView view : sheet.Rows()) {
    if (view.number != row) continue;
    for (const Cell& cell : view.cells) {
      if (cell.Column() == column) return cell;
    }
  }
  throw std::runtime_error("no such cell");
}

constexpr CellRect Column(std::uint16_t c) { return {1, c, kMaxRows, c}; }
constexpr CellRect Row(std::uint32_t r) {
  return {r, 1, r, static_cast<std::uint16_t>(kMaxColumns)};
}

class SheetTest : public ::testing::Test {
 protected:
  WorkbookModel book;
  Sheet& sheet = book.InsertSheet(0);
  const FormatId integer = book.Formats().Intern("0");
  const FormatId money = book.Formats().Intern("0.00");
};

TEST_F(SheetTest, cell_is_twelve_bytes) { EXPECT_EQ(sizeof(Cell), 12u); }

TEST_F(SheetTest, new_cell_takes_row_format_before_column_format) {
  sheet.SetNumberFormat(Column(1), integer);
  sheet.SetNumberFormat(Row(3), money);
  Sheet::RowWriter(sheet, 2, 2).Number(1, 5);  // column's format
  Sheet::RowWriter(sheet, 3, 2).Number(1, 5);  // row's format wins
  Sheet::RowWriter(sheet, 2, 2).Number(2, 5);  // neither: General
  EXPECT_EQ(CellAt(sheet, 2, 1).Format(), integer);
  EXPECT_EQ(CellAt(sheet, 3, 1).Format(), money);
  EXPECT_EQ(CellAt(sheet, 2, 2).Format(), kGeneralFormat);
}

TEST_F(SheetTest, date_gets_date_time_format_only_where_no_format_applies) {
  sheet.SetNumberFormat(Column(1), integer);
  Sheet::RowWriter row(sheet, 2, 2);
  row.Date(1, 36892.5);
  row.Date(2, 36892.5);
  EXPECT_EQ(CellAt(sheet, 2, 1).Format(), integer);
  EXPECT_EQ(CellAt(sheet, 2, 2).Format(), kDateTimeFormat);
  EXPECT_EQ(book.Formats().At(kDateTimeFormat).builtinIndex, 22);
  EXPECT_DOUBLE_EQ(CellAt(sheet, 2, 2).Number(), 36892.5);
}

TEST_F(SheetTest, existing_cell_keeps_its_format_and_clear_keeps_format) {
  sheet.SetNumberFormat({5, 2, 5, 2}, money);  // one cell, formatted blank
  sheet.SetNumberFormat(Column(2), integer);   // reaches the existing cell
  Sheet::RowWriter(sheet, 5, 1).Text(2, book.Texts().Intern("x"));
  EXPECT_EQ(CellAt(sheet, 5, 2).Format(), integer);
  EXPECT_EQ(CellAt(sheet, 5, 2).Kind(), CellKind::Text);
  Sheet::RowWriter(sheet, 5, 1).Clear(2);
  EXPECT_EQ(CellsOf(sheet), (std::vector<Seen>{{5, 2, CellKind::Blank, integer}}));
  Sheet::RowWriter(sheet, 6, 1).Clear(2);  // clearing nothing creates nothing
  EXPECT_EQ(CellsOf(sheet).size(), 1u);
}

TEST_F(SheetTest, column_format_crossing_formatted_row_wins_there) {
  // Excel gives the crossing cell the column's format when the column is
  // formatted after the row.
  sheet.SetNumberFormat(Row(4), money);
  sheet.SetNumberFormat(Column(3), integer);
  Sheet::RowWriter row(sheet, 4, 3);
  row.Number(3, 1);
  row.Number(5, 1);
  EXPECT_EQ(CellAt(sheet, 4, 3).Format(), integer);
  EXPECT_EQ(CellAt(sheet, 4, 5).Format(), money);
}

TEST_F(SheetTest, cells_written_in_any_order_are_read_in_row_and_column_order) {
  Sheet::RowWriter(sheet, 2000, 1).Number(3, 1);
  Sheet::RowWriter(sheet, 1, 1).Number(16384, 1);
  Sheet::RowWriter(sheet, 2000, 1).Number(1, 1);
  Sheet::RowWriter(sheet, kMaxRows, 1).Boolean(2, true);
  Sheet::RowWriter(sheet, 2000, 1).Number(2, 1);
  std::vector<std::pair<std::uint32_t, std::uint16_t>> order;
  for (const Seen& s : CellsOf(sheet)) order.emplace_back(s.row, s.column);
  EXPECT_EQ(order, (std::vector<std::pair<std::uint32_t, std::uint16_t>>{
                       {1, 16384}, {2000, 1}, {2000, 2}, {2000, 3}, {kMaxRows, 2}}));
  EXPECT_EQ(sheet.UsedRect(), (CellRect{1, 1, kMaxRows, 16384}));
}

TEST_F(SheetTest, whole_sheet_format_reaches_rows_columns_and_cells) {
  sheet.SetNumberFormat(Row(2), integer);
  Sheet::RowWriter(sheet, 7, 1).Number(9, 1);
  sheet.SetNumberFormat({1, 1, kMaxRows, static_cast<std::uint16_t>(kMaxColumns)}, money);
  EXPECT_EQ(CellAt(sheet, 7, 9).Format(), money);
  Sheet::RowWriter(sheet, 2, 1).Number(4, 1);
  Sheet::RowWriter(sheet, 9, 1).Number(4, 1);
  EXPECT_EQ(CellAt(sheet, 2, 4).Format(), money);
  EXPECT_EQ(CellAt(sheet, 9, 4).Format(), money);
}

TEST_F(SheetTest, huge_cell_by_cell_format_is_refused_before_any_change) {
  try {
    sheet.SetNumberFormat({1, 1, 300000, 20}, integer);
    FAIL();
  } catch (const automation::AutomationError& e) {
    EXPECT_STREQ(e.what(),
                 "Диапазон слишком велик, чтобы задать формат каждой его ячейке (6000000 ячеек, "
                 "не больше 4194304)");
  }
  EXPECT_FALSE(sheet.HasCells());
}

TEST_F(SheetTest, text_pool_interns_and_terminates) {
  TextPool& texts = book.Texts();
  const TextId a = texts.Intern("Хліб");
  const TextId b = texts.Intern(std::string(20000, 'x'));  // a block of its own
  EXPECT_EQ(texts.Intern("Хліб"), a);
  EXPECT_NE(a, b);
  EXPECT_EQ(texts.Text(b).size(), 20000u);
  EXPECT_STREQ(texts.CText(a), "Хліб");
}

}  // namespace
}  // namespace z917::workbook
