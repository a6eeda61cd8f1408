// Proposed output names: the journal's own path and name, another extension.
#include "app/output_name.h"

namespace z917::app {

std::string ExcelExtensionFor(std::uint32_t excelVersion) {
  return excelVersion > 11 ? ".xlsx" : ".xls";
}

}  // namespace z917::app
