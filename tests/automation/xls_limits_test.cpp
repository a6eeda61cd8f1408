// Workbooks the engine holds but an .xls file cannot: refused whole, with
// the sheet and the limit named, before any file is made.
#include "automation/workbook/xls/xls_limits.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "automation/automation_error.h"
#include "automation/workbook/save_workbook.h"
#include "support/temp_folder.h"

namespace z917::workbook::xls {
namespace {

namespace fs = std::filesystem;

std::string RefusalOf(const WorkbookModel& workbook) {
  try {
    CheckXlsLimits(workbook);
  } catch (const automation::AutomationError& e) {
    return e.what();
  }
  return "";
}

TEST(XlsLimits, TextLongerThanACellHoldsIsNamedBySheetAndCell) {
  // The engine refuses such a text when a program writes it; the check
  // stands on its own all the same.
  WorkbookModel workbook;
  workbook.InsertSheet(0);
  Sheet& sheet = workbook.InsertSheet(1);
  workbook.RenameSheet(sheet, "Каса");
  std::string text;
  for (std::size_t i = 0; i < kXlsMaxTextLength; ++i) text += "ї";
  Sheet::RowWriter(sheet, 3, 1).Text(2, workbook.Texts().Intern(text));
  EXPECT_EQ(RefusalOf(workbook), "");
  Sheet::RowWriter(sheet, 7, 1).Text(28, workbook.Texts().Intern(text + "a"));
  EXPECT_EQ(
      RefusalOf(workbook),
      "Лист «Каса» не помещается в файл Excel 97-2003: текст ячейки AB7 длиннее 32767 знаков; "
      "сохраните книгу в формате .xlsx");

  const test::TempFolder dir{"z917_xls_limits"};
  EXPECT_THROW(SaveWorkbook(workbook, (dir / "a.xls").string(), kExcel8Workbook, true),
               automation::AutomationError);
  EXPECT_TRUE(fs::is_empty(dir.Path()));
}

TEST(XlsLimits, MoreNumberFormatsThanTheFormatKeepsAreRefused) {
  WorkbookModel workbook;
  workbook.InsertSheet(0);
  while (workbook.Formats().Count() < kXlsMaxFormats) {
    workbook.Formats().Intern("0\" №" + std::to_string(workbook.Formats().Count()) + "\"");
  }
  EXPECT_EQ(RefusalOf(workbook), "");
  workbook.Formats().Intern("# ##0");
  EXPECT_EQ(RefusalOf(workbook),
            "Книга не помещается в файл Excel 97-2003: в ней больше 4000 числовых форматов");
}

}  // namespace
}  // namespace z917::workbook::xls
