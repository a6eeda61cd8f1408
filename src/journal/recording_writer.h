// A writer that keeps what it receives: the demo's summary, the tests' and
// the fuzzer's eyes on the decoders and the driver.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "common/vocabulary.h"
#include "journal/journal_entry_writer.h"

namespace z917 {

// The eleven entry kinds, in packet-type order.
enum class EntryKind : std::uint8_t {
  Sale,
  Refund,
  AnnulSale,
  AnnulRefund,
  CashIn,
  CashOut,
  ZReport,
  Receipt,
  Return,
  CheckSumSale,
  CheckSumRefund,
};
inline constexpr std::size_t kEntryKindCount = 11;

// The kind's name as the operation names it ("Sale", "CashIn", ...).
const char* EntryKindName(EntryKind kind);

// Renders a TDateTime as "YYYY-MM-DD hh:mm:ss", rounded to the second.
std::string FormatDateTimeIso(TDateTime value);

struct RecordedEntry {
  EntryKind kind;
  TDateTime dateTime;
  // The kind's name and every argument in order, blank-separated; the date
  // as FormatDateTimeIso gives it, texts converted to UTF-8 in quotes.
  std::string text;
};

class RecordingWriter : public JournalEntryWriter {
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
  // Counts one entry and, when keeping them, renders its arguments;
  // answers false when this is the entry set to fail.
  template <typename... Rest>
  bool Record(EntryKind kind, std::uint32_t position, std::uint16_t smenaNum,
              std::uint16_t checkNum, std::uint8_t casherNum, TDateTime dateTime,
              std::uint32_t packetNum, Rest... rest);
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

}  // namespace z917
