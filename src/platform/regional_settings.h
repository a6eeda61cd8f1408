// The running user's regional settings that shape numbers and dates in
// the XML document. They are read from the system, never chosen.
#pragma once

#include <string>
#include <string_view>

namespace z917::platform {

// The three regional values the XML texts use, all UTF-8; the formats are
// strftime-style ("%d.%m.%Y"), with "%-d" and the like for a number
// written without a leading zero.
struct RegionalSettings {
  std::string decimalSeparator;
  std::string shortDateFormat;
  std::string longTimeFormat;
};

// Reads the user's decimal separator, short date format and long time
// format, leaving the process's global locale untouched. On POSIX systems
// they come from the environment's locale (LC_NUMERIC, LC_TIME), each
// category falling back on its own value alone and then on the "C" locale
// when the locale named is not installed; on Windows from the user's
// regional settings. A value the system gives empty is replaced by the "C"
// locale's. Never fails.
RegionalSettings ReadRegionalSettings();

// Turns a Windows date or time picture ("dd.MM.yyyy", "h:mm:ss tt", with
// literals in single quotes) into the strftime-style format of
// RegionalSettings: d dd M MM y yy yyyy H HH h hh m mm s ss t tt become
// numbers and the AM/PM mark; day and month names (ddd, MMMM) the C
// locale's names; era marks (g, gg) nothing; "%" is kept as a literal.
// Never fails: a quote left open runs to the end of the picture.
std::string StrftimeFromWindowsPicture(std::string_view picture);

}  // namespace z917::platform
