#include "automation/workbook/sheet.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "automation/automation_error.h"
#include "automation/workbook/limits.h"
#include "automation/workbook/workbook_model.h"
#include "automation/workbook/xlsx_writer.h"

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

TEST_F(SheetTest, CellIsTwelveBytes) { EXPECT_EQ(sizeof(Cell), 12u); }

TEST_F(SheetTest, NewCellTakesRowFormatBeforeColumnFormat) {
  sheet.SetNumberFormat(Column(1), integer);
  sheet.SetNumberFormat(Row(3), money);
  Sheet::RowWriter(sheet, 2, 2).Number(1, 5);  // column's format
  Sheet::RowWriter(sheet, 3, 2).Number(1, 5);  // row's format wins
  Sheet::RowWriter(sheet, 2, 2).Number(2, 5);  // neither: General
  EXPECT_EQ(CellAt(sheet, 2, 1).Format(), integer);
  EXPECT_EQ(CellAt(sheet, 3, 1).Format(), money);
  EXPECT_EQ(CellAt(sheet, 2, 2).Format(), kGeneralFormat);
}

TEST_F(SheetTest, DateGetsDateTimeFormatOnlyWhereNoFormatApplies) {
  sheet.SetNumberFormat(Column(1), integer);
  Sheet::RowWriter row(sheet, 2, 2);
  row.Date(1, 36892.5);
  row.Date(2, 36892.5);
  EXPECT_EQ(CellAt(sheet, 2, 1).Format(), integer);
  EXPECT_EQ(CellAt(sheet, 2, 2).Format(), kDateTimeFormat);
  EXPECT_EQ(book.Formats().At(kDateTimeFormat).builtinIndex, 22);
  EXPECT_DOUBLE_EQ(CellAt(sheet, 2, 2).Number(), 36892.5);
}

TEST_F(SheetTest, ExistingCellKeepsItsFormatAndClearKeepsFormat) {
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

TEST_F(SheetTest, ColumnFormatCrossingFormattedRowWinsThere) {
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

TEST_F(SheetTest, CellsWrittenInAnyOrderAreReadInRowAndColumnOrder) {
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

TEST_F(SheetTest, WholeSheetFormatReachesRowsColumnsAndCells) {
  sheet.SetNumberFormat(Row(2), integer);
  Sheet::RowWriter(sheet, 7, 1).Number(9, 1);
  sheet.SetNumberFormat({1, 1, kMaxRows, static_cast<std::uint16_t>(kMaxColumns)}, money);
  EXPECT_EQ(CellAt(sheet, 7, 9).Format(), money);
  Sheet::RowWriter(sheet, 2, 1).Number(4, 1);
  Sheet::RowWriter(sheet, 9, 1).Number(4, 1);
  EXPECT_EQ(CellAt(sheet, 2, 4).Format(), money);
  EXPECT_EQ(CellAt(sheet, 9, 4).Format(), money);
}

TEST_F(SheetTest, HugeCellByCellFormatIsRefusedBeforeAnyChange) {
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

// Random writes down the sheet, and formats anywhere above the writing,
// into a sheet that keeps every row and one that passes pages on; now and
// then a write goes back up. Once the passed pages are back, both sheets
// hold the very same rows.
TEST(PassedRowsTest, ASheetThatPassesPagesOnEndsAsOneThatNeverDid) {
  WorkbookModel whole, streamed(MakeXlsxRowKeeper());
  Sheet& a = whole.InsertSheet(0);
  Sheet& b = streamed.InsertSheet(0);
  std::mt19937 random(7);
  const auto pick = [&](std::uint32_t most) { return random() % most; };
  std::uint32_t bottom = 1;
  for (int step = 0; step < 20000; ++step) {
    bottom += pick(5);
    const std::uint32_t above = 1 + pick(bottom);
    const std::uint32_t row = pick(4000) == 0 ? above : bottom;
    const auto column = static_cast<std::uint16_t>(1 + pick(20));
    const std::uint32_t what = pick(100);
    const std::uint32_t last = above + pick(3000);
    for (Sheet* sheet : {&a, &b}) {
      if (what < 95) {
        Sheet::RowWriter cells(*sheet, row, 2);
        cells.Number(column, row + what / 8.0);
        if (what % 5 == 0) cells.Clear(static_cast<std::uint16_t>(column + 1));
      } else if (what == 95) {
        sheet->SetNumberFormat({1, column, kMaxRows, column}, static_cast<FormatId>(2 + step % 5));
      } else {
        sheet->SetNumberFormat({above, 1, last, column}, static_cast<FormatId>(what));
      }
    }
  }
  std::uint32_t passed = 0;
  for (std::uint32_t page = 0; page < b.Rows().PageCount(); ++page) passed += b.IsPassed(page);
  EXPECT_GT(passed, 10u);
  b.MakeAllLive();
  ASSERT_TRUE(CellsOf(a) == CellsOf(b));
  for (const RowView row : a.Rows()) {
    const auto* other = b.Rows().Find(row.number);
    ASSERT_TRUE(other != nullptr);
    EXPECT_EQ(other->Format(), row.format);
    EXPECT_EQ(std::memcmp(other->Cells().data(), row.cells.data(), row.cells.size() * sizeof(Cell)),
              0)
        << "row " << row.number;
  }
}

TEST_F(SheetTest, TextPoolInternsAndTerminates) {
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
