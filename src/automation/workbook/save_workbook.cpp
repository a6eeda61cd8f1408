#include "automation/workbook/save_workbook.h"

#include "automation/automation_error.h"
#include "automation/workbook/numeric_locale.h"
#include "automation/workbook/xls_writer.h"
#include "automation/workbook/xlsx_writer.h"

namespace z917::workbook {

namespace {

bool EndsWithXlsx(const std::string& path) {
  static constexpr std::string_view kXlsx = ".xlsx";
  if (path.size() < kXlsx.size()) return false;
  for (std::size_t i = 0; i < kXlsx.size(); ++i) {
    const char c = path[path.size() - kXlsx.size() + i];
    if ((c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c) != kXlsx[i]) return false;
  }
  return true;
}

}  // namespace

std::int64_t DefaultFileFormat(const std::string& path) {
  if (CanWriteXlsx() || EndsWithXlsx(path)) return kOpenXmlWorkbook;
  return kExcel8Workbook;
}

WorkbookSaver SaverFor(std::optional<std::int64_t> fileFormat) {
  if (!fileFormat || *fileFormat == kOpenXmlWorkbook) {
    return {CheckFitsXlsx, WriteXlsx};
  }
  if (*fileFormat == kExcel8Workbook) return {CheckFitsXls, WriteXls};
  throw automation::AutomationError(
      "Неподдерживаемый формат файла: " + std::to_string(*fileFormat) +
      " (поддерживаются 51, книга Excel .xlsx, и 56, книга Excel 97-2003 .xls)");
}

void SaveWorkbook(const WorkbookModel& workbook, const std::string& path,
                  std::optional<std::int64_t> fileFormat, bool replaceExisting) {
  const WorkbookSaver saver = SaverFor(fileFormat ? *fileFormat : DefaultFileFormat(path));
  saver.checkFits(workbook);
  try {
    platform::AtomicFile file(path, replaceExisting);
    {
      ClassicLocaleScope classic;
      saver.write(workbook, file);
    }
    file.Commit();
  } catch (const platform::FileError& error) {
    throw automation::AutomationError(error.what());
  }
}

}  // namespace z917::workbook
