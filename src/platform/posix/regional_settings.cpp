// The regional settings of a POSIX system: the environment's locale.
#include "platform/regional_settings.h"

#include <iconv.h>
#include <langinfo.h>
#include <locale.h>

#include <cstdlib>

namespace z917::platform {

namespace {

// A locale object for one category mask from the environment's settings;
// the "C" locale when the environment names one that is not installed.
locale_t OpenLocale(int mask) {
  locale_t own = ::newlocale(mask, "", static_cast<locale_t>(0));
  if (own != static_cast<locale_t>(0)) return own;
  return ::newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
}

// `text` in `codeset` as UTF-8; false when it cannot be converted.
bool ToUtf8(const char* codeset, const std::string& text, std::string& utf8) {
  const iconv_t cd = ::iconv_open("UTF-8", codeset);
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  std::string in = text;
  std::string out(text.size() * 4 + 4, '\0');
  char* inPtr = in.data();
  char* outPtr = out.data();
  std::size_t inLeft = in.size();
  std::size_t outLeft = out.size();
  const bool done = ::iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1);
  ::iconv_close(cd);
  if (!done || inLeft != 0) return false;
  utf8.assign(out.data(), out.size() - outLeft);
  return true;
}

// The character set of `category`'s values in `locale`: the codeset of the
// locale the category was loaded from, which LC_CTYPE may not share.
std::string CodesetOf(locale_t locale, int category) {
  const char* name = ::nl_langinfo_l(_NL_LOCALE_NAME(category), locale);
  const locale_t ctype = ::newlocale(LC_CTYPE_MASK, name ? name : "C", static_cast<locale_t>(0));
  if (ctype == static_cast<locale_t>(0)) return "ANSI_X3.4-1968";
  std::string codeset = ::nl_langinfo_l(CODESET, ctype);
  ::freelocale(ctype);
  return codeset;
}

// One value of `category` in `locale`, as UTF-8 whatever the locale's own
// character set (the document is UTF-8); `fallback` when empty or not
// convertible.
std::string Item(locale_t locale, int category, nl_item item, const char* fallback) {
  const char* value = locale ? ::nl_langinfo_l(item, locale) : nullptr;
  if (value == nullptr || *value == '\0') return fallback;
  const std::string codeset = CodesetOf(locale, category);
  if (codeset == "UTF-8") return value;
  std::string utf8;
  return ToUtf8(codeset.c_str(), value, utf8) ? utf8 : fallback;
}

}  // namespace

RegionalSettings ReadRegionalSettings() {
  // Each category separately: a missing LC_TIME locale must not cost the
  // decimal separator of an installed LC_NUMERIC one, and the other way.
  const locale_t numeric = OpenLocale(LC_NUMERIC_MASK);
  const locale_t time = OpenLocale(LC_TIME_MASK);
  RegionalSettings settings{Item(numeric, LC_NUMERIC, RADIXCHAR, "."),
                            Item(time, LC_TIME, D_FMT, "%m/%d/%y"),
                            Item(time, LC_TIME, T_FMT, "%H:%M:%S")};
  if (numeric) ::freelocale(numeric);
  if (time) ::freelocale(time);
  return settings;
}

}  // namespace z917::platform
