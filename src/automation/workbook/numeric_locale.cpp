#include "automation/workbook/numeric_locale.h"

#include "automation/automation_error.h"

namespace z917::workbook {

ClassicLocaleScope::ClassicLocaleScope() : classic_(newlocale(LC_ALL_MASK, "C", locale_t{})) {
  if (classic_ == locale_t{}) {
    throw automation::AutomationError("Не удалось переключиться на локаль «C» для записи чисел");
  }
  previous_ = uselocale(classic_);
}

ClassicLocaleScope::~ClassicLocaleScope() {
  uselocale(previous_);
  freelocale(classic_);
}

}  // namespace z917::workbook
