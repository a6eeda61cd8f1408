#include "automation/xls_sheet_limits.h"

namespace z917::automation {

std::string XlsSheetDoesNotFitText(std::string_view sheet, std::string_view why) {
  // Ends with the way out: the newer format holds what did not fit.
  return "Лист «" + std::string(sheet) +
         "» не помещается в файл Excel 97-2003: " + std::string(why) +
         "; сохраните книгу в формате .xlsx";
}

std::string XlsTooManyRowsText(std::string_view sheet, std::uint32_t row) {
  return XlsSheetDoesNotFitText(sheet, "в нём больше " + std::to_string(kXlsMaxRows) +
                                           " строк (занята строка " + std::to_string(row) + ")");
}

}  // namespace z917::automation
