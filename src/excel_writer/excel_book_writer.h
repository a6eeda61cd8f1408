// The Excel writer: lays out a workbook of ten sheets through the
// automation interface, writes one row per journal entry, saves and quits.
// It speaks only to the automation interface, so the same code drives the
// built-in engine or a real Excel.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "automation/dispatch.h"
#include "automation/server_factory.h"
#include "common/vocabulary.h"
#include "excel_writer/workbook_layout.h"
#include "excel_writer/z_report_history.h"
#include "journal/journal_entry_writer.h"

namespace z917::excel_writer {

// The class every Excel conversion starts.
inline constexpr const char* kExcelProgId = "Excel.Application";

// The major version that `Version` text gives ("16.0" -> 16), read with a
// full stop as the decimal separator whatever the locale; throws
// automation::AutomationError when the text is not a number in 0..2^32-1.
std::uint32_t ParseExcelVersion(const std::string& versionText);

// The file format SaveAs gets for `path` under Excel `version`: 51 for a
// name ending in ".xlsx", 56 for ".xls", in any letter case (both only
// from version 12 on), 0 for none (Excel's default format).
int SaveFormatFor(const std::string& path, std::uint32_t version);

// The columns of one worksheet: Excel 97-2003 workbooks, later ones.
inline constexpr std::uint32_t kXlsSheetColumns = 256;
inline constexpr std::uint32_t kXlsxSheetColumns = 16384;

// The columns a worksheet holds in the file SaveAs makes of `path` under
// Excel `version`: kXlsSheetColumns for an Excel 97-2003 workbook (format
// 56, or Excel 11 and older, whose own format it is), else
// kXlsxSheetColumns. Never fails.
std::uint32_t SheetColumnsFor(const std::string& path, std::uint32_t version);

// Starts an Excel of its own, reads its major version and quits it. An
// Excel whose version cannot be read gives 0; a failed start throws
// automation::AutomationError.
std::uint32_t GetExcelVersion(const automation::ServerStarter& start);

// How many rows of one sheet a server in another process gets at a time: a
// cross-process call costs about a millisecond whatever it carries, so rows
// travel in blocks rather than one by one (and column B of the Z-report
// sheet gets only the last Z-report, at the save). A full block of the
// widest rows takes about 6 MB, and as much again for its runs of alike
// columns on their way.
inline constexpr std::size_t kRowsPerBlock = 8192;
// The rows a block holds room for at first; it doubles as rows come, so a
// sheet of few rows costs little.
inline constexpr std::size_t kFirstBlockRows = 256;
// The fewest rows a block must hold for its runs of alike columns to go as
// typed arrays of their own, one call each, rather than all its columns
// in one array of VARIANTs.
inline constexpr std::size_t kRowsForRuns = 1024;

class ExcelBookWriter : public JournalEntryWriter {
 public:
  // `start` starts "Excel.Application"; messages go to `messages`; each
  // row sheet's rows reach a server in another process `rowsPerBlock` (at
  // least 1) at a time, one by one a server in this process, for which a
  // call costs nothing and the block's memory would be spent for naught.
  ExcelBookWriter(automation::ServerStarter start, MessageSink& messages,
                  std::size_t rowsPerBlock = kRowsPerBlock);
  // Releases what it still holds without quitting Excel.
  ~ExcelBookWriter() override = default;

  // Starts an invisible Excel and lays out the ten sheets with captions,
  // widths and formats. False after showing "Ошибка создания книги Excel: "
  // and the failure's message; a server started before the failure has
  // been told to quit and released by then.
  bool CreateExcelBook();
  // Hands the server the rows still held back, lays the earlier Z-reports
  // out beside the last one, as many as the file's sheet holds, then saves
  // workbook 1 to `path` in the format the extension and version call for.
  // True also when there is no workbook; false after showing "Ошибка записи
  // файла Excel: " and the failure's message, or silently when the save
  // failed because a stop was asked for. Rows the server refuses show
  // their sheet's own message instead.
  bool SaveExcelBook(const std::string& path);
  // Forgets every handle, then asks Excel to quit; does nothing when none
  // is held. Always true and never throws: a server that has crashed or
  // refuses to quit is released all the same.
  bool CloseExcelBook();

  // The workbook lives in Excel until the save: the output path plays no
  // part before it.
  bool CreateDocument(const std::string&) override { return CreateExcelBook(); }
  bool SaveDocument(const std::string& path) override { return SaveExcelBook(path); }
  void CloseDocument() override { CloseExcelBook(); }

