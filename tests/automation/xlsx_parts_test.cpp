// The package parts of an .xlsx file and the escaping of their texts.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "automation/automation_error.h"
#include "automation/cell_address.h"
#include "automation/workbook/workbook_model.h"
#include "automation/workbook/xlsx/package_parts.h"
#include "automation/workbook/xlsx/row_xml.h"
#include "automation/workbook/xlsx/xml_text.h"
#ifndef _WIN32
#include "automation/save_test_support.h"
#include "support/files.h"
#include "support/temp_folder.h"
#endif

namespace z917::workbook::xlsx {
namespace {

// A row's XML reads back as the very cells it was written from: the
// sheet takes passed rows back this way, so nothing may change on the way.
TEST(XlsxPartsTest, RowsReadBackExactlyAsWritten) {
  const double numbers[] = {0,
                            -0.0,
                            52.9,
                            -0.005,
                            1.704,
                            0.1 + 1e-17,
                            41521.34284722222,
                            1e300,
                            5e-324,
                            9007199254740993.0,
                            -123456789012.5};
  Row rows[3];
  bool created;
  for (std::uint16_t c = 0; c < std::size(numbers); ++c) {
    rows[0].FindOrInsert(static_cast<std::uint16_t>(c + 1), c, created).SetNumber(numbers[c]);
  }
  rows[2].SetFormat(7);
  rows[2].FindOrInsert(3, 2, created).SetText(12345);
  rows[2].FindOrInsert(16384, 0, created).SetBoolean(true);
  rows[2].FindOrInsert(16383, 5, created);  // blank, a format only
  std::string xml;
  EXPECT_EQ(AppendPageXml(xml, 1048574, rows), 1u);
  Row back[3];
  ReadRowsXml(xml, 1048574, back);
  for (int r = 0; r < 3; ++r) {
    ASSERT_EQ(back[r].Format(), rows[r].Format());
    ASSERT_EQ(back[r].Cells().size(), rows[r].Cells().size());
    for (std::size_t c = 0; c < rows[r].Cells().size(); ++c) {
      const Cell &was = rows[r].Cells()[c], &is = back[r].Cells()[c];
      EXPECT_EQ(std::memcmp(&was, &is, sizeof was), 0) << "row " << r << " cell " << c;
    }
  }
  EXPECT_THROW(ReadRowsXml("<row r=\"5\"><c r=\"A6\"/></row>", 5, back),
               automation::AutomationError);
}

TEST(XlsxPartsTest, TextsEscapeMarkupControlsAndLookalikeEscapes) {
  const struct {
    std::string_view text, xml;
    bool preserve;
  } cases[] = {
      {"a&b<c>d", "a&amp;b&lt;c&gt;d", false},
      {"_x0041_", "_x005F_x0041_", false},
      {"_X00a1_ _x00a1_", "_x005F_X00a1_ _x005F_x00a1_", false},
      {"_x12_ _x00G1_ _x0041", "_x12_ _x00G1_ _x0041", false},
      // The escape of the control character would close the lookalike.
      {"_x0041\x01", "_x005F_x0041_x0001_", false},
      {"\x01\x1f"
       "a\rb",
       "_x0001__x001F_a_x000D_b", false},
      {"\tx\n", "\tx\n", true},
      {" Ж", " Ж", true},
      {"\xEF\xBF\xBE\xEF\xBF\xBF\xEF\xBB\xBF", "_xFFFE__xFFFF_\xEF\xBB\xBF", false},
      {"", "", false},
  };
  for (const auto& c : cases) {
    std::string xml = "<";
    AppendText(xml, c.text);
    EXPECT_EQ(xml, "<" + std::string(c.xml)) << c.text;
    EXPECT_EQ(NeedsPreserve(c.text), c.preserve) << c.text;
  }
  std::string attribute;
  AppendAttribute(attribute, "a&<>\"\t\n\r_x0041_");
  EXPECT_EQ(attribute, "a&amp;&lt;&gt;&quot;&#9;&#10;&#13;_x0041_");
}

TEST(XlsxPartsTest, ColumnWidthsAreStoredAsLibxlsxwriterStoredThem) {
  const std::pair<double, double> widths[] = {{0, 0},           {0.5, 0.85546875},
                                              {1, 1.7109375},   {8.43, 9.140625},
                                              {13, 13.7109375}, {255, 255.7109375}};
  for (const auto& [chars, stored] : widths) EXPECT_EQ(StoredColumnWidth(chars), stored) << chars;
}

TEST(XlsxPartsTest, CellFormatIIsFormatIdI) {
  NumberFormats formats;
  formats.Intern("0");
  formats.Intern("\"a&b\" 0.00");
  const std::string styles = StylesPart(formats);
  EXPECT_NE(styles.find("<numFmts count=\"2\"><numFmt numFmtId=\"164\" formatCode=\"0\"/>"
                        "<numFmt numFmtId=\"165\" formatCode=\"&quot;a&amp;b&quot; 0.00\"/>"),
            std::string::npos);
  const std::string xf = "\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\"";
  EXPECT_NE(styles.find("<cellXfs count=\"4\"><xf numFmtId=\"0" + xf + "/><xf numFmtId=\"22" + xf +
                        " applyNumberFormat=\"1\"/><xf numFmtId=\"164" + xf +
                        " applyNumberFormat=\"1\"/><xf numFmtId=\"165" + xf +
                        " applyNumberFormat=\"1\"/></cellXfs>"),
            std::string::npos);
}

TEST(XlsxPartsTest, WorksheetHeadNamesUsedRangeViewAndColumnsAsToday) {
  WorkbookModel book;
  Sheet& sheet = book.InsertSheet(0);
  EXPECT_NE(WorksheetHead(sheet, false)
                .find("<dimension ref=\"A1\"/><sheetViews><sheetView "
                      "workbookViewId=\"0\"/></sheetViews><sheetFormatPr "
                      "defaultRowHeight=\"15\"/><sheetData>"),
            std::string::npos);
  const FormatId integer = book.Formats().Intern("0");
  sheet.SetColumnWidth(1, 3, 13);
  sheet.SetColumnWidth(4, 4, 15);
  sheet.SetNumberFormat(automation::ParseAddress("A:C"), integer);
  sheet.SetNumberFormat(automation::ParseAddress("F:F"), integer);  // E has nothing: left out
  sheet.SetNumberFormat(automation::ParseAddress("G:G"), kGeneralFormat);
  Sheet::RowWriter(sheet, 2, 1).Number(2, 1);
  Sheet::RowWriter(sheet, 5, 1).Number(4, 1);
  EXPECT_NE(WorksheetHead(sheet, true)
                .find("<dimension ref=\"B2:D5\"/><sheetViews><sheetView tabSelected=\"1\" "
                      "workbookViewId=\"0\"/></sheetViews><sheetFormatPr defaultRowHeight=\"15\"/>"
                      "<cols><col min=\"1\" max=\"3\" width=\"13.7109375\" style=\"2\" "
                      "customWidth=\"1\"/><col min=\"4\" max=\"4\" width=\"15.7109375\" "
                      "customWidth=\"1\"/><col min=\"6\" max=\"6\" width=\"9.140625\" "
                      "style=\"2\"/><col min=\"7\" max=\"7\" width=\"9.140625\"/></cols>"
                      "<sheetData>"),
            std::string::npos);
}

TEST(XlsxPartsTest, CorePropertiesCarryUtcTime) {
  EXPECT_NE(CorePropertiesPart(1700000000).find(">2023-11-14T22:13:20Z</dcterms:created>"),
            std::string::npos);
  EXPECT_NE(CorePropertiesPart(-1).find(">1969-12-31T23:59:59Z</dcterms:modified>"),
            std::string::npos);
}

#ifndef _WIN32
// Every part parses, has a content type, and is where the relationships say.
TEST(XlsxPartsTest, PartsMakeAPackageThatHoldsTogether) {
  WorkbookModel book;
  book.InsertSheet(0);
  book.RenameSheet(book.InsertSheet(1), "Z&<звіт>");
  book.Formats().Intern("0.00");
  const test::TempFolder dir{"z917_xlsx_parts"};
  const auto put = [&](std::string_view name, std::string_view text) {
    std::filesystem::create_directories((dir / name).parent_path());
    test::WriteFile(dir / name, text);
  };
  std::string strings = SharedStringsHead(1, 1);
  AppendSharedString(strings, " _x0041_\x01");
  put(kContentTypesName, ContentTypesPart(2, true));
  put(kRootRelationshipsName, RootRelationshipsPart());
  put(kAppPropertiesName, AppPropertiesPart(book));
  put(kCorePropertiesName, CorePropertiesPart(1700000000));
  put(kWorkbookName, WorkbookPart(book));
  put(kWorkbookRelationshipsName, WorkbookRelationshipsPart(2, true));
  put(kStylesName, StylesPart(book.Formats()));
  put(kSharedStringsName, strings + std::string(SharedStringsTail()));
  put(WorksheetName(0), WorksheetHead(book.SheetAt(0), false) + std::string(WorksheetTail()));
  put(WorksheetName(1), WorksheetHead(book.SheetAt(1), true) +
                            "<row r=\"1\"><c r=\"A1\" s=\"2\" t=\"s\"><v>0</v></c></row>" +
                            std::string(WorksheetTail()));
  EXPECT_EQ(automation::save_test::RunReader("check_xlsx_package.py", dir.Path()), "ok\n");
  EXPECT_NE(WorkbookPart(book).find("<workbookView activeTab=\"1\"/></bookViews><sheets><sheet "
                                    "name=\"Лист1\" sheetId=\"1\" r:id=\"rId1\"/><sheet "
                                    "name=\"Z&amp;&lt;звіт&gt;\" sheetId=\"2\" r:id=\"rId2\"/>"),
            std::string::npos);
}
#endif

}  // namespace
}  // namespace z917::workbook::xlsx
