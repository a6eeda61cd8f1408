#include "journal/grouped_entry_writer.h"

namespace z917::journal {

namespace {

constexpr const char* kKindNames[kEntryKindCount] = {
    "Sale",    "Refund",  "AnnulSale", "AnnulRefund",  "CashIn",         "CashOut",
    "ZReport", "Receipt", "Return",    "CheckSumSale", "CheckSumRefund",
};

}  // namespace

const char* EntryKindName(EntryKind kind) { return kKindNames[static_cast<std::size_t>(kind)]; }

bool GroupedEntryWriter::WriteSale(std::uint32_t position, std::uint16_t smenaNum,
                                   std::uint16_t checkNum, std::uint8_t casherNum,
                                   TDateTime dateTime, std::uint32_t packetNum,
                                   std::uint8_t annulFlag, std::int64_t code, std::uint32_t batch,
                                   std::uint32_t avail, std::uint32_t price, std::uint32_t total,
                                   std::uint8_t taxGroup, std::uint8_t wFlag, std::uint8_t xFlag,
                                   const char* goodName) {
  return WriteSalesEntry(
      EntryKind::Sale, {position, smenaNum, checkNum, casherNum, dateTime, packetNum},
      {annulFlag, code, batch, avail, price, total, taxGroup, wFlag, xFlag, nullptr, goodName});
}

bool GroupedEntryWriter::WriteRefund(std::uint32_t position, std::uint16_t smenaNum,
                                     std::uint16_t checkNum, std::uint8_t casherNum,
                                     TDateTime dateTime, std::uint32_t packetNum,
                                     std::uint8_t annulFlag, std::int64_t code, std::uint32_t batch,
                                     std::uint32_t avail, std::uint32_t price, std::uint32_t total,
                                     std::uint8_t taxGroup, std::uint8_t wFlag, std::uint8_t xFlag,
                                     const char* refundName, const char* goodName) {
  return WriteSalesEntry(
      EntryKind::Refund, {position, smenaNum, checkNum, casherNum, dateTime, packetNum},
      {annulFlag, code, batch, avail, price, total, taxGroup, wFlag, xFlag, refundName, goodName});
}

bool GroupedEntryWriter::WriteAnnulSale(
    std::uint32_t position, std::uint16_t smenaNum, std::uint16_t checkNum, std::uint8_t casherNum,
    TDateTime dateTime, std::uint32_t packetNum, std::uint8_t annulFlag, std::int64_t code,
    std::uint32_t batch, std::uint32_t avail, std::uint32_t price, std::uint32_t total,
    std::uint8_t taxGroup, std::uint8_t wFlag, std::uint8_t xFlag, const char* goodName) {
  return WriteSalesEntry(
      EntryKind::AnnulSale, {position, smenaNum, checkNum, casherNum, dateTime, packetNum},
      {annulFlag, code, batch, avail, price, total, taxGroup, wFlag, xFlag, nullptr, goodName});
}

bool GroupedEntryWriter::WriteAnnulRefund(
    std::uint32_t position, std::uint16_t smenaNum, std::uint16_t checkNum, std::uint8_t casherNum,
    TDateTime dateTime, std::uint32_t packetNum, std::uint8_t annulFlag, std::int64_t code,
    std::uint32_t batch, std::uint32_t avail, std::uint32_t price, std::uint32_t total,
    std::uint8_t taxGroup, std::uint8_t wFlag, std::uint8_t xFlag, const char* refundName,
    const char* goodName) {
  return WriteSalesEntry(
      EntryKind::AnnulRefund, {position, smenaNum, checkNum, casherNum, dateTime, packetNum},
      {annulFlag, code, batch, avail, price, total, taxGroup, wFlag, xFlag, refundName, goodName});
}

bool GroupedEntryWriter::WriteCashIn(std::uint32_t position, std::uint16_t smenaNum,
                                     std::uint16_t checkNum, std::uint8_t casherNum,
                                     TDateTime dateTime, std::uint32_t packetNum, std::uint32_t sum,
                                     std::uint32_t avail, const char* cashierName) {
  return WriteCashEntry(EntryKind::CashIn,
                        {position, smenaNum, checkNum, casherNum, dateTime, packetNum},
                        {sum, avail, cashierName});
}

bool GroupedEntryWriter::WriteCashOut(std::uint32_t position, std::uint16_t smenaNum,
                                      std::uint16_t checkNum, std::uint8_t casherNum,
                                      TDateTime dateTime, std::uint32_t packetNum,
                                      std::uint32_t sum, std::uint32_t avail,
                                      const char* cashierName) {
  return WriteCashEntry(EntryKind::CashOut,
                        {position, smenaNum, checkNum, casherNum, dateTime, packetNum},
                        {sum, avail, cashierName});
}

bool GroupedEntryWriter::WriteZReport(
    std::uint32_t position, std::uint16_t smenaNum, std::uint16_t checkNum, std::uint8_t casherNum,
    TDateTime dateTime, std::uint32_t packetNum, std::uint16_t checkSaleCnt,
    std::uint16_t checkRefundCnt, std::int64_t saleTotal, std::uint32_t sale1, std::uint32_t sale2,
    std::uint32_t sale3, std::uint32_t sale4, std::uint32_t sale5, std::uint32_t sale6,
    std::uint32_t sale7, std::uint32_t saleMarkup, std::uint32_t saleDiscount,
    std::int64_t refundTotal, std::uint32_t refund1, std::uint32_t refund2, std::uint32_t refund3,
    std::uint32_t refund4, std::uint32_t refund5, std::uint32_t refund6, std::uint32_t refund7,
    std::uint32_t refundMarkup, std::uint32_t refundDiscount, std::uint32_t cashIn,
    std::uint32_t cashOut, const char* cashierName) {
  const ZReportTotals totals{
      checkSaleCnt, checkRefundCnt,
      saleTotal,    {sale1, sale2, sale3, sale4, sale5, sale6, sale7},
      saleMarkup,   saleDiscount,
      refundTotal,  {refund1, refund2, refund3, refund4, refund5, refund6, refund7},
      refundMarkup, refundDiscount,
      cashIn,       cashOut};
  return WriteZReportEntry({position, smenaNum, checkNum, casherNum, dateTime, packetNum}, totals,
                           cashierName);
}

bool GroupedEntryWriter::WriteReceipt(std::uint32_t position, std::uint16_t smenaNum,
                                      std::uint16_t checkNum, std::uint8_t casherNum,
                                      TDateTime dateTime, std::uint32_t packetNum,
                                      std::int64_t provCode, std::int64_t code, std::uint32_t batch,
                                      std::uint32_t avail, std::uint32_t price,
                                      const char* cashierName) {
  return WriteGoodsEntry(EntryKind::Receipt,
                         {position, smenaNum, checkNum, casherNum, dateTime, packetNum},
                         {provCode, code, batch, avail, price, cashierName});
}

bool GroupedEntryWriter::WriteReturn(std::uint32_t position, std::uint16_t smenaNum,
                                     std::uint16_t checkNum, std::uint8_t casherNum,
                                     TDateTime dateTime, std::uint32_t packetNum,
                                     std::int64_t provCode, std::int64_t code, std::uint32_t batch,
                                     std::uint32_t avail, std::uint32_t price,
                                     const char* cashierName) {
  return WriteGoodsEntry(EntryKind::Return,
                         {position, smenaNum, checkNum, casherNum, dateTime, packetNum},
                         {provCode, code, batch, avail, price, cashierName});
}

bool GroupedEntryWriter::WriteCheckSumSale(std::uint32_t position, std::uint16_t smenaNum,
                                           std::uint16_t checkNum, std::uint8_t casherNum,
                                           TDateTime dateTime, std::uint32_t packetNum,
                                           std::int64_t total, std::uint32_t sum1,
                                           std::uint32_t sum2, std::uint32_t sum3,
                                           std::uint32_t sum4, std::uint32_t sum5,
                                           std::uint32_t sum6, std::uint32_t sum7) {
  return WriteCheckSumEntry(EntryKind::CheckSumSale,
                            {position, smenaNum, checkNum, casherNum, dateTime, packetNum},
                            {total, {sum1, sum2, sum3, sum4, sum5, sum6, sum7}});
}

bool GroupedEntryWriter::WriteCheckSumRefund(std::uint32_t position, std::uint16_t smenaNum,
                                             std::uint16_t checkNum, std::uint8_t casherNum,
                                             TDateTime dateTime, std::uint32_t packetNum,
                                             std::int64_t total, std::uint32_t sum1,
                                             std::uint32_t sum2, std::uint32_t sum3,
                                             std::uint32_t sum4, std::uint32_t sum5,
                                             std::uint32_t sum6, std::uint32_t sum7) {
  return WriteCheckSumEntry(EntryKind::CheckSumRefund,
                            {position, smenaNum, checkNum, casherNum, dateTime, packetNum},
                            {total, {sum1, sum2, sum3, sum4, sum5, sum6, sum7}});
}

}  // namespace z917::journal
