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
  void Header(std::uint32_t position, std::uint16_t smenaNum, std::uint16_t checkNum,
              std::uint8_t casherNum, TDateTime dateTime, std::uint32_t packetNum) {
    Unsigned("Num", position);
    Unsigned("SmenaNum", smenaNum);
    Unsigned("CheckNum", checkNum);
    Unsigned("CasherNum", casherNum);
    out_.Open("DateTime");
    writer_.dateTimes_.Append(out_, dateTime);
    out_.Close("DateTime");
    if (packetNum == kAllOnes) {
      Word("PacketNum", "-1");
    } else {
      Unsigned("PacketNum", packetNum);
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
bool XmlJournalWriter::WriteEntry(const char* prefix, Fill&& fill) {
  const std::size_t start = output_.Size();
  try {
    if (!open_) throw std::logic_error("no document");
    fill();
    FlushBatch();
    return true;
  } catch (...) {
    output_.Truncate(start);
    return Fail(prefix, kUnknownError);
  }
}

namespace {

// The fields after the header that sale, refund and annulled entries share.
template <typename B>
void ItemFields(B& e, std::uint8_t annulFlag, std::int64_t code, std::uint32_t batch,
                std::uint32_t avail, std::uint32_t price, std::uint32_t total,
                std::uint8_t taxGroup, std::uint8_t wFlag, std::uint8_t xFlag) {
  e.Unsigned("AnnulFlag", annulFlag);
  e.Signed("Code", code);
  e.Unsigned("Batch", batch);
  e.Quantity("Avail", avail);
  e.ItemAmount("Price", price);
  e.ItemAmount("Total", total);
  e.Lookup("TaxGroup", TaxGroupNames, taxGroup);
  e.Lookup("WFlag", WFlagNames, wFlag);
  e.Lookup("XFlag", XFlagNames, xFlag);
}

}  // namespace

bool XmlJournalWriter::WriteSale(std::uint32_t position, std::uint16_t smenaNum,
                                 std::uint16_t checkNum, std::uint8_t casherNum, TDateTime dateTime,
                                 std::uint32_t packetNum, std::uint8_t annulFlag, std::int64_t code,
                                 std::uint32_t batch, std::uint32_t avail, std::uint32_t price,
                                 std::uint32_t total, std::uint8_t taxGroup, std::uint8_t wFlag,
                                 std::uint8_t xFlag, const char* goodName) {
  return WriteEntry(kSaleFailed, [&] {
    EntryBuilder e(*this, "Sale");
    e.Header(position, smenaNum, checkNum, casherNum, dateTime, packetNum);
    ItemFields(e, annulFlag, code, batch, avail, price, total, taxGroup, wFlag, xFlag);
    e.Text("GoodName", goodName);
    e.Finish();
  });
}

bool XmlJournalWriter::WriteRefund(std::uint32_t position, std::uint16_t smenaNum,
                                   std::uint16_t checkNum, std::uint8_t casherNum,
                                   TDateTime dateTime, std::uint32_t packetNum,
                                   std::uint8_t annulFlag, std::int64_t code, std::uint32_t batch,
                                   std::uint32_t avail, std::uint32_t price, std::uint32_t total,
                                   std::uint8_t taxGroup, std::uint8_t wFlag, std::uint8_t xFlag,
                                   const char* refundName, const char* goodName) {
  return WriteEntry(kRefundFailed, [&] {
    EntryBuilder e(*this, "Refund");
    e.Header(position, smenaNum, checkNum, casherNum, dateTime, packetNum);
    ItemFields(e, annulFlag, code, batch, avail, price, total, taxGroup, wFlag, xFlag);
    e.Text("RefundName", refundName);
    e.Text("GoodName", goodName);
    e.Finish();
  });
}

bool XmlJournalWriter::WriteAnnulSale(
    std::uint32_t position, std::uint16_t smenaNum, std::uint16_t checkNum, std::uint8_t casherNum,
    TDateTime dateTime, std::uint32_t packetNum, std::uint8_t annulFlag, std::int64_t code,
    std::uint32_t batch, std::uint32_t avail, std::uint32_t price, std::uint32_t total,
    std::uint8_t taxGroup, std::uint8_t wFlag, std::uint8_t xFlag, const char* goodName) {
  return WriteEntry(kAnnulSaleFailed, [&] {
    EntryBuilder e(*this, "AnnulSale");
    e.Header(position, smenaNum, checkNum, casherNum, dateTime, packetNum);
    ItemFields(e, annulFlag, code, batch, avail, price, total, taxGroup, wFlag, xFlag);
    e.Text("GoodName", goodName);
    e.Finish();
  });
}

bool XmlJournalWriter::WriteAnnulRefund(
    std::uint32_t position, std::uint16_t smenaNum, std::uint16_t checkNum, std::uint8_t casherNum,
    TDateTime dateTime, std::uint32_t packetNum, std::uint8_t annulFlag, std::int64_t code,
    std::uint32_t batch, std::uint32_t avail, std::uint32_t price, std::uint32_t total,
    std::uint8_t taxGroup, std::uint8_t wFlag, std::uint8_t xFlag, const char* refundName,
    const char* goodName) {
  return WriteEntry(kAnnulRefundFailed, [&] {
    EntryBuilder e(*this, "AnnulRefund");
    e.Header(position, smenaNum, checkNum, casherNum, dateTime, packetNum);
    ItemFields(e, annulFlag, code, batch, avail, price, total, taxGroup, wFlag, xFlag);
    e.Text("RefundName", refundName);
    e.Text("GoodName", goodName);
    e.Finish();
  });
}

bool XmlJournalWriter::WriteCashIn(std::uint32_t position, std::uint16_t smenaNum,
                                   std::uint16_t checkNum, std::uint8_t casherNum,
                                   TDateTime dateTime, std::uint32_t packetNum, std::uint32_t sum,
                                   std::uint32_t avail, const char* cashierName) {
  return WriteEntry(kCashFailed, [&] {
    EntryBuilder e(*this, "CashInOut");
    e.Header(position, smenaNum, checkNum, casherNum, dateTime, packetNum);
    e.Word("InOut", CashInText);
    e.Money("Sum", sum);
    e.Money("Avail", avail);
    e.Text("CashierName", cashierName);
    e.Finish();
  });
}

bool XmlJournalWriter::WriteCashOut(std::uint32_t position, std::uint16_t smenaNum,
                                    std::uint16_t checkNum, std::uint8_t casherNum,
                                    TDateTime dateTime, std::uint32_t packetNum, std::uint32_t sum,
                                    std::uint32_t avail, const char* cashierName) {
  return WriteEntry(kCashFailed, [&] {
    EntryBuilder e(*this, "CashInOut");
    e.Header(position, smenaNum, checkNum, casherNum, dateTime, packetNum);
    e.Word("InOut", CashOutText);
    e.Money("Sum", sum);
    e.Money("Avail", avail);
    e.Text("CashierName", cashierName);
    e.Finish();
  });
}

bool XmlJournalWriter::WriteZReport(
    std::uint32_t position, std::uint16_t smenaNum, std::uint16_t checkNum, std::uint8_t casherNum,
    TDateTime dateTime, std::uint32_t packetNum, std::uint16_t checkSaleCnt,
    std::uint16_t checkRefundCnt, std::int64_t saleTotal, std::uint32_t sale1, std::uint32_t sale2,
    std::uint32_t sale3, std::uint32_t sale4, std::uint32_t sale5, std::uint32_t sale6,
    std::uint32_t sale7, std::uint32_t saleMarkup, std::uint32_t saleDiscount,
    std::int64_t refundTotal, std::uint32_t refund1, std::uint32_t refund2, std::uint32_t refund3,
    std::uint32_t refund4, std::uint32_t refund5, std::uint32_t refund6, std::uint32_t refund7,
    std::uint32_t refundMarkup, std::uint32_t refundDiscount, std::uint32_t cashIn,
    std::uint32_t cashOut, const char* cashierName) {
  return WriteEntry(kZReportFailed, [&] {
    EntryBuilder e(*this, "ZReport");
    e.Header(position, smenaNum, checkNum, casherNum, dateTime, packetNum);
    e.Unsigned("CheckSaleCnt", checkSaleCnt);
    e.Unsigned("CheckRefundCnt", checkRefundCnt);
    e.Money("SaleTotal", saleTotal);
    const std::uint32_t sales[] = {sale1, sale2, sale3, sale4, sale5, sale6, sale7};
    static constexpr const char* kSaleFields[] = {"Sale1", "Sale2", "Sale3", "Sale4",
                                                  "Sale5", "Sale6", "Sale7"};
    for (int i = 0; i < 7; ++i) e.Money(kSaleFields[i], sales[i]);
    e.Money("SaleMarkup", saleMarkup);
    e.Money("SaleDiscount", saleDiscount);
    e.Money("RefundTotal", refundTotal);
    const std::uint32_t refunds[] = {refund1, refund2, refund3, refund4, refund5, refund6, refund7};
    static constexpr const char* kRefundFields[] = {"Refund1", "Refund2", "Refund3", "Refund4",
                                                    "Refund5", "Refund6", "Refund7"};
    for (int i = 0; i < 7; ++i) e.Money(kRefundFields[i], refunds[i]);
    e.Money("RefundMarkup", refundMarkup);
    e.Money("RefundDiscount", refundDiscount);
    e.Money("CashIn", cashIn);
    e.Money("CashOut", cashOut);
    e.Text("CashierName", cashierName);
    e.Finish();
  });
}

namespace {

template <typename B>
void GoodsFields(B& e, std::int64_t provCode, std::int64_t code, std::uint32_t batch,
                 std::uint32_t avail, std::uint32_t price, const char* cashierName) {
  e.Signed("ProvCode", provCode);
  e.Signed("Code", code);
  e.Unsigned("Batch", batch);
  e.Quantity("Avail", avail);
  e.OptionalPrice("Price", price);
  e.Text("CashierName", cashierName);
}

template <typename B>
void CheckSumFields(B& e, std::int64_t total, const std::uint32_t (&sums)[7]) {
  static constexpr const char* kFields[] = {"Sum1", "Sum2", "Sum3", "Sum4", "Sum5", "Sum6", "Sum7"};
  e.Money("Total", total);
  for (int i = 0; i < 7; ++i) e.Money(kFields[i], sums[i]);
}

}  // namespace

bool XmlJournalWriter::WriteReceipt(std::uint32_t position, std::uint16_t smenaNum,
                                    std::uint16_t checkNum, std::uint8_t casherNum,
                                    TDateTime dateTime, std::uint32_t packetNum,
                                    std::int64_t provCode, std::int64_t code, std::uint32_t batch,
                                    std::uint32_t avail, std::uint32_t price,
                                    const char* cashierName) {
  return WriteEntry(kReceiptFailed, [&] {
    EntryBuilder e(*this, "Reception");
    e.Header(position, smenaNum, checkNum, casherNum, dateTime, packetNum);
    GoodsFields(e, provCode, code, batch, avail, price, cashierName);
    e.Finish();
  });
}

bool XmlJournalWriter::WriteReturn(std::uint32_t position, std::uint16_t smenaNum,
                                   std::uint16_t checkNum, std::uint8_t casherNum,
                                   TDateTime dateTime, std::uint32_t packetNum,
                                   std::int64_t provCode, std::int64_t code, std::uint32_t batch,
                                   std::uint32_t avail, std::uint32_t price,
                                   const char* cashierName) {
  return WriteEntry(kReturnFailed, [&] {
    EntryBuilder e(*this, "Return");
    e.Header(position, smenaNum, checkNum, casherNum, dateTime, packetNum);
    GoodsFields(e, provCode, code, batch, avail, price, cashierName);
    e.Finish();
  });
}

bool XmlJournalWriter::WriteCheckSumSale(std::uint32_t position, std::uint16_t smenaNum,
                                         std::uint16_t checkNum, std::uint8_t casherNum,
                                         TDateTime dateTime, std::uint32_t packetNum,
                                         std::int64_t total, std::uint32_t sum1, std::uint32_t sum2,
                                         std::uint32_t sum3, std::uint32_t sum4, std::uint32_t sum5,
                                         std::uint32_t sum6, std::uint32_t sum7) {
  return WriteEntry(kCheckSumSaleFailed, [&] {
    EntryBuilder e(*this, "SumSale");
    e.Header(position, smenaNum, checkNum, casherNum, dateTime, packetNum);
    CheckSumFields(e, total, {sum1, sum2, sum3, sum4, sum5, sum6, sum7});
    e.Finish();
  });
}

bool XmlJournalWriter::WriteCheckSumRefund(std::uint32_t position, std::uint16_t smenaNum,
                                           std::uint16_t checkNum, std::uint8_t casherNum,
                                           TDateTime dateTime, std::uint32_t packetNum,
                                           std::int64_t total, std::uint32_t sum1,
                                           std::uint32_t sum2, std::uint32_t sum3,
                                           std::uint32_t sum4, std::uint32_t sum5,
                                           std::uint32_t sum6, std::uint32_t sum7) {
  return WriteEntry(kCheckSumRefundFailed, [&] {
    EntryBuilder e(*this, "SumRefund");
    e.Header(position, smenaNum, checkNum, casherNum, dateTime, packetNum);
    CheckSumFields(e, total, {sum1, sum2, sum3, sum4, sum5, sum6, sum7});
    e.Finish();
  });
}

}  // namespace z917::xml
