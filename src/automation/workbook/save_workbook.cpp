#include "automation/workbook/save_workbook.h"

#include "automation/automation_error.h"
#include "automation/workbook/xls/xls_limits.h"
#include "automation/workbook/xls_writer.h"
#include "automation/workbook/xlsx_writer.h"

namespace z917::workbook {

namespace {

// Takes back pages from the one after the .xls format's last row until one
// holds a used row, so that a sheet too long for the format is refused,
// naming its first row past the limit, without taking back all its rows.
void TakeBackFirstRowPastXls(Sheet& sheet) {
  constexpr std::uint32_t kFirstPast = xls::kXlsMaxRows + 1;
  const std::uint32_t pages = sheet.Rows().PageCount();
  for (std::uint32_t page = SheetCells::PageOf(kFirstPast); page < pages; ++page) {
    sheet.MakeLive(page, page + 1);
    for (const Row& row : sheet.Rows().Page(page)) {
      if (row.IsUsed()) return;
    }
  }
}

// The .xls saver works on rows in memory: every sheet short enough for the
// format gets its passed rows back, and stays within the format's size.
void CheckFitsXlsWhole(WorkbookModel& workbook) {
  for (std::size_t s = 0; s < workbook.SheetCount(); ++s) {
    TakeBackFirstRowPastXls(workbook.SheetAt(s));
  }
  CheckFitsXls(workbook);
  workbook.MakeAllLive();
  CheckFitsXls(workbook);
}

void WriteXlsWhole(WorkbookModel& workbook, platform::AtomicFile& file) {
  workbook.MakeAllLive();
  WriteXls(workbook, file);
}

}  // namespace

WorkbookSaver SaverFor(std::optional<std::int64_t> fileFormat) {
  if (!fileFormat || *fileFormat == kOpenXmlWorkbook) {
    return {CheckFitsXlsx, WriteXlsx};
  }
  if (*fileFormat == kExcel8Workbook) return {CheckFitsXlsWhole, WriteXlsWhole};
  throw automation::AutomationError(
      "Неподдерживаемый формат файла: " + std::to_string(*fileFormat) +
      " (поддерживаются 51, книга Excel .xlsx, и 56, книга Excel 97-2003 .xls)");
}

void SaveWorkbook(WorkbookModel& workbook, const std::string& path,
                  std::optional<std::int64_t> fileFormat, bool replaceExisting) {
  const WorkbookSaver saver = SaverFor(fileFormat);
  saver.checkFits(workbook);
  try {
    platform::AtomicFile file(path, replaceExisting);
    saver.write(workbook, file);
    file.Commit();
  } catch (const platform::FileError& error) {
    throw automation::AutomationError(error.what());
  }
}

}  // namespace z917::workbook
