// One conversion from journal to output, with its outcome shown to the user.
#pragma once

#include <chrono>
#include <cstdint>
#include <exception>
#include <memory>
#include <string>
#include <string_view>

#include "common/vocabulary.h"
#include "driver/conversion_progress.h"
#include "driver/journal_stream.h"
#include "journal/entry_counters.h"
#include "journal/journal_decoder.h"
#include "journal/journal_entry_writer.h"
#include "journal/packet.h"

namespace z917::driver {

// The writer each output kind selects.
struct OutputWriters {
  journal::JournalEntryWriter& excel;
  journal::JournalEntryWriter& xml;
};

// The message of a conversion that succeeded after skipping `failedReads`
// packets whose body could not be read: the plain one for none, else the
// counted one with the count in full. Never fails.
std::string SuccessMessage(std::uint64_t failedReads);

// What is shown when a failure escapes every writer:
// "Непредвиденная ошибка: " and `reason`. Never fails.
std::string UnexpectedFailureMessage(std::string_view reason);

// Drives one conversion at a time: opens the journal, has the writer create
// its document, decodes packet by packet, saves and closes, and shows
// exactly one message of its own at the end of every path (after any
// message of the writer's). Stops between packets, or before saving, when
// platform::Cancellation is requested; the caller clears a request left
// from before, once before all the conversions it runs, so that one
// starting after a stop stops too. Not reentrant; drivers of their own
// may convert at once on several threads.
class ConversionDriver {
 public:
  ConversionDriver(OutputWriters writers, MessageSink& messages);

  // Converts the journal at `journalPath` into `outputPath` with the writer
  // of `kind`. Before converting it refuses an output that is the journal
  // itself (under any name) or that is not a regular file, touching
  // neither; `outputPath` is taken as the system will create it
  // (platform::CreatedPath). True only when the journal was read to its end and the
  // document saved; the user has been told the outcome either way.
  bool ConvertJournal(const std::string& journalPath, const std::string& outputPath,
                      OutputKind kind);
  // The same over a stream that is already open (memory, tests, fuzzing).
  bool ConvertJournal(JournalStream& journal, const std::string& outputPath, OutputKind kind);

  // Reports progress of later conversions to `listener` as they start, at
  // most every kReportInterval while reading, and as they begin to save;
  // the save's own progress goes through platform::SaveProgress, which
  // each conversion starts afresh.
  void SetProgressListener(ProgressListener listener) { progress_ = std::move(listener); }

  // The counts of the last conversion.
  const journal::EntryCounters& Counters() const { return decoder_->Counters(); }

 private:
  bool OutputPathUsable(const std::string& journalPath, const std::string& outputPath);
  bool CreateOutput(OutputKind kind, const std::string& outputPath);
  bool SaveOutput(const std::string& outputPath, OutputKind kind);
  void CloseOutput(OutputKind kind);
  // Closes the output when an exception leaves the scope it guards; the
  // ordinary ends close it themselves, in their own order.
  struct OutputGuard {
    ConversionDriver& driver;
    OutputKind kind;
    int exceptions = std::uncaught_exceptions();
    ~OutputGuard();
  };
  journal::JournalEntryWriter& WriterFor(OutputKind kind);

  bool Fail(JournalStream& journal, OutputKind kind, const char* message);
  bool Finish(JournalStream& journal, const std::string& outputPath, OutputKind kind,
              std::uint64_t failedReads);
  void Report(const JournalStream& journal, ConversionProgress::Stage stage);
  void ReportIfDue(const JournalStream& journal);

  OutputWriters writers_;
  MessageSink& messages_;
  std::unique_ptr<journal::JournalDecoder> decoder_;
  ProgressListener progress_;
  std::chrono::steady_clock::time_point lastReport_;
};

}  // namespace z917::driver
