#include "xml/xml_journal_writer.h"

#include <array>
#include <new>
#include <stdexcept>
#include <string_view>

#include "journal/entry_texts.h"
#include "platform/atomic_file.h"
#include "platform/cancellation.h"
#include "platform/system_reason.h"

namespace z917::xml {

namespace {

constexpr std::string_view kDeclaration = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n";
constexpr std::string_view kRootStart = "<Z917_Journal>";
constexpr std::string_view kRootEnd = "</Z917_Journal>\n";

constexpr const char* kCreateFailed = "Ошибка создания XML файла: ";
constexpr const char* kSaveFailed = "Ошибка записи XML файла: ";
constexpr const char* kUnknownError = "неизвестная ошибка";

constexpr std::uint32_t kAllOnes = 4294967295u;

// The element of each entry kind; cash in and out share one.
constexpr std::array<std::string_view, journal::kEntryKindCount> kElementNames = {
    "Sale",    "Refund",    "AnnulSale", "AnnulRefund", "CashInOut", "CashInOut",
    "ZReport", "Reception", "Return",    "SumSale",     "SumRefund"};

// The numbered fields of a Z-report and a check sum.
constexpr std::array<std::string_view, 7> kSaleFields = {"Sale1", "Sale2", "Sale3", "Sale4",
                                                         "Sale5", "Sale6", "Sale7"};
constexpr std::array<std::string_view, 7> kRefundFields = {
    "Refund1", "Refund2", "Refund3", "Refund4", "Refund5", "Refund6", "Refund7"};
constexpr std::array<std::string_view, 7> kSumFields = {"Sum1", "Sum2", "Sum3", "Sum4",
                                                        "Sum5", "Sum6", "Sum7"};
// Entries go to the document in batches of about this many bytes.
constexpr std::size_t kBatchSize = 1 << 18;

}  // namespace

// Writes one entry element into the writer's output, field by field in
// document order. Field names are literals, so their lengths fold away.
class XmlJournalWriter::EntryBuilder {
 public:
  EntryBuilder(XmlJournalWriter& writer, std::string_view name)
      : writer_(writer), out_(writer.output_), name_(name) {
    out_.Open(name_);
  }
  void Finish() { out_.Close(name_); }

  // The six fields every entry starts with.
  void Header(const journal::EntryHeader& h) {
    Unsigned("Num", h.position);
    Unsigned("SmenaNum", h.smenaNum);
    Unsigned("CheckNum", h.checkNum);
    Unsigned("CasherNum", h.casherNum);
    out_.Open("DateTime");
    writer_.dateTimes_.Append(out_, h.dateTime);
    out_.Close("DateTime");
    if (h.packetNum == kAllOnes) {
      Word("PacketNum", "-1");
    } else {
      Unsigned("PacketNum", h.packetNum);
    }
  }

  void Unsigned(std::string_view field, std::uint64_t value) {
    out_.Open(field);
    out_.Unsigned(value);
    out_.Close(field);
  }
  void Signed(std::string_view field, std::int64_t value) {
    out_.Open(field);
    out_.Signed(value);
    out_.Close(field);
  }
  // Thousandths, three decimals.
  void Quantity(std::string_view field, std::uint32_t value) { Fixed(field, value, 3, 3); }
  // Hundredths written with three decimals.
  void ItemAmount(std::string_view field, std::uint32_t value) { Fixed(field, value, 2, 3); }
  // Hundredths, two decimals.
  void Money(std::string_view field, std::int64_t value) { Fixed(field, value, 2, 2); }
  // Hundredths under the names of `fields`, one each.
  void Money(const std::array<std::string_view, 7>& fields,
             const std::array<std::uint32_t, 7>& values) {
    for (std::size_t i = 0; i < fields.size(); ++i) Money(fields[i], values[i]);
  }
  void OptionalPrice(std::string_view field, std::uint32_t value) {
    if (value == kAllOnes) {
      Word(field, "-");
    } else {
      Money(field, value);
    }
  }
  // A journal string (Windows-1251).
  void Text(std::string_view field, const char* text) {
    out_.Open(field);
    out_.EscapedCp1251(text);
    out_.Close(field);
  }
  // One of the fixed words (UTF-8, nothing to escape).
  void Word(std::string_view field, std::string_view word) {
    out_.Open(field);
    out_.Put(word);
    out_.Close(field);
  }
  // A word from a lookup table; an index outside it is the caller's error
  // and fails the entry.
  template <std::size_t N>
  void Lookup(std::string_view field, const std::array<const char*, N>& table, std::size_t index) {
    Word(field, table.at(index));
  }

