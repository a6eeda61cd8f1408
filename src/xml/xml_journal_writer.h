// The XML writer: one document per conversion, one element per journal
// entry with one child element per field, saved in UTF-8.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "common/vocabulary.h"
#include "journal/grouped_entry_writer.h"
#include "xml/regional_settings.h"
#include "xml/xml_output.h"

namespace z917::platform {
class AtomicFile;
}

namespace z917::xml {

// Streams each entry, as soon as it is complete, into a file that grows
// unseen beside the output (platform::AtomicFile), so memory stays flat
// whatever the journal's size and only the output's disk needs room; the
// output path sees a file only when SaveXmlDocument succeeds, and then a
// complete one.
class XmlJournalWriter final : public journal::GroupedEntryWriter {
 public:
  // Messages go to `messages`; numbers and dates follow `settings`.
  XmlJournalWriter(MessageSink& messages, RegionalSettings settings);
  // Drops a document that was not saved.
  ~XmlJournalWriter() override;
  XmlJournalWriter(const XmlJournalWriter&) = delete;
  XmlJournalWriter& operator=(const XmlJournalWriter&) = delete;

  // Starts a new document (declaration and root element) for the output at
  // `outputPath`, dropping any earlier one. A path that cannot take the
  // file, or a disk that fails while the document grows, fails only the
  // save, with the reason. False after showing
  // "Ошибка создания XML файла: недостаточно памяти".
  bool CreateXmlDocument(const std::string& outputPath);
  // Finishes the document and puts it at `path` (UTF-8), the path it was
  // created for, replacing a file there only with the complete document.
  // The document is gone afterwards either way. False after showing
  // "Ошибка записи XML файла: " with the file's reason (or
  // "неизвестная ошибка"), or silently when a stop was asked for; `path` is
  // then untouched.
  bool SaveXmlDocument(const std::string& path);
  // Drops the document and everything that was not saved; always true.
  // Safe to call more than once.
  bool CloseXmlDocument();

  bool CreateDocument(const std::string& outputPath) override {
    return CreateXmlDocument(outputPath);
  }
  bool SaveDocument(const std::string& path) override { return SaveXmlDocument(path); }
  void CloseDocument() override { CloseXmlDocument(); }

 private:
  // Each entry operation appends one element with its fields in their
  // fixed order; false, with nothing of the entry kept, after showing its
  // kind's "Ошибка записи данных ...: неизвестная ошибка" (no document or a
  // lookup index outside its table), or silently when a stop was asked for
  // while the document was being written.
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

  class EntryBuilder;

  // Builds `kind`'s element with `header` and what `fill` adds to it at
  // the end of the output; on any failure drops what it built, shows the
  // kind's message with the reason and answers false.
  template <typename Fill>
  bool WriteEntry(journal::EntryKind kind, const journal::EntryHeader& header, Fill&& fill);
  bool Fail(const char* prefix, const std::string& reason);
  // Hands the output to the file once it holds a batch worth a write. A
  // failed write drops the file and keeps its reason for the save; a stop
  // asked for throws platform::FileCancelled.
  void FlushBatch();
  void DropFile(const std::string& reason);

  MessageSink& messages_;
  DateTimeTexts dateTimes_;
  std::string decimalSeparator_;
  // Whether a document is open, from CreateXmlDocument to the save or
  // CloseXmlDocument.
  bool open_ = false;
  // The path the document is for.
  std::string outputPath_;
  // Where the open document grows; empty once the file failed, and then
  // `fileProblem_` says why.
  std::unique_ptr<platform::AtomicFile> file_;
  std::string fileProblem_;
  // Entries not yet handed to the document: at most one batch, however
  // long the journal.
  XmlOutput output_;
};

}  // namespace z917::xml
