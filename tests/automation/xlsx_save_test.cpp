// Workbooks saved through the interface and read back by openpyxl, and the
// ways a save can fail without harming what is on disk.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "automation/automation_error.h"
#include "automation/server_factory.h"

namespace z917::automation {
namespace {

namespace fs = std::filesystem;

template <typename F>
std::string ErrorOf(F call) {
  try {
    call();
  } catch (const AutomationError& e) {
    return e.what();
  }
  return "";
}

// What openpyxl reads from `path`, as tests/automation/read_xlsx.py prints it.
std::string ReadBack(const fs::path& path) {
  const std::string script =
      std::string(std::getenv("Z917_SOURCE_DIR")) + "/tests/automation/read_xlsx.py";
  const std::string command = "/usr/bin/python3 '" + script + "' '" + path.string() + "' 2>&1";
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return "popen failed";
  std::string output;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
  ::pclose(pipe);
  return output;
}

std::set<std::string> Entries(const fs::path& dir) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) names.insert(entry.path().filename());
  return names;
}

std::string Contents(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class XlsxSaveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::path(::testing::TempDir()) /
          ("z917_xlsx_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    app.GetObject("Workbooks").Call("Add", {std::int16_t{-4167}});
    book = app.GetObject("Workbooks", {1});
  }
  void TearDown() override { fs::remove_all(dir); }

  // Two sheets laid out the way the journal's workbook is: widths and
  // formats per column on the first, per row on the second, one header and
  // one data row, a few more cells to show each rule.
  void BuildSample() {
    Dispatch sheets = book.GetObject("Worksheets");
    sheets.Call("Add", {}, {{"After", book.Get("Worksheets", {1})}});
    Dispatch sales = book.GetObject("Worksheets", {1});
    Dispatch report = book.GetObject("Worksheets", {2});
    sales.Set("Name", "Продажі");
    report.Set("Name", "Z-звіт");
    sales.Call("Select");

    Dispatch columns = sales.GetObject("Columns");
    const double widths[] = {13, 15, 13, 40};
    const char* formats[] = {"0", nullptr, "0.00", "@"};
    for (int c = 1; c <= 4; ++c) {
      columns.GetObject("Columns", {c}).Set("ColumnWidth", widths[c - 1]);
      if (formats[c - 1]) columns.GetObject("Columns", {c}).Set("NumberFormat", formats[c - 1]);
    }
    VariantArray row(1, 4);
    const char* captions[] = {"Номер зміни", "Дата/час", "Ціна, грн", "Назва товару"};
    for (int c = 1; c <= 4; ++c) row.At(1, c) = captions[c - 1];
    sales.GetObject("Range", {"A1", "D1"}).Set("Value", row);
    row.At(1, 1) = std::uint32_t{4294967294u};
    row.At(1, 2) = Date{36892.75};
    row.At(1, 3) = 1999 / 100.0;
    row.At(1, 4) = "12";  // a text that looks like a number
    sales.GetObject("Range", {"A2", "D2"}).Set("Value", row);
    VariantArray more(1, 2);
    more.At(1, 1) = std::int8_t{-1};
    more.At(1, 2) = std::int64_t{1234567890123};
    sales.GetObject("Range", {"E3", "F3"}).Set("Value", more);

    report.GetObject("Columns").GetObject("Columns", {1}).Set("ColumnWidth", 30);
    report.GetObject("Rows").GetObject("Rows", {1}).Set("NumberFormat", "0");
    report.GetObject("Rows").GetObject("Rows", {2}).Set("NumberFormat", "0.00");
    VariantArray column(2, 1);
    column.At(1, 1) = 7;
    column.At(2, 1) = 2.5;
    report.GetObject("Range", {"B1", "B2"}).Set("Value", column);
  }

  fs::path dir;
  Dispatch app = StartServer("Excel.Application");
  Dispatch book;
};

TEST_F(XlsxSaveTest, reader_sees_names_order_active_sheet_values_types_formats_widths) {
  BuildSample();
  const fs::path path = dir / "journal.xlsx";
  book.Call("SaveAs", {path.string(), 51});
  EXPECT_EQ(ReadBack(path),
            "sheets Продажі|Z-звіт\n"
            "active Продажі\n"
            "Продажі width A 13.7109375\n"
            "Продажі width B 15.7109375\n"
            "Продажі width C 13.7109375\n"
            "Продажі width D 40.7109375\n"
            "Продажі!A1 text 'Номер зміни' 0\n"
            "Продажі!B1 text 'Дата/час' General\n"
            "Продажі!C1 text 'Ціна, грн' 0.00\n"
            "Продажі!D1 text 'Назва товару' @\n"
            "Продажі!A2 number 4294967294 0\n"
            "Продажі!B2 date 2001-01-01T18:00:00 m/d/yy h:mm\n"
            "Продажі!C2 number 19.99 0.00\n"
            "Продажі!D2 text '12' @\n"
            "Продажі!E3 number -1 General\n"
            "Продажі!F3 number 1234567890123 General\n"
            "Z-звіт width A 30.7109375\n"
            "Z-звіт row 1 0\n"
            "Z-звіт row 2 0.00\n"
            "Z-звіт!B1 number 7 0\n"
            "Z-звіт!B2 number 2.5 0.00\n");
}