 private:
  void Fixed(std::string_view field, std::int64_t value, int scaleDigits, int decimals) {
    out_.Open(field);
    out_.FixedPoint(value, scaleDigits, decimals, writer_.decimalSeparator_);
    out_.Close(field);
  }

  XmlJournalWriter& writer_;
  XmlOutput& out_;
  std::string_view name_;
};

XmlJournalWriter::XmlJournalWriter(MessageSink& messages, RegionalSettings settings)
    : messages_(messages), dateTimes_(settings) {
  // The separator is a regional text like any other; escape it once.
  XmlOutput separator;
  separator.Escaped(settings.decimalSeparator);
  decimalSeparator_ = separator.View();
}

XmlJournalWriter::~XmlJournalWriter() = default;

bool XmlJournalWriter::Fail(const char* prefix, const std::string& reason) {
  // A stop asked for ends the conversion; the driver says so once.
  if (platform::Cancellation::Requested()) return false;
  messages_.ShowMessage(MessageKind::Error, prefix + reason);
  return false;
}

void XmlJournalWriter::DropFile(const std::string& reason) {
  file_.reset();
  if (fileProblem_.empty()) fileProblem_ = reason;
}

void XmlJournalWriter::FlushBatch() {
  if (output_.Size() < kBatchSize) return;
  if (file_) {
    try {
      file_->Append(output_.View());
    } catch (const platform::FileCancelled&) {
      file_.reset();
      throw;
    } catch (const platform::FileError& error) {
      // Part of the batch may have reached the file: the file is lost, and
      // the save says why. The entries go on being checked meanwhile.
      DropFile(error.what());
    }
  }
  output_.Truncate(0);
}

bool XmlJournalWriter::CreateXmlDocument(const std::string& outputPath) {
  try {
    CloseXmlDocument();
    outputPath_ = outputPath;
    try {
      file_ = std::make_unique<platform::AtomicFile>(outputPath, true);
    } catch (const platform::FileError& error) {
      // Output-path failures show at the save, as every disk failure does.
      DropFile(error.what());
    }
    output_.Put(kDeclaration);
    output_.Put(kRootStart);
    open_ = true;
    return true;
  } catch (const std::bad_alloc&) {
    return Fail(kCreateFailed, platform::ReasonText(platform::SystemReasonKind::kNoMemory, 0));
  } catch (...) {
    return Fail(kCreateFailed, kUnknownError);
  }
}

bool XmlJournalWriter::SaveXmlDocument(const std::string& path) {
  // Saved or not, the document takes no more entries.
  const struct DropDocument {
    XmlJournalWriter& writer;
    ~DropDocument() { writer.CloseXmlDocument(); }
  } drop{*this};
  try {
    if (!open_) throw std::logic_error("no document");
    if (path != outputPath_) throw std::logic_error("saved to another path");
    if (!file_) throw platform::FileError(fileProblem_);
    output_.Put(kRootEnd);
    file_->Append(output_.View());
    output_.Truncate(0);
    file_->Commit();
    return true;
  } catch (const platform::FileError& error) {
    return Fail(kSaveFailed, error.what());
  } catch (...) {
    return Fail(kSaveFailed, kUnknownError);
  }
}

bool XmlJournalWriter::CloseXmlDocument() {
  open_ = false;
  file_.reset();
  fileProblem_.clear();
  output_.Truncate(0);
  return true;
}

template <typename Fill>
bool XmlJournalWriter::WriteEntry(journal::EntryKind kind, const journal::EntryHeader& header,
                                  Fill&& fill) {
  const std::size_t start = output_.Size();
  try {
    if (!open_) throw std::logic_error("no document");
    EntryBuilder e(*this, kElementNames[static_cast<std::size_t>(kind)]);
    e.Header(header);
    fill(e);
    e.Finish();
    FlushBatch();
    return true;
  } catch (...) {
    output_.Truncate(start);
    return Fail(journal::EntryFailedText(kind), kUnknownError);
  }
}

bool XmlJournalWriter::WriteSalesEntry(journal::EntryKind kind, const journal::EntryHeader& header,
                                       const journal::SalesItem& item) {
  return WriteEntry(kind, header, [&](EntryBuilder& e) {
    e.Unsigned("AnnulFlag", item.annulFlag);
    e.Signed("Code", item.code);
    e.Unsigned("Batch", item.batch);
    e.Quantity("Avail", item.avail);
    e.ItemAmount("Price", item.price);
    e.ItemAmount("Total", item.total);
    e.Lookup("TaxGroup", journal::TaxGroupNames, item.taxGroup);
    e.Lookup("WFlag", journal::WFlagNames, item.wFlag);
    e.Lookup("XFlag", journal::XFlagNames, item.xFlag);
    if (item.refundName != nullptr) e.Text("RefundName", item.refundName);
    e.Text("GoodName", item.goodName);
  });
}

bool XmlJournalWriter::WriteCashEntry(journal::EntryKind kind, const journal::EntryHeader& header,
                                      const journal::CashMovement& cash) {
  return WriteEntry(kind, header, [&](EntryBuilder& e) {
    e.Word("InOut", journal::CashDirectionText(kind));
    e.Money("Sum", cash.sum);
    e.Money("Avail", cash.avail);
    e.Text("CashierName", cash.cashierName);
  });
}

bool XmlJournalWriter::WriteZReportEntry(const journal::EntryHeader& header,
                                         const journal::ZReportTotals& totals,
                                         const char* cashierName) {
  return WriteEntry(journal::EntryKind::ZReport, header, [&](EntryBuilder& e) {
    e.Unsigned("CheckSaleCnt", totals.checkSaleCnt);
    e.Unsigned("CheckRefundCnt", totals.checkRefundCnt);
    e.Money("SaleTotal", totals.saleTotal);
    e.Money(kSaleFields, totals.sales);
    e.Money("SaleMarkup", totals.saleMarkup);
    e.Money("SaleDiscount", totals.saleDiscount);
    e.Money("RefundTotal", totals.refundTotal);
    e.Money(kRefundFields, totals.refunds);
    e.Money("RefundMarkup", totals.refundMarkup);
    e.Money("RefundDiscount", totals.refundDiscount);
    e.Money("CashIn", totals.cashIn);
    e.Money("CashOut", totals.cashOut);
    e.Text("CashierName", cashierName);
  });
}

bool XmlJournalWriter::WriteGoodsEntry(journal::EntryKind kind, const journal::EntryHeader& header,
                                       const journal::GoodsItem& item) {
  return WriteEntry(kind, header, [&](EntryBuilder& e) {
    e.Signed("ProvCode", item.provCode);
    e.Signed("Code", item.code);
    e.Unsigned("Batch", item.batch);
    e.Quantity("Avail", item.avail);
    e.OptionalPrice("Price", item.price);
    e.Text("CashierName", item.cashierName);
  });
}

bool XmlJournalWriter::WriteCheckSumEntry(journal::EntryKind kind,
                                          const journal::EntryHeader& header,
                                          const journal::CheckSumTotals& totals) {
  return WriteEntry(kind, header, [&](EntryBuilder& e) {
    e.Money("Total", totals.total);
    e.Money(kSumFields, totals.sums);
  });
}

}  // namespace z917::xml
