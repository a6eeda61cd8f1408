// The regional settings of Windows: the user's own, as the Region
// settings of the control panel show them.
#include "platform/regional_settings.h"

#include <windows.h>

#include <string>

#include "platform/win32/wide_text.h"

namespace z917::platform {

namespace {

// One locale value of the user's settings as UTF-8; `fallback` when the
// system gives none.
std::string UserLocaleValue(LCTYPE type, const char* fallback) {
  wchar_t buffer[LOCALE_NAME_MAX_LENGTH * 4];
  const int length = ::GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, type, buffer,
                                       static_cast<int>(std::size(buffer)));
  if (length <= 1) return fallback;  // the count includes the terminating zero
  const std::string value = Utf8FromWide(std::wstring_view(buffer, length - 1));
  return value.empty() ? fallback : value;
}

}  // namespace

RegionalSettings ReadRegionalSettings() {
  return {UserLocaleValue(LOCALE_SDECIMAL, "."),
          StrftimeFromWindowsPicture(UserLocaleValue(LOCALE_SSHORTDATE, "MM/dd/yy")),
          StrftimeFromWindowsPicture(UserLocaleValue(LOCALE_STIMEFORMAT, "HH:mm:ss"))};
}

}  // namespace z917::platform
