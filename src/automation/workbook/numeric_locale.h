// Numbers written in files must use the full stop whatever locale the
// host program set: libxlsxwriter prints them with printf, which follows
// the locale of the calling thread.
#pragma once

#include "platform/classic_numeric_locale.h"

namespace z917::workbook {

// While it lives, the calling thread works in the "C" locale; the
// process's global locale and other threads are left alone. Throws
// AutomationError when the switch cannot be made.
class ClassicLocaleScope {
 public:
  ClassicLocaleScope();

 private:
  platform::ClassicNumericLocale classic_;
};

}  // namespace z917::workbook
