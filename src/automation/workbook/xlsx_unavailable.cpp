// The .xlsx writer of a build without libxlsxwriter: every .xlsx save is
// refused before a file is made, with the way to a file that works.
#include "automation/automation_error.h"
#include "automation/workbook/xlsx_writer.h"

namespace z917::workbook {

namespace {

[[noreturn]] void ThrowUnavailable() {
  throw automation::AutomationError(
      "Книгу в формате .xlsx без Excel записать нельзя: сохраните её в файл с расширением .xls");
}

}  // namespace

bool CanWriteXlsx() { return false; }

void CheckFitsXlsx(const WorkbookModel&) { ThrowUnavailable(); }

void WriteXlsx(const WorkbookModel&, platform::AtomicFile&) { ThrowUnavailable(); }

}  // namespace z917::workbook
