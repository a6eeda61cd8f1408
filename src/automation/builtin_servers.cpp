// The servers this build starts by class name: the built-in workbook
// engine for "Excel.Application". Linked with the engine, so that a build
// without it can bring servers of its own.
#include "automation/automation_error.h"
#include "automation/server_factory.h"
#include "automation/workbook/engine.h"

namespace z917::automation {

namespace {

// Class names compare without regard to ASCII letter case, as the
// registry compares them.
bool SameProgId(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

}  // namespace

Dispatch StartServer(std::string_view progId) {
  if (SameProgId(progId, "Excel.Application")) return Dispatch(workbook::StartWorkbookEngine());
  // What Windows says for a class name that no server is registered for.
  throw AutomationError(StartFailureMessage("Недопустимая строка с указанием класса", progId));
}

}  // namespace z917::automation