  bool WriteSale(std::uint32_t position, std::uint16_t smenaNum, std::uint16_t checkNum,
                 std::uint8_t casherNum, TDateTime dateTime, std::uint32_t packetNum,
                 std::uint8_t annulFlag, std::int64_t code, std::uint32_t batch,
                 std::uint32_t avail, std::uint32_t price, std::uint32_t total,
                 std::uint8_t taxGroup, std::uint8_t wFlag, std::uint8_t xFlag,
                 const char* goodName) override;
  bool WriteRefund(std::uint32_t position, std::uint16_t smenaNum, std::uint16_t checkNum,
                   std::uint8_t casherNum, TDateTime dateTime, std::uint32_t packetNum,
                   std::uint8_t annulFlag, std::int64_t code, std::uint32_t batch,
                   std::uint32_t avail, std::uint32_t price, std::uint32_t total,
                   std::uint8_t taxGroup, std::uint8_t wFlag, std::uint8_t xFlag,
                   const char* refundName, const char* goodName) override;
  bool WriteAnnulSale(std::uint32_t position, std::uint16_t smenaNum, std::uint16_t checkNum,
                      std::uint8_t casherNum, TDateTime dateTime, std::uint32_t packetNum,
                      std::uint8_t annulFlag, std::int64_t code, std::uint32_t batch,
                      std::uint32_t avail, std::uint32_t price, std::uint32_t total,
                      std::uint8_t taxGroup, std::uint8_t wFlag, std::uint8_t xFlag,
                      const char* goodName) override;
  bool WriteAnnulRefund(std::uint32_t position, std::uint16_t smenaNum, std::uint16_t checkNum,
                        std::uint8_t casherNum, TDateTime dateTime, std::uint32_t packetNum,
                        std::uint8_t annulFlag, std::int64_t code, std::uint32_t batch,
                        std::uint32_t avail, std::uint32_t price, std::uint32_t total,
                        std::uint8_t taxGroup, std::uint8_t wFlag, std::uint8_t xFlag,
                        const char* refundName, const char* goodName) override;
  bool WriteCashIn(std::uint32_t position, std::uint16_t smenaNum, std::uint16_t checkNum,
                   std::uint8_t casherNum, TDateTime dateTime, std::uint32_t packetNum,
                   std::uint32_t sum, std::uint32_t avail, const char* cashierName) override;
  bool WriteCashOut(std::uint32_t position, std::uint16_t smenaNum, std::uint16_t checkNum,
                    std::uint8_t casherNum, TDateTime dateTime, std::uint32_t packetNum,
                    std::uint32_t sum, std::uint32_t avail, const char* cashierName) override;
  bool WriteZReport(std::uint32_t position, std::uint16_t smenaNum, std::uint16_t checkNum,
                    std::uint8_t casherNum, TDateTime dateTime, std::uint32_t packetNum,
                    std::uint16_t checkSaleCnt, std::uint16_t checkRefundCnt,
                    std::int64_t saleTotal, std::uint32_t sale1, std::uint32_t sale2,
                    std::uint32_t sale3, std::uint32_t sale4, std::uint32_t sale5,
                    std::uint32_t sale6, std::uint32_t sale7, std::uint32_t saleMarkup,
                    std::uint32_t saleDiscount, std::int64_t refundTotal, std::uint32_t refund1,
                    std::uint32_t refund2, std::uint32_t refund3, std::uint32_t refund4,
                    std::uint32_t refund5, std::uint32_t refund6, std::uint32_t refund7,
                    std::uint32_t refundMarkup, std::uint32_t refundDiscount, std::uint32_t cashIn,
                    std::uint32_t cashOut, const char* cashierName) override;
  bool WriteReceipt(std::uint32_t position, std::uint16_t smenaNum, std::uint16_t checkNum,
                    std::uint8_t casherNum, TDateTime dateTime, std::uint32_t packetNum,
                    std::int64_t provCode, std::int64_t code, std::uint32_t batch,
                    std::uint32_t avail, std::uint32_t price, const char* cashierName) override;
  bool WriteReturn(std::uint32_t position, std::uint16_t smenaNum, std::uint16_t checkNum,
                   std::uint8_t casherNum, TDateTime dateTime, std::uint32_t packetNum,
                   std::int64_t provCode, std::int64_t code, std::uint32_t batch,
                   std::uint32_t avail, std::uint32_t price, const char* cashierName) override;
  bool WriteCheckSumSale(std::uint32_t position, std::uint16_t smenaNum, std::uint16_t checkNum,
                         std::uint8_t casherNum, TDateTime dateTime, std::uint32_t packetNum,
                         std::int64_t total, std::uint32_t sum1, std::uint32_t sum2,
                         std::uint32_t sum3, std::uint32_t sum4, std::uint32_t sum5,
                         std::uint32_t sum6, std::uint32_t sum7) override;
  bool WriteCheckSumRefund(std::uint32_t position, std::uint16_t smenaNum, std::uint16_t checkNum,
                           std::uint8_t casherNum, TDateTime dateTime, std::uint32_t packetNum,
                           std::int64_t total, std::uint32_t sum1, std::uint32_t sum2,
                           std::uint32_t sum3, std::uint32_t sum4, std::uint32_t sum5,
                           std::uint32_t sum6, std::uint32_t sum7) override;

 private:
  // One row (or the Z-report column) being filled: the sheet's buffer.
  class RowFiller;

