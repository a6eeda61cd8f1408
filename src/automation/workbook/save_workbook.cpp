#include "automation/workbook/save_workbook.h"

#include "automation/automation_error.h"
#include "automation/workbook/numeric_locale.h"
#include "automation/workbook/pending_file.h"
#include "automation/workbook/xlsx_writer.h"

namespace z917::workbook {

WorkbookWriter WriterFor(std::optional<std::int64_t> fileFormat) {
  if (!fileFormat || *fileFormat == kOpenXmlWorkbook) return WriteXlsx;
  if (*fileFormat == kExcel8Workbook) {
    throw automation::AutomationError(
        "Сохранение в формате Excel 97-2003 (FileFormat 56) пока не поддерживается");
  }
  throw automation::AutomationError("Неподдерживаемый формат файла: " +
                                    std::to_string(*fileFormat) +
                                    " (поддерживается 51, книга Excel .xlsx)");
}

void SaveWorkbook(const WorkbookModel& workbook, const std::string& path,
                  std::optional<std::int64_t> fileFormat, bool replaceExisting) {
  const WorkbookWriter write = WriterFor(fileFormat);
  PendingFile file(path, replaceExisting);
  {
    ClassicLocaleScope classic;
    write(workbook, file.TempPath(), file.Folder());
  }
  file.Commit();
}

}  // namespace z917::workbook
