// The number formats of a workbook, each distinct format code stored once.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace z917::workbook {

using FormatId = std::uint16_t;

// Every cell has a format; General is the one a cell has by default.
inline constexpr FormatId kGeneralFormat = 0;
// Excel's built-in date-and-time format (number format 22), which a date
// gets when it lands in a cell without a number format.
inline constexpr FormatId kDateTimeFormat = 1;
// What a row or column holds when no format was set on it as a whole.
inline constexpr FormatId kNoFormat = 0xFFFF;
// How many formats a workbook may hold (cells keep the id in 14 bits).
inline constexpr std::size_t kMaxFormats = 0x3FFF;

struct NumberFormat {
  std::string code;
  // Excel's index of a built-in format, or -1 for a format of the workbook
  // (whose index a saver assigns).
  int builtinIndex = -1;
};

// Interns format codes. Ids 0 and 1 are General and the date-and-time
// format; the ids of other formats count up from 2 in order of first use.
class NumberFormats {
 public:
  // A table that holds General and the date-and-time format.
  NumberFormats();

  // The id of `code`: "General" is kGeneralFormat; throws AutomationError
  // when the workbook already holds kMaxFormats formats.
  FormatId Intern(std::string_view code);
  // The format of an id that Intern gave, and how many there are.
  const NumberFormat& At(FormatId id) const { return formats_[id]; }
  std::size_t Count() const { return formats_.size(); }

 private:
  std::vector<NumberFormat> formats_;
  std::unordered_map<std::string, FormatId> ids_;
};

}  // namespace z917::workbook
