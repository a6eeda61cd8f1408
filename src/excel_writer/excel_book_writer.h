// The Excel writer: lays out a workbook of ten sheets through the
// automation interface, writes one row per journal entry, saves and quits.
// It speaks only to the automation interface, so the same code drives the
// built-in engine or a real Excel.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "automation/cell_address.h"
#include "automation/dispatch.h"
#include "automation/server_factory.h"
#include "common/vocabulary.h"
#include "excel_writer/workbook_layout.h"
#include "excel_writer/z_report_history.h"
#include "journal/grouped_entry_writer.h"

namespace z917::excel_writer {

class RowTransport;

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

// What a row past the last one of `sheet`'s format says: the sheet, the
// format's `limit` and the way out (.xlsx, or XML past .xlsx's limit).
std::string RowPastLimitText(std::string_view sheet, std::uint32_t limit);

// The columns of one worksheet: Excel 97-2003 workbooks, later ones.
inline constexpr std::uint32_t kXlsSheetColumns = 256;
inline constexpr std::uint32_t kXlsxSheetColumns = 16384;

// The columns a worksheet holds in the file SaveAs makes of `path` under
// Excel `version`: kXlsSheetColumns for an Excel 97-2003 workbook (format
// 56, or Excel 11 and older, whose own format it is), else
// kXlsxSheetColumns. Never fails.
std::uint32_t SheetColumnsFor(const std::string& path, std::uint32_t version);

// Starts an Excel of its own, reads its major version and quits it (unless
// workbooks are open in it). An Excel whose version cannot be read gives
// 0; a failed start, or an Excel too busy to answer, throws
// automation::AutomationError.
std::uint32_t GetExcelVersion(const automation::ServerStarter& start);

class ExcelBookWriter : public journal::GroupedEntryWriter {
 public:
  // `start` starts "Excel.Application"; messages go to `messages`; each
  // row sheet's rows reach a server in another process kRowsPerBlock
  // (row_transport.h) at a time, one by one a server in this process.
  ExcelBookWriter(automation::ServerStarter start, MessageSink& messages);
  // The same with `rowsPerBlock` (at least 1) rows at a time.
  ExcelBookWriter(automation::ServerStarter start, MessageSink& messages, std::size_t rowsPerBlock);
  // Releases what it still holds without quitting Excel, but for an Excel
  // kept between workbooks (KeepExcelBetweenBooks), which it quits.
  ~ExcelBookWriter() override;

  // Keeps the Excel of a closed workbook for the next one instead of
  // quitting it: a batch starts one Excel, not one a journal.
  void KeepExcelBetweenBooks() { keepExcel_ = true; }

  // Starts an invisible Excel and lays out the ten sheets with captions,
  // widths and formats. False after showing "Ошибка создания книги Excel: "
  // and the failure's message; a server started before the failure has
  // been told to quit and released by then. A server in this process hears
  // the format `path` will be saved in, when one is given.
  bool CreateExcelBook(const std::string& path = {});
  // Learns the last row the format `path` will be saved in holds, and
  // tells a server in this process that format, so that it keeps rows the
  // way the format needs. Another process is not told: a real Excel would
  // keep the setting as the user's own.
  void PrepareForFormat(const std::string& path);
  // The Excel kept from the last workbook while it still answers, else a
  // new one.
  automation::Dispatch StartOrReuseExcel();
  // Hands the server the rows still held back, lays the earlier Z-reports
  // out beside the last one, as many as the file's sheet holds, then saves
  // our workbook to `path` in the format the extension and version call for.
  // True also when there is no workbook; false after showing "Ошибка записи
  // файла Excel: " and the failure's message, or silently when the save
  // failed because a stop was asked for. Rows the server refuses show
  // their sheet's own message instead.
  bool SaveExcelBook(const std::string& path);
  // Forgets every handle, closes our workbook unsaved, then asks Excel to
  // quit unless other workbooks are open in it; does nothing when none is
  // held. Always true and never throws: a server that has crashed or
  // refuses to quit is released all the same.
  bool CloseExcelBook();

  // The workbook lives in Excel until the save: the output path only tells
  // the built-in engine the format ahead.
  bool CreateDocument(const std::string& path) override { return CreateExcelBook(path); }
  bool SaveDocument(const std::string& path) override { return SaveExcelBook(path); }
  void CloseDocument() override { CloseExcelBook(); }

