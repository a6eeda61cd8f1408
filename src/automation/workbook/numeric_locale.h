// Numbers written in files must use the full stop whatever locale the
// host program set: libxlsxwriter prints them with printf, which follows
// the locale of the calling thread.
#pragma once

#include <locale.h>

namespace z917::workbook {

// While it lives, the calling thread works in the "C" locale; the
// process's global locale and other threads are left alone. Throws
// AutomationError when the locale object cannot be made.
class ClassicLocaleScope {
 public:
  ClassicLocaleScope();
  ~ClassicLocaleScope();
  ClassicLocaleScope(const ClassicLocaleScope&) = delete;
  ClassicLocaleScope& operator=(const ClassicLocaleScope&) = delete;

 private:
  locale_t classic_;
  locale_t previous_;
};

}  // namespace z917::workbook
