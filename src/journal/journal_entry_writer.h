// What an output offers the decoders and the conversion driver.
#pragma once

#include <cstdint>
#include <string>

#include "journal/packet.h"

namespace z917::journal {

// The writer's side of a conversion. The driver calls CreateDocument once,
// then the decoders call one entry operation per journal entry, then the
// driver calls SaveDocument (only when the journal was read to its end) and
// CloseDocument. Every operation that fails shows its own message and
// returns false; none throws.
//
// Every entry operation starts with the same six arguments:
//   position  - the entry's place: Excel row (counter + 2) or XML Num
//               (counter + 1), depending on the output kind
//   smenaNum, checkNum, casherNum, dateTime, packetNum - the packet header
// Money is in hundredths, quantities in thousandths, texts are
// zero-terminated Windows-1251.
class JournalEntryWriter {
 public:
  virtual ~JournalEntryWriter() = default;

  // Creates an empty document for the output at `outputPath`, the path
  // SaveDocument will get (a writer may grow its file beside it); false
  // after showing why it could not.
  virtual bool CreateDocument(const std::string& outputPath) = 0;
  // Saves the document to `path`; false after showing why it could not.
  virtual bool SaveDocument(const std::string& path) = 0;
  // Releases the document, saved or not; safe to call more than once.
  virtual void CloseDocument() = 0;

  virtual bool WriteSale(std::uint32_t position, std::uint16_t smenaNum, std::uint16_t checkNum,
                         std::uint8_t casherNum, TDateTime dateTime, std::uint32_t packetNum,
                         std::uint8_t annulFlag, std::int64_t code, std::uint32_t batch,
                         std::uint32_t avail, std::uint32_t price, std::uint32_t total,
                         std::uint8_t taxGroup, std::uint8_t wFlag, std::uint8_t xFlag,
                         const char* goodName) = 0;

  virtual bool WriteRefund(std::uint32_t position, std::uint16_t smenaNum, std::uint16_t checkNum,
                           std::uint8_t casherNum, TDateTime dateTime, std::uint32_t packetNum,
                           std::uint8_t annulFlag, std::int64_t code, std::uint32_t batch,
                           std::uint32_t avail, std::uint32_t price, std::uint32_t total,
                           std::uint8_t taxGroup, std::uint8_t wFlag, std::uint8_t xFlag,
                           const char* refundName, const char* goodName) = 0;

  virtual bool WriteAnnulSale(std::uint32_t position, std::uint16_t smenaNum,
                              std::uint16_t checkNum, std::uint8_t casherNum, TDateTime dateTime,
                              std::uint32_t packetNum, std::uint8_t annulFlag, std::int64_t code,
                              std::uint32_t batch, std::uint32_t avail, std::uint32_t price,
                              std::uint32_t total, std::uint8_t taxGroup, std::uint8_t wFlag,
                              std::uint8_t xFlag, const char* goodName) = 0;

  virtual bool WriteAnnulRefund(std::uint32_t position, std::uint16_t smenaNum,
                                std::uint16_t checkNum, std::uint8_t casherNum, TDateTime dateTime,
                                std::uint32_t packetNum, std::uint8_t annulFlag, std::int64_t code,
                                std::uint32_t batch, std::uint32_t avail, std::uint32_t price,
                                std::uint32_t total, std::uint8_t taxGroup, std::uint8_t wFlag,
                                std::uint8_t xFlag, const char* refundName,
                                const char* goodName) = 0;

  virtual bool WriteCashIn(std::uint32_t position, std::uint16_t smenaNum, std::uint16_t checkNum,
                           std::uint8_t casherNum, TDateTime dateTime, std::uint32_t packetNum,
                           std::uint32_t sum, std::uint32_t avail, const char* cashierName) = 0;

  virtual bool WriteCashOut(std::uint32_t position, std::uint16_t smenaNum, std::uint16_t checkNum,
                            std::uint8_t casherNum, TDateTime dateTime, std::uint32_t packetNum,
                            std::uint32_t sum, std::uint32_t avail, const char* cashierName) = 0;

  virtual bool WriteZReport(std::uint32_t position, std::uint16_t smenaNum, std::uint16_t checkNum,
                            std::uint8_t casherNum, TDateTime dateTime, std::uint32_t packetNum,
                            std::uint16_t checkSaleCnt, std::uint16_t checkRefundCnt,
                            std::int64_t saleTotal, std::uint32_t sale1, std::uint32_t sale2,
                            std::uint32_t sale3, std::uint32_t sale4, std::uint32_t sale5,
                            std::uint32_t sale6, std::uint32_t sale7, std::uint32_t saleMarkup,
                            std::uint32_t saleDiscount, std::int64_t refundTotal,
                            std::uint32_t refund1, std::uint32_t refund2, std::uint32_t refund3,
                            std::uint32_t refund4, std::uint32_t refund5, std::uint32_t refund6,
                            std::uint32_t refund7, std::uint32_t refundMarkup,
                            std::uint32_t refundDiscount, std::uint32_t cashIn,
                            std::uint32_t cashOut, const char* cashierName) = 0;

  virtual bool WriteReceipt(std::uint32_t position, std::uint16_t smenaNum, std::uint16_t checkNum,
                            std::uint8_t casherNum, TDateTime dateTime, std::uint32_t packetNum,
                            std::int64_t provCode, std::int64_t code, std::uint32_t batch,
                            std::uint32_t avail, std::uint32_t price, const char* cashierName) = 0;

  virtual bool WriteReturn(std::uint32_t position, std::uint16_t smenaNum, std::uint16_t checkNum,
                           std::uint8_t casherNum, TDateTime dateTime, std::uint32_t packetNum,
                           std::int64_t provCode, std::int64_t code, std::uint32_t batch,
                           std::uint32_t avail, std::uint32_t price, const char* cashierName) = 0;

  virtual bool WriteCheckSumSale(std::uint32_t position, std::uint16_t smenaNum,
                                 std::uint16_t checkNum, std::uint8_t casherNum, TDateTime dateTime,
                                 std::uint32_t packetNum, std::int64_t total, std::uint32_t sum1,
                                 std::uint32_t sum2, std::uint32_t sum3, std::uint32_t sum4,
                                 std::uint32_t sum5, std::uint32_t sum6, std::uint32_t sum7) = 0;

  virtual bool WriteCheckSumRefund(std::uint32_t position, std::uint16_t smenaNum,
                                   std::uint16_t checkNum, std::uint8_t casherNum,
                                   TDateTime dateTime, std::uint32_t packetNum, std::int64_t total,
                                   std::uint32_t sum1, std::uint32_t sum2, std::uint32_t sum3,
                                   std::uint32_t sum4, std::uint32_t sum5, std::uint32_t sum6,
                                   std::uint32_t sum7) = 0;
};

}  // namespace z917::journal