 private:
  // Each writes one row of its kind's sheet (the Z-report: column B);
  // false after showing the kind's message and the failure's.
  bool WriteSalesEntry(journal::EntryKind kind, const journal::EntryHeader& header,
                       const journal::SalesItem& item) override;
  bool WriteCashEntry(journal::EntryKind kind, const journal::EntryHeader& header,
                      const journal::CashMovement& cash) override;
  bool WriteZReportEntry(const journal::EntryHeader& header, const journal::ZReportTotals& totals,
                         const char* cashierName) override;
  bool WriteGoodsEntry(journal::EntryKind kind, const journal::EntryHeader& header,
                       const journal::GoodsItem& item) override;
  bool WriteCheckSumEntry(journal::EntryKind kind, const journal::EntryHeader& header,
                          const journal::CheckSumTotals& totals) override;
  // Fills the row at `header.position` of `kind`'s sheet with `fill` and
  // hands it to the transport; false after showing the kind's message.
  template <typename Fill>
  bool WriteRow(journal::EntryKind kind, const journal::EntryHeader& header, Fill&& fill);

  void LayOutWorkbook();
  // The nine sheets after the first in one Add.
  void AddSheetsAtOnce();
  void FormatRowSheet(std::size_t sheet);
  // Widths and formats one column at a time, or one span of alike
  // neighbouring columns at a time.
  void FormatEachColumn(std::size_t sheet);
  void FormatColumnSpans(std::size_t sheet);
  void FormatZReportSheet();
  // Runs `formatInUnions` for a server in another process until it refuses
  // a union of ranges; false when the plain form is to be used instead.
  template <typename Shortcut>
  bool UnionsTaken(Shortcut&& formatInUnions);
  // Assigns the buffer of `sheet` to the range between two cells.
  void AssignBuffer(std::size_t sheet, const std::string& first, const std::string& last);
  // Writes the newest Z-report to B1:B30 when one waits; throws what the
  // server throws.
  void FlushZReport();
  // Flushes every sheet in order; false after showing the refused sheet's
  // own message.
  bool FlushAllRows();
  // Hands `cell` at `row`, `column` of `sheet` to a server in another
  // process as the engine writes it when it is a date before 1900-03-01,
  // which Excel takes for a bare time, a day later or not at all: the day
  // count, in the date-and-time format. Throws what the server throws.
  void KeepEarlyDate(automation::Variant& cell, std::size_t sheet, std::uint32_t row, int column);
  // Throws the built-in engine's AutomationError when a row sheet reaches
  // past the rows of an Excel 97-2003 sheet: Excel 2007 and later, alerts
  // off, drop those rows from such a file without a word.
  void RefuseRowsPastXls() const;
  // Forgets every handle and every row held; never throws.
  void ForgetWorkbook();
  bool ShowFailure(const char* prefix, const std::exception& error);
  // Writes the Z-reports before the last one to columns C, D, ... newest
  // first, at most as many as a sheet of `sheetColumns` holds, in one
  // width and one value assignment; throws what the server throws.
  void LayOutEarlierZReports(std::uint32_t sheetColumns);

  automation::ServerStarter start_;
  MessageSink& messages_;
  // Held from CreateExcelBook to CloseExcelBook; empty otherwise.
  automation::Dispatch excelApp_;
  // The workbook Workbooks.Add gave, from CreateExcelBook to CloseExcelBook.
  automation::Dispatch book_;
  bool keepExcel_ = false;
  // The Excel of the last workbook, between CloseExcelBook and the next
  // CreateExcelBook, when kept.
  automation::Dispatch keptApp_;
  std::array<automation::Dispatch, kSheetCount> sheets_;
  std::array<automation::Variant, kSheetCount> buffers_;
  // The rows of the row sheets on their way to the server.
  std::unique_ptr<RowTransport> transport_;
  // Whether the server takes unions of ranges ("A:C,E:H").
  bool unions_ = true;
  // The last row written on each sheet.
  std::array<std::uint32_t, kSheetCount> lastRows_{};
  // The last row the output's format holds: a row past it fails as it is
  // written, not after the whole journal.
  std::uint32_t rowLimit_ = automation::kMaxRows;
  // The Z-report buffer holds a report not yet in column B.
  bool zReportPending_ = false;
  // Every Z-report written, the newest in column B: at most one per
  // column of the widest sheet, so a journal of millions costs no more.
  ZReportHistory zReports_{kXlsxSheetColumns - 1};
};

}  // namespace z917::excel_writer
