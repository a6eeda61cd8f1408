// The "C" locale for printing numbers on Windows. Where the C runtime has
// locales per thread (the UCRT) only the calling thread switches; the
// msvcrt.dll that mingw-w64 links has none, and there the process's
// LC_NUMERIC switches for the while: the programs convert on one thread
// at a time, and no other thread of theirs prints numbers meanwhile.
#include "platform/classic_numeric_locale.h"

#include <locale.h>

#include <clocale>
#include <new>
#include <string>

namespace z917::platform {

struct ClassicNumericLocale::Saved {
  int previousMode;  // -1 when the runtime keeps no locale per thread
  std::string previousNumeric;
};

ClassicNumericLocale::ClassicNumericLocale() noexcept {
  const int previousMode = ::_configthreadlocale(_ENABLE_PER_THREAD_LOCALE);
  const char* numeric = std::setlocale(LC_NUMERIC, nullptr);
  try {
    saved_.reset(new Saved{previousMode, numeric ? numeric : "C"});
  } catch (...) {
    if (previousMode != -1) ::_configthreadlocale(previousMode);
    return;
  }
  if (std::setlocale(LC_NUMERIC, "C") == nullptr) {
    if (previousMode != -1) ::_configthreadlocale(previousMode);
    saved_.reset();
  }
}

ClassicNumericLocale::~ClassicNumericLocale() {
  if (!saved_) return;
  std::setlocale(LC_NUMERIC, saved_->previousNumeric.c_str());
  if (saved_->previousMode != -1) ::_configthreadlocale(saved_->previousMode);
}

}  // namespace z917::platform
