// The servers a Windows build starts by class name: the user's own Excel
// when one is registered as "Excel.Application", the built-in workbook
// engine when none is; any other class through COM.
#include "automation/automation_error.h"
#include "automation/com/com_start.h"
#include "automation/server_factory.h"
#include "automation/workbook/engine.h"

namespace z917::automation {

namespace {

bool IsExcel(std::string_view progId) {
  if (progId.size() != 17) return false;
  for (std::size_t i = 0; i < progId.size(); ++i) {
    const char c = progId[i];
    const char lower = c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
    if (lower != "excel.application"[i]) return false;
  }
  return true;
}

}  // namespace

Dispatch StartServer(std::string_view progId) {
  if (IsExcel(progId) && !com::IsRegistered(progId)) {
    return Dispatch(workbook::StartWorkbookEngine());
  }
  return com::StartComServer(progId);
}

}  // namespace z917::automation
