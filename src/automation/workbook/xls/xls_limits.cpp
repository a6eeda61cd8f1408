#include "automation/workbook/xls/xls_limits.h"

#include <algorithm>
#include <string>
#include <vector>

#include "automation/automation_error.h"
#include "automation/cell_address.h"
#include "automation/workbook/text_checks.h"

namespace z917::workbook::xls {

namespace {

using automation::AutomationError;

[[noreturn]] void ThrowSheetDoesNotFit(const Sheet& sheet, const std::string& why) {
  throw AutomationError(automation::XlsSheetDoesNotFitText(sheet.Name(), why));
}

void CheckRowsAndColumns(const Sheet& sheet) {
  for (const RowView row : sheet.Rows()) {
    if (row.number > kXlsMaxRows) {
      throw AutomationError(automation::XlsTooManyRowsText(sheet.Name(), row.number));
    }
  }
  const std::uint32_t lastColumn = static_cast<std::uint32_t>(std::max<std::size_t>(
      sheet.Columns().size(), sheet.HasCells() ? sheet.UsedRect().lastColumn : 0));
  if (lastColumn > kXlsMaxColumns) {
    ThrowSheetDoesNotFit(sheet, "в нём больше " + std::to_string(kXlsMaxColumns) +
                                    " столбцов (занят столбец " +
                                    automation::ColumnLetters(lastColumn) + ")");
  }
}

// The ids of the texts that are too long, as flags by TextId; empty when
// there are none (the usual case, which then needs no look at the cells).
std::vector<bool> TooLongTexts(const TextPool& texts) {
  std::vector<bool> tooLong;
  for (std::size_t id = 0; id < texts.Count(); ++id) {
    const auto length = Utf16Length(texts.Text(static_cast<TextId>(id)));
    if (length && *length > kXlsMaxTextLength) {
      tooLong.resize(texts.Count());
      tooLong[id] = true;
    }
  }
  return tooLong;
}

void CheckTexts(const Sheet& sheet, const std::vector<bool>& tooLong) {
  for (const RowView row : sheet.Rows()) {
    for (const Cell& cell : row.cells) {
      if (cell.Kind() == CellKind::Text && tooLong[cell.Text()]) {
        ThrowSheetDoesNotFit(sheet, "текст ячейки " + automation::ColumnLetters(cell.Column()) +
                                        std::to_string(row.number) + " длиннее " +
                                        std::to_string(kXlsMaxTextLength) + " знаков");
      }
    }
  }
}

}  // namespace

void CheckXlsLimits(const WorkbookModel& workbook) {
  if (workbook.Formats().Count() > kXlsMaxFormats) {
    throw AutomationError("Книга не помещается в файл Excel 97-2003: в ней больше " +
                          std::to_string(kXlsMaxFormats) + " числовых форматов");
  }
  const std::vector<bool> tooLong = TooLongTexts(workbook.Texts());
  for (std::size_t s = 0; s < workbook.SheetCount(); ++s) {
    const Sheet& sheet = workbook.SheetAt(s);
    CheckRowsAndColumns(sheet);
    if (!tooLong.empty()) CheckTexts(sheet, tooLong);
  }
}

}  // namespace z917::workbook::xls
