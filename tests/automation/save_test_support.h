// What the save tests of both file formats share: a sample workbook laid
// out as the journal's is and a reader script run on a saved file.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "automation/automation_error.h"
#include "automation/server_factory.h"
#include "support/files.h"
#include "support/temp_folder.h"

namespace z917::automation::save_test {

namespace fs = std::filesystem;
using test::ReadFile;

// The message of the AutomationError that `call` raises, or "" when none.
template <typename F>
std::string ErrorOf(F call) {
  return test::ErrorOf<AutomationError>(call);
}

// What tests/automation/`script` prints for `path` (stdout and stderr).
inline std::string RunReader(const std::string& script, const fs::path& path,
                             const std::string& options = "") {
  const std::string command = "/usr/bin/python3 '" + std::string(std::getenv("Z917_SOURCE_DIR")) +
                              "/tests/automation/" + script + "' " + options + " '" +
                              path.string() + "' 2>&1";
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return "popen failed";
  std::string output;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
    output.append(buffer, n);
  ::pclose(pipe);
  return output;
}

// A fresh folder for one test and a workbook started in the engine.
class SaveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    app.GetObject("Workbooks").Call("Add", {std::int16_t{-4167}});
    book = app.GetObject("Workbooks", {1});
  }

  // Writes `values` as one row from cell `from` to `to`.
  void PutRow(Dispatch& sheet, const char* from, const char* to,
              std::initializer_list<Variant> values) {
    VariantArray array(1, values.size());
    std::size_t c = 1;
    for (const Variant& v : values) array.At(1, c++) = v;
    sheet.GetObject("Range", {from, to}).Set("Value", array);
  }

  // Fills `rows` rows of three numbers on the first sheet: a workbook whose
  // file takes some room.
  void FillRows(std::size_t rows) {
    VariantArray block(rows, 3);
    for (std::size_t r = 1; r <= rows; ++r) {
      for (std::size_t c = 1; c <= 3; ++c) block.At(r, c) = static_cast<double>(r * c) + 0.25;
    }
    const std::string last = "C" + std::to_string(rows);
    book.GetObject("Worksheets", {1}).GetObject("Range", {"A1", last}).Set("Value", block);
  }

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
    PutRow(sales, "A1", "D1", {"Номер зміни", "Дата/час", "Ціна, грн", "Назва товару"});
    // The last: a text that looks like a number.
    PutRow(sales, "A2", "D2", {std::uint32_t{4294967294u}, Date{36892.75}, 1999 / 100.0, "12"});
    PutRow(sales, "E3", "F3", {std::int8_t{-1}, std::int64_t{1234567890123}});

    report.GetObject("Columns").GetObject("Columns", {1}).Set("ColumnWidth", 30);
    report.GetObject("Rows").GetObject("Rows", {1}).Set("NumberFormat", "0");
    report.GetObject("Rows").GetObject("Rows", {2}).Set("NumberFormat", "0.00");
    VariantArray column(2, 1);
    column.At(1, 1) = 7;
    column.At(2, 1) = 2.5;
    report.GetObject("Range", {"B1", "B2"}).Set("Value", column);
  }

  // What a reader sees of BuildSample's workbook, in the words of the
  // reader scripts.
  static constexpr const char* kSampleSeen =
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
      "Z-звіт!B2 number 2.5 0.00\n";

  const test::TempFolder dir{"z917_save"};
  Dispatch app = StartServer("Excel.Application");
  Dispatch book;
};

}  // namespace z917::automation::save_test
