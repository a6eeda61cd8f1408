// The workbook engine driven through the late-bound interface, as the
// Excel writer drives it.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "automation/automation_error.h"
#include "automation/cell_address.h"
#include "automation/save_test_support.h"
#include "automation/server_factory.h"
#include "automation/workbook/engine.h"
#include "automation/workbook/save_workbook.h"
#include "automation/workbook/xlsx_writer.h"

namespace z917::automation {
namespace {

using workbook::CellKind;
using workbook::ModelOf;

using save_test::ErrorOf;

class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    app.Set("Visible", false);
    app.GetObject("Workbooks").Call("Add", {std::int16_t{-4167}});
    book = app.GetObject("Workbooks", {1});
    sheet = book.GetObject("Worksheets", {1});
  }
  Dispatch AddAfterLast() {
    const Variant count = book.GetObject("Worksheets").Get("Count");
    Dispatch last = book.GetObject("Worksheets", {count});
    return Dispatch(book.GetObject("Worksheets").Call("Add", {}, {{"After", last.AsVariant()}}));
  }
  const workbook::WorkbookModel& Model() { return *ModelOf(book.Object()); }

  Dispatch app = StartServer("Excel.Application");
  Dispatch book;
  Dispatch sheet;
};

TEST(ServerFactory, UnknownClassFailsWithSystemMessageAndProgid) {
  EXPECT_EQ(ErrorOf([] { StartServer("Excel.Applicatio"); }),
            "Недопустимая строка с указанием класса, ProgID: \"Excel.Applicatio\"");
  EXPECT_FALSE(StartServer("excel.application").IsEmpty());
}

TEST(Variant, IntegersKeepWidthAndArrayCountsFromOne) {
  EXPECT_EQ(Variant(std::uint8_t{200}).Kind(), VariantKind::UInt8);
  EXPECT_EQ(Variant(std::int8_t{-1}).AsInteger(), -1);
  EXPECT_EQ(Variant(std::uint32_t{4294967295u}).AsInteger(), 4294967295);
  EXPECT_EQ(Variant(std::int64_t{-5}).Kind(), VariantKind::Int64);
  EXPECT_EQ(Variant(Date{36892.0}).AsNumber(), 36892.0);
  VariantArray array(1, 15);
  array.At(1, 15) = "Хліб";
  EXPECT_EQ(array.At(1, 15).AsText(), "Хліб");
  EXPECT_EQ(ErrorOf([&] { array.At(0, 1); }), "Индекс массива (0, 1) вне границ 1..1, 1..15");
  EXPECT_EQ(ErrorOf([&] { array.At(1, 1).AsText(); }),
            "Несовпадение типа: ожидается текст, передано пусто");
  EXPECT_EQ(ErrorOf([] { Dispatch().Get("Name"); }), "Переменная объекта не задана");
}

TEST(Variant, EveryIntegerTypeKeepsItsWidthOnEverySystem) {
  // long is 64 bits on Linux and 32 on Windows: both must pick the kind of
  // their own width, without an ambiguous call on either system.
  constexpr VariantKind kLongKind = sizeof(long) == 8 ? VariantKind::Int64 : VariantKind::Int32;
  EXPECT_EQ(Variant(-5L).Kind(), kLongKind);
  EXPECT_EQ(Variant(-5L).AsInteger(), -5);
  EXPECT_EQ(Variant(-5LL).Kind(), VariantKind::Int64);
  EXPECT_EQ(Variant(std::int64_t{-1} << 40).AsInteger(), std::int64_t{-1} << 40);
  EXPECT_EQ(Variant(-5).Kind(), VariantKind::Int32);
  EXPECT_EQ(Variant(5u).Kind(), VariantKind::UInt32);
  EXPECT_EQ(Variant(short{-2}).Kind(), VariantKind::Int16);
  EXPECT_EQ(Variant(std::uint16_t{2}).Kind(), VariantKind::UInt16);
  EXPECT_EQ(Variant(true).Kind(), VariantKind::Bool);
  EXPECT_EQ(Variant(std::int64_t{9}), Variant(9LL));
  EXPECT_NE(Variant(std::int32_t{9}), Variant(std::int64_t{9}));  // the kind is part of the value
}

