// A writer that keeps what it receives: the demo's summary, the tests' and
// the fuzzer's eyes on the decoders and the driver.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "common/vocabulary.h"
#include "journal/grouped_entry_writer.h"

namespace z917::journal {

// Renders a TDateTime as "YYYY-MM-DD hh:mm:ss", rounded to the second.
std::string FormatDateTimeIso(TDateTime value);

struct RecordedEntry {
  EntryKind kind;
  TDateTime dateTime;
  // The kind's name and every argument in order, blank-separated; the date
  // as FormatDateTimeIso gives it, texts converted to UTF-8 in quotes.
  std::string text;
};

class RecordingWriter : public GroupedEntryWriter {
 public:
  // Where the writer's own failure messages go (optional).
  explicit RecordingWriter(MessageSink* messages = nullptr) : messages_(messages) {}

  // Keep the text of every entry (default), or only count them.
  void SetKeepEntries(bool keep) { keepEntries_ = keep; }
  // Make an operation fail, after showing "<what> failed" as an error.
  void FailCreate() { failCreate_ = true; }
  void FailSave() { failSave_ = true; }
  // Fail the n-th entry call of the document (1 = the first).
  void FailEntry(std::size_t n) { failEntry_ = n; }

  const std::vector<RecordedEntry>& Entries() const { return entries_; }
  std::size_t Count(EntryKind kind) const { return counts_[static_cast<std::size_t>(kind)]; }
  std::size_t TotalCount() const { return total_; }
  // "Create", "Save <path>" and "Close", in the order they were called.
  const std::vector<std::string>& Lifecycle() const { return lifecycle_; }
  // Forgets the lifecycle calls so far, so that a writer used for millions
  // of documents (the fuzzer's) does not grow with every one.
  void ForgetLifecycle() { lifecycle_.clear(); }

  bool CreateDocument(const std::string& outputPath) override;
  bool SaveDocument(const std::string& path) override;
  void CloseDocument() override;

 protected:
  bool WriteSalesEntry(EntryKind kind, const EntryHeader& header, const SalesItem& item) override;
  bool WriteCashEntry(EntryKind kind, const EntryHeader& header, const CashMovement& cash) override;
  bool WriteZReportEntry(const EntryHeader& header, const ZReportTotals& totals,
                         const char* cashierName) override;
  bool WriteGoodsEntry(EntryKind kind, const EntryHeader& header, const GoodsItem& item) override;
  bool WriteCheckSumEntry(EntryKind kind, const EntryHeader& header,
                          const CheckSumTotals& totals) override;

 private:
  // Counts one entry and, when keeping them, renders its arguments;
  // answers false when this is the entry set to fail.
  template <typename... Rest>
  bool Record(EntryKind kind, const EntryHeader& header, const Rest&... rest);
  bool Refuse(const char* what);

  MessageSink* messages_;
  bool keepEntries_ = true;
  bool failCreate_ = false;
  bool failSave_ = false;
  std::size_t failEntry_ = 0;
  std::size_t total_ = 0;
  std::array<std::size_t, kEntryKindCount> counts_{};
  std::vector<RecordedEntry> entries_;
  std::vector<std::string> lifecycle_;
};

}  // namespace z917::journal
