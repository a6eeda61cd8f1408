// The writers and the driver every program converts with, wired together
// once for the windows, the command line and their tests.
#pragma once

#include <cstdint>
#include <string>

#include "automation/server_factory.h"
#include "common/vocabulary.h"
#include "driver/conversion_driver.h"
#include "excel_writer/excel_book_writer.h"
#include "xml/xml_journal_writer.h"

namespace z917::driver {

// The Excel writer over the servers `startExcel` starts, the XML writer
// under the user's regional settings (read once, here) and the driver over
// both, all showing their messages on `messages`, which must outlive this.
class WiredConversion {
 public:
  explicit WiredConversion(MessageSink& messages,
                           automation::ServerStarter startExcel = automation::StartServer);
  WiredConversion(const WiredConversion&) = delete;
  WiredConversion& operator=(const WiredConversion&) = delete;

  ConversionDriver& Driver() { return driver_; }
  // Keeps one Excel for all the workbooks this converts, quitting it only
  // at the end: one start for a batch instead of one a journal.
  void KeepExcelBetweenConversions() { excel_.KeepExcelBetweenBooks(); }

  // Converts as a window does: `progress` hears this conversion alone.
  // True only when the output was saved; the user has been told either way.
  bool Convert(const std::string& journal, const std::string& output, OutputKind kind,
               const ProgressListener& progress);

  // Starts the Excel the Excel writer would, reads its major version and
  // quits it: 0 when the version cannot be read; throws
  // automation::AutomationError when none starts.
  std::uint32_t ExcelVersion() const;

 private:
  automation::ServerStarter startExcel_;
  excel_writer::ExcelBookWriter excel_;
  xml::XmlJournalWriter xml_;
  ConversionDriver driver_;
};

}  // namespace z917::driver
