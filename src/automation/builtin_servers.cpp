// The servers this build starts by class name: the built-in workbook
// engine for "Excel.Application". Linked with the engine, so that a build
// without it can bring servers of its own.
#include "automation/automation_error.h"
#include "automation/server_factory.h"
#include "automation/workbook/engine.h"

namespace z917::automation {

Dispatch StartServer(std::string_view progId) {
  if (IsExcelProgId(progId)) return Dispatch(workbook::StartWorkbookEngine());
  // What Windows says for a class name that no server is registered for.
  throw AutomationError(StartFailureMessage("Недопустимая строка с указанием класса", progId));
}

bool StartsInProcess(std::string_view progId) { return IsExcelProgId(progId); }

}  // namespace z917::automation