TEST_F(XlsxSaveTest, rows_written_in_any_order_are_saved_in_order_with_their_last_values) {
  // libxlsxwriter's constant-memory mode takes rows in ascending order
  // only; the engine must sort what the program wrote.
  Dispatch sheet = book.GetObject("Worksheets", {1});
  sheet.GetObject("Columns", {1}).Set("NumberFormat", "0");
  sheet.GetObject("Rows", {3}).Set("NumberFormat", "General");  // the row's General wins
  const auto put = [&](const char* from, const char* to, std::initializer_list<Variant> values) {
    VariantArray array(1, values.size());
    std::size_t c = 1;
    for (const Variant& v : values) array.At(1, c++) = v;
    sheet.GetObject("Range", {from, to}).Set("Value", array);
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

TEST_F(XlsxSaveTest, numbers_keep_their_full_stop_under_a_comma_locale) {
  // A GUI toolkit sets the process's locale from the environment; with
  // uk_UA printf would write 19,99 and the reader would fail or misread.
  const std::string before = std::setlocale(LC_ALL, nullptr);
  ::setenv("LC_ALL", "uk_UA.UTF-8", 1);
  ASSERT_NE(std::setlocale(LC_ALL, ""), nullptr) << "locale uk_UA.UTF-8 missing: run scripts/install-deps";
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

TEST_F(XlsxSaveTest, new_file_gets_permissions_of_a_newly_created_file) {
  const mode_t old = ::umask(027);
  const fs::path path = dir / "perm.xlsx";
  book.Call("SaveAs", {path.string()});
  ::umask(old);
  struct stat info;
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
  EXPECT_EQ(Entries(dir), std::set<std::string>{"perm.xlsx"});
}

TEST_F(XlsxSaveTest, existing_file_is_replaced_only_with_alerts_off) {
  const fs::path path = dir / "old.xlsx";
  std::ofstream(path) << "old contents";
  EXPECT_EQ(ErrorOf([&] { book.Call("SaveAs", {path.string(), 51}); }),
            "Файл «" + path.string() + "» уже существует");
  EXPECT_EQ(Contents(path), "old contents");
  app.Set("DisplayAlerts", false);
  book.Call("SaveAs", {path.string(), 51});
  EXPECT_EQ(Contents(path).substr(0, 2), "PK");
  EXPECT_EQ(Entries(dir), std::set<std::string>{"old.xlsx"});
}

TEST_F(XlsxSaveTest, failed_saves_leave_nothing_behind_and_existing_file_unchanged) {
  app.Set("DisplayAlerts", false);
  const fs::path kept = dir / "kept.xlsx";
  std::ofstream(kept) << "old contents";
  fs::create_directory(dir / "folder.xlsx");

  EXPECT_EQ(ErrorOf([&] { book.Call("SaveAs", {(dir / "missing" / "a.xlsx").string()}); }),
            "Папка «" + (dir / "missing").string() + "» не существует");
  EXPECT_EQ(ErrorOf([&] { book.Call("SaveAs", {(dir / "folder.xlsx").string()}); }),
            "«" + (dir / "folder.xlsx").string() + "» — это папка, а не файл");
  EXPECT_EQ(ErrorOf([&] { book.Call("SaveAs", {kept.string(), 56}); }),
            "Сохранение в формате Excel 97-2003 (FileFormat 56) пока не поддерживается");
  EXPECT_EQ(ErrorOf([&] { book.Call("SaveAs", {kept.string(), 52}); }),
            "Неподдерживаемый формат файла: 52 (поддерживается 51, книга Excel .xlsx)");
  EXPECT_EQ(ErrorOf([&] { book.Call("SaveAs", {""}); }), "Имя файла не задано");

  EXPECT_EQ(Entries(dir), (std::set<std::string>{"folder.xlsx", "kept.xlsx"}));
  EXPECT_TRUE(fs::is_empty(dir / "folder.xlsx"));
  EXPECT_EQ(Contents(kept), "old contents");
}

}  // namespace
}  // namespace z917::automation
