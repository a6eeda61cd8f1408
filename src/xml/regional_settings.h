// The running user's regional settings that shape numbers and dates in
// the XML document. They are read from the environment, never chosen.
#pragma once

#include <string>

namespace z917::xml {

// The three regional values the XML texts use; formats are strftime-style.
struct RegionalSettings {
  std::string decimalSeparator;
  std::string shortDateFormat;
  std::string longTimeFormat;
};

// Reads the decimal separator (LC_NUMERIC) and the short date and long
// time formats (LC_TIME) of the environment's locale through a locale
// object of its own, leaving the process's global locale untouched. When
// the environment names a locale that is not installed, each category
// falls back on its own value alone and then on the "C" locale; an empty
// value from the system is replaced by the "C" locale's. Never fails.
RegionalSettings ReadRegionalSettings();

}  // namespace z917::xml
