#include "xml/regional_settings.h"

#include <langinfo.h>
#include <locale.h>

#include <cstdlib>

namespace z917::xml {

namespace {

// A locale object for one category mask from the environment's settings;
// the "C" locale when the environment names one that is not installed.
locale_t OpenLocale(int mask) {
  locale_t own = ::newlocale(mask, "", static_cast<locale_t>(0));
  if (own != static_cast<locale_t>(0)) return own;
  return ::newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
}

std::string Item(locale_t locale, nl_item item, const char* fallback) {
  const char* value = locale ? ::nl_langinfo_l(item, locale) : nullptr;
  return value && *value ? value : fallback;
}

}  // namespace

RegionalSettings ReadRegionalSettings() {
  // Each category separately: a missing LC_TIME locale must not cost the
  // decimal separator of an installed LC_NUMERIC one, and the other way.
  const locale_t numeric = OpenLocale(LC_NUMERIC_MASK);
  const locale_t time = OpenLocale(LC_TIME_MASK);
  RegionalSettings settings{Item(numeric, RADIXCHAR, "."), Item(time, D_FMT, "%m/%d/%y"),
                            Item(time, T_FMT, "%H:%M:%S")};
  if (numeric) ::freelocale(numeric);
  if (time) ::freelocale(time);
  return settings;
}

}  // namespace z917::xml
