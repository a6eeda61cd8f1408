// Per-kind entry counts of one conversion.
#pragma once

#include <cstdint>

namespace z917::journal {

// One count per workbook sheet and XML element kind; cash in and cash out
// share one. The driver zeroes them at the start of every conversion.
struct EntryCounters {
  std::uint32_t Sale = 0;
  std::uint32_t Refund = 0;
  std::uint32_t AnnulSale = 0;
  std::uint32_t AnnulRefund = 0;
  std::uint32_t CashMovements = 0;
  std::uint32_t Receipt = 0;
  std::uint32_t Return = 0;
  std::uint32_t ZReport = 0;
  std::uint32_t CheckSumSale = 0;
  std::uint32_t CheckSumRefund = 0;

  void Reset() { *this = EntryCounters{}; }
};

}  // namespace z917::journal
