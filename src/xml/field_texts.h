// The texts of field values as the XML document holds them: decimal and
// fixed-point numbers, dates, and journal strings as escaped UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "journal/packet.h"
#include "xml/regional_settings.h"

namespace z917::xml {

// Appends `value` as unsigned decimal digits.
void AppendUnsigned(std::string& out, std::uint64_t value);

// Appends `value` as a signed decimal number.
void AppendSigned(std::string& out, std::int64_t value);

// Appends `value` / 10^`scaleDigits` exactly, with `decimals` (at least
// `scaleDigits`) decimals after `separator`, a minus sign when negative and
// at least one digit before the separator. Exact at every magnitude.
void AppendFixedPoint(std::string& out, std::int64_t value, int scaleDigits, int decimals,
                      std::string_view separator);

// Appends `text` (UTF-8) escaped for element content: "&", "<" and ">" as
// entities, a carriage return as "&#13;" so that it survives a reader's
// line-end handling, and every control character that XML 1.0 cannot
// carry as U+FFFD REPLACEMENT CHARACTER.
void AppendEscaped(std::string& out, std::string_view text);

// Appends zero-terminated Windows-1251 `text` as UTF-8 escaped like
// AppendEscaped; null counts as empty.
void AppendEscapedCp1251(std::string& out, const char* text);

// Formats TDateTime values under the regional short date and long time
// formats, remembering the last value, since the entries of one packet
// share it.
class DateTimeTexts {
 public:
  explicit DateTimeTexts(const RegionalSettings& settings);

  // Appends the date, a blank and the time; the date alone when the time
  // of day is midnight to the second. Values are rounded to the second.
  void Append(std::string& out, TDateTime value);

 private:
  std::string Format(std::int64_t seconds) const;

  std::string dateFormat_;
  std::string timeFormat_;
  std::int64_t lastSeconds_ = -1;
  bool haveLast_ = false;
  std::string lastText_;
};

}  // namespace z917::xml
