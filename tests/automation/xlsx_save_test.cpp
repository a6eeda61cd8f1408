// Workbooks saved through the interface and read back by openpyxl, and the
// ways a save can fail without harming what is on disk.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "automation/save_test_support.h"
#include "automation/workbook/limits.h"
#include "automation/workbook/save_workbook.h"
#include "automation/workbook/xlsx_writer.h"
#include "platform/cancellation.h"
#include "support/file_size_limit.h"

namespace z917::automation {
namespace {

using namespace save_test;

std::string ReadBack(const fs::path& path) { return RunReader("read_xlsx.py", path); }

class XlsxSaveTest : public SaveTest {};

TEST_F(XlsxSaveTest, ReaderSeesNamesOrderActiveSheetValuesTypesFormatsWidths) {
  BuildSample();
  const fs::path path = dir / "journal.xlsx";
  book.Call("SaveAs", {path.string(), 51});
  EXPECT_EQ(ReadBack(path), kSampleSeen);
}

TEST_F(XlsxSaveTest, RowsWrittenInAnyOrderAreSavedInOrderWithTheirLastValues) {
  // libxlsxwriter's constant-memory mode takes rows in ascending order
  // only; the engine must sort what the program wrote.
  Dispatch sheet = book.GetObject("Worksheets", {1});
  sheet.GetObject("Columns", {1}).Set("NumberFormat", "0");
  sheet.GetObject("Rows", {3}).Set("NumberFormat", "General");  // the row's General wins
  const auto put = [&](const char* from, const char* to, std::initializer_list<Variant> values) {
    PutRow(sheet, from, to, values);
  };
  put("A5", "C5", {5, "п'ять", true});
  put("A3", "B3", {3, 3.25});
  put("A5", "C5", {55, "", Date{0.5}});  // B5 left blank, C5 a bare time
  sheet.GetObject("Range", {"E2"}).Set("Value", false);
  VariantArray column(30, 1);  // the Z-report's way: one column, twice
  for (std::size_t r = 1; r <= 30; ++r) column.At(r, 1) = static_cast<std::int32_t>(r);
  sheet.GetObject("Range", {"D1", "D30"}).Set("Value", column);
  column.At(30, 1) = "Петренко";
  sheet.GetObject("Range", {"D1", "D30"}).Set("Value", column);
  const fs::path path = dir / "order.xlsx";
  book.Call("SaveAs", {path.string()});

  std::string expected = "sheets Лист1\nactive Лист1\nЛист1 width A 9.140625\n";
  for (int r = 1; r <= 30; ++r) {
    if (r == 3) expected += "Лист1!A3 number 3 General\nЛист1!B3 number 3.25 General\n";
    if (r == 5) {
      expected += "Лист1!A5 number 55 0\nЛист1!C5 date 12:00:00 m/d/yy h:mm\n";
    }
    expected += "Лист1!D" + std::to_string(r) +
                (r == 30 ? std::string(" text 'Петренко'") : " number " + std::to_string(r)) +
                " General\n";
    if (r == 2) expected += "Лист1!E2 bool False General\n";
  }
  EXPECT_EQ(ReadBack(path), expected);
}

TEST_F(XlsxSaveTest, NumbersKeepTheirFullStopUnderACommaLocale) {
  // A GUI toolkit sets the process's locale from the environment; with
  // uk_UA printf would write 19,99 and the reader would fail or misread.
  const std::string before = std::setlocale(LC_ALL, nullptr);
  ::setenv("LC_ALL", "uk_UA.UTF-8", 1);
  ASSERT_NE(std::setlocale(LC_ALL, ""), nullptr)
      << "locale uk_UA.UTF-8 missing: run scripts/install-deps";
  ASSERT_STREQ(std::localeconv()->decimal_point, ",");
  VariantArray row(1, 2);
  row.At(1, 1) = 19.99;
  row.At(1, 2) = Date{36892.5};
  book.GetObject("Worksheets", {1}).GetObject("Range", {"A1", "B1"}).Set("Value", row);
  const fs::path path = dir / "comma.xlsx";
  book.Call("SaveAs", {path.string()});
  EXPECT_STREQ(std::localeconv()->decimal_point, ",");  // the host's locale is left as it was
  std::setlocale(LC_ALL, before.c_str());
  ::unsetenv("LC_ALL");
  EXPECT_EQ(ReadBack(path),
            "sheets Лист1\n"
            "active Лист1\n"
            "Лист1!A1 number 19.99 General\n"
            "Лист1!B1 date 2001-01-01T12:00:00 m/d/yy h:mm\n");
}

TEST_F(XlsxSaveTest, NewFileGetsPermissionsOfANewlyCreatedFile) {
  const mode_t old = ::umask(027);
  const fs::path path = dir / "perm.xlsx";
  book.Call("SaveAs", {path.string()});
  ::umask(old);
  struct stat info;
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
  EXPECT_EQ(dir.Names(), std::set<std::string>{"perm.xlsx"});
}

TEST_F(XlsxSaveTest, ExistingFileIsReplacedOnlyWithAlertsOff) {
  const fs::path path = dir / "old.xlsx";
  std::ofstream(path) << "old contents";
  EXPECT_EQ(ErrorOf([&] {
              book.Call("SaveAs", {path.string(), 51});
            }),
            "Файл «" + path.string() + "» уже существует");
  EXPECT_EQ(ReadFile(path), "old contents");
  app.Set("DisplayAlerts", false);
  book.Call("SaveAs", {path.string(), 51});
  EXPECT_EQ(ReadFile(path).substr(0, 2), "PK");
  EXPECT_EQ(dir.Names(), std::set<std::string>{"old.xlsx"});
}

TEST_F(XlsxSaveTest, FailedSavesLeaveNothingBehindAndExistingFileUnchanged) {
  app.Set("DisplayAlerts", false);
  const fs::path kept = dir / "kept.xlsx";
  std::ofstream(kept) << "old contents";
  fs::create_directory(dir / "folder.xlsx");

  EXPECT_EQ(ErrorOf([&] { book.Call("SaveAs", {(dir / "missing" / "a.xlsx").string()}); }),
            "Папка «" + (dir / "missing").string() + "» не существует");
  EXPECT_EQ(ErrorOf([&] { book.Call("SaveAs", {(dir / "folder.xlsx").string()}); }),
            "«" + (dir / "folder.xlsx").string() + "» — это папка, а не файл");
  EXPECT_EQ(
      ErrorOf([&] {
        book.Call("SaveAs", {kept.string(), 52});
      }),
      "Неподдерживаемый формат файла: 52 (поддерживаются 51, книга Excel .xlsx, и 56, книга Excel "
      "97-2003 .xls)");
  EXPECT_EQ(ErrorOf([&] { book.Call("SaveAs", {""}); }), "Имя файла не задано");

  EXPECT_EQ(dir.Names(), (std::set<std::string>{"folder.xlsx", "kept.xlsx"}));
  EXPECT_TRUE(fs::is_empty(dir / "folder.xlsx"));
  EXPECT_EQ(ReadFile(kept), "old contents");
}

TEST_F(XlsxSaveTest, FullDiskAndStopRequestsFailTheSaveAndKeepTheOldFile) {
  app.Set("DisplayAlerts", false);
  FillRows(20000);
  const fs::path path = dir / "kept.xlsx";
  std::ofstream(path) << "old contents";
  {
    const test::FileSizeLimit limit(64 * 1024);
    EXPECT_EQ(ErrorOf([&] {
                book.Call("SaveAs", {path.string(), 51});
              }),
              "Не удалось записать файл «" + path.string() + "»: файл слишком велик");
  }
  platform::Cancellation::Request();
  const std::string stopped = ErrorOf([&] { book.Call("SaveAs", {path.string(), 51}); });
  platform::Cancellation::Reset();
  EXPECT_EQ(stopped, "Запись файла прервана");
  EXPECT_EQ(ReadFile(path), "old contents");
  EXPECT_EQ(dir.Names(), std::set<std::string>{"kept.xlsx"});
}

// The same writes into a workbook that holds every row and into one whose
// sheet passes its rows on as writing moves down (see PassedRows), then
// going back: into a passed row, formats over passed rows. Both files
// must read the same, in either format.
TEST_F(XlsxSaveTest, RowsPassedOnWhileWritingSaveAsIfHeldWhole) {
  using namespace workbook;
  WorkbookModel whole;
  WorkbookModel streamed(MakeXlsxRowKeeper());
  for (WorkbookModel* model : {&whole, &streamed}) {
    Sheet& sheet = model->InsertSheet(0);
    sheet.SetNumberFormat({1, 2, kMaxRows, 2}, model->Formats().Intern("0.00"));
    const TextId plain = model->Texts().Intern("мед");
    const TextId marked = model->Texts().Intern(" _x0041_ <&> ");
    for (std::uint32_t row = 1; row <= 6000; ++row) {
      Sheet::RowWriter cells(sheet, row, 3);
      cells.Number(1, row);
      cells.Number(2, row * -0.01);
      cells.Text(3, row % 7 ? plain : marked);
    }
    EXPECT_EQ(sheet.IsPassed(0), model == &streamed);
    Sheet::RowWriter(sheet, 5, 1).Boolean(4, true);
    Sheet::RowWriter(sheet, 6, 1).Clear(1);
    sheet.SetNumberFormat({100, 1, 120, kMaxColumns}, model->Formats().Intern("0.000"));
    sheet.SetNumberFormat({1, 3, kMaxRows, 3}, model->Formats().Intern("@"));
    Sheet::RowWriter(sheet, 9000, 1).Date(1, 45000.5);
  }
  for (const char* name : {"whole", "streamed"}) {
    WorkbookModel& model = name == std::string("whole") ? whole : streamed;
    SaveWorkbook(model, (dir / (name + std::string(".xlsx"))).string(), kOpenXmlWorkbook, false);
    SaveWorkbook(model, (dir / (name + std::string(".xls"))).string(), kExcel8Workbook, false);
  }
  EXPECT_EQ(RunReader("check_xlsx_package.py", dir / "streamed.xlsx"), "ok\n");
  EXPECT_EQ(ReadBack(dir / "streamed.xlsx"), ReadBack(dir / "whole.xlsx"));
  EXPECT_EQ(ReadFile(dir / "streamed.xls"), ReadFile(dir / "whole.xls"));
}

TEST_F(XlsxSaveTest, TheSameWorkbookGivesTheSameBytesAtSourceDateEpoch) {
  app.Set("DisplayAlerts", false);
  FillRows(3000);
  ::setenv("SOURCE_DATE_EPOCH", "1700000000", 1);
  book.Call("SaveAs", {(dir / "a.xlsx").string()});
  book.Call("SaveAs", {(dir / "b.xlsx").string()});
  ::unsetenv("SOURCE_DATE_EPOCH");
  EXPECT_EQ(ReadFile(dir / "a.xlsx"), ReadFile(dir / "b.xlsx"));
  // 2023-11-14 22:13:20 as the first entry's DOS time and date.
  EXPECT_EQ(ReadFile(dir / "a.xlsx").substr(10, 4), "\xAA\xB1\x6E\x57");
}

// How many descriptors the process holds.
int OpenDescriptors() {
  return static_cast<int>(std::distance(fs::directory_iterator("/proc/self/fd"), {}));
}

TEST_F(XlsxSaveTest, SavesGiveBackEveryDescriptor) {
  app.Set("DisplayAlerts", false);
  Dispatch sheets = book.GetObject("Worksheets");
  for (int i = 0; i < 12; ++i) sheets.Call("Add", {});
  const int before = OpenDescriptors();
  book.Call("SaveAs", {(dir / "saved.xlsx").string()});
  EXPECT_EQ(OpenDescriptors(), before);
}

}  // namespace
}  // namespace z917::automation