TEST_F(EngineTest, ApplicationAnswersLikeAHiddenExcel16) {
  EXPECT_EQ(app.Get("Version").AsText(), "16.0");
  EXPECT_EQ(app.Get("Visible"), Variant(false));
  EXPECT_EQ(app.Get("DisplayAlerts"), Variant(true));
  EXPECT_EQ(book.GetObject("Worksheets").Get("Count"), Variant(std::int32_t{1}));
  EXPECT_EQ(sheet.Get("Name").AsText(), "Лист1");
}

// A workbook announced for .xls holds the rows that format can in memory,
// and passes rows on only past them; one meant for .xlsx passes from the top.
TEST_F(EngineTest, AWorkbookMeantForXlsHoldsItsRowsUntilItPassesTheFormatsLast) {
  EXPECT_EQ(app.Get("DefaultSaveFormat"), Variant(std::int32_t{51}));
  EXPECT_NE(ErrorOf([&] {
              app.Set("DefaultSaveFormat", std::int32_t{99});
            }).find("Неподдерживаемый формат файла: 99"),
            std::string::npos);
  EXPECT_EQ(app.Get("DefaultSaveFormat"), Variant(std::int32_t{51}));  // a refused one is not kept
  app.Set("DefaultSaveFormat", std::int32_t{56});
  EXPECT_EQ(app.Get("DefaultSaveFormat"), Variant(std::int32_t{56}));
  app.GetObject("Workbooks").Call("Add", {std::int16_t{-4167}});
  const auto xls = ModelOf(app.GetObject("Workbooks", {2}).Object());
  const auto xlsx = ModelOf(book.Object());
  const auto passedPages = [](const workbook::Sheet& sheet) {
    std::uint32_t passed = 0;
    for (std::uint32_t page = 0; page < sheet.Rows().PageCount(); ++page)
      passed += sheet.IsPassed(page);
    return passed;
  };
  for (const auto& model : {xls, xlsx}) {
    auto& cells = const_cast<workbook::Sheet&>(model->SheetAt(0));
    for (std::uint32_t row = 1; row <= 65536; ++row)
      workbook::Sheet::RowWriter(cells, row, 1).Number(1, row);
  }
  EXPECT_EQ(passedPages(xls->SheetAt(0)), 0u);
  EXPECT_GT(passedPages(xlsx->SheetAt(0)), 60u);
  workbook::Sheet::RowWriter(const_cast<workbook::Sheet&>(xls->SheetAt(0)), 66000, 1).Number(1, 1);
  EXPECT_EQ(passedPages(xls->SheetAt(0)), 64u);
}

TEST_F(EngineTest, SheetsAddedAfterTheLastKeepOrderAndSelectSetsActive) {
  for (int i = 0; i < 9; ++i) AddAfterLast();
  EXPECT_EQ(Model().SheetCount(), 10u);
  EXPECT_EQ(Model().ActiveSheet(), 9u);  // a new sheet becomes active
  Dispatch second = book.GetObject("Worksheets", {2});
  second.Set("Name", "Виплати");
  EXPECT_EQ(second.Get("Index"), Variant(std::int32_t{2}));
  EXPECT_EQ(book.GetObject("Worksheets", {"виплати"}).Get("Index"), Variant(std::int32_t{2}));
  sheet.Call("Select");
  EXPECT_EQ(Model().ActiveSheet(), 0u);
  book.GetObject("Worksheets").Call("Add", {}, {{"Before", second.AsVariant()}});
  EXPECT_EQ(Model().SheetAt(2).Name(), "Виплати");
}

