// The rows an Excel 97-2003 worksheet holds, and the words for a sheet
// past them: the built-in engine refuses such a save, and so does the
// Excel writer before a real Excel would cut the sheet short in silence.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace z917::automation {

inline constexpr std::uint32_t kXlsMaxRows = 65536;

// "Лист «<sheet>» не помещается в файл Excel 97-2003: <why>; сохраните
// книгу в формате .xlsx". Never fails short of memory.
std::string XlsSheetDoesNotFitText(std::string_view sheet, std::string_view why);

// The same for a sheet whose row `row` (past kXlsMaxRows) is in use.
std::string XlsTooManyRowsText(std::string_view sheet, std::uint32_t row);

}  // namespace z917::automation
