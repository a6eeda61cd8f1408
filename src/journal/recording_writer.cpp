#include "journal/recording_writer.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <type_traits>

#include "journal/cp1251.h"

namespace z917 {

namespace {

constexpr const char* kKindNames[kEntryKindCount] = {
    "Sale",    "Refund",  "AnnulSale", "AnnulRefund",  "CashIn",         "CashOut",
    "ZReport", "Receipt", "Return",    "CheckSumSale", "CheckSumRefund",
};

void Render(std::string& out, const char* text) {
  out += " \"";
  out += Cp1251ToUtf8(text);
  out += '"';
}

template <typename T>
requires std::is_integral_v<T>
void Render(std::string& out, T value) {
  out += ' ';
  out += std::to_string(+value);
}

}  // namespace

const char* EntryKindName(EntryKind kind) { return kKindNames[static_cast<std::size_t>(kind)]; }

std::string FormatDateTimeIso(TDateTime value) {
  using namespace std::chrono;
  const auto totalSeconds = static_cast<long long>(std::llround(value * 86400.0));
  const long long dayCount = totalSeconds / 86400 - (totalSeconds % 86400 < 0 ? 1 : 0);
  const long long secondOfDay = totalSeconds - dayCount * 86400;
  const year_month_day ymd{sys_days{year{1899} / December / 30} + days{dayCount}};
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02u-%02u %02lld:%02lld:%02lld", int(ymd.year()),
                unsigned(ymd.month()), unsigned(ymd.day()), secondOfDay / 3600,
                secondOfDay / 60 % 60, secondOfDay % 60);
  return text;
}

bool RecordingWriter::Refuse(const char* what) {
  if (messages_ != nullptr)
    messages_->ShowMessage(MessageKind::Error, std::string(what) + " failed");
  return false;
}

bool RecordingWriter::CreateDocument(const std::string&) {
  lifecycle_.push_back("Create");
  if (failCreate_) return Refuse("Create");
  entries_.clear();
  counts_.fill(0);
  total_ = 0;
  return true;
}

bool RecordingWriter::SaveDocument(const std::string& path) {
  lifecycle_.push_back("Save " + path);
  return failSave_ ? Refuse("Save") : true;
}

void RecordingWriter::CloseDocument() { lifecycle_.push_back("Close"); }

template <typename... Rest>
bool RecordingWriter::Record(EntryKind kind, std::uint32_t position, std::uint16_t smenaNum,
                             std::uint16_t checkNum, std::uint8_t casherNum, TDateTime dateTime,
                             std::uint32_t packetNum, Rest... rest) {
  ++total_;
  ++counts_[static_cast<std::size_t>(kind)];
  if (keepEntries_) {
    std::string text = EntryKindName(kind);
    Render(text, position);
    Render(text, smenaNum);
    Render(text, checkNum);
    Render(text, casherNum);
    text += ' ';
    text += FormatDateTimeIso(dateTime);
    Render(text, packetNum);
    (Render(text, rest), ...);
    entries_.push_back({kind, dateTime, std::move(text)});
  }
  return total_ == failEntry_ ? Refuse(EntryKindName(kind)) : true;
}

bool RecordingWriter::WriteSale(std::uint32_t position, std::uint16_t smenaNum,
                                std::uint16_t checkNum, std::uint8_t casherNum, TDateTime dateTime,
                                std::uint32_t packetNum, std::uint8_t annulFlag, std::int64_t code,
                                std::uint32_t batch, std::uint32_t avail, std::uint32_t price,
                                std::uint32_t total, std::uint8_t taxGroup, std::uint8_t wFlag,
                                std::uint8_t xFlag, const char* goodName) {
  return Record(EntryKind::Sale, position, smenaNum, checkNum, casherNum, dateTime, packetNum,
                annulFlag, code, batch, avail, price, total, taxGroup, wFlag, xFlag, goodName);
}

bool RecordingWriter::WriteRefund(std::uint32_t position, std::uint16_t smenaNum,
                                  std::uint16_t checkNum, std::uint8_t casherNum,
                                  TDateTime dateTime, std::uint32_t packetNum,
                                  std::uint8_t annulFlag, std::int64_t code, std::uint32_t batch,
                                  std::uint32_t avail, std::uint32_t price, std::uint32_t total,
                                  std::uint8_t taxGroup, std::uint8_t wFlag, std::uint8_t xFlag,
                                  const char* refundName, const char* goodName) {
  return Record(EntryKind::Refund, position, smenaNum, checkNum, casherNum, dateTime, packetNum,
                annulFlag, code, batch, avail, price, total, taxGroup, wFlag, xFlag, refundName,
                goodName);
}

bool RecordingWriter::WriteAnnulSale(std::uint32_t position, std::uint16_t smenaNum,
                                     std::uint16_t checkNum, std::uint8_t casherNum,
                                     TDateTime dateTime, std::uint32_t packetNum,
                                     std::uint8_t annulFlag, std::int64_t code, std::uint32_t batch,
                                     std::uint32_t avail, std::uint32_t price, std::uint32_t total,
                                     std::uint8_t taxGroup, std::uint8_t wFlag, std::uint8_t xFlag,
                                     const char* goodName) {
  return Record(EntryKind::AnnulSale, position, smenaNum, checkNum, casherNum, dateTime, packetNum,
                annulFlag, code, batch, avail, price, total, taxGroup, wFlag, xFlag, goodName);
}

