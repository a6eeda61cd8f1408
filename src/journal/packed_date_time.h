// The register's time stamps: unsigned seconds since 2001-01-01 00:00:00,
// local clock time, no zone or daylight-saving adjustment.
#pragma once

#include <cstdint>

#include "journal/packet.h"

namespace z917::journal {

// TDateTime of 2001-01-01 00:00:00.
inline constexpr double kPackedEpochDateTime = 36892.0;

// Converts packed seconds to a TDateTime; every input is valid (0 is
// 2001-01-01 00:00:00, 4294967295 is 2137-02-07 06:28:15).
TDateTime PackedDateTimeToDateTime(std::uint32_t seconds);

}  // namespace z917::journal