TEST_F(EngineTest, CountSheetsAddedAtOnceMatchAsManyAdds) {
  book.GetObject("Worksheets").Call("Add", {}, {{"After", sheet.AsVariant()}, {"Count", 9}});
  ASSERT_EQ(Model().SheetCount(), 10u);
  EXPECT_EQ(Model().ActiveSheet(), 9u);
  for (std::size_t i = 0; i < 10; ++i) {
    EXPECT_EQ(Model().SheetAt(i).Name(), "Лист" + std::to_string(i + 1));
  }
  book.GetObject("Worksheets").Call("Add", {}, {{"Before", sheet.AsVariant()}, {"Count", 2}});
  EXPECT_EQ(Model().SheetAt(0).Name(), "Лист11");
  EXPECT_EQ(Model().SheetAt(1).Name(), "Лист12");
  EXPECT_EQ(Model().SheetAt(2).Name(), "Лист1");
  for (const int count : {0, -1, 256}) {
    EXPECT_EQ(ErrorOf([&] {
                book.GetObject("Worksheets").Call("Add", {}, {{"Count", count}});
              }),
              "Worksheets.Add: аргумент Count — число листов должно быть от 1 до 255");
  }
  EXPECT_EQ(Model().SheetCount(), 12u);
}

TEST_F(EngineTest, BadSheetNamesAreRefused) {
  AddAfterLast().Set("Name", "Продажі");
  EXPECT_EQ(ErrorOf([&] { sheet.Set("Name", "ПРОДАЖІ"); }),
            "Лист с именем «ПРОДАЖІ» уже есть в книге");
  EXPECT_EQ(ErrorOf([&] { sheet.Set("Name", ""); }), "Имя листа не может быть пустым");
  EXPECT_EQ(ErrorOf([&] { sheet.Set("Name", "a/b"); }),
            "Имя листа «a/b» содержит недопустимый знак «/»");
  EXPECT_EQ(ErrorOf([&] { sheet.Set("Name", std::string(32, 'x')); }),
            "Имя листа «" + std::string(32, 'x') + "» длиннее 31 знака");
  EXPECT_EQ(ErrorOf([&] { sheet.Set("Name", "'x"); }),
            "Имя листа «'x» не может начинаться или заканчиваться апострофом");
  sheet.Set("Name", std::string(31, 'x'));  // the longest allowed
  sheet.Set("Name", "Лист1");
}

TEST_F(EngineTest, UnknownMembersWrongUsesAndArgumentsAreDescribed) {
  EXPECT_EQ(ErrorOf([&] { sheet.Get("Cells"); }),
            "Объект Worksheet не поддерживает свойство или метод «Cells»");
  EXPECT_EQ(ErrorOf([&] { app.Set("Version", "17.0"); }), "Application.Version нельзя изменить");
  EXPECT_EQ(ErrorOf([&] { app.Get("Quit"); }), "Application.Quit нельзя прочитать");
  EXPECT_EQ(ErrorOf([&] { app.Set("Visible", "нет"); }),
            "Application.Visible: значение — ожидается логическое значение, передано: текст");
  EXPECT_EQ(ErrorOf([&] {
              app.GetObject("Workbooks").Call("Add", {1, 2});
            }),
            "Workbooks.Add: слишком много аргументов (2, не больше 1)");
  EXPECT_EQ(
      ErrorOf([&] { app.GetObject("Workbooks").Call("Add", {std::int16_t{-4109}}); }),
      "Workbooks.Add: аргумент Template — поддерживается только шаблон -4167 (книга из одного "
      "листа)");
  EXPECT_EQ(ErrorOf([&] { book.GetObject("Worksheets", {11}); }),
            "Workbook.Worksheets: аргумент Index — индекс 11 вне диапазона 1..1");
  EXPECT_EQ(ErrorOf([&] {
              book.GetObject("Worksheets").Call("Add", {}, {{"Aftr", 1}});
            }),
            "Worksheets.Add: неизвестный именованный аргумент «Aftr»");
  EXPECT_EQ(ErrorOf([&] {
              book.GetObject("Worksheets").Call("Add", {}, {{"After", 1}});
            }),
            "Worksheets.Add: аргумент After — ожидается лист этой книги");
  EXPECT_EQ(ErrorOf([&] { sheet.Get("Range"); }), "Worksheet.Range: аргумент Cell1 не задан");
  EXPECT_EQ(ErrorOf([&] { book.Call("SaveAs"); }), "Workbook.SaveAs: аргумент Filename не задан");
}