bool RecordingWriter::WriteAnnulRefund(
    std::uint32_t position, std::uint16_t smenaNum, std::uint16_t checkNum, std::uint8_t casherNum,
    TDateTime dateTime, std::uint32_t packetNum, std::uint8_t annulFlag, std::int64_t code,
    std::uint32_t batch, std::uint32_t avail, std::uint32_t price, std::uint32_t total,
    std::uint8_t taxGroup, std::uint8_t wFlag, std::uint8_t xFlag, const char* refundName,
    const char* goodName) {
  return Record(EntryKind::AnnulRefund, position, smenaNum, checkNum, casherNum, dateTime,
                packetNum, annulFlag, code, batch, avail, price, total, taxGroup, wFlag, xFlag,
                refundName, goodName);
}

bool RecordingWriter::WriteCashIn(std::uint32_t position, std::uint16_t smenaNum,
                                  std::uint16_t checkNum, std::uint8_t casherNum,
                                  TDateTime dateTime, std::uint32_t packetNum, std::uint32_t sum,
                                  std::uint32_t avail, const char* cashierName) {
  return Record(EntryKind::CashIn, position, smenaNum, checkNum, casherNum, dateTime, packetNum,
                sum, avail, cashierName);
}

bool RecordingWriter::WriteCashOut(std::uint32_t position, std::uint16_t smenaNum,
                                   std::uint16_t checkNum, std::uint8_t casherNum,
                                   TDateTime dateTime, std::uint32_t packetNum, std::uint32_t sum,
                                   std::uint32_t avail, const char* cashierName) {
  return Record(EntryKind::CashOut, position, smenaNum, checkNum, casherNum, dateTime, packetNum,
                sum, avail, cashierName);
}

bool RecordingWriter::WriteZReport(
    std::uint32_t position, std::uint16_t smenaNum, std::uint16_t checkNum, std::uint8_t casherNum,
    TDateTime dateTime, std::uint32_t packetNum, std::uint16_t checkSaleCnt,
    std::uint16_t checkRefundCnt, std::int64_t saleTotal, std::uint32_t sale1, std::uint32_t sale2,
    std::uint32_t sale3, std::uint32_t sale4, std::uint32_t sale5, std::uint32_t sale6,
    std::uint32_t sale7, std::uint32_t saleMarkup, std::uint32_t saleDiscount,
    std::int64_t refundTotal, std::uint32_t refund1, std::uint32_t refund2, std::uint32_t refund3,
    std::uint32_t refund4, std::uint32_t refund5, std::uint32_t refund6, std::uint32_t refund7,
    std::uint32_t refundMarkup, std::uint32_t refundDiscount, std::uint32_t cashIn,
    std::uint32_t cashOut, const char* cashierName) {
  return Record(EntryKind::ZReport, position, smenaNum, checkNum, casherNum, dateTime, packetNum,
                checkSaleCnt, checkRefundCnt, saleTotal, sale1, sale2, sale3, sale4, sale5, sale6,
                sale7, saleMarkup, saleDiscount, refundTotal, refund1, refund2, refund3, refund4,
                refund5, refund6, refund7, refundMarkup, refundDiscount, cashIn, cashOut,
                cashierName);
}

bool RecordingWriter::WriteReceipt(std::uint32_t position, std::uint16_t smenaNum,
                                   std::uint16_t checkNum, std::uint8_t casherNum,
                                   TDateTime dateTime, std::uint32_t packetNum,
                                   std::int64_t provCode, std::int64_t code, std::uint32_t batch,
                                   std::uint32_t avail, std::uint32_t price,
                                   const char* cashierName) {
  return Record(EntryKind::Receipt, position, smenaNum, checkNum, casherNum, dateTime, packetNum,
                provCode, code, batch, avail, price, cashierName);
}

bool RecordingWriter::WriteReturn(std::uint32_t position, std::uint16_t smenaNum,
                                  std::uint16_t checkNum, std::uint8_t casherNum,
                                  TDateTime dateTime, std::uint32_t packetNum,
                                  std::int64_t provCode, std::int64_t code, std::uint32_t batch,
                                  std::uint32_t avail, std::uint32_t price,
                                  const char* cashierName) {
  return Record(EntryKind::Return, position, smenaNum, checkNum, casherNum, dateTime, packetNum,
                provCode, code, batch, avail, price, cashierName);
}

bool RecordingWriter::WriteCheckSumSale(std::uint32_t position, std::uint16_t smenaNum,
                                        std::uint16_t checkNum, std::uint8_t casherNum,
                                        TDateTime dateTime, std::uint32_t packetNum,
                                        std::int64_t total, std::uint32_t sum1, std::uint32_t sum2,
                                        std::uint32_t sum3, std::uint32_t sum4, std::uint32_t sum5,
                                        std::uint32_t sum6, std::uint32_t sum7) {
  return Record(EntryKind::CheckSumSale, position, smenaNum, checkNum, casherNum, dateTime,
                packetNum, total, sum1, sum2, sum3, sum4, sum5, sum6, sum7);
}

bool RecordingWriter::WriteCheckSumRefund(std::uint32_t position, std::uint16_t smenaNum,
                                          std::uint16_t checkNum, std::uint8_t casherNum,
                                          TDateTime dateTime, std::uint32_t packetNum,
                                          std::int64_t total, std::uint32_t sum1,
                                          std::uint32_t sum2, std::uint32_t sum3,
                                          std::uint32_t sum4, std::uint32_t sum5,
                                          std::uint32_t sum6, std::uint32_t sum7) {
  return Record(EntryKind::CheckSumRefund, position, smenaNum, checkNum, casherNum, dateTime,
                packetNum, total, sum1, sum2, sum3, sum4, sum5, sum6, sum7);
}

}  // namespace z917
