#include "excel_writer/excel_book_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <memory>
#include <tuple>

#include "excel_writer/fake_excel.h"
#include "excel_writer/row_transport.h"
#include "journal/cp1251.h"
#include "platform/cancellation.h"
#include "support/recorded_messages.h"

namespace z917::excel_writer {
namespace {

using test::FakeExcelState;

using test::Error;
using test::RecordingMessages;
using test::Shown;

std::size_t CountLines(const std::vector<std::string>& log, std::string_view part) {
  return std::count_if(log.begin(), log.end(),
                       [&](const std::string& l) { return l.find(part) != std::string::npos; });
}

std::vector<std::string> LinesWith(const std::vector<std::string>& log, std::string_view part) {
  std::vector<std::string> lines;
  for (const auto& l : log) {
    if (l.find(part) != std::string::npos) lines.push_back(l);
  }
  return lines;
}

class ExcelBookWriterTest : public ::testing::Test {
 protected:
  std::vector<std::string>& Log() { return state->log; }
  // The log lines written since the workbook was laid out.
  std::vector<std::string> LogAfterCreate() {
    return {state->log.begin() + static_cast<long>(createdAt), state->log.end()};
  }
  void Create() {
    ASSERT_TRUE(writer.CreateExcelBook());
    createdAt = state->log.size();
  }
  // Z-reports 1..count, each with its number as shift and check number.
  void WriteZReports(std::uint16_t count) {
    for (std::uint16_t i = 1; i <= count; ++i) {
      ASSERT_TRUE(writer.WriteZReport(2, i, i, 3, 0, 4, 5, 6, 700, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10,
                                      11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, "Z"));
    }
  }
  // The log lines of the last save, from the version read to SaveAs.
  std::vector<std::string> SaveLog(const std::string& path) {
    const std::size_t before = state->log.size();
    EXPECT_TRUE(writer.SaveExcelBook(path));
    return {state->log.begin() + static_cast<long>(before), state->log.end()};
  }