TEST(CellAddressTest, AddressHasColumnLettersThenTheRow) {
  EXPECT_EQ(CellAddress(1, 1), "A1");
  EXPECT_EQ(CellAddress(1, 15), "O1");
  EXPECT_EQ(CellAddress(30, 1), "A30");
  EXPECT_EQ(CellAddress(1, 26), "Z1");
  EXPECT_EQ(CellAddress(1, 27), "AA1");
  EXPECT_EQ(CellAddress(1, 52), "AZ1");
  // The Z-report sheet's last columns in either format.
  EXPECT_EQ(CellAddress(1, 256), "IV1");
  EXPECT_EQ(CellAddress(30, 16384), "XFD30");
  EXPECT_EQ(CellAddress(4294967295u, 16), "P4294967295");
}

TEST_F(EngineTest, AddressesNameCellsColumnsAndRowsWithinTheSheet) {
  const auto address = [&](std::initializer_list<Variant> args) {
    return sheet.GetObject("Range", args).Get("Address").AsText();
  };
  EXPECT_EQ(address({"O1", "A1"}), "$A$1:$O$1");
  EXPECT_EQ(address({"b30"}), "$B$30");
  EXPECT_EQ(address({"$XFD$1048576"}), "$XFD$1048576");
  EXPECT_EQ(address({"A1:A30", "C2"}), "$A$1:$C$30");
  EXPECT_EQ(address({"C:A"}), "$A:$C");
  EXPECT_EQ(sheet.GetObject("Columns").GetObject("Columns", {4}).Get("Address").AsText(), "$D:$D");
  EXPECT_EQ(sheet.GetObject("Rows", {30}).Get("Address").AsText(), "$30:$30");
  EXPECT_EQ(sheet.GetObject("Range", {"B2:D9"}).GetObject("Rows", {2}).Get("Address").AsText(),
            "$B$3:$D$3");
  EXPECT_EQ(ErrorOf([&] { address({"A1048577"}); }),
            "Адрес «A1048577» вне листа: в листе 1048576 строк и 16384 столбца");
  EXPECT_EQ(ErrorOf([&] { address({"XFE1"}); }),
            "Адрес «XFE1» вне листа: в листе 1048576 строк и 16384 столбца");
  for (const char* bad : {"", "A0", "1A", "A", "A1:", "А1", "A1B"}) {
    EXPECT_EQ(ErrorOf([&] { address({bad}); }),
              "Неверный адрес ячейки или диапазона «" + std::string(bad) + "»")
        << bad;
  }
  EXPECT_EQ(ErrorOf([&] { sheet.GetObject("Columns", {16385}); }),
            "Range.Columns: аргумент Index — столбец 16385 вне листа");
}

TEST_F(EngineTest, ValueNeedsAnArrayShapedLikeTheRangeAndWritesAllOrNothing) {
  Dispatch range = sheet.GetObject("Range", {"A2", "C2"});
  EXPECT_EQ(ErrorOf([&] { range.Set("Value", VariantArray(1, 2)); }),
            "Range.Value — массив 1×2 не совпадает с диапазоном $A$2:$C$2 (1×3)");
  EXPECT_EQ(ErrorOf([&] { range.Set("Value", 5); }),
            "Range.Value — диапазону $A$2:$C$2 нужен двумерный массив 1×3");
  VariantArray row(1, 3);
  row.At(1, 1) = 1.5;
  row.At(1, 2) = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(ErrorOf([&] { range.Set("Value", row); }),
            "Range.Value: элемент (1, 2) — число бесконечно или не определено");
  row.At(1, 2) = app.AsVariant();
  EXPECT_EQ(ErrorOf([&] { range.Set("Value", row); }),
            "Range.Value: элемент (1, 2) — значение типа «объект» нельзя записать в ячейку");
  row.At(1, 2) = std::string("\xD0", 1);
  EXPECT_EQ(ErrorOf([&] { range.Set("Value", row); }),
            "Range.Value: элемент (1, 2) — текст не в кодировке UTF-8");
  row.At(1, 2) = std::string(32768, 'x');
  EXPECT_EQ(ErrorOf([&] { range.Set("Value", row); }),
            "Range.Value: элемент (1, 2) — текст длиннее 32767 знаков");
  EXPECT_FALSE(Model().SheetAt(0).HasCells());

  row.At(1, 2) = "";
  row.At(1, 3) = "0012";
  range.Set("Value", row);
  sheet.GetObject("Range", {"D2"}).Set("Value", Date{36892.0});
  std::vector<CellKind> kinds;
  for (const auto view : Model().SheetAt(0).Rows()) {
    for (const auto& cell : view.cells) kinds.push_back(cell.Kind());
  }
  // The empty text left B2 blank; "0012" stayed a text.
  EXPECT_EQ(kinds, (std::vector<CellKind>{CellKind::Number, CellKind::Text, CellKind::Number}));
}

