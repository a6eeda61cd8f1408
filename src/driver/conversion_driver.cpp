#include "driver/conversion_driver.h"

#include <exception>
#include <string>

#include "journal/packet.h"
#include "platform/cancellation.h"
#include "platform/journal_file.h"
#include "platform/path_checks.h"
#include "platform/save_progress.h"

namespace z917::driver {

namespace {
constexpr const char* kOpenFailed = "Ошибка открытия файла БД";
constexpr const char* kCreateExcelFailed = "Ошибка создания книги Excel";
constexpr const char* kCreateXmlFailed = "Ошибка создания файла XML";
constexpr const char* kBadJournal = "Неверный файл БД";
constexpr const char* kDecodeFailed = "Ошибка преобразования данных";
constexpr const char* kSaveExcelFailed = "Ошибка записи файла Excel";
constexpr const char* kSaveXmlFailed = "Ошибка записи файла XML";
constexpr const char* kSuccess = "Конвертация прошла успешно";
constexpr const char* kSuccessCounted = "Конвертация прошла успешно\n Ошибок: ";
constexpr const char* kOutputIsJournal =
    "Файл результата совпадает с файлом БД: выберите для результата другое имя";
constexpr const char* kOutputRefused = "Нельзя сохранить результат: ";
constexpr const char* kCancelled = "Конвертация отменена";

// The clock is read only every this many packets, so that progress costs
// nothing measurable; at the slowest writer that is still several reads a
// second.
constexpr std::uint32_t kPacketsPerClockCheck = 2048;
constexpr auto kReportInterval = std::chrono::milliseconds(50);

bool Cancelled() { return platform::Cancellation::Requested(); }

std::uint64_t TotalEntries(const journal::EntryCounters& c) {
  return std::uint64_t{c.Sale} + c.Refund + c.AnnulSale + c.AnnulRefund + c.CashMovements +
         c.Receipt + c.Return + c.ZReport + c.CheckSumSale + c.CheckSumRefund;
}
}  // namespace

std::string SuccessMessage(std::uint64_t failedReads) {
  return failedReads > 0 ? kSuccessCounted + std::to_string(failedReads) : kSuccess;
}

std::string UnexpectedFailureMessage(std::string_view reason) {
  return "Непредвиденная ошибка: " + std::string(reason);
}

ConversionDriver::ConversionDriver(OutputWriters writers, MessageSink& messages)
    : writers_(writers),
      messages_(messages),
      decoder_(std::make_unique<journal::JournalDecoder>()) {}

journal::JournalEntryWriter& ConversionDriver::WriterFor(OutputKind kind) {
  return IsExcel(kind) ? writers_.excel : writers_.xml;
}

bool ConversionDriver::CreateOutput(OutputKind kind, const std::string& outputPath) {
  return WriterFor(kind).CreateDocument(outputPath);
}

bool ConversionDriver::SaveOutput(const std::string& outputPath, OutputKind kind) {
  return WriterFor(kind).SaveDocument(outputPath);
}

void ConversionDriver::CloseOutput(OutputKind kind) { WriterFor(kind).CloseDocument(); }

ConversionDriver::OutputGuard::~OutputGuard() {
  if (std::uncaught_exceptions() > exceptions) driver.CloseOutput(kind);
}

bool ConversionDriver::ConvertJournal(const std::string& journalPath, const std::string& outputPath,
                                      OutputKind kind) {
  const std::unique_ptr<JournalStream> journal = JournalStream::Open(journalPath);
  if (!journal) {
    messages_.ShowMessage(MessageKind::Error, kOpenFailed);
    return false;
  }
  // Checked and written under the name the file will have ("out.xls." is
  // "out.xls" on Windows), so that the writer picks the format it shows.
  const std::string output = platform::CreatedPath(outputPath);
  if (!OutputPathUsable(journalPath, output)) {
    journal->Close();
    return false;
  }
  return ConvertJournal(*journal, output, kind);
}

bool ConversionDriver::OutputPathUsable(const std::string& journalPath,
                                        const std::string& outputPath) {
  // The journal may be the register's only copy: never convert it onto itself.
  if (platform::SameFile(journalPath, outputPath)) {
    messages_.ShowMessage(MessageKind::Error, kOutputIsJournal);
    return false;
  }
  try {
    platform::CheckOutputPath(outputPath);
  } catch (const platform::FileError& error) {
    messages_.ShowMessage(MessageKind::Error, kOutputRefused + std::string(error.what()));
    return false;
  }
  return true;
}

bool ConversionDriver::ConvertJournal(JournalStream& journal, const std::string& outputPath,
                                      OutputKind kind) {
  platform::SaveProgress::Reset();
  if (!CreateOutput(kind, outputPath)) {
    journal.Close();
    messages_.ShowMessage(MessageKind::Error,
                          IsExcel(kind) ? kCreateExcelFailed : kCreateXmlFailed);
    return false;
  }
  // An exception that leaves the conversion (memory running out) closes
  // the output too: an Excel left running stays, unseen, until logoff.
  const OutputGuard guard{*this, kind};
  decoder_->Counters().Reset();
  // 64 bits: a sparse file of tens of gigabytes holds more than 2^31 of them.
  std::uint64_t failedReads = 0;
  journal::PacketBuffer& buffer = decoder_->Buffer();
  Report(journal, ConversionProgress::Stage::Reading);
  std::uint32_t untilClockCheck = kPacketsPerClockCheck;

  for (;;) {
    if (Cancelled()) return Fail(journal, kind, kCancelled);
    if (--untilClockCheck == 0) {
      untilClockCheck = kPacketsPerClockCheck;
      ReportIfDue(journal);
    }
    // Set only by a short body read: the last packet was cut off.
    if (journal.AtEnd()) return Finish(journal, outputPath, kind, failedReads);
    if (!journal.ReadItem(buffer.data(), journal::kPacketHeaderSize)) {
      if (journal.AtEnd()) return Finish(journal, outputPath, kind, failedReads);
      return Fail(journal, kind, kBadJournal);
    }
    const std::size_t bodyLength = buffer[0] | (buffer[1] << 8);
    // An empty body is never delivered either: it counts as unreadable.
    if (!journal.ReadItem(buffer.data() + journal::kPacketHeaderSize, bodyLength)) {
      ++failedReads;
      continue;
    }
    // A writer may give up quietly once a stop is asked for.
    if (!decoder_->DecodePacket(kind, WriterFor(kind))) {
      return Fail(journal, kind, Cancelled() ? kCancelled : kDecodeFailed);
    }
  }
}

bool ConversionDriver::Fail(JournalStream& journal, OutputKind kind, const char* message) {
  journal.Close();
  CloseOutput(kind);
  messages_.ShowMessage(MessageKind::Error, message);
  return false;
}

bool ConversionDriver::Finish(JournalStream& journal, const std::string& outputPath,
                              OutputKind kind, std::uint64_t failedReads) {
  if (Cancelled()) return Fail(journal, kind, kCancelled);
  Report(journal, ConversionProgress::Stage::Saving);
  journal.Close();
  const bool saved = SaveOutput(outputPath, kind);
  CloseOutput(kind);
  if (!saved) {
    // A save asked to stop gives up quietly; the stop is the outcome.
    const char* failure = IsExcel(kind) ? kSaveExcelFailed : kSaveXmlFailed;
    messages_.ShowMessage(MessageKind::Error, Cancelled() ? kCancelled : failure);
    return false;
  }
  // Whenever packets were skipped the user learns how many, whichever read
  // met the end of the file.
  messages_.ShowMessage(MessageKind::Information, SuccessMessage(failedReads));
  return true;
}

void ConversionDriver::Report(const JournalStream& journal, ConversionProgress::Stage stage) {
  if (!progress_) return;
  lastReport_ = std::chrono::steady_clock::now();
  progress_({stage, journal.BytesRead(), journal.Size(), TotalEntries(decoder_->Counters())});
}

void ConversionDriver::ReportIfDue(const JournalStream& journal) {
  if (!progress_ || std::chrono::steady_clock::now() - lastReport_ < kReportInterval) return;
  Report(journal, ConversionProgress::Stage::Reading);
}

}  // namespace z917::driver
