#include "automation/workbook/numeric_locale.h"

#include "automation/automation_error.h"

namespace z917::workbook {

ClassicLocaleScope::ClassicLocaleScope() {
  if (!classic_.Active()) {
    throw automation::AutomationError("Не удалось переключиться на локаль «C» для записи чисел");
  }
}

}  // namespace z917::workbook
