#include "journal/recording_writer.h"

#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <type_traits>

#include "journal/cp1251.h"

namespace z917::journal {

namespace {

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

template <typename T, std::size_t N>
void Render(std::string& out, const std::array<T, N>& values) {
  for (const T value : values) Render(out, value);
}

}  // namespace

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
bool RecordingWriter::Record(EntryKind kind, const EntryHeader& header, const Rest&... rest) {
  ++total_;
  ++counts_[static_cast<std::size_t>(kind)];
  if (keepEntries_) {
    std::string text = EntryKindName(kind);
    Render(text, header.position);
    Render(text, header.smenaNum);
    Render(text, header.checkNum);
    Render(text, header.casherNum);
    text += ' ';
    text += FormatDateTimeIso(header.dateTime);
    Render(text, header.packetNum);
    (Render(text, rest), ...);
    entries_.push_back({kind, header.dateTime, std::move(text)});
  }
  return total_ == failEntry_ ? Refuse(EntryKindName(kind)) : true;
}

bool RecordingWriter::WriteSalesEntry(EntryKind kind, const EntryHeader& header,
                                      const SalesItem& item) {
  const SalesItem& i = item;
  if (i.refundName == nullptr) {
    return Record(kind, header, i.annulFlag, i.code, i.batch, i.avail, i.price, i.total, i.taxGroup,
                  i.wFlag, i.xFlag, i.goodName);
  }
  return Record(kind, header, i.annulFlag, i.code, i.batch, i.avail, i.price, i.total, i.taxGroup,
                i.wFlag, i.xFlag, i.refundName, i.goodName);
}

bool RecordingWriter::WriteCashEntry(EntryKind kind, const EntryHeader& header,
                                     const CashMovement& cash) {
  return Record(kind, header, cash.sum, cash.avail, cash.cashierName);
}

bool RecordingWriter::WriteZReportEntry(const EntryHeader& header, const ZReportTotals& totals,
                                        const char* cashierName) {
  const ZReportTotals& t = totals;
  return Record(EntryKind::ZReport, header, t.checkSaleCnt, t.checkRefundCnt, t.saleTotal, t.sales,
                t.saleMarkup, t.saleDiscount, t.refundTotal, t.refunds, t.refundMarkup,
                t.refundDiscount, t.cashIn, t.cashOut, cashierName);
}

bool RecordingWriter::WriteGoodsEntry(EntryKind kind, const EntryHeader& header,
                                      const GoodsItem& item) {
  return Record(kind, header, item.provCode, item.code, item.batch, item.avail, item.price,
                item.cashierName);
}

bool RecordingWriter::WriteCheckSumEntry(EntryKind kind, const EntryHeader& header,
                                         const CheckSumTotals& totals) {
  return Record(kind, header, totals.total, totals.sums);
}

}  // namespace z917::journal