  void LayOutWorkbook();
  // A server in another process answers each call slowly: the layout
  // then goes in fewer, wider calls that leave the same workbook.
  bool Batched() const { return batched_; }
  // The nine sheets after the first in one Add.
  void AddSheetsAtOnce();
  void FormatRowSheet(std::size_t sheet);
  // Widths and formats one column at a time, or one span of alike
  // neighbouring columns at a time.
  void FormatEachColumn(std::size_t sheet);
  void FormatColumnSpans(std::size_t sheet);
  void FormatZReportSheet();
  // Assigns the buffer of `sheet` to the range between two cells.
  void AssignBuffer(std::size_t sheet, const std::string& first, const std::string& last);
  // The block row that sheet row `row` of `sheet` is to be filled into;
  // hands the server the rows held so far first when `row` does not
  // follow them. Throws what the server throws.
  RowFiller NextRow(std::size_t sheet, std::uint32_t row);
  // `block` with room for twice its rows, at most blockRows_, and its cells.
  void GrowBlock(automation::VariantArray& block) const;
  // Counts the row NextRow gave as filled; hands the block over once full.
  void CommitRow(std::size_t sheet);
  // Assigns the rows held for `sheet` to their range, in one call or, for
  // a long block, one per run of alike columns, and forgets them, also
  // when the server refuses them (then it throws).
  void FlushRows(std::size_t sheet);
  // Writes the newest Z-report to B1:B30 when one waits; throws what the
  // server throws.
  void FlushZReport();
  // Flushes every sheet in order; false after showing the refused sheet's
  // own message.
  bool FlushAllRows();
  // Forgets every handle and every row held; never throws.
  void ForgetWorkbook();
  bool ShowFailure(const char* prefix, const std::exception& error);
  // Writes the Z-reports before the last one to columns C, D, ... newest
  // first, at most as many as a sheet of `sheetColumns` holds, in one
  // width and one value assignment; throws what the server throws.
  void LayOutEarlierZReports(std::uint32_t sheetColumns);
  // The 30 values of `report` down the filler's column.
  void FillZReport(RowFiller& column, const ZReportValues& report);

  // The five header cells every row starts with.
  void FillHeader(RowFiller& row, std::uint16_t smenaNum, std::uint16_t checkNum,
                  std::uint8_t casherNum, TDateTime dateTime, std::uint32_t packetNum);
  bool WriteSalesRow(std::size_t sheet, const char* prefix, std::uint32_t position,
                     std::uint16_t smenaNum, std::uint16_t checkNum, std::uint8_t casherNum,
                     TDateTime dateTime, std::uint32_t packetNum, std::uint8_t annulFlag,
                     std::int64_t code, std::uint32_t batch, std::uint32_t avail,
                     std::uint32_t price, std::uint32_t total, std::uint8_t taxGroup,
                     std::uint8_t wFlag, std::uint8_t xFlag, const char* refundName,
                     const char* goodName);
  bool WriteCashRow(const char* direction, std::uint32_t position, std::uint16_t smenaNum,
                    std::uint16_t checkNum, std::uint8_t casherNum, TDateTime dateTime,
                    std::uint32_t packetNum, std::uint32_t sum, std::uint32_t avail,
                    const char* cashierName);
  bool WriteGoodsRow(std::size_t sheet, const char* prefix, std::uint32_t position,
                     std::uint16_t smenaNum, std::uint16_t checkNum, std::uint8_t casherNum,
                     TDateTime dateTime, std::uint32_t packetNum, std::int64_t provCode,
                     std::int64_t code, std::uint32_t batch, std::uint32_t avail,
                     std::uint32_t price, const char* cashierName);
  bool WriteCheckSumRow(std::size_t sheet, const char* prefix, std::uint32_t position,
                        std::uint16_t smenaNum, std::uint16_t checkNum, std::uint8_t casherNum,
                        TDateTime dateTime, std::uint32_t packetNum, std::int64_t total,
                        const std::uint32_t (&sums)[7]);

  automation::ServerStarter start_;
  MessageSink& messages_;
  // Held from CreateExcelBook to CloseExcelBook; empty otherwise.
  automation::Dispatch excelApp_;
  std::array<automation::Dispatch, kSheetCount> sheets_;
  std::array<automation::Variant, kSheetCount> buffers_;
  // The rows of each row sheet not yet handed to the server: block rows
  // 1..count hold sheet rows firstRow.. in order.
  struct PendingRows {
    automation::Variant block;  // made on the sheet's first row
    // The arrays the runs of alike columns of the last long block went in.
    std::vector<automation::Variant> parts;
    std::uint32_t firstRow = 0;
    std::size_t count = 0;
  };
  std::size_t rowsPerBlock_;
  // rowsPerBlock_ for the server of this workbook: 1 for one in process.
  std::size_t blockRows_ = 1;
  // Whether the server of this workbook is in another process.
  bool batched_ = false;
  std::array<PendingRows, kSheetCount> pending_;
  // The Z-report buffer holds a report not yet in column B.
  bool zReportPending_ = false;
  // Every Z-report written, the newest in column B: at most one per
  // column of the widest sheet, so a journal of millions costs no more.
  ZReportHistory zReports_{kXlsxSheetColumns - 1};
};

}  // namespace z917::excel_writer
