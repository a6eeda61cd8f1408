// The servers a Windows build starts by class name: the user's own Excel
// when one is registered as "Excel.Application", the built-in workbook
// engine when none is; any other class through COM.
#include "automation/automation_error.h"
#include "automation/com/com_start.h"
#include "automation/server_factory.h"
#include "automation/workbook/engine.h"

namespace z917::automation {

Dispatch StartServer(std::string_view progId) {
  if (IsExcelProgId(progId) && !com::IsRegistered(progId)) {
    return Dispatch(workbook::StartWorkbookEngine());
  }
  return com::StartComServer(progId);
}

bool StartsInProcess(std::string_view progId) {
  return IsExcelProgId(progId) && !com::IsRegistered(progId);
}

}  // namespace z917::automation
