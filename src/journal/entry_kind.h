// The kinds of journal entry, as the writer operations name them.
#pragma once

#include <cstddef>
#include <cstdint>

namespace z917::journal {

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

}  // namespace z917::journal
