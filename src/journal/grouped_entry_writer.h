// A JournalEntryWriter that gathers each operation's arguments into a
// record and hands it on by group: the entry kinds a writer lays out alike
// (sales and refunds, cash in and out, receipts and returns, check sums)
// share one operation, so that each writer unpacks no argument list itself.
#pragma once

#include <array>
#include <cstdint>

#include "journal/entry_kind.h"
#include "journal/journal_entry_writer.h"

namespace z917::journal {

// The six arguments every entry operation starts with.
struct EntryHeader {
  std::uint32_t position;
  std::uint16_t smenaNum;
  std::uint16_t checkNum;
  std::uint8_t casherNum;
  TDateTime dateTime;
  std::uint32_t packetNum;
};

// A goods line of a sale, a refund or an annulled one; refundName is null
// for the kinds that have none (Sale, AnnulSale).
struct SalesItem {
  std::uint8_t annulFlag;
  std::int64_t code;
  std::uint32_t batch;
  std::uint32_t avail;
  std::uint32_t price;
  std::uint32_t total;
  std::uint8_t taxGroup;
  std::uint8_t wFlag;
  std::uint8_t xFlag;
  const char* refundName;
  const char* goodName;
};

// Cash put in or taken out.
struct CashMovement {
  std::uint32_t sum;
  std::uint32_t avail;
  const char* cashierName;
};

// A Z-report's values after its header, but for the cashier's name.
struct ZReportTotals {
  std::uint16_t checkSaleCnt = 0;
  std::uint16_t checkRefundCnt = 0;
  std::int64_t saleTotal = 0;
  std::array<std::uint32_t, 7> sales{};
  std::uint32_t saleMarkup = 0;
  std::uint32_t saleDiscount = 0;
  std::int64_t refundTotal = 0;
  std::array<std::uint32_t, 7> refunds{};
  std::uint32_t refundMarkup = 0;
  std::uint32_t refundDiscount = 0;
  std::uint32_t cashIn = 0;
  std::uint32_t cashOut = 0;
};

// A goods line of a receipt or a return.
struct GoodsItem {
  std::int64_t provCode;
  std::int64_t code;
  std::uint32_t batch;
  std::uint32_t avail;
  std::uint32_t price;
  const char* cashierName;
};

// The totals of a check, by form of payment.
struct CheckSumTotals {
  std::int64_t total;
  std::array<std::uint32_t, 7> sums;
};

class GroupedEntryWriter : public JournalEntryWriter {
 public:
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

 protected:
  // One operation per group; `kind` says which member of the group, and
  // each answers as the entry operation it stands for.
  // Sale, Refund, AnnulSale, AnnulRefund.
  virtual bool WriteSalesEntry(EntryKind kind, const EntryHeader& header,
                               const SalesItem& item) = 0;
  // CashIn, CashOut.
  virtual bool WriteCashEntry(EntryKind kind, const EntryHeader& header,
                              const CashMovement& cash) = 0;
  virtual bool WriteZReportEntry(const EntryHeader& header, const ZReportTotals& totals,
                                 const char* cashierName) = 0;
  // Receipt, Return.
  virtual bool WriteGoodsEntry(EntryKind kind, const EntryHeader& header,
                               const GoodsItem& item) = 0;
  // CheckSumSale, CheckSumRefund.
  virtual bool WriteCheckSumEntry(EntryKind kind, const EntryHeader& header,
                                  const CheckSumTotals& totals) = 0;
};

}  // namespace z917::journal
