// The "C" locale for one thread through uselocale.
#include "platform/classic_numeric_locale.h"

#include <locale.h>

#include <new>

namespace z917::platform {

struct ClassicNumericLocale::Saved {
  locale_t classic;
  locale_t previous;
};

ClassicNumericLocale::ClassicNumericLocale() noexcept {
  const locale_t classic = ::newlocale(LC_ALL_MASK, "C", locale_t{});
  if (classic == locale_t{}) return;
  saved_.reset(new (std::nothrow) Saved{classic, locale_t{}});
  if (!saved_) {
    ::freelocale(classic);
    return;
  }
  saved_->previous = ::uselocale(classic);
}

ClassicNumericLocale::~ClassicNumericLocale() {
  if (!saved_) return;
  ::uselocale(saved_->previous);
  ::freelocale(saved_->classic);
}

}  // namespace z917::platform
