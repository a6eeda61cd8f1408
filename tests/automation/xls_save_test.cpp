// Workbooks saved through the interface as .xls and read back by xlrd,
// the limits of the format, and the ways such a save can fail without
// harming what is on disk.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "automation/save_test_support.h"
#include "platform/cancellation.h"
#include "support/file_size_limit.h"

namespace z917::automation {
namespace {

using namespace save_test;

std::string ReadBack(const fs::path& path, const std::string& options = "") {
  return RunReader("read_xls.py", path, options);
}

class XlsSaveTest : public SaveTest {};

TEST_F(XlsSaveTest, ReaderSeesNamesOrderActiveSheetValuesTypesFormatsWidths) {
  BuildSample();
  const fs::path path = dir / "journal.xls";
  book.Call("SaveAs", {path.string(), 56});
  // The same as the .xlsx, and the columns' own formats too.
  std::string expected = kSampleSeen;
  for (const auto& [after, line] : {std::pair{"width A 13.7109375\n", "Продажі column A 0\n"},
                                    std::pair{"width C 13.7109375\n", "Продажі column C 0.00\n"},
                                    std::pair{"width D 40.7109375\n", "Продажі column D @\n"}}) {
    const std::size_t at = expected.find(after) + std::string(after).size();
    expected.insert(at, line);
  }
  EXPECT_EQ(ReadBack(path), expected);
  EXPECT_EQ(dir.Names(), std::set<std::string>{"journal.xls"});
}

TEST_F(XlsSaveTest, BooleansBlanksTimesRowFormatsAndALaterActiveSheet) {
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
            "Лист1 column A 0\n"
            "Лист1 row 3 General\n"
            "Лист1!A3 number 3 General\n"
            "Лист1!B3 text 'Ωμέγα ✓ 𝄞' General\n"
            "Лист1!A5 number 55 0\n"
            "Лист1!E5 date 12:00:00 m/d/yy h:mm\n"
            "Лист1!C7 bool True General\n"
            "Лист1!D7 bool False General\n"
            "Каса!IV65536 text 'кінець' General\n");
}

TEST_F(XlsSaveTest, LongStringTableContinuesAcrossRecordsWithEveryTextIntact) {
  // Short and long texts, one byte a character (Latin) and two (Cyrillic),
  // enough of them that the table runs through many CONTINUE records and
  // strings break across them at every kind of place.
  std::vector<std::string> texts;
  for (int i = 0; i < 1500; ++i) {
    texts.push_back(i % 2 ? "Товар №" + std::to_string(i) : "Item " + std::to_string(i));
  }
  std::string longest;
  for (int i = 0; i < 32767; ++i) longest += i % 2 ? "ї" : "Ж";
  texts.push_back(longest);  // the longest text a cell holds
  for (int i = 0; i < 12; ++i) {
    std::string text(3000 + 1111 * i, static_cast<char>('a' + i));
    if (i % 3 == 0) text += "ґ";  // a late wide character makes the whole text wide
    texts.push_back(text);
  }
  Dispatch sheet = book.GetObject("Worksheets", {1});
  VariantArray column(texts.size(), 1);
  for (std::size_t r = 0; r < texts.size(); ++r) column.At(r + 1, 1) = texts[r];
  const std::string last = "A" + std::to_string(texts.size());
  sheet.GetObject("Range", {"A1", last}).Set("Value", column);
  PutRow(sheet, "B1", "B1", {texts.back()});  // a text used twice is stored once

  const fs::path path = dir / "strings.xls";
  book.Call("SaveAs", {path.string(), 56});
  std::string expected = "sheets Лист1\nactive Лист1\n";
  for (std::size_t r = 0; r < texts.size(); ++r) {
    expected += "Лист1!A" + std::to_string(r + 1) + " text '" + texts[r] + "' General\n";
    if (r == 0) expected += "Лист1!B1 text '" + texts.back() + "' General\n";
  }
  const std::string seen = ReadBack(path);
  EXPECT_TRUE(seen == expected) << seen.substr(0, 2000);
}

TEST_F(XlsSaveTest, WorkbookOver7MbChainsItsFatThroughDifatSectors) {
  // 65,536 rows of 8 numbers: a stream of about 11 MB, whose FAT needs
  // more than the 109 sectors the header lists. The last row is the
  // format's last.
  Dispatch sheet = book.GetObject("Worksheets", {1});
  constexpr std::size_t kRows = 65536, kColumns = 8, kChunk = 4096;
  VariantArray chunk(kChunk, kColumns);
  double sum = 0;
  for (std::size_t first = 1; first <= kRows; first += kChunk) {
    for (std::size_t r = 0; r < kChunk; ++r) {
      for (std::size_t c = 0; c < kColumns; ++c) {
        const double value = static_cast<double>((first + r) * 10 + c);
        chunk.At(r + 1, c + 1) = value;
        sum += value;
      }
    }
    sheet
        .GetObject("Range", {"A" + std::to_string(first), "H" + std::to_string(first + kChunk - 1)})
        .Set("Value", chunk);
  }
  const fs::path path = dir / "big.xls";
  book.Call("SaveAs", {path.string(), 56});
  ASSERT_GT(fs::file_size(path), 109u * 128 * 512);
  EXPECT_EQ(ReadBack(path, "--summary"),
            "sheets Лист1\nactive Лист1\nЛист1 rows 65536 cells 524288 sum " +
                std::to_string(static_cast<long long>(sum)) + "\n");
}

TEST_F(XlsSaveTest, ARowPastTheLimitFailsTheSaveAndLeavesTheOldFile) {
  app.Set("DisplayAlerts", false);
  const fs::path path = dir / "limits.xls";
  Dispatch sheet = book.GetObject("Worksheets", {1});
  sheet.Set("Name", "Продажі");
  PutRow(sheet, "IV65536", "IV65536", {"останній рядок"});  // the last cell that fits
  book.Call("SaveAs", {path.string(), 56});
  const std::string saved = ReadFile(path);

  PutRow(sheet, "A65537", "A65537", {1});
  EXPECT_EQ(ErrorOf([&] {
              book.Call("SaveAs", {path.string(), 56});
            }),
            "Лист «Продажі» не помещается в файл Excel 97-2003: в нём больше 65536 строк "
            "(занята строка 65537); сохраните книгу в формате .xlsx");
  EXPECT_EQ(dir.Names(), std::set<std::string>{"limits.xls"});
  EXPECT_EQ(ReadFile(path), saved);
}

TEST_F(XlsSaveTest, FormattedRowsAndColumnsCountAgainstTheLimits) {
  Dispatch first = book.GetObject("Worksheets", {1});
  Dispatch second(book.GetObject("Worksheets").Call("Add", {}, {{"After", first.AsVariant()}}));
  second.Set("Name", "Z-звіт");
  second.GetObject("Columns", {257}).Set("ColumnWidth", 5);
  EXPECT_EQ(ErrorOf([&] {
              book.Call("SaveAs", {(dir / "a.xls").string(), 56});
            }),
            "Лист «Z-звіт» не помещается в файл Excel 97-2003: в нём больше 256 столбцов "
            "(занят столбец IW); сохраните книгу в формате .xlsx");
  first.GetObject("Rows", {70000}).Set("NumberFormat", "0");
  EXPECT_EQ(ErrorOf([&] {
              book.Call("SaveAs", {(dir / "a.xls").string(), 56});
            }),
            "Лист «Лист1» не помещается в файл Excel 97-2003: в нём больше 65536 строк "
            "(занята строка 70000); сохраните книгу в формате .xlsx");
  EXPECT_TRUE(fs::is_empty(dir.Path()));
}

TEST_F(XlsSaveTest, FailedSavesLeaveNothingBehindAndExistingFileUnchanged) {
  const fs::path kept = dir / "kept.xls";
  std::ofstream(kept) << "old contents";
  fs::create_directory(dir / "folder.xls");
  EXPECT_EQ(ErrorOf([&] {
              book.Call("SaveAs", {(dir / "missing" / "a.xls").string(), 56});
            }),
            "Папка «" + (dir / "missing").string() + "» не существует");
  EXPECT_EQ(ErrorOf([&] {
              book.Call("SaveAs", {(dir / "folder.xls").string(), 56});
            }),
            "«" + (dir / "folder.xls").string() + "» — это папка, а не файл");
  EXPECT_EQ(ErrorOf([&] {
              book.Call("SaveAs", {kept.string(), 56});
            }),
            "Файл «" + kept.string() + "» уже существует");
  EXPECT_EQ(dir.Names(), (std::set<std::string>{"folder.xls", "kept.xls"}));
  EXPECT_TRUE(fs::is_empty(dir / "folder.xls"));
  EXPECT_EQ(ReadFile(kept), "old contents");

  app.Set("DisplayAlerts", false);
  book.Call("SaveAs", {kept.string(), 56});
  EXPECT_EQ(ReadFile(kept).substr(0, 4), "\xD0\xCF\x11\xE0");
  EXPECT_EQ(dir.Names(), (std::set<std::string>{"folder.xls", "kept.xls"}));
}

TEST_F(XlsSaveTest, FullDiskAndStopRequestsFailTheSaveAndKeepTheOldFile) {
  app.Set("DisplayAlerts", false);
  FillRows(20000);
  const fs::path path = dir / "kept.xls";
  std::ofstream(path) << "old contents";
  {
    const test::FileSizeLimit limit(64 * 1024);
    EXPECT_EQ(ErrorOf([&] {
                book.Call("SaveAs", {path.string(), 56});
              }),
              "Не удалось записать файл «" + path.string() + "»: файл слишком велик");
  }
  platform::Cancellation::Request();
  const std::string stopped = ErrorOf([&] { book.Call("SaveAs", {path.string(), 56}); });
  platform::Cancellation::Reset();
  EXPECT_EQ(stopped, "Запись файла прервана");
  EXPECT_EQ(ReadFile(path), "old contents");
  EXPECT_EQ(dir.Names(), std::set<std::string>{"kept.xls"});
}

}  // namespace
}  // namespace z917::automation
