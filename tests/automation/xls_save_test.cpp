// Workbooks saved through the interface as .xls and read back by xlrd,
// the limits of the format, and the ways such a save can fail without
// harming what is on disk.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "automation/save_test_support.h"

namespace z917::automation {
namespace {

using namespace save_test;

std::string ReadBack(const fs::path& path, const std::string& options = "") {
  return RunReader("read_xls.py", path, options);
}

class XlsSaveTest : public SaveTest {};

TEST_F(XlsSaveTest, reader_sees_names_order_active_sheet_values_types_formats_widths) {
  BuildSample();
  const fs::path path = dir / "journal.xls";
  book.Call("SaveAs", {path.string(), 56});
  EXPECT_EQ(ReadBack(path), kSampleSeen);
  EXPECT_EQ(Entries(dir), std::set<std::string>{"journal.xls"});
}

TEST_F(XlsSaveTest, booleans_blanks_times_row_formats_and_a_later_active_sheet) {
  Dispatch sheet = book.GetObject("Worksheets", {1});
  sheet.GetObject("Columns", {1}).Set("NumberFormat", "0");
  sheet.GetObject("Rows", {3}).Set("NumberFormat", "General");
  PutRow(sheet, "A5", "E5", {5, "п'ять", 2, 3, 1.5});
  PutRow(sheet, "A5", "E5", {55, "", "", "", Date{0.5}});  // B5:D5 blank, E5 a bare time
  PutRow(sheet, "A3", "B3", {3, "Ωμέγα ✓ 𝄞"});
  PutRow(sheet, "C7", "D7", {true, false});
  Dispatch second(book.GetObject("Worksheets").Call("Add", {}, {{"After", sheet.AsVariant()}}));
  second.Set("Name", "Каса");
  PutRow(second, "IV65536", "IV65536", {"кінець"});  // the last cell of the format
  second.Call("Select");
  const fs::path path = dir / "kinds.xls";
  book.Call("SaveAs", {path.string(), 56});
  EXPECT_EQ(ReadBack(path),
            "sheets Лист1|Каса\n"
            "active Каса\n"
            "Лист1 row 3 General\n"
            "Лист1!A3 number 3 General\n"
            "Лист1!B3 text 'Ωμέγα ✓ 𝄞' General\n"
            "Лист1!A5 number 55 0\n"
            "Лист1!E5 date 12:00:00 m/d/yy h:mm\n"
            "Лист1!C7 bool True General\n"
            "Лист1!D7 bool False General\n"
            "Каса!IV65536 text 'кінець' General\n");
}

}  // namespace
}  // namespace z917::automation
