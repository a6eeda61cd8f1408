#include "journal/packed_date_time.h"

namespace z917::journal {

TDateTime PackedDateTimeToDateTime(std::uint32_t seconds) {
  const std::uint32_t days = seconds / 86400u;
  const std::uint32_t rest = seconds % 86400u;
  // The fraction is worked out in extended precision and rounded once, so
  // that each second maps to the same double the register's software made.
  const double time = static_cast<double>(static_cast<long double>(rest) * (1.0L / 86400.0L));
  const double date = static_cast<double>(days) + kPackedEpochDateTime;
  return date + time;
}

}  // namespace z917::journal