  std::shared_ptr<FakeExcelState> state = std::make_shared<FakeExcelState>();
  RecordingMessages messages;
  // One row a block: every entry reaches the server as it is written.
  ExcelBookWriter writer{test::FakeExcelStarter(state), messages, 1};
  std::size_t createdAt = 0;
  const std::string kSheet1 = "book.Worksheets(i32:1)";
};

// Only a server in this process hears the format ahead: a real Excel
// would keep it as its user's own setting.
TEST_F(ExcelBookWriterTest, CreateTellsTheFormatAheadOnlyToAServerInThisProcess) {
  const struct {
    const char* path;
    bool outOfProcess;
    std::size_t told;
  } cases[] = {{"a.xls", false, 1}, {"a.XLSX", false, 1}, {"a.xls", true, 0}, {"a.bin", false, 1}};
  // The version read for it is Excel 16's (the engine's): ".XLSX" and a
  // name without a known extension are told as 51.
  for (const auto& c : cases) {
    state->outOfProcess = c.outOfProcess;
    Log().clear();
    ASSERT_TRUE(writer.CreateDocument(c.path));
    EXPECT_EQ(CountLines(Log(), "DefaultSaveFormat"), c.told) << c.path;
    writer.CloseDocument();
  }
}

TEST_F(ExcelBookWriterTest, CreateStartsOneHiddenWorkbookOfTenSheets) {
  Create();
  const auto& log = Log();
  ASSERT_GE(log.size(), 4u);
  EXPECT_EQ(log[0], "start Excel.Application");
  EXPECT_EQ(log[1], "set app.Visible = bool:false");
  // Quiet and quick while it writes; calculation is left as it is.
  EXPECT_EQ(log[2], "set app.ScreenUpdating = bool:false");
  EXPECT_EQ(log[3], "set app.EnableEvents = bool:false");
  EXPECT_EQ(CountLines(log, "Calculation"), 0u);
  EXPECT_EQ(log[5], "call app.Workbooks.Add(i16:-4167)");
  // Nine sheets, each added after the last one Count names.
  const auto adds = LinesWith(log, ".Add(After:=");
  ASSERT_EQ(adds.size(), 9u);
  EXPECT_EQ(adds[0],
            "call book.Worksheets.Add(After:=obj:book."
            "Worksheets(i32:1))");
  EXPECT_EQ(adds[8],
            "call book.Worksheets.Add(After:=obj:book."
            "Worksheets(i32:9))");
  const auto names = LinesWith(log, ".Name = ");
  ASSERT_EQ(names.size(), 10u);
  EXPECT_EQ(names[0], "set " + kSheet1 + ".Name = text:\"Продажі\"");
  EXPECT_EQ(names[4], "set book.Worksheets(i32:5).Name = text:\"Внес. вилуч. готівки\"");
  EXPECT_EQ(names[9],
            "set book.Worksheets(i32:10).Name = text:\"Підсумок чека "
            "виплати\"");
  EXPECT_EQ(LinesWith(log, ".Select"), std::vector<std::string>{"call " + kSheet1 + ".Select"});
  EXPECT_EQ(CountLines(log, ".Value = "), 10u);  // one assignment per header
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ExcelBookWriterTest, CreateSetsWidthsAndFormatsButNoneOnTheDateColumn) {
  Create();
  const auto& log = Log();
  const std::string columns = kSheet1 + ".Columns";
  EXPECT_EQ(CountLines(log, "set " + columns + ".Columns("), 15u + 14u);
  EXPECT_EQ(CountLines(log, columns + ".Columns(i32:4).NumberFormat"), 0u);
  EXPECT_EQ(CountLines(log, "set " + columns + ".Columns(i32:4).ColumnWidth = i32:15"), 1u);
  EXPECT_EQ(CountLines(log, "set " + columns + ".Columns(i32:9).NumberFormat = text:\"0.000\""),
            1u);
  EXPECT_EQ(CountLines(log, "set " + columns + ".Columns(i32:10).NumberFormat = text:\"0.00\""),
            1u);
  EXPECT_EQ(CountLines(log, "set " + columns + ".Columns(i32:12).NumberFormat = text:\"@\""), 1u);
  EXPECT_EQ(CountLines(log, ".Columns(i32:4).NumberFormat"), 0u);  // on every sheet
  EXPECT_EQ(
      LinesWith(log, "set " + kSheet1 + ".Range")[0],
      "set " + kSheet1 +
          ".Range(text:\"A1\", text:\"O1\").Value = [text:\"Номер зміни\"|"
          "text:\"Номер чека\"|text:\"Номер касира\"|text:\"Дата/час\"|text:\"Номер пакета\"|"
          "text:\"Відмова\"|text:\"Код товару\"|text:\"Номер партії\"|text:\"Кількість, шт/кг\"|"
          "text:\"Ціна, грн\"|text:\"Вартість, грн\"|text:\"Податкова група\"|"
          "text:\"Ваговий/штучний товар\"|text:\"Товар/послуга/виплата\"|text:\"Назва товару\"]");
}

TEST_F(ExcelBookWriterTest, ZReportSheetRunsDownWithRowFormatsExceptRow4) {
  Create();
  const std::string z = "book.Worksheets(i32:8)";
  const auto& log = Log();
  EXPECT_EQ(
      LinesWith(log, z + ".Columns.Columns"),
      (std::vector<std::string>{"get " + z + ".Columns.Columns(i32:1)",
                                "set " + z + ".Columns.Columns(i32:1).ColumnWidth = i32:30",
                                "get " + z + ".Columns.Columns(i32:2)",
                                "set " + z + ".Columns.Columns(i32:2).ColumnWidth = i32:15"}));
  EXPECT_EQ(CountLines(log, "set " + z + ".Rows.Rows("), 29u);
  EXPECT_EQ(CountLines(log, z + ".Rows.Rows(i32:4)"), 0u);
  EXPECT_EQ(CountLines(log, "set " + z + ".Rows.Rows(i32:30).NumberFormat = text:\"@\""), 1u);
  const auto header = LinesWith(log, "set " + z + ".Range");
  ASSERT_EQ(header.size(), 1u);
  EXPECT_EQ(header[0].substr(0, header[0].find('[')),
            "set " + z + ".Range(text:\"A1\", text:\"A30\").Value = ");
  EXPECT_NE(header[0].find("|text:\"Ім’я касира\"]"), std::string::npos);
}

TEST_F(ExcelBookWriterTest, EachEntryCostsOneRangeAndOneValue) {
  Create();
  ASSERT_TRUE(writer.WriteSale(6, 5, 13, 2, 41521.5, 1001, 0, 123456, 789, 1500, 1999, 3899, 4, 1,
                               3, journal::Utf8ToCp1251("Сир").c_str()));
  EXPECT_EQ(
      LogAfterCreate(),
      (std::vector<std::string>{
          "get " + kSheet1 + ".Range(text:\"A6\", text:\"O6\")",
          "set " + kSheet1 +
              ".Range(text:\"A6\", text:\"O6\").Value = [u16:5|u16:13|u8:2|"
              "date:41521.5|u32:1001|u8:0|i64:123456|u32:789|d:1.5|d:19.99|d:38.99|text:\"Д\"|"
              "text:\"Ваговий\"|text:\"Виплата\"|text:\"Сир\"]"}));
}

TEST_F(ExcelBookWriterTest, AllBitsPacketNumberAndPriceHaveTheirOwnForms) {
  Create();
  ASSERT_TRUE(writer.WriteReceipt(2, 1, 1, 1, 0, 0xFFFFFFFFu, -5, 7, 3, 2000, 0xFFFFFFFFu, "K"));
  ASSERT_TRUE(writer.WriteReturn(2, 1, 1, 1, 0, 0xFFFFFFFEu, 9, 7, 3, 2000, 0, "K"));
  const auto log = LogAfterCreate();
  EXPECT_NE(log[1].find("= [u16:1|u16:1|u8:1|date:0|i8:-1|i64:-5|i64:7|u32:3|d:2|text:\"-\"|"),
            std::string::npos);
  EXPECT_NE(log[3].find("|u32:4294967294|i64:9|i64:7|u32:3|d:2|d:0|text:\"K\"]"),
            std::string::npos);
  EXPECT_NE(log[3].find("Worksheets(i32:7).Range(text:\"A2\", text:\"K2\")"), std::string::npos);
}

TEST_F(ExcelBookWriterTest, LookupsGiveTheBlankTaxGroupAndCashDirections) {
  Create();
  ASSERT_TRUE(writer.WriteRefund(2, 1, 1, 1, 0, 1, 0, 1, 1, 1, 1, 1, 5, 0, 2, "R", "G"));
  ASSERT_TRUE(writer.WriteCashIn(2, 1, 1, 1, 0, 1, 150000, 250000, "K"));
  ASSERT_TRUE(writer.WriteCashOut(3, 1, 1, 1, 0, 2, 100, 0, "K"));
  const auto log = LogAfterCreate();
  EXPECT_NE(log[1].find("|text:\" \"|text:\"Штучний\"|text:\"Виплата\"|text:\"R\"|text:\"G\"]"),
            std::string::npos);
  EXPECT_NE(log[3].find("(text:\"A2\", text:\"I2\").Value = [u16:1|u16:1|u8:1|date:0|u32:1|"
                        "text:\"Внесення\"|d:1500|d:2500|text:\"K\"]"),
            std::string::npos);
  EXPECT_NE(log[5].find("(text:\"A3\", text:\"I3\").Value = "), std::string::npos);
  EXPECT_NE(log[5].find("text:\"Вилучення\"|d:1|d:0|"), std::string::npos);
}

TEST_F(ExcelBookWriterTest, EveryZReportGoesToB1B30) {
  Create();
  for (std::uint32_t position : {2u, 3u}) {
    ASSERT_TRUE(writer.WriteZReport(position, 1, 2, 3, 0, 4, 5, 6, 21474836475, 1, 2, 3, 4, 5, 6, 7,
                                    8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, "Z"));
  }
  const auto log = LogAfterCreate();
  ASSERT_EQ(log.size(), 4u);
  EXPECT_EQ(log[3],
            "set book.Worksheets(i32:8).Range(text:\"B1\", text:\"B30\")"
            ".Value = [u16:1|u16:2|u8:3|date:0|u32:4|u16:5|u16:6|d:2.14748e+08|d:0.01|"
            "d:0.02|d:0.03|d:0.04|d:0.05|d:0.06|d:0.07|d:0.08|d:0.09|d:0.1|d:0.11|d:0.12|"
            "d:0.13|d:0.14|d:0.15|d:0.16|d:0.17|d:0.18|d:0.19|d:0.2|d:0.21|text:\"Z\"]");
}

TEST_F(ExcelBookWriterTest, EarlierZReportsFollowColumnBNewestFirstAtTheSave) {
  const std::string z = "book.Worksheets(i32:8)";
  Create();
  WriteZReports(1);
  // One Z-report: the save is what it always was.
  EXPECT_EQ(SaveLog("/tmp/out.xlsx"),
            (std::vector<std::string>{"get app.Version", "set app.DisplayAlerts = bool:false",
                                      "call book.SaveAs(text:\"/tmp/out.xlsx\", "
                                      "i32:51)"}));
  WriteZReports(3);  // 1, then 1, 2, 3 again: four in all, the last one 3
  const auto log = SaveLog("/tmp/out.xlsx");
  ASSERT_EQ(log.size(), 7u);
  EXPECT_EQ(log[2], "get " + z + ".Range(text:\"C1\", text:\"E1\")");
  EXPECT_EQ(log[3], "set " + z + ".Range(text:\"C1\", text:\"E1\").ColumnWidth = i32:15");
  EXPECT_EQ(log[4], "get " + z + ".Range(text:\"C1\", text:\"E30\")");
  // Row by row: shift numbers 2, 1, 1, check numbers alike, cashier 3 each.
  EXPECT_EQ(log[5].substr(0, log[5].find("u8:3|u8:3|u8:3|")),
            "set " + z +
                ".Range(text:\"C1\", text:\"E30\").Value = "
                "[u16:2|u16:1|u16:1|u16:2|u16:1|u16:1|");
  EXPECT_NE(log[5].find("|d:0.21|d:0.21|d:0.21|text:\"Z\"|text:\"Z\"|text:\"Z\"]"),
            std::string::npos);
  EXPECT_EQ(log[6], "call book.SaveAs(text:\"/tmp/out.xlsx\", i32:51)");
}

TEST_F(ExcelBookWriterTest, AnXlsKeepsAsManyZReportsAsIts256ColumnsHold) {
  const std::string z = "set book.Worksheets(i32:8).Range(";
  Create();
  WriteZReports(300);
  auto widths = LinesWith(SaveLog("/tmp/out.XLS"), ".ColumnWidth");
  ASSERT_EQ(widths.size(), 1u);
  EXPECT_EQ(widths[0], z + "text:\"C1\", text:\"IV1\").ColumnWidth = i32:15");
  auto values = LinesWith(SaveLog("/tmp/out.xls"), ".Value");
  ASSERT_EQ(values.size(), 1u);
  // 254 of the 299 earlier ones: 299 down to 46; 45 and older are left out.
  EXPECT_EQ(values[0].find(z + "text:\"C1\", text:\"IV30\").Value = [u16:299|u16:298|"), 0u);
  EXPECT_NE(values[0].find("|u16:47|u16:46|u16:299|u16:298|"), std::string::npos);
  EXPECT_EQ(values[0].find("|u16:45|"), std::string::npos);
  // The newer format holds them all.
  values = LinesWith(SaveLog("/tmp/out.xlsx"), ".Value");
  ASSERT_EQ(values.size(), 1u);
  EXPECT_NE(values[0].find("(text:\"C1\", text:\"KO30\").Value = [u16:299|"), std::string::npos);
  EXPECT_NE(values[0].find("|u16:2|u16:1|u16:299|u16:298|"), std::string::npos);
}

TEST_F(ExcelBookWriterTest, ZReportsBeyondTheWidestSheetAreNotKept) {
  Create();
  WriteZReports(16400);
  const auto values = LinesWith(SaveLog("/tmp/out.xlsx"), ".Value");
  // Columns C..XFD: 16,382 of the 16,399 earlier ones, 16399 down to 18,
  // 512 columns a call.
  ASSERT_EQ(values.size(), 32u);
  EXPECT_NE(values[0].find("(text:\"C1\", text:\"ST30\").Value = [u16:16399|"), std::string::npos);
  EXPECT_NE(values[31].find("(text:\"WLO1\", text:\"XFD30\").Value = [u16:527|"),
            std::string::npos);
  EXPECT_NE(values[31].find("|u16:19|u16:18|u16:"), std::string::npos);
  // Closing forgets them: the next workbook starts with none.
  writer.CloseExcelBook();
  Create();
  WriteZReports(1);
  EXPECT_TRUE(LinesWith(SaveLog("/tmp/out.xlsx"), ".Value").empty());
}

TEST(ZReportHistory, KeepsTheNewestUpToItsCapacity) {
  ZReportHistory history(3);
  for (std::uint16_t i = 1; i <= 5; ++i) {
    ZReportValues report;
    report.header.smenaNum = i;
    history.Add(report);
    EXPECT_EQ(history.Size(), std::min<std::size_t>(i, 3));
    EXPECT_EQ(history.Newest(0).header.smenaNum, i);
  }
  EXPECT_EQ(history.Newest(1).header.smenaNum, 4);
  EXPECT_EQ(history.Newest(2).header.smenaNum, 3);
  history.Clear();
  EXPECT_EQ(history.Size(), 0u);
  history.Add({});
  EXPECT_EQ(history.Newest(0).header.smenaNum, 0);
}

TEST(SaveFormat, SheetColumnsFollowTheFileFormat) {
  EXPECT_EQ(SheetColumnsFor("/a/b.xls", 16), 256u);
  EXPECT_EQ(SheetColumnsFor("/a/b.XLS", 12), 256u);
  EXPECT_EQ(SheetColumnsFor("/a/b.xlsx", 11), 256u);  // Excel 2003 saves its own format
  EXPECT_EQ(SheetColumnsFor("/a/b.xlsx", 16), 16384u);
  EXPECT_EQ(SheetColumnsFor("/a/b", 16), 16384u);
}

TEST_F(ExcelBookWriterTest, CheckTotalsScaleThe64BitTotal) {
  Create();
  ASSERT_TRUE(writer.WriteCheckSumRefund(2, 1, 1, 1, 0, 1, 4294967296, 1, 2, 3, 4, 5, 6, 7));
  EXPECT_NE(LogAfterCreate()[1].find("Worksheets(i32:10).Range(text:\"A2\", text:\"M2\").Value = "
                                     "[u16:1|u16:1|u8:1|date:0|u32:1|d:4.29497e+07|d:0.01|"),
            std::string::npos);
}

TEST(SaveFormat, ExtensionAndVersionPickTheFileFormat) {
  EXPECT_EQ(SaveFormatFor("/a/b.xlsx", 12), 51);
  EXPECT_EQ(SaveFormatFor("/a/b.xls", 16), 56);
  EXPECT_EQ(SaveFormatFor("/a/b.xlsx", 11), 0);
  EXPECT_EQ(SaveFormatFor("/a/b.xls", 11), 0);
  for (const char* path : {"/a/b.xml", "/a/b", "/a.xls/b", "/a/.xlsx.bak", "/a/b.xlsm"}) {
    EXPECT_EQ(SaveFormatFor(path, 16), 0) << path;
  }
}

TEST(SaveFormat, CapitalExtensionsNameTheSameFormats) {
  for (const char* path : {"/a/B.XLS", "/a/b.Xls", "/a/b.xLs"}) {
    EXPECT_EQ(SaveFormatFor(path, 16), 56) << path;
    EXPECT_EQ(SaveFormatFor(path, 11), 0) << path;
  }
  for (const char* path : {"/a/B.XLSX", "/a/b.Xlsx"}) {
    EXPECT_EQ(SaveFormatFor(path, 12), 51) << path;
  }
}

TEST(ExcelVersion, VersionTextIsReadWithAFullStopInAnyLocale) {
  const std::string old = std::setlocale(LC_ALL, nullptr);
  std::setlocale(LC_ALL, "uk_UA.UTF-8");  // comma as the decimal separator, if installed
  EXPECT_EQ(ParseExcelVersion("12.0"), 12u);
  EXPECT_EQ(ParseExcelVersion("16.0"), 16u);
  EXPECT_EQ(ParseExcelVersion(" 11.5 "), 11u);
  std::setlocale(LC_ALL, old.c_str());
  for (const char* bad : {"", "12,0", "abc", "-3", "1e20", "16.0x"}) {
    EXPECT_THROW(ParseExcelVersion(bad), automation::AutomationError) << bad;
  }
}

TEST(ExcelVersion, GetVersionStartsAndQuitsItsOwnExcel) {
  auto state = std::make_shared<FakeExcelState>();
  EXPECT_EQ(GetExcelVersion(test::FakeExcelStarter(state)), 16u);
  state->versionText = "n/a";
  EXPECT_EQ(GetExcelVersion(test::FakeExcelStarter(state)), 0u);
  EXPECT_EQ(CountLines(state->log, "call app.Quit"), 2u);
  EXPECT_THROW(GetExcelVersion(test::FakeExcelStarter(state, true)), automation::AutomationError);
}

TEST_F(ExcelBookWriterTest, SavePassesTheFormatThePathCallsFor) {
  EXPECT_TRUE(writer.SaveExcelBook("/tmp/none.xlsx"));  // no workbook: nothing to do
  EXPECT_TRUE(Log().empty());
  Create();
  ASSERT_TRUE(writer.SaveExcelBook("/tmp/out.xlsx"));
  ASSERT_TRUE(writer.SaveExcelBook("/tmp/out.XLS"));
  state->versionText = "11.0";
  ASSERT_TRUE(writer.SaveExcelBook("/tmp/out.xls"));
  EXPECT_EQ(LogAfterCreate(),
            (std::vector<std::string>{"get app.Version", "set app.DisplayAlerts = bool:false",
                                      "call book.SaveAs(text:\"/tmp/out.xlsx\", i32:51)",
                                      "get app.Version", "set app.DisplayAlerts = bool:false",
                                      "call book.SaveAs(text:\"/tmp/out.XLS\", i32:56)",
                                      "get app.Version", "set app.DisplayAlerts = bool:false",
                                      "call book.SaveAs(text:\"/tmp/out.xls\")"}));
}

// What a close sends to an Excel with no other workbook open.
const std::vector<std::string> kCloseCalls = {
    "set app.DisplayAlerts = bool:false", "call book.Close(SaveChanges:=bool:false)",
    "get app.Workbooks", "get app.Workbooks.Count", "call app.Quit"};

TEST_F(ExcelBookWriterTest, CloseClosesOurWorkbookAndQuitsOnlyAnExcelLeftEmpty) {
  std::vector<std::string> inUse(kCloseCalls.begin(), kCloseCalls.end() - 1);
  for (const char* setting : {"ScreenUpdating", "EnableEvents", "DisplayAlerts"}) {
    inUse.push_back("set app." + std::string(setting) + " = bool:true");
  }
  for (const auto& [others, expected] : {std::pair{0, kCloseCalls}, std::pair{1, inUse}}) {
    state->otherWorkbooks = others;
    Create();
    EXPECT_TRUE(writer.CloseExcelBook());
    EXPECT_TRUE(writer.CloseExcelBook());
    EXPECT_EQ(LogAfterCreate(), expected) << others;
    EXPECT_TRUE(writer.SaveExcelBook("/tmp/x.xlsx"));  // nothing left to save
    EXPECT_EQ(LogAfterCreate().size(), expected.size());
  }
}

TEST_F(ExcelBookWriterTest, FailuresShowTheOperationPrefixAndTheServerMessage) {
  ExcelBookWriter absent(test::FakeExcelStarter(state, true), messages);
  EXPECT_FALSE(absent.CreateExcelBook());
  EXPECT_TRUE(absent.SaveExcelBook("/tmp/x.xlsx"));  // nothing was started

  state->failOn = "Worksheets(i32:3).Name";
  EXPECT_FALSE(writer.CreateExcelBook());
  state->failOn = "Range(text:\"A2\"";
  writer.CloseExcelBook();
  state->failOn.clear();
  Create();
  state->failOn = "Range(text:\"A2\"";
  EXPECT_FALSE(writer.WriteAnnulSale(2, 1, 1, 1, 0, 1, 0, 1, 1, 1, 1, 1, 0, 0, 0, "G"));
  state->failOn = "SaveAs";
  EXPECT_FALSE(writer.SaveExcelBook("/tmp/x.xlsx"));
  EXPECT_EQ(messages.shown,
            (std::vector<Shown>{Error("Ошибка создания книги Excel: Класс не зарегистрирован, "
                                      "ProgID: \"Excel.Application\""),
                                Error("Ошибка создания книги Excel: сбой сервера"),
                                Error("Ошибка записи данных аннулированых продаж: сбой сервера"),
                                Error("Ошибка записи файла Excel: сбой сервера")}));
}

TEST_F(ExcelBookWriterTest, CloseNeverThrowsAndQuitsEvenWhenAlertsCannotBeTurnedOff) {
  for (const char* failing :
       {"call app.Quit", "set app.DisplayAlerts", "book.Close", "Workbooks.Count"}) {
    Create();
    state->failOn = failing;  // a crashed or closed Excel refuses every call
    EXPECT_TRUE(writer.CloseExcelBook()) << failing;
    state->failOn.clear();
    EXPECT_EQ(LogAfterCreate(), kCloseCalls) << failing;
    // Everything was let go: there is nothing left to close or save.
    EXPECT_TRUE(writer.CloseExcelBook());
    EXPECT_TRUE(writer.SaveExcelBook("/tmp/x.xlsx"));
    EXPECT_EQ(LogAfterCreate().size(), kCloseCalls.size());
  }
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ExcelBookWriterTest, ACreateThatFailsAfterTheStartQuitsTheServer) {
  state->failOn = "Worksheets(i32:3).Name";
  EXPECT_FALSE(writer.CreateExcelBook());
  const auto& log = Log();
  ASSERT_GE(log.size(), kCloseCalls.size() + 1);
  EXPECT_EQ(log[log.size() - kCloseCalls.size() - 1],
            "set book.Worksheets(i32:3).Name = text:\"Анульовані продажі\"");
  EXPECT_EQ(std::vector<std::string>(log.end() - kCloseCalls.size(), log.end()), kCloseCalls);
  // Nothing is held afterwards: a save writes nothing, a close calls nothing.
  const std::size_t before = log.size();
  EXPECT_TRUE(writer.SaveExcelBook("/tmp/x.xlsx"));
  EXPECT_TRUE(writer.CloseExcelBook());
  EXPECT_EQ(Log().size(), before);
  EXPECT_EQ(messages.shown, std::vector<Shown>{Error("Ошибка создания книги Excel: сбой сервера")});
}

// A day Excel holds as a date (2013-09-05 12:00).
constexpr double kDay = 41521.5;

// Sales 1..count at rows 2.., each with its row as the shift number.
void WriteSales(ExcelBookWriter& writer, std::uint32_t firstRow, std::uint32_t count) {
  for (std::uint32_t row = firstRow; row < firstRow + count; ++row) {
    ASSERT_TRUE(writer.WriteSale(row, static_cast<std::uint16_t>(row), 1, 1, kDay, 1, 0, 1, 1, 1, 1,
                                 1, 0, 0, 0, "G"));
  }
}

TEST_F(ExcelBookWriterTest, RowsReachTheServerInBlocksOfTheirSheet) {
  state->outOfProcess = true;
  ExcelBookWriter blocks(test::FakeExcelStarter(state), messages, 3);
  ASSERT_TRUE(blocks.CreateExcelBook());
  const std::size_t created = Log().size();
  WriteSales(blocks, 2, 7);  // rows 2..8: two full blocks
  ASSERT_TRUE(blocks.WriteCashIn(2, 1, 1, 1, kDay, 1, 5, 5, "K"));
  WriteSales(blocks, 20, 1);  // a gap: row 8 goes first
  ASSERT_TRUE(blocks.SaveExcelBook("/tmp/out.xlsx"));
  std::vector<std::string> ranges;
  for (auto it = Log().begin() + static_cast<long>(created); it != Log().end(); ++it) {
    if (it->starts_with("get ") && it->find(".Range(") != std::string::npos) ranges.push_back(*it);
  }
  const std::string sales = "get " + kSheet1 + ".Range(";
  EXPECT_EQ(ranges, (std::vector<std::string>{
                        sales + "text:\"A2\", text:\"O4\")", sales + "text:\"A5\", text:\"O7\")",
                        sales + "text:\"A8\", text:\"O8\")", sales + "text:\"A20\", text:\"O20\")",
                        "get book.Worksheets(i32:5)"
                        ".Range(text:\"A2\", text:\"I2\")"}));
  // The held rows go before the save itself (the path made absolute for
  // a server in another process: "Z:\\tmp\\out.xlsx" under Wine).
  EXPECT_TRUE(Log().back().starts_with("call book.SaveAs(text:\"")) << Log().back();
  EXPECT_TRUE(Log().back().ends_with("out.xlsx\", i32:51)")) << Log().back();
  const auto firstBlock = LinesWith(Log(), "text:\"O4\").Value = ");
  ASSERT_EQ(firstBlock.size(), 1u);
  EXPECT_NE(firstBlock[0].find("= [u16:2|u16:1|"), std::string::npos);
  EXPECT_NE(firstBlock[0].find("|text:\"G\"|u16:3|u16:1|"), std::string::npos);
  EXPECT_NE(firstBlock[0].find("|text:\"G\"|u16:4|u16:1|"), std::string::npos);
}

TEST_F(ExcelBookWriterTest, AServerInAnotherProcessGetsTheLayoutInUnionsOfAlikeColumns) {
  state->outOfProcess = true;
  ExcelBookWriter batched(test::FakeExcelStarter(state), messages, 2);
  ASSERT_TRUE(batched.CreateExcelBook());
  EXPECT_EQ(LinesWith(Log(), ".Add("),
            (std::vector<std::string>{"call app.Workbooks.Add(i16:-4167)",
                                      "call book.Worksheets.Add(After:=obj:book."
                                      "Worksheets.Item(i32:1), Count:=i32:9)"}));
  const auto sale = LinesWith(Log(), "set " + kSheet1 + ".Range(text:\"");
  ASSERT_EQ(sale.size(), 9u);  // and the captions
  EXPECT_EQ(std::vector<std::string>(sale.begin(), sale.begin() + 8),
            (std::vector<std::string>{
                "set " + kSheet1 + ".Range(text:\"A:C,E:H,J:K\").ColumnWidth = i32:13",
                "set " + kSheet1 + ".Range(text:\"D:D,I:I,L:L\").ColumnWidth = i32:15",
                "set " + kSheet1 + ".Range(text:\"M:N\").ColumnWidth = i32:22",
                "set " + kSheet1 + ".Range(text:\"O:O\").ColumnWidth = i32:40",
                "set " + kSheet1 + ".Range(text:\"A:C,E:H\").NumberFormat = text:\"0\"",
                "set " + kSheet1 + ".Range(text:\"I:I\").NumberFormat = text:\"0.000\"",
                "set " + kSheet1 + ".Range(text:\"J:K\").NumberFormat = text:\"0.00\"",
                "set " + kSheet1 + ".Range(text:\"L:O\").NumberFormat = text:\"@\""}));
  const auto zReport = LinesWith(Log(), "set book.Worksheets(i32:8).Range(text:\"");
  ASSERT_GE(zReport.size(), 3u);
  EXPECT_NE(zReport[0].find("(text:\"1:3,5:7\").NumberFormat = text:\"0\""), std::string::npos);
  EXPECT_NE(zReport[1].find("(text:\"8:29\").NumberFormat = text:\"0.00\""), std::string::npos);
  EXPECT_NE(zReport[2].find("(text:\"30:30\").NumberFormat = text:\"@\""), std::string::npos);
}

TEST_F(ExcelBookWriterTest, AServerInThisProcessGetsRowsOneByOne) {
  state->outOfProcess = false;
  ExcelBookWriter writer3(test::FakeExcelStarter(state), messages, 3);
  ASSERT_TRUE(writer3.CreateExcelBook());
  WriteSales(writer3, 2, 2);
  EXPECT_EQ(LinesWith(Log(), ".Value = [u16:").size(), 2u);
  EXPECT_EQ(LinesWith(Log(), "text:\"A3\", text:\"O3\").Value").size(), 1u);
}

TEST_F(ExcelBookWriterTest, WithBlocksOnlyTheLastZReportReachesColumnBAtTheSave) {
  state->outOfProcess = true;
  ExcelBookWriter blocks(test::FakeExcelStarter(state), messages, 3);
  ASSERT_TRUE(blocks.CreateExcelBook());
  const std::size_t created = Log().size();
  for (std::uint16_t i = 1; i <= 2; ++i) {
    ASSERT_TRUE(blocks.WriteZReport(2, i, i, 3, kDay, 4, 5, 6, 700, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10,
                                    11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, "Z"));
  }
  EXPECT_EQ(Log().size(), created);
  ASSERT_TRUE(blocks.SaveExcelBook("/tmp/out.xlsx"));
  const auto columnB = LinesWith(Log(), "(text:\"B1\", text:\"B30\").Value = ");
  ASSERT_EQ(columnB.size(), 1u);
  EXPECT_NE(columnB[0].find("= [u16:2|u16:2|u8:3|"), std::string::npos);
  // The one before it still gets column C.
  EXPECT_EQ(LinesWith(Log(), "(text:\"C1\", text:\"C30\").Value = [u16:1|u16:1|").size(), 1u);
}

// Receipts at rows 2.., every other one without a new price.
void WriteReceipts(ExcelBookWriter& writer, std::uint32_t count) {
  for (std::uint32_t row = 2; row < 2 + count; ++row) {
    ASSERT_TRUE(writer.WriteReceipt(row, 1, 1, 1, kDay, 1, 7, 8, 9, 10,
                                    row % 2 == 0 ? 0xFFFFFFFFu : 1250, "K"));
  }
}

TEST_F(ExcelBookWriterTest, BlocksCarryTheSameCellsAsSingleRows) {
  // Every cell the Value assignments left, however they were cut.
  const auto cells = [this](std::size_t rowsPerBlock) {
    state->cells.clear();
    state->outOfProcess = true;
    ExcelBookWriter w(test::FakeExcelStarter(state), messages, rowsPerBlock);
    EXPECT_TRUE(w.CreateExcelBook());
    WriteSales(w, 2, 1500);
    WriteReceipts(w, 1200);
    EXPECT_TRUE(w.SaveExcelBook("/tmp/out.xls"));
    return state->cells;
  };
  const auto single = cells(1);
  // Sales and receipts with their captions, and every other sheet's captions.
  EXPECT_EQ(single.size(), 15u * 1501 + 11u * 1201 + (16 + 15 + 16 + 9 + 11 + 13 + 13 + 30));
  EXPECT_EQ(cells(4), single);
  EXPECT_EQ(cells(kRowsPerBlock), single);  // with runs of alike columns
}

TEST_F(ExcelBookWriterTest, LongBlocksGoToAnotherProcessAsRunsOfAlikeColumns) {
  state->outOfProcess = true;
  ExcelBookWriter blocks(test::FakeExcelStarter(state), messages, kRowsForRuns);
  ASSERT_TRUE(blocks.CreateExcelBook());
  const std::size_t created = Log().size();
  WriteReceipts(blocks, kRowsForRuns + 1);
  ASSERT_TRUE(blocks.SaveExcelBook("/tmp/out.xls"));
  std::vector<std::string> ranges;
  for (auto it = Log().begin() + static_cast<long>(created); it != Log().end(); ++it) {
    if (it->starts_with("get ") && it->find(".Range(") != std::string::npos) {
      ranges.push_back(it->substr(it->find(".Range(") + 7));
    }
  }
  // Numbers, the date, numbers, the price column with its dashes, the
  // cashier; the last row alone in one array.
  const std::string last = std::to_string(kRowsForRuns + 1);
  EXPECT_EQ(ranges,
            (std::vector<std::string>{
                "text:\"A2\", text:\"C" + last + "\")", "text:\"D2\", text:\"D" + last + "\")",
                "text:\"E2\", text:\"I" + last + "\")", "text:\"J2\", text:\"J" + last + "\")",
                "text:\"K2\", text:\"K" + last + "\")",
                "text:\"A" + std::to_string(kRowsForRuns + 2) + "\", text:\"K" +
                    std::to_string(kRowsForRuns + 2) + "\")"}));
  EXPECT_EQ(
      LinesWith(Log(), "text:\"J" + last + "\").Value = [text:\"-\"|d:12.5|text:\"-\"|").size(),
      1u);
}

TEST_F(ExcelBookWriterTest, ARefusedBlockShowsItsSheetsMessageWhereItIsHandedOver) {
  state->outOfProcess = true;
  ExcelBookWriter blocks(test::FakeExcelStarter(state), messages, 2);
  ASSERT_TRUE(blocks.CreateExcelBook());
  state->failOn = "Range(text:\"A2\", text:\"K3\")";
  ASSERT_TRUE(blocks.WriteReturn(2, 1, 1, 1, kDay, 1, 1, 1, 1, 1, 1, "K"));
  EXPECT_FALSE(blocks.WriteReturn(3, 1, 1, 1, kDay, 1, 1, 1, 1, 1, 1, "K"));
  // A block still held when the save comes fails the save, before SaveAs.
  state->failOn = "Range(text:\"A4\", text:\"P4\")";
  ASSERT_TRUE(blocks.WriteAnnulRefund(4, 1, 1, 1, kDay, 1, 0, 1, 1, 1, 1, 1, 0, 0, 0, "R", "G"));
  EXPECT_FALSE(blocks.SaveExcelBook("/tmp/x.xls"));
  EXPECT_EQ(CountLines(Log(), "SaveAs"), 0u);
  EXPECT_EQ(
      messages.shown,
      (std::vector<Shown>{Error("Ошибка записи данных возврата товаров: сбой сервера"),
                          Error("Ошибка записи данных аннулированых возвратов: сбой сервера")}));
  // The refused rows are not offered twice.
  state->failOn.clear();
  EXPECT_TRUE(blocks.SaveExcelBook("/tmp/x.xls"));
  EXPECT_EQ(CountLines(Log(), ".Range(text:\"A4\""), 1u);
}

constexpr const char* kSalesPastXls =
    "Лист «Продажі» не помещается в файл Excel 97-2003: в нём больше 65536 строк (занята строка "
    "65537); сохраните книгу в формате .xlsx";

// Excel 2007 and later drop the rows past 65,536 from an .xls without a
// word: the writer refuses that save as the built-in engine does.
TEST_F(ExcelBookWriterTest, AnXlsTooLongForItsSheetsIsRefusedBeforeTheSave) {
  state->outOfProcess = true;
  const std::string refused = "Ошибка записи файла Excel: " + std::string(kSalesPastXls);
  const std::tuple<std::uint32_t, const char*, bool> cases[] = {
      {65536, "/tmp/x.xls", true}, {65537, "/tmp/x.XLS", false}, {65537, "/tmp/x.xlsx", true}};
  for (const auto& [lastRow, path, saved] : cases) {
    ExcelBookWriter blocks(test::FakeExcelStarter(state), messages);
    ASSERT_TRUE(blocks.CreateExcelBook());
    messages.shown.clear();
    const std::size_t saves = CountLines(Log(), "SaveAs");
    WriteSales(blocks, lastRow - 1, 2);
    EXPECT_EQ(blocks.SaveExcelBook(path), saved) << path << lastRow;
    EXPECT_EQ(CountLines(Log(), "SaveAs") - saves, saved ? 1u : 0u);
    EXPECT_EQ(messages.shown, saved ? std::vector<Shown>{} : std::vector<Shown>{Error(refused)});
  }
}

// A row past the last one its output's format holds fails as it is
// written, not after the whole journal, naming the sheet and the way out.
TEST_F(ExcelBookWriterTest, ARowPastItsFormatsLastFailsAsItIsWritten) {
  const std::tuple<const char*, std::uint32_t, const char*> cases[] = {
      {"/tmp/x.XLS", 65536, kSalesPastXls},
      {"/tmp/x.xlsx", 1048576,
       "Лист «Продажі» не помещается в книгу Excel: в нём больше 1048576 строк (занята строка "
       "1048577); сконвертируйте журнал в XML"}};
  for (const auto& [path, limit, text] : cases) {
    ExcelBookWriter book(test::FakeExcelStarter(state), messages);
    ASSERT_TRUE(book.CreateDocument(path));
    messages.shown.clear();
    WriteSales(book, limit, 1);
    EXPECT_FALSE(book.WriteSale(limit + 1, 1, 1, 1, kDay, 1, 0, 1, 1, 1, 1, 1, 0, 0, 0, "G"));
    ASSERT_EQ(messages.shown.size(), 1u) << path;
    EXPECT_NE(messages.shown[0].text.find(text), std::string::npos) << messages.shown[0].text;
    book.CloseDocument();
  }
}

// A batch's writer starts one Excel for its workbooks and quits it once,
// at the end.
TEST_F(ExcelBookWriterTest, AKeptExcelServesTheNextWorkbookAndQuitsAtTheEnd) {
  {
    ExcelBookWriter book(test::FakeExcelStarter(state), messages);
    book.KeepExcelBetweenBooks();
    for (const char* path : {"/tmp/a.xlsx", "/tmp/b.xlsx"}) {
      ASSERT_TRUE(book.CreateDocument(path));
      ASSERT_TRUE(book.SaveDocument(path));
      book.CloseDocument();
    }
    EXPECT_EQ(CountLines(Log(), "start Excel.Application"), 1u);
    EXPECT_EQ(CountLines(Log(), "call app.Quit"), 0u);
  }
  EXPECT_EQ(CountLines(Log(), "call app.Quit"), 1u);
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ExcelBookWriterTest, SaveStoppedByAStopRequestShowsNothing) {
  Create();
  state->failOn = "SaveAs";
  platform::Cancellation::Request();
  const bool saved = writer.SaveExcelBook("/tmp/x.xlsx");
  platform::Cancellation::Reset();
  EXPECT_FALSE(saved);
  EXPECT_TRUE(messages.shown.empty());
}

}  // namespace
}  // namespace z917::excel_writer