TEST_F(EngineTest, ColumnWidthAndNumberFormatAreChecked) {
  Dispatch column = sheet.GetObject("Columns", {1});
  column.Set("ColumnWidth", 13);
  column.Set("ColumnWidth", 255.0);
  EXPECT_EQ(ErrorOf([&] { column.Set("ColumnWidth", 256); }),
            "Range.ColumnWidth: значение — ширина столбца должна быть от 0 до 255");
  EXPECT_EQ(ErrorOf([&] { column.Set("NumberFormat", 0); }),
            "Range.NumberFormat: значение — ожидается текст, передано: целое со знаком, 32 бита");
  EXPECT_EQ(ErrorOf([&] { column.Set("NumberFormat", "0\n0"); }),
            "Range.NumberFormat: значение — код формата содержит управляющий знак");
  EXPECT_EQ(Model().SheetAt(0).Columns()[0].width, 255.0);
}

TEST_F(EngineTest, AUnionOfAreasTakesWidthsAndFormatsButNotValues) {
  Dispatch areas = sheet.GetObject("Range", {"A:B,D:D,1:2"});
  EXPECT_EQ(areas.Get("Address").AsText(), "$A:$B,$D:$D,$1:$2");
  areas = sheet.GetObject("Range", {"A:B,D:D"});
  areas.Set("ColumnWidth", 20);
  const auto& columns = Model().SheetAt(0).Columns();
  ASSERT_GE(columns.size(), 4u);
  EXPECT_EQ(columns[0].width, 20.0);
  EXPECT_EQ(columns[1].width, 20.0);
  EXPECT_NE(columns[2].width, 20.0);
  EXPECT_EQ(columns[3].width, 20.0);
  EXPECT_EQ(ErrorOf([&] { areas.Set("Value", VariantArray(1, 2)); }),
            "Range.Value — диапазон $A:$B,$D:$D из нескольких областей");
  EXPECT_EQ(ErrorOf([&] { areas.GetObject("Columns", {1}); }),
            "Range.Columns — диапазон $A:$B,$D:$D из нескольких областей");
  for (const char* bad : {"A:B,", ",A:B", "A:B,,D:D"}) {
    EXPECT_EQ(ErrorOf([&] { sheet.GetObject("Range", {bad}); }),
              "Неверный адрес ячейки или диапазона «»")
        << bad;
  }
  EXPECT_EQ(ErrorOf([&] {
              sheet.GetObject("Range", {"A1,B2", "C3"});
            }),
            "Неверный адрес ячейки или диапазона «A1,B2»");
}

TEST_F(EngineTest, EveryObjectStopsAnsweringAfterQuit) {
  app.Call("Quit");
  const std::string gone = "Вызванный объект был отключен от клиентов";
  EXPECT_EQ(ErrorOf([&] { sheet.Get("Name"); }), gone);
  EXPECT_EQ(ErrorOf([&] { app.Get("Version"); }), gone);
  EXPECT_EQ(ErrorOf([&] { app.Call("Quit"); }), gone);
}

}  // namespace
}  // namespace z917::automation
