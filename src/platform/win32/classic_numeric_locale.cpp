// The "C" locale for one thread: the C runtime's per-thread locale, set to
// "C" and put back as it was.
#include <clocale>
#include <locale.h>
#include <new>
#include <string>

#include "platform/classic_numeric_locale.h"

namespace z917::platform {

struct ClassicNumericLocale::Saved {
  int previousMode;
  std::string previousNumeric;
};

ClassicNumericLocale::ClassicNumericLocale() noexcept {
  const int previousMode = ::_configthreadlocale(_ENABLE_PER_THREAD_LOCALE);
  if (previousMode == -1) return;
  const char* numeric = std::setlocale(LC_NUMERIC, nullptr);
  try {
    saved_.reset(new Saved{previousMode, numeric ? numeric : "C"});
  } catch (...) {
    ::_configthreadlocale(previousMode);
    return;
  }
  if (std::setlocale(LC_NUMERIC, "C") == nullptr) {
    ::_configthreadlocale(previousMode);
    saved_.reset();
  }
}

ClassicNumericLocale::~ClassicNumericLocale() {
  if (!saved_) return;
  std::setlocale(LC_NUMERIC, saved_->previousNumeric.c_str());
  ::_configthreadlocale(saved_->previousMode);
}

}  // namespace z917::platform
